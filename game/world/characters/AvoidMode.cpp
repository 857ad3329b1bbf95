#include "game/world/characters/AvoidMode.h"

#include "game/world/characters/TurnAway.h"

CAvoidMode::CAvoidMode(int32_t ms) : ms_(ms) { timer_.duration = ms; }

void CAvoidMode::Start(OActivityProp* vehicle) {
    avoiding_ = 1;
    timer_.Start(ms_);
    vehicle_ = vehicle;
}

bool CAvoidMode::Step(Dweeble* character) {
    if (avoiding_ && !character->FrameInListD()) TurnBackTo(character, vehicle_);
    if (!avoiding_ || !timer_.HasElapsed()) return false;
    avoiding_ = 0;
    vehicle_ = nullptr;
    timer_.Stop();
    return true;
}

void CAvoidMode::Forget(const OActivityProp* prop) {
    if (vehicle_ != prop) return;
    vehicle_ = nullptr;
    avoiding_ = 0;
}
