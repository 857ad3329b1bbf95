#pragma once
#include <memory>

#include "platform/AudioMixer.h"
#include "platform/AudioOutput.h"

namespace plat {

/// The sound service: our mixer over one output (a device, or the null device that consumes
/// frames on the platform clock).
class Audio {
public:
    explicit Audio(std::unique_ptr<AudioOutput> output);
    /// Closes the output before the mixer goes.
    ~Audio();
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;

    AudioMixer& Mixer() { return mixer_; }
    AudioOutput& Output() { return *output_; }
    /// Replaces the output (the old one is closed first).
    void SetOutput(std::unique_ptr<AudioOutput> output);

    int DeviceCount() { return output_->DeviceCount(); }
    bool HasHardwareDevice() { return output_->HasHardwareDevice(); }
    /// Sets the mixer's format and opens the output on the device (see AudioOutput::Open); a
    /// format other than 1 or 2 channels of 8 or 16 bits answers mmerr::BadFormat.
    int Open(const AudioFormat& format, int device, uint32_t bufferFrames);
    void Close();
    bool IsOpen() const { return open_; }
    /// Gives the device back while the application is switched out (false) and takes it again.
    void SetDeviceHeld(bool held);

private:
    AudioMixer mixer_;
    std::unique_ptr<AudioOutput> output_;
    bool open_ = false;
};

} // namespace plat
