#pragma once
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/core/Timer.h"
#include "engine/data/DynArray.h"
#include "game/shell/TLVComplexObject.h"
#include "game/world/characters/CharacterWorld.h"
#include "game/world/characters/DweebleDirections.h"

class Dweeble;
class OActivityProp;

/// A behaviour routine: called once a frame with the character; reads its state and timers.
using DweebleRoutine = void (*)(Dweeble*);
/// The character's millisecond timers have the engine's timer record layout.
using DweebleStateTimer = CTimerRec;

/// The game's moving character ("Dweeble", class id 2400): people and animals that stand,
/// wander, shy away from the vehicle, run, play action animations and follow a leader. A state
/// 0-17 selects one of seven behaviour routines (one per state group); five frame lists give
/// the standing, walking, running, action and spare frames; the heading is one of 2, 4, 6 or 7
/// directions drawn with one frame per direction pair and mirroring. Each frame the routine
/// runs, the motion is integrated, and in a driving world the move is corrected and accepted
/// by the world.
class Dweeble : public TLVComplex_Object {
public:
    static constexpr uint32_t kClassId = 2400;
    static constexpr uint32_t kCaptiveClassId = 2440;
    static constexpr int32_t kStates = 18;
    static constexpr int32_t kGroups = 7;

    Dweeble(const char* name = "Dweeble", uint32_t classId = kClassId);
    /// Deletes the overlay; the frame lists go with the object.
    ~Dweeble() override;

    bool IsA(uint32_t classId) const override;
    /// The shadow, the overlay and the draw order, then the object's own handler.
    int32_t OnPropertiesLoaded() override;
    /// The shadow, the overlay and the draw order once the part is in.
    void OnPartLoaded() override;
    /// Only the dwell timer stands still while paused.
    void Suspend(int32_t flag) override;
    void Resume(int32_t flag) override;
    /// The routine, the motion, the world's correction and acceptance, the draw order.
    int32_t OnIdle() override;
    /// Ends an action by the action end mode.
    int32_t OnAnimationEnd() override;
    /// Five times the shadow's vertical position (the shadow one below), else five times the
    /// vertical position plus the z bias.
    void UpdateZOrder() override;

    // ---- Operations subclasses replace ------------------------------------------------------
    /// Fills the action list for a variant (the subclasses).
    virtual void SetActionFrames(uint8_t /*variant*/) {}
    /// Stops and shows a random standing frame.
    virtual void ShowRandomFrameA();
    virtual void PickRandomHeading(int32_t state);
    virtual void ChooseHeading(int32_t state);
    virtual void HeadToTarget(int32_t state);
    /// `extra` is for the subclasses that steer by one more value.
    virtual bool SteerAlongHeading(int32_t state, OActivityProp* matchObject, int32_t extra = 0);
    virtual bool SteerAlongHeadingKeepSpeed(int32_t state, OActivityProp* matchObject);
    virtual void ApplyHeading(int32_t state);
    virtual bool HasPassedTarget();
    /// Hooks of the subclasses (the following character arrives through OnArrived).
    virtual void OnHookA() {}
    virtual void OnHookB() {}
    virtual void OnArrived() {}
    virtual void OnHookD() {}
    virtual void OnHookE() {}
    virtual void SetGuardFlag(uint8_t flag) { guardFlag_ = flag; }
    virtual uint8_t GetGuardFlag() { return guardFlag_; }

    // ---- State and routines -----------------------------------------------------------------
    /// The behaviour state: the group's routine, the state timer, the carrying chain head's
    /// animation state and the dwell timer.
    virtual void SetBehaviourState(int32_t state);
    int32_t GetBehaviourState() const { return state_; }
    void SetIdleRoutine(DweebleRoutine r) { if (r) routines_[0] = r; }
    void SetMoveRoutine(DweebleRoutine r) { if (r) routines_[1] = r; }
    void SetFleeRoutine(DweebleRoutine r) { if (r) routines_[2] = r; }
    /// The routine slot of a group (0-6); subclasses fill the slots directly.
    void SetGroupRoutine(int32_t group, DweebleRoutine r);
    DweebleRoutine GetGroupRoutine(int32_t group) const;
    DweebleRoutine GetCurrentRoutine() const { return currentRoutine_; }
    bool HasRoutine(int32_t state) const;
    /// 0 for states 0-11, 1 for 12-14, 2 for 15-17, -1 otherwise.
    int32_t GetFacingGroup() const;
    bool IsStateGroupFacing(int32_t group) const;
    /// The routine slot of a state 0-17; -1 otherwise.
    static int32_t GroupOf(int32_t state);

