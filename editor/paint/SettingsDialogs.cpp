// The paint workspace's settings dialogs: "Editor Settings", "Effects",
// "Rotate" and "Edit Fill Patterns" (see SettingsDialogs.h).
#include "SettingsDialogs.h"
#include "AppState.h"
#include "DialogUtilities.h"
#include "DocumentStrings.h"
#include "EditorSettings.h"
#include "FrameOperations.h"
#include "ImageOperations.h"
#include "Palette.h"
#include "PatternFiles.h"
#include "PixelEffects.h"
#include "ResultCodes.h"
#include "TabControl.h"
#include "Undo.h"
#include "resource.h"
#include <cstdio>
#include <cstring>

namespace {

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

// OK ends the dialog with 1 once `store` has taken its fields, else it beeps
// and the dialog stays; Cancel ends it with 0. False for any other id.
bool EndOnOkOrCancel(HWND dialog, int id, bool (*store)(HWND))
{
    if (id == IDOK) {
        if (store(dialog)) EndDialog(dialog, 1);
        else MessageBeep(static_cast<UINT>(-1));
        return true;
    }
    if (id == IDCANCEL) {
        EndDialog(dialog, 0);
        return true;
    }
    return false;
}

// ---- "Editor Settings" ------------------------------------------------------------

constexpr int PALETTE_USAGE_ITEMS = 5;
enum PaletteUsageItemIndex : int {
    USAGE_STANDARD = 0,
    USAGE_STANDARD_DITHER = 1,
    USAGE_PROMPT = 2,
    USAGE_ORIGINAL = 3,
    USAGE_ORIGINAL_DITHER = 4,
};
constexpr int MIN_UNDO_KILOBYTES = 1024, MAX_UNDO_KILOBYTES = 64000;
constexpr int UNDO_CHOICES[] = {1024, 2048, 4096, 8192, 16384};
constexpr WORD MOVE_KEYS_LEFT = 13, MOVE_KEYS_RIGHT = 14;
constexpr uint32_t EMULATED_FILL = 2;  // AlternateFill when "Emulate Fill" is checked
constexpr int SYSTEM_PALETTE_HIDDEN_AT = 1000;

void FillPaletteUsageCombo(HWND combo)
{
    // The usages from string 510 on, as many as the program holds.
    for (int i = 0; i < PALETTE_USAGE_ITEMS; ++i) {
        char text[RESOURCE_STRING_LENGTH];
        if (!LoadResourceString(IDS_PALETTE_USAGE_FIRST + i, text, sizeof text)) break;
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

uint32_t FieldOf(uint32_t flags, uint32_t shift) { return (flags >> shift) & OPTION_TWO_BITS; }

uint32_t WithField(uint32_t flags, uint32_t shift, uint32_t value)
{
    return (flags & ~(OPTION_TWO_BITS << shift)) | ((value & OPTION_TWO_BITS) << shift);
}

uint32_t WithBit(uint32_t flags, uint32_t bit, bool on) { return on ? flags | bit : flags & ~bit; }

// The undo size in the combo's text, a number with or without the list's
// " KB"; anything but a number within 1024..64000 counts as 1024.
int UndoKilobytesOf(const char* text)
{
    char number[32];
    lstrcpynA(number, text, sizeof number);
    size_t length = strlen(number);
    while (length > 0 && number[length - 1] == ' ') --length;
    if (length >= 2 && (number[length - 2] == 'K' || number[length - 2] == 'k') &&
        (number[length - 1] == 'B' || number[length - 1] == 'b'))
        length -= 2;
    number[length] = '\0';
    int kilobytes = 0;
    if (!ParseFieldNumber(number, false, &kilobytes) || kilobytes < MIN_UNDO_KILOBYTES || kilobytes > MAX_UNDO_KILOBYTES)
        return MIN_UNDO_KILOBYTES;
    return kilobytes;
}

void ShowUndoFrames(HWND dialog, const char* text)
{
    const int steps = ComputeUndoSteps(g_appState.frameWidth, g_appState.frameHeight, UndoKilobytesOf(text), 0);
    SetDlgItemInt(dialog, IDC_SETTINGS_UNDO_FRAMES, static_cast<UINT>(steps), FALSE);
}

// The combo's text as it will be after the notification: a choice from the
// list has not reached the edit field yet when CBN_SELCHANGE arrives.
void UndoComboText(HWND dialog, bool fromList, char* text, int room)
{
    HWND combo = Item(dialog, IDC_SETTINGS_UNDO_SIZE);
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    text[0] = '\0';
    if (fromList && selected >= 0 && SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0) < room)
        SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text));
    else
        GetWindowTextA(combo, text, room);
}

