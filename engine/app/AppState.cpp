#include "engine/app/AppState.h"

#include "engine/base/BaseState.h"

namespace {

CAppState*& Installed() {
    static CAppState* state = nullptr;
    return state;
}

} // namespace

CAppState& xApp_State() {
    if (Installed() == nullptr) xEngine_StateMissing("engine/app");
    return *Installed();
}

void xApp_InstallState(CAppState* state) { Installed() = state; }
