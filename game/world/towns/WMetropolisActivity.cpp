#include "game/world/towns/WMetropolisActivity.h"

#include "game/shell/Destructible.h"

WMetropolis_Activity::WMetropolis_Activity(const char* name, uint32_t classId) : TLVWorld_Activity(name, classId) {}

bool WMetropolis_Activity::IsA(uint32_t classId) const {
    return classId == kClassId || TLVWorld_Activity::IsA(classId);
}

bool WMetropolis_Activity::IsMissionDestructible(const TLV_Object* prop) {
    return prop && prop->IsA(Destructible::kClassId) && prop->GetObjectId() >= 3 && prop->GetObjectId() <= 5;
}

void WMetropolis_Activity::OnMissionPropDestroyed() {
    if (targetsLeft_ > 0) --targetsLeft_;
}
