// AVI import: the dialog "AVI Import" shows the video's frames on a strip,
// lets the user pick frames (one by one or with "AVI Select Frames") and
// hands each chosen frame to the editor; and the preview of a video.
#include "AviVideo.h"
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "FramePicture.h"
#include "PackedDib.h"
#include "ReelStrip.h"
#include "VfwWrapper.h"
#include <cstdio>

namespace {

struct ImportState {
    const VfwWrapper* vfw;
    HAVIFILE avi;
    ConvHostProc host;
    int editorFrames;
    int frames;  // items of the strip
    int width, height;
};

ImportState* StateOf(HWND dialog) { return reinterpret_cast<ImportState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }
LRESULT Strip(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendDlgItemMessageA(dialog, IDC_AVI_STRIP, message, wParam, lParam);
}
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

std::vector<int> SelectedFrames(HWND dialog, const ImportState* st)
{
    std::vector<int> selected;
    for (int i = 0; i < st->frames; ++i)
        if (Strip(dialog, AVIREEL_IS_SELECTED, static_cast<WPARAM>(i))) selected.push_back(i);
    return selected;
}

// The list and its count; OK only with a selected frame.
void ShowSelection(HWND dialog, const ImportState* st)
{
    const std::vector<int> selected = SelectedFrames(dialog, st);
    char count[32];
    snprintf(count, sizeof count, "(%d):", static_cast<int>(selected.size()));
    SetDlgItemTextA(dialog, IDC_AVI_SELECTED_COUNT, count);
    std::string text = SelectionText(selected);
    HWND field = GetDlgItem(dialog, IDC_AVI_SELECTED_LIST);
    RECT box;
    GetClientRect(field, &box);
    HDC dc = GetDC(field);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(field, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(field, dc);
    if (extent.cx > box.right) text = ShortSelectionText(selected);
    SetWindowTextA(field, text.c_str());
    EnableWindow(GetDlgItem(dialog, IDOK), selected.empty() ? FALSE : TRUE);
}

void SetCurrent(HWND dialog, int frame)
{
    Strip(dialog, AVIREEL_SET_CURRENT, static_cast<WPARAM>(frame), 0);
    SetDlgItemInt(dialog, IDC_AVI_FRAME, static_cast<UINT>(frame + 1), FALSE);
}

void Toggle(HWND dialog, const ImportState* st, int frame)
{
    if (frame < 0 || frame >= st->frames) return;
    const bool on = Strip(dialog, AVIREEL_IS_SELECTED, static_cast<WPARAM>(frame)) != 0;
    Strip(dialog, AVIREEL_SET_SELECTION, on ? 0 : 1, MAKELPARAM(frame, frame));
}

// ---- "AVI Select Frames" ----------------------------------------------------------------

struct SelectRequest {
    int frames;
    std::vector<int> chosen;
};

bool ReadSelectField(HWND dialog, int id, int low, int high, int* value)
{
    BOOL ok = FALSE;
    *value = static_cast<int>(GetDlgItemInt(dialog, id, &ok, TRUE));
    if (ok && *value >= low && *value <= high) return true;
    SetFocus(GetDlgItem(dialog, id));
    MessageBeep(MB_OK);
    return false;
}

INT_PTR CALLBACK SelectFramesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* request = reinterpret_cast<SelectRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetDlgItemInt(dialog, IDC_AVI_SELECT_FROM, 1, TRUE);
        SetDlgItemInt(dialog, IDC_AVI_SELECT_COUNT, 1, TRUE);
        SetDlgItemInt(dialog, IDC_AVI_SELECT_STEP, 1, TRUE);
        CenterConvDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && request) {
            int start, count, step;
            if (!ReadSelectField(dialog, IDC_AVI_SELECT_FROM, 1, INT32_MAX, &start) ||
                !ReadSelectField(dialog, IDC_AVI_SELECT_COUNT, 0, AVI_MAX_SELECT_COUNT, &count) ||
                !ReadSelectField(dialog, IDC_AVI_SELECT_STEP, 1, INT32_MAX, &step))
                return TRUE;
            request->chosen = FramesToSelect(start, count, step, request->frames);
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

void RunSelectFrames(HWND dialog, ImportState* st)
{
    SelectRequest request{st->frames, {}};
    if (DialogBoxParamA(ConvModule(), MAKEINTRESOURCEA(IDD_AVI_SELECT_FRAMES), dialog, SelectFramesDlgProc,
                        reinterpret_cast<LPARAM>(&request)) != 1)
        return;
    if (st->frames > 0) Strip(dialog, AVIREEL_SET_SELECTION, 0, MAKELPARAM(0, st->frames - 1));
    for (int frame : request.chosen) Strip(dialog, AVIREEL_SET_SELECTION, 1, MAKELPARAM(frame, frame));
    ShowSelection(dialog, st);
}

// ---- the dialog ------------------------------------------------------------------------------

void ClickFrame(HWND dialog, ImportState* st, int frame)
{
    if (frame < 0 || frame >= st->frames) return;
    if (GetKeyState(VK_SHIFT) < 0) {
        Toggle(dialog, st, frame);
    } else if (GetKeyState(VK_CONTROL) < 0) {
        if (!Strip(dialog, AVIREEL_IS_SELECTED, static_cast<WPARAM>(frame))) {
            RunSelectFrames(dialog, st);
            return;
        }
        const int current = static_cast<int>(Strip(dialog, AVIREEL_GET_CURRENT));
        const int from = current < 0 ? frame : current;
        Strip(dialog, AVIREEL_SET_SELECTION, 0, MAKELPARAM(from < frame ? from : frame, from < frame ? frame : from));
    }
    SetCurrent(dialog, frame);
}

// Adds every selected frame to the editor, pumping messages between frames.
void Import(HWND dialog, ImportState* st)
{
    const std::vector<int> selected = SelectedFrames(dialog, st);
    if (selected.empty()) return;
    const UINT flags = AviImportFlags(Checked(dialog, IDC_AVI_PALETTE), Checked(dialog, IDC_AVI_STRETCH),
                                      Checked(dialog, IDC_AVI_DITHER));
    HWND progress = CreateConvProgress(dialog, ConvModule(), IDD_CONVERTING_CANCEL);
    for (size_t i = 0; i < selected.size(); ++i) {
        // Pending messages first: a repaint of the strip calls the wrapper,
        // which ends the life of the frame it handed out before.
        if (StepConvProgress(static_cast<int>(i * 100 / selected.size()))) break;
        const LPBITMAPINFOHEADER frame = st->vfw->Frame(st->avi, selected[i]);
        // A damaged frame or a missing codec ends the import with the frames so far.
        GlobalBlock copy(frame ? CopyAviFrame(frame, nullptr) : nullptr);
        if (!copy || !st->host(CONV_REQ_ADD_FRAME, copy.Get(), flags)) break;
    }
    if (progress) DestroyConvProgress(progress);
    EndDialog(dialog, 1);
}

bool InitImport(HWND dialog, ImportState* st)
{
    if (!st->vfw->HasDrawFrame()) return false;
    AviInfo info{};
    st->vfw->Info(st->avi, &info);
    st->frames = info.frames < 0 ? 0 : info.frames > AVI_MAX_STRIP_ITEMS ? AVI_MAX_STRIP_ITEMS : info.frames;
    st->width = info.width;
    st->height = info.height;
    SetDlgItemInt(dialog, IDC_AVI_TOTAL_FRAMES, static_cast<UINT>(info.frames), TRUE);
    char size[48];
    snprintf(size, sizeof size, "%d x %d", static_cast<int>(info.width), static_cast<int>(info.height));
    SetDlgItemTextA(dialog, IDC_AVI_FRAME_SIZE, size);
    SetDlgItemInt(dialog, IDC_AVI_RATE, info.framesPerSec, FALSE);
    const bool dither = st->host(CONV_REQ_QUERY, nullptr, CONV_QUERY_DITHER_ON_OPEN) != 0;
    CheckDlgButton(dialog, IDC_AVI_DITHER, dither ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_AVI_PALETTE), st->editorFrames == 0);
    CheckDlgButton(dialog, IDC_AVI_STRETCH, st->editorFrames > 0 ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_AVI_STRETCH), st->editorFrames > 0);
    Strip(dialog, AVIREEL_SET_ITEMS, static_cast<WPARAM>(st->frames), MAKELPARAM(st->width, st->height));
    if (st->frames > 0) Strip(dialog, AVIREEL_SET_CURRENT, 0, 0);
    SetDlgItemInt(dialog, IDC_AVI_FRAME, 0, FALSE);
    ShowSelection(dialog, st);
    CenterConvDialog(dialog);
    return true;
}