    // ---- Frames -----------------------------------------------------------------------------
    void AddFramesA(int32_t first, int32_t last) { FillFrames(framesA_, first, last); }
    void AddFramesB(int32_t first, int32_t last) { FillFrames(framesB_, first, last); }
    void AddFramesC(int32_t first, int32_t last) { FillFrames(framesC_, first, last); }
    void AddFramesD(int32_t first, int32_t last) { FillFrames(framesD_, first, last); }
    void AddFramesE(int32_t first, int32_t last) { FillFrames(framesE_, first, last); }
    void RepeatFrameB(int32_t id) { RepeatFrame(framesB_, id); }
    void RepeatFrameC(int32_t id) { RepeatFrame(framesC_, id); }
    const CDynArray<int32_t>& FramesA() const { return framesA_; }
    const CDynArray<int32_t>& FramesB() const { return framesB_; }
    const CDynArray<int32_t>& FramesC() const { return framesC_; }
    const CDynArray<int32_t>& FramesD() const { return framesD_; }
    const CDynArray<int32_t>& FramesE() const { return framesE_; }
    /// Installs the table used for a moving list of `count` frames (1, 2, 3 or 4).
    void SetDirectionTable(int32_t count, const DirectionTable& table);
    int32_t RandomFrameA();
    bool FrameInListA() { return InList(framesA_, GetState()); }
    bool FrameInListB() { return InList(framesB_, GetState()); }
    bool FrameInListD() { return InList(framesD_, GetState()); }
    /// The frame of a direction of list B or C and whether it is drawn mirrored; frame 0 (not
    /// mirrored) when the direction is out of range.
    int32_t MovingFrameB(int32_t direction, bool* mirrored) const { return MovingFrame(framesB_, direction, mirrored); }
    int32_t MovingFrameC(int32_t direction, bool* mirrored) const { return MovingFrame(framesC_, direction, mirrored); }
    /// A random action frame, shown still or as the animation state; -1 when list D is empty.
    int32_t ShowRandomFrameD(bool still);
    void ResumeAnimation();
    /// Sets the frame as the animation state (and queues it); a frame the part lacks is not
    /// shown (traced once).
    void ShowFrame(int32_t frame);

    // ---- Motion ------------------------------------------------------------------------------
    void Stop() { SetVelocity(Vec3(), 0); }
    /// The ground position: the shadow's centre, else the sprite's bottom centre.
    CPointF GetGroundPosition() const;
    /// Moves the sprite so that its rounded ground position lands on the point.
    void SnapToPoint(const CPoint16& point);
    /// The present ground position becomes the last one the world accepted.
    void TakeLastPosition() {
        lastPosition_ = GetGroundPosition();
        hasLastPosition_ = 1;
    }
    /// The current speed from the object's speed, truncated, plus `extra`; at least `minimum`.
    void MatchSpeed(OActivityProp* object, int32_t minimum, int32_t extra);
    void SelectSpeed(int32_t state);

    // ---- Directions and searches ---------------------------------------------------------------
    int32_t DirectionCount(int32_t state) const;
    Vec3 DirectionVector(int32_t state, int32_t direction) const;
    int32_t NearestDirection(int32_t state, const Vec3& v);
    int32_t OppositeDirection();
    int32_t ChooseRandomDirection(int32_t state);
    bool FindFreeDirection(Vec3* out, int32_t state, int32_t preferred, int32_t* direction,
                           int32_t callerFlag = 0);
    bool FindBestDirection(Vec3* out, int32_t state, int32_t* direction);
    int32_t FleeDirection(int32_t state, OActivityProp* fromObject);
    void MoveToTarget();
    void SetTargetByDirection(int32_t state, int32_t direction, bool half);
    /// A new target along the present heading.
    void ChooseTarget(int32_t state, bool half) { SetTargetByDirection(state, heading_, half); }
    Vec3 VectorToTarget() const;
    Vec3 VectorFromTarget() const;
    CPoint16 TargetOffset() const;
    bool IsNearTarget() const;
    double DistanceFromTarget() const;
    Vec3 VectorFromLeader() const;
    double DistanceFromLeader() const;
    Vec3 VectorFromLeaderEnd() const;
    double DistanceFromLeaderEnd() const;
    int32_t StepDistance() const;
    bool IsOnStage(bool overlap, int16_t margin);
    /// Half the map's width and height (the world's map; the origin outside one).
    CPointF MapCentre();
    bool IsOnStageColumn(bool overlap, int16_t margin);

