// "Replace color with..." and "Adjust Colors...": each edits a working copy
// of its settings record (written back only by "&Replace" / "&Apply") and
// shows a 24-bit copy of the area run through the pass's own routine.
#include "ColorEffectDialogs.h"
#include "AppState.h"
#include "DialogUtilities.h"
#include "DibPixels.h"
#include "Palette.h"
#include "PaletteDialogs.h"
#include "resource.h"
#include <algorithm>
#include <memory>

namespace {

constexpr int CHANNEL_MAX = 255;
constexpr int HLS_FIELD_MAX = 240;
constexpr int TOLERANCE_MIN = 1, TOLERANCE_MAX = 99;
constexpr int TOLERANCE_AFTER_BAD_ENTRY = 10;
constexpr int ADJUST_MIN = -100, ADJUST_MAX = 100;
constexpr uint32_t REPLACED_QUANTITIES = REPLACE_HUE | REPLACE_SATURATION | REPLACE_LIGHTNESS;

// ---- the preview ----

// A 24-bit bitmap sized to its control, filled from an area of a frame.
class EffectPreview {
public:
    ~EffectPreview()
    {
        if (bitmap_) DeleteObject(bitmap_);
    }
    // No preview for device-bitmap frames or without a source.
    void Make(HWND control, HBITMAP source, int x, int y, int width, int height)
    {
        control_ = control;
        source_ = source;
        BITMAP info{};
        if (!control || !source || g_appState.bitmapMode.useDeviceBitmaps || !GetObjectA(source, sizeof info, &info))
            return;
        area_ = PreviewSourceArea(x, y, width, height, {info.bmWidth, info.bmHeight});
        if (area_.right <= area_.left || area_.bottom <= area_.top) return;
        RECT client;
        GetClientRect(control, &client);
        size_ = PreviewSize({area_.right - area_.left, area_.bottom - area_.top}, {client.right - 2, client.bottom - 2});
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
        bmi.bmiHeader.biWidth = size_.cx;
        bmi.bmiHeader.biHeight = size_.cy;  // bottom-up, as the passes hand rows over
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<BYTE*>(bits);
        if (!bits_ && bitmap_) {
            DeleteObject(bitmap_);
            bitmap_ = nullptr;
        }
    }
    // The area (nearest pixels) copied in again, the routine run over it.
    void Render(PixelRoutine routine, void* data)
    {
        if (!bitmap_) return;
        GdiFlush();
        DibPixels from(source_);
        if (!from.Valid()) return;
        const ptrdiff_t stride = (static_cast<ptrdiff_t>(size_.cx) * 3 + 3) & ~ptrdiff_t{3};
        BYTE* top = bits_ + stride * (size_.cy - 1);
        const int width = area_.right - area_.left, height = area_.bottom - area_.top;
        for (int row = 0; row < size_.cy; ++row) {
            BYTE* p = top - stride * row;
            const int y = area_.top + static_cast<int>(static_cast<int64_t>(row) * height / size_.cy);
            for (int column = 0; column < size_.cx; ++column, p += 3) {
                const int x = area_.left + static_cast<int>(static_cast<int64_t>(column) * width / size_.cx);
                const COLORREF c = from.Color(x, y);
                p[0] = GetBValue(c);
                p[1] = GetGValue(c);
                p[2] = GetRValue(c);
            }
        }
        routine(nullptr, top, size_.cx, size_.cy, -stride, nullptr, data);
        InvalidateRect(control_, nullptr, FALSE);
    }
    // The control: button face with the bitmap centred.
    void Draw(const DRAWITEMSTRUCT* item) const
    {
        FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
        if (!bitmap_) return;
        HDC memory = CreateCompatibleDC(item->hDC);
        HGDIOBJ old = SelectObject(memory, bitmap_);
        const int x = (item->rcItem.left + item->rcItem.right - size_.cx) / 2;
        const int y = (item->rcItem.top + item->rcItem.bottom - size_.cy) / 2;
        BitBlt(item->hDC, x, y, size_.cx, size_.cy, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }

private:
    HWND control_ = nullptr;
    HBITMAP source_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    BYTE* bits_ = nullptr;
    RECT area_{};
    SIZE size_{};
};

// Dialog state kept in DWLP_USER; deleted with the dialog.
bool HasState(HWND dialog) { return GetWindowLongPtrA(dialog, DWLP_USER) != 0; }

template <typename State>
State& StateOf(HWND dialog)
{
    return *reinterpret_cast<State*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

template <typename State>
void FreeState(HWND dialog)
{
    delete &StateOf<State>(dialog);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
}

bool Checked(HWND dialog, int item) { return IsDlgButtonChecked(dialog, item) == BST_CHECKED; }

void Check(HWND dialog, int item, bool on) { CheckDlgButton(dialog, item, on ? BST_CHECKED : BST_UNCHECKED); }

void Enable(HWND dialog, int item, bool on) { EnableWindow(GetDlgItem(dialog, item), on); }

// ---- "Replace color with..." ----

enum ColorRole : int { SOURCE = 0, DESTINATION = 1 };

struct ReplaceState {
    ColorReplaceSettings* target;
    ColorReplaceSettings s;  // the working copy; colours as RGB
    COLORREF startColor;     // what "&Reset" returns both colours to
    PaletteGrid grid;
    EffectPreview preview;
    char labels[6][16];      // the template's "Red:", "Green:", "Blue:" twice
    bool ready;              // field changes count once the dialog is set up
    int writing;             // the dialog itself writes fields
};

ReplaceState& ReplaceOf(HWND dialog) { return StateOf<ReplaceState>(dialog); }

bool ToleranceMode(HWND dialog) { return Checked(dialog, IDC_TOLERANCE_MODE); }

COLORREF& ColorOf(ReplaceState& st, ColorRole role) { return role == SOURCE ? st.s.sourceColor : st.s.destColor; }

int FirstField(ColorRole role) { return role == SOURCE ? IDC_SOURCE_FIELD : IDC_DEST_FIELD; }

int NearestEntry(COLORREF color)
{
    HPALETTE palette = g_appState.documentPalette;
    return palette ? static_cast<int>(GetNearestPaletteIndex(palette, color & 0xFFFFFF)) : 0;
}

COLORREF EntryRgb(int index)
{
    PALETTEENTRY e{};
    if (g_appState.documentPalette) GetPaletteEntries(g_appState.documentPalette, static_cast<UINT>(index), 1, &e);
    return EntryColor(e);
}

void ShowColor(HWND dialog, ReplaceState& st, ColorRole role)
{
    const COLORREF c = ColorOf(st, role);
    int values[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
    if (ToleranceMode(dialog)) {
        const HlsFields f = HlsFieldsOf(c);
        values[0] = f.hue;
        values[1] = f.saturation;
        values[2] = f.lightness;
    }
    ++st.writing;
    for (int i = 0; i < 3; ++i) SetDlgItemInt(dialog, FirstField(role) + 2 * i, static_cast<UINT>(values[i]), FALSE);
    --st.writing;
    InvalidateRect(GetDlgItem(dialog, role == SOURCE ? IDC_SOURCE_SWATCH : IDC_DEST_SWATCH), nullptr, FALSE);
}

// The colour the three fields of a group hold; false while one holds no value.
bool ReadColor(HWND dialog, ColorRole role, COLORREF* color)
{
    const bool hls = ToleranceMode(dialog);
    int v[3];
    for (int i = 0; i < 3; ++i)
        if (!TryGetRangedDlgInt(dialog, FirstField(role) + 2 * i, 0, hls ? HLS_FIELD_MAX : CHANNEL_MAX, FALSE, &v[i]))
            return false;
    *color = hls ? ColorOfHlsFields({v[0], v[1], v[2]}) : RGB(v[0], v[1], v[2]);
    return true;
}

bool ColorsDiffer(const ReplaceState& st) { return st.s.sourceColor != st.s.destColor; }

// After a change of either colour.
void FollowColors(HWND dialog, ReplaceState& st)
{
    Enable(dialog, IDOK, ColorsDiffer(st));
    Enable(dialog, IDC_REPLACE_RESET, ColorsDiffer(st) || st.s.sourceColor != st.startColor);
    Enable(dialog, IDC_KEEP_DIFFERENCES, ToleranceMode(dialog) && ColorsDiffer(st));
}

void RenderReplacePreview(HWND dialog, ReplaceState& st)
{
    // Without tolerances the pass replaces the colour exactly: the
    // narrowest ranges and the whole destination colour show that.
    ColorReplaceSettings shown = st.s;
    if (ToleranceMode(dialog)) shown.flags |= REPLACE_BY_TOLERANCE;
    else shown.flags = REPLACE_DEFAULT_FLAGS;
    st.preview.Render(ReplaceColorRoutine, &shown);
}

void EnableToleranceFields(HWND dialog)
{
    const bool on = ToleranceMode(dialog);
    const bool unique = Checked(dialog, IDC_UNIQUE_TOLERANCE);
    for (int i = 0; i < 3; ++i) {
        const bool enabled = on && (i == 0 || !unique);
        Enable(dialog, IDC_HUE_TOLERANCE + 2 * i, enabled);
        Enable(dialog, IDC_HUE_TOLERANCE + 2 * i + 1, enabled);
    }
}

// The destination fields follow their check boxes while those are shown.
void EnableDestinationFields(HWND dialog)
{
    const bool on = ToleranceMode(dialog);
    for (int i = 0; i < 3; ++i) {
        const bool enabled = !on || Checked(dialog, IDC_REPLACE_HUE + i);
        Enable(dialog, IDC_DEST_FIELD + 2 * i, enabled);
        Enable(dialog, IDC_DEST_FIELD + 2 * i + 1, enabled);
    }
}

// RGB or HLS: labels, values, the check boxes and tolerance fields.
void ApplyToleranceMode(HWND dialog, ReplaceState& st)
{
    static const char* const hls[3] = {"Hue:", "Sat.:", "Lum.:"};
    const bool on = ToleranceMode(dialog);
    for (int i = 0; i < 6; ++i) SetDlgItemTextA(dialog, IDC_SOURCE_LABEL + i, on ? hls[i % 3] : st.labels[i]);
    for (int i = 0; i < 3; ++i) ShowWindow(GetDlgItem(dialog, IDC_REPLACE_HUE + i), on ? SW_SHOW : SW_HIDE);
    Enable(dialog, IDC_REPLACE_INVERT, on);
    Enable(dialog, IDC_UNIQUE_TOLERANCE, on);
    if (on) st.s.flags |= REPLACE_BY_TOLERANCE;
    else st.s.flags &= ~REPLACE_BY_TOLERANCE;
    EnableToleranceFields(dialog);
    EnableDestinationFields(dialog);
    ShowColor(dialog, st, SOURCE);
    ShowColor(dialog, st, DESTINATION);
    FollowColors(dialog, st);
}

// A colour changed by the grid, a swatch or "&Reset": fields, grid, buttons, preview.
void ColorChanged(HWND dialog, ReplaceState& st, ColorRole role)
{
    ShowColor(dialog, st, role);
    SelectPaletteGridIndex(dialog, &st.grid, NearestEntry(ColorOf(st, role)));
    FollowColors(dialog, st);
    RenderReplacePreview(dialog, st);
}

void FieldTyped(HWND dialog, ReplaceState& st, ColorRole role)
{
    COLORREF c;
    if (!ReadColor(dialog, role, &c)) return;
    ColorOf(st, role) = c;
    InvalidateRect(GetDlgItem(dialog, role == SOURCE ? IDC_SOURCE_SWATCH : IDC_DEST_SWATCH), nullptr, FALSE);
    SelectPaletteGridIndex(dialog, &st.grid, NearestEntry(c));
    FollowColors(dialog, st);
    RenderReplacePreview(dialog, st);
}

void ToleranceTyped(HWND dialog, ReplaceState& st, int item)
{
    if (item == IDC_HUE_TOLERANCE && Checked(dialog, IDC_UNIQUE_TOLERANCE)) {
        char text[8];
        GetDlgItemTextA(dialog, IDC_HUE_TOLERANCE, text, sizeof text);
        ++st.writing;
        SetDlgItemTextA(dialog, IDC_HUE_TOLERANCE + 2, text);
        SetDlgItemTextA(dialog, IDC_HUE_TOLERANCE + 4, text);
        --st.writing;
    }
    int16_t* stored[3] = {&st.s.hueTolerance, &st.s.satTolerance, &st.s.lumTolerance};
    for (int i = 0; i < 3; ++i) {
        int v = 0;
        if (!TryGetRangedDlgInt(dialog, IDC_HUE_TOLERANCE + 2 * i, 0, TOLERANCE_MAX, FALSE, &v))
            v = TOLERANCE_AFTER_BAD_ENTRY;
        *stored[i] = static_cast<int16_t>(v);
    }
    RenderReplacePreview(dialog, st);
}

void ReplaceFlagClicked(HWND dialog, ReplaceState& st, int item)
{
    const bool on = Checked(dialog, item);
    uint32_t bit = 0;
    if (item >= IDC_REPLACE_HUE && item < IDC_REPLACE_HUE + 3) bit = REPLACE_HUE << (item - IDC_REPLACE_HUE);
    else if (item == IDC_REPLACE_INVERT) bit = REPLACE_OUTSIDE;
    else if (item == IDC_KEEP_DIFFERENCES) bit = REPLACE_KEEP_DIFFERENCES;
    st.s.flags = on ? st.s.flags | bit : st.s.flags & ~bit;
    if (bit & REPLACED_QUANTITIES) {
        EnableDestinationFields(dialog);
        Enable(dialog, IDOK, (st.s.flags & REPLACED_QUANTITIES) != 0);
    }
    RenderReplacePreview(dialog, st);
}

void ChooseSwatchColor(HWND dialog, ReplaceState& st, ColorRole role)
{
    COLORREF c = ColorOf(st, role);
    if (!ChooseRgbColor(dialog, &c)) return;
    ColorOf(st, role) = c & 0xFFFFFF;
    ColorChanged(dialog, st, role);
}

void GridClicked(HWND dialog, ReplaceState& st)
{
    const ColorRole role = (st.grid.pressKeys & (MK_CONTROL | MK_SHIFT)) ? SOURCE : DESTINATION;
    ColorOf(st, role) = EntryRgb(st.grid.selected);
    ShowColor(dialog, st, role);
    FollowColors(dialog, st);
    RenderReplacePreview(dialog, st);
}

void ResetColors(HWND dialog, ReplaceState& st)
{
    st.s.sourceColor = st.s.destColor = st.startColor;
    ShowColor(dialog, st, DESTINATION);
    ColorChanged(dialog, st, SOURCE);
    Enable(dialog, IDC_REPLACE_RESET, false);
}

// Sunken well filled with the colour (the nearest entry up to 256 colours).
void DrawSwatch(const DRAWITEMSTRUCT* item, COLORREF color)
{
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    HPALETTE old = nullptr;
    if (g_appState.colorCount <= COLORS_256 && g_appState.documentPalette) {
        old = SelectPalette(dc, g_appState.documentPalette, TRUE);
        RealizePalette(dc);
        color = PALETTEINDEX(NearestEntry(color));
    }
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    if (old) SelectPalette(dc, old, TRUE);
}

void FinishReplace(HWND dialog, ReplaceState& st)
{
    const bool tolerance = ToleranceMode(dialog);
    st.s.flags = tolerance ? st.s.flags | REPLACE_BY_TOLERANCE : st.s.flags & ~REPLACE_BY_TOLERANCE;
    if (tolerance) {
        int16_t* stored[3] = {&st.s.hueTolerance, &st.s.satTolerance, &st.s.lumTolerance};
        for (int i = 0; i < 3; ++i) {
            int v = 0;
            if (!TryGetRangedDlgInt(dialog, IDC_HUE_TOLERANCE + 2 * i, TOLERANCE_MIN, TOLERANCE_MAX, FALSE, &v)) {
                MessageBeep(0);
                SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_HUE_TOLERANCE + 2 * i)),
                             TRUE);
                return;
            }
            *stored[i] = static_cast<int16_t>(v);
        }
        st.s.flags = Checked(dialog, IDC_UNIQUE_TOLERANCE) ? st.s.flags | REPLACE_ALWAYS : st.s.flags & ~REPLACE_ALWAYS;
        const bool keep = Checked(dialog, IDC_KEEP_DIFFERENCES) && ColorsDiffer(st);
        st.s.flags = keep ? st.s.flags | REPLACE_KEEP_DIFFERENCES : st.s.flags & ~REPLACE_KEEP_DIFFERENCES;
    }
    const HBITMAP preview = st.target->previewBitmap;
    *st.target = st.s;
    st.target->previewBitmap = preview;
    EndDialog(dialog, 1);
}

void InitReplace(HWND dialog, ColorReplaceSettings* settings)
{
    auto* st = new ReplaceState{};
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(st));
    st->target = settings;
    st->s = *settings;
    ColorReplaceSettings& s = st->s;
    if (s.sourceColor == CLR_INVALID) s.sourceColor = GetToolColor(ROLE_PEN);
    s.sourceColor = PaletteIndexToRgb(s.sourceColor) & 0xFFFFFF;
    s.destColor = s.destColor == CLR_INVALID ? s.sourceColor : PaletteIndexToRgb(s.destColor) & 0xFFFFFF;
    st->startColor = s.sourceColor;
    AttachPaletteGrid(dialog, &st->grid, g_appState.colorCount, NearestEntry(s.sourceColor));
    for (int i = 0; i < 6; ++i) GetDlgItemTextA(dialog, IDC_SOURCE_LABEL + i, st->labels[i], sizeof st->labels[i]);
    for (int i = 0; i < 3; ++i) {
        SendDlgItemMessageA(dialog, IDC_SOURCE_FIELD + 2 * i, EM_LIMITTEXT, 3, 0);
        SendDlgItemMessageA(dialog, IDC_DEST_FIELD + 2 * i, EM_LIMITTEXT, 3, 0);
        SendDlgItemMessageA(dialog, IDC_HUE_TOLERANCE + 2 * i, EM_LIMITTEXT, 2, 0);
        Check(dialog, IDC_REPLACE_HUE + i, (s.flags & (REPLACE_HUE << i)) != 0);
    }
    Check(dialog, IDC_REPLACE_INVERT, (s.flags & REPLACE_OUTSIDE) != 0);
    const int tolerances[3] = {s.hueTolerance, s.satTolerance, s.lumTolerance};
    ++st->writing;
    for (int i = 0; i < 3; ++i)
        SetDlgItemInt(dialog, IDC_HUE_TOLERANCE + 2 * i, std::clamp(tolerances[i], TOLERANCE_MIN, TOLERANCE_MAX), FALSE);
    --st->writing;
    Check(dialog, IDC_TOLERANCE_MODE, (s.flags & REPLACE_BY_TOLERANCE) != 0);
    Check(dialog, IDC_UNIQUE_TOLERANCE, (s.flags & REPLACE_ALWAYS) != 0);
    Check(dialog, IDC_KEEP_DIFFERENCES, (s.flags & REPLACE_KEEP_DIFFERENCES) != 0);
    ApplyToleranceMode(dialog, *st);
    st->preview.Make(GetDlgItem(dialog, IDC_REPLACE_PREVIEW), s.previewBitmap, s.x, s.y, s.width, s.height);
    RenderReplacePreview(dialog, *st);
    CenterWindow(dialog);
    st->ready = true;
}

