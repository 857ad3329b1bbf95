#include "game/shell/Projectile.h"

#include "engine/core/DeferredDelete.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"

namespace {

/// Plays the sound on pipe 2 through the current game activity.
void PlayOnPipe2(ChunkId id) {
    if (CTLVActivity* activity = CurrentGameActivity())
        activity->PlaySound(id, Projectile::kSoundPipe, Projectile::kSoundVolume);
}

} // namespace

Projectile::Projectile(const char* name, uint32_t classId) : TLVComplex_Object(name, classId) {
    flightTimer_.Start(kFlightMs);
}

bool Projectile::IsA(uint32_t classId) const { return classId == kClassId || TLVComplex_Object::IsA(classId); }

void Projectile::Suspend(int32_t flag) {
    flightTimer_.Pause();
    TLVComplex_Object::Suspend(flag);
}

void Projectile::Resume(int32_t flag) {
    flightTimer_.Resume();
    TLVComplex_Object::Resume(flag);
}

int32_t Projectile::OnIdle() {
    if (flightTimer_.paused == 0 && flightTimer_.HasElapsed()) Land();
    return TLVComplex_Object::OnIdle();
}

void Projectile::Start(uint8_t /*flag*/) {
    RestartStepClock();
    flightTimer_.Restart();
    if (launchSound_ == kNoSound) return;
    OSoundProcess* sound = GameSoundProcess();
    if (sound && sound->GetPipeCount() > kSoundPipe && !xSound_IsPlaying(sound->GetChannel(kSoundPipe)))
        PlayOnPipe2(launchSound_);
}

void Projectile::Land() {
    SetAcceleration(Vec3(), 0);
    flightTimer_.Stop();
    // A shot that lands as a panel opens (the one that won the game) keeps quiet: its sound
    // would cut the panel's own on pipe 2.
    const CTLVActivity* activity = CurrentGameActivity();
    if (landingSound_ == kNoSound || (activity && activity->IsPanelShown(-1))) return;
    if (OSoundProcess* sound = GameSoundProcess()) sound->Stop(kSoundPipe);
    PlayOnPipe2(landingSound_);
}

void Projectile::Release() {
    if (!CDeferredDeletes::Get().Contains(this)) AddDeferredDelete(this);
}
