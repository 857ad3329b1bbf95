// The drive machine of VIsometric: throttle, turns, steering toward a target, the motion and
// what the touch hook says about it.
#include <algorithm>
#include <cmath>

#include "game/world/vehicles/VIsometric.h"
#include "game/world/vehicles/VehicleHeadings.h"

namespace {

/// The angle between two vectors (x and y parts): 0 when either has no length.
double AngleBetween(double ax, double ay, double bx, double by) {
    const double product = std::sqrt(ax * ax + ay * ay) * std::sqrt(bx * bx + by * by);
    if (!(product > 0.0)) return 0.0;
    return std::acos(std::clamp((ax * bx + ay * by) / product, -1.0, 1.0));
}

double PlainDistance(const CPointF& a, const CPointF& b) {
    const double dx = double(a.x) - double(b.x);
    const double dy = double(a.y) - double(b.y);
    return std::sqrt(dx * dx + dy * dy);
}

bool SameWholePoint(const CPointF& a, const CPointF& b) {
    return std::lround(a.x) == std::lround(b.x) && std::lround(a.y) == std::lround(b.y);
}

/// Whether `from` lies 1 to 15 headings above `to`, going round.
bool IsAbove(int32_t from, int32_t to) {
    const int32_t steps = xVehicle_HeadingOf(from - to);
    return steps >= 1 && steps <= 15;
}

} // namespace

void VIsometric::AimVelocity(int32_t heading) {
    if (heading < 0 || heading >= kVehicleHeadings) return;
    const Vec3& h = HeadingTable[std::size_t(heading)];
    const float speed = topSpeed_ * throttle_;
    SetVelocity(Vec3(h.x * speed, h.y * speed, 0.0f), 0);
}

void VIsometric::StepThrottle() {
    if (throttle_ > 1.0f) driveDirection_ = -1;
    if (InMotion() && throttleTimer_.paused == 0 && throttleTimer_.HasElapsed()) {
        if (driveDirection_ == -1) {
            if (lastDriveDirection_ != -1) {
                Call(onDecelerate, this);
                lastDriveDirection_ = -1;
            }
            throttle_ -= decelerationStep_;
            if (throttle_ <= 0.0f) {
                throttle_ = 0.0f;
                Halt();
                return;
            }
        } else if (driveDirection_ == 0) {
            lastDriveDirection_ = 0;
        } else if (driveDirection_ == 1) {
            if (lastDriveDirection_ != 1) {
                Call(onAccelerate, this);
                lastDriveDirection_ = 1;
            }
            const bool belowFull = throttle_ < 1.0f;
            throttle_ = std::min(throttle_ + accelerationStep_, 1.0f);
            if (belowFull && throttle_ == 1.0f) Call(onFullSpeed, this);
        }
        throttleTimer_.Restart();
    }
    if (driveState_ == kHalted) return;
    // A start always moves at least one acceleration step (compared in ten-thousandths).
    if (driveDirection_ != -1 && int64_t(accelerationStep_ * 10000.0f) > int64_t(throttle_ * 10000.0f))
        throttle_ = accelerationStep_;
    AimVelocity(Heading());
}

bool VIsometric::TurnBy(int32_t delta) {
    const int32_t heading = Heading();
    const int32_t turned = xVehicle_HeadingOf(heading + delta);
    if (turned == heading) return false;
    const int32_t before = GetState();
    ShowHeading(turned);
    if (InMotion() && GetFrameHook() && GetFrameHook()(this)) SetState(before);
    if (driveState_ != kHalted) AimVelocity(Heading());
    return true;
}

bool VIsometric::SteerStep() {
    const double tx = double(target_.x) - double(GetPosition().x);
    const double ty = double(target_.y) - double(GetPosition().y);
    const Vec3& v = GetVelocity();
    if (AngleBetween(tx, ty, v.x, v.y) <= kSteerDeadBand) return false;
    const int32_t wanted = xHeading_Nearest(float(tx), float(ty));
    const int32_t heading = Heading();
    if (wanted == heading) return false;
    ShowHeading(xVehicle_HeadingOf(IsAbove(heading, wanted) ? heading - 1 : heading + 1));
    if (driveState_ != kHalted) AimVelocity(Heading());
    return true;
}

