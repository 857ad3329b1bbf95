#pragma once
#include <cstdint>

#include "game/shell/BaseButton.h"

/// A button of a certificate page ("Award_Button"): its award index is 0-6 for the activity
/// awards and -1, -2, -3 for the three special ones. A click ends the queued voice lines and
/// has the certificate speak what the award is for or how to earn it.
class Award_Button : public Base_Button_Prop {
public:
    static constexpr uint32_t kClassId = 1300;

    explicit Award_Button(uint32_t classId = kClassId) : Base_Button_Prop("Award_Button", classId) {}

    void OnButtonUp() override;

    int16_t GetAwardIndex() const { return awardIndex_; }
    void SetAwardIndex(int16_t index) { awardIndex_ = index; }

private:
    int16_t awardIndex_ = 0;
};