    // ---- Timers ------------------------------------------------------------------------------
    void StartStateTimer(int32_t ms) { stateTimer_.Start(ms); }
    void StartStepTimer(int32_t ms) { stepTimer_.Start(ms); }
    void StartTurnTimer(int32_t ms) { turnTimer_.Start(ms); }
    bool StateTimerDone() const { return stateTimer_.HasElapsed(); }
    bool StepTimerDone() const { return stepTimer_.HasElapsed(); }
    bool TurnTimerDone() const { return turnTimer_.HasElapsed(); }
    void ExpireStateTimer() { Expire(stateTimer_); }
    void ExpireStepTimer() { Expire(stepTimer_); }
    void ExpireTurnTimer() { Expire(turnTimer_); }
    void ExpireTimers();
    /// True once when skipDwell is set, else when the dwell timer has run out.
    bool IsPauseOver();
    void StartDwellTimer(int32_t state, bool halve);
    const DweebleStateTimer& GetStateTimer() const { return stateTimer_; }
    const DweebleStateTimer& GetStepTimer() const { return stepTimer_; }
    const DweebleStateTimer& GetTurnTimer() const { return turnTimer_; }
    const DweebleStateTimer& GetDwellTimer() const { return dwellTimer_; }
    int32_t GetDwellDuration() const { return dwellTimer_.duration; }
    int32_t GetStepInterval() const { return stepTimer_.duration; }
    /// Starts the timer expired (not for a timer without limit).
    static void Expire(DweebleStateTimer& timer);

    // ---- Fields ------------------------------------------------------------------------------
    void SetCharacterWorld(CCharacterWorld* world) { world_ = world; }
    CCharacterWorld* GetCharacterWorld() const { return world_; }
    void SetWalkSpeed(int32_t v) { walkSpeed_ = v; }
    int32_t GetWalkSpeed() const { return walkSpeed_; }
    void SetRunSpeed(int32_t v) { runSpeed_ = v; }
    int32_t GetRunSpeed() const { return runSpeed_; }
    int32_t GetSpeed() const { return speed_; }
    void SetSpeed(int32_t v) { speed_ = v; }
    void SetNoticeDistance(int32_t v) { noticeDistance_ = v; }
    int32_t GetNoticeDistance() const { return noticeDistance_; }
    void SetCloseDistance(int32_t v) { closeDistance_ = v; }
    int32_t GetCloseDistance() const { return closeDistance_; }
    void SetHeading(int32_t h) { heading_ = h; }
    int32_t GetHeading() const { return heading_; }
    void SetIdleParam(int32_t ms) { dwellIdle_ = ms; }
    void SetMoveParam(int32_t ms) { dwellWalk_ = ms; }
    int32_t GetDwellIdle() const { return dwellIdle_; }
    int32_t GetDwellWalk() const { return dwellWalk_; }
    void SetDwellTimes(int32_t action, int32_t flee, int32_t run, int32_t facing1, int32_t facing2);
    void SetSteps(int32_t walk, int32_t run) { walkStep_ = walk; runStep_ = run; }
    OActivityProp* GetTargetObject() const { return targetObject_; }
    void SetTargetObject(OActivityProp* object) { targetObject_ = object; }
    const CPointF& GetTargetPoint() const { return targetPoint_; }
    void SetTargetPoint(const CPointF& point) { targetPoint_ = point; }
    int32_t GetActionEndMode() const { return actionEndMode_; }
    void SetActionEndMode(int32_t mode) { actionEndMode_ = mode; }
    int32_t GetActionLoops() const { return actionLoops_; }
    void SetActionLoops(int32_t loops) { actionLoops_ = loops; }
    int32_t GetActionEnds() const { return actionEnds_; }
    void SetActionEnds(int32_t ends) { actionEnds_ = ends; }
    int32_t GetStateAfterAction() const { return stateAfterAction_; }
    void SetStateAfterAction(int32_t state) { stateAfterAction_ = state; }
    void SetSkipDwell(uint8_t on) { skipDwell_ = on; }
    const CPointF& GetLastPosition() const { return lastPosition_; }
    uint8_t HasLastPosition() const { return hasLastPosition_; }
    void SetWorldChecks(uint8_t on) { worldChecks_ = on; }
    uint8_t GetWorldChecks() const { return worldChecks_; }
    void SetRestAccept(uint8_t on) { restAccept_ = on; }
    uint8_t GetRestAccept() const { return restAccept_; }

private:
    static void FillFrames(CDynArray<int32_t>& list, int32_t first, int32_t last);
    static void RepeatFrame(CDynArray<int32_t>& list, int32_t id);
    static bool InList(const CDynArray<int32_t>& list, int32_t frame);
    int32_t MovingFrame(const CDynArray<int32_t>& list, int32_t direction, bool* mirrored) const;
    /// Whether the part has the frame; traced once when it has not.
    bool FrameExists(int32_t frame);
    /// The direction wrapped into the state's set; -1 when the set is empty.
    int32_t WrapDirection(int32_t state, int32_t direction) const;
    /// The direction k-th in the search order from `preferred`: +0, +1, -1, +2, -2 ...
    static int32_t Candidate(int32_t preferred, int32_t k, int32_t count);
    void TraceTableFault() const;
    /// The moving list of a state (B, or C for state 5).
    const CDynArray<int32_t>& MovingList(int32_t state) const;
    const DirectionTable* TableFor(int32_t frames) const;
    /// The table entry of a direction of the state's set, wrapped into the table (a heading
    /// kept from a longer set); false when the set or the table is empty (traced once).
    bool TableEntry(int32_t state, int32_t direction, CPointF* entry) const;
    int32_t LookAhead(int32_t state) const;
    /// Speed x step interval x 1.25 / 1000, at least `minimum`.
    float ProbeDistance(float minimum) const;
    bool InWorld() const { return world_ != nullptr && world_->IsDrivingWorld(); }
    /// The box about the centre grown by `grow` (zero extents when the rotation is not a right
    /// angle), in map coordinates.
    CRect16 GrownBox(float grow) const;
    /// Tests a step from the ground position by the world's tests; no world: free.
    bool IsStepFree(const CPointF& from, const Vec3& step, int32_t state, int32_t callerFlag,
                    int32_t aboveBand);
    int32_t AboveBandFlag(const CPointF& from);
    /// Chain head's animation state (when another object carries the character).
    void SetChainHeadAnimation(int32_t value);
    /// Tries the directions in random order with the probe step; -1 when none passes.
    int32_t RandomFreeDirection(int32_t state, float probe);
    void WorldRoundTrip();

