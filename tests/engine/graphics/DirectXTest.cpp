#include <set>
#include <string>

#include "engine/graphics/DDrawError.h"
#include "engine/graphics/DirectX.h"
#include "tests/engine/graphics/DisplayTestSupport.h"
#include "tests/support/Golden.h"

namespace {

using namespace plat::dd;
using displaytest::DisplayTest;

class DirectXTest : public DisplayTest {};

TEST_F(DirectXTest, EveryResultCodeHasItsOwnTextAndTheShortOnesAreExact) {
    std::set<std::string> texts;
#define VQT_CHECK_TEXT(name, n)                                                       \
    EXPECT_STRNE(DDrawErrorText(name), "Unknown") << #name;                            \
    texts.insert(DDrawErrorText(name));
    VQT_DD_RESULT_CODES(VQT_CHECK_TEXT)
#undef VQT_CHECK_TEXT
    EXPECT_EQ(texts.size(), 100u) << "no two codes share a text";
    EXPECT_STREQ(DDrawErrorText(E_NOTIMPL), "Unsupported");
    EXPECT_STREQ(DDrawErrorText(E_INVALIDARG), "Invalid parameters");
    EXPECT_STREQ(DDrawErrorText(DDERR_NOZBUFFERHW), "No Z-Buffer\tHardware");
    EXPECT_STREQ(DDrawErrorText(DD_OK), "Unknown");
    EXPECT_STREQ(DDrawErrorText(1), "Unknown");
}

TEST_F(DirectXTest, ReportHasTheMessageCodeTextFileAndLine) {
    DDrawReportError(DDERR_SURFACELOST, "Flip", "Display.cpp", 42);
    DDrawReportError(0x12345678, nullptr, "Other.cpp", 7);
    char code[16];
    std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(DDERR_SURFACELOST));
    EXPECT_EQ(traced(), std::string("***** DirectDraw Error\n***** Message : Flip\n***** Error code : $") + code +
                            "\n***** Error message : The surface memory was lost and must be restored\n" +
                            "***** File : Display.cpp\nLine 42\n\n" +
                            "***** DirectDraw Error\n***** Message : [none given]\n***** Error code : $12345678\n" +
                            "***** Error message : Unknown\n***** File : Other.cpp\nLine 7\n\n");
    EXPECT_STREQ(DDrawFileName("a/b\\c/File.cpp"), "File.cpp");
}

TEST_F(DirectXTest, LoadFailureReportsCodeOneAndLeavesTheModuleUnavailable) {
    plat::ddraw().script().loadFails = true;
    EXPECT_FALSE(DirectX_Init());
    EXPECT_FALSE(DirectX_IsAvailable());
    EXPECT_EQ(DirectX_GetDirectDraw(), nullptr);
    EXPECT_NE(traced().find("DDraw version compiled to : $00000300\n"), std::string::npos);
    EXPECT_NE(traced().find("***** Error code : $00000001\n***** Error message : Unknown\n"), std::string::npos);
    plat::ddraw().script().loadFails = false;
    EXPECT_TRUE(DirectX_Init()) << "a later start can still load";
    EXPECT_TRUE(DirectX_IsAvailable());
}

TEST_F(DirectXTest, CreateOrInterfaceFailuresAreTracedReportedAndShutDown) {
    plat::ddraw().script().createResult = DDERR_NODIRECTDRAWHW;
    EXPECT_FALSE(DirectX_Init());
    EXPECT_NE(traced().find("DirectDrawCreate failed\n"), std::string::npos);
    size_t reports = 0;
    for (size_t at = traced().find("No DirectDraw Hardware"); at != std::string::npos;
         at = traced().find("No DirectDraw Hardware", at + 1))
        ++reports;
    EXPECT_EQ(reports, 2u) << "reported when it fails and once more before the shutdown";
    plat::ddraw().script().createResult = DD_OK;
    plat::ddraw().script().queryFails = true;
    EXPECT_FALSE(DirectX_Init());
    EXPECT_NE(traced().find("unable to get IDirectDraw2 interface\n"), std::string::npos);
}