void FillUndoCombo(HWND dialog, int current)
{
    HWND combo = Item(dialog, IDC_SETTINGS_UNDO_SIZE);
    bool listed = false;
    char text[32];
    for (int kilobytes : UNDO_CHOICES) {
        snprintf(text, sizeof text, "%d KB", kilobytes);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        listed = listed || kilobytes == current;
    }
    snprintf(text, sizeof text, "%d KB", current);
    if (!listed) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    ShowUndoFrames(dialog, text);
}

void SetUpSettingsTabs(HWND dialog)
{
    HWND tabs = Item(dialog, IDC_SETTINGS_TABS);
    if (!tabs) return;
    SendMessageA(tabs, TABCTL_SET_TAB_TEXT, 0, reinterpret_cast<LPARAM>("&Editor"));
    SendMessageA(tabs, TABCTL_SET_TAB_ITEMS, 0, MAKELPARAM(IDC_SETTINGS_SHOW_IMAGE, IDC_SETTINGS_EMULATE_FILL));
    SendMessageA(tabs, TABCTL_ADD_TAB, 0, reinterpret_cast<LPARAM>("&Palette"));
    SendMessageA(tabs, TABCTL_SET_TAB_ITEMS, 1, MAKELPARAM(IDC_SETTINGS_PALETTE_GROUP, IDC_SETTINGS_SYSTEM_PALETTE));
    SendMessageA(tabs, TABCTL_SELECT_TAB, 0, 0);
}

