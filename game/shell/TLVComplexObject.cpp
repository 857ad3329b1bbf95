#include "game/shell/TLVComplexObject.h"

#include <algorithm>
#include <cmath>

#include "engine/base/Trace.h"

namespace {

float Length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

Vec3 Scaled(const Vec3& v, float factor) { return Vec3(v.x * factor, v.y * factor, v.z * factor); }

Vec3 Sum(const Vec3& a, const Vec3& b) { return Vec3(a.x + b.x, a.y + b.y, a.z + b.z); }

/// Held to the length first (one factor for all three components, so the direction stays),
/// then each component to its own limit with its sign.
Vec3 Limited(Vec3 v, float maxLength, const Vec3& limits) {
    const float length = Length(v);
    if (length > maxLength) v = length > 0.0f ? Scaled(v, maxLength / length) : Vec3();
    auto clamp = [](float& c, float limit) {
        if (std::fabs(c) > limit) c = c >= 0.0f ? limit : -limit;
    };
    clamp(v.x, limits.x);
    clamp(v.y, limits.y);
    clamp(v.z, limits.z);
    return v;
}

} // namespace

TLVComplex_Object::TLVComplex_Object(const char* name, uint32_t classId) : TLV_Object(name, classId) {
    stepClock_.Start(kStepMs);
    SetSoundRange(kSoundRange);
}

bool TLVComplex_Object::IsA(uint32_t classId) const { return classId == kClassId || TLV_Object::IsA(classId); }

bool TLVComplex_Object::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return TLV_Object::HandleProperty(msg, set);
    if (set == 1 && (msg->id == kPropVelocity || msg->id == kPropAcceleration)) {
        int16_t x = 0;
        int16_t y = 0;
        if (!msg->Get(0, x) || !msg->Get(2, y)) {
            xTracef("TLVComplex_Object - %s : property %u of family 1110 has %u bytes, fewer than 4\n", GetName(),
                    unsigned(msg->id), unsigned(msg->size));
            return true;
        }
        const Vec3 value(float(x), float(y), 0.0f);
        if (msg->id == kPropVelocity) SetVelocity(value, 0);
        else SetAcceleration(value, 0);
    }
    return true;
}

void TLVComplex_Object::Suspend(int32_t flag) {
    stepClock_.Pause();
    TLV_Object::Suspend(flag);
}

void TLVComplex_Object::Resume(int32_t flag) {
    stepClock_.Resume();
    TLV_Object::Resume(flag);
}

int32_t TLVComplex_Object::OnIdle() {
    if (stepClock_.paused == 0 && stepClock_.HasElapsed()) {
        if (Length(velocity_) > 0.0f || Length(acceleration_) > 0.0f) {
            uint32_t dt = std::min(stepClock_.Now() - stepClock_.start, kMaxStepMs);
            if (longestStep_ != 0 && dt > longestStep_) dt = longestStep_;
            const float seconds = float(dt) / 1000.0f;
            SetVelocity(Scaled(acceleration_, seconds), 1);
            if (Length(velocity_) < 0.5f) velocity_ = Vec3();
            const Vec3 displacement = Scaled(velocity_, seconds);
            stepClock_.Restart();
            SetPositionXY(displacement.x, displacement.y, 1, 1);
        } else {
            // A still object keeps its clock up to date, so that its first step once it moves
            // covers the time since then, not the time it stood.
            stepClock_.Restart();
        }
    }
    return TLV_Object::OnIdle();
}

void TLVComplex_Object::SetVelocity(const Vec3& velocity, uint8_t add) {
    velocity_ = Limited(add ? Sum(velocity_, velocity) : velocity, maxSpeed_, velocityLimits_);
}

void TLVComplex_Object::SetAcceleration(const Vec3& acceleration, uint8_t add) {
    acceleration_ = Limited(add ? Sum(acceleration_, acceleration) : acceleration, maxAcceleration_,
                            accelerationLimits_);
}

void TLVComplex_Object::SetVelocityLimits(const Vec3& limits, uint8_t add) {
    velocityLimits_ = add ? Sum(velocityLimits_, limits) : limits;
}

void TLVComplex_Object::SetAccelerationLimits(const Vec3& limits, uint8_t add) {
    accelerationLimits_ = add ? Sum(accelerationLimits_, limits) : limits;
}

void TLVComplex_Object::SetMaxSpeed(float value, uint8_t add) { maxSpeed_ = add ? maxSpeed_ + value : value; }

void TLVComplex_Object::SetMaxAcceleration(float value, uint8_t add) {
    maxAcceleration_ = add ? maxAcceleration_ + value : value;
}
