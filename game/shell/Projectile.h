#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "game/shell/TLVComplexObject.h"

/// Something thrown or shot ("Projectile", class id 2300): launched by
/// Start with its launch sound, it flies until its flight time (1000 ms at first) runs out or
/// its owner lands it, and lands with its landing sound. Both sounds play on pipe 2; {7, 0, 9}
/// stands for none.
class Projectile : public TLVComplex_Object {
public:
    static constexpr uint32_t kClassId = 2300;
    static constexpr ChunkId kNoSound = MakeChunkId(7, 9);
    static constexpr uint32_t kSoundPipe = 2;
    static constexpr int32_t kSoundVolume = 127;
    static constexpr int32_t kFlightMs = 1000;
    /// Told when a landed particle has played its last state. It may Release the projectile.
    using LandedCallback = void (*)(Projectile* projectile);

    Projectile(const char* name = "Projectile", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// Pause and Resume: the flight timer keeps the paused span out.
    void Suspend(int32_t flag) override;
    void Resume(int32_t flag) override;
    /// Lands once the flight time has run out, then the motion step.
    int32_t OnIdle() override;

    /// Starts the motion clock and the flight timer and plays the launch sound on pipe 2 when
    /// that pipe is silent. The flag is for the subclasses.
    virtual void Start(uint8_t flag);
    /// Stops the acceleration and the flight timer; the landing sound interrupts pipe 2.
    virtual void Land();
    virtual void Splash() {}

    /// Hands the projectile to deferred deletion: it goes at the end of the frame, so a callback
    /// running inside its own step may release it.
    void Release();

    ChunkId GetLaunchSound() const { return launchSound_; }
    void SetLaunchSound(ChunkId id) { launchSound_ = id; }
    ChunkId GetLandingSound() const { return landingSound_; }
    void SetLandingSound(ChunkId id) { landingSound_ = id; }
    LandedCallback GetLandedCallback() const { return landed_; }
    void SetLandedCallback(LandedCallback callback) { landed_ = callback; }
    const CTimerRec& GetFlightTimer() const { return flightTimer_; }
    void SetFlightTime(int32_t ms) { flightTimer_.duration = ms; }

private:
    CTimerRec flightTimer_;
    ChunkId launchSound_ = kNoSound;
    ChunkId landingSound_ = kNoSound;
    LandedCallback landed_ = nullptr;
};
