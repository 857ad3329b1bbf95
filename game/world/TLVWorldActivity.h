#pragma once
#include <cstdint>
#include <string>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "engine/data/DynArray.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/WorldLink.h"
#include "game/world/CoveringFades.h"
#include "game/world/WorldBuckets.h"
#include "game/world/WorldCharacterLink.h"

class OView;
class TLVComplex_Object;
struct xEvent;

/// The driving world ("TLVWorld_Activity", class id 201; never made from activity data), the
/// base of the towns and the round-ups. It sorts the props it takes into 18 typed lists, the
/// spatial buckets, six way-point slots and the add-on and marker lists; it keeps the player's
/// vehicle, a set of world clocks and the fades of the props that cover the vehicle. Every
/// reference it holds to a prop is non-owning: the props are its children, and every way a
/// prop leaves the world (retired, flushed, deleted by the engine, or at the stop) first takes
/// it out of every list, bucket, slot, fade and marked field, so it is deleted once.
class TLVWorld_Activity : public CTLVActivity, public CWorldLink {
public:
    static constexpr uint32_t kClassId = 201;
    /// Property family 201: the ten collectable quotas, ids 1 to 10, 16 bits each.
    static constexpr int kQuotas = 10;

    /// The 18 prop lists, by what AddProp puts into them.
    enum PropList : int {
        kBlockers = 0, kSpawns = 1, kDestructibles = 2, kPushables = 3, kTokens = 4, kFires = 5,
        kChangeables = 6, kHiders = 7, kAvoiders = 8, kBadGuys = 9, kFollowers = 10, kConstraints = 11,
        kCaptives = 12, kGuards = 13, kSubclassList14 = 14, kBags = 15, kRoundUps = 16, kSubclassList17 = 17,
    };
    static constexpr int kPropLists = 18;
    static constexpr int kWayPointSlots = 6;
    /// The current way point when none is being entered.
    static constexpr int32_t kNoWayPoint = 6;
    static constexpr uint32_t kMarkedBlockerId = 100;
    static constexpr uint32_t kMarkedPropId = 101;
    /// The driving mode without driving.
    static constexpr int32_t kNoDriving = 11;
    /// The round-ups' base class, which keeps no followers.
    static constexpr uint32_t kRoundUpClassId = 206;
    /// Counters of the player record that count the towns' visits; all 0 opens the tutorial.
    static constexpr int kVisitCounters[] = {13, 14, 15};
    static constexpr int16_t kTutorialPanel = 4;
    static constexpr int32_t kFadeStepMs = 66;
    static constexpr int32_t kStopDelayMs = 50;
    static constexpr int32_t kIdleMs = 15000;
    static constexpr int32_t kStartHintMs = 30000;
    static constexpr ChunkId kBumpSound = MakeChunkId(7, 13);

    TLVWorld_Activity(const char* name = "TLVWorld_Activity", uint32_t classId = kClassId);
    /// Frees the fades and the lists; the props go with the children.
    ~TLVWorld_Activity() override;

    bool IsA(uint32_t classId) const override;
    /// Family 201: ids 1-10 get or set the quotas (a payload shorter than 16 bits is refused,
    /// traced); other ids answer true and do nothing. Other families go to the game activity.
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// OnStart: the quotas, the props' preparation, the intro, the vehicle, the hint timers,
    /// the drive tutorial, the followers and the idle timer; the game activity's answer.
    int32_t OnActivated() override;
    /// The moving buckets, the game activity's frame, the contact pass once per tick, the stop
    /// timer, the guide arrow, the engine sound and the fades.
    int32_t OnIdle() override;
    /// Mouse moves and clicks go to the world's own hooks with the pointer in client
    /// coordinates (consumed, 0); the rest to the game activity.
    int32_t HandleEvent(const xEvent& event) override;
    /// OnStop: followers saved, the listed props deleted, the vehicle gone, the record saved.
    int32_t FlushSoundQueues() override;
    /// AddProp: buckets, then the first matching list or slot; true.
    bool AcceptObject(OView* object) override;
    /// A game prop the engine deletes leaves every list, bucket, slot and fade first.
    int32_t OnObjectDeleted(OObject* object) override;

