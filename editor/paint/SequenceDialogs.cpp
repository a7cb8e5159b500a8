// The sequence dialogs and command 101 (see SequenceCommands.h).
#include "SequenceCommands.h"
#include "SequenceDialogs.h"
#include "AppState.h"
#include "Clipboard.h"
#include "FrameFormatDialog.h"
#include "MainWindow.h"
#include "Palette.h"
#include "ResultCodes.h"
#include "ConvBridge.h"
#include "DialogUtilities.h"
#include "DocumentCommon.h"
#include "DocumentModel.h"
#include "resource.h"
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// ---- "Color Palette Request" ------------------------------------------------------

// The option chosen last since the editor started, per template (1006, 1007).
BYTE lastPaletteChoice[2] = {0, 0};

BYTE& PaletteChoiceOf(HWND dialog)
{
    // Only the standard-palette request offers the image's own palette.
    return lastPaletteChoice[GetDlgItem(dialog, IDC_PALETTE_LOAD_OWN) ? 0 : 1];
}

struct PaletteRequestState {
    HCURSOR cursorBefore;
};

void InitPaletteRequest(HWND dialog)
{
    auto* state = new PaletteRequestState{GetCursor()};
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    CenterWindow(dialog);
    SendDlgItemMessageA(dialog, IDC_PALETTE_ICON, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_EXCLAMATION)), 0);
    const int last = IDC_PALETTE_MAP + PaletteChoiceOf(dialog);
    CheckRadioButton(dialog, IDC_PALETTE_MAP, GetDlgItem(dialog, IDC_PALETTE_LOAD_OWN) ? IDC_PALETTE_LOAD_OWN : IDC_PALETTE_DITHER,
                     GetDlgItem(dialog, last) ? last : IDC_PALETTE_MAP);
}

void EndPaletteRequest(HWND dialog, int result)
{
    SendDlgItemMessageA(dialog, IDC_PALETTE_ICON, STM_SETICON, 0, 0);
    auto* state = reinterpret_cast<PaletteRequestState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (state) SetCursor(state->cursorBefore);
    EndDialog(dialog, result);
}

int ChosenPaletteOption(HWND dialog)
{
    for (int option = 0; option < 3; ++option)
        if (IsDlgButtonChecked(dialog, IDC_PALETTE_MAP + option) == BST_CHECKED) return option;
    return 0;
}

// ---- "New Frame Sequence" ---------------------------------------------------------

constexpr int MIN_FRAME_SIDE = 8, MAX_FRAME_SIDE = 2048, SPIN_MAX_SIDE = 2000;
constexpr int CLIPBOARD_MAX_WIDTH = 1280, CLIPBOARD_MAX_HEIGHT = 1024;
constexpr int NAME_CHARS = 64;

struct NewDepth {
    int id;
    int32_t colorFormat;
};
constexpr NewDepth NEW_DEPTHS[] = {
    {IDC_FORMAT_DEPTH_2, COLORS_2},     {IDC_FORMAT_DEPTH_16, COLORS_16},     {IDC_FORMAT_DEPTH_256, COLORS_256},
    {IDC_FORMAT_DEPTH_65536, COLORS_65536}, {IDC_FORMAT_DEPTH_TRUE, COLORS_24BIT},
};

