#include <cstring>
#include <vector>

#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/graphics/GDIDXSurface.h"
#include "engine/graphics/TextDIBSurface.h"
#include "tests/engine/graphics/DisplayTestSupport.h"
#include "tests/support/Png.h"

namespace {

using displaytest::DisplayTest;
using vqt::test::ToRgb;

class DIBSurfaceTest : public DisplayTest {
protected:
    /// A palette whose entry i is (i, 255 - i, i / 2).
    static CColorPalette Ramp() {
        CColorPalette p;
        for (int i = 0; i < 256; ++i) p.SetEntry(i, ColorWord(uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)));
        return p;
    }
    /// The bitmap's colour table as the window system holds it.
    static std::vector<plat::RgbQuad> Table(CDIBSectionSurface& s) { return s.DibBitmap()->ColorTable(); }
};

TEST_F(DIBSurfaceTest, PixelsAreStoredBottomUpWithANegativePitchAndSixteenBitsAre555) {
    CDIBSurface s;
    ASSERT_TRUE(s.Create(5, 3, 8));
    EXPECT_EQ(s.GetPitch(), -8);
    plat::Bitmap* bitmap = s.DibBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(s.Lock(), bitmap->Memory() + 2 * 8) << "the top line lies at the end of the memory";
    s.Unlock();
    plat::BitmapInfoHeader header;
    std::memcpy(&header, s.BitmapInfo(), sizeof header);
    EXPECT_EQ(header.height, 3) << "positive: bottom-up";
    EXPECT_EQ(header.bitCount, 8);
    EXPECT_EQ(bitmap->SelectedInto(), s.MemoryDC());
    // Sixteen bits are 5-5-5 whatever the display; a new width goes back to 8 bits.
    plat::ddraw().SetLayout555(false);
    xGraphics_SetPixelFormat(kPixelFormat565);
    CDIBSurface deep;
    ASSERT_TRUE(deep.Create(7, 4, 16));
    EXPECT_EQ(deep.GetPixelFormat(), kPixelFormat555) << "whatever the display's layout";
    EXPECT_EQ(deep.GetPitch(), -16);
    deep.SetWidth(9);
    EXPECT_EQ(deep.GetBitsPerPixel(), 8);
    CDIBSurface t;
    ASSERT_TRUE(t.Create(3, 3, 24));
    EXPECT_EQ(t.GetPixelFormat(), kPixelFormat24);
}

TEST_F(DIBSurfaceTest, FailedContextOrBitmapFailsCreateAndLeavesNothingBehind) {
    const size_t before = plat::gdi().LiveObjects();
    CDIBSurface s;
    plat::gdi().script().failCreateDc = 1;
    EXPECT_FALSE(s.Create(8, 8, 8));
    EXPECT_EQ(s.Lock(), nullptr) << "no pixels to draw into";
    s.Unlock();
    plat::gdi().script().failCreateDib = 1;
    EXPECT_FALSE(s.Create(8, 8, 8));
    EXPECT_EQ(s.BitmapInfo(), nullptr);
    EXPECT_EQ(s.GetWidth(), 0);
    EXPECT_EQ(plat::gdi().LiveObjects(), before);
    EXPECT_FALSE(s.Create(8, 8, 4)) << "depths the surfaces draw are 8, 16, 24 and 32";
    EXPECT_FALSE(s.Create(0, 8, 8));
    EXPECT_TRUE(s.Create(8, 8, 8));
    s.Destroy();
    EXPECT_EQ(plat::gdi().LiveObjects(), before);
}

TEST_F(DIBSurfaceTest, ContextIsHandedOutWithTheLockFlagByTheRulesOfEachClass) {
    CDIBSurface dib;
    EXPECT_EQ(dib.GetDC(), nullptr);
    EXPECT_TRUE(dib.IsLocked()) << "the windowed surface sets the flag even without a context";
    dib.ReleaseDC(nullptr);
    CTextDIBSurface text;
    EXPECT_EQ(text.GetDC(), nullptr);
    EXPECT_FALSE(text.IsLocked());
    ASSERT_TRUE(text.Create(4, 4, 8));
    plat::Dc* dc = text.GetDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_TRUE(text.IsLocked());
    EXPECT_EQ(dc->MapMode(), plat::MM_TEXT);
    EXPECT_EQ(dc->Target().pitch, text.GetPitch()) << "a context over the surface's own pixels";
    text.ReleaseDC(dc);
    EXPECT_FALSE(text.IsLocked());
}

