// Entry of the game executable: picks the platform's backend (a real window through SDL2 and the
// system's printer where a display can be opened, else headless with the wall clock) and runs
// the engine's start-up with the game's hooks.
#include <cstdlib>
#include <memory>

#include "engine/app/EngineContext.h"
#include "engine/app/Startup.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/GameStart.h"
#include "game/shell/TLVApp.h"
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

int main() {
    if (!DisplayNamed() || !plat::UseSdl2()) {
        plat::UseHeadless();
        plat::services().clock = std::make_unique<plat::MonotonicClock>();
        plat::services().debug = std::make_unique<plat::StderrDebugOutput>();
    } else {
        plat::UseSystemPrinter(); // headless runs keep the recording printer
    }
    CEngineContext context;
    xGame_RegisterClasses();
    xAppHooks hooks;
    hooks.VQAppPreInit = VQAppPreInit;
    hooks.VQAppInit = VQAppInit;
    hooks.VQAppStart = VQAppStart;
    hooks.VQAppEnd = VQAppEnd;
    return WinMain(1, hooks);
}
