#pragma once
#include <cstdint>

#include "game/minigames/roundup/RoundUpActivity.h"

class PBeam;

/// The zoo's round-up: escaped zoo animals ("GUZoo_Activity", class id 453).
class GUZoo_Activity : public CRoundUpActivity {
public:
    static constexpr uint32_t kClassId = 453;

    GUZoo_Activity(const char* name = "GUZoo_Activity", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// The round-up's start, then the vehicle's beam.
    int32_t OnActivated() override;
    /// The beam fires when it is not showing.
    void DoVehicleAction() override;
    /// The beam leaves the vehicle and goes first, then the round-up's stop.
    int32_t FlushSoundQueues() override;
    PBeam* GetBeam() const { return beam_; }

private:
    PBeam* beam_ = nullptr;
};
