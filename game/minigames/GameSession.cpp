#include "game/minigames/GameSession.h"

#include <cstdlib>
#include <memory>

#include "engine/app/EngineContext.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/GameStart.h"
#include "platform/Platform.h"
#include "platform/posix/MonotonicClock.h"
#include "platform/posix/StderrDebugOutput.h"

namespace {

bool DisplayNamed() {
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

} // namespace

bool UseGamePlatform() {
    if (!DisplayNamed() || !plat::UseSdl2()) {
        plat::UseHeadless();
        plat::services().clock = std::make_unique<plat::MonotonicClock>();
        plat::services().debug = std::make_unique<plat::StderrDebugOutput>();
        return false;
    }
    plat::UseSystemPrinter(); // headless runs keep the recording printer
    return true;
}

xAppHooks GameHooks() {
    xAppHooks hooks;
    hooks.VQAppPreInit = VQAppPreInit;
    hooks.VQAppInit = VQAppInit;
    hooks.VQAppStart = VQAppStart;
    hooks.VQAppEnd = VQAppEnd;
    return hooks;
}

int RunGame(const xAppHooks& hooks) {
    CEngineContext context;
    xGame_RegisterClasses();
    return WinMain(1, hooks);
}