TEST_F(DIBSurfaceTest, RealisedPaletteReachesTheColourTableWithEachClassFourthByte) {
    const plat::WindowId app = MakeAppWindow();
    const CColorPalette ramp = Ramp();
    CDIBSurface dib;
    CTextDIBSurface text;
    CGDIDXSurface gdidx;
    ASSERT_TRUE(dib.Create(4, 4, 8));
    ASSERT_TRUE(text.Create(4, 4, 8));
    ASSERT_TRUE(gdidx.Create(4, 4, 8));
    dib.SetPalette(&ramp);
    text.SetPalette(&ramp);
    gdidx.SetPalette(&ramp);
    EXPECT_EQ(Table(dib)[10], (plat::RgbQuad{5, 245, 10, 4}));
    EXPECT_EQ(Table(dib)[0].reserved, 4);
    EXPECT_EQ(Table(gdidx)[10], (plat::RgbQuad{5, 245, 10, 0}));
    EXPECT_EQ(Table(gdidx)[255].reserved, 0);
    EXPECT_EQ(Table(text)[0].reserved, 1);
    EXPECT_EQ(Table(text)[255].reserved, 1);
    EXPECT_EQ(Table(text)[1].reserved, 0);
    // The header block's table: fourth byte 0, but 1 at 0 and 255 for the text surface.
    EXPECT_EQ(dib.BitmapInfo()[40 + 4 * 255 + 3], 0);
    EXPECT_EQ(text.BitmapInfo()[40 + 4 * 255 + 3], 1);
    EXPECT_EQ(text.BitmapInfo()[40 + 4 * 7 + 2], 7) << "red in the third byte";
    // The first realisation selected the palette into the application window's context.
    const plat::Window& w = *plat::desktop().Find(app);
    EXPECT_EQ(w.Realizations(), 3);
    EXPECT_EQ(w.RealizedPalette()[200], (plat::PaletteEntry{200, 55, 100, plat::PC_NOCOLLAPSE}));
    // A later palette only updates the same palette object's entries.
    plat::GdiPalette* own = dib.OwnGdiPalette();
    CColorPalette other = ramp;
    other.SetEntry(10, ColorWord(1, 2, 3));
    dib.SetPalette(&other);
    EXPECT_EQ(dib.OwnGdiPalette(), own);
    EXPECT_EQ(Table(dib)[10], (plat::RgbQuad{3, 2, 1, 4}));
}

TEST_F(DIBSurfaceTest, OnlyTheTextSurfaceLeavesTheGlobalPaletteAlone) {
    const CColorPalette ramp = Ramp();
    CTextDIBSurface text;
    ASSERT_TRUE(text.Create(2, 2, 8));
    const uint32_t global = xGraphics_GlobalPalette().GetEntry(10);
    text.SetPalette(&ramp);
    EXPECT_EQ(xGraphics_GlobalPalette().GetEntry(10), global);
    CDIBSurface dib;
    ASSERT_TRUE(dib.Create(2, 2, 8));
    dib.SetPalette(&ramp);
    EXPECT_EQ(xGraphics_GlobalPalette().GetEntry(10), ramp.GetEntry(10));
    CColorPalette back;
    ASSERT_TRUE(dib.GetPalette(&back));
    EXPECT_EQ(back.GetEntry(77), ramp.GetEntry(77));
    CDIBSurface deep;
    ASSERT_TRUE(deep.Create(2, 2, 16));
    EXPECT_FALSE(deep.GetPalette(&back));
    EXPECT_FALSE(deep.RealizePalette());
}

