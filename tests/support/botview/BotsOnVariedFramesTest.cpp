// The window's bots played headless to their play's end, on a virtual clock whose frames take
// times of their own from 10 to 50 ms as a window's do (the vehicles' steps, the panels' and
// the speech's timings all move with them): each round bot to its town's certificate, a race
// bot back to its town. A bot that keeps waiting under a question, or keeps at a way that no
// longer works on such a clock, runs out of the bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "game/minigames/GameClasses.h"
#include "game/minigames/GameSession.h"
#include "game/world/TLVWorldActivity.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StageScript.h"
#include "tests/support/botview/Bots.h"

namespace vqt::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
#define VQT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VQT_ASAN 1
#endif
#endif

/// A window's frame times, in milliseconds.
constexpr uint32_t kShortestFrameMs = 10, kLongestFrameMs = 50;

struct VariedRun {
    const char* bot;
    uint32_t frameSeed;
    /// A bound on the clock far past the play's minutes.
    uint32_t boundMinutes;
};

void PrintTo(const VariedRun& run, std::ostream* out) { *out << run.bot << " on frames of seed " << run.frameSeed; }

/// Every tree plays one run of each family; the seeds are ones whose frames once met a question
/// the round bot did not answer (the city's and the zoo's way out) or left the circus bot
/// circling the dog house with its chain for good.
const VariedRun kRuns[] = {{"circus-round", 8, 25}, {"city-round", 3, 25}, {"zoo-round", 1, 25}, {"city-race", 1, 10}};
/// The normal tree plays more: other seeds and the whole game to the credits (an hour of the
/// clock, over a minute of the machine's there and many under the sanitizers).
#ifndef VQT_ASAN
const VariedRun kMoreRuns[] = {{"circus-round", 1, 25}, {"city-round", 7, 25}, {"zoo-round", 3, 25}, {"play-through", 2, 150}};
#endif

class BotsOnVariedFramesTest : public ShellScenarioTest, public ::testing::WithParamInterface<VariedRun> {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_P(BotsOnVariedFramesTest, TheBotReachesItsPlaysEnd) {
    const BotRow* row = FindBot(GetParam().bot);
    ASSERT_NE(row, nullptr);
    Ini(row->prepare());
    std::unique_ptr<ViewBot> bot;
    std::string state; // where the play stood a while ago
    uint32_t start = 0, endedAt = 0, last = 0, shortest = UINT32_MAX, longest = 0;
    Scenario s = Game(kShortestFrameMs);
    s.hooks = GameHooks(); // as the window's program starts the game
    s.msPerFrameMax = kLongestFrameMs;
    s.frameSeed = GetParam().frameSeed;
    const uint32_t boundMs = GetParam().boundMinutes * 60 * 1000;
    s.frames = boundMs / kShortestFrameMs;
    s.watch = [&](uint32_t tick) {
        const uint32_t clockNow = clock().TickCount();
        if (tick == 1) {
            xSRand(GetParam().frameSeed);
            std::srand(GetParam().frameSeed);
            TLVWorld_Activity::escapeSide = 0; // the escape search's side lives on between runs
            start = clockNow;
            bot = row->start(HeadlessBotInput());
        } else {
            shortest = std::min(shortest, clockNow - last);
            longest = std::max(longest, clockNow - last);
        }
        last = clockNow;
        const uint32_t now = clockNow - start;
        if (endedAt || now > boundMs) return;
        if (tick % 1000 == 0) state = PlayState();
        const std::string lines = bot->Step(now);
        if (!lines.empty()) Script(lines);
        if (bot->Progress().ended) {
            endedAt = now;
            RequestQuit();
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    EXPECT_GE(shortest, kShortestFrameMs);
    EXPECT_GT(longest, 2 * kShortestFrameMs) << "the frames took times of their own";
    ASSERT_TRUE(bot);
    EXPECT_TRUE(bot->Progress().arrived);
    EXPECT_GT(endedAt, 0u) << "the play did not end within " << GetParam().boundMinutes << " min of the clock: " << state;
    if (endedAt) std::printf("%s reached its end after %u s of the clock\n", GetParam().bot, endedAt / 1000);
}

std::string RunName(const ::testing::TestParamInfo<VariedRun>& info) {
    std::string name = info.param.bot;
    std::erase(name, '-');
    return name + "Seed" + std::to_string(info.param.frameSeed);
}

INSTANTIATE_TEST_SUITE_P(Bots, BotsOnVariedFramesTest, ::testing::ValuesIn(kRuns), RunName);
#ifndef VQT_ASAN
INSTANTIATE_TEST_SUITE_P(MoreBots, BotsOnVariedFramesTest, ::testing::ValuesIn(kMoreRuns), RunName);
#endif

} // namespace
} // namespace vqt::test
