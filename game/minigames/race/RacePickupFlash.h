#pragma once
#include <cstdint>

#include "engine/core/ActivityProp.h"

/// The sparkle where the vehicle picks up fireworks: a plain picture that hides itself when
/// its animation ends, so that the race can show it again.
class CRacePickupFlash : public OActivityProp {
public:
    static constexpr uint32_t kClassId = 54;

    CRacePickupFlash() : OActivityProp("OActivityProp", kClassId) {}
    int32_t OnAnimationEnd() override;
};
