#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"

class CRoundUpActivity;
class PParticle;

/// What a round-up vehicle throws: the particle's part and sounds, how long it flies and how
/// far, and its draw priority (below the vehicle when none is given).
struct ThrowLook {
    ChunkId part;
    ChunkId launchSound;
    ChunkId landingSound;
    uint32_t flightMs;
    float distance;
    int32_t priority;
};

/// The particles a round-up's vehicle throws along its heading in bursts: one at once and the
/// rest one interval apart. The particles are the round-up's children (hidden until thrown)
/// and are reused once they have landed; what they touch goes to the world's touch handler.
class CRoundUpThrower {
public:
    static constexpr int32_t kBelowVehicle = -1;

    explicit CRoundUpThrower(CRoundUpActivity* owner) : owner_(owner) {}

    /// A burst of `count` particles `intervalMs` apart; ignored while one is still going.
    bool Start(int32_t count, int32_t intervalMs, const ThrowLook& look);
    /// The next particle of the burst when its time has come.
    void Step();
    /// Takes every particle off the round-up and deletes it.
    void DeletePool();

    bool IsThrowing() const { return left_ > 0; }
    int32_t GetLeft() const { return left_; }
    int32_t GetThrown() const { return thrown_; }
    const std::vector<PParticle*>& GetPool() const { return pool_; }

private:
    PParticle* FreeParticle();
    void Launch();

    CRoundUpActivity* owner_;
    std::vector<PParticle*> pool_;
    CTimerRec timer_;
    ThrowLook look_{};
    int32_t left_ = 0;
    int32_t thrown_ = 0;
};