    CDynArray<int32_t> framesA_;
    CDynArray<int32_t> framesB_;
    CDynArray<int32_t> framesC_;
    CDynArray<int32_t> framesD_;
    CDynArray<int32_t> framesE_;
    DweebleRoutine routines_[kGroups] = {};
    DweebleRoutine currentRoutine_ = nullptr;
    DweebleStateTimer stateTimer_;
    DweebleStateTimer stepTimer_;
    DweebleStateTimer turnTimer_;
    DweebleStateTimer dwellTimer_;
    int32_t dwellIdle_ = 3000;
    int32_t dwellWalk_ = 2000;
    int32_t dwellAction_ = -1;
    int32_t dwellFlee_ = 250;
    int32_t dwellRun_ = 250;
    int32_t dwellFacing1_ = 250;
    int32_t dwellFacing2_ = 250;
    int32_t heading_ = 0;
    int32_t speed_ = 100;
    int32_t walkSpeed_ = 100;
    int32_t runSpeed_ = 300;
    int32_t noticeDistance_ = 225;
    int32_t closeDistance_ = 125;
    int32_t walkStep_ = 100;
    int32_t runStep_ = 150;
    const DirectionTable* directions2_ = &DirectionTables::Two();
    const DirectionTable* directions4_ = &DirectionTables::Four();
    const DirectionTable* directions6_ = &DirectionTables::Six();
    OActivityProp* targetObject_ = nullptr;
    CPointF targetPoint_;
    int32_t actionEndMode_ = 0;
    int32_t actionLoops_ = 2;
    int32_t actionEnds_ = 0;
    int32_t stateAfterAction_ = 0;
    int32_t state_ = 1;
    uint8_t guardFlag_ = 0;
    uint8_t skipDwell_ = 0;
    CPointF lastPosition_;
    uint8_t hasLastPosition_ = 0;
    uint8_t worldChecks_ = 1;
    uint8_t restAccept_ = 0;
    CCharacterWorld* world_ = nullptr;
    /// Each kind of bad table or frame is traced once per character.
    mutable uint8_t tracedTable_ = 0;
    uint8_t tracedFrame_ = 0;
    /// Kept between searches to spare the allocation.
    CCharacterWorld::Obstacles obstacles_;
    CDynArray<int32_t> candidates_;
};