bool ReplaceCommand(HWND dialog, int item, int code)
{
    ReplaceState& st = ReplaceOf(dialog);
    const bool typed = code == EN_UPDATE && st.ready && !st.writing;
    if (item >= IDC_SOURCE_FIELD && item <= IDC_SOURCE_FIELD + 4 && (item - IDC_SOURCE_FIELD) % 2 == 0) {
        if (typed) FieldTyped(dialog, st, SOURCE);
        return true;
    }
    if (item >= IDC_DEST_FIELD && item <= IDC_DEST_FIELD + 4 && (item - IDC_DEST_FIELD) % 2 == 0) {
        if (typed) FieldTyped(dialog, st, DESTINATION);
        return true;
    }
    if (item >= IDC_HUE_TOLERANCE && item <= IDC_HUE_TOLERANCE + 4 && (item - IDC_HUE_TOLERANCE) % 2 == 0) {
        if (typed) ToleranceTyped(dialog, st, item);
        return true;
    }
    if (item == IDC_PALETTE_GRID) {
        if (code == GRID_SELECTED) GridClicked(dialog, st);
        return true;
    }
    if (code != BN_CLICKED) return false;
    switch (item) {
    case IDC_SOURCE_SWATCH: ChooseSwatchColor(dialog, st, SOURCE); return true;
    case IDC_DEST_SWATCH: ChooseSwatchColor(dialog, st, DESTINATION); return true;
    case IDC_TOLERANCE_MODE:
        ApplyToleranceMode(dialog, st);
        RenderReplacePreview(dialog, st);
        return true;
    case IDC_UNIQUE_TOLERANCE: EnableToleranceFields(dialog); return true;
    case IDC_REPLACE_HUE:
    case IDC_REPLACE_HUE + 1:
    case IDC_REPLACE_HUE + 2:
    case IDC_REPLACE_INVERT:
    case IDC_KEEP_DIFFERENCES: ReplaceFlagClicked(dialog, st, item); return true;
    case IDC_REPLACE_RESET: ResetColors(dialog, st); return true;
    case IDOK: FinishReplace(dialog, st); return true;
    case IDCANCEL: EndDialog(dialog, -1); return true;
    default: return false;
    }
}

