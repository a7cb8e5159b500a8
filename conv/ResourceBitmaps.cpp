// Resource bitmaps: the scan of a program's "NE" or "PE" resource table for
// bitmaps, the reading of one of them, and dialog 102 "Open Resource Bitmap"
// with its list and preview. Every offset read from the file is checked
// before it is used, so a damaged or hostile program gives an error, never
// a read outside the file or an endless walk.
#include "ResourceBitmaps.h"
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "FileIo.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include <cstdio>
#include <cstring>

namespace {

constexpr WORD MZ_SIGNATURE = 0x5A4D;
constexpr uint16_t MIN_NEW_HEADER_TABLE = 64;  // of the relocation table in a new-style program
constexpr int MAX_NE_SHIFT = 15;
constexpr WORD NE_BITMAP_TYPE = 2;
constexpr uint32_t NE_NUMERIC_ID = 0x8000;
constexpr uint32_t NE_TYPE_RECORD_BYTES = 8;
constexpr uint32_t NE_NAME_RECORD_BYTES = 12;
constexpr WORD PE32_PLUS_MAGIC = 0x20B;
constexpr uint32_t PE32_OPTIONAL_BYTES = 96;       // up to the data directories' count
constexpr uint32_t PE32_PLUS_OPTIONAL_BYTES = 112;
constexpr uint32_t MAX_PE_DIRECTORIES = 16;
constexpr DWORD PE_BITMAP_TYPE = 2;
// The bitmap type's directory is level 1, its names' directories level 2
// (languages); one level more is read, none beyond: a directory that points
// at itself would otherwise be walked for ever.
constexpr int MAX_TREE_DEPTH = 3;
// Directory entries read in one scan at most: wide trees of self-pointing
// directories end here.
constexpr int MAX_ENTRIES_VISITED = 16384;
constexpr size_t NAME_CHARS = 31;
constexpr uint32_t MIN_BITMAP_BYTES = 41;  // a header and at least one byte more

ResourceBitmapTable g_table = {};

bool ReadAt(HFILE file, uint64_t offset, void* buffer, uint32_t count)
{
    if (offset > 0x7FFFFFFF) return false;
    return _llseek(file, static_cast<LONG>(offset), FILE_BEGIN) == static_cast<LONG>(offset) &&
           ReadExact(file, buffer, count);
}

void AddEntry(const char* name, uint32_t fileOffset, uint32_t size, uint16_t nameId)
{
    if (g_table.count >= MAX_RESOURCE_BITMAPS) return;
    ResourceBitmapEntry& entry = g_table.entries[g_table.count++];
    lstrcpynA(entry.name, name, sizeof entry.name);
    entry.fileOffset = fileOffset;
    entry.size = size;
    entry.nameId = nameId;
}

// ---- the 16-bit layout --------------------------------------------------------------------

// The list text of an NE name field: a numeric id right-aligned in six
// columns, or the counted string at that offset of the resource table.
void NeEntryName(HFILE file, uint32_t resourceTable, uint16_t nameId, char* out)
{
    out[0] = '\0';
    if (nameId & NE_NUMERIC_ID) {
        snprintf(out, NAME_CHARS + 1, "%6d", nameId & 0x7FFF);
        return;
    }
    BYTE length = 0;
    if (!ReadAt(file, uint64_t(resourceTable) + nameId, &length, 1)) return;
    const uint32_t used = length < NAME_CHARS ? length : NAME_CHARS;
    if (ReadExact(file, out, used)) out[used] = '\0';
    else out[0] = '\0';
}

int ScanNe(HFILE file, uint32_t neOffset)
{
    IMAGE_OS2_HEADER header;
    if (!ReadAt(file, neOffset, &header, sizeof header)) return CONV_ERR_READ;
    if (header.ne_magic != IMAGE_OS2_SIGNATURE) return CONV_ERR_UNKNOWN_FORMAT;
    if (header.ne_rsrctab == header.ne_restab) return 0;
    const uint32_t table = neOffset + header.ne_rsrctab;
    uint16_t shift = 0;
    if (!ReadAt(file, table, &shift, sizeof shift)) return CONV_ERR_READ;
    if (shift > MAX_NE_SHIFT) return CONV_ERR_READ;
    const long length = FileLength(file);
    // The walk ends at a type id of 0 or at the end of the file, whichever comes first.
    for (uint64_t at = uint64_t(table) + sizeof shift; at + NE_TYPE_RECORD_BYTES <= uint64_t(length);) {
        WORD type[4];  // id, count, 4 reserved bytes
        if (!ReadAt(file, at, type, sizeof type) || type[0] == 0) break;
        at += NE_TYPE_RECORD_BYTES;
        if ((type[0] & 0x7FFF) == NE_BITMAP_TYPE) {
            for (int i = 0; i < type[1] && g_table.count < MAX_RESOURCE_BITMAPS; ++i) {
                WORD record[6];  // offset, length, flags, name id, 4 reserved bytes
                if (!ReadAt(file, at + uint64_t(i) * NE_NAME_RECORD_BYTES, record, sizeof record)) break;
                AddEntry("", uint32_t(record[0]) << shift, uint32_t(record[1]) << shift, record[3]);
            }
        }
        at += uint64_t(type[1]) * NE_NAME_RECORD_BYTES;
    }
    for (int i = 0; i < g_table.count; ++i) NeEntryName(file, table, g_table.entries[i].nameId, g_table.entries[i].name);
    return g_table.count > 0 ? 1 : 0;
}

// ---- the 32-bit layout --------------------------------------------------------------------

struct PeResourceWalk {
    HFILE file;
    uint32_t sectionOffset;  // file offset of the resource section
    uint32_t resourceRva;
    int visited;             // directory entries read so far
};

// The text of one directory entry: a name string reduced to its low bytes
// ("???" when it cannot be read), or the id.
void PeEntryText(const PeResourceWalk& walk, const IMAGE_RESOURCE_DIRECTORY_ENTRY& entry, bool first, char* out)
{
    if (!(entry.Name & IMAGE_RESOURCE_NAME_IS_STRING)) {
        snprintf(out, NAME_CHARS + 1, first ? "%6d" : "-%d", static_cast<int>(entry.Name & 0xFFFF));
        return;
    }
    const uint64_t at = uint64_t(walk.sectionOffset) + (entry.Name & 0x7FFFFFFF);
    WORD length = 0;
    WCHAR chars[NAME_CHARS];
    if (!ReadAt(walk.file, at, &length, sizeof length) ||
        !ReadExact(walk.file, chars, (length < NAME_CHARS ? length : NAME_CHARS) * sizeof(WCHAR))) {
        strcpy(out, "???");
        return;
    }
    const uint32_t count = length < NAME_CHARS ? length : NAME_CHARS;
    for (uint32_t i = 0; i < count; ++i) out[i] = static_cast<char>(chars[i] & 0xFF);
    out[count] = '\0';
}

int WalkResourceDirectory(PeResourceWalk& walk, uint32_t directory, const char* prefix, int depth)
{
    if (depth > MAX_TREE_DEPTH) return CONV_OK;
    IMAGE_RESOURCE_DIRECTORY header;
    const uint64_t at = uint64_t(walk.sectionOffset) + directory;
    if (!ReadAt(walk.file, at, &header, sizeof header)) return CONV_ERR_READ;
    const int entries = header.NumberOfNamedEntries + header.NumberOfIdEntries;
    for (int i = 0; i < entries && g_table.count < MAX_RESOURCE_BITMAPS; ++i) {
        if (++walk.visited > MAX_ENTRIES_VISITED) return CONV_OK;
        IMAGE_RESOURCE_DIRECTORY_ENTRY entry;
        if (!ReadAt(walk.file, at + sizeof header + uint64_t(i) * sizeof entry, &entry, sizeof entry))
            return CONV_ERR_READ;
        char text[NAME_CHARS + 1];
        PeEntryText(walk, entry, prefix[0] == '\0', text);
        char name[NAME_CHARS + 1];
        snprintf(name, sizeof name, "%s%s", prefix, text);
        if (entry.OffsetToData & IMAGE_RESOURCE_DATA_IS_DIRECTORY) {
            const int result = WalkResourceDirectory(walk, entry.OffsetToData & 0x7FFFFFFF, name, depth + 1);
            if (result < 0) return result;
            continue;
        }
        IMAGE_RESOURCE_DATA_ENTRY data;
        if (!ReadAt(walk.file, uint64_t(walk.sectionOffset) + entry.OffsetToData, &data, sizeof data))
            return CONV_ERR_READ;
        AddEntry(name, data.OffsetToData - walk.resourceRva + walk.sectionOffset, data.Size, 0);
    }
    return CONV_OK;
}

// The file offset of the section that holds the resource directory; false
// when no section holds it.
int FindResourceSection(HFILE file, uint64_t sectionTable, int sections, uint32_t rva, uint32_t* offset)
{
    for (int i = 0; i < sections; ++i) {
        IMAGE_SECTION_HEADER section;
        if (!ReadAt(file, sectionTable + uint64_t(i) * sizeof section, &section, sizeof section)) return CONV_ERR_READ;
        if (rva >= section.VirtualAddress && uint64_t(rva) < uint64_t(section.VirtualAddress) + section.SizeOfRawData) {
            *offset = section.PointerToRawData - section.VirtualAddress + rva;
            return 1;
        }
    }
    return 0;
}

int ScanPe(HFILE file, uint32_t peOffset)
{
    DWORD signature = 0;
    if (!ReadAt(file, peOffset, &signature, sizeof signature) || signature != IMAGE_NT_SIGNATURE)
        return CONV_ERR_UNKNOWN_FORMAT;
    IMAGE_FILE_HEADER fileHeader;
    BYTE optional[PE32_PLUS_OPTIONAL_BYTES];
    if (!ReadExact(file, &fileHeader, sizeof fileHeader) || !ReadExact(file, optional, PE32_OPTIONAL_BYTES))
        return CONV_ERR_READ;
    WORD magic;
    memcpy(&magic, optional, sizeof magic);
    // 64-bit programs keep the directory count 16 bytes further on.
    uint32_t countAt = PE32_OPTIONAL_BYTES - 4;
    if (magic == PE32_PLUS_MAGIC) {
        if (!ReadExact(file, optional + PE32_OPTIONAL_BYTES, PE32_PLUS_OPTIONAL_BYTES - PE32_OPTIONAL_BYTES))
            return CONV_ERR_READ;
        countAt = PE32_PLUS_OPTIONAL_BYTES - 4;
    }
    uint32_t directories;
    memcpy(&directories, optional + countAt, sizeof directories);
    if (directories < IMAGE_DIRECTORY_ENTRY_RESOURCE + 1) return 0;
    if (directories > MAX_PE_DIRECTORIES) directories = MAX_PE_DIRECTORIES;
    IMAGE_DATA_DIRECTORY table[MAX_PE_DIRECTORIES];
    if (!ReadExact(file, table, directories * sizeof table[0])) return CONV_ERR_READ;
    const uint32_t rva = table[IMAGE_DIRECTORY_ENTRY_RESOURCE].VirtualAddress;

    const uint64_t sectionTable = uint64_t(peOffset) + sizeof signature + sizeof fileHeader + fileHeader.SizeOfOptionalHeader;
    PeResourceWalk walk{file, 0, rva, 0};
    const int found = FindResourceSection(file, sectionTable, fileHeader.NumberOfSections, rva, &walk.sectionOffset);
    if (found <= 0) return found;

    IMAGE_RESOURCE_DIRECTORY root;
    if (!ReadAt(file, walk.sectionOffset, &root, sizeof root)) return CONV_ERR_READ;
    const int entries = root.NumberOfNamedEntries + root.NumberOfIdEntries;
    for (int i = 0; i < entries && ++walk.visited <= MAX_ENTRIES_VISITED; ++i) {
        IMAGE_RESOURCE_DIRECTORY_ENTRY entry;
        if (!ReadAt(file, uint64_t(walk.sectionOffset) + sizeof root + uint64_t(i) * sizeof entry, &entry, sizeof entry))
            return CONV_ERR_READ;
        if (entry.Name != PE_BITMAP_TYPE || !(entry.OffsetToData & IMAGE_RESOURCE_DATA_IS_DIRECTORY)) continue;
        const int result = WalkResourceDirectory(walk, entry.OffsetToData & 0x7FFFFFFF, "", 1);
        if (result < 0) return result;
        break;
    }
    return g_table.count > 0 ? 1 : 0;
}

}  // namespace

