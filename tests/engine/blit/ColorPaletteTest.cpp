#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/blit/Blitter.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/engine/graphics/GraphicsFixture.h"
#include "tests/engine/graphics/GraphicsOracle.h"
#include "tests/support/Golden.h"

namespace {

class ColorPaletteTest : public vqt::test::GraphicsTest {};

TEST_F(ColorPaletteTest, DefaultPaletteHoldsTheBuiltInColours) {
    CColorPalette p;
    // Every entry (red, green, blue as hex) with its two flags, after the counts.
    std::string dump = std::to_string(p.GetUsedCount()) + " used, search " + std::to_string(p.GetSearchFirst()) + "-" +
                       std::to_string(p.GetSearchLast()) + "\n";
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = p.GetEntry(i);
        char line[40];
        std::snprintf(line, sizeof line, "%3d %02X%02X%02X %d%d\n", i, ColorRed(c), ColorGreen(c), ColorBlue(c),
                      int(p.GetFlagA(i)), int(p.GetFlagB(i)));
        dump += line;
    }
    vqt::test::ExpectMatchesGolden("engine/graphics/default_palette.txt", dump);
    EXPECT_FALSE(p.Has16BitTable());
    // A colour word is red, green, blue, 0 in memory.
    const uint32_t w = p.GetEntry(2);
    EXPECT_EQ(std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(&w), reinterpret_cast<const uint8_t*>(&w) + 4),
              (std::vector<uint8_t>{0xB6, 0xFF, 0x92, 0}));
}

TEST_F(ColorPaletteTest, NearestColourOverTwoSearchRanges) {
    CColorPalette p;
    const uint32_t probes[] = {ColorWord(255, 0, 0),     ColorWord(0, 255, 0),   ColorWord(0, 0, 255),
                               ColorWord(250, 250, 250), ColorWord(3, 3, 3),     ColorWord(128, 128, 128),
                               ColorWord(0xFF, 0xD8, 0xCD), ColorWord(10, 200, 30), ColorWord(90, 10, 160)};
    for (uint32_t c : probes) {
        SCOPED_TRACE(c);
        EXPECT_EQ(p.FindNearestColorSum(c), oracle::NearestSum(p, c));
        EXPECT_EQ(p.FindNearestColor(c), oracle::NearestSquare(p, c));
        EXPECT_EQ(p.FindNearestColorSum(c, 0, 255), oracle::NearestSum(p, c, 0, 255));
        EXPECT_EQ(p.FindNearestColor(c, 0, 255), oracle::NearestSquare(p, c, 0, 255));
        const int16_t sum = p.FindNearestColorSum(c);
        EXPECT_NE(sum, 0);
        EXPECT_NE(sum, 255);
    }
    // Worked by hand: pure red is nearest to FF4C4C (35) by the channel sum (152 against 168)
    // and to AD2B2B (36) by squares (10422 against 11552).
    EXPECT_EQ(p.FindNearestColorSum(ColorWord(255, 0, 0)), 35);
    EXPECT_EQ(p.FindNearestColor(ColorWord(255, 0, 0)), 36);
    // White and black match exactly at 254 and 1 in the default range, at 0 over 0..255.
    EXPECT_EQ(p.FindNearestColorSum(ColorWord(255, 255, 255)), 254);
    EXPECT_EQ(p.FindNearestColorSum(ColorWord(255, 255, 255), 0, 255), 0);
    EXPECT_EQ(p.FindNearestColorSum(0, 0, 255), 1);
}

