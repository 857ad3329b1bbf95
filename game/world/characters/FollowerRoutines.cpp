#include "game/world/characters/FollowerRoutines.h"

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "game/world/characters/DFollower.h"
#include "game/world/characters/DweebleNumbers.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr int32_t kStepMs = 100;
constexpr int32_t kTurnMs = 750;
constexpr int32_t kFleeStateMs = 1000;
constexpr double kGiveUpMargin = 50.0;
/// A running free follower keeps running this close (beyond the close distance).
constexpr double kKeepRunningMargin = 50.0;
/// Within this of its goal, with the goal on screen, a follower waits there.
constexpr double kGoalNear = 150.0;
/// From this far on the waiting follower only minds a moving vehicle.
constexpr double kGoalWaitReach = 100.0;
constexpr double kNoBest = 10000.0;
constexpr int32_t kDetourAfter = 5;
constexpr int32_t kLeaderExtra = 10;

/// The trail point of the follower's number, or the vehicle's place when that point is unset.
CPointF TrailPoint(DFollower* f, VIsometric* vehicle) {
    CPointF p;
    vehicle->GetWayPoint(&p, f->GetFollowerNumber());
    if (p == CPointF(0.0f, 0.0f)) p = vehicle->GetPosition();
    return p;
}

VIsometric* FrontVehicle(DFollower* f) { return dynamic_cast<VIsometric*>(f->TargetChainFront()); }

void ExpireStepAndTurn(Dweeble* d) {
    d->ExpireStepTimer();
    d->ExpireTurnTimer();
}

/// The turn step of the fleeing states: away from the leader, jittered by -2..0 directions;
/// with no free way the follower stops and tries again at once.
void JitteredTurn(Dweeble* d, int32_t s) {
    const int32_t count = d->DirectionCount(s);
    const int32_t away = d->NearestDirection(s, d->VectorFromLeader());
    if (count <= 0 || away < 0) return;
    const int32_t start = ((away + xRand() % 3 - 2) % count + count) % count;
    Vec3 out;
    int32_t free = -1;
    if (!d->FindFreeDirection(&out, s, start, &free)) {
        d->Stop();
        ExpireStepAndTurn(d);
        return;
    }
    d->StartTurnTimer(kTurnMs);
    d->SetHeading(free);
    d->ApplyHeading(s);
    d->StartStepTimer(kStepMs);
}

void FleeSteer(Dweeble* d, int32_t s) {
    if (d->TurnTimerDone()) {
        JitteredTurn(d, s);
    } else if (d->StepTimerDone()) {
        d->SteerAlongHeadingKeepSpeed(s, nullptr);
        d->ApplyHeading(s);
        d->StartStepTimer(kStepMs);
    }
}

void FleeWalk(DFollower* f) {
    f->SelectSpeed(4);
    const double distance = f->DistanceFromLeader();
    if (distance < f->GetCloseDistance()) f->ExpireStateTimer();
    int32_t s = 4;
    bool steer = true;
    if (f->StateTimerDone()) {
        if (distance > f->GetNoticeDistance() + kGiveUpMargin) {
            f->SetBehaviourState(0);
            steer = false;
        } else if (distance < f->GetCloseDistance()) {
            f->SetBehaviourState(5);
            f->ExpireStateTimer();
            s = 5;
        } else {
            f->StartStateTimer(kFleeStateMs);
        }
        ExpireStepAndTurn(f);
    }
    if (steer) FleeSteer(f, s);
    if (f->GetTargetObject() && f->DistanceFromLeader() < f->GetCloseDistance()) {
        if (f->HasRoutine(5)) {
            f->SetBehaviourState(5);
            f->ExpireStateTimer();
        }
        ExpireStepAndTurn(f);
    }
}

void FleeRunFree(DFollower* f) {
    if (f->StateTimerDone()) {
        if (f->DistanceFromLeader() <= f->GetCloseDistance() + kKeepRunningMargin) {
            f->StartStateTimer(kFleeStateMs);
            f->MatchSpeed(f->GetTargetObject(), f->GetRunSpeed(), 0);
        } else {
            f->SetBehaviourState(4);
            f->ExpireStateTimer();
        }
        ExpireStepAndTurn(f);
    }
    if (f->TurnTimerDone()) {
        JitteredTurn(f, 5);
    } else if (f->StepTimerDone()) {
        if (f->GetSpeed() == 0) {
            f->SetBehaviourState(0);
            f->Stop();
            f->ExpireStateTimer();
        } else {
            f->SteerAlongHeadingKeepSpeed(5, nullptr);
            f->ApplyHeading(5);
            f->StartStepTimer(kStepMs);
        }
    }
}

