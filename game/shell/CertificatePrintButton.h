#pragma once
#include <cstdint>

#include "game/shell/BaseButton.h"

/// The print button of a certificate page ("Certificate_Print_Button"): a click prints the
/// certificate and ends its own spoken label.
class Certificate_Print_Button : public Base_Button_Prop {
public:
    static constexpr uint32_t kClassId = 1310;

    Certificate_Print_Button() : Base_Button_Prop("Certificate_Print_Button", kClassId) {}

    bool IsA(uint32_t classId) const override { return classId == kClassId || Base_Button_Prop::IsA(classId); }
    void OnButtonUp() override;
};
