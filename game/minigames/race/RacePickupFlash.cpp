#include "game/minigames/race/RacePickupFlash.h"

int32_t CRacePickupFlash::OnAnimationEnd() {
    SetVisible(0, 1);
    return OActivityProp::OnAnimationEnd();
}
