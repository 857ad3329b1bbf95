#pragma once
#include <cstdint>

#include "game/minigames/puzzle/CGPuzzle.h"

/// The track-turning puzzle of the zoo ("GPZoo_Activity").
class GPZoo_Activity : public CGPuzzle {
public:
    static constexpr uint32_t kClassId = puzzle_towns::kZoo.classId;

    GPZoo_Activity(const char* name = "GPZoo_Activity", uint32_t classId = kClassId);
    int32_t OnActivated() override;
    void Speak(int32_t line) override;
};