void DrawItem(const ImportState* st, const ReelDrawItem& item)
{
    if (!st->vfw->DrawFrame(st->avi, item.index, item.dc, item.x, item.y, item.width, item.height))
        DrawNumberedItem(item);
}

bool Command(HWND dialog, ImportState* st, int id, int code, LPARAM lParam)
{
    const int current = static_cast<int>(Strip(dialog, AVIREEL_GET_CURRENT));
    switch (id) {
    case IDC_AVI_STRIP:
        if (code == AVIREEL_CLICKED) ClickFrame(dialog, st, static_cast<int>(lParam));
        if (code == AVIREEL_KEY_MOVED) SetDlgItemInt(dialog, IDC_AVI_FRAME, static_cast<UINT>(lParam + 1), FALSE);
        if (code == AVIREEL_DOUBLE_CLICKED) Toggle(dialog, st, current);
        if (code == AVIREEL_SELECTION_CHANGED) ShowSelection(dialog, st);
        return true;
    case IDC_AVI_PREVIOUS:
    case IDC_AVI_NEXT:
        if (st->frames > 0) {
            const int from = current < 0 ? 0 : current;
            SetCurrent(dialog, id == IDC_AVI_NEXT ? (from + 1) % st->frames : (from + st->frames - 1) % st->frames);
        }
        return true;
    case IDC_AVI_TOGGLE: Toggle(dialog, st, current); return true;
    case IDC_AVI_SELECT_FRAMES: RunSelectFrames(dialog, st); return true;
    case IDOK: Import(dialog, st); return true;
    case IDCANCEL: EndDialog(dialog, 0); return true;
    default: return false;
    }
}

