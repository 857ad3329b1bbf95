#include "game/minigames/arcade/ArcadeHitPause.h"

#include "game/world/characters/Dweeble.h"

bool StartHitPause(Dweeble& character, int32_t next) {
    character.Stop();
    if (!character.FrameInListD()) character.ShowRandomFrameD(false);
    if (!character.FrameInListD()) return false;
    character.SetActionEnds(0);
    if (character.GetActionEndMode() == 1) character.StartDwellTimer(next, false);
    character.SetBehaviourState(next);
    return true;
}