    // What the game's props ask of the world.
    CWorldLink* GetWorldLink() override { return this; }
    /// The scroll origin and the stage's size.
    CRect16 GetVisibleRect() override;
    void OnFireRelit(Fire* /*fire*/) override {}
    /// By overlap with the map.
    bool RectInMap(const CRect16& rect, int16_t offset) override;
    TLV_Object* GetVehicle() override;
    int16_t GetVehicleGroundOffset() override { return 0; }
    bool IsMissionDestructible(const TLV_Object* /*prop*/) override { return false; }
    void OnMissionPropDestroyed() override {}

    // ---- Override points of the towns, the round-ups and the driving modules ----------------
    /// Called by RestoreFollowers for each follower it re-attaches.
    virtual void OnFollowerAttached(TLV_Object* /*prop*/) {}
    /// Fills the ten quotas (the towns, the round-ups).
    virtual void SetCollectableQuotas() {}
    /// Keeps quota + the captives and pens of each object id 1-10; draws with xRand.
    virtual void ApplyCollectableQuotas();
    /// Whether the point lies in the border band of the map (sides written when asked).
    virtual bool IsNearMapEdge(const CPoint16& point, int16_t* sideX, int16_t* sideY);
    /// Inside the map shrunk by a positive inset on every side.
    virtual bool IsInsideMap(const CPoint16& point, int16_t inset);
    /// Inside the map and at least 50 below its top.
    virtual bool IsBelowTopBand(const CPoint16& point);
    /// The vehicle took a collectable.
    virtual void OnCollect(TLV_Object* /*prop*/, int32_t /*collected*/) {}
    /// The vehicle's special action: the world only restarts the action timer.
    virtual void DoVehicleAction();
    /// A mission's area was entered (the towns).
    virtual void EnterArea(int32_t /*number*/, int32_t /*a*/, int32_t /*b*/, int32_t /*c*/, int32_t /*d*/) {}
    /// Hides the prop, unlists it and keeps it for FlushPendingProps (null ignored).
    virtual void RetireProp(OActivityProp* prop);
    /// Whether the world has an intro, and whether it was already seen.
    virtual bool HasIntro() { return false; }
    virtual bool IsIntroDone() { return false; }
    /// The guide arrow ({2, 0, 543}, in the main window at the stage's centre, made on first
    /// use) points toward an off-screen target; a marker ({2, 0, 1197}, blended, in the world)
    /// shows over it once it is on screen.
    virtual void ShowGuideArrow(OActivityProp* target);
    /// Each frame: the arrow's direction (eight, a tie to the lower) or the marker.
    virtual void UpdateGuideArrow();
    virtual void HideGuideArrow();
    virtual bool HasGuideTarget() { return arrowTarget_ != nullptr; }
    /// The collectable set the towns choose when the record holds none.
    virtual int32_t PickCollectableSet() { return 0; }
    /// Called by OnStart after the quotas are applied.
    virtual void OnWorldStart() {}
    /// What the world's characters ask of it (a round-up adds its track to the move tests).
    virtual CCharacterWorld* GetCharacterLink() { return &characterLink_; }
    /// Called by OnStart when the intro is to play.
    virtual void OnIntro() {}
    /// The draw order of the on-screen obstacles.
    virtual void UpdateObstacleOrder();
    /// The shown, solid, intact props of the visible rectangle that the vehicle meets.
    virtual void CollectOnScreenObstacles();
    /// The contact pass's collection and sorting (the vehicle's contacts fill them).
    virtual void CollectVehicleContacts();
    virtual void SortOverlaps();
    /// The followers behind the vehicle into the player's entry list, and back.
    virtual void SaveFollowers();
    virtual void RestoreFollowers();
    /// The vehicle's touch of a prop (the contact pass answers touch flags), and of the map's
    /// edge (the side it left by).
    virtual int32_t OnVehicleTouch(TLV_Object* prop);
    /// The vehicle would leave the map: it turns toward free space (the escape search).
    virtual void OnMapEdge(int16_t sideX, int16_t sideY);
    /// The drive tutorial's panel (4) asks again: every sound but pipe 0's stops and its
    /// button 1 blinks.
    void OnPanelDismissed(int16_t panel) override;
    /// Every panel first quiets pipes 3 and 8, hides the vehicle's light, sets the normal
    /// speed and deletes panel 6; panel 4 is the drive tutorial: its picture steps through
    /// its states as the spoken lines end, the pointer shows and the world pauses; its button
    /// 1 closes it.
    void CreateButtonPanel(int16_t panel) override;
    /// Closing the tutorial deletes its picture and starts the hint and idle clocks.
    void HidePanel(int16_t panel, uint8_t flush) override;
    /// Button 1 blinks; panel 2's button 1 starts the exit drive at way point 0, else leaves
    /// the world; panel 2 always ends the way point's visit. Other panels: the game activity.
    void OnButton(int16_t panel, int16_t button) override;
    /// The tutorial picture's next state, when it has one (the tutorial lines' end hook).
    void AdvanceTutorialPicture();
    /// Takes the tutorial picture off its panel and the main window and deletes it.
    void DeleteTutorialPicture();
    OActivityProp* GetGuideArrow() const { return guideArrow_; }
    OActivityProp* GetGuideMarker() const { return guideMarker_; }
    OActivityProp* GetGuideTarget() const { return arrowTarget_; }
    OActivityProp* GetTutorialPicture() const { return tutorial_; }
    /// What the vehicle tells its world: it halted, reached full speed, speeds up, slows
    /// down. The base world does nothing; the round-ups play their sounds here.
    virtual void OnVehicleHalted() {}
    virtual void OnVehicleAtFullSpeed() {}
    virtual void OnVehicleAccelerating() {}
    virtual void OnVehicleDecelerating() {}
    /// The world's mouse hooks: the event carries the pointer in client coordinates.
    virtual void OnWorldMouseMove(const xEvent& event);
    virtual void OnWorldClick(const xEvent& /*event*/) {}
    /// Makes the information overlay once (hidden, in the main window) and fills its text.
    virtual void CreateInfoView();
    /// Takes the overlay off the main window and deletes it.
    void DestroyInfoView();
    /// The screen buttons the world's data brings (its navigation buttons, which are no world
    /// objects): while the world is current they stand on the main window above the map, drawn
    /// and clicked at their own stage places whatever the scroll; a stop gives them back to the
    /// world, which deletes them with its other props.
    void PutScreenButtonsOnStage();
    void TakeScreenButtonsBack();

