#pragma once
#include <cstdint>
#include <vector>

#include "platform/AudioOutput.h"
#include "platform/headless/NullAudioOutput.h"

namespace vqt::test {

/// A wave output whose answers a test sets: the device count, whether it is a hardware device,
/// and the code that opening the configured and the default device gives. An open that
/// succeeds behaves as the null device (frames consumed on the platform clock, kept for
/// reading). Opens, closes and pauses are recorded.
class ScriptedAudioOutput final : public plat::AudioOutput {
public:
    struct OpenCall {
        int device;
        uint32_t bufferFrames;
    };

    int devices = 1;
    bool hardware = true;
    int configuredResult = 0;
    int defaultResult = 0;

    std::vector<OpenCall> opens;
    int closes = 0;
    std::vector<bool> pauses;

    int DeviceCount() override { return devices; }
    bool HasHardwareDevice() override { return hardware; }
    int Open(const plat::AudioFormat& format, int device, uint32_t bufferFrames, plat::AudioMixer& mixer) override;
    void Close() override;
    void SetPaused(bool paused) override;
    void Pump() override { device_.Pump(); }

    /// What the open device rendered (see NullAudioOutput).
    const std::vector<uint8_t>& Rendered() const { return device_.Rendered(); }
    void Forget() { device_.Forget(); }

private:
    plat::NullAudioOutput device_;
};

/// Puts a new scripted output into the audio service and answers it (owned by the service).
ScriptedAudioOutput& UseScriptedAudio();
/// The audio service's output as the null device (the headless services' own).
plat::NullAudioOutput& NullAudio();

} // namespace vqt::test
