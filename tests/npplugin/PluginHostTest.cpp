// NPReel32 driven by a browser of our own (there is no browser here): the
// library is loaded by file name, given the browser's table and windows of
// this program, and asked to play downloaded files, as a browser would.
#include "NpPlugin.h"
#include "PlayerHostFixtures.h"
#include <gtest/gtest.h>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

char kMimeType[] = "application/x-anx";

// What the plug-in allocated and freed through the browser.
std::vector<std::pair<void*, uint32_t>> g_allocated;
std::vector<void*> g_freed;

void* BrowserMemAlloc(uint32_t size)
{
    void* block = malloc(size);
    g_allocated.push_back({block, size});
    return block;
}

void BrowserMemFree(void* block)
{
    g_freed.push_back(block);
    free(block);
}

// A page of the browser: a top-level window the plug-in's instance draws into.
class PageWindow {
public:
    PageWindow(int x, int y, int width, int height)
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "PluginHostPage";
        RegisterClassA(&wc);
        RECT frame{x, y, x + width, y + height};
        AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
        window_ = CreateWindowA(wc.lpszClassName, "Plug-in page", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                                frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, wc.hInstance, nullptr);
        record_ = {window_, 0, 0, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                   {0, 0, static_cast<uint16_t>(height), static_cast<uint16_t>(width)}, NPWindowTypeWindow};
    }
    ~PageWindow() { DestroyWindow(window_); }
    PageWindow(const PageWindow&) = delete;
    PageWindow& operator=(const PageWindow&) = delete;
    HWND Handle() const { return window_; }
    NPWindow* Record() { return &record_; }
    // The plug-in's animation window in this page, or null.
    HWND Animation() const { return FindWindowExA(window_, nullptr, "ANIWNDCLASS", nullptr); }
private:
    HWND window_;
    NPWindow record_;
};

// The colour the window shows at a client point, read from its own picture.
COLORREF WindowPixel(HWND window, int x, int y)
{
    if (!window) return CLR_INVALID;
    UpdateWindow(window);
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

// The page's animation shows the colour at (x, y) within the time allowed.
bool ShowsColour(const PageWindow& page, COLORREF colour, int x = 150, int y = 100)
{
    return PumpMessagesUntil([&] { return WindowPixel(page.Animation(), x, y) == colour; });
}

// Dismisses the plug-in's message boxes from another thread (each runs modal
// inside a call of the browser's) and keeps their texts.
class BoxWatcher {
public:
    BoxWatcher() : thread_([this] { Watch(); }) {}
    ~BoxWatcher()
    {
        stop_ = true;
        thread_.join();
    }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }
private:
    void Watch()
    {
        while (!stop_) {
            if (HWND box = FindWindowA("#32770", PLUGIN_CAPTION)) {
                char text[256] = "";
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    texts_.push_back(text);
                }
                SendMessageA(box, WM_COMMAND, IDOK, 0);
                while (IsWindow(box) && !stop_) Sleep(10);
            }
            Sleep(20);
        }
    }
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> texts_;
    std::thread thread_;
};

class PluginHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_allocated.clear();
        g_freed.clear();
        library_ = LoadLibraryA("NPReel32.dll");
        ASSERT_TRUE(library_) << "NPReel32.dll lies beside the test program";
        getEntryPoints_ = Export<NP_GetEntryPointsFn>("NP_GetEntryPoints");
        initialize_ = Export<NP_InitializeFn>("NP_Initialize");
        shutdown_ = Export<NP_ShutdownFn>("NP_Shutdown");
        ASSERT_TRUE(getEntryPoints_ && initialize_ && shutdown_) << "the three exports by their plain names";
        plugin_ = {};
        plugin_.size = sizeof plugin_;
        browser_ = {};
        browser_.size = sizeof browser_;
        browser_.version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
        browser_.memalloc = BrowserMemAlloc;
        browser_.memfree = BrowserMemFree;
    }
    void TearDown() override
    {
        if (started_) shutdown_();
        if (library_) FreeLibrary(library_);
    }
    // An export by its plain name, as the browser binds it.
    template <typename Fn>
    Fn Export(const char* name)
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library_, name)));
    }
    // Loads the plug-in as a browser of version 0.9 does.
    void Start()
    {
        ASSERT_EQ(NPERR_NO_ERROR, getEntryPoints_(&plugin_));
        ASSERT_EQ(NPERR_NO_ERROR, initialize_(&browser_));
        started_ = true;
    }
    NPError New(NPP_t* instance, uint16_t mode = NP_EMBED)
    {
        return plugin_.newp(kMimeType, instance, mode, 0, nullptr, nullptr, nullptr);
    }
    // A new instance embedded in the page.
    void OpenOnPage(NPP_t* instance, PageWindow& page)
    {
        ASSERT_EQ(NPERR_NO_ERROR, New(instance));
        ASSERT_EQ(NPERR_NO_ERROR, plugin_.setwindow(instance, page.Record()));
    }
    // The downloaded file reaches the instance.
    void Deliver(NPP_t* instance, const std::string& path)
    {
        NPStream stream{};
        uint16_t type = 0;
        ASSERT_EQ(NPERR_NO_ERROR, plugin_.newstream(instance, kMimeType, &stream, FALSE, &type));
        EXPECT_EQ(NP_ASFILEONLY, type);
        plugin_.asfile(instance, &stream, path.c_str());
        EXPECT_EQ(NPERR_NO_ERROR, plugin_.destroystream(instance, &stream, 0));
    }
    HMODULE library_ = nullptr;
    NP_GetEntryPointsFn getEntryPoints_ = nullptr;
    NP_InitializeFn initialize_ = nullptr;
    NP_ShutdownFn shutdown_ = nullptr;
    NPPluginFuncs plugin_{};
    NPBrowserFuncs browser_{};
    bool started_ = false;
    ScratchDir dir_;
};

}  // namespace

TEST_F(PluginHostTest, EntryPointsAreWrittenOnlyWhereTheBrowsersTableHasRoom)
{
    EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, getEntryPoints_(nullptr));
    // A table that ends before the event slot is refused untouched.
    NPPluginFuncs small;
    memset(&small, 0xCD, sizeof small);
    small.size = NP_TABLE_HOLDS(NPPluginFuncs, event) - 1;
    EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, getEntryPoints_(&small));
    NPPluginFuncs untouched;
    memset(&untouched, 0xCD, sizeof untouched);
    untouched.size = small.size;
    EXPECT_EQ(0, memcmp(&small, &untouched, sizeof small));

    // A table of the nine slots and the event slot: the later slots stay as they were.
    NPPluginFuncs nine;
    memset(&nine, 0xCD, sizeof nine);
    nine.size = NP_TABLE_HOLDS(NPPluginFuncs, event);
    ASSERT_EQ(NPERR_NO_ERROR, getEntryPoints_(&nine));
    EXPECT_EQ(9, nine.version);
    for (const void* slot : {reinterpret_cast<const void*>(nine.newp), reinterpret_cast<const void*>(nine.destroy),
                             reinterpret_cast<const void*>(nine.setwindow), reinterpret_cast<const void*>(nine.newstream),
                             reinterpret_cast<const void*>(nine.destroystream), reinterpret_cast<const void*>(nine.asfile),
                             reinterpret_cast<const void*>(nine.writeready), reinterpret_cast<const void*>(nine.write),
                             reinterpret_cast<const void*>(nine.print)})
        EXPECT_TRUE(slot);
    EXPECT_FALSE(nine.event);
    ASSERT_EQ(NPERR_NO_ERROR, initialize_(&browser_));
    started_ = true;
    const uint8_t* rest = reinterpret_cast<const uint8_t*>(&nine) + nine.size;
    for (size_t i = nine.size; i < sizeof nine; ++i) EXPECT_EQ(0xCD, rest[i - nine.size]) << "byte " << i;
}

