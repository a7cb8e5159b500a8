// The animated GIF dialogs answered in place of a person: "GIF -
// Importoptionen" for images of different sizes with each of its choices,
// "GIF-Animation" with its frames on the strip, its comment limit and the
// edits it keeps, and the preview in the browser through a stand-in program
// registered for "htmlfile".
#include "ConvResource.h"
#include "ConvTestSupport.h"
#include "DialogTestHooks.h"
#include "FrameHost.h"
#include "GifAnimation.h"
#include "GifTestFiles.h"
#include "PackedDib.h"
#include "ReelStrip.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// ---- "GIF - Importoptionen" -------------------------------------------------------------

// Three images of different sizes on a 10 x 8 screen.
Bytes DifferentSizes()
{
    GifFile f;
    f.Screen(10, 8, 0x87, 0, 256);
    f.Pixels(0, 0, 4, 2, Bytes(8, 1)).Pixels(2, 1, 6, 3, Bytes(18, 2)).Pixels(5, 5, 2, 2, Bytes(4, 3)).End();
    return f.bytes;
}

struct ImportCase {
    const char* name;
    int choice;  // a radio button, or IDCANCEL
    int listItem;
    int width, height;  // typed into the canvas fields
    int result;
    std::vector<std::pair<int, int>> frameSizes;
};

TEST(GifImportDialog, ListsTheImagesAndImportsAsChosen)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    const std::string path = dir.File("sizes.gif");
    WriteWholeFile(path, DifferentSizes());
    const ImportCase cases[] = {
        {"sequence", IDC_GIF_IMPORT_SEQUENCE, -1, 9, 8, CONV_OK, {{9, 8}, {9, 8}, {9, 8}}},
        // A canvas side under 8 is refused: the dialog stays until cancelled.
        {"small canvas", IDC_GIF_IMPORT_SEQUENCE, -1, 9, 7, CONV_CANCELLED, {}},
        {"one image", IDC_GIF_IMPORT_ONE, 1, 0, 0, CONV_OK, {{6, 3}}},
        {"assembled", IDC_GIF_IMPORT_ASSEMBLED, -1, 0, 0, CONV_OK, {{10, 8}}},
        {"cancel", IDCANCEL, -1, 0, 0, CONV_CANCELLED, {}},
    };
    for (const ImportCase& c : cases) {
        std::vector<std::string> lines;
        bool canvasEnabled = false;
        DialogAutoAnswer answer([&](HWND dialog) {
            HWND list = GetDlgItem(dialog, IDC_GIF_IMAGE_LIST);
            for (int i = 0; i < static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); ++i) {
                char text[128] = "";
                SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
                lines.push_back(text);
            }
            canvasEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_GIF_CANVAS_WIDTH)) != FALSE;
            if (c.width) {
                SetDlgItemInt(dialog, IDC_GIF_CANVAS_WIDTH, c.width, FALSE);
                SetDlgItemInt(dialog, IDC_GIF_CANVAS_HEIGHT, c.height, FALSE);
            }
            if (c.listItem >= 0) SendMessageA(list, LB_SETCURSEL, c.listItem, 0);
            if (c.choice != IDCANCEL)
                CheckRadioButton(dialog, IDC_GIF_IMPORT_SEQUENCE, IDC_GIF_IMPORT_ASSEMBLED, c.choice);
            // Cancel behind OK: a dialog that refuses OK ends all the same.
            if (c.choice != IDCANCEL) DialogAutoAnswer::PressButton(IDOK)(dialog);
            DialogAutoAnswer::PressButton(IDCANCEL)(dialog);
        });
        FrameHost host;
        BYTE code = 0;
        EXPECT_EQ(c.result, Conv().LoadConvImage(nullptr, path.c_str(), nullptr, &code, 0, FrameHost::Proc)) << c.name;
        ASSERT_EQ(1u, answer.Dialogs().size()) << c.name;
        EXPECT_EQ("GIF - Importoptionen", answer.Dialogs()[0].caption);
        EXPECT_EQ((std::vector<std::string>{"Frame 0: 4x2  256 Colors", "Frame 1: 6x3  256 Colors",
                                            "Frame 2: 2x2  256 Colors"}),
                  lines)
            << c.name;
        EXPECT_TRUE(canvasEnabled) << "the editor holds no frames";
        ASSERT_EQ(static_cast<int>(c.frameSizes.size()), host.FrameCount()) << c.name;
        for (int i = 0; i < host.FrameCount(); ++i) {
            GlobalLockGuard<BITMAPINFOHEADER> h(host.Frame(i));
            EXPECT_EQ(c.frameSizes[i].first, h.get()->biWidth) << c.name << " frame " << i;
            EXPECT_EQ(c.frameSizes[i].second, abs(h.get()->biHeight)) << c.name << " frame " << i;
        }
        if (c.choice == IDC_GIF_IMPORT_SEQUENCE && c.result == CONV_OK) {
            // Each image at its place on the canvas: the second at (2, 1).
            const Bytes second = DibIndexes(host.Frame(1));
            EXPECT_EQ(2, second[1 * 9 + 2]);
            EXPECT_EQ(2, second[3 * 9 + 7]);
            EXPECT_NE(2, second[0]);
            const Bytes third = DibIndexes(host.Frame(2));
            EXPECT_EQ(3, third[5 * 9 + 5]);
            EXPECT_EQ(3, third[6 * 9 + 6]);
            EXPECT_NE(3, third[4 * 9 + 5]);
        }
    }
}

