#pragma once
#include <cstdint>

/// A millisecond timer record: running flag, start tick, paused tick (0 when not paused),
/// duration (-1 for none; compared unsigned, so it never runs out) and a rate. Paused time
/// does not count towards the elapsed time.
struct CTimerRec {
    uint8_t running = 0;
    uint32_t start = 0;
    uint32_t paused = 0;
    int32_t duration = -1;
    uint32_t rate = 60;

    /// The paused tick while paused, else the current tick.
    uint32_t Now() const;
    /// Whether it runs and more than the duration has passed since the start.
    bool HasElapsed() const;
    /// Runs from now with the given duration.
    void Start(int32_t ms);
    /// Starts again from now with the same duration.
    void Restart() { Start(duration); }
    /// Stops: not running, start = now, not paused.
    void Stop();
    /// Records the pause tick (once).
    void Pause();
    /// Moves the start forward by the paused span and clears the pause.
    void Resume();
};
