// "Zusatzoptionen" (1014): what happens when the animation ends (the
// following animation or program), the desktop modes, the palette source and
// the part-of-animation flag.
#include "ComposeCommon.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "WindowDialogResources.h"
#include "WindowDialogs.h"
#include "resource.h"
#include <cstring>

namespace {

constexpr uint8_t PALETTE_DEFAULT = 0x04;
constexpr uint8_t PALETTE_INDEX_MASK = 0xF8;
constexpr int PALETTE_INDEX_SHIFT = 3;
constexpr int FILE_LIMIT = 260;

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

int CheckedAction(HWND dialog)
{
    for (int action = 1; action <= 3; ++action)
        if (Checked(dialog, IDC_AO_LOAD_NEXT + action - 1)) return action;
    return 0;
}

void UpdateFileControls(HWND dialog)
{
    const bool action = CheckedAction(dialog) != 0;
    EnableWindow(GetDlgItem(dialog, IDC_AO_FILE_BUTTON), action);
    EnableWindow(GetDlgItem(dialog, IDC_AO_FILE), action);
}

// The radios work as one group that can be emptied: a click on the checked
// one leaves none.
void ClickEndAction(HWND dialog, int id)
{
    const int previous = static_cast<int>(GetWindowLongPtrA(dialog, DWLP_USER));
    const int action = id - IDC_AO_LOAD_NEXT + 1;
    const int now = previous == action ? 0 : action;
    for (int i = 1; i <= 3; ++i) CheckDlgButton(dialog, IDC_AO_LOAD_NEXT + i - 1, i == now ? BST_CHECKED : BST_UNCHECKED);
    SetWindowLongPtrA(dialog, DWLP_USER, now);
    UpdateFileControls(dialog);
}

bool ChooseEndFile(HWND dialog, int action, char* path)
{
    int type = 0;
    const UINT title = action == 3 ? IDS_TITLE_PROGRAM : IDS_TITLE_FOLLOWING;
    const UINT types = action == 3 ? IDS_TYPE_PROGRAM : IDS_TYPE_ANIMATION_FILE;
    return g_appState.hooks.chooseFile && g_appState.hooks.chooseFile(dialog, 0, title, types, path, &type);
}

void AddPaletteItem(HWND combo, const char* text, int data)
{
    const auto item = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (item >= 0) SendMessageA(combo, CB_SETITEMDATA, item, data);
}

void FillPaletteCombo(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, IDC_AO_PALETTE);
    const AnimationSettings& s = g_document.animationSettings;
    char text[RESOURCE_STRING_LENGTH];
    LoadResourceString(IDS_STANDARD_PALETTE, text);
    AddPaletteItem(combo, text, PALETTE_ITEM_STANDARD);
    const bool picture = (s.backgroundColor & BACKGROUND_USE_IMAGE) != 0;
    if (picture) AddPaletteItem(combo, BareFileName(s.backgroundImage), PALETTE_ITEM_PICTURE);
    for (int i = 0; i < g_document.sequenceCount; ++i)
        if (g_document.sequenceTable[i].colorCount == 256)
            AddPaletteItem(combo, BareFileName(g_document.sequenceTable[i].fileName), i);
    int wanted = PALETTE_ITEM_STANDARD;
    if (!(s.paletteSource & PALETTE_DEFAULT)) {
        const int index = s.paletteSource >> PALETTE_INDEX_SHIFT;
        wanted = index == PALETTE_ITEM_PICTURE ? (picture ? PALETTE_ITEM_PICTURE : PALETTE_ITEM_STANDARD) : index;
    }
    const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    int chosen = 0;
    for (int i = 0; i < count; ++i)
        if (static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, i, 0)) == wanted) chosen = i;
    SendMessageA(combo, CB_SETCURSEL, chosen, 0);
}