NewSequenceParams* NewParamsOf(HWND dialog)
{
    return reinterpret_cast<NewSequenceParams*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void EnableItem(HWND dialog, int item, bool on) { EnableWindow(GetDlgItem(dialog, item), on ? TRUE : FALSE); }
bool IsChecked(HWND dialog, int item) { return IsDlgButtonChecked(dialog, item) == BST_CHECKED; }

int CheckedDepthButton(HWND dialog)
{
    for (const NewDepth& d : NEW_DEPTHS)
        if (IsChecked(dialog, d.id)) return d.id;
    return 0;
}

// The radio button of a depth in bits per pixel.
int DepthButtonOfBits(int bits)
{
    switch (bits) {
    case 1: return IDC_FORMAT_DEPTH_2;
    case 4: return IDC_FORMAT_DEPTH_16;
    case 8: return IDC_FORMAT_DEPTH_256;
    case 16: return IDC_FORMAT_DEPTH_65536;
    case 24:
    case 32: return IDC_FORMAT_DEPTH_TRUE;
    default: return g_appState.bitmapMode.displayBits > 8 ? IDC_FORMAT_DEPTH_65536 : IDC_FORMAT_DEPTH_256;
    }
}

int SelectedType(HWND dialog)
{
    const LRESULT item = SendDlgItemMessageA(dialog, IDC_NEW_TYPE, CB_GETCURSEL, 0, 0);
    return item < 0 ? 0 : static_cast<int>(SendDlgItemMessageA(dialog, IDC_NEW_TYPE, CB_GETITEMDATA, item, 0));
}

// The depths the chosen type takes within the display's limit; a checked
// button that went grey hands its check down.
void FollowType(HWND dialog)
{
    const int type = SelectedType(dialog);
    const int limit = g_appState.bitmapMode.useDeviceBitmaps ? g_appState.bitmapMode.displayBits : 32;
    const auto takes = [type](int bits) { return type == 0 || CallGetDesiredBitPix(type, bits) == bits; };
    EnableItem(dialog, IDC_FORMAT_DEPTH_65536, takes(16) && limit >= 16);
    EnableItem(dialog, IDC_FORMAT_DEPTH_TRUE, takes(24) && limit > 23);
    int checked = CheckedDepthButton(dialog);
    if (!checked || IsWindowEnabled(GetDlgItem(dialog, checked))) return;
    while (checked > IDC_FORMAT_DEPTH_16 && !IsWindowEnabled(GetDlgItem(dialog, checked))) --checked;
    CheckRadioButton(dialog, IDC_FORMAT_DEPTH_2, IDC_FORMAT_DEPTH_TRUE, checked);
}

void InitNewSequence(HWND dialog, NewSequenceParams* p)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(p));
    CenterWindow(dialog);
    p->transparentCode = TRANSPARENT_NONE;
    p->toleranceOn = 0;
    p->tolerance = 10;
    SendDlgItemMessageA(dialog, IDC_NEW_NAME, EM_LIMITTEXT, NAME_CHARS, 0);
    SendDlgItemMessageA(dialog, IDC_NEW_WIDTH, EM_LIMITTEXT, 4, 0);
    SendDlgItemMessageA(dialog, IDC_NEW_HEIGHT, EM_LIMITTEXT, 4, 0);

    HWND types = GetDlgItem(dialog, IDC_NEW_TYPE);
    const LRESULT own = SendMessageA(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Zelvo Standard"));
    SendMessageA(types, CB_SETITEMDATA, own, 0);
    const int added = FillConvFormatList(types);
    EnableWindow(types, p->typeId < 0 && added > 0 ? TRUE : FALSE);
    SendMessageA(types, CB_SETCURSEL, 0, 0);

    int width = 0, height = 0, bits = 0;
    if (GetClipboardImageSize(&width, &height, &bits)) {
        width = std::min(width, CLIPBOARD_MAX_WIDTH);
        height = std::min(height, CLIPBOARD_MAX_HEIGHT);
        CheckDlgButton(dialog, IDC_NEW_PASTE_CLIPBOARD, BST_CHECKED);
    } else {
        width = g_appState.frameWidth > 7 ? g_appState.frameWidth : 128;
        height = g_appState.frameHeight > 7 ? g_appState.frameHeight : 128;
        EnableItem(dialog, IDC_NEW_PASTE_CLIPBOARD, false);
        bits = g_appState.bitmapMode.displayBits;
    }
    SetDlgItemInt(dialog, IDC_NEW_WIDTH, static_cast<UINT>(width), FALSE);
    SetDlgItemInt(dialog, IDC_NEW_HEIGHT, static_cast<UINT>(height), FALSE);
    if (g_appState.bitmapMode.useDeviceBitmaps) {
        const int display = g_appState.bitmapMode.displayBits;
        EnableItem(dialog, IDC_FORMAT_DEPTH_256, display > 7);
        EnableItem(dialog, IDC_FORMAT_DEPTH_65536, display > 15);
        EnableItem(dialog, IDC_FORMAT_DEPTH_TRUE, display > 23);
    }
    CheckRadioButton(dialog, IDC_FORMAT_DEPTH_2, IDC_FORMAT_DEPTH_TRUE, DepthButtonOfBits(bits));
    SetFocus(GetDlgItem(dialog, IDC_NEW_WIDTH));
}

