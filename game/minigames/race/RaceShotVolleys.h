#pragma once
#include <cstdint>
#include <vector>

#include "engine/base/Point.h"
#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"

class CPartFile;
class OView;
class PParticle;
class TLV_Object;
class VFlat;

/// What one vehicle's shots are: their picture, flight time and range, and the sounds of the
/// throw and the landing.
struct RaceShotKind {
    ChunkId part;
    uint32_t flightMs;
    float range;
    ChunkId launchSound;
    ChunkId landingSound;
};

/// A race's volleys: one shot at once and a fixed number more kBurstMs apart, each along the
/// vehicle's heading (its neutral frame less its lean step), three-way along the neighbouring
/// headings too when the volley began under the bonus clock. The shots are particles, children
/// of the race, hidden between flights and kept for the next volley.
class CRaceShotVolleys {
public:
    static constexpr int32_t kBurstMs = 45;
    static constexpr int16_t kArc = 10;

    /// `more`: the shots that follow the first one.
    explicit CRaceShotVolleys(int32_t more);
    CRaceShotVolleys(const CRaceShotVolleys&) = delete;
    CRaceShotVolleys& operator=(const CRaceShotVolleys&) = delete;
    ~CRaceShotVolleys();

    /// Starts a volley unless one runs: the first shot at once. False when one was running.
    bool Start(OView* race, CPartFile* file, VFlat* vehicle, const RaceShotKind& kind, bool threeWay);
    /// The race's tick: another shot each time the burst clock runs out, until none is left.
    void Step(OView* race, CPartFile* file, VFlat* vehicle, const RaceShotKind& kind);
    void Pause() { burstClock_.Pause(); }
    void Resume() { burstClock_.Resume(); }
    /// The shown shots move with the scene.
    void Shift(const CPointF& by);
    /// Takes the shots out of the race and deletes them.
    void Release(OView* race);

    int32_t ShotsLeft() const { return shotsLeft_; }
    bool IsThreeWay() const { return threeWay_ != 0; }
    const std::vector<PParticle*>& Shots() const { return shots_; }

    /// The frame hook of every shot: the current race's hit test.
    static bool ShotHook(TLV_Object* shot);

private:
    /// One shot, or three with the neighbours.
    void Throw(OView* race, CPartFile* file, VFlat* vehicle, const RaceShotKind& kind);
    PParticle* FreeShot(OView* race, CPartFile* file, ChunkId part, const std::vector<PParticle*>& volley);

    int32_t more_;
    std::vector<PParticle*> shots_;
    CTimerRec burstClock_;
    int32_t shotsLeft_ = 0;
    uint8_t threeWay_ = 0;
};
