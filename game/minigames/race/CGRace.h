#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "game/minigames/race/RacePainter.h"
#include "game/minigames/race/RaceSpeed.h"
#include "game/minigames/race/RaceSteering.h"
#include "game/minigames/race/RaceTrack.h"
#include "game/shell/TLVGameActivity.h"
#include "game/world/characters/RaceCourse.h"

class VFlat;

/// The base of the road races (class id 205): a tall background scrolled upward through a
/// stage-high window that jumps back down when it reaches the top, the road generated section
/// by section and painted into it, a vehicle steered sideways and a little forward or back, and
/// shots fired after a reload. The races fill the hooks: what is placed, what a hit does, the
/// goal's halves.
class CGRace : public TLVGame_Activity,
               public CRaceCourse,
               public CGRaceTrackHooks,
               public CGRaceSteeringHost {
public:
    static constexpr uint32_t kClassId = 205;
    enum : uint32_t { kPropRoadEntry = 1, kPropRowsPerSection = 2, kPropBandHeight = 3 };
    static constexpr uint32_t kKeyOpenBracket = 219;
    static constexpr uint32_t kKeyCloseBracket = 221;
    static constexpr int32_t kInputPhases = 4;
    static constexpr int32_t kCleanupPhase = 2;
    static constexpr float kVehicleRow = 0.85f;

    CGRace(const char* name = "CGRace", uint32_t classId = kClassId);
    ~CGRace() override;

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// Setup: the level, the road, the vehicle, the clocks.
    int32_t OnActivated() override;
    /// Teardown: the road's pools, the vehicle, then the game's stop.
    int32_t FlushSoundQueues() override;
    /// Tick: the scroll, the paint requests, the speed.
    int32_t OnIdle() override;
    void OnScrolled() override;
    /// Steer: one input phase.
    void OnStep(int32_t phase) override;
    /// ALT released fires; ENTER, ESC or SPACE while a panel shows blinks the end panel's first
    /// button before the base handling.
    void OnKey(uint32_t key) override;
    /// The pointer moved over the race: it may take over the steering.
    void OnMouseMove() override { SelectPointerSteering(); }
    /// A press fires once the reload is over.
    void OnButtonDown() override { TryFire(); }
    void Pause() override;
    void Resume() override;
    using TLVGame_Activity::Resume;
    void OnAppSuspend() override;
    void OnAppResume() override;
    /// Closing the last panel starts the engine sound of the player's vehicle.
    void HidePanel(int16_t panel, uint8_t flush) override;

    // ---- Hooks of the races -------------------------------------------------------------------
    virtual void OnChargesExhausted() {}
    virtual void OnGoalReached() {}
    void ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t bias,
                        bool finish) override;
    virtual int32_t OnLeftVergeHit(OActivityProp* /*prop*/, OActivityProp* /*piece*/) { return 1; }
    virtual int32_t OnRightVergeHit(OActivityProp* /*prop*/, OActivityProp* /*piece*/) { return 1; }
    virtual int32_t OnObjectHit(OActivityProp* /*prop*/, OActivityProp* /*other*/) { return 1; }
    TLV_Object* MakeFinishProp(int32_t /*side*/) override { return nullptr; }
    ChunkId PartForKind(int32_t /*kind*/, uint32_t /*classId*/) override { return kNullChunkId; }
    virtual void PreloadPools() {}
    /// The scroll jumped back: every piece and object moves by the offset.
    virtual void ShiftObjects(float dy, float dx) { track_.ShiftObjects(dy, dx); }
    virtual void Fire() { RestartClock(); }
    void OnSteerLeft() override {}
    void OnSteerRight() override {}
    void OnSteerCentre() override {}
    void PlayFinishCue() override;
    /// Kinds 0 and 1 start the bonus clock.
    void StartBonusClock(int32_t kind);
    bool IsBonusClockRunning() const;

    // ---- The race's operations ----------------------------------------------------------------
    void TryFire();
    void RestartClock();
    void StopRaceClock() { raceClock_.Stop(); }
    void SelectPointerSteering();
    void UpdateSpeed() override;
    bool BelowMaxSpeed() override;
    void SetThrottle(bool back, bool stop) override;
    void DecRemaining(OActivityProp* object);
    void CountGoal();
    bool TestLeftVerge(OActivityProp* prop) override;
    bool TestRightVerge(OActivityProp* prop) override;
    bool TestObjectHit(OActivityProp* prop) override;
    /// The shots' hit test: a verge, else a live object, for the current race.
    static bool HitTestCallback(OActivityProp* prop);

    // ---- What the racing characters ask -------------------------------------------------------
    uint16_t GetRaceWorld() const override { return world_; }
    OActivityProp* GetRaceVehicle() override;
    int32_t GetScrollSpeed() override;
    CPoint16 GetScrollOrigin() override;
    int32_t GetRaceWidth() override { return GetStageWidth(); }
    bool IsLive(OActivityProp* prop) override { return track_.Objects().IsLive(prop); }
    bool RetireObject(OActivityProp* prop, bool hide) override { return track_.Objects().RetireObject(prop, hide); }
    void RemoveObject(OActivityProp* prop) override { track_.Objects().RemoveObject(prop); }
    void MakeRacerEffect(const CPointF&) override {}
    void DropPickup(const CPointF&) override {}
    void DropRandomItem(const CPointF&) override {}

    // ---- Fields --------------------------------------------------------------------------------
    uint16_t GetRoadEntry() const { return roadEntry_; }
    ChunkId GetRoadListId() const { return roadListId_; }
    int32_t GetRowsPerSection() const { return rowsPerSection_; }
    int32_t GetBandHeight() const { return bandHeight_; }
    int32_t GetLevel() const { return level_; }
    int32_t GetSectionCount() const { return sectionCount_; }
    int32_t GetCurrentSection() const { return currentSection_; }
    int32_t GetReloadTime() const { return reloadTime_; }
    const CTimerRec& GetReloadClock() const { return reloadClock_; }
    const CTimerRec& GetRaceClock() const { return raceClock_; }
    uint16_t GetChargesUsed() const { return chargesUsed_; }
    uint16_t GetGoalCount() const { return goalCount_; }
    VFlat* GetVehicle() const { return vehicle_; }
    CGRaceTrack& Track() { return track_; }
    CGRacePainter& Painter() { return painter_; }
    CGRaceSpeed& Speed() { return speed_; }
    CGRaceSteering& Steering() { return steering_; }