// ---- "GIF-Animation" ----------------------------------------------------------------------

// Three frames of 6 x 4 with records of delays 10, 20 and 30.
struct Document {
    FrameHost host;
    Document()
    {
        for (int i = 0; i < 3; ++i) {
            GlobalBlock dib(MakeIndexedDib(6, 4, 8, Bytes(24, static_cast<uint8_t>(i)),
                                           {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0)}));
            host.AddFrame(dib.Get());
        }
        GlobalBlock block(NewGifAnimSettings());
        {
            GlobalLockGuard<GifAnimSettings> s(block.Get());
            s.get()->frameCount = 3;
            for (int i = 0; i < 3; ++i) s.get()->frames[i].delay = static_cast<uint16_t>(10 * (i + 1));
            strcpy(s.get()->comment, "old comment");
        }
        host.SetSettings(block.Release());
    }
    GifAnimSettings Block() const
    {
        GlobalLockGuard<GifAnimSettings> s(host.Settings());
        return *s.get();
    }
    int RunAnimationCommand()
    {
        return Conv().ProcessCommand(nullptr, CONV_CMD_ANIMATION, CONV_FORMAT_GIF_ANIM, host.Settings(), 3,
                                     FrameHost::Proc);
    }
};

void Post(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TEST(GifAnimationDialog, ShowsTheFramesLimitsTheCommentAndKeepsEditsOnOk)
{
    ASSERT_TRUE(Conv().complete);
    Document doc;
    LRESULT limit = 0, stripCount = 0, current = -2;
    std::string comment, delay;
    DialogAutoAnswer answer([&](HWND dialog) {
        limit = SendDlgItemMessageA(dialog, IDC_GIF_COMMENT, EM_GETLIMITTEXT, 0, 0);
        stripCount = SendDlgItemMessageA(dialog, IDC_GIF_STRIP, AVIREEL_GET_COUNT, 0, 0);
        current = SendDlgItemMessageA(dialog, IDC_GIF_STRIP, AVIREEL_GET_CURRENT, 0, 0);
        comment = DialogItemText(dialog, IDC_GIF_COMMENT);
        delay = DialogItemText(dialog, IDC_GIF_DELAY);
        // Frame 1 gets a delay of 77, then frame 2 is shown; the comment changes.
        SetDlgItemInt(dialog, IDC_GIF_DELAY, 77, FALSE);
        SetDlgItemTextA(dialog, IDC_GIF_COMMENT, "new\r\ncomment");
        Post(dialog, IDC_GIF_NEXT);
        Post(dialog, IDOK);
    });
    EXPECT_EQ(1, doc.RunAnimationCommand());
    ASSERT_EQ(1u, answer.Dialogs().size());
    EXPECT_EQ("GIF-Animation", answer.Dialogs()[0].caption);
    EXPECT_EQ(GIF_COMMENT_MAX, limit) << "the field holds the comment and its NUL";
    EXPECT_EQ(1019, limit);
    EXPECT_EQ(3, stripCount);
    EXPECT_EQ(0, current);
    EXPECT_EQ("old comment", comment);
    EXPECT_EQ("10", delay);
    const GifAnimSettings b = doc.Block();
    EXPECT_EQ(77, b.frames[0].delay);
    EXPECT_EQ(20, b.frames[1].delay);
    EXPECT_EQ(30, b.frames[2].delay);
    EXPECT_STREQ("new\r\ncomment", b.comment);
    EXPECT_EQ(1u, b.commentFlag);
}

TEST(GifAnimationDialog, CancelKeepsTheBlock)
{
    ASSERT_TRUE(Conv().complete);
    Document doc;
    HGLOBAL before = doc.host.Settings();
    DialogAutoAnswer answer([](HWND dialog) {
        SetDlgItemInt(dialog, IDC_GIF_DELAY, 99, FALSE);
        Post(dialog, IDCANCEL);
    });
    EXPECT_EQ(0, doc.RunAnimationCommand());
    EXPECT_EQ(before, doc.host.Settings());
    EXPECT_EQ(10, doc.Block().frames[0].delay);
}

// ---- the preview in the browser -------------------------------------------------------

// Registers a program as the open command of "htmlfile" for as long as it
// lives; the command registered before comes back afterwards.
class BrowserRegistration {
public:
    explicit BrowserRegistration(const std::string& command)
    {
        LONG size = sizeof previous_;
        hadPrevious_ = RegQueryValueA(HKEY_CLASSES_ROOT, KEY, previous_, &size) == ERROR_SUCCESS;
        RegSetValueA(HKEY_CLASSES_ROOT, KEY, REG_SZ, command.c_str(), static_cast<DWORD>(command.size()));
    }
    ~BrowserRegistration()
    {
        if (hadPrevious_) RegSetValueA(HKEY_CLASSES_ROOT, KEY, REG_SZ, previous_, static_cast<DWORD>(strlen(previous_)));
        else RegDeleteKeyA(HKEY_CLASSES_ROOT, KEY);
    }
private:
    static constexpr const char* KEY = "htmlfile\\shell\\open\\command";
    char previous_[1024] = "";
    bool hadPrevious_ = false;
};

// An environment variable set for as long as it lives.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name)
    {
        had_ = GetEnvironmentVariableA(name, previous_, sizeof previous_) > 0;
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableA(name_, had_ ? previous_ : nullptr); }
private:
    const char* name_;
    char previous_[MAX_PATH] = "";
    bool had_ = false;
};