const ResourceBitmapTable& ResourceBitmaps() { return g_table; }

int ScanExecutable(HFILE file, bool detectOnly)
{
    g_table.count = 0;
    IMAGE_DOS_HEADER mz;
    if (!ReadAt(file, 0, &mz, sizeof mz) || mz.e_magic != MZ_SIGNATURE || mz.e_lfarlc < MIN_NEW_HEADER_TABLE)
        return CONV_ERR_UNKNOWN_FORMAT;
    const uint32_t newHeader = static_cast<uint32_t>(mz.e_lfanew);
    char signature[2];
    if (!ReadAt(file, newHeader, signature, sizeof signature) || signature[1] != 'E' ||
        (signature[0] != 'N' && signature[0] != 'P'))
        return CONV_ERR_UNKNOWN_FORMAT;
    if (detectOnly) return 1;
    return signature[0] == 'N' ? ScanNe(file, newHeader) : ScanPe(file, newHeader);
}

bool IsResourceBitmapFile(HFILE file)
{
    const bool found = ScanExecutable(file, true) == 1;
    _llseek(file, 0, FILE_BEGIN);
    return found;
}

HGLOBAL ReadResourceBitmap(HFILE file, const ResourceBitmapEntry& entry)
{
    const long length = FileLength(file);
    if (entry.size < MIN_BITMAP_BYTES || length < 0 || uint64_t(entry.fileOffset) + entry.size > uint64_t(length))
        return nullptr;
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, entry.size));
    if (!block) return nullptr;
    {
        GlobalLockGuard<BYTE> p(block.Get());
        PackedDibLayout layout;
        if (!p || !ReadAt(file, entry.fileOffset, p.get(), entry.size) ||
            ReadPackedDibLayout(p.get(), entry.size, &layout) != RESULT_OK)
            return nullptr;
    }
    return block.Release();
}

