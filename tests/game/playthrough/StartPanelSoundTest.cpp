// Each of the twelve town games, the whole program on the generated data, its start panel closed
// as a player closes it: a click on the panel's tick through the window's messages, or ESC, which
// opens the menu over the panel, and the menu's continue. Within two seconds the panel is gone,
// its lines flushed, and the game's own music plays and is heard. The menu pauses the game: under
// it, over the start panel or in play, the recording holds no music, and after its continue the
// music is heard again. A click on the panel itself starts the music once; another leaves it
// playing on. Quitting while the start panel closes starts no music on the way out.
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
#include "engine/media/SoundProcess.h"
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
/// Under the menu: listened to from the first mark after it shows to the second, and its
/// continue clicked at the second.
constexpr uint32_t kMenuListenFromMs = 300, kMenuListenToMs = 1300;
/// The stretch listened to: from the first to the second mark after the closing click.
constexpr uint32_t kListenFromMs = 1500, kListenToMs = 2000;
/// After the menu opened in play: the music heard again between these marks after its continue.
constexpr uint32_t kAgainFromMs = 300, kAgainToMs = 800;
/// The ESC key's press and release, a tenth of a second apart.
constexpr char kEscTap[] = "0 WM_KEYDOWN 27 0 0 0\n100 WM_KEYUP 27 0 0 0\n";
/// Ctrl+Q: Q pressed and released while CTRL is held.
constexpr char kCtrlQ[] = "0 WM_KEYDOWN 17 0 0 0\n20 WM_KEYDOWN 81 0 0 0\n50 WM_KEYUP 81 0 0 0\n90 WM_KEYUP 17 0 0 0\n";
/// The pipe whose sound a closing panel waits for.
constexpr uint32_t kButtonPipe = 2;
constexpr uint16_t kYes = 1;
/// The credits, where the quit question's yes leads.
constexpr ChunkId kCredits = MakeChunkId(1, 7);
/// How long each step of the way out may take.
constexpr uint32_t kStepLimitMs = 4000;

/// How the player closes the start panel: the tick; ESC and the menu's continue; or a click on
/// the panel itself (its hook starts the music), another once the music plays, then the tick.
enum class Close { Tick, EscThenContinue, PanelTwiceThenTick };

struct StartPanelCase {
    const char* name;
    uint16_t entry;
    /// The game's music, its entry among the snippets.
    uint16_t music;
    Close close = Close::Tick;
    /// Once the music is heard, the menu opens in play and closes again.
    bool menuInPlay = false;
};

void PrintTo(const StartPanelCase& c, std::ostream* out) { *out << c.name; }

/// Every game plays its town's tune: the circus town's, the zoo's, the city's.
constexpr uint16_t kTownMusic[] = {562, 581, 151};

/// The games of the start table (all twelve without `only`), closed as the player closes them.
std::vector<StartPanelCase> Games(Close close, bool menuInPlay, std::initializer_list<uint16_t> only = {}) {
    std::vector<StartPanelCase> games;
    for (const StartActivity& a : kStartActivities) {
        if (a.kind == StartKind::Town) continue;
        if (only.size() && std::find(only.begin(), only.end(), a.entry) == only.end()) continue;
        games.push_back({a.name, a.entry, kTownMusic[a.world], close, menuInPlay});
    }
    return games;
}

const std::vector<StartPanelCase> kGames = Games(Close::Tick, false);
/// The menu over the start panel, then in play: each game pauses the same way under both.
const std::vector<StartPanelCase> kEscGames = Games(Close::EscThenContinue, true);
/// The panel's hook asked twice: one game of each kind, one of each town (the circus arcade,
/// the zoo race, the city puzzle, the zoo round-up).
const std::vector<StartPanelCase> kPanelGames = Games(Close::PanelTwiceThenTick, false, {15, 9, 24, 23});

/// The game of the entry, once it shows with its start panel up.
CTLVActivity* StartPanelShown(uint16_t entry) {
    OActivityManager* manager = GetActivityManager();
    const bool current = manager && !manager->IsSwitchPending() && manager->GetCurrentId() == MakeChunkId(1, entry);
    CTLVActivity* game = current ? CurrentGameScreen() : nullptr;
    return game && game->IsPanelShown(kStartPanel) ? game : nullptr;
}

