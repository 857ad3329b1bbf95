#pragma once
#include <cstdint>

#include "game/shell/BaseButton.h"

/// A vehicle's button in the garage ("Vehicle_Select_Button", class id 1200): its own property
/// (family 1200, id 1) is the vehicle value 0-5 (world x 2, + 1 for the world's upgrade). A
/// click selects the vehicle; a locked button is hidden, takes no pointer and only grumbles
/// when the pointer finds it anyway. The selected vehicle keeps its selected look while the
/// pointer comes, clicks and goes, so the player always sees which vehicle drives off.
class Vehicle_Select_Button : public Base_Button_Prop {
public:
    static constexpr uint32_t kClassId = 1200;
    enum : uint32_t { kPropValue = 1 };
    /// The look of the selected vehicle.
    static constexpr int32_t kSelectedState = 1;

    Vehicle_Select_Button(const char* name = "Vehicle_Select_Button", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    void OnCursorEnter() override;
    /// The selected vehicle's look stays when the pointer leaves it.
    void OnCursorLeave() override;
    /// The click: the vehicle is selected (with its line), the click sound plays unless locked,
    /// then the button's own release, after which the selected vehicle shows its selected look.
    void OnButtonUp() override;
    /// Showing state 3 at its end: the button hides itself and the garage's screen fade starts.
    int32_t OnAnimationEnd() override;

    /// Cursor mode 0, hidden, locked.
    void Lock();
    void Unlock() { locked_ = 0; }

    uint16_t GetValue() const { return value_; }
    void SetValue(uint16_t value) { value_ = value; }
    uint8_t IsLocked() const { return locked_; }
    uint8_t IsSelected() const { return selected_; }
    void SetSelected(uint8_t selected) { selected_ = selected; }

private:
    uint16_t value_ = 0;
    uint8_t locked_ = 0;
    uint8_t selected_ = 0;
};