TEST_F(ColorPaletteTest, SearchRangeArgumentsAndTies) {
    CColorPalette p;
    for (int i = 0; i < 256; ++i) p.SetEntry(i, ColorWord(0, 0, 0));
    p.SetEntry(10, ColorWord(100, 0, 0));
    p.SetEntry(20, ColorWord(120, 0, 0));
    // 110 lies as near to 100 as to 120: the lower index wins.
    EXPECT_EQ(p.FindNearestColorSum(ColorWord(110, 0, 0), 5, 30), 10);
    EXPECT_EQ(p.FindNearestColor(ColorWord(110, 0, 0), 11, 30), 20);
    EXPECT_EQ(p.FindExact(ColorWord(120, 0, 0)), 20);
    EXPECT_EQ(p.FindExact(ColorWord(120, 0, 0), -1, -1, 20), -1);
    EXPECT_EQ(p.FindExact(ColorWord(0, 0, 0), -5, 300), 0); // negative first -> 0
    EXPECT_EQ(p.FindExact(ColorWord(0, 0, 0)), 1);          // -1/-1: the range 1..254
    EXPECT_EQ(p.FindNearestColorSum(ColorWord(1, 2, 3), 30, 20), -1);
    EXPECT_EQ(p.FindExact(ColorWord(0, 0, 0), 30, 20), -1);
    // Exact matches win at once even when an earlier entry is near.
    EXPECT_EQ(p.FindNearestColorSum(ColorWord(120, 0, 0), 0, 255), 20);
}

TEST_F(ColorPaletteTest, SquaredDistanceNeverGoesNegative) {
    // d1 = 10, d2 = -40 made the old green-times-sum term negative.
    EXPECT_EQ(ColorDistance(ColorWord(0, 50, 0), ColorWord(0, 40, 40)), 100 + 1600);
    std::mt19937 rng(3);
    for (int i = 0; i < 10000; ++i) {
        const uint32_t a = rng() & 0xFFFFFF, b = rng() & 0xFFFFFF;
        ASSERT_GE(ColorDistance(a, b), 0);
        ASSERT_EQ(ColorDistance(a, b), ColorDistance(b, a));
    }
    EXPECT_EQ(ColorDistanceSum(ColorWord(10, 20, 30), ColorWord(20, 10, 40)), 30);
    // Far colour that the old formula preferred: the search now takes the near one.
    CColorPalette p;
    for (int i = 0; i < 256; ++i) p.SetEntry(i, ColorWord(255, 255, 255));
    p.SetEntry(5, ColorWord(0, 40, 40));   // squared distance 1700 from the probe
    p.SetEntry(6, ColorWord(30, 50, 10));  // squared distance 1000
    EXPECT_EQ(p.FindNearestColor(ColorWord(0, 50, 0)), 6);
}

TEST_F(ColorPaletteTest, SixteenBitTableFollowsEntriesAndTheCurrentLayout) {
    CColorPalette p;
    ASSERT_TRUE(p.Build16BitTable());
    EXPECT_EQ(p.Get16BitTable()[0], 0x7FFF);
    EXPECT_EQ(p.Get16BitTable()[2], PackColor555(p.GetEntry(2)));
    p.SetEntry(3, ColorWord(255, 0, 0));
    EXPECT_EQ(p.Get16BitTable()[3], 0x7C00);
    xGraphics_SetPixelFormat(kPixelFormat565);
    EXPECT_EQ(p.Get16BitTable()[0], 0xFFFF); // repacked for the new layout
    EXPECT_EQ(p.Get16BitTable()[3], 0xF800);
    EXPECT_EQ(p.Table16Format(), kPixelFormat565);
    p.Free16BitTable();
    EXPECT_EQ(p.Get16BitTable(), nullptr);
}

TEST_F(ColorPaletteTest, SetEntryRangeAndUsedCount) {
    CColorPalette p;
    const CColorPalette before(p);
    p.SetEntry(300, 0x123456);
    p.SetEntry(-1, 0x123456);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(p.GetEntry(i), before.GetEntry(i));
    CColorPalette cleared;
    cleared.Clear();
    EXPECT_EQ(cleared.GetUsedCount(), 0);
    cleared.Build16BitTable();
    cleared.SetEntry(0, 0);
    EXPECT_EQ(cleared.GetUsedCount(), 1) << "the entry just past the used ones counts";
    cleared.SetEntry(4, ColorWord(255, 255, 255));
    EXPECT_EQ(cleared.GetUsedCount(), 5);
    cleared.SetEntry(10, ColorWord(0, 255, 0));
    EXPECT_EQ(cleared.GetUsedCount(), 11);
    EXPECT_EQ(cleared.Get16BitTable()[10], 0x03E0);
    cleared.SetEntry(2, ColorWord(1, 1, 1));
    EXPECT_EQ(cleared.GetUsedCount(), 11);
    // Assign copies only the other's used entries.
    CColorPalette target;
    target.Assign(cleared);
    EXPECT_EQ(target.GetEntry(10), ColorWord(0, 255, 0));
    EXPECT_EQ(target.GetEntry(11), before.GetEntry(11));
    EXPECT_EQ(target.GetUsedCount(), 256);
    // Assign starts from a reset palette and keeps a 16-bit table packed.
    CColorPalette b;
    b.Build16BitTable();
    b.SetFlagA(9, true);
    b.Assign(cleared);
    EXPECT_EQ(b.Get16BitTable()[10], 0x03E0);
    EXPECT_FALSE(b.GetFlagA(9));
}

