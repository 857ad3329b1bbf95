#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DDrawSurface.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/graphics/TextDIBSurface.h"
#include "tests/engine/graphics/DisplayTestSupport.h"

#ifdef VQT_HAVE_SDL2
#include "platform/sdl2/Sdl2Desktop.h"
#endif

namespace {

using displaytest::DisplayTest;

class DisplaySdl2Test : public DisplayTest {
protected:
    /// The windowed stage: a 16-bit picture presented in two steps of dirty rectangles and an
    /// 8-bit text picture through its palette. Answers the window.
    plat::WindowId PresentWindowedScene() {
        Windowed();
        const plat::WindowId app = MakeAppWindow();
        CDIBSurface stage;
        EXPECT_TRUE(stage.Create(640, 480, 16));
        displaytest::DrawPattern(stage);
        xStage_SetClipRect(CRect16(0, 0, 640, 480));
        xDirtyRects_Add(CRect16(0, 0, 320, 240));
        stage.BlitToWindow(plat::gdi().GetDc(app), CClipRect(0, 0, 640, 480));
        xDirtyRects_Clear();
        xDirtyRects_Add(CRect16(300, 200, 640, 480));
        stage.BlitToWindow(plat::gdi().GetDc(app), CClipRect(0, 0, 640, 480));

        CTextDIBSurface text;
        EXPECT_TRUE(text.Create(64, 32, 8));
        CColorPalette palette;
        for (int i = 0; i < 256; ++i) palette.SetEntry(i, ColorWord(uint8_t(i * 3), uint8_t(255 - i), uint8_t(i ^ 0x5A)));
        text.SetPalette(&palette);
        uint8_t* top = text.Lock();
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 64; ++x) top[text.GetPitch() * y + x] = uint8_t(x * 4 + y);
        text.Unlock();
        xDirtyRects_Clear();
        xDirtyRects_Add(CRect16(0, 0, 64, 32));
        text.BlitToWindow(plat::gdi().GetDc(app), CClipRect(0, 0, 64, 32));
        return app;
    }

    void StartSdl2() {
#ifdef VQT_HAVE_SDL2
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_TRUE(plat::UseSdl2());
#endif
    }
};

TEST_F(DisplaySdl2Test, WindowedStageShowsTheSamePixelsAsHeadless) {
#ifndef VQT_HAVE_SDL2
    GTEST_SKIP() << "built without SDL2";
#else
    const plat::Image headless = plat::desktop().Find(PresentWindowedScene())->Presented();
    StartSdl2();
    const plat::WindowId app = PresentWindowedScene();
    plat::Image shown;
    ASSERT_TRUE(static_cast<plat::Sdl2Desktop&>(plat::desktop()).ReadRendered(app, shown));
    ASSERT_EQ(shown.width, 640);
    ASSERT_EQ(shown.height, 480);
    int differing = 0;
    for (size_t i = 0; i < shown.pixels.size(); ++i) differing += shown.pixels[i] != headless.pixels[i];
    EXPECT_EQ(differing, 0) << "pixels the SDL2 renderer shows differently";
    EXPECT_EQ(shown.At(600, 400), plat::Expand555(displaytest::Pattern555(600, 400)));
#endif
}

TEST_F(DisplaySdl2Test, FullScreenFlipFillsTheScreenWithTheFrontBuffer) {
#ifndef VQT_HAVE_SDL2
    GTEST_SKIP() << "built without SDL2";
#else
    StartSdl2();
    FullScreenDirectDraw();
    const plat::WinRect screen = plat::desktop().Rect();
    const plat::WindowId app = MakeAppWindow();
    auto display = std::make_unique<CDDrawSurface>();
    ASSERT_TRUE(display->IsDisplayAvailable());
    ASSERT_TRUE(display->Create(640, 480, 16));
    ASSERT_TRUE(display->Create(app));
    EXPECT_EQ(plat::desktop().Rect(), (plat::WinRect{0, 0, 640, 480})) << "the desktop reports the stage's mode";
    display->LockSysSurface();
    uint8_t* top = display->Lock();
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const uint16_t v = x < 320 ? 0xF800 : 0x001F; // red half, blue half in 5-6-5
            std::memcpy(top + display->GetPitch() * y + 2 * x, &v, 2);
        }
    display->Unlock();
    display->Flip();
    plat::Image shown;
    ASSERT_TRUE(static_cast<plat::Sdl2Desktop&>(plat::desktop()).ReadRendered(app, shown));
    EXPECT_EQ(shown.width, screen.Width()) << "scaled to the whole screen";
    EXPECT_EQ(shown.At(shown.width / 4, shown.height / 2), plat::MakeArgb(255, 0, 0));
    EXPECT_EQ(shown.At(shown.width * 3 / 4, shown.height / 2), plat::MakeArgb(0, 0, 255));
    display->OnDisplaySwitch(0, 1);
    EXPECT_EQ(plat::desktop().Rect(), screen) << "back to the desktop's own mode";
    display.reset();
#endif
}

} // namespace
