// The options dialog "AVI-Export": its controls and texts, the defaults of
// zero fields, the ranges of the number fields, the sound and colour choices,
// and the AVI file it creates, keeps or removes.
#include "AnimationContext.h"
#include "DialogTestHooks.h"
#include "ExportTestSupport.h"
#include <gtest/gtest.h>
#include <functional>

namespace {

class ExportOptions_ : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library.started); }
    // Runs the dialog over the parent; `act` works on it once it is set up.
    int Run(AviExportOptions& options, const std::function<void(HWND)>& act)
    {
        DialogAutoAnswer answer([&](HWND dialog) {
            if (GetDlgItem(dialog, IDC_CONVERT_8BPP)) act(dialog);
        });
        const int result = AviOptionDlg(parent.hwnd, &options);
        dialogs = answer.Dialogs().size();
        return result;
    }
    ExportLibrarySession library;
    NotifiedParent parent;
    ScratchDir scratch;
    size_t dialogs = 0;
};

std::string Text(HWND dialog, int id) { return DialogItemText(dialog, id); }
bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
void Press(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// What a click does to a check box or a radio button of the dialog's groups.
void Click(HWND dialog, int id)
{
    const std::pair<int, int> groups[] = {{IDC_8BIT, IDC_16BIT}, {IDC_MONO, IDC_STEREO}, {IDC_RATE_11K, IDC_RATE_44K}};
    bool radio = false;
    for (const auto& g : groups)
        if (id >= g.first && id <= g.second) {
            CheckRadioButton(dialog, g.first, g.second, id);
            radio = true;
        }
    if (!radio) CheckDlgButton(dialog, id, IsChecked(dialog, id) ? BST_UNCHECKED : BST_CHECKED);
    Press(dialog, id);
}

AviExportOptions Blank(int wavSounds = 2)
{
    AviExportOptions o;
    memset(&o, 0, sizeof o);
    o.size = sizeof o;
    o.soundCount = static_cast<uint16_t>(wavSounds);
    o.wavSoundCount = static_cast<uint16_t>(wavSounds);
    return o;
}

TEST_F(ExportOptions_, TheTemplateHoldsEveryControlWithItsText)
{
    const struct {
        int id;
        const char* text;
    } controls[] = {
        {IDC_VIDEO_GROUP, "Video Settings"}, {IDC_COMPRESSION, "Compression..."}, {IDC_CONVERT_8BPP, "Convert to 8 bpp"},
        {IDC_AUDIO_GROUP, "Audio Settings"}, {IDC_NO_SOUND, "No Sound"}, {IDC_RESOLUTION_LABEL, "Resolution:"},
        {IDC_8BIT, "8 Bit"}, {IDC_16BIT, "16 Bit"}, {IDC_CHANNELS_LABEL, "Channels:"}, {IDC_MONO, "Mono"},
        {IDC_STEREO, "Stereo"}, {IDC_RATE_LABEL, "Sample rate:"}, {IDC_RATE_11K, "11 Khz"}, {IDC_RATE_22K, "22 Khz"},
        {IDC_RATE_44K, "44 Khz"}, {IDC_WAVE_NOTE, "Only sound effects in the WAV file format can be exported!"},
        {IDOK, "&Start Export..."}, {IDCANCEL, "&Cancel"},
    };
    AviExportOptions options = Blank();
    std::vector<std::string> statics;
    std::string caption;
    EXPECT_EQ(Run(options, [&](HWND dialog) {
                  char text[64];
                  GetWindowTextA(dialog, text, sizeof text);
                  caption = text;
                  for (const auto& c : controls) EXPECT_EQ(Text(dialog, c.id), c.text) << "control " << c.id;
                  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                      if (GetDlgCtrlID(child) == 0xFFFF || GetDlgCtrlID(child) == -1) {
                          GetWindowTextA(child, text, sizeof text);
                          statics.push_back(text);
                      }
                  Press(dialog, IDCANCEL);
              }),
              0);
    EXPECT_EQ(caption, "AVI-Export");
    EXPECT_EQ(statics, (std::vector<std::string>{"Playback rate", "Frames/sec", "Terminate after", "Frames",
                                                  "save every", ". frame"}));
}

TEST_F(ExportOptions_, ZeroFieldsShowTheDefaultsAndStartTakesThem)
{
    AviExportOptions options = Blank();
    EXPECT_EQ(Run(options, [&](HWND dialog) {
                  EXPECT_EQ(Text(dialog, IDC_FRAMES_PER_SEC), "12");
                  EXPECT_EQ(Text(dialog, IDC_MAX_FRAMES), "500");
                  EXPECT_EQ(Text(dialog, IDC_SAVE_EVERY), "1");
                  EXPECT_FALSE(IsChecked(dialog, IDC_NO_SOUND));
                  for (int id : {IDC_8BIT, IDC_MONO, IDC_RATE_11K}) EXPECT_TRUE(IsChecked(dialog, id)) << id;
                  for (int id : {IDC_16BIT, IDC_STEREO, IDC_RATE_22K, IDC_RATE_44K}) EXPECT_FALSE(IsChecked(dialog, id)) << id;
                  // The display here has more than 8 bits per pixel.
                  EXPECT_TRUE(IsEnabled(dialog, IDC_CONVERT_8BPP));
                  EXPECT_TRUE(IsChecked(dialog, IDC_CONVERT_8BPP));
                  // No file to compress into.
                  EXPECT_FALSE(IsEnabled(dialog, IDC_COMPRESSION));
                  Press(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(options.framesPerSec, 12);
    EXPECT_EQ(options.maxFrames, 500);
    EXPECT_EQ(options.saveEvery, 1);
    EXPECT_EQ(options.flags, AVI_EXPORT_SOUND);
    EXPECT_EQ(options.samplesPerSec, 11025);
    EXPECT_EQ(options.aviFile, nullptr);
}

// Values outside their ranges are shown within them.
TEST_F(ExportOptions_, StoredValuesAreShownWithinTheirRanges)
{
    AviExportOptions options = Blank();
    options.framesPerSec = 40;
    options.maxFrames = 3;
    options.saveEvery = -4;
    options.flags = AVI_EXPORT_SOUND | AVI_EXPORT_STEREO | AVI_EXPORT_16BIT | AVI_EXPORT_KEEP_DEPTH;
    options.samplesPerSec = 22050;
    Run(options, [&](HWND dialog) {
        EXPECT_EQ(Text(dialog, IDC_FRAMES_PER_SEC), "25");
        EXPECT_EQ(Text(dialog, IDC_MAX_FRAMES), "5");
        EXPECT_EQ(Text(dialog, IDC_SAVE_EVERY), "1");
        for (int id : {IDC_16BIT, IDC_STEREO, IDC_RATE_22K}) EXPECT_TRUE(IsChecked(dialog, id)) << id;
        EXPECT_FALSE(IsChecked(dialog, IDC_CONVERT_8BPP));
        Press(dialog, IDCANCEL);
    });
}

// Start with the number fields as typed: accepted values end the dialog,
// an empty or out-of-range field gets its default back and the dialog stays.
TEST_F(ExportOptions_, NumberFieldsOutsideTheirRangesAreResetAndTheDialogStays)
{
    const struct {
        const char *framesPerSec, *maxFrames, *saveEvery;
        bool accepted;
        const char *shownFps, *shownMax, *shownSave;  // after Start
    } cases[] = {
        {"12", "40000", "1", true, "12", "40000", "1"},
        {"1", "5", "99", true, "1", "5", "99"},
        {"25", "65530", "3", true, "25", "65530", "3"},
        {"0", "500", "1", false, "12", "500", "1"},
        {"26", "500", "1", false, "12", "500", "1"},
        {"", "500", "1", false, "12", "500", "1"},
        {"-3", "500", "1", false, "12", "500", "1"},
        {"12", "4", "1", false, "12", "500", "1"},
        {"12", "65531", "1", false, "12", "500", "1"},
        {"12", "500", "0", false, "12", "500", "1"},
        {"12", "500", "100", false, "12", "500", "1"},
        {"abc", "xyz", "1x", false, "12", "500", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.framesPerSec) + " / " + c.maxFrames + " / " + c.saveEvery);
        AviExportOptions options = Blank();
        const int result = Run(options, [&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_FRAMES_PER_SEC, c.framesPerSec);
            SetDlgItemTextA(dialog, IDC_MAX_FRAMES, c.maxFrames);
            SetDlgItemTextA(dialog, IDC_SAVE_EVERY, c.saveEvery);
            Press(dialog, IDOK);
            EXPECT_EQ(Text(dialog, IDC_FRAMES_PER_SEC), c.shownFps);
            EXPECT_EQ(Text(dialog, IDC_MAX_FRAMES), c.shownMax);
            EXPECT_EQ(Text(dialog, IDC_SAVE_EVERY), c.shownSave);
            // A refused Start leaves the record alone; Cancel ends the dialog.
            if (!c.accepted) {
                EXPECT_EQ(options.framesPerSec, 12);
                EXPECT_EQ(options.maxFrames, 500);
                Press(dialog, IDCANCEL);
            }
        });
        EXPECT_EQ(result, c.accepted ? 1 : 0);
        if (c.accepted) {
            EXPECT_EQ(options.framesPerSec, atoi(c.framesPerSec));
            EXPECT_EQ(options.maxFrames, atoi(c.maxFrames));
            EXPECT_EQ(options.saveEvery, atoi(c.saveEvery));
        }
    }
}

TEST_F(ExportOptions_, TheChosenSoundFormatAndDepthMakeTheFlags)
{
    const struct {
        std::vector<int> clicks;
        uint32_t flags;
        int samplesPerSec;
    } cases[] = {
        {{IDC_RATE_44K}, AVI_EXPORT_SOUND, 44100},
        {{IDC_RATE_22K, IDC_STEREO}, AVI_EXPORT_SOUND | AVI_EXPORT_STEREO, 22050},
        {{IDC_16BIT, IDC_CONVERT_8BPP}, AVI_EXPORT_SOUND | AVI_EXPORT_16BIT | AVI_EXPORT_KEEP_DEPTH, 11025},
        {{IDC_NO_SOUND, IDC_RATE_44K}, 0, 44100},
    };
    for (const auto& c : cases) {
        AviExportOptions options = Blank();
        Run(options, [&](HWND dialog) {
            for (int id : c.clicks) Click(dialog, id);
            Press(dialog, IDOK);
        });
        EXPECT_EQ(options.flags, c.flags);
        EXPECT_EQ(options.samplesPerSec, c.samplesPerSec);
    }
}

TEST_F(ExportOptions_, NoSoundDisablesTheAudioChoicesAndWithoutWaveSoundsIsForced)
{
    const int audio[] = {IDC_8BIT, IDC_16BIT, IDC_MONO, IDC_STEREO, IDC_RATE_11K, IDC_RATE_22K, IDC_RATE_44K};
    AviExportOptions options = Blank();
    Run(options, [&](HWND dialog) {
        Click(dialog, IDC_NO_SOUND);
        for (int id : audio) EXPECT_FALSE(IsEnabled(dialog, id)) << id;
        Click(dialog, IDC_NO_SOUND);
        for (int id : audio) EXPECT_TRUE(IsEnabled(dialog, id)) << id;
        Press(dialog, IDCANCEL);
    });

    AviExportOptions noWaves = Blank(0);
    noWaves.soundCount = 3;  // MIDI sounds only
    noWaves.flags = AVI_EXPORT_SOUND | AVI_EXPORT_STEREO;
    EXPECT_EQ(Run(noWaves, [&](HWND dialog) {
                  EXPECT_TRUE(IsChecked(dialog, IDC_NO_SOUND));
                  EXPECT_FALSE(IsEnabled(dialog, IDC_NO_SOUND));
                  for (int id : audio) EXPECT_FALSE(IsEnabled(dialog, id)) << id;
                  Press(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(noWaves.flags & AVI_EXPORT_SOUND, 0u);
}

TEST_F(ExportOptions_, OnAPaletteDisplayThereIsNothingToConvert)
{
    ExitAnimEngine();
    OverrideAnimDisplayDepth(8);
    InitAnimEngine(0);
    AviExportOptions options = Blank();
    Run(options, [&](HWND dialog) {
        EXPECT_FALSE(IsEnabled(dialog, IDC_CONVERT_8BPP));
        EXPECT_FALSE(IsChecked(dialog, IDC_CONVERT_8BPP));
        Press(dialog, IDOK);
    });
    OverrideAnimDisplayDepth(0);
    EXPECT_EQ(options.flags, AVI_EXPORT_SOUND | AVI_EXPORT_KEEP_DEPTH);
}

// With a path the file is created as the dialog opens, so a compressor can
// be chosen for it; Cancel removes it again, Start hands it on.
TEST_F(ExportOptions_, TheFileCreatedForTheDialogIsKeptOnStartAndRemovedOnCancel)
{
    for (bool start : {false, true}) {
        SCOPED_TRACE(start ? "start" : "cancel");
        const std::string path = scratch.File(start ? "started.avi" : "cancelled.avi");
        AviExportOptions options = Blank();
        options.aviPath = path.c_str();
        const int result = Run(options, [&](HWND dialog) {
            EXPECT_TRUE(FileExists(path));
            EXPECT_NE(options.aviFile, nullptr);
            EXPECT_TRUE(IsEnabled(dialog, IDC_COMPRESSION));
            Press(dialog, start ? IDOK : IDCANCEL);
        });
        EXPECT_EQ(result, start ? 1 : 0);
        EXPECT_EQ(FileExists(path), start);
        EXPECT_EQ(options.aviFile != nullptr, start);
        if (options.aviFile) {
            EXPECT_TRUE(CloseAviFile(options.aviFile));
        }
    }
}

TEST_F(ExportOptions_, CompressionOpensTheChooserForTheCreatedFile)
{
    const std::string path = scratch.File("chosen.avi");
    AviExportOptions options = Blank();
    options.aviPath = path.c_str();
    HWND optionsDialog = nullptr;
    std::string chooserOwner;
    DialogAutoAnswer answer([&](HWND dialog) {
        if (GetDlgItem(dialog, IDC_FRAMES_PER_SEC) && GetDlgItem(dialog, IDC_CONVERT_8BPP)) {
            optionsDialog = dialog;
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_COMPRESSION, BN_CLICKED), 0);
            return;
        }
        // The chooser: full frames, then Start in the options dialog.
        chooserOwner = GetWindow(dialog, GW_OWNER) == optionsDialog ? "options" : "other";
        ChooseCompressorIn(dialog, "Uncompressed");
        PostMessageA(optionsDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(AviOptionDlg(parent.hwnd, &options), 1);
    EXPECT_EQ(answer.Dialogs().size(), 2u);
    EXPECT_EQ(chooserOwner, "options");
    // The stream now takes full frames: set up and written as the export does it.
    ASSERT_NE(options.aviFile, nullptr);
    const TestFrame frame = MakeTestFrame(16, 8, 8, 3);
    VideoParameters parameters{10, static_cast<uint32_t>(frame.bits.size()), 16, 8, 0};
    ASSERT_TRUE(SetVideoParameters(options.aviFile, &parameters, VIDEO_PARAM_RATE | VIDEO_PARAM_FRAME | VIDEO_PARAM_BUFFER));
    ASSERT_TRUE(InitAviStreamWrite(options.aviFile, frame.Header(), frame.FormatSize(), TRUE));
    AviFrameWrite write{0, 1, const_cast<BYTE*>(frame.bits.data()), static_cast<int32_t>(frame.bits.size()), nullptr};
    EXPECT_TRUE(WriteAviFrame(options.aviFile, &write));
    EXPECT_TRUE(CloseAviFile(options.aviFile));
}

TEST_F(ExportOptions_, RecordsAndPathsThatCannotBeUsedGiveTheirMessages)
{
    // A folder where the file should be: no one can create it (a read-only
    // file would not stop the administrator the tests may run as).
    const std::string folder = scratch.File("a folder.avi");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string tooLong = scratch.File(std::string(280, 'a') + ".avi");
    const std::string noFolder = scratch.File("missing\\folder\\x.avi");
    const struct {
        const char* what;
        uint16_t size;
        const char* path;
        UINT message;
        const char* caption;
    } cases[] = {
        {"a record of another size", sizeof(AviExportOptions) - 1, nullptr, IDS_UNKNOWN_ERROR, "AVI-Export"},
        {"a record of size 0", 0, nullptr, IDS_UNKNOWN_ERROR, "AVI-Export"},
        {"a folder in the file's place", sizeof(AviExportOptions), folder.c_str(), IDS_CREATE_ERROR, folder.c_str()},
        {"a path of 260 characters and more", sizeof(AviExportOptions), tooLong.c_str(), IDS_CREATE_ERROR, tooLong.c_str()},
        {"a folder that does not exist", sizeof(AviExportOptions), noFolder.c_str(), IDS_CREATE_ERROR, noFolder.c_str()},
    };
    char text[128];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MessageBoxRecorder boxes;
        AviExportOptions options = Blank();
        options.size = c.size;
        options.aviPath = c.path;
        EXPECT_EQ(Run(options, [](HWND dialog) { Press(dialog, IDCANCEL); }), 0);
        EXPECT_EQ(options.aviFile, nullptr);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        LoadStringA(GetModuleHandleA(nullptr), c.message, text, sizeof text);
        EXPECT_EQ(boxes.Boxes()[0].text, text);
        EXPECT_EQ(boxes.Boxes()[0].caption, c.caption);
        EXPECT_EQ(boxes.Boxes()[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    }
    EXPECT_TRUE(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(ExportOptions_, TheMessagesAreTheLibrarysOwn)
{
    const struct {
        UINT id;
        const char* text;
    } strings[] = {
        {1000, "File not found!\r\nPlease ensure that all files required for the animation are in the same directory "
               "as the ANS-File\r\nIgnore Error?"},
        {1001, "Error creating file!"},
        {1002, "Unknown file format!"},
        {65524, "Error compressing frames. Please try again without compression."},
        {65525, "Unable to open file!"},
        {65526, "Error writing file! Please check whether there is sufficient hard disk space available."},
        {65527, "Error reading file!"},
        {65530, "Unknown Error!"},
        {65533, "Out of Memory!"},
    };
    char text[512];
    for (const auto& s : strings) {
        EXPECT_GT(LoadStringA(GetModuleHandleA(nullptr), s.id, text, sizeof text), 0) << s.id;
        EXPECT_STREQ(text, s.text) << s.id;
    }
    EXPECT_EQ(ExportErrorString(EXPORT_ERROR_WRITE), 65526u);
}

}  // namespace
