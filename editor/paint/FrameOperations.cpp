// The Frame and Image menus (see FrameOperations.h).
#include "FrameOperations.h"
#include "AppState.h"
#include "AreaSelection.h"
#include "Clipboard.h"
#include "ConvBridge.h"
#include "DialogUtilities.h"
#include "DibPixels.h"
#include "DocumentMessages.h"
#include "DocumentModel.h"
#include "FrameBitmaps.h"
#include "FrameCanvas.h"
#include "FrameFormat.h"
#include "FrameSelection.h"
#include "ImageOperations.h"
#include "MainWindow.h"
#include "PaintHost.h"
#include "PaintTools.h"
#include "Palette.h"
#include "PixelEffects.h"
#include "Undo.h"
#include "Workspace.h"
#include "resource.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// A frame bitmap leaves the work DCs before it is deleted or moved to a step.
void ReleaseFromWorkDcs(HBITMAP bitmap)
{
    for (HDC dc : {g_appState.memoryDC, g_appState.scratchDC})
        if (dc && bitmap && GetCurrentObject(dc, OBJ_BITMAP) == bitmap && g_appState.defaultBitmap != bitmap)
            SelectObject(dc, g_appState.defaultBitmap);
}

void MarkSequenceModified()
{
    if (g_document.sequenceState >= 0) g_document.sequenceState |= DOC_MODIFIED;
}

// The per-frame data of the current sequence that moves with a frame.
struct FrameSlot {
    HBITMAP bitmap;
    FrameRecord record;
    int8_t offsetX, offsetY;
    BYTE selected;
};

SequenceImages* CurrentImages()
{
    const int sequence = CurrentSequenceIndex();
    return sequence >= 0 && sequence < MAX_SEQUENCES ? &g_document.sequenceImages[sequence] : nullptr;
}

FrameSlot TakeSlot(int i)
{
    SequenceImages* images = CurrentImages();
    return {g_appState.frameBitmaps[i], g_document.frameRecords[i], images ? images->offsetX[i] : int8_t{0},
            images ? images->offsetY[i] : int8_t{0}, g_frameSelection.selected[i]};
}

void PutSlot(int i, const FrameSlot& slot)
{
    g_appState.frameBitmaps[i] = slot.bitmap;
    g_document.frameRecords[i] = slot.record;
    if (SequenceImages* images = CurrentImages()) {
        images->offsetX[i] = slot.offsetX;
        images->offsetY[i] = slot.offsetY;
    }
    g_frameSelection.selected[i] = slot.selected;
}

// Frames from..to-1 move one place up (an empty slot opens at `from`), or
// from+1..to move one down over `from`.
void OpenSlot(int at, int count)
{
    for (int i = count; i > at; --i) PutSlot(i, TakeSlot(i - 1));
    PutSlot(at, FrameSlot{nullptr, {FRAME_UNSET, 0, nullptr}, 0, 0, 0});
}

void CloseSlot(int at, int count)
{
    for (int i = at; i < count - 1; ++i) PutSlot(i, TakeSlot(i + 1));
    PutSlot(count - 1, FrameSlot{nullptr, {FRAME_UNSET, 0, nullptr}, 0, 0, 0});
}

void RefreshAfterFrameChange()
{
    if (g_appState.filmWindow) {
        SendMessageA(g_appState.filmWindow, WM_CREATE, 0, 0);
        InvalidateRect(g_appState.filmWindow, nullptr, FALSE);
    }
    InvalidateFrameEditor(1);
    UpdateStatusBar(STATUS_FRAME, g_appState.currentFrame);
}

void ShowFrameInFilm(int frame)
{
    if (g_appState.filmWindow) SendMessageA(g_appState.filmWindow, LB_SETCURSEL, frame, 0);
    else g_appState.currentFrame = frame;
}

// ---- add, insert, delete ---------------------------------------------------------