// A two-colour sequence keeps only black or white (or none) transparent.
void FollowTwoColors(HWND dialog, NewSequenceParams* p)
{
    const int colour = p->transparentCode & TRANSPARENT_STATIC_MASK;
    if ((p->transparentCode & TRANSPARENT_NONE) || colour < 2 || colour > 14) return;
    p->transparentCode = TRANSPARENT_NONE;
    InvalidateRect(GetDlgItem(dialog, IDC_NEW_TRANSPARENT), nullptr, TRUE);
}

int32_t ChosenNewFormat(HWND dialog)
{
    const int checked = CheckedDepthButton(dialog);
    for (const NewDepth& d : NEW_DEPTHS)
        if (d.id == checked) return d.colorFormat;
    return COLORS_256;
}

// "Set transparent color" as it would be for the sequence chosen so far;
// the editor's own values come back afterwards.
void ChooseTransparent(HWND dialog, NewSequenceParams* p)
{
    const int32_t format = ChosenNewFormat(dialog);
    const int savedCount = g_appState.colorCount;
    const BYTE savedLibrary = g_document.conversionFormat;
    const int savedOn = g_document.transparentToleranceOn, savedTolerance = g_document.transparentTolerance;
    g_appState.colorCount = format;
    g_document.conversionFormat = static_cast<BYTE>(SelectedType(dialog));
    g_document.transparentToleranceOn = format < COLORS_256 ? -1 : p->toleranceOn;
    g_document.transparentTolerance = p->tolerance;
    const INT_PTR result = RunDialog(IDD_TRANSPARENT_COLOR, dialog, p->transparentCode);
    if (result >= 0 && result <= 0xFF) {
        p->transparentCode = static_cast<int32_t>(result);
        if (result < 16) {
            p->toleranceOn = g_document.transparentToleranceOn > 0 ? 1 : 0;
            p->tolerance = g_document.transparentTolerance;
        }
    }
    g_appState.colorCount = savedCount;
    g_document.conversionFormat = savedLibrary;
    g_document.transparentToleranceOn = savedOn;
    g_document.transparentTolerance = savedTolerance;
    InvalidateRect(GetDlgItem(dialog, IDC_NEW_TRANSPARENT), nullptr, TRUE);
}