std::string ProgramFolder()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    *strrchr(path, '\\') = '\0';
    return path;
}

TEST(GifBrowserPreview, CommandLinesQuoteTheFileInPlaceOfItsPlaceholder)
{
    struct Case {
        const char* command;
        const char* line;  // null: does not fit
        size_t room;
    };
    const char* file = "C:\\Temp Dir\\zvgif00A1.gif";
    const Case cases[] = {
        {"\"C:\\Web\\b.exe\" \"%1\"", "\"C:\\Web\\b.exe\" \"C:\\Temp Dir\\zvgif00A1.gif\"", 200},
        {"\"C:\\Web\\b.exe\" %1", "\"C:\\Web\\b.exe\" \"C:\\Temp Dir\\zvgif00A1.gif\"", 200},
        {"C:\\Web\\b.exe -new %1 -x", "C:\\Web\\b.exe -new \"C:\\Temp Dir\\zvgif00A1.gif\" -x", 200},
        {"\"C:\\Program Files\\Web\\b.exe\" -nohome", "\"C:\\Program Files\\Web\\b.exe\" \"C:\\Temp Dir\\zvgif00A1.gif\"", 200},
        {"C:\\Web\\b.exe", "C:\\Web\\b.exe \"C:\\Temp Dir\\zvgif00A1.gif\"", 200},
        // Exactly the room for the line and its NUL, and one less.
        {"C:\\Web\\b.exe", "C:\\Web\\b.exe \"C:\\Temp Dir\\zvgif00A1.gif\"", 41},
        {"C:\\Web\\b.exe", nullptr, 40},
    };
    for (const Case& c : cases) {
        char line[256];
        memset(line, 'x', sizeof line);
        const bool fits = BuildBrowserCommandLine(c.command, file, line, c.room);
        EXPECT_EQ(c.line != nullptr, fits) << c.command << " in " << c.room;
        if (c.line && fits) {
            EXPECT_STREQ(c.line, line) << c.command;
        }
        EXPECT_EQ('x', line[c.room]) << "nothing written past the room";
    }
}

TEST(GifBrowserPreview, TheRegisteredProgramGetsTheQuotedTemporaryFileWhichIsDeletedAfterwards)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    const std::string temporary = dir.File("temp with blanks");
    ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));
    ScopedVariable tmp("TMP", temporary);
    ScopedVariable temp("TEMP", temporary);
    const std::string record = dir.File("record.txt");
    ScopedVariable recordName("ZV_BROWSER_RECORD", record);
    BrowserRegistration browser("\"" + ProgramFolder() + "\\BrowserStandIn.exe\" %1");

    Document doc;
    bool browserEnabled = false;
    DialogAutoAnswer answer([&](HWND dialog) {
        browserEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_GIF_BROWSER)) != FALSE;
        Post(dialog, IDC_GIF_BROWSER);
        Post(dialog, IDCANCEL);
    });
    doc.RunAnimationCommand();
    EXPECT_TRUE(browserEnabled);

    std::ifstream in(record);
    ASSERT_TRUE(in.good()) << "the stand-in browser was not started";
    std::string line;
    std::getline(in, line);
    unsigned long useSize = 0, width = 0, height = 0;
    in >> useSize >> width >> height;
    const std::string expectedStart = "\"" + ProgramFolder() + "\\BrowserStandIn.exe\" \"" + temporary + "\\zvgif";
    EXPECT_EQ(expectedStart, line.substr(0, expectedStart.size())) << line;
    EXPECT_EQ(".gif\"", line.substr(line.size() - 5)) << line;
    EXPECT_EQ(expectedStart.size() + 4 + 5, line.size()) << "four hex digits: " << line;
    EXPECT_EQ(1u, useSize);
    EXPECT_EQ(6u + 200, width);
    EXPECT_EQ(4u + 220, height);

    // The browser read the animation; the temporary file is gone.
    const Bytes shown = ReadWholeFile(record + ".gif");
    auto s = std::make_unique<GifAnimSettings>();
    GifReader reader(shown.data(), static_cast<uint32_t>(shown.size()));
    EXPECT_EQ(CONV_OK, ReadGifStructure(reader, s.get(), false));
    EXPECT_EQ(3, s->frameCount);
    EXPECT_EQ(20, s->frames[1].delay);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((temporary + "\\zvgif*.gif").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << "the temporary file stays: " << found.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

}  // namespace
