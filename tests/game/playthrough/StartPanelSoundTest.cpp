// Each of the twelve town games, the whole program on the generated data, its start panel closed
// as a player closes it: a click on the panel's tick through the window's messages, or (one game
// of each kind) ESC, which opens the menu over the panel, and the menu's continue. Within two
// seconds the panel is gone, its lines flushed, and the game's own music plays and is heard.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/Sound.h"
#include "game/minigames/GameClasses.h"
#include "game/minigames/GameSession.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/PanelTextButton.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tests/support/MixLevels.h"
#include "tests/support/StartActivities.h"
#include "tests/support/ScriptedAudioOutput.h"
#include "platform/Platform.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kStartPanel = 4;
constexpr uint16_t kTick = 1;
constexpr uint16_t kContinue = 0;
/// How long the game may take to show its start panel.
constexpr uint32_t kShowLimitMs = 6000;
/// The panel is closed once it has shown this long, its first line under way.
constexpr uint32_t kCloseAfterMs = 500;
/// The menu's continue is clicked once the menu has shown this long.
constexpr uint32_t kContinueAfterMs = 300;
/// The stretch listened to: from the first to the second mark after the closing click.
constexpr uint32_t kListenFromMs = 1500, kListenToMs = 2000;

/// How the player closes the start panel.
enum class Close { Tick, EscThenContinue };

struct StartPanelCase {
    const char* name;
    uint16_t entry;
    /// The game's music, its entry among the snippets.
    uint16_t music;
    Close close = Close::Tick;
};

void PrintTo(const StartPanelCase& c, std::ostream* out) { *out << c.name; }

/// Every game plays its town's tune: the circus town's, the zoo's, the city's.
constexpr uint16_t kTownMusic[] = {562, 581, 151};

/// The games of the start table, closed as the player closes them.
std::vector<StartPanelCase> Games(Close close, std::initializer_list<uint16_t> only = {}) {
    std::vector<StartPanelCase> games;
    for (const StartActivity& a : kStartActivities) {
        if (a.kind == StartKind::Town) continue;
        if (only.size() && std::find(only.begin(), only.end(), a.entry) == only.end()) continue;
        games.push_back({a.name, a.entry, kTownMusic[a.world], close});
    }
    return games;
}

const std::vector<StartPanelCase> kGames = Games(Close::Tick);
/// ESC and continue go the same way in every game: one game of each kind, one of each town
/// (the circus arcade, the zoo puzzle, the city race, the zoo round-up).
const std::vector<StartPanelCase> kEscGames = Games(Close::EscThenContinue, {15, 10, 22, 23});

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

