#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Platform.h"
#include "tests/support/HeadlessTest.h"

#ifdef VQT_HAVE_SDL2
#include <SDL.h>

#include "platform/sdl2/Sdl2Desktop.h"

namespace {

using namespace plat;

/// One scene: a 640 x 480 window gets a 16-bit picture in two dirty rectangles and an 8-bit
/// picture through its colour table, as the window surfaces present them.
WindowId PresentScene() {
    WindowParams p;
    p.style = WS_POPUP;
    p.rect = {100, 100, 740, 580};
    const WindowId id = desktop().CreateWindow(p);
    desktop().Find(id)->Show(SW_SHOWNORMAL);
    Dc* wdc = gdi().GetDc(id);
    Dc* mem = gdi().CreateCompatibleDc(nullptr);
    BitmapInfoHeader h;
    h.width = 640;
    h.height = 480;
    h.bitCount = 16;
    uint8_t* bits = nullptr;
    Bitmap* b16 = gdi().CreateDibSection(mem, h, nullptr, DIB_RGB_COLORS, &bits);
    gdi().SelectBitmap(mem, b16);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const uint16_t v = uint16_t(((x / 20) & 31) << 10 | ((y / 15) & 31) << 5 | ((x ^ y) & 31));
            std::memcpy(bits + size_t(479 - y) * size_t(b16->Stride()) + 2 * x, &v, 2);
        }
    gdi().BitBlt(wdc, 0, 0, 320, 240, mem, 0, 0, SRCCOPY);
    gdi().BitBlt(wdc, 300, 200, 340, 280, mem, 300, 200, SRCCOPY);

    Dc* mem8 = gdi().CreateCompatibleDc(nullptr);
    std::vector<RgbQuad> table(256);
    for (int i = 0; i < 256; ++i) table[i] = RgbQuad{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
    h.width = 64;
    h.height = 64;
    h.bitCount = 8;
    Bitmap* b8 = gdi().CreateDibSection(mem8, h, table.data(), DIB_RGB_COLORS, &bits);
    gdi().SelectBitmap(mem8, b8);
    for (size_t i = 0; i < b8->MemorySize(); ++i) bits[i] = uint8_t(i * 13);
    gdi().BitBlt(wdc, 600, 10, 64, 64, mem8, 0, 0, SRCCOPY);
    gdi().GdiFlush();
    return id;
}

class Sdl2DesktopTest : public vqt::test::HeadlessTest {
protected:
    void StartSdl2() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_TRUE(UseSdl2()) << SDL_GetError();
    }
};

TEST_F(Sdl2DesktopTest, ShowsTheSamePixelsAsTheHeadlessWindow) {
    const Image headless = desktop().Find(PresentScene())->Presented();
    StartSdl2();
    const WindowId id = PresentScene();
    auto& sdl = static_cast<Sdl2Desktop&>(desktop());
    Image shown;
    ASSERT_TRUE(sdl.ReadRendered(id, shown));
    ASSERT_EQ(shown.width, 640);
    ASSERT_EQ(shown.height, 480);
    EXPECT_TRUE(shown == headless) << "the renderer's pixels differ from the headless picture";
}

TEST_F(Sdl2DesktopTest, AChildWindowIsDrawnIntoItsParent) {
    StartSdl2();
    WindowParams p;
    p.style = WS_POPUP;
    p.rect = {0, 0, 200, 100};
    const WindowId parent = desktop().CreateWindow(p);
    desktop().Find(parent)->Show(SW_SHOW);
    p.style = WS_CHILD;
    p.parent = parent;
    p.rect = {50, 20, 60, 30};
    const WindowId child = desktop().CreateWindow(p);
    const uint8_t red[4] = {0, 0, 255, 0}; // one 24-bit pixel, row padded
    BitmapInfoHeader h;
    h.width = 1;
    h.height = 1;
    h.bitCount = 24;
    gdi().StretchDIBits(gdi().GetDc(child), 0, 0, 10, 10, 0, 0, 1, 1, red, h, nullptr, DIB_RGB_COLORS, SRCCOPY);
    Image shown;
    ASSERT_TRUE(static_cast<Sdl2Desktop&>(desktop()).ReadRendered(parent, shown));
    EXPECT_EQ(shown.At(55, 25), MakeArgb(255, 0, 0));
    EXPECT_EQ(shown.At(49, 25), MakeArgb(0, 0, 0));
    EXPECT_EQ(desktop().Find(parent)->Presented().At(59, 29), MakeArgb(255, 0, 0));
}

