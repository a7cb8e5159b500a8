// AVI export: the dialog "AVI Export" sets the frame rate, each frame's
// delay, the compressor and a wave sound, then writes the editor's frames
// through the Video-for-Windows wrapper.
#include "AviVideo.h"
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "FramePicture.h"
#include "PackedDib.h"
#include "ReelStrip.h"
#include "VfwWrapper.h"
#include <cstdio>
#include <cstring>

namespace {

// What the export works on: the editor's current frame as the template of
// every frame, whose bits receive each frame in turn.
struct ExportRecord {
    const char* path;
    BYTE* dib;         // the locked packed DIB
    BYTE* bits;
    uint32_t headerSize;  // header and colour table
    uint32_t imageSize;   // stride x height
    HWND progress;
};

struct ExportState {
    const VfwWrapper* vfw;
    ExportRecord record;
    ConvHostProc host;
    HPALETTE palette;
    int frames, width, height;
    std::vector<int> delays;
    HAVIFILE avi;
};

ExportState* StateOf(HWND dialog) { return reinterpret_cast<ExportState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }
LRESULT Strip(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendDlgItemMessageA(dialog, IDC_AVI_STRIP, message, wParam, lParam);
}
BITMAPINFOHEADER* Header(const ExportState* st) { return DibHeader(st->record.dib); }

int Current(HWND dialog)
{
    const int current = static_cast<int>(Strip(dialog, AVIREEL_GET_CURRENT));
    return current < 0 ? 0 : current;
}

int FrameRate(HWND dialog)
{
    BOOL ok = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, IDC_AVI_EXPORT_RATE, &ok, TRUE));
    return AviRateOf(value, ok != FALSE);
}

long DelaySum(const ExportState* st, int upTo)
{
    long sum = 0;
    for (int i = 0; i < upTo && i < static_cast<int>(st->delays.size()); ++i) sum += st->delays[i];
    return sum;
}

void ShowFrame(HWND dialog, ExportState* st)
{
    const int current = Current(dialog);
    if (current < st->frames) SetDlgItemInt(dialog, IDC_AVI_DELAY, static_cast<UINT>(st->delays[current]), FALSE);
    BOOL ok = FALSE;
    const int typed = static_cast<int>(GetDlgItemInt(dialog, IDC_AVI_EXPORT_RATE, &ok, TRUE));
    const int rate = AviRateOf(typed, ok != FALSE);
    if (!ok || typed != rate) SetDlgItemInt(dialog, IDC_AVI_EXPORT_RATE, static_cast<UINT>(rate), FALSE);
    SetDlgItemInt(dialog, IDC_AVI_FRAME, static_cast<UINT>(current + 1), FALSE);
    SetDlgItemTextA(dialog, IDC_AVI_POSITION, AviSeconds(DelaySum(st, current), rate).c_str());
    SetDlgItemTextA(dialog, IDC_AVI_TOTAL_TIME, AviSeconds(DelaySum(st, st->frames), rate).c_str());
}

// The delay field goes to the current frame and every selected frame.
void ApplyDelay(HWND dialog, ExportState* st)
{
    BOOL ok = FALSE;
    int delay = static_cast<int>(GetDlgItemInt(dialog, IDC_AVI_DELAY, &ok, TRUE));
    if (!ok) delay = 1;
    if (delay < 0) delay = 0;
    if (delay > AVI_MAX_DELAY) delay = AVI_MAX_DELAY;
    const int current = Current(dialog);
    for (int i = 0; i < st->frames; ++i)
        if (i == current || Strip(dialog, AVIREEL_IS_SELECTED, static_cast<WPARAM>(i))) st->delays[i] = delay;
    if (st->frames > 0) Strip(dialog, AVIREEL_SET_SELECTION, 0, MAKELPARAM(0, st->frames - 1));
    ShowFrame(dialog, st);
}

bool CreateOutput(HWND dialog, ExportState* st)
{
    if (st->avi) return true;
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    VideoParameters parameters{};
    parameters.framesPerSec = static_cast<uint16_t>(FrameRate(dialog));
    parameters.bufferSize = st->record.imageSize;
    parameters.trueColour = Header(st)->biBitCount > 8 ? 1 : 0;
    st->avi = st->vfw->Create(st->record.path, &parameters, Header(st));
    SetCursor(previous);
    return st->avi != nullptr;
}