int AddOrInsertFrame(UINT command, WPARAM keys)
{
    SetFrameSelection(SELECTION_CLEAR_ALL, 0, 1);
    const int count = g_appState.frameCount;
    // The frame arrays end at 255 frames: a further one is refused.
    if (count >= MAX_FRAME_BITMAPS || count <= 0) {
        MessageBeep(MB_ICONEXCLAMATION);
        return 0;
    }
    const bool adding = command == IDM_ADD_EMPTY_FRAME || command == IDM_APPEND_FRAMES;
    const bool copy = command == IDM_APPEND_FRAMES || command == IDM_INSERT_COPY;
    const int current = g_appState.currentFrame;
    const int n = adding ? count : current + ((keys & MK_SHIFT) ? 1 : 0);
    HBITMAP bitmap = CreateFrameBitmap(g_appState.frameWidth, g_appState.frameHeight);
    if (!bitmap) return ShowOutOfMemory();
    int source = current;
    if (n < count) {
        OpenSlot(n, count);
        ShiftUndoFrameIndices(n, 1);
        if (n <= current) source = current + 1;
    }
    g_appState.frameBitmaps[n] = bitmap;
    g_document.frameRecords[n] = {FRAME_UNSET, g_document.frameRecords[source].attribute, nullptr};
    // The new frame's name follows the source frame's pattern.
    const int kept = std::exchange(g_appState.currentFrame, source);
    SetDefaultFrameFileName(n);
    g_appState.currentFrame = kept;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HPALETTE oldPalette = SelectDocumentPalette(dc);
    if (copy) {
        ReleaseFromWorkDcs(g_appState.frameBitmaps[source]);
        HDC from = CreateCompatibleDC(nullptr);
        HGDIOBJ oldFrom = SelectObject(from, g_appState.frameBitmaps[source]);
        BitBlt(dc, 0, 0, g_appState.frameWidth, g_appState.frameHeight, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        DeleteDC(from);
    } else {
        const RECT whole{0, 0, g_appState.frameWidth, g_appState.frameHeight};
        FillSequenceBackground(dc, &whole, -1);
    }
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
    SelectObject(dc, old);
    DeleteDC(dc);

    SetFrameCount(count + 1);
    MarkSequenceModified();
    if (n < count) {
        RenumberStepLists(RENUMBER_INSERT, n, 0, count + 1);
        RefreshAfterFrameChange();
        if (n > current) ShowFrameInFilm(n);
        CallNotifyFrameChange(command, n);
    } else {
        RefreshAfterFrameChange();
        if (!(keys & MK_CONTROL)) ShowFrameInFilm(n);
        CallNotifyFrameChange(command, n);
    }
    return 1;
}

// Deletes one frame of the sequence (the frames above close up).
void RemoveFrame(int frame)
{
    const int count = g_appState.frameCount;
    ClearUndo();
    ReleaseFromWorkDcs(g_appState.frameBitmaps[frame]);
    if (g_appState.frameBitmaps[frame]) DeleteObject(g_appState.frameBitmaps[frame]);
    g_appState.frameBitmaps[frame] = nullptr;
    SetFrameFileName(frame, nullptr);
    CloseSlot(frame, count);
    g_appState.frameCount = count - 1;
    RenumberStepLists(RENUMBER_DELETE, frame, 0, count);
    CallNotifyFrameChange(IDM_DELETE_FRAME, frame);
}

int DeleteSelectedFrames()
{
    if (CountSelectedFrames() > 1) {
        char caption[RESOURCE_STRING_LENGTH] = "Warning";
        LoadResourceString(IDS_WARNING, caption);
        if (ShowStringMessage(g_appState.mainWindow, IDS_ASK_DELETE_SELECTED_FRAMES, caption, MB_YESNO | MB_ICONQUESTION) !=
            IDYES)
            return 0;
    }
    if (!IsFrameSelected(g_appState.currentFrame)) SetFrameSelection(SELECTION_TOGGLE, g_appState.currentFrame, 0);
    int deleted = 0;
    for (int frame = g_appState.frameCount - 1; frame >= 0 && g_appState.frameCount > 1; --frame) {
        if (!IsFrameSelected(frame)) continue;
        if (!QuerySaveFrames(g_appState.mainWindow, frame)) break;
        RemoveFrame(frame);
        ++deleted;
    }
    SetFrameSelection(SELECTION_CLEAR_ALL, 0, 0);
    g_appState.currentFrame = std::min(g_appState.currentFrame, g_appState.frameCount - 1);
    SetFrameCount(g_appState.frameCount);
    if (deleted) MarkSequenceModified();
    UpdateViewLayout(1);
    RefreshAfterFrameChange();
    return deleted > 0 ? 1 : 0;
}

// ---- the image commands ------------------------------------------------------------

bool AreaIsSelected() { return g_paintHost.testSelectionState && g_paintHost.testSelectionState(AREA_SELECTED); }

FrameArea CommandArea()
{
    if (!AreaIsSelected()) return {0, 0, g_appState.frameWidth, g_appState.frameHeight};
    RECT r;
    GetSelectionRect(&r, SELECTION_RECT_SIZE);
    return {r.left, r.top, r.right, r.bottom};
}

AreaMask LassoMaskOf(const FrameArea& area)
{
    if (!HasSelection()) return {};
    const RECT inclusive{area.x, area.y, area.x + area.width - 1, area.y + area.height - 1};
    HBITMAP mask = CreateLassoMask(inclusive);
    AreaMask bits = ReadAreaMask(mask);
    if (mask) DeleteObject(mask);
    return bits;
}

uint32_t TransparentValue(const DibPixels& pixels)
{
    if (pixels.BitsPerPixel() <= 8) return static_cast<uint32_t>(g_appState.toolColors.transparentColorIndex);
    return pixels.ValueOf(PaletteIndexToRgb(GetToolColor(ROLE_TRANSPARENT)));
}

// Runs `paint` over every frame of the frame selection, each after its undo
// step; a step that cannot be kept stops the command (the frame would else
// be painted from an older step's copy). False when stopped.
template <typename Paint>
bool PaintSelectedFrames(bool keepSelection, Paint paint)
{
    RecordUndo(UNDO_BEGIN_GROUP | (keepSelection ? UNDO_SAVE_SELECTION : 0), g_appState.currentFrame);
    bool complete = true;
    for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame)) {
        if (!RecordUndo(UNDO_SAVE_FRAME, frame)) {
            complete = false;
            break;
        }
        HBITMAP bitmap = g_appState.frameBitmaps[frame];
        ReleaseFromWorkDcs(bitmap);
        DibPixels target(bitmap), before(GetLatestUndoBitmap());
        if (!target.Valid() || !before.Valid()) continue;
        const bool more = paint(target, before);
        target.Commit();
        if (!more) break;
    }
    RecordUndo(UNDO_END_GROUP, g_appState.currentFrame);
    MarkSelectedFramesModified();
    if (g_paintHost.updateFilmThumbnail) g_paintHost.updateFilmThumbnail(1);
    InvalidateFrameEditor(1);
    return complete;
}

