#pragma once
#include "game/shell/TLVObject.h"

/// A pen ("ConstraintObject", class id 2450): the rectangle of its centre, size and rotation
/// that a captive stays in; its frame's drawn pixels are the places the captive may walk to.
class ConstraintObject : public TLV_Object {
public:
    static constexpr uint32_t kClassId = 2450;
    /// The size of a pen the world makes in code.
    static constexpr int16_t kMadeSize = 300;

    ConstraintObject(const char* name = "ConstraintObject", uint32_t classId = kClassId)
        : TLV_Object(name, classId) {}

    bool IsA(uint32_t classId) const override { return classId == kClassId || TLV_Object::IsA(classId); }
};
