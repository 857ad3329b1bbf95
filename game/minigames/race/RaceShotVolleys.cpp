#include "game/minigames/race/RaceShotVolleys.h"

#include <algorithm>
#include <new>

#include "game/minigames/race/CGRace.h"
#include "game/shell/Headings.h"
#include "game/shell/PParticle.h"
#include "game/world/vehicles/VFlat.h"

CRaceShotVolleys::CRaceShotVolleys(int32_t more) : more_(more) { burstClock_.duration = kBurstMs; }

CRaceShotVolleys::~CRaceShotVolleys() {
    for (PParticle* shot : shots_) {
        if (ONode* parent = shot->GetParent()) parent->RemoveChild(shot);
        delete shot;
    }
}

bool CRaceShotVolleys::Start(OView* race, CPartFile* file, VFlat* vehicle, const RaceShotKind& kind, bool threeWay) {
    if (shotsLeft_ > 0) return false;
    burstClock_.Start(kBurstMs);
    threeWay_ = threeWay ? 1 : 0;
    Throw(race, file, vehicle, kind);
    shotsLeft_ = more_;
    return true;
}

void CRaceShotVolleys::Step(OView* race, CPartFile* file, VFlat* vehicle, const RaceShotKind& kind) {
    if (shotsLeft_ <= 0 || !burstClock_.HasElapsed()) return;
    Throw(race, file, vehicle, kind);
    if (--shotsLeft_ > 0) burstClock_.Restart();
    else burstClock_.Stop();
}

void CRaceShotVolleys::Throw(OView* race, CPartFile* file, VFlat* vehicle, const RaceShotKind& kind) {
    if (vehicle == nullptr) return;
    const int32_t heading = vehicle->GetNeutralState() - vehicle->GetStep();
    CPointF from = vehicle->GetPosition();
    vehicle->GetAnchorPoint(&from);
    const CPoint16 start(int16_t(from.x), int16_t(from.y));
    const float perSecond = kind.range * 1000.0f / float(kind.flightMs);
    std::vector<PParticle*> volley;
    const int32_t spread = threeWay_ ? 1 : 0;
    for (int32_t h = heading - spread; h <= heading + spread; ++h) {
        PParticle* shot = FreeShot(race, file, kind.part, volley);
        if (shot == nullptr) return;
        volley.push_back(shot);
        const CHeading& d = kHeadings[size_t(((h % kHeadingCount) + kHeadingCount) % kHeadingCount)];
        const CPoint16 target(int16_t(from.x + d.x * kind.range), int16_t(from.y + d.y * kind.range));
        shot->SetLaunchSound(kind.launchSound);
        shot->SetLandingSound(kind.landingSound);
        shot->SetPosition(from, 0, 1);
        shot->SetVelocity(Vec3(d.x * perSecond, d.y * perSecond, 0.0f), 0);
        shot->Launch(start, kArc, target, kind.flightMs, 1.0f);
        shot->Start(0);
    }
}

PParticle* CRaceShotVolleys::FreeShot(OView* race, CPartFile* file, ChunkId part, const std::vector<PParticle*>& volley) {
    for (PParticle* shot : shots_) {
        if (!shot->IsShownThroughParents() && std::find(volley.begin(), volley.end(), shot) == volley.end()) return shot;
    }
    auto* shot = new (std::nothrow) PParticle();
    if (shot == nullptr) return nullptr;
    shot->SetPartID(file, part, 1);
    shot->SetFrameHook(&ShotHook);
    race->AddChild(shot);
    shot->SetVisible(0, 0);
    shots_.push_back(shot);
    return shot;
}

bool CRaceShotVolleys::ShotHook(TLV_Object* shot) { return CGRace::HitTestCallback(shot); }

void CRaceShotVolleys::Shift(const CPointF& by) {
    for (PParticle* shot : shots_) {
        if (shot->IsVisible()) shot->SetPosition(by, 1, 1);
    }
}

void CRaceShotVolleys::Release(OView* race) {
    for (PParticle* shot : shots_) {
        if (shot->GetParent() == race) race->RemoveChild(shot);
        delete shot;
    }
    shots_.clear();
    shotsLeft_ = 0;
    burstClock_.Stop();
}
