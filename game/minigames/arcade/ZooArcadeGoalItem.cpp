#include "game/minigames/arcade/ZooArcadeGoalItem.h"

Zoo_Arcade_GoalItem::Zoo_Arcade_GoalItem(const char* name, uint32_t classId) : Arcade_BG_Item(name, classId) {
    SetPriority(kPriority);
}

bool Zoo_Arcade_GoalItem::IsA(uint32_t classId) const { return classId == kClassId || Arcade_BG_Item::IsA(classId); }

void Zoo_Arcade_GoalItem::Respawn() { SetVisible(0, 0); }
