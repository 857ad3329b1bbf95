#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "engine/data/DynArray.h"
#include "game/minigames/arcade/ArcadeGame.h"

class Metro_Arcade_Blocker;
class Metro_Arcade_Crook;
class OActivityProp;

/// The city's arcade ("GAMetropolis_Activity", class id 421): crooks run along the street in
/// front of a store; the player drives left and right, pushing the street along at its ends,
/// and tosses bursts of gas canisters upward. A canister stops a crook, picks up goods and
/// tokens and pushes obstacles aside. Stopping the level's crooks wins, 2.5 s after the last.
class GAMetropolis_Activity : public Arcade_Game {
public:
    static constexpr uint32_t kClassId = 421;
    static constexpr int kWorld = 2;
    static constexpr ChunkId kTown = MakeChunkId(1, 17);
    static constexpr ChunkId kSelf = MakeChunkId(1, 19);
    static constexpr int16_t kStopLine = 90;
    static constexpr int16_t kCanisterRise = 400;
    static constexpr int16_t kStartHeight = 45;
    static constexpr uint32_t kBurstMs = 25;
    static constexpr uint32_t kEndMs = 2500;
    static constexpr float kEnterX = -60.0f;
    static constexpr float kLaneY[2] = {90.0f, 200.0f};
    static constexpr float kDropSpeed = 80.0f;
    /// The vehicle pushes the street along this close to the stage's ends.
    static constexpr float kPushSpeed = 200.0f;
    static constexpr float kLeftBound = 50.0f;

    GAMetropolis_Activity(const char* name = "GAMetropolis_Activity", uint32_t classId = kClassId);
    ~GAMetropolis_Activity() override;

    bool IsA(uint32_t classId) const override;
    /// Blockers are filed, then the base files the scenery.
    bool AcceptObject(OView* object) override;
    int32_t OnActivated() override;
    /// Crooks, goods and tokens go, the overlay leaves the vehicle, then the base.
    int32_t FlushSoundQueues() override;
    /// The end clock, the burst, the spawn clock and the street's push, then the base.
    int32_t OnIdle() override;
    /// Only the view (and the vehicle with it) moves, by the street's push.
    void ScrollItems(uint32_t step) override;
    /// Toward the target within a fixed left bound, without the street's speed.
    void SteerVehicle(uint32_t step) override;
    void Shoot() override;
    bool TestParticleHit(PArcadeParticle* particle) override;
    /// When the start panel goes, the vehicle moves again.
    void HidePanel(int16_t panel, uint8_t flush) override;
    virtual void OnItemHit(OActivityProp* item, bool byVehicle);

    /// A canister met the crook: counted once while it runs or lands, goods dropped while it
    /// escapes slowly.
    void CrookHit(Metro_Arcade_Crook* crook);
    /// Goods on the street touching the crook go back to the pool; true when it took any.
    bool TakeGoodsTouching(Metro_Arcade_Crook* crook);
    /// Spawner A walks a crook in from the left; spawner B drops one onto its lane. Nothing
    /// while as many crooks are on the street as are left.
    void SpawnWalking();
    void SpawnDropping();
    /// The street's push speed for the vehicle at screen x and the pointer at screen x.
    float PushSpeed(float vehicleX, float pointerX);
    float StreetWidth();
    /// The crook's lane, the closer of the two.
    static float LaneOf(float y);
    static GAMetropolis_Activity* Of(const OView* prop);

    CDynArray<Metro_Arcade_Crook*>& Crooks() { return crooks_; }
    CDynArray<Metro_Arcade_Crook*>& CrookPool() { return crookPool_; }
    CDynArray<Metro_Arcade_Blocker*>& Blockers() { return blockers_; }
    CDynArray<OActivityProp*>& GoodsPool() { return goodsPool_; }
    CDynArray<OActivityProp*>& LiveGoods() { return liveGoods_; }
    CDynArray<PArcadeParticle*>& Canisters() { return canisters_; }
    const CTimerRec& GetSpawnClock() const { return spawnClock_; }
    const CTimerRec& GetEndClock() const { return endClock_; }
    OActivityProp* GetOverlay() const { return overlay_; }
    int32_t GetCanistersLeft() const { return canistersLeft_; }
    bool IsBurstRunning() const { return burstClock_.running != 0; }
    uint16_t GetStopped() const { return stopped_; }
    uint16_t GetCrooksLeft() const { return crooksLeft_; }
    uint16_t GetGoal() const { return goal_; }

protected:
    uint16_t ResultsCount() const override { return stopped_; }
    bool GoalReached() const override { return stopped_ >= goal_; }
    /// Pushed aside by 20-34 px, away from a close neighbour.
    void PushBlocker(Metro_Arcade_Blocker* blocker);
    void CountStop(Metro_Arcade_Crook* crook);
    void TossCanister();

private:
    void RestartSpawnClock();
    void HideBlockers();
    Metro_Arcade_Crook* FreeCrook();
    void PlaceOnStreet(Metro_Arcade_Crook* crook);
    /// Crooks wholly left of the stage go back to the pool; droppers reaching their lane land.
    void PassCrooks();
    void DropGoods(Metro_Arcade_Crook* crook);
    void DeleteCrooks();
    float ViewLeft() const { return GetScrollOffset().x; }

    int32_t canistersLeft_ = 0;
    CTimerRec burstClock_;
    CDynArray<PArcadeParticle*> canisters_;
    CDynArray<OActivityProp*> goodsPool_;
    CDynArray<OActivityProp*> liveGoods_;
    OActivityProp* overlay_ = nullptr;
    CDynArray<Metro_Arcade_Crook*> crooks_;
    CDynArray<Metro_Arcade_Crook*> crookPool_;
    CDynArray<Metro_Arcade_Blocker*> blockers_;
    CTimerRec spawnClock_;
    CTimerRec endClock_;
    float viewCarry_ = 0.0f;
    uint16_t stopped_ = 0;
    uint16_t crooksLeft_ = 0;
    uint16_t goal_ = 0;
};