void InitEditorSettings(HWND dialog)
{
    CenterWindow(dialog);
    SetUpSettingsTabs(dialog);
    const uint32_t flags = g_appState.optionFlags;
    HWND load = Item(dialog, IDC_SETTINGS_LOAD_PALETTE), paste = Item(dialog, IDC_SETTINGS_PASTE_PALETTE);
    FillPaletteUsageCombo(load);
    FillPaletteUsageCombo(paste);
    SendMessageA(load, CB_SETCURSEL,
                 PaletteUsageItem(static_cast<int>(FieldOf(flags, OPTION_SAVED_PALETTE_SHIFT)), flags & OPTION_DITHER_ON_OPEN), 0);
    SendMessageA(paste, CB_SETCURSEL,
                 PaletteUsageItem(static_cast<int>(FieldOf(flags, OPTION_CLIPBOARD_PALETTE_SHIFT)), flags & OPTION_DITHER_ON_PASTE),
                 0);
    FillUndoCombo(dialog, SetUndoBufferSize(-1));

    if (g_appState.moveKeys & 2) Check(dialog, IDC_SETTINGS_DRAG_RIGHT, true);
    else if (g_appState.moveKeys & 1) Check(dialog, IDC_SETTINGS_DRAG_LEFT, true);
    Check(dialog, IDC_SETTINGS_SHOW_IMAGE, flags & OPTION_SHOW_FRAME_ON_INSERT);
    Check(dialog, IDC_SETTINGS_EDIT_BORDER, flags & OPTION_EDIT_BORDER);
    Check(dialog, IDC_SETTINGS_EMULATE_FILL, FieldOf(flags, OPTION_ALTERNATE_FILL_SHIFT) != 0);
    if (ReadSetting(IDS_KEY_USE_SYSTEM_PALETTE) != 0) {
        // Once on, the switch can no longer be turned off here.
        Check(dialog, IDC_SETTINGS_SYSTEM_PALETTE, true);
        SetWindowPos(Item(dialog, IDC_SETTINGS_SYSTEM_PALETTE), nullptr, SYSTEM_PALETTE_HIDDEN_AT, SYSTEM_PALETTE_HIDDEN_AT,
                     0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// Bits `shift` (two-bit usage) and `ditherBit` of the option word from a
// usage combo, and the keys that keep them.
uint32_t StorePaletteUsage(HWND combo, uint32_t flags, uint32_t shift, uint32_t ditherBit, UINT usageKey, UINT ditherKey)
{
    int usage = 0;
    bool dither = (flags & ditherBit) != 0;
    PaletteUsageOfItem(static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)), &usage, &dither);
    flags = WithBit(WithField(flags, shift, static_cast<uint32_t>(usage)), ditherBit, dither);
    WriteSetting(usageKey, usage);
    WriteSetting(ditherKey, dither ? 1 : 0);
    return flags;
}

bool StoreEditorSettings(HWND dialog)
{
    char text[32];
    GetDlgItemTextA(dialog, IDC_SETTINGS_UNDO_SIZE, text, sizeof text);
    const int kilobytes = UndoKilobytesOf(text);
    if (kilobytes != SetUndoBufferSize(-1)) {
        ComputeUndoSteps(g_appState.frameWidth, g_appState.frameHeight, kilobytes, 1);
        WriteSetting(IDS_KEY_UNDO_BUFFER_SIZE, kilobytes);
    }
    uint32_t flags = g_appState.optionFlags;
    flags = StorePaletteUsage(Item(dialog, IDC_SETTINGS_LOAD_PALETTE), flags, OPTION_SAVED_PALETTE_SHIFT,
                              OPTION_DITHER_ON_OPEN, IDS_KEY_USE_SAVED_PALETTE, IDS_KEY_DITHER_ON_OPEN);
    flags = StorePaletteUsage(Item(dialog, IDC_SETTINGS_PASTE_PALETTE), flags, OPTION_CLIPBOARD_PALETTE_SHIFT,
                              OPTION_DITHER_ON_PASTE, IDS_KEY_USE_CLIPBOARD_PALETTE, IDS_KEY_DITHER_ON_PASTE);
    flags = WithBit(flags, OPTION_SHOW_FRAME_ON_INSERT, Checked(dialog, IDC_SETTINGS_SHOW_IMAGE));
    flags = WithBit(flags, OPTION_EDIT_BORDER, Checked(dialog, IDC_SETTINGS_EDIT_BORDER));
    WriteSetting(IDS_KEY_SHOW_FRAME_ON_INSERT, (flags & OPTION_SHOW_FRAME_ON_INSERT) ? 1 : 0);
    WriteSetting(IDS_KEY_EDIT_BORDER, (flags & OPTION_EDIT_BORDER) ? 1 : 0);
    g_appState.moveKeys = Checked(dialog, IDC_SETTINGS_DRAG_LEFT) ? MOVE_KEYS_LEFT : MOVE_KEYS_RIGHT;
    WriteSetting(IDS_KEY_MOVE_KEYS, g_appState.moveKeys);
    const uint32_t fill = Checked(dialog, IDC_SETTINGS_EMULATE_FILL) ? EMULATED_FILL : 0;
    flags = WithField(flags, OPTION_ALTERNATE_FILL_SHIFT, fill);
    WriteSetting(IDS_KEY_ALTERNATE_FILL, static_cast<int>(fill));
    g_appState.optionFlags = flags;

    const int systemPalette = ReadSetting(IDS_KEY_USE_SYSTEM_PALETTE);
    WriteSetting(IDS_KEY_USE_SYSTEM_PALETTE,
                 !Checked(dialog, IDC_SETTINGS_SYSTEM_PALETTE) ? 0 : systemPalette >= 1 ? systemPalette : 1);
    return true;
}

// ---- "Effects" ------------------------------------------------------------------------

constexpr int MAX_WEIGHT = 9;
constexpr int WEIGHT_FIELD_CHARS = 3;

EffectMatrix* MatrixOf(HWND dialog) { return reinterpret_cast<EffectMatrix*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void InitEffects(HWND dialog, EffectMatrix* matrix)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(matrix));
    CenterWindow(dialog);
    for (int i = 0; i < 9; ++i) {
        SendDlgItemMessageA(dialog, IDC_EFFECT_WEIGHT_FIRST + i, EM_LIMITTEXT, WEIGHT_FIELD_CHARS, 0);
        if (matrix) SetDlgItemInt(dialog, IDC_EFFECT_WEIGHT_FIRST + i, static_cast<UINT>(matrix->weights[i]), TRUE);
    }
    if (!matrix) return;
    Check(dialog, matrix->offset == 1 ? IDC_EFFECT_RANGE_SIGNED : IDC_EFFECT_RANGE_POSITIVE, true);
    Check(dialog, IDC_EFFECT_GREYSCALE, matrix->greyscale != 0);
    Check(dialog, IDC_EFFECT_INVERT, matrix->invert != 0);
}

