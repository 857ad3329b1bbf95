#include "game/minigames/GameSession.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "engine/app/EngineContext.h"
#include "engine/data/Profiles.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/GameStart.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "platform/Platform.h"
#include "platform/posix/HandedBuildLock.h"
#include "platform/posix/MonotonicClock.h"
#include "platform/posix/PathChecks.h"
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

/// The variables that name a display: their names and their settings ("DISPLAY=:0").
struct NamedDisplay {
    std::string names;
    std::string settings;
};

NamedDisplay DisplaysNamed() {
    NamedDisplay named;
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        const char* comma = named.names.empty() ? "" : ", ";
        named.names += comma + std::string(name);
        named.settings += comma + std::string(name) + "=" + value;
    }
    return named;
}

/// The product name of the game's built-in messages.
std::string ProductName() {
    for (const xMessagePair* pair = GameFallbackMessages(); pair->id; ++pair)
        if (std::string_view(pair->id) == "MSG_PRODUCTNAME") return pair->text;
    return {};
}

} // namespace

int ReleaseBuildLock() {
    const std::string why = plat::ReleaseHandedBuildLock();
    if (why.empty()) return 0;
    std::fputs(why.c_str(), stderr);
    return 2;
}

int TakeGameLock() {
    const std::string product = ProductName();
    const plat::InstanceLock lock = plat::system().CreateInstanceMutex(product);
    const std::string why = InstanceLockRefusal(lock, product);
    if (why.empty()) return 0;
    std::fputs(why.c_str(), stderr);
    return lock.state == plat::InstanceLock::State::HandOverRefused ? 2 : 1;
}

int TakeRunFolderLock(plat::RunFolderLock& lock) {
    const std::string folder = plat::system().WorkingFolder();
    const char* handed = std::getenv("VQT_RUN_LOCK_FD");
    const plat::InstanceLock taken = lock.Take(folder, handed ? handed : "");
    switch (taken.state) {
    case plat::InstanceLock::State::Taken:
        return 0;
    case plat::InstanceLock::State::HeldElsewhere:
        std::fprintf(stderr,
                     "A game already plays in the run folder %s (its lock %s is held); end it before starting another "
                     "there.\n",
                     folder.c_str(), plat::RunFolderLock::PathIn(folder).c_str());
        return 1;
    case plat::InstanceLock::State::Failed:
    case plat::InstanceLock::State::HandOverRefused:
        break;
    }
    std::fprintf(stderr,
                 "%s cannot take the lock of its run folder %s (%s), so it cannot make sure no other game plays there; "
                 "this copy ends.\n",
                 ProductName().c_str(), folder.c_str(), taken.why.c_str());
    return taken.state == plat::InstanceLock::State::HandOverRefused ? 2 : 1;
}

int PrintGameLockPath() {
    const std::string product = ProductName();
    if (const std::string why = plat::system().MakeLockFile(product); !why.empty()) {
        std::fprintf(stderr, "%s cannot make its single-instance lock: %s\n", product.c_str(), why.c_str());
        return 1;
    }
    std::printf("%s\n", plat::system().LockPath(product).c_str());
    return 0;
}

GameDisplay UseGamePlatform() {
    const NamedDisplay named = DisplaysNamed();
    if (!named.names.empty() && plat::UseSdl2()) {
        // Headless runs keep the recording printer. A run that start-up refuses for a variable
        // chooses none, so that no printer note comes before the line that refuses it.
        if (plat::VariableFaults().empty()) plat::UseSystemPrinter();
        return GameDisplay::Window;
    }
    if (!named.names.empty()) {
        std::fprintf(stderr, "No window can be opened on the display of %s; unset %s to run the game headless.\n",
                     named.settings.c_str(), named.names.c_str());
        return GameDisplay::Unavailable;
    }
    plat::UseHeadless();
    plat::services().clock = std::make_unique<plat::MonotonicClock>();
    plat::services().debug = std::make_unique<plat::StderrDebugOutput>();
    return GameDisplay::Headless;
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
