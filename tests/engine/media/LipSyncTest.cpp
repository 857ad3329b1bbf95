// Mouth tables of speech snippets against a model of their rules: raw 8- and 16-bit sound of a
// known envelope and stored levels at the fastest and the usual rate, the rate's limits, the
// lookup by play position and the error answers.
#include "engine/media/LipSync.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/media/Snippet.h"
#include "tests/engine/media/LipSyncModel.h"
#include "tools/builders/SnippetBuilder.h"
#include "tests/support/SoundFixture.h"

namespace vqt::test {
namespace {

class LipSyncTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        Start(4);
    }
    static std::vector<int8_t> Table(const xSnippet* s) { return {s->lipSync, s->lipSync + s->lipSyncCount}; }
    /// A snippet of 16-bit silence with mouth levels stored behind it.
    xSnippet* WithLevels(const std::vector<int8_t>& levels) {
        Bytes bytes = Pcm16(std::vector<int16_t>(2205, 0));
        const uint32_t size = uint32_t(bytes.size());
        bytes.insert(bytes.end(), levels.begin(), levels.end());
        xSnippet* s = Raw(bytes);
        s->size = size;
        s->lipSyncCount = uint32_t(levels.size());
        return s;
    }
};

TEST_F(LipSyncTest, TablesFromRawSoundFollowTheEnvelopeAsTheModelSays) {
    const std::vector<int16_t> samples = Envelope(12800, 3200);
    for (uint16_t bits : {8, 16}) {
        for (int32_t rate : {15, 60, 0, 61}) {
            SCOPED_TRACE(testing::Message() << bits << " bits at rate " << rate);
            xSnippet* s = Raw(bits == 8 ? Pcm8(samples) : Pcm16(samples), bits);
            const int32_t used = std::clamp(rate, 1, 60); // the rate's limits
            const int32_t step = 22050 / used;
            std::vector<int32_t> magnitudes;
            for (int16_t v : samples) magnitudes.push_back(bits == 8 ? std::abs((v >> 8) + 128 - 128) : std::abs(v));
            const size_t count = samples.size() / size_t(step) + 1;
            ASSERT_EQ(xSound_BuildLipSyncTable(s, rate), int32_t(count));
            EXPECT_EQ(Table(s), Model(magnitudes, step, count, bits == 8 ? 1 : 256));
            EXPECT_EQ(s->lipSyncRate, used);
            if (rate != used) continue;
            // The middle of each half second reads as its level: shut, 50, 12.
            const std::vector<int8_t> t = Table(s);
            EXPECT_EQ(t[size_t(used / 4)], 0);
            EXPECT_EQ(t[size_t(used * 3 / 4)], 50);
            EXPECT_EQ(t[size_t(used * 5 / 4)], 12);
        }
    }
}

TEST_F(LipSyncTest, StoredLevelsAreAveragedDownToTheRate) {
    std::vector<int8_t> levels;
    for (int i = 0; i < 37; ++i) levels.push_back(int8_t(i % 5 == 0 ? -20 + i : 3 * i));
    std::vector<int32_t> values(levels.begin(), levels.end());
    for (int32_t rate : {60, 15, 0, 61}) {
        SCOPED_TRACE(rate);
        xSnippet* s = WithLevels(levels);
        const int32_t group = 60 / std::clamp(rate, 1, 60);
        ASSERT_EQ(xSound_BuildLipSyncTable(s, rate), 37);
        EXPECT_EQ(Table(s), Model(values, group, levels.size(), 1));
    }
}