// The fields go into a copy: the shared matrix changes only when all nine
// weights are valid, so a refused OK followed by Cancel leaves it as it was
// (a weight outside -9..9 would overflow the effects' 16-bit sums).
bool StoreEffects(HWND dialog)
{
    EffectMatrix* matrix = MatrixOf(dialog);
    EffectMatrix edited = matrix ? *matrix : EffectMatrix{};
    for (int i = 0; i < 9; ++i) {
        char text[16];
        int weight = 0;
        GetDlgItemTextA(dialog, IDC_EFFECT_WEIGHT_FIRST + i, text, sizeof text);
        if (!ParseFieldNumber(text, true, &weight) || weight < -MAX_WEIGHT || weight > MAX_WEIGHT) return false;
        edited.weights[i] = static_cast<int16_t>(weight);
    }
    edited.greyscale = Checked(dialog, IDC_EFFECT_GREYSCALE) ? 1 : 0;
    edited.offset = Checked(dialog, IDC_EFFECT_RANGE_SIGNED) ? 1 : 0;
    edited.invert = Checked(dialog, IDC_EFFECT_INVERT) ? 1 : 0;
    if (matrix) *matrix = edited;
    return true;
}

// ---- "Rotate" ----------------------------------------------------------------------------

constexpr int FULL_TURN = 360;
constexpr int ANGLE_FIELD_CHARS = 4;
constexpr int GLYPH_SIZE = 16;
// Where each centre button's picture stands in bitmap 936, buttons 1720-1728.
constexpr POINT CENTRE_GLYPHS[9] = {{0, 0}, {32, 32}, {16, 0}, {0, 32}, {32, 16}, {16, 32}, {0, 16}, {48, 32}, {16, 16}};

