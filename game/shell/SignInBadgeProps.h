#pragma once
#include <cstdint>

#include "game/shell/BaseButton.h"

/// The picture of an empty badge (class id 1330, made in code): a click selects the badge
/// under the pointer.
class Sign_In_Empty_Icon : public Base_Button_Prop {
public:
    static constexpr uint32_t kClassId = 1330;

    Sign_In_Empty_Icon() : Base_Button_Prop("Sign_In_Empty_Icon", kClassId) {}

    void OnButtonUp() override;
};

/// The background of a badge being edited (class id 1340, made in code): a click selects its
/// badge, the pointer over it highlights it.
class Sign_In_Text_BG : public Base_Button_Prop {
public:
    static constexpr uint32_t kClassId = 1340;

    Sign_In_Text_BG() : Base_Button_Prop("Sign_In_Text_BG", kClassId) {}

    void OnButtonUp() override;
    void OnCursorEnter() override;
    void OnCursorLeave() override;

    int16_t GetBadge() const { return badge_; }
    void SetBadge(int16_t badge) { badge_ = badge; }

private:
    int16_t badge_ = -1;
};
