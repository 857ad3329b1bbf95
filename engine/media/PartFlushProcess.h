#pragma once
#include <cstdint>

#include "engine/core/Process.h"
#include "engine/core/Timer.h"

/// The application's extra process (registration name "OProcess", class id 20, application
/// events): flushes the application's open part file every 500 ms. The movie players suspend it
/// while they play.
class OPartFlushProcess : public OProcess {
public:
    static constexpr int32_t kFlushMs = 500;

    OPartFlushProcess();
    /// Tells the application that its extra process is gone.
    ~OPartFlushProcess() override;

    /// Flushes the part file once more than 500 ms have passed since the last flush; 1.
    int32_t OnIdle() override;
    /// Set while OnIdle runs.
    bool IsBusy() const { return busy_ != 0; }

private:
    uint8_t busy_ = 0;
    CTimerRec flushTimer_;
};