int PressedCentre(HWND dialog) { return static_cast<int>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void PressCentre(HWND dialog, int id)
{
    const int previous = PressedCentre(dialog);
    SetWindowLongPtrA(dialog, DWLP_USER, id);
    if (previous != id && Item(dialog, previous)) InvalidateRect(Item(dialog, previous), nullptr, FALSE);
    InvalidateRect(Item(dialog, id), nullptr, FALSE);
}

void InitRotate(HWND dialog)
{
    CenterWindow(dialog);
    SetWindowLongPtrA(dialog, DWLP_USER, IDC_ROTATE_CENTRE_FIRST + SetRotationPivot(-1));
    SendDlgItemMessageA(dialog, IDC_ROTATE_ANGLE, EM_LIMITTEXT, ANGLE_FIELD_CHARS, 0);
    SetDlgItemInt(dialog, IDC_ROTATE_ANGLE, static_cast<UINT>(g_rotation.angle), TRUE);
    Check(dialog, IDC_ROTATE_VACANT, SetDeleteVacantPixels(-1) != 0);
}

// Leaving the field: anything but a number strictly within a full turn
// either way becomes 0, and OK waits for an angle that turns.
void SettleAngle(HWND dialog)
{
    int angle = 0;
    char text[16];
    GetDlgItemTextA(dialog, IDC_ROTATE_ANGLE, text, sizeof text);
    if (!ParseFieldNumber(text, true, &angle) || angle <= -FULL_TURN || angle >= FULL_TURN) {
        angle = 0;
        SetDlgItemInt(dialog, IDC_ROTATE_ANGLE, 0, TRUE);
    }
    EnableWindow(Item(dialog, IDOK), angle != 0);
}

void SpinAngle(HWND dialog, int code)
{
    const int angle = SpinDlgItemInt(dialog, IDC_ROTATE_ANGLE, code, -FULL_TURN, FULL_TURN);
    if (angle == FULL_TURN || angle == -FULL_TURN) SetDlgItemInt(dialog, IDC_ROTATE_ANGLE, 0, TRUE);
}

bool StoreRotation(HWND dialog)
{
    char text[16];
    int angle = 0;
    GetDlgItemTextA(dialog, IDC_ROTATE_ANGLE, text, sizeof text);
    if (!ParseFieldNumber(text, true, &angle) || angle <= -FULL_TURN || angle >= FULL_TURN) return false;
    SetRotationAngle(angle);
    SetRotationPivot(PressedCentre(dialog) - IDC_ROTATE_CENTRE_FIRST);
    SetDeleteVacantPixels(Checked(dialog, IDC_ROTATE_VACANT) ? 1 : 0);
    return true;
}

void DrawCentreButton(HWND dialog, const DRAWITEMSTRUCT* item)
{
    const int id = static_cast<int>(item->CtlID);
    const int current = DrawOwnerRadioButton(dialog, item, PressedCentre(dialog), id);
    SetWindowLongPtrA(dialog, DWLP_USER, current);
    HBITMAP glyphs = g_appState.sizeGripBitmap;
    bool ownGlyphs = false;
    if (!glyphs) {
        glyphs = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_SIZE_GRIP));
        ownGlyphs = glyphs != nullptr;
    }
    if (!glyphs) return;
    HDC source = CreateCompatibleDC(item->hDC);
    HGDIOBJ old = SelectObject(source, glyphs);
    const RECT& r = item->rcItem;
    const POINT at = CENTRE_GLYPHS[id - IDC_ROTATE_CENTRE_FIRST];
    BitBlt(item->hDC, r.left + (r.right - r.left - GLYPH_SIZE) / 2, r.top + (r.bottom - r.top - GLYPH_SIZE) / 2, GLYPH_SIZE,
           GLYPH_SIZE, source, at.x, at.y, id == current ? MERGEPAINT : SRCAND);
    SelectObject(source, old);
    DeleteDC(source);
    if (ownGlyphs) DeleteObject(glyphs);
}

// ---- "Edit Fill Patterns" --------------------------------------------------------------

constexpr int PATTERN_SIDE = 8;
constexpr int PATTERN_ROW_BYTES = 2;  // monochrome rows are word-aligned
constexpr int PATTERN_BYTES = PATTERN_SIDE * PATTERN_ROW_BYTES;
constexpr COLORREF GREEN = RGB(0, 255, 0), LIGHT_GREY = RGB(192, 192, 192), GREY = RGB(128, 128, 128);
constexpr int PATTERN_FRAME = 4;

struct PatternEditor {
    HBRUSH working[FILL_PATTERN_COUNT];           // drawn on the buttons, remade after each edit
    BYTE saved[FILL_PATTERN_COUNT][PATTERN_BYTES];  // the patterns as they were: Cancel puts them back
    HPEN currentPen, otherPen, gridPen;
};

