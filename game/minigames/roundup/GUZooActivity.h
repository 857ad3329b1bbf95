#pragma once
#include <cstdint>

#include "game/minigames/roundup/RoundUpActivity.h"

/// The zoo's round-up: escaped zoo animals ("GUZoo_Activity", class id 453).
class GUZoo_Activity : public CRoundUpActivity {
public:
    static constexpr uint32_t kClassId = 453;

    GUZoo_Activity(const char* name = "GUZoo_Activity", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
};