int ShiftCommand(UINT command, WPARAM keys)
{
    static const POINT steps[4] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
    const POINT step = steps[command - IDM_SCROLL_UP];
    const FrameArea area = CommandArea();
    const AreaMask mask = LassoMaskOf(area);
    const bool fill = (keys & MK_SHIFT) != 0;
    return PaintSelectedFrames(!mask.Empty(), [&](DibPixels& target, const DibPixels& before) {
        ShiftAreaPixels(target, before, area, mask, step.x, step.y, fill, TransparentValue(target));
        return true;
    }) ? 1 : 0;
}

int FlipCommand(bool horizontal)
{
    const FrameArea area = CommandArea();
    const AreaMask mask = LassoMaskOf(area);
    const bool done = PaintSelectedFrames(!mask.Empty(), [&](DibPixels& target, const DibPixels& before) {
        FlipAreaPixels(target, before, area, mask, horizontal);
        return true;
    });
    if (done && !mask.Empty()) {
        // The lasso's nodes mirror about the area's middle.
        const int c = horizontal ? area.x + area.width / 2 : area.y + area.height / 2;
        for (int i = 0; i < std::min(g_selection.selectionPointCount, MAX_SELECTION_POINTS); ++i) {
            LONG& v = horizontal ? g_selection.selectionPoints[i].x : g_selection.selectionPoints[i].y;
            v = 2 * c - v;
        }
    }
    return done ? 1 : 0;
}