TEST_F(Sdl2DesktopTest, SwitchedModeFillsTheScreenScaledAndTheDesktopReportsIt) {
    StartSdl2();
    const WinRect normal = desktop().Rect();
    DevMode stage = MakeDevMode(640, 480, 16, 60);
    ASSERT_EQ(desktop().ChangeDisplaySettings(&stage, CDS_TEST), DISP_CHANGE_SUCCESSFUL)
        << "the stage's modes are always offered";
    ASSERT_EQ(desktop().ChangeDisplaySettings(&stage, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(desktop().Rect(), (WinRect{0, 0, 640, 480}));
    EXPECT_EQ(desktop().BitsPerPixel(), 16);
    WindowParams p;
    p.style = WS_POPUP;
    p.rect = {0, 0, 640, 480};
    const WindowId id = desktop().CreateWindow(p);
    Window& w = *desktop().Find(id);
    w.SetPos(HWND_TOPMOST, 0, 0, 640, 480, SWP_SHOWWINDOW);
    const uint8_t white[4] = {255, 255, 255, 0};
    BitmapInfoHeader h;
    h.width = 1;
    h.height = 1;
    h.bitCount = 24;
    gdi().StretchDIBits(gdi().GetDc(id), 0, 0, 320, 480, 0, 0, 1, 1, white, h, nullptr, DIB_RGB_COLORS, SRCCOPY);
    auto& sdl = static_cast<Sdl2Desktop&>(desktop());
    Image shown;
    ASSERT_TRUE(sdl.ReadRendered(id, shown));
    EXPECT_EQ(shown.width, normal.Width()) << "the picture fills the screen";
    EXPECT_EQ(shown.height, normal.Height());
    // Scaled to the screen: the left half is white and the right half black.
    EXPECT_EQ(shown.At(shown.width / 4, shown.height / 2), MakeArgb(255, 255, 255));
    EXPECT_EQ(shown.At(shown.width * 3 / 4, shown.height / 2), MakeArgb(0, 0, 0));
    EXPECT_EQ(desktop().ChangeDisplaySettings(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(desktop().Rect(), normal);
}

TEST_F(Sdl2DesktopTest, WindowEventsBecomeStateMessagesAndLostDisplaySurfaces) {
    StartSdl2();
    std::vector<uint32_t> seen;
    WindowParams p;
    p.style = WS_POPUP;
    p.rect = {0, 0, 64, 48};
    p.sink = [&seen](const WinMsg& m) {
        seen.push_back(m.msg);
        return desktop().DefWindowProc(m.window, m.msg, m.wParam, m.lParam);
    };
    const WindowId id = desktop().CreateWindow(p);
    Window& w = *desktop().Find(id);
    w.Show(SW_SHOW);
    auto& sdl = static_cast<Sdl2Desktop&>(desktop());
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = 0;
    // SDL numbers windows from 1 up for the whole process, so earlier tests push the number on.
    for (uint32_t sdlId = 1; sdlId < (1u << 20) && !e.window.windowID; ++sdlId)
        if (sdl.FromSdlWindow(sdlId) == id) e.window.windowID = sdlId;
    ASSERT_NE(e.window.windowID, 0u);

    ASSERT_TRUE(ddraw().Load());
    dd::DirectDraw* object = nullptr;
    ASSERT_EQ(ddraw().Create(&object), dd::DD_OK);
    ASSERT_EQ(object->SetCooperativeLevel(id, dd::DDSCL_FULLSCREEN | dd::DDSCL_EXCLUSIVE), dd::DD_OK);
    dd::SurfaceDesc d;
    d.size = sizeof d;
    d.flags = dd::DDSD_CAPS;
    d.caps.caps = dd::DDSCAPS_PRIMARYSURFACE;
    dd::Surface* primary = nullptr;
    ASSERT_EQ(object->CreateSurface(&d, &primary, nullptr), dd::DD_OK);

    seen.clear();
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    EXPECT_TRUE(sdl.HandleEvent(e));
    EXPECT_EQ(desktop().Active(), 0u);
    EXPECT_EQ(seen, (std::vector<uint32_t>{WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS}));
    EXPECT_EQ(primary->IsLost(), dd::DDERR_SURFACELOST) << "exclusive mode loses its surfaces";
    primary->Restore();

    e.window.event = SDL_WINDOWEVENT_MINIMIZED;
    sdl.HandleEvent(e);
    EXPECT_TRUE(w.IsMinimized());
    EXPECT_EQ(primary->IsLost(), dd::DDERR_SURFACELOST);
    seen.clear();
    e.window.event = SDL_WINDOWEVENT_RESTORED;
    sdl.HandleEvent(e);
    EXPECT_FALSE(w.IsMinimized());
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), WM_SYSCOMMAND);

    e.window.event = SDL_WINDOWEVENT_CLOSE;
    sdl.HandleEvent(e);
    EXPECT_EQ(desktop().Find(id), nullptr) << "closed through the default procedure";
    primary->Release();
    object->Release();
}

} // namespace
#endif // VQT_HAVE_SDL2
