#include "game/shell/VehicleSelectButton.h"

#include "engine/base/Trace.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/VehicleSelectActivity.h"

namespace {

constexpr ChunkId kClickSound = MakeChunkId(7, 97);
constexpr ChunkId kLockedSound = MakeChunkId(7, 64);
constexpr ChunkId kHoverSound = MakeChunkId(7, 62);
constexpr int32_t kVolume = 127;
constexpr int32_t kLeaveState = 3;

VehicleSelect_Activity* Garage() {
    CTLVActivity* current = CurrentGameActivity();
    return current && current->IsA(VehicleSelect_Activity::kClassId) ? static_cast<VehicleSelect_Activity*>(current)
                                                                       : nullptr;
}

} // namespace

Vehicle_Select_Button::Vehicle_Select_Button(const char* name, uint32_t classId) : Base_Button_Prop(name, classId) {}

bool Vehicle_Select_Button::IsA(uint32_t classId) const {
    return classId == kClassId || Base_Button_Prop::IsA(classId);
}

bool Vehicle_Select_Button::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return Base_Button_Prop::HandleProperty(msg, set);
    if (msg->id == kPropValue && !msg->Exchange(0, value_, set))
        xTracef("Vehicle_Select_Button - %s : property 1 of family 1200 has %u bytes, fewer than 2\n", GetName(),
                unsigned(msg->size));
    return true;
}

void Vehicle_Select_Button::OnCursorEnter() {
    CTLVActivity* activity = CurrentGameActivity();
    if (locked_) {
        if (activity) activity->PlaySound(kLockedSound, CTLVActivity::kAnyPipe, kVolume);
        return;
    }
    if (activity) activity->PlaySound(kHoverSound, CTLVActivity::kAnyPipe, kVolume);
    EnterLook();
    if (activity) activity->OnButtonHover(value_);
    OActivityProp::OnCursorEnter();
}

void Vehicle_Select_Button::OnCursorLeave() { Leave(!selected_); }

void Vehicle_Select_Button::OnButtonUp() {
    if (VehicleSelect_Activity* garage = Garage()) {
        garage->SelectVehicle(this, value_, true);
        if (!locked_) garage->PlaySound(kClickSound, CTLVActivity::kAnyPipe, kVolume);
    }
    Base_Button_Prop::OnButtonUp();
    if (selected_ && !locked_ && !IsDisabled()) ShowAndKeep(kSelectedState);
}

int32_t Vehicle_Select_Button::OnAnimationEnd() {
    const int32_t result = Base_Button_Prop::OnAnimationEnd();
    if (GetState() == kLeaveState) {
        SetVisible(0, 1);
        if (VehicleSelect_Activity* garage = Garage()) garage->StartScreenFade();
    }
    return result;
}

void Vehicle_Select_Button::Lock() {
    SetCursorMode(kHitNever);
    SetVisible(0, 1);
    locked_ = 1;
}
