#pragma once
#include "engine/core/ActivityProp.h"

/// An animated prop used as the mouse pointer (class id 8): it is placed so that its current
/// frame's hot spot, not its centre, lies on the point it is moved to. State 1 is shown over
/// views that ask for the hover cursor, state 0 elsewhere.
class OPartCursor : public OActivityProp {
public:
    static constexpr uint32_t kClassId = 8;

    OPartCursor();
    /// Leaves the mouse process first when it is that process's pointer view.
    ~OPartCursor() override;

    bool IsA(uint32_t classId) const override;
    /// A placement (also through MoveBy) adds the offset; a relative move is by the amount
    /// alone, so that repeated moves do not drift.
    void SetPosition(const CPointF& point, uint8_t relative, uint8_t moveAttached) override;
    /// Sets the state, then takes the new frame's negated scaled hot spot as the offset.
    void SetState(int32_t index) override;

    const CPointF& GetOffset() const { return offset_; }

private:
    CPointF offset_;
};
