#include "game/minigames/GameSession.h"

#include <cstdlib>
#include <memory>

#include "engine/app/EngineContext.h"
#include "engine/data/Profiles.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/GameStart.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "platform/Platform.h"
#include "platform/posix/MonotonicClock.h"
#include "platform/posix/StderrDebugOutput.h"

namespace {

/// A town's activities {1, 0, n} (the town, its arcade, puzzle, race and round-up) and its two
/// vehicles, the first and the one after it.
struct StartTown {
    uint16_t firstVehicle;
    uint16_t entries[5];
};
constexpr StartTown kStartTowns[] = {
    {0, {8, 15, 13, 11, 18}},  // the circus town
    {2, {14, 16, 10, 9, 23}},  // the zoo
    {4, {17, 19, 24, 22, 25}}, // the city
};

/// The game's start, then the vehicle for a run that the profile starts in a town or one of its
/// games (the sign-in and the garage choose it otherwise): the town's first, unless the
/// player's vehicle drives there already.
bool StartWithTownVehicle() {
    if (!VQAppStart()) return false;
    uint32_t start = 0;
    xProfiles_GetULong("STARTACTIVITY", &start);
    CPlayer* player = CTLVApp::Get() ? CTLVApp::Get()->GetPlayer() : nullptr;
    for (const StartTown& town : kStartTowns) {
        for (const uint16_t entry : town.entries) {
            if (entry != start || !player) continue;
            const uint16_t vehicle = player->GetSelectedVehicle();
            if (vehicle != town.firstVehicle && vehicle != town.firstVehicle + 1) player->SetSelectedVehicle(town.firstVehicle);
        }
    }
    return true;
}

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
    hooks.VQAppStart = StartWithTownVehicle;
    hooks.VQAppEnd = VQAppEnd;
    return hooks;
}

int RunGame(const xAppHooks& hooks) {
    CEngineContext context;
    xGame_RegisterClasses();
    return WinMain(1, hooks);
}
