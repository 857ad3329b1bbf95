#include <cstring>
#include <memory>
#include <vector>

#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DDrawOffscreenSurface.h"
#include "engine/graphics/DDrawSurface.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/engine/graphics/DisplayTestSupport.h"
#include "tests/support/Golden.h"

namespace {

using namespace plat::dd;
using displaytest::DisplayTest;

class DDrawSurfaceTest : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        FullScreenDirectDraw();
        app = MakeAppWindow();
    }
    void TearDown() override {
        display.reset();
        DisplayTest::TearDown();
    }

    /// The display surface at 640 x 480 and the depth, set up full screen on the window.
    CDDrawSurface& Open(int16_t bits = 16) {
        display = std::make_unique<CDDrawSurface>();
        EXPECT_TRUE(display->IsDisplayAvailable());
        EXPECT_TRUE(display->Create(640, 480, bits));
        EXPECT_TRUE(display->Create(app));
        return *display;
    }

    /// Draws a frame of one 16-bit value into the locked back buffer.
    static void DrawFrame(CDDrawSurface& s, uint16_t value) {
        s.LockSysSurface();
        uint8_t* top = s.Lock();
        ASSERT_NE(top, nullptr);
        for (int y = 0; y < s.GetHeight(); ++y)
            for (int x = 0; x < s.GetWidth(); ++x) std::memcpy(top + s.GetPitch() * y + 2 * x, &value, 2);
        s.Unlock();
    }

    static uint16_t Pixel16(const Surface* surface, int x, int y) {
        uint16_t v;
        std::memcpy(&v, surface->Pixels() + size_t(y) * size_t(surface->Pitch()) + 2 * size_t(x), 2);
        return v;
    }
    static uint8_t Pixel8(const Surface* surface, int x, int y) {
        return surface->Pixels()[size_t(y) * size_t(surface->Pitch()) + size_t(x)];
    }
    Surface* Back() { return display->GetBackBuffer(); }
    const plat::Image& Shown() { return plat::desktop().Find(app)->Presented(); }

    plat::WindowId app = 0;
    std::unique_ptr<CDDrawSurface> display;
};

TEST_F(DDrawSurfaceTest, GreenMaskGivesTheFormatCodeOfTheSurfaceAndTheGlobalLayout) {
    CDDrawSurface& s = Open(16);
    EXPECT_EQ(s.GetPixelFormat(), kPixelFormat565) << "green mask 0x7E0";
    EXPECT_EQ(xGraphics_PixelFormat(), kPixelFormat565);
    EXPECT_TRUE(plat::desktop().Find(app)->IsTopmost());
    EXPECT_EQ(plat::ddraw().stats().cooperativeFlags, DDSCL_FULLSCREEN | DDSCL_NOWINDOWCHANGES | DDSCL_EXCLUSIVE);
    display.reset();
    plat::ddraw().SetLayout555(true);
    CDDrawSurface& again = Open(16);
    EXPECT_EQ(again.GetPixelFormat(), kPixelFormat555) << "green mask 0x3E0";
    EXPECT_EQ(xGraphics_PixelFormat(), kPixelFormat555);
}

TEST_F(DDrawSurfaceTest, CreateFailsWithoutTheInterfaceOrWhenTheDisplayRefuses) {
    CDDrawSurface s;
    ASSERT_TRUE(s.Create(640, 480, 16));
    EXPECT_FALSE(s.Create(app)) << "no display object yet";
    ASSERT_TRUE(DirectX_Init());
    plat::ddraw().script().cooperativeResult = DDERR_EXCLUSIVEMODEALREADYSET;
    EXPECT_FALSE(s.Create(app));
    plat::ddraw().script().cooperativeResult = DD_OK;
    plat::ddraw().script().createPrimaryResult = DDERR_OUTOFVIDEOMEMORY;
    debug().Clear();
    EXPECT_FALSE(s.Create(app));
    EXPECT_NE(traced().find("Out of Video Memory"), std::string::npos);
    plat::ddraw().script().createPrimaryResult = DD_OK;
    plat::ddraw().script().attachResult = DDERR_NOTFOUND;
    EXPECT_FALSE(s.Create(app));
    EXPECT_EQ(plat::ddraw().LiveSurfaces(), 0u) << "a half-made chain is released";
}