TEST_F(ColorPaletteTest, LoadFromBytesAndColourTablesAndShortDataRefused) {
    std::vector<uint8_t> bytes(1024);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7);
    CColorPalette p;
    const uint32_t keep = p.GetEntry(5);
    EXPECT_FALSE(p.LoadFromBytes(bytes.data(), 1023));
    EXPECT_EQ(p.GetEntry(5), keep);
    EXPECT_TRUE(p.LoadFromBytes(bytes.data(), 1024));
    EXPECT_EQ(p.GetEntry(5), uint32_t(bytes[20]) | (uint32_t(bytes[21]) << 8) | (uint32_t(bytes[22]) << 16) |
                                 (uint32_t(bytes[23]) << 24));
    EXPECT_EQ(p.GetUsedCount(), 256);
    // Colour tables are blue, green, red records.
    uint8_t records[1024] = {};
    records[4 * 7 + 0] = 1;
    records[4 * 7 + 1] = 2;
    records[4 * 7 + 2] = 3;
    p.SetFromColorTable(records);
    EXPECT_EQ(p.GetEntry(7), ColorWord(3, 2, 1));
    EXPECT_EQ(p.GetEntry(0), 0u);
}

TEST_F(ColorPaletteTest, RemapTableMapsZeroToZeroAndExactBeforeNearest) {
    CColorPalette from, to;
    for (int i = 0; i < 256; ++i) to.SetEntry(i, ColorWord(0, 0, 0));
    to.SetEntry(40, ColorWord(10, 10, 10));
    to.SetEntry(50, ColorWord(200, 200, 200));
    to.SetEntry(60, ColorWord(201, 200, 200));
    from.SetEntry(0, ColorWord(201, 200, 200));
    from.SetEntry(1, ColorWord(201, 200, 200));
    from.SetEntry(2, ColorWord(12, 10, 10));
    uint8_t table[256];
    std::fill(table, table + 256, 0xEE);
    EXPECT_FALSE(from.BuildRemapTable(to, table, ColorDistanceSum));
    EXPECT_EQ(table[0], 0);  // always 0
    EXPECT_EQ(table[1], 60); // the exact colour, though 50 comes first and is one step away
    EXPECT_EQ(table[2], 40);
}

TEST_F(ColorPaletteTest, GlobalPaletteServesSurfacesWithoutOneAndFollowsSetGlobalPalette) {
    CPixelSurface s;
    ASSERT_TRUE(s.Create(2, 2, 8));
    EXPECT_EQ(s.EffectivePalette(), &xGraphics_GlobalPalette());
    CColorPalette custom;
    custom.SetEntry(4, ColorWord(1, 2, 3));
    SetGlobalPalette(custom);
    EXPECT_EQ(xGraphics_GlobalPalette().GetEntry(4), ColorWord(1, 2, 3));
    EXPECT_EQ(BltDefaultPalette().GetEntry(4), ColorWord(1, 2, 3)); // the blitters follow
    EXPECT_EQ(s.GetPaletteSize(), 1024u);
    CColorPalette out;
    s.GetPalette(&out);
    EXPECT_EQ(out.GetEntry(4), ColorWord(1, 2, 3));
}

} // namespace
