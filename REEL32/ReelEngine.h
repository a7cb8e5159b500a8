// The player engine: what a host (runtime player, screensaver, browser plug-in,
// player control, video export) calls. Every function that takes an animation
// handle locks it for the call and unlocks it before returning.
#pragma once
#include <windows.h>
#include <cstdint>

// An animation handle: a movable global block holding one AnimationContext.
typedef HGLOBAL HANIM;

// A memory source: the bytes of an animation, frame-sequence or picture file
// held in memory (normally a locked RCDATA resource of the host). Passed by
// pointer where a function's fromMemory argument (or ANIM_FROM_MEMORY) is set.
struct AnimMemorySource {
    const void* bytes;
    DWORD size;
};

// Finds the RCDATA resource of a built-in file: `name` is a resource name or a
// stored file name, whose bare part without its extension, upper-cased, names
// the resource ("star.bmx" -> "STAR"). FALSE when there is none.
BOOL FindAnimResource(HMODULE module, const char* name, AnimMemorySource* out);

// Create and reload flags.
constexpr DWORD ANIM_PALETTE_BY_DISPLAY = 0x80000000u;  // 256 entries above 7 bits per pixel, else 16
constexpr DWORD ANIM_PALETTE_16 = 0x40000000u;
constexpr DWORD ANIM_PALETTE_FROM_FILES = 0x20000000u;  // the largest colorCount of the sequences
constexpr DWORD ANIM_KEEP_FILE_BKCOLOR = 0x10000000u;
constexpr DWORD ANIM_RELOAD_REBUILD = 0x08000000u;
constexpr DWORD ANIM_RELOAD_KEEP = 0x04000000u;
constexpr DWORD ANIM_CLAMP_SIZE = 0x02000000u;
constexpr DWORD ANIM_FORCE_OFFSCREEN = 0x01000000u;
constexpr DWORD ANIM_FROM_MEMORY = 0x00800000u;         // source is an AnimMemorySource*

// GetAnimInfo query codes.
enum AnimInfoCode {
    ANIM_INFO_SIZE = 1,
    ANIM_INFO_PALETTE = 2,
    ANIM_INFO_COLORS = 3,
    ANIM_INFO_BRUSH = 4,
    ANIM_INFO_BKCOLOR = 5,
    ANIM_INFO_HIDE_CURSOR = 6,
    ANIM_INFO_FORCE_OFFSCREEN = 7,
    ANIM_INFO_SCREEN_SIZE = 8,
    ANIM_INFO_FLAG_80 = 9,
    ANIM_INFO_END_ACTION = 10,
    ANIM_INFO_NEXT_NAME = 11,
    ANIM_INFO_STYLE = 12,
    ANIM_INFO_EXSTYLE = 13,
    ANIM_INFO_DESKTOP_WINDOW = 14,
    ANIM_INFO_DESKTOP_BACKGROUND = 15,
    ANIM_INFO_POSITION_MODE = 16,
    ANIM_INFO_POSITION = 17,
    ANIM_INFO_FILE_SIZE = 18,
};

// Messages between the engine and its host's animation window.
constexpr UINT ANIM_CLOSE = 0x489;           // host -> window: end playback
constexpr UINT ANIM_SOUND_REQUEST = 0x500;   // wParam sound flags, lParam the sound's name or null (stop)
constexpr UINT ANIM_END_ANIMATION = 0x501;   // wParam end action 1 or 2 (else 0), lParam the following animation
constexpr UINT ANIM_OBJECT_MESSAGE = 0x502;  // wParam object index, lParam ANIM_OBJ_*
enum AnimObjectEvent { ANIM_OBJ_STARTED = 1, ANIM_OBJ_FINISHED = 2, ANIM_OBJ_STEP_EVENT = 3, ANIM_OBJ_CONTINUED = 4 };

