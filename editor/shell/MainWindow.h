// The main window "Zelvo": its procedure, the command dispatch, the menu
// states, the context menus, the title and help.
#pragma once
#include "ZelvoExp32.h"  // AVI_EXPORT_DONE: the video export has ended
#include <windows.h>

constexpr int TOOL_BAR_AREA_HEIGHT = 66;  // the two tool bars above the workspace
constexpr int MAX_CONTEXT_ITEM_CHARS = 47;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// currentFrame += delta, wrapping at both ends; the views follow. The new
// frame, or -1 (and nothing changes) while there are no frames.
int StepCurrentFrame(int delta);
// The arithmetic of StepCurrentFrame.
int WrapFrame(int frame, int frameCount);
int SaveChanges(HWND owner);

void UpdateMenuStates();
void EnableDocumentCommands(HWND window, int grayed);
// The commands that need 256 colours or more follow the current colour format.
void EnableColorFormatCommands();
void UpdateMultiFrameMenus(int frameCount);
void SetSelectionState(int word);
int TestSelectionState(int mask);
void UpdateObjectMenus();
void UpdateAnimationMenus();
void UpdateAnimationChecks();
void UpdateSaveCommand();
void UpdateRunCommand();
void RadioCheckMenuRange(HMENU menu, UINT first, UINT last, UINT checked);

// ---- the rules behind the menu states, as plain decisions ----------------------------
bool SaveCommandEnabled(int frameCount, int sequenceState, int animationState, int currentFrameState);
// The checked item of 702..704 by the current object's flags; 0 for none.
UINT AnimationCheckFor(int animationState, int objectFlags);
bool NewObjectEnabled(int objectCount);
bool SelectObjectEnabled(int objectCount);

void BuildCanvasContextMenu(HMENU menu);
void BuildFilmContextMenu(HMENU menu);
void AppendMainMenuItem(HMENU menu, HMENU source, UINT id, UINT flags);
// The text of a menu item up to its first tab or backspace, at most 47 characters.
void ContextItemText(const char* menuText, char* out, int room);

// Items 521 and 520 read strings 502 and 503 with the rotation angle.
constexpr int DEFAULT_ROTATION_DEGREES = 90;
void SetRotationMenuTexts(int degrees);
// Undo (201) and Repeat (202) in the menu and on the tool bar.
void UpdateUndoCommands(int canUndo, int canRepeat);

// The client size of the test-run window by the animation's size mode AND 3:
// 1 the stored width and height, 2 the screen, otherwise the frame size.
SIZE GetAnimationWindowSize();
SIZE AnimationWindowSizeFor(const struct AnimationSettings& settings, SIZE frame, SIZE screen);

// Opens the test-run window "Animation" of the document (with the Control
// Center when asked), or brings up the one that exists. 1, or 0 after message
// 28675 when it cannot be created.
int ShowAnimationWindow(HWND owner, int withControlCenter);
// The commands that change the document are greyed while a test run lives.
void EnableDocumentMenus(bool enabled);
// The test-run window is gone: the commands are offered again.
void TestRunEnded();

void UpdateMainTitle();
// The title for a ShowPathInTitle value; `out` holds the base title on entry.
void AppendTitlePaths(char* out, int room, int showPath, const char* animationPath, int animationState,
                      const char* sequenceFile);
void ShowHelp(HWND window, UINT command, ULONG_PTR data);
// The help file beside the program: its path with ".hlp"; false without an extension.
bool HelpFilePath(const char* programPath, char* out, int room);

// Frame file names.
int GetFileNameOffset(const char* path);
void SetDefaultFrameFileName(int frame);
int GetFrameFileName(int frame, char* buffer, int room);