// "None", or a swatch of the static colour (outlined for the light grey).
void DrawTransparentButton(const DRAWITEMSTRUCT* item, const NewSequenceParams* p)
{
    if (p->transparentCode & TRANSPARENT_NONE) {
        DrawOwnerButton(item, nullptr);
        return;
    }
    DrawOwnerButton(item, "");
    RECT swatch = item->rcItem;
    InflateRect(&swatch, -4, -4);
    if (item->itemState & ODS_SELECTED) OffsetRect(&swatch, 1, 1);
    const int code = p->transparentCode & TRANSPARENT_STATIC_MASK;
    HBRUSH fill = CreateSolidBrush(GetStaticColor(code, COLORS_16));
    FillRect(item->hDC, &swatch, fill);
    DeleteObject(fill);
    if (code == 7) FrameRect(item->hDC, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

// OK: false (and the dialog stays) when a size is out of range.
bool TakeNewSequence(HWND dialog, NewSequenceParams* p)
{
    int width = 0, height = 0;
    if (!TryGetRangedDlgInt(dialog, IDC_NEW_WIDTH, MIN_FRAME_SIDE, MAX_FRAME_SIDE, FALSE, &width) ||
        !TryGetRangedDlgInt(dialog, IDC_NEW_HEIGHT, MIN_FRAME_SIDE, MAX_FRAME_SIDE, FALSE, &height)) {
        ShowStringMessage(dialog, IDS_FRAME_SIZE_RANGE, nullptr, MB_OK | MB_ICONSTOP);
        SetFocus(GetDlgItem(dialog, IDC_NEW_WIDTH));
        return false;
    }
    p->width = width;
    p->height = height;
    p->colourFormat = ChosenNewFormat(dialog);
    if (!(p->transparentCode & TRANSPARENT_NONE)) {
        if (p->colourFormat == COLORS_2) p->transparentCode = (p->transparentCode & ~TRANSPARENT_RUNTIME_MASK) | TRANSPARENT_TWO_COLOR;
        else p->transparentCode &= ~TRANSPARENT_TWO_COLOR;
    }
    p->typeId = SelectedType(dialog);
    p->pasteClipboard = IsChecked(dialog, IDC_NEW_PASTE_CLIPBOARD) ? 1 : 0;
    return true;
}

INT_PTR OnNewSequenceCommand(HWND dialog, int id, int code)
{
    NewSequenceParams* p = NewParamsOf(dialog);
    switch (id) {
    case IDOK:
        if (TakeNewSequence(dialog, p)) EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case IDC_NEW_TYPE:
        if (code == CBN_SELCHANGE) FollowType(dialog);
        return TRUE;
    case IDC_FORMAT_DEPTH_2: FollowTwoColors(dialog, p); return TRUE;
    case IDC_NEW_TRANSPARENT: ChooseTransparent(dialog, p); return TRUE;
    default: return FALSE;
    }
}

// ---- "Save Frame Sequence" --------------------------------------------------------

constexpr int MAX_EXPORT_FORMATS = 129;

struct ExportFormat {
    int id;
    char extensions[CONV_FORMAT_ENTRY_BYTES];  // "*.BMP;*.DIB;*.RLE"
};

struct SaveSequenceState {
    char* path;
    int count;
    ExportFormat formats[MAX_EXPORT_FORMATS];
};

SaveSequenceState* SaveStateOf(HWND dialog)
{
    return reinterpret_cast<SaveSequenceState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void AddExportFormat(HWND dialog, SaveSequenceState* s, const char* name, const char* extensions, int id)
{
    if (s->count >= MAX_EXPORT_FORMATS) return;
    const LRESULT at = SendDlgItemMessageA(dialog, IDC_EXPORT_FORMAT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (at < 0) return;
    SendDlgItemMessageA(dialog, IDC_EXPORT_FORMAT, CB_SETITEMDATA, at, s->count);
    s->formats[s->count].id = id;
    lstrcpynA(s->formats[s->count].extensions, extensions, sizeof s->formats[s->count].extensions);
    ++s->count;
}

// The Windows bitmap entry from its filter string ("name|extensions"), then
// the image library's export formats.
void FillExportFormats(HWND dialog, SaveSequenceState* s)
{
    char bitmaps[RESOURCE_STRING_LENGTH] = "";
    LoadResourceString(IDS_TYPE_BITMAPS, bitmaps);
    char* bar = strchr(bitmaps, '|');
    if (bar) *bar = '\0';
    AddExportFormat(dialog, s, bitmaps, bar ? bar + 1 : "*.BMP", 0);
    char names[CONV_FORMAT_LIST_BYTES] = "";
    BYTE ids[CONV_MAX_FORMAT_ENTRIES] = {};
    const int count = CallGetFormats(names, ids, CONV_LIST_STILL | CONV_LIST_FOR_SAVE);
    const char* entry = names;
    for (int i = 0; i < count && i < CONV_MAX_FORMAT_ENTRIES; ++i) {
        const char* pattern = entry + strlen(entry) + 1;
        AddExportFormat(dialog, s, entry, pattern, ids[i]);
        entry = pattern + strlen(pattern) + 1;
    }
}

const ExportFormat* ChosenExportFormat(HWND dialog, const SaveSequenceState* s)
{
    const LRESULT item = SendDlgItemMessageA(dialog, IDC_EXPORT_FORMAT, CB_GETCURSEL, 0, 0);
    if (item < 0) return nullptr;
    const LRESULT index = SendDlgItemMessageA(dialog, IDC_EXPORT_FORMAT, CB_GETITEMDATA, item, 0);
    return index >= 0 && index < s->count ? &s->formats[index] : nullptr;
}

// ".GIF" from "*.GIF;*.GIFF": from the first "." up to ";". False without one.
bool FirstExtension(const char* extensions, char* out, size_t size)
{
    const char* dot = strchr(extensions, '.');
    if (!dot || dot[1] == '\0' || dot[1] == ';') return false;
    const size_t length = strcspn(dot, ";");
    if (length + 1 > size) return false;
    memcpy(out, dot, length);
    out[length] = '\0';
    return true;
}

// The file name part of a path, and its extension's dot (null without one).
const char* FileNamePart(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return name;
}

void ShowExportNames(HWND dialog)
{
    const SaveSequenceState* s = SaveStateOf(dialog);
    const ExportFormat* format = s ? ChosenExportFormat(dialog, s) : nullptr;
    if (!format) return;
    const char* name = FileNamePart(s->path);
    char directory[MAX_PATH] = "";
    const char* slash = strrchr(s->path, '\\');
    if (slash) lstrcpynA(directory, s->path, static_cast<int>(slash - s->path) + 1);
    SetDlgItemTextA(dialog, IDC_EXPORT_DIRECTORY, directory);
    const char* dot = strrchr(name, '.');
    const int stem = static_cast<int>(dot ? dot - name : strlen(name));
    char extension[CONV_FORMAT_ENTRY_BYTES] = "";
    FirstExtension(format->extensions, extension, sizeof extension);
    char text[MAX_PATH + 64];
    snprintf(text, sizeof text, "%.*s[1..%d]%s", stem, name, g_appState.frameCount, extension);
    SetDlgItemTextA(dialog, IDC_EXPORT_FILENAMES, text);
}

void InitSaveSequence(HWND dialog, char* path)
{
    auto* s = new SaveSequenceState{};
    s->path = path;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
    CenterWindow(dialog);
    FillExportFormats(dialog, s);
    const int recorded = g_appState.frameCount > 0 ? g_document.frameRecords[0].attribute : 0;
    int select = 0;
    const LRESULT items = SendDlgItemMessageA(dialog, IDC_EXPORT_FORMAT, CB_GETCOUNT, 0, 0);
    for (int item = 0; item < items; ++item) {
        const LRESULT index = SendDlgItemMessageA(dialog, IDC_EXPORT_FORMAT, CB_GETITEMDATA, item, 0);
        if (index >= 0 && index < s->count && s->formats[index].id == recorded) select = item;
    }
    SendDlgItemMessageA(dialog, IDC_EXPORT_FORMAT, CB_SETCURSEL, select, 0);
    ShowExportNames(dialog);
}

// OK: the format's first extension replaces the path's (or is appended).
void AcceptExport(HWND dialog)
{
    const SaveSequenceState* s = SaveStateOf(dialog);
    const ExportFormat* format = ChosenExportFormat(dialog, s);
    char extension[CONV_FORMAT_ENTRY_BYTES];
    if (!format || !FirstExtension(format->extensions, extension, sizeof extension)) {
        MessageBeep(MB_OK);
        return;
    }
    char* name = s->path + (FileNamePart(s->path) - s->path);
    char* dot = strrchr(name, '.');
    const size_t keep = dot ? static_cast<size_t>(dot - s->path) : strlen(s->path);
    if (keep + strlen(extension) + 1 > MAX_PATH) {
        MessageBeep(MB_OK);
        return;
    }
    strcpy(s->path + keep, extension);
    EndDialog(dialog, format->id);
}

}  // namespace

INT_PTR CALLBACK NewSequenceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        // A caller that passes no record still gets a dialog that shows and closes.
        static NewSequenceParams nothingAsked{};
        auto* params = reinterpret_cast<NewSequenceParams*>(lParam);
        InitNewSequence(dialog, params ? params : &nothingAsked);
        return FALSE;  // the focus is on the width
    }
    case WM_COMMAND: return NewParamsOf(dialog) ? OnNewSequenceCommand(dialog, LOWORD(wParam), HIWORD(wParam)) : FALSE;
    case WM_DRAWITEM:
        if (wParam != IDC_NEW_TRANSPARENT || !NewParamsOf(dialog)) return FALSE;
        DrawTransparentButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), NewParamsOf(dialog));
        return TRUE;
    case WM_VSCROLL: {
        const int bar = lParam ? GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) : 0;
        const int field = bar == IDC_NEW_WIDTH_SPIN ? IDC_NEW_WIDTH : bar == IDC_NEW_HEIGHT_SPIN ? IDC_NEW_HEIGHT : 0;
        if (field) SpinDlgItemInt(dialog, field, LOWORD(wParam), MIN_FRAME_SIDE, SPIN_MAX_SIDE);
        return TRUE;
    }
    default: return DefaultCtlColor(message);
    }
}

