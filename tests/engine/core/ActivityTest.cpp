// Activities read from their chunk data: the tile grid, scrolling, the tiled background draw and
// the activity-local hit tests.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/Activity.h"
#include "engine/data/DrvMemory.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/PixelSurface.h"
#include "tools/builders/ActivityBuilder.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

/// A surface that records the rectangles of every StretchCopy made from it.
class RecordingSheet : public CPixelSurface {
public:
    struct Copy {
        CClipRect src;
        CClipRect dst;
    };
    void StretchCopy(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect, uint32_t mode,
                     CDrawSurface* mask, CPoint16 maskPoint) override {
        copies.push_back({src, dstRect});
        CPixelSurface::StretchCopy(src, dst, dstRect, mode, mask, maskPoint);
    }
    std::vector<Copy> copies;
};

class Prop : public OView {
public:
    Prop(int16_t x, int16_t y, int16_t w, int16_t h) : OView("prop", kClassId) {
        SetCursorMode(kHitSelf);
        SetSize(CPoint16(w, h), 0);
        SetPosition(CPointF(x, y), 0, 0);
    }
    int32_t OnIdle() override { return 1; }
};

class ActivityTest : public HeadlessTest {
protected:
    /// Reads an activity from chunk data (no part file: no palette or background ids).
    bool Read(OActivity& activity, const ActivityPlan& desc) {
        data = ActivityData(desc);
        ODrvMemory stream;
        stream.AdoptMemory(data.data(), data.size(), data.size());
        const bool ok = activity.ReadActivityData(nullptr, &stream);
        void* memory = nullptr;
        stream.ReleaseMemory(&memory);
        return ok;
    }
    /// A tiled activity of `columns` x `rows` tiles of 8 x 8 over a sheet of 4 tiles a row and
    /// 3 rows whose tile t has colour index t + 1.
    std::unique_ptr<OActivity> Tiled(int16_t columns, int16_t rows, const std::vector<uint16_t>& tiles) {
        auto activity = std::make_unique<OActivity>("tiled", OActivity::kClassId);
        EXPECT_TRUE(Read(*activity, {.properties = TiledActivityProps(columns, rows, 8, 8, tiles)}));
        auto* sheet = new RecordingSheet;
        sheet->Create(32, 24, 8);
        uint8_t* p = sheet->Lock();
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 32; ++x) p[y * sheet->GetPitch() + x] = uint8_t((y / 8) * 4 + x / 8 + 1);
        sheet->Unlock();
        activity->SetBackgroundSurface(std::unique_ptr<CDrawSurface>(sheet));
        return activity;
    }
    RecordingSheet* Sheet(OActivity& a) { return static_cast<RecordingSheet*>(a.GetBackgroundSurface()); }
    /// An 8-bit destination filled with 0xEE.
    static std::unique_ptr<CPixelSurface> Destination(int16_t w, int16_t h) {
        auto d = std::make_unique<CPixelSurface>();
        d->Create(w, h, 8);
        uint8_t* p = d->Lock();
        for (int i = 0; i < w * h; ++i) p[i] = 0xEE;
        d->Unlock();
        return d;
    }
    /// The destination's row y as colour indices.
    static std::vector<int> Row(CPixelSurface& d, int y) {
        std::vector<int> row;
        const uint8_t* p = d.Lock() + y * d.GetPitch();
        for (int x = 0; x < d.GetWidth(); ++x) row.push_back(p[x]);
        d.Unlock();
        return row;
    }

    Bytes data;
};

TEST_F(ActivityTest, TiledActivityTakesTheSizeOfItsMapFromTheCompactGridAndAPlainOneKeepsItsDefaults) {
    std::vector<uint16_t> tiles(80);
    for (uint16_t i = 0; i < 80; ++i) tiles[i] = i;
    OActivity activity("tiled", OActivity::kClassId);
    ASSERT_TRUE(Read(activity, {.properties = TiledActivityProps(10, 8, 32, 32, tiles)}));
    EXPECT_EQ(activity.GetWidth(), 320);
    EXPECT_EQ(activity.GetHeight(), 256);
    EXPECT_EQ(activity.GetTileCount(), 80);
    EXPECT_FALSE(activity.HasCompactGrid());
    EXPECT_EQ(activity.TileAt(1, 2), 12);
    EXPECT_EQ(activity.TileAt(7, 9), 79);
    EXPECT_EQ(activity.TileAt(8, 0), -1);
    // The background size of a tiled activity is that of its map.
    EXPECT_EQ(activity.GetBackgroundSize(), CPointF(320, 256));

    // A plain activity without background or palette keeps its defaults.
    PropertyBytes p;
    p.Short(53, 1, 5).Pair(50, 1, 320, 240);
    OActivity plain("plain", OActivity::kClassId);
    ASSERT_TRUE(Read(plain, {.properties = p}));
    EXPECT_TRUE(plain.GetBackgroundSurface() == nullptr && plain.GetPaletteId() == kNullChunkId && !plain.IsTiled());
    EXPECT_EQ(plain.GetValue1(), 5);
    EXPECT_EQ(plain.GetPosition(), CPointF(320, 240));
}

