#pragma once
#include <cstdint>

#include "game/world/TLVWorldActivity.h"

/// The circus town ("WToon_Activity", class id 500): the driving world under its own name and
/// id.
class WToon_Activity : public TLVWorld_Activity {
public:
    static constexpr uint32_t kClassId = 500;

    WToon_Activity(const char* name = "WToon_Activity", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
};
