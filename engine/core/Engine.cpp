#include "engine/core/Engine.h"

#include <new>

#include "engine/core/Platform.h"
#include "engine/core/Random.h"
#include "engine/core/Window.h"
#include "platform/Platform.h"

namespace {
OVQEngine* g_engine = nullptr;
}

bool OVQEngine::Startup() {
    if (g_engine) return false;
    g_engine = new (std::nothrow) OVQEngine;
    if (!g_engine) return false;
    xSRand(plat::clock().TickCount());
    xPlatform_SetEngineExists(true);
    return true;
}

OVQEngine* OVQEngine::Instance() { return g_engine; }

void OVQEngine::Shutdown() {
    delete g_engine;
    g_engine = nullptr;
}

OVQEngine::~OVQEngine() {
    delete mainWindow_;
    mainWindow_ = nullptr;
    delete stageWindow_;
    stageWindow_ = nullptr;
    xPlatform_SetEngineExists(false);
}

void OVQEngine::SetMainWindow(OWindow* window) {
    if (mainWindow_ && mainWindow_ != window) delete mainWindow_;
    mainWindow_ = window;
    // The window's link to the platform layer (installed by the start-up) stays as it is.
    if (window) xPlatform_SetMainWindow(window, window->GetWindowId(), CPlatformState::Get().link);
}

void OVQEngine::GetStageRect(CRect16* rect) const {
    if (!rect || !mainWindow_) return;
    *rect = CRect16(0, 0, mainWindow_->GetStageWidth(), mainWindow_->GetStageHeight());
}
