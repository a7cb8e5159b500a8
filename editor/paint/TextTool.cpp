// The text tool (see TextTool.h): the canvas's side (placing the text's
// cross), the modeless "Insert Text" dialog with its font, size, style,
// alignment, extra and angle, the preview shown in place of the current
// frame, and the painting into the selected frames.
#include "TextTool.h"
#include "AppState.h"
#include "FrameBitmaps.h"
#include "FrameCanvas.h"
#include "FrameSelection.h"
#include "GdiGuards.h"
#include "PaintDrawing.h"
#include "PaintResources.h"
#include "PaintTools.h"
#include "Palette.h"
#include "TextLines.h"
#include "Undo.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int MIN_TEXT_SIZE = 3, MAX_TEXT_SIZE = 120;
constexpr int MAX_ANGLE = 359, SPIN_LIMIT = 360;
constexpr int MIN_EXTRA = -5, MAX_EXTRA = 15;
constexpr int ANGLE_CHARS = 4;
constexpr int FIELD_FONT_MIN = 10, FIELD_FONT_MAX = 64;  // the text field shows the font at these sizes
constexpr UINT DIALOG_QUERY = WM_USER + 3;               // 1027: every editor dialog answers TRUE
constexpr int ICON_COUNT = 9;
constexpr int ICON_BUTTONS[ICON_COUNT] = {IDC_TEXT_BOLD, IDC_TEXT_ITALIC, IDC_TEXT_UNDERLINE,
                                          IDC_TEXT_LEFT, IDC_TEXT_CENTER, IDC_TEXT_RIGHT,
                                          IDC_TEXT_TOP,  IDC_TEXT_BASELINE, IDC_TEXT_BOTTOM};
constexpr UINT HORIZONTAL_ALIGN[] = {TA_LEFT, TA_CENTER, TA_RIGHT};
constexpr UINT VERTICAL_ALIGN[] = {TA_TOP, TA_BASELINE, TA_BOTTOM};

struct TextToolState {
    POINT position;          // frame pixel of the text, shown as the canvas's cross
    HGLOBAL textBuffer;      // the last text, kept from one opening to the next
    LOGFONTA font;           // face, size (lfHeight), weight, italic, underline, set, pitch
    HFONT textFont;          // made from `font`; 0 when none
    int angle;               // degrees, -359..359
    int extra;               // character extra, -5..15
    int horizontal;          // 0 left, 1 centre, 2 right
    int vertical;            // 0 top, 1 baseline, 2 bottom
    int bold, italic, underline;  // the style buttons' saved states
    FontSizeTable sizes;     // of the chosen face
    BYTE facePitch;          // the face's own pitch-and-family (sizes above 64)
    int role;                // the colour role that opened or last placed the text
    COLORREF color;          // its colour, read again when the tool colours change
    HBITMAP preview;         // the current frame with the text; 0 when none
    HICON icons[ICON_COUNT];
    HDC queryDc;             // the display's fonts, while the dialog is open
};
TextToolState g_text{};

HINSTANCE ResourceModule()
{
    return g_appState.instanceHandle ? g_appState.instanceHandle : GetModuleHandleA(nullptr);
}

bool TrueTypeFace() { return (g_text.sizes.bytes[1] & TRUETYPE_FONTTYPE) != 0; }

std::string ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    const int length = control ? GetWindowTextLengthA(control) : 0;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    if (length > 0) GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(length, 0)));
    return text;
}

std::string DialogText()
{
    return g_appState.textToolDialog ? ControlText(g_appState.textToolDialog, IDC_TEXT_EDIT) : std::string();
}

std::string StoredText()
{
    std::string text;
    if (!g_text.textBuffer) return text;
    if (const char* stored = static_cast<const char*>(GlobalLock(g_text.textBuffer))) {
        text = stored;
        GlobalUnlock(g_text.textBuffer);
    }
    return text;
}

