// "Animation Window Settings" (1010): the window's title, size, position,
// style, timing, coordinate origin and background. Changing the origin moves
// every stored coordinate so that nothing moves on the screen.
#include "ComposeCommon.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "FileIo.h"
#include "MainWindow.h"
#include "Palette.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "TabControl.h"
#include "WindowDialogResources.h"
#include "WindowDialogs.h"
#include "resource.h"
#include <cstdio>

namespace {

constexpr int TITLE_LIMIT = STORED_NAME_CHARS - 1;  // the field keeps its NUL
constexpr uint32_t STYLE_POPUP = 0x80000000u;
constexpr uint32_t EX_STYLE_ALWAYS = WS_EX_NOPARENTNOTIFY;
constexpr uint8_t POSITION_MODE_MASK = 0x03;
constexpr uint8_t POSITION_CENTRE_WINDOW = 0x08;
constexpr uint8_t POSITION_CENTRE_FRAME = 0x04;
constexpr uint8_t POSITION_HIDE_CURSOR = 0x10;
constexpr uint8_t PALETTE_DEFAULT = 0x04;
constexpr uint8_t PALETTE_INDEX_MASK = 0xF8;
constexpr uint8_t EDITOR_BYTE_FAST = 3;

// The check boxes of the style table: control, field (0 style, 1 extended), bits.
struct StyleBox {
    int control;
    int extended;
    uint32_t bits;
};
const StyleBox styleBoxes[] = {
    {IDC_WS_DIALOG_BORDER, 1, WS_EX_DLGMODALFRAME},
    {IDC_WS_STANDARD_BORDER, 0, WS_BORDER},
    {IDC_WS_TITLE_BAR, 0, WS_CAPTION},
    {IDC_WS_SYSTEM_MENU, 0, WS_SYSMENU},
    {IDC_WS_MINIMIZE, 0, WS_MINIMIZEBOX},
    {IDC_WS_TOPMOST, 1, WS_EX_TOPMOST},
};

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
void Enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on); }

COLORREF DialogColor(HWND dialog) { return static_cast<COLORREF>(GetWindowLongPtrA(dialog, DWLP_USER)); }
void SetDialogColor(HWND dialog, COLORREF color) { SetWindowLongPtrA(dialog, DWLP_USER, color & 0x00FFFFFF); }

HPALETTE ColorPalette() { return g_appState.displayPalette ? g_appState.displayPalette : g_appState.documentPalette; }

// ---- reading the fields --------------------------------------------------------------

