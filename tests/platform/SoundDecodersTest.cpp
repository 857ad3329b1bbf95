// Our RIFF/WAVE reader on good and damaged images, and MP3 decoding through libmpg123 on
// images encoded here, whole and damaged.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/Mp3Decoder.h"
#include "platform/WaveImage.h"
#include "tools/builders/SnippetBuilder.h"

namespace vqt::test {
namespace {

/// Periods per second of one channel between its first and last upward crossing (with a
/// margin, so that noise near zero does not count).
double Frequency(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate) {
    int crossings = 0;
    size_t first = 0;
    size_t last = 0;
    bool low = false;
    for (size_t i = 0; i < samples.size(); i += channels) {
        if (samples[i] < -2000) low = true;
        if (low && samples[i] > 2000) {
            if (crossings++ == 0) first = i / channels;
            last = i / channels;
            low = false;
        }
    }
    return last > first ? (crossings - 1) * double(rate) / double(last - first) : 0;
}

TEST(WaveImageTest, PcmImagesAreFoundInPlace) {
    const Bytes samples = Pcm16(SineTone(440, 101, 11025, 9000, 2));
    Bytes image = WaveFile(samples, 2, 16, 11025);
    // A chunk of odd length before the data, padded to an even length, and a trailing byte
    // that is not a whole frame.
    Bytes odd = ToBytes("LIST");
    PutLe32(odd, 4, 3);
    odd.insert(odd.end(), {1, 2, 3, 0});
    image.insert(image.begin() + 36, odd.begin(), odd.end());
    PutLe32(image, 4, uint32_t(image.size() - 8));
    const auto wave = plat::ReadWaveImage(image);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->channels, 2);
    EXPECT_EQ(wave->bits, 16);
    EXPECT_EQ(wave->rate, 11025u);
    ASSERT_EQ(wave->samples.size(), samples.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), wave->samples.begin()));
    EXPECT_EQ(wave->samples.data(), image.data() + image.size() - samples.size()) << "read in place";

    Bytes ragged = WaveFile(Bytes(7, 0x80), 1, 16, 8000);
    EXPECT_EQ(plat::ReadWaveImage(ragged)->samples.size(), 6u) << "whole frames only";
}

TEST(WaveImageTest, DamagedImagesAndOtherEncodingsAreRefused) {
    const Bytes good = WaveFile(Bytes(40, 0x80), 1, 8, 22050);
    const std::pair<const char*, std::function<void(Bytes&)>> cases[] = {
        {"not RIFF", [](Bytes& b) { b[0] = 'X'; }},
        {"not WAVE", [](Bytes& b) { b[8] = 'X'; }},
        {"RIFF size beyond the image", [](Bytes& b) { PutLe32(b, 4, uint32_t(b.size())); }},
        {"data size beyond the image", [](Bytes& b) { PutLe32(b, 40, 41); }},
        {"fmt size beyond the image", [](Bytes& b) { PutLe32(b, 16, 0xFFFFFFF0u); }},
        {"fmt too short", [](Bytes& b) { PutLe32(b, 16, 14); }},
        {"no fmt", [](Bytes& b) { PutText(b, 12, "junk"); }},
        {"no data", [](Bytes& b) { PutText(b, 36, "junk"); }},
        {"floating point", [](Bytes& b) { PutLe16(b, 20, 3); }},
        {"24 bits", [](Bytes& b) { PutLe16(b, 34, 24); }},
        {"three channels", [](Bytes& b) { PutLe16(b, 22, 3); }},
        {"rate 0", [](Bytes& b) { PutLe32(b, 24, 0); }},
        {"truncated", [](Bytes& b) { b.resize(30); }},
    };
    ASSERT_TRUE(plat::ReadWaveImage(good));
    for (const auto& [name, damage] : cases) {
        Bytes image = good;
        damage(image);
        EXPECT_FALSE(plat::ReadWaveImage(image)) << name;
    }
}

TEST(Mp3DecoderTest, AToneComesBackAtItsLengthAndPitch) {
    for (uint16_t channels : {1, 2}) {
        const uint32_t frames = 44100; // two seconds
        const Bytes image = Mp3File(SineTone(440, frames, 22050, 12000, channels), channels, 22050);
        const auto sound = plat::DecodeMp3(image);
        ASSERT_TRUE(sound);
        EXPECT_EQ(sound->channels, channels);
        EXPECT_EQ(sound->rate, 22050u);
        EXPECT_NEAR(double(sound->samples.size() / channels), frames, frames * 0.05);
        EXPECT_NEAR(Frequency(sound->samples, channels, 22050), 440, 440 * 0.03);
    }
}

TEST(Mp3DecoderTest, DecodingEndsAtTheLastGoodFrame) {
    const Bytes image = Mp3File(SineTone(440, 44100), 1, 22050);
    const size_t whole = plat::DecodeMp3(image)->samples.size();
    Bytes damaged = image;
    std::fill(damaged.begin() + ptrdiff_t(image.size() / 2), damaged.end(), uint8_t(0x5A));
    const auto half = plat::DecodeMp3(damaged);
    ASSERT_TRUE(half);
    EXPECT_GT(half->samples.size(), whole / 3);
    EXPECT_LT(half->samples.size(), whole * 2 / 3);
    Bytes cut(image.begin(), image.begin() + ptrdiff_t(image.size() / 2 + 7)); // ends inside a frame
    EXPECT_LT(plat::DecodeMp3(cut)->samples.size(), whole * 2 / 3);
    EXPECT_FALSE(plat::DecodeMp3(Bytes(3000, 0x5A)));
    EXPECT_FALSE(plat::DecodeMp3({}));
}

} // namespace
} // namespace vqt::test
