// The generator's counter icons: each frame stands on its slot's middle of the counter bar, and
// a frame too big for the bar is shrunk with its shape kept.
#include <gtest/gtest.h>

#include <iterator>
#include <stdexcept>

#include "tools/synthetic/GameData.h"

namespace vqt::test {
namespace {

/// A part of one state whose frame is w x h, its left column of colour 1, the rest 2.
PartPlan IconOf(int w, int h) {
    Picture picture(w, h, 2);
    for (int y = 0; y < h; ++y) picture.at(0, y) = 1;
    PartPlan part;
    part.states.push_back(StatePlan{.frames = {FramePlan{.picture = picture, .hotX = 3, .hotY = 4}}});
    return part;
}

TEST(CounterIconSlotTest, AFrameStandsOnItsSlotAndShrinksToTheBarKeepingItsShape) {
    const struct {
        int w, h, slot;
        int shownW, shownH;
    } cases[] = {
        {24, 24, 0, 24, 24},                                  // fits: kept
        {kCounterIconWidth, kCounterIconHeight, 1, kCounterIconWidth, kCounterIconHeight},
        {28, 28, kBadgeCounterSlot, 26, 26},                  // too tall
        {64, 20, 0, kCounterIconWidth, 10},                   // too wide: half as tall too
        {34, 30, 2, 29, 26},                                  // both; height rules
    };
    for (const auto& c : cases) {
        const PartPlan placed = InCounterSlot(IconOf(c.w, c.h), c.slot);
        const FramePlan& frame = placed.states[0].frames[0];
        const std::string at = std::to_string(c.w) + " x " + std::to_string(c.h);
        EXPECT_EQ(frame.picture.width, c.shownW) << at;
        EXPECT_EQ(frame.picture.height, c.shownH) << at;
        EXPECT_EQ(frame.hotX, kCounterSlotX[c.slot]) << at;
        EXPECT_EQ(frame.hotY, kCounterRowY) << at;
        EXPECT_EQ(frame.picture.at(0, frame.picture.height - 1), 1) << at << ": the left edge stays left";
        EXPECT_EQ(frame.picture.at(frame.picture.width - 1, 0), 2) << at;
    }
    EXPECT_THROW(InCounterSlot(IconOf(10, 10), int(std::size(kCounterSlotX))), std::invalid_argument);
}

} // namespace
} // namespace vqt::test