// The area becomes a lasso of its four corners, clockwise from the top left.
void MakeRectangleLasso(const FrameArea& area)
{
    if (g_paintHost.selectPaintTool) g_paintHost.selectPaintTool(TOOL_SELECT_POLYGON);
    else g_appState.currentTool = TOOL_SELECT_POLYGON;
    const int right = area.x + area.width - 1, bottom = area.y + area.height - 1;
    const POINT corners[4] = {{area.x, area.y}, {right, area.y}, {right, bottom}, {area.x, bottom}};
    std::copy(corners, corners + 4, g_selection.selectionPoints);
    g_selection.selectionPointCount = 4;
    SetSelectionRect(area.x, area.y, right, bottom, 0);
    if (g_paintHost.setSelectionState && g_paintHost.testSelectionState)
        g_paintHost.setSelectionState(g_paintHost.testSelectionState(~0) | AREA_SELECTED);
}

struct RotationProgress {
    HWND dialog;
    bool cancelled;
};

bool AdvanceRotation(void* context)
{
    auto* progress = static_cast<RotationProgress*>(context);
    if (progress->dialog && UpdateProgress(progress->dialog, 1, PROGRESS_ADD | PROGRESS_PUMP)) progress->cancelled = true;
    return true;  // a cancel ends the rotation after the current frame
}

int RotateCommand(UINT command, WPARAM keys)
{
    if (command == IDM_ROTATE && RunDialog(IDD_ROTATE, g_appState.mainWindow, 0) != IDOK) return 0;
    const bool clockwise = command == IDM_ROTATE_RIGHT || (command == IDM_ROTATE && g_rotation.angle > 0);
    RotationPass pass{};
    pass.area = CommandArea();
    pass.pivotCode = PivotCode(g_rotation.pivot);
    pass.degrees = std::abs(g_rotation.angle) % 360;
    pass.clockwise = clockwise;
    pass.singlePixel = (keys & MK_SHIFT) != 0;
    pass.emptyFirst = g_rotation.deleteVacant && !(keys & MK_CONTROL);
    if (pass.degrees == 0) return 0;
    const bool quarter = pass.degrees == 90;

    HCURSOR oldCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const int frames = CountSelectedFrames();
    RotationProgress progress{nullptr, false};
    if (RotationShowsProgress(frames, pass.area.width, pass.area.height))
        progress.dialog = OpenProgressDialog(g_appState.mainWindow, g_appState.instanceHandle, IDD_PROGRESS,
                                             frames * pass.area.height, nullptr);
    const AreaMask mask = LassoMaskOf(pass.area);
    const bool lasso = !mask.Empty();
    if (!quarter && !lasso) MakeRectangleLasso(pass.area);
    const bool painted = PaintSelectedFrames(true, [&](DibPixels& target, const DibPixels& before) {
        RotationPass frame = pass;
        frame.emptyValue = TransparentValue(target);
        RotateAreaPixels(target, before, mask, frame, AdvanceRotation, &progress);
        return !progress.cancelled;
    });
    if (progress.dialog) CloseProgressDialog(progress.dialog);
    if (!painted) {
        // Stopped for want of an undo step: the selection and the pivot stay.
        SetCursor(oldCursor);
        InvalidateFrameEditor(1);
        return 0;
    }

    const int nodes = std::min(g_selection.selectionPointCount, MAX_SELECTION_POINTS);
    if (lasso || !quarter) TurnPoints(g_selection.selectionPoints, nodes, pass);
    if (quarter) {
        if (AreaIsSelected()) {
            const RECT turned = TurnedAreaBounds(pass, g_appState.frameWidth, g_appState.frameHeight);
            SetSelectionRect(turned.left, turned.top, turned.right, turned.bottom, 0);
        }
        SetRotationPivot(TurnPivotPosition(g_rotation.pivot, clockwise));
    } else if (nodes > 0) {
        // The selection becomes the bounding box of the turned lasso, inside the frame.
        RECT box{g_selection.selectionPoints[0].x, g_selection.selectionPoints[0].y, g_selection.selectionPoints[0].x,
                 g_selection.selectionPoints[0].y};
        for (int i = 1; i < nodes; ++i) {
            box.left = std::min(box.left, g_selection.selectionPoints[i].x);
            box.top = std::min(box.top, g_selection.selectionPoints[i].y);
            box.right = std::max(box.right, g_selection.selectionPoints[i].x);
            box.bottom = std::max(box.bottom, g_selection.selectionPoints[i].y);
        }
        SetSelectionRect(box.left, box.top, box.right, box.bottom, 0);
    }
    SetCursor(oldCursor);
    InvalidateFrameEditor(1);
    return 1;
}

