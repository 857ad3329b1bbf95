#include "game/world/towns/CanisterThrower.h"

#include <cmath>
#include <new>

#include "engine/base/Trace.h"
#include "engine/core/Activity.h"
#include "game/shell/PParticle.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVActivity.h"

namespace {

const towns::city::CanisterBurst* FindBurst(uint16_t vehicleValue) {
    for (const towns::city::CanisterBurst& b : towns::city::kCanisterBursts)
        if (b.vehicle == vehicleValue) return &b;
    return nullptr;
}

bool Holds(const CDynArray<PParticle*>& list, const PParticle* particle) {
    for (int32_t i = 0; i < list.Count(); ++i)
        if (list.GetAt(i) == particle) return true;
    return false;
}

} // namespace

CCanisterThrower::CCanisterThrower(OActivity& world, CPartFile* file, TLV_Object::FrameHook hook)
    : world_(world), file_(file), hook_(hook) {
    pool_.SetChunk(64);
    thrown_.SetChunk(8);
}

bool CCanisterThrower::Start(uint16_t vehicleValue, const Aim& aim) {
    if (left_ > 0) return false;
    if (const towns::city::CanisterBurst* burst = FindBurst(vehicleValue)) burst_ = burst;
    if (!burst_) return false;
    left_ = burst_->count;
    thrown_.Free();
    timer_.Start(int32_t(burst_->intervalMs));
    Throw(aim);
    return true;
}

void CCanisterThrower::Step(const Aim& aim) {
    if (left_ <= 0 || !timer_.HasElapsed()) return;
    Throw(aim);
    if (left_ > 0) timer_.Restart();
}

PParticle* CCanisterThrower::GetCanister() {
    for (int32_t i = pool_.Count() - 1; i >= 0; --i) {
        PParticle* canister = pool_.GetAt(i);
        if (xProp_IsHidden(canister) && !Holds(thrown_, canister)) return canister;
    }
    auto* canister = new (std::nothrow) PParticle("PParticle", PParticle::kClassId);
    if (!canister) return nullptr;
    canister->SetVisible(0, 0);
    world_.AddChild(canister);
    LoadArt(canister, file_, burst_->part, 1);
    canister->SetFrameHook(hook_);
    // Each throw's launch sets the flight it lives for.
    canister->SetFlightTime(int32_t(towns::city::kCanisterLifeMs));
    if (!pool_.Append(canister)) {
        xTracef("%s : the canister pool cannot grow\n", world_.GetName());
        world_.RemoveChild(canister);
        delete canister;
        return nullptr;
    }
    return canister;
}

void CCanisterThrower::Throw(const Aim& aim) {
    --left_;
    if (left_ <= 0) {
        left_ = 0;
        timer_.Stop();
    }
    PParticle* canister = GetCanister();
    if (!canister) return;
    thrown_.Append(canister);
    const float length = std::sqrt(aim.heading.x * aim.heading.x + aim.heading.y * aim.heading.y);
    const float ux = length > 0.0f ? aim.heading.x / length : 0.0f;
    const float uy = length > 0.0f ? aim.heading.y / length : 0.0f;
    const float speed = burst_->distance * 1000.0f / float(burst_->flightMs);
    canister->SetPosition(aim.anchor, 0, 1);
    canister->SetVelocityXY(ux * speed, uy * speed, 0);
    canister->SetSpin(towns::city::kCanisterSpin, 0);
    const CPoint16 from(int16_t(std::lround(aim.anchor.x)), int16_t(std::lround(aim.anchor.y)));
    const CPoint16 to(int16_t(std::lround(aim.anchor.x + ux * burst_->distance)),
                      int16_t(std::lround(aim.anchor.y + uy * burst_->distance)));
    canister->Launch(from, int16_t(std::lround(aim.groundOffset)), to, burst_->flightMs, 1.0f);
    canister->SetState(1);
    canister->Start(0);
}