TEST_F(DirectXTest, CapabilitiesAreTracedForHardwareAndEmulation) {
    ASSERT_TRUE(DirectX_Init());
    Script& s = plat::ddraw().script();
    s.hardware.caps = DDCAPS_BLT | DDCAPS_PALETTE | DDCAPS_CANBLTSYSMEM | DDCAPS_ALPHA;
    s.hardware.fxAlphaCaps = DDFXALPHACAPS_BLTALPHAEDGEBLEND | DDFXALPHACAPS_BLTALPHASURFACESNEG;
    s.hardware.videoMemoryTotal = 4194304;
    s.emulation.caps = DDCAPS_NOHARDWARE | DDCAPS_GDI | DDCAPS_COLORKEY | DDCAPS_PALETTEVSYNC;
    s.emulation.fxAlphaCaps = DDFXALPHACAPS_BLTALPHAPIXELS | DDFXALPHACAPS_BLTALPHAPIXELSNEG |
                              DDFXALPHACAPS_BLTALPHASURFACES;
    debug().Clear();
    DirectX_ReportCaps();
    vqt::test::ExpectMatchesGolden("engine/graphics/dx_caps_report.txt", traced());
}

TEST_F(DirectXTest, WindowedModeChecksNothingAndNeverMovesTheWindow) {
    Windowed();
    const plat::WindowId w = MakeAppWindow(320, 200);
    plat::desktop().Find(w)->SetPos(plat::HWND_TOP, 50, 60, 320, 200, 0);
    EXPECT_TRUE(DirectX_CheckVideoMode(1234, 567, 16)) << "without asking the display";
    ASSERT_TRUE(DirectX_Init());
    DirectX_SetWindow(w);
    EXPECT_EQ(DirectX_SetCooperativeLevel(1), DD_OK);
    EXPECT_EQ(DirectX_SetDisplayMode(640, 480, 16, 0), DD_OK);
    EXPECT_EQ(DirectX_RestoreDisplayMode(), DD_OK);
    EXPECT_EQ(plat::ddraw().stats().setModes, 0);
    EXPECT_EQ(plat::ddraw().stats().cooperativeFlags, 0u);
    const plat::Window& window = *plat::desktop().Find(w);
    EXPECT_EQ(window.Rect(), (plat::WinRect{50, 60, 370, 260})) << "the window keeps its place";
    EXPECT_FALSE(window.IsTopmost());
}

TEST_F(DirectXTest, CheckVideoModeListsModesAndTracesAMissingOne) {
    FullScreenDirectDraw();
    ASSERT_TRUE(DirectX_Init());
    EXPECT_TRUE(DirectX_CheckVideoMode(800, 600, 32));
    EXPECT_EQ(xDirectX_Context().checkCount, 7);
    EXPECT_NE(traced().find("Mode:\nWidth     : 640\nHeight    : 480\nBit depth : 8\nRefresh rate : 60\n\n"),
              std::string::npos);
    EXPECT_FALSE(DirectX_CheckVideoMode(640, 400, 16));
    EXPECT_NE(traced().find("*** Error : Required video mode not available : 640, 400 x 16bit\n"), std::string::npos);
}

TEST_F(DirectXTest, FindModePrefersTheExactDepthThenTheLastDeeperOne) {
    FullScreenDirectDraw();
    desk().SetModes({plat::MakeDevMode(640, 480, 32, 60), plat::MakeDevMode(640, 480, 16, 60),
                     plat::MakeDevMode(800, 600, 24, 60), plat::MakeDevMode(800, 600, 32, 60),
                     plat::MakeDevMode(800, 600, 8, 60)});
    ASSERT_TRUE(DirectX_Init());
    int32_t w = 640, h = 480, bits = 16;
    const DirectXMode* m = DirectX_FindMode(&w, &h, &bits);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->bits, 16) << "the 16-bit mode wins over the 32-bit one listed first";
    EXPECT_EQ(m->pixelFormat, 2);
    w = 800, h = 600, bits = 16;
    m = DirectX_FindMode(&w, &h, &bits);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(bits, 32) << "the last deeper mode, written back";
    EXPECT_EQ(m->pixelFormat, -1);
    plat::ddraw().SetLayout555(true);
    w = 640, h = 480, bits = 16;
    EXPECT_EQ(DirectX_FindMode(&w, &h, &bits)->pixelFormat, 1);
    w = 1024, h = 768, bits = 8;
    EXPECT_EQ(DirectX_FindMode(&w, &h, &bits), nullptr);
    EXPECT_EQ(w, 1024) << "nothing written back without a mode";
}

