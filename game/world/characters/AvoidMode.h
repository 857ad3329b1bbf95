#pragma once
#include <cstdint>

#include "game/world/characters/Dweeble.h"

/// The turn away from a vehicle that touched a character: until a set time after the last
/// touch the character, when not acting, keeps its back to that vehicle.
class CAvoidMode {
public:
    explicit CAvoidMode(int32_t ms);

    /// A touch by the vehicle: the mode (re)starts its time.
    void Start(OActivityProp* vehicle);
    /// Keeps the character's back to the vehicle; answers true once, when the mode ends.
    bool Step(Dweeble* character);
    /// The vehicle is going away: the mode ends without answering.
    void Forget(const OActivityProp* prop);

    bool IsAvoiding() const { return avoiding_ != 0; }
    const DweebleStateTimer& GetTimer() const { return timer_; }
    const OActivityProp* GetVehicle() const { return vehicle_; }

private:
    int32_t ms_;
    uint8_t avoiding_ = 0;
    DweebleStateTimer timer_;
    OActivityProp* vehicle_ = nullptr;
};