TEST_F(DIBSurfaceTest, RemapKeepsTheColoursThePixelsShowedBeforeThePaletteChange) {
    // Old palette: index 5 is pure red. New palette: red moved to index 9.
    CColorPalette oldPalette;
    CColorPalette newPalette;
    for (int i = 1; i < 255; ++i) {
        oldPalette.SetEntry(i, ColorWord(uint8_t(i), uint8_t(i), uint8_t(i)));
        newPalette.SetEntry(i, ColorWord(uint8_t(i), uint8_t(i), uint8_t(i)));
    }
    oldPalette.SetEntry(5, ColorWord(255, 0, 0));
    newPalette.SetEntry(9, ColorWord(255, 0, 0));
    CDIBSurface s;
    ASSERT_TRUE(s.Create(2, 1, 8));
    s.SetPalette(&oldPalette);
    uint8_t* p = s.Lock();
    p[0] = 5;
    p[1] = 100;
    s.Unlock();
    s.SetPalette(&newPalette, 1);
    p = s.Lock();
    EXPECT_EQ(p[0], 9) << "the red pixel stays red";
    EXPECT_EQ(p[1], 100);
    s.Unlock();
}

TEST_F(DIBSurfaceTest, PresentedPictureEqualsTheDrawnOne) {
    Windowed();
    xProfiles_Values().dirtyRects = 0;
    const plat::WindowId app = MakeAppWindow();
    CDIBSurface s;
    ASSERT_TRUE(s.Create(640, 480, 16));
    displaytest::DrawPattern(s);
    s.BlitToWindow(plat::gdi().GetDc(app), CClipRect(0, 0, 640, 480));
    const plat::Image& shown = plat::desktop().Find(app)->Presented();
    vqt::test::ExpectMatchesGoldenImage("engine/graphics/dib_present_555.png", ToRgb(shown));
}

TEST_F(DIBSurfaceTest, DirtyRectanglesAloneChangeClippedToThePresentRectangle) {
    Windowed();
    ASSERT_EQ(xProfiles_Values().dirtyRects, 1);
    const plat::WindowId app = MakeAppWindow();
    CDIBSurface s;
    ASSERT_TRUE(s.Create(640, 480, 16));
    displaytest::DrawPattern(s);
    const plat::Image before = plat::desktop().Find(app)->Presented();
    s.BlitToWindow(plat::gdi().GetDc(app), CClipRect(0, 0, 640, 480));
    EXPECT_EQ(plat::desktop().Find(app)->Presented(), before) << "an empty dirty list copies nothing";

    xStage_SetClipRect(CRect16(0, 0, 640, 480));
    xDirtyRects_Add(CRect16(8, 8, 40, 24));
    xDirtyRects_Add(CRect16(600, 400, 700, 500)); // clipped to the stage
    xDirtyRects_Add(CRect16(100, 200, 104, 300));
    s.BlitToWindow(plat::gdi().GetDc(app), CClipRect(0, 0, 620, 480));
    const plat::Image& after = plat::desktop().Find(app)->Presented();
    auto inside = [](int x, int y) {
        return (x >= 8 && x < 40 && y >= 8 && y < 24) || (x >= 600 && x < 620 && y >= 400 && y < 480) ||
               (x >= 100 && x < 104 && y >= 200 && y < 300);
    };
    int changed = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            if (inside(x, y)) {
                EXPECT_EQ(after.At(x, y), plat::Expand555(displaytest::Pattern555(x, y)));
                ++changed;
            } else if (after.At(x, y) != before.At(x, y)) {
                ADD_FAILURE() << "pixel " << x << "," << y << " outside the dirty rectangles changed";
                return;
            }
        }
    EXPECT_EQ(changed, 32 * 16 + 20 * 80 + 4 * 100);
}

