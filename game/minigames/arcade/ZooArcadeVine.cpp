#include "game/minigames/arcade/ZooArcadeVine.h"

#include "game/minigames/arcade/GAZooActivity.h"

Zoo_Arcade_Vine::Zoo_Arcade_Vine(const char* name, uint32_t classId) : Arcade_BG_Item(name, classId) {}

bool Zoo_Arcade_Vine::IsA(uint32_t classId) const { return classId == kClassId || Arcade_BG_Item::IsA(classId); }

void Zoo_Arcade_Vine::Respawn() {
    SetVisible(0, 0);
    if (GAZoo_Activity* game = GAZoo_Activity::Of(this)) game->VineRespawned(this);
}
