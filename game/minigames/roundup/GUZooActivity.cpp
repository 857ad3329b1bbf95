#include "game/minigames/roundup/GUZooActivity.h"

#include "game/minigames/roundup/RoundUpTowns.h"

GUZoo_Activity::GUZoo_Activity(const char* name, uint32_t classId) : CRoundUpActivity(round_up_towns::kZoo, name, classId) {}

bool GUZoo_Activity::IsA(uint32_t classId) const { return classId == kClassId || CRoundUpActivity::IsA(classId); }
