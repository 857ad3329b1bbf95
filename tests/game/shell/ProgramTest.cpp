// The game executable run as a separate process on the synthetic part file: headless, through
// SDL2's dummy video driver, and in a real window on a virtual X server, whose screen is
// captured and compared with the headless picture.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <fstream>
#include <map>
#include <string>

#include "game/shell/Player.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/GeneratedData.h"
#include "tests/support/Golden.h"
#include "tests/support/Png.h"
#include "tests/support/Subprocess.h"
#include "tests/support/VirtualScreen.h"
#include "tests/support/bots/ScriptLines.h"
#include "tools/builders/TempFolder.h"

namespace {

using vqt::test::CopyGeneratedData;
using vqt::test::GoldenPath;
using vqt::test::LastLineOf;
using vqt::test::ReadFileBytes;
using vqt::test::ReadPng;
using vqt::test::RgbImage;
using vqt::test::RunProgram;
using vqt::test::SignInBadge;
using vqt::test::StagePoint;
namespace buttons = vqt::test::buttons;
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
        ASSERT_TRUE(CopyGeneratedData(work.path(), "synthetic.vqk"));
    }
    std::map<std::string, std::string> Environment() {
        return {{"XDG_RUNTIME_DIR", locks.path()}, {"DISPLAY", ""},        {"WAYLAND_DISPLAY", ""},
                {"SDL_VIDEODRIVER", ""},          {"DATAROOTS", work.path()}, {"VQT_EXIT_AFTER_FRAMES", "30"}};
    }
    /// The environment of a run that ends after the first activity has faded in (its fade takes
    /// one second of the program's clock; the margin covers slow first frames in a sanitizer
    /// build on a busy machine, and the screen stays still until its advance at ten seconds).
    std::map<std::string, std::string> PastTheFadeIn() {
        auto env = Environment();
        env["VQT_EXIT_AFTER_FRAMES"] = "";
        env["VQT_EXIT_AFTER_MS"] = "4000";
        return env;
    }
    std::string Log() { return ReadFileBytes(work / "_VQT_RT.log"); }
    /// Runs the program headless and reads the last picture it showed.
    RgbImage HeadlessPicture() {
        auto env = PastTheFadeIn();
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
    ASSERT_TRUE(CopyGeneratedData(drive.path(), "synthetic.vqk"));
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
    auto env = PastTheFadeIn();
    env["SDL_VIDEODRIVER"] = "dummy";
    env["SDL_AUDIODRIVER"] = "dummy";
    env["VQT_SCREENSHOT"] = work / "dummy.png";
    EXPECT_EQ(RunProgram(TLVGAME, work.path(), env, 60000), 0);
    EXPECT_NE(Log().find("Installing special message translator for windowed mode"), std::string::npos);
    RgbImage dummy;
    ASSERT_TRUE(ReadPng(work / "dummy.png", dummy));
    EXPECT_TRUE(dummy == headless);
}