void VIsometric::SteerToTarget(const CPoint16& point) {
    const int32_t wanted = xHeading_Nearest(float(point.x) - GetPosition().x, float(point.y) - GetPosition().y);
    const int32_t heading = Heading();
    if (wanted == heading) TurnKeyUp();
    else if (IsAbove(heading, wanted)) TurnKeyPos();
    else TurnKeyNeg();
}

void VIsometric::SetTarget(const CPoint16& point) {
    target_ = CPointF(point.x, point.y);
    driveDirection_ = 1;
    turnDirection_ = 0;
    const double distance = PlainDistance(target_, GetPosition());
    const bool within = distance <= double(GetArrivalRadius());
    switch (driveState_) {
    case kHalted:
        if (within) return;
        AimVelocity(Heading());
        turnTimer_.Restart();
        throttleTimer_.Restart();
        driveState_ = kStartingToTarget;
        return;
    case kStarting:
    case kStartingToTarget:
        driveState_ = kStartingToTarget;
        if (within) Halt();
        return;
    default:
        driveState_ = kMovingToTarget;
        if (within) StopKeys();
        return;
    }
}

int32_t VIsometric::OnIdle() {
    if (accelerationStep_ > 1.0f && throttle_ >= 1.0f) accelerationStep_ = 0.1f;
    StepThrottle();

    if (headingGoalActive_) {
        // Every frame of the turn halts the vehicle again (the on-halt callback included).
        const int32_t d = xVehicle_HeadingOf(headingGoal_) - Heading();
        Halt();
        if (d == 0) {
            TurnKeyUp();
            headingGoalActive_ = 0;
        } else if ((d >= 1 && d <= 15) || d <= -16) {
            TurnKeyNeg();
        } else {
            TurnKeyPos();
        }
    }

    if (turnDirection_ != 0 && turnTimer_.paused == 0 && turnTimer_.HasElapsed()) {
        TurnBy(turnDirection_ < 0 ? 1 : -1);
        turnTimer_.Restart();
    }

    if (driveState_ == kHalted) {
        // The motion does not run while halted: its clock starts afresh, so that the first
        // step of the next start covers one frame, not the time the vehicle stood.
        RestartStepClock();
        return OActivityProp::OnIdle();
    }

    previousGround_ = GroundPosition();
    const CPointF before = GetPosition();
    const int32_t result = TLVComplex_Object::OnIdle();
    const CPointF ground = GroundPosition();

    if (GetFrameHook() && GetFrameHook()(this)) {
        if (driveState_ == kMoving) {
            Call(onBlocked, this);
            Halt();
        } else if (driveState_ == kMovingToTarget) {
            Call(onBlocked, this);
            moving_ = 0;
            driveState_ = kStartingToTarget;
        }
        OView::SetPosition(before, 0, 1);
        if (steerToTarget_ && DrivesToTarget() && turnTimer_.HasElapsed()) {
            if (!SteerStep()) Halt();
            turnTimer_.Restart();
        }
    } else {
        if (!SameWholePoint(ground, previousGround_)) {
            if (driveState_ == kStarting) driveState_ = kMoving;
            else if (driveState_ == kStartingToTarget) driveState_ = kMovingToTarget;
            moving_ = 1;
        }
        if (steerToTarget_ && DrivesToTarget() && turnTimer_.HasElapsed()) {
            SteerStep();
            turnTimer_.Restart();
        }
        if (DrivesToTarget() && GetArrivalRadius() > 0.0f && PlainDistance(ground, target_) < double(GetArrivalRadius()))
            StopKeys();
        UpdateZOrder();
        if (InMotion()) Call(onMoving, this);
    }

    CPoint16 point;
    GetGroundPoint(&point);
    if (!trail_.empty()) {
        const CPoint16 newest = trail_.front();
        if (PlainDistance(CPointF(newest.x, newest.y), CPointF(point.x, point.y)) > double(GetTrailSpacing())) {
            std::rotate(trail_.rbegin(), trail_.rbegin() + 1, trail_.rend());
            trail_.front() = point;
        }
    }
    return result;
}
