#include "game/world/vehicles/VFlat.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "game/world/vehicles/VehicleHeadings.h"

VFlat::VFlat(const char* name, uint32_t classId) : Vehicle(name, classId) {
    stepTimer_.Start(stepInterval_);
    lockTimer_.duration = kLockMs;
}

bool VFlat::IsA(uint32_t classId) const { return classId == kClassId || Vehicle::IsA(classId); }

void VFlat::Suspend(int32_t flag) {
    lockTimer_.Pause();
    Vehicle::Suspend(flag);
}

void VFlat::Resume(int32_t flag) {
    Vehicle::Resume(flag);
    lockTimer_.Resume();
}

int32_t VFlat::OnIdle() {
    if (lockTimer_.paused == 0 && lockTimer_.HasElapsed()) Stop();
    if (stepTimer_.paused == 0 && stepTimer_.HasElapsed() && stepTimer_.duration != stepInterval_)
        stepTimer_.duration = stepInterval_;
    if (GetFrameHook() && GetFrameHook()(this) && onTouch) onTouch(this);
    return Vehicle::OnIdle();
}

int32_t VFlat::OnAnimationEnd() {
    if (!returnToRest_) SetState(alternate_ && GetState() == 0 ? 1 : 0);
    return Vehicle::OnAnimationEnd();
}

float VFlat::GetLateralSpeed() const {
    if (steps_ == 0) return 0.0f;
    return float(step_) / float(steps_) * sidewaysSpeed_;
}

void VFlat::SetLean() {
    const int32_t state = neutralState_ - step_;
    if (GetState() != state) {
        SetState(state);
        QueueNextState(state);
    }
    stepTimer_.Start(stepInterval_);
}

void VFlat::KeyMove(int32_t toward, uint8_t direct, uint8_t half) {
    if (IsLocked()) return;
    if (direct && step_ == 0) {
        Slide(float(toward) * (half ? sidewaysSpeed_ * 0.5f : sidewaysSpeed_));
        return;
    }
    if (steps_ <= 0) {
        Slide(float(toward) * sidewaysSpeed_);
        return;
    }
    if (stepTimer_.HasElapsed()) {
        step_ = std::clamp(step_ + toward, -steps_, steps_);
        SetLean();
    }
    Slide(GetLateralSpeed());
}

void VFlat::KeyMoveNeg(uint8_t direct, uint8_t half) { KeyMove(-1, direct, half); }

void VFlat::KeyMovePos(uint8_t direct, uint8_t half) { KeyMove(1, direct, half); }

void VFlat::StartRamp(int32_t toward) {
    if (IsLocked()) return;
    if (steps_ <= 0) {
        Slide(float(toward) * sidewaysSpeed_);
        return;
    }
    step_ = toward * steps_;
    Slide(GetLateralSpeed());
    step_ = 0;
    SetLean();
    stepTimer_.Start(kDashIntervals * stepInterval_);
}

void VFlat::StartNegRamp() { StartRamp(-1); }

void VFlat::StartPosRamp() { StartRamp(1); }

void VFlat::Coast(uint8_t direct) {
    if (IsLocked()) return;
    if ((direct && step_ == 0) || steps_ < 1) {
        Slide(0.0f);
        return;
    }
    if (stepTimer_.HasElapsed()) {
        if (step_ < 0) ++step_;
        else if (step_ > 0) --step_;
        SetLean();
    }
    Slide(GetLateralSpeed());
}

void VFlat::Stop() {
    Slide(0.0f);
    lockTimer_.Stop();
}

void VFlat::HeadingVector(Vec3* out, int32_t i) {
    if (!out) return;
    *out = i >= 0 && i < kVehicleHeadings ? HeadingTable[std::size_t(i)] : Vec3();
}

void VFlat::HeadingUnitVector(Vec3* out, int32_t i) {
    if (!out) return;
    Vec3 v;
    HeadingVector(&v, i);
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    *out = length > 0.0f ? Vec3(v.x / length, v.y / length, v.z / length) : Vec3(0.0f, 0.0f, v.z);
}
