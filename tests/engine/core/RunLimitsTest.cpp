#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine/core/RunLimits.h"
#include "tests/engine/core/WindowProcsFixture.h"
#include "tests/support/Golden.h"
#include "tests/support/Png.h"
#include "tools/builders/TempFolder.h"

namespace {

using vqt::test::WindowProcsTest;

/// The main window counts its frames.
class RunLimitsTest : public WindowProcsTest {
protected:
    void TearDown() override {
        unsetenv("VQT_EXIT_AFTER_FRAMES");
        unsetenv("VQT_EXIT_AFTER_MS");
        unsetenv("VQT_SCREENSHOT");
        WindowProcsTest::TearDown();
    }
};

TEST_F(RunLimitsTest, RunEndsAfterTheFramesOrTheTimeGivenAndUnreadableValuesSetNoLimit) {
    setenv("VQT_EXIT_AFTER_FRAMES", "7", 1);
    xProfiles_Set("SYSTEMIDLE", sLong(1)); // each tick sleeps 1 ms of the virtual clock
    const uint32_t start = clock().TickCount();
    VQXRun();
    EXPECT_EQ(clock().TickCount() - start, 7u) << "seven ticks";

    CFrameState::Get().quit = false;
    unsetenv("VQT_EXIT_AFTER_FRAMES");
    setenv("VQT_EXIT_AFTER_MS", "30", 1);
    const uint32_t again = clock().TickCount();
    VQXRun();
    EXPECT_EQ(clock().TickCount() - again, 30u);

    // Unreadable values set no limit.
    setenv("VQT_EXIT_AFTER_FRAMES", "12x", 1);
    setenv("VQT_EXIT_AFTER_MS", "-5", 1);
    const CRunLimits limits = CRunLimits::FromEnvironment();
    EXPECT_EQ(limits.frames, 0u);
    EXPECT_EQ(limits.milliseconds, 0u);
    EXPECT_FALSE(limits.Reached(1000000, 1000000));
    const CRunLimits three{3, 0, ""};
    EXPECT_TRUE(three.Reached(3, 0));
    EXPECT_FALSE(three.Reached(2, 999));
}

TEST_F(RunLimitsTest, TheLastPictureOfTheWindowIsWrittenWhenTheRunEnds) {
    vqt::test::TempFolder folder;
    const std::string path = folder / "last.png";
    setenv("VQT_EXIT_AFTER_FRAMES", "1", 1);
    setenv("VQT_SCREENSHOT", path.c_str(), 1);
    const uint8_t pixel[4] = {0x20, 0x40, 0x80, 0}; // blue, green, red
    plat::BitmapInfoHeader h;
    h.width = 1;
    h.height = 1;
    h.bitCount = 24;
    plat::gdi().StretchDIBits(plat::gdi().GetDc(app), 0, 0, 640, 480, 0, 0, 1, 1, pixel, h, nullptr,
                              plat::DIB_RGB_COLORS, plat::SRCCOPY);
    // A link a user left at the path is replaced, never written through.
    vqt::test::WriteFileBytes(folder / "theirs", "mine");
    std::filesystem::create_symlink(folder / "theirs", path);
    VQXRun();
    EXPECT_EQ(vqt::test::ReadFileBytes(folder / "theirs"), "mine");
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path)));
    vqt::test::RgbImage written;
    ASSERT_TRUE(vqt::test::ReadPng(path, written));
    ASSERT_EQ(written.width * written.height, 640 * 480);
    EXPECT_EQ(std::vector<uint8_t>(written.rgb.begin(), written.rgb.begin() + 3), (std::vector<uint8_t>{0x80, 0x40, 0x20}));
    EXPECT_EQ(written.rgb[(479 * 640 + 639) * 3], 0x80);

    // Without a window nothing is written.
    xPlatform_SetMainWindow(&root, 0, &link);
    EXPECT_FALSE(xPlatform_SaveWindowPicture(folder / "none.png"));
}

TEST_F(RunLimitsTest, ALastPictureThatCannotBeWrittenEndsTheRunWithAFaultNamingTheVariable) {
    vqt::test::TempFolder folder;
    const std::string path = folder / "gone/last.png"; // its folder went away during the run
    setenv("VQT_EXIT_AFTER_FRAMES", "1", 1);
    setenv("VQT_SCREENSHOT", path.c_str(), 1);
    ASSERT_EQ(GetRunFault(), "");
    VQXRun();
    EXPECT_EQ(GetRunFault(), "the last picture could not be written to VQT_SCREENSHOT=\"" + path + "\"");
    EXPECT_FALSE(IsRunFaultBoxed());
}

} // namespace
