// Every screen that a run can be started on from the profile (the towns, their arcades, puzzles,
// road races and round-ups), the whole program on the generated data, played for a few seconds
// as a child would: the start panel's tick, clicks about the field, the arrows, space and CTRL.
// None may bring up a message box or trace missing data (the scenario fixture's report guard).
#include <gtest/gtest.h>

#include <string>

#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "game/minigames/GameClasses.h"
#include "game/minigames/GameSession.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/TLVActivity.h"
#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StartActivities.h"
#include "tests/game/world/towns/TownScenario.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kStartPanel = 4;
/// How long the screen is played once it shows (and its start panel, if any, is closed).
constexpr uint32_t kPlayMs = 5000;
/// How long the screen may take to show.
constexpr uint32_t kShowLimitMs = 6000;

std::string Key(int key, uint32_t at, uint32_t heldMs) {
    const std::string code = " " + std::to_string(key) + " 0 0 0\n";
    return std::to_string(at) + " WM_KEYDOWN" + code + std::to_string(at + heldMs) + " WM_KEYUP" + code;
}

/// A few seconds of a child's input about the field.
std::string PlayAbout() {
    std::string input;
    uint32_t at = 0;
    for (const StagePoint& where : {StagePoint{320, 240}, {180, 300}, {460, 200}, {320, 120}, {250, 380}}) {
        input += SteadyClick(where, at);
        at += 400;
    }
    for (int key : {38, 37, 39, 40}) input += Key(key, at, 500), at += 600; // the arrows
    input += Key(32, at, 100) + Key(17, at + 300, 100) + SteadyClick({320, 240}, at + 600);
    return input;
}

/// The screen of the entry, once it shows.
CTLVActivity* ShownScreen(uint16_t entry) {
    OActivityManager* manager = GetActivityManager();
    const bool shown = manager && !manager->IsSwitchPending() && manager->GetCurrentId() == MakeChunkId(1, entry);
    return shown ? CurrentGameScreen() : nullptr;
}

class StartScreensTest : public ShellScenarioTest, public testing::WithParamInterface<StartActivity> {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_P(StartScreensTest, AStartedScreenPlaysAFewSecondsOfInputWithoutABoxOrMissingData) {
    const StartActivity& c = GetParam();
    Ini("STARTACTIVITY=" + std::to_string(c.entry) + "\n");
    enum class Step { Showing, Playing, Done } step = Step::Showing;
    uint32_t now = 0, playFrom = 0;
    bool played = false;
    Scenario s = Game(kFrameMs);
    s.hooks = GameHooks();
    s.frames = (kShowLimitMs + kPlayMs + 2000) / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        CTLVActivity* game = ShownScreen(c.entry);
        switch (step) {
        case Step::Showing:
            if (!game) break;
            // The start panel's tick, as the child presses it, then the field.
            if (ButtonPanel_Prop* panel = game->IsPanelShown(kStartPanel) ? game->GetPanel(kStartPanel) : nullptr) {
                if (ButtonPanel_Button* tick = panel->GetButton(1)) Script(SteadyClick(MiddleOf(tick->GetScreenRect())));
                playFrom = now + 1000;
            } else {
                playFrom = now;
            }
            step = Step::Playing;
            break;
        case Step::Playing:
            if (!played && now >= playFrom) Script(PlayAbout()), played = true;
            if (now >= playFrom + kPlayMs) step = Step::Done;
            break;
        case Step::Done: RequestQuit(); break;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(step, Step::Done) << "the screen showed and was played";
    EXPECT_TRUE(run.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(ReadmeStarts, StartScreensTest, testing::ValuesIn(kStartActivities), CaseName<StartActivity>);

} // namespace
} // namespace vqt::test