// All fields read into `out`; false when a number is not valid.
bool ReadWindowFields(HWND dialog, COLORREF color, AnimationSettings* out)
{
    AnimationSettings& s = *out;
    GetDlgItemTextA(dialog, IDC_WS_TITLE, s.title, TITLE_LIMIT + 1);
    int a = 0, b = 0;
    if (Checked(dialog, IDC_WS_IMAGE)) {
        s.backgroundColor = (color & 0x00FFFFFF) | BACKGROUND_USE_IMAGE;
        ShortenStoredPath(s.backgroundImage, g_appState.pathBuffer);
        if (Checked(dialog, IDC_WS_IMAGE_AT)) {
            if (!TryGetRangedDlgInt(dialog, IDC_WS_IMAGE_X, -999, 999, TRUE, &a) ||
                !TryGetRangedDlgInt(dialog, IDC_WS_IMAGE_Y, -999, 999, TRUE, &b))
                return false;
            s.playFlags &= ~PLAY_CENTER_IMAGE;
            s.imageX = a;
            s.imageY = b;
        } else if (Checked(dialog, IDC_WS_IMAGE_CENTRED)) {
            s.playFlags |= PLAY_CENTER_IMAGE;
        }
    } else {
        s.backgroundColor = color & 0x00FFFFFF;
    }
    const uint8_t mode = Checked(dialog, IDC_WS_POSITION) ? 2 : Checked(dialog, IDC_WS_RANDOM) ? 1 : 0;
    s.positionFlags = mode;
    if (Checked(dialog, IDC_WS_CENTRE_WINDOW)) s.positionFlags |= POSITION_CENTRE_WINDOW;
    if (Checked(dialog, IDC_WS_CENTRE_FRAME)) s.positionFlags |= POSITION_CENTRE_FRAME;
    if (Checked(dialog, IDC_WS_HIDE_CURSOR)) s.positionFlags |= POSITION_HIDE_CURSOR;
    if (mode == 2) {
        if (!TryGetRangedDlgInt(dialog, IDC_WS_POS_X, 0, 9999, FALSE, &a) ||
            !TryGetRangedDlgInt(dialog, IDC_WS_POS_Y, 0, 9999, FALSE, &b))
            return false;
        s.x = a;
        s.y = b;
    }
    if (Checked(dialog, IDC_WS_SIZE)) {
        if (!TryGetRangedDlgInt(dialog, IDC_WS_WIDTH, 16, 1280, FALSE, &a) ||
            !TryGetRangedDlgInt(dialog, IDC_WS_HEIGHT, 16, 1024, FALSE, &b))
            return false;
        s.sizeMode = 1;
        s.width = a;
        s.height = b;
    } else {
        s.sizeMode = Checked(dialog, IDC_WS_FULL_SCREEN) ? 2 : 0;
    }
    s.windowStyle = STYLE_POPUP;
    s.windowExStyle = EX_STYLE_ALWAYS;
    for (const StyleBox& box : styleBoxes)
        if (Checked(dialog, box.control)) (box.extended ? s.windowExStyle : s.windowStyle) |= box.bits;
    if (Checked(dialog, IDC_WS_SYSTEM_TIMER)) {
        s.playFlags |= PLAY_TIMER_MODE;
    } else {
        s.playFlags &= ~PLAY_TIMER_MODE;
        s.editorByte = EDITOR_BYTE_FAST;
    }
    return true;
}

// ---- showing the fields -----------------------------------------------------------------

// Enables what the size, position and background choices allow.
void UpdateAvailability(HWND dialog)
{
    Enable(dialog, IDC_WS_POS_X, Checked(dialog, IDC_WS_POSITION));
    Enable(dialog, IDC_WS_POS_Y, Checked(dialog, IDC_WS_POSITION));
    const bool fixedSize = Checked(dialog, IDC_WS_SIZE);
    Enable(dialog, IDC_WS_WIDTH, fixedSize);
    Enable(dialog, IDC_WS_HEIGHT, fixedSize);
    const bool image = Checked(dialog, IDC_WS_IMAGE);
    const bool placed = image && fixedSize;
    Enable(dialog, IDC_WS_IMAGE_CENTRED, placed);
    Enable(dialog, IDC_WS_IMAGE_AT, placed);
    const bool centred = (g_document.animationSettings.playFlags & PLAY_CENTER_IMAGE) != 0;
    CheckRadioButton(dialog, IDC_WS_IMAGE_CENTRED, IDC_WS_IMAGE_AT, centred ? IDC_WS_IMAGE_CENTRED : IDC_WS_IMAGE_AT);
    Enable(dialog, IDC_WS_IMAGE_X, placed && !centred);
    Enable(dialog, IDC_WS_IMAGE_Y, placed && !centred);
    Enable(dialog, IDC_WS_EDIT_IMAGE, image);
}

void ShowImageName(HWND dialog)
{
    const char* name = BareFileName(g_appState.pathBuffer);
    SetDlgItemTextA(dialog, IDC_WS_IMAGE_FILE, name[0] ? name : "&File...");
}

bool SettingsDisableFrameCentre()
{
    return (g_document.sequenceCount > 1 || g_document.objectCount > 0) && !g_document.animationImagesBuilt;
}

