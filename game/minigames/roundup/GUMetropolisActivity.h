#pragma once
#include <cstdint>

#include "game/minigames/roundup/RoundUpActivity.h"
#include "game/minigames/roundup/RoundUpThrower.h"

/// The city's round-up: criminals ("GUMetropolis_Activity", class id 451).
class GUMetropolis_Activity : public CRoundUpActivity {
public:
    static constexpr uint32_t kClassId = 451;

    GUMetropolis_Activity(const char* name = "GUMetropolis_Activity", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// Particle bursts: 4 particles 45 ms apart (vehicle 4) or 6 particles 20 ms apart
    /// (vehicle 5); a press while a burst is going is ignored.
    void DoVehicleAction() override;
    int32_t OnIdle() override;
    const CRoundUpThrower& GetThrower() const { return thrower_; }

private:
    CRoundUpThrower thrower_{this};
};
