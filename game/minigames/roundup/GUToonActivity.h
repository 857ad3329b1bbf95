#pragma once
#include <cstdint>

#include "game/minigames/roundup/RoundUpActivity.h"

/// The circus town's round-up: lost circus animals ("GUToon_Activity", class id 450).
class GUToon_Activity : public CRoundUpActivity {
public:
    static constexpr uint32_t kClassId = 450;

    GUToon_Activity(const char* name = "GUToon_Activity", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
};
