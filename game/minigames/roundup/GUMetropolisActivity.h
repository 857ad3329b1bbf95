#pragma once
#include <cstdint>

#include "game/minigames/roundup/RoundUpActivity.h"

/// The city's round-up: criminals ("GUMetropolis_Activity", class id 451).
class GUMetropolis_Activity : public CRoundUpActivity {
public:
    static constexpr uint32_t kClassId = 451;

    GUMetropolis_Activity(const char* name = "GUMetropolis_Activity", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
};
