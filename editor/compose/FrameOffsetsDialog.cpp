// "Set Frame Offsets" (1015): per frame of the current object's sequence the
// offset at which it is drawn beside the object's position, and its name.
// The offset shown is the one the sequence holds: a frame is drawn at the
// position plus that offset.
#include "ComposeCommon.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "WindowDialogResources.h"
#include "WindowDialogs.h"
#include "resource.h"
#include <cstring>

namespace {

constexpr int MAX_OFFSET = 127;
constexpr int FRAME_NAME_LIMIT = 64;

SequenceImages* CurrentImages()
{
    const int sequence = CurrentSequenceIndex();
    return sequence >= 0 ? &g_document.sequenceImages[sequence] : nullptr;
}

void MarkSequenceModified()
{
    if (g_document.sequenceState != DOC_NONE) g_document.sequenceState |= DOC_MODIFIED;
}

int ShownFrame(HWND dialog) { return static_cast<int>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void ShowFrame(HWND dialog, int frame)
{
    SetWindowLongPtrA(dialog, DWLP_USER, frame);
    SetDlgItemInt(dialog, IDC_OFFSET_FRAME, frame + 1, FALSE);
    const char* name = g_document.frameRecords[frame].name;
    SetDlgItemTextA(dialog, IDC_OFFSET_NAME, name ? name : "");
    const SequenceImages* images = CurrentImages();
    SetDlgItemInt(dialog, IDC_OFFSET_X, images ? images->offsetX[frame] : 0, TRUE);
    SetDlgItemInt(dialog, IDC_OFFSET_Y, images ? images->offsetY[frame] : 0, TRUE);
}

// Stores the fields into the shown frame; false after a beep (the frame is
// shown again) when an offset is not valid.
bool StoreShownFrame(HWND dialog)
{
    const int frame = ShownFrame(dialog);
    int x = 0, y = 0;
    char name[FRAME_NAME_LIMIT + 1] = "";
    GetDlgItemTextA(dialog, IDC_OFFSET_NAME, name, sizeof name);
    if (!TryGetRangedDlgInt(dialog, IDC_OFFSET_X, -MAX_OFFSET, MAX_OFFSET, TRUE, &x) ||
        !TryGetRangedDlgInt(dialog, IDC_OFFSET_Y, -MAX_OFFSET, MAX_OFFSET, TRUE, &y) ||
        !StoreFrameOffset(frame, x, y, name)) {
        MessageBeep(0);
        ShowFrame(dialog, frame);
        return false;
    }
    return true;
}

void MoveToFrame(HWND dialog, int frame)
{
    if (!StoreShownFrame(dialog)) return;
    const int count = g_appState.frameCount;
    if (frame >= count) frame = 0;
    if (frame < 0) frame = count - 1;
    ShowFrame(dialog, frame);
}

// A frame number typed into "Frame:" takes effect when the field is left.
void GoToTypedFrame(HWND dialog)
{
    int number = 0;
    if (!TryGetRangedDlgInt(dialog, IDC_OFFSET_FRAME, 1, g_appState.frameCount, FALSE, &number)) {
        MessageBeep(0);
        ShowFrame(dialog, ShownFrame(dialog));
        return;
    }
    if (number - 1 != ShownFrame(dialog)) MoveToFrame(dialog, number - 1);
}

void SetAll(HWND dialog)
{
    if (!StoreShownFrame(dialog)) return;
    const int frame = ShownFrame(dialog);
    const SequenceImages* images = CurrentImages();
    if (!images) return;
    char name[FRAME_NAME_LIMIT + 1] = "";
    GetDlgItemTextA(dialog, IDC_OFFSET_NAME, name, sizeof name);
    SetAllFrameOffsets(images->offsetX[frame], images->offsetY[frame], name, frame);
}

BOOL InitFrameOffsets(HWND dialog)
{
    if (g_appState.frameCount <= 0 || !CurrentImages()) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    SendDlgItemMessageA(dialog, IDC_OFFSET_NAME, EM_LIMITTEXT, FRAME_NAME_LIMIT, 0);
    ShowFrame(dialog, 0);
    CenterWindow(dialog);
    return TRUE;
}

BOOL OnOffsetCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_OFFSET_FRAME:
        if (code == EN_KILLFOCUS) GoToTypedFrame(dialog);
        return TRUE;
    case IDOK:  // Enter goes to the next frame
    case IDC_OFFSET_NEXT: MoveToFrame(dialog, ShownFrame(dialog) + 1); return TRUE;
    case IDC_OFFSET_PREVIOUS: MoveToFrame(dialog, ShownFrame(dialog) - 1); return TRUE;
    case IDC_OFFSET_SET_ALL: SetAll(dialog); return TRUE;
    case IDC_OFFSET_OK:
        if (StoreShownFrame(dialog)) EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
    }
}

}  // namespace

bool StoreFrameOffset(int frame, int offsetX, int offsetY, const char* name)
{
    SequenceImages* images = CurrentImages();
    if (!images || frame < 0 || frame >= g_appState.frameCount || frame >= MAX_FRAMES) return false;
    if (offsetX < -MAX_OFFSET || offsetX > MAX_OFFSET || offsetY < -MAX_OFFSET || offsetY > MAX_OFFSET) return false;
    images->offsetX[frame] = static_cast<int8_t>(offsetX);
    images->offsetY[frame] = static_cast<int8_t>(offsetY);
    const char* old = g_document.frameRecords[frame].name;
    if (!old || strcmp(old, name) != 0) SetFrameFileName(frame, name[0] ? name : nullptr);
    MarkSequenceModified();
    return true;
}

void SetAllFrameOffsets(int offsetX, int offsetY, const char* name, int shownFrame)
{
    SequenceImages* images = CurrentImages();
    if (!images) return;
    const bool numbered = strstr(name, "%D") != nullptr;
    for (int frame = 0; frame < g_appState.frameCount && frame < MAX_FRAMES; ++frame) {
        images->offsetX[frame] = static_cast<int8_t>(offsetX);
        images->offsetY[frame] = static_cast<int8_t>(offsetY);
        if (numbered && frame != shownFrame) SetFrameFileName(frame, name);
    }
    MarkSequenceModified();
}

INT_PTR CALLBACK FrameOffsetsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return InitFrameOffsets(dialog);
    case WM_COMMAND: return OnOffsetCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_VSCROLL: {
        const int spin = lParam ? GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) : 0;
        if (spin == IDC_OFFSET_X_SPIN || spin == IDC_OFFSET_Y_SPIN)
            SpinDlgItemInt(dialog, spin - 1, LOWORD(wParam), -MAX_OFFSET, MAX_OFFSET);
        return TRUE;
    }
    default: return DefaultCtlColor(message);
    }
}