// The spin bars step the field before them.
void ReplaceSpin(HWND dialog, HWND bar, int code)
{
    const int field = GetDlgCtrlID(bar) - 1;
    if (field >= IDC_HUE_TOLERANCE && field <= IDC_HUE_TOLERANCE + 4)
        SpinDlgItemInt(dialog, field, code, TOLERANCE_MIN, TOLERANCE_MAX);
    else if ((field >= IDC_SOURCE_FIELD && field <= IDC_SOURCE_FIELD + 4) ||
             (field >= IDC_DEST_FIELD && field <= IDC_DEST_FIELD + 4))
        SpinDlgItemInt(dialog, field, code, 0, ToleranceMode(dialog) ? HLS_FIELD_MAX : CHANNEL_MAX);
}

// ---- "Adjust Colors..." ----

struct AdjustState {
    ColorAdjustSettings* target;
    ColorAdjustSettings s;
    EffectPreview preview;
    bool ready;
    int writing;
};

AdjustState& AdjustOf(HWND dialog) { return StateOf<AdjustState>(dialog); }

int AdjustMinimum(const ColorAdjustSettings& s) { return s.absolute ? 0 : ADJUST_MIN; }

void ShowAdjustValue(HWND dialog, AdjustState& st)
{
    ++st.writing;
    SetDlgItemInt(dialog, IDC_ADJUST_VALUE, static_cast<UINT>(st.s.value), TRUE);
    --st.writing;
}