    // ---- Props --------------------------------------------------------------------------------
    /// AddProp of code that makes props later (the prop is not made a child here).
    bool AddProp(OActivityProp* prop);
    /// Deletes the retired props, the last first.
    void FlushPendingProps();
    /// Every prop of the 18 lists with the object id, appended in list order.
    void FindPropsById(uint32_t objectId, CDynArray<OActivityProp*>& out) const;
    /// Preload flags, remembered parts and the characters' vehicle pairing.
    void PrepareProps();
    /// Whether a box is free of the solid still props of a list.
    bool IsBoxFree(float x0, float y0, float x1, float y1, int list, int32_t a, int32_t b,
                   const CDynArray<OActivityProp*>* exclude);
    /// Makes a character at the spawner and lists it by the spawner's kind (0-2).
    OActivityProp* SpawnCharacter(OActivityProp* spawner);
    /// Plays {7, 0, 13} on any pipe.
    void PlayBumpSound(OActivityProp* prop);
    /// A pen of 300 x 300 beside the blocker nearest to the guard nearest to each fire of the
    /// object id (object id 10 + the fire's index); then the captives of object id 0 without
    /// a pen retire. A fire without a guard or blocker gets no pen (traced).
    void AddConstraintObjects(uint32_t id);
    void CopyWorldText(const char* text) { text_ = text ? text : ""; }
    const std::string& GetWorldText() const { return text_; }

