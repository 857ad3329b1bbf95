#pragma once
#include "platform/Clock.h"

namespace plat {

/// A clock that moves only when slept on or advanced; it starts at 1000 because several parts
/// of the engine read a tick of 0 as "not set".
class VirtualClock final : public Clock {
public:
    static constexpr uint32_t kStart = 1000;

    uint32_t TickCount() override { return now_; }
    void Sleep(uint32_t ms) override { now_ += ms; }
    void Advance(uint32_t ms) { now_ += ms; }
    void Set(uint32_t tick) { now_ = tick; }
    /// Calendar time: a fixed start plus the whole seconds the clock has moved since 1000.
    uint32_t UnixTime() override { return unixStart_ + (now_ - kStart) / 1000; }
    void SetUnixTime(uint32_t seconds) { unixStart_ = seconds - (now_ - kStart) / 1000; }

private:
    uint32_t now_ = kStart;
    uint32_t unixStart_ = 1000000000; // 2001-09-09 01:46:40 UTC
};

} // namespace plat
