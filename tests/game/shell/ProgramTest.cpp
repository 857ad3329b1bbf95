// The game executable run as a separate process on the synthetic part file: headless, through
// SDL2's dummy video driver, and in a real window on a virtual X server, whose screen is
// captured and compared with the headless picture.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "tests/support/Golden.h"
#include "tests/support/Png.h"
#include "tests/support/Subprocess.h"
#include "tests/support/TempFolder.h"

namespace {

using vqt::test::LastLineOf;
using vqt::test::ReadFileBytes;
using vqt::test::ReadPng;
using vqt::test::RgbImage;
using vqt::test::RunProgram;
using vqt::test::Subprocess;
using vqt::test::TempFolder;

/// A working folder with the engine's and the game's INI files: windowed, every trace line in
/// "_VQT_RT.log", the part file "synthetic.vqk" made by the builder tool.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(work / "VQT.ini") << "[VQT]\nTRACELOGFILE=1\nFULLSCREEN=0\n";
        std::ofstream(work / "TLVFMH.ini") << "[FennmarkRovadu]\nPARTFILE=synthetic.vqk\nDISPLAYDEPTH=16\n";
    }
    void MakePartFile() {
        ASSERT_EQ(std::system((std::string(SYNTHETIC_TOOL) + " " + (work / "synthetic.vqk")).c_str()), 0);
    }
    std::map<std::string, std::string> Environment() {
        return {{"XDG_RUNTIME_DIR", locks.path()}, {"DISPLAY", ""},        {"WAYLAND_DISPLAY", ""},
                {"SDL_VIDEODRIVER", ""},          {"DATAROOTS", work.path()}, {"VQT_EXIT_AFTER_FRAMES", "30"}};
    }
    std::string Log() { return ReadFileBytes(work / "_VQT_RT.log"); }
    /// Runs the program headless and reads the last picture it showed.
    RgbImage HeadlessPicture() {
        auto env = Environment();
        env["VQT_SCREENSHOT"] = work / "headless.png";
        EXPECT_EQ(RunProgram(TLVGAME, work.path(), env, 60000), 0);
        RgbImage picture;
        EXPECT_TRUE(ReadPng(work / "headless.png", picture));
        return picture;
    }

    TempFolder locks;
    TempFolder work;
};

/// The pixel at (x, y) as 0x00RRGGBB.
uint32_t Pixel(const RgbImage& p, int x, int y) {
    const size_t at = (size_t(y) * size_t(p.width) + size_t(x)) * 3;
    return uint32_t(p.rgb[at]) << 16 | uint32_t(p.rgb[at + 1]) << 8 | p.rgb[at + 2];
}

TEST_F(ProgramTest, WithoutItsPartFileTheGameDoesNotStart) {
    EXPECT_EQ(RunProgram(TLVGAME, work.path(), Environment(), 30000), 255);
    EXPECT_EQ(LastLineOf(work / "_VQT_RT.log"), "VQAppInit() failed");
}

TEST_F(ProgramTest, ThePartFileIsFoundOnACdromDrive) {
    TempFolder drive;
    ASSERT_EQ(std::system((std::string(SYNTHETIC_TOOL) + " " + (drive / "synthetic.vqk")).c_str()), 0);
    auto env = Environment();
    env["DATAROOTS"] = drive.path();
    EXPECT_EQ(RunProgram(TLVGAME, work.path(), env, 60000), 0);
    EXPECT_NE(Log().find("Installing special message translator for windowed mode"), std::string::npos);
}

TEST_F(ProgramTest, HeadlessRunShowsTheFirstActivity) {
    MakePartFile();
    const RgbImage picture = HeadlessPicture();
    ASSERT_EQ(picture.width, 640);
    ASSERT_EQ(picture.height, 480);
    // The sun prop at (520, 90) is yellow, the sky behind it blue, the ground below green.
    const uint32_t sun = Pixel(picture, 520, 90);
    EXPECT_GT(sun >> 16, 0xE0u);
    EXPECT_GT((sun >> 8) & 0xFF, 0xB0u);
    EXPECT_LT(sun & 0xFF, 0x50u);
    const uint32_t sky = Pixel(picture, 20, 20);
    EXPECT_GT(sky & 0xFF, sky >> 16) << "sky";
    const uint32_t ground = Pixel(picture, 20, 470);
    EXPECT_GT((ground >> 8) & 0xFF, ground & 0xFF) << "ground";
    EXPECT_NE(Log().find("Installing special message translator for windowed mode"), std::string::npos);
}

#ifdef VQT_HAVE_SDL2
TEST_F(ProgramTest, DummyVideoRunEndsWellAndShowsWhatTheHeadlessRunShows) {
    MakePartFile();
    const RgbImage headless = HeadlessPicture();
    std::remove((work / "_VQT_RT.log").c_str());
    auto env = Environment();
    env["SDL_VIDEODRIVER"] = "dummy";
    env["SDL_AUDIODRIVER"] = "dummy";
    env["VQT_SCREENSHOT"] = work / "dummy.png";
    EXPECT_EQ(RunProgram(TLVGAME, work.path(), env, 60000), 0);
    EXPECT_NE(Log().find("Installing special message translator for windowed mode"), std::string::npos);
    RgbImage dummy;
    ASSERT_TRUE(ReadPng(work / "dummy.png", dummy));
    EXPECT_TRUE(dummy == headless);
}

