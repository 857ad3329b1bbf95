#include "game/shell/TLVSimpleObject.h"

#include "engine/graphics/State.h"
#include "engine/media/Sound.h"

TLVSimple_Object::TLVSimple_Object(const char* name, uint32_t classId) : TLV_Object(name, classId) {
    SetSoundRange(kSoundRange);
}

bool TLVSimple_Object::IsA(uint32_t classId) const { return classId == kClassId || TLV_Object::IsA(classId); }

int32_t TLVSimple_Object::OnIdle() {
    if (alwaysAnimate_ == 0 && !IsOnScreen()) {
        const CState* state = GetCurrentStateObject();
        if (!state || !xSound_IsPlaying(state->soundChannel)) return 1;
    }
    return TLV_Object::OnIdle();
}
