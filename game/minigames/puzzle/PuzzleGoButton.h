#pragma once
#include <cstdint>

#include "engine/core/ActivityProp.h"
#include "engine/core/Timer.h"

/// The puzzle's go button ("Puzzle_Go_Button", 1630), read from the activity data: a click
/// starts or stops the vehicle. It shows going (state 0), ready (1) or stopped (2); five
/// seconds after it stopped it is ready again.
class Puzzle_Go_Button : public OActivityProp {
public:
    static constexpr uint32_t kClassId = 1630;
    enum : int32_t { kGoing = 0, kReady = 1, kStopped = 2 };
    static constexpr int32_t kReadyAfterMs = 5000;

    Puzzle_Go_Button(const char* name = "Puzzle_Go_Button", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    void OnClick() override;
    int32_t OnIdle() override;

    /// Going; the vehicle is put above the tiles again.
    void ShowGoing();
    /// Stopped, and ready again five seconds from now.
    void ShowStopped();
    const CTimerRec& GetReadyTimer() const { return readyTimer_; }

private:
    CTimerRec readyTimer_;
};
