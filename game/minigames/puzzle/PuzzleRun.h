#pragma once
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/core/Timer.h"

class CPuzzleBoard;
class OActivityProp;
class Puzzle_Piece;
class VIsometric;

/// What the vehicle's run on the board tells the puzzle activity.
class CPuzzleRunHost {
public:
    virtual ~CPuzzleRunHost() = default;
    /// The vehicle reached, or is about to reach, a waiting person.
    virtual void OnPersonReached(OActivityProp* person) = 0;
    /// The vehicle drove one step: people and badges it meets are picked up.
    virtual void OnVehicleStep() = 0;
    /// An advance began: the engine sound plays.
    virtual void OnAdvanceStarted() = 0;
    /// No advance was possible: the go button shows stopped and the engine sound ends.
    virtual void OnDeadEnd() = 0;
    /// The vehicle came to rest after the player stopped it between two tiles.
    virtual void OnStoppedOnTile() = 0;
};

/// The puzzle vehicle on the board: from the tile it stands on it advances one tile at a time
/// to the neighbour beyond its leaving exit when the two join, in 30 steps of 33 ms, turning
/// through curves, waiting the go delay after the start and after every turn of the tile under
/// it, and keeping its draw order among the tiles.
class CPuzzleRun {
public:
    static constexpr int32_t kSteps = 30;
    static constexpr int32_t kStepMs = 33;
    static constexpr int32_t kGoDelayMs = 1200;
    static constexpr int32_t kHeadings = 32;
    /// The zoo's look-ahead reacts to people within this angle of the heading (radians).
    static constexpr double kLookAngle = 0.5235987755;
    /// The stage shows the ground at half its height.
    static constexpr double kProjection = 0.5;

    CPuzzleRun(const CPuzzleBoard& board, CPuzzleRunHost& host);

    /// Sets the vehicle on a tile, claimed for it, heading along its forward exit.
    void Place(VIsometric* vehicle, Puzzle_Piece* tile);
    /// The frame's driving step or arrival; true when the vehicle drove a step or an advance
    /// was started or refused.
    bool Frame();

    /// One tile forward, when the tile beyond the leaving exit joins; else moving is cleared.
    void Advance();
    /// Reacts to a waiting person on the tile after the next one.
    void LookAhead();
    void SetVehicleHeading();
    void TurnOnCurves(int32_t step);
    /// The vehicle one above the highest tile around the tiles it is between.
    void UpdateVehiclePriority();

    void SetGoDelay(int32_t ms) { goDelay_.duration = ms; }
    /// The wait before the next advance starts again from now.
    void RestartGoDelay() { goDelay_.Start(goDelay_.duration); }
    bool ToggleMoving() {
        moving_ = !moving_;
        return moving_;
    }
    void SetMoving(bool on) { moving_ = on; }
    bool IsMoving() const { return moving_; }
    void SetCity(bool on) { city_ = on; }
    void SetAngleTest(bool on) { angleTest_ = on; }
    void SetOffset(int32_t offset) { offset_ = offset; }
    void Pause();
    void Resume();

    VIsometric* GetVehicle() const { return vehicle_; }
    Puzzle_Piece* Previous() const { return previous_; }
    Puzzle_Piece* Current() const { return current_; }
    Puzzle_Piece* Next() const { return next_; }
    int32_t GetStep() const { return step_; }
    int16_t GetRow() const { return row_; }
    int16_t GetColumn() const { return column_; }
    bool IsForward() const { return forward_; }
    const CPointF& GetPoint() const { return point_; }
    const CTimerRec& GetGoDelay() const { return goDelay_; }
    const CTimerRec& GetStepTimer() const { return stepTimer_; }

private:
    void DriveStep();
    void Arrive();
    /// The tiles move on: the previous one released, the next one current.
    void MoveOn();
    void ReleaseIfHeld(Puzzle_Piece* tile);
    /// Whether the person is within the look angle of the vehicle's heading.
    bool InSight(OActivityProp* person);
    void SetHeading(int32_t state);

    const CPuzzleBoard& board_;
    CPuzzleRunHost& host_;
    VIsometric* vehicle_ = nullptr;
    Puzzle_Piece* previous_ = nullptr;
    Puzzle_Piece* current_ = nullptr;
    Puzzle_Piece* next_ = nullptr;
    CTimerRec stepTimer_;
    CTimerRec goDelay_;
    CPointF point_;
    bool moving_ = false;
    int32_t step_ = 1;
    int32_t savedHeading_ = 0;
    int16_t row_ = 0;
    int16_t column_ = 0;
    bool forward_ = true;
    bool previousForward_ = true;
    bool lookAhead_ = false;
    bool angleTest_ = false;
    bool city_ = false;
    int32_t offset_ = -10;
};

/// Visible, and shown through its parents.
bool xPuzzle_IsVisible(const OActivityProp* prop);
