#include "game/minigames/roundup/RoundUpThrower.h"

#include <cmath>
#include <new>

#include "game/minigames/roundup/RoundUpActivity.h"
#include "game/shell/PParticle.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

/// The world's touch handler in the shape of a prop's hook.
bool HandToWorld(TLV_Object* prop) { return WorldPropHook(prop) != 0; }

} // namespace

bool CRoundUpThrower::Start(int32_t count, int32_t intervalMs, const ThrowLook& look) {
    if (left_ > 0 || count <= 0) return false;
    look_ = look;
    left_ = count;
    timer_.Start(intervalMs);
    Launch();
    return true;
}

void CRoundUpThrower::Step() {
    if (left_ <= 0 || !timer_.HasElapsed()) return;
    Launch();
    if (left_ > 0) timer_.Restart();
}

PParticle* CRoundUpThrower::FreeParticle() {
    for (PParticle* p : pool_)
        if (!p->IsVisible() || !p->IsShownThroughParents()) return p;
    auto* p = new (std::nothrow) PParticle("PParticle", PParticle::kClassId);
    if (!p) return nullptr;
    p->SetVisible(0, 0);
    p->SetLoadAllStates(1);
    p->SetPartID(GamePartFile(), look_.part, 0);
    p->SetTouchHook(&HandToWorld);
    owner_->AddChild(p);
    pool_.push_back(p);
    return p;
}

void CRoundUpThrower::Launch() {
    --left_;
    auto* vehicle = dynamic_cast<VIsometric*>(owner_->GetVehicle());
    PParticle* p = vehicle ? FreeParticle() : nullptr;
    if (!p) return;
    // The particle keeps the draw priority it is thrown with.
    p->SetZOrderOn(false);
    p->SetPriority(look_.priority == kBelowVehicle ? vehicle->GetPriority() - 1 : look_.priority);
    p->SetLaunchSound(look_.launchSound);
    p->SetLandingSound(look_.landingSound);
    const CPointF at = vehicle->GetPosition();
    const CPointF hot = vehicle->GetHotSpot();
    const CPoint16 start(int16_t(at.x + hot.x), int16_t(at.y + hot.y));
    Vec3 heading;
    vehicle->GetHeadingVector(&heading);
    const float length = std::sqrt(heading.x * heading.x + heading.y * heading.y);
    const float ux = length > 0 ? heading.x / length : 0.0f, uy = length > 0 ? heading.y / length : 0.0f;
    const CPoint16 target(int16_t(start.x + ux * look_.distance), int16_t(start.y + uy * look_.distance));
    const float seconds = float(look_.flightMs) * 0.001f;
    p->SetPosition(CPointF(start.x, start.y), 0, 0);
    p->SetVelocity(Vec3(ux * look_.distance / seconds, uy * look_.distance / seconds, 0.0f), 0);
    p->Launch(start, int16_t(vehicle->GetGroundOffset()), target, look_.flightMs, 1.0f);
    p->Start(1);
    ++thrown_;
}

void CRoundUpThrower::DeletePool() {
    for (PParticle* p : pool_) delete p;
    pool_.clear();
    left_ = 0;
}
