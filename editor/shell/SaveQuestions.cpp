// The questions asked before changes are discarded (New, Open, Close, Quit,
// a recent file, another sequence), and the "Save changes" dialog.
#include "DialogUtilities.h"
#include "DocumentCommon.h"
#include "DocumentModel.h"
#include "ResultCodes.h"
#include "resource.h"

namespace {

// Which question a sequence state s (-1..1) and a mode m (-2..1) call for:
// entry s + 3 m + 7.
const SaveQuestion kSaveQuestions[] = {
    ASK_FRAMES,    ASK_NOTHING, ASK_SEQUENCE,  // m -2: s -1, 0, 1
    ASK_BOTH,      ASK_ANIMATION, ASK_BOTH,    // m -1
    ASK_SEQUENCE,  ASK_NOTHING, ASK_SEQUENCE,  // m 0
    ASK_BOTH,      ASK_ANIMATION, ASK_BOTH,    // m 1
};
constexpr int SAVE_QUESTION_COUNT = static_cast<int>(sizeof kSaveQuestions / sizeof kSaveQuestions[0]);
// From this many frames on one question for the sequence replaces one per frame.
constexpr int FRAMES_ASKED_ONE_BY_ONE = 16;
constexpr UINT QUESTION_STYLE = MB_YESNOCANCEL | MB_ICONQUESTION;
constexpr UINT CHOOSE_SAVE_DIALOG = 0x4000;

// The sequence goes to its own file, or through Save Sequence As when it has
// none (never saved, or last saved in another form). False when the user
// cancelled or the save failed (its message shown).
bool SaveSequenceNow(HWND owner)
{
    if (g_document.sequenceState < 0 || g_document.sequenceSaveFormat != SAVE_AS_SEQUENCE_FILE)
        return SaveSequenceAs(owner, CHOOSE_SAVE_DIALOG, g_appState.frameCount > 1) == RESULT_OK;
    const int result = SaveFrameSequence(g_document.sequencePath, GetSequenceTransparentCode(), 0);
    if (result != RESULT_OK) ShowErrorMessage(result);
    return result == RESULT_OK;
}

// The animation goes back through the image library format it came from, to
// its file, or through Save Animation As when it has none.
bool SaveAnimationNow(HWND owner)
{
    int result;
    if (g_document.conversionFormat) {
        result = g_appState.hooks.librarySave
                     ? g_appState.hooks.librarySave(owner, g_document.animationPath, g_document.conversionFormat, -1)
                     : RESULT_LIBRARY_ERROR;
        if (result == RESULT_OK) g_document.animationState = 0;
    } else if (IsAnimationUnnamed()) {
        return SaveAnimationAs(owner) == RESULT_OK;
    } else {
        result = SaveAnimation(g_document.animationPath);
    }
    if (result != RESULT_OK) ShowErrorMessage(result);
    return result == RESULT_OK;
}

}  // namespace

SaveQuestion ChooseSaveQuestion(int sequenceState, int mode)
{
    const int k = sequenceState + 3 * mode + 7;
    return k >= 0 && k < SAVE_QUESTION_COUNT ? kSaveQuestions[k] : ASK_NOTHING;
}

int QuerySaveChanges(HWND owner, int mode)
{
    if (g_appState.frameCount == 0) return 1;
    int s = g_document.sequenceState;
    if (g_document.conversionFormat) {
        const bool sequenceModified = s >= 0 && (s & DOC_MODIFIED);
        return (mode & 1) || sequenceModified ? QuerySaveAnimation(owner) : 1;
    }
    if (s == DOC_NONE) return 1;
    // Every other negative state is a sequence without a file of its own, as
    // is one last saved as single images or in a library format.
    s = s < 0 ? DOC_NEW : s & DOC_MODIFIED;
    if (mode >= -1 && g_document.sequenceSaveFormat != SAVE_AS_SEQUENCE_FILE) s = DOC_NEW;
    switch (ChooseSaveQuestion(s, mode)) {
    case ASK_FRAMES:
        return g_appState.frameCount >= FRAMES_ASKED_ONE_BY_ONE ? QuerySaveSequence(owner)
                                                                : QuerySaveFrames(owner, -1);
    case ASK_SEQUENCE: return QuerySaveSequence(owner);
    case ASK_ANIMATION: return QuerySaveAnimation(owner);
    case ASK_BOTH: return RunSaveChangesDialog(owner);
    default: return 1;
    }
}