// ---- dialog 102 "Open Resource Bitmap" ----------------------------------------------------

namespace {

constexpr int PREVIEW_NAME_CHARS = 8;

// The dialog's working state: one resource dialog runs at a time.
struct ResourceDialogState {
    ResourceBitmapDialogParam param;
    HGLOBAL held;  // the selected bitmap while the preview shows it, or read on OK
    bool preview;  // "Show Preview"
};
ResourceDialogState g_dialog = {};

const ResourceBitmapEntry* SelectedEntry(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_RESOURCE_LIST);
    const LRESULT line = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (line == LB_ERR) return nullptr;
    const LRESULT index = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(line), 0);
    return index >= 0 && index < g_table.count ? &g_table.entries[index] : nullptr;
}

HGLOBAL ReadSelectedBitmap(HWND dialog)
{
    const ResourceBitmapEntry* entry = SelectedEntry(dialog);
    if (!entry) return nullptr;
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    HGLOBAL block = ReadResourceBitmap(g_dialog.param.file, *entry);
    SetCursor(previous);
    return block;
}

void FreeHeldBitmap()
{
    if (g_dialog.held) GlobalFree(g_dialog.held);
    g_dialog.held = nullptr;
}

void OnNewSelection(HWND dialog)
{
    FreeHeldBitmap();
    if (g_dialog.preview) g_dialog.held = ReadSelectedBitmap(dialog);
    InvalidateRect(GetDlgItem(dialog, IDC_RESOURCE_PREVIEW), nullptr, TRUE);
}