TEST_F(DDrawSurfaceTest, AfterTwoFramesTheFrontShowsTheLastAndTheBackHoldsTheOneBefore) {
    CDDrawSurface& s = Open(16);
    const uint16_t frameA = 0xF800; // red in 5-6-5
    const uint16_t frameB = 0x07E0; // green
    DrawFrame(s, frameA);
    s.Flip();
    DrawFrame(s, frameB);
    s.Flip();
    EXPECT_EQ(Pixel16(s.Primary(), 0, 0), frameB);
    EXPECT_EQ(Shown().At(320, 240), plat::MakeArgb(0, 255, 0));
    s.LockSysSurface();
    uint16_t back;
    std::memcpy(&back, s.Lock() + s.GetPitch() * 100 + 2 * 100, 2);
    EXPECT_EQ(back, frameA) << "the back buffer holds the frame before the last";
    s.Unlock();
    s.UnlockSysSurface();
}

TEST_F(DDrawSurfaceTest, FlipUnlocksTheBackBufferThroughItsLockRecord) {
    CDDrawSurface& s = Open(16);
    s.LockSysSurface();
    ASSERT_TRUE(s.IsSysSurfaceLocked());
    s.Flip();
    EXPECT_FALSE(s.IsSysSurfaceLocked()) << "no stale pixel pointer after the flip";
    EXPECT_EQ(Back()->Locks(), 0);
    debug().Clear();
    s.UnlockSysSurface();
    EXPECT_EQ(traced(), "Error - CDDrawSurface::UnlockSysSurface - NULL surface\n");
}

TEST_F(DDrawSurfaceTest, FlipLostTwiceRestoresOnceRetriesOnceAndReportsLostOnceIsQuiet) {
    CDDrawSurface& s = Open(16);
    const Stats before = plat::ddraw().stats();
    plat::ddraw().script().flipLost = 2;
    debug().Clear();
    s.Flip();
    EXPECT_EQ(plat::ddraw().stats().flips - before.flips, 2) << "the flip and one retry";
    EXPECT_EQ(plat::ddraw().stats().restores - before.restores, 1);
    EXPECT_EQ(plat::ddraw().stats().presents, before.presents) << "the frame stays unshown";
    vqt::test::ExpectMatchesGolden("engine/graphics/ddraw_flip_lost_twice.txt", traced());
    EXPECT_TRUE(s.IsSurfaceLost());
    EXPECT_NE(s.GetBackBuffer(), nullptr) << "the next frame restores the primary";
    EXPECT_FALSE(s.IsSurfaceLost());
    // Lost once: restored and shown without a report.
    plat::ddraw().script().flipLost = 1;
    DrawFrame(s, 0x001F);
    debug().Clear();
    s.Flip();
    EXPECT_EQ(traced(), "");
    EXPECT_EQ(Shown().At(1, 1), plat::MakeArgb(0, 0, 255));
}

TEST_F(DDrawSurfaceTest, RestoreAnswersWhetherTheSurfacesCanBeUsed) {
    CDDrawSurface& s = Open(16);
    EXPECT_EQ(s.Restore(), 1);
    plat::ddraw().LoseSurfaces();
    EXPECT_TRUE(s.IsSurfaceLost());
    plat::ddraw().script().restoreFails = 1;
    debug().Clear();
    EXPECT_EQ(s.Restore(), 0);
    EXPECT_NE(traced().find("cannot be restored"), std::string::npos);
    EXPECT_EQ(s.Restore(), 1);
    EXPECT_FALSE(s.IsSurfaceLost());
}

TEST_F(DDrawSurfaceTest, PendingPaletteAppliesAtTheFlipWithBlackAndWhiteEnds) {
    CDDrawSurface& s = Open(8);
    EXPECT_EQ(s.GetPixelFormat(), kPixelFormat8);
    CColorPalette palette;
    for (int i = 0; i < 256; ++i) palette.SetEntry(i, ColorWord(uint8_t(i), 50, 100));
    s.SetPendingPalette(&palette);
    s.LockSysSurface();
    uint8_t* top = s.Lock();
    top[0] = 0;
    top[1] = 10;
    top[2] = 255;
    s.Unlock();
    s.Flip();
    EXPECT_FALSE(s.IsPalettePending());
    EXPECT_EQ(Pixel8(Back(), 1, 0), 10) << "the shown picture was copied back into the back buffer";
    EXPECT_EQ(xGraphics_GlobalPalette().GetEntry(10), palette.GetEntry(10));
    s.Flip(); // shows the copy through the palette that now exists
    EXPECT_EQ(Shown().At(0, 0), plat::MakeArgb(0, 0, 0)) << "entry 0 is black";
    EXPECT_EQ(Shown().At(1, 0), plat::MakeArgb(10, 50, 100));
    EXPECT_EQ(Shown().At(2, 0), plat::MakeArgb(255, 255, 255)) << "entry 255 is white";
    // A later palette changes the entries of the same display palette.
    palette.SetEntry(10, ColorWord(1, 2, 3));
    s.SetPalette(&palette);
    s.Flip();
    s.Flip();
    EXPECT_EQ(Shown().At(1, 0), plat::MakeArgb(1, 2, 3));
}

