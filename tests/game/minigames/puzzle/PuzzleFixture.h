#pragma once
// The puzzle's props on a game screen whose activity answers the tiles as a puzzle would and
// records what they asked of it.
#include <functional>
#include <vector>

#include "game/minigames/puzzle/PuzzleLink.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "tests/game/shell/PropsFixture.h"

namespace vqt::test {

/// A game screen that is a puzzle to its tiles.
class PuzzleProbe : public ProbeActivity, public CPuzzleLink {
public:
    void RestartGoDelay() override {
        ++goDelayRestarts;
        if (onGoDelay) onGoDelay();
    }
    void UpdateVehiclePriority() override { ++priorityUpdates; }
    void OnTileTurned(Puzzle_Piece* tile, OActivityProp* person) override { turnedUnder.push_back({tile, person}); }
    bool ToggleMoving() override {
        moving = !moving;
        return moving;
    }
    Puzzle_Piece* TileAt(int32_t row, int32_t column) override { return tileAt ? tileAt(row, column) : nullptr; }
    int32_t GetLevel() override { return level; }
    bool IsCity() override { return city; }
    void CheerCrowdsTwice() override { ++cheers; }
    void OnPersonReached(OActivityProp* person) override { reached.push_back(person); }
    void OnPersonRemoved(OActivityProp* person) override { removed.push_back(person); }

    struct Turned {
        Puzzle_Piece* tile;
        OActivityProp* person;
    };
    int goDelayRestarts = 0;
    std::function<void()> onGoDelay;
    int priorityUpdates = 0;
    bool moving = false;
    std::function<Puzzle_Piece*(int32_t, int32_t)> tileAt;
    int32_t level = 1;
    bool city = false;
    int cheers = 0;
    std::vector<OActivityProp*> reached;
    std::vector<OActivityProp*> removed;
    std::vector<Turned> turnedUnder;
};

/// A prop whose state and frame the test sets, that records the states it is given.
class StandIn : public TLVSimple_Object {
public:
    explicit StandIn(uint32_t kind) : kind_(kind) {}
    bool IsA(uint32_t classId) const override { return classId == kind_ || TLVSimple_Object::IsA(classId); }
    int32_t GetState() override { return state; }
    int32_t GetCurrentFrame() override { return frame; }
    void SetState(int32_t index) override {
        state = index;
        given.push_back(index);
    }
    int32_t state = 0;
    int32_t frame = 0;
    std::vector<int32_t> given;

private:
    uint32_t kind_;
};

class PuzzleFixture : public PropsFixture {
protected:
    /// The vehicle's art: two groups of 32 headings.
    static constexpr int kVehicleStates = 64;
    void AddTestData(GameData& data) override {
        PropsFixture::AddTestData(data);
        data.parts.AddPart(StatesPart(kVehicleStates), uint16_t(kStatesPart + kVehicleStates));
    }
    void SetUp() override {
        PropsFixture::SetUp();
        ASSERT_TRUE(xTLVFactory_Register({200, [] { return static_cast<OActivity*>(new PuzzleProbe); }, nullptr}));
        Show(kPlainScreen);
        puzzle = dynamic_cast<PuzzleProbe*>(CurrentGameActivity());
        ASSERT_NE(puzzle, nullptr);
    }
    /// A tile of the 8-state test art on the screen, resting at its rotation.
    Puzzle_Piece* Tile(int16_t row, int16_t column, bool straight, uint32_t rotation) {
        auto* tile = Place(new Puzzle_Piece, 8, 100.0f + 57.0f * float(row - column), 100.0f + 29.0f * float(row + column));
        tile->SetCell(row, column);
        tile->SetStraight(straight);
        tile->SetRotation(rotation);
        return tile;
    }
    /// Frames until the tile rests again (at most 2 s).
    void FinishTurn(Puzzle_Piece* tile) { FramesUntil([&] { return !tile->IsTurning(); }, 125); }

    PuzzleProbe* puzzle = nullptr;
};

} // namespace vqt::test