TEST_F(PluginHostTest, InitializeTakesBrowsersOfInterfaceVersionZero)
{
    const struct {
        uint16_t version;
        NPError result;
        bool urlNotify;  // the later slots are filled
    } cases[] = {
        {0x0009, NPERR_NO_ERROR, true},
        {0x000C, NPERR_NO_ERROR, true},
        {0x0008, NPERR_NO_ERROR, false},
        {0x0100, NPERR_INCOMPATIBLE_VERSION_ERROR, false},
        {0x0209, NPERR_INCOMPATIBLE_VERSION_ERROR, false},
    };
    for (const auto& c : cases) {
        memset(&plugin_, 0xCD, sizeof plugin_);
        plugin_.size = sizeof plugin_;
        ASSERT_EQ(NPERR_NO_ERROR, getEntryPoints_(&plugin_));
        browser_.version = c.version;
        EXPECT_EQ(c.result, initialize_(&browser_)) << std::hex << c.version;
        if (c.urlNotify) {
            EXPECT_TRUE(plugin_.urlnotify) << std::hex << c.version;
            EXPECT_FALSE(plugin_.javaClass) << std::hex << c.version;
        } else {
            NPP_URLNotifyProc sentinel;
            memset(&sentinel, 0xCD, sizeof sentinel);
            EXPECT_EQ(sentinel, plugin_.urlnotify) << std::hex << c.version;
        }
        if (c.result == NPERR_NO_ERROR) {
            EXPECT_EQ(NPERR_NO_ERROR, shutdown_());
        }
    }
    // Without a table, or with one that lacks the allocator's slots.
    EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, initialize_(nullptr));
    browser_.version = 0x0009;
    browser_.size = NP_TABLE_HOLDS(NPBrowserFuncs, memfree) - 1;
    EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, initialize_(&browser_));
}

TEST_F(PluginHostTest, AnInstancePlaysItsFileInTheBrowsersWindow)
{
    TestAnimation animation;
    animation.background = RGB(30, 140, 60);
    ASSERT_TRUE(animation.Write(dir_.Path(), "page.ans"));
    Start();
    EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, New(nullptr));
    NPP_t instance{};
    ASSERT_EQ(NPERR_NO_ERROR, New(&instance));
    ASSERT_EQ(1u, g_allocated.size());
    EXPECT_EQ(sizeof(PluginInstance), g_allocated[0].second);
    EXPECT_EQ(g_allocated[0].first, instance.pdata);
    EXPECT_EQ(0x0FFFFFFF, plugin_.writeready(&instance, nullptr));
    char data[64] = {};
    EXPECT_EQ(64, plugin_.write(&instance, nullptr, 0, 64, data));
    EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, plugin_.newstream(nullptr, kMimeType, nullptr, FALSE, nullptr));
    EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, plugin_.destroystream(nullptr, nullptr, 0));
    EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, plugin_.setwindow(nullptr, nullptr));

    PageWindow page(60, 60, 300, 200), other(420, 60, 240, 180);
    ASSERT_EQ(NPERR_NO_ERROR, plugin_.setwindow(&instance, page.Record()));
    EXPECT_FALSE(page.Animation()) << "nothing to play before the file arrives";
    Deliver(&instance, dir_.File("page.ans"));
    HWND child = page.Animation();
    ASSERT_TRUE(child);
    RECT area;
    GetClientRect(child, &area);
    EXPECT_EQ(300, area.right);
    EXPECT_EQ(200, area.bottom);
    EXPECT_TRUE(ShowsColour(page, RGB(30, 140, 60)));

    // The same window again only repaints.
    ASSERT_EQ(NPERR_NO_ERROR, plugin_.setwindow(&instance, page.Record()));
    EXPECT_EQ(child, page.Animation());
    // Another window: the animation starts over there.
    ASSERT_EQ(NPERR_NO_ERROR, plugin_.setwindow(&instance, other.Record()));
    EXPECT_FALSE(IsWindow(child));
    ASSERT_TRUE(other.Animation());
    EXPECT_TRUE(ShowsColour(other, RGB(30, 140, 60)));
    // No window: the animation ends; a second null changes nothing.
    ASSERT_EQ(NPERR_NO_ERROR, plugin_.setwindow(&instance, nullptr));
    EXPECT_FALSE(other.Animation());
    ASSERT_EQ(NPERR_NO_ERROR, plugin_.setwindow(&instance, nullptr));
    ASSERT_EQ(NPERR_NO_ERROR, plugin_.setwindow(&instance, page.Record()));
    EXPECT_TRUE(page.Animation()) << "a window again plays the file again";

    EXPECT_EQ(NPERR_NO_ERROR, plugin_.destroy(&instance, nullptr));
    EXPECT_FALSE(page.Animation());
    EXPECT_FALSE(instance.pdata);
    ASSERT_EQ(1u, g_freed.size());
    EXPECT_EQ(g_allocated[0].first, g_freed[0]);
    EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, plugin_.destroy(&instance, nullptr));
}