    // ---- Map and view -------------------------------------------------------------------------
    /// The whole map: the origin and the background's size.
    CRect16 GetMapRect();
    bool PointInVisibleRect(const CPoint16& point, int16_t extraTop) const;
    bool RectOverlapsVisibleRect(const CPoint16& a, const CPoint16& b, int16_t extraTop) const;
    /// Scrolls so that the prop's centre is in the middle of the stage, never below 0.
    void CenterViewOn(OActivityProp* prop);
    /// The visible rectangle from the scroll position (the contact pass does it each time).
    void RefreshVisibleRect() { visibleRect_ = GetVisibleRect(); }

    // ---- Searches -----------------------------------------------------------------------------
    bool HasWayPointMarkers() const { return markers_.Count() > 0; }
    bool FindNearestWayPointMarker(const CPointF& point, CPointF* position) const;
    OActivityProp* FindNearestFreeProp(int list, float x, float y, const OActivityProp* except) const;
    OActivityProp* FindNearestShownProp(int list, float x, float y, const OActivityProp* except) const;
    /// The nearest armed way point of slots 1-4 other than the current one; -1 when none.
    int32_t NearestWayPoint() const;
    int32_t CountFollowers() const;
    bool IsFollower(const OActivityProp* prop) const;

    // ---- Vehicle ------------------------------------------------------------------------------
    /// Makes, sets up and adds the player's vehicle when its part is in the game's part file.
    void CreateVehicle();
    void DestroyVehicle();
    /// The characters of lists 8, 10, 13 and 14 head for (or shy from) the target.
    void SetCharacterTargets(OActivityProp* target);
    /// Whether the player drives the second vehicle of the town's pair (numbers 1, 3 and 5).
    bool SecondVehicleDriven() const;
    /// 11025 x (1 + |v| / start speed) with the isometric factors, held to 16 bits.
    int32_t EngineSoundRate() const;

    // ---- Buckets and fades --------------------------------------------------------------------
    bool AddToStillBuckets(OActivityProp* prop) { return buckets_.AddStill(prop); }
    bool AddToMovingBuckets(OActivityProp* prop) { return buckets_.AddMoving(prop); }
    void RemoveFromBuckets(const OActivityProp* prop) { buckets_.Remove(prop); }
    void ClearMovingBuckets() { buckets_.ClearMoving(); }
    /// The moving props of lists 1, 3, 8, 9, 10, 13, 14, 16 and 17, each from last to first,
    /// then the moving props AddProp took that none of the lists holds, also last to first.
    void RebuildMovingBuckets();
    void QueryBuckets(CWorldBuckets::PropList& result, int c0, int r0, int c1, int r1) const {
        buckets_.QueryCells(result, c0, r0, c1, r1);
    }
    void QueryRect(CPoint16 a, CPoint16 b, CWorldBuckets::PropList& result) const { buckets_.QueryRect(a, b, result); }
    void QueryPoint(CPoint16 point, CWorldBuckets::PropList& result) const { buckets_.QueryPoint(point, result); }
    /// The props of the visible rectangle that cover the vehicle start fading.
    void FadeCoveringProps();
    void StepFades() { fades_.Step(); }

