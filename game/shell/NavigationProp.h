#pragma once
#include <cstdint>

#include "game/shell/BaseButton.h"

/// A button that switches to another activity ("Navigation_Prop", class id 1001): a click asks
/// the current game activity whether it may go, then requests {actv, 0, target}. It answers
/// IsA as a plain engine prop, not as a Base_Button_Prop.
class Navigation_Prop : public Base_Button_Prop {
public:
    static constexpr uint32_t kClassId = 1001;
    /// Property family 1001: the target's entry in the activity index, 16 bits.
    static constexpr uint32_t kPropTarget = 1;

    Navigation_Prop(const char* name = "Navigation_Prop", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// Keeps its look while an activity switch is pending.
    void OnCursorLeave() override;
    /// Navigates when the current game activity allows it (a disabled button never does).
    void OnButtonUp() override;

    /// Requests the target activity (the null id for target 0 or without a part file); the
    /// button stops taking the pointer.
    void Navigate();

    uint16_t GetTarget() const { return target_; }
    void SetTarget(uint16_t target) { target_ = target; }

private:
    uint16_t target_ = 0;
};