TEST_F(PluginHostTest, TwoInstancesFollowOnInTheirOwnFolders)
{
    // Both pages' files lie in folders of their own, and each names a
    // following "next.ans" of its own folder by its bare name.
    const std::string first = dir_.File("first\\"), second = dir_.File("second\\");
    ASSERT_TRUE(CreateDirectoryA(first.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(second.c_str(), nullptr));
    TestAnimation ending;
    ending.background = RGB(200, 200, 40);
    ending.endAfter = 8;
    ending.endAction = 1;
    ending.next = "next.ans";
    ASSERT_TRUE(ending.Write(first, "page.ans"));
    // End action 1 keeps the first animation's background: the following
    // one shows by its object.
    TestAnimation next;
    next.objectColor = RGB(40, 200, 200);
    ASSERT_TRUE(next.Write(first, "next.ans"));
    TestAnimation wrongNext;
    wrongNext.objectColor = RGB(200, 40, 40);
    ASSERT_TRUE(wrongNext.Write(second, "next.ans"));
    TestAnimation steady;
    steady.background = RGB(40, 40, 200);
    ASSERT_TRUE(steady.Write(second, "page.ans"));

    Start();
    PageWindow pageOne(40, 60, 300, 200), pageTwo(400, 60, 300, 200);
    NPP_t one{}, two{};
    ASSERT_EQ(NPERR_NO_ERROR, New(&one));
    ASSERT_EQ(NPERR_NO_ERROR, New(&two));
    ASSERT_EQ(NPERR_NO_ERROR, plugin_.setwindow(&one, pageOne.Record()));
    Deliver(&one, first + "page.ans");
    // The second page's file arrives later: its folder becomes the current one.
    ASSERT_EQ(NPERR_NO_ERROR, plugin_.setwindow(&two, pageTwo.Record()));
    Deliver(&two, second + "page.ans");
    ASSERT_TRUE(pageOne.Animation() && pageTwo.Animation());
    HWND child = pageOne.Animation();
    EXPECT_TRUE(ShowsColour(pageOne, RGB(40, 200, 200), 15, 15))
        << "the first page's own next.ans follows, not " << ColorText(WindowPixel(pageOne.Animation(), 15, 15));
    EXPECT_EQ(child, pageOne.Animation()) << "in the same window";
    EXPECT_TRUE(ShowsColour(pageTwo, RGB(40, 40, 200)));
    EXPECT_EQ(NPERR_NO_ERROR, plugin_.destroy(&one, nullptr));
    EXPECT_EQ(NPERR_NO_ERROR, plugin_.destroy(&two, nullptr));
    EXPECT_EQ(2u, g_freed.size());
}

TEST_F(PluginHostTest, DamagedForeignAndOverlongFilesPlayNothing)
{
    TestAnimation animation;
    ASSERT_TRUE(animation.Write(dir_.Path(), "whole.ans"));
    std::vector<uint8_t> bytes = ReadWholeFile(dir_.File("whole.ans"));
    bytes.resize(100);
    ASSERT_TRUE(WriteWholeFile(dir_.File("truncated.ans"), bytes));
    ASSERT_TRUE(WriteWholeFile(dir_.File("foreign.ans"), std::vector<uint8_t>(500, 'x')));
    ASSERT_TRUE(WriteWholeFile(dir_.File("archive.anx"), {'P', 'K', 3, 4, 1, 2, 3}));
    // A file whose path has 259 characters, the most a name may have.
    std::string folder = dir_.Path();
    folder += std::string(259 - folder.size() - 1 - 5, 'd') + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    // Written where the writer's temporary names fit, then moved there.
    ASSERT_TRUE(animation.Write(dir_.Path(), "a.ans"));
    ASSERT_TRUE(MoveFileA(dir_.File("a.ans").c_str(), (folder + "a.ans").c_str()));
    ASSERT_TRUE(MoveFileA(dir_.File("a.bmx").c_str(), (folder + "a.bmx").c_str()));
    const std::string longest = folder + "a.ans";
    ASSERT_EQ(259u, longest.size());

    Start();
    PageWindow page(60, 60, 300, 200);
    {
        BoxWatcher boxes;
        for (const char* name : {"truncated.ans", "foreign.ans", "archive.anx"}) {
            NPP_t instance{};
            OpenOnPage(&instance, page);
            Deliver(&instance, dir_.File(name));
            EXPECT_FALSE(page.Animation()) << name;
            EXPECT_EQ(NPERR_NO_ERROR, plugin_.destroy(&instance, nullptr));
        }
        // One character more would be cut back to the 259 of a real file: the name is not taken.
        NPP_t instance{};
        OpenOnPage(&instance, page);
        Deliver(&instance, longest + "x");
        EXPECT_FALSE(page.Animation());
        Deliver(&instance, longest);
        EXPECT_TRUE(page.Animation()) << "259 characters are taken";
        EXPECT_EQ(NPERR_NO_ERROR, plugin_.destroy(&instance, nullptr));
        EXPECT_EQ((std::vector<std::string>(3, "Error: could not load animation")), boxes.Texts());
    }
}

TEST_F(PluginHostTest, AFullPageAnswersThatItDidNotPrint)
{
    Start();
    const struct {
        uint16_t instanceMode, printMode;
        NPBool printed;
    } cases[] = {{NP_FULL, NP_FULL, FALSE}, {NP_EMBED, NP_FULL, TRUE}, {NP_FULL, NP_EMBED, TRUE}};
    for (const auto& c : cases) {
        NPP_t instance{};
        ASSERT_EQ(NPERR_NO_ERROR, New(&instance, c.instanceMode));
        NPPrint print{};
        print.mode = c.printMode;
        print.print.fullPrint.pluginPrinted = TRUE;
        plugin_.print(&instance, &print);
        EXPECT_EQ(c.printed, print.print.fullPrint.pluginPrinted) << c.instanceMode << "/" << c.printMode;
        plugin_.destroy(&instance, nullptr);
    }
    plugin_.print(nullptr, nullptr);  // nothing to do, nothing to break
}

TEST_F(PluginHostTest, ShutdownUnregistersTheWindowClass)
{
    TestAnimation animation;
    ASSERT_TRUE(animation.Write(dir_.Path(), "page.ans"));
    Start();
    PageWindow page(60, 60, 300, 200);
    NPP_t instance{};
    OpenOnPage(&instance, page);
    Deliver(&instance, dir_.File("page.ans"));
    ASSERT_TRUE(page.Animation());
    ASSERT_EQ(NPERR_NO_ERROR, plugin_.destroy(&instance, nullptr));
    WNDCLASSA info;
    EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "ANIWNDCLASS", &info))
        << "registered with the instance handle of the browser's window";
    EXPECT_EQ(NPERR_NO_ERROR, shutdown_());
    started_ = false;
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "ANIWNDCLASS", &info));
    // Without the browser's table there is nothing to allocate an instance with.
    NPP_t late{};
    EXPECT_EQ(NPERR_OUT_OF_MEMORY_ERROR, New(&late));
}

TEST_F(PluginHostTest, AWindowClassThatCannotBeRegisteredIsReported)
{
    // The browser's program already has a class of that name.
    WNDCLASSA taken{};
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = GetModuleHandleA(nullptr);
    taken.lpszClassName = "ANIWNDCLASS";
    ASSERT_TRUE(RegisterClassA(&taken));
    TestAnimation animation;
    ASSERT_TRUE(animation.Write(dir_.Path(), "page.ans"));
    Start();
    PageWindow page(60, 60, 300, 200);
    NPP_t instance{};
    OpenOnPage(&instance, page);
    {
        BoxWatcher boxes;
        Deliver(&instance, dir_.File("page.ans"));
        EXPECT_EQ(std::vector<std::string>{"Error: could not register wndclass"}, boxes.Texts());
    }
    EXPECT_FALSE(page.Animation());
    EXPECT_EQ(NPERR_NO_ERROR, plugin_.destroy(&instance, nullptr));
    EXPECT_EQ(NPERR_NO_ERROR, shutdown_());
    started_ = false;
    EXPECT_TRUE(UnregisterClassA("ANIWNDCLASS", taken.hInstance)) << "the plug-in left the class it did not make";
}
