#include "tools/synthetic/SyntheticSounds.h"

#include "tools/builders/SnippetBuilder.h"

using namespace vqt::test;

std::vector<uint32_t> AddPropTones(PartBuilder& parts) {
    constexpr uint32_t kHalfSecond = 11025;
    SnipPlan raw;
    raw.sound = Pcm8(SineTone(880, kHalfSecond, 22050, 8000));
    raw.volume = 400;
    SnipPlan wave;
    wave.kind = 1;
    wave.sound = WaveFile(Pcm16(SineTone(440, kHalfSecond, 22050, 8000)), 1, 16, 22050);
    SnipPlan mp3;
    mp3.kind = 2;
    mp3.sound = Mp3File(SineTone(330, kHalfSecond, 22050, 8000), 1, 22050);
    return {parts.AddSnippet(raw, "Sun tone"), parts.AddSnippet(wave, "House tone"), parts.AddSnippet(mp3, "Tree tone")};
}
