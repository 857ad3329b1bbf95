#pragma once
#include "engine/core/ActivityProp.h"

/// The drive tutorial's picture ("TLVWorld_DriveTutorial", class id 1140), made by the world's
/// tutorial panel: one state per spoken line.
class TLVWorld_DriveTutorial : public OActivityProp {
public:
    static constexpr uint32_t kClassId = 1140;

    TLVWorld_DriveTutorial() : OActivityProp("TLVWorld_DriveTutorial", kClassId) {}
    bool IsA(uint32_t classId) const override { return classId == kClassId || OActivityProp::IsA(classId); }
};