TEST_F(DDrawSurfaceTest, PresentToTheWindowOnlyAppliesAPendingPalette) {
    CDDrawSurface& s = Open(16);
    CColorPalette palette;
    palette.SetEntry(3, ColorWord(9, 9, 9));
    s.SetPendingPalette(&palette);
    const int blits = plat::desktop().Find(app)->Blits();
    s.BlitToWindow(plat::gdi().GetDc(app), CClipRect(0, 0, 640, 480));
    EXPECT_FALSE(s.IsPalettePending());
    EXPECT_EQ(xGraphics_GlobalPalette().GetEntry(3), ColorWord(9, 9, 9));
    EXPECT_EQ(plat::desktop().Find(app)->Blits(), blits) << "nothing is copied";
    EXPECT_FALSE(s.GetPalette(&palette));
}

TEST_F(DDrawSurfaceTest, FillsUseTheBlitterUnlockedAndTheCpuWhileLocked) {
    CDDrawSurface& s = Open(16);
    const int fills = plat::ddraw().stats().fills;
    s.FillRect(CClipRect(10, 10, 20, 20), ColorWord(255, 128, 8));
    EXPECT_EQ(plat::ddraw().stats().fills, fills + 1);
    EXPECT_EQ(Pixel16(Back(), 15, 15), PackColor565(ColorWord(255, 128, 8)));
    EXPECT_EQ(Pixel16(Back(), 20, 15), 0);
    s.LockSysSurface();
    s.FillRect(CClipRect(630, 0, 700, 1), ColorWord(0, 0, 255));
    EXPECT_EQ(plat::ddraw().stats().fills, fills + 1) << "locked: drawn by the CPU, clipped";
    s.UnlockSysSurface();
    EXPECT_EQ(Pixel16(Back(), 639, 0), 0x001F);
    debug().Clear();
    s.FillRect(CClipRect(630, 0, 700, 1), ColorWord(0, 0, 255));
    EXPECT_NE(traced().find("The rectangle is not valid"), std::string::npos) << "the blitter does not clip";

    display.reset();
    plat::ddraw().SetLayout555(true);
    CDDrawSurface& s555 = Open(16);
    s555.FillRect(CClipRect(0, 0, 1, 1), ColorWord(255, 128, 8));
    EXPECT_EQ(Pixel16(Back(), 0, 0), PackColor555(ColorWord(255, 128, 8)));
}

TEST_F(DDrawSurfaceTest, EightBitFillWritesTheIndexAndTracesAMaskError) {
    CDDrawSurface& s = Open(8);
    s.FillRect8(CClipRect(0, 0, 4, 4), 77);
    EXPECT_EQ(Pixel8(Back(), 3, 3), 77);
    debug().Clear();
    s.FillRect8(CClipRect(-1, 0, 4, 4), 1);
    char expected[64];
    std::snprintf(expected, sizeof expected, "****** Mask Error : %d\n", int(DDERR_INVALIDRECT));
    EXPECT_EQ(traced().rfind(expected, 0), 0u);
}

TEST_F(DDrawSurfaceTest, FillWaitsOnlyWhileTheBlitterIsStillDrawing) {
    CDDrawSurface& s = Open(16);
    Script& script = plat::ddraw().script();
    script.stillDrawing = 3;
    int calls = plat::ddraw().stats().bltStatusCalls;
    s.FillRect(CClipRect(0, 0, 2, 2), ColorWord(255, 255, 255));
    EXPECT_EQ(plat::ddraw().stats().bltStatusCalls - calls, 4);
    EXPECT_EQ(Pixel16(Back(), 1, 1), 0xFFFF);

    // An error other than "still drawing" is reported once; the fill does not wait on it.
    script.bltStatusResult = DDERR_SURFACEBUSY;
    calls = plat::ddraw().stats().bltStatusCalls;
    debug().Clear();
    s.FillRect(CClipRect(0, 0, 2, 2), ColorWord(0, 0, 0));
    EXPECT_EQ(plat::ddraw().stats().bltStatusCalls - calls, 1);
    EXPECT_NE(traced().find("The surface is busy with another operation"), std::string::npos);

    // A blitter that never finishes is not waited on forever.
    script.bltStatusResult = DD_OK;
    script.stillDrawing = 1000000;
    s.FillRect(CClipRect(0, 0, 2, 2), ColorWord(0, 0, 255));
    EXPECT_LT(script.stillDrawing, 1000000);
    EXPECT_GT(script.stillDrawing, 990000);
}