void ShowWindowSettings(HWND dialog)
{
    const AnimationSettings& s = g_document.animationSettings;
    SendDlgItemMessageA(dialog, IDC_WS_TITLE, EM_LIMITTEXT, TITLE_LIMIT, 0);
    char title[STORED_NAME_CHARS];
    CopyName(title, sizeof title, s.title);
    SetDlgItemTextA(dialog, IDC_WS_TITLE, title);
    const int sizeMode = s.sizeMode & 3;
    Check(dialog, IDC_WS_FULL_SCREEN, sizeMode == 2);
    Check(dialog, IDC_WS_SIZE, sizeMode == 1);
    int width = s.width, height = s.height;
    if (g_document.animationState == DOC_NONE) {
        width = g_appState.frameWidth > 16 ? g_appState.frameWidth : 16;
        height = g_appState.frameHeight > 16 ? g_appState.frameHeight : 16;
    }
    SetDlgItemInt(dialog, IDC_WS_WIDTH, width, FALSE);
    SetDlgItemInt(dialog, IDC_WS_HEIGHT, height, FALSE);
    const int mode = s.positionFlags & POSITION_MODE_MASK;
    CheckRadioButton(dialog, IDC_WS_CENTRED, IDC_WS_POSITION, mode == 2 ? IDC_WS_POSITION : mode == 1 ? IDC_WS_RANDOM : IDC_WS_CENTRED);
    SetDlgItemInt(dialog, IDC_WS_POS_X, s.x, FALSE);
    SetDlgItemInt(dialog, IDC_WS_POS_Y, s.y, FALSE);
    Check(dialog, IDC_WS_CENTRE_WINDOW, s.positionFlags & POSITION_CENTRE_WINDOW);
    Check(dialog, IDC_WS_CENTRE_FRAME, s.positionFlags & POSITION_CENTRE_FRAME);
    Enable(dialog, IDC_WS_CENTRE_FRAME, !SettingsDisableFrameCentre());
    Check(dialog, IDC_WS_HIDE_CURSOR, s.positionFlags & POSITION_HIDE_CURSOR);
    for (const StyleBox& box : styleBoxes) {
        const uint32_t field = box.extended ? s.windowExStyle : s.windowStyle;
        Check(dialog, box.control, (field & box.bits) == box.bits);
    }
    Check(dialog, IDC_WS_SYSTEM_TIMER, s.playFlags & PLAY_TIMER_MODE);
    const bool image = (s.backgroundColor & BACKGROUND_USE_IMAGE) != 0;
    g_appState.pathBuffer[0] = '\0';
    if (image) CopyName(g_appState.pathBuffer, MAX_PATH, s.backgroundImage);
    CheckRadioButton(dialog, IDC_WS_COLOR, IDC_WS_IMAGE, image ? IDC_WS_IMAGE : IDC_WS_COLOR);
    ShowImageName(dialog);
    SetDlgItemInt(dialog, IDC_WS_IMAGE_X, s.imageX, TRUE);
    SetDlgItemInt(dialog, IDC_WS_IMAGE_Y, s.imageY, TRUE);
    SetDialogColor(dialog, s.backgroundColor);
    UpdateAvailability(dialog);
}

void SetUpTabs(HWND dialog)
{
    HWND tabs = GetDlgItem(dialog, IDC_WS_TABS);
    if (!tabs) return;
    SendMessageA(tabs, TABCTL_SET_TAB_TEXT, 0, reinterpret_cast<LPARAM>("&Size and Style"));
    SendMessageA(tabs, TABCTL_SET_TAB_ITEMS, 0, MAKELPARAM(IDC_WS_PAGE1_FIRST, IDC_WS_PAGE1_LAST));
    SendMessageA(tabs, TABCTL_ADD_TAB, 0, reinterpret_cast<LPARAM>("&Background"));
    SendMessageA(tabs, TABCTL_SET_TAB_ITEMS, 1, MAKELPARAM(IDC_WS_PAGE2_FIRST, IDC_WS_PAGE2_LAST));
    SendMessageA(tabs, TABCTL_SELECT_TAB, 0, 0);
}

// ---- commands -------------------------------------------------------------------------