TEST_F(LipSyncTest, DamagedCountsAreReadOnlyAsFarAsTheBuffer) {
    xSnippet* s = WithLevels({10, 20, 30});
    s->lipSyncCount = 1000; // more than the buffer holds behind the sound
    ASSERT_EQ(xSound_BuildLipSyncTable(s, 60), 1000);
    EXPECT_EQ(std::vector<int8_t>(s->lipSync, s->lipSync + 4), (std::vector<int8_t>{10, 20, 30, 0}));
    xSnippet* cut = Raw(Pcm8(std::vector<int16_t>(3000, 12800)), 8);
    cut->size = 60000; // the sound claims more than its buffer
    ASSERT_EQ(xSound_BuildLipSyncTable(cut, 15), 60000 / 1470 + 1);
    EXPECT_EQ(cut->lipSync[2], 50);
    EXPECT_EQ(cut->lipSync[3], 0) << "the samples end inside this step";
    xSnippet* loudest = Raw(Bytes(2941, 0), 8);
    ASSERT_EQ(xSound_BuildLipSyncTable(loudest, 15), 3);
    EXPECT_EQ(loudest->lipSync[2], 127) << "a mean of 128 stays a positive level";
}

TEST_F(LipSyncTest, LevelsAreLookedUpByPlayPositionAndStayOnTheLastEntryPastTheTable) {
    xSnippet* s = WithLevels({1, 2, 3, 4, 5});
    ASSERT_EQ(xSound_BuildLipSyncTable(s, 60), 5);
    struct Row {
        uint32_t position, bytesPerSample;
        uint16_t formatValue;
        int32_t level;
    };
    const Row rows[] = {{0, 2, 0, 1},   {733, 2, 0, 1},    {734, 2, 0, 2},     {3 * 734, 2, 0, 4},
                        {367, 1, 0, 2}, {183, 2, 1, 2},    {4 * 183, 2, 1, 5}, {1u << 30, 2, 0, 5}};
    for (const Row& r : rows) {
        s->formatValue = r.formatValue;
        EXPECT_EQ(xSound_LipSyncLevelAt(s, r.position, r.bytesPerSample, 60), r.level) << r.position;
    }
}

TEST_F(LipSyncTest, ChannelsAndSnippetsThatLackSomethingGetTheirCodes) {
    SoundChannel* channel = xSound_GetChannel(1);
    EXPECT_EQ(xSound_GetLipSyncLevel(nullptr, 15), -1);
    EXPECT_EQ(xSound_GetLipSyncPeak(nullptr), 65535);
    EXPECT_EQ(xSound_GetLipSyncLevel(channel, 15), -2);
    EXPECT_EQ(xSound_GetLipSyncPeak(channel), 65534);
    xSnippet* s = WithLevels({1, 2, -90, 40, 7});
    xSound_PlaySnippet(s, channel);
    EXPECT_EQ(xSound_GetLipSyncLevel(channel, 15), -3);
    EXPECT_EQ(xSound_GetLipSyncPeak(channel), 0);
    EXPECT_EQ(xSound_BuildLipSyncTable(nullptr, 15), -2);
    ASSERT_EQ(xSound_BuildLipSyncTable(s, 60), 5);
    EXPECT_EQ(xSound_GetLipSyncPeak(channel), 40);
    EXPECT_EQ(xSound_GetLipSyncTableRate(channel), 60);
    EXPECT_EQ(xSound_BuildLipSyncTable(s, 15), 5) << "a snippet keeps its table";
    EXPECT_EQ(xSound_GetLipSyncTableRate(channel), 60);
    EXPECT_EQ(xSound_GetLipSyncLevel(channel, 60), 1) << "at the start";
    EXPECT_EQ(xSound_FreeLipSyncTable(s), 0);
    EXPECT_EQ(s->lipSyncCount, 0u);
    EXPECT_EQ(xSound_GetLipSyncLevel(channel, 60), -3);

    xSound_ReleaseDevice();
    EXPECT_EQ(xSound_BuildLipSyncTable(s, 15), -2) << "not while the device is given back";
    xSound_ReacquireDevice();
    xSnippet* wave = Raw(WaveFile(Pcm16({1, 2, 3}), 1, 16, 22050));
    wave->kind = 1;
    EXPECT_EQ(xSound_BuildLipSyncTable(wave, 15), 0) << "only raw sound is measured";
    EXPECT_EQ(wave->lipSync, nullptr);
}

} // namespace
} // namespace vqt::test
