#include "engine/app/EngineContext.h"

#include <cstdio>
#include <cstdlib>

#include "engine/app/AppState.h"
#include "engine/media/Application.h"
#include "engine/base/BaseState.h"
#include "engine/blit/BlitState.h"
#include "engine/core/CoreState.h"
#include "engine/data/DataState.h"
#include "engine/graphics/GraphicsState.h"
#include "engine/media/MediaState.h"

namespace {

/// The sound process whose pipes the sound link plays on: the application's.
OSoundProcess* ApplicationSoundProcess() {
    OApplication* app = OApplication::Get();
    return app != nullptr ? app->GetSoundProcess() : nullptr;
}

/// Makes a record and installs it.
template <typename State, typename... Args>
void Make(std::unique_ptr<State>& slot, void (*install)(State*), Args... args) {
    slot = std::make_unique<State>(args...);
    install(slot.get());
}

/// Ends a record (still installed while it goes), then uninstalls it.
template <typename State>
void End(std::unique_ptr<State>& slot, void (*install)(State*)) {
    slot.reset();
    install(nullptr);
}

} // namespace

CEngineContext::CEngineContext() {
    if (xBase_HasState()) {
        std::fputs("A second engine context was made while one exists.\n", stderr);
        std::abort();
    }
    Make(base_, &xBase_InstallState);
    Make(data_, &xData_InstallState);
    Make(blit_, &xBlit_InstallState);
    Make(graphics_, &xGraphics_InstallState);
    Make(core_, &xCore_InstallState);
    Make(media_, &xMedia_InstallState, &ApplicationSoundProcess);
    Make(app_, &xApp_InstallState);
}

CEngineContext::~CEngineContext() {
    End(app_, &xApp_InstallState);
    End(media_, &xMedia_InstallState);
    End(core_, &xCore_InstallState);
    End(graphics_, &xGraphics_InstallState);
    End(blit_, &xBlit_InstallState);
    End(data_, &xData_InstallState);
    End(base_, &xBase_InstallState);
}
