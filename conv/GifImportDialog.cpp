// "GIF - Importoptionen": for a GIF whose images differ in size, the user
// chooses a sequence on a canvas of a size of their own, one image, or the
// picture all images assemble on the logical screen.
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "GifAnimation.h"
#include <cstdio>

namespace {

constexpr int MIN_CANVAS = 8;
constexpr int MAX_CANVAS = 1024;

struct ImportDialogState {
    GifAnimSettings* settings;
    ConvHostProc host;
    int minWidth, maxWidth, minHeight, maxHeight;  // over the images: the spin bars' ranges
    bool editorSize;  // the editor's frames fix the canvas
};

ImportDialogState* StateOf(HWND dialog)
{
    return reinterpret_cast<ImportDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void Choose(HWND dialog, int radio) { CheckRadioButton(dialog, IDC_GIF_IMPORT_SEQUENCE, IDC_GIF_IMPORT_ASSEMBLED, radio); }

void Init(HWND dialog, ImportDialogState* state)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    CenterConvDialog(dialog);
    GifAnimSettings* s = state->settings;
    char format[64] = "";
    LoadStringA(ConvModule(), IDS_GIF_FRAME_LINE, format, sizeof format);
    state->minWidth = state->minHeight = INT32_MAX;
    state->maxWidth = state->maxHeight = 0;
    for (int i = 0; i < s->frameCount; ++i) {
        const GifFrameRecord& r = s->frames[i];
        char line[128];
        snprintf(line, sizeof line, format, i, r.width, r.height, 1 << r.bitsPerPixel);
        SendDlgItemMessageA(dialog, IDC_GIF_IMAGE_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
        if (r.width < state->minWidth) state->minWidth = r.width;
        if (r.width > state->maxWidth) state->maxWidth = r.width;
        if (r.height < state->minHeight) state->minHeight = r.height;
        if (r.height > state->maxHeight) state->maxHeight = r.height;
    }
    int width = state->maxWidth, height = state->maxHeight;
    uint32_t size = 0;
    if (state->host(CONV_REQ_QUERY, nullptr, CONV_QUERY_FRAME_COUNT) > 0 &&
        state->host(CONV_REQ_QUERY, &size, CONV_QUERY_FRAME_SIZE)) {
        // Frames are there: the sequence takes their size.
        state->editorSize = true;
        width = s->frameWidth = static_cast<uint16_t>(size & 0xFFFF);
        height = s->frameHeight = static_cast<uint16_t>(size >> 16);
    }
    SetDlgItemInt(dialog, IDC_GIF_CANVAS_WIDTH, width, FALSE);
    SetDlgItemInt(dialog, IDC_GIF_CANVAS_HEIGHT, height, FALSE);
    for (int id = IDC_GIF_CANVAS_WIDTH; id <= IDC_GIF_CANVAS_HEIGHT_SPIN; ++id)
        EnableWindow(GetDlgItem(dialog, id), !state->editorSize);
    Choose(dialog, IDC_GIF_IMPORT_SEQUENCE);
}

// A canvas side of 8 to 1024 from a field; the field gets the focus when not.
bool ReadSide(HWND dialog, int field, uint16_t* side)
{
    BOOL ok = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, field, &ok, TRUE));
    if (!ok || value < MIN_CANVAS || value > MAX_CANVAS) {
        SetFocus(GetDlgItem(dialog, field));
        MessageBeep(0);
        return false;
    }
    *side = static_cast<uint16_t>(value);
    return true;
}

void Ok(HWND dialog, ImportDialogState* state)
{
    if (IsDlgButtonChecked(dialog, IDC_GIF_IMPORT_ASSEMBLED) == BST_CHECKED) {
        EndDialog(dialog, 2);
        return;
    }
    if (IsDlgButtonChecked(dialog, IDC_GIF_IMPORT_ONE) == BST_CHECKED) {
        const LRESULT chosen = SendDlgItemMessageA(dialog, IDC_GIF_IMAGE_LIST, LB_GETCURSEL, 0, 0);
        if (chosen < 0) {
            SetFocus(GetDlgItem(dialog, IDC_GIF_IMAGE_LIST));
            MessageBeep(0);
            return;
        }
        state->settings->selectedFrame = static_cast<int32_t>(chosen);
        EndDialog(dialog, 1);
        return;
    }
    // The editor's own size is taken as it is: the user cannot change it here.
    GifAnimSettings* s = state->settings;
    if (!state->editorSize &&
        !(ReadSide(dialog, IDC_GIF_CANVAS_WIDTH, &s->frameWidth) && ReadSide(dialog, IDC_GIF_CANVAS_HEIGHT, &s->frameHeight)))
        return;
    EndDialog(dialog, 3);
}

INT_PTR CALLBACK GifImportDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    ImportDialogState* state = StateOf(dialog);
    switch (message) {
    case WM_INITDIALOG: Init(dialog, reinterpret_cast<ImportDialogState*>(lParam)); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_GIF_IMAGE_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE) Choose(dialog, IDC_GIF_IMPORT_ONE);
            return TRUE;
        case IDC_GIF_CANVAS_WIDTH:
        case IDC_GIF_CANVAS_HEIGHT:
            if (HIWORD(wParam) == EN_SETFOCUS) Choose(dialog, IDC_GIF_IMPORT_SEQUENCE);
            return TRUE;
        case IDOK: Ok(dialog, state); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
        }
    case WM_VSCROLL: {
        const int bar = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (bar == IDC_GIF_CANVAS_WIDTH_SPIN)
            StepDialogField(dialog, IDC_GIF_CANVAS_WIDTH, LOWORD(wParam), state->minWidth, state->maxWidth);
        else if (bar == IDC_GIF_CANVAS_HEIGHT_SPIN)
            StepDialogField(dialog, IDC_GIF_CANVAS_HEIGHT, LOWORD(wParam), state->minHeight, state->maxHeight);
        else
            return FALSE;
        Choose(dialog, IDC_GIF_IMPORT_SEQUENCE);
        return TRUE;
    }
    default: return FALSE;
    }
}

}  // namespace

int RunGifImportDialog(HWND owner, GifAnimSettings* settings, ConvHostProc host)
{
    ImportDialogState state{settings, host, 0, 0, 0, 0, false};
    const INT_PTR mode = DialogBoxParamA(ConvModule(), MAKEINTRESOURCEA(IDD_GIF_IMPORT), owner, GifImportDlgProc,
                                         reinterpret_cast<LPARAM>(&state));
    return mode >= 0 && mode <= 3 ? static_cast<int>(mode) : 0;
}
