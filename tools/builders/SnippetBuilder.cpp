#include "tools/builders/SnippetBuilder.h"

#include <lame/lame.h>

#include <cmath>
#include <numbers>

namespace vqt::test {

std::vector<int16_t> SineTone(double hz, uint32_t frames, uint32_t rate, int16_t amplitude, uint16_t channels) {
    std::vector<int16_t> out;
    out.reserve(size_t(frames) * channels);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto s = int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * i / rate)));
        for (uint16_t c = 0; c < channels; ++c) out.push_back(s);
    }
    return out;
}

Bytes Pcm16(const std::vector<int16_t>& samples) {
    Bytes out;
    for (int16_t s : samples) {
        out.push_back(uint8_t(uint16_t(s) & 0xFF));
        out.push_back(uint8_t(uint16_t(s) >> 8));
    }
    return out;
}

Bytes Pcm8(const std::vector<int16_t>& samples) {
    Bytes out;
    for (int16_t s : samples) out.push_back(uint8_t((s >> 8) + 128));
    return out;
}

Bytes WaveFile(const Bytes& samples, uint16_t channels, uint16_t bits, uint32_t rate) {
    Bytes b = ToBytes("RIFF");
    PutLe32(b, 4, uint32_t(36 + samples.size()));
    PutText(b, 8, "WAVEfmt ");
    PutLe32(b, 16, 16);
    PutLe16(b, 20, 1); // PCM
    PutLe16(b, 22, channels);
    PutLe32(b, 24, rate);
    PutLe32(b, 28, rate * channels * bits / 8);
    PutLe16(b, 32, uint16_t(channels * bits / 8));
    PutLe16(b, 34, bits);
    PutText(b, 36, "data");
    PutLe32(b, 40, uint32_t(samples.size()));
    b.insert(b.end(), samples.begin(), samples.end());
    return b;
}

Bytes Mp3File(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate, int kbps) {
    lame_global_flags* lame = lame_init();
    lame_set_num_channels(lame, channels);
    lame_set_in_samplerate(lame, int(rate));
    lame_set_out_samplerate(lame, int(rate));
    lame_set_brate(lame, kbps);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_bWriteVbrTag(lame, 0);
    lame_set_quality(lame, 7);
    lame_init_params(lame);
    const int frames = int(samples.size() / channels);
    Bytes out(size_t(frames) * 5 / 4 + 7200 * 2);
    std::vector<int16_t> pcm = samples;
    int n = channels == 1 ? lame_encode_buffer(lame, pcm.data(), pcm.data(), frames, out.data(), int(out.size()))
                          : lame_encode_buffer_interleaved(lame, pcm.data(), frames, out.data(), int(out.size()));
    n += lame_encode_flush(lame, out.data() + n, int(out.size()) - n);
    lame_close(lame);
    out.resize(size_t(std::max(n, 0)));
    return out;
}

Bytes SnipData(const SnipPlan& plan) {
    Bytes b;
    if (plan.kind == 0) {
        PutBe16(b, 0, plan.loopMode);
        PutBe16(b, 2, uint16_t(plan.volume));
        PutBe16(b, 4, uint16_t(plan.left));
        PutBe16(b, 6, uint16_t(plan.right));
        PutBe32(b, 8, plan.dataSize.value_or(uint32_t(plan.sound.size())));
        PutBe32(b, 12, 0);
        for (uint8_t s : plan.sound) b.push_back(plan.bits == 8 ? uint8_t(s ^ 0x80) : s); // 8-bit stored signed
    } else {
        b = plan.sound;
    }
    b.insert(b.end(), plan.mouthLevels.begin(), plan.mouthLevels.end());
    return b;
}

Bytes SnipProperty(const SnipPlan& plan) {
    if (!plan.withProperty) return {};
    return PropertyRecordBytes()
        .Be16(22, uint16_t(plan.kind))
        .Be16(24, plan.bits)
        .Be16(26, plan.rate)
        .Be16(28, plan.formatValue)
        .Be16(30, plan.channels)
        .Be32(36, plan.mouthCount.value_or(uint32_t(plan.mouthLevels.size())));
}

} // namespace vqt::test