TEST_F(ProgramTest, WithoutASoundDriverTheGameRunsSilentlyEvenWhenSoundFailuresAreFatal) {
    MakePartFile();
    std::ofstream(work / "VQT.ini") << "[VQT]\nTRACELOGFILE=1\nFULLSCREEN=0\nSNDENGINEFLAGS=4\n";
    auto env = Environment();
    env["SDL_VIDEODRIVER"] = "dummy";
    env["SDL_AUDIODRIVER"] = "no-such-driver"; // the default open falls to the null device
    env["VQT_EXIT_AFTER_FRAMES"] = "300";
    EXPECT_EQ(RunProgram(TLVGAME, work.path(), env, 60000), 0);
    EXPECT_NE(Log().find("*** Sound engine - Using WinMM"), std::string::npos);
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

/// Runs on a virtual X server of its own with a 1024 x 768 screen, whose stage part is dumped
/// with xwd; input comes from xdotool.
class VirtualScreenTest : public ProgramTest {
protected:
    static bool HaveVirtualScreen() { return vqt::test::HaveVirtualScreen() && access("/usr/bin/xwd", X_OK) == 0; }
    std::string StartVirtualScreen(Subprocess& xvfb) { return vqt::test::StartVirtualScreen(xvfb, work.path()); }
    /// The environment of a windowed run on `display` with SDL's dummy sound, ended only by a
    /// request to stop.
    std::map<std::string, std::string> WindowedOn(const std::string& display) {
        auto env = Environment();
        env["DISPLAY"] = display;
        env["SDL_AUDIODRIVER"] = "dummy";
        env["VQT_EXIT_AFTER_FRAMES"] = "";
        // The system's display and desktop-bus libraries keep some memory to the end of the
        // process; under the leak checker that is not the program's leak.
        const char* asan = std::getenv("ASAN_OPTIONS");
        env["ASAN_OPTIONS"] = std::string(asan ? asan : "") + ":detect_leaks=0";
        std::remove((work / "_VQT_RT.log").c_str());
        return env;
    }
    /// Dumps the screen every 200 ms until its stage satisfies `shows`, while the game runs and
    /// uses up to `cpuMs` of processor time more (its own progress: however busy the machine,
    /// the game has drawn its frames by then); `stage` keeps the last dump.
    bool WaitForStage(const std::string& display, Subprocess& game, const std::function<bool(const RgbImage&)>& shows,
                      long cpuMs, RgbImage& stage) {
        const std::string dump = work / "screen.xwd";
        const std::string capture = "/usr/bin/xwd -root -silent -display " + display + " -out " + dump + " 2>/dev/null";
        return game.WaitUntil(
            [&] {
                RgbImage screen;
                if (std::system(capture.c_str()) != 0 || !ReadXwd(dump, screen) || screen.width != 1024 ||
                    screen.height != 768)
                    return false;
                stage = Stage(screen);
                return shows(stage);
            },
            cpuMs, 200);
    }
    /// Asked to stop (as the desktop asks at log-out), the program closes its window and ends.
    void ExpectStopsWell(Subprocess& game) {
        ASSERT_TRUE(game.Signal(SIGTERM));
        ASSERT_TRUE(game.Wait(30000));
        EXPECT_EQ(game.ExitCode(), 0);
        EXPECT_NE(Log().find("Installing special message translator for windowed mode"), std::string::npos);
    }
};

TEST_F(VirtualScreenTest, AVirtualScreenShowsTheHeadlessPictureAndAskingToStopEndsWell) {
    if (!HaveVirtualScreen()) GTEST_SKIP() << "Xvfb or xwd is not installed";
    MakePartFile();
    const RgbImage headless = HeadlessPicture();
    Subprocess xvfb(work / "xvfb.sh", work.path(), {});
    const std::string display = StartVirtualScreen(xvfb);
    ASSERT_FALSE(display.empty()) << "the virtual X server did not start";
    Subprocess game(TLVGAME, work.path(), WindowedOn(display));
    ASSERT_TRUE(game.Start());

    // The screen is dumped until it shows the stage (or time runs out).
    RgbImage shown;
    WaitForStage(display, game, [&](const RgbImage& stage) { return stage == headless; }, 20000, shown);
    int differing = 0;
    for (size_t b = 0; b < shown.rgb.size() && b < headless.rgb.size(); ++b) differing += shown.rgb[b] != headless.rgb[b];
    EXPECT_TRUE(shown == headless) << differing << " bytes differ between the screen and the headless picture";
    ExpectStopsWell(game);
}


/// How many pixels of two stage pictures differ.
int DifferingPixels(const RgbImage& a, const RgbImage& b) {
    int differing = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) differing += Pixel(a, x, y) != Pixel(b, x, y);
    return differing;
}
/// Ten people (20 x 32 pictures) seen at two places each: far fewer than any other screen changes.
constexpr int kWanderingPixels = 10 * 2 * 20 * 32;

/// True when the stage shows what `golden` shows inside [x0, x1) x [y0, y1).
bool ShowsWithin(const RgbImage& stage, const RgbImage& golden, int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (Pixel(stage, x, y) != Pixel(golden, x, y)) return false;
    return true;
}

