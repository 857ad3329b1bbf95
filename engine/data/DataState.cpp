#include "engine/data/DataState.h"

#include "engine/base/BaseState.h"
#include "engine/data/FileLayer.h"

namespace {

CDataState*& Installed() {
    static CDataState* state = nullptr;
    return state;
}

} // namespace

CDataState& xData_State() {
    if (Installed() == nullptr) xEngine_StateMissing("engine/data");
    return *Installed();
}

void xData_InstallState(CDataState* state) {
    Installed() = state;
    xTrace_SetLogWriter(state != nullptr ? &xFile_AppendToTraceLog : nullptr);
}
