// Exports animations through ZelvoExp32.dll beside this program, as the
// editor does, for the checks with independent readers (export_ffprobe.sh),
// and renders the engine's own pictures of the same steps to compare with.
//
//   ExportTool fixtures FOLDER
//     Writes the test animations: moving.ans (33 by 20, a red square moving
//     right over navy), sound.ans (the same with a step that plays tone.wav)
//     and midi.ans (a step that plays tune.mid).
//   ExportTool export ANIMATION OUT.avi FPS MAXFRAMES SAVEEVERY FLAGS RATE
//     Runs the options dialog with these values and full frames chosen, then
//     the export with the message loop until its notification. Exit code 0
//     when the notification says 1.
//   ExportTool reference ANIMATION STEPS PREFIX
//     The engine's picture after each step as PREFIX<step>.bmp (24 bits),
//     steps counted from 0.
#include "DialogTestHooks.h"
#include "EngineFixtures.h"
#include "FakeMciDevices.h"
#include "PackedDib.h"
#include "ReelEngine.h"
#include "ResultCodes.h"
#include "VfwTestSupport.h"
#include "ZelvoExp32.h"
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Fail(const std::string& what)
{
    fprintf(stderr, "ExportTool: %s\n", what.c_str());
    return 1;
}

// ---- fixtures ----

bool WriteMovingScene(const std::string& folder, const std::string& name, const char* sound, uint16_t soundFlags)
{
    AnimationFixture f(33, 20, RGB(0, 0, 128));
    SequenceSpec spec;
    spec.width = spec.height = 8;
    spec.frames = 1;
    spec.value = [](int, int, int) -> uint32_t { return static_cast<uint32_t>(StaticIndex(9, 256)); };
    if (WriteSequence(folder + "dot.bmx", spec) != RESULT_OK) return false;
    const int sequence = f.AddSequence("dot.bmx", 0x80, 256);
    f.t.objectTable[f.AddObject(sequence, 2, 4)].dx = 1;
    if (sound) {
        f.AddSound(sound, soundFlags);
        ObjectStep step{};
        step.x = 20;
        step.y = 10;
        step.waitCount = 250;
        step.soundIndex = 1;
        f.AddSteps(f.AddObject(sequence, 0, 0, OBJ_STEP_LIST), {step});
    }
    return f.Write(folder + name) == RESULT_OK;
}

int WriteFixtures(const std::string& folder)
{
    const bool ok = WriteMovingScene(folder, "moving.ans", nullptr, 0) &&
                    WriteMovingScene(folder, "sound.ans", "tone.wav", ANIM_SOUND_WAVE | SND_ASYNC) &&
                    WriteMovingScene(folder, "midi.ans", "tune.mid", ANIM_SOUND_MIDI) &&
                    WriteWholeFile(folder + "tune.mid", MinimalMidiFile());
    return ok ? 0 : Fail("cannot write the fixtures");
}

// ---- export ----

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == AVI_EXPORT_DONE) {
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeOwner()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnerProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ExportToolOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(0, "ExportToolOwner", "ExportTool", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300,
                                 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(owner, GWLP_USERDATA, -1);
    return owner;
}

int Export(char** argv)
{
    HMODULE library = LoadLibraryA("ZelvoExp32.dll");
    if (!library) return Fail("ZelvoExp32.dll cannot be loaded");
    auto optionDialog = reinterpret_cast<AviOptionDlgProc>(reinterpret_cast<void*>(GetProcAddress(library, "AviOptionDlg")));
    auto ansToAvi = reinterpret_cast<AnsToAviProc>(reinterpret_cast<void*>(GetProcAddress(library, "AnsToAvi")));
    if (!optionDialog || !ansToAvi) return Fail("an export is missing");
    const std::string animation = argv[2], avi = argv[3];
    AviExportOptions options;
    memset(&options, 0, sizeof options);
    options.size = sizeof options;
    options.framesPerSec = static_cast<int16_t>(atoi(argv[4]));
    options.maxFrames = static_cast<uint16_t>(atoi(argv[5]));
    options.saveEvery = static_cast<int16_t>(atoi(argv[6]));
    options.flags = static_cast<uint32_t>(strtoul(argv[7], nullptr, 0));
    options.samplesPerSec = static_cast<uint16_t>(atoi(argv[8]));
    // Without the sound flag the animation counts as one without wave sounds,
    // which the dialog turns into "No Sound" (flags 0 alone means the defaults).
    options.soundCount = options.wavSoundCount = (options.flags & AVI_EXPORT_SOUND) ? 1 : 0;
    options.aviPath = avi.c_str();
    HWND owner = MakeOwner();
    HWND optionsDialog = nullptr;
    {
        // The options as given, "Full Frames (Uncompressed)" chosen, Start.
        DialogAutoAnswer answer([&](HWND dialog) {
            if (GetDlgItem(dialog, 118) && GetDlgItem(dialog, 103)) {
                optionsDialog = dialog;
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(103, BN_CLICKED), 0);
                return;
            }
            ChooseCompressorIn(dialog, "Uncompressed");
            PostMessageA(optionsDialog, WM_COMMAND, IDOK, 0);
        });
        if (optionDialog(owner, &options) != 1) return Fail("the options dialog did not start");
    }
    ExportWindowParams window;
    memset(&window, 0, sizeof window);
    window.size = sizeof window;
    window.parent = owner;
    window.style = AVI_EXPORT_WINDOW_STYLE;
    window.notifyMessage = AVI_EXPORT_DONE;
    window.disableParent = 1;
    DialogAutoAnswer anyMessage(DialogAutoAnswer::PressButton(IDOK));
    if (!ansToAvi(&window, animation.c_str(), avi.c_str(), &options)) return Fail("the export did not start");
    if (!PumpUntil([owner] { return GetWindowLongPtrA(owner, GWLP_USERDATA) != -1; }, 120000))
        return Fail("no notification");
    const LONG_PTR result = GetWindowLongPtrA(owner, GWLP_USERDATA);
    PumpUntil([] { return false; }, 50);
    FreeLibrary(library);
    return result == 1 ? 0 : Fail("the export ended with " + std::to_string(result));
}

