#include "engine/core/CoreState.h"

#include "engine/base/BaseState.h"
#include "engine/core/ActivityManager.h"
#include "engine/data/MessageBox.h"

namespace {

CCoreState*& Installed() {
    static CCoreState* state = nullptr;
    return state;
}

} // namespace

CCoreState::CCoreState() = default;

CCoreState::~CCoreState() { DestroyActivityManager(); }

CCoreState& xCore_State() {
    if (Installed() == nullptr) xEngine_StateMissing("engine/core");
    return *Installed();
}

void xCore_InstallState(CCoreState* state) {
    Installed() = state;
    xMessageBox_SetPresenter(state != nullptr ? &xCursor_PresentBox : nullptr);
}
