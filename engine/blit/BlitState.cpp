#include "engine/blit/BlitState.h"

#include "engine/base/BaseState.h"

namespace {

CBlitState*& Installed() {
    static CBlitState* state = nullptr;
    return state;
}

} // namespace

CBlitState::CBlitState() {
    const uint8_t zeros[CColorPalette::kEntries * 4] = {};
    defaultPalette.SetFromColorTable(zeros);
    defaultPalette.Free16BitTable();
}

CBlitState& xBlit_State() {
    if (Installed() == nullptr) xEngine_StateMissing("engine/blit");
    return *Installed();
}

void xBlit_InstallState(CBlitState* state) { Installed() = state; }
