#include "platform/Platform.h"

#include <atomic>

#include "platform/ffmpeg/FfmpegMovies.h"
#include "platform/headless/HeadlessDesktop.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/headless/IniRegistry.h"
#include "platform/headless/NullAudioOutput.h"
#include "platform/headless/HeadlessSystem.h"
#include "platform/headless/RecordingDebugOutput.h"
#include "platform/headless/RecordingPrinter.h"
#include "platform/headless/ScriptedDialogs.h"
#include "platform/headless/ScriptedMessages.h"
#include "platform/headless/VirtualClock.h"
#include "platform/posix/PosixFiles.h"

namespace plat {

namespace {

Services MakeHeadless() {
    Services s;
    s.clock = std::make_unique<VirtualClock>();
    s.debug = std::make_unique<RecordingDebugOutput>();
    s.system = std::make_unique<HeadlessSystem>();
    s.files = std::make_unique<PosixFiles>();
    s.dialogs = std::make_unique<ScriptedDialogs>();
    s.locale = std::make_unique<HeadlessLocale>();
    s.registry = std::make_unique<IniRegistry>();
    s.messages = std::make_unique<ScriptedMessages>();
    s.input = std::make_unique<HeadlessInput>();
    s.desktop = std::make_unique<HeadlessDesktop>();
    s.gdi = std::make_unique<Gdi>();
    s.ddraw = std::make_unique<dd::Library>();
    s.printer = std::make_unique<RecordingPrinter>();
    s.movies = std::make_unique<FfmpegMovies>();
    s.inputMethod = std::make_unique<InputMethod>();
    s.fonts = std::make_unique<Fonts>(Fonts::Setup::Pinned);
    s.audio = std::make_unique<Audio>(std::make_unique<NullAudioOutput>());
    return s;
}

std::atomic<bool> g_servicesReady{false};

} // namespace

Services& services() {
    static Services instance = [] {
        Services made = MakeHeadless();
        g_servicesReady.store(true, std::memory_order_release);
        return made;
    }();
    return instance;
}

bool ServicesReady() { return g_servicesReady.load(std::memory_order_acquire); }

void UseHeadless() { services() = MakeHeadless(); }

} // namespace plat
