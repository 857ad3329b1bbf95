#pragma once
#include <cstdint>

#include "game/world/characters/Dweeble.h"

class Zoo_Arcade_Vine;

/// A monkey of the zoo arcade ("Zoo_Arcade_Monkey", class id 3100): it swings from vine to
/// vine holding a stolen piece of clothing; caught in the spotlight it is hit once, drops
/// straight down and leaves once it is far enough to the right. The activity places it on a
/// vine and makes the drop; the monkey finds its next vine among the activity's children by
/// object id.
class Zoo_Arcade_Monkey : public Dweeble {
public:
    static constexpr uint32_t kClassId = 3100;
    static constexpr int32_t kPriority = 50;
    static constexpr float kMaxSpeed = 1000.0f;
    /// One swing across carries the monkey this far to the right.
    static constexpr float kSwingStep = 131.0f;
    static constexpr float kFallSpeed = 500.0f;
    /// How long a monkey hangs on a vine between swings.
    static constexpr int32_t kSwingPauseMs = 800;
    /// A hit monkey this far to the right leaves.
    static constexpr float kLeaveX = 450.0f;
    /// The leaving frames follow the swinging (0-2), across (3-5) and hit (6-8) frames.
    static constexpr int32_t kFirstLeavingFrame = 9;
    static constexpr int32_t kLeavingFrames = 3;
    enum : int32_t { kSwing = 0, kSwingPause = 1, kHit = 6, kHitFalling = 7, kHitAfter = 8, kSwingAcross = 12,
                     kSwingingAcross = 13, kLeave = 15, kLeaving = 16 };

    Zoo_Arcade_Monkey(const char* name = "Zoo_Arcade_Monkey", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// A hit monkey far enough to the right leaves; then the character's step.
    int32_t OnIdle() override;
    /// On the stage, the end of a swing sets off across, the end of the swing across lands on
    /// the next vine; then the character's handling.
    int32_t OnAnimationEnd() override;
    /// The monkeys keep their draw priority above the jungle.
    void UpdateZOrder() override {}

    /// Back on no vine and not hit, as a fresh monkey from the pool.
    void Reset();
    /// Fresh on the vine of the object id at (x, y): shown, swinging, resting in state 1.
    void Hang(int16_t vineId, float x, float y);
    /// Off the vines: hidden, doing nothing.
    void LetGo();
    /// True the first time only: the spotlight hit it and it lets go of what it holds.
    bool MarkHit();
    bool IsHit() const { return hit_ != 0; }
    int16_t GetVineId() const { return vineId_; }
    void SetVineId(int16_t id) { vineId_ = id; }
    bool IsVineChangePending() const { return vinePending_ != 0; }
    void SetVineChangePending(bool on) { vinePending_ = on ? 1 : 0; }
    /// Where its vine stood when last seen: the monkey moves along with it.
    float GetVineX() const { return vineX_; }
    void SetVineX(float x) { vineX_ = x; }
    /// The vine of its id among the parent's children; null when there is none.
    Zoo_Arcade_Vine* FindVine(int32_t objectId) const;

private:
    static void SwingRoutine(Dweeble* d);
    static void HitRoutine(Dweeble* d);
    static void AcrossRoutine(Dweeble* d);
    static void LeaveRoutine(Dweeble* d);
    /// State 0: a step to the right, onto the next vine when a change is pending.
    void Swing();
    void Hit();
    bool InListE();

    int16_t vineId_ = -1;
    uint8_t hit_ = 0;
    uint8_t vinePending_ = 0;
    float vineX_ = 0.0f;
};
