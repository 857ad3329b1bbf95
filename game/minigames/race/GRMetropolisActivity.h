#pragma once
#include <cstdint>
#include <vector>

#include "engine/data/ChunkId.h"
#include "game/minigames/race/CGRoadRace.h"
#include "game/minigames/race/RaceShotVolleys.h"

class PParticle;

/// The city's road race ("GRMetropolis_Activity", class id 441): the police car races to the
/// police station tossing canisters of laughing gas at the junk on the road. Some junk hides a
/// crook, who runs off and drops loot when gassed; the loot collected is the score. Power-ups
/// give a three-way toss for a while.
class GRMetropolis_Activity : public CGRoadRace {
public:
    static constexpr uint32_t kClassId = 441;
    static constexpr uint16_t kWorld = 2;
    enum Kind : int32_t {
        kCrookJunk = 0, kLoot = 1, kToken = 2, kJunk = 3, kBumpable = 4, kPowerUp = 5, kCrook = 6
    };
    static constexpr int32_t kKinds = 7;
    /// After the first canister of a volley, this many more follow.
    static constexpr int32_t kMoreShots = 5;
    static constexpr int32_t kEngineRate = 11025;
    /// A dropped token lies this far below the junk it came out of.
    static constexpr float kTokenDrop = 2.0f;
    static constexpr int32_t kDropPriority = 50;
    static constexpr ChunkId kTown = MakeChunkId(1, 17);
    static constexpr ChunkId kSelf = MakeChunkId(1, 22);
    static constexpr ChunkId kTokenPart = MakeChunkId(2, 826);
    static constexpr ChunkId kLootSound = MakeChunkId(7, 184);
    static constexpr ChunkId kPowerUpSound = MakeChunkId(7, 5);

    GRMetropolis_Activity(const char* name = "GRMetropolis_Activity", uint32_t classId = kClassId);
    /// Deletes the canisters and the finish props.
    ~GRMetropolis_Activity() override;

    bool IsA(uint32_t classId) const override;
    /// The road race's set-up, then the vehicle's engine sound at the held rate.
    int32_t OnActivated() override;
    /// The base's teardown; the canisters are deleted.
    int32_t FlushSoundQueues() override;
    /// The volley's further canisters and the engine sound's rate, then the road race's tick.
    int32_t OnIdle() override;
    void Pause() override;
    void Resume() override;
    using CGRoadRace::Resume;
    /// Button 3 of the menu lowers the race level too.
    void OnButton(int16_t panel, int16_t button) override;

    void ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t bias,
                        bool finish) override;
    int32_t OnObjectHit(OActivityProp* prop, OActivityProp* other) override;
    ChunkId PartForKind(int32_t kind, uint32_t classId) override;
    /// One canister at once and kMoreShots more, three-way while the bonus clock runs.
    void Fire() override;
    void ShiftObjects(float dy, float dx) override;
    /// What a gassed crook drops.
    void DropPickup(const CPointF& at) override { DropToken(at); }
    void DropRandomItem(const CPointF& at) override;

    /// A badge token (kind 2) at the point, on the live list.
    void DropToken(const CPointF& at);
    /// The converted kinds of a section's points, after the base's thinning.
    void ConvertKinds(std::vector<int32_t>& kinds);
    static std::vector<int> ClosingLines(uint16_t score);
    /// The engine sound's rate at the scroll speed: 11025 standing, twice that moving.
    static int32_t EngineRate(float speed);

    int32_t GetBurstShotsLeft() const { return volleys_.ShotsLeft(); }
    bool IsBurstThreeWay() const { return volleys_.IsThreeWay(); }
    const std::vector<PParticle*>& Shots() const { return volleys_.Shots(); }

protected:
    std::vector<int> EndLines(uint16_t score, int32_t) const override { return ClosingLines(score); }

private:
    /// A prop of the kind at the point, drawn kDropPriority above its place, on the live list.
    TLV_Object* Drop(int32_t kind, ChunkId part, const CPointF& at);
    const RaceShotKind& ShotKind() const;
    void LetCrookOut(OActivityProp* junk);

    CRaceShotVolleys volleys_{kMoreShots};
};
