#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "engine/data/DynArray.h"
#include "game/minigames/arcade/ArcadeGame.h"
#include "game/minigames/arcade/ZooVineChooser.h"

class OActivityProp;
class PBeam;
class TLVComplex_Object;
class Zoo_Arcade_GoalItem;
class Zoo_Arcade_Leaf;
class Zoo_Arcade_Monkey;
class Zoo_Arcade_Vine;

/// The zoo's arcade ("GAZoo_Activity", class id 423): monkeys swing from vine to vine above
/// the scrolling jungle holding stolen clothes; the vehicle's spotlight knocks a monkey off,
/// it lets go of a token or a piece of clothing, and the vehicle drives under it to catch it
/// before it lands. Catching the level's number of items wins; there is no time limit.
class GAZoo_Activity : public Arcade_Game {
public:
    static constexpr uint32_t kClassId = 423;
    static constexpr int kWorld = 1;
    static constexpr ChunkId kTown = MakeChunkId(1, 14);
    static constexpr ChunkId kSelf = MakeChunkId(1, 16);
    static constexpr ChunkId kMonkeyArt = MakeChunkId(2, 602);
    static constexpr int32_t kMaxActiveMonkeys = 7;
    /// A dropped thing is thrown up at this speed and pulled down by kDropPull.
    static constexpr float kThrowUp = -75.0f;
    static constexpr float kDropPull = 500.0f;
    static constexpr float kTokenSpeed = 500.0f;

    GAZoo_Activity(const char* name = "GAZoo_Activity", uint32_t classId = kClassId);
    ~GAZoo_Activity() override;

    bool IsA(uint32_t classId) const override;
    /// Leaves and vines are filed, then the base files the scenery.
    bool AcceptObject(OView* object) override;
    int32_t OnActivated() override;
    /// Monkeys, falling items and the removal list go, the tokens are deleted, then the base.
    int32_t FlushSoundQueues() override;
    /// The beam going out, the beam test, the fallen items and tokens, the base's frame, the
    /// monkeys following the jungle, then what was removed is deleted.
    int32_t OnIdle() override;
    /// The beam goes on when the fire clock allows.
    void Shoot() override;

    /// Every monkey in the beam that was not hit before is hit and drops one thing.
    void BeamTest();
    /// Items, then tokens touching the vehicle are caught.
    bool CatchTest(TLV_Object* vehicle);
    /// The vine with the current id came round: it gets a monkey and the id moves on.
    void VineRespawned(const Zoo_Arcade_Vine* vine);
    /// The zoo arcade a prop belongs to; null when there is none.
    static GAZoo_Activity* Of(const OView* prop);

    PBeam* GetBeam() const { return beam_; }
    const CTimerRec& GetBeamClock() const { return beamClock_; }
    CDynArray<Zoo_Arcade_Monkey*>& Monkeys() { return monkeys_; }
    CDynArray<Zoo_Arcade_Monkey*>& ActiveMonkeys() { return active_; }
    CDynArray<Zoo_Arcade_Vine*>& Vines() { return vines_; }
    CDynArray<Zoo_Arcade_Leaf*>& Leaves() { return leaves_; }
    CDynArray<Zoo_Arcade_GoalItem*>& LiveItems() { return liveItems_; }
    int32_t GetCurrentVine() const { return currentVine_; }
    int32_t GetLastOffsetIndex() const { return chooser_.GetLastOffsetIndex(); }
    uint16_t GetCaught() const { return caught_; }
    uint16_t GetItemsLeft() const { return itemsLeft_; }
    uint16_t GetGoal() const { return goal_; }
    int32_t PendingRemovals() const { return removals_.Count(); }

protected:
    uint16_t ResultsCount() const override { return caught_; }
    bool GoalReached() const override { return itemsLeft_ == 0; }
    /// The token rule first, else a goal item: thrown from the monkey and pulled down.
    void Drop(Zoo_Arcade_Monkey* monkey);
    CPointF LaunchVelocity() const;
    /// Off with the launch velocity, pulled straight down.
    void Throw(TLVComplex_Object* thing) const;
    void CatchItem(Zoo_Arcade_GoalItem* item);
    /// Items at the stage's bottom land: their sound, never counted, removed.
    void PassFallenItems();

private:
    static bool BeamCallback(TLV_Object* beam);
    static bool CatchCallback(TLV_Object* vehicle);
    void SetUpBeam();
    /// The beam rides on the vehicle, at its top left corner.
    void RideBeam();
    void PlaceStartingMonkeys();
    /// A monkey from the inactive ones, or a new one; null at the limit.
    Zoo_Arcade_Monkey* FreeMonkey();
    void Hang(Zoo_Arcade_Monkey* monkey, const Zoo_Arcade_Vine* vine);
    /// The monkeys move with their vines; those off the stage stop hanging.
    void FollowVines();
    /// Lit monkeys and falling items move with the view's jump back.
    void ShiftLoose(float dx);
    /// Detached from the children and deleted after the frame.
    void Remove(OActivityProp* prop);
    void DeleteRemoved();
    void DeleteMonkeys();
    void DeleteLiveItems();

    PBeam* beam_ = nullptr;
    CTimerRec beamClock_;
    CDynArray<Zoo_Arcade_Monkey*> monkeys_;
    CDynArray<Zoo_Arcade_Monkey*> active_;
    CDynArray<Zoo_Arcade_Leaf*> leaves_;
    CDynArray<Zoo_Arcade_Vine*> vines_;
    int32_t currentVine_ = -1;
    CDynArray<Zoo_Arcade_GoalItem*> liveItems_;
    CDynArray<OActivityProp*> removals_;
    ZooVineChooser chooser_;
    uint16_t caught_ = 0;
    uint16_t itemsLeft_ = 0;
    uint16_t goal_ = 0;
    uint32_t drops_ = 0;
};
