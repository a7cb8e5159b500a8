// Icon and cursor files: choosing one image of a directory, reading it into
// the editor as a frame with its hotspot, writing the current frame as a
// one-image icon or cursor, the cursor size choice and the previews.
#include "IconCursor.h"
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "FileIo.h"
#include "PackedDib.h"
#include <cstring>

namespace {

// Larger files are not icons the editor could take.
constexpr uint32_t MAX_ICON_FILE_BYTES = 64u << 20;
constexpr UINT ADD_FLAGS = CONV_ADD_USE_COLOR_OPTION | CONV_ADD_ASK_STRETCH;  // 0x11

uint32_t PackSize(int width, int height) { return static_cast<uint32_t>(height) << 16 | static_cast<uint32_t>(width); }

bool EndsWithCur(const char* path)
{
    const char* dot = strrchr(path, '.');
    return dot && lstrcmpiA(dot, ".CUR") == 0;
}

// The whole file in a movable block; -1 cannot open, -3 read failure, -5 memory.
int ReadWholeFile(const char* path, GlobalBlock* block, uint32_t* size)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return CONV_ERR_NOT_FOUND;
    const long length = FileLength(file.Get());
    if (length < 0 || static_cast<unsigned long>(length) > MAX_ICON_FILE_BYTES) return CONV_ERR_READ;
    block->Reset(GlobalAlloc(GMEM_MOVEABLE, length ? length : 1));
    if (!*block) return CONV_ERR_MEMORY;
    GlobalLockGuard<BYTE> p(block->Get());
    if (!ReadExact(file.Get(), p.get(), static_cast<uint32_t>(length))) return CONV_ERR_READ;
    *size = static_cast<uint32_t>(length);
    return CONV_OK;
}

INT_PTR CALLBACK CursorSizeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SendDlgItemMessageA(dialog, IDC_CURSOR_SIZE_ICON, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_WARNING)), 0);
        CheckRadioButton(dialog, IDC_CURSOR_SIZE_16, IDC_CURSOR_SIZE_KEEP, IDC_CURSOR_SIZE_32);
        CenterConvDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            const LONG_PTR current = GetWindowLongPtrA(dialog, DWLP_USER);
            int size = static_cast<int>(current);
            if (IsDlgButtonChecked(dialog, IDC_CURSOR_SIZE_16) == BST_CHECKED) size = PackSize(16, 16);
            else if (IsDlgButtonChecked(dialog, IDC_CURSOR_SIZE_32) == BST_CHECKED) size = PackSize(32, 32);
            else if (IsDlgButtonChecked(dialog, IDC_CURSOR_SIZE_64) == BST_CHECKED) size = PackSize(64, 64);
            EndDialog(dialog, size);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, -1);
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

// ---- the directory ----------------------------------------------------------------------

bool ChooseIconImage(const BYTE* data, uint32_t size, IconChoice* choice)
{
    if (!data || size < sizeof(IconFileHeader)) return false;
    IconFileHeader header;
    memcpy(&header, data, sizeof header);
    // A count whose entries do not fit in the file is no directory.
    if (header.count == 0 || sizeof header + uint64_t(header.count) * sizeof(IconDirEntry) > size) return false;
    unsigned chosenColors = 0, chosenArea = 0;
    bool found = false;
    for (unsigned i = 0; i < header.count; ++i) {
        IconDirEntry e;
        memcpy(&e, data + sizeof header + i * sizeof e, sizeof e);
        const unsigned area = unsigned(e.width) * e.height;
        if (e.colorCount <= chosenColors && area <= chosenArea) continue;
        chosenColors = e.colorCount < 2 ? 2 : e.colorCount;
        chosenArea = area;
        choice->offset = e.imageOffset;
        choice->size = e.bytesInRes;
        choice->hotspot = header.type == ICON_TYPE_CURSOR ? uint32_t(e.bitCount) << 16 | e.planes : 0;
        found = true;
    }
    if (!found || choice->offset >= size) return false;
    // Size 0: every byte from the image to the end of the file.
    if (choice->size == 0 || choice->size > size - choice->offset) {
        if (choice->size != 0) return false;
        choice->size = size - choice->offset;
    }
    return true;
}

