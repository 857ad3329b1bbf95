#include "game/world/characters/DBadGuy.h"

#include "game/world/characters/CharacterTouch.h"

int32_t DBadGuy::OnContact(TLV_Object* other) {
    return IsVehicle(other) ? kTouchSound : kTouchSound | kTouchRefuse;
}
