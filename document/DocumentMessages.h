// Message boxes of the document pieces that run inside the editor (undo list,
// clipboard): the text is a string of the program's string table, shown over
// the main window through the UiSeam table so that tests can answer.
#pragma once
#include <windows.h>

// Shows string `textId` (a missing string shows its number) with `caption`
// (null: "Error"). Returns the message box's answer.
int ShowDocumentMessage(UINT textId, const char* caption, UINT style);
// The out-of-memory message 28673 with the error icon; returns 0.
int ShowOutOfMemory();
