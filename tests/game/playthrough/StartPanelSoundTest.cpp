// Each of the twelve town games, the whole program on the generated data, its start panel closed
// as a player closes it: a click on the panel's tick through the window's messages. Within two
// seconds of the click the game is heard (its music, or its engine and field sounds), the panel
// gone and its lines flushed.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "game/minigames/GameClasses.h"
#include "game/minigames/GameSession.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/PanelTextButton.h"
#include "game/shell/TLVActivity.h"
#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tests/support/MixLevels.h"
#include "tests/support/ScriptedAudioOutput.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kStartPanel = 4;
constexpr uint16_t kTick = 1;
/// How long the game may take to show its start panel.
constexpr uint32_t kShowLimitMs = 6000;
/// The panel is clicked once it has shown this long, its first line under way.
constexpr uint32_t kClickAfterMs = 500;
/// The stretch listened to: from the first to the second mark after the click.
constexpr uint32_t kListenFromMs = 1500, kListenToMs = 2000;

struct StartPanelCase {
    const char* name;
    uint16_t entry;
};

void PrintTo(const StartPanelCase& c, std::ostream* out) { *out << c.name; }

constexpr StartPanelCase kGames[] = {
    {"circus arcade", 15},   {"zoo arcade", 16},   {"city arcade", 19},
    {"circus puzzle", 13},   {"zoo puzzle", 10},   {"city puzzle", 24},
    {"circus race", 11},     {"zoo race", 9},      {"city race", 22},
    {"circus round-up", 18}, {"zoo round-up", 23}, {"city round-up", 25},
};

/// The game of the entry, once it shows with its start panel up.
CTLVActivity* StartPanelShown(uint16_t entry) {
    OActivityManager* manager = GetActivityManager();
    const bool current = manager && !manager->IsSwitchPending() && manager->GetCurrentId() == MakeChunkId(1, entry);
    CTLVActivity* game = current ? CurrentGameScreen() : nullptr;
    return game && game->IsPanelShown(kStartPanel) ? game : nullptr;
}

/// The start panel's tick: its button, or the instructions that work as its button.
OView* Tick(ButtonPanel_Prop& panel) {
    if (ButtonPanel_Button* button = panel.GetButton(kTick)) return button;
    for (int32_t i = 0; i < panel.AttachedCount(); ++i)
        if (auto* text = dynamic_cast<PanelTextButton*>(panel.AttachedAt(i)); text && text->GetIndex() == kTick) return text;
    return nullptr;
}

/// A click in the middle of the start panel's tick.
std::string ClickTick(CTLVActivity& game) {
    OView* tick = Tick(*game.GetPanel(kStartPanel));
    if (!tick) return "";
    const CRect16 r = tick->GetScreenRect();
    return ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

class StartPanelSoundTest : public ShellScenarioTest, public testing::WithParamInterface<StartPanelCase> {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_P(StartPanelSoundTest, TheGameIsHeardWithinTwoSecondsOfTheStartPanelsTick) {
    const StartPanelCase& c = GetParam();
    Ini("STARTACTIVITY=" + std::to_string(c.entry) + "\n");
    ScriptedAudioOutput& output = UseScriptedAudio();
    enum class Step { Showing, Clicked, Listening, Done } step = Step::Showing;
    uint32_t shownAt = 0, clickedAt = 0;
    size_t listenFrom = 0, listenTo = 0;
    bool panelGone = false;
    auto renderedNow = [&] {
        output.Pump();
        return output.Rendered().size();
    };
    Scenario s = Game(kFrameMs);
    s.hooks = GameHooks();
    s.frames = (kShowLimitMs + kClickAfterMs + kListenToMs + 500) / kFrameMs;
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        CTLVActivity* game = StartPanelShown(c.entry);
        switch (step) {
        case Step::Showing: {
            if (!game) break;
            if (shownAt == 0) shownAt = now;
            if (now < shownAt + kClickAfterMs) break;
            const std::string click = ClickTick(*game);
            ASSERT_FALSE(click.empty()) << "the start panel has its tick";
            Script(click);
            step = Step::Clicked, clickedAt = now;
            break;
        }
        case Step::Clicked:
            if (now < clickedAt + kListenFromMs) break;
            listenFrom = renderedNow();
            panelGone = game == nullptr && !IsMessageQueued();
            step = Step::Listening;
            break;
        case Step::Listening:
            if (now < clickedAt + kListenToMs) break;
            listenTo = renderedNow();
            step = Step::Done;
            break;
        case Step::Done: RequestQuit(); break;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty());
    ASSERT_EQ(step, Step::Done) << "the start panel showed and its tick was clicked";
    EXPECT_TRUE(panelGone) << "the tick closes the start panel and ends its lines";
    const std::vector<uint8_t> heard(output.Rendered().begin() + long(listenFrom), output.Rendered().begin() + long(listenTo));
    const MixLevels mix = MeasureMix(heard);
    ASSERT_GT(mix.samples, 0u);
    // Heard: a quarter of the stretch's samples at -36 dBFS or more.
    EXPECT_GE(mix.audible * 4, mix.samples) << c.name << " after its start panel: peak " << mix.peak << ", "
                                            << mix.rmsDbfs << " dBFS, " << mix.audible << " of " << mix.samples
                                            << " samples heard";
}

INSTANTIATE_TEST_SUITE_P(TwelveGames, StartPanelSoundTest, testing::ValuesIn(kGames), CaseName<StartPanelCase>);

} // namespace
} // namespace vqt::test
