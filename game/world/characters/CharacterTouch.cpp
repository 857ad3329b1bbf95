#include "game/world/characters/CharacterTouch.h"

#include "game/world/characters/Dweeble.h"
#include "game/world/characters/DweebleNumbers.h"

bool IsVehicle(const TLV_Object* prop) { return prop && prop->IsA(kVehicleBaseClass); }

int32_t PushedUnlessAtEdge(Dweeble* d) {
    CCharacterWorld* world = d->GetCharacterWorld();
    if (!world || !world->IsDrivingWorld()) return kTouchPush;
    const CPointF ground = d->GetGroundPosition();
    return world->IsInsideMap(CPoint16(ToInt16(ground.x), ToInt16(ground.y)), kPushEdgeInset) ? kTouchPush
                                                                                                : kTouchRefuse;
}
