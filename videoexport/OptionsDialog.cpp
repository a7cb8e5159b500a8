// The options dialog "AVI-Export" (AviOptionDlg): rate, length and spacing
// of the frames, compression, colour depth and the sound format. The AVI
// file is created while it opens, so that a compressor can be chosen for it.
#include "ExportLibrary.h"
#include <cerrno>
#include <cstdlib>

namespace {

// What the dialog works on: the caller's record, and whether the file in it
// was created here (Cancel removes it again).
struct OptionsDialogState {
    AviExportOptions* options;
    bool createdFile;
};

constexpr int AUDIO_CONTROLS[] = {IDC_RESOLUTION_LABEL, IDC_8BIT, IDC_16BIT, IDC_CHANNELS_LABEL, IDC_MONO,
                                  IDC_STEREO, IDC_RATE_LABEL, IDC_RATE_11K, IDC_RATE_22K, IDC_RATE_44K};

OptionsDialogState* StateOf(HWND dialog)
{
    return reinterpret_cast<OptionsDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void EnableAudioControls(HWND dialog, bool enable)
{
    for (int id : AUDIO_CONTROLS) EnableWindow(GetDlgItem(dialog, id), enable);
}

bool CreateFileForDialog(HWND dialog, OptionsDialogState* state)
{
    AviExportOptions* o = state->options;
    if (!o->aviPath || o->aviFile) return true;
    VideoParameters parameters{};
    parameters.trueColour = (o->flags & AVI_EXPORT_KEEP_DEPTH) != 0;
    // A name too long for a path is refused whole, never cut to another file's name.
    if (lstrlenA(o->aviPath) < MAX_PATH) o->aviFile = CreateAviFile(o->aviPath, &parameters, nullptr);
    if (!o->aviFile) {
        ShowExportMessage(dialog, IDS_CREATE_ERROR, o->aviPath, MB_ICONERROR);
        return false;
    }
    state->createdFile = true;
    return true;
}

void ShowOptions(HWND dialog, const AviExportOptions& o)
{
    int framesPerSec = o.framesPerSec;
    framesPerSec = framesPerSec < 1 ? 1 : (framesPerSec > MAX_FRAMES_PER_SEC ? MAX_FRAMES_PER_SEC : framesPerSec);
    SetDlgItemInt(dialog, IDC_FRAMES_PER_SEC, framesPerSec, TRUE);
    SetDlgItemInt(dialog, IDC_MAX_FRAMES, o.maxFrames < MIN_MAX_FRAMES ? MIN_MAX_FRAMES : o.maxFrames, FALSE);
    SetDlgItemInt(dialog, IDC_SAVE_EVERY, o.saveEvery < 1 ? 1 : o.saveEvery, TRUE);
    CheckRadioButton(dialog, IDC_8BIT, IDC_16BIT, (o.flags & AVI_EXPORT_16BIT) ? IDC_16BIT : IDC_8BIT);
    CheckRadioButton(dialog, IDC_MONO, IDC_STEREO, (o.flags & AVI_EXPORT_STEREO) ? IDC_STEREO : IDC_MONO);
    const int rate = o.samplesPerSec == 44100 ? IDC_RATE_44K : (o.samplesPerSec == 22050 ? IDC_RATE_22K : IDC_RATE_11K);
    CheckRadioButton(dialog, IDC_RATE_11K, IDC_RATE_44K, rate);
    const bool sound = (o.flags & AVI_EXPORT_SOUND) != 0;
    CheckDlgButton(dialog, IDC_NO_SOUND, sound ? BST_UNCHECKED : BST_CHECKED);
    EnableAudioControls(dialog, sound);
}

BOOL OnInitDialog(HWND dialog, OptionsDialogState* state)
{
    CenterOverOwner(dialog, GetWindow(dialog, GW_OWNER));
    AviExportOptions* o = state->options;
    if (o->framesPerSec == 0) o->framesPerSec = DEFAULT_FRAMES_PER_SEC;
    if (o->maxFrames == 0) o->maxFrames = DEFAULT_MAX_FRAMES;
    if (o->saveEvery == 0) o->saveEvery = DEFAULT_SAVE_EVERY;
    if (o->flags == 0) o->flags = AVI_EXPORT_DEFAULT_FLAGS;
    if (o->samplesPerSec == 0) o->samplesPerSec = DEFAULT_SAMPLES_PER_SEC;
    if (!CreateFileForDialog(dialog, state)) {
        // Without its state the dialog ignores every command until it goes.
        EndDialog(dialog, 0);
        return TRUE;
    }
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    EnableWindow(GetDlgItem(dialog, IDC_COMPRESSION), o->aviPath != nullptr);
    // Without wave sounds there is nothing to put into a sound stream.
    if (o->wavSoundCount == 0) o->flags &= ~AVI_EXPORT_SOUND;
    ShowOptions(dialog, *o);
    if (o->wavSoundCount == 0) EnableWindow(GetDlgItem(dialog, IDC_NO_SOUND), FALSE);
    // On a palette display every picture has 8 bits or fewer: nothing to convert.
    if (DisplayBitsPerPixel() < 9) EnableWindow(GetDlgItem(dialog, IDC_CONVERT_8BPP), FALSE);
    else CheckDlgButton(dialog, IDC_CONVERT_8BPP, (o->flags & AVI_EXPORT_KEEP_DEPTH) ? BST_UNCHECKED : BST_CHECKED);
    return TRUE;
}

// Reads a number field: blanks around a decimal number with an optional
// sign. Anything else, or a value out of range, gives the field its default
// back.
bool ReadField(HWND dialog, int id, int low, int high, int fallback, int* value)
{
    char text[32] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    char* end = nullptr;
    errno = 0;
    const long read = strtol(text, &end, 10);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    if (end != text && end && *end == '\0' && errno == 0 && read >= low && read <= high) {
        *value = static_cast<int>(read);
        return true;
    }
    SetDlgItemInt(dialog, id, fallback, TRUE);
    return false;
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void OnStart(HWND dialog, OptionsDialogState* state)
{
    int framesPerSec = 0, maxFrames = 0, saveEvery = 0;
    bool ok = ReadField(dialog, IDC_FRAMES_PER_SEC, 1, MAX_FRAMES_PER_SEC, DEFAULT_FRAMES_PER_SEC, &framesPerSec);
    ok &= ReadField(dialog, IDC_MAX_FRAMES, MIN_MAX_FRAMES, MAX_MAX_FRAMES, DEFAULT_MAX_FRAMES, &maxFrames);
    ok &= ReadField(dialog, IDC_SAVE_EVERY, 1, MAX_SAVE_EVERY, DEFAULT_SAVE_EVERY, &saveEvery);
    if (!ok) {
        MessageBeep(0);
        return;
    }
    AviExportOptions* o = state->options;
    o->framesPerSec = static_cast<int16_t>(framesPerSec);
    o->maxFrames = static_cast<uint16_t>(maxFrames);
    o->saveEvery = static_cast<int16_t>(saveEvery);
    uint32_t flags = 0;
    if (!Checked(dialog, IDC_NO_SOUND)) flags |= AVI_EXPORT_SOUND;
    if (Checked(dialog, IDC_STEREO)) flags |= AVI_EXPORT_STEREO;
    if (Checked(dialog, IDC_16BIT)) flags |= AVI_EXPORT_16BIT;
    if (!Checked(dialog, IDC_CONVERT_8BPP)) flags |= AVI_EXPORT_KEEP_DEPTH;
    o->flags = flags;
    o->samplesPerSec = Checked(dialog, IDC_RATE_44K) ? 44100 : (Checked(dialog, IDC_RATE_22K) ? 22050 : 11025);
    EndDialog(dialog, 1);
}

void OnCancel(HWND dialog, OptionsDialogState* state)
{
    AviExportOptions* o = state->options;
    if (state->createdFile && o->aviFile) {
        CloseAviFile(o->aviFile);
        o->aviFile = nullptr;
        DeleteFileA(o->aviPath);
        state->createdFile = false;
    }
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) return OnInitDialog(dialog, reinterpret_cast<OptionsDialogState*>(lParam));
    OptionsDialogState* state = StateOf(dialog);
    if (message != WM_COMMAND || !state) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnStart(dialog, state);
        return TRUE;
    case IDCANCEL:
        OnCancel(dialog, state);
        return TRUE;
    case IDC_NO_SOUND:
        EnableAudioControls(dialog, !Checked(dialog, IDC_NO_SOUND));
        return TRUE;
    case IDC_COMPRESSION:
        if (state->options->aviFile) ShowCompressOptionsDlg(state->options->aviFile, dialog);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI AviOptionDlg(HWND parent, AviExportOptions* options)
{
    if (!options || options->size != sizeof(AviExportOptions)) {
        ShowExportMessage(parent, IDS_UNKNOWN_ERROR, "AVI-Export", MB_ICONERROR);
        return 0;
    }
    OptionsDialogState state{options, false};
    const INT_PTR result = DialogBoxParamA(ExportModule(), MAKEINTRESOURCEA(IDD_AVI_EXPORT), parent,
                                           OptionsDialogProc, reinterpret_cast<LPARAM>(&state));
    return result == 1 ? 1 : 0;
}