protected:
    /// Clamps the property values to the stage (traced when out of range).
    void ClampSettings();
    std::vector<CGRaceSection*>& PaintedSections() { return track_.Sections(); }

    uint16_t world_ = 0;
    ChunkId vehiclePartId_ = kNullChunkId;
    ChunkId counterIcons_[2] = {};
    uint16_t chargesLeft_ = 0;
    uint16_t chargesUsed_ = 0;
    uint16_t goalCount_ = 0;
    uint16_t goalMaximum_ = 99;
    int32_t bonusTime_ = 1000;
    uint8_t ended_ = 0;
    int32_t endState_ = -1;
    /// The race steers the vehicle to the middle of the road by itself.
    uint8_t arriving_ = 0;

private:
    /// Counter 0 shows the charges used, counter 1 the world's badges, each when its icon is set.
    void ShowCounters();
    void RefreshCounters();
    void MakeVehicle();
    /// The racers that reached a verge wait there to cross toward the other side.
    void TurnRacersAtVerges();
    bool VehicleHasSteps() const;
    float VehicleLean() const;
    float VehicleForward() const;
    void PauseClocks(bool all);
    void ResumeClocks(bool all);

    uint16_t roadEntry_ = 0;
    ChunkId roadListId_ = kNullChunkId;
    int32_t rowsPerSection_ = 1;
    int32_t bandHeight_ = 80;
    int32_t level_ = 1;
    int32_t sectionCount_ = 0;
    int32_t currentSection_ = 0;
    int32_t currentBand_ = 0;
    uint8_t bandPaintRequest_ = 0;
    uint8_t repaintRequest_ = 0;
    VFlat* vehicle_ = nullptr; // a child of the race
    CTimerRec frameClock_;
    uint32_t lastFrameTime_ = 0;
    CTimerRec reloadClock_;
    int32_t reloadTime_ = 1000;
    CTimerRec bonusClock_;
    CTimerRec raceClock_;
    int32_t raceTime_ = 40000;
    CGRaceSpeed speed_;
    CGRaceSteering steering_;
    CGRaceTrack track_;
    CGRacePainter painter_;
};
