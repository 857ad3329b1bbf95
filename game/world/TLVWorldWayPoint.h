#pragma once
#include "engine/core/ActivityProp.h"

/// A way-point marker ("TLVWorld_WayPoint", class id 1150): the world keeps it in its marker
/// list, and the characters seek the nearest one.
class TLVWorld_WayPoint : public OActivityProp {
public:
    static constexpr uint32_t kClassId = 1150;

    TLVWorld_WayPoint() : OActivityProp("TLVWorld_WayPoint", kClassId) {}
    bool IsA(uint32_t classId) const override { return classId == kClassId || OActivityProp::IsA(classId); }
};