INT_PTR CALLBACK PaletteRequestDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: InitPaletteRequest(dialog); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            const int option = ChosenPaletteOption(dialog);
            PaletteChoiceOf(dialog) = static_cast<BYTE>(option);
            EndPaletteRequest(dialog, option);
            return TRUE;
        }
        case IDCANCEL: EndPaletteRequest(dialog, -1); return TRUE;
        default: return FALSE;
        }
    case WM_DESTROY:
        delete reinterpret_cast<PaletteRequestState*>(GetWindowLongPtrA(dialog, DWLP_USER));
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default: return DefaultCtlColor(message);
    }
}

INT_PTR CALLBACK SaveSequenceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        // Without a path buffer there is nothing to choose a name for.
        static char nothingAsked[MAX_PATH] = "";
        char* path = reinterpret_cast<char*>(lParam);
        InitSaveSequence(dialog, path ? path : nothingAsked);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: AcceptExport(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, -1); return TRUE;
        case IDC_EXPORT_FORMAT:
            if (HIWORD(wParam) == CBN_SELCHANGE) ShowExportNames(dialog);
            return TRUE;
        default: return FALSE;
        }
    case WM_DESTROY:
        delete SaveStateOf(dialog);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default: return DefaultCtlColor(message);
    }
}

int NewSequenceCommand(HWND owner)
{
    NewSequenceParams params{};
    params.typeId = -1;  // the user chooses the type
    if (RunDialog(IDD_NEW_SEQUENCE, owner, reinterpret_cast<LPARAM>(&params)) != 1) return 0;
    if (!QuerySaveChanges(owner, g_document.animationState)) return 0;
    ResetDocument();
    if (!CreateSequence(params, 0)) return 0;
    if (params.typeId > 0) {
        // A library format makes its own new document around the frame.
        char path[MAX_PATH];
        lstrcpynA(path, g_document.sequencePath, MAX_PATH);
        if (CallNewConvFile(owner, path, static_cast<BYTE>(params.typeId)) == RESULT_OK) {
            g_document.conversionFormat = static_cast<BYTE>(params.typeId);
            g_document.animationState = g_document.sequenceState = DOC_NEW;
            DrawMenuBar(g_appState.mainWindow);
        }
    }
    NotifyDocument(DOC_SHOW_FRAME_WINDOW);
    UpdateRunCommand();
    SetFrameCount(g_appState.frameCount);
    UpdateMainTitle();
    return 1;
}

int RunPaletteRequest(int templateId)
{
    return static_cast<int>(RunDialog(templateId, g_appState.mainWindow, 0));
}

void ResetPaletteRequestMemory() { lastPaletteChoice[0] = lastPaletteChoice[1] = 0; }