// The matrix of an effect preset: RCDATA with the command's id.
bool LoadEffectPreset(UINT command)
{
    HMODULE module = g_appState.instanceHandle ? g_appState.instanceHandle : GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(command), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!found || SizeofResource(module, found) < sizeof(EffectMatrix)) return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return false;
    memcpy(&g_effectMatrix, data, sizeof g_effectMatrix);
    return true;
}

HBITMAP CurrentFrameBitmap()
{
    const int frame = g_appState.currentFrame;
    return frame >= 0 && frame < g_appState.frameCount ? g_appState.frameBitmaps[frame] : nullptr;
}

// Below 256 colours the pen colour is replaced by the one picked in the
// 16-cell dialog, which ends with that palette index (-1 when cancelled);
// otherwise the replace dialog edits the settings, starting from the pen colour.
int ReplaceColorCommand(const FrameArea& area)
{
    const int pen = g_appState.toolColors.penColorIndex;
    if (g_appState.colorCount < COLORS_256) {
        const INT_PTR chosen = RunDialog(IDD_REPLACE_CURRENT_COLOR, g_appState.mainWindow, pen);
        if (chosen < 0 || chosen == pen) return 0;
        return ReplaceColorInFrames(PALETTEINDEX(pen), PALETTEINDEX(static_cast<WORD>(chosen)), area.x, area.y,
                                    area.width, area.height, 0);
    }
    ColorReplaceSettings& s = g_colorReplaceSettings;
    s.x = area.x;
    s.y = area.y;
    s.width = area.width;
    s.height = area.height;
    s.sourceColor = GetToolColor(ROLE_PEN);
    if (g_appState.colorCount <= COLORS_256) s.flags &= ~REPLACE_BY_TOLERANCE;  // tolerances need true colour
    s.previewBitmap = CurrentFrameBitmap();
    const INT_PTR answer = RunDialog(IDD_REPLACE_COLOR, g_appState.mainWindow, reinterpret_cast<LPARAM>(&s));
    s.previewBitmap = nullptr;
    return answer > 0 ? ReplaceColorPass(&s, area.x, area.y, area.width, area.height) : 0;
}

