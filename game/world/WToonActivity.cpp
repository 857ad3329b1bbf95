#include "game/world/WToonActivity.h"

WToon_Activity::WToon_Activity(const char* name, uint32_t classId) : TLVWorld_Activity(name, classId) {}

bool WToon_Activity::IsA(uint32_t classId) const { return classId == kClassId || TLVWorld_Activity::IsA(classId); }
