// The mixer against a model of the laws its header states, sample by sample: every source
// format into every output format, volume, pan and master, resampling, exact loop wraps,
// pausing, rate changes, limiting and streams fed in halves; and the null device's clock. The
// limiter's own rules are in AudioMixerLimitTest.
#include "platform/AudioMixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/MixLimiter.h"
#include "platform/Platform.h"
#include "platform/headless/NullAudioOutput.h"
#include "platform/headless/VirtualClock.h"
#include "tools/builders/SnippetBuilder.h"

namespace vqt::test {
namespace {

using plat::AudioFormat;
using plat::AudioMixer;
using plat::PcmType;

/// One voice as the header's laws describe it, one output frame at a time.
class ModelVoice {
public:
    ModelVoice(const Bytes& bytes, int channels, int bits) : bytes_(bytes), channels_(channels), bits_(bits) {
        frames_ = bytes.size() / size_t(channels * bits / 8);
    }
    uint32_t rate = 22050;
    int32_t volume = 127;
    int32_t pan = 64;
    uint32_t loops = 1;

    /// Adds the next frame to the sums; false once the voice has ended.
    bool Next(int32_t master, int32_t& left, int32_t& right) {
        const uint64_t length = uint64_t(frames_) << 16;
        while (!done_ && position_ >= length) {
            ++loopsDone_;
            if (length == 0 || (loops != 0 && loopsDone_ >= loops)) {
                done_ = true;
            } else {
                position_ -= length;
            }
        }
        if (done_) return false;
        const int32_t m = std::min(master, 127);
        const int32_t panLeft = pan <= 64 ? 32768 : (127 - pan) * 32768 / 63;
        const int32_t panRight = pan >= 64 ? 32768 : pan * 512;
        left += (Sample(0) * (volume * m * panLeft / 16129)) >> 15;
        right += (Sample(channels_ - 1) * (volume * m * panRight / 16129)) >> 15;
        position_ += uint64_t(std::max<uint32_t>(rate, 1)) * 65536 / 22050;
        return true;
    }

private:
    int32_t Widened(size_t frame, int c) const {
        const size_t at = frame * size_t(channels_) + size_t(c);
        if (bits_ == 8) return (int32_t(bytes_[at]) - 128) * 256;
        return int16_t(bytes_[2 * at] | bytes_[2 * at + 1] << 8);
    }
    int32_t Sample(int c) const {
        const size_t i = size_t(position_ >> 16);
        const int64_t f = int64_t(position_ & 0xFFFF);
        const int32_t s0 = Widened(i, c);
        const int32_t s1 = Widened(std::min(i + 1, frames_ - 1), c);
        return s0 + int32_t((int64_t(s1 - s0) * f) >> 16);
    }

