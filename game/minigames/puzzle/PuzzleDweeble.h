#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "game/world/characters/Dweeble.h"

class Puzzle_Piece;

/// A person waiting on the puzzle board to be picked up ("Puzzle_Dweeble", 1610): at the first
/// level it stands on its tile and claims it, above it walks the track a tile per step; it keeps
/// above the tile it stands on, turns with its tile, and is hidden when the vehicle picks it up.
class Puzzle_Dweeble : public Dweeble {
public:
    static constexpr uint32_t kClassId = 1610;
    /// Property family 1610.
    enum : uint32_t { kPropRow = 1, kPropColumn = 2 };
    static constexpr int32_t kStepMs = 1200;
    /// How far above its tile's position a person stands (the city's tiles are flatter).
    static constexpr float kStandHeight = 29.0f;
    static constexpr float kCityStandHeight = 15.0f;

    Puzzle_Dweeble(const char* name = "Puzzle_Dweeble", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// Above its cell's tile, the step timer running, then the character's step.
    int32_t OnIdle() override;
    /// The puzzle sets the person's draw priority itself.
    void UpdateZOrder() override {}

    /// Its routine for states 0 to 3: at the first level it stands on its tile; above it,
    /// it waits a step, walks to the next tile of the track and turns back where the track
    /// ends or another prop holds the way.
    void Walk();
    /// Takes the next tile of the track as its way; false when it turned back instead.
    bool StepAlongTrack();
    /// The first failure only marks it blocked; from the second on it also gives up its locks.
    /// Its direction is inverted in both cases.
    void TurnBack();
    /// Reached by the vehicle (picked up, 68) or hit by a projectile (65); 0 otherwise.
    int32_t OnHit(OActivityProp* other);
    void SetCell(int16_t row, int16_t column) {
        row_ = row;
        column_ = column;
    }
    /// Taken off the board: its tiles released, hidden, and the puzzle told.
    void PickUp();
    /// Its tile turned: a person on its way to the next tile stands there at once.
    void TileTurned(Puzzle_Piece* tile);
    /// Starts the step timer from now when it is not running.
    void StartStepTimer();
    /// Whether the step timer has run out; it then stops.
    bool StepDue();

    int16_t GetRow() const { return row_; }
    int16_t GetColumn() const { return column_; }
    Puzzle_Piece* Previous() const { return previous_; }
    Puzzle_Piece* Current() const { return current_; }
    Puzzle_Piece* Next() const { return next_; }
    void SetPrevious(Puzzle_Piece* tile) { previous_ = tile; }
    void SetCurrent(Puzzle_Piece* tile) { current_ = tile; }
    void SetNext(Puzzle_Piece* tile) { next_ = tile; }
    bool IsForward() const { return forward_ != 0; }
    void SetForward(bool on) { forward_ = on ? 1 : 0; }
    bool IsBlocked() const { return blocked_ != 0; }
    bool IsBlockedByVehicle() const { return blockedByVehicle_ != 0; }
    const CTimerRec& GetWalkTimer() const { return walkTimer_; }

private:
    void ReleaseIfHeld(Puzzle_Piece* tile);
    void Unlock(Puzzle_Piece* tile);
    /// Heads at walking speed straight for the target point.
    void SetOff();
    /// Where the person stands on a tile, as its position.
    CPointF StandPoint(const Puzzle_Piece* tile) const;

    int16_t row_ = 0;
    int16_t column_ = 0;
    uint8_t forward_ = 1;
    uint8_t blocked_ = 0;
    uint8_t blockedByVehicle_ = 0;
    CTimerRec walkTimer_;
    Puzzle_Piece* previous_ = nullptr;
    Puzzle_Piece* current_ = nullptr;
    Puzzle_Piece* next_ = nullptr;
};
