#pragma once
#include "game/world/characters/Dweeble.h"

/// The character the player rescues ("DFollower", class id 2410): it shies away from the
/// vehicle until something picks it up, then joins the chain of props behind the vehicle,
/// follows it along its trail, walks to goal points and leaves the world when it arrives.
/// Its routines are Dweeble_Flee, Dweeble_FollowerAct and Dweeble_Follow.
class DFollower : public Dweeble {
public:
    static constexpr uint32_t kClassId = 2410;
    static constexpr int32_t kBumpMs = 250;
    static constexpr int32_t kProgressMs = 1000;
    /// A gain of more than this (pixels) counts as progress toward the goal.
    static constexpr double kProgressGain = 5.0;
    /// A follower farther than this from its target point may jump to its anchor.
    static constexpr double kCatchUpDistance = 500.0;

    DFollower(const char* name = "DFollower", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// The character's step, the bump (back to the vehicle, its end) and the catch-up.
    int32_t OnIdle() override;
    /// A vehicle bumps it (pushed, or refused at the map's edge); anything else picks it up.
    int32_t OnContact(TLV_Object* other) override;
    /// Clears the hurry, then the character's state change.
    void SetBehaviourState(int32_t state) override;
    void SetActionFrames(uint8_t variant) override;
    /// Arrived at its goal: the counters are refreshed and the follower retires.
    void OnArrived() override;

    // ---- Follow operations ------------------------------------------------------------------
    const CPointF& GetGoalPoint() const { return goal_; }
    void SetGoalPoint(const CPointF& goal) { goal_ = goal; }
    void StartFollowing();
    bool ProgressTimerDone() const { return progressTimer_.HasElapsed(); }
    void RestartProgressTimer() { progressTimer_.Start(kProgressMs); }
    /// Restarts the watch; true (and a new best) for a gain of more than 5 pixels.
    bool CheckProgress();
    /// -1 takes the present distance to the goal; any other value is stored.
    void SetBestDistance(double d);
    double GetBestDistance() const { return bestDistance_; }
    /// Directions across the way to the target point, down or up the screen.
    int32_t SideStepDown(int32_t state);
    int32_t SideStepUp(int32_t state);
    void PushGoal(float y, float x);
    void PopGoal();
    /// Whether the vehicle at the front of the target's chain comes at the follower.
    bool IsVehicleComing(bool onlyWhenMoving);
    bool IsGoalOnScreen();
    void MatchLeaderSpeed(OActivityProp* object, int32_t minimum, int32_t extra);
    /// Runs from the vehicle: the new heading, or -1 when no way is free.
    int32_t StartRun();
    /// Once: the flee routine for the idle, walk and flee states, standing frames 8-9.
    void UseFleeRoutines();
    bool IsAtTarget() const { return DistanceFromTarget() < stopDistance_; }
    /// Slows down on the last pixels to a target above it; stops within the stop distance.
    void ApproachTarget();
    /// The object at the front of the chain the target object belongs to (the target itself
    /// when it leads).
    OActivityProp* TargetChainFront() const;

    // ---- Fields -----------------------------------------------------------------------------
    bool IsBumped() const { return bumped_ != 0; }
    bool IsFollowing() const { return following_ != 0; }
    int32_t GetFollowerNumber() const { return number_; }
    void SetFollowerNumber(int32_t n) { number_ = n; }
    bool IsWalkingToGoal() const { return walkingToGoal_ != 0; }
    void SetWalkingToGoal(bool on) { walkingToGoal_ = on ? 1 : 0; }
    float GetStopDistance() const { return stopDistance_; }
    void SetStopDistance(float d) { stopDistance_ = d; }
    bool IsGoalSaved() const { return goalSaved_ != 0; }
    int32_t GetArrivalCount() const { return arrivals_; }
    void SetArrivalCount(int32_t n) { arrivals_ = n; }
    bool IsHurrying() const { return hurry_ != 0; }
    void SetHurry(bool on) { hurry_ = on ? 1 : 0; }
    bool GetStepFlag(int i) const { return stepFlags_[i & 1] != 0; }
    void SetStepFlags(bool first, bool second) {
        stepFlags_[0] = first ? 1 : 0;
        stepFlags_[1] = second ? 1 : 0;
    }

private:
    double DistanceToGoal() const;
    /// The anchor a far follower may jump to: the oldest trail point or its goal.
    bool CatchUpAnchor(CPointF* anchor) const;
    void CatchUp();
    /// The visible stage rectangle at the world's scroll position.
    CRect16 VisibleStage() const;
    int32_t SideStep(int32_t state, bool down);

    uint8_t bumped_ = 0;
    uint8_t following_ = 0;
    int32_t number_ = -1;
    uint8_t walkingToGoal_ = 0;
    CPointF goal_;
    float stopDistance_ = 15.0f;
    CPointF savedGoal_;
    uint8_t goalSaved_ = 0;
    int32_t arrivals_ = 0;
    uint8_t hurry_ = 0;
    double bestDistance_ = 9999.0;
    DweebleStateTimer progressTimer_;
    uint8_t stepFlags_[2] = {};
    DweebleStateTimer bumpTimer_;
    OActivityProp* bumpingVehicle_ = nullptr;
};