void StoreText(const std::string& text)
{
    HGLOBAL block = g_text.textBuffer ? GlobalReAlloc(g_text.textBuffer, text.size() + 1, GMEM_MOVEABLE)
                                      : GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!block) return;  // the old text stays
    g_text.textBuffer = block;
    if (char* stored = static_cast<char*>(GlobalLock(block))) {
        memcpy(stored, text.c_str(), text.size() + 1);
        GlobalUnlock(block);
    }
}

void DeletePreview()
{
    if (g_text.preview) DeleteObject(g_text.preview);
    g_text.preview = nullptr;
}

void DeleteQueryDc()
{
    if (g_text.queryDc) DeleteDC(g_text.queryDc);
    g_text.queryDc = nullptr;
}

void DeleteTextFont()
{
    if (g_text.textFont) DeleteObject(g_text.textFont);
    g_text.textFont = nullptr;
}

// The current frame with the text, shown by the canvas in its place.
void RenderPreview()
{
    if (!(g_appState.optionFlags & OPTION_PREVIEW_TEXT) || !g_appState.textToolDialog) return;
    const std::string text = DialogText();
    const int frame = g_appState.currentFrame;
    if (text.empty() || frame < 0 || frame >= g_appState.frameCount || frame >= MAX_FRAME_BITMAPS ||
        !g_appState.frameBitmaps[frame]) {
        DeletePreview();
        InvalidateFrameEditor(-1);
        return;
    }
    if (!g_text.preview) g_text.preview = CreateFrameBitmap(g_appState.frameWidth, g_appState.frameHeight);
    if (!g_text.preview || !g_appState.memoryDC) return;
    HDC dc = CreateCompatibleDC(g_appState.memoryDC);
    if (!dc) return;
    {
        SelectedObject picture(dc, g_text.preview);
        {
            SelectedObject source(g_appState.memoryDC, g_appState.frameBitmaps[frame]);
            BitBlt(dc, 0, 0, g_appState.frameWidth, g_appState.frameHeight, g_appState.memoryDC, 0, 0, SRCCOPY);
        }
        RenderTextInto(dc, text.c_str(), g_text.position, frame);
    }
    DeleteDC(dc);
    // -1: the canvas must not ask for this preview again while rendering it.
    InvalidateFrameEditor(-1);
}

// ---- the dialog ------------------------------------------------------------------------

int CALLBACK AddFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM combo)
{
    HWND box = reinterpret_cast<HWND>(combo);
    if (SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(font->lfFaceName)) ==
        CB_ERR)
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
    return 1;
}

int CALLBACK EnterSizes(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM table)
{
    g_text.facePitch = font->lfPitchAndFamily;
    return EnterFontSizes(reinterpret_cast<FontSizeTable*>(table), *font, type) ? 1 : 0;
}