bool IsIconDib(const BYTE* image, uint32_t size)
{
    if (size < sizeof(BITMAPINFOHEADER)) return false;
    BITMAPINFOHEADER h;
    memcpy(&h, image, sizeof h);
    if (h.biSize != sizeof h || h.biCompression != BI_RGB || !IsValidBitCount(h.biBitCount)) return false;
    if (h.biWidth < 1 || h.biWidth > MAX_FRAME_SIZE || h.biHeight < 2 || h.biHeight % 2 ||
        h.biHeight / 2 > MAX_FRAME_SIZE)
        return false;
    const int entries = DibColorEntries(h);
    if (entries < 0) return false;
    const int height = h.biHeight / 2;
    const uint64_t need = sizeof h + uint64_t(entries) * sizeof(RGBQUAD) +
                          uint64_t(DibStride(h.biWidth, h.biBitCount)) * height +
                          uint64_t(DibStride(h.biWidth, 1)) * height;
    return need <= size;
}

int ExtractIconImage(const BYTE* data, uint32_t size, HGLOBAL* image, uint32_t* hotspot)
{
    IconChoice choice{};
    if (!ChooseIconImage(data, size, &choice)) return CONV_ERR_UNKNOWN_FORMAT;
    if (!IsIconDib(data + choice.offset, choice.size)) return CONV_ERR_COMPRESSION;
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, choice.size));
    if (!block) return CONV_ERR_MEMORY;
    {
        GlobalLockGuard<BYTE> p(block.Get());
        memcpy(p.get(), data + choice.offset, choice.size);
    }
    *image = block.Release();
    *hotspot = choice.hotspot;
    return CONV_OK;
}

// ---- writing --------------------------------------------------------------------------------

uint32_t OneImageIconBytes(uint32_t imageSize) { return ONE_IMAGE_OFFSET + imageSize + (imageSize & 1); }

bool WriteOneImageIcon(HFILE file, const BYTE* image, uint32_t size, uint16_t type, uint32_t hotspot)
{
    BITMAPINFOHEADER h{};
    memcpy(&h, image, size < sizeof h ? size : sizeof h);
    const IconFileHeader header{0, type, 1};
    IconDirEntry e{};
    // A side of 256 or more is stored as 0, as the format reads it.
    e.width = h.biWidth > 0 && h.biWidth < 256 ? static_cast<uint8_t>(h.biWidth) : 0;
    const LONG height = h.biHeight / 2;
    e.height = height > 0 && height < 256 ? static_cast<uint8_t>(height) : 0;
    e.colorCount = h.biBitCount < 8 ? static_cast<uint8_t>(1u << h.biBitCount) : 0;
    if (type == ICON_TYPE_CURSOR) {
        e.planes = static_cast<uint16_t>(hotspot & 0xFFFF);
        e.bitCount = static_cast<uint16_t>(hotspot >> 16);
    }
    e.bytesInRes = size;
    e.imageOffset = ONE_IMAGE_OFFSET;
    const BYTE pad = 0;
    return WriteExact(file, &header, sizeof header) && WriteExact(file, &e, sizeof e) &&
           WriteExact(file, image, size) && (!(size & 1) || WriteExact(file, &pad, 1));
}

// ---- the cursor size -----------------------------------------------------------------------

int RunCursorSizeDialog(HWND owner, int width, int height)
{
    return static_cast<int>(DialogBoxParamA(ConvModule(), MAKEINTRESOURCEA(IDD_CURSOR_SIZE), owner,
                                            CursorSizeDlgProc, static_cast<LPARAM>(PackSize(width, height))));
}

int ChooseCursorSize(HWND owner, ConvHostProc host)
{
    uint32_t size = 0;
    if (!host || !host(CONV_REQ_QUERY, &size, CONV_QUERY_FRAME_SIZE)) return 0;
    const int width = static_cast<int>(size & 0xFFFF), height = static_cast<int>(size >> 16);
    if ((width == 16 || width == 32 || width == 64) && height == width) return static_cast<int>(size);
    return RunCursorSizeDialog(owner, width, height);
}

// ---- previews --------------------------------------------------------------------------------

