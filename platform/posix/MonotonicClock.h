#pragma once
#include "platform/Clock.h"

namespace plat {

/// Real time: milliseconds of the monotonic clock; cycles of the processor's time-stamp counter
/// where it has one, else nanoseconds of the monotonic clock.
class MonotonicClock final : public Clock {
public:
    uint32_t TickCount() override;
    void Sleep(uint32_t ms) override;
    uint64_t CycleCount() override;
};

} // namespace plat
