#pragma once
#include <cstdint>
#include <vector>

#include "platform/AudioOutput.h"

namespace plat {

/// The null device: no sound leaves the machine, but it consumes 22050 frames per second of
/// the platform clock, rendered on demand (before each mixer operation), so that sounds end
/// at their exact virtual time. It keeps the first 8 MB it rendered for tests to read.
class NullAudioOutput final : public AudioOutput {
public:
    static constexpr size_t kKeptBytes = size_t(8) << 20;

    int DeviceCount() override { return 1; }
    bool HasHardwareDevice() override { return false; }
    int Open(const AudioFormat& format, int device, uint32_t bufferFrames, AudioMixer& mixer) override;
    void Close() override;
    void SetPaused(bool paused) override;
    void Pump() override;

    /// The bytes rendered since the last open, in the output format (the first kKeptBytes).
    const std::vector<uint8_t>& Rendered() const { return rendered_; }
    /// Lets go of the bytes kept so far: the next ones are kept, up to kKeptBytes again (a
    /// long run listens to a late stretch).
    void Forget() { rendered_.clear(); }
    uint64_t FramesRendered() const { return frames_; }

private:
    AudioMixer* mixer_ = nullptr;
    AudioFormat format_;
    bool paused_ = false;
    uint32_t lastTick_ = 0;
    uint64_t elapsedMs_ = 0;
    uint64_t frames_ = 0;
    std::vector<uint8_t> rendered_;
};

} // namespace plat