TEST_F(DDrawSurfaceTest, SwitchingToTheDesktopAndBack) {
    CDDrawSurface& s = Open(16);
    s.OnDisplaySwitch(0, 1);
    EXPECT_FALSE(plat::desktop().IsModeSwitched());
    plat::ddraw().LoseSurfaces();
    s.OnDisplaySwitch(0, 0);
    EXPECT_EQ(plat::desktop().Rect().Width(), 640);
    EXPECT_FALSE(s.IsSurfaceLost());
    plat::ddraw().script().restoreModeResult = E_FAIL;
    debug().Clear();
    s.OnDisplaySwitch(0, 1);
    char expected[64];
    std::snprintf(expected, sizeof expected, "Direct Draw Error : $%X\n", static_cast<unsigned>(E_FAIL));
    EXPECT_NE(traced().find(expected), std::string::npos);
}

TEST_F(DDrawSurfaceTest, OffscreenPicturesAreCopiedIntoTheBackBuffer) {
    CDDrawSurface& s = Open(16);
    CDDrawOffscreenSurface off;
    ASSERT_TRUE(off.Create(4, 2, 16));
    off.FillRect(CClipRect(0, 0, 4, 2), ColorWord(255, 0, 0));
    off.FillRect(CClipRect(2, 0, 4, 2), ColorWord(0, 0, 255));
    s.BltFastSurface(&off, 100, 50);
    EXPECT_EQ(Pixel16(Back(), 100, 50), 0xF800);
    EXPECT_EQ(Pixel16(Back(), 103, 51), 0x001F);
    s.BltFastRect(&off, CClipRect(2, 0, 4, 1), 0, 0);
    EXPECT_EQ(Pixel16(Back(), 1, 0), 0x001F);
    EXPECT_EQ(Pixel16(Back(), 0, 1), 0);
    debug().Clear();
    s.BltFastSurface(&off, 638, 0);
    EXPECT_NE(traced().find("***** DirectDraw Error\n"), std::string::npos) << "off the edge: reported";
}

class DDrawOffscreenTest : public DDrawSurfaceTest {};

TEST_F(DDrawOffscreenTest, VideoMemoryRefusedFallsBackToSystemMemoryWithATrace) {
    desk().SetRegistryMode(plat::MakeDevMode(640, 480, 16, 60)); // surfaces take the display's format
    ASSERT_TRUE(DirectX_Init());
    CDDrawOffscreenSurface off;
    ASSERT_TRUE(off.Create(16, 8, 16));
    EXPECT_TRUE(off.DDSurface()->InVideoMemory());
    EXPECT_EQ(traced().find("using system memory"), std::string::npos);
    plat::ddraw().script().videoMemoryRefused = true;
    ASSERT_TRUE(off.Create(16, 8, 16));
    EXPECT_FALSE(off.DDSurface()->InVideoMemory());
    EXPECT_NE(traced().find("Unable to create requested off-screen surface in video memory, using system memory "
                            "instead...\n"),
              std::string::npos);
    EXPECT_EQ(off.GetPixelFormat(), kPixelFormat565);
    EXPECT_EQ(off.GetPitch(), 128) << "rows padded to 64 bytes and 64 more";
    desk().SetRegistryMode(plat::MakeDevMode(1024, 768, 32, 60));
    ASSERT_TRUE(off.Create(16, 8, 16));
    EXPECT_EQ(off.GetBitsPerPixel(), 32) << "the display's depth, whatever was asked";
    EXPECT_EQ(off.GetPixelFormat(), kPixelFormat8) << "a 32-bit surface has code 0 as written";
    plat::ddraw().script().createOffscreenResult = E_OUTOFMEMORY;
    EXPECT_FALSE(off.Create(16, 8, 16));
    EXPECT_EQ(off.DDSurface(), nullptr);
    EXPECT_FALSE(off.Create(0, 8, 16));
    EXPECT_FALSE(off.Create(8, 8, 0));
}

