// The mix a player hears on the busiest screens, recorded while the game bot plays the first
// minute and a half of a new player's game: the sign-in, the garage, the circus town with its
// engine, siren, music and lines, and the town's road race. The generated sounds leave room for the
// voices played together: no sample of the mix reaches full scale, and every screen is heard.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "tests/game/playthrough/PlayThroughFixture.h"
#include "tests/support/MixLevels.h"
#include "tests/support/ScriptedAudioOutput.h"
#include "tests/support/bots/PlayThroughLegs.h"

namespace vqt::test {
namespace {

constexpr uint32_t kSeconds = 80;
/// The output's 16-bit stereo frames.
constexpr size_t kFrameBytes = 4;

struct Segment {
    ChunkId screen;
    size_t from;
    size_t to = 0;
};

class MixLoudnessTest : public PlayThroughTest {};

TEST_F(MixLoudnessTest, NoScreenOfTheFirstMinuteClipsAndEachIsHeard) {
    ScriptedAudioOutput& output = UseScriptedAudio();
    std::vector<Segment> segments;
    const PlayThrough played = Play({CircusLeg()}, kSeconds, [&](uint32_t) {
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (!segments.empty() && segments.back().screen == id) return;
        output.Pump();
        const size_t at = output.Rendered().size();
        if (!segments.empty()) segments.back().to = at;
        segments.push_back({id, at});
    });
    ASSERT_FALSE(segments.empty());
    segments.back().to = output.Rendered().size();
    EXPECT_EQ(played.run.exitCode, 0);

    std::vector<ChunkId> heard;
    std::string levels;
    for (const Segment& s : segments) {
        // Screens shown for less than a second are passed by.
        if (s.to < s.from + 22050 * kFrameBytes) continue;
        std::vector<uint8_t> part(output.Rendered().begin() + long(s.from), output.Rendered().begin() + long(s.to));
        const MixLevels mix = MeasureMix(part);
        levels += Named(s.screen) + ": peak " + std::to_string(mix.peak) + ", " + std::to_string(mix.rmsDbfs) + " dBFS, " +
                  std::to_string(mix.clipped) + " clipped of " + std::to_string(mix.samples) + "\n";
        EXPECT_EQ(mix.clipped, 0u) << levels;
        // Heard: a tenth of the screen's samples at least at -36 dBFS.
        EXPECT_GE(mix.audible * 10, mix.samples) << Named(s.screen) << " is all but silent";
        heard.push_back(s.screen);
    }
    for (const uint16_t busy : {8, 11}) // the circus town and its race
        EXPECT_NE(std::find(heard.begin(), heard.end(), MakeChunkId(1, busy)), heard.end()) << "{1, 0, " << busy << "} played";
}

} // namespace
} // namespace vqt::test