void FillResourceList(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_RESOURCE_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < g_table.count; ++i) {
        const LRESULT line = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(g_table.entries[i].name));
        if (line >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(line), i);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
}

// The picture at its own size when it fits the area, else shrunk to fit
// with its proportions kept; centred either way.
RECT FitPicture(const RECT& area, int width, int height)
{
    const int roomX = area.right - area.left;
    const int roomY = area.bottom - area.top;
    int w = width, h = height;
    if (w > roomX || h > roomY) {
        if (int64_t(width) * roomY > int64_t(height) * roomX) {
            w = roomX;
            h = static_cast<int>(int64_t(height) * roomX / width);
        } else {
            h = roomY;
            w = static_cast<int>(int64_t(width) * roomY / height);
        }
    }
    const int left = area.left + (roomX - w) / 2;
    const int top = area.top + (roomY - h) / 2;
    return RECT{left, top, left + w, top + h};
}

void DrawCross(HDC dc, const RECT& area)
{
    MoveToEx(dc, area.left, area.top, nullptr);
    LineTo(dc, area.right, area.bottom);
    MoveToEx(dc, area.right - 1, area.top, nullptr);
    LineTo(dc, area.left - 1, area.bottom);
}

// Draws the held bitmap; false when there is none to draw.
bool DrawHeldBitmap(HWND dialog, HDC dc, const RECT& area)
{
    if (!g_dialog.held || !g_dialog.preview) return false;
    GlobalLockGuard<BYTE> p(g_dialog.held);
    PackedDibLayout layout;
    if (!p || ReadPackedDibLayout(p.get(), GlobalSize(g_dialog.held), &layout) != RESULT_OK) return false;
    const int width = layout.header.biWidth;
    const int height = layout.header.biHeight < 0 ? -layout.header.biHeight : layout.header.biHeight;
    char text[32];
    const int bits = layout.header.biBitCount;
    if (bits == 1 || bits == 4 || bits == 8) snprintf(text, sizeof text, "%d", 1 << bits);
    else strcpy(text, "16.7 Mio.");
    SetDlgItemTextA(dialog, IDC_RESOURCE_COLORS, text);
    snprintf(text, sizeof text, "%dx%d", width, height);
    SetDlgItemTextA(dialog, IDC_RESOURCE_SIZE, text);
    const RECT inner{area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
    const RECT to = FitPicture(inner, width, height);
    SetStretchBltMode(dc, COLORONCOLOR);
    // The block's own header (information or core form) describes its rows.
    StretchDIBits(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, 0, 0, width, height,
                  p.get() + layout.bitsOffset, reinterpret_cast<const BITMAPINFO*>(p.get()), DIB_RGB_COLORS, SRCCOPY);
    return true;
}

void DrawPreviewArea(HWND dialog, const DRAWITEMSTRUCT& item)
{
    HDC dc = item.hDC;
    const RECT& area = item.rcItem;
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (DrawHeldBitmap(dialog, dc, area)) return;
    DrawCross(dc, area);
    SetDlgItemTextA(dialog, IDC_RESOURCE_SIZE, "");
    SetDlgItemTextA(dialog, IDC_RESOURCE_COLORS, "");
}

// OK: the bitmap (read now when the preview did not hold it) and its name,
// the list text without leading blanks, cut to 8 characters, plus ".BMP".
void ConfirmChoice(HWND dialog)
{
    if (!g_dialog.held) g_dialog.held = ReadSelectedBitmap(dialog);
    if (!g_dialog.held) return;  // nothing readable: the dialog stays open
    const ResourceBitmapEntry* entry = SelectedEntry(dialog);
    if (entry) {
        const char* text = entry->name;
        while (*text == ' ') ++text;
        if (*text) snprintf(g_dialog.param.path, MAX_PATH, "%.*s.BMP", PREVIEW_NAME_CHARS, text);
    }
    HGLOBAL chosen = g_dialog.held;
    g_dialog.held = nullptr;  // the caller's now
    EndDialog(dialog, reinterpret_cast<INT_PTR>(chosen));
}

}  // namespace