int ColorCommand(UINT command)
{
    const FrameArea area = CommandArea();
    switch (command) {
    case IDM_REPLACE_COLOR: return ReplaceColorCommand(area);
    case IDM_ADJUST_COLORS: {
        ColorAdjustSettings& s = g_colorAdjustSettings;
        s.x = area.x;
        s.y = area.y;
        s.width = area.width;
        s.height = area.height;
        s.previewBitmap = CurrentFrameBitmap();
        const INT_PTR answer = RunDialog(IDD_ADJUST_COLORS, g_appState.mainWindow, reinterpret_cast<LPARAM>(&s));
        s.previewBitmap = nullptr;
        return answer > 0 ? AdjustColorsPass(&s) : 0;
    }
    case IDM_EFFECTS_CUSTOMIZED:
        if (RunDialog(IDD_EFFECTS, g_appState.mainWindow, reinterpret_cast<LPARAM>(&g_effectMatrix)) != IDOK) return 0;
        return ApplyEffectMatrix(area.x, area.y, area.width, area.height);
    default:
        if (!LoadEffectPreset(command)) return 0;
        return ApplyEffectMatrix(area.x, area.y, area.width, area.height);
    }
}

// ---- the clipboard commands ---------------------------------------------------------

// The selected area of the current frame (else the whole frame) as a bitmap
// of its own size; a lasso's outside gets the transparent colour.
HBITMAP CopyOfArea(const FrameArea& area)
{
    HBITMAP frame = g_appState.frameBitmaps[g_appState.currentFrame];
    HBITMAP copy = CreateFrameBitmap(area.width, area.height);
    if (!frame || !copy) {
        if (copy) DeleteObject(copy);
        return nullptr;
    }
    ReleaseFromWorkDcs(frame);
    DibPixels from(frame), to(copy);
    if (!from.Valid() || !to.Valid()) {
        DeleteObject(copy);
        return nullptr;
    }
    const AreaMask mask = LassoMaskOf(area);
    const uint32_t outside = TransparentValue(to);
    for (int row = 0; row < area.height; ++row)
        for (int column = 0; column < area.width; ++column) {
            const int x = area.x + column, y = area.y + row;
            to.Set(column, row, mask.At(column, row) && from.Inside(x, y) ? from.Get(x, y) : outside);
        }
    to.Commit();
    return copy;
}

int CopyCommand()
{
    HBITMAP copy = CopyOfArea(CommandArea());
    if (!copy) return ShowOutOfMemory();
    const int copied = CopyBitmapToClipboard(copy);
    DeleteObject(copy);
    return copied;
}

// The selected area (or the whole frame) of `frames` becomes the transparent colour.
int ClearFrames(bool allSelected)
{
    const FrameArea area = CommandArea();
    const AreaMask mask = LassoMaskOf(area);
    auto clear = [&](DibPixels& target, const DibPixels&) {
        const uint32_t value = TransparentValue(target);
        for (int row = 0; row < area.height; ++row)
            for (int column = 0; column < area.width; ++column)
                if (mask.At(column, row) && target.Inside(area.x + column, area.y + row))
                    target.Set(area.x + column, area.y + row, value);
        return true;
    };
    if (allSelected) return PaintSelectedFrames(true, clear) ? 1 : 0;
    // Cut: the current frame alone.
    if (!RecordUndo(UNDO_SAVE_FRAME | UNDO_SAVE_SELECTION, g_appState.currentFrame)) return 0;
    HBITMAP bitmap = g_appState.frameBitmaps[g_appState.currentFrame];
    ReleaseFromWorkDcs(bitmap);
    DibPixels target(bitmap);
    if (!target.Valid()) return 0;
    clear(target, target);
    target.Commit();
    if (g_paintHost.setFrameModified) g_paintHost.setFrameModified(g_appState.currentFrame);
    if (g_paintHost.updateFilmThumbnail) g_paintHost.updateFilmThumbnail(0);
    InvalidateFrameEditor(1);
    return 1;
}

