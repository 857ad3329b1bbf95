#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/ActivityProp.h"
#include "engine/core/Timer.h"

class OMessageProcess;

/// The host character (class id 100): an animated prop that speaks the game's voice lines. While
/// silent it plays idle animations at random intervals; speaking, it either moves its mouth with
/// the levels of the voice on its sound pipe (the frame of its speaking state follows the level)
/// or plays a list of states. It registers by its role name with the application's message
/// process while it has a parent, and tells that process when a list of states has ended.
class OHost : public OActivityProp {
public:
    static constexpr uint32_t kClassId = 100;
    /// Property family 100: id 1 is the role name as text ("0" for none).
    static constexpr uint32_t kPropRoleName = 1;
    static constexpr size_t kRoleNameBytes = 32;
    enum Mode : int32_t { kIdle = 0, kSpeaking = 1, kSpeakingList = 2 };
    static constexpr int32_t kIdleBase = 5000;
    static constexpr int32_t kIdleSpread = 1000;
    /// Mouth steps a second when the voice's table does not say.
    static constexpr int32_t kLipSyncRate = 15;

    OHost(const char* name = "OHost", uint32_t classId = kClassId);
    /// Leaves the message process.
    ~OHost() override;

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// Registers with the application's message process when given a parent, leaves it when
    /// taken off.
    void OnParentChanged(ONode* newParent) override;
    /// Pause: both timers note the pause tick, then the prop pauses.
    void Suspend(int32_t flag) override;
    /// Resume: both timers move on by the paused time, then the prop resumes.
    void Resume(int32_t flag) override;
    /// Update: the idle animation or the mouth when their timer is due, then the prop's step.
    int32_t OnIdle() override;
    /// Idle: states that are not the host's own are dropped from the queue. Speaking a list:
    /// once no state is pending, the message process hears of it (or the host stops itself).
    int32_t OnAnimationEnd() override;

    const char* GetRoleName() const { return roleName_; }
    /// Copies at most 31 characters (none for null).
    void SetRoleName(const char* name);

    /// Shows the state with the mouth following the voice on the pipe.
    void Speak(int32_t state, int32_t pipe);
    /// Plays the states one after the other.
    void SpeakSequence(const int32_t* states, int32_t count);
    /// Back to idle in the end state.
    void StopSpeaking(int32_t endState);

    /// Base (0 for 5000) and spread of the idle intervals in milliseconds.
    void SetIdleInterval(int32_t base, int32_t spread);
    /// Restarts the idle timer with the interval (0: one drawn).
    void RestartIdleTimer(int32_t interval);
    /// The base, or the base give or take a random amount below the spread.
    int32_t GetIdleInterval() const;
    /// Whether the current state is the key state of an idle animation (empty entries are
    /// dropped on the way).
    bool IsIdleState();
    /// From the key state now shown, one of its states (in turn or at random), returning to the
    /// key state when it ends; nothing while the host or its parent view is hidden.
    void PlayIdleAnimation();
    /// Adds an idle animation: the states that may follow the key state.
    void AddIdleAnimation(int32_t keyState, const int32_t* states, int32_t count);
    void ClearIdleAnimations() { idle_.clear(); }
    /// Idle animations in turn (1) or at random (0).
    void SetIdleInOrder(uint8_t inOrder) { idleInOrder_ = inOrder; }

    int32_t GetMode() const { return mode_; }
    int32_t GetSpeechPipe() const { return speechPipe_; }
    int32_t GetMouthPeak() const { return mouthPeak_; }
    int32_t GetMouthLevel() const { return mouthLevel_; }
    int32_t GetMouthFrame() const { return mouthFrame_; }
    const CTimerRec& GetIdleTimer() const { return idleTimer_; }
    const CTimerRec& GetSpeechTimer() const { return speechTimer_; }

private:
    struct IdleAnimation {
        int32_t keyState = 0;
        int32_t next = 0;
        std::vector<int32_t> states;
    };

    /// Sets the frame of the speaking state from the voice's level at its play position.
    void UpdateMouth();
    /// The newest idle animation of the current state, empty ones dropped; null when none.
    IdleAnimation* FindIdleAnimation();
    /// Whether the state is a key state or one of the states of an idle animation.
    bool IsOwnIdleState(int32_t state) const;
    /// Drops the part's pending states.
    void ClearPendingStates();

    char roleName_[kRoleNameBytes] = {};
    int32_t mode_ = kIdle;
    CTimerRec speechTimer_;
    int32_t speechPipe_ = -1;
    int32_t mouthPeak_ = 1;
    int32_t mouthFrame_ = 0;
    int32_t mouthLevel_ = 0;
    int32_t damping_ = 0;
    int32_t lipSyncRate_ = kLipSyncRate;
    uint8_t idleInOrder_ = 0;
    CTimerRec idleTimer_;
    int32_t idleBase_ = kIdleBase;
    int32_t idleSpread_ = kIdleSpread;
    std::vector<IdleAnimation> idle_;
    /// Counts Speak and SpeakSequence, so an animation end that started a new line leaves its
    /// states alone.
    uint32_t lines_ = 0;
};
