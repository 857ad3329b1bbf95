#pragma once
#include <cstdint>

#include "game/shell/TLVSimpleObject.h"

/// The crowd at the edge of the puzzle board ("Puzzle_Crowd", 1620), read from the activity
/// data: it rests in state 0 and cheers once (state 1) or twice (state 2) before resting again.
class Puzzle_Crowd : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1620;
    static constexpr int16_t kCheerRange = 1000;

    Puzzle_Crowd(const char* name = "Puzzle_Crowd", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;

    void CheerOnce() { Cheer(1); }
    void CheerTwice() { Cheer(2); }

private:
    void Cheer(int32_t state);
};