void FleeRunLinked(DFollower* f, VIsometric* vehicle) {
    if (f->IsVehicleComing(false)) {
        if (f->IsHurrying() || !f->StepTimerDone()) return;
        if (f->StartRun() < 0) {
            xTrace("No flee direction found\n");
            f->Stop();
            f->ExpireTimers();
            f->SetHurry(true);
            return;
        }
        f->MatchLeaderSpeed(vehicle, f->GetWalkSpeed(), kLeaderExtra);
        f->ApplyHeading(5);
        f->StartStepTimer(kStepMs);
        return;
    }
    f->SetTargetPoint(TrailPoint(f, vehicle));
    if (!f->StepTimerDone()) return;
    f->MatchSpeed(vehicle, f->GetWalkSpeed(), 0);
    f->HeadToTarget(3);
    if (f->DistanceFromTarget() > f->GetNoticeDistance()) f->MatchSpeed(vehicle, f->GetRunSpeed(), 0);
    if (f->DistanceFromTarget() < f->GetCloseDistance()) f->ApproachTarget();
    f->StartStepTimer(kStepMs);
    // A follower that reached its trail point stays stopped there.
    if (f->IsAtTarget()) return;
    f->SteerAlongHeadingKeepSpeed(3, nullptr);
    f->ApplyHeading(3);
}

void FleeStand(DFollower* f) {
    if (!f->GetPrevious()) {
        if (!f->GetTargetObject()) return;
        const double distance = f->DistanceFromLeader();
        if (distance < f->GetCloseDistance()) f->SetBehaviourState(5);
        else if (distance < f->GetNoticeDistance()) f->SetBehaviourState(4);
        else return;
        f->ExpireTimers();
        return;
    }
    VIsometric* vehicle = FrontVehicle(f);
    if (!vehicle) return;
    if (!f->IsVehicleComing(false)) {
        const CPointF p = TrailPoint(f, vehicle);
        if (p == f->GetTargetPoint()) {
            const CPointF at = vehicle->GetPosition();
            const double dx = double(at.x) - p.x, dy = double(at.y) - p.y;
            if (dx * dx + dy * dy <= double(f->GetNoticeDistance()) * f->GetNoticeDistance()) return;
            if (!f->IsNearTarget()) {
                f->SetBehaviourState(5);
            } else if (f->StateTimerDone()) {
                f->SetBehaviourState(0);
                f->Stop();
            }
            return;
        }
        f->SetTargetPoint(p);
    }
    if (f->HasRoutine(5)) {
        f->SetBehaviourState(5);
        f->ExpireTimers();
    }
}

/// Joins the follower to the end of its target's chain, numbered by the vehicle's trail.
void Attach(DFollower* f) {
    auto* leader = dynamic_cast<TLV_Object*>(f->GetTargetObject());
    if (!leader) return;
    if (CCharacterWorld* world = f->GetCharacterWorld()) world->OnFollowerAttached(f);
    TLV_Object* last = leader;
    while (last->GetNext() && last->GetNext() != f) last = last->GetNext();
    f->SetTargetObject(last);
    f->LinkAfter(last);
    f->UseFleeRoutines();
    if (auto* vehicle = dynamic_cast<VIsometric*>(leader)) {
        CPointF p;
        f->SetFollowerNumber(vehicle->NextWayPoint(&p));
        f->SetTargetPoint(p);
    }
}

/// Starts a run from the vehicle and steers it at once when the step is due.
void RunFromVehicle(DFollower* f) {
    if (f->StartRun() >= 0 && f->StepTimerDone()) {
        f->ApplyHeading(3);
        f->StartStepTimer(kStepMs);
    }
}

int32_t WalkDirection(DFollower* f, const Vec3& v, bool progressing) {
    if (f->GetStepFlag(0)) {
        f->SelectSpeed(4);
        f->SetStepFlags(false, f->GetStepFlag(1));
        return f->SideStepDown(3);
    }
    if (f->GetStepFlag(1)) {
        f->SelectSpeed(4);
        f->SetStepFlags(false, false);
        return f->SideStepUp(3);
    }
    if (!progressing) {
        if (v.y > 0.0f) {
            f->SelectSpeed(4);
            return f->SideStepDown(3);
        }
        if (v.y < 0.0f) {
            f->SelectSpeed(4);
            return f->SideStepUp(3);
        }
        return f->GetHeading(); // straight across: the heading stays
    }
    return f->NearestDirection(13, v);
}

