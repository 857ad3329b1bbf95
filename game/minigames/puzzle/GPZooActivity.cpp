#include "game/minigames/puzzle/GPZooActivity.h"

#include <new>

#include "engine/base/Trace.h"
#include "game/minigames/puzzle/PuzzleCharacter.h"
#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "game/shell/PBeam.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VIsometric.h"

GPZoo_Activity::GPZoo_Activity(const char* name, uint32_t classId) : CGPuzzle(puzzle_towns::kZoo, name, classId) {}

int32_t GPZoo_Activity::OnActivated() {
    const int32_t started = StartTown(new (std::nothrow) Zoo_Puzzle_Alligator);
    MakeSpotLight();
    return started;
}

void GPZoo_Activity::Speak(int32_t line) { SpeakLine(line); }

void GPZoo_Activity::MakeSpotLight() {
    VIsometric* vehicle = GetVehicle();
    if (light_ || !vehicle) return;
    const int32_t own = int32_t(PlayerVehicle()) - Town().firstVehicle;
    if (own < 0 || own > 1 || !ArtsPresent(&puzzle_towns::kSpotLightArts[own], 1)) {
        xTracef("%s : no spot light art, the vehicle has no spot light\n", GetName());
        return;
    }
    light_ = new (std::nothrow) PBeam("PBeam", PBeam::kClassId);
    if (!light_) return;
    AddChild(light_);
    light_->SetScale(kVehicleScale, kVehicleScale);
    light_->SetPriority(kLightMadePriority);
    light_->SetPartID(GamePartFile(), puzzle_towns::kSpotLightArts[own], 0);
    light_->SetPosition(vehicle->GetPosition(), 0, 1);
    light_->MoveBy(puzzle_towns::kSpotLightShifts[own], 0.0f, 1, 0);
    light_->SetLaunchSound(puzzle_towns::kSpotLightSounds[own]);
    vehicle->AttachToView(light_, 1);
    light_->SetOwner(vehicle);
    light_->SetVisible(0, 0);
    light_->SetState(kLightState);
    // The puzzle sets the light's place in the draw order, and it lights only people.
    light_->SetFollowPriority(false);
    light_->SetLightsDestructibles(false);
}

void GPZoo_Activity::OnPersonReached(OActivityProp* /*person*/) {
    if (!light_ || light_->IsVisible()) return;
    light_->SetVisible(1, 0);
    light_->SetPriority(kLightShownPriority);
}

void GPZoo_Activity::OnPersonRemoved(OActivityProp* /*person*/) {
    if (!light_) return;
    light_->SetVisible(0, 0);
    light_->Start(1);
    light_->SetPriority(kLightShownPriority);
}

int32_t GPZoo_Activity::OnIdle() {
    TestLightHits();
    return CGPuzzle::OnIdle();
}

void GPZoo_Activity::TestLightHits() {
    if (!xPuzzle_IsVisible(light_)) return;
    for (Puzzle_Dweeble* person : People()) {
        if (xPuzzle_IsVisible(person) && NextToVehicle(person) && light_->HitsObject(person, nullptr)) person->OnHit(light_);
    }
}

void GPZoo_Activity::RemoveSpotLight() {
    if (!light_) return;
    if (OView* host = light_->GetHost()) host->DetachChildView(light_);
    RemoveChild(light_);
    delete light_;
    light_ = nullptr;
}

int32_t GPZoo_Activity::FlushSoundQueues() {
    RemoveSpotLight();
    return CGPuzzle::FlushSoundQueues();
}
