#include "game/minigames/arcade/ArcadeBGItem.h"

#include <cstdlib>

#include "game/shell/PropertyField.h"

Arcade_BG_Item::Arcade_BG_Item(const char* name, uint32_t classId) : TLVComplex_Object(name, classId) {}

bool Arcade_BG_Item::IsA(uint32_t classId) const { return classId == kClassId || TLVComplex_Object::IsA(classId); }

bool Arcade_BG_Item::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return TLVComplex_Object::HandleProperty(msg, set);
    if (msg->id == kPropGroup) xProperty_Exchange(*this, *msg, group_, set);
    if (msg->id == kPropHideChance) xProperty_Exchange(*this, *msg, hideChance_, set);
    return true;
}

void Arcade_BG_Item::Respawn() {
    SetVisible(1, 0);
    if (hideChance_ > 0 && std::rand() % 100 < hideChance_) SetVisible(0, 0);
}
