#include "game/shell/VehicleSelectDrive.h"

#include "engine/base/Trace.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/VehicleSelectActivity.h"

Vehicle_Select_Drive::Vehicle_Select_Drive(const char* name, uint32_t classId) : TLV_Object(name, classId) {}

bool Vehicle_Select_Drive::IsA(uint32_t classId) const { return classId == kClassId || TLV_Object::IsA(classId); }

bool Vehicle_Select_Drive::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return TLV_Object::HandleProperty(msg, set);
    if (msg->id == kPropValue && !msg->Exchange(0, value_, set))
        xTracef("Vehicle_Select_Drive - %s : property 1 of family 1210 has %u bytes, fewer than 2\n", GetName(),
                unsigned(msg->size));
    return true;
}

int32_t Vehicle_Select_Drive::OnIdle() {
    UpdateZOrder();
    return TLV_Object::OnIdle();
}

int32_t Vehicle_Select_Drive::OnAnimationEnd() {
    const int32_t result = TLV_Object::OnAnimationEnd();
    if (IsVisible()) {
        SetVisible(0, 1);
        CTLVActivity* current = CurrentGameActivity();
        if (current && current->IsA(VehicleSelect_Activity::kClassId))
            static_cast<VehicleSelect_Activity*>(current)->StartScreenFade();
    }
    return result;
}

void Vehicle_Select_Drive::Show() {
    if (IsVisible()) return;
    SetState(0);
    SetVisible(1, 1);
}
