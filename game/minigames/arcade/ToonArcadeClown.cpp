#include "game/minigames/arcade/ToonArcadeClown.h"

#include "game/minigames/arcade/GAToonActivity.h"
#include "game/shell/PropertyField.h"

Toon_Arcade_Clown::Toon_Arcade_Clown(const char* name, uint32_t classId) : Arcade_BG_Item(name, classId) {}

bool Toon_Arcade_Clown::IsA(uint32_t classId) const { return classId == kClassId || Arcade_BG_Item::IsA(classId); }

bool Toon_Arcade_Clown::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return Arcade_BG_Item::HandleProperty(msg, set);
    if (msg->id == kPropColumn) xProperty_Exchange(*this, *msg, column_, set);
    if (msg->id == kPropKind) xProperty_Exchange(*this, *msg, kind_, set);
    return true;
}

int32_t Toon_Arcade_Clown::OnAnimationEnd() {
    if (GetState() == kLeaving) SetActive(false);
    return Arcade_BG_Item::OnAnimationEnd();
}

void Toon_Arcade_Clown::Respawn() {
    SetActive(false);
    if (GAToon_Activity* game = GAToon_Activity::Of(this)) game->Forget(this);
}

int32_t Toon_Arcade_Clown::OnContact(TLV_Object* other) {
    const int32_t state = GetState();
    if (active_ && other && other->IsA(2320) && (state == kWaiting || state == kHittable)) {
        if (GAToon_Activity* game = GAToon_Activity::Of(this)) game->HitCharacter(this);
    }
    return IsShownThroughParents() ? kBlocks : 0;
}

void Toon_Arcade_Clown::SetActive(bool on) {
    if (!on) {
        SetVisible(0, 0);
        active_ = 0;
        return;
    }
    SetState(kWaiting);
    QueueNextState(1);
    SetVisible(1, 0);
    active_ = 1;
}
