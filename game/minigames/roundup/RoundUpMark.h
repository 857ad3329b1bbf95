#pragma once
#include <cstdint>

#include "game/shell/TLVSimpleObject.h"

/// One mark of a round-up's track ("Round_Up_Track", class id 1800; only the round-up makes
/// them). States below 32 show the mark in one of the vehicle's 32 headings; the same state
/// + 32 fades it out, after which it hides and goes back to the round-up's pool.
class Round_Up_Track : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1800;
    static constexpr uint32_t kInUse = 1;
    static constexpr uint32_t kFree = uint32_t(-1);
    /// Added to a mark's state to fade it out.
    static constexpr int32_t kFadeStates = 32;

    Round_Up_Track(const char* name = "Round_Up_Track", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// A fading mark hides and becomes free; then the object's own handling.
    int32_t OnAnimationEnd() override;

    bool IsFree() const { return GetObjectId() == kFree; }
};
