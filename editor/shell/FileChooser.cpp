// ChooseFile, the editor's open and save dialog: the list of file types, the
// system's explorer dialog with template 131, and the preview pane's hook,
// which shows the selected file's picture, size and colours, or a miniature
// of an animation's window.
#include "FileChooser.h"
#include "AnsFile.h"
#include "AnxArchive.h"
#include "BmxFile.h"
#include "ConvBridge.h"
#include "DialogUtilities.h"
#include "DocumentStrings.h"
#include "EditorSettings.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "UiSeam.h"
#include "resource.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT OPEN_DIALOG_FLAGS = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK |
                                   OFN_HIDEREADONLY;  // 0x81064
constexpr int MAX_EXTENSION_CHARS = 4;
constexpr int PREVIEW_MESSAGE_BYTES = 80;
constexpr int IDC_PREVIEW_MINIATURE = 1177;
constexpr UINT BACKGROUND_PICTURE = 0x80000000u;
constexpr int SIZE_MODE_SCREEN = 2;

// The string-table types offered in place of the following ones when a call
// asks for the library's animations together with still images or video.
const UINT kMixedTypes[] = {IDS_TYPE_ANIMATION_FORMATS, IDS_TYPE_BITMAPS, IDS_TYPE_SEQUENCE_FILE};

// The pairs of a filter block.
struct FilterEntry {
    std::string description;
    std::string pattern;
    int code;
};

