// Views drawn with their outline on a headless stage, compared with golden pictures: views whose
// outline byte is 1 on a 16-bit stage, and every view under the show-bounds switch on an 8-bit
// stage (in the palette's nearest index); outlines reaching past the stage are clipped.
#include <gtest/gtest.h>

#include "tests/engine/core/StageFixture.h"

namespace vqt::test {
namespace {

class ViewOutlineTest : public StageTest {
protected:
    /// Loads a stage with props in the middle, over the left edge, past the bottom right corner
    /// and one whose outline byte is 2 (no outline), at the depth; answers what is shown.
    RgbImage ShowStage(int16_t depth, uint8_t outline) {
        if (depth != 16) UseDepth(depth);
        std::vector<ObjectPlan> props(4);
        props[0].properties.Pair(50, 1, 320, 240).Pair(50, 2, 100, 60).Byte(50, 6, outline);
        props[1].properties.Pair(50, 1, 10, 100).Pair(50, 2, 60, 40).Byte(50, 6, outline);
        props[2].properties.Pair(50, 1, 630, 470).Pair(50, 2, 40, 40).Byte(50, 6, outline);
        props[3].properties.Pair(50, 1, 200, 400).Pair(50, 2, 30, 30).Byte(50, 6, 2);
        TiledStages stages;
        stages.Add(26, 5, props);
        Open(stages.builder);
        Manager(OActivityManager::kUnloadFirst).RequestActivity(ChunkIdOf(1, 26));
        Frames(4);
        return ToRgb(Shown());
    }
};

TEST_F(ViewOutlineTest, ViewsWithTheirOutlineByteSetAreOutlinedOnASixteenBitStage) {
    ExpectMatchesGoldenImage("engine/core/outlined_views_16.png", ShowStage(16, 1));
}

TEST_F(ViewOutlineTest, TheShowBoundsSwitchOutlinesEveryViewOnAnEightBitStage) {
    OView::ShowBounds() = 1;
    ExpectMatchesGoldenImage("engine/core/outlined_views_8.png", ShowStage(8, 0));
}

} // namespace
} // namespace vqt::test
