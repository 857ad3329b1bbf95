// The limiter at the end of the mix: loud voices that coincide never reach full scale yet stay
// loud, a voice under the ceiling passes bit for bit, the gain comes back to unity after a loud
// burst, and the output does not depend on how the renders cut it.
#include "platform/AudioMixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "tests/support/MixLevels.h"
#include "tools/builders/SnippetBuilder.h"

namespace vqt::test {
namespace {

using plat::AudioFormat;
using plat::AudioMixer;
using plat::PcmType;

enum class Wave { Square, Sine };

/// A second of a full-scale wave that starts at its loudest (a square) or at zero (a sine).
Bytes FullScale(Wave wave) {
    if (wave == Wave::Sine) return Pcm16(SineTone(441, 22050, 22050, 32767));
    std::vector<int16_t> square;
    for (int i = 0; i < 22050; ++i) square.push_back(i % 50 < 25 ? 32767 : -32768);
    return Pcm16(square);
}

/// `count` voices of one mono 16-bit source, in phase, at full volume.
void AddVoices(AudioMixer& mixer, const Bytes& source, int count, int32_t pan, uint32_t loops) {
    for (int i = 0; i < count; ++i) {
        const AudioMixer::Voice v = mixer.AllocVoice();
        mixer.SetPcm(v, PcmType::Mono16, source.data(), uint32_t(source.size()));
        mixer.SetPan(v, pan);
        mixer.SetLoopCount(v, loops);
        mixer.Start(v);
    }
}

/// Renders `frames` frames in pieces of `piece` frames, as a device asks for them.
Bytes RenderInPieces(AudioMixer& mixer, uint32_t frames, uint32_t piece) {
    Bytes out(size_t(frames) * mixer.OutputFormat().FrameBytes());
    for (uint32_t done = 0; done < frames; done += std::min(piece, frames - done)) {
        mixer.Render(out.data() + size_t(done) * mixer.OutputFormat().FrameBytes(), std::min(piece, frames - done));
    }
    return out;
}

/// The peak of an output on the 16-bit scale, and its samples on the format's end codes.
MixLevels Levels(const Bytes& out, const AudioFormat& format) {
    if (format.bits == 16) return MeasureMix(out);
    MixLevels levels;
    for (const uint8_t b : out) {
        ++levels.samples;
        if (b == 0 || b == 255) ++levels.clipped;
        levels.peak = std::max(levels.peak, std::abs((int32_t(b) - 128) * 256));
    }
    return levels;
}

struct Coincidence {
    int voices;
    Wave wave;
    int32_t pan;
    AudioFormat format;
};

TEST(AudioMixerLimitTest, NoCoincidenceOfLoudVoicesReachesFullScaleAndTheMixStaysLoud) {
    const Coincidence cases[] = {
        {1, Wave::Square, 64, {2, 16}}, {2, Wave::Square, 64, {2, 16}}, {4, Wave::Sine, 64, {2, 16}},
        {8, Wave::Square, 0, {2, 16}},  {8, Wave::Sine, 127, {2, 16}},  {4, Wave::Square, 64, {1, 16}},
        {8, Wave::Sine, 0, {1, 16}},    {2, Wave::Sine, 64, {1, 8}},    {32, Wave::Square, 127, {2, 8}},
    };
    for (const Coincidence& c : cases) {
        SCOPED_TRACE(testing::Message() << c.voices << (c.wave == Wave::Square ? " squares" : " sines") << ", pan "
                                        << c.pan << ", output " << c.format.channels << "x" << c.format.bits);
        const Bytes source = FullScale(c.wave);
        AudioMixer mixer;
        mixer.SetOutputFormat(c.format);
        AddVoices(mixer, source, c.voices, c.pan, 0);
        const MixLevels levels = Levels(RenderInPieces(mixer, 44100, 1024), c.format);
        EXPECT_EQ(levels.clipped, 0u) << "peak " << levels.peak;
        EXPECT_GT(levels.peak, 32768 * 9 / 10) << "the mix is still loud";
    }
}

TEST(AudioMixerLimitTest, AVoiceUnderTheCeilingPassesBitForBit) {
    const std::vector<int16_t> tone = SineTone(1000, 22050, 22050, 30000);
    const Bytes source = Pcm16(tone);
    AudioMixer mixer;
    mixer.SetOutputFormat({2, 16});
    AddVoices(mixer, source, 1, 64, 1);
    const Bytes out = RenderInPieces(mixer, 22050, 1024);
    for (size_t i = 0; i < tone.size(); ++i) {
        ASSERT_EQ(int16_t(out[4 * i] | out[4 * i + 1] << 8), tone[i]) << "frame " << i;
        ASSERT_EQ(int16_t(out[4 * i + 2] | out[4 * i + 3] << 8), tone[i]) << "frame " << i;
    }
}

TEST(AudioMixerLimitTest, AfterALoudBurstTheGainComesBackSmoothlyToUnity) {
    const std::vector<int16_t> burst = SineTone(441, 2000, 22050, 32767);
    const Bytes loud = Pcm16(burst);
    // A quiet tone that starts as the burst ends, long enough to outlast the recovery.
    const std::vector<int16_t> quiet = SineTone(1000, 22050, 22050, 8000);
    const Bytes quietBytes = Pcm16(quiet);
    AudioMixer mixer;
    mixer.SetOutputFormat({1, 16});
    AddVoices(mixer, loud, 8, 64, 1);
    RenderInPieces(mixer, uint32_t(burst.size()), 1024);
    AddVoices(mixer, quietBytes, 1, 64, 1);
    const Bytes out = RenderInPieces(mixer, 22050, 1024);
    auto sample = [&](size_t i) { return int16_t(out[2 * i] | out[2 * i + 1] << 8); };

    // Its first loud peak (frame 5 of a 1000 Hz tone) comes out well below the tone's.
    EXPECT_LT(std::abs(sample(5)), std::abs(quiet[5]) / 2) << "the gain does not jump back at once";
    // Half a second later every sample is the tone's own.
    for (size_t i = 11025; i < quiet.size(); ++i) ASSERT_EQ(sample(i), quiet[i]) << "frame " << i;
}

/// Frames after the end of a loud burst until a steady level under the ceiling comes out
/// half-way back, and all the way back, to its own value (0: not within a second).
struct Release {
    size_t halfWay = 0;
    size_t whole = 0;
};

Release MeasureRelease() {
    constexpr int16_t kLevel = 16000;
    constexpr size_t kBurstFrames = 4;
    const Bytes burst = Pcm16(std::vector<int16_t>(kBurstFrames, 32767));
    const std::vector<int16_t> steady(22050, kLevel);
    const Bytes steadyBytes = Pcm16(steady);
    AudioMixer mixer;
    mixer.SetOutputFormat({1, 16});
    AddVoices(mixer, burst, 8, 64, 1);
    AddVoices(mixer, steadyBytes, 1, 64, 1);
    const Bytes out = RenderInPieces(mixer, uint32_t(steady.size()), 1024);
    auto sample = [&](size_t i) { return int32_t(int16_t(out[2 * i] | out[2 * i + 1] << 8)); };

    const int32_t lowest = sample(kBurstFrames);
    Release release;
    for (size_t i = kBurstFrames; i < steady.size() && release.whole == 0; ++i) {
        if (release.halfWay == 0 && 2 * sample(i) >= lowest + kLevel) release.halfWay = i - kBurstFrames;
        if (sample(i) == kLevel) release.whole = i - kBurstFrames;
    }
    EXPECT_LT(lowest, kLevel / 4) << "the burst took the gain down";
    return release;
}

TEST(AudioMixerLimitTest, TheGainComesBackHalfWayWithinATenthOfASecondAndWhollyWithinHalfASecond) {
    // A release much faster would follow a loud low tone within its periods and distort it;
    // much slower would leave the mix quiet long after a burst.
    const Release release = MeasureRelease();
    EXPECT_GT(release.halfWay, AudioMixer::kOutputRate / 20) << "half-way back within a twentieth of a second";
    EXPECT_LT(release.halfWay, AudioMixer::kOutputRate / 10) << "half-way back only after a tenth of a second";
    EXPECT_GT(release.whole, AudioMixer::kOutputRate / 4) << "wholly back within a quarter of a second";
    EXPECT_LT(release.whole, AudioMixer::kOutputRate / 2) << "wholly back only after half a second";
}

TEST(AudioMixerLimitTest, TheLimitedMixDoesNotDependOnHowTheRendersCutIt) {
    // A sine: its gain falls and recovers within every period.
    const Bytes source = FullScale(Wave::Sine);
    const AudioFormat format{2, 16};
    std::vector<Bytes> outputs;
    for (const uint32_t piece : {22050u, 1024u, 7u, 1u}) {
        AudioMixer mixer;
        mixer.SetOutputFormat(format);
        AddVoices(mixer, source, 4, 30, 1);
        outputs.push_back(RenderInPieces(mixer, 22050, piece));
    }
    for (size_t i = 1; i < outputs.size(); ++i) EXPECT_EQ(outputs[i], outputs[0]) << "cut " << i;
}

} // namespace
} // namespace vqt::test
