#include "game/world/characters/DFollower.h"

#include <algorithm>
#include <cmath>

#include "engine/base/Random.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/TLVApp.h"
#include "game/world/characters/CharacterTouch.h"
#include "game/world/characters/DweebleNumbers.h"
#include "game/world/characters/DweebleRoutines.h"
#include "game/world/characters/FollowerRoutines.h"
#include "game/world/characters/TurnAway.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

/// How far beyond the visible stage a far follower's anchor must lie before it jumps there.
constexpr int16_t kHiddenLeftRight = 40, kHiddenAbove = 20, kHiddenBelow = 60;
constexpr double kRightAngle = 1.5707964;
constexpr double kMinReach = 75.0;
constexpr double kHurryReach = 1.2;
constexpr int32_t kRunExtra = 15;
constexpr float kApproachBand = 30.0f;
constexpr int32_t kSlowest = 2;

double Length(double x, double y) { return std::sqrt(x * x + y * y); }

double AngleBetween(const Vec3& a, double bx, double by) {
    const double la = Length(a.x, a.y), lb = Length(bx, by);
    if (la * lb == 0.0) return 0.0;
    return std::acos(std::clamp((a.x * bx + a.y * by) / (la * lb), -1.0, 1.0));
}

/// acos of the horizontal part over the length (0 for a zero vector).
double Bearing(double x, double y) { return Length(x, y) == 0.0 ? 0.0 : std::acos(std::clamp(x / Length(x, y), -1.0, 1.0)); }

/// Where a chain member stands: a vehicle's ground point, a character's ground position, else
/// its centre.
CPointF PlaceOf(OActivityProp* prop) {
    if (auto* iso = dynamic_cast<VIsometric*>(prop)) {
        CPointF p;
        iso->GetGroundPointF(&p);
        return p;
    }
    if (auto* d = dynamic_cast<Dweeble*>(prop)) return d->GetGroundPosition();
    return prop->GetPosition();
}

} // namespace

DFollower::DFollower(const char* name, uint32_t classId) : Dweeble(name, classId) {
    SetGroupRoutine(0, &Dweeble_Flee);
    SetGroupRoutine(1, &DoNothing);
    SetGroupRoutine(2, &Dweeble_Flee);
    SetGroupRoutine(3, &Dweeble_FollowerAct);
    SetGroupRoutine(4, &DoNothing);
    SetGroupRoutine(5, &Dweeble_Follow);
    SetGroupRoutine(6, &Dweeble_Follow);
    SetDwellTimes(-1, 100, 50, 250, 50);
    Dweeble::SetBehaviourState(1); // the flee routine becomes the current one
    AddFramesD(7, 7);
    SetAnimating(1);
    progressTimer_.duration = kProgressMs;
    bumpTimer_.duration = kBumpMs;
}

bool DFollower::IsA(uint32_t classId) const { return classId == kClassId || Dweeble::IsA(classId); }

void DFollower::SetBehaviourState(int32_t state) {
    hurry_ = 0;
    Dweeble::SetBehaviourState(state);
}

void DFollower::SetActionFrames(uint8_t /*variant*/) { AddFramesD(7, 7); }

int32_t DFollower::OnContact(TLV_Object* other) {
    if (!IsVehicle(other)) {
        if (!FrameInListD()) SetBehaviourState(6);
        return kTouchRefuse;
    }
    if (!FrameInListD()) {
        SetBehaviourState(9);
        Stop();
    }
    bumped_ = 1;
    bumpTimer_.Start(kBumpMs);
    bumpingVehicle_ = other;
    const int32_t answer = PushedUnlessAtEdge(this);
    if (answer == kTouchPush) {
        SetBehaviourState(5);
        ExpireTimers();
    }
    return answer;
}

int32_t DFollower::OnIdle() {
    const int32_t answer = Dweeble::OnIdle();
    if (bumped_ && !FrameInListD()) TurnBackTo(this, bumpingVehicle_);
    if (bumpTimer_.HasElapsed() && bumped_) {
        bumped_ = 0;
        bumpingVehicle_ = nullptr;
        bumpTimer_.Stop();
        SetBehaviourState(0);
    }
    CatchUp();
    return answer;
}

void DFollower::OnArrived() {
    if (CTLVApp* app = CTLVApp::Get())
        if (CCounterPanel* panel = app->GetCounterPanel()) panel->Refresh();
    if (CCharacterWorld* world = GetCharacterWorld()) {
        world->RetireProp(this);
        world->ShowEffectAt(this);
    }
    SetGroupRoutine(0, &DoNothing);
    SetBehaviourState(1);
}

// ---- Catching up ---------------------------------------------------------------------------------

CRect16 DFollower::VisibleStage() const {
    CCharacterWorld* world = GetCharacterWorld();
    const CPoint16 scroll = world ? world->GetScrollOffset() : CPoint16();
    return CRect16(scroll.x, scroll.y, int16_t(scroll.x + kStageWidth), int16_t(scroll.y + kStageHeight));
}

