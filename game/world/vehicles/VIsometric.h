#pragma once
#include <cstdint>
#include <vector>

#include "engine/base/Point.h"
#include "engine/core/Timer.h"
#include "game/world/vehicles/Vehicle.h"

/// The footprint of a vehicle on the ground: four corners (front and back, each side), as
/// floats and rounded, and the rounded corners' bounding box.
struct CVehicleFootprint {
    CPointF corners[4];
    CPoint16 points[4];
    int16_t left = 0;
    int16_t top = 0;
    int16_t right = 0;
    int16_t bottom = 0;
};

/// The vehicle of the town worlds, the round-ups and the puzzles ("VIsometric", class id 2010):
/// one animation state per heading (32 in each state group, state = group x 32 + heading). Its
/// owner calls the drive and turn keys; each frame a small drive machine steps the throttle
/// (every 90 ms), turns (every 45 ms), moves along the heading's vector, asks the touch hook
/// about every new place, steers toward a target when asked, keeps a trail of way points for
/// the characters that follow it and keeps its draw order from its ground position.
class VIsometric : public Vehicle {
public:
    static constexpr uint32_t kClassId = 2010;
    /// Drive states.
    enum : int32_t { kHalted = 0, kStarting = 1, kMoving = 2, kStartingToTarget = 3, kMovingToTarget = 4 };
    static constexpr int32_t kTurnMs = 45;
    static constexpr int32_t kThrottleMs = 90;
    static constexpr int32_t kTrailLength = 20;
    /// A way-point index beyond this is refused (the list would only grow without use).
    static constexpr int32_t kMaxWayPoints = 4096;
    /// Within this angle (radians, 7.5 degrees) the motion already points at the target.
    static constexpr double kSteerDeadBand = 0.1309;

    VIsometric(const char* name = "VIsometric", uint32_t classId = kClassId);
    /// Deletes the companion made from the part (the attached prop goes with Vehicle).
    ~VIsometric() override;

    bool IsA(uint32_t classId) const override;
    /// The turn and throttle timers stand still with the motion.
    void Suspend(int32_t flag) override;
    void Resume(int32_t flag) override;
    /// The per-frame step of the drive machine; the motion's continue flag.
    int32_t OnIdle() override;
    /// Moves, then every attached object re-sorts its draw order.
    void SetPosition(const CPointF& point, uint8_t relative, uint8_t moveAttached) override;
    /// Moves without the re-sort (the motion's own setter).
    void MoveBy(float x, float y, uint8_t relative, uint8_t moveAttached) override;
    /// The state on the vehicle and its attached prop, then on both companions.
    void SetState(int32_t index) override;
    /// The ground distance: a vertical distance on the stage counts twice.
    double DistanceTo(const CPointF& point) override;
    /// Priority 5 x (rounded ground y + the state's base value), the shadow one below and the
    /// attached prop one above; the owner's companion re-sorts itself.
    void UpdateZOrder() override;
    void DrawPlain(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) {
        OActivityProp::Draw(destination, point, source, target);
    }

    // Drive and turn keys.
    void DriveKeyPos();
    void DriveKeyNeg();
    void DriveKeyUp();
    void TurnKeyNeg();
    void TurnKeyPos();
    void TurnKeyUp();
    /// Stops at once: on-halt callback (with a top speed above 0), no motion, throttle 0,
    /// drive state and directions 0.
    void Halt();
    /// Starting: halt; moving: brake to a halt.
    void StopKeys();
    /// A new top speed above 0 that keeps the actual speed (the throttle takes the ratio).
    void SetSpeed(float speed);
    /// Drives toward the point, steering by itself.
    void SetTarget(const CPoint16& point);
    /// Turns by the turn keys toward the point.
    void SteerToTarget(const CPoint16& point);
    /// Moves the heading by `delta`; false when it stays. A refused new heading while moving
    /// is taken back.
    bool TurnBy(int32_t delta);
    /// One heading toward the target; false when there is nothing to turn.
    bool SteerStep();
    /// Turns in place, one heading per turn step, the short way round, to the goal heading.
    void SetHeadingGoal(int32_t goal);

    // Headings and states.
    int32_t Heading();
    void GetHeading(int32_t* out);
    void GetHeadingVector(Vec3* out);
    int32_t GetVariant();
    void SetVariant(int32_t group);
    /// The eight compass directions of the states of group 0 (1 down, 3 right, 5 up, 7 left,
    /// the even codes in between); 0xFFFF for any other state.
    uint16_t GetCompassDir();

