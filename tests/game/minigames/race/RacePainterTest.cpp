// Painting the road into the background: the copy it restores from, the strips of the bands,
// the twin rows one wrap away and the history that keeps a band from being painted twice.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/PixelSurface.h"
#include "game/minigames/race/RacePainter.h"
#include "game/minigames/race/RaceSection.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

constexpr int16_t kWidth = 640, kStage = 480;

class RacePainterTest : public HeadlessTest {
protected:
    /// A background of `sections` stage heights whose every pixel tells its row.
    void MakeBackground(int sections) {
        ASSERT_TRUE(background.Create(kWidth, int16_t(kStage * sections), 16));
        CSurfaceLock lock(&background);
        for (int y = 0; y < background.GetHeight(); ++y) {
            auto* row = reinterpret_cast<uint16_t*>(lock.Pixels() + size_t(y) * size_t(background.GetPitch()));
            for (int x = 0; x < kWidth; ++x) row[x] = uint16_t(y * 7 + x);
        }
    }
    void Scribble(int top, int rows) {
        CSurfaceLock lock(&background);
        for (int y = top; y < top + rows; ++y) std::memset(lock.Pixels() + size_t(y) * size_t(background.GetPitch()), 0xEE, kWidth * 2);
    }
    std::vector<uint16_t> Row(int y) {
        CSurfaceLock lock(&background);
        const auto* row = reinterpret_cast<const uint16_t*>(lock.Pixels() + size_t(y) * size_t(background.GetPitch()));
        return std::vector<uint16_t>(row, row + kWidth);
    }
    std::vector<uint16_t> OriginalRow(int y) {
        std::vector<uint16_t> row(kWidth);
        for (int x = 0; x < kWidth; ++x) row[size_t(x)] = uint16_t(y * 7 + x);
        return row;
    }

    CPixelSurface background;
    CGRacePainter painter;
    std::vector<CGRaceSection*> noSections;
};

TEST_F(RacePainterTest, ABackgroundUnderThreeStageHeightsPaintsNothing) {
    const struct {
        int sections;
        bool paints;
    } cases[] = {{1, false}, {2, false}, {3, true}, {5, true}};
    for (const auto& c : cases) {
        MakeBackground(c.sections);
        EXPECT_EQ(painter.Prepare(&background, kWidth, kStage, 80), c.paints) << c.sections;
        EXPECT_EQ(painter.CanPaint(), c.paints);
        Scribble(0, 10);
        painter.PaintSection(0, noSections);
        EXPECT_EQ(Row(5) == OriginalRow(5), c.paints) << c.sections;
    }
    EXPECT_NE(traced().find("fewer than 3"), std::string::npos);
    EXPECT_FALSE(painter.Prepare(nullptr, kWidth, kStage, 80));
}

TEST_F(RacePainterTest, BandsAreStripsOfTheirSectionAndTwinsLieOneWrapAway) {
    MakeBackground(4);
    ASSERT_TRUE(painter.Prepare(&background, kWidth, kStage, 100));
    const struct {
        int section, band;
        CClipRect strip, twin;
    } cases[] = {
        {0, 0, {0, 0, 640, 100}, {0, 1440, 640, 1540}},
        {0, 4, {0, 400, 640, 480}, {0, 1840, 640, 1920}},       // the rest of the section
        {3, 1, {0, 1540, 640, 1640}, {0, 100, 640, 200}},       // the twin above
        {1, 2, {0, 680, 640, 780}, {}},                         // no room one wrap away
        {2, 5, {}, {}},                                          // beyond the section
    };
    for (const auto& c : cases) {
        const CClipRect strip = painter.BandRect(c.section, c.band);
        EXPECT_EQ(strip, c.strip) << c.section << "/" << c.band;
        EXPECT_EQ(painter.TwinRect(strip), c.twin) << c.section << "/" << c.band;
    }
}

TEST_F(RacePainterTest, APaintedStripIsRestoredAndCopiedToItsTwin) {
    MakeBackground(3);
    ASSERT_TRUE(painter.Prepare(&background, kWidth, kStage, 80));
    Scribble(0, 480);
    Scribble(960, 480);
    for (int band = 0; band < 6; ++band) painter.PaintNewBand(2, band, noSections);
    // Both ends of the strip show the same rows, restored from the copy.
    for (int y = 0; y < kStage; y += 13) {
        EXPECT_EQ(Row(960 + y), OriginalRow(960 + y)) << y;
        EXPECT_EQ(Row(y), Row(960 + y)) << y;
    }
    EXPECT_EQ(painter.PaintCount(), 6u);
}

TEST_F(RacePainterTest, TheHistoryHoldsTheLastTwoBandsPainted) {
    MakeBackground(3);
    ASSERT_TRUE(painter.Prepare(&background, kWidth, kStage, 80));
    const struct {
        int band;
        bool recentBefore;
    } steps[] = {{5, false}, {4, false}, {5, true}, {3, false}, {4, false}, {3, true}};
    for (const auto& s : steps) {
        EXPECT_EQ(painter.IsRecentBand(s.band), s.recentBefore) << s.band;
        painter.PaintNewBand(1, s.band, noSections);
        EXPECT_EQ(painter.BandHistory()[1], s.band);
    }
}

TEST_F(RacePainterTest, SectionsWithoutPropsOnlyRestore) {
    MakeBackground(3);
    ASSERT_TRUE(painter.Prepare(&background, kWidth, kStage, 80));
    CGRaceSection a, b;
    a.left.props = {nullptr};
    std::vector<CGRaceSection*> sections{&a, &b};
    Scribble(480, 480);
    painter.PaintSection(1, sections);
    EXPECT_EQ(Row(700), OriginalRow(700));
    painter.PaintSection(7, sections);
    EXPECT_EQ(painter.PaintCount(), 1u) << "a section beyond the picture is not painted";
}

} // namespace
} // namespace vqt::test