PatternEditor* EditorOf(HWND dialog) { return reinterpret_cast<PatternEditor*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

int CurrentPattern()
{
    const int index = g_appState.fillPatternIndex;
    return index >= 0 && index < FILL_PATTERN_COUNT ? index : 0;
}

HBRUSH MakePatternBrush(int pattern)
{
    HBITMAP bits = g_appState.patternBitmaps[pattern];
    return bits ? CreatePatternBrush(bits) : nullptr;
}

void RemakeWorkingBrush(PatternEditor* editor, int pattern)
{
    if (editor->working[pattern]) DeleteObject(editor->working[pattern]);
    editor->working[pattern] = MakePatternBrush(pattern);
}

void RepaintPattern(HWND dialog, int pattern)
{
    InvalidateRect(Item(dialog, IDC_PATTERN_FIRST + pattern), nullptr, FALSE);
    InvalidateRect(Item(dialog, IDC_PATTERN_GRID), nullptr, FALSE);
    InvalidateRect(Item(dialog, IDC_PATTERN_PREVIEW), nullptr, FALSE);
}

void InitFillPatterns(HWND dialog)
{
    auto* editor = new PatternEditor{};
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(editor));
    CenterWindow(dialog);
    HWND grid = Item(dialog, IDC_PATTERN_GRID);
    RECT client;
    GetClientRect(grid, &client);
    SetWindowPos(grid, nullptr, 0, 0, client.right / PATTERN_SIDE * PATTERN_SIDE, client.bottom / PATTERN_SIDE * PATTERN_SIDE,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int i = 0; i < FILL_PATTERN_COUNT; ++i) {
        editor->working[i] = MakePatternBrush(i);
        if (g_appState.patternBitmaps[i]) GetBitmapBits(g_appState.patternBitmaps[i], PATTERN_BYTES, editor->saved[i]);
    }
    editor->currentPen = CreatePen(PS_SOLID, 2, GREEN);
    editor->otherPen = CreatePen(PS_SOLID, 2, LIGHT_GREY);
    editor->gridPen = CreatePen(PS_SOLID, 1, GREY);
    g_appState.fillPatternIndex = CurrentPattern();
}

void FreePatternEditor(HWND dialog)
{
    PatternEditor* editor = EditorOf(dialog);
    if (!editor) return;
    for (HBRUSH brush : editor->working)
        if (brush) DeleteObject(brush);
    for (HPEN pen : {editor->currentPen, editor->otherPen, editor->gridPen})
        if (pen) DeleteObject(pen);
    delete editor;
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
}

void RestorePatterns(PatternEditor* editor)
{
    for (int i = 0; i < FILL_PATTERN_COUNT; ++i)
        if (g_appState.patternBitmaps[i]) SetBitmapBits(g_appState.patternBitmaps[i], PATTERN_BYTES, editor->saved[i]);
}

void DrawPatternPreview(HDC dc, HWND preview, HBRUSH brush)
{
    RECT r;
    GetClientRect(preview, &r);
    HPALETTE oldPalette = SelectDocumentPalette(dc);
    // A monochrome brush paints its black pixels in the text colour and its
    // white ones in the background colour.
    const COLORREF oldText = SetTextColor(dc, GetToolColor(ROLE_PEN));
    const COLORREF oldBack = SetBkColor(dc, GetToolColor(ROLE_FILL));
    FillRect(dc, &r, brush);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
}

void DrawPatternButton(HWND dialog, PatternEditor* editor, const DRAWITEMSTRUCT* item)
{
    const int pattern = static_cast<int>(item->CtlID) - IDC_PATTERN_FIRST;
    HDC dc = item->hDC;
    const RECT& r = item->rcItem;
    const int w = r.right - r.left, h = r.bottom - r.top;
    HBRUSH grey = CreateSolidBrush(LIGHT_GREY);
    FillRect(dc, &r, grey);
    DeleteObject(grey);
    const RECT inside = {r.left + PATTERN_FRAME, r.top + PATTERN_FRAME, r.left + w - PATTERN_FRAME, r.top + h - PATTERN_FRAME};
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    if (editor->working[pattern]) FillRect(dc, &inside, editor->working[pattern]);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
    const bool current = pattern == CurrentPattern();
    HGDIOBJ oldPen = SelectObject(dc, current ? editor->currentPen : editor->otherPen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left + 1, r.top + 1, r.left + w - 1, r.top + h - 1);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    if (current) {
        HWND preview = Item(dialog, IDC_PATTERN_PREVIEW);
        HDC previewDc = GetDC(preview);
        if (editor->working[pattern]) DrawPatternPreview(previewDc, preview, editor->working[pattern]);
        ReleaseDC(preview, previewDc);
    }
}