INT_PTR CALLBACK AviImportDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    ImportState* st = StateOf(dialog);
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        if (!InitImport(dialog, reinterpret_cast<ImportState*>(lParam))) EndDialog(dialog, CONV_ERR_MEMORY);
        return TRUE;
    case WM_COMMAND: return st && Command(dialog, st, LOWORD(wParam), HIWORD(wParam), lParam) ? TRUE : FALSE;
    case AVIREEL_DRAW_ITEM:
        if (st) DrawItem(st, *reinterpret_cast<const ReelDrawItem*>(lParam));
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

// ---- pieces ------------------------------------------------------------------------------------

std::vector<int> FramesToSelect(int start, int count, int step, int frames)
{
    std::vector<int> chosen;
    for (long long frame = start - 1LL, k = 0; k < count && frame < frames; ++k, frame += step)
        if (frame >= 0) chosen.push_back(static_cast<int>(frame));
    return chosen;
}

std::string SelectionText(const std::vector<int>& selected)
{
    std::string text;
    for (int frame : selected) {
        if (text.size() >= AVI_SELECTION_TEXT_CHARS) break;
        char number[16];
        snprintf(number, sizeof number, text.empty() ? "%d" : ",%d", frame + 1);
        text += number;
    }
    return text;
}

std::string ShortSelectionText(const std::vector<int>& selected)
{
    if (selected.empty()) return {};
    char text[40];
    snprintf(text, sizeof text, "%d.....%d", selected.front() + 1, selected.back() + 1);
    return text;
}

UINT AviImportFlags(bool palette, bool stretch, bool dither)
{
    UINT flags = palette ? CONV_ADD_FIXED_COLOR_MODE : 0;
    if (stretch) flags |= CONV_ADD_STRETCH;
    return flags | (dither ? CONV_ADD_DITHER : CONV_ADD_NO_DITHER);
}

// ---- the format table's handlers ------------------------------------------------------------

int LoadAviFile(const ConvLoadCall& call)
{
    if (!call.host) return CONV_ERR_UNSUPPORTED;
    VfwWrapper vfw;
    if (!vfw.Load(call.owner)) return CONV_CANCELLED;
    ImportState state{&vfw, vfw.Open(call.path), call.host, call.frameCount, 0, 0, 0};
    if (!state.avi) return CONV_ERR_READ;
    const INT_PTR result = DialogBoxParamA(ConvModule(), MAKEINTRESOURCEA(IDD_AVI_IMPORT), call.owner,
                                           AviImportDlgProc, reinterpret_cast<LPARAM>(&state));
    vfw.Close(state.avi);
    return static_cast<int>(result);
}

int GetAviPreview(const char* path, ConvImage* image)
{
    VfwWrapper vfw;
    if (!vfw.Load(nullptr)) {
        if (image->message && image->messageSize)
            LoadStringA(ConvModule(), IDS_NO_VIDEO_LIBRARY, image->message, static_cast<int>(image->messageSize));
        return CONV_CANCELLED;
    }
    HAVIFILE avi = vfw.Open(path);
    if (!avi) return CONV_ERR_READ;
    AviInfo info{};
    vfw.Info(avi, &info);
    const LONG wanted = info.frames / 2 < 25 ? info.frames / 2 : 25;
    int result = CONV_ERR_COMPRESSION;
    if (const LPBITMAPINFOHEADER frame = vfw.Frame(avi, wanted < 0 ? 0 : wanted)) {
        uint32_t bitsOffset = 0;
        image->dib = CopyAviFrame(frame, &bitsOffset);
        image->bitsOffset = bitsOffset;
        result = image->dib ? CONV_OK : CONV_ERR_MEMORY;
    }
    vfw.Close(avi);
    return result;
}
