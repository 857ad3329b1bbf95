// The towns and their games, the whole program on the generated data: an ESC whose press and
// release come in the same frame (an on-screen keyboard, a remote desktop) opens the menu as a
// slower press does, though the key is up again by the time its key-down is handled. The keys
// move as a keyboard's do, at their messages' times, so only the press kept with the key-down
// message reads the key down.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/TLVActivity.h"
#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tests/support/StartActivities.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
/// How long the screen may take to show, and then the menu.
constexpr uint32_t kShowLimitMs = 6000;
constexpr uint32_t kMenuLimitMs = 1000;
/// The screen is left to settle this long before the tap.
constexpr uint32_t kSettleMs = 500;

/// A town and a game of each family, over the three towns.
const StartActivity kTapped[] = {StartActivityOf(8),  StartActivityOf(14), StartActivityOf(17), StartActivityOf(15),
                                 StartActivityOf(10), StartActivityOf(22), StartActivityOf(23)};

class EscTapTest : public ShellScenarioTest, public testing::WithParamInterface<StartActivity> {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_P(EscTapTest, AnEscWhosePressAndReleaseComeTogetherOpensTheMenu) {
    const StartActivity& c = GetParam();
    Ini("STARTACTIVITY=" + std::to_string(c.entry) + "\n");
    enum class Step { Showing, Settling, Tapped, Menu } step = Step::Showing;
    uint32_t now = 0, since = 0;
    Scenario s = Game(kFrameMs);
    s.frames = (kShowLimitMs + kSettleMs + kMenuLimitMs) / kFrameMs;
    s.keysMoveAtTheirTime = true;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        OActivityManager* manager = GetActivityManager();
        CTLVActivity* game = CurrentGameScreen();
        const bool shown = game && manager->GetCurrentId() == MakeChunkId(1, c.entry) && !manager->IsSwitchPending();
        switch (step) {
        case Step::Showing:
            if (shown) step = Step::Settling, since = now;
            break;
        case Step::Settling:
            if (!shown) step = Step::Showing;
            else if (now >= since + kSettleMs) {
                EXPECT_FALSE(game->IsPanelShown(CTLVActivity::kPanelMenu));
                Script("0 WM_KEYDOWN 27 0 0 0\n0 WM_KEYUP 27 0 0 0\n");
                step = Step::Tapped, since = now;
            }
            break;
        case Step::Tapped:
            if (shown && game->IsPanelShown(CTLVActivity::kPanelMenu)) step = Step::Menu;
            else if (now > since + kMenuLimitMs) RequestQuit();
            break;
        case Step::Menu: RequestQuit(); break;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(step, Step::Menu) << "0 the screen did not show, 1 it did not settle, 2 no menu after the tap";
}

INSTANTIATE_TEST_SUITE_P(TownsAndGames, EscTapTest, testing::ValuesIn(kTapped), CaseName<StartActivity>);

} // namespace
} // namespace vqt::test
