#include "game/minigames/arcade/ArcadeColumnMarker.h"

#include <cstdlib>

#include "game/minigames/arcade/GAToonActivity.h"
#include "game/shell/PropertyField.h"

Arcade_Column_Marker::Arcade_Column_Marker(const char* name, uint32_t classId)
    : Arcade_BG_Item(name, classId), appearOffset_(int16_t(std::rand() % 300)),
      staySpan_(int16_t((6 - GAToon_Activity::PlayerLevel()) * 50)) {}

bool Arcade_Column_Marker::IsA(uint32_t classId) const { return classId == kClassId || Arcade_BG_Item::IsA(classId); }

bool Arcade_Column_Marker::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return Arcade_BG_Item::HandleProperty(msg, set);
    if (msg->id == kPropColumn) xProperty_Exchange(*this, *msg, column_, set);
    return true;
}

void Arcade_Column_Marker::Respawn() {
    Arcade_BG_Item::Respawn();
    reached_ = 0;
    SetVisible(0, 0);
}

void Arcade_Column_Marker::SetReached(bool reached) {
    if (!reached_ && reached) {
        if (GAToon_Activity* game = GAToon_Activity::Of(this)) game->ColumnReached(column_);
    }
    reached_ = reached ? 1 : 0;
}