BOOL InitAdditionalOptions(HWND dialog)
{
    const AnimationSettings& s = g_document.animationSettings;
    const int action = (s.playFlags & PLAY_END_ACTION_MASK) >> PLAY_END_ACTION_SHIFT;
    SetWindowLongPtrA(dialog, DWLP_USER, action);
    for (int i = 1; i <= 3; ++i) CheckDlgButton(dialog, IDC_AO_LOAD_NEXT + i - 1, i == action ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageA(dialog, IDC_AO_FILE, EM_LIMITTEXT, FILE_LIMIT, 0);
    char name[STORED_NAME_CHARS];
    CopyName(name, sizeof name, s.nextAnimation);
    SetDlgItemTextA(dialog, IDC_AO_FILE, name);
    FillPaletteCombo(dialog);
    CheckDlgButton(dialog, IDC_AO_DESKTOP_PICTURE, (s.playFlags & PLAY_DESKTOP_BACKGROUND) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_AO_IN_BACKGROUND, (s.playFlags & PLAY_IN_DESKTOP) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_AO_PART_ONLY, (s.paletteSource & PALETTE_PART_ONLY) ? BST_CHECKED : BST_UNCHECKED);
    UpdateFileControls(dialog);
    CenterWindow(dialog);
    SetFocus(GetDlgItem(dialog, IDOK));
    return FALSE;
}

// OK: false keeps the dialog open (a file of the wrong kind and the chooser
// cancelled).
bool ApplyAdditionalOptions(HWND dialog)
{
    AnimationSettings s = g_document.animationSettings;
    const int action = CheckedAction(dialog);
    s.playFlags = static_cast<uint8_t>((s.playFlags & ~PLAY_END_ACTION_MASK) | (action << PLAY_END_ACTION_SHIFT));
    if (action) {
        char path[FILE_LIMIT + 1] = "";
        GetDlgItemTextA(dialog, IDC_AO_FILE, path, sizeof path);
        char chosen[MAX_PATH];
        if (!EndActionNameFits(action, path)) {
            lstrcpynA(chosen, path, sizeof chosen);
            if (!ChooseEndFile(dialog, action, chosen)) {
                MessageBeep(0);
                return false;
            }
            lstrcpynA(path, chosen, sizeof path);
        }
        ShortenStoredPath(s.nextAnimation, path);
    } else {
        memset(s.nextAnimation, 0, sizeof s.nextAnimation);
    }
    s.playFlags = static_cast<uint8_t>(Checked(dialog, IDC_AO_DESKTOP_PICTURE) ? s.playFlags | PLAY_DESKTOP_BACKGROUND
                                                                                : s.playFlags & ~PLAY_DESKTOP_BACKGROUND);
    s.playFlags = static_cast<uint8_t>(Checked(dialog, IDC_AO_IN_BACKGROUND) ? s.playFlags | PLAY_IN_DESKTOP
                                                                              : s.playFlags & ~PLAY_IN_DESKTOP);
    HWND combo = GetDlgItem(dialog, IDC_AO_PALETTE);
    const auto item = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (item >= 0) s.paletteSource = PaletteSourceForChoice(s.paletteSource, static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, item, 0)));
    s.paletteSource = static_cast<uint8_t>(Checked(dialog, IDC_AO_PART_ONLY) ? s.paletteSource | PALETTE_PART_ONLY
                                                                              : s.paletteSource & ~PALETTE_PART_ONLY);
    g_document.animationSettings = s;
    MarkAnimationModified();
    return true;
}

BOOL OnAdditionalCommand(HWND dialog, int id)
{
    switch (id) {
    case IDC_AO_LOAD_NEXT:
    case IDC_AO_LOAD_NEW_WINDOW:
    case IDC_AO_START_PROGRAM: ClickEndAction(dialog, id); return TRUE;
    case IDC_AO_FILE_BUTTON: {
        char path[MAX_PATH] = "";
        GetDlgItemTextA(dialog, IDC_AO_FILE, path, sizeof path);
        if (ChooseEndFile(dialog, CheckedAction(dialog), path)) SetDlgItemTextA(dialog, IDC_AO_FILE, path);
        return TRUE;
    }
    case IDOK:
        if (ApplyAdditionalOptions(dialog)) EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
    }
}

}  // namespace

uint8_t PaletteSourceForChoice(uint8_t paletteSource, int choice)
{
    if (choice == PALETTE_ITEM_STANDARD) return static_cast<uint8_t>(paletteSource | PALETTE_DEFAULT);
    const int index = choice == PALETTE_ITEM_PICTURE ? PALETTE_ITEM_PICTURE : choice & 0x1F;
    return static_cast<uint8_t>((paletteSource & ~(PALETTE_DEFAULT | PALETTE_INDEX_MASK)) | (index << PALETTE_INDEX_SHIFT));
}

bool EndActionNameFits(int action, const char* name)
{
    char upper[MAX_PATH];
    lstrcpynA(upper, name, sizeof upper);
    CharUpperA(upper);
    return strstr(upper, action == 3 ? ".EXE" : ".ANS") != nullptr;
}

INT_PTR CALLBACK AdditionalOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return InitAdditionalOptions(dialog);
    case WM_COMMAND: return OnAdditionalCommand(dialog, LOWORD(wParam));
    default: return DefaultCtlColor(message);
    }
}