/// The game screen, once its menu shows.
CTLVActivity* MenuShown() {
    CTLVActivity* screen = CurrentGameScreen();
    return screen && screen->IsPanelShown(CTLVActivity::kPanelMenu) ? screen : nullptr;
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

/// Whether the music process has the entry started, heard or not.
bool MusicStarted(uint16_t entry) {
    OMusicProcess* music = CTLVApp::Get() ? CTLVApp::Get()->GetMusic() : nullptr;
    return music && music->IsPlaying() && music->GetSnippetData() && music->GetSnippetData()->firstEntry == entry;
}

/// The music process, when it plays the entry on its channel, unpaused and not silent; else null.
OMusicProcess* PlayingMusic(uint16_t entry) {
    if (!MusicStarted(entry)) return nullptr;
    OMusicProcess* music = CTLVApp::Get()->GetMusic();
    const SoundChannel* channel = music->GetChannel();
    const bool heard = channel && channel->snippet == music->GetSnippet() && xSound_IsPlaying(channel) &&
                       channel->paused == 0 && channel->volume > 0;
    return heard ? music : nullptr;
}

/// Where the music has got to on its voice.
uint32_t MusicPosition(OMusicProcess* music) {
    return music ? plat::audio().Mixer().Position(music->GetChannel()->voice) : 0;
}

/// A stretch of the recorded output, by its bytes, with what the music did over it.
struct Stretch {
    size_t from = 0, to = 0;
    bool musicFrom = false, musicTo = false;
    uint32_t positionFrom = 0, positionTo = 0;
    bool started = false, done = false;
};

/// Stretches shorter than this many samples tell nothing.
constexpr size_t kFewestSamples = 1000;

/// Heard: a quarter of the stretch's samples at -36 dBFS or more.
bool Heard(const MixLevels& mix) { return mix.audible * 4 >= mix.samples; }

std::string Describe(const MixLevels& mix) {
    return "peak " + std::to_string(mix.peak) + ", " + std::to_string(mix.rmsDbfs) + " dBFS, " +
           std::to_string(mix.audible) + " of " + std::to_string(mix.samples) + " samples heard";
}

class StartPanelSoundTest : public ShellScenarioTest, public testing::WithParamInterface<StartPanelCase> {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }

    /// The levels of a stretch of what the output rendered.
    MixLevels Levels(const Stretch& stretch) const {
        const std::vector<uint8_t>& rendered = output_->Rendered();
        return MeasureMix(std::vector<uint8_t>(rendered.begin() + long(stretch.from), rendered.begin() + long(stretch.to)));
    }

    /// The music heard through the stretch: playing at both ends, moving on, and loud enough.
    void ExpectMusicHeard(const Stretch& stretch, const char* when) {
        const StartPanelCase& c = GetParam();
        ASSERT_TRUE(stretch.done) << when << ": the stretch was listened to";
        EXPECT_TRUE(stretch.musicFrom && stretch.musicTo) << c.name << ": its music " << c.music << " plays " << when;
        EXPECT_NE(stretch.positionFrom, stretch.positionTo) << "the music goes on " << when;
        const MixLevels mix = Levels(stretch);
        ASSERT_GT(mix.samples, kFewestSamples);
        EXPECT_TRUE(Heard(mix)) << c.name << " " << when << ": " << Describe(mix);
    }

    /// Nothing heard under the menu: the paused game's music neither plays on nor is heard.
    void ExpectMenuSilent(const Stretch& stretch, const char* where) {
        const StartPanelCase& c = GetParam();
        ASSERT_TRUE(stretch.done) << "the menu opened " << where;
        EXPECT_FALSE(stretch.musicFrom || stretch.musicTo) << c.name << ": the menu " << where << " holds the music silent";
        const MixLevels mix = Levels(stretch);
        ASSERT_GT(mix.samples, kFewestSamples);
        EXPECT_FALSE(Heard(mix)) << c.name << " under the menu " << where << ": " << Describe(mix);
    }

    ScriptedAudioOutput* output_ = nullptr;
};

