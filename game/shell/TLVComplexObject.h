#pragma once
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/core/Timer.h"
#include "game/shell/TLVObject.h"

/// The base of everything in the game that moves ("TLVComplex_Object", class id 1110): a
/// velocity and an acceleration (pixels per second, and per second squared) held to a length
/// and to per-axis limits, integrated into the view position on a 15 ms step clock that stands
/// still while the object is paused. Motion stays in the plane (the z limits are 0) and no
/// acceleration acts (its maximum is 0) until a subclass raises the limits.
class TLVComplex_Object : public TLV_Object {
public:
    static constexpr uint32_t kClassId = 1110;
    /// Property family 1110 (set only): velocity and acceleration from two signed 16-bit
    /// values, x then y.
    enum : uint32_t { kPropVelocity = 1, kPropAcceleration = 2 };
    static constexpr int32_t kStepMs = 15;
    /// The longest time one step covers.
    static constexpr uint32_t kMaxStepMs = 125;
    static constexpr int16_t kSoundRange = 200;

    TLVComplex_Object(const char* name = "TLVComplex_Object", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// Family 1110 answers true and goes no further; the others go to TLV_Object.
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// Pause and Resume: the step clock keeps the paused span out of the motion.
    void Suspend(int32_t flag) override;
    void Resume(int32_t flag) override;
    /// One step of motion when the step clock has run out, then the engine prop's step; 1.
    int32_t OnIdle() override;

    /// With add 0 the value is stored, with add 1 added component by component; the velocity
    /// and the acceleration are then held to their limits, the limit setters only store.
    void SetVelocity(const Vec3& velocity, uint8_t add);
    void SetVelocityXY(float x, float y, uint8_t add) { SetVelocity(Vec3(x, y, 0.0f), add); }
    void SetAcceleration(const Vec3& acceleration, uint8_t add);
    void SetVelocityLimits(const Vec3& limits, uint8_t add);
    void SetAccelerationLimits(const Vec3& limits, uint8_t add);
    void SetMaxSpeed(float value, uint8_t add);
    void SetMaxAcceleration(float value, uint8_t add);
    void SetSpin(float value, uint8_t add) { spin_ = add ? spin_ + value : value; }
    /// The step clock starts afresh (a launch).
    void RestartStepClock() { stepClock_.Restart(); }

    // Second names.
    void SetVelocityVec(const Vec3& velocity, uint8_t add) { SetVelocity(velocity, add); }
    void SetAccelerationVec(const Vec3& acceleration, uint8_t add) { SetAcceleration(acceleration, add); }

    const Vec3& GetVelocity() const { return velocity_; }
    const Vec3& GetAcceleration() const { return acceleration_; }
    const Vec3& GetVelocityLimits() const { return velocityLimits_; }
    const Vec3& GetAccelerationLimits() const { return accelerationLimits_; }
    float GetMaxSpeed() const { return maxSpeed_; }
    float GetMaxAcceleration() const { return maxAcceleration_; }
    const CTimerRec& GetStepClock() const { return stepClock_; }
    uint32_t GetLongestStep() const { return longestStep_; }
    void SetLongestStep(uint32_t ms) { longestStep_ = ms; }
    float GetArrivalRadius() const { return arrivalRadius_; }
    void SetArrivalRadius(float radius) { arrivalRadius_ = radius; }
    float GetSpin() const { return spin_; }

private:
    Vec3 velocity_;
    Vec3 acceleration_;
    Vec3 velocityLimits_{32767.0f, 32767.0f, 0.0f};
    float maxSpeed_ = 32767.0f;
    Vec3 accelerationLimits_{32767.0f, 32767.0f, 0.0f};
    float maxAcceleration_ = 0.0f;
    CTimerRec stepClock_;
    uint32_t longestStep_ = 0;
    float arrivalRadius_ = 35.0f;
    float spin_ = 0.0f;
};
