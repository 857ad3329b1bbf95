#pragma once
#include <cstdint>

#include "game/minigames/puzzle/CGPuzzle.h"

/// The track-turning puzzle of the circus town ("GPToon_Activity").
class GPToon_Activity : public CGPuzzle {
public:
    static constexpr uint32_t kClassId = puzzle_towns::kCircus.classId;

    GPToon_Activity(const char* name = "GPToon_Activity", uint32_t classId = kClassId);
    int32_t OnActivated() override;
    void Speak(int32_t line) override;
};
