#pragma once
#include <cstdint>

#include "game/minigames/roundup/RoundUpActivity.h"
#include "game/minigames/roundup/RoundUpThrower.h"

/// The circus town's round-up: lost circus animals ("GUToon_Activity", class id 450).
class GUToon_Activity : public CRoundUpActivity {
public:
    static constexpr uint32_t kClassId = 450;

    GUToon_Activity(const char* name = "GUToon_Activity", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// Eight drops, one at once and the rest 45 ms apart, thrown ahead by the vehicle's speed.
    void DoVehicleAction() override;
    int32_t OnIdle() override;
    /// The drops go first, then the round-up's stop.
    int32_t FlushSoundQueues() override;
    const CRoundUpThrower& GetThrower() const { return thrower_; }

private:
    CRoundUpThrower thrower_{this};
};