    // ---- Fields -------------------------------------------------------------------------------
    const CDynArray<OActivityProp*>& GetList(int list) const { return lists_[list]; }
    const CDynArray<OActivityProp*>& GetAddOns() const { return addOns_; }
    const CDynArray<OActivityProp*>& GetWayPointMarkers() const { return markers_; }
    const CDynArray<OActivityProp*>& GetRetired() const { return retired_; }
    const CDynArray<OActivityProp*>& GetUnlistedMovers() const { return unlistedMovers_; }
    const CDynArray<OActivityProp*>& GetObstacles() const { return obstacles_; }
    const CDynArray<OActivityProp*>& GetContacts2() const { return contacts2_; }
    const CDynArray<OActivityProp*>& GetContacts3() const { return contacts3_; }
    OActivityProp* GetWayPoint(int slot) const {
        return slot >= 0 && slot < kWayPointSlots ? wayPoints_[slot] : nullptr;
    }
    OActivityProp* GetMarkedBlocker() const { return markedBlocker_; }
    OActivityProp* GetMarkedProp() const { return markedProp_; }
    const CWorldBuckets& GetBuckets() const { return buckets_; }
    const CCoveringFades& GetFades() const { return fades_; }
    /// Whether any list, bucket, slot, fade or marked field still holds the prop.
    bool Holds(const OActivityProp* prop) const;

    uint16_t GetQuota(int k) const { return k >= 1 && k <= kQuotas ? quotas_[k - 1] : 0; }
    void SetQuota(int k, uint16_t value) {
        if (k >= 1 && k <= kQuotas) quotas_[k - 1] = value;
    }
    int32_t GetCollectableSet() const { return collectableSet_; }
    void SetCollectableSet(int32_t set) { collectableSet_ = set; }
    ChunkId GetVehiclePartId() const { return vehiclePartId_; }
    void SetVehiclePartId(ChunkId id) { vehiclePartId_ = id; }
    float GetStartSpeed() const { return startSpeed_; }
    void SetStartSpeed(float speed) { startSpeed_ = speed; }
    float GetArrivalRadius() const { return arrivalRadius_; }
    float GetAccelerationStep() const { return accelerationStep_; }
    float GetDecelerationStep() const { return decelerationStep_; }
    void SetSteps(float acceleration, float deceleration) {
        accelerationStep_ = acceleration;
        decelerationStep_ = deceleration;
    }
    int32_t GetBorderMargin() const { return borderMargin_; }
    void SetBorderMargin(int32_t margin) { borderMargin_ = margin; }
    int32_t GetDrivingMode() const { return drivingMode_; }
    void SetDrivingMode(int32_t mode) { drivingMode_ = mode; }
    int32_t GetStopFlag() const { return stopFlag_; }
    void SetStopFlag(int32_t flag) { stopFlag_ = flag; }
    float GetNormalSpeed() const { return normalSpeed_; }
    float GetSirenSpeed() const { return sirenSpeed_; }
    /// The town's cruising and siren speeds for its vehicle.
    void SetVehicleSpeeds(float normal, float siren) {
        normalSpeed_ = normal;
        sirenSpeed_ = siren;
    }
    int32_t GetSirenFlag() const { return sirenFlag_; }
    void SetSirenFlag(int32_t flag) { sirenFlag_ = flag; }
    int32_t GetActionCooldown() const { return actionCooldown_; }
    void SetActionCooldown(int32_t ms) { actionCooldown_ = ms; }
    int32_t GetCurrentWayPoint() const { return currentWayPoint_; }
    void SetCurrentWayPoint(int32_t slot) { currentWayPoint_ = slot; }
    int32_t GetStartHintFlag() const { return startHintFlag_; }
    void SetStartHintFlag(int32_t flag) { startHintFlag_ = flag; }
    int32_t GetTutorialPending() const { return tutorialPending_; }
    const CRect16& GetVisibleRectField() const { return visibleRect_; }
    OView* GetInfoView() const { return infoView_; }
    CTimerRec& KeyTimer() { return keyTimer_; }
    CTimerRec& IdleTimer() { return idleTimer_; }
    CTimerRec& ActionTimer() { return actionTimer_; }
    CTimerRec& WorldHintTimer() { return startHintTimer_; }
    CTimerRec& IntroTimer() { return introTimer_; }
    CTimerRec& StopTimer() { return stopTimer_; }
    const CTimerRec& GetFadeTimer() const { return fadeTimer_; }
    const CTimerRec& GetContactTimer() const { return contactTimer_; }

protected:
    /// Makes the player's vehicle (class 2010) through the game's factory; null while that
    /// class has no maker that gives a moving prop. Tests give worlds a vehicle of their own.
    virtual TLVComplex_Object* MakeVehicle();
    /// Gives the world its information overlay (owned; deleted at the stop).
    void SetInfoView(OView* view) { infoView_ = view; }

private:
    /// Takes the prop out of the 18 lists, the add-on and marker lists, the buckets, the fades,
    /// the obstacle and contact lists, the way-point slots and the marked fields.
    void ForgetProp(const OActivityProp* prop);
    /// Sorts the prop by its class (steps 2 and 3 of AddProp); whether CTLVActivity takes it.
    bool SortProp(OActivityProp* prop);
    /// Keeps a moving prop that AddProp sorted into none of the lists the moving tables are
    /// rebuilt from (a bystander, a breakable moving prop), so that it is rebuilt too.
    void KeepUnlistedMover(OActivityProp* prop);
    /// Enters an Interaction_Point into the slot of its object id.
    void TakeWayPoint(OActivityProp* prop);
    void Append(CDynArray<OActivityProp*>& list, OActivityProp* prop);
    /// The first prop nearer than `start` to the point, by centre distance; ties keep the first.
    template <class Skip>
    OActivityProp* Nearest(int list, float x, float y, double start, Skip skip) const;
    /// The hiders watch the vehicle.
    void WatchVehicleFromHiders();
    /// Deletes every prop of the 18 lists (their shadows and overlays first).
    void DeleteListedProps();

