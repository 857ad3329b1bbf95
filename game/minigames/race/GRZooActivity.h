#pragma once
#include <cstdint>
#include <vector>

#include "engine/data/ChunkId.h"
#include "game/minigames/race/CGRoadRace.h"

class PBeam;

/// The zoo's road race ("GRZoo_Activity", class id 443): the zoo keeper's vehicle races to the
/// zoo park entrance and shines its spot-light beam at monkeys, which drop clothes to collect
/// (the score); flashlights widen the beam for a while.
class GRZoo_Activity : public CGRoadRace {
public:
    static constexpr uint32_t kClassId = 443;
    static constexpr uint16_t kWorld = 1;
    enum Kind : int32_t { kClothes = 0, kBadge = 1, kObstacle = 2, kFlashlight = 3, kMonkey = 4 };
    static constexpr int32_t kKinds = 5;
    static constexpr int32_t kBeamPriority = 10100;
    static constexpr int32_t kBeamState = 2;
    /// A wide beam's state lies this far above the narrow one's.
    static constexpr int32_t kWide = 5;
    static constexpr ChunkId kTown = MakeChunkId(1, 14);
    static constexpr ChunkId kSelf = MakeChunkId(1, 9);
    static constexpr ChunkId kBadgePart = MakeChunkId(2, 826);

    GRZoo_Activity(const char* name = "GRZoo_Activity", uint32_t classId = kClassId);
    /// Deletes the beam.
    ~GRZoo_Activity() override;

    bool IsA(uint32_t classId) const override;
    /// The road race's set-up, then the beam.
    int32_t OnActivated() override;
    /// The beam leaves the race, then the base's teardown.
    int32_t FlushSoundQueues() override;
    /// The beam follows the vehicle and narrows once the bonus clock has run out.
    int32_t OnIdle() override;
    /// The intro panel leaves the race awake (see Pause).
    void CreateButtonPanel(int16_t panel) override;
    /// The race and every child stop with the clocks; under the intro panel only the clocks
    /// and children do, so the race still reads ESC and the menu opens over the panel.
    void Pause() override;
    void Resume() override;
    using CGRoadRace::Resume;

    void ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t bias,
                        bool finish) override;
    int32_t OnObjectHit(OActivityProp* prop, OActivityProp* other) override;
    ChunkId PartForKind(int32_t kind, uint32_t classId) override;
    /// The beam shines in its state, widened while the bonus clock runs.
    void Fire() override;
    void OnSteerLeft() override { AimBeam(); }
    void OnSteerRight() override { AimBeam(); }
    void OnSteerCentre() override { AimBeam(); }
    /// What a monkey that was hit drops.
    void DropPickup(const CPointF& at) override { SpawnPickup(at); }
    void DropRandomItem(const CPointF& at) override { SpawnRandomItem(at); }

    /// One of the clothes (kind 0) at the point, on the live list.
    void SpawnRandomItem(const CPointF& at);
    /// A badge token (kind 1) at the point, on the live list.
    void SpawnPickup(const CPointF& at);
    /// The converted kinds of a section's points, after the base's thinning.
    void ConvertKinds(std::vector<int32_t>& kinds);
    static std::vector<int> ClosingLines(uint16_t score);

    PBeam* GetBeam() const { return beam_; }

protected:
    std::vector<int> EndLines(uint16_t score, int32_t) const override { return ClosingLines(score); }

private:
    void MakeBeam();
    /// The beam's state by the vehicle's lean step, wide while the bonus clock runs.
    void AimBeam();
    void PlaceBeam();
    void Spawn(int32_t kind, ChunkId part, const CPointF& at);
    static bool BeamHook(TLV_Object* beam);

    PBeam* beam_ = nullptr;
    /// Set while the intro panel opens: its pause does not suspend the race.
    bool awakeUnderPanel_ = false;
};
