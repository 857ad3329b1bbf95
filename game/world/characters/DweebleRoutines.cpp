#include "game/world/characters/DweebleRoutines.h"

#include "game/world/characters/Dweeble.h"

namespace {

constexpr int32_t kStepMs = 100;
constexpr int32_t kTurnMs = 750;
constexpr int32_t kFleeStateMs = 1000;
/// Beyond notice distance + this a fleeing character gives up.
constexpr double kGiveUpMargin = 50.0;
/// Beyond close distance + this a running character calms to walking.
constexpr double kCalmMargin = 20.0;

bool HasTarget(const Dweeble* d) { return d->GetTargetObject() != nullptr; }

void NoticeTest(Dweeble* d) {
    if (HasTarget(d) && d->DistanceFromLeader() < d->GetNoticeDistance() && d->HasRoutine(4)) {
        d->SetBehaviourState(4);
        d->ExpireTimers();
    }
}

void SteerAndApply(Dweeble* d, int32_t s) {
    d->SteerAlongHeading(s, nullptr);
    d->ApplyHeading(s);
}

/// Walking away (state 4's steering): re-aim away from the target object on the turn timer.
void SteerAway(Dweeble* d, int32_t s) {
    if (d->TurnTimerDone()) {
        const int32_t direction = d->NearestDirection(s, d->VectorFromLeader());
        if (direction >= 0) d->SetHeading(direction);
        SteerAndApply(d, s);
        d->StartTurnTimer(kTurnMs);
    } else if (d->StepTimerDone()) {
        SteerAndApply(d, s);
    } else {
        return;
    }
    d->StartStepTimer(kStepMs);
}

/// Running away (state 5's steering): the speed follows a moving target object.
void SteerRunning(Dweeble* d, int32_t s) {
    OActivityProp* target = d->GetTargetObject();
    const bool moving = target != nullptr && target->IsA(TLVComplex_Object::kClassId);
    if (d->TurnTimerDone()) {
        if (moving) {
            d->MatchSpeed(target, d->GetWalkSpeed(), 0);
            d->SetHeading(d->FleeDirection(s, target));
        } else {
            const int32_t direction = d->NearestDirection(s, d->VectorFromLeader());
            if (direction >= 0) d->SetHeading(direction);
        }
        SteerAndApply(d, s);
        d->StartTurnTimer(kTurnMs);
    } else if (d->StepTimerDone()) {
        if (moving) d->MatchSpeed(target, d->GetWalkSpeed(), 0);
        SteerAndApply(d, s);
    } else {
        return;
    }
    d->StartStepTimer(kStepMs);
}

void WalkAway(Dweeble* d) {
    const double distance = d->DistanceFromLeader();
    if (distance < d->GetCloseDistance()) d->ExpireStateTimer();
    bool steer = true;
    int32_t s = 4;
    if (d->StateTimerDone()) {
        if (distance > d->GetNoticeDistance() + kGiveUpMargin) {
            d->SetBehaviourState(0);
            d->Stop();
            steer = false;
        } else if (distance < d->GetCloseDistance()) {
            d->SetBehaviourState(5);
            s = 5;
        } else {
            d->StartStateTimer(kFleeStateMs);
        }
    }
    if (steer) {
        if (s == 5) SteerRunning(d, s);
        else SteerAway(d, s);
    }
    if (HasTarget(d) && d->DistanceFromLeader() < d->GetCloseDistance() && d->HasRoutine(5)) {
        d->SetBehaviourState(5);
        d->ExpireTimers();
    }
}

void RunAway(Dweeble* d) {
    bool steer = true;
    int32_t s = 5;
    if (d->StateTimerDone()) {
        const double distance = d->DistanceFromLeader();
        if (distance > d->GetNoticeDistance() + kGiveUpMargin) {
            d->SetBehaviourState(0);
            d->Stop();
            steer = false;
        } else if (distance > d->GetCloseDistance() + kCalmMargin) {
            d->SetBehaviourState(4);
            s = 4;
        }
    }
    if (steer) SteerRunning(d, s);
    if (HasTarget(d) && d->DistanceFromLeader() > d->GetCloseDistance() + kCalmMargin && d->HasRoutine(4)) {
        d->SetBehaviourState(4);
        d->ExpireTimers();
    }
}

} // namespace

void Dweeble_Wander(Dweeble* d) {
    switch (d->GetBehaviourState()) {
    case 0:
        d->ShowRandomFrameA();
        if (d->HasRoutine(1)) d->SetBehaviourState(1);
        break;
    case 1:
        if (d->StateTimerDone() && d->HasRoutine(3)) d->SetBehaviourState(2);
        NoticeTest(d);
        break;
    case 2:
        d->StartStepTimer(kStepMs);
        d->StartTurnTimer(kTurnMs);
        d->StartStateTimer(kFleeStateMs);
        d->ChooseHeading(3);
        d->ApplyHeading(3);
        d->SetBehaviourState(3);
        break;
    case 3:
        if (d->StateTimerDone()) {
            d->SetBehaviourState(0);
            d->Stop();
        } else if (d->TurnTimerDone()) {
            d->ChooseHeading(3);
            d->ApplyHeading(3);
            d->StartStepTimer(kStepMs);
            d->StartTurnTimer(kTurnMs);
        } else if (d->StepTimerDone()) {
            SteerAndApply(d, 3);
            d->StartStepTimer(kStepMs);
        }
        NoticeTest(d);
        break;
    default: break;
    }
}

void Dweeble_Avoid(Dweeble* d) {
    const int32_t state = d->GetBehaviourState();
    if (state == 4) {
        WalkAway(d);
    } else if (state == 5) {
        RunAway(d);
    } else if (state >= 9 && state <= 11 && d->HasRoutine(5)) {
        d->SetBehaviourState(5);
    }
}

void Dweeble_Roam(Dweeble* d) {
    const int32_t state = d->GetBehaviourState();
    const int32_t mode = d->GetActionEndMode();
    const DweebleStateTimer& dwell = d->GetDwellTimer();
    switch (state) {
    case 4:
    case 5:
    case 6:
        d->Stop();
        if (d->ShowRandomFrameD(false) >= 0) {
            d->SetActionEnds(0);
            if (mode == 1) d->StartDwellTimer(state, false);
            d->SetBehaviourState(7);
        }
        break;
    case 7:
        if (mode == 1 && dwell.running && dwell.HasElapsed()) d->SetBehaviourState(1);
        break;
    case 8:
        if (mode == 2 && (d->GetActionLoops() == -1 || d->GetActionEnds() < d->GetActionLoops())) {
            d->SetBehaviourState(7);
        } else if (mode != 1 || dwell.HasElapsed()) {
            d->ResumeAnimation();
            d->SetBehaviourState(1);
        }
        break;
    default: break;
    }
}

void DoNothing(Dweeble* /*d*/) {}
