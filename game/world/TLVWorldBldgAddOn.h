#pragma once
#include "engine/core/ActivityProp.h"

/// A building add-on drawn over a building ("TLVWorld_BldgAddOn", class id 1130): the world
/// keeps it in its add-on list and fades it when it covers the vehicle.
class TLVWorld_BldgAddOn : public OActivityProp {
public:
    static constexpr uint32_t kClassId = 1130;

    TLVWorld_BldgAddOn() : OActivityProp("TLVWorld_BldgAddOn", kClassId) {}
    bool IsA(uint32_t classId) const override { return classId == kClassId || OActivityProp::IsA(classId); }
};