TEST_F(ActivityTest, TileTableWinsAndAGridOfTheWrongSizeIsIgnored) {
    PropertyBytes p;
    p.Byte(53, 2, 1).Short(53, 3, 2).Short(53, 4, 1);
    p.Shorts(53, 99, {1, 0, 2, 0, 3, 0}); // three cells for a grid of two: ignored
    p.Records12(53, 100, {7, 9});
    OActivity activity("table", OActivity::kClassId);
    ASSERT_TRUE(Read(activity, {.properties = p}));
    EXPECT_EQ(activity.TileAt(0, 0), 7);
    EXPECT_EQ(activity.TileAt(0, 1), 9);
    EXPECT_EQ(activity.GetWidth(), 64);

    PropertyBytes onlyWrongGrid;
    onlyWrongGrid.Byte(53, 2, 1).Short(53, 3, 2).Short(53, 4, 1).Shorts(53, 99, {1, 0, 2, 0, 3, 0});
    OActivity refused("refused", OActivity::kClassId);
    EXPECT_FALSE(Read(refused, {.properties = onlyWrongGrid}));
    EXPECT_NE(traced().find("tiled without tile data"), std::string::npos);
}

TEST_F(ActivityTest, ActivityDataThatCannotBeDrawnOrRunsPastItsEndIsRefused) {
    const std::vector<uint16_t> four{0, 1, 2, 3};
    struct Case {
        const char* trace;
        ActivityPlan desc;
    };
    PropertyBytes shortTable;
    shortTable.Byte(53, 2, 1).Short(53, 3, 2).Short(53, 4, 2).Records12(53, 100, {1, 2, 3});
    PropertyBytes shortGrid;
    // A grid the right size for the rows read before it, more rows read after it.
    shortGrid.Byte(53, 2, 1).Short(53, 3, 2).Short(53, 4, 1).Shorts(53, 99, {1, 0, 2, 0}).Short(53, 4, 2);
    PropertyBytes noColumns;
    noColumns.Byte(53, 2, 1).Short(53, 3, 0).Short(53, 4, 2);
    std::vector<Case> cases{
        {"tile grid of 2 x 2 tiles of 0 x 8 cannot be drawn", {.properties = TiledActivityProps(2, 2, 0, 8, four)}},
        {"tile grid of 2 x 2 tiles of 8 x 0 cannot be drawn", {.properties = TiledActivityProps(2, 2, 8, 0, four)}},
        {"tile grid of 0 x 2 tiles", {.properties = noColumns}},
        {"tile table of 36 bytes is short of 4 cells", {.properties = shortTable}},
        {"tile grid of 8 bytes is short of 4 cells", {.properties = shortGrid}},
        {"tile map of 2000 x 2 tiles of 32 x 8 is too large",
         {.properties = TiledActivityProps(2000, 2, 32, 8, std::vector<uint16_t>(4000, 0))}},
        {"70000 bytes of properties run past the activity data", {.storedPropertyBytes = 70000}},
    };
    for (const Case& c : cases) {
        OActivity activity("bad", OActivity::kClassId);
        EXPECT_FALSE(Read(activity, c.desc)) << c.trace;
        EXPECT_NE(traced().find(c.trace), std::string::npos) << c.trace;
    }
}

TEST_F(ActivityTest, ScrollingStopsAtTheLimitsOrWrapsAroundTheStagePlusTheLimitAndAnswersWhetherItMoved) {
    OActivity activity("scroll", OActivity::kClassId);
    activity.SetPosition(CPointF(500, 400), 0, 0);
    activity.SetScrollLimits(CPointF(0, 0), CPointF(100, 50));
    EXPECT_TRUE(activity.ScrollTo(CPointF(200, 80), 0));
    EXPECT_EQ(activity.GetScrollOffset(), CPointF(100, 50));
    EXPECT_EQ(activity.GetPosition(), CPointF(400, 350)); // the view moves against the offset
    EXPECT_FALSE(activity.ScrollTo(CPointF(200, 80), 0));
    EXPECT_TRUE(activity.ScrollTo(CPointF(-30, -5), 1));
    EXPECT_EQ(activity.GetScrollOffset(), CPointF(70, 45));

    // A map smaller than the stage has its largest limit below the smallest: the offset stays
    // at the smallest.
    OActivity small("small", OActivity::kClassId);
    small.SetScrollLimits(CPointF(0, 0), CPointF(-40, -40));
    EXPECT_FALSE(small.ScrollTo(CPointF(25, 25), 0));
    EXPECT_EQ(small.GetScrollOffset(), CPointF(0, 0));

    // A horizontal wrap turns the offset around the stage plus the limit.
    PropertyBytes wrap;
    wrap.Byte(50, 7, 1);
    OActivity wrapping("wrap", OActivity::kClassId);
    ASSERT_TRUE(Read(wrapping, {.properties = wrap}));
    wrapping.SetScrollLimits(CPointF(0, 0), CPointF(360, 0));
    // E = stage width 640 + 360.
    EXPECT_TRUE(wrapping.ScrollTo(CPointF(1010, 0), 0));
    EXPECT_EQ(wrapping.GetScrollOffset().x, 10);
    EXPECT_TRUE(wrapping.ScrollTo(CPointF(-30, 0), 0));
    EXPECT_EQ(wrapping.GetScrollOffset().x, 970);
    EXPECT_TRUE(wrapping.ScrollTo(CPointF(1e9f, 0), 0)); // the loops are bounded
}

