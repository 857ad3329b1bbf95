#pragma once
// Every module keeps its state in one record that the engine context makes and installs; a
// module reaches its record through one accessor. This is the bottom module's record.
#include <cstdint>

#include "engine/base/AppInstance.h"
#include "engine/base/Trace.h"

struct CBaseState {
    TraceKeys traceKeys;
    TraceLogWriter traceLogWriter = nullptr;
    uint32_t randomState = 1; ///< the random source's state
    uint64_t cycleBase = 0;   ///< subtracted from every reading of the cycle stopwatch
    CAppInstance instance;
};

/// The installed record.
CBaseState& xBase_State();
/// Whether a record is installed (the trace stays silent without one).
bool xBase_HasState();
/// Installs the record (null: none); the engine context does this.
void xBase_InstallState(CBaseState* state);

/// Ends the program with a line on the standard error: a module's state was asked for while no
/// engine context is installed.
[[noreturn]] void xEngine_StateMissing(const char* module);
