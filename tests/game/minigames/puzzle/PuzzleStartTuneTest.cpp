// The puzzle's tune as its start panel closes: the panel gone starts it, as a click on the panel
// itself (or its time-out, the same hook) does while it shows; whichever comes second leaves the
// tune playing on, and a click on the closing panel does nothing, arming no later time-out.
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
    ButtonPanel_Prop* panel = puzzle->GetPanel(CGPuzzle::kPanelStart);
    ASSERT_TRUE(puzzle->IsPanelShown(CGPuzzle::kPanelStart));
    ASSERT_FALSE(Music().IsPlaying()) << "the start panel holds the music back";

    auto tick = [&] {
        PlayOnPipe2();
        puzzle->OnButton(CGPuzzle::kPanelStart, 1);
    };
    auto clickPanel = [&] { panel->OnClick(); };
    // A mark on the playing tune's descriptor: starting the tune afresh would write the town's.
    constexpr MusicDescriptor kMark{MusicDescriptor::kNoFollowUp, 9};
    if (close == Close::PanelThenTick) {
        clickPanel();
        ASSERT_TRUE(Music().IsPlaying()) << "a click on the panel starts the tune";
        Frames(5, kFrameMs);
        EXPECT_GT(TunePosition(), 0u);
        Music().SetSnippetData(kMark);
    }
    tick();
    if (close == Close::TickThenPanel) {
        ASSERT_TRUE(panel->IsClosing());
        clickPanel();
        EXPECT_FALSE(Music().IsPlaying()) << "a click on the closing panel starts nothing";
        EXPECT_FALSE(panel->GetTimer().running) << "nor arms a time-out";
    }

    FramesUntil([&] { return !puzzle->IsPanelShown(-1); }, 400);
    EXPECT_FALSE(puzzle->IsPanelShown(CGPuzzle::kPanelStart)) << "the tick closes the panel";
    EXPECT_FALSE(panel->GetTimer().running) << "no time-out is left to restart the tune";
    ASSERT_TRUE(Music().IsPlaying()) << "the tune plays once the panel has gone";
    ASSERT_TRUE(Music().GetSnippetData().has_value());
    if (close == Close::PanelThenTick) EXPECT_EQ(*Music().GetSnippetData(), kMark) << "the tune plays on, not afresh";
    else EXPECT_EQ(Music().GetSnippetData()->firstEntry, puzzle_towns::kCircus.music);
    ASSERT_NE(Music().GetChannel(), nullptr) << "the generated data has the tune";
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
