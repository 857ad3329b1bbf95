// The racers' behaviour: the circus and zoo routines of the waiting, crossing and running
// states, and the flight of a hit racer.
#include <algorithm>

#include "engine/base/Random.h"
#include "game/world/characters/DRacing.h"
#include "game/world/characters/RaceCourse.h"

namespace {

constexpr int32_t kCircusRunFloor = 300;
constexpr int32_t kZooRunFloor = 200;
/// Beyond this the circus racer measures from its view centre instead of its feet.
constexpr float kCircusFarRight = 580.0f;
constexpr float kFlightSpeedX = 300.0f;
constexpr float kFlightSpeedY = -600.0f;
constexpr float kFall = 750.0f;
constexpr float kFlightSpin = 1000.0f;

DRacing* AsRacer(Dweeble* d) { return d && d->IsA(DRacing::kClassId) ? static_cast<DRacing*>(d) : nullptr; }

/// Refreshes the target object from the race; answers the racer.
DRacing* Begin(Dweeble* d) {
    DRacing* r = AsRacer(d);
    if (r && r->GetCourse()) r->SetTargetObject(r->GetCourse()->GetRaceVehicle());
    return r;
}

int32_t ScrollSpeed(DRacing* r) { return r->GetCourse() ? r->GetCourse()->GetScrollSpeed() : 0; }

void StartRun(DRacing* r) {
    r->SetBehaviourState(5);
    r->SetSkipDwell(1);
}

void CrossOrPick(DRacing* r, int32_t state) {
    if (!r->CrossBySide(state)) r->PickRandomHeading(3);
}

/// State 9: the vehicle touched it; it turns about and runs.
void Touched(DRacing* r) {
    r->Reverse();
    r->SelectSpeed(5);
    r->ChooseTarget(3, true);
    StartRun(r);
}

void CircusWaiting(DRacing* r, const CPointF& p) {
    if (r->IsHidden()) {
        if (OActivityProp* shadow = r->GetShadow()) shadow->SetVisible(0, 0);
        return;
    }
    float gap = 0.0f;
    if (!r->IsOnRaceStage(p) || !r->VehicleGap(p, &gap)) return;
    if (gap >= float(r->GetNoticeDistance()) && r->GetSide() == 0) return;
    if (!r->HasRoutine(4)) return;
    CrossOrPick(r, 4);
    r->SetSide(-1);
    r->ChooseTarget(3, true);
    r->SetBehaviourState(4);
    r->SetSkipDwell(1);
}

void CircusWalking(DRacing* r, const CPointF& p) {
    if (r->IsHidden()) {
        r->SetBehaviourState(0);
        return;
    }
    if (r->IsSuspended()) return;
    if (!r->IsOnRaceStage(p) && r->IsRunning()) {
        if (r->GetObjectId() != uint32_t(-1)) r->TakeOut();
        return;
    }
    if (r->IsNearTarget() || r->HasPassedTarget()) {
        r->PickRandomHeading(3);
        r->ChooseTarget(3, true);
    }
    float gap = 0.0f;
    if (r->VehicleGap(p, &gap) && gap < float(r->GetCloseDistance() + 20) && r->HasRoutine(5)) {
        r->SetRunSpeed(std::max(kCircusRunFloor, 2 * ScrollSpeed(r)));
        r->SelectSpeed(5);
        r->SetRunning(1);
        StartRun(r);
    }
}

void CircusRunning(DRacing* r, const CPointF& p) {
    if (r->IsHidden()) {
        r->SetBehaviourState(0);
        return;
    }
    if (r->IsSuspended()) return;
    if (!r->IsOnRaceStage(p)) {
        r->TakeOut();
        return;
    }
    r->SelectSpeed(5);
    const bool vehicle = r->GetCourse() && r->GetCourse()->GetRaceVehicle();
    if (vehicle && r->VehicleY() + 20.0f < p.y && !r->GetSideFlag()) {
        if (r->TargetOffset().y < 0) {
            r->Reverse();
            r->SelectSpeed(5);
            r->ChooseTarget(3, true);
        }
        return;
    }
    r->ChooseTarget(3, true);
    if (r->IsNearTarget() || r->HasPassedTarget() || p.y < r->GetTargetPoint().y) {
        if (!r->CrossBySide(4)) r->ApplyHeading(3);
        r->SetRunSpeed(std::max(kCircusRunFloor, 2 * ScrollSpeed(r) + xRand() % 100));
        r->SelectSpeed(5);
        r->SetSideFlag(1);
    }
}

} // namespace