/// A click in the middle of the view; none without it.
std::string ClickOn(OView* view) {
    if (!view) return "";
    const CRect16 r = view->GetScreenRect();
    return SteadyClick({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

/// The music process, when it plays the entry on its channel, unpaused and not silent; else null.
OMusicProcess* PlayingMusic(uint16_t entry) {
    OMusicProcess* music = CTLVApp::Get() ? CTLVApp::Get()->GetMusic() : nullptr;
    if (!music || !music->IsPlaying() || !music->GetSnippetData() || music->GetSnippetData()->firstEntry != entry)
        return nullptr;
    const SoundChannel* channel = music->GetChannel();
    const bool heard = channel && channel->snippet == music->GetSnippet() && xSound_IsPlaying(channel) &&
                       channel->paused == 0 && channel->volume > 0;
    return heard ? music : nullptr;
}

/// Where the music has got to on its voice.
uint32_t MusicPosition(OMusicProcess* music) {
    return music ? plat::audio().Mixer().Position(music->GetChannel()->voice) : 0;
}

class StartPanelSoundTest : public ShellScenarioTest, public testing::WithParamInterface<StartPanelCase> {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_P(StartPanelSoundTest, TheGamesMusicIsHeardWithinTwoSecondsOfTheStartPanelsClose) {
    const StartPanelCase& c = GetParam();
    Ini("STARTACTIVITY=" + std::to_string(c.entry) + "\n");
    ScriptedAudioOutput& output = UseScriptedAudio();
    enum class Step { Showing, Menu, Closed, Listening, Done } step = Step::Showing;
    uint32_t since = 0, closedAt = 0;
    size_t listenFrom = 0, listenTo = 0;
    bool panelsGone = false, musicFrom = false, musicTo = false;
    uint32_t positionFrom = 0, positionTo = 0;
    auto renderedNow = [&] {
        output.Pump();
        return output.Rendered().size();
    };
    // The game's music as the stretch begins or ends: whether it plays, and where.
    auto noteMusic = [&](bool& playing, uint32_t& position) {
        OMusicProcess* music = PlayingMusic(c.music);
        playing = music != nullptr;
        position = MusicPosition(music);
    };
    Scenario s = Game(kFrameMs);
    s.hooks = GameHooks();
    s.frames = (kShowLimitMs + kCloseAfterMs + kContinueAfterMs + kListenToMs + 1000) / kFrameMs;
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        CTLVActivity* game = StartPanelShown(c.entry);
        switch (step) {
        case Step::Showing: {
            if (!game) break;
            if (since == 0) since = now;
            if (now < since + kCloseAfterMs) break;
            if (c.close == Close::EscThenContinue) {
                Script("0 WM_KEYDOWN 27 0 0 0\n100 WM_KEYUP 27 0 0 0\n");
                step = Step::Menu, since = 0;
                break;
            }
            const std::string click = ClickOn(Tick(*game->GetPanel(kStartPanel)));
            ASSERT_FALSE(click.empty()) << "the start panel has its tick";
            Script(click);
            step = Step::Closed, closedAt = now;
            break;
        }
        case Step::Menu: {
            CTLVActivity* screen = CurrentGameScreen();
            if (!screen || !screen->IsPanelShown(CTLVActivity::kPanelMenu)) break;
            if (since == 0) since = now;
            if (now < since + kContinueAfterMs) break;
            EXPECT_FALSE(screen->IsPanelShown(kStartPanel)) << "the menu shows instead of the start panel";
            EXPECT_EQ(PlayingMusic(c.music), nullptr) << "the menu holds the music silent";
            const std::string click = ClickOn(screen->GetPanel(CTLVActivity::kPanelMenu)->GetButton(kContinue));
            ASSERT_FALSE(click.empty()) << "the menu has its continue";
            Script(click);
            step = Step::Closed, closedAt = now;
            break;
        }
        case Step::Closed: {
            if (now < closedAt + kListenFromMs) break;
            listenFrom = renderedNow();
            CTLVActivity* screen = CurrentGameScreen();
            panelsGone = screen && !screen->IsPanelShown(-1) && !IsMessageQueued();
            noteMusic(musicFrom, positionFrom);
            step = Step::Listening;
            break;
        }
        case Step::Listening:
            if (now < closedAt + kListenToMs) break;
            listenTo = renderedNow();
            noteMusic(musicTo, positionTo);
            step = Step::Done;
            break;
        case Step::Done: RequestQuit(); break;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty());
    ASSERT_EQ(step, Step::Done) << "the start panel showed and was closed";
    EXPECT_TRUE(panelsGone) << "the start panel (and the menu) closed, their lines ended";
    EXPECT_TRUE(musicFrom && musicTo) << c.name << ": its music " << c.music << " plays after its start panel";
    EXPECT_NE(positionFrom, positionTo) << "the music goes on through the stretch";
    const std::vector<uint8_t> heard(output.Rendered().begin() + long(listenFrom), output.Rendered().begin() + long(listenTo));
    const MixLevels mix = MeasureMix(heard);
    ASSERT_GT(mix.samples, 0u);
    // Heard: a quarter of the stretch's samples at -36 dBFS or more.
    EXPECT_GE(mix.audible * 4, mix.samples) << c.name << " after its start panel: peak " << mix.peak << ", "
                                            << mix.rmsDbfs << " dBFS, " << mix.audible << " of " << mix.samples
                                            << " samples heard";
}

INSTANTIATE_TEST_SUITE_P(TwelveGames, StartPanelSoundTest, testing::ValuesIn(kGames), CaseName<StartPanelCase>);
INSTANTIATE_TEST_SUITE_P(EscThenContinue, StartPanelSoundTest, testing::ValuesIn(kEscGames), CaseName<StartPanelCase>);

} // namespace
} // namespace vqt::test
