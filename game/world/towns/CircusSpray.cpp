// The circus vehicles' water spray and the smoke of the fires it puts out.
#include <cmath>
#include <new>

#include "engine/base/Trace.h"
#include "game/shell/PParticle.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/world/towns/WToonActivity.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr ChunkId kParticleArt = MakeChunkId(2, 128);
constexpr ChunkId kSmokeArt = MakeChunkId(2, 1069);
constexpr int32_t kParticlePriority = 32767;
constexpr int32_t kSmokePriority = 20000;
constexpr float kParticleSpin = 2000.0f;

bool IsHidden(const OActivityProp* prop) { return !prop->IsShownThroughParents() || !prop->IsVisible(); }

uint16_t VehicleValue() {
    const CPlayer* player = TownWorld::Player();
    return player ? player->GetSelectedVehicle() : 0;
}

/// A particle hands what it hits to the world's contact pass; a prop that answers stops it.
bool SprayHitHook(TLV_Object* particle) { return WorldPropHook(particle) != 0; }

} // namespace

void WToon_Activity::DoVehicleAction() {
    const SprayBurst* burst = FindSprayBurst(VehicleValue());
    if (sprayCount_ <= 0 && burst) {
        sprayCount_ = burst->particles;
        sprayTimer_.Start(burst->intervalMs);
        SprayStep();
    }
    TownWorld::DoVehicleAction();
}

void WToon_Activity::StepSprayBurst() {
    if (sprayCount_ <= 0 || !sprayTimer_.HasElapsed()) return;
    SprayStep();
    if (--sprayCount_ <= 0) {
        sprayCount_ = 0;
        sprayTimer_.Stop();
    } else {
        sprayTimer_.Restart();
    }
}

PParticle* WToon_Activity::GetSprayParticle() {
    for (int32_t i = particles_.Count() - 1; i >= 0; --i) {
        PParticle* particle = particles_.GetAt(i);
        if (!IsHidden(particle)) continue;
        particle->SetPriority(kParticlePriority);
        return particle;
    }
    const SprayBurst* burst = FindSprayBurst(VehicleValue());
    auto* particle = new (std::nothrow) PParticle("PParticle", PParticle::kClassId);
    if (!particle) return nullptr;
    particle->SetVisible(0, 0);
    AddChild(particle);
    LoadArt(particle, GameFile(), kParticleArt, 1);
    particle->SetFrameHook(&SprayHitHook);
    if (burst) particle->SetLandingSound(burst->sound);
    if (!particles_.Append(particle)) {
        xTracef("%s : the spray cannot grow\n", GetName());
        RemoveChild(particle);
        delete particle;
        return nullptr;
    }
    return particle;
}

void WToon_Activity::SprayStep() {
    VIsometric* vehicle = IsoVehicle();
    const SprayBurst* burst = FindSprayBurst(VehicleValue());
    if (!vehicle || !burst) return;
    PParticle* particle = GetSprayParticle();
    if (!particle) return;
    CPointF anchor;
    vehicle->GetAnchorPoint(&anchor);
    Vec3 heading;
    vehicle->GetHeadingVector(&heading);
    const float length = std::sqrt(heading.x * heading.x + heading.y * heading.y);
    const float ux = length > 0.0f ? heading.x / length : 0.0f, uy = length > 0.0f ? heading.y / length : 0.0f;
    const float seconds = float(burst->flightMs) / 1000.0f;
    const float speed = burst->distance / seconds;
    particle->SetPosition(anchor, 0, 1);
    particle->SetVelocityXY(ux * speed, uy * speed, 0);
    particle->SetSpin(kParticleSpin, 0);
    const CPoint16 from(int16_t(std::lround(anchor.x)), int16_t(std::lround(anchor.y)));
    const CPoint16 to(int16_t(std::lround(anchor.x + ux * burst->distance)),
                      int16_t(std::lround(anchor.y + uy * burst->distance)));
    const int16_t height = int16_t(std::lround(vehicle->GetGroundOffset()));
    particle->Launch(from, height, to, burst->flightMs, 1.0f);
    particle->SetState(1);
    particle->Start(0);
}

Smoke* WToon_Activity::GetSmoke() {
    for (int32_t i = 0; i < smokes_.Count(); ++i)
        if (IsHidden(smokes_.GetAt(i))) return smokes_.GetAt(i);
    auto* smoke = new (std::nothrow) Smoke;
    if (!smoke) return nullptr;
    smoke->SetVisible(0, 0);
    AddChild(smoke);
    LoadArt(smoke, GameFile(), kSmokeArt, 1);
    smoke->SetState(1);
    if (!smokes_.Append(smoke)) {
        RemoveChild(smoke);
        delete smoke;
        return nullptr;
    }
    return smoke;
}

void WToon_Activity::PutSmoke(const OActivityProp* at) {
    Smoke* smoke = GetSmoke();
    if (!smoke) return;
    smoke->SetPosition(at->GetPosition(), 0, 1);
    smoke->SetPriority(kSmokePriority);
    smoke->SetState(0);
    smoke->SetVisible(1, 0);
}
