#pragma once
// The program composition's record in the engine context.
#include <memory>

#include "engine/app/Engine.h"
#include "engine/app/EngineLink.h"
#include "engine/app/Startup.h"

struct CAppState {
    CStartupState startup;
    CEngineLink engineLink;
    /// The engine object, from OVQEngine::Startup to OVQEngine::Shutdown.
    std::unique_ptr<OVQEngine> engine;
};

/// The installed record.
CAppState& xApp_State();
/// Installs the record (null: none); the engine context does this.
void xApp_InstallState(CAppState* state);