/// Reads an X window dump of a 24- or 32-bit true-colour screen.
bool ReadXwd(const std::string& path, RgbImage& out) {
    const std::string data = ReadFileBytes(path);
    auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(data[at])) << 24 | uint32_t(uint8_t(data[at + 1])) << 16 |
               uint32_t(uint8_t(data[at + 2])) << 8 | uint32_t(uint8_t(data[at + 3]));
    };
    if (data.size() < 100) return false;
    const uint32_t headerSize = be32(0), width = be32(16), height = be32(20), byteOrder = be32(28);
    const uint32_t bitsPerPixel = be32(44), bytesPerLine = be32(48), ncolors = be32(76);
    const uint32_t masks[3] = {be32(56), be32(60), be32(64)};
    if (bitsPerPixel != 32 && bitsPerPixel != 24) return false;
    const size_t start = size_t(headerSize) + size_t(ncolors) * 12;
    if (data.size() < start + size_t(bytesPerLine) * height) return false;
    out.width = int(width);
    out.height = int(height);
    out.rgb.assign(size_t(width) * height * 3, 0);
    const uint32_t bytes = bitsPerPixel / 8;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const size_t at = start + size_t(y) * bytesPerLine + size_t(x) * bytes;
            uint32_t v = 0;
            for (uint32_t b = 0; b < bytes; ++b) {
                const uint32_t byte = uint8_t(data[at + b]);
                v |= byteOrder == 0 ? byte << (8 * b) : byte << (8 * (bytes - 1 - b));
            }
            for (int c = 0; c < 3; ++c) {
                uint32_t m = masks[c];
                uint32_t shift = 0;
                if (m == 0) continue;
                while (!(m & 1)) {
                    m >>= 1;
                    ++shift;
                }
                out.rgb[(size_t(y) * width + x) * 3 + size_t(c)] = uint8_t(((v >> shift) & m) * 255 / m);
            }
        }
    }
    return true;
}

/// The stage's part of a 1024 x 768 screen dump: 640 x 480 pixels centred.
RgbImage Stage(const RgbImage& screen) {
    RgbImage shown;
    shown.width = 640;
    shown.height = 480;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            for (int c = 0; c < 3; ++c)
                shown.rgb.push_back(screen.rgb[(size_t(y + 144) * 1024 + size_t(x + 192)) * 3 + size_t(c)]);
    return shown;
}

TEST_F(ProgramTest, AVirtualScreenShowsTheHeadlessPictureAndAskingToStopEndsWell) {
    if (access("/usr/bin/Xvfb", X_OK) != 0 || access("/usr/bin/xwd", X_OK) != 0)
        GTEST_SKIP() << "Xvfb or xwd is not installed";
    MakePartFile();
    const RgbImage headless = HeadlessPicture();

    // A virtual X server of its own, on a display number no other test uses.
    const std::string display = ":" + std::to_string(90 + getpid() % 400);
    {
        std::ofstream script(work / "xvfb.sh");
        script << "#!/bin/sh\nexec /usr/bin/Xvfb " << display << " -screen 0 1024x768x24 -nolisten tcp\n";
    }
    ASSERT_EQ(chmod((work / "xvfb.sh").c_str(), 0755), 0);
    Subprocess xvfb(work / "xvfb.sh", work.path(), {});
    ASSERT_TRUE(xvfb.Start());
    const std::string dump = work / "screen.xwd";
    const std::string capture = "/usr/bin/xwd -root -silent -display " + display + " -out " + dump + " 2>/dev/null";
    bool serverUp = false;
    for (int i = 0; i < 200 && !serverUp; ++i) {
        serverUp = std::system(capture.c_str()) == 0;
        if (!serverUp) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(serverUp) << "the virtual X server did not start";

    auto env = Environment();
    env["DISPLAY"] = display;
    env["SDL_AUDIODRIVER"] = "dummy";
    env["VQT_EXIT_AFTER_FRAMES"] = "";
    env["VQT_EXIT_AFTER_MS"] = "60000";
    // The system's display and desktop-bus libraries keep some memory to the end of the
    // process; under the leak checker that is not the program's leak.
    const char* asan = std::getenv("ASAN_OPTIONS");
    env["ASAN_OPTIONS"] = std::string(asan ? asan : "") + ":detect_leaks=0";
    std::remove((work / "_VQT_RT.log").c_str());
    Subprocess game(TLVGAME, work.path(), env);
    ASSERT_TRUE(game.Start());

    // The screen is dumped until it shows the stage (or time runs out).
    RgbImage shown;
    int differing = -1;
    for (int i = 0; i < 100 && differing != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        RgbImage screen;
        if (std::system(capture.c_str()) != 0 || !ReadXwd(dump, screen) || screen.width != 1024 ||
            screen.height != 768)
            continue;
        shown = Stage(screen);
        differing = 0;
        for (size_t b = 0; b < shown.rgb.size(); ++b) differing += shown.rgb[b] != headless.rgb[b];
    }
    EXPECT_EQ(differing, 0) << "bytes that differ between the screen and the headless picture";

    // Asked to stop (as the desktop asks at log-out), the program closes its window and ends.
    ASSERT_TRUE(game.Signal(SIGTERM));
    ASSERT_TRUE(game.Wait(30000));
    EXPECT_EQ(game.ExitCode(), 0);
    EXPECT_LT(game.ElapsedMs(), 50000) << "ended by the request, not by the time limit";
    EXPECT_NE(Log().find("Installing special message translator for windowed mode"), std::string::npos);
}
#endif

} // namespace