    ChunkId vehiclePartId_ = kNullChunkId;
    float startSpeed_ = 200.0f;
    float arrivalRadius_ = 50.0f;
    float accelerationStep_ = 0.1f;
    float decelerationStep_ = 0.2f;
    int32_t borderMargin_ = 100;
    CDynArray<OActivityProp*> lists_[kPropLists];
    uint16_t quotas_[kQuotas] = {};
    CDynArray<OActivityProp*> addOns_;
    CDynArray<OActivityProp*> markers_;
    CTimerRec keyTimer_;
    CTimerRec idleTimer_;
    TLVComplex_Object* vehicle_ = nullptr;
    int32_t drivingMode_ = 7;
    int32_t stopFlag_ = 1;
    float normalSpeed_ = 150.0f;
    float sirenSpeed_ = 225.0f;
    int32_t sirenFlag_ = 0;
    CTimerRec actionTimer_;
    int32_t actionCooldown_ = 500;
    OActivityProp* wayPoints_[kWayPointSlots] = {};
    int32_t currentWayPoint_ = kNoWayPoint;
    OActivityProp* markedBlocker_ = nullptr;
    OActivityProp* markedProp_ = nullptr;
    OView* infoView_ = nullptr;
    std::string text_;
    int32_t collectableSet_ = -1;
    int32_t startHintFlag_ = 1;
    CTimerRec startHintTimer_;
    CTimerRec introTimer_;
    CDynArray<OActivityProp*> retired_;
    /// The moving props of KeepUnlistedMover, in the order AddProp took them.
    CDynArray<OActivityProp*> unlistedMovers_;
    CTimerRec stopTimer_;
    CRect16 visibleRect_;
    CDynArray<OActivityProp*> obstacles_;
    CDynArray<OActivityProp*> contacts2_;
    CDynArray<OActivityProp*> contacts3_;
    CCoveringFades fades_;
    CTimerRec fadeTimer_;
    CTimerRec contactTimer_;
    int32_t tutorialPending_ = 0;
    CWorldBuckets buckets_;
    /// Per-frame query results, kept to spare the allocation.
    CWorldBuckets::PropList query_;
    CWorldBuckets::PropList candidates_;
    /// What the world's characters ask of it.
    CWorldCharacterLink characterLink_{this};
    /// The guide arrow (a child of the main window, owned), its marker (a child of the world)
    /// and the prop it points at; the tutorial picture while panel 4 exists.
    OActivityProp* guideArrow_ = nullptr;
    OActivityProp* guideMarker_ = nullptr;
    OActivityProp* arrowTarget_ = nullptr;
    OActivityProp* tutorial_ = nullptr;
    CDynArray<OActivityProp*> screenButtons_;
    static constexpr int32_t kScreenButtonPriority = 1;

