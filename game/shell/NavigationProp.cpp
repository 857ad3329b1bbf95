#include "game/shell/NavigationProp.h"

#include "engine/core/ActivityManager.h"
#include "engine/base/Trace.h"
#include "engine/data/PartFile.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"

Navigation_Prop::Navigation_Prop(const char* name, uint32_t classId) : Base_Button_Prop(name, classId) {}

bool Navigation_Prop::IsA(uint32_t classId) const { return classId == kClassId || OActivityProp::IsA(classId); }

bool Navigation_Prop::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return Base_Button_Prop::HandleProperty(msg, set);
    if (msg->id == kPropTarget && !msg->Exchange(0, target_, set))
        xTracef("Navigation_Prop - %s : property 1 of family 1001 has %u bytes, fewer than 2\n", GetName(),
                unsigned(msg->size));
    return true;
}

void Navigation_Prop::OnCursorLeave() {
    OActivityManager* manager = GetActivityManager();
    Leave(!(manager && manager->IsSwitchPending()));
}

void Navigation_Prop::OnButtonUp() {
    CTLVActivity* activity = CurrentGameActivity();
    if (!IsDisabled() && (!activity || activity->MayNavigate(target_))) Navigate();
    Base_Button_Prop::OnButtonUp();
}

void Navigation_Prop::Navigate() {
    CPartFile* file = GamePartFile();
    const ChunkId id = target_ != 0 && file ? MakeChunkId(file->FindDataIndex(Tag4("actv")), target_) : kNullChunkId;
    if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(id);
    SetCursorMode(kHitNever);
}
