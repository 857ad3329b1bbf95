#include <gtest/gtest.h>

#include <vector>

#include "tests/engine/core/RunLoopFixture.h"

namespace {

class DirtyRectsTest : public vqt::test::RunLoopTest {
protected:
    std::vector<CRect16> List() {
        std::vector<CRect16> rects;
        for (int16_t i = 0; i < CDirtyRects::Get().Count(); ++i) rects.push_back(CDirtyRects::Get().At(i));
        return rects;
    }
};

TEST_F(DirtyRectsTest, RectanglesAreWidenedToMultiplesOfFour) {
    xDirtyRects_Add(CRect16(5, 5, 6, 6));
    xDirtyRects_Add(CRect16(-3, 10, 9, 12));
    EXPECT_EQ(List(), (std::vector<CRect16>{{4, 5, 8, 6}, {-4, 10, 12, 12}}));
}

TEST_F(DirtyRectsTest, EmptyRectanglesAndTheSettingOffAddNothing) {
    xDirtyRects_Add(CRect16(10, 10, 10, 20));
    xDirtyRects_Add(CRect16(10, 20, 30, 19));
    EXPECT_TRUE(List().empty());
    xProfiles_Set("FULLSCREEN", sLong(1));
    xProfiles_Set("DIRECTDRAW", sLong(1)); // full screen through DirectDraw: no dirty rectangles
    xDirtyRects_Add(CRect16(0, 0, 8, 8));
    EXPECT_TRUE(List().empty());
}

TEST_F(DirtyRectsTest, ContainmentDecidesAndOrderIsKept) {
    xDirtyRects_Add(CRect16(0, 0, 8, 8));
    xDirtyRects_Add(CRect16(100, 0, 108, 8));
    xDirtyRects_Add(CRect16(200, 0, 208, 8));
    xDirtyRects_Add(CRect16(300, 0, 308, 8));
    xDirtyRects_Add(CRect16(1, 1, 3, 3)); // inside the first: nothing
    xDirtyRects_Add(CRect16(104, 4, 120, 20)); // overlaps the second: both kept
    EXPECT_EQ(List().size(), 5u);
    xDirtyRects_Add(CRect16(96, 0, 212, 30)); // holds the second, third and the overlapping one
    EXPECT_EQ(List(), (std::vector<CRect16>{{0, 0, 8, 8}, {300, 0, 308, 8}, {96, 0, 212, 30}}));
}

TEST_F(DirtyRectsTest, RectanglesAreClippedToTheStage) {
    xStage_SetClipRect(CRect16(0, 0, 640, 480));
    xDirtyRects_Add(CRect16(630, 470, 700, 500));
    xDirtyRects_Add(CRect16(700, 0, 720, 10)); // wholly outside
    EXPECT_EQ(List(), (std::vector<CRect16>{{628, 470, 640, 480}}));
    CRect16 clip;
    xStage_GetClipRect(&clip);
    EXPECT_EQ(clip, CRect16(0, 0, 640, 480));
}

TEST_F(DirtyRectsTest, TheTwentySixthRectangleCollapsesTheListToTheStage) {
    xStage_SetClipRect(CRect16(0, 0, 640, 480));
    for (int16_t i = 0; i < 25; ++i) xDirtyRects_Add(CRect16(int16_t(i * 20), 0, int16_t(i * 20 + 8), 8));
    EXPECT_EQ(CDirtyRects::Get().Count(), 25);
    xDirtyRects_Add(CRect16(0, 100, 8, 108));
    EXPECT_EQ(List(), (std::vector<CRect16>{{0, 0, 640, 480}}));
    xDirtyRects_Add(CRect16(0, 100, 8, 108)); // held by the stage rectangle
    EXPECT_EQ(CDirtyRects::Get().Count(), 1);
    xDirtyRects_Clear();
    EXPECT_TRUE(List().empty());
    // Without a clip rectangle a full list falls back to the stage size.
    xStage_SetClipRect(CRect16());
    xProfiles_Set("STAGESIZE", "800x600");
    for (int16_t i = 0; i < 26; ++i) xDirtyRects_Add(CRect16(int16_t(i * 20), 0, int16_t(i * 20 + 8), 8));
    EXPECT_EQ(List(), (std::vector<CRect16>{{0, 0, 800, 600}}));
}

} // namespace
