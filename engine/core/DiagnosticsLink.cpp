#include "engine/core/DiagnosticsLink.h"

#include "engine/core/CoreState.h"

CDiagnosticsLink* xDiagnostics_Link() { return xCore_State().diagnostics; }

void xDiagnostics_SetLink(CDiagnosticsLink* link) { xCore_State().diagnostics = link; }
