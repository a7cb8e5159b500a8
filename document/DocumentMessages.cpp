// Message boxes of the document pieces (see DocumentMessages.h).
#include "DocumentMessages.h"
#include "AppState.h"
#include "ResultCodes.h"
#include "UiSeam.h"
#include <cstdio>

int ShowDocumentMessage(UINT textId, const char* caption, UINT style)
{
    char text[512];
    if (!LoadStringA(GetModuleHandleA(nullptr), textId, text, sizeof text))
        snprintf(text, sizeof text, "Error %u", textId);
    return CurrentUiSeam().messageBox(g_appState.mainWindow, text, caption ? caption : "Error", style);
}

int ShowOutOfMemory()
{
    ShowDocumentMessage(RESULT_OUT_OF_MEMORY, nullptr, MB_OK | MB_ICONSTOP);
    return 0;
}
