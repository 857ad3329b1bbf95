#pragma once
#include <cstdint>

#include "game/shell/TLVObject.h"

/// The picture of a vehicle driving out of the garage ("Vehicle_Select_Drive", class id 1210):
/// its own property (family 1210, id 1) is the vehicle value. Shown, it plays once, then hides
/// itself and starts the garage's screen fade.
class Vehicle_Select_Drive : public TLV_Object {
public:
    static constexpr uint32_t kClassId = 1210;
    enum : uint32_t { kPropValue = 1 };

    Vehicle_Select_Drive(const char* name = "Vehicle_Select_Drive", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// The draw priority follows the place, then the animation steps.
    int32_t OnIdle() override;
    int32_t OnAnimationEnd() override;

    /// State 0 and visible, unless already shown.
    void Show();

    uint16_t GetValue() const { return value_; }

private:
    uint16_t value_ = 0;
};
