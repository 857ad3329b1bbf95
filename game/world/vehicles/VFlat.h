#pragma once
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/core/Timer.h"
#include "game/world/vehicles/Vehicle.h"

/// The vehicle of the flat scenes ("VFlat", class id 2020): it never turns, it slides along x
/// while the scene scrolls and leans one animation state per steering step (state = neutral
/// state - step). Its owner calls the key operations every frame; a running lock timer makes
/// the vehicle deaf to them until it runs out and stops the vehicle.
class VFlat : public Vehicle {
public:
    static constexpr uint32_t kClassId = 2020;
    static constexpr float kSidewaysSpeed = 125.0f;
    static constexpr int32_t kStepIntervalMs = 50;
    static constexpr int32_t kLockMs = 750;
    /// A dash holds the lean at rest this many step intervals before it steps again.
    static constexpr int32_t kDashIntervals = 4;

    VFlat(const char* name = "VFlat", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// The lock timer stands still with the motion.
    void Suspend(int32_t flag) override;
    void Resume(int32_t flag) override;
    /// Lock expiry, the step interval back after a dash, the touch hook, then the motion.
    int32_t OnIdle() override;
    /// Unless it returns to rest by itself: the alternating states 0 and 1, else state 0.
    int32_t OnAnimationEnd() override;

    /// step / steps x sideways speed, in floating point (0 without steps).
    float GetLateralSpeed() const;
    /// One lean step toward -x / +x per step interval; without steps (or direct from rest) the
    /// full sideways speed at once, halved with the half-speed flag when direct.
    void KeyMoveNeg(uint8_t direct, uint8_t half);
    void KeyMovePos(uint8_t direct, uint8_t half);
    /// A dash: one frame at full speed, the lean back at rest, and the next step only after
    /// four step intervals.
    void StartNegRamp();
    void StartPosRamp();
    /// No key held: the lean returns one step toward rest per step interval.
    void Coast(uint8_t direct);
    /// No motion; the lock timer stops.
    void Stop();
    /// Starts the lock: the keys are ignored until it runs out.
    void Lock() { lockTimer_.Start(lockTimer_.duration); }

    /// Heading i of the vehicles' heading table, (0, 0, 0) outside 0..31.
    static void HeadingVector(Vec3* out, int32_t i);
    /// The same direction of length 1 (its z alone for a zero vector).
    static void HeadingUnitVector(Vec3* out, int32_t i);

    float GetSidewaysSpeed() const { return sidewaysSpeed_; }
    void SetSidewaysSpeed(float speed) { sidewaysSpeed_ = speed; }
    int32_t GetStepCount() const { return steps_; }
    void SetStepCount(int32_t steps) { steps_ = steps; }
    int32_t GetNeutralState() const { return neutralState_; }
    void SetNeutralState(int32_t state) { neutralState_ = state; }
    int32_t GetStep() const { return step_; }
    int32_t GetStepInterval() const { return stepInterval_; }
    void SetStepInterval(int32_t ms) { stepInterval_ = ms; }
    CTimerRec& StepTimer() { return stepTimer_; }
    CTimerRec& LockTimer() { return lockTimer_; }
    bool IsLocked() const { return lockTimer_.running != 0; }
    uint8_t GetReturnToRest() const { return returnToRest_; }
    void SetReturnToRest(uint8_t on) { returnToRest_ = on; }
    uint8_t GetAlternate() const { return alternate_; }
    void SetAlternate(uint8_t on) { alternate_ = on; }

    // What the road races keep on the vehicle: the forward limit, rate and offset.
    float GetForwardLimit() const { return forwardLimit_; }
    void SetForwardLimit(float limit) { forwardLimit_ = limit; }
    float GetForwardRate() const { return forwardRate_; }
    void SetForwardRate(float rate) { forwardRate_ = rate; }
    float GetForwardOffset() const { return forwardOffset_; }
    void SetForwardOffset(float offset) { forwardOffset_ = offset; }

    /// Runs when the touch hook refuses the vehicle's place.
    Callback onTouch = nullptr;

private:
    /// Toward -x (-1) or +x (+1) by one lean step.
    void KeyMove(int32_t toward, uint8_t direct, uint8_t half);
    void StartRamp(int32_t toward);
    /// Shows neutral state - step when another state shows, and starts the next step interval.
    void SetLean();
    void Slide(float speed) { SetVelocityXY(speed, 0.0f, 0); }

    float sidewaysSpeed_ = kSidewaysSpeed;
    int32_t steps_ = 0;
    int32_t neutralState_ = 0;
    int32_t step_ = 0;
    int32_t stepInterval_ = kStepIntervalMs;
    CTimerRec stepTimer_;
    CTimerRec lockTimer_;
    float forwardLimit_ = 0.1f;
    float forwardRate_ = 0.0f;
    float forwardOffset_ = 0.0f;
    uint8_t returnToRest_ = 1;
    uint8_t alternate_ = 0;
};
