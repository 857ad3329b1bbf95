#pragma once
#include "platform/Clock.h"

namespace plat {

/// A clock that moves only when slept on or advanced; it starts at 1000 because several parts
/// of the engine read a tick of 0 as "not set". Its cycle counter runs at a nominal 1 GHz on the
/// milliseconds the clock has moved, and keeps growing where the tick count wraps.
class VirtualClock final : public Clock {
public:
    static constexpr uint32_t kStart = 1000;
    static constexpr uint64_t kCyclesPerMs = 1000000;

    uint32_t TickCount() override { return now_; }
    void Sleep(uint32_t ms) override { Advance(ms); }
    void Advance(uint32_t ms) {
        now_ += ms;
        elapsedMs_ += ms;
    }
    /// Jumps to `tick`; the cycle counter counts the jump forwards (through the wrap when the
    /// tick lies behind).
    void Set(uint32_t tick) { Advance(tick - now_); }
    uint64_t CycleCount() override { return elapsedMs_ * kCyclesPerMs; }
    /// Calendar time: a fixed start plus the whole seconds the clock has moved since 1000.
    uint32_t UnixTime() override { return unixStart_ + (now_ - kStart) / 1000; }
    void SetUnixTime(uint32_t seconds) { unixStart_ = seconds - (now_ - kStart) / 1000; }

private:
    uint32_t now_ = kStart;
    uint64_t elapsedMs_ = 0;
    uint32_t unixStart_ = 1000000000; // 2001-09-09 01:46:40 UTC
};

} // namespace plat
