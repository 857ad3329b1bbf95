#pragma once
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/data/ChunkId.h"
#include "game/world/TLVWorldActivity.h"
#include "game/world/towns/TownTable.h"
#include "game/world/towns/TownTables.h"

class CPlayer;
class ConstraintObject;
class DCaptive;
class TLV_Object;
class VIsometric;

/// The play shared by the towns on top of the driving world: the two tasks and the mission
/// kept in the player record, the challenge areas and their confirmation panel, the siren, the
/// vehicle's sounds, the re-arm of the areas, the spoken lines and the guide arrow's choice.
/// Everything a town does otherwise is its table, or one of the hooks below.
class TownWorld : public TLVWorld_Activity {
public:
    /// The confirmation panel of the challenge areas.
    static constexpr int16_t kConfirmPanel = 6;
    static constexpr int16_t kMenuPanel = 0;
    static constexpr uint32_t kCtrlKey = 17;
    static constexpr uint32_t kSirenPipe = 8;
    static constexpr int32_t kRearmMs = 5000;
    static constexpr int32_t kMaxBadges = 150;
    static constexpr uint32_t kLoudPriority = 999;
    static constexpr int32_t kLoudVolume = 127;
    static constexpr int32_t kEngineRate = 11025;
    static constexpr int32_t kMovieVolume = 32000;
    /// Object ids of the mission's props: fires (or targets) 3-5, captive and pen 6-8.
    static constexpr uint32_t kFirstMissionId = 3;
    static constexpr uint32_t kLastMissionId = 8;
    static constexpr int32_t kMissions = 3;
    /// The count of activity i: the first task, the second, the mission.
    static constexpr int kFirstTask = 0, kSecondTask = 1, kMissionTask = 2;

    TownWorld(const char* name, uint32_t classId, const TownTable& table);

    const TownTable& Table() const { return table_; }
    /// The table's vehicle of the garage value; null when it does not drive here.
    const TownVehicle* FindVehicle(uint16_t value) const;

    /// OnStart: the vehicle's part, the world's start, then the town's (position, counters,
    /// music, visit counter).
    int32_t OnActivated() override;
    /// OnStop: the remembered points, the counter panel released, then the world's stop.
    int32_t FlushSoundQueues() override;
    /// The town step before the world's.
    int32_t OnIdle() override;
    void HidePanel(int16_t panel, uint8_t flush) override;
    void OnButton(int16_t panel, int16_t button) override;
    /// Sightings and the re-arm, then the world's driving step.
    void DriveVehicle() override;
    /// The siren key, then the world's keys.
    void OnKey(uint32_t key) override;
    void OnVehicleHalted() override;
    void OnVehicleAtFullSpeed() override { OnVehicleStarted(); }
    void SetCollectableQuotas() override;
    void EnterArea(int32_t number, int32_t x, int32_t y, int32_t offsetX, int32_t offsetY) override;
    /// The world's intro is the mission: it comes once the tasks are done.
    bool HasIntro() override { return MainTasksDone(); }
    bool IsIntroDone() override { return MissionDone(); }
    void OnIntro() override { StartCurrentMission(); }
    void OnWorldStart() override { HideMissionProps(); }
    /// A deleted captive or pen is the mission's no longer.
    int32_t OnObjectDeleted(OObject* object) override;

    // ---- The tasks and the mission ----------------------------------------------------------
    /// Both quotas left at 0 and at least 4 hero points.
    virtual bool MainTasksDone();
    /// Quota 3 left at 0.
    virtual bool MissionDone();
    virtual int32_t ChooseMission() { return 0; }
    /// Hides the props of object ids 3 to 8; captives stand still.
    virtual void HideMissionProps();
    /// Shows the props of mission m and takes its captive and pen, once per visit.
    void StartMission(int32_t mission);
    void StartCurrentMission() { StartMission(currentMission_); }
    /// The mission's delay, or the town's end.
    virtual void OnTasksDone();
    /// The end of the follower task once the last is home; line 6 while none is.
    virtual void FollowersDelivered();
    /// The mission is finished: the count, the hero point and the sound; the end follows at
    /// once without a captive, else through the captive's rescue.
    void FinishMission();
    /// A task finished: its count, the hero point, the sound, then the tasks' end.
    void FinishTask(int task);
    /// A token taken by the vehicle.
    void CollectToken();

    // ---- Lines and sounds -------------------------------------------------------------------
    /// Queues the captioned voice line of the number (by its marks); unknown numbers nothing.
    void SayLine(int number);
    void PlayLoud(ChunkId sound);
    /// The collect sparkle at the prop with the chime, the arrow's timer restarted, the
    /// once-only flag cleared and the arrow hidden.
    void MarkCollected(OActivityProp* prop);
    virtual void OnVehicleStarted();
    /// The counter panel during the tasks and during the mission.
    virtual void ShowTaskCounters() {}
    virtual void ShowMissionCounters() {}
    void RefreshCounters();