TEST_P(StartPanelSoundTest, TheGamesMusicIsHeardWithinTwoSecondsOfTheStartPanelsClose) {
    const StartPanelCase& c = GetParam();
    Ini("STARTACTIVITY=" + std::to_string(c.entry) + "\n");
    output_ = &UseScriptedAudio();
    enum class Step { Showing, PanelClicked, PanelMenu, Closed, PlayMenu, Again, Done } step = Step::Showing;
    uint32_t since = 0;
    bool panelsGone = false;
    // Where the music had got to before and after the second click on the panel.
    uint32_t beforeSecondClick = 0, afterSecondClick = 0;
    Stretch underPanelMenu, afterClose, underPlayMenu, afterPlayMenu;
    // The stretch begins or ends: where the recording has got to, and the game's music then.
    auto mark = [&](Stretch& stretch, bool end) {
        output_->Pump();
        OMusicProcess* music = PlayingMusic(c.music);
        (end ? stretch.to : stretch.from) = output_->Rendered().size();
        (end ? stretch.musicTo : stretch.musicFrom) = music != nullptr;
        (end ? stretch.positionTo : stretch.positionFrom) = MusicPosition(music);
        (end ? stretch.done : stretch.started) = true;
    };
    // Listens over [from, to) after `since`; true once the stretch is over.
    auto listen = [&](Stretch& stretch, uint32_t now, uint32_t from, uint32_t to) {
        if (now >= since + from && !stretch.started) mark(stretch, false);
        if (now < since + to) return false;
        mark(stretch, true);
        return true;
    };
    // Under the menu until its listening is over, then its continue; true once clicked.
    auto underMenu = [&](Stretch& stretch, uint32_t now) {
        CTLVActivity* screen = MenuShown();
        if (!screen) return false;
        if (since == 0) since = now;
        if (!listen(stretch, now, kMenuListenFromMs, kMenuListenToMs)) return false;
        EXPECT_FALSE(screen->IsPanelShown(kStartPanel)) << "the menu shows instead of the start panel";
        const std::string click = ClickOn(screen->GetPanel(CTLVActivity::kPanelMenu)->GetButton(kContinue));
        EXPECT_FALSE(click.empty()) << "the menu has its continue";
        Script(click);
        since = now;
        return true;
    };
    // The start panel's tick clicked: it closes, and the stretch after it begins.
    auto clickTick = [&](CTLVActivity& game, uint32_t now) {
        const std::string click = ClickOn(Tick(*game.GetPanel(kStartPanel)));
        ASSERT_FALSE(click.empty()) << "the start panel has its tick";
        Script(click);
        step = Step::Closed, since = now;
    };
    Scenario s = Game(kFrameMs);
    s.hooks = GameHooks();
    s.frames = (kShowLimitMs + 2 * kCloseAfterMs + 2 * kMenuListenToMs + kListenToMs + kAgainToMs + 1000) / kFrameMs;
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        switch (step) {
        case Step::Showing: {
            CTLVActivity* game = StartPanelShown(c.entry);
            if (!game) break;
            if (since == 0) since = now;
            if (now < since + kCloseAfterMs) break;
            if (c.close == Close::EscThenContinue) {
                Script(kEscTap);
                step = Step::PanelMenu, since = 0;
            } else if (c.close == Close::PanelTwiceThenTick) {
                game->GetPanel(kStartPanel)->OnClick();
                step = Step::PanelClicked, since = now;
            } else {
                clickTick(*game, now);
            }
            break;
        }
        case Step::PanelClicked: {
            CTLVActivity* game = StartPanelShown(c.entry);
            if (!game || now < since + kCloseAfterMs) break;
            // A restart would begin the music again from its start.
            beforeSecondClick = MusicPosition(PlayingMusic(c.music));
            game->GetPanel(kStartPanel)->OnClick();
            afterSecondClick = MusicPosition(PlayingMusic(c.music));
            clickTick(*game, now);
            break;
        }
        case Step::PanelMenu:
            if (underMenu(underPanelMenu, now)) step = Step::Closed;
            break;
        case Step::Closed: {
            if (now >= since + kListenFromMs && !afterClose.started) {
                CTLVActivity* screen = CurrentGameScreen();
                panelsGone = screen && !screen->IsPanelShown(-1) && !IsMessageQueued();
            }
            if (!listen(afterClose, now, kListenFromMs, kListenToMs)) break;
            if (!c.menuInPlay) {
                step = Step::Done;
                break;
            }
            Script(kEscTap);
            step = Step::PlayMenu, since = 0;
            break;
        }
        case Step::PlayMenu:
            if (underMenu(underPlayMenu, now)) step = Step::Again;
            break;
        case Step::Again:
            if (listen(afterPlayMenu, now, kAgainFromMs, kAgainToMs)) step = Step::Done;
            break;
        case Step::Done: RequestQuit(); break;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty());
    ASSERT_EQ(step, Step::Done) << "the start panel showed and was closed";
    if (c.close == Close::EscThenContinue) ExpectMenuSilent(underPanelMenu, "over the start panel");
    if (c.close == Close::PanelTwiceThenTick) {
        EXPECT_GT(beforeSecondClick, 0u) << "a click on the start panel starts the music";
        EXPECT_GE(afterSecondClick, beforeSecondClick) << "another click leaves it playing on, not afresh";
    }
    EXPECT_TRUE(panelsGone) << "the start panel (and the menu) closed, their lines ended";
    ExpectMusicHeard(afterClose, "after its start panel");
    if (!c.menuInPlay) return;
    ExpectMenuSilent(underPlayMenu, "in play");
    ExpectMusicHeard(afterPlayMenu, "after the menu's continue in play");
}