TEST_F(DirectXTest, CooperativeLevelFlagsAndTheModeSwitchRoads) {
    FullScreenDirectDraw();
    xProfiles_Values().ctrlAltDelEnabled = 1;
    const plat::WindowId w = MakeAppWindow(100, 100);
    ASSERT_TRUE(DirectX_Init());
    DirectX_SetWindow(w);
    EXPECT_EQ(DirectX_SetCooperativeLevel(1), DD_OK);
    EXPECT_EQ(plat::ddraw().stats().cooperativeFlags,
              DDSCL_FULLSCREEN | DDSCL_NOWINDOWCHANGES | DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT);
    EXPECT_EQ(DirectX_SetDisplayMode(640, 480, 16, 0), DD_OK);
    EXPECT_EQ(plat::desktop().Rect().Width(), 640);
    const plat::Window& window = *plat::desktop().Find(w);
    EXPECT_TRUE(window.IsTopmost());
    EXPECT_EQ(window.Rect(), (plat::WinRect{0, 0, 640, 480}));

    // Through the window system on the 9x family: a failed switch is tried again exclusively.
    FullScreenGdi();
    xProfiles_Values().ctrlAltDelEnabled = 0;
    system().SetVersion(plat::VersionInfo{1, 4, 10, 2222});
    plat::ddraw().script().setModeResult = DDERR_WASSTILLDRAWING;
    const int before = plat::ddraw().stats().setModes;
    EXPECT_EQ(DirectX_SetDisplayMode(800, 600, 16, 0), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(plat::ddraw().stats().setModes - before, 2);
    EXPECT_EQ(plat::ddraw().stats().cooperativeFlags, DDSCL_NORMAL) << "back to the normal level";
    system().SetVersion(plat::VersionInfo{});
    const int xp = plat::ddraw().stats().setModes;
    DirectX_SetDisplayMode(800, 600, 16, 0);
    EXPECT_EQ(plat::ddraw().stats().setModes - xp, 1) << "no second try on XP";
}

TEST_F(DirectXTest, RestoreWithoutSupportOnNtWaitsToRestoreTheDesktop) {
    FullScreenGdi();
    static uint32_t flag = 0;
    flag = 0;
    DirectX_SetWaitToRestoreSetter([](uint32_t v) { flag = v; });
    ASSERT_TRUE(DirectX_Init());
    plat::ddraw().script().restoreModeResult = E_NOTIMPL;
    EXPECT_EQ(DirectX_RestoreDisplayMode(), E_NOTIMPL);
    EXPECT_EQ(flag, 1u);
    EXPECT_NE(traced().find("Unsupported"), std::string::npos);
    flag = 0;
    system().SetVersion(plat::VersionInfo{1, 4, 10, 2222});
    DirectX_RestoreDisplayMode();
    EXPECT_EQ(flag, 0u) << "only on the NT family";
}

TEST_F(DirectXTest, DesktopModeListSkipsSlowNarrowAndRepeatedDefaultRateModes) {
    desk().SetModes({plat::MakeDevMode(320, 240, 16, 60), plat::MakeDevMode(640, 480, 16, 1),
                     plat::MakeDevMode(640, 480, 16, 56), plat::MakeDevMode(640, 480, 16, 0),
                     plat::MakeDevMode(640, 480, 16, 75), plat::MakeDevMode(1024, 768, 32, 60)});
    ASSERT_TRUE(GDI_EnumDisplayModes());
    const CDirectXContext& c = xDirectX_Context();
    ASSERT_EQ(c.gdiModes.size(), 3u);
    EXPECT_EQ(c.gdiModes[0].displayFrequency, 1u);
    EXPECT_EQ(c.gdiModes[1].displayFrequency, 75u);
    EXPECT_EQ(c.gdiLast, 2) << "the last index of what was stored";
    EXPECT_EQ(c.gdiCurrent, 2) << "the desktop's 1024 x 768 x 32 at 60 Hz";
    desk().SetModes({plat::MakeDevMode(320, 240, 16, 60)});
    EXPECT_FALSE(GDI_EnumDisplayModes());
}

} // namespace
