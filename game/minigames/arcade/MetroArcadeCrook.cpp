#include "game/minigames/arcade/MetroArcadeCrook.h"

#include <cstdlib>

#include "game/minigames/arcade/ArcadeHitPause.h"
#include "game/minigames/arcade/GAMetropolisActivity.h"
#include "game/minigames/arcade/PArcadeParticle.h"
#include "game/world/characters/DweebleRoutines.h"

namespace {

constexpr int32_t kEnterGroup = 0, kRunGroup = 1, kLandGroup = 2, kHitGroup = 3, kSlowGroup = 5, kFastGroup = 6;

int32_t RandomOf(const CDynArray<int32_t>& frames) { return frames.GetAt(std::rand() % frames.Count()); }

} // namespace

Metro_Arcade_Crook::Metro_Arcade_Crook(const char* name, uint32_t classId) : Dweeble(name, classId) {
    AddFramesA(kRunFrame, kRunFrame);
    AddFramesE(kRunFrame, kRunFrame);
    AddFramesD(kWalkFrame, kWalkFrame);
    framesF_.Append(kSlowFrame);
    framesG_.Append(kFastFrame);
    SetStateAfterAction(kEscapeFast);
    SetGroupRoutine(kEnterGroup, &EnterRoutine);
    SetGroupRoutine(kRunGroup, &RunRoutine);
    // Dropping in and landing wait for the lane and the landing's end.
    SetGroupRoutine(kLandGroup, &DoNothing);
    SetGroupRoutine(kHitGroup, &HitRoutine);
    SetGroupRoutine(kSlowGroup, &SlowRoutine);
    SetGroupRoutine(kFastGroup, &FastRoutine);
}

bool Metro_Arcade_Crook::IsA(uint32_t classId) const { return classId == kClassId || Dweeble::IsA(classId); }

bool Metro_Arcade_Crook::HasFrame(const CDynArray<int32_t>& list, int32_t frame) {
    for (int32_t i = 0; i < list.Count(); ++i)
        if (list.GetAt(i) == frame) return true;
    return false;
}

void Metro_Arcade_Crook::Reset() {
    stopped_ = 0;
    landing_ = 0;
    Stop();
    SetAcceleration(Vec3(), 0);
}

bool Metro_Arcade_Crook::MarkStopped() {
    if (stopped_) return false;
    stopped_ = 1;
    return true;
}

void Metro_Arcade_Crook::DropTo(float laneY) {
    laneY_ = laneY;
    landing_ = 1;
    ShowFrame(kDropFrame);
    SetMaxSpeed(kDropMaxSpeed, 0);
    SetMaxAcceleration(kDropPull, 0);
    SetAccelerationLimits(Vec3(0.0f, kDropPull, 0.0f), 0);
    SetVelocityXY(0.0f, kDropSpeed, 0);
    SetAcceleration(Vec3(0.0f, kDropPull, 0.0f), 0);
}

void Metro_Arcade_Crook::Land() {
    landing_ = 0;
    Stop();
    SetAcceleration(Vec3(), 0);
    SetPosition(CPointF(GetPosition().x, laneY_), 0, 1);
    ShowFrame(kLandFrame);
    SetBehaviourState(kLanding);
}

int32_t Metro_Arcade_Crook::OnAnimationEnd() {
    // The landing frame's end, not the drop's: it stands on its lane now.
    if (!landing_ && GetBehaviourState() == kLanding && GetState() == kLandFrame) SetBehaviourState(kEnter);
    return Dweeble::OnAnimationEnd();
}

int32_t Metro_Arcade_Crook::OnContact(TLV_Object* other) {
    if (!IsVisible()) return 0;
    if (other && other->IsA(PArcadeParticle::kClassId)) {
        if (GAMetropolis_Activity* game = GAMetropolis_Activity::Of(this)) game->CrookHit(this);
    }
    return kBlocking;
}

void Metro_Arcade_Crook::Escape(int32_t direction) {
    const bool fast = direction == 1;
    ShowFrame(RandomOf(fast ? framesG_ : framesF_));
    SetVelocityXY(-(fast ? kFastSpeed : kSlowSpeed), 0.0f, 0);
    const int32_t state = fast ? kEscapeFast : kEscapeSlow;
    if (HasRoutine(state)) SetBehaviourState(state);
}

void Metro_Arcade_Crook::Run() {
    if (!ShowsRunning()) ShowFrame(RandomOf(FramesE()));
    SetVelocityXY(kRunSpeed, 0.0f, 0);
    GAMetropolis_Activity* game = GAMetropolis_Activity::Of(this);
    if (game && game->TakeGoodsTouching(this)) {
        Escape(0);
    } else if (game && GetPosition().x >= game->StreetWidth()) {
        Escape(0);
    }
}

void Metro_Arcade_Crook::Hit() {
    const int32_t state = GetBehaviourState();
    if (state == kHit) {
        StartHitPause(*this, kHitAfter);
    } else if (state == kHitAfter) {
        if (GetActionEndMode() == 1 && IsPauseOver()) Escape(1);
    } else if (state == kHitEnd) {
        switch (GetActionEndMode()) {
        case 2:
            if (GetActionLoops() == -1 || GetActionEnds() < GetActionLoops()) SetBehaviourState(kHitAfter);
            else Escape(1);
            break;
        case 1:
            if (IsPauseOver()) Escape(1);
            break;
        case 0: Escape(1); break;
        default: break;
        }
    }
}

void Metro_Arcade_Crook::EnterRoutine(Dweeble* d) {
    if (d->GetBehaviourState() == kEnter) d->SetBehaviourState(kRun);
}

void Metro_Arcade_Crook::RunRoutine(Dweeble* d) { static_cast<Metro_Arcade_Crook*>(d)->Run(); }

void Metro_Arcade_Crook::HitRoutine(Dweeble* d) { static_cast<Metro_Arcade_Crook*>(d)->Hit(); }

// A crook sent into these states (the hit's end leads to 15) escapes once: afterwards it shows
// the escape's frames and keeps running.
void Metro_Arcade_Crook::SlowRoutine(Dweeble* d) {
    auto* crook = static_cast<Metro_Arcade_Crook*>(d);
    if (!crook->ShowsSlowEscape()) crook->Escape(0);
}

void Metro_Arcade_Crook::FastRoutine(Dweeble* d) {
    auto* crook = static_cast<Metro_Arcade_Crook*>(d);
    if (!HasFrame(crook->framesG_, crook->GetState())) crook->Escape(1);
}