// Sound flag bits above the system sound-play flags (ANIM_SOUND_WAVE,
// ANIM_SOUND_MIDI, ANIM_SOUND_ALL, ANIM_SOUND_DETECT): the sound output's.
#include "SoundOutput.h"

// LoadAnimBackground: take x, y or centre from the animation's settings.
constexpr int ANIM_USE_SETTINGS = -0x7FFF;

// SetAnimOrigin flags.
constexpr int ANIM_ORIGIN_X = 1;
constexpr int ANIM_ORIGIN_Y = 2;
constexpr int ANIM_ORIGIN_ERASE = 4;

// Start-up and shut-down. The hint picks the bitmap mode on displays above
// 7 bits per pixel: > 0 device-dependent bitmaps, 0 DIB sections, < 0 by the
// system version (every host passes -1).
int InitAnimEngine(int displayModeHint);
void ExitAnimEngine();

// The animation handle. source is a file name, or an AnimMemorySource* with
// ANIM_FROM_MEMORY; width and height <= 0 mean the animation's own size.
HANIM CreateAnimation(const void* source, int width, int height, COLORREF bkColor, DWORD flags);
HANIM ReloadAnimation(HANIM handle, const void* source, int width, int height, COLORREF bkColor, DWORD flags);
void DestroyAnimation(HANIM handle);

HPALETTE LoadAnimPalette(HANIM handle, const void* source, BOOL fromMemory);
int RealizeAnimPalette(HANIM handle, HWND window);
BOOL GetAnimBackgroundName(HANIM handle, char* buffer, BOOL fullPath);  // buffer of MAX_PATH
int LoadAnimBackground(HANIM handle, const void* source, int x, int y, int centre, BOOL fromMemory);
int GetAnimSequenceName(HANIM handle, int index, char* buffer, BOOL fullPath);  // buffer of MAX_PATH
int LoadAnimSequence(HANIM handle, int index, const void* source, BOOL fromMemory);
LONG_PTR GetAnimInfo(HANIM handle, int code);

// Playback entry points of the window side.
int AttachAnimation(HANIM handle, HWND window);
void StopAnimation(HANIM handle, HWND window);
void UpdateAnimWindow(HANIM handle, HWND window);
void PaintAnimation(HANIM handle, HDC dc, const RECT* rect);
int EraseAnimBackground(HANIM handle, HDC dc, const RECT* rect);
DWORD SetAnimOrigin(HANIM handle, HWND window, int x, int y, int flags);

// ---- the play loop ----
// Starts the clock: a 50 ms window timer in timer mode, else the fast mode's
// own WM_TIMER. 0 once the animation has ended.
int StartAnimation(HANIM handle, HWND window);
// One playback step: 1 stepped, 0 the animation has ended.
int StepAnimation(HANIM handle, HWND window);
// The WM_TIMER handler: step, redraw, and in fast mode pump the thread's
// messages for at least 25 ms and post the next WM_TIMER. The step's result.
int TickAnimation(HANIM handle, HWND window);
// The topmost running object under (x, y) of the picture, tested against its
// mask when pixelExact; -1 when none.
int HitTestObject(HANIM handle, int x, int y, BOOL pixelExact);

// Functions some hosts need: the runtime player's desktop snapshot, the
// screensaver's and the player control's drawing into the background, and the
// video export's access to the picture.
int CaptureDesktopBackground(HANIM handle, HWND window, int x, int y, BOOL moveBack);
HDC GetAnimDC(HANIM handle, BOOL create);
void ReleaseAnimDC(HANIM handle);
int RestartAnimation(HANIM handle, HWND window, BOOL rebuildBitmap, BOOL invalidate);
HBITMAP GetAnimBitmap(HANIM handle);
HPALETTE CreateDefaultPalette();

// ---- the animation window and the engine's sound ----

