#pragma once
// The three town puzzles on the generator's data (the zoo's on an entry of its own), with the
// player in one of the town's vehicles: starting one at a level and seed, closing its start
// panel, solving its board and leaving it.
#include <gtest/gtest.h>

#include <vector>

#include "engine/base/Random.h"
#include "engine/media/MessageProcess.h"
#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/minigames/puzzle/PuzzleClasses.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/Player.h"
#include "game/world/WorldClasses.h"
#include "tests/game/minigames/puzzle/TrackSolver.h"
#include "tests/game/shell/GameActivityFixture.h"

void AddPuzzles(GameData& data, const std::vector<const PuzzleTownValues*>& towns);
void AddTileSheetScreens(GameData& data);

namespace vqt::test {

class PuzzleTownFixture : public GameActivityFixture {
protected:
    void SetUp() override {
        GameActivityFixture::SetUp();
        xWorld_RegisterClasses();
        xPuzzle_RegisterClasses();
    }
    /// The zoo's own entry {1, 0, 10} is one of the fixture's screens: its puzzle is {1, 0, 30}.
    static constexpr uint16_t kZooEntry = 30;
    static constexpr PuzzleTownValues ZooHere() {
        PuzzleTownValues zoo = puzzle_towns::kZoo;
        zoo.ownEntry = kZooEntry;
        return zoo;
    }
    static constexpr uint16_t EntryOf(const PuzzleTownValues& town) {
        return town.classId == puzzle_towns::kZoo.classId ? kZooEntry : town.ownEntry;
    }
    void AddTestData(GameData& data) override {
        AddTileSheetScreens(data);
        static constexpr PuzzleTownValues zoo = ZooHere();
        AddPuzzles(data, {&puzzle_towns::kCircus, &puzzle_towns::kCity, &zoo});
    }
    CPlayer& Player() { return *app->GetPlayer(); }
    /// The snippet that plays on a pipe; null when it is silent.
    xSnippet* Playing(uint32_t pipe) { return xSound_IsPlaying(Pipe(pipe)) ? Pipe(pipe)->snippet : nullptr; }
    /// Frames until `done` holds (at most `limit`).
    template <class Done>
    void FramesUntil(Done done, int limit) {
        for (int n = 0; !done() && n < limit; ++n) Frames(1, kFrameMs);
    }
    /// The puzzle level word of the record, set as a damaged save file would have it.
    void SetLevel(const PuzzleTownValues& town, uint16_t level) {
        auto& record = const_cast<PlayerRecord&>(Player().Record());
        record.world[town.world][17 + CGPuzzle::kPuzzleActivity] = level;
    }
    /// Switches to the town's puzzle with the player in one of its vehicles.
    CGPuzzle* Start(const PuzzleTownValues& town, uint32_t seed = 1) {
        Player().SetSelectedVehicle(town.firstVehicle);
        xSRand(seed);
        SwitchTo(EntryOf(town));
        return dynamic_cast<CGPuzzle*>(CurrentGameActivity());
    }
    /// Leaves for the town's world (the record is written on the way).
    void Leave() {
        // The puzzle may be left once its voice lines are no longer waiting.
        app->GetMessageProcess()->FlushMessages();
        SwitchTo(kPlainScreen);
    }
    /// Closes the start panel with its button and waits until the play goes on.
    void CloseStartPanel(CGPuzzle* puzzle) {
        puzzle->OnButton(CGPuzzle::kPanelStart, 1);
        FramesUntil([&] { return !puzzle->IsPanelShown(-1); }, 400);
        ASSERT_FALSE(puzzle->IsPanelShown(-1));
    }
    /// Turns every tile of the board so that its loop is closed.
    void Solve(CGPuzzle* puzzle) {
        const TrackGenerator* g = puzzle->Board().LastGenerator();
        const std::vector<int16_t> loop = LoopOf(*g);
        const std::vector<int> rotations = vqt::test::Solve(loop, g->Board());
        for (size_t i = 0; i < loop.size(); ++i) puzzle->Board().At(loop[i])->SetRotation(uint32_t(rotations[i]));
    }
};

} // namespace vqt::test
