#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Platform.h"
#include "platform/headless/HeadlessDesktop.h"
#include "tests/support/HeadlessTest.h"

namespace {

using namespace plat;
using namespace plat::dd;

class DirectDrawTest : public vqt::test::HeadlessTest {
protected:
    void TearDown() override {
        if (back) back->Release();
        if (primary) primary->Release();
        if (object) object->Release();
        HeadlessTest::TearDown();
    }

    /// Loads, makes the object, takes a full-screen window and switches to 640 x 480 x bits.
    void Open(uint32_t bits = 16) {
        ASSERT_TRUE(ddraw().Load());
        ASSERT_EQ(ddraw().Create(&object), DD_OK);
        WindowParams p;
        p.style = WS_POPUP;
        p.rect = {0, 0, 640, 480};
        window = desktop().CreateWindow(p);
        ASSERT_EQ(object->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_NOWINDOWCHANGES),
                  DD_OK);
        ASSERT_EQ(object->SetDisplayMode(640, 480, bits, 0, 0), DD_OK);
    }

    void MakeFlipChain() {
        SurfaceDesc d;
        d.size = sizeof d;
        d.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        d.caps.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        d.backBufferCount = 1;
        ASSERT_EQ(object->CreateSurface(&d, &primary, nullptr), DD_OK);
        SurfaceCaps caps{DDSCAPS_BACKBUFFER};
        ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    }

    Surface* Offscreen(uint32_t w, uint32_t h, uint32_t memory, Result* result = nullptr) {
        SurfaceDesc d;
        d.size = sizeof d;
        d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.width = w;
        d.height = h;
        d.caps.caps = DDSCAPS_OFFSCREENPLAIN | memory;
        Surface* s = nullptr;
        const Result r = object->CreateSurface(&d, &s, nullptr);
        if (result) *result = r;
        return s;
    }

    /// Fills the locked back buffer with one 16-bit value.
    void Paint(Surface* s, uint16_t value) {
        SurfaceDesc d;
        d.size = sizeof d;
        ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
        for (uint32_t y = 0; y < d.height; ++y) {
            uint8_t* row = static_cast<uint8_t*>(d.surface) + size_t(y) * size_t(d.pitch);
            for (uint32_t x = 0; x < d.width; ++x) std::memcpy(row + 2 * x, &value, 2);
        }
        ASSERT_EQ(s->Unlock(nullptr), DD_OK);
    }

    static uint16_t At(const Surface* s, uint32_t x, uint32_t y) {
        uint16_t v;
        std::memcpy(&v, s->Pixels() + size_t(y) * size_t(s->Pitch()) + 2 * x, 2);
        return v;
    }

    DirectDraw* object = nullptr;
    Surface* primary = nullptr;
    Surface* back = nullptr;
    WindowId window = 0;
};

TEST_F(DirectDrawTest, SixteenBitLayoutFollowsTheSettingAndThePitchIsPadded) {
    Open(16);
    MakeFlipChain();
    PixelFormat f;
    f.size = sizeof f;
    ASSERT_EQ(primary->GetPixelFormat(&f), DD_OK);
    EXPECT_EQ(f.gBitMask, 0x7E0u) << "5-6-5 by default";
    SurfaceDesc d;
    d.size = sizeof d;
    ASSERT_EQ(back->GetSurfaceDesc(&d), DD_OK);
    EXPECT_EQ(d.pitch, 1344) << "rows are padded past width x 2";

    ddraw().SetLayout555(true);
    Surface* off = Offscreen(8, 8, DDSCAPS_SYSTEMMEMORY);
    ASSERT_NE(off, nullptr);
    ASSERT_EQ(off->GetPixelFormat(&f), DD_OK);
    EXPECT_EQ(f.gBitMask, 0x3E0u);
    off->Release();
}