std::vector<FilterEntry> ReadEntries(const char* filter, const int* codes, int count)
{
    std::vector<FilterEntry> entries;
    const char* p = filter;
    for (int i = 0; i < count && *p; ++i) {
        FilterEntry entry{p, "", codes[i]};
        p += entry.description.size() + 1;
        entry.pattern = p;
        p += entry.pattern.size() + 1;
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Appends one string's pairs to the list, each with the next own code.
void AddOwnType(UINT stringId, FilterList* list, int* used, int* nextCode)
{
    char* at = list->text + *used;
    const int added = AddFilterString(stringId, at, FILTER_BLOCK_BYTES - *used);
    int parts = 0;
    for (int i = 0; i < added; ++i) parts += at[i] == '\0';
    for (int pair = 0; pair < parts / 2 && list->count < MAX_FILTER_ENTRIES; ++pair)
        list->codes[list->count++] = (*nextCode)++;
    *used += added;
}

// Appends the library's entries that still fit, each with its format code.
void AddLibraryTypes(int listFlags, FilterList* list, int* used)
{
    char names[CONV_FORMAT_LIST_BYTES];
    BYTE ids[CONV_MAX_FORMAT_ENTRIES];
    const int count = CallGetFormats(names, ids, listFlags);
    const char* entry = names;
    for (int i = 0; i < count && i < CONV_MAX_FORMAT_ENTRIES && list->count < MAX_FILTER_ENTRIES; ++i) {
        const char* pattern = entry + strlen(entry) + 1;
        const int bytes = static_cast<int>(pattern + strlen(pattern) + 1 - entry);
        if (*used + bytes + 1 > FILTER_BLOCK_BYTES) break;
        memcpy(list->text + *used, entry, bytes);
        *used += bytes;
        list->codes[list->count++] = ids[i];
        entry += bytes;
    }
}

bool HasExtension(const char* path)
{
    const char* bare = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') bare = p + 1;
    return strchr(bare, '.') != nullptr;
}

// ---- the preview pane ---------------------------------------------------------------------

// What the hook keeps while the dialog is open.
struct PreviewState {
    UINT flags;
    int showPreview;
    int shownAtStart;
    GlobalBlock image;
    uint32_t bitsOffset;
    char message[PREVIEW_MESSAGE_BYTES];
    bool animation;
    AnimationSettings settings;
    GlobalBlock background;
    uint32_t backgroundBitsOffset;
    HWND miniature;
};

PreviewState* StateOf(HWND dialog)
{
    return reinterpret_cast<PreviewState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

void ClearPreview(HWND dialog, PreviewState& state)
{
    state.image.Reset();
    state.background.Reset();
    state.bitsOffset = state.backgroundBitsOffset = 0;
    state.message[0] = '\0';
    state.animation = false;
    if (state.miniature) DestroyWindow(state.miniature);
    state.miniature = nullptr;
    ShowWindow(GetDlgItem(dialog, IDC_PREVIEW_IMAGE), SW_SHOWNA);
    SetDlgItemTextA(dialog, IDC_PREVIEW_SIZE, "");
    SetDlgItemTextA(dialog, IDC_PREVIEW_COLORS, "");
    InvalidateRect(GetDlgItem(dialog, IDC_PREVIEW_IMAGE), nullptr, TRUE);
}

const BITMAPINFOHEADER* LockedHeader(const GlobalLockGuard<BYTE>& locked)
{
    return locked ? reinterpret_cast<const BITMAPINFOHEADER*>(locked.get()) : nullptr;
}

const BYTE* LockedBits(const GlobalLockGuard<BYTE>& locked, uint32_t bitsOffset)
{
    return bitsOffset ? locked.get() + bitsOffset : DibBits(locked.get());
}

// Where a picture of width x height goes in `area`, scaled to fit with its
// aspect ratio kept and centred.
RECT FitInto(const RECT& area, int width, int height)
{
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (width <= 0 || height <= 0 || w <= 0 || h <= 0) return area;
    int fitW = w, fitH = static_cast<int>(int64_t(height) * w / width);
    if (fitH > h) {
        fitH = h;
        fitW = static_cast<int>(int64_t(width) * h / height);
    }
    const int left = area.left + (w - fitW) / 2, top = area.top + (h - fitH) / 2;
    return {left, top, left + fitW, top + fitH};
}

void DrawDibInto(HDC dc, const RECT& area, HGLOBAL block, uint32_t bitsOffset, bool keepAspect)
{
    GlobalLockGuard<BYTE> locked(block);
    const BITMAPINFOHEADER* h = LockedHeader(locked);
    if (!h) return;
    const int height = h->biHeight < 0 ? -h->biHeight : h->biHeight;
    const RECT at = keepAspect ? FitInto(area, h->biWidth, height) : area;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, at.left, at.top, at.right - at.left, at.bottom - at.top, 0, 0, h->biWidth, height,
                  LockedBits(locked, bitsOffset), reinterpret_cast<const BITMAPINFO*>(h), DIB_RGB_COLORS, SRCCOPY);
}

void ShowImageInfo(HWND dialog, const PreviewState& state)
{
    GlobalLockGuard<BYTE> locked(state.image.Get());
    const BITMAPINFOHEADER* h = LockedHeader(locked);
    if (!h) return;
    char text[40];
    snprintf(text, sizeof text, "%d x %d", static_cast<int>(h->biWidth),
             static_cast<int>(h->biHeight < 0 ? -h->biHeight : h->biHeight));
    SetDlgItemTextA(dialog, IDC_PREVIEW_SIZE, text);
    FormatColorDepth(h->biBitCount, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_PREVIEW_COLORS, text);
}

// The picture of an animation's background: its bare name beside the
// animation file first, then the name as stored.
void LoadBackgroundPicture(const char* animationPath, PreviewState& state)
{
    char path[MAX_PATH];
    lstrcpynA(path, animationPath, sizeof path);
    char* bare = const_cast<char*>(BareName(path));
    const size_t folder = static_cast<size_t>(bare - path);
    lstrcpynA(bare, BareName(state.settings.backgroundImage), static_cast<int>(sizeof path - folder));
    HGLOBAL block = nullptr;
    if (ReadSingleDib(path, &state.backgroundBitsOffset, &block) != RESULT_OK &&
        ReadSingleDib(state.settings.backgroundImage, &state.backgroundBitsOffset, &block) != RESULT_OK)
        return;
    state.background.Reset(block);
}

// A miniature of the animation's window over the preview item: a child
// button with the animation's title and window style, drawn by the hook.
void ShowAnimationMiniature(HWND dialog, const char* path, PreviewState& state)
{
    state.animation = true;
    int width = state.settings.width, height = state.settings.height;
    if (state.settings.sizeMode == SIZE_MODE_SCREEN) {
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    char text[40];
    snprintf(text, sizeof text, "%d x %d", width, height);
    SetDlgItemTextA(dialog, IDC_PREVIEW_SIZE, text);
    if (state.settings.backgroundColor & BACKGROUND_PICTURE) LoadBackgroundPicture(path, state);
    HWND item = GetDlgItem(dialog, IDC_PREVIEW_IMAGE);
    RECT area;
    GetWindowRect(item, &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    const RECT at = FitInto(area, width, height);
    const DWORD frame = state.settings.windowStyle & (WS_CAPTION | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_SYSMENU);
    state.miniature = CreateWindowExA(0, "BUTTON", state.settings.title, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | frame,
                                      at.left, at.top, at.right - at.left, at.bottom - at.top, dialog,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PREVIEW_MINIATURE)),
                                      GetModuleHandleA(nullptr), nullptr);
    // The item it stands on would paint over it.
    if (state.miniature) ShowWindow(item, SW_HIDE);
}

void LoadPreview(HWND dialog, PreviewState& state, const char* path)
{
    ClearPreview(dialog, state);
    if (!state.showPreview || !*path || GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY) return;
    const char* dot = strrchr(BareName(path), '.');
    if (dot && lstrcmpiA(dot, ".ans") == 0) {
        if (ReadAnimationPreview(path, &state.settings)) ShowAnimationMiniature(dialog, path, state);
        return;
    }
    HGLOBAL block = nullptr;
    if (ReadSingleDib(path, &state.bitsOffset, &block) == RESULT_OK) {
        state.image.Reset(block);
    } else {
        ConvImage image{nullptr, 0, state.message, sizeof state.message};
        if (CallGetPreviewImage(path, &image) == CONV_OK) {
            state.image.Reset(image.dib);
            state.bitsOffset = image.bitsOffset;
        }
    }
    ShowImageInfo(dialog, state);
}

void DrawPreviewItem(const DRAWITEMSTRUCT* item, const PreviewState& state)
{
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (state.image) {
        DrawDibInto(item->hDC, item->rcItem, state.image.Get(), state.bitsOffset, true);
    } else if (state.message[0]) {
        RECT text = item->rcItem;
        SetBkMode(item->hDC, TRANSPARENT);
        DrawTextA(item->hDC, state.message, -1, &text, DT_CENTER | DT_WORDBREAK);
    }
}

void DrawMiniature(const DRAWITEMSTRUCT* item, const PreviewState& state)
{
    if (state.background) {
        DrawDibInto(item->hDC, item->rcItem, state.background.Get(), state.backgroundBitsOffset, false);
        return;
    }
    HBRUSH brush = CreateSolidBrush(state.settings.backgroundColor & 0x03FFFFFF);
    FillRect(item->hDC, &item->rcItem, brush);
    DeleteObject(brush);
}

void RenameButtons(HWND dialog, UINT flags)
{
    HWND explorer = GetParent(dialog);
    auto rename = [&](int button, UINT stringId) {
        char text[RESOURCE_STRING_LENGTH];
        if (LoadResourceString(stringId, text)) SendMessageA(explorer, CDM_SETCONTROLTEXT, button, reinterpret_cast<LPARAM>(text));
    };
    if (flags & CHOOSE_MULTIPLE) {
        rename(IDOK, IDS_CHOOSER_ADD);
        rename(IDCANCEL, IDS_CHOOSER_QUIT);
    } else if (flags & CHOOSE_REPLACE) {
        rename(IDOK, IDS_CHOOSER_REPLACE);
    }
}

void SelectionChanged(HWND dialog, PreviewState& state)
{
    char path[MAX_PATH] = "";
    const LRESULT length = SendMessageA(GetParent(dialog), CDM_GETFILEPATH, sizeof path, reinterpret_cast<LPARAM>(path));
    if (length <= 0 || length > static_cast<LRESULT>(sizeof path)) path[0] = '\0';
    LoadPreview(dialog, state, path);
}

}  // namespace

// ---- the type list -------------------------------------------------------------------------

int AddFilterString(UINT stringId, char* buffer, int room)
{
    if (room <= 1) return 0;
    char text[FILTER_BLOCK_BYTES];
    if (stringId) {
        if (!LoadResourceString(stringId, text, sizeof text)) return 0;
    } else {
        lstrcpynA(text, buffer, sizeof text);
    }
    int length = lstrlenA(text);
    if (length > 0 && text[length - 1] == '|') text[--length] = '\0';  // the closing NUL stands for it
    if (length == 0 || length + 1 > room - 1) return 0;
    for (int i = 0; i < length; ++i)
        if (text[i] == '|') text[i] = '\0';
    memcpy(buffer, text, length + 1);
    return length + 1;
}

void SortFilterList(char* filter, int* codes, int count)
{
    std::vector<FilterEntry> entries = ReadEntries(filter, codes, count);
    std::stable_sort(entries.begin(), entries.end(), [](const FilterEntry& a, const FilterEntry& b) {
        return lstrcmpiA(a.description.c_str(), b.description.c_str()) < 0;
    });
    char* p = filter;
    for (size_t i = 0; i < entries.size(); ++i) {
        memcpy(p, entries[i].description.c_str(), entries[i].description.size() + 1);
        p += entries[i].description.size() + 1;
        memcpy(p, entries[i].pattern.c_str(), entries[i].pattern.size() + 1);
        p += entries[i].pattern.size() + 1;
        codes[i] = entries[i].code;
    }
}

void GetFilterExtension(const char* filter, int index, char* path, int room)
{
    const char* p = filter;
    for (int i = 0; i < index && *p; ++i) {
        p += strlen(p) + 1;
        p += strlen(p) + 1;
    }
    if (!*p) return;
    const char* star = strchr(p + strlen(p) + 1, '*');
    if (!star) return;
    char extension[MAX_EXTENSION_CHARS + 1];
    int length = 0;
    for (const char* c = star + 1; *c && *c != ';' && length < MAX_EXTENSION_CHARS; ++c) extension[length++] = *c;
    extension[length] = '\0';
    // "*." is no extension at all.
    if (length < 2) return;
    const int used = lstrlenA(path);
    if (used + length + 1 > room) return;
    memcpy(path + used, extension, length + 1);
}

int ChooserLibraryListFlags(UINT flags)
{
    const int list = static_cast<int>((flags >> 8) & (CONV_LIST_STILL | CONV_LIST_VIDEO | CONV_LIST_ANIMATION));
    if (!list) return 0;
    return list | ((flags & CHOOSE_SAVE) ? CONV_LIST_FOR_SAVE : 0);
}

int BuildFilterList(UINT flags, UINT firstTypeId, const char* readyFilter, FilterList* list)
{
    list->count = 0;
    int used = 0, nextCode = 0;
    if (firstTypeId) {
        AddOwnType(firstTypeId, list, &used, &nextCode);
    } else if (readyFilter) {
        lstrcpynA(list->text, readyFilter, FILTER_BLOCK_BYTES - 1);
        AddOwnType(0, list, &used, &nextCode);
    }
    const bool mixed = (flags & CHOOSE_LIBRARY_ANIMATION) && (flags & (CHOOSE_LIBRARY_STILL | CHOOSE_LIBRARY_VIDEO));
    if (mixed) {
        for (UINT id : kMixedTypes)
            if (id != firstTypeId) AddOwnType(id, list, &used, &nextCode);
    } else {
        for (UINT i = 1; i <= (flags & CHOOSE_MORE_TYPES_MASK); ++i) AddOwnType(firstTypeId + i, list, &used, &nextCode);
    }
    if (const int listFlags = ChooserLibraryListFlags(flags)) AddLibraryTypes(listFlags, list, &used);
    list->text[used] = '\0';
    return list->count;
}

void FormatColorDepth(int bitsPerPixel, char* out, int room)
{
    switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8: snprintf(out, room, "%ld (%ld-bpp)", 1L << bitsPerPixel, static_cast<long>(bitsPerPixel)); break;
    case 16: snprintf(out, room, "65536 (%ld-bit)", static_cast<long>(bitsPerPixel)); break;
    case 24:
    case 32: snprintf(out, room, "16.7 Mio. (%ld-bpp)", static_cast<long>(bitsPerPixel)); break;
    default: snprintf(out, room, "%ld bit", static_cast<long>(bitsPerPixel)); break;
    }
}

