#include "game/minigames/arcade/ArcadeBGItem.h"

#include <cstdlib>

#include "engine/base/Trace.h"
#include "game/shell/PropertyField.h"

Arcade_BG_Item::Arcade_BG_Item(const char* name, uint32_t classId) : TLVComplex_Object(name, classId) {}

bool Arcade_BG_Item::IsA(uint32_t classId) const { return classId == kClassId || TLVComplex_Object::IsA(classId); }

bool Arcade_BG_Item::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return TLVComplex_Object::HandleProperty(msg, set);
    if (msg->id == kPropGroup) xProperty_Exchange(*this, *msg, group_, set);
    if (msg->id == kPropHideChance) {
        xProperty_Exchange(*this, *msg, hideChance_, set);
        // Below 0 the item is never hidden again, above 100 always: it plays on as read.
        if (set && (hideChance_ < 0 || hideChance_ > 100))
            xTracef("%s : hide chance %d, outside 0-100\n", GetName(), int(hideChance_));
    }
    return true;
}

void Arcade_BG_Item::Respawn() {
    SetVisible(1, 0);
    if (hideChance_ > 0 && std::rand() % 100 < hideChance_) SetVisible(0, 0);
}