void DrawPatternGrid(PatternEditor* editor, const DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    const RECT& r = item->rcItem;
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (HBITMAP bits = g_appState.patternBitmaps[CurrentPattern()]) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, bits);
        const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
        const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
        StretchBlt(dc, r.left, r.top, w, h, source, 0, 0, PATTERN_SIDE, PATTERN_SIDE, SRCCOPY);
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBack);
        SelectObject(source, old);
        DeleteDC(source);
    }
    HGDIOBJ oldPen = SelectObject(dc, editor->gridPen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    for (int i = 1; i < PATTERN_SIDE; ++i) {
        MoveToEx(dc, r.left + i * w / PATTERN_SIDE, r.top, nullptr);
        LineTo(dc, r.left + i * w / PATTERN_SIDE, r.bottom);
        MoveToEx(dc, r.left, r.top + i * h / PATTERN_SIDE, nullptr);
        LineTo(dc, r.right, r.top + i * h / PATTERN_SIDE);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

void ChoosePattern(HWND dialog, int pattern)
{
    const int previous = CurrentPattern();
    g_appState.fillPatternIndex = pattern;
    InvalidateRect(Item(dialog, IDC_PATTERN_FIRST + previous), nullptr, FALSE);
    RepaintPattern(dialog, pattern);
}

// Flips one pixel of the current pattern: black becomes white and back.
void TogglePatternPixel(HWND dialog, int x, int y)
{
    const int pattern = CurrentPattern();
    HBITMAP bits = g_appState.patternBitmaps[pattern];
    if (!bits) return;
    BYTE rows[PATTERN_BYTES] = {};
    GetBitmapBits(bits, PATTERN_BYTES, rows);
    rows[y * PATTERN_ROW_BYTES + x / 8] ^= static_cast<BYTE>(0x80 >> (x % 8));
    SetBitmapBits(bits, PATTERN_BYTES, rows);
    RemakeWorkingBrush(EditorOf(dialog), pattern);
    RepaintPattern(dialog, pattern);
}

// A left click in the dialog: the grid's cell under it, if any, flips.
void ClickPatternGrid(HWND dialog, POINT at)
{
    HWND grid = Item(dialog, IDC_PATTERN_GRID);
    RECT r;
    GetWindowRect(grid, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (!PtInRect(&r, at) || (at.x == r.left && at.y == r.top) || w < PATTERN_SIDE || h < PATTERN_SIDE) return;
    TogglePatternPixel(dialog, (at.x - r.left) * PATTERN_SIDE / w, (at.y - r.top) * PATTERN_SIDE / h);
}

void ClearCurrentPattern(HWND dialog)
{
    const int pattern = CurrentPattern();
    if (HBITMAP bits = g_appState.patternBitmaps[pattern]) {
        BYTE white[PATTERN_BYTES];
        memset(white, 0xFF, sizeof white);
        SetBitmapBits(bits, PATTERN_BYTES, white);
    }
    RemakeWorkingBrush(EditorOf(dialog), pattern);
    RepaintPattern(dialog, pattern);
}

void EndFillPatterns(HWND dialog, bool confirmed)
{
    if (PatternEditor* editor = EditorOf(dialog)) {
        if (!confirmed) RestorePatterns(editor);
    }
    if (confirmed && Checked(dialog, IDC_PATTERN_SAVE)) {
        const int result = WritePatternFile();
        if (result != RESULT_OK) ShowErrorMessage(result);
    }
    FreePatternEditor(dialog);
    EndDialog(dialog, confirmed ? 1 : 0);
}

}  // namespace

int PaletteUsageItem(int usage, bool dither)
{
    if (usage == 1) return USAGE_PROMPT;
    if (usage == 2) return dither ? USAGE_ORIGINAL_DITHER : USAGE_ORIGINAL;
    return dither ? USAGE_STANDARD_DITHER : USAGE_STANDARD;
}

void PaletteUsageOfItem(int item, int* usage, bool* dither)
{
    switch (item) {
    case USAGE_STANDARD_DITHER: *usage = 0; *dither = true; break;
    case USAGE_PROMPT: *usage = 1; break;
    case USAGE_ORIGINAL: *usage = 2; *dither = false; break;
    case USAGE_ORIGINAL_DITHER: *usage = 2; *dither = true; break;
    default: *usage = 0; *dither = false; break;
    }
}

INT_PTR CALLBACK EditorSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitEditorSettings(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SETTINGS_UNDO_SIZE:
            if (HIWORD(wParam) == CBN_EDITCHANGE || HIWORD(wParam) == CBN_SELCHANGE) {
                char text[32];
                UndoComboText(dialog, HIWORD(wParam) == CBN_SELCHANGE, text, sizeof text);
                ShowUndoFrames(dialog, text);
            }
            return TRUE;
        }
        return EndOnOkOrCancel(dialog, LOWORD(wParam), StoreEditorSettings);
    default:
        return DefaultCtlColor(message);
    }
}

