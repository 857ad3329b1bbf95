// tlvbotview run as its own process on the synthetic part file through SDL2's dummy video and
// sound drivers, once for each bot of its table: the run goes on until the bot reached its game
// and drove there, so the result does not hang on the machine's speed (the cap is only a bound
// for a run that went wrong); and a race bot in a real window on a virtual X server of its own,
// to its race's end.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/GeneratedData.h"
#include "tests/support/ReportGuard.h"
#include "tests/support/Subprocess.h"
#include "tests/support/VirtualScreen.h"
#include "tests/support/botview/Bots.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

/// The activity each bot's game is ("index:entry" as the program reports it).
const std::map<std::string, std::string> kGameOf = {
    {"circus-round", "1:8"},
    {"city-round", "1:17"},
    {"zoo-round", "1:14"},
    {"circus-race", "1:11"},
    {"city-race", "1:22"},
    {"zoo-race", "1:9"},
    {"play-through", "1:8"},
};

/// A bound far above a run's few seconds, for a machine under heavy load.
constexpr int kRunBoundMs = 240000;

class BotViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyGeneratedData(work.path(), "synthetic.vqk"));
        // The trace goes to the run's log, where the run's reports are looked for.
        std::ofstream(work / "VQT.ini") << "[VQT]\nFULLSCREEN=0\nTRACELOGFILE=1\n";
        std::ofstream(work / "TLVFMH.ini") << "[FennmarkRovadu]\nPARTFILE=synthetic.vqk\nDISPLAYDEPTH=16\n";
    }
    std::map<std::string, std::string> Environment() {
        return {{"XDG_RUNTIME_DIR", locks.path()}, {"XDG_DATA_HOME", locks.path()}, {"DISPLAY", ""},
                {"WAYLAND_DISPLAY", ""},          {"SDL_VIDEODRIVER", "dummy"},   {"SDL_AUDIODRIVER", "dummy"},
                {"VQT_EXIT_AFTER_MS", ""},        {"VQT_EXIT_AFTER_FRAMES", ""}};
    }
    /// Runs the program to its end: its exit status (-1 past the bound) and its output.
    int Run(std::vector<std::string> arguments, std::string* output, std::map<std::string, std::string> environment = {}) {
        auto env = Environment();
        for (const auto& [name, value] : environment) env[name] = value;
        std::filesystem::remove(work / "output.txt");
        Subprocess run(TLVBOTVIEW, work.path(), env, std::move(arguments));
        if (!run.Start()) return -1;
        const bool ended = run.Wait(kRunBoundMs);
        *output = run.Output();
        return ended ? run.ExitCode() : -1;
    }

    TempFolder locks;
    TempFolder work;
};

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> BotNames() {
    std::vector<std::string> names;
    for (const BotRow& row : Bots()) names.push_back(row.name);
    return names;
}

class EachBotTest : public BotViewTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(EachBotTest, ReachesItsGameAndDrivesThere) {
    const std::string name = GetParam();
    ASSERT_EQ(kGameOf.count(name), 1u) << "a bot without its game in this test";
    std::string output;
    EXPECT_EQ(Run({name, "--until-milestone"}, &output), 0) << output;
    const std::regex report(R"(tlvbotview: ([a-z-]+): activities ([0-9: ]*); (arrived|never arrived); drove ([0-9]+) px; (.*))");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(output, m, report)) << output;
    EXPECT_EQ(m[1].str(), name);
    EXPECT_NE((" " + m[2].str() + " ").find(" " + kGameOf.at(name) + " "), std::string::npos) << m[2].str();
    EXPECT_EQ(m[3].str(), "arrived");
    EXPECT_GE(std::stoi(m[4].str()), 400) << "the vehicle drove";
    EXPECT_EQ(m[5].str(), "milestone reached");
    // Neither the output (message boxes are told there) nor the trace tells of a fault.
    const std::vector<std::string> unexpected = ReportGuard().Unexpected(output + ReadFileText(work / "_VQT_RT.log"), {});
    EXPECT_TRUE(unexpected.empty()) << JoinReports(unexpected);
}

INSTANTIATE_TEST_SUITE_P(Bots, EachBotTest, ::testing::ValuesIn(BotNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::erase(name, '-');
                             return name;
                         });

// In a real window the frames come at the wall clock's times: the race bot, the pointer parked
// in the screen's corner outside the window, wins its race and is back in the town.
TEST_F(BotViewTest, InAWindowTheRaceBotWinsItsRaceAndIsBackInTheTown) {
    if (access("/usr/bin/Xvfb", X_OK) != 0 || access("/usr/bin/xdotool", X_OK) != 0)
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    TempFolder screen;
    Subprocess xvfb(screen / "xvfb.sh", screen.path(), {});
    const std::string display = StartVirtualScreen(xvfb, screen.path());
    ASSERT_FALSE(display.empty()) << "the virtual X server did not start";
    ASSERT_EQ(std::system(("DISPLAY=" + display + " /usr/bin/xdotool mousemove 1023 767").c_str()), 0);
    // The system's display libraries keep some memory to the process's end: no leak of ours.
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::string output;
    EXPECT_EQ(Run({"city-race", "--until-end"}, &output,
                  {{"DISPLAY", display}, {"SDL_VIDEODRIVER", ""}, {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":detect_leaks=0"}}),
              0)
        << output;
    EXPECT_NE(output.find("activities 1:22 1:17;"), std::string::npos) << "the race, then the town: " << output;
    EXPECT_NE(output.find("; end reached"), std::string::npos) << output;
    const std::vector<std::string> unexpected = ReportGuard().Unexpected(output + ReadFileText(work / "_VQT_RT.log"), {});
    EXPECT_TRUE(unexpected.empty()) << JoinReports(unexpected);
}

TEST_F(BotViewTest, AnUnknownBotIsRefusedWithTheListOfBots) {
    std::string output;
    EXPECT_EQ(Run({"no-such-bot"}, &output), 2);
    for (const BotRow& row : Bots()) EXPECT_NE(output.find(row.name), std::string::npos) << output;
    EXPECT_EQ(Run({"circus-round", "--until-never"}, &output), 2) << output;
}

TEST_F(BotViewTest, WithoutAWindowItDoesNotFallBackToHeadlessPlay) {
    std::string output;
    EXPECT_EQ(Run({"circus-round", "--until-milestone"}, &output, {{"SDL_VIDEODRIVER", ""}}), 2);
    EXPECT_NE(output.find("no SDL2 window"), std::string::npos) << output;
}

} // namespace
} // namespace vqt::test