TEST_F(DIBSurfaceTest, TextSurfaceTakesDirtyRectanglesWholeAndFlushes) {
    Windowed();
    const plat::WindowId app = MakeAppWindow();
    CTextDIBSurface s;
    ASSERT_TRUE(s.Create(640, 480, 16));
    displaytest::DrawPattern(s);
    xStage_SetClipRect(CRect16(0, 0, 640, 480));
    xDirtyRects_Add(CRect16(600, 0, 640, 10));
    const int flushes = plat::gdi().counts().flushes;
    s.BlitToWindow(plat::gdi().GetDc(app), CClipRect(0, 0, 100, 100));
    const plat::Image& shown = plat::desktop().Find(app)->Presented();
    EXPECT_EQ(shown.At(620, 5), plat::Expand555(displaytest::Pattern555(620, 5))) << "not clipped to the rectangle";
    EXPECT_EQ(plat::gdi().counts().flushes, flushes + 1);
}

TEST_F(DIBSurfaceTest, PendingPaletteIsAppliedAndTheWholeRectangleCopied) {
    Windowed();
    const plat::WindowId app = MakeAppWindow(8, 8);
    CDIBSurface s;
    ASSERT_TRUE(s.Create(8, 8, 8));
    uint8_t* p = s.Lock();
    for (int y = 0; y < 8; ++y) std::memset(p + s.GetPitch() * y, 42, 8);
    s.Unlock();
    const CColorPalette ramp = Ramp();
    s.SetPendingPalette(&ramp);
    EXPECT_TRUE(s.IsPalettePending());
    EXPECT_EQ(Table(s)[42].red, 0) << "nothing happens before the present";
    s.BlitToWindow(plat::gdi().GetDc(app), CClipRect(0, 0, 8, 8));
    EXPECT_FALSE(s.IsPalettePending());
    const plat::Image& shown = plat::desktop().Find(app)->Presented();
    EXPECT_EQ(shown.At(0, 0), plat::MakeArgb(42, 213, 21)) << "dirty list empty, yet the whole rectangle";
    EXPECT_EQ(shown.At(7, 7), plat::MakeArgb(42, 213, 21));
    EXPECT_EQ(plat::gdi().GetDc(app)->SelectedPalette(), s.OwnGdiPalette())
        << "the first realisation leaves the palette selected in the window's context";
    EXPECT_EQ(plat::desktop().Find(app)->RealizedPalette()[42], (plat::PaletteEntry{42, 213, 21, plat::PC_NOCOLLAPSE}));
}

TEST_F(DIBSurfaceTest, FullScreenGdiSwitchesToTheModeAndPutsTheWindowOnTop) {
    FullScreenGdi();
    const plat::WindowId app = MakeAppWindow(640, 480);
    CGDIDXSurface s;
    ASSERT_TRUE(s.Create(640, 480, 16));
    ASSERT_TRUE(s.Create(app));
    EXPECT_EQ(s.Mode().bits, 16);
    EXPECT_EQ(plat::desktop().Rect(), (plat::WinRect{0, 0, 640, 480}));
    EXPECT_TRUE(plat::desktop().Find(app)->IsTopmost());
    s.RestoreDisplay();
    EXPECT_FALSE(plat::desktop().IsModeSwitched());
    EXPECT_TRUE(s.Shutdown());
    EXPECT_EQ(DirectX_GetDirectDraw(), nullptr);
}

TEST_F(DIBSurfaceTest, FullScreenGdiFailsWithoutTheInterfaceAModeOrASwitch) {
    FullScreenGdi();
    const plat::WindowId app = MakeAppWindow();
    {
        CGDIDXSurface s;
        ASSERT_TRUE(s.Create(640, 480, 16));
        plat::ddraw().script().loadFails = true;
        EXPECT_FALSE(s.IsDisplayAvailable());
        EXPECT_FALSE(s.Create(app));
        plat::ddraw().script().loadFails = false;
    }
    CGDIDXSurface noMode;
    ASSERT_TRUE(noMode.Create(512, 384, 16));
    EXPECT_FALSE(noMode.Create(app));
    CGDIDXSurface refused;
    ASSERT_TRUE(refused.Create(640, 480, 16));
    plat::ddraw().script().setModeResult = plat::dd::DDERR_UNSUPPORTEDMODE;
    debug().Clear();
    EXPECT_FALSE(refused.Create(app));
    EXPECT_NE(traced().find("***** DirectDraw Error\n"), std::string::npos);
    EXPECT_FALSE(plat::desktop().IsModeSwitched());
}

} // namespace