// ---- the dialog ----------------------------------------------------------------------------

UINT_PTR CALLBACK ConvPreviewHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        const auto* chooser = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        auto* state = reinterpret_cast<PreviewState*>(chooser->lCustData);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        state->showPreview = state->shownAtStart = ReadSetting(IDS_KEY_SHOW_PREVIEW) ? 1 : 0;
        CheckDlgButton(dialog, IDC_PREVIEW_SHOW, state->showPreview ? BST_CHECKED : BST_UNCHECKED);
        RenameButtons(dialog, state->flags);
        return TRUE;
    }
    case WM_NOTIFY: {
        PreviewState* state = StateOf(dialog);
        const auto* notice = reinterpret_cast<const NMHDR*>(lParam);
        if (state && (notice->code == CDN_SELCHANGE || notice->code == CDN_FOLDERCHANGE)) SelectionChanged(dialog, *state);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_PREVIEW_SHOW && HIWORD(wParam) == BN_CLICKED) {
            if (PreviewState* state = StateOf(dialog)) {
                state->showPreview = IsDlgButtonChecked(dialog, IDC_PREVIEW_SHOW) == BST_CHECKED;
                SelectionChanged(dialog, *state);
            }
            return TRUE;
        }
        return 0;
    case WM_DRAWITEM: {
        const PreviewState* state = StateOf(dialog);
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!state) return FALSE;
        if (item->CtlID == IDC_PREVIEW_IMAGE) DrawPreviewItem(item, *state);
        else if (item->CtlID == IDC_PREVIEW_MINIATURE) DrawMiniature(item, *state);
        else return FALSE;
        return TRUE;
    }
    case WM_DESTROY:
        if (PreviewState* state = StateOf(dialog)) {
            if (state->showPreview != state->shownAtStart) WriteSetting(IDS_KEY_SHOW_PREVIEW, state->showPreview);
            ClearPreview(dialog, *state);
        }
        return 0;
    default:
        return 0;
    }
}