bool ChooseBackgroundPicture(HWND dialog)
{
    char path[MAX_PATH];
    lstrcpynA(path, g_appState.pathBuffer, sizeof path);
    int type = 0;
    if (!g_appState.hooks.chooseFile || !g_appState.hooks.chooseFile(dialog, 0, IDS_TITLE_BACKGROUND, IDS_TYPE_BITMAP_FILE, path, &type))
        return false;
    lstrcpynA(g_appState.pathBuffer, path, MAX_PATH);
    ShowImageName(dialog);
    return true;
}

void ChooseBackgroundKind(HWND dialog, int id)
{
    if (id == IDC_WS_IMAGE_FILE) {
        if (ChooseBackgroundPicture(dialog)) CheckRadioButton(dialog, IDC_WS_COLOR, IDC_WS_IMAGE, IDC_WS_IMAGE);
    } else if (id == IDC_WS_IMAGE && !g_appState.pathBuffer[0] && !ChooseBackgroundPicture(dialog)) {
        CheckRadioButton(dialog, IDC_WS_COLOR, IDC_WS_IMAGE, IDC_WS_COLOR);
    }
    UpdateAvailability(dialog);
}

// The palette picker while the display shows more than 16 colours; the
// system colour dialog otherwise, with Ctrl, or while the picker is missing.
void ChooseBackgroundColor(HWND dialog)
{
    COLORREF color = DialogColor(dialog);
    HPALETTE palette = ColorPalette();
    const bool usePicker = palette && g_appState.displayColorCount > 16 && !(GetKeyState(VK_CONTROL) & 0x8000) &&
                           DialogBuilt(IDD_REPLACE_PALETTE_COLOR);
    if (usePicker) {
        const UINT start = GetNearestPaletteIndex(palette, color);
        const INT_PTR index = RunDialog(IDD_REPLACE_PALETTE_COLOR, dialog, (IDS_TITLE_BACKGROUND_COLOR << 16) | (start & 0xFFFF));
        PALETTEENTRY entry{};
        if (index < 0 || !GetPaletteEntries(palette, static_cast<UINT>(index), 1, &entry)) return;
        color = RGB(entry.peRed, entry.peGreen, entry.peBlue);
    } else if (!ChooseRgbColor(dialog, &color)) {
        return;
    }
    SetDialogColor(dialog, color);
    InvalidateRect(GetDlgItem(dialog, IDC_WS_COLOR_BUTTON), nullptr, TRUE);
}

