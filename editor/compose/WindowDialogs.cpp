// The registration of the window, region, path, sound and offset dialogs
// with the editor's dialog runner.
#include "WindowDialogs.h"
#include "DialogUtilities.h"
#include "resource.h"

void RegisterWindowDialogs()
{
    RegisterDialogProcedure(IDD_ANIMATION_WINDOW_SETTINGS, AnimationWindowSettingsDlgProc);
    RegisterDialogProcedure(IDD_ADDITIONAL_OPTIONS, AdditionalOptionsDlgProc);
    RegisterDialogProcedure(IDD_SELECT_SOUND, SelectSoundDlgProc);
    RegisterDialogProcedure(IDD_FRAME_OFFSETS, FrameOffsetsDlgProc);
    RegisterDialogProcedure(IDD_FOREGROUND_REGIONS, ForegroundRegionsDlgProc);
    RegisterDialogProcedure(IDD_ANIMATION_PATH, AnimationPathDlgProc);
    RegisterDialogProcedure(IDD_CHANGE_PATH, ChangePathDefinitionDlgProc);
    RegisterDialogProcedure(IDD_PATH_OPTIONS, PathOptionsDlgProc);
    RegisterDialogProcedure(IDD_ASSIGN_FRAMES, AssignPathFramesDlgProc);
}
