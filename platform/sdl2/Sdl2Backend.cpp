#include <SDL.h>

#include <cstdlib>
#include <string>

#include "platform/Platform.h"
#include "platform/posix/MonotonicClock.h"
#include "platform/posix/StderrDebugOutput.h"
#include "platform/sdl2/Sdl2AudioOutput.h"
#include "platform/sdl2/Sdl2Desktop.h"
#include "platform/sdl2/Sdl2Dialogs.h"
#include "platform/sdl2/Sdl2Messages.h"

namespace plat {

namespace {

/// Unless SDL_VIDEODRIVER chooses, only the drivers of the displays named are tried: SDL would
/// otherwise fall back to its off-screen driver when the named display does not open, and the
/// program would run in a window nobody sees.
void ChooseVideoDrivers() {
    const auto named = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    if (named("SDL_VIDEODRIVER")) return;
    std::string drivers = named("DISPLAY") ? "x11" : "";
    if (named("WAYLAND_DISPLAY")) drivers += drivers.empty() ? "wayland" : ",wayland";
    if (!drivers.empty()) SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
}

/// Owns SDL's video subsystem for the rest of the process.
class Sdl2Session {
public:
    Sdl2Session() : ok_((ChooseVideoDrivers(), SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)) {}
    ~Sdl2Session() {
        if (ok_) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    }
    Sdl2Session(const Sdl2Session&) = delete;
    Sdl2Session& operator=(const Sdl2Session&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

} // namespace

bool UseSdl2() {
    static Sdl2Session session;
    if (!session.ok()) {
        return false;
    }
    Services& s = services();
    s.clock = std::make_unique<MonotonicClock>();
    s.debug = std::make_unique<StderrDebugOutput>();
    s.dialogs = std::make_unique<Sdl2Dialogs>();
    s.desktop = std::make_unique<Sdl2Desktop>();
    s.messages = std::make_unique<Sdl2Messages>();
    s.input = std::make_unique<Sdl2Input>();
    s.fonts = std::make_unique<Fonts>(Fonts::Setup::System);
    s.audio = std::make_unique<Audio>(std::make_unique<Sdl2AudioOutput>());
    SDL_StartTextInput();
    return true;
}

} // namespace plat