// The animation window's class. Its window longs, one LONG_PTR each (4 bytes
// in the 32-bit players, as they have always been).
#define ANIM_WINDOW_CLASS "ANIWNDCLASS"
constexpr int GWL_ANIM_HANDLE = 0;                     // the HANIM
constexpr int GWL_ANIM_RESERVED = sizeof(LONG_PTR);    // set to 0
constexpr int GWL_ANIM_UNUSED = 2 * sizeof(LONG_PTR);
constexpr int GWL_ANIM_HOOK = 3 * sizeof(LONG_PTR);    // the AnimHostHook or 0
constexpr int ANIM_WINDOW_EXTRA = 4 * sizeof(LONG_PTR);

// The host's hook: sees every message of the animation window first. It
// returns 0 to let the engine handle the message, -1 to have it passed to
// DefWindowProc only, anything else when it handled the message itself (the
// window procedure then returns 0). Once, right after creation, it is called
// with WM_INITDIALOG, the HANIM and the wndFlags.
typedef int (CALLBACK* AnimHostHook)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// CreateAnimWindow's wndFlags.
constexpr DWORD ANIM_WND_PLACE = 0x01;           // place by the animation's position mode
constexpr DWORD ANIM_WND_SIZE_FROM_ANIM = 0x02;  // client size = the picture size
constexpr DWORD ANIM_WND_FILE_STYLE = 0x04;      // the file's style only (wins over 0x08)
constexpr DWORD ANIM_WND_OR_STYLE = 0x08;        // the caller's style ORed with the file's
constexpr DWORD ANIM_WND_NO_EXSTYLE = 0x10;      // no extended style (else the file's)
constexpr DWORD ANIM_WND_SIZE_BY_MODE = 0x20;    // client size = the animation's own size

// ControlAnimSound's actions.
constexpr int ANIM_SOUND_STOP = 0;
constexpr int ANIM_SOUND_PAUSE = 1;
constexpr int ANIM_SOUND_RESUME = 2;

// The class and its windows. The instance given at registration creates the
// windows; the icon may come from the host's resources.
ATOM RegisterAnimWindowClass(HINSTANCE instance, HICON icon);
void UnregisterAnimWindowClass(HINSTANCE instance);
// A window showing the animation (attached, not started); null on failure.
HWND CreateAnimWindow(HANIM handle, DWORD style, int x, int y, int width, int height, HWND parent,
                      DWORD wndFlags, AnimHostHook hook);
// Resumes the window's sounds and starts the clock: StartAnimation's result,
// 0 without a handle.
int StartAnimWindow(HWND window);
// Pauses the window's sounds and stops the clock.
void StopAnimWindow(HWND window);
HANIM GetAnimHandle(HWND window);
// A host that moves an animation to another window clears the old window's
// handle first.
void SetAnimHandle(HWND window, HANIM handle);
// Scrolls the picture inside the window (scroll bar code and thumb position as
// WM_HSCROLL and WM_VSCROLL give them).
void ScrollAnimWindow(HWND window, int code, int position, BOOL vertical);
LRESULT CALLBACK AnimWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sound requests of the animation window (ANIM_SOUND_REQUEST): plays the named
// sound, or with a null name stops the kinds in soundFlags that this window
// plays. Returns the animation's new soundState (with a null handle: what
// playing or stopping gave).
int HandleAnimSoundRequest(HANIM handle, HWND window, const char* name, UINT soundFlags, int repeat);
// Stops, pauses or resumes the kinds that the window plays: 1, or 0 for an
// unknown action.
int ControlAnimSound(HANIM handle, HWND window, UINT kinds, int action);
// MM_MCINOTIFY: repeats a looping sound or closes its device. The device's
// kind, with bit 0 set when the device is now closed; 0 for an unknown device.
int HandleAnimMciNotify(HANIM handle, HWND window, WPARAM wParam, LPARAM lParam);

// The play loop's clock, which the window drives: StartAnimation on
// StartAnimWindow, TickAnimation on every WM_TIMER.
int StartAnimation(HANIM handle, HWND window);
int TickAnimation(HANIM handle, HWND window);
