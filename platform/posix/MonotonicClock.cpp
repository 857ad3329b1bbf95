#include "platform/posix/MonotonicClock.h"

#include <chrono>
#include <thread>

namespace plat {

uint32_t MonotonicClock::TickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void MonotonicClock::Sleep(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace plat
