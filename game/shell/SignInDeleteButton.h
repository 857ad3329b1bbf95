#pragma once
#include <cstdint>

#include "game/shell/BaseButton.h"

/// The delete button of the sign-in screen ("Sign_In_Delete_Button", class id 1320): a click
/// with a badge selected asks the delete question (panel 5) first.
class Sign_In_Delete_Button : public Base_Button_Prop {
public:
    static constexpr uint32_t kClassId = 1320;

    Sign_In_Delete_Button() : Base_Button_Prop("Sign_In_Delete_Button", kClassId) {}

    bool IsA(uint32_t classId) const override { return classId == kClassId || Base_Button_Prop::IsA(classId); }
    void OnButtonUp() override;
};
