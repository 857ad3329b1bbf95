#include "game/world/characters/DGuard.h"

#include <algorithm>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/graphics/Part.h"
#include "game/world/characters/CharacterTouch.h"
#include "game/world/characters/DweebleNumbers.h"
#include "game/world/characters/DweebleRoutines.h"
#include "game/world/characters/PatrolObject.h"

namespace {

constexpr uint32_t kAncestors[] = {DGuard::kClassId, Dweeble::kClassId};
constexpr int32_t kPatrolStandFrame = 11;
constexpr int32_t kWalkerStandFrame = 10;
constexpr int32_t kRunningState = 5;
/// A place beside the guard lies up to this far up or left of its centre (and one less down
/// or right).
constexpr int32_t kBesideReach = 2;

} // namespace

DGuard::DGuard(const char* name, uint32_t classId) : Dweeble(name, classId) {
    SetGroupRoutine(2, &Dweeble_Avoid);
    SetGroupRoutine(3, &Dweeble_Roam);
    SetGroupRoutine(4, &Dweeble_Avoid);
    SetDwellTimes(-1, kAvoidMs, kAvoidMs, 250, 250);
    SetGuardFlag(1);
    AddFramesB(4, 6);
    AddFramesD(7, 9);
}

bool DGuard::IsA(uint32_t classId) const {
    return std::find(std::begin(kAncestors), std::end(kAncestors), classId) != std::end(kAncestors) ||
           Dweeble::IsA(classId);
}

int32_t DGuard::OnIdle() {
    const int32_t answer = Dweeble::OnIdle();
    if (avoid_.Step(this)) SetBehaviourState(0);
    return answer;
}

int32_t DGuard::OnContact(TLV_Object* other) {
    if (!IsShownThroughParents()) return 0;
    const bool acting = FrameInListD();
    if (!IsVehicle(other)) {
        if (!acting) SetBehaviourState(6);
        return kTouchRefuse;
    }
    if (acting && HasRoutine(kRunningState)) {
        SetBehaviourState(kRunningState);
        SetSkipDwell(1);
    }
    if (!acting) {
        SetBehaviourState(9);
        Stop();
    }
    avoid_.Start(other);
    return PushedUnlessAtEdge(this);
}

void DGuard::SetActionFrames(uint8_t secondVehicle) { AddFramesD(7, secondVehicle ? 9 : 8); }

void DGuard::ForgetProp(const OActivityProp* prop) {
    if (patrolObject_ == prop) patrolObject_ = nullptr;
    avoid_.Forget(prop);
}

void DGuard::StandOnPatrolFrame() {
    CPart* part = GetAnimSet();
    if (part && part->GetStateCount() > kPatrolStandFrame) AddFramesA(kPatrolStandFrame, kPatrolStandFrame);
}

void DGuard::BecomeWalker() {
    SetGuardFlag(0);
    AddFramesB(1, 3);
    AddFramesA(kWalkerStandFrame, kWalkerStandFrame);
    SetSpeed(100);
    SetWalkSpeed(100);
    SetRunSpeed(300);
    SetNoticeDistance(225);
    SetCloseDistance(125);
    SetBehaviourState(0);
}

bool DGuard::IsWayOpen(const CPointF& from, const CPointF& to) {
    CCharacterWorld* world = GetCharacterWorld();
    return world == nullptr || world->IsWayFree(from, to, 1, 0);
}

