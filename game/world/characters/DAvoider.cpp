#include "game/world/characters/DAvoider.h"

#include <algorithm>

#include "game/world/characters/CharacterTouch.h"
#include "game/world/characters/DweebleRoutines.h"

namespace {

constexpr uint32_t kAncestors[] = {DAvoider::kClassId, Dweeble::kClassId};

} // namespace

DAvoider::DAvoider(const char* name, uint32_t classId) : Dweeble(name, classId) {
    SetGroupRoutine(0, &Dweeble_Wander);
    SetGroupRoutine(1, &Dweeble_Wander);
    SetGroupRoutine(2, &Dweeble_Avoid);
    SetGroupRoutine(3, &Dweeble_Roam);
    SetGroupRoutine(4, &Dweeble_Avoid);
    SetDwellTimes(-1, kAvoidMs, kAvoidMs, 250, 250);
    AddFramesD(7, 8);
}

bool DAvoider::IsA(uint32_t classId) const {
    return std::find(std::begin(kAncestors), std::end(kAncestors), classId) != std::end(kAncestors) ||
           Dweeble::IsA(classId);
}

int32_t DAvoider::OnIdle() {
    const int32_t answer = Dweeble::OnIdle();
    if (avoid_.Step(this)) {
        ExpireTimers();
        SetBehaviourState(5);
    }
    return answer;
}

int32_t DAvoider::OnContact(TLV_Object* other) {
    if (!IsVehicle(other)) {
        if (!FrameInListD()) SetBehaviourState(6);
        return kTouchRefuse;
    }
    if (!FrameInListD()) {
        SetBehaviourState(9);
        Stop();
    }
    avoid_.Start(other);
    return PushedUnlessAtEdge(this);
}

void DAvoider::SetActionFrames(uint8_t secondVehicle) { AddFramesD(7, secondVehicle ? 9 : 8); }
