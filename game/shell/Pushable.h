#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "game/shell/TLVSimpleObject.h"

/// Something a vehicle pushes over ("Pushable", 1520): the push plays the part's sound value,
/// shows state 1 (kept with stays down) and answers 16; while pushed, its animation runs only
/// while it moves, and 150 ms after the last push it stands up again.
class Pushable : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1520;
    enum : uint32_t { kPropStaysDown = 1 };
    static constexpr int32_t kPushMs = 150;

    Pushable(const char* name = "Pushable", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    int32_t OnIdle() override;
    /// The collision body takes the state too (when it has it); the overlay is placed again.
    void SetState(int32_t index) override;
    int32_t OnContact(TLV_Object* other) override;

    bool IsPushed() const { return pushed_ != 0; }
    const CTimerRec& GetPushTimer() const { return pushTimer_; }

private:
    uint8_t staysDown_ = 0;
    uint8_t pushed_ = 0;
    CTimerRec pushTimer_;
    CPointF lastPosition_;
};
