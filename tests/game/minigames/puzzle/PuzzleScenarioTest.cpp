// The whole program on the generated circus puzzle {1, 0, 13} (level 1, vehicle 0, a fixed
// seed): a bot reads the board, closes the start panel, clicks the tiles at their places on the
// stage until the loop joins and presses SPACE, and again whenever the vehicle has stopped;
// everyone is picked up, the end panel shows the three saved, and its return button leads to
// the town with the win in Bo's saved record.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/Player.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedMessages.h"
#include "tests/game/minigames/puzzle/PuzzleBot.h"
#include "tests/game/minigames/puzzle/PuzzleScenarioFixture.h"
#include "tests/game/minigames/puzzle/TrackSolver.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;

using PuzzleScenarioTest = PuzzleScenarioFixture;

TEST_F(PuzzleScenarioTest, ABotSolvesTheCircusPuzzleByClicksAndSpaceAndTheWinIsSaved) {
    PrepareBo(0, 1, 13);
    RgbImage startPanel, solved, endPanel;
    std::string spoken;
    uint16_t badgesBefore = 0, heroBefore = 0, countBefore = 0;
    uint32_t now = 0, since = 0;
    ChunkId shown = kNullChunkId;
    bool tilesClicked = false;
    auto settled = [&](uint16_t entry) {
        OActivityManager* manager = GetActivityManager();
        return manager && shown == MakeChunkId(1, entry) && !manager->IsSwitchPending() && now >= since + 1000;
    };
    auto solvedBoard = [&] {
        const TrackGenerator* g = Puzzle() ? Puzzle()->Board().LastGenerator() : nullptr;
        if (!g) return false;
        const std::vector<int16_t> loop = LoopOf(*g);
        const std::vector<int> rotations = vqt::test::Solve(loop, g->Board());
        for (size_t i = 0; i < loop.size(); ++i) {
            const Puzzle_Piece* tile = Puzzle()->Board().At(loop[i]);
            if (tile->IsTurning() || int(tile->GetRotation()) != rotations[i]) return false;
        }
        return true;
    };
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    const std::vector<Step> steps = {
        {[&] { return settled(13) && Puzzle()->IsPanelShown(CGPuzzle::kPanelStart); },
         [&] {
             startPanel = StagePicture();
             Script(ClickAt(buttons::kPanelButton1)); // the start panel's button
         }},
        {[&] { return Puzzle() && !Puzzle()->IsPanelShown(-1) && now >= since + 2000; },
         [&] {
             // The bot reads the board and clicks each tile as often as it needs turning.
             const TrackGenerator* g = Puzzle()->Board().LastGenerator();
             const std::vector<int16_t> loop = LoopOf(*g);
             const std::vector<int> rotations = vqt::test::Solve(loop, g->Board());
             std::string clicks;
             uint32_t at = 0;
             for (size_t i = 0; i < loop.size(); ++i) {
                 const Puzzle_Piece* tile = Puzzle()->Board().At(loop[i]);
                 for (int turns = (rotations[i] - int(tile->GetRotation()) + 4) % 4; turns > 0; --turns, at += 400)
                     clicks += ClickAt({int(tile->GetPosition().x) - 20, int(tile->GetPosition().y) - 1}, at);
             }
             Script(clicks);
             tilesClicked = true;
         }},
        {[&] { return tilesClicked && solvedBoard(); },
         [&] {
             solved = StagePicture();
             Script("0 WM_KEYDOWN 32 0 0 0\n100 WM_KEYUP 32 0 0 0\n");
         }},
        {[&] { return Puzzle() && Puzzle()->IsPanelShown(CGPuzzle::kPanelEnd) && now >= since + 500; },
         [&] {
             endPanel = StagePicture();
             Script(ClickAt(buttons::kPanelButton0)); // return to the town
         }},
        {[&] { return settled(8); }, [] {}},
    };
    size_t next = 0;
    uint32_t pressedGo = 0;
    Scenario s = Game(kFrameMs);
    s.frames = 120000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            CPlayer* player = SignInBo();
            badgesBefore = player->GetBadgeCount(0, 5);
            heroBefore = player->GetHeroPoints(0);
            countBefore = player->GetActivityCount(0, 5);
            xSRand(2024);
        }
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            shown = id;
            since = now;
        }
        if (OMessageProcess* messages = OApplication::Get()->GetMessageProcess()) {
            for (int32_t i = 0; i < messages->QueueLength(); ++i) {
                const std::string& caption = messages->QueuedAt(i)->caption;
                if (spoken.find(caption + "\n") == std::string::npos) spoken += caption + "\n";
            }
        }
        // A visiting character stops the vehicle before its tile: the bot presses go again.
        if (next == 3 && Puzzle() && !Puzzle()->Run().IsMoving() && !Puzzle()->IsPanelShown(-1) && now >= pressedGo + 1500) {
            Script("0 WM_KEYDOWN 32 0 0 0\n100 WM_KEYUP 32 0 0 0\n");
            pressedGo = now;
        }
        if (next < steps.size() && steps[next].ready()) {
            steps[next].act();
            since = now;
            ++next;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(next, steps.size()) << "stopped before step " << next << " after " << run.framesRun << " frames\n"
                                  << run.trace.substr(run.trace.size() > 3000 ? run.trace.size() - 3000 : 0);
    ExpectMatchesGoldenImage("game/minigames/puzzle_start_panel.png", startPanel);
    ExpectMatchesGoldenImage("game/minigames/puzzle_solved_board.png", solved);
    ExpectMatchesGoldenImage("game/minigames/puzzle_end_panel.png", endPanel);
    ExpectMatchesGolden("game/minigames/puzzle_spoken_lines.txt", spoken);

    CPlayer stored;
    ASSERT_EQ(stored.Load(kBo), SaveSlotState::Valid);
    EXPECT_EQ(stored.GetActivityCount(0, 5), countBefore + 1);
    EXPECT_EQ(stored.GetActivityLevel(0, 5), 2);
    EXPECT_EQ(stored.GetHeroPoints(0), heroBefore + 1);
    EXPECT_GE(stored.GetBadgeCount(0, 5), badgesBefore);
    EXPECT_LE(stored.GetBadgeCount(0, 5), badgesBefore + 2);
}

} // namespace
} // namespace vqt::test
