#include "game/shell/Pushable.h"

#include "engine/graphics/Part.h"
#include "game/shell/PropertyField.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVActivity.h"

namespace {

constexpr uint32_t kVehicle = 2000;
constexpr int32_t kPushVolume = 127;

} // namespace

Pushable::Pushable(const char* name, uint32_t classId) : TLVSimple_Object(name, classId), lastPosition_(GetPosition()) {
    pushTimer_.Start(kPushMs);
    SetAnimating(1);
}

bool Pushable::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

bool Pushable::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return TLVSimple_Object::HandleProperty(msg, set);
    if (msg->id == kPropStaysDown) xProperty_Exchange(*this, *msg, staysDown_, set);
    return true;
}

int32_t Pushable::OnIdle() {
    if (pushed_) {
        if (DistanceTo(lastPosition_) <= 1.0) {
            SyncAnimState();
            SetAnimating(0);
        } else {
            SetAnimating(1);
        }
        UpdateZOrder();
        lastPosition_ = GetPosition();
        if (pushTimer_.HasElapsed()) {
            pushed_ = 0;
            if (!staysDown_) SetState(0);
        }
    } else if (IsAnimating()) {
        SyncAnimState();
        SetAnimating(0);
    }
    return TLVSimple_Object::OnIdle();
}

void Pushable::SetState(int32_t index) {
    TLVSimple_Object::SetState(index);
    OActivityProp* body = GetCollisionBody();
    if (body != this && xProp_StateCount(body) > index) body->SetState(index);
    UpdateChildren();
}

int32_t Pushable::OnContact(TLV_Object* other) {
    if (!other || !other->IsA(kVehicle)) return 0;
    if (!pushed_) {
        const uint8_t value = GetAnimSet() ? GetAnimSet()->GetPartByte(1) : 0;
        CTLVActivity* activity = CurrentGameActivity();
        if (value != 0 && activity) activity->PlaySound(MakeChunkId(7, value), CTLVActivity::kAnyPipe, kPushVolume);
    }
    SetState(1);
    if (staysDown_) QueueNextState(1);
    pushed_ = 1;
    pushTimer_.Restart();
    return 16;
}
