#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "engine/data/DynArray.h"
#include "game/minigames/arcade/ArcadeGame.h"

class Arcade_Column_Marker;
class OActivityProp;
class Toon_Arcade_Clown;

/// The circus town's arcade ("GAToon_Activity", class id 420): a burning building scrolls
/// past, the fire engine sprays water upward, characters appear column by column in the
/// windows, and putting out two of one kind in a row makes a match; the kind box at the top
/// shows the kind that waits for its partner. Matches may drop a token that the vehicle
/// catches. Enough matches win; there is no time limit.
class GAToon_Activity : public Arcade_Game {
public:
    static constexpr uint32_t kClassId = 420;
    static constexpr int kWorld = 0;
    static constexpr int32_t kKinds = 4;
    /// One drop at once, then this many more, one every kDropMs.
    static constexpr int32_t kMoreDrops = 7;
    static constexpr uint32_t kDropMs = 25;
    static constexpr int16_t kDropStopLine = 70;
    static constexpr int16_t kDropRise = 300;
    static constexpr float kTokenSpeed = 200.0f;
    static constexpr ChunkId kTown = MakeChunkId(1, 8);
    static constexpr ChunkId kSelf = MakeChunkId(1, 15);

    GAToon_Activity(const char* name = "GAToon_Activity", uint32_t classId = kClassId);
    ~GAToon_Activity() override;

    bool IsA(uint32_t classId) const override;
    /// Characters and markers are filed (hidden), then the base files the scenery.
    bool AcceptObject(OView* object) override;
    int32_t OnActivated() override;
    /// The kind box goes, the tokens are deleted, then the base's stop.
    int32_t FlushSoundQueues() override;
    /// The spray's drops, the base's frame, then the markers and the fallen tokens.
    int32_t OnIdle() override;
    /// A spray when none runs.
    void Shoot() override;
    bool TestParticleHit(PArcadeParticle* particle) override;
    /// A token met by the vehicle is caught.
    virtual void OnItemHit(Arcade_BG_Item* item, bool byVehicle);

    /// Hold, match or switch with the character that was put out.
    void HitCharacter(Toon_Arcade_Clown* character);
    /// The column shows one character of a kind drawn at random.
    void ColumnReached(int16_t column);
    /// A character that scrolled off is no longer the held one.
    void Forget(const Toon_Arcade_Clown* character);
    /// The markers' frame: columns reached and characters leaving.
    void PassMarkers();

    /// The circus arcade's level in the player record, held to 1-3 (traced when it was not).
    static int32_t PlayerLevel() { return LevelOf(kWorld, "GAToon_Activity"); }
    /// The circus arcade a prop belongs to (its parent, else the current activity); null when
    /// there is none.
    static GAToon_Activity* Of(const OView* prop);
    /// The vehicle's touch hook: the live tokens against the vehicle.
    static bool HitTestCallback(TLV_Object* vehicle);

    CDynArray<Toon_Arcade_Clown*>& Characters() { return characters_; }
    CDynArray<Arcade_Column_Marker*>& Markers() { return markers_; }
    CDynArray<PArcadeParticle*>& Drops() { return drops_; }
    Toon_Arcade_Clown* GetHeldCharacter() const { return held_; }
    int32_t GetWaitingKind() const { return waitingKind_; }
    OActivityProp* GetKindBox() const { return kindBox_; }
    uint16_t GetMatches() const { return matches_; }
    uint16_t GetMatchesLeft() const { return matchesLeft_; }
    uint16_t GetGoal() const { return goal_; }
    int32_t GetDropsLeft() const { return dropsLeft_; }
    bool IsFirstSwitchDone() const { return firstSwitch_ != 0; }
    bool IsSprayRunning() const { return sprayClock_.running != 0; }

protected:
    uint16_t ResultsCount() const override { return matches_; }
    bool GoalReached() const override { return matches_ >= goal_; }

private:
    void EmitDrop();
    PArcadeParticle* FreeDrop();
    /// After a match a token may fall from the character.
    void DropTokenFrom(const Toon_Arcade_Clown* character);
    void ShowBox(int32_t state);
    void Won();
    void MakeKindBox();
    void DropKindBox();

    int32_t dropsLeft_ = 0;
    CTimerRec sprayClock_;
    CDynArray<PArcadeParticle*> drops_;
    CDynArray<Toon_Arcade_Clown*> characters_;
    Toon_Arcade_Clown* held_ = nullptr;
    int32_t waitingKind_ = -1;
    OActivityProp* kindBox_ = nullptr;
    uint16_t matches_ = 0;
    uint16_t matchesLeft_ = 0;
    uint16_t goal_ = 0;
    uint8_t firstSwitch_ = 0;
    CDynArray<Arcade_Column_Marker*> markers_;
};
