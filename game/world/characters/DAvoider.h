#pragma once
#include "game/world/characters/AvoidMode.h"
#include "game/world/characters/Dweeble.h"

/// The character that walks about and steps out of the vehicle's way ("DAvoider", class id
/// 2420). A vehicle's touch puts it into the avoid mode: it keeps its back to the vehicle and,
/// 250 ms after the last touch, runs off.
class DAvoider : public Dweeble {
public:
    static constexpr uint32_t kClassId = 2420;
    static constexpr int32_t kAvoidMs = 250;

    DAvoider(const char* name = "DAvoider", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// The character's step, then the avoid mode: back to the vehicle, and its end.
    int32_t OnIdle() override;
    /// A vehicle: held (unless acting), avoid mode, pushed (16) or, near the map's edge,
    /// refused (1). Anything else starts an action (unless acting) and is refused.
    int32_t OnContact(TLV_Object* other) override;
    /// Action frames 7-9 for the second vehicle of the town's pair, else 7-8.
    void SetActionFrames(uint8_t secondVehicle) override;

    /// Drops its hold on a vehicle that is going away.
    void ForgetProp(const OActivityProp* prop) { avoid_.Forget(prop); }

    bool IsAvoiding() const { return avoid_.IsAvoiding(); }
    const DweebleStateTimer& GetAvoidTimer() const { return avoid_.GetTimer(); }
    const OActivityProp* GetAvoidedVehicle() const { return avoid_.GetVehicle(); }

private:
    CAvoidMode avoid_{kAvoidMs};
};
