#include "game/minigames/puzzle/GPToonActivity.h"

#include <new>

#include "engine/base/Rect.h"
#include "engine/base/Trace.h"
#include "game/minigames/puzzle/PuzzleCharacter.h"
#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "game/shell/PParticle.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VIsometric.h"

GPToon_Activity::GPToon_Activity(const char* name, uint32_t classId) : CGPuzzle(puzzle_towns::kCircus, name, classId) {
    sprayTimer_.Start(kSprayMs);
}

int32_t GPToon_Activity::OnActivated() { return StartTown(new (std::nothrow) Toon_Puzzle_Fire); }

void GPToon_Activity::Speak(int32_t line) { SpeakLine(line); }

void GPToon_Activity::OnPersonReached(OActivityProp* person) {
    if (sprayCount_ >= 1) return;
    sprayTimer_.Start(kSprayMs);
    sprayTarget_ = person;
    Spray();
    sprayCount_ = kMoreParticles;
}

int32_t GPToon_Activity::OnIdle() {
    SprayStep();
    TestSprayHits();
    return CGPuzzle::OnIdle();
}

void GPToon_Activity::SprayStep() {
    if (sprayTimer_.paused != 0 || !sprayTimer_.HasElapsed()) return;
    Spray();
    --sprayCount_;
    if (sprayCount_ < 1) sprayTimer_.Stop();
    else sprayTimer_.Restart();
}

PParticle* GPToon_Activity::FreeParticle() {
    for (auto it = particles_.rbegin(); it != particles_.rend(); ++it)
        if (!(*it)->IsVisible()) return *it;
    if (!ArtsPresent(&puzzle_towns::kSprayArt, 1)) return nullptr;
    auto* particle = new (std::nothrow) PParticle("PParticle", PParticle::kClassId);
    if (!particle) return nullptr;
    AddChild(particle);
    particle->SetVisible(0, 0);
    particle->SetPartID(GamePartFile(), puzzle_towns::kSprayArt, 0);
    particle->SetLaunchSound(puzzle_towns::kSpraySounds[PlayerVehicle() == Town().firstVehicle ? 0 : 1]);
    particles_.push_back(particle);
    return particle;
}

void GPToon_Activity::Spray() {
    VIsometric* vehicle = GetVehicle();
    if (!vehicle || !sprayTarget_ || !sprayTarget_->IsA(Puzzle_Dweeble::kClassId)) return;
    PParticle* particle = FreeParticle();
    if (!particle) {
        xTracef("%s : no smoke to spray\n", GetName());
        return;
    }
    CPointF anchor;
    vehicle->GetAnchorPoint(&anchor);
    auto* person = static_cast<Puzzle_Dweeble*>(sprayTarget_);
    person->SetTargetObject(vehicle);
    const Vec3 aim = person->VectorFromLeader();
    const float seconds = float(kSprayFlightMs) / 1000.0f;
    particle->SetPosition(anchor, 0, 1);
    particle->SetVelocityXY(aim.x / seconds, aim.y / seconds, 0);
    particle->SetSpin(kSpraySpin, 0);
    const CPoint16 from(ClampToInt16(int32_t(anchor.x)), ClampToInt16(int32_t(anchor.y)));
    const CPoint16 to(ClampToInt16(int32_t(anchor.x + aim.x)), ClampToInt16(int32_t(anchor.y + aim.y)));
    particle->Launch(from, kSprayHeight, to, kSprayFlightMs, 1.0f);
    xTracef("StartHeight: %d\n HeightFactor: %d\n", int(kSprayHeight), int(particle->GetGravity()));
    particle->Start(1);
}

void GPToon_Activity::TestSprayHits() {
    for (PParticle* particle : particles_) {
        if (!xPuzzle_IsVisible(particle)) continue;
        for (Puzzle_Dweeble* person : People()) {
            if (xPuzzle_IsVisible(person) && NextToVehicle(person) && particle->HitsObject(person, nullptr))
                person->OnHit(particle);
        }
    }
}

int32_t GPToon_Activity::FlushSoundQueues() {
    while (!particles_.empty()) {
        PParticle* particle = particles_.back();
        particles_.pop_back();
        RemoveChild(particle);
        delete particle;
    }
    sprayTarget_ = nullptr;
    return CGPuzzle::FlushSoundQueues();
}