// 4-bit rows as 8-bit rows padded to 4 bytes; the high nibble is the left pixel.
void ExpandNibbles(const BYTE* from, BYTE* to, int width, int height)
{
    const uint32_t inStride = DibStride(width, 4), outStride = DibStride(width, 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            to[size_t(y) * outStride + x] = static_cast<BYTE>(DibPixelAt(from + size_t(y) * inStride, x, 4));
}

// Writes every frame whose delay is not 0; the number written or a result code.
int WriteFrames(HWND dialog, ExportState* st)
{
    const ExportRecord& r = st->record;
    BITMAPINFOHEADER* h = Header(st);
    // Nothing to write: no stream either; the empty file is removed.
    if (DelaySum(st, st->frames) == 0) return 0;
    const bool nibbles = h->biBitCount == 4;
    const int height = h->biHeight < 0 ? -h->biHeight : h->biHeight;
    GlobalBlock scratch;
    BYTE* expanded = nullptr;
    uint32_t expandedSize = 0;
    if (nibbles) {
        // Whole 8-bit rows, padded: the frame expanded fits at any width.
        expandedSize = DibStride(h->biWidth, 8) * static_cast<uint32_t>(height);
        scratch.Reset(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, r.headerSize + expandedSize));
        if (!scratch) return CONV_ERR_MEMORY;
        BYTE* block = static_cast<BYTE*>(static_cast<void*>(scratch.Get()));
        memcpy(block, r.dib, r.headerSize);
        auto* eight = DibHeader(block);
        eight->biBitCount = 8;
        eight->biSizeImage = 0;
        // The table holds 16 entries; at 8 bits a 0 would announce 256.
        if (eight->biClrUsed == 0) eight->biClrUsed = 16;
        expanded = block + r.headerSize;
        if (!st->vfw->InitStream(st->avi, eight, static_cast<LONG>(r.headerSize), TRUE)) return CONV_ERR_COMPRESSION;
    } else if (!st->vfw->InitStream(st->avi, h, static_cast<LONG>(r.headerSize), h->biBitCount >= 8 ? TRUE : FALSE)) {
        return CONV_ERR_COMPRESSION;
    }
    int written = 0;
    long position = 0;
    char name[MAX_PATH];
    AviFrameWrite write{};
    for (int i = 0; i < st->frames; ++i) {
        if (st->delays[i] == 0) continue;
        if (!st->host(CONV_REQ_GET_FRAME_BITS, h, static_cast<ULONG_PTR>(i))) return CONV_ERR_MEMORY;
        name[0] = '\0';
        st->host(CONV_REQ_GET_FRAME_NAME, name, static_cast<ULONG_PTR>(i));
        PumpConvMessages(r.progress);
        if (nibbles) ExpandNibbles(r.bits, expanded, h->biWidth, height);
        write = {static_cast<int32_t>(position), 1, nibbles ? expanded : r.bits,
                 static_cast<int32_t>(nibbles ? expandedSize : r.imageSize), name};
        if (!st->vfw->WriteFrame(st->avi, &write)) return CONV_ERR_WRITE;
        ++written;
        StepConvProgress(i * 100 / st->frames);
        position += st->delays[i];
    }
    // The last frame again one below the end, so that the video lasts its full delay.
    if (written > 0 && st->delays[st->frames - 1] > 1) {
        write.position = static_cast<int32_t>(position - 1);
        if (!st->vfw->WriteFrame(st->avi, &write)) return CONV_ERR_WRITE;
    }
    return written;
}

void CloseOutput(ExportState* st, bool remove)
{
    if (!st->avi) return;
    st->vfw->Close(st->avi);
    st->avi = nullptr;
    if (remove) DeleteConvFile(st->record.path);
}