int ChooseFile(HWND owner, UINT flags, UINT titleId, UINT firstTypeId, char* path, int* type)
{
    FilterList list;
    BuildFilterList(flags, firstTypeId, firstTypeId ? nullptr : path, &list);
    if (list.count == 0) return 0;
    SortFilterList(list.text, list.codes, list.count);
    DWORD filterIndex = 1;
    for (int i = 0; i < list.count; ++i)
        if (type && list.codes[i] == *type) {
            filterIndex = i + 1;
            break;
        }

    // The given path: its folder to start in, its name kept only on request.
    char folder[MAX_PATH] = "";
    const bool multiple = flags & CHOOSE_MULTIPLE;
    std::vector<char> file(multiple ? MULTIPLE_FILES_BYTES : MAX_PATH, '\0');
    if (firstTypeId && path && *path) {
        lstrcpynA(folder, path, sizeof folder);
        char* bare = const_cast<char*>(BareName(folder));
        if (flags & (CHOOSE_KEEP_NAME | CHOOSE_KEEP_NAME_TOO)) lstrcpynA(file.data(), bare, MAX_PATH);
        *bare = '\0';
    }
    char title[RESOURCE_STRING_LENGTH] = "";
    LoadResourceString(titleId, title);

    PreviewState state{};
    state.flags = flags;
    OPENFILENAMEA chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = owner;
    chooser.hInstance = GetModuleHandleA(nullptr);
    chooser.lpstrFilter = list.text;
    chooser.nFilterIndex = filterIndex;
    chooser.lpstrFile = file.data();
    chooser.nMaxFile = static_cast<DWORD>(file.size());
    chooser.lpstrInitialDir = folder[0] ? folder : nullptr;
    chooser.lpstrTitle = title;
    chooser.Flags = OPEN_DIALOG_FLAGS | (multiple ? OFN_ALLOWMULTISELECT : 0);
    // A file to be saved is mostly one that does not exist yet.
    if (flags & CHOOSE_SAVE) chooser.Flags &= ~OFN_FILEMUSTEXIST;
    chooser.lCustData = reinterpret_cast<LPARAM>(&state);
    chooser.lpfnHook = ConvPreviewHookProc;
    chooser.lpTemplateName = MAKEINTRESOURCEA(IDD_FILE_PREVIEW);

    const UiSeam& seam = CurrentUiSeam();
    auto run = (flags & CHOOSE_SAVE) ? (seam.getSaveFileName ? seam.getSaveFileName : GetSaveFileNameA)
                                     : (seam.getOpenFileName ? seam.getOpenFileName : GetOpenFileNameA);
    if (!run(&chooser)) return 0;

    int chosen = static_cast<int>(chooser.nFilterIndex) - 1;
    if (chosen < 0 || chosen >= list.count) chosen = static_cast<int>(filterIndex) - 1;
    if (type) *type = list.codes[chosen];
    if (multiple) {
        // A folder and the names, each ended by a NUL, the list by another.
        memcpy(path, file.data(), file.size());
        path[file.size() - 1] = path[file.size() - 2] = '\0';
        return 1;
    }
    lstrcpynA(path, file.data(), MAX_PATH);
    if (!HasExtension(path)) GetFilterExtension(list.text, chosen, path, MAX_PATH);
    return 1;
}
