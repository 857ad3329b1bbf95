#include "game/world/characters/DRacing.h"

#include <algorithm>
#include <cmath>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "game/shell/Projectile.h"
#include "game/world/characters/RaceCourse.h"
#include "game/world/vehicles/Vehicle.h"

namespace {

/// The racers cross the road: one way and back first, then the slants, built from the
/// projection's constants (horizontal 1, vertical 0.5).
const DirectionTable& RacerDirections() {
    static const DirectionTable table = [] {
        DirectionTable t;
        t.count = 7;
        const float c = 0.866f, s = 0.5f;
        const CPointF entries[7] = {{1.0f, 0.0f},      {-1.0f, 0.0f},    {c, -s * 0.5f}, {c, s * 0.5f},
                                    {-c, -s * 0.5f},   {-c, s * 0.5f},   {0.0f, -0.5f}};
        std::copy(std::begin(entries), std::end(entries), t.entries);
        return t;
    }();
    return table;
}

struct WorldSettings {
    int32_t framesA[2];
    int32_t moving;
    int32_t action;
    int32_t closeDistance;
    int32_t stateAfterAction;
    DweebleRoutine racer;
};

constexpr WorldSettings kCircus{{0, 0}, 1, 2, 150, 5, DRacing_CircusRoutine};
constexpr WorldSettings kZoo{{0, 2}, 4, 3, 125, 0, DRacing_ZooRoutine};
constexpr int32_t kWalkSpeed = 175;
constexpr int32_t kRunSpeed = 350;
constexpr int32_t kNoticeDistance = 225;
constexpr int32_t kDwell = 250;

const WorldSettings& SettingsOf(uint16_t world) { return DRacing::DropsOnce(world) ? kZoo : kCircus; }

} // namespace

DRacing::DRacing(CRaceCourse* course) : Dweeble("DRacing", kClassId), course_(course) {
    const WorldSettings& w = SettingsOf(course_ ? course_->GetRaceWorld() : 0);
    for (int32_t group : {0, 1, 2, 4}) SetGroupRoutine(group, w.racer);
    SetGroupRoutine(3, DRacing_HitRoutine);
    AddFramesA(w.framesA[0], w.framesA[1]);
    AddFramesB(w.moving, w.moving);
    AddFramesC(w.moving, w.moving);
    for (int i = 0; i < 3; ++i) {
        RepeatFrameB(w.moving);
        RepeatFrameC(w.moving);
    }
    SetDirectionTable(4, RacerDirections());
    AddFramesD(w.action, w.action);
    AddFramesE(w.action, w.action);
    SetWalkSpeed(kWalkSpeed);
    SetRunSpeed(kRunSpeed);
    SetNoticeDistance(kNoticeDistance);
    SetCloseDistance(w.closeDistance);
    SetStateAfterAction(w.stateAfterAction);
    SetDwellTimes(-1, kDwell, kDwell, kDwell, kDwell);
    SetBehaviourState(0);
}

bool DRacing::IsA(uint32_t classId) const { return classId == kClassId || Dweeble::IsA(classId); }

int32_t DRacing::OnContact(TLV_Object* other) {
    if (other == nullptr) return 0;
    if (other->IsA(Vehicle::kClassId)) {
        if (HasRoutine(9)) SetBehaviourState(9);
        return 16;
    }
    if (other->IsA(Projectile::kClassId)) {
        const bool spent = course_ && DropsOnce(course_->GetRaceWorld()) && dropped_;
        if (!FrameInListD() && !spent) SetBehaviourState(6);
        return 1;
    }
    return 0;
}

void DRacing::SetActionFrames(uint8_t /*variant*/) {
    const int32_t frame = SettingsOf(course_ ? course_->GetRaceWorld() : 0).action;
    AddFramesD(frame, frame);
}

bool DRacing::HasPassedTarget() {
    if (GetTargetPoint().y - GetGroundPosition().y > 0.0f) return true;
    return Dweeble::HasPassedTarget();
}

bool DRacing::IsOnRaceStage(const CPointF& p) {
    const CPoint16 origin = course_ ? course_->GetScrollOrigin() : CPoint16();
    const int32_t x = int32_t(p.x), y = int32_t(p.y);
    return x >= origin.x + 1 && x < origin.x + kStageWidth - 1 && y >= origin.y + 1 &&
           y < origin.y + kStageHeight - 1;
}

bool DRacing::CrossBySide(int32_t state) {
    if (side_ != 0 && side_ != 1) return false;
    const Vec3 across(side_ == 1 ? 10.0f : -10.0f, 0.0f, 0.0f);
    SetTargetByDirection(3, NearestDirection(state, across), false);
    return true;
}

void DRacing::Reverse() { SetTargetByDirection(3, GetHeading() == 0 ? 1 : 0, false); }

void DRacing::TakeOut() {
    if (course_ && course_->IsLive(this)) {
        course_->RetireObject(this, true);
        course_->RemoveObject(this);
    }
    SetBehaviourState(0);
    xTracef("Removing dweeble at loc %f  %f\n", double(GetPosition().x), double(GetPosition().y));
}

bool DRacing::VehicleGap(const CPointF& p, float* gap) {
    OActivityProp* vehicle = course_ ? course_->GetRaceVehicle() : nullptr;
    if (vehicle == nullptr) return false;
    *gap = std::fabs(vehicle->GetPosition().y - p.y);
    return true;
}

float DRacing::VehicleY() {
    OActivityProp* vehicle = course_ ? course_->GetRaceVehicle() : nullptr;
    return vehicle ? vehicle->GetPosition().y : 0.0f;
}