// A new frame (at the end, or with Ctrl at the current place) shows the
// clipboard image; it goes again when the paste fails.
int PasteIntoSequence(WPARAM keys)
{
    if (!IsClipboardImageAvailable()) return 0;
    const int before = g_appState.frameCount;
    if (!AddOrInsertFrame((keys & MK_CONTROL) ? IDM_INSERT_FRAME : IDM_ADD_EMPTY_FRAME, 0)) return 0;
    const int frame = (keys & MK_CONTROL) ? g_appState.currentFrame : g_appState.frameCount - 1;
    CancelToolOperation();
    ReleaseFromWorkDcs(g_appState.frameBitmaps[frame]);
    if (!PasteClipboardIntoFrame(g_appState.frameBitmaps[frame])) {
        if (g_appState.frameCount > before) {
            RemoveFrame(frame);
            g_appState.currentFrame = std::min(g_appState.currentFrame, g_appState.frameCount - 1);
            SetFrameCount(g_appState.frameCount);
            RefreshAfterFrameChange();
        }
        return 0;
    }
    if (g_paintHost.setFrameModified) g_paintHost.setFrameModified(frame);
    if (g_paintHost.updateFilmThumbnail) g_paintHost.updateFilmThumbnail(1);
    InvalidateFrameEditor(1);
    return 1;
}

}  // namespace

int DoEditCommand(UINT command, WPARAM keys)
{
    if (command == IDM_UNDO || command == IDM_REPEAT) {
        if (!UndoRedo(command == IDM_UNDO ? 1 : -1)) return 0;
        MarkSelectedFramesModified();
        if (g_paintHost.updateFilmThumbnail) g_paintHost.updateFilmThumbnail(1);
        InvalidateFrameEditor(1);
        return 1;
    }
    if (g_appState.frameCount <= 0) return 0;
    int result = 0;
    switch (command) {
    case IDM_COPY: result = CopyCommand(); break;
    case IDM_CUT: result = CopyCommand() && ClearFrames(false); break;
    case IDM_CLEAR:
        result = ClearFrames(true);
        ClearFrameSelectionIfAuto();
        break;
    case IDM_PASTE_INTO_SEQUENCE: result = PasteIntoSequence(keys); break;
    default: return 0;
    }
    if (g_paintHost.updateMenuStates && command != IDM_CLEAR) g_paintHost.updateMenuStates();
    return result;
}

// ---- renumbering ---------------------------------------------------------------------

int RenumberFrameIndex(int index, FrameRenumber kind, int a, int b, int frameCount)
{
    switch (kind) {
    case RENUMBER_INSERT: return index >= a ? index + 1 : index;
    case RENUMBER_DELETE: return index >= std::max(a, 1) && index <= frameCount ? index - 1 : index;
    case RENUMBER_MOVE:
        if (index == a) return b;
        if (a < b && index > a && index <= b) return index - 1;
        if (a > b && index >= b && index < a) return index + 1;
        return index;
    case RENUMBER_SWAP: return index == a ? b : index == b ? a : index;
    }
    return index;
}

void RenumberStepLists(FrameRenumber kind, int a, int b, int frameCount)
{
    const int current = g_document.currentObject;
    if (current < 0 || current >= g_document.objectCount) return;
    const uint8_t sequence = g_document.objectTable[current].sequenceIndex;
    for (int object = 0; object < g_document.objectCount && object < MAX_PLAYER_OBJECTS; ++object) {
        if (g_document.objectTable[object].sequenceIndex != sequence) continue;
        HGLOBAL block = g_document.objectMemoryHandles[object][0];
        const int count = g_document.objectTable[object].stepCount;
        if (!block || count <= 0) continue;
        const SIZE_T room = GlobalSize(block) / sizeof(ObjectStep);
        auto* steps = static_cast<ObjectStep*>(GlobalLock(block));
        if (!steps) continue;
        bool changed = false;
        for (int i = 0; i < count && static_cast<SIZE_T>(i) < room; ++i) {
            const int to = RenumberFrameIndex(steps[i].frameIndex, kind, a, b, frameCount);
            if (to != steps[i].frameIndex && to >= 0 && to < MAX_FRAME_BITMAPS) {
                steps[i].frameIndex = static_cast<uint8_t>(to);
                changed = true;
            }
        }
        GlobalUnlock(block);
        if (changed && g_document.animationState >= 0) g_document.animationState |= DOC_MODIFIED;
    }
}