    Bytes bytes_;
    int channels_;
    int bits_;
    size_t frames_;
    uint64_t position_ = 0;
    uint32_t loopsDone_ = 0;
    bool done_ = false;
};

/// The model's output of `frames` frames in the output format, as bytes, through a limiter
/// that starts at unity.
Bytes ModelOutput(std::vector<ModelVoice*> voices, int32_t master, uint32_t frames, const AudioFormat& format,
                  const std::vector<bool>* paused = nullptr) {
    Bytes out;
    plat::MixLimiter limiter;
    for (uint32_t n = 0; n < frames; ++n) {
        int32_t left = 0;
        int32_t right = 0;
        for (size_t v = 0; v < voices.size(); ++v) {
            if (paused == nullptr || !(*paused)[v]) voices[v]->Next(master, left, right);
        }
        int32_t sides[2] = {left, right};
        if (format.channels == 1) sides[0] = (left + right) >> 1;
        limiter.Apply(sides, 1, format.channels);
        for (int c = 0; c < format.channels; ++c) {
            const int32_t s = sides[c];
            if (format.bits == 16) {
                out.push_back(uint8_t(uint16_t(s) & 0xFF));
                out.push_back(uint8_t(uint16_t(s) >> 8));
            } else {
                out.push_back(uint8_t((s >> 8) + 128));
            }
        }
    }
    return out;
}

Bytes Render(AudioMixer& mixer, uint32_t frames) {
    Bytes out(size_t(frames) * mixer.OutputFormat().FrameBytes());
    mixer.Render(out.data(), frames);
    return out;
}

/// A source of every format: a loud ramp whose channels differ.
Bytes Source(PcmType type, uint32_t frames) {
    const int channels = int(type) >= 2 ? 2 : 1;
    std::vector<int16_t> samples;
    for (uint32_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) samples.push_back(int16_t((int32_t(i) * 997 + c * 12345) % 60000 - 30000));
    }
    return (int(type) & 1) != 0 ? Pcm16(samples) : Pcm8(samples);
}

TEST(AudioMixerTest, EverySourceFormatMixesIntoEveryOutputFormatAsTheLawsSay) {
    const PcmType types[] = {PcmType::Mono8, PcmType::Mono16, PcmType::Stereo8, PcmType::Stereo16};
    const AudioFormat outputs[] = {{1, 8}, {1, 16}, {2, 8}, {2, 16}};
    for (PcmType type : types) {
        for (const AudioFormat& format : outputs) {
            SCOPED_TRACE(testing::Message() << "type " << int(type) << ", output " << format.channels << "x" << format.bits);
            const int channels = int(type) >= 2 ? 2 : 1;
            const int bits = (int(type) & 1) != 0 ? 16 : 8;
            const Bytes a = Source(type, 700);
            const Bytes b = Source(PcmType::Mono16, 300);
            AudioMixer mixer;
            mixer.SetOutputFormat(format);
            mixer.SetMaster(200);
            const AudioMixer::Voice va = mixer.AllocVoice();
            mixer.SetPcm(va, type, a.data(), uint32_t(a.size()));
            mixer.SetRate(va, 16000);
            mixer.SetVolume(va, 100);
            mixer.SetPan(va, 40);
            mixer.SetLoopCount(va, 2);
            mixer.Start(va);
            const AudioMixer::Voice vb = mixer.AllocVoice();
            mixer.SetPcm(vb, PcmType::Mono16, b.data(), uint32_t(b.size()));
            mixer.SetPan(vb, 100);
            mixer.Start(vb);

            ModelVoice ma(a, channels, bits);
            ma.rate = 16000;
            ma.volume = 100;
            ma.pan = 40;
            ma.loops = 2;
            ModelVoice mb(b, 1, 16);
            mb.pan = 100;
            EXPECT_EQ(Render(mixer, 2200), ModelOutput({&ma, &mb}, 200, 2200, format));
            EXPECT_EQ(mixer.Status(va), plat::kVoiceDone) << "two plays of 700 frames at 16000 end before 2200";
        }
    }
}

TEST(AudioMixerTest, LoopsWrapExactlyWhateverTheRenderPieces) {
    const Bytes source = Source(PcmType::Stereo16, 37);
    const AudioFormat format{2, 16};
    for (uint32_t loops : {5u, 0u}) {
        AudioMixer mixer;
        mixer.SetOutputFormat(format);
        const AudioMixer::Voice v = mixer.AllocVoice();
        mixer.SetPcm(v, PcmType::Stereo16, source.data(), uint32_t(source.size()));
        mixer.SetRate(v, 30001);
        mixer.SetLoopCount(v, loops);
        mixer.Start(v);
        ModelVoice model(source, 2, 16);
        model.rate = 30001;
        model.loops = loops;
        for (uint32_t piece : {7u, 13u, 1u, 101u, 64u}) {
            EXPECT_EQ(Render(mixer, piece), ModelOutput({&model}, 127, piece, format)) << "loops " << loops;
        }
        EXPECT_EQ(mixer.Status(v), loops == 0 ? plat::kVoicePlaying : plat::kVoiceDone);
    }
}

TEST(AudioMixerTest, PauseKeepsThePlaceAndARateChangeTakesEffectAtOnce) {
    const Bytes source = Source(PcmType::Mono8, 2000);
    const AudioFormat format{2, 16};
    AudioMixer mixer;
    mixer.SetOutputFormat(format);
    const AudioMixer::Voice v = mixer.AllocVoice();
    mixer.SetPcm(v, PcmType::Mono8, source.data(), uint32_t(source.size()));
    mixer.Start(v);
    ModelVoice model(source, 1, 8);
    const std::vector<bool> paused{true};

    EXPECT_EQ(Render(mixer, 500), ModelOutput({&model}, 127, 500, format));
    mixer.Stop(v);
    EXPECT_EQ(mixer.Status(v), plat::kVoiceStopped);
    EXPECT_EQ(mixer.Position(v), 500u);
    EXPECT_EQ(Render(mixer, 300), ModelOutput({&model}, 127, 300, format, &paused));
    mixer.Resume(v);
    EXPECT_EQ(Render(mixer, 200), ModelOutput({&model}, 127, 200, format));
    mixer.SetRate(v, 11025);
    model.rate = 11025;
    EXPECT_EQ(mixer.Rate(v), 11025u);
    EXPECT_EQ(Render(mixer, 700), ModelOutput({&model}, 127, 700, format));
    EXPECT_EQ(mixer.Position(v), 1050u);
    mixer.End(v);
    EXPECT_EQ(mixer.Status(v), plat::kVoiceDone);
    EXPECT_EQ(mixer.Position(v), 0u);
}

TEST(AudioMixerTest, ThirtyTwoLoudVoicesAreLimitedInsteadOfWrapping) {
    std::vector<int16_t> square;
    for (int i = 0; i < 400; ++i) square.push_back(i % 50 < 25 ? 32767 : -32768);
    const Bytes source = Pcm16(square);
    for (const AudioFormat format : {AudioFormat{2, 16}, AudioFormat{1, 8}}) {
        AudioMixer mixer;
        mixer.SetOutputFormat(format);
        std::vector<ModelVoice> models;
        for (int i = 0; i < 32; ++i) {
            const AudioMixer::Voice v = mixer.AllocVoice();
            mixer.SetPcm(v, PcmType::Mono16, source.data(), uint32_t(source.size()));
            mixer.SetPan(v, i * 4);
            mixer.Start(v);
            models.emplace_back(source, 1, 16).pan = i * 4;
        }
        std::vector<ModelVoice*> voices;
        for (ModelVoice& m : models) voices.push_back(&m);
        const Bytes out = Render(mixer, 400);
        EXPECT_EQ(out, ModelOutput(voices, 127, 400, format));
        // The first frame, all voices at their highest, comes out at the ceiling.
        const int32_t ceiling = plat::MixLimiter::kCeiling;
        if (format.bits == 16) {
            EXPECT_NEAR(int16_t(out[0] | out[1] << 8), ceiling, 4);
        } else {
            EXPECT_NEAR(out[0], (ceiling >> 8) + 128, 1);
        }
    }
}

TEST(AudioMixerTest, AStreamPlaysItsHalvesInTurnAndWaitsInSilenceForTheNext) {
    const Bytes first = Source(PcmType::Stereo16, 300);
    const Bytes second = Source(PcmType::Stereo16, 200);
    const AudioFormat format{2, 16};
    AudioMixer mixer;
    mixer.SetOutputFormat(format);
    const AudioMixer::Voice v = mixer.AllocVoice();
    mixer.SetPcm(v, PcmType::Stereo16, nullptr, 0);
    EXPECT_EQ(mixer.BufferReady(v), 0);
    mixer.LoadBuffer(v, 0, first.data(), uint32_t(first.size()));
    EXPECT_EQ(mixer.Status(v), plat::kVoicePlaying) << "loading starts it";
    EXPECT_EQ(mixer.BufferReady(v), 1);
    mixer.LoadBuffer(v, 1, second.data(), uint32_t(second.size()));
    EXPECT_EQ(mixer.BufferReady(v), -1);

    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    ModelVoice model(both, 2, 16);
    EXPECT_EQ(Render(mixer, 350), ModelOutput({&model}, 127, 350, format));
    EXPECT_EQ(mixer.BufferReady(v), 0) << "the first half is played";
    EXPECT_EQ(Render(mixer, 250), ModelOutput({&model}, 127, 250, format)) << "the rest, then silence";
    EXPECT_EQ(mixer.Status(v), plat::kVoicePlaying) << "a starved stream waits";
    mixer.LoadBuffer(v, 0, first.data(), uint32_t(first.size()));
    ModelVoice again(first, 2, 16);
    EXPECT_EQ(Render(mixer, 300), ModelOutput({&again}, 127, 300, format));
}

TEST(AudioMixerTest, TheNullDeviceConsumesFramesOnThePlatformClock) {
    plat::UseHeadless();
    auto& clock = static_cast<plat::VirtualClock&>(plat::clock());
    const Bytes source = Source(PcmType::Mono16, 22050);
    AudioMixer mixer;
    plat::NullAudioOutput device;
    const AudioFormat format{2, 16};
    mixer.SetOutputFormat(format);
    ASSERT_EQ(device.Open(format, 0, 1024, mixer), 0);
    mixer.SetPump(&device);
    const AudioMixer::Voice v = mixer.AllocVoice();
    mixer.SetPcm(v, PcmType::Mono16, source.data(), uint32_t(source.size()));
    mixer.Start(v);

    clock.Advance(999);
    EXPECT_EQ(mixer.Status(v), plat::kVoicePlaying);
    EXPECT_EQ(device.FramesRendered(), 22027u);
    clock.Advance(1);
    EXPECT_EQ(mixer.Status(v), plat::kVoiceDone) << "a second of sound ends after a second";
    device.SetPaused(true);
    clock.Advance(500);
    device.SetPaused(false);
    clock.Advance(100);
    device.Pump();
    EXPECT_EQ(device.FramesRendered(), 22050u + 2205u) << "time given back is not played";
    clock.Set(100);
    device.Pump();
    EXPECT_EQ(device.FramesRendered(), 24255u) << "a clock set back plays nothing";
    ModelVoice model(source, 1, 16);
    const Bytes expected = ModelOutput({&model}, 127, 22050, format);
    ASSERT_GE(device.Rendered().size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), device.Rendered().begin()));
    mixer.SetPump(nullptr);
    plat::UseHeadless();
}

} // namespace
} // namespace vqt::test
