// A program on the engine's start-up whose hooks misbehave on request, for the start-up tests
// that run it as a separate process. The variable PROBE chooses:
//   preinit, init   the game hook of that name fails
//   engine          the sound engine fails to start and its failure ends the engine's start-up
//   manager         the game makes an activity manager itself, so the engine's own cannot be made
//   start           the game's start fails: no run, the ordered shutdown
//   throw           an idle process throws the text "Driver Exception" on its third frame
//   hold            runs until a file "release" appears in the working folder
//   (other)         everything succeeds; an empty stage runs until the run limits end it
// Every hook traces its name; after WinMain the probe writes whether the engine object remains.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/app/Engine.h"
#include "engine/app/EngineContext.h"
#include "engine/app/Startup.h"
#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Process.h"
#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "platform/Platform.h"
#include "platform/posix/MonotonicClock.h"
#include "platform/posix/StderrDebugOutput.h"
#include "tests/support/ScriptedAudioOutput.h"

namespace {

std::string Probe() {
    const char* probe = std::getenv("PROBE");
    return probe ? probe : "";
}

/// Throws a text from its OnIdle on the third frame, as a driver does when the data disc is
/// gone.
class Thrower : public OProcess {
public:
    Thrower() : OProcess("Thrower", kClassId) {}
    int32_t OnIdle() override {
        if (++frames_ == 3) throw "Driver Exception";
        return 1;
    }

private:
    int frames_ = 0;
};

/// Ends the run once the file "release" exists in the working folder.
class Holder : public OProcess {
public:
    Holder() : OProcess("Holder", kClassId) {}
    int32_t OnIdle() override {
        if (std::FILE* release = std::fopen("release", "r")) {
            std::fclose(release);
            RequestQuit();
        }
        return 1;
    }
};

bool PreInit() {
    xTrace("probe: VQAppPreInit\n");
    if (Probe() == "engine") {
        xProfiles_Set("SOUNDENABLED", sLong(1));
        xProfiles_Set("SNDENGINEFLAGS", sLong(4));
        vqt::test::UseScriptedAudio().devices = 0; // no wave-output device: -400
    }
    return Probe() != "preinit";
}

bool Init() {
    xTrace("probe: VQAppInit\n");
    if (Probe() == "manager") CreateActivityManager();
    return Probe() != "init";
}

bool Start() {
    xTrace("probe: VQAppStart\n");
    if (Probe() == "throw") OVQEngine::Instance()->GetMainWindow()->AddChild(new Thrower);
    if (Probe() == "hold") OVQEngine::Instance()->GetMainWindow()->AddChild(new Holder);
    return Probe() != "start";
}

bool End() {
    xTrace("probe: VQAppEnd\n");
    return true;
}

} // namespace

int main() {
    plat::UseHeadless();
    plat::services().clock = std::make_unique<plat::MonotonicClock>();
    plat::services().debug = std::make_unique<plat::StderrDebugOutput>();
    CEngineContext context;
    xAppHooks hooks;
    hooks.VQAppPreInit = PreInit;
    hooks.VQAppInit = Init;
    hooks.VQAppStart = Start;
    hooks.VQAppEnd = End;
    const int32_t code = WinMain(1, hooks);
    std::printf("probe: engine %s\n", OVQEngine::Instance() ? "remains" : "shut down");
    return code;
}