INT_PTR CALLBACK EffectsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitEffects(dialog, reinterpret_cast<EffectMatrix*>(lParam));
        return TRUE;
    case WM_COMMAND:
        return EndOnOkOrCancel(dialog, LOWORD(wParam), StoreEffects);
    default:
        return DefaultCtlColor(message);
    }
}

INT_PTR CALLBACK RotateDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitRotate(dialog);
        return TRUE;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID < IDC_ROTATE_CENTRE_FIRST || item->CtlID > IDC_ROTATE_CENTRE_LAST) return FALSE;
        DrawCentreButton(dialog, item);
        return TRUE;
    }
    case WM_VSCROLL:
        if (reinterpret_cast<HWND>(lParam) == Item(dialog, IDC_ROTATE_SPIN)) SpinAngle(dialog, LOWORD(wParam));
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id >= IDC_ROTATE_CENTRE_FIRST && id <= IDC_ROTATE_CENTRE_LAST) {
            if (HIWORD(wParam) == BN_CLICKED) PressCentre(dialog, id);
            return TRUE;
        }
        if (id == IDC_ROTATE_ANGLE) {
            if (HIWORD(wParam) == EN_KILLFOCUS) SettleAngle(dialog);
            else if (HIWORD(wParam) == EN_CHANGE) EnableWindow(Item(dialog, IDOK), TRUE);
            return TRUE;
        }
        return EndOnOkOrCancel(dialog, id, StoreRotation);
    }
    default:
        return DefaultCtlColor(message);
    }
}

INT_PTR CALLBACK FillPatternsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitFillPatterns(dialog);
        return TRUE;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        PatternEditor* editor = EditorOf(dialog);
        if (!editor) return FALSE;
        if (item->CtlID >= IDC_PATTERN_FIRST && item->CtlID <= IDC_PATTERN_LAST) DrawPatternButton(dialog, editor, item);
        else if (item->CtlID == IDC_PATTERN_GRID) DrawPatternGrid(editor, item);
        else if (item->CtlID == IDC_PATTERN_PREVIEW && editor->working[CurrentPattern()])
            DrawPatternPreview(item->hDC, item->hwndItem, editor->working[CurrentPattern()]);
        else return FALSE;
        return TRUE;
    }
    case WM_LBUTTONDOWN:
        ClickPatternGrid(dialog, {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return TRUE;
    case WM_RBUTTONDOWN:
        ClearCurrentPattern(dialog);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id >= IDC_PATTERN_FIRST && id <= IDC_PATTERN_LAST) {
            if (HIWORD(wParam) == BN_CLICKED) ChoosePattern(dialog, id - IDC_PATTERN_FIRST);
            return TRUE;
        }
        if (id == IDOK || id == IDCANCEL) {
            EndFillPatterns(dialog, id == IDOK);
            return TRUE;
        }
        return FALSE;
    }
    case WM_DESTROY:
        // Closed some other way than OK or Cancel: the edits are dropped.
        if (PatternEditor* editor = EditorOf(dialog)) RestorePatterns(editor);
        FreePatternEditor(dialog);
        return FALSE;
    default:
        return DefaultCtlColor(message);
    }
}