int MakeIconPreview(const BYTE* image, uint32_t size, ConvImage* out)
{
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block) return CONV_ERR_MEMORY;
    GlobalLockGuard<BYTE> p(block.Get());
    memcpy(p.get(), image, size);
    BITMAPINFOHEADER* h = DibHeader(p.get());
    h->biHeight /= 2;
    if (h->biClrUsed == 0) h->biClrUsed = h->biBitCount <= 8 ? 1u << h->biBitCount : 0;
    out->bitsOffset = h->biSize + 4 * h->biClrUsed;
    out->dib = block.Release();
    return CONV_OK;
}

int GetIconPreview(const char* path, ConvImage* image)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return CONV_ERR_NOT_FOUND;
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, ICON_PREVIEW_BYTES));
    if (!block) return CONV_ERR_MEMORY;
    GlobalLockGuard<BYTE> p(block.Get());
    const UINT got = _lread(file.Get(), p.get(), ICON_PREVIEW_BYTES);
    if (got == static_cast<UINT>(HFILE_ERROR) || got < ONE_IMAGE_OFFSET) return CONV_ERR_READ;
    // The chosen image must lie wholly in the bytes read.
    IconChoice choice{};
    if (!ChooseIconImage(p.get(), got, &choice) || !IsIconDib(p.get() + choice.offset, choice.size))
        return CONV_ERR_COMPRESSION;
    return MakeIconPreview(p.get() + choice.offset, choice.size, image);
}

// ---- the format table's handlers --------------------------------------------------------------

int LoadIconFile(const ConvLoadCall& call)
{
    if (!call.host) return CONV_ERR_UNSUPPORTED;
    GlobalBlock file;
    uint32_t size = 0;
    int result = ReadWholeFile(call.path, &file, &size);
    if (result != CONV_OK) return result;
    GlobalBlock image;
    uint32_t hotspot = 0;
    {
        GlobalLockGuard<BYTE> p(file.Get());
        HGLOBAL made = nullptr;
        result = ExtractIconImage(p.get(), size, &made, &hotspot);
        // Only a missing directory reads as another format; an unusable image is damage.
        if (result != CONV_OK) return result;
        image.Reset(made);
    }
    file.Reset();
    if (!call.host(CONV_REQ_ADD_FRAME_MASKED, image.Get(), ADD_FLAGS)) return CONV_CANCELLED;
    const int count = static_cast<int>(call.host(CONV_REQ_QUERY, nullptr, CONV_QUERY_FRAME_COUNT));
    if (count > 0) {
        call.host(CONV_REQ_SET_HOTSPOT, reinterpret_cast<void*>(static_cast<ULONG_PTR>(hotspot)), count - 1);
        call.host(CONV_REQ_SET_FRAME_NAME, const_cast<char*>(call.path),
                  static_cast<ULONG_PTR>(((count - 1) & 0xFF) | ICON_NAME_ATTRIBUTE << 8));
    }
    return CONV_OK;
}

int SaveIconFile(const ConvSaveCall& call)
{
    ConvHostProc host = call.host;
    uint32_t frameSize = 0;
    if (!host || !host(CONV_REQ_QUERY, &frameSize, CONV_QUERY_FRAME_SIZE)) return CONV_ERR_MEMORY;
    const int wanted = ChooseCursorSize(call.owner, host);
    if (wanted < 0) return CONV_CANCELLED;
    uint32_t io = static_cast<uint32_t>(wanted);
    GlobalBlock image(reinterpret_cast<HGLOBAL>(host(CONV_REQ_GET_ICON_IMAGE, &io, 0xFFFF)));
    if (!image) return CONV_ERR_MEMORY;
    const SIZE_T held = GlobalSize(image.Get());
    const uint32_t size = io && io <= held ? io : static_cast<uint32_t>(held);
    SafeFileWriter out(call.path);
    const HFILE file = out.Create();
    if (file == HFILE_ERROR) return CONV_ERR_CREATE;
    uint16_t type = ICON_TYPE_ICON;
    uint32_t hotspot = 0;
    if (EndsWithCur(call.path)) {
        type = ICON_TYPE_CURSOR;
        host(CONV_REQ_GET_HOTSPOT, &hotspot, static_cast<ULONG_PTR>(-1));
    }
    GlobalLockGuard<BYTE> p(image.Get());
    if (!p || !WriteOneImageIcon(file, p.get(), size, type, hotspot) || !out.Commit()) return CONV_ERR_WRITE;
    return CONV_OK;
}