    // ---- Fields the other towns share ---------------------------------------------------------
    int32_t GetCurrentMission() const { return currentMission_; }
    /// The way point last handed to EnterArea.
    int32_t GetAreaNumber() const { return GetCurrentWayPoint(); }
    ChunkId GetPendingActivity() const { return pendingActivity_; }
    const CPoint16& GetStartPosition() const { return startPosition_; }
    int32_t GetStartHeading() const { return startHeading_; }
    bool GetOnceOnlyFlag() const { return onceOnly_ != 0; }
    void SetOnceOnlyFlag(bool on) { onceOnly_ = on ? 1 : 0; }
    bool GetHintGiven() const { return hintGiven_ != 0; }
    bool GetMissionStarted() const { return missionStarted_ != 0; }
    bool GetBadgeLineFlag() const { return badgeLine_ != 0; }
    DCaptive* GetMissionCaptive() const { return captive_; }
    ConstraintObject* GetMissionPen() const { return pen_; }
    /// The guide arrow's timer and its delay are the world's idle timer.
    CTimerRec& ArrowTimer() { return IdleTimer(); }
    int32_t ArrowDelay() { return IdleTimer().duration; }
    void SetArrowDelay(int32_t ms) { IdleTimer().duration = ms; }
    /// The vehicle as the isometric vehicle it is in a town (null otherwise).
    VIsometric* IsoVehicle() { return vehicleIso_; }
    /// The table's vehicle of the player's garage value (null: none of this town).
    const TownVehicle* CurrentVehicle() const { return current_; }
    /// The player record; null without a game object or a player.
    static CPlayer* Player();

protected:
    /// Hooks of the towns.
    virtual void CheckSightings() {}
    /// Fires and the like that the town adds beside its blockers at the start.
    virtual void OnTownStart() {}
    /// The town's music at the start.
    virtual void StartTownMusic();
    /// The mission's props are out and its captive holds its pen.
    virtual void OnMissionStarted() {}
    /// A mission prop's own start (a fire set burning).
    virtual void StartMissionProp(TLV_Object* /*prop*/) {}
    /// Whether the arrow may keep pointing at the target.
    virtual bool KeepsArrowTarget(OActivityProp* target);
    /// Whether the town's task rule chooses the arrow's target (null: none) and its line; false
    /// leaves the choice to the nearest armed way point.
    virtual bool FindTaskTarget(OActivityProp** /*target*/, int* /*line*/) { return false; }
    /// Thins every quota's props down to the quota (captives and pens stay beside it) and
    /// retires the rest; the town may thin a set by its remembered points first.
    void ThinByQuotas();
    /// False when the quota's set is not thinned by remembered points.
    virtual bool ThinRememberedProps(int /*quota*/, CDynArray<OActivityProp*>& /*set*/, int32_t /*keep*/) { return false; }
    /// The rounded positions the town remembers at the stop.
    virtual void SaveCollectablePoints() {}
    /// The counter panel's counters in the rows' order.
    void ShowCounterRows(const towns::CounterShown* rows, size_t count);
    template <size_t N>
    void ShowCounterRows(const towns::CounterShown (&rows)[N]) { ShowCounterRows(rows, N); }
    /// A prop's box: its centre less half its size; none for a prop turned off the right angles.
    static bool PropBox(const OActivityProp* prop, CRect16* box);
    /// Whether the prop's box meets the rectangle.
    static bool PropHits(const OActivityProp* prop, const CRect16& rect);
    /// The vehicle's light prop (null for none).
    OActivityProp* LightProp();
    /// Shows the light one above the vehicle, or hides it.
    void ShowLight(bool show);

private:
    void PlaceVehicle();
    void Rearm();
    void StepTownArrow();
    void ChooseArrowTarget();
    /// The mission's movie between paused pipes.
    void PlayMissionMovie();
    void EnterChallenge(const TownChallenge& challenge);
    void DeliverFollowers(const CPointF& target);
    void ToggleSiren();

    const TownTable& table_;
    const TownVehicle* current_ = nullptr;
    VIsometric* vehicleIso_ = nullptr;
    int32_t currentMission_ = 0;
    ChunkId pendingActivity_;
    /// The player counter of the mini-game the confirmation panel offers (-1: none).
    int pendingCounter_ = -1;
    CPoint16 startPosition_;
    int32_t startHeading_ = 0;
    uint8_t onceOnly_ = 0;
    uint8_t hintGiven_ = 0;
    uint8_t missionStarted_ = 0;
    uint8_t badgeLine_ = 0;
    DCaptive* captive_ = nullptr;
    ConstraintObject* pen_ = nullptr;
};
