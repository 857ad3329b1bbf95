#pragma once
#include <cstdint>
#include <vector>

#include "engine/data/ChunkId.h"
#include "game/minigames/race/CGRoadRace.h"
#include "game/minigames/race/RaceShotVolleys.h"

class CRacePickupFlash;
class PParticle;
class Smoke;

/// The circus town's road race ("GRToon_Activity", class id 440): the fire engine races to the
/// burning fireworks factory, sprays the fires on the road out (the score), knocks barrels
/// away, sprays rats that drop badges, and picks up fireworks for a three-way spray.
class GRToon_Activity : public CGRoadRace {
public:
    static constexpr uint32_t kClassId = 440;
    static constexpr uint16_t kWorld = 0;
    enum Kind : int32_t { kFire = 0, kBadge = 1, kObstacle = 2, kBarrel = 3, kFireworks = 4, kRat = 5 };
    static constexpr int32_t kKinds = 6;
    static constexpr int32_t kBurstMs = CRaceShotVolleys::kBurstMs;
    /// After the first shot of a volley, this many more follow kBurstMs apart.
    static constexpr int32_t kMoreShots = 7;
    /// With this many rats out the road places no more.
    static constexpr int32_t kRatLimit = 5;
    static constexpr ChunkId kTown = MakeChunkId(1, 8);
    static constexpr ChunkId kSelf = MakeChunkId(1, 11);
    static constexpr ChunkId kShotPart = MakeChunkId(2, 128);
    static constexpr ChunkId kFlashPart = MakeChunkId(2, 289);
    static constexpr ChunkId kBadgePart = MakeChunkId(2, 826);
    static constexpr ChunkId kSmokePart = MakeChunkId(2, 1069);

    GRToon_Activity(const char* name = "GRToon_Activity", uint32_t classId = kClassId);
    /// Deletes the shots, smoke puffs and flashes.
    ~GRToon_Activity() override;

    bool IsA(uint32_t classId) const override;
    /// The flashes and shots leave the race, then the base's teardown; the race's own props
    /// are deleted.
    int32_t FlushSoundQueues() override;
    /// The volley's further shots, then the road race's tick.
    int32_t OnIdle() override;
    void Pause() override;
    void Resume() override;
    using CGRoadRace::Resume;

    void ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t bias,
                        bool finish) override;
    int32_t OnObjectHit(OActivityProp* prop, OActivityProp* other) override;
    ChunkId PartForKind(int32_t kind, uint32_t classId) override;
    void PreloadPools() override;
    /// One spray at once and kMoreShots more, three-way while the bonus clock runs.
    void Fire() override;
    void ShiftObjects(float dy, float dx) override;
    /// A rat that was hit drops a badge.
    void MakeRacerEffect(const CPointF& at) override { DropBadge(at); }

    /// A badge (kind 1) at the point, on the live list.
    void DropBadge(const CPointF& at);
    /// The converted kinds of a section's points, after the base's thinning.
    void ConvertKinds(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds);
    /// The lines spoken at the end for the score and the level the race was played at.
    static std::vector<int> ClosingLines(uint16_t score, int32_t level);

    int32_t GetBurstShotsLeft() const { return volleys_.ShotsLeft(); }
    bool IsBurstThreeWay() const { return volleys_.IsThreeWay(); }
    int32_t GetFireworksPickedUp() const { return fireworksPickedUp_; }
    bool WasRatHit() const { return firstRatHit_ != 0; }
    const std::vector<PParticle*>& Shots() const { return volleys_.Shots(); }
    const std::vector<Smoke*>& SmokePuffs() const { return smoke_; }
    const std::vector<CRacePickupFlash*>& Flashes() const { return flashes_; }

protected:
    std::vector<int> EndLines(uint16_t score, int32_t level) const override { return ClosingLines(score, level); }

private:
    /// What the current vehicle sprays.
    const RaceShotKind& ShotKind() const;
    Smoke* FreeSmoke();
    void ShowFlash(const CPointF& at);
    void ReleaseProps();

    CRaceShotVolleys volleys_{kMoreShots};
    std::vector<Smoke*> smoke_;
    std::vector<CRacePickupFlash*> flashes_;
    int32_t fireworksPickedUp_ = 0;
    uint8_t firstRatHit_ = 0;
};