void RunExport(HWND dialog, ExportState* st)
{
    ApplyDelay(dialog, st);
    if (!CreateOutput(dialog, st)) {
        EndDialog(dialog, CONV_ERR_CREATE);
        return;
    }
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const int result = WriteFrames(dialog, st);
    SetCursor(previous);
    char sound[MAX_PATH] = "";
    GetDlgItemTextA(dialog, IDC_AVI_SOUND_PATH, sound, MAX_PATH);
    if (result > 0 && sound[0]) {
        const long total = DelaySum(st, st->frames);
        if (total == 0 || !st->vfw->MergeSound(st->avi, sound, total, FrameRate(dialog)))
            ShowConvMessage(dialog, IDS_ERROR_CAPTION, IDS_SOUND_MERGE_FAILED, MB_OK | MB_ICONEXCLAMATION);
    }
    // No frame written: no file. After a failure the file stays as written.
    CloseOutput(st, result == 0);
    EndDialog(dialog, result > 0 ? 1 : result);
}

void ChooseSound(HWND dialog, ExportState* st)
{
    char buffer[MAX_PATH] = "";
    LoadStringA(ConvModule(), IDS_WAVE_FILTER, buffer, MAX_PATH);
    if (st->host(CONV_REQ_CHOOSE_FILE, buffer, reinterpret_cast<ULONG_PTR>(dialog)))
        SetDlgItemTextA(dialog, IDC_AVI_SOUND_PATH, buffer);
}

void ClickFrame(HWND dialog, ExportState* st, int frame)
{
    if (frame < 0 || frame >= st->frames) return;
    const bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0;
    if (shift || control) {
        const bool on = !Strip(dialog, AVIREEL_IS_SELECTED, static_cast<WPARAM>(frame));
        const int current = Current(dialog);
        const int first = control ? (current < frame ? current : frame) : frame;
        const int last = control ? (current < frame ? frame : current) : frame;
        Strip(dialog, AVIREEL_SET_SELECTION, on ? 1 : 0, MAKELPARAM(first, last));
    }
    Strip(dialog, AVIREEL_SET_CURRENT, static_cast<WPARAM>(frame), 1);
    ShowFrame(dialog, st);
}

void InitExport(HWND dialog, ExportState* st)
{
    st->host(CONV_REQ_GET_PALETTE, &st->palette, 1);
    st->frames = static_cast<int>(st->host(CONV_REQ_QUERY, nullptr, CONV_QUERY_FRAME_COUNT));
    if (st->frames < 0) st->frames = 0;
    uint32_t size = 0;
    st->host(CONV_REQ_QUERY, &size, CONV_QUERY_FRAME_SIZE);
    st->width = static_cast<int>(size & 0xFFFF);
    st->height = static_cast<int>(size >> 16);
    st->delays.assign(st->frames, 1);
    Strip(dialog, AVIREEL_SET_ITEMS, static_cast<WPARAM>(st->frames), MAKELPARAM(st->width, st->height));
    SetDlgItemInt(dialog, IDC_AVI_EXPORT_RATE, AVI_DEFAULT_RATE, FALSE);
    SendDlgItemMessageA(dialog, IDC_AVI_DELAY, EM_LIMITTEXT, 2, 0);
    EnableWindow(GetDlgItem(dialog, IDC_AVI_COMPRESSION), Header(st)->biBitCount >= 4);
    if (st->frames > 0) Strip(dialog, AVIREEL_SET_CURRENT, 0, 0);
    ShowFrame(dialog, st);
    CenterConvDialog(dialog);
}

