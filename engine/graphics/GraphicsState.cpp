#include "engine/graphics/GraphicsState.h"

#include "engine/base/BaseState.h"

namespace {

CGraphicsState*& Installed() {
    static CGraphicsState* state = nullptr;
    return state;
}

} // namespace

CGraphicsState& xGraphics_State() {
    if (Installed() == nullptr) xEngine_StateMissing("engine/graphics");
    return *Installed();
}

void xGraphics_InstallState(CGraphicsState* state) { Installed() = state; }
