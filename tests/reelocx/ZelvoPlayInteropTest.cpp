// The registered control in hosts that are not ours: Wine's ATL host window
// ("AtlAxWin" of atl.dll) creates it by ProgID and shows it in place, and a
// persisted "SRC" is fetched from a local web server. Run by interop.sh,
// which registers the control, writes the fixtures and serves them:
// ZELVO_FIXTURE_DIR names their folder, ZELVO_SRC_URL the served archive.
#include "OcxTestContainer.h"
#include "EngineFixtures.h"
#include "FakeMciDevices.h"
#include <gtest/gtest.h>

namespace {

std::string Environment(const char* name)
{
    char value[1024] = "";
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n && n < sizeof value ? value : "";
}

typedef BOOL(WINAPI* AtlAxWinInitFunction)();
typedef HRESULT(WINAPI* AtlAxGetControlFunction)(HWND, IUnknown**);

// Reads the screen under a window's client area.
Pixels CaptureClient(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    POINT corner{0, 0};
    ClientToScreen(window, &corner);
    Pixels out;
    out.width = client.right;
    out.height = client.bottom;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), out.width, -out.height, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, out.width, out.height, screen, corner.x, corner.y, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < out.width * out.height; ++i) {
        const uint32_t v = p[i];
        out.values.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out;
}

class ZelvoPlayInteropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = Environment("ZELVO_FIXTURE_DIR");
        ASSERT_FALSE(dir_.empty()) << "run through interop.sh";
    }
    ComApartment com_;
    std::string dir_;
};

TEST_F(ZelvoPlayInteropTest, AtlHostShowsTheFirstFrameInPlace)
{
    HMODULE atl = LoadLibraryA("atl.dll");
    ASSERT_NE(atl, nullptr);
    auto init = reinterpret_cast<AtlAxWinInitFunction>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    auto getControl = reinterpret_cast<AtlAxGetControlFunction>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    ASSERT_TRUE(init && getControl);
    ASSERT_TRUE(init());
    HWND frame = CreateWindowExA(0, "STATIC", "ZelvoPlay in ATL", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40,
                                 300, 240, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(frame, nullptr);
    HWND host = CreateWindowExA(0, "AtlAxWin", "Zelvo.ZelvoPlayCtrl.1", WS_CHILD | WS_VISIBLE, 10, 10, 260, 200,
                                frame, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    ocx::ComRef<IUnknown> unknown;
    ASSERT_EQ(getControl(host, unknown.Out()), S_OK);
    ocx::ComRef<IDispatch> control;
    ASSERT_EQ(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(control.Out())), S_OK);
    const std::string path = dir_ + "\\atl.ans";
    VARIANT v = StringValue(path);
    ASSERT_EQ(PutByName(control.get(), L"Animation", v)->hr, S_OK);
    VariantClear(&v);
    EXPECT_EQ(IntProperty(control.get(), L"BkgndWidth"), 160);

    // The control's own window inside the host, sized to the picture.
    ocx::ComRef<IOleWindow> window;
    ASSERT_EQ(unknown->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(window.Out())), S_OK);
    HWND view = nullptr;
    ASSERT_EQ(window->GetWindow(&view), S_OK);
    ASSERT_TRUE(IsWindowVisible(view));
    RECT client;
    GetClientRect(view, &client);
    EXPECT_EQ(client.right, 160);
    EXPECT_EQ(client.bottom, 120);
    SetForegroundWindow(frame);
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);

    ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));  // the sequences are named from there
    HANIM expected = LoadWholeAnimation(path, ANIM_PALETTE_BY_DISPLAY);
    ASSERT_NE(expected, nullptr);
    const Pixels want = PaintToPixels(expected, 160, 120);
    DestroyAnimation(expected);
    // The screen shows the drawing once the X server has it.
    Pixels got;
    auto differing = [&] {
        int n = 0;
        for (int i = 0; i < 160 * 120; ++i) n += got.values[i] != want.values[i];
        return n;
    };
    PumpUntil([&] {
        got = CaptureClient(view);
        return got.width == 160 && got.height == 120 && differing() == 0;
    });
    ASSERT_EQ(got.width, 160);
    ASSERT_EQ(got.height, 120);
    EXPECT_EQ(differing(), 0) << "first pixel " << ColorText(got.values[0]) << " want " << ColorText(want.values[0])
                              << "; object pixel " << ColorText(got.At(10, 10)) << " want "
                              << ColorText(want.At(10, 10));
    control.Reset();
    window.Reset();
    unknown.Reset();
    DestroyWindow(frame);
}

// A page's "SRC" differs from its "Animation": the control fetches it into
// the cache and plays the cached file; a file the server does not have gives
// the box "Cannot download file" and an empty path: ZELVO_DEAD_URL names a
// port where nothing listens.
TEST_F(ZelvoPlayInteropTest, SrcIsDownloadedFromTheServer)
{
    const std::string url = Environment("ZELVO_SRC_URL"), dead = Environment("ZELVO_DEAD_URL");
    ASSERT_FALSE(url.empty() || dead.empty());
    FakeDevices devices;
    InstallUiSeam(&devices.Ui());
    const struct {
        std::string src;
        bool fetched;
    } kCases[] = {{url, true}, {dead, false}};
    for (const auto& k : kCases) {
        SCOPED_TRACE(k.src);
        devices.boxes.clear();
        TestContainer c;
        ASSERT_TRUE(c.CreateControl());
        MemoryPropertyBag bag;
        VARIANT src = StringValue(k.src);
        bag.Set(L"SRC", src);
        VariantClear(&src);
        ocx::ComRef<IPersistPropertyBag> persist;
        c.Control()->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(persist.Out()));
        ASSERT_EQ(persist->Load(&bag, nullptr), S_OK);
        const std::string animation = StringProperty(c.Control(), L"Animation");
        if (k.fetched) {
            EXPECT_TRUE(devices.boxes.empty());
            EXPECT_NE(animation, "");
            EXPECT_TRUE(FileExists(animation)) << animation;
            EXPECT_EQ(IntProperty(c.Control(), L"BkgndWidth"), 160);
            EXPECT_EQ(IntProperty(c.Control(), L"Status"), 1);
        } else {
            ASSERT_EQ(devices.boxes.size(), 1u);
            EXPECT_EQ(devices.boxes[0].text, "Cannot download file");
            EXPECT_EQ(animation, "");
        }
    }
    InstallUiSeam(nullptr);
}

}  // namespace