void RenderAdjustPreview(AdjustState& st) { st.preview.Render(AdjustColorsRoutine, &st.s); }

void InitAdjust(HWND dialog, ColorAdjustSettings* settings)
{
    auto* st = new AdjustState{};
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(st));
    st->target = settings;
    st->s = *settings;
    HWND list = GetDlgItem(dialog, IDC_ADJUST_KIND);
    char name[RESOURCE_STRING_LENGTH];
    int selected = -1;
    for (UINT id = ADJUST_BRIGHTNESS; LoadResourceString(id, name, sizeof name); ++id) {
        const auto item = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (item < 0) break;
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(id));
        if (static_cast<int>(id) == st->s.kind) selected = static_cast<int>(item);
    }
    if (selected < 0) {
        selected = 0;
        st->s.kind = static_cast<int32_t>(SendMessageA(list, LB_GETITEMDATA, 0, 0));
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    SendDlgItemMessageA(dialog, IDC_ADJUST_VALUE, EM_LIMITTEXT, 3, 0);
    CheckRadioButton(dialog, IDC_ALTER_BY, IDC_SET_TO, st->s.absolute ? IDC_SET_TO : IDC_ALTER_BY);
    ShowAdjustValue(dialog, *st);
    st->preview.Make(GetDlgItem(dialog, IDC_ADJUST_PREVIEW), st->s.previewBitmap, st->s.x, st->s.y, st->s.width,
                     st->s.height);
    RenderAdjustPreview(*st);
    CenterWindow(dialog);
    st->ready = true;
}

