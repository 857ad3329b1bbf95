#include "platform/sdl2/Sdl2AudioOutput.h"

#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstring>

#include "platform/Platform.h"

namespace plat {

namespace {

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

/// The sound library SDL's ALSA driver loads, with its error printer silenced: on a machine
/// without a sound card every attempt to open a device printed eight lines of it. SDL loads the
/// same library later and keeps that setting; a machine without the library has nothing to
/// silence.
class QuietAlsa {
public:
    QuietAlsa() : library_(dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL)) {
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (!library_) return;
        if (auto set = reinterpret_cast<SetHandler>(dlsym(library_, "snd_lib_error_set_handler"))) set(IgnoreAlsaError);
    }
    ~QuietAlsa() {
        if (library_) dlclose(library_);
    }
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;

private:
    void* library_;
};

bool InitAudio() {
    static QuietAlsa quiet;
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

} // namespace

/// Owns SDL's audio subsystem for the output's lifetime.
class Sdl2AudioOutput::Session {
public:
    Session() : ok_(InitAudio()) {}
    ~Session() {
        if (ok_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

namespace {

void RenderInto(void* user, Uint8* stream, int length) {
    auto* mixer = static_cast<AudioMixer*>(user);
    const uint32_t frameBytes = mixer->OutputFormat().FrameBytes();
    mixer->Render(stream, uint32_t(length) / frameBytes);
}

bool IsEmulatedDriver(const char* name) {
    return name == nullptr || std::strcmp(name, "dummy") == 0 || std::strcmp(name, "disk") == 0;
}

} // namespace

Sdl2AudioOutput::Sdl2AudioOutput() : session_(std::make_unique<Session>()) {}

Sdl2AudioOutput::~Sdl2AudioOutput() { Close(); }

int Sdl2AudioOutput::DeviceCount() {
    const int listed = session_->ok() ? SDL_GetNumAudioDevices(0) : 0;
    return std::max(listed, 0) + 1; // the null device
}

bool Sdl2AudioOutput::HasHardwareDevice() {
    return session_->ok() && !IsEmulatedDriver(SDL_GetCurrentAudioDriver()) && SDL_GetNumAudioDevices(0) > 0;
}

int Sdl2AudioOutput::Open(const AudioFormat& format, int device, uint32_t bufferFrames, AudioMixer& mixer) {
    Close();
    if (session_->ok()) {
        SDL_AudioSpec wanted{};
        wanted.freq = int(format.rate);
        wanted.format = format.bits == 16 ? AUDIO_S16SYS : AUDIO_U8;
        wanted.channels = uint8_t(format.channels);
        wanted.samples = uint16_t(std::clamp<uint32_t>(bufferFrames, 256, 32768));
        wanted.callback = RenderInto;
        wanted.userdata = &mixer;
        const bool configured = device == kConfiguredDevice;
        const char* name = configured && SDL_GetNumAudioDevices(0) > 0 ? SDL_GetAudioDeviceName(0, 0) : nullptr;
        // SDL converts our format to the device's; the configured device takes ours as it is.
        SDL_AudioSpec got{};
        device_ = SDL_OpenAudioDevice(name, 0, &wanted, &got, 0);
        if (device_ != 0) {
            SDL_PauseAudioDevice(device_, 0);
            return 0;
        }
    }
    if (device == kConfiguredDevice) return session_->ok() ? mmerr::Allocated : mmerr::NoDriver;
    if (!toldSilent_) debug().Write("Sound: no sound device opens; the game runs silent.\n");
    toldSilent_ = true;
    usingNull_ = true;
    return null_.Open(format, device, bufferFrames, mixer);
}

void Sdl2AudioOutput::Close() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_); // waits for a callback under way
        device_ = 0;
    }
    if (usingNull_) {
        null_.Close();
        usingNull_ = false;
    }
}

void Sdl2AudioOutput::SetPaused(bool paused) {
    if (device_ != 0) SDL_PauseAudioDevice(device_, paused ? 1 : 0);
    if (usingNull_) null_.SetPaused(paused);
}

void Sdl2AudioOutput::Pump() {
    if (usingNull_) null_.Pump();
}

} // namespace plat
