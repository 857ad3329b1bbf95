#pragma once
#include "game/shell/TLVObject.h"

/// A patrol area ("PatrolObject", class id 2470): a plain prop whose centre, size and rotation
/// give the rectangle a guard watches.
class PatrolObject : public TLV_Object {
public:
    static constexpr uint32_t kClassId = 2470;

    PatrolObject(const char* name = "PatrolObject", uint32_t classId = kClassId) : TLV_Object(name, classId) {}

    bool IsA(uint32_t classId) const override { return classId == kClassId || TLV_Object::IsA(classId); }
};

/// The rectangle a prop guards: its whole-pixel centre less half its size (shifted), as wide
/// and high as the prop. None for a prop of object id -1 or one not turned by a right angle.
struct PatrolArea {
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    static bool Of(const OActivityProp* prop, PatrolArea* out);
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(float x, float y) const { return float(left) <= x && x < float(right) && float(top) <= y && y < float(bottom); }
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
};