TEST_F(DDrawOffscreenTest, CopiesUseTheBlitterForEqualFormatsAndStretch) {
    CDDrawSurface& s = Open(16);
    CDDrawOffscreenSurface off;
    ASSERT_TRUE(off.Create(2, 2, 16));
    off.FillRect(CClipRect(0, 0, 1, 2), ColorWord(255, 255, 255));
    const Stats before = plat::ddraw().stats();
    off.StretchCopy(CClipRect(0, 0, 2, 2), &s, CClipRect(10, 10, 12, 12), 0);
    EXPECT_EQ(plat::ddraw().stats().bltFasts - before.bltFasts, 1);
    off.StretchCopy(CClipRect(0, 0, 2, 2), &s, CClipRect(20, 20, 24, 22), 0);
    EXPECT_EQ(plat::ddraw().stats().blts - before.blts, 1);
    EXPECT_EQ(Pixel16(Back(), 10, 11), 0xFFFF);
    EXPECT_EQ(Pixel16(Back(), 11, 11), 0);
    EXPECT_EQ(Pixel16(Back(), 21, 21), 0xFFFF);
    EXPECT_EQ(Pixel16(Back(), 22, 20), 0);

    CDDrawOffscreenSurface other;
    ASSERT_TRUE(other.Create(2, 2, 16));
    off.StretchCopy(CClipRect(0, 0, 2, 2), &other, CClipRect(0, 0, 2, 2), 0);
    other.LockSysSurface();
    uint16_t v;
    std::memcpy(&v, other.Lock(), 2);
    other.UnlockSysSurface();
    EXPECT_EQ(v, 0xFFFF);

    plat::ddraw().LoseSurfaces();
    plat::ddraw().script().restoreFails = 1;
    const int blts = plat::ddraw().stats().bltFasts;
    off.StretchCopy(CClipRect(0, 0, 2, 2), &s, CClipRect(0, 0, 2, 2), 0);
    EXPECT_EQ(plat::ddraw().stats().bltFasts, blts) << "a lost destination gets nothing";
}

TEST_F(DDrawOffscreenTest, OtherFormatsAndMemorySurfacesGoThroughTheCpu) {
    desk().SetRegistryMode(plat::MakeDevMode(640, 480, 16, 60));
    ASSERT_TRUE(DirectX_Init());
    plat::ddraw().SetLayout555(true);
    CDDrawOffscreenSurface off;
    ASSERT_TRUE(off.Create(2, 1, 16));
    EXPECT_EQ(off.GetPixelFormat(), kPixelFormat555);
    off.FillRect(CClipRect(0, 0, 2, 1), ColorWord(0, 255, 0));
    plat::ddraw().SetLayout555(false);
    CDDrawSurface& s = Open(16);
    ASSERT_EQ(s.GetPixelFormat(), kPixelFormat565);
    s.LockSysSurface(); // the window holds the back buffer locked while it draws
    off.StretchCopy(CClipRect(0, 0, 2, 1), &s, CClipRect(0, 0, 2, 1), 0);
    EXPECT_TRUE(s.IsSysSurfaceLocked()) << "the holder's lock stays";
    EXPECT_FALSE(off.IsSysSurfaceLocked());
    s.UnlockSysSurface();
    EXPECT_EQ(Pixel16(Back(), 1, 0), 0x07C0) << "converted to 5-6-5 on the way (green shifted up)";

    CPixelSurface memory;
    ASSERT_TRUE(memory.Create(2, 1, 16));
    memory.SetPixelFormat(kPixelFormat565);
    off.StretchCopy(CClipRect(0, 0, 2, 1), &memory, CClipRect(0, 0, 2, 1), 0);
    uint16_t v;
    std::memcpy(&v, memory.Lock(), 2);
    memory.Unlock();
    EXPECT_EQ(v, 0x07C0);
    EXPECT_FALSE(off.IsSysSurfaceLocked());
}

TEST_F(DDrawOffscreenTest, LostSurfacesFailedFillsAndRestoresAreTraced) {
    ASSERT_TRUE(DirectX_Init());
    CDDrawOffscreenSurface off;
    ASSERT_TRUE(off.Create(4, 4, 16));
    EXPECT_TRUE(off.IsValid());
    debug().Clear();
    off.FillRect(CClipRect(2, 3, 9, 4), ColorWord(1, 2, 3));
    char head[160];
    std::snprintf(head, sizeof head, "DDrawOffscreenSurface::FillRect (a) : %d\nRect : 2,3,9,4\n",
                  int(DDERR_INVALIDRECT));
    EXPECT_EQ(traced().rfind(head, 0), 0u);
    plat::ddraw().LoseSurfaces();
    EXPECT_FALSE(off.IsValid());
    plat::ddraw().script().restoreFails = 1;
    debug().Clear();
    EXPECT_EQ(off.Restore(), 0);
    EXPECT_NE(traced().find("CDDrawOffscreenSurface: Failed to restore our DDraw offscreen surface\n"),
              std::string::npos);
    EXPECT_EQ(off.Restore(), 1);
    EXPECT_TRUE(off.IsValid());
}

} // namespace