INT_PTR CALLBACK ResourceBitmapDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        g_dialog.param = *reinterpret_cast<const ResourceBitmapDialogParam*>(lParam);
        g_dialog.held = nullptr;
        g_dialog.preview = true;
        CenterConvDialog(dialog);
        SetDlgItemTextA(dialog, IDC_RESOURCE_PATH, g_dialog.param.path);
        CheckDlgButton(dialog, IDC_RESOURCE_SHOW_PREVIEW, BST_CHECKED);
        FillResourceList(dialog);
        OnNewSelection(dialog);
        SetFocus(GetDlgItem(dialog, IDC_RESOURCE_LIST));
        return FALSE;
    case WM_DRAWITEM:
        if (wParam != IDC_RESOURCE_PREVIEW) return FALSE;
        DrawPreviewArea(dialog, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_RESOURCE_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE) OnNewSelection(dialog);
            else if (HIWORD(wParam) == LBN_DBLCLK) ConfirmChoice(dialog);
            return TRUE;
        case IDC_RESOURCE_SHOW_PREVIEW:
            g_dialog.preview = IsDlgButtonChecked(dialog, IDC_RESOURCE_SHOW_PREVIEW) == BST_CHECKED;
            OnNewSelection(dialog);
            return TRUE;
        case IDOK:
            ConfirmChoice(dialog);
            return TRUE;
        case IDCANCEL:
            FreeHeldBitmap();
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        FreeHeldBitmap();  // a dialog closed any other way leaves nothing behind
        return FALSE;
    }
    return FALSE;
}

