#include "game/shell/PBeam.h"

#include <algorithm>
#include <cstdint>

#include "engine/base/Trace.h"
#include "game/shell/StillProps.h"

namespace {

constexpr uint32_t kCharacter = 2400;
constexpr uint32_t kDestructible = 1510;

} // namespace

PBeam::PBeam(const char* name, uint32_t classId) : Projectile(name, classId) { SetVisible(0, 0); }

bool PBeam::IsA(uint32_t classId) const { return classId == kClassId || Projectile::IsA(classId); }

void PBeam::Sync() {
    const int32_t states = xProp_StateCount(this);
    const int32_t sourceState = source_->GetState();
    if (states == 0 || sourceState < 0) {
        if (!toldNoStates_) xTracef("%s : no state to follow its source with\n", GetName());
        toldNoStates_ = 1;
        return;
    }
    const int32_t state = sourceState % states;
    if (GetState() != state) {
        SetState(state);
        SetNextState(state);
    }
    UpdateZOrder();
}

void PBeam::UpdateZOrder() {
    if (source_ && followPriority_) SetPriority(int32_t(std::min<int64_t>(int64_t(source_->GetPriority()) + kPriorityAbove, INT32_MAX)));
}

int32_t PBeam::OnIdle() {
    if (source_) Sync();
    if (!xProp_IsHidden(this) && GetFrameHook()) GetFrameHook()(this);
    return Projectile::OnIdle();
}

bool PBeam::HitsObject(TLV_Object* other, CPoint16* out) {
    if (!other || other == this) return false;
    if (other->IsA(kCharacter)) return GetCurrentStateObject() && OverlapsProp(other, out);
    if (lightsDestructibles_ && other->IsA(kDestructible)) return OverlapsProp(other->GetCollisionBody(), out);
    return false;
}

void PBeam::Start(uint8_t flag) {
    if (source_ && flag) Sync();
    SetVisible(1, 0);
    Projectile::Start(1);
}

void PBeam::Land() {
    SetVisible(0, 0);
    Projectile::Land();
}