void RemapFrameRefsOnMove(int from, int to, int swap)
{
    RenumberStepLists(swap ? RENUMBER_SWAP : RENUMBER_MOVE, from, to, g_appState.frameCount);
}

int MoveOrSwapFrame(int from, int to, int swap)
{
    const int count = g_appState.frameCount;
    if (from == to || from < 0 || to < 0 || from >= count || to >= count) return 0;
    ClearUndo();
    if (swap) {
        const FrameSlot a = TakeSlot(from);
        PutSlot(from, TakeSlot(to));
        PutSlot(to, a);
    } else {
        const FrameSlot moved = TakeSlot(from);
        if (from < to)
            for (int i = from; i < to; ++i) PutSlot(i, TakeSlot(i + 1));
        else
            for (int i = from; i > to; --i) PutSlot(i, TakeSlot(i - 1));
        PutSlot(to, moved);
    }
    RemapFrameRefsOnMove(from, to, swap);
    MarkSequenceModified();
    RefreshAfterFrameChange();
    return 1;
}

// ---- the commands -----------------------------------------------------------------------

WPARAM HeldCommandKeys()
{
    WPARAM keys = 0;
    if (GetKeyState(VK_SHIFT) & 0x8000) keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) & 0x8000) keys |= MK_CONTROL;
    return keys;
}

int DoFrameCommand(UINT command, WPARAM keys)
{
    if (g_appState.frameCount <= 0) return 0;
    switch (command) {
    case IDM_ADD_EMPTY_FRAME:
    case IDM_APPEND_FRAMES:
    case IDM_INSERT_FRAME:
    case IDM_INSERT_COPY: return AddOrInsertFrame(command, keys);
    case IDM_DELETE_FRAME: return DeleteSelectedFrames();
    case IDM_SWAP_FRAME: g_appState.framePickMode = 1; return 1;
    case IDM_MOVE_FRAME: g_appState.framePickMode = 0x42; return 1;
    case IDM_CHANGE_FORMAT: return ChangeFormatCommand(g_appState.mainWindow);
    default: return 0;
    }
}

int DoImageCommand(UINT command, WPARAM keys)
{
    if (g_appState.frameCount <= 0) return 0;
    int result = 0;
    switch (command) {
    case IDM_SCROLL_UP:
    case IDM_SCROLL_DOWN:
    case IDM_SCROLL_LEFT:
    case IDM_SCROLL_RIGHT: result = ShiftCommand(command, keys); break;
    case IDM_FLIP_HORIZONTAL:
    case IDM_FLIP_VERTICAL: result = FlipCommand(command == IDM_FLIP_HORIZONTAL); break;
    case IDM_ROTATE_RIGHT:
    case IDM_ROTATE_LEFT:
    case IDM_ROTATE: result = RotateCommand(command, keys); break;
    case IDM_REPLACE_COLOR:
    case IDM_ADJUST_COLORS: result = ColorCommand(command); break;
    default:
        if (command >= IDM_EFFECTS_FIRST && command <= IDM_EFFECTS_CUSTOMIZED) result = ColorCommand(command);
        else return 0;
        break;
    }
    if (g_selection.selectionOutlineShown) ClearFrameSelectionIfAuto();
    return result;
}

int SetRotationAngle(int degrees)
{
    StoreRotationAngle(degrees);
    SetRotationMenuTexts(degrees);
    return degrees;
}
