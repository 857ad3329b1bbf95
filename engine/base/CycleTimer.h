#pragma once
// A stopwatch on the processor's cycle counter, for timing short stretches of code.
#include <cstdint>

/// The counts of one stretch: both are counter readings less the calibrated base.
struct CCycleRecord {
    uint64_t start = 0;
    uint64_t stop = 0;
    /// The cycles between Start and Stop.
    uint64_t Elapsed() const { return stop - start; }
};

class CCycleTimer {
public:
    /// Run once by the program's entry before anything is timed: reads the counter a few times
    /// so that it is warm, sets the base to 0 and times two empty stretches, one inside the
    /// other.
    static void Calibrate();
    /// Stores the counter less the base as the start; the stop becomes 0.
    static void Start(CCycleRecord& record);
    /// Stores the counter less the base as the stop.
    static void Stop(CCycleRecord& record);
};