    // ---- Contacts ----
public:
    /// Enters the area of an armed way point the prop stands on (1), re-arming the way points
    /// it has left; 0 when no area was entered.
    int32_t CheckWayPoints(TLV_Object* prop);
    /// Turns the vehicle in place toward free space; `prop` is the prop it ran into (or null).
    void FindEscapeHeading(TLV_Object* prop);
    /// Whether a pushed prop may stand where it is now.
    bool CanPushTo(TLV_Object* prop);
    /// A moving character's contacts with the props around it; 1 when any reacted.
    int32_t TouchProps(TLV_Object* character);
    /// Appends the props of the point's map cell whose chain head is solid at the point.
    void GatherPropsAt(const CPointF& point, CDynArray<OActivityProp*>& list);
    /// Whether the straight way is free of the vehicle (unless `vehicleFlag`) and of the
    /// blocking props of `props`; the end must lie on the map (below the top band unless
    /// `bandFlag`). With `escapeFlag` a mover already touching the vehicle may leave it.
    bool IsMoveBoxFree(const CPointF& start, const CPointF& end, int32_t vehicleFlag, int32_t bandFlag,
                       const CDynArray<OActivityProp*>* props, int32_t escapeFlag);
    /// Whether a mover may stand at the point.
    bool AcceptPosition(const CPointF& point, int32_t vehicleFlag, int32_t bandFlag);
    /// The place a mover reaches on its way from `from` to `to`: the first hit, else `to`.
    void ResolveMove(CPointF* out, const CPointF& from, const CPointF& to, int32_t flag, int32_t* changed);
    /// Whether the way is free, gathering the props of the map cells it covers.
    bool CanMoveTo(const CPointF& start, const CPointF& end, int32_t bandFlag, int32_t vehicleFlag);
    /// A placement check the towns may refine; the base world accepts every placement.
    virtual bool AcceptPlacement(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { return true; }
    /// Carries the vehicle's draw-order move over to the props overlapping the moved ones.
    void CollectOverlaps();
    using CTLVActivity::Draw;
    /// Draws the world at (x, y) of the destination.
    void Draw(CDrawSurface* destination, int16_t x, int16_t y, const CClipRect& source, const CClipRect& target);
    /// The rounded corners of the last footprint the draw-order pass built, and their box.
    const CPoint16& GetFootprintPoint(int i) const { return footprintPoints_[i & 3]; }
    const CRect16& GetFootprintBox() const { return footprintBox_; }
    /// The draw priority the pass aims a listed prop at (the prop's own when none).
    int32_t GetOverlapTarget(const OActivityProp* prop) const;
    /// Which side the next escape search tries first; flips with every try.
    static inline uint8_t escapeSide = 0;

    /// Whether the prop stops movers: blockers, changeables, pushables, and intact shown
    /// destructibles.
    static bool IsBlocking(const OActivityProp* prop);

private:
    void SetOverlapTarget(const OActivityProp* prop, int32_t target);
    bool InMoveRect(int32_t x, int32_t y, int32_t bandFlag);

    CPointF footprintCorners_[4];
    CPoint16 footprintPoints_[4];
    CRect16 footprintBox_;
    /// The target priority of each prop on the in-front (contacts2) or behind (contacts3) list.
    std::vector<std::pair<const OActivityProp*, int32_t>> overlapTargets_;

    // ---- Driving input ----
public:
    /// A finished mission: nothing drives any more.
    static constexpr int32_t kMissionDoneMode = 12;
    /// The space latch: drive or stop (any other value does neither).
    static constexpr int32_t kLatchDrive = 0;
    static constexpr int32_t kLatchStop = 1;
    static constexpr size_t kInfoLineSize = 256;
    /// Room for the whole overlay text with both world lines full.
    static constexpr size_t kInfoTextSize = 2048;

    /// The input step of a frame: a key held in a mouse twin takes it back to its keys, the
    /// mode's step turns the keys and the pointer into the vehicle's keys, then the overlay.
    virtual void DriveVehicle();
    /// A watched key was released: modes, the overlay, speed and tuning, the cursor; every
    /// key then goes to the game activity's handler.
    void OnKey(uint32_t key) override;
    /// Refills the overlay when it is shown.
    void UpdateInfoText();
    /// The overlay's text into the buffer (cut to fit, always terminated); its length.
    size_t FormatInfoText(char* buffer, size_t size);
    /// The action, cooldown and key clocks stand still with the activity.
    void Pause() override;
    void Resume() override;
    using CTLVActivity::Resume;
    /// A press on the world: the vehicle's action, once the cooldown has run out.
    void OnMousePress();
    void OnButtonDown() override { OnMousePress(); }
    /// The overlay's colour key: the next of eight text colours while the overlay shows.
    virtual void CycleInfoColour();
    /// The input phase of the step timer runs the input step.
    void OnStep(int32_t index) override;

    int32_t GetSpaceLatch() const { return spaceLatch_; }
    void SetSpaceLatch(int32_t latch) { spaceLatch_ = latch; }
    /// The world's two overlay lines (0: before the speed text, 1: after the help).
    void SetInfoLine(int line, const char* text);
    /// Where the exit drive goes: the approach point, the heading there, and the door props
    /// (either may be null; both are needed to open the door).
    void SetExitDrive(const CPoint16& approach, int32_t heading, OActivityProp* door, OActivityProp* second);
    /// A prop leaving the world is no longer an exit prop.
    void ForgetExitProp(const OActivityProp* prop);
    uint8_t GetExitFlag() const { return exitFlag_; }

private:
    /// Marks the keys OnKey handles as watched, so that their releases reach it.
    void WatchDrivingKeys();
    /// The pointer in the stage plus the scroll offset.
    CPoint16 MouseTarget() const;
    void HideCursorWhileDriving();
    void StepDrivingMode();
    void StepExitDrive();

    int32_t spaceLatch_ = kLatchStop;
    char infoLine1_[kInfoLineSize] = {};
    char infoLine2_[kInfoLineSize] = {};
    CPoint16 exitApproach_;
    int32_t exitHeading_ = 0;
    OActivityProp* exitDoor_ = nullptr;
    OActivityProp* exitSecond_ = nullptr;
    /// Set once the vehicle has turned to the exit heading and drives for the door.
    uint8_t exitFlag_ = 0;
    /// Set once the exit drive has asked for the garage: it drives no more.
    uint8_t exitRequested_ = 0;
};

/// The current activity when it is a driving world; null otherwise.
TLVWorld_Activity* CurrentWorld();
/// The tutorial lines' end hook: the current world's tutorial picture takes its next state.
void AdvanceWorldPropState(intptr_t user, int32_t skipped);
/// The vehicle's hooks (they reach the current world): the touch hook answers whether the
/// vehicle's present position is refused; the view hook centres the world on the prop.
bool VehicleTouchHook(TLV_Object* prop);
bool CenterWorldViewOn(OActivityProp* prop);
/// The view hook in the shape of the vehicle's callbacks.
bool CenterWorldViewOnVehicle(TLV_Object* vehicle);
/// The vehicle's event callbacks: each passes the event to the current world and answers true.
bool VehicleEventHook81(TLV_Object* vehicle);
bool VehicleEventHook82(TLV_Object* vehicle);
bool VehicleEventHook83(TLV_Object* vehicle);
bool VehicleEventHook84(TLV_Object* vehicle);
/// Hand a prop to the current world's touch handler: any prop, or only a shown one.
int32_t WorldPropHook(TLV_Object* prop);
int32_t WorldShownPropHook(TLV_Object* prop);