INSTANTIATE_TEST_SUITE_P(TwelveGames, StartPanelSoundTest, testing::ValuesIn(kGames), CaseName<StartPanelCase>);
INSTANTIATE_TEST_SUITE_P(EscThenContinue, StartPanelSoundTest, testing::ValuesIn(kEscGames), CaseName<StartPanelCase>);
INSTANTIATE_TEST_SUITE_P(PanelTwiceThenTick, StartPanelSoundTest, testing::ValuesIn(kPanelGames), CaseName<StartPanelCase>);

/// The start panel closing after its tick, the player quits: Ctrl+Q, then yes.
class QuitAsStartPanelClosesTest : public StartPanelSoundTest {};

TEST_P(QuitAsStartPanelClosesTest, TheGamesMusicDoesNotStartOnTheWayToTheCredits) {
    const StartPanelCase& c = GetParam();
    Ini("STARTACTIVITY=" + std::to_string(c.entry) + "\n");
    UseScriptedAudio();
    enum class Step { Showing, Closing, Asked, Leaving, Done } step = Step::Showing;
    uint32_t since = 0;
    bool startPanelClosing = false, leaving = false, credits = false, musicOnTheWay = false;
    OSoundProcess* sound = nullptr;
    Scenario s = Game(kFrameMs);
    s.hooks = GameHooks();
    s.frames = (kShowLimitMs + kCloseAfterMs + 3 * kStepLimitMs) / kFrameMs;
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        CTLVActivity* game = CurrentGameScreen();
        ButtonPanel_Prop* startPanel = game ? game->GetPanel(kStartPanel) : nullptr;
        if (step != Step::Showing && step != Step::Done && now > since + kStepLimitMs) step = Step::Done;
        switch (step) {
        case Step::Showing: {
            if (!StartPanelShown(c.entry)) break;
            if (since == 0) since = now;
            if (now < since + kCloseAfterMs) break;
            const std::string click = ClickOn(Tick(*startPanel));
            ASSERT_FALSE(click.empty()) << "the start panel has its tick";
            Script(click);
            step = Step::Closing, since = now;
            break;
        }
        case Step::Closing:
            if (!startPanel || !startPanel->IsClosing()) break;
            // A sound on the button pipe stands for a long speech: the panels wait for it.
            sound = CTLVApp::Get()->GetSoundProcess();
            sound->Play(CTLVApp::Get()->FindSnippet(CTLVApp::kGameSnippets[1]), kButtonPipe, 0, 1);
            Script(kCtrlQ);
            step = Step::Asked, since = now;
            break;
        case Step::Asked: {
            if (!game || !game->IsPanelShown(CTLVActivity::kPanelQuit)) break;
            startPanelClosing = startPanel && startPanel->IsClosing();
            game->OnButton(CTLVActivity::kPanelQuit, kYes);
            // The speech both panels wait for ends before the way out is taken: they close, the
            // last one with the credits asked for.
            sound->Stop(kButtonPipe);
            leaving = GetActivityManager()->IsSwitchPending();
            game->HidePanel(kStartPanel, 1);
            game->HidePanel(CTLVActivity::kPanelQuit, 1);
            musicOnTheWay = MusicStarted(c.music);
            step = Step::Leaving, since = now;
            break;
        }
        case Step::Leaving: {
            OActivityManager* manager = GetActivityManager();
            if (manager && !manager->IsSwitchPending() && manager->GetCurrentId() == kCredits) {
                credits = true;
                step = Step::Done;
                break;
            }
            musicOnTheWay = musicOnTheWay || MusicStarted(c.music);
            break;
        }
        case Step::Done: RequestQuit(); break;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(startPanelClosing) << "the quit question came while the start panel closed after its speech";
    EXPECT_TRUE(leaving) << "yes asks for the credits before the panels close";
    EXPECT_TRUE(credits) << "yes leads to the credits";
    EXPECT_FALSE(musicOnTheWay) << c.name << ": its music " << c.music << " started on the way to the credits";
}

/// One game on the shared exits, one round-up.
INSTANTIATE_TEST_SUITE_P(TickThenQuit, QuitAsStartPanelClosesTest, testing::ValuesIn(Games(Close::Tick, false, {16, 25})),
                         CaseName<StartPanelCase>);

} // namespace
} // namespace vqt::test
