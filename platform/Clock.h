#pragma once
#include <cstdint>
#include <ctime>

namespace plat {

/// Millisecond tick source; the count is unsigned 32-bit and wraps.
class Clock {
public:
    virtual ~Clock() = default;
    /// Milliseconds since an arbitrary start (the stand-in for GetTickCount).
    virtual uint32_t TickCount() = 0;
    /// Blocks the calling thread for at least `ms` milliseconds.
    virtual void Sleep(uint32_t ms) = 0;
    /// Calendar time in seconds since 1 January 1970 UTC (the stand-in for the C library's time).
    virtual uint32_t UnixTime() { return static_cast<uint32_t>(std::time(nullptr)); }
    /// A 64-bit count that only grows, in processor cycles (the stand-in for the time-stamp
    /// counter); only differences between two readings mean anything.
    virtual uint64_t CycleCount() = 0;
};

} // namespace plat
