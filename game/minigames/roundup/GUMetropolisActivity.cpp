#include "game/minigames/roundup/GUMetropolisActivity.h"

#include "game/minigames/roundup/RoundUpTowns.h"

GUMetropolis_Activity::GUMetropolis_Activity(const char* name, uint32_t classId) : CRoundUpActivity(round_up_towns::kCity, name, classId) {}

bool GUMetropolis_Activity::IsA(uint32_t classId) const { return classId == kClassId || CRoundUpActivity::IsA(classId); }