void DGuard::PickRandomHeading(int32_t state) {
    SetTargetPoint(CPointF(0.0f, 0.0f));
    const CPointF c = GetPosition();
    PatrolArea area;
    if (patrolObject_ && GetGuardFlag()) {
        StandOnPatrolFrame();
        if (PatrolArea::Of(patrolObject_, &area) && !area.IsEmpty()) {
            // A negative margin would make the modulus zero or negative: it counts as none.
            const int32_t margin = std::max<int32_t>(margin_, 0);
            const int32_t x = xRand() % (area.Width() + 2 * margin) + area.left - margin;
            const int32_t y = xRand() % (area.Height() + 2 * margin) + area.top - margin;
            const int32_t d = NearestDirection(state, Vec3(float(x) - c.x, float(y) - c.y, 0.0f));
            CPointF target{float(x), float(y)};
            if (!IsWayOpen(c, target)) {
                const float besideY = c.y - float(kBesideReach) + float(xRand() % (2 * kBesideReach));
                const float besideX = c.x - float(kBesideReach) + float(xRand() % (2 * kBesideReach));
                target = CPointF(besideX, besideY);
                if (!IsWayOpen(c, target)) return;
            }
            if (d >= 0) SetHeading(d);
            SetTargetPoint(target);
            return;
        }
    }
    if (GetGuardFlag()) {
        xTracef("DGuard - %s : %s, it walks as a plain walker from now on\n", GetName(),
                patrolObject_ ? "its patrol object gives no usable area" : "it has no patrol object");
        BecomeWalker();
        return;
    }
    AddFramesA(0, 0);
    Dweeble::PickRandomHeading(state);
}

int32_t DGuard::FreeStepDirection(int32_t state, const CPointF& from) {
    CCharacterWorld* world = GetCharacterWorld();
    const int32_t speed = GetSpeed();
    const float lookAhead = speed > 0 ? float(speed) * float(GetStepInterval()) * 0.001f * 1.25f : 0.0f;
    const float grow = float(TruncTo32(lookAhead));
    float l = from.x, r = from.x, t = from.y, b = from.y;
    if (HasRightAngleRotation()) {
        l = GetLeft();
        r = GetRight();
        t = GetTop();
        b = GetBottom();
    }
    nearby_.Free();
    world->CollectObstacles(CRect16(ToInt16(l - grow), ToInt16(t - grow), ToInt16(r + grow), ToInt16(b + grow)),
                            nearby_);
    candidates_.Free();
    for (int32_t i = 0; i < DirectionCount(state); ++i) candidates_.Append(i);
    while (candidates_.Count() > 0) {
        const int32_t pick = xRand() % candidates_.Count();
        const int32_t candidate = candidates_.GetAt(pick);
        candidates_.RemoveAt(pick);
        Vec3 unit = DirectionVector(state, candidate);
        Vec3Normalize(unit, Vec3Length(unit));
        const CPointF to(from.x + lookAhead * unit.x, from.y + lookAhead * unit.y);
        if (world->IsMoveBoxFree(from, to, 0, 0, nearby_, 0)) return candidate;
    }
    return -1;
}

void DGuard::ChooseHeading(int32_t state) {
    const int32_t count = DirectionCount(state);
    if (count == 0) {
        Dweeble::ChooseHeading(state); // traces the empty direction table
        return;
    }
    const CPointF p = GetPosition();
    PatrolArea area;
    bool inside = false;
    if (patrolObject_) {
        StandOnPatrolFrame();
        inside = PatrolArea::Of(patrolObject_, &area) && area.Contains(p.x, p.y);
    }
    if (inside) {
        const CPointF centre = patrolObject_->GetPosition();
        const int32_t d = NearestDirection(state, Vec3(centre.x - p.x, centre.y - p.y, 0.0f));
        Vec3 out;
        int32_t free = -1;
        SetHeading(FindFreeDirection(&out, state, d, &free) ? free : xRand() % count);
        return;
    }
    CCharacterWorld* world = GetCharacterWorld();
    if (!world || !world->IsDrivingWorld()) {
        SetHeading(xRand() % count);
        return;
    }
    const int32_t free = FreeStepDirection(state, p);
    if (free >= 0) {
        SetHeading(free);
        return;
    }
    const CRect16 map = world->GetMapRect();
    const int32_t toCentre =
        NearestDirection(state, Vec3(float(map.Width() / 2) - p.x, float(map.Height() / 2) - p.y, 0.0f));
    if (toCentre >= 0) SetHeading(toCentre);
}