void WalkToGoal(DFollower* f) {
    CCharacterWorld* world = f->GetCharacterWorld();
    if (world && world->HasCollectables() && f->GetArrivalCount() > kDetourAfter && !f->IsGoalSaved()) {
        const CPointF g = f->GetGroundPosition();
        CPointF detour;
        if (world->FindNearestCollectable(CPoint16(ToInt16(g.x), ToInt16(g.y)), &detour)) f->PushGoal(detour.y, detour.x);
    }
    f->SetTargetPoint(f->GetGoalPoint());
    const Vec3 v = f->VectorToTarget();
    bool progressing = true;
    if (f->ProgressTimerDone()) {
        if (f->CheckProgress()) {
            f->SetBestDistance(-1.0);
            f->SetArrivalCount(0);
        } else {
            progressing = false;
            f->SetStepFlags(v.y > 0.0f, !(v.y > 0.0f));
            f->SetArrivalCount(f->GetArrivalCount() + 1);
        }
        f->RestartProgressTimer();
    }
    if (f->IsAtTarget() && f->IsGoalSaved()) {
        f->PopGoal();
        f->SetBestDistance(kNoBest);
    }
    if (f->IsAtTarget()) {
        f->ShowRandomFrameA();
        f->SetBehaviourState(14);
        return;
    }
    if (!f->StepTimerDone()) return;
    f->ApproachTarget();
    const int32_t direction = WalkDirection(f, v, progressing);
    if (direction >= 0) f->SetHeading(direction);
    f->SteerAlongHeadingKeepSpeed(13, nullptr);
    if (f->GetSpeed() == 0) f->SelectSpeed(4);
    f->ApplyHeading(13);
    f->StartTurnTimer(kTurnMs);
    f->StartStepTimer(kStepMs);
}

} // namespace

void Dweeble_Flee(Dweeble* d) {
    auto* f = dynamic_cast<DFollower*>(d);
    if (!f) return;
    const int32_t state = f->GetBehaviourState();
    switch (state) {
    case 0:
        f->ShowRandomFrameA();
        if (f->HasRoutine(1)) f->SetBehaviourState(1);
        break;
    case 1: FleeStand(f); break;
    case 4: FleeWalk(f); break;
    case 5:
        if (!f->GetPrevious()) FleeRunFree(f);
        else if (VIsometric* vehicle = FrontVehicle(f)) FleeRunLinked(f, vehicle);
        break;
    case 9:
    case 10:
    case 11:
        if (f->HasRoutine(5)) f->SetBehaviourState(5);
        break;
    default: break;
    }
}

void Dweeble_FollowerAct(Dweeble* d) {
    auto* f = dynamic_cast<DFollower*>(d);
    const int32_t state = d->GetBehaviourState();
    const int32_t mode = d->GetActionEndMode();
    const DweebleStateTimer& dwell = d->GetDwellTimer();
    switch (state) {
    case 4:
    case 5:
    case 6:
        if (f && !f->IsFollowing() && f->GetFacingGroup() != 1) Attach(f);
        d->Stop();
        if (d->ShowRandomFrameD(mode == 0) >= 0) {
            d->SetActionEnds(0);
            if (mode == 1) d->StartDwellTimer(state, false);
            d->SetBehaviourState(7);
        }
        break;
    case 7:
        if (!f) break;
        if (f->IsFollowing() && f->DistanceFromLeader() > f->GetNoticeDistance()) f->SetBehaviourState(8);
        else if (mode == 1 && dwell.running && dwell.HasElapsed()) f->SetBehaviourState(8);
        break;
    case 8:
        if (mode == 2) {
            const bool done = d->GetActionLoops() != -1 && d->GetActionEnds() >= d->GetActionLoops();
            d->SetBehaviourState(done ? 1 : 7);
        } else if (mode != 1 || dwell.HasElapsed()) {
            d->SetBehaviourState(1);
        }
        break;
    default: break;
    }
}

void Dweeble_Follow(Dweeble* d) {
    auto* f = dynamic_cast<DFollower*>(d);
    if (!f) return;
    switch (f->GetBehaviourState()) {
    case 0:
    case 1:
    case 2:
    case 3:
        f->SetBehaviourState(13);
        f->SetSkipDwell(1);
        break;
    case 4:
    case 5:
        if (dynamic_cast<VIsometric*>(f->GetTargetObject())) {
            if (f->IsVehicleComing(false)) {
                RunFromVehicle(f);
            } else {
                f->SetTargetPoint(f->GetGoalPoint());
                f->SetGroupRoutine(0, &Dweeble_Follow);
                f->SetBehaviourState(13);
                f->ExpireStepTimer();
            }
        }
        f->SetSkipDwell(1);
        break;
    case 12:
        f->SetWalkingToGoal(true);
        [[fallthrough]];
    case 13:
        if (f->DistanceFromTarget() < kGoalNear && f->IsGoalOnScreen()) {
            f->SetBehaviourState(15);
        } else if (f->IsVehicleComing(false)) {
            RunFromVehicle(f);
            f->SetBestDistance(kNoBest);
            f->SetArrivalCount(0);
            f->PopGoal();
        } else {
            WalkToGoal(f);
        }
        break;
    case 14: f->OnArrived(); break;
    case 15:
        f->ShowRandomFrameA();
        f->SetBehaviourState(16);
        break;
    case 16:
        if (f->IsVehicleComing(f->DistanceFromTarget() >= kGoalWaitReach) || !f->IsGoalOnScreen())
            f->SetBehaviourState(13);
        break;
    default: break;
    }
}