int LoadResourceBitmap(const char* path, HWND owner, ConvImage* image, char* chosenName)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return CONV_ERR_NOT_FOUND;
    const int scan = ScanExecutable(file.Get(), false);
    if (scan < 0) return scan;
    if (g_table.count == 0) {
        ShowConvMessage(owner, IDS_ERROR_CAPTION, IDS_NO_BITMAP_RESOURCES, MB_OK | MB_ICONINFORMATION);
        return CONV_CANCELLED;
    }
    if (!image) return CONV_CANCELLED;
    char name[MAX_PATH];
    lstrcpynA(name, path, sizeof name);
    ResourceBitmapDialogParam param{file.Get(), name};
    const INT_PTR chosen = DialogBoxParamA(ConvModule(), MAKEINTRESOURCEA(IDD_RESOURCE_BITMAP), owner,
                                           ResourceBitmapDlgProc, reinterpret_cast<LPARAM>(&param));
    if (chosen == 0 || chosen == -1) return CONV_CANCELLED;
    image->dib = reinterpret_cast<HGLOBAL>(chosen);
    if (chosenName) lstrcpynA(chosenName, name, MAX_PATH);
    return CONV_OK;
}

int GetResourceBitmapPreview(const char* path, ConvImage* image)
{
    image->dib = nullptr;
    image->bitsOffset = 0;
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return CONV_ERR_NOT_FOUND;
    const int scan = ScanExecutable(file.Get(), false);
    if (scan < 0) return scan;
    if (g_table.count == 0) {
        if (image->message && image->messageSize > 0)
            LoadStringA(ConvModule(), IDS_NO_BITMAP_RESOURCES, image->message, static_cast<int>(image->messageSize));
        return CONV_CANCELLED;
    }
    image->dib = ReadResourceBitmap(file.Get(), g_table.entries[0]);
    return image->dib ? CONV_OK : CONV_ERR_READ;
}

int LoadResourceBitmapImage(const ConvLoadCall& call)
{
    char name[MAX_PATH];
    const int result = LoadResourceBitmap(call.path, call.owner, call.image, name);
    // The caller's path buffer (MAX_PATH bytes) takes the chosen bitmap's
    // name, so that the frame is called after the bitmap, not the program.
    if (result == CONV_OK && strcmp(name, call.path) != 0) lstrcpynA(const_cast<char*>(call.path), name, MAX_PATH);
    return result;
}

int PreviewResourceBitmapImage(const char* path, ConvImage* image) { return GetResourceBitmapPreview(path, image); }