// Sunken: black and white outer lines, grey and light grey inner ones.
void DrawColorButton(HWND dialog, const DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    auto line = [dc](COLORREF color, int x1, int y1, int x2, int y2, int x3, int y3) {
        HPEN pen = CreatePen(PS_SOLID, 1, color);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
        LineTo(dc, x3, y3);
        SelectObject(dc, old);
        DeleteObject(pen);
    };
    line(RGB(128, 128, 128), r.left, r.bottom - 1, r.left, r.top, r.right, r.top);
    line(RGB(255, 255, 255), r.left, r.bottom - 1, r.right - 1, r.bottom - 1, r.right - 1, r.top - 1);
    line(RGB(0, 0, 0), r.left + 1, r.bottom - 2, r.left + 1, r.top + 1, r.right - 1, r.top + 1);
    line(RGB(192, 192, 192), r.left + 1, r.bottom - 2, r.right - 2, r.bottom - 2, r.right - 2, r.top);
    HPALETTE palette = ColorPalette();
    HPALETTE oldPalette = palette ? SelectPalette(dc, palette, TRUE) : nullptr;
    if (palette) RealizePalette(dc);
    HBRUSH brush = CreateSolidBrush(0x02000000 | DialogColor(dialog));  // the nearest palette colour
    const RECT inside{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    FillRect(dc, &inside, brush);
    DeleteObject(brush);
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
}

// "&Edit background Image....": a second editor on the picture.
void EditBackgroundPicture(HWND dialog)
{
    char path[MAX_PATH];
    lstrcpynA(path, g_appState.pathBuffer, sizeof path);
    FileHandle file(OpenReferencedFile(path));
    if (!file.IsOpen()) {
        ShowStringMessage(dialog, RESULT_NOT_FOUND, nullptr, MB_OK | MB_ICONSTOP);
        return;
    }
    file.Close();
    char program[MAX_PATH];
    if (!GetModuleFileNameA(nullptr, program, sizeof program)) return;
    // Both paths quoted: a blank in either would split the command line.
    char command[2 * MAX_PATH + 16];
    snprintf(command, sizeof command, "\"%s\" /r \"%s\"", program, path);
    WinExec(command, SW_SHOW);
}

void ConfirmWindowSettings(HWND dialog)
{
    if (!ApplyWindowSettings(dialog, DialogColor(dialog))) {
        MessageBeep(0);
        return;
    }
    EndDialog(dialog, 1);
}

BOOL OnWindowSettingsCommand(HWND dialog, int id)
{
    switch (id) {
    case IDC_WS_CENTRED:
    case IDC_WS_RANDOM:
    case IDC_WS_POSITION:
    case IDC_WS_FULL_SCREEN:
    case IDC_WS_SIZE:
        if (id == IDC_WS_FULL_SCREEN || id == IDC_WS_SIZE) {
            // The two size choices work as radios that can both be off.
            const bool on = Checked(dialog, id);
            Check(dialog, id == IDC_WS_SIZE ? IDC_WS_FULL_SCREEN : IDC_WS_SIZE, false);
            Check(dialog, id, on);
        }
        UpdateAvailability(dialog);
        return TRUE;
    case IDC_WS_COLOR:
        UpdateAvailability(dialog);
        return TRUE;
    case IDC_WS_IMAGE:
    case IDC_WS_IMAGE_FILE: ChooseBackgroundKind(dialog, id); return TRUE;
    case IDC_WS_IMAGE_CENTRED:
    case IDC_WS_IMAGE_AT: {
        const bool at = Checked(dialog, IDC_WS_IMAGE_AT);
        Enable(dialog, IDC_WS_IMAGE_X, at);
        Enable(dialog, IDC_WS_IMAGE_Y, at);
        return TRUE;
    }
    case IDC_WS_COLOR_BUTTON: ChooseBackgroundColor(dialog); return TRUE;
    case IDC_WS_EDIT_IMAGE: EditBackgroundPicture(dialog); return TRUE;
    case IDOK: ConfirmWindowSettings(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
    }
}

// ---- the sequence file's frame size --------------------------------------------------

SIZE FrameSizeFromFile(const char* storedName)
{
    char path[MAX_PATH];
    lstrcpynA(path, storedName, sizeof path);
    FileHandle file(OpenReferencedFile(path));
    if (!file.IsOpen()) return {0, 0};
    BYTE head[14 + sizeof(BITMAPINFOHEADER)];
    if (_lread(file.Get(), head, sizeof head) != sizeof head) return {0, 0};
    // Both a sequence file ("BX") and a bitmap ("BM") have a 14-byte header
    // before the info header.
    if (!(head[0] == 'B' && (head[1] == 'X' || head[1] == 'M'))) return {0, 0};
    BITMAPINFOHEADER info;
    memcpy(&info, head + 14, sizeof info);
    if (info.biSize < sizeof info || info.biWidth <= 0 || info.biWidth > 2048 || info.biHeight == 0) return {0, 0};
    const LONG height = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    if (height > 2048) return {0, 0};
    return {info.biWidth, height};
}

}  // namespace

SIZE SequenceFrameSize(int sequence)
{
    if (sequence < 0 || sequence >= g_document.sequenceCount) return {0, 0};
    if (sequence == CurrentSequenceIndex() && g_appState.frameCount > 0) return {g_appState.frameWidth, g_appState.frameHeight};
    const SequenceImages& images = g_document.sequenceImages[sequence];
    if (images.frameCount > 0 && images.width > 0) return {images.width, images.height};
    return FrameSizeFromFile(g_document.sequenceTable[sequence].fileName);
}

void ShiftRegions(int dx, int dy)
{
    for (int i = 0; i < g_document.regionCount && i < MAX_REGIONS; ++i) {
        ForegroundRegion& r = g_document.regionTable[i];
        r.x1 -= dx;
        r.x2 -= dx;
        r.y1 -= dy;
        r.y2 -= dy;
    }
}

// For each object e := dx - frameFactor x (frame width / 2), f likewise: the
// start and every absolute step move by (-e, -f); then the regions by (dx, dy).
void ShiftDocumentCoordinates(int dx, int dy, int frameFactor)
{
    for (int object = 0; object < g_document.objectCount && object < MAX_PLAYER_OBJECTS; ++object) {
        ObjectRecord& record = g_document.objectTable[object];
        const SIZE frame = SequenceFrameSize(record.sequenceIndex);
        const int e = dx - frameFactor * (frame.cx / 2);
        const int f = dy - frameFactor * (frame.cy / 2);
        record.startX -= e;
        record.startY -= f;
        HGLOBAL block = g_document.objectMemoryHandles[object][0];
        const int count = UsableStepCount(block, record.stepCount);
        GlobalLockGuard<ObjectStep> steps(block);
        if (!steps) continue;
        for (int i = 0; i < count; ++i) {
            ObjectStep& step = steps.get()[i];
            if (step.stepFlags & STEP_X_ABSOLUTE) step.x -= e;
            if (step.stepFlags & STEP_Y_ABSOLUTE) step.y -= f;
        }
    }
    ShiftRegions(dx, dy);
}

int ApplyWindowSettings(HWND dialog, COLORREF color)
{
    const AnimationSettings old = g_document.animationSettings;
    AnimationSettings s = old;
    if (!ReadWindowFields(dialog, color, &s)) return 0;
    const bool windowWas = old.positionFlags & POSITION_CENTRE_WINDOW, windowIs = s.positionFlags & POSITION_CENTRE_WINDOW;
    const bool frameWas = old.positionFlags & POSITION_CENTRE_FRAME, frameIs = s.positionFlags & POSITION_CENTRE_FRAME;
    if (windowWas != windowIs || frameWas != frameIs) {
        int dx = 0, dy = 0;
        if (windowWas != windowIs) {
            // Half the size of the window as it is now set.
            g_document.animationSettings = s;
            const SIZE window = GetAnimationWindowSize();
            g_document.animationSettings = old;
            dx = windowIs ? window.cx / 2 : -(window.cx / 2);
            dy = windowIs ? window.cy / 2 : -(window.cy / 2);
        }
        const int frameFactor = frameWas == frameIs ? 0 : frameIs ? 1 : -1;
        ShiftDocumentCoordinates(dx, dy, frameFactor);
    }
    const bool oldImage = old.backgroundColor & BACKGROUND_USE_IMAGE, newImage = s.backgroundColor & BACKGROUND_USE_IMAGE;
    if (oldImage && newImage && ((old.playFlags ^ s.playFlags) & PLAY_CENTER_IMAGE) == 0)
        ShiftRegions(old.imageX - s.imageX, old.imageY - s.imageY);
    if (!newImage && (s.paletteSource & PALETTE_INDEX_MASK) == PALETTE_INDEX_MASK && !(s.paletteSource & PALETTE_DEFAULT))
        s.paletteSource |= PALETTE_DEFAULT;
    g_document.animationSettings = s;
    MarkAnimationModified();
    return 1;
}

INT_PTR CALLBACK AnimationWindowSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetUpTabs(dialog);
        ShowWindowSettings(dialog);
        CenterWindow(dialog);
        return TRUE;
    case WM_COMMAND: return OnWindowSettingsCommand(dialog, LOWORD(wParam));
    case WM_DRAWITEM:
        if (wParam == IDC_WS_COLOR_BUTTON) {
            DrawColorButton(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        return FALSE;
    default: return DefaultCtlColor(message);
    }
}
