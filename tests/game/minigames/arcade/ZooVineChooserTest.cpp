// Where the zoo arcade's monkeys hang: the starting vines, offsets that never repeat running,
// the vine that gets the next monkey, and a jungle without vines.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/minigames/arcade/ZooVineChooser.h"

namespace {

constexpr unsigned kSeeds[] = {1u, 2u, 99u, 31337u};

TEST(ZooVineChooserTest, StartingVinesBeginInTheFirstThreeAndStepOneToThreeWithinTheJungle) {
    for (int32_t vines : {0, 1, 2, 5, 12}) {
        for (unsigned seed : kSeeds) {
            SCOPED_TRACE(testing::Message() << vines << " vines, seed " << seed);
            std::srand(seed);
            const std::vector<int32_t> chosen = ZooVineChooser::StartingVines(vines);
            if (vines == 0) {
                EXPECT_TRUE(chosen.empty());
                continue;
            }
            if (!chosen.empty()) {
                EXPECT_LT(chosen.front(), 3);
            }
            for (size_t i = 0; i < chosen.size(); ++i) {
                EXPECT_LT(chosen[i], vines);
                if (i > 0) {
                    EXPECT_GE(chosen[i] - chosen[i - 1], 1);
                    EXPECT_LE(chosen[i] - chosen[i - 1], 3);
                }
            }
        }
    }
}

TEST(ZooVineChooserTest, OffsetsAreTheThreeHeightsAndNeverTheSameTwiceRunning) {
    for (unsigned seed : kSeeds) {
        std::srand(seed);
        ZooVineChooser chooser;
        EXPECT_EQ(chooser.GetLastOffsetIndex(), -1);
        int16_t last = 0;
        int seen[3] = {};
        for (int i = 0; i < 200; ++i) {
            const int16_t offset = chooser.NextOffset();
            const int32_t index = chooser.GetLastOffsetIndex();
            ASSERT_GE(index, 0);
            ASSERT_LT(index, 3);
            EXPECT_EQ(offset, ZooVineChooser::kOffsets[index]);
            EXPECT_NE(offset, last) << "seed " << seed << ", draw " << i;
            ++seen[index];
            last = offset;
        }
        for (int count : seen) EXPECT_GT(count, 0) << "every height is used";
    }
}

TEST(ZooVineChooserTest, RespawnVinesMoveTwoOrThreeRoundAndNoVinesGiveNone) {
    EXPECT_EQ(ZooVineChooser::FirstRespawnVine(0), -1);
    EXPECT_EQ(ZooVineChooser::NextRespawnVine(0, 0), -1);
    for (int32_t vines : {1, 2, 3, 7}) {
        for (unsigned seed : kSeeds) {
            std::srand(seed);
            int32_t current = ZooVineChooser::FirstRespawnVine(vines);
            ASSERT_GE(current, 0);
            ASSERT_LT(current, vines);
            EXPECT_TRUE(current == 2 % vines || current == 3 % vines) << vines << " vines";
            for (int i = 0; i < 20; ++i) {
                const int32_t next = ZooVineChooser::NextRespawnVine(current, vines);
                ASSERT_LT(next, vines);
                EXPECT_TRUE(next == (current + 2) % vines || next == (current + 3) % vines);
                current = next;
            }
        }
    }
}

} // namespace
