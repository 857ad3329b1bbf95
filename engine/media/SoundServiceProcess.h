#pragma once
#include "engine/core/Process.h"

/// Feeds the streaming channels once a frame: it calls each playing stream's service callback
/// under the sound lock, then fills the halves the mixer has played. The first of the
/// application's standard processes.
class OSoundServiceProcess : public OProcess {
public:
    OSoundServiceProcess();
    int32_t OnIdle() override;
    void OnAppSuspend() override {}
    void OnAppResume() override {}
};