// ---- the engine's pictures ----

int CALLBACK QuietHook(HWND, UINT message, WPARAM, LPARAM)
{
    // The steps are driven here; sounds are not the picture's concern.
    return message == WM_TIMER || message == ANIM_SOUND_REQUEST || message == ANIM_END_ANIMATION ? 1 : 0;
}

bool WritePicture(HBITMAP picture, int width, int height, const std::string& path)
{
    BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    HGLOBAL dib = CreateImageDib(width, height, 24, nullptr, 0);
    if (!dib) return false;
    BITMAP b{};
    GetObject(picture, sizeof b, &b);
    HDC dc = CreateCompatibleDC(nullptr);
    int lines;
    {
        GlobalLockGuard<BYTE> p(dib);
        lines = GetDIBits(dc, picture, b.bmHeight - height, height, DibBits(p.get()),
                          reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    }
    DeleteDC(dc);
    const bool ok = lines == height && WriteDibAsBmp(path, dib);
    GlobalFree(dib);
    return ok;
}

int Reference(char** argv)
{
    InitAnimEngine(-1);
    RegisterAnimWindowClass(GetModuleHandleA(nullptr), nullptr);
    const std::string animation = argv[2], prefix = argv[4];
    const int steps = atoi(argv[3]);
    HANIM handle = CreateAnimation(animation.c_str(), 0, 0, 0,
                                   ANIM_PALETTE_BY_DISPLAY | ANIM_KEEP_FILE_BKCOLOR | ANIM_FORCE_OFFSCREEN);
    if (!handle) return Fail("the animation cannot be read");
    LoadAnimPalette(handle, nullptr, FALSE);
    char name[MAX_PATH];
    for (int i = 0; GetAnimSequenceName(handle, i, name, TRUE); ++i) LoadAnimSequence(handle, i, name, FALSE);
    HWND window = CreateAnimWindow(handle, WS_POPUP, 0, 0, 0, 0, nullptr, ANIM_WND_SIZE_FROM_ANIM, QuietHook);
    if (!window) return Fail("no window");
    const LONG_PTR size = GetAnimInfo(handle, ANIM_INFO_SIZE);
    for (int step = 0; step < steps; ++step) {
        TickAnimation(handle, window);
        if (!WritePicture(GetAnimBitmap(handle), LOWORD(size), HIWORD(size), prefix + std::to_string(step) + ".bmp"))
            return Fail("cannot write the picture of step " + std::to_string(step));
    }
    DestroyWindow(window);
    DestroyAnimation(handle);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "fixtures" && argc == 3) return WriteFixtures(std::string(argv[2]) + "\\");
    if (mode == "export" && argc == 9) return Export(argv);
    if (mode == "reference" && argc == 5) return Reference(argv);
    return Fail("usage: fixtures FOLDER | export ANIMATION AVI FPS MAX SAVE FLAGS RATE | reference ANIMATION STEPS PREFIX");
}