TEST_F(DirectDrawTest, FlipExchangesTheBuffersAndShowsTheFront) {
    Open(16);
    MakeFlipChain();
    const uint16_t frameA = 0xF800; // red in 5-6-5
    const uint16_t frameB = 0x001F; // blue
    Paint(back, frameA);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    Paint(back, frameB);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(At(primary, 639, 479), frameB);
    EXPECT_EQ(At(back, 10, 10), frameA) << "the back buffer holds the frame before the last";
    EXPECT_EQ(desktop().Find(window)->Presented().At(320, 240), MakeArgb(0, 0, 255));

    SurfaceDesc d;
    d.size = sizeof d;
    ASSERT_EQ(back->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY) << "no flip while drawing";
    EXPECT_EQ(back->Unlock(nullptr), DD_OK);
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
}

TEST_F(DirectDrawTest, LostSurfacesRefuseWorkUntilRestoredAndTheBlitterReportsItsState) {
    Open(16);
    MakeFlipChain();
    ddraw().script().flipLost = 2;
    ddraw().script().restoreFails = 1;
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(back->IsLost(), DDERR_SURFACELOST) << "the chain is lost together";
    SurfaceDesc d;
    d.size = sizeof d;
    EXPECT_EQ(back->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
    EXPECT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(back->IsLost(), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST) << "lost a second time";
    EXPECT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    ddraw().LoseSurfaces();
    EXPECT_EQ(back->GetBltStatus(DDGBS_CANBLT), DDERR_SURFACELOST);
    EXPECT_EQ(primary->Restore(), DD_OK);

    // The blitter's status can report it still drawing, or an error that stays.
    ddraw().script().stillDrawing = 2;
    EXPECT_EQ(back->GetBltStatus(DDGBS_CANBLT), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(back->GetBltStatus(DDGBS_CANBLT), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(back->GetBltStatus(DDGBS_CANBLT), DD_OK);
    ddraw().script().bltStatusResult = DDERR_SURFACEBUSY;
    EXPECT_EQ(back->GetBltStatus(DDGBS_CANBLT), DDERR_SURFACEBUSY);
    EXPECT_EQ(back->GetBltStatus(DDGBS_CANBLT), DDERR_SURFACEBUSY) << "an error stays";
}

TEST_F(DirectDrawTest, FillsStretchesAndFastCopiesWithTheirBounds) {
    Open(16);
    MakeFlipChain();
    BltFx fx;
    fx.size = sizeof fx;
    fx.fillColor = 0x1234;
    const Rect r{10, 20, 12, 21};
    ASSERT_EQ(back->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    EXPECT_EQ(At(back, 11, 20), 0x1234);
    EXPECT_EQ(At(back, 12, 20), 0);
    EXPECT_EQ(At(back, 10, 21), 0);
    const Rect outside{630, 470, 650, 480};
    EXPECT_EQ(back->Blt(&outside, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDRECT);

    Surface* off = Offscreen(2, 2, 0);
    ASSERT_NE(off, nullptr);
    EXPECT_TRUE(off->InVideoMemory()) << "video memory when nothing is asked";
    const Rect left{0, 0, 1, 2}, right{1, 0, 2, 2};
    fx.fillColor = 0xAAAA;
    off->Blt(&left, nullptr, nullptr, DDBLT_COLORFILL, &fx);
    fx.fillColor = 0x5555;
    off->Blt(&right, nullptr, nullptr, DDBLT_COLORFILL, &fx);
    const Rect big{100, 100, 104, 102};
    ASSERT_EQ(back->Blt(&big, off, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(At(back, 101, 100), 0xAAAA);
    EXPECT_EQ(At(back, 102, 101), 0x5555);
    ASSERT_EQ(back->BltFast(638, 478, off, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(At(back, 639, 479), 0x5555);
    EXPECT_EQ(back->BltFast(639, 478, off, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT) << "one column past the right edge";
    EXPECT_EQ(back->BltFast(638, 479, off, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT) << "one row past the bottom";
    off->Release();
}

TEST_F(DirectDrawTest, VideoMemoryCanBeRefusedWhileSystemMemoryWorks) {
    Open(16);
    ddraw().script().videoMemoryRefused = true;
    Result r = DD_OK;
    EXPECT_EQ(Offscreen(4, 4, DDSCAPS_VIDEOMEMORY, &r), nullptr);
    EXPECT_EQ(r, DDERR_OUTOFVIDEOMEMORY);
    Surface* sys = Offscreen(4, 4, DDSCAPS_SYSTEMMEMORY, &r);
    ASSERT_NE(sys, nullptr);
    EXPECT_FALSE(sys->InVideoMemory());
    sys->Release();
    EXPECT_EQ(ddraw().LiveSurfaces(), 0u);
}

TEST_F(DirectDrawTest, EightBitFrontIsShownThroughItsPalette) {
    Open(8);
    MakeFlipChain();
    std::vector<PaletteEntry> entries(256, PaletteEntry{});
    entries[5] = PaletteEntry{10, 200, 30, 0};
    Palette* pal = nullptr;
    ASSERT_EQ(object->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries.data(), &pal, nullptr), DD_OK);
    ASSERT_EQ(primary->SetPalette(pal), DD_OK);
    pal->Release(); // the primary holds it
    BltFx fx;
    fx.size = sizeof fx;
    fx.fillColor = 5;
    ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(desktop().Find(window)->Presented().At(1, 1), MakeArgb(10, 200, 30));
}

TEST_F(DirectDrawTest, CooperativeLevelModesAndEnumeration) {
    ASSERT_TRUE(ddraw().Load());
    ASSERT_EQ(ddraw().Create(&object), DD_OK);
    EXPECT_EQ(object->SetCooperativeLevel(0, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_NOHWND);
    EXPECT_EQ(object->SetCooperativeLevel(0, DDSCL_FULLSCREEN), E_INVALIDARG);
    SurfaceDesc d;
    d.size = sizeof d;
    d.flags = DDSD_CAPS;
    d.caps.caps = DDSCAPS_PRIMARYSURFACE;
    EXPECT_EQ(object->CreateSurface(&d, &primary, nullptr), DDERR_NOCOOPERATIVELEVELSET);
    EXPECT_EQ(object->SetCooperativeLevel(0, DDSCL_NORMAL), DD_OK);

    EXPECT_EQ(object->SetDisplayMode(641, 480, 16), DDERR_INVALIDMODE);
    EXPECT_EQ(object->SetDisplayMode(640, 480, 16), DD_OK);
    ddraw().script().restoreModeResult = E_NOTIMPL;
    EXPECT_EQ(object->RestoreDisplayMode(), E_NOTIMPL);
    ddraw().script().restoreModeResult = DD_OK;
    EXPECT_EQ(object->RestoreDisplayMode(), DD_OK);
    EXPECT_FALSE(desktop().IsModeSwitched());

    std::vector<uint32_t> bits;
    auto collect = [](const SurfaceDesc* m, void* ctx) -> Result {
        auto* seen = static_cast<std::vector<uint32_t>*>(ctx);
        seen->push_back(m->pixelFormat.rgbBitCount);
        return seen->size() < 3 ? DDENUMRET_OK : DDENUMRET_CANCEL;
    };
    ASSERT_EQ(object->EnumDisplayModes(0, nullptr, &bits, collect), DD_OK);
    EXPECT_EQ(bits, (std::vector<uint32_t>{8, 16, 32})) << "the callback stopped it after three";

    Caps hw;
    hw.size = sizeof(Caps);
    ddraw().script().hardware.caps = DDCAPS_NOHARDWARE;
    ASSERT_EQ(object->GetCaps(&hw, nullptr), DD_OK);
    EXPECT_EQ(hw.caps, DDCAPS_NOHARDWARE);
}

TEST_F(DirectDrawTest, SurfaceContextDrawsIntoTheSurfacePixels) {
    Open(16);
    MakeFlipChain();
    Dc* dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    const PixelTarget t = dc->Target();
    EXPECT_EQ(t.pitch, back->Pitch());
    EXPECT_TRUE(t.is565);
    const uint16_t white = 0xFFFF;
    std::memcpy(t.top + t.pitch * 3 + 2 * 4, &white, 2);
    Dc* again = nullptr;
    EXPECT_EQ(back->GetDC(&again), DDERR_DCALREADYCREATED);
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_SURFACEBUSY) << "a context locks the surface";
    EXPECT_EQ(back->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(At(back, 4, 3), 0xFFFF);
}

} // namespace
