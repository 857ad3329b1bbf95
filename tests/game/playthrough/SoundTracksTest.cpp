// The screens where a player expects to hear something play the generated data's music and
// sound: the opening screen and the title, both opening movies between them, and each town's
// puzzle, whose music is a tune that goes on while the puzzle is played. The mix is recorded by
// the test kit's audio output and cut by what the stage shows (a screen, or a movie over it).
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/media/BinkInterstitial.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/Snippet.h"
#include "game/minigames/GameClasses.h"
#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "platform/Platform.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/MixLevels.h"
#include "tests/support/ScriptedAudioOutput.h"
#include "tests/support/StageScript.h"
#include "tests/support/bots/MiniGameDriver.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kSlot = 3;
/// The mark of a stretch with music playing (no movie has this number).
constexpr uint16_t kMusicPlaying = 0xFFFF;

/// What the stage shows: a screen, with the movie playing over it (0: none).
struct Shown {
    uint16_t screen = 0;
    uint16_t movie = 0;
    /// For a puzzle: its start panel is up.
    bool startPanel = false;
    auto operator<=>(const Shown&) const = default;
};

Shown NowShown() {
    Shown shown;
    OActivityManager* manager = GetActivityManager();
    if (!manager) return shown;
    shown.screen = ChunkEntryOf(manager->GetCurrentId());
    if (auto* movie = dynamic_cast<OBinkInterstitial*>(manager->GetCurrentOverlay())) shown.movie = ChunkEntryOf(movie->GetChunkId());
    if (auto* puzzle = dynamic_cast<CGPuzzle*>(manager->GetCurrentActivity()))
        shown.startPanel = puzzle->IsPanelShown(CGPuzzle::kPanelStart);
    return shown;
}

class SoundTracksTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        records[kSlot] = StoredRecord("Bo").bytes();
        PutSave(records);
    }

    /// Runs the game for `seconds` (from {1, 0, start}, or from its first screen for 0), Bo
    /// signed in and `driver` playing; the mix of every stretch of one thing shown, longest
    /// stretch kept for each. The stage shows the music as a movie of number kMusicPlaying from
    /// the frame the music process first plays, and `musicSeconds` tells how long its snippet
    /// lasts.
    std::map<Shown, MixLevels> Heard(uint16_t start, uint32_t seconds, int vehicle, MiniGameDriver* driver,
                                     double* musicSeconds = nullptr) {
        if (start != 0) Ini("STARTACTIVITY=" + std::to_string(start) + "\n");
        ScriptedAudioOutput& output = UseScriptedAudio();
        std::map<Shown, MixLevels> heard;
        Shown shown;
        size_t from = 0;
        auto close = [&] {
            output.Pump();
            const size_t to = output.Rendered().size();
            std::vector<uint8_t> part(output.Rendered().begin() + long(from), output.Rendered().begin() + long(to));
            const MixLevels mix = MeasureMix(part);
            if (mix.samples > heard[shown].samples) heard[shown] = mix;
            from = to;
        };
        Scenario s = Game(kFrameMs);
        s.frames = seconds * 1000 / kFrameMs;
        s.watch = [&](uint32_t tick) {
            const uint32_t now = (tick - 1) * kFrameMs;
            if (tick == 1) {
                CTLVApp::Get()->GetPlayer()->Load(kSlot);
                CTLVApp::Get()->GetPlayer()->SetSelectedVehicle(uint16_t(vehicle));
                CTLVApp::Get()->SetSaveSlot(kSlot);
            }
            Shown nowShown = NowShown();
            if (OMusicProcess* music = CTLVApp::Get()->GetMusic(); musicSeconds && music->IsPlaying() && music->GetSnippet()) {
                const xSnippet& tune = *music->GetSnippet();
                *musicSeconds = double(tune.size) / (tune.bits / 8) / (tune.mono ? 1 : 2) / tune.rate;
                nowShown.movie = kMusicPlaying;
            }
            if (nowShown != shown) {
                close();
                shown = nowShown;
            }
            // A click on the start panel itself runs its hook, which starts the game's music with
            // the panel still up, as its 30 s time-out would. (A click on the panel's button runs
            // no hook, its close stops the time-out; the music starts as the panel has gone.)
            if (auto* puzzle = dynamic_cast<CGPuzzle*>(GetActivityManager()->GetCurrentActivity());
                puzzle && musicSeconds && puzzle->IsPanelShown(CGPuzzle::kPanelStart) && !CTLVApp::Get()->GetMusic()->IsPlaying())
                puzzle->OnPanelDismissed(CGPuzzle::kPanelStart);
            if (!driver) return;
            const std::string lines = driver->Step(GetActivityManager()->GetCurrentActivity(), now);
            if (!lines.empty()) Script(lines);
        };
        const ScenarioRun run = RunScenario(s);
        EXPECT_EQ(run.exitCode, 0);
        close();
        return heard;
    }
};

/// Heard: at least `share` of the stretch's samples at -36 dBFS or more.
void ExpectHeard(const std::map<Shown, MixLevels>& heard, Shown shown, const char* what, double share = 0.5) {
    const auto found = heard.find(shown);
    ASSERT_NE(found, heard.end()) << what << " was never shown";
    EXPECT_GE(found->second.samples, 22050u) << what << " showed for less than half a second";
    EXPECT_GE(double(found->second.audible), share * double(found->second.samples)) << what << " is all but silent";
}

TEST_F(SoundTracksTest, TheOpeningScreenTheTitleAndBothOpeningMoviesAreHeard) {
    // The opening screen's timer queues the movies over it and asks for the title.
    const auto heard = Heard(0, 30, 0, nullptr);
    ExpectHeard(heard, {.screen = 26}, "the opening screen");
    ExpectHeard(heard, {.screen = 26, .movie = 9}, "the first opening movie");
    ExpectHeard(heard, {.screen = 26, .movie = 1}, "the second opening movie");
    ExpectHeard(heard, {.screen = 3}, "the title");
}

TEST_F(SoundTracksTest, EachTownsPuzzleMusicIsATuneHeardWhileThePuzzleIsPlayed) {
    struct Case {
        uint16_t puzzle;
        int vehicle;
    };
    bool first = true;
    for (const Case c : {Case{13, 0}, Case{10, 2}, Case{24, 4}}) {
        SCOPED_TRACE(c.puzzle);
        if (!first) {
            RenewContext();
            xGame_RegisterClasses();
        }
        first = false;
        const std::unique_ptr<MiniGameDriver> driver = MakePuzzleDriver(HeadlessBotInput());
        double musicSeconds = 0.0;
        const auto heard = Heard(c.puzzle, 20, c.vehicle, driver.get(), &musicSeconds);
        EXPECT_GE(musicSeconds, 2.0) << "a looping tune, not a beep";
        ExpectHeard(heard, {.screen = c.puzzle, .movie = kMusicPlaying}, "the puzzle with its music", 0.75);
    }
}

} // namespace
} // namespace vqt::test