void AdjustValueTyped(HWND dialog, AdjustState& st)
{
    int v = 0;
    if (TryGetRangedDlgInt(dialog, IDC_ADJUST_VALUE, AdjustMinimum(st.s), ADJUST_MAX, TRUE, &v)) st.s.value = v;
    else ShowAdjustValue(dialog, st);
    RenderAdjustPreview(st);
}

void AdjustModeClicked(HWND dialog, AdjustState& st, bool absolute)
{
    st.s.absolute = absolute ? 1 : 0;
    if (absolute && st.s.value < 0) st.s.value = 0;
    ShowAdjustValue(dialog, st);
    RenderAdjustPreview(st);
}

bool AdjustCommand(HWND dialog, int item, int code)
{
    AdjustState& st = AdjustOf(dialog);
    switch (item) {
    case IDC_ADJUST_KIND:
        if (code == LBN_SELCHANGE) {
            const auto selected = SendDlgItemMessageA(dialog, IDC_ADJUST_KIND, LB_GETCURSEL, 0, 0);
            if (selected >= 0) {
                st.s.kind = static_cast<int32_t>(
                    SendDlgItemMessageA(dialog, IDC_ADJUST_KIND, LB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
                RenderAdjustPreview(st);
            }
        }
        return true;
    case IDC_ALTER_BY:
    case IDC_SET_TO:
        if (code == BN_CLICKED) AdjustModeClicked(dialog, st, item == IDC_SET_TO);
        return true;
    case IDC_ADJUST_VALUE:
        if (code == EN_UPDATE && st.ready && !st.writing) AdjustValueTyped(dialog, st);
        return true;
    case IDOK: {
        const HBITMAP preview = st.target->previewBitmap;
        *st.target = st.s;
        st.target->previewBitmap = preview;
        EndDialog(dialog, 1);
        return true;
    }
    case IDCANCEL: EndDialog(dialog, 0); return true;
    default: return false;
    }
}

}  // namespace

HlsFields HlsFieldsOf(COLORREF color)
{
    const Hls hls = RgbToHls(GetRValue(color), GetGValue(color), GetBValue(color));
    auto field = [](double v) { return static_cast<int>(v * HLS_FIELD_MAX + 0.5); };
    return {field(hls.h), field(hls.s), field(hls.l)};
}

COLORREF ColorOfHlsFields(const HlsFields& fields)
{
    Hls hls{};
    hls.h = fields.hue / static_cast<double>(HLS_FIELD_MAX);
    hls.s = fields.saturation / static_cast<double>(HLS_FIELD_MAX);
    hls.l = fields.lightness / static_cast<double>(HLS_FIELD_MAX);
    int r = 0, g = 0, b = 0;
    HlsToRgb(hls, &r, &g, &b);
    return RGB(std::clamp(r, 0, CHANNEL_MAX), std::clamp(g, 0, CHANNEL_MAX), std::clamp(b, 0, CHANNEL_MAX));
}

RECT PreviewSourceArea(int x, int y, int width, int height, SIZE bitmap)
{
    const RECT whole{0, 0, bitmap.cx, bitmap.cy};
    if (width <= 0 || height <= 0) return whole;
    // In 64 bits: a hostile area must not wrap around.
    const RECT area{static_cast<LONG>(std::clamp<int64_t>(x, 0, bitmap.cx)),
                    static_cast<LONG>(std::clamp<int64_t>(y, 0, bitmap.cy)),
                    static_cast<LONG>(std::clamp<int64_t>(static_cast<int64_t>(x) + width, 0, bitmap.cx)),
                    static_cast<LONG>(std::clamp<int64_t>(static_cast<int64_t>(y) + height, 0, bitmap.cy))};
    return area.right > area.left && area.bottom > area.top ? area : whole;
}

SIZE PreviewSize(SIZE area, SIZE control)
{
    if (area.cx <= 0 || area.cy <= 0 || control.cx <= 0 || control.cy <= 0) return {1, 1};
    // Whichever side reaches the control first sets the scale.
    int64_t width = control.cx, height = static_cast<int64_t>(control.cx) * area.cy / area.cx;
    if (height > control.cy) {
        height = control.cy;
        width = static_cast<int64_t>(control.cy) * area.cx / area.cy;
    }
    return {static_cast<LONG>(std::max<int64_t>(width, 1)), static_cast<LONG>(std::max<int64_t>(height, 1))};
}

INT_PTR CALLBACK ReplaceColorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: InitReplace(dialog, reinterpret_cast<ColorReplaceSettings*>(lParam)); return TRUE;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!HasState(dialog)) return FALSE;
        ReplaceState& st = ReplaceOf(dialog);
        switch (item->CtlID) {
        case IDC_PALETTE_GRID: DrawPaletteGrid(item); return TRUE;
        case IDC_SOURCE_SWATCH: DrawSwatch(item, st.s.sourceColor); return TRUE;
        case IDC_DEST_SWATCH: DrawSwatch(item, st.s.destColor); return TRUE;
        case IDC_REPLACE_PREVIEW: st.preview.Draw(item); return TRUE;
        default: return FALSE;
        }
    }
    case WM_VSCROLL: ReplaceSpin(dialog, reinterpret_cast<HWND>(lParam), LOWORD(wParam)); return TRUE;
    case WM_COMMAND:
        return HasState(dialog) && ReplaceCommand(dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_DESTROY:
        if (HasState(dialog)) FreeState<ReplaceState>(dialog);
        return FALSE;
    default: return DefaultCtlColor(message);
    }
}

INT_PTR CALLBACK AdjustColorsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: InitAdjust(dialog, reinterpret_cast<ColorAdjustSettings*>(lParam)); return TRUE;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != IDC_ADJUST_PREVIEW || !HasState(dialog)) return FALSE;
        AdjustOf(dialog).preview.Draw(item);
        return TRUE;
    }
    case WM_VSCROLL: {
        if (!HasState(dialog)) return FALSE;
        AdjustState& st = AdjustOf(dialog);
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_ADJUST_SPIN)
            SpinDlgItemInt(dialog, IDC_ADJUST_VALUE, LOWORD(wParam), AdjustMinimum(st.s), ADJUST_MAX);
        return TRUE;
    }
    case WM_COMMAND:
        return HasState(dialog) && AdjustCommand(dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_DESTROY:
        if (HasState(dialog)) FreeState<AdjustState>(dialog);
        return FALSE;
    default: return DefaultCtlColor(message);
    }
}

void RegisterColorEffectDialogs()
{
    RegisterDialogProcedure(IDD_REPLACE_COLOR, ReplaceColorDlgProc);
    RegisterDialogProcedure(IDD_ADJUST_COLORS, AdjustColorsDlgProc);
}
