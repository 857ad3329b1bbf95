#include "tests/support/ScriptedAudioOutput.h"

#include <memory>

#include "platform/Platform.h"

namespace vqt::test {

int ScriptedAudioOutput::Open(const plat::AudioFormat& format, int device, uint32_t bufferFrames,
                              plat::AudioMixer& mixer) {
    opens.push_back({device, bufferFrames});
    const int code = device == kConfiguredDevice ? configuredResult : defaultResult;
    return code != 0 ? code : device_.Open(format, device, bufferFrames, mixer);
}

void ScriptedAudioOutput::Close() {
    ++closes;
    device_.Close();
}

void ScriptedAudioOutput::SetPaused(bool paused) {
    pauses.push_back(paused);
    device_.SetPaused(paused);
}

ScriptedAudioOutput& UseScriptedAudio() {
    auto output = std::make_unique<ScriptedAudioOutput>();
    ScriptedAudioOutput& kept = *output;
    plat::audio().SetOutput(std::move(output));
    return kept;
}

plat::NullAudioOutput& NullAudio() { return dynamic_cast<plat::NullAudioOutput&>(plat::audio().Output()); }

} // namespace vqt::test
