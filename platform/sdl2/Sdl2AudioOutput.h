#pragma once
#include <cstdint>
#include <memory>

#include "platform/AudioOutput.h"
#include "platform/headless/NullAudioOutput.h"

namespace plat {

/// Sound through SDL2's audio: its callback renders the mixer into the device's buffer (SDL
/// converts the mixer's format to the device's). The configured device is the first one SDL
/// lists (its default when it lists none); the default device is SDL's default, and when that
/// does not open either the null device takes its place, so a machine without sound still
/// counts one device. SDL's "dummy" and "disk" drivers and the null device are emulated.
/// Closing and pausing wait for a callback under way: never call them under the sound lock.
class Sdl2AudioOutput final : public AudioOutput {
public:
    Sdl2AudioOutput();
    ~Sdl2AudioOutput() override;

    int DeviceCount() override;
    bool HasHardwareDevice() override;
    int Open(const AudioFormat& format, int device, uint32_t bufferFrames, AudioMixer& mixer) override;
    void Close() override;
    void SetPaused(bool paused) override;
    void Pump() override;

    /// True while the null device stands in for SDL's.
    bool UsesNullDevice() const { return usingNull_; }

private:
    class Session;
    std::unique_ptr<Session> session_;
    uint32_t device_ = 0; ///< SDL's device id, 0 when none is open
    NullAudioOutput null_;
    bool usingNull_ = false;
    bool toldSilent_ = false; ///< the one line saying that the game runs silent
};

} // namespace plat
