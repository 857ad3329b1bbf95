#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Timer.h"
#include "game/minigames/puzzle/CGPuzzle.h"

class PParticle;

/// The track-turning puzzle of the circus town ("GPToon_Activity"): a person the vehicle
/// reaches gets a burst of smoke, 16 particles thrown 45 ms apart from the vehicle; a burst
/// started runs to its end before another can start. The smoke makes the people it hits on
/// tiles joining the vehicle's start.
class GPToon_Activity : public CGPuzzle {
public:
    static constexpr uint32_t kClassId = puzzle_towns::kCircus.classId;
    static constexpr int32_t kSprayMs = 45;
    /// Particles after the first of a burst.
    static constexpr int32_t kMoreParticles = 15;
    static constexpr int16_t kSprayHeight = 10;
    static constexpr uint32_t kSprayFlightMs = 150;
    static constexpr float kSpraySpin = 1000.0f;

    GPToon_Activity(const char* name = "GPToon_Activity", uint32_t classId = kClassId);
    int32_t OnActivated() override;
    /// The spray's step and its hits, then the puzzle's frame.
    int32_t OnIdle() override;
    /// The particles go, then the puzzle stops.
    int32_t FlushSoundQueues() override;
    void Speak(int32_t line) override;
    /// Starts a burst at the person unless one is under way.
    void OnPersonReached(OActivityProp* person) override;

    const std::vector<PParticle*>& Particles() const { return particles_; }
    int32_t GetSprayCount() const { return sprayCount_; }
    const CTimerRec& GetSprayTimer() const { return sprayTimer_; }

private:
    void SprayStep();
    /// Throws one particle from the vehicle's anchor at the spray's target.
    void Spray();
    /// A hidden particle of the pool (the last one first), else a new one added to it.
    PParticle* FreeParticle();
    void TestSprayHits();

    CTimerRec sprayTimer_;
    int32_t sprayCount_ = 0;
    OActivityProp* sprayTarget_ = nullptr;
    std::vector<PParticle*> particles_;
};