    // Ground points.
    void GetGroundPoint(CPoint16* out);
    void GetGroundPointF(CPointF* out);
    float GetGroundOffset();
    /// The footprint from the shadow part's half-sizes; false without them (half-sizes of 0
    /// or less are traced once).
    bool GetFootprint(CVehicleFootprint* out);

    // The trail.
    void GetWayPoint(CPointF* out, int32_t i) const;
    void GetWayPoint16(CPoint16* out, int32_t i) const;
    void SetWayPoint(int32_t i, const CPoint16& point);
    int32_t NextWayPoint(CPointF* out);
    /// How many objects follow the vehicle along its chain.
    int32_t ChainDepth() const;
    int32_t WayPointCount() const { return int32_t(trail_.size()); }

    // Companions.
    /// The companion the part names, placed at the part's offsets and moving along.
    void CreateChildProp();
    OActivityProp* GetChildProp() const { return childProp_; }
    /// The owner's companion: takes the vehicle's states and re-sorts with it (not owned).
    void SetCompanion(TLV_Object* companion) { companion_ = companion; }
    TLV_Object* GetCompanion() const { return companion_; }

    // Settings and fields.
    int32_t GetDriveState() const { return driveState_; }
    int32_t GetDriveDirection() const { return driveDirection_; }
    int32_t GetLastDriveDirection() const { return lastDriveDirection_; }
    int32_t GetTurnDirection() const { return turnDirection_; }
    float GetTopSpeed() const { return topSpeed_; }
    float GetThrottle() const { return throttle_; }
    void SetThrottle(float throttle) { throttle_ = throttle; }
    float GetAccelerationStep() const { return accelerationStep_; }
    void SetAccelerationStep(float step) { accelerationStep_ = step; }
    float GetDecelerationStep() const { return decelerationStep_; }
    void SetDecelerationStep(float step) { decelerationStep_ = step; }
    const CPointF& GetTarget() const { return target_; }
    int32_t GetHeadingGoal() const { return headingGoal_; }
    uint8_t IsHeadingGoalActive() const { return headingGoalActive_; }
    uint8_t GetSteerToTarget() const { return steerToTarget_; }
    void SetSteerToTarget(uint8_t on) { steerToTarget_ = on; }
    uint8_t IsMoving() const { return moving_; }
    const CPointF& GetPreviousGroundPosition() const { return previousGround_; }
    int32_t GetGroundBias() const { return groundBias_; }
    CTimerRec& TurnTimer() { return turnTimer_; }
    CTimerRec& ThrottleTimer() { return throttleTimer_; }

    // Callbacks.
    Callback onBlocked = nullptr;
    Callback onMoving = nullptr;
    Callback onHalt = nullptr;
    Callback onFullSpeed = nullptr;
    Callback onAccelerate = nullptr;
    Callback onDecelerate = nullptr;

private:
    /// The throttle's part of the step.
    void StepThrottle();
    /// Velocity = heading vector x top speed x throttle; other headings are ignored.
    void AimVelocity(int32_t heading);
    /// The shadow's position when there is a shadow, else the vehicle's.
    CPointF GroundPosition() const;
    /// The state of the same group showing heading `heading`.
    void ShowHeading(int32_t heading);
    /// States 3 and 4 become 1 and 2 (a key takes over from the target).
    void LeaveTargetDriving();
    bool DrivesToTarget() const { return driveState_ == kStartingToTarget || driveState_ == kMovingToTarget; }
    bool InMotion() const { return driveState_ == kMoving || driveState_ == kMovingToTarget; }
    static void Call(Callback callback, VIsometric* vehicle) {
        if (callback) callback(vehicle);
    }

    int32_t driveState_ = kHalted;
    int32_t driveDirection_ = 0;
    int32_t lastDriveDirection_ = 0;
    int32_t turnDirection_ = 0;
    float topSpeed_ = 150.0f;
    float accelerationStep_ = 1.0f;
    float decelerationStep_ = 1.0f;
    float throttle_ = 0.0f;
    CTimerRec turnTimer_;
    CTimerRec throttleTimer_;
    CPointF target_;
    int32_t headingGoal_ = 0;
    uint8_t headingGoalActive_ = 0;
    uint8_t steerToTarget_ = 1;
    uint8_t moving_ = 0;
    uint8_t footprintTraced_ = 0;
    CPointF previousGround_;
    std::vector<CPoint16> trail_;
    OActivityProp* childProp_ = nullptr;
    TLV_Object* companion_ = nullptr;
    int32_t groundBias_ = 0;
};
