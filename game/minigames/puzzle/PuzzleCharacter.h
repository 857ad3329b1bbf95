#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "game/shell/TLVSimpleObject.h"

class Puzzle_Piece;

/// The town's puzzle character ("Puzzle_Character", 3200): hidden until its appear timer runs
/// out (15-25 s), it then shows up on a random tile without a badge, lifts it (state 0), starts
/// it down (at the end of state 1) and, once the tile is down (the end of state 2), leaves and
/// waits again. The tile it holds is locked meanwhile and stops the vehicle.
class Puzzle_Character : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 3200;
    static constexpr int32_t kAppearMinMs = 15000;
    static constexpr int32_t kAppearSpreadMs = 10000;
    /// From this draw on any tile without a badge will do; after the last it waits again.
    static constexpr int32_t kAnyTileFromDraw = 15;
    static constexpr int32_t kMaxDraws = 1000;

    Puzzle_Character(const char* name = "Puzzle_Character", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// Appears when its timer has run out, then the still prop's step.
    int32_t OnIdle() override;
    /// The appear timer stands still while the puzzle is paused.
    void Suspend(int32_t flag) override;
    void Resume(int32_t flag) override;
    int32_t OnAnimationEnd() override;

    /// Shows up on a tile and starts lifting it; false (and a new wait) when no tile would do.
    bool Appear();

    Puzzle_Piece* GetTile() const { return tile_; }
    bool IsVisiting() const { return visiting_ != 0; }
    const CTimerRec& GetAppearTimer() const { return appearTimer_; }

private:
    void WaitAgain();
    /// The end of the visit: the tile back in place and let go when the character holds it.
    void Leave();

    CTimerRec appearTimer_;
    Puzzle_Piece* tile_ = nullptr;
    uint8_t visiting_ = 0;
};

/// The city's crook ("City_Puzzle_Crook", 3220).
class City_Puzzle_Crook : public Puzzle_Character {
public:
    static constexpr uint32_t kClassId = 3220;
    City_Puzzle_Crook() : Puzzle_Character("City_Puzzle_Crook", kClassId) {}
    bool IsA(uint32_t classId) const override { return classId == kClassId || Puzzle_Character::IsA(classId); }
};

/// The circus town's fire ("Toon_Puzzle_Fire", 3230).
class Toon_Puzzle_Fire : public Puzzle_Character {
public:
    static constexpr uint32_t kClassId = 3230;
    Toon_Puzzle_Fire() : Puzzle_Character("Toon_Puzzle_Fire", kClassId) {}
    bool IsA(uint32_t classId) const override { return classId == kClassId || Puzzle_Character::IsA(classId); }
};

/// The zoo's alligator ("Zoo_Puzzle_Alligator", 3210).
class Zoo_Puzzle_Alligator : public Puzzle_Character {
public:
    static constexpr uint32_t kClassId = 3210;
    Zoo_Puzzle_Alligator() : Puzzle_Character("Zoo_Puzzle_Alligator", kClassId) {}
    bool IsA(uint32_t classId) const override { return classId == kClassId || Puzzle_Character::IsA(classId); }
};
