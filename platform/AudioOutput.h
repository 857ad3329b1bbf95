#pragma once
#include <cstdint>

#include "platform/AudioMixer.h"

namespace plat {

/// Multimedia error codes that opening an output answers (the Windows numbering).
namespace mmerr {
inline constexpr int BadDeviceId = 2;
inline constexpr int Allocated = 4; ///< the device is busy
inline constexpr int NoDriver = 6;
inline constexpr int NoMemory = 7;
inline constexpr int BadFormat = 32;
inline constexpr int Synchronous = 35;
} // namespace mmerr

/// Where the mixed sound goes: a wave-output device that pulls frames from the mixer.
class AudioOutput {
public:
    static constexpr int kConfiguredDevice = 0;
    static constexpr int kDefaultDevice = -1;

    virtual ~AudioOutput() = default;
    /// The number of wave-output devices; 0 when there is none.
    virtual int DeviceCount() = 0;
    /// Whether sound reaches a real device rather than an emulated one.
    virtual bool HasHardwareDevice() = 0;
    /// Opens the configured device (0) or the default one (-1) for the format with a buffer of
    /// `bufferFrames`, pulling from the mixer from then on; 0 or an error code (mmerr).
    virtual int Open(const AudioFormat& format, int device, uint32_t bufferFrames, AudioMixer& mixer) = 0;
    /// Stops pulling and lets the device go; nothing when not open.
    virtual void Close() = 0;
    /// Stops pulling while the device is given back (true) and starts again (false).
    virtual void SetPaused(bool paused) = 0;
    /// Renders what is due by now, for outputs that no device thread drives.
    virtual void Pump() {}
};

} // namespace plat