bool DFollower::CatchUpAnchor(CPointF* anchor) const {
    if (walkingToGoal_) {
        *anchor = goal_;
        return true;
    }
    if (!following_) return false;
    TLV_Object* front = GetPrevious();
    while (front && front->GetPrevious()) front = front->GetPrevious();
    auto* iso = dynamic_cast<VIsometric*>(front);
    if (!iso || iso->WayPointCount() == 0) return false;
    iso->GetWayPoint(anchor, iso->WayPointCount() - 1);
    // A trail point the vehicle has not laid yet is no place to jump to.
    return !(*anchor == CPointF(0.0f, 0.0f));
}

void DFollower::CatchUp() {
    CPointF anchor;
    if (!CatchUpAnchor(&anchor)) return;
    const CRect16 stage = VisibleStage();
    const CPointF ground = GetGroundPosition();
    const int32_t gx = TruncTo32(ground.x), gy = TruncTo32(ground.y);
    const bool onScreen = gx >= stage.left + 1 && gx < stage.right - 1 && gy >= stage.top + 1 && gy < stage.bottom - 1;
    if (onScreen || DistanceFromTarget() <= kCatchUpDistance) return;
    const int32_t ax = TruncTo32(anchor.x), ay = TruncTo32(anchor.y);
    const bool anchorSeen = ax >= stage.left - kHiddenLeftRight && ax < stage.right + kHiddenLeftRight &&
                            ay >= stage.top - kHiddenAbove && ay < stage.bottom + kHiddenBelow;
    if (anchorSeen) return;
    SnapToPoint(CPoint16(ToInt16(anchor.x), ToInt16(anchor.y)));
    TakeLastPosition();
}

// ---- Goal and progress ---------------------------------------------------------------------------

double DFollower::DistanceToGoal() const {
    const CPointF g = GetGroundPosition();
    return Length(double(goal_.x) - g.x, double(goal_.y) - g.y);
}

void DFollower::StartFollowing() {
    progressTimer_.Start(kProgressMs);
    bestDistance_ = DistanceToGoal();
}

bool DFollower::CheckProgress() {
    const double d = DistanceToGoal();
    progressTimer_.Restart();
    if (d < bestDistance_ - kProgressGain) {
        bestDistance_ = d;
        return true;
    }
    return false;
}

void DFollower::SetBestDistance(double d) { bestDistance_ = d == -1.0 ? DistanceToGoal() : d; }

void DFollower::PushGoal(float y, float x) {
    if (!goalSaved_) savedGoal_ = goal_;
    goal_ = CPointF(x, y);
    goalSaved_ = 1;
}

void DFollower::PopGoal() {
    if (!goalSaved_) return;
    goal_ = savedGoal_;
    goalSaved_ = 0;
    SetTargetPoint(goal_);
}

bool DFollower::IsGoalOnScreen() {
    if (!GetCharacterWorld()) return false;
    const CRect16 stage = VisibleStage();
    const int32_t x = TruncTo32(goal_.x), y = TruncTo32(goal_.y);
    return x >= stage.left && x < stage.right && y >= stage.top && y < stage.bottom;
}

void DFollower::UseFleeRoutines() {
    if (following_) return;
    SetGroupRoutine(0, &Dweeble_Flee);
    SetGroupRoutine(1, &Dweeble_Flee);
    SetGroupRoutine(2, &Dweeble_Flee);
    following_ = 1;
    AddFramesA(8, 9);
}

void DFollower::ApproachTarget() {
    const double d = DistanceFromTarget();
    if (d < stopDistance_) {
        Stop();
    } else if (d < stopDistance_ + kApproachBand && VectorToTarget().y < 0.0f) {
        const double factor = (d - stopDistance_) * 0.01 + 0.5;
        SetSpeed(std::max(kSlowest, TruncTo32(GetWalkSpeed() * factor)));
    } else if (GetSpeed() == 0) {
        SetSpeed(GetWalkSpeed());
    }
}

// ---- The vehicle -----------------------------------------------------------------------------------

OActivityProp* DFollower::TargetChainFront() const {
    OActivityProp* target = GetTargetObject();
    auto* object = dynamic_cast<TLV_Object*>(target);
    if (!object) return target;
    while (object->GetPrevious()) object = object->GetPrevious();
    return object;
}

