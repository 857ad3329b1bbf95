// The puzzle's tune as its start panel closes: its tick starts it, as a click on the panel itself
// (or its time-out, the same hook) does; whichever comes second leaves the tune playing on
// where it is, and a closing panel's hook arms no later time-out.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "engine/media/MusicProcess.h"
#include "engine/media/Sound.h"
#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/shell/ButtonPanel.h"
#include "platform/Platform.h"
#include "tests/game/minigames/puzzle/PuzzleTownFixture.h"
#include "tools/synthetic/GameData.h"

namespace vqt::test {
namespace {

/// How the player closes the start panel.
enum class Close { Tick, PanelThenTick, TickThenPanel };

struct CloseCase {
    const char* name;
    Close close;
};

void PrintTo(const CloseCase& c, std::ostream* out) { *out << c.name; }

class PuzzleStartTuneTest : public PuzzleTownFixture, public testing::WithParamInterface<CloseCase> {
protected:
    void AddTestData(GameData& data) override {
        PuzzleTownFixture::AddTestData(data);
        // A tune to follow on its voice: the town's music entry as a tone.
        const uint16_t tune = puzzle_towns::kCircus.music;
        if (!data.file.HasChunk(GameData::kSnippets, tune)) data.file.AddChunk(GameData::kSnippets, Tone(300), {.entry = tune});
    }
    OMusicProcess& Music() { return *app->GetMusic(); }
    /// Where the tune has got to on its voice, in bytes.
    uint32_t TunePosition() { return plat::audio().Mixer().Position(Music().GetChannel()->voice); }
};

TEST_P(PuzzleStartTuneTest, TheTownsTuneStartsOnceAsTheStartPanelCloses) {
    const Close close = GetParam().close;
    CGPuzzle* puzzle = Start(puzzle_towns::kCircus);
    ASSERT_NE(puzzle, nullptr);
    ASSERT_TRUE(puzzle->IsPanelShown(CGPuzzle::kPanelStart));
    ASSERT_FALSE(Music().IsPlaying()) << "the start panel holds the music back";

    // The second way of closing comes once the first has had the tune play a while (while the
    // tick's press sound still holds the panel open).
    auto second = [&](auto&& closeAgain) {
        Frames(5, kFrameMs);
        ASSERT_TRUE(Music().IsPlaying());
        const uint32_t before = TunePosition();
        closeAgain();
        EXPECT_GT(before, 0u);
        EXPECT_GE(TunePosition(), before) << "the tune plays on, not afresh";
    };
    auto tick = [&] {
        PlayOnPipe2();
        puzzle->OnButton(CGPuzzle::kPanelStart, 1);
    };
    auto clickPanel = [&] { puzzle->OnPanelDismissed(CGPuzzle::kPanelStart); };
    if (close == Close::PanelThenTick) clickPanel(), second(tick);
    else tick();
    ASSERT_TRUE(Music().IsPlaying()) << "the tick starts the tune";
    ASSERT_TRUE(Music().GetSnippetData().has_value());
    EXPECT_EQ(Music().GetSnippetData()->firstEntry, puzzle_towns::kCircus.music);
    ASSERT_NE(Music().GetChannel(), nullptr) << "the generated data has the tune";
    if (close == Close::TickThenPanel) {
        ASSERT_TRUE(puzzle->GetPanel(CGPuzzle::kPanelStart)->IsClosing());
        second(clickPanel);
    }

    FramesUntil([&] { return !puzzle->IsPanelShown(-1); }, 400);
    EXPECT_FALSE(puzzle->IsPanelShown(CGPuzzle::kPanelStart)) << "the tick closes the panel";
    EXPECT_FALSE(puzzle->GetPanel(CGPuzzle::kPanelStart)->GetTimer().running) << "no time-out is left to restart it";
    EXPECT_TRUE(Music().IsPlaying());
    Leave();
}

constexpr CloseCase kCloses[] = {
    {"Tick", Close::Tick},
    {"PanelThenTick", Close::PanelThenTick},
    {"TickThenClosingPanel", Close::TickThenPanel},
};

INSTANTIATE_TEST_SUITE_P(Closes, PuzzleStartTuneTest, testing::ValuesIn(kCloses),
                         [](const testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace vqt::test
