#include "engine/base/BaseState.h"

#include <cstdio>
#include <cstdlib>

namespace {

CBaseState*& Installed() {
    static CBaseState* state = nullptr;
    return state;
}

} // namespace

CBaseState& xBase_State() {
    if (Installed() == nullptr) xEngine_StateMissing("engine/base");
    return *Installed();
}

bool xBase_HasState() { return Installed() != nullptr; }

void xBase_InstallState(CBaseState* state) { Installed() = state; }

void xEngine_StateMissing(const char* module) {
    std::fprintf(stderr, "The state of %s was used while no engine context exists.\n", module);
    std::abort();
}