bool DFollower::IsVehicleComing(bool onlyWhenMoving) {
    OActivityProp* target = GetTargetObject();
    if (!target || !target->IsA(TLVComplex_Object::kClassId)) return false;
    auto* front = dynamic_cast<TLVComplex_Object*>(TargetChainFront());
    if (!front) return false;
    const double speed = Vec3Length(front->GetVelocity());
    if (onlyWhenMoving && speed <= 0.0001) return false;
    Vec3 heading = front->GetVelocity();
    if (auto* iso = dynamic_cast<VIsometric*>(front)) iso->GetHeadingVector(&heading);
    const CPointF from = PlaceOf(front);
    const CPointF me = GetGroundPosition();
    const double angle = AngleBetween(heading, double(me.x) - from.x, double(me.y) - from.y);
    double reach = std::max(kMinReach, std::min(1.0, speed * 0.01) * GetNoticeDistance());
    if (hurry_) reach *= kHurryReach;
    return angle < kRightAngle && Length(double(me.x) - from.x, double(me.y) - from.y) < reach;
}

void DFollower::MatchLeaderSpeed(OActivityProp* object, int32_t minimum, int32_t extra) {
    if (!object) return;
    int64_t value = 0;
    if (auto* d = dynamic_cast<Dweeble*>(object)) {
        value = int64_t(d->GetSpeed()) + extra;
    } else if (auto* iso = dynamic_cast<VIsometric*>(object)) {
        const double v = Vec3Length(iso->GetVelocity());
        CPointF ground;
        iso->GetGroundPointF(&ground);
        const CPointF me = GetGroundPosition();
        const int32_t d = TruncTo32(Length(double(me.x) - ground.x, double(me.y) - ground.y));
        const double k = d < GetCloseDistance() ? 1.4 : d < GetNoticeDistance() ? 1.2 : 1.0;
        value = v == 0.0 ? extra : TruncTo32(v * k);
    } else if (auto* complex = dynamic_cast<TLVComplex_Object*>(object)) {
        value = int64_t(TruncTo32(Vec3Length(complex->GetVelocity()))) + extra;
    }
    SetSpeed(ClampTo32(std::max<int64_t>(minimum, value)));
}

int32_t DFollower::StartRun() {
    SetBehaviourState(5);
    OActivityProp* target = GetTargetObject();
    auto* iso = dynamic_cast<VIsometric*>(target);
    if (iso) {
        if (following_) {
            MatchSpeed(iso, 0, 0);
            SetSpeed(ClampTo32(int64_t(GetSpeed()) + kRunExtra));
        } else if (Vec3Length(iso->GetVelocity()) > float(GetSpeed())) {
            MatchSpeed(iso, 0, 0);
        }
    }
    const int32_t count = DirectionCount(5);
    if (count <= 0) return -1;
    OActivityProp* front = TargetChainFront();
    const CPointF me = GetGroundPosition();
    const CPointF end = front ? PlaceOf(front) : me;
    const Vec3 toEnd(end.x - me.x, end.y - me.y, 0.0f);
    const int32_t d1 = NearestDirection(5, toEnd);
    const Vec3 velocity = iso ? iso->GetVelocity() : Vec3();
    const int32_t d2 = iso && Vec3Length(velocity) > 0.0f ? NearestDirection(5, velocity) : d1;
    int32_t d = d2;
    if (d2 == d1) {
        const double a1 = Bearing(toEnd.x, toEnd.y);
        double a2 = Bearing(velocity.x, velocity.y);
        if (velocity.y < 0.0f) a2 = 2.0 * M_PI - a2;
        if (a1 < a2) d = d1 + 1;
        else if (a1 > a2) d = d1 - 1;
        else d = d1 - 1 + xRand() % 3;
    }
    d = ((d % count) + count) % count;
    Vec3 out;
    int32_t free = -1;
    if (!FindFreeDirection(&out, 5, d, &free)) return -1;
    SetHeading(free);
    return free;
}

int32_t DFollower::SideStep(int32_t state, bool down) {
    const CPointF me = GetGroundPosition();
    const CPointF& t = GetTargetPoint();
    const float dx = t.x - me.x, dy = t.y - me.y;
    Vec3 v;
    if (dx != 0.0f) {
        // (-dy, dx) points down the screen when dx > 0, (dy, -dx) when dx < 0.
        const bool first = down ? dx > 0.0f : dx < 0.0f;
        v = first ? Vec3(-dy, dx, 0.0f) : Vec3(dy, -dx, 0.0f);
    } else {
        CCharacterWorld* world = GetCharacterWorld();
        const int32_t width = world ? world->GetMapRect().right : kStageWidth;
        const bool rightHalf = me.x >= float(width / 2);
        const bool takeFirst = rightHalf ? -dy < 0.0f : -dy > 0.0f;
        v = takeFirst ? Vec3(-dy, 0.0f, 0.0f) : Vec3(dy, 0.0f, 0.0f);
    }
    const int32_t nearest = NearestDirection(state, v);
    if (nearest < 0) return nearest;
    Vec3 out;
    int32_t free = -1;
    return FindFreeDirection(&out, state, nearest, &free) ? free : nearest;
}

int32_t DFollower::SideStepDown(int32_t state) { return SideStep(state, true); }

int32_t DFollower::SideStepUp(int32_t state) { return SideStep(state, false); }
