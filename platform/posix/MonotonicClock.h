#pragma once
#include "platform/Clock.h"

namespace plat {

/// Real time: milliseconds of the monotonic clock.
class MonotonicClock final : public Clock {
public:
    uint32_t TickCount() override;
    void Sleep(uint32_t ms) override;
};

} // namespace plat
