#pragma once
#include <cstdint>

#include "game/minigames/puzzle/CGPuzzle.h"

/// The track-turning puzzle of the city ("GPMetropolis_Activity").
class GPMetropolis_Activity : public CGPuzzle {
public:
    static constexpr uint32_t kClassId = puzzle_towns::kCity.classId;

    GPMetropolis_Activity(const char* name = "GPMetropolis_Activity", uint32_t classId = kClassId);
    int32_t OnActivated() override;
    void Speak(int32_t line) override;
};