// Beside the canvas, kept on the screen: at the canvas's right edge when the
// film lies to its right, else below it with the right edges lined up.
void PlaceDialog(HWND dialog)
{
    RECT canvas{}, own{}, film{}, work{};
    if (!g_appState.frameEditorWindow || !GetWindowRect(g_appState.frameEditorWindow, &canvas)) return;
    GetWindowRect(dialog, &own);
    const int width = own.right - own.left, height = own.bottom - own.top;
    const bool filmRight = g_appState.filmWindow && GetWindowRect(g_appState.filmWindow, &film) && film.left >= canvas.right - 1;
    int x, y;
    if (filmRight) {
        x = canvas.right;
        y = canvas.top;
    } else {
        x = canvas.right - width >= 0 ? canvas.right - width : canvas.left;
        y = canvas.bottom;
    }
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
    y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The text font made again from the description; the text field, the angle
// field and the preview follow.
void ApplyFont(HWND dialog)
{
    const int size = g_text.font.lfHeight;
    g_text.font.lfCharSet = g_text.sizes.bytes[0];
    g_text.font.lfPitchAndFamily = SizeOffered(g_text.sizes, size) ? g_text.sizes.bytes[size] : g_text.facePitch;
    g_text.font.lfEscapement = g_text.font.lfOrientation = 0;
    HFONT old = g_text.textFont;
    g_text.textFont = CreateFontIndirectA(&g_text.font);
    const bool shown = size >= FIELD_FONT_MIN && size <= FIELD_FONT_MAX;
    SendDlgItemMessageA(dialog, IDC_TEXT_EDIT, WM_SETFONT, reinterpret_cast<WPARAM>(shown ? g_text.textFont : nullptr),
                        TRUE);
    if (old) DeleteObject(old);
    const bool angled = TrueTypeFace();
    EnableWindow(GetDlgItem(dialog, IDC_TEXT_ANGLE), angled);
    EnableWindow(GetDlgItem(dialog, IDC_TEXT_ANGLE_SPIN), angled);
    RenderPreview();
}

void ShowSize(HWND dialog)
{
    HWND box = GetDlgItem(dialog, IDC_TEXT_SIZE);
    const int count = static_cast<int>(SendMessageA(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (SendMessageA(box, CB_GETITEMDATA, i, 0) == g_text.font.lfHeight) {
            SendMessageA(box, CB_SETCURSEL, i, 0);
            return;
        }
    g_text.font.lfHeight = std::clamp(static_cast<int>(g_text.font.lfHeight), MIN_TEXT_SIZE, MAX_TEXT_SIZE);
    SetDlgItemInt(dialog, IDC_TEXT_SIZE, static_cast<UINT>(g_text.font.lfHeight), FALSE);
}

void OnFaceChange(HWND dialog)
{
    HWND sizes = GetDlgItem(dialog, IDC_TEXT_SIZE);
    SendMessageA(sizes, CB_RESETCONTENT, 0, 0);
    ClearSizeTable(&g_text.sizes);
    const std::string face = ControlText(dialog, IDC_TEXT_FACE);
    lstrcpynA(g_text.font.lfFaceName, face.c_str(), LF_FACESIZE);
    if (g_text.queryDc) EnumFontFamiliesA(g_text.queryDc, face.c_str(), EnterSizes, reinterpret_cast<LPARAM>(&g_text.sizes));
    for (int size = MIN_LISTED_SIZE; size <= MAX_LISTED_SIZE; ++size) {
        if (!SizeOffered(g_text.sizes, size)) continue;
        char number[8];
        snprintf(number, sizeof number, "%d", size);
        const LRESULT item = SendMessageA(sizes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
        SendMessageA(sizes, CB_SETITEMDATA, static_cast<WPARAM>(item), size);
    }
    ShowSize(dialog);
    ApplyFont(dialog);
}

void OnSizeChosen(HWND dialog, bool typed)
{
    HWND box = GetDlgItem(dialog, IDC_TEXT_SIZE);
    int size = 0;
    if (typed) {
        size = atoi(ControlText(dialog, IDC_TEXT_SIZE).c_str());
        if (size < MIN_TEXT_SIZE || size > MAX_TEXT_SIZE) {
            SendMessageA(box, CB_SETCURSEL, 0, 0);
            size = static_cast<int>(SendMessageA(box, CB_GETITEMDATA, 0, 0));
        }
    } else {
        const LRESULT item = SendMessageA(box, CB_GETCURSEL, 0, 0);
        if (item == CB_ERR) return;
        size = static_cast<int>(SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
    }
    if (size < MIN_TEXT_SIZE || size > MAX_TEXT_SIZE || size == g_text.font.lfHeight) return;
    g_text.font.lfHeight = size;
    ApplyFont(dialog);
}

void OnStyle(HWND dialog, int id)
{
    const bool on = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (id) {
    case IDC_TEXT_BOLD: g_text.font.lfWeight = on ? (ctrl ? FW_HEAVY : FW_BOLD) : (ctrl ? FW_THIN : FW_NORMAL); break;
    case IDC_TEXT_ITALIC: g_text.font.lfItalic = on ? 1 : 0; break;
    default: g_text.font.lfUnderline = on ? 1 : 0; break;
    }
    ApplyFont(dialog);
}

void ShowAngle(HWND dialog) { SetDlgItemInt(dialog, IDC_TEXT_ANGLE, static_cast<UINT>(g_text.angle), TRUE); }

void OnAngleTyped(HWND dialog)
{
    BOOL ok = FALSE;
    const int angle = static_cast<int>(GetDlgItemInt(dialog, IDC_TEXT_ANGLE, &ok, TRUE));
    if (ok && angle >= -MAX_ANGLE && angle <= MAX_ANGLE && angle != g_text.angle) {
        g_text.angle = angle;
        RenderPreview();
    }
    ShowAngle(dialog);
}

void OnAngleSpin(HWND dialog, int code)
{
    if (code != SB_LINEUP && code != SB_LINEDOWN) return;
    int angle = g_text.angle + (code == SB_LINEUP ? 1 : -1);
    if (angle >= SPIN_LIMIT || angle <= -SPIN_LIMIT) angle = 0;
    g_text.angle = angle;
    ShowAngle(dialog);
    RenderPreview();
}

void SaveStyleStates(HWND dialog)
{
    g_text.bold = IsDlgButtonChecked(dialog, IDC_TEXT_BOLD) == BST_CHECKED;
    g_text.italic = IsDlgButtonChecked(dialog, IDC_TEXT_ITALIC) == BST_CHECKED;
    g_text.underline = IsDlgButtonChecked(dialog, IDC_TEXT_UNDERLINE) == BST_CHECKED;
}

// The text into every selected frame with the frame's own number, the
// current frame last, as one undo group.
void PaintTextIntoFrames(const std::string& text)
{
    if (text.empty() || !g_appState.memoryDC) return;
    RecordUndo(UNDO_BEGIN_GROUP, g_appState.currentFrame);
    for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame)) {
        if (frame >= MAX_FRAME_BITMAPS || !g_appState.frameBitmaps[frame]) continue;
        RecordUndo(UNDO_SAVE_FRAME, frame);
        SelectedObject bitmap(g_appState.memoryDC, g_appState.frameBitmaps[frame]);
        RenderTextInto(g_appState.memoryDC, text.c_str(), g_text.position, frame);
    }
    RecordUndo(UNDO_END_GROUP, g_appState.currentFrame);
    GdiFlush();
    RefreshFilm();
    MarkSelectedFramesModified();
}

void OnOk(HWND dialog, int id)
{
    if (id == IDOK && GetFocus() != GetDlgItem(dialog, IDC_TEXT_EDIT)) {
        // Enter elsewhere first takes the user back to the text.
        SetFocus(GetDlgItem(dialog, IDC_TEXT_EDIT));
        return;
    }
    if (id == IDC_TEXT_OK && !TrueTypeFace()) g_text.angle = 0;  // only TrueType faces turn
    SendDlgItemMessageA(dialog, IDC_TEXT_EDIT, WM_SETFONT, 0, FALSE);
    DeleteQueryDc();
    SaveStyleStates(dialog);
    const std::string text = ControlText(dialog, IDC_TEXT_EDIT);
    StoreText(text);
    CloseTextTool();  // the dialog is gone from here on
    PaintTextIntoFrames(text);
    DeleteTextFont();
}

void OnCancel(HWND dialog)
{
    SendDlgItemMessageA(dialog, IDC_TEXT_EDIT, WM_SETFONT, 0, FALSE);
    CloseTextTool();
    DeleteTextFont();
}

void LoadIcons()
{
    for (int i = 0; i < ICON_COUNT; ++i)
        if (!g_text.icons[i])
            g_text.icons[i] = static_cast<HICON>(
                LoadImageA(ResourceModule(), MAKEINTRESOURCEA(IDI_TEXT_BOLD + i), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

void OnInitDialog(HWND dialog)
{
    g_appState.textToolDialog = dialog;
    LoadIcons();
    for (int i = 0; i < ICON_COUNT; ++i)
        SendDlgItemMessageA(dialog, ICON_BUTTONS[i], BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(g_text.icons[i]));
    CheckRadioButton(dialog, IDC_TEXT_LEFT, IDC_TEXT_RIGHT, IDC_TEXT_LEFT + std::clamp(g_text.horizontal, 0, 2));
    CheckRadioButton(dialog, IDC_TEXT_TOP, IDC_TEXT_BOTTOM, IDC_TEXT_TOP + std::clamp(g_text.vertical, 0, 2));
    HWND extra = GetDlgItem(dialog, IDC_TEXT_EXTRA);
    for (int value = MIN_EXTRA; value <= MAX_EXTRA; ++value) {
        char number[8];
        snprintf(number, sizeof number, "%d", value);
        SendMessageA(extra, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
    }
    SendMessageA(extra, CB_SETCURSEL, static_cast<WPARAM>(std::clamp(g_text.extra, MIN_EXTRA, MAX_EXTRA) - MIN_EXTRA), 0);
    SendDlgItemMessageA(dialog, IDC_TEXT_ANGLE, EM_LIMITTEXT, ANGLE_CHARS, 0);
    ShowAngle(dialog);
    HWND spin = GetDlgItem(dialog, IDC_TEXT_ANGLE_SPIN);
    SetScrollRange(spin, SB_CTL, 0, 2, FALSE);
    SetScrollPos(spin, SB_CTL, 1, FALSE);  // both arrows stay live
    PlaceDialog(dialog);

    DeleteQueryDc();
    g_text.queryDc = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    HWND faces = GetDlgItem(dialog, IDC_TEXT_FACE);
    if (g_text.queryDc) EnumFontFamiliesA(g_text.queryDc, nullptr, AddFace, reinterpret_cast<LPARAM>(faces));
    SetDlgItemTextA(dialog, IDC_TEXT_EDIT, StoredText().c_str());
    CheckDlgButton(dialog, IDC_TEXT_BOLD, g_text.bold ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_TEXT_ITALIC, g_text.italic ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_TEXT_UNDERLINE, g_text.underline ? BST_CHECKED : BST_UNCHECKED);
    if (g_text.font.lfWeight == 0) g_text.font.lfWeight = g_text.bold ? FW_BOLD : FW_NORMAL;

    if (!g_text.font.lfFaceName[0] ||
        SendMessageA(faces, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(g_text.font.lfFaceName)) ==
            CB_ERR) {
        // No face yet, or it is gone: the work context's own, at the height of "X".
        char face[LF_FACESIZE] = "";
        SIZE x{};
        if (g_appState.memoryDC) {
            GetTextFaceA(g_appState.memoryDC, LF_FACESIZE, face);
            GetTextExtentPoint32A(g_appState.memoryDC, "X", 1, &x);
        }
        g_text.font.lfHeight = std::clamp(static_cast<int>(x.cy), MIN_TEXT_SIZE, MAX_TEXT_SIZE);
        if (SendMessageA(faces, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(face)) == CB_ERR)
            SendMessageA(faces, CB_SETCURSEL, 0, 0);
    }
    OnFaceChange(dialog);
    SendDlgItemMessageA(dialog, IDC_TEXT_EDIT, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, IDC_TEXT_EDIT));
}

void OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_TEXT_FACE:
        if (code == CBN_SELCHANGE) OnFaceChange(dialog);
        break;
    case IDC_TEXT_SIZE:
        if (code == CBN_SELCHANGE) OnSizeChosen(dialog, false);
        if (code == CBN_KILLFOCUS) OnSizeChosen(dialog, true);
        break;
    case IDC_TEXT_BOLD:
    case IDC_TEXT_ITALIC:
    case IDC_TEXT_UNDERLINE:
        if (code == BN_CLICKED) OnStyle(dialog, id);
        break;
    case IDC_TEXT_LEFT:
    case IDC_TEXT_CENTER:
    case IDC_TEXT_RIGHT:
        if (code == BN_CLICKED) g_text.horizontal = id - IDC_TEXT_LEFT, RenderPreview();
        break;
    case IDC_TEXT_TOP:
    case IDC_TEXT_BASELINE:
    case IDC_TEXT_BOTTOM:
        if (code == BN_CLICKED) g_text.vertical = id - IDC_TEXT_TOP, RenderPreview();
        break;
    case IDC_TEXT_EXTRA:
        if (code == CBN_SELCHANGE) {
            const LRESULT item = SendDlgItemMessageA(dialog, IDC_TEXT_EXTRA, CB_GETCURSEL, 0, 0);
            if (item != CB_ERR) g_text.extra = static_cast<int>(item) + MIN_EXTRA, RenderPreview();
        }
        break;
    case IDC_TEXT_ANGLE:
        if (code == EN_KILLFOCUS) OnAngleTyped(dialog);
        break;
    case IDC_TEXT_EDIT:
        if (code == EN_UPDATE) RenderPreview();
        break;
    case IDOK:
    case IDC_TEXT_OK:
        OnOk(dialog, id);
        break;
    case IDCANCEL:
        OnCancel(dialog);
        break;
    default:
        break;
    }
}

// A one-pixel raised edge round the client area.
void PaintRaisedEdge(HWND dialog)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    RECT r;
    GetClientRect(dialog, &r);
    const RECT top = {0, 0, r.right, 1}, left = {0, 0, 1, r.bottom};
    const RECT bottom = {0, r.bottom - 1, r.right, r.bottom}, right = {r.right - 1, 0, r.right, r.bottom};
    FillRect(dc, &top, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FillRect(dc, &left, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FillRect(dc, &bottom, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    FillRect(dc, &right, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    EndPaint(dialog, &paint);
}

INT_PTR CALLBACK TextDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE;  // the focus is in the text already
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_VSCROLL:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_TEXT_ANGLE_SPIN)) OnAngleSpin(dialog, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        OnCancel(dialog);
        return TRUE;
    case WM_PAINT:
        PaintRaisedEdge(dialog);
        return TRUE;
    case WM_DESTROY:
        // Every way out (OK, Cancel, Close, the owner going) frees the query context.
        DeleteQueryDc();
        if (g_appState.textToolDialog == dialog) g_appState.textToolDialog = nullptr;
        return TRUE;
    case DIALOG_QUERY:
        return TRUE;
    default:
        return FALSE;
    }
}

void OpenTextDialog(HWND canvas)
{
    HWND owner = g_appState.mainWindow ? g_appState.mainWindow : GetAncestor(canvas, GA_ROOT);
    HWND dialog = CreateDialogParamA(ResourceModule(), MAKEINTRESOURCEA(IDD_INSERT_TEXT), owner, TextDialogProc, 0);
    if (dialog) ShowWindow(dialog, SW_SHOW);
}

// ---- the canvas's side ------------------------------------------------------------------

POINT ClampedPixel()
{
    return {std::clamp(g_canvasView.pointX, 0, std::max(g_appState.frameWidth, 0)),
            std::clamp(g_canvasView.pointY, 0, std::max(g_appState.frameHeight, 0))};
}

RECT CrossArea(POINT p) { return {p.x, p.y, p.x, p.y}; }

void TakeColor(int role)
{
    g_text.role = std::clamp(role, 0, 2);
    g_text.color = GetToolColor(g_text.role);
}

int TextDown(HWND canvas, WPARAM)
{
    const POINT p = ClampedPixel();
    if (g_appState.textToolDialog) {
        WindowDc window(canvas);
        RestoreViewArea(window.Get(), CrossArea(g_text.position));  // the old cross
        g_text.position = p;
        DrawCanvasCross(window.Get(), p.x, p.y, false);
        if (g_text.preview) {
            TakeColor(g_canvasView.colorRole);
            RenderPreview();
        }
    } else {
        g_text.position = p;
        TakeColor(g_canvasView.colorRole);
        OpenTextDialog(canvas);
        InvalidateFrameEditor(0);  // the cross comes with the canvas's overlay
    }
    // Only a mouse button really held keeps the mouse: a placement by the
    // arrow keys must leave the dialog's buttons their clicks.
    return GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 ? 1 : 0;
}

void TextMove(HWND, HDC dc, WPARAM, int erase)
{
    if (!g_appState.textToolDialog) return;
    const POINT p = ClampedPixel();
    if (erase) {
        if (p.x == g_text.position.x && p.y == g_text.position.y) return;
        RestoreViewArea(dc, CrossArea(g_text.position));
    }
    g_text.position = p;
    DrawCanvasCross(dc, p.x, p.y, false);
}

int TextUp(HWND, WPARAM, int)
{
    if (g_text.preview) RenderPreview();
    InvalidateFrameEditor(0);
    return 0;
}

void TextOverlay(HDC dc)
{
    if (g_appState.textToolDialog) DrawCanvasCross(dc, g_text.position.x, g_text.position.y, false);
}

bool TextKeptPoint(POINT* point)
{
    if (!g_appState.textToolDialog) return false;
    *point = g_text.position;
    return true;
}

HBITMAP TextPicture() { return g_text.preview; }

void RefreshTextPicture(int rereadColor)
{
    if (rereadColor) g_text.color = GetToolColor(g_text.role);
    RenderPreview();
}

}  // namespace

void RenderTextInto(HDC dc, const char* text, POINT at, int frame)
{
    if (!text || !*text) return;
    HFONT font = g_text.textFont, angled = nullptr;
    if (g_text.angle) {
        LOGFONTA turned = g_text.font;
        turned.lfEscapement = turned.lfOrientation = g_text.angle * 10;
        angled = CreateFontIndirectA(&turned);
        if (angled) font = angled;
    }
    const int saved = SaveDC(dc);
    if (g_appState.documentPalette) SelectPalette(dc, g_appState.documentPalette, TRUE);
    if (font) SelectObject(dc, font);
    SetTextCharacterExtra(dc, g_text.extra);
    SetTextAlign(dc, VERTICAL_ALIGN[std::clamp(g_text.vertical, 0, 2)] | HORIZONTAL_ALIGN[std::clamp(g_text.horizontal, 0, 2)]);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, g_text.color);
    SIZE letter{};
    GetTextExtentPoint32A(dc, "X", 1, &letter);
    int y = at.y;
    for (const char* line = text; line;) {
        const char* end;
        const char* next = NextTextLine(line, &end);
        const std::string shown = NumberTextLine(std::string_view(line, static_cast<size_t>(end - line)), frame + 1);
        TextOutA(dc, at.x, y, shown.data(), static_cast<int>(shown.size()));
        y += letter.cy;
        line = next;
    }
    RestoreDC(dc, saved);
    if (angled) DeleteObject(angled);
}

void CloseTextTool()
{
    bool closed = false;
    if (HWND dialog = g_appState.textToolDialog) {
        DestroyWindow(dialog);
        g_appState.textToolDialog = nullptr;
        closed = true;
    }
    if (g_text.preview) {
        DeletePreview();
        closed = true;
    }
    InvalidateFrameEditor(closed ? -1 : 0);
}

void FreeTextTool()
{
    CloseTextTool();
    DeleteTextFont();
    DeleteQueryDc();
    if (g_text.textBuffer) GlobalFree(g_text.textBuffer);
    g_text.textBuffer = nullptr;
    g_text.position = {0, 0};
    g_text.font = LOGFONTA{};
    g_text.angle = 0;
    for (HICON& icon : g_text.icons) {
        if (icon) DestroyIcon(icon);
        icon = nullptr;
    }
}

void InstallTextTool()
{
    InstallPaintTool(TOOL_TEXT, {.buttonDown = TextDown, .move = TextMove, .buttonUp = TextUp,
                                 .paintOverlay = TextOverlay, .keptPoint = TextKeptPoint, .viewPicture = TextPicture,
                                 .refreshPicture = RefreshTextPicture, .release = FreeTextTool});
}
