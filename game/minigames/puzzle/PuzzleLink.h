#pragma once
#include <cstdint>

class OActivityProp;
class Puzzle_Piece;

/// What a tile asks of the puzzle activity it lies on (the current activity): the tiles are
/// made before the activity's own classes and only know it through this.
class CPuzzleLink {
public:
    virtual ~CPuzzleLink() = default;

    /// Starts the wait before the vehicle's next advance again from now.
    virtual void RestartGoDelay() = 0;
    /// Puts the vehicle above the tiles around it again.
    virtual void UpdateVehiclePriority() = 0;
    /// A tile turned under a waiting person, who turns with it.
    virtual void OnTileTurned(Puzzle_Piece* tile, OActivityProp* person) = 0;
    /// The go button was clicked: the vehicle starts or stops; whether it now moves.
    virtual bool ToggleMoving() = 0;
    /// The tile of a board cell, or null.
    virtual Puzzle_Piece* TileAt(int32_t row, int32_t column) = 0;
    /// The puzzle level (1-3) and whether the puzzle is the city's.
    virtual int32_t GetLevel() = 0;
    virtual bool IsCity() = 0;
    /// Every crowd at the board's edge cheers twice.
    virtual void CheerCrowdsTwice() = 0;
    /// The vehicle reached a waiting person.
    virtual void OnPersonReached(OActivityProp* person) = 0;
    /// A waiting person was picked up.
    virtual void OnPersonRemoved(OActivityProp* person) = 0;
};

/// The current activity when it is a puzzle, else null.
CPuzzleLink* CurrentPuzzleLink();