bool Command(HWND dialog, ExportState* st, int id, int code, LPARAM lParam)
{
    switch (id) {
    case IDC_AVI_STRIP:
        if (code == AVIREEL_CLICKED) ClickFrame(dialog, st, static_cast<int>(lParam));
        if (code == AVIREEL_KEY_MOVED) {
            Strip(dialog, AVIREEL_SET_CURRENT, static_cast<WPARAM>(lParam), 0);
            ShowFrame(dialog, st);
        }
        return true;
    case IDC_AVI_PREVIOUS:
    case IDC_AVI_NEXT:
        if (st->frames > 0) {
            const int from = Current(dialog);
            const int to = id == IDC_AVI_NEXT ? (from + 1) % st->frames : (from + st->frames - 1) % st->frames;
            Strip(dialog, AVIREEL_SET_CURRENT, static_cast<WPARAM>(to), 0);
            ShowFrame(dialog, st);
        }
        return true;
    case IDC_AVI_DELAY:
        if (code == EN_KILLFOCUS) ApplyDelay(dialog, st);
        return true;
    case IDC_AVI_EXPORT_RATE:
        if (code == EN_KILLFOCUS) {
            BOOL ok = FALSE;
            const int value = static_cast<int>(GetDlgItemInt(dialog, IDC_AVI_EXPORT_RATE, &ok, TRUE));
            if (!ok || value < 1 || value > AVI_MAX_RATE) {
                MessageBeep(MB_OK);
                SetDlgItemInt(dialog, IDC_AVI_EXPORT_RATE, AVI_DEFAULT_RATE, FALSE);
                SetFocus(GetDlgItem(dialog, IDC_AVI_EXPORT_RATE));
            }
            ShowFrame(dialog, st);
        }
        return true;
    case IDC_AVI_COMPRESSION:
        if (!CreateOutput(dialog, st)) EndDialog(dialog, CONV_ERR_CREATE);
        else st->vfw->CompressOptions(st->avi, dialog);
        return true;
    case IDC_AVI_SOUND_BUTTON: ChooseSound(dialog, st); return true;
    case IDOK: RunExport(dialog, st); return true;
    case IDCANCEL:
        CloseOutput(st, true);
        EndDialog(dialog, CONV_CANCELLED);
        return true;
    default: return false;
    }
}

INT_PTR CALLBACK AviExportDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    ExportState* st = StateOf(dialog);
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        InitExport(dialog, reinterpret_cast<ExportState*>(lParam));
        return TRUE;
    case WM_COMMAND: return st && Command(dialog, st, LOWORD(wParam), HIWORD(wParam), lParam) ? TRUE : FALSE;
    case WM_VSCROLL: {
        if (!st) return TRUE;
        const int spin = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (spin == IDC_AVI_DELAY_SPIN) {
            StepDialogField(dialog, IDC_AVI_DELAY, LOWORD(wParam), 1, AVI_MAX_DELAY);
            if (LOWORD(wParam) != SB_ENDSCROLL) ApplyDelay(dialog, st);
        } else if (spin == IDC_AVI_EXPORT_RATE_SPIN) {
            StepDialogField(dialog, IDC_AVI_EXPORT_RATE, LOWORD(wParam), 1, AVI_MAX_RATE);
            ShowFrame(dialog, st);
        }
        return TRUE;
    }
    case AVIREEL_DRAW_ITEM:
        if (st) {
            const auto& item = *reinterpret_cast<const ReelDrawItem*>(lParam);
            DrawReelFrame(st->host, st->palette, item.index, item);
        }
        return TRUE;
    case WM_DESTROY:
        if (st) CloseOutput(st, false);
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

std::string AviSeconds(long frames, int rate)
{
    char text[32];
    snprintf(text, sizeof text, "%3.2fs", rate > 0 ? static_cast<double>(frames) / rate : 0.0);
    return text;
}

int AviRateOf(int value, bool isNumber) { return isNumber && value >= 1 && value <= AVI_MAX_RATE ? value : AVI_DEFAULT_RATE; }

int SaveAviFile(const ConvSaveCall& call)
{
    if (!call.host || !call.dib) return CONV_ERR_MEMORY;
    VfwWrapper vfw;
    if (!vfw.Load(call.owner)) return CONV_CANCELLED;
    GlobalLockGuard<BYTE> locked(call.dib);
    if (!locked) return CONV_ERR_MEMORY;
    uint32_t headerSize = 0, imageSize = 0;
    const BITMAPINFOHEADER* h = DibHeader(locked.get());
    // The header and every row must lie in the block the editor gave.
    if (!AviDibSizes(h, &headerSize, &imageSize) || h->biCompression != BI_RGB ||
        headerSize + uint64_t(imageSize) > GlobalSize(call.dib))
        return CONV_ERR_COMPRESSION;
    ExportState state{};
    state.vfw = &vfw;
    state.record = {call.path, locked.get(), locked.get() + headerSize, headerSize, imageSize, call.progress};
    state.host = call.host;
    const INT_PTR result = DialogBoxParamA(ConvModule(), MAKEINTRESOURCEA(IDD_AVI_EXPORT), call.owner,
                                           AviExportDlgProc, reinterpret_cast<LPARAM>(&state));
    return static_cast<int>(result);
}
