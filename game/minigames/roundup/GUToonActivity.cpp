#include "game/minigames/roundup/GUToonActivity.h"

#include "game/minigames/roundup/RoundUpTowns.h"

GUToon_Activity::GUToon_Activity(const char* name, uint32_t classId) : CRoundUpActivity(round_up_towns::kCircus, name, classId) {}

bool GUToon_Activity::IsA(uint32_t classId) const { return classId == kClassId || CRoundUpActivity::IsA(classId); }