int QuerySaveFrames(HWND owner, int index)
{
    const int first = index < 0 ? 0 : index;
    const int last = index < 0 ? g_appState.frameCount - 1 : index;
    for (int i = first; i <= last && i < g_appState.frameCount; ++i) {
        const FrameRecord& record = g_document.frameRecords[i];
        if (record.frameState == FRAME_UNSET || !(record.frameState & FRAME_MODIFIED)) continue;
        char pattern[MAX_PATH] = "", name[MAX_PATH];
        if (record.name) {
            lstrcpynA(pattern, record.name, MAX_PATH);
        } else {
            char text[RESOURCE_STRING_LENGTH];
            LoadResourceString(IDS_DEFAULT_FRAME_NAME, text);
            PathInCurrentDirectory(text, pattern);
        }
        FormatFrameFileName(name, MAX_PATH, pattern, i);
        switch (ShowStringMessage(owner, IDS_ASK_SAVE_FRAME, name, QUESTION_STYLE, i + 1)) {
        case IDYES: {
            const int result = SaveFrameFile(name, i, record.attribute);
            if (result != RESULT_OK) return ShowErrorMessage(result);
            break;
        }
        case IDNO: break;
        default: return 0;
        }
    }
    return 1;
}

int QuerySaveSequence(HWND owner)
{
    switch (ShowStringMessage(owner, IDS_ASK_SAVE_SEQUENCE, g_document.sequencePath, QUESTION_STYLE)) {
    case IDYES: return SaveSequenceNow(owner) ? 1 : 0;
    case IDNO: return 1;
    default: return 0;
    }
}

int QuerySaveAnimation(HWND owner)
{
    switch (ShowStringMessage(owner, IDS_ASK_SAVE_ANIMATION, g_document.animationPath, QUESTION_STYLE)) {
    case IDYES: return SaveAnimationNow(owner) ? 1 : 0;
    case IDNO: return 1;
    default: return 0;
    }
}

int RunSaveChangesDialog(HWND owner)
{
    const INT_PTR answer = RunDialog(IDD_SAVE_CHANGES, owner, 0);
    if (answer <= 0) return 0;
    // The sequence first: saving it may give it the name the animation refers to.
    if ((answer & 2) && !SaveSequenceNow(owner)) return 0;
    if ((answer & 4) && !SaveAnimationNow(owner)) return 0;
    return 1;
}

INT_PTR CALLBACK SaveChangesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CenterWindow(dialog);
        CheckDlgButton(dialog, IDC_SAVE_ANIMATION_DATA, BST_CHECKED);
        CheckDlgButton(dialog, IDC_SAVE_FRAME_SEQUENCE, BST_CHECKED);
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;  // the focus is set
    case WM_PAINT: {
        RECT client;
        GetClientRect(dialog, &client);
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(dialog, &paint);
        DrawIcon(dc, client.right / 15, client.bottom / 5, LoadIconA(nullptr, IDI_QUESTION));
        EndPaint(dialog, &paint);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SAVE_FRAME_SEQUENCE:
            CheckDlgButton(dialog, IDC_SAVE_FRAME_SEQUENCE,
                           IsDlgButtonChecked(dialog, IDC_SAVE_FRAME_SEQUENCE) ? BST_UNCHECKED : BST_CHECKED);
            return TRUE;
        case IDOK:
            EndDialog(dialog, 1 | (IsDlgButtonChecked(dialog, IDC_SAVE_FRAME_SEQUENCE) ? 2 : 0) |
                                  (IsDlgButtonChecked(dialog, IDC_SAVE_ANIMATION_DATA) ? 4 : 0));
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return DefaultCtlColor(message);
    }
}
