#include "engine/media/Font.h"

OFont::OFont(const char* name, uint32_t classId) : OObject(name, classId) {
    drawStyle_.textColor = &textColor_;
    drawStyle_.backColor = &backColor_;
}

bool OFont::IsA(uint32_t classId) const { return classId == kClassId || OObject::IsA(classId); }
