// The editor's answers to the hooks of AppState and to the dialog host,
// installed when the main window is created.
#pragma once
#include "AppState.h"

// Installs every hook whose receiver is part of the editor and the dialog
// host (owner window and the caption of file errors).
void InstallEditorHooks();

// The receiver of the document model's notifications.
void OnDocumentChanged(DocumentEvent event);
// The File menu's recent-file items built again (a fresh document).
void RebuildRecentFilesMenu();
