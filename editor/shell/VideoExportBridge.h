// The editor's side of the video export: loading ZelvoExp32 for each export,
// filling its options from the document, running its options dialog and
// starting the export, and freeing the library when the export reports its end.
#pragma once
#include <windows.h>

// Renders the animation file into an AVI file. Nonzero when the export runs
// (the library then stays loaded until AVI_EXPORT_DONE), 0 when it did not
// start (a message was shown, or the user cancelled the options).
int ExportAnimationToAvi(HWND owner, const char* animationPath, const char* videoPath);

// The main window's AVI_EXPORT_DONE (wParam the library's module, lParam 1 or
// the id of the message the library showed): lets pending messages run, then
// frees the library of a finished export of this bridge. A message that names
// any other module, or comes while the export still runs, frees nothing.
void OnVideoExportDone(WPARAM module, LPARAM result);

// Makes ExportAnimationToAvi the editor's video export (its exportVideo hook).
void InstallVideoExportBridge();

// Exports started whose library is still held.
int RunningVideoExports();