TEST_F(VirtualScreenTest, BoSignsInByMouseChoosesTheHydrovaneAndDrivesOutToTheCircusTown) {
    if (!HaveVirtualScreen() || access("/usr/bin/xdotool", X_OK) != 0)
        GTEST_SKIP() << "Xvfb, xwd or xdotool is not installed";
    MakePartFile();
    std::ofstream(work / "VQT.ini") << "[VQT]\nTRACELOGFILE=1\nFULLSCREEN=0\nSTARTACTIVITY=4\n";
    // New players in every slot but 3, "Bo", who drove in the circus town and finished its mission 2.
    const std::string saveFile = work / "TLVSave.vqk";
    ASSERT_TRUE(vqt::test::WritePlayers(saveFile, [](uint16_t slot, CPlayer& player) {
        if (slot != 3) return;
        player.SetName("Bo");
        player.IncCounter(13);
        player.IncActivityCount(0, 2);
    }));
    const auto before = vqt::test::SlotChunks(saveFile.c_str());
    RgbImage signIn, garage, town;
    ASSERT_TRUE(ReadPng(GoldenPath("game/shell/sign_in_spoken.png"), signIn));
    ASSERT_TRUE(ReadPng(GoldenPath("game/shell/garage_bo.png"), garage));
    ASSERT_TRUE(ReadPng(GoldenPath("game/shell/garage_town.png"), town));

    Subprocess xvfb(work / "xvfb.sh", work.path(), {});
    const std::string display = StartVirtualScreen(xvfb);
    ASSERT_FALSE(display.empty()) << "the virtual X server did not start";
    Subprocess game(TLVGAME, work.path(), WindowedOn(display));
    ASSERT_TRUE(game.Start());
    const std::string xdotool = "DISPLAY=" + display + " /usr/bin/xdotool ";
    // The pointer comes to a point of the stage from a little above it, then clicks.
    auto click = [&](StagePoint p) {
        const std::string at = std::to_string(p.x + 192) + " " + std::to_string(p.y + 144);
        const std::string near = std::to_string(p.x + 186) + " " + std::to_string(p.y + 138);
        return std::system((xdotool + "mousemove --sync " + near + " sleep 0.1 mousemove --sync " + at +
                            " sleep 0.1 mousedown 1 sleep 0.1 mouseup 1").c_str()) == 0;
    };
    RgbImage shown;

    ASSERT_TRUE(WaitForStage(display, game, [&](const RgbImage& s) { return ShowsWithin(s, signIn, 40, 120, 605, 365); },
                             30000, shown)) << "the sign-in's badges";
    ASSERT_TRUE(click(SignInBadge(3))) << "Bo's badge";
    // The sign-in finds the badge clicked where the pointer is when it takes the click: the
    // pointer stays on the badge until the game has taken it (on a busy machine it could be on
    // its way to the next button by then).
    ASSERT_TRUE(WaitForStage(display, game, [&](const RgbImage& s) { return Pixel(s, 580, 220) != Pixel(signIn, 580, 220); },
                             10000, shown)) << "Bo's badge lit";
    ASSERT_TRUE(click(buttons::kSignInContinue)) << "continue";
    ASSERT_TRUE(WaitForStage(display, game, [&](const RgbImage& s) { return ShowsWithin(s, garage, 20, 85, 620, 380); },
                             30000, shown)) << "the garage's vehicles";
    ASSERT_TRUE(click(buttons::GarageVehicle(1))) << "the Hydrovane";
    ASSERT_TRUE(WaitForStage(display, game, [&](const RgbImage& s) { return Pixel(s, 43, 280) == Pixel(garage, 43, 170); },
                             10000, shown)) << "the Hydrovane selected";
    ASSERT_TRUE(click(buttons::kGarageGo)) << "go";
    ASSERT_EQ(std::system((xdotool + "mousemove 0 0").c_str()), 0);
    // The town's bystanders wander on the program's own clock, so the screen is the headless
    // town's picture but for the few pixels where people have walked since.
    ASSERT_TRUE(WaitForStage(display, game, [&](const RgbImage& s) { return DifferingPixels(s, town) < kWanderingPixels; },
                             40000, shown)) << "the town";
    ExpectStopsWell(game);

    const auto after = vqt::test::SlotChunks(saveFile.c_str());
    for (size_t slot = 0; slot < 8; ++slot)
        if (slot != 3) {
            EXPECT_EQ(after[slot], before[slot]) << slot;
        }
}
#endif

} // namespace