void DRacing_CircusRoutine(Dweeble* d) {
    DRacing* r = Begin(d);
    if (r == nullptr) return;
    CPointF p = r->GetGroundPosition();
    if (p.x > kCircusFarRight) p = r->GetPosition();
    switch (r->GetBehaviourState()) {
    case 0:
        r->ShowRandomFrameA();
        if (!r->IsRunning()) {
            if (r->HasRoutine(1)) r->SetBehaviourState(1);
        } else if (r->IsOnRaceStage(p)) {
            if (r->HasRoutine(5)) {
                CrossOrPick(r, 3);
                r->SetSide(-1);
                StartRun(r);
            }
        } else {
            r->SetBehaviourState(1);
            r->SetSkipDwell(1);
        }
        break;
    case 1: CircusWaiting(r, p); break;
    case 4: CircusWalking(r, p); break;
    case 5: CircusRunning(r, p); break;
    case 9: Touched(r); break;
    default: break;
    }
}

void DRacing_ZooRoutine(Dweeble* d) {
    DRacing* r = Begin(d);
    if (r == nullptr) return;
    const CPointF p = r->GetGroundPosition();
    float gap = 0.0f;
    switch (r->GetBehaviourState()) {
    case 0:
        r->ShowRandomFrameA();
        if (!r->IsRunning()) {
            if (r->HasRoutine(1)) r->SetBehaviourState(1);
        } else if (r->HasRoutine(5)) {
            CrossOrPick(r, 4);
            r->SetSide(-1);
            StartRun(r);
        }
        break;
    case 1:
        if (!r->IsHidden() && r->VehicleGap(p, &gap) && gap < float(r->GetCloseDistance()) && r->HasRoutine(5)) {
            CrossOrPick(r, 4);
            r->SetSide(-1);
            r->SetRunSpeed(std::max(kZooRunFloor, 2 * ScrollSpeed(r)));
            r->SetRunning(1);
            StartRun(r);
        }
        break;
    case 4:
    case 5: {
        if (r->IsSuspended()) break;
        r->SelectSpeed(5);
        const bool vehicle = r->GetCourse() && r->GetCourse()->GetRaceVehicle();
        if (vehicle && p.y <= r->VehicleY() + 20.0f) {
            r->ChooseTarget(3, true);
            if (r->IsNearTarget() || r->HasPassedTarget() || r->GetTargetPoint().y > p.y) {
                if (!r->CrossBySide(4)) r->ApplyHeading(3);
                r->SetRunSpeed(std::max(kZooRunFloor, 2 * ScrollSpeed(r)));
            }
        } else if (r->TargetOffset().y < 0) {
            r->Reverse();
            r->SelectSpeed(5);
            r->ChooseTarget(3, true);
        }
        break;
    }
    case 9: Touched(r); break;
    default: break;
    }
}

void DRacing_HitRoutine(Dweeble* d) {
    DRacing* r = Begin(d);
    if (r == nullptr) return;
    CRaceCourse* course = r->GetCourse();
    switch (r->GetBehaviourState()) {
    case 4:
    case 5:
    case 6: {
        r->ShowRandomFrameA();
        if (r->ShowRandomFrameD(false) < 0) break;
        const CPointF centre = r->GetPosition();
        const bool lucky = xRand() % 4 == 0;
        if (course && DRacing::DropsOnce(course->GetRaceWorld())) {
            // One item in a racer's life, however often it is hit.
            if (!r->HasDropped()) {
                if (lucky) course->DropPickup(centre);
                else course->DropRandomItem(centre);
                r->SetDropped(1);
            }
        } else if (course && lucky) {
            course->MakeRacerEffect(centre);
        }
        r->SetActionEnds(0);
        r->SetActionLoops(-1);
        r->SetActionEndMode(2);
        const float half = course ? float(course->GetRaceWidth()) * 0.5f : float(DRacing::kStageWidth) * 0.5f;
        r->SetVelocity(Vec3(centre.x < half ? -kFlightSpeedX : kFlightSpeedX, kFlightSpeedY, 0.0f), 0);
        r->SetSpin(kFlightSpin, 0);
        r->SetMaxAcceleration(kFall, 0);
        r->SetAcceleration(Vec3(0.0f, kFall, 0.0f), 0);
        r->SetBehaviourState(7);
        break;
    }
    case 7:
        if (!r->IsOnStageColumn(true, 0)) {
            r->SetVelocity(Vec3(), 0);
            r->SetAcceleration(Vec3(), 0);
            if (course && course->IsLive(r)) {
                course->RetireObject(r, true);
                course->RemoveObject(r);
            }
            r->SetBehaviourState(0);
        }
        break;
    case 8:
        if (r->GetActionEndMode() == 2) {
            const bool done = r->GetActionLoops() != -1 && r->GetActionEnds() >= r->GetActionLoops();
            r->SetBehaviourState(done ? 5 : 7);
        } else if (r->GetActionEndMode() == 1) {
            if (r->GetDwellTimer().HasElapsed()) r->SetBehaviourState(5);
        } else {
            r->SetBehaviourState(5);
        }
        break;
    default: break;
    }
}
