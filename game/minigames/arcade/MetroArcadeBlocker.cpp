#include "game/minigames/arcade/MetroArcadeBlocker.h"

Metro_Arcade_Blocker::Metro_Arcade_Blocker(const char* name, uint32_t classId) : Arcade_BG_Item(name, classId) {}

bool Metro_Arcade_Blocker::IsA(uint32_t classId) const { return classId == kClassId || Arcade_BG_Item::IsA(classId); }

int32_t Metro_Arcade_Blocker::OnContact(TLV_Object* /*other*/) { return kBlocking; }