TEST_F(ActivityTest, ConsecutiveTileNumbersAreDrawnAsOnePiece) {
    auto activity = Tiled(4, 1, {5, 6, 7, 9});
    auto dst = Destination(40, 8);
    activity->DrawBackgroundRect(CClipRect(0, 0, 32, 8), dst.get(), CClipRect(0, 0, 32, 8));
    const auto& copies = Sheet(*activity)->copies;
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].src, CClipRect(8, 8, 32, 16));
    EXPECT_EQ(copies[0].dst, CClipRect(0, 0, 24, 8));
    EXPECT_EQ(copies[1].src, CClipRect(8, 16, 16, 24));
    EXPECT_EQ(copies[1].dst, CClipRect(24, 0, 32, 8));
    const std::vector<int> row = Row(*dst, 3);
    EXPECT_EQ(row[0], 6);
    EXPECT_EQ(row[23], 8);
    EXPECT_EQ(row[24], 10);
    EXPECT_EQ(row[35], 0xEE);
}

TEST_F(ActivityTest, PiecesAreClippedToTheSourceAndShiftedByTheScrollOffset) {
    auto activity = Tiled(4, 2, {0, 1, 2, 3, 4, 5, 6, 7});
    activity->SetScrollLimits(CPointF(0, 0), CPointF(100, 100));
    activity->ScrollTo(CPointF(4, 8), 0);
    auto dst = Destination(40, 16);
    // Map columns 4-27 of row 8-15 (the second map row) show at stage columns 0-23.
    activity->DrawBackgroundRect(CClipRect(4, 8, 28, 16), dst.get(), CClipRect(0, 0, 24, 8));
    const auto& copies = Sheet(*activity)->copies;
    ASSERT_EQ(copies.size(), 1u); // tiles 4..7: one sheet row, one run
    EXPECT_EQ(copies[0].src, CClipRect(4, 8, 28, 16));
    EXPECT_EQ(copies[0].dst, CClipRect(0, 0, 24, 8));
    EXPECT_EQ(Row(*dst, 0)[0], 5);
    EXPECT_EQ(Row(*dst, 0)[23], 8);
}

TEST_F(ActivityTest, RunsBreakAtTheEndOfASheetRowAndTilesOffTheSheetAreLeftOut) {
    auto activity = Tiled(4, 1, {2, 3, 4, 40});
    auto dst = Destination(32, 8);
    activity->DrawBackgroundRect(CClipRect(0, 0, 32, 8), dst.get(), CClipRect(0, 0, 32, 8));
    const auto& copies = Sheet(*activity)->copies;
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].src, CClipRect(16, 0, 32, 8)); // tiles 2 and 3 end the sheet's first row
    EXPECT_EQ(copies[1].src, CClipRect(0, 8, 8, 16));  // tile 4 starts the second
    EXPECT_EQ(Row(*dst, 0)[31], 0xEE);                 // tile 40 is not on the sheet

    // A sheet narrower than one tile draws nothing.
    auto narrow = Tiled(1, 1, {0});
    auto* thin = new RecordingSheet;
    thin->Create(4, 8, 8);
    narrow->SetBackgroundSurface(std::unique_ptr<CDrawSurface>(thin));
    narrow->DrawBackgroundRect(CClipRect(0, 0, 8, 8), dst.get(), CClipRect(0, 0, 8, 8));
    EXPECT_TRUE(thin->copies.empty());
}

TEST_F(ActivityTest, HitTestsAskThePropsFromTheLastAndStayInsideTheActivity) {
    OActivity activity("hits", OActivity::kClassId);
    activity.SetSize(CPoint16(100, 100), 0);
    auto* a = new Prop(30, 30, 40, 40);
    auto* b = new Prop(40, 40, 40, 40);
    activity.AddChild(a);
    activity.AddChild(b);
    EXPECT_EQ(activity.HitTestPointDeep(CPoint16(45, 45)), b);
    EXPECT_EQ(activity.HitTestPointDeep(CPoint16(15, 15)), a);
    EXPECT_EQ(activity.HitTestPointDeep(CPoint16(90, 5)), nullptr); // mode 3: never itself
    EXPECT_EQ(activity.HitTestPointDeep(CPoint16(120, 45)), nullptr);
    EXPECT_EQ(activity.HitTestPointAt(CPoint16(45, 45), b), a);
    EXPECT_EQ(activity.HitTestPointAt(CPoint16(75, 75), b), nullptr);

    activity.SetCursorMode(OView::kHitChildrenThenSelf);
    EXPECT_EQ(activity.HitTestPointDeep(CPoint16(90, 5)), &activity);
    activity.SetCursorMode(OView::kHitNever);
    EXPECT_EQ(activity.HitTestPointDeep(CPoint16(90, 5)), nullptr);
}

} // namespace
} // namespace vqt::test
