#include "game/minigames/roundup/RoundUpMark.h"

Round_Up_Track::Round_Up_Track(const char* name, uint32_t classId) : TLVSimple_Object(name, classId) {
    SetObjectId(kInUse);
    SetHideAtAnimationEnd(1);
}

bool Round_Up_Track::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

int32_t Round_Up_Track::OnAnimationEnd() {
    if (GetState() >= kFadeStates) {
        SetVisible(0, 0);
        SetObjectId(kFree);
    }
    return TLVSimple_Object::OnAnimationEnd();
}
