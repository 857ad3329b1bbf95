// The documented examples and edge cases of the line routines, one group per routine family.
#include <cstring>
#include <vector>

#include "engine/blit/Blitter.h"
#include "engine/core/Trace.h"
#include "engine/graphics/ColorPalette.h"
#include "engine/graphics/GraphicsContext.h"
#include "tests/engine/blit/BlitFixture.h"
#include "tests/engine/blit/BlitModel.h"

using namespace blitmodel;

namespace {

using Bytes = std::vector<uint8_t>;
using Words = std::vector<uint16_t>;

class BltEdgeCasesTest : public BlitFixture {
protected:
    static uint16_t Entry16(CColorPalette& p, int v) { return p.Get16BitTable()[v]; }
};

// ---- 8-bit destinations ----

TEST_F(BltEdgeCasesTest, EightBitReadersFillTransparentPixelsOnlyWhenSolid) {
    const Bytes run = {0x81, 0x03, 0x05};
    Bytes d(10, 9);
    BltCompSolid_8bTo8b(run.data(), 10, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, (Bytes{5, 5, 5, 0, 0, 0, 0, 0, 0, 0}));
    d.assign(10, 9);
    BltCompTrans_8bTo8b(run.data(), 10, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, (Bytes{5, 5, 5, 9, 9, 9, 9, 9, 9, 9}));

    const Bytes literal = {0x91, 0x03, 1, 2, 3};
    d.assign(6, 9);
    BltCompSolidX_8bTo8b(literal.data(), 6, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, (Bytes{0, 0, 0, 3, 2, 1}));

    const Bytes holes = {0xB1, 0x03, 7, 0, 7};
    d.assign(3, 9);
    BltCompSolid_8bTo8b(holes.data(), 3, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, (Bytes{7, 0, 7}));
    d.assign(3, 9);
    BltCompTrans_8bTo8b(holes.data(), 3, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, (Bytes{7, 9, 7}));
    d.assign(3, 9);
    BltCompTransX_8bTo8b(holes.data(), 3, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, (Bytes{7, 9, 7}));
}

TEST_F(BltEdgeCasesTest, ALineOfOnlyTheEndByteIsClearedLikeEveryOtherLineEnd) {
    // The decode buffer of clipped frames is reused: an empty line must not keep the previous
    // row's pixels.
    const Bytes end = {0x80};
    Bytes d(8, 9);
    BltCompSolid_8bTo8b(end.data(), 8, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, Bytes(8, 0));
    d.assign(8, 9);
    BltCompSolidX_8bTo8b(end.data(), 8, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, Bytes(8, 0));
    d.assign(8, 9);
    BltCompTrans_8bTo8b(end.data(), 8, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, Bytes(8, 9));
}

TEST_F(BltEdgeCasesTest, ScaledEightBitRoutinesReadThroughTheColumnTable) {
    const uint16_t table[4] = {3, 3, 4, 4};
    BltContext().BltScaleTableX = table;
    BltContext().BltScaleOriginX = 3;
    const Bytes src = {21, 22};
    Bytes d(4, 0);
    BltScaledSolid_8bTo8b(src.data(), 4, d.data(), nullptr);
    EXPECT_EQ(d, (Bytes{21, 21, 22, 22}));
    BltScaledSolidX_8bTo8b(src.data(), 4, d.data(), nullptr);
    EXPECT_EQ(d, (Bytes{22, 22, 21, 21}));
}

TEST_F(BltEdgeCasesTest, EightBitTintAndBlendFallBackToTransparentWithAWarningPerLine) {
    const Bytes src = {0, 4, 0, 6};
    Bytes expect(4, 9), d(4, 9);
    BltTrans_8bTo8b(src.data(), 4, expect.data(), nullptr);
    debug().Clear();
    BltTinted_8bTo8b(src.data(), 4, d.data(), nullptr);
    EXPECT_EQ(d, expect);
    EXPECT_EQ(traced(), "BltTinted_8bTo8b - Warning - tinted draw called without tint palette set\n");
    debug().Clear();
    d.assign(4, 9);
    BltBlended_8bTo8b(src.data(), 4, d.data(), nullptr);
    BltBlended_8bTo8b(src.data(), 4, d.data(), nullptr);
    EXPECT_EQ(d, expect);
    EXPECT_EQ(traced(), "BltBlended_8bTo8b - Warning - blended draw called without blend palette set\n"
                        "BltBlended_8bTo8b - Warning - blended draw called without blend palette set\n");

    const Bytes line = {0x31, 0x04, 0, 4, 0, 6, 0x81, 0x01, 3};
    Bytes compExpect(5, 9), cd(5, 9);
    BltCompTrans_8bTo8b(line.data(), 5, compExpect.data(), nullptr, nullptr);
    debug().Clear();
    BltCompTinted_8bTo8b(line.data(), 5, cd.data(), nullptr, nullptr);
    EXPECT_EQ(cd, compExpect);
    EXPECT_EQ(traced(), "Warning - tinted draw called without tint palette set\n");
    debug().Clear();
    cd.assign(5, 9);
    BltCompBlended_8bTo8b(line.data(), 5, cd.data(), nullptr, nullptr);
    EXPECT_EQ(cd, compExpect);
    EXPECT_EQ(traced(), "BltCompBlended_8bTo8b - Warning - blended draw called without blend palette set\n");
}

TEST_F(BltEdgeCasesTest, EightBitTintAndBlendTablesRemapDrawnPixels) {
    Bytes tint(256), blend(256 * 256);
    for (int i = 0; i < 256; ++i) tint[static_cast<size_t>(i)] = static_cast<uint8_t>(255 - i);
    for (int s = 0; s < 256; ++s)
        for (int d = 0; d < 256; ++d) blend[static_cast<size_t>(s * 256 + d)] = static_cast<uint8_t>(s ^ d);
    BltContext().BltTintPalette8 = tint.data();
    BltContext().BltBlendPalette8 = blend.data();
    debug().Clear();
    const Bytes src = {0, 4, 6};
    Bytes d = {9, 9, 9};
    BltTinted_8bTo8b(src.data(), 3, d.data(), nullptr);
    EXPECT_EQ(d, (Bytes{9, 251, 249}));
    d = {9, 9, 9};
    BltBlended_8bTo8b(src.data(), 3, d.data(), nullptr);
    EXPECT_EQ(d, (Bytes{9, 4 ^ 9, 6 ^ 9}));
    const Bytes line = {0xB1, 0x03, 0, 4, 6};
    d = {9, 9, 9};
    BltCompTinted_8bTo8b(line.data(), 3, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, (Bytes{9, 251, 249}));
    d = {9, 9, 9};
    BltCompBlended_8bTo8b(line.data(), 3, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, (Bytes{9, 4 ^ 9, 6 ^ 9}));
    EXPECT_EQ(traced(), "");
}

TEST_F(BltEdgeCasesTest, MirroredEightBitReadersTraceAReferenceWithoutTable) {
    const Bytes line = {0x09, 0x03, 0x00, 0x81, 0x01, 0x05};
    Bytes d(4, 9);
    debug().Clear();
    BltCompTransX_8bTo8b(line.data(), 4, d.data(), nullptr, nullptr);
    EXPECT_EQ(traced(),
              "BltCompTransX_8bTo8b - Common block opcode encountered but no common block table found!\n");
    EXPECT_EQ(d, (Bytes{9, 9, 9, 5}));  // the reference left the position where it was
}

// ---- common blocks ----

TEST_F(BltEdgeCasesTest, CommonBlocksAreDrawnAtTheirPlaceInEveryReader) {
    const Bytes block = LineBuilder().Literal({1, 2}).Skip(1).Done();
    const Bytes table = MakeBlockTable({block});
    const Bytes line = LineBuilder().Run(1, 7).Ref(3, 0).Run(1, 8).Done();
    Bytes d(6, 9);
    BltCompSolid_8bTo8b(line.data(), 6, d.data(), table.data(), nullptr);
    EXPECT_EQ(d, (Bytes{7, 1, 2, 0, 8, 0}));
    d.assign(6, 9);
    BltCompTrans_8bTo8b(line.data(), 6, d.data(), table.data(), nullptr);
    EXPECT_EQ(d, (Bytes{7, 1, 2, 9, 8, 9}));
    d.assign(6, 9);
    // Mirrored: the block's first pixel at x, the others to the left, then on at x - 3.
    BltCompTransX_8bTo8b(line.data(), 6, d.data(), table.data(), nullptr);
    EXPECT_EQ(d, (Bytes{9, 8, 9, 2, 1, 7}));
    d.assign(6, 9);
    BltCompSolidX_8bTo8b(line.data(), 6, d.data(), table.data(), nullptr);
    EXPECT_EQ(d, (Bytes{0, 8, 0, 2, 1, 7}));

    auto palette = ProbePalette(2);
    Words w(6, 0x1234);
    BltCompSolid_8bTo16b(line.data(), 6, w.data(), table.data(), palette.get());
    EXPECT_EQ(w, (Words{Entry16(*palette, 7), Entry16(*palette, 1), Entry16(*palette, 2), 0x1234,
                        Entry16(*palette, 8), 0x1234}));
    // The blended reader draws the block too.
    BltContext().BltDstPixelFormat = 2;
    BltContext().BltBlendLevel = 0;
    for (int8_t vector : {0, 1}) {
        BltContext().vectorCode = vector;
        w.assign(6, 0x1234);
        BltCompBlended_8bTo16b(line.data(), 6, w.data(), table.data(), palette.get());
        EXPECT_EQ(w[1], Entry16(*palette, 1));
        EXPECT_EQ(w[2], Entry16(*palette, 2));
    }
}

TEST_F(BltEdgeCasesTest, TwentyFourBitSolidReaderDrawsBlocksWithTheLinePalette) {
    xGraphics_SetPixelFormat(2);
    CColorPalette own;
    own.SetEntry(1, 0x00030201);
    const Bytes table = MakeBlockTable({LineBuilder().Run(1, 1).Done()});
    const Bytes line = LineBuilder().Ref(2, 0).Done();
    Bytes d(9, 0xEE);
    BltCompSolid_8bTo24b(line.data(), 3, d.data(), table.data(), &own);
    // Block pixel in the line's colours; the rest of the block span and of the line cleared.
    EXPECT_EQ(d, (Bytes{3, 2, 1, 0, 0, 0, 0, 0, 0}));
    debug().Clear();
    d.assign(9, 0xEE);
    BltCompSolid_8bTo24b(line.data(), 3, d.data(), nullptr, &own);
    EXPECT_NE(traced().find("BltCompSolid_8bTo24b - Common block opcode encountered but no common block table found!\n"),
              std::string::npos);
}

// ---- 16-bit destinations ----

TEST_F(BltEdgeCasesTest, SilhouetteUsesEntryZeroOrBlack) {
    const Bytes src = {0, 3, 3, 0};
    Words d(4, 0x1111);
    BltSilhouette_8bTo16b(src.data(), 4, d.data(), nullptr);
    EXPECT_EQ(d, (Words{0x1111, 0, 0, 0x1111}));
    xGraphics_SetPixelFormat(2);
    CColorPalette p;
    p.SetEntry(0, 0x00FF00FF);  // magenta
    p.Free16BitTable();
    d.assign(4, 0x1111);
    BltSilhouette_8bTo16b(src.data(), 4, d.data(), &p);
    ASSERT_TRUE(p.Has16BitTable());
    EXPECT_EQ(d, (Words{0x1111, 0xF81F, 0xF81F, 0x1111}));
}

TEST_F(BltEdgeCasesTest, SixteenBitLayoutConversionAtFieldMaxima) {
    BltSettings& s = BltContext();
    Words src = {0x7FFF}, d = {0};
    s.BltSrcPixelFormat = 1;
    s.BltDstPixelFormat = 2;
    BltSolid_16bTo16b(reinterpret_cast<const uint8_t*>(src.data()), 2, d.data(), nullptr);
    EXPECT_EQ(d[0], 0xFFDF);  // red and blue full, lowest green bit clear
    src = {0xFFFF};
    s.BltSrcPixelFormat = 2;
    s.BltDstPixelFormat = 1;
    BltSolid_16bTo16b(reinterpret_cast<const uint8_t*>(src.data()), 2, d.data(), nullptr);
    EXPECT_EQ(d[0], 0x7FFF);
    // The key is tested on the raw value.
    s.BltColorKey16 = 0xFFFF;
    d = {0x1234};
    BltTrans_16bTo16b(reinterpret_cast<const uint8_t*>(src.data()), 2, d.data(), nullptr);
    EXPECT_EQ(d[0], 0x1234);
}

TEST_F(BltEdgeCasesTest, TintRoundsTowardsMinusInfinityAndHitsItsEnds) {
    xGraphics_SetPixelFormat(1);
    CColorPalette p;
    p.SetEntry(1, 201);  // red 201
    p.SetEntry(2, 200);
    p.SetEntry(3, 0x0000FF);  // pure red
    BltSettings& s = BltContext();
    s.BltDstPixelFormat = 1;
    const Bytes one = {1}, two = {2}, red = {3};
    Words d = {0};
    s.BltTintColor = 0;
    s.BltTintLevel = 128;
    BltTinted_8bTo16b(one.data(), 1, d.data(), &p);
    EXPECT_EQ(d[0] >> 10, 100 >> 3);
    uint16_t px = 0;
    BltTintPixel_8bTo555(one.data(), &p, &px, 0, 128);
    EXPECT_EQ(px, d[0]);
    s.BltTintColor = 0xFF;
    BltTinted_8bTo16b(two.data(), 1, d.data(), &p);
    EXPECT_EQ(d[0] >> 10, 227 >> 3);

    s.BltTintColor = 0xFFFFFF;
    BltTinted_8bTo16b(red.data(), 1, d.data(), &p);
    EXPECT_EQ(d[0], (31 << 10) | (15 << 5) | 15);
    s.BltDstPixelFormat = 2;
    BltTinted_8bTo16b(red.data(), 1, d.data(), &p);
    EXPECT_EQ(d[0], (31 << 11) | (31 << 5) | 15);
    BltTintPixel_8bTo565(red.data(), &p, &px, 0xFFFFFF, 128);
    EXPECT_EQ(px, d[0]);

    s.BltTintLevel = 0;
    BltTinted_8bTo16b(red.data(), 1, d.data(), &p);
    EXPECT_EQ(d[0], 0xF800);
    s.BltTintLevel = 256;
    s.BltTintColor = 0x00FF00;  // green
    BltTinted_8bTo16b(red.data(), 1, d.data(), &p);
    EXPECT_EQ(d[0], 0x07E0);
}

TEST_F(BltEdgeCasesTest, BlendEndsAndTheRedOverBlackSplit) {
    for (int layout : {1, 2}) {
        xGraphics_SetPixelFormat(static_cast<int16_t>(layout));
        CColorPalette p;
        p.SetEntry(1, 0x0000FF);
        p.SetEntry(2, 0x80C040);
        p.Build16BitTable();
        BltSettings& s = BltContext();
        s.BltDstPixelFormat = static_cast<int16_t>(layout);
        const Bytes red = {1}, other = {2};
        const int redShift = layout == 2 ? 11 : 10;
        Words d = {0};
        s.BltBlendLevel = 128;
        BltBlended_8bTo16b(red.data(), 1, d.data(), &p);
        EXPECT_EQ(d[0], 16 << redShift);
        d = {0};
        BltBlendedX_8bTo16b(red.data(), 1, d.data(), &p);
        EXPECT_EQ(d[0], 15 << redShift);

        const uint16_t dest = layout == 2 ? 0x1234 : 0x9234;
        s.BltBlendLevel = 0;
        d = {dest};
        BltBlended_8bTo16b(other.data(), 1, d.data(), &p);
        EXPECT_EQ(d[0], Entry16(p, 2));
        d = {dest};
        BltBlendedX_8bTo16b(other.data(), 1, d.data(), &p);
        EXPECT_EQ(d[0], Entry16(p, 2));
        s.BltBlendLevel = 255;
        d = {dest};
        BltBlended_8bTo16b(other.data(), 1, d.data(), &p);
        EXPECT_EQ(d[0], dest & 0x7FFF);
        s.BltBlendLevel = 256;
        d = {dest};
        BltBlendedX_8bTo16b(other.data(), 1, d.data(), &p);
        EXPECT_EQ(d[0], dest & 0x7FFF);

        for (int16_t format : {0, 3, 4}) {
            s.BltDstPixelFormat = format;
            d = {dest};
            BltBlended_8bTo16b(other.data(), 1, d.data(), &p);
            BltTinted_8bTo16b(other.data(), 1, d.data(), &p);
            BltCompTinted_8bTo16b(Bytes{0x81, 0x01, 0x02}.data(), 1, d.data(), nullptr, &p);
            BltCompBlended_8bTo16b(Bytes{0x81, 0x01, 0x02}.data(), 1, d.data(), nullptr, &p);
            EXPECT_EQ(d[0], dest);
        }
    }
}

TEST_F(BltEdgeCasesTest, BlendLevelsOutsideTheRangeAreClamped) {
    // Every implementation of the field blend takes the weight 255 - level kept to 0-256, so a
    // level above 255 shows the destination and one below 0 the source.
    xGraphics_SetPixelFormat(2);
    CColorPalette p;
    p.SetEntry(1, 0x80C040);
    p.Build16BitTable();
    BltSettings& s = BltContext();
    s.BltDstPixelFormat = 2;
    const Bytes src(9, 1);
    const Bytes line = {0x81, 0x09, 0x01};
    for (int16_t level : {int16_t{256}, int16_t{300}, int16_t{511}, int16_t{32767}, int16_t{-1}, int16_t{-32768}}) {
        s.BltBlendLevel = level;
        const uint16_t expect = level > 255 ? 0x1234 : Entry16(p, 1);
        Words plain(10, 0x1234), vec(10, 0x1234), comp(10, 0x1234);
        BltBlended_8bTo16b(src.data(), 9, plain.data() + 1, &p);  // odd start: pairs never align
        s.vectorCode = 1;
        BltCompBlended_8bTo16b(line.data(), 9, vec.data() + 1, nullptr, &p);
        s.vectorCode = 0;
        BltCompBlended_8bTo16b(line.data(), 9, comp.data() + 1, nullptr, &p);
        for (size_t i = 1; i < 10; ++i) {
            EXPECT_EQ(plain[i], expect) << level;
            EXPECT_EQ(vec[i], expect) << level;
            EXPECT_EQ(comp[i], expect) << level;
        }
    }
}

// ---- compressed readers into 16 and 24 bits ----

TEST_F(BltEdgeCasesTest, SixteenBitReadersDocumentedLines) {
    auto p = ProbePalette(2);
    BltContext().BltDstPixelFormat = 2;
    const uint16_t c5 = Entry16(*p, 5), c0 = Entry16(*p, 0), c4 = Entry16(*p, 4), c6 = Entry16(*p, 6);
    const Bytes runSkip = {0x01, 0x03, 0x05, 0xA1, 0x02};
    Words d(5, 1);
    BltCompSolid_8bTo16b(runSkip.data(), 5, d.data(), nullptr, p.get());
    EXPECT_EQ(d, (Words{c5, c5, c5, 1, 1}));
    d.assign(5, 1);
    BltCompSolidX_8bTo16b(runSkip.data(), 5, d.data(), nullptr, p.get());
    EXPECT_EQ(d, (Words{1, 1, c5, c5, c5}));

    const Bytes holes = {0xB1, 0x03, 0x04, 0x00, 0x06};
    d.assign(3, 1);
    BltCompSolid_8bTo16b(holes.data(), 3, d.data(), nullptr, p.get());
    EXPECT_EQ(d, (Words{c4, c0, c6}));
    for (BltCompFunc fn : {BltCompTrans_8bTo16b, BltCompTinted_8bTo16b, BltCompBlended_8bTo16b}) {
        d.assign(3, 1);
        fn(holes.data(), 3, d.data(), nullptr, p.get());
        EXPECT_EQ(d[1], 1);
        EXPECT_NE(d[0], 1);
    }

    const Bytes zeroRun = {0x81, 0x02, 0x00};
    d.assign(2, 1);
    BltCompTrans_8bTo16b(zeroRun.data(), 2, d.data(), nullptr, p.get());
    EXPECT_EQ(d, (Words{c0, c0}));

    // A record of count 0 covers nothing; its last flag still ends the line.
    const Bytes empty = {0x01, 0x00, 0x05, 0x81, 0x02, 0x06};
    const Bytes lastEmpty = {0x91, 0x00};
    for (BltCompFunc fn : {BltCompSolid_8bTo16b, BltCompSolidX_8bTo16b, BltCompTrans_8bTo16b, BltCompTransX_8bTo16b}) {
        d.assign(2, 1);
        fn(empty.data(), 2, d.data(), nullptr, p.get());
        EXPECT_EQ(d, (Words{c6, c6}));
        d.assign(2, 1);
        fn(lastEmpty.data(), 2, d.data(), nullptr, p.get());
        EXPECT_EQ(d, (Words{1, 1}));
    }

    // A wide run of 256 pixels in every reader, the 24-bit ones included.
    const Bytes wide = {0x83, 0x01, 0x00, 0x07};
    Words big(258, 1);
    BltCompTrans_8bTo16b(wide.data(), 256, big.data() + 1, nullptr, p.get());
    EXPECT_EQ(big[0], 1);
    EXPECT_EQ(big[256], Entry16(*p, 7));
    EXPECT_EQ(big[257], 1);
    Bytes big24(3 * 256, 0);
    BltCompTransX_8bTo24b(wide.data(), 256, big24.data(), nullptr, p.get());
    EXPECT_EQ(big24[0], B(p->Entries()[7]));
    EXPECT_EQ(big24[3 * 255 + 2], R(p->Entries()[7]));

    // The end byte alone draws nothing.
    const Bytes end = {0x80};
    for (BltCompFunc fn : {BltCompSolid_8bTo16b, BltCompSolidX_8bTo16b, BltCompTrans_8bTo16b, BltCompTransX_8bTo16b,
                           BltCompTinted_8bTo16b, BltCompTintedX_8bTo16b, BltCompBlended_8bTo16b,
                           BltCompBlendedX_8bTo16b}) {
        d.assign(4, 1);
        fn(end.data(), 4, d.data(), nullptr, p.get());
        EXPECT_EQ(d, Words(4, 1));
    }
}

TEST_F(BltEdgeCasesTest, BadOpcodesEndTheLineWithTheirTraces) {
    auto p = ProbePalette(2);
    const Bytes bad = {0x01, 0x02, 0x05, 0x05, 0x81, 0x02, 0x06};
    Words d(4, 1);
    debug().Clear();
    BltCompSolid_8bTo16b(bad.data(), 4, d.data(), nullptr, p.get());
    EXPECT_NE(traced().find("VQTRLE_DecompressLine() - Bad opcode on decompression!!\n"), std::string::npos);
    EXPECT_EQ(d, (Words{Entry16(*p, 5), Entry16(*p, 5), 1, 1}));

    Bytes d24(12, 0xEE);
    debug().Clear();
    BltCompSolid_8bTo24b(bad.data(), 4, d24.data(), nullptr, p.get());
    EXPECT_EQ(traced(), "BltCompSolid_8bTo24b - Bad opcode encountered : 0x05\n");
    EXPECT_EQ(Bytes(d24.begin() + 6, d24.end()), Bytes(6, 0xEE));  // no zero fill
}

TEST_F(BltEdgeCasesTest, TwentyFourBitSolidReaderClearsTheUnreachedEnd) {
    auto p = ProbePalette(2);
    const uint32_t c5 = p->Entries()[5];
    const Bytes run = {0x81, 0x03, 0x05};
    Bytes d(15, 0xEE);
    BltCompSolid_8bTo24b(run.data(), 5, d.data(), nullptr, p.get());
    const Bytes px = {static_cast<uint8_t>(B(c5)), static_cast<uint8_t>(G(c5)), static_cast<uint8_t>(R(c5))};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Bytes(d.begin() + 3 * i, d.begin() + 3 * i + 3), px);
    EXPECT_EQ(Bytes(d.begin() + 9, d.end()), Bytes(6, 0));
    d.assign(15, 0xEE);
    BltCompTrans_8bTo24b(run.data(), 5, d.data(), nullptr, p.get());
    EXPECT_EQ(Bytes(d.begin() + 9, d.end()), Bytes(6, 0xEE));
    d.assign(15, 0xEE);
    BltCompSolid_8bTo24b(Bytes{0x80}.data(), 5, d.data(), nullptr, p.get());
    EXPECT_EQ(d, Bytes(15, 0));
}

// ---- plain routines into 24 bits ----

TEST_F(BltEdgeCasesTest, TwentyFourBitPixelsAreBlueGreenRed) {
    xGraphics_SetPixelFormat(2);
    CColorPalette p;
    p.SetEntry(1, 0x563412);
    p.SetEntry(2, 0x000002);
    p.SetEntry(3, 0x000003);
    Bytes d(9, 0);
    BltSolid_8bTo24b(Bytes{1}.data(), 1, d.data(), &p);
    EXPECT_EQ(Bytes(d.begin(), d.begin() + 3), (Bytes{0x56, 0x34, 0x12}));
    BltSolidX_8bTo24b(Bytes{1, 2, 3}.data(), 3, d.data(), &p);
    EXPECT_EQ(d, (Bytes{0, 0, 3, 0, 0, 2, 0x56, 0x34, 0x12}));

    // A null palette draws through the blitters' palette, which follows the global one.
    BltDefaultPalette().SetEntry(5, 0x0A0B0C);
    d.assign(6, 0xEE);
    BltTrans_8bTo24b(Bytes{0, 5}.data(), 2, d.data(), nullptr);
    EXPECT_EQ(d, (Bytes{0xEE, 0xEE, 0xEE, 0x0A, 0x0B, 0x0C}));
    d.assign(6, 0xEE);
    BltTransX_8bTo24b(Bytes{5, 0}.data(), 2, d.data(), nullptr);
    EXPECT_EQ(d, (Bytes{0xEE, 0xEE, 0xEE, 0x0A, 0x0B, 0x0C}));
    BltDefaultPalette().SetEntry(5, 0);
}

TEST_F(BltEdgeCasesTest, SixteenToTwentyFourBitsKeepsTheTopBitsOnly) {
    BltSettings& s = BltContext();
    const Words both = {0xFFFF, 0xFFFF};
    Bytes d(6, 0xEE);
    s.BltSrcPixelFormat = 2;
    BltSolid_16bTo24b(reinterpret_cast<const uint8_t*>(both.data()), 4, d.data(), nullptr);
    EXPECT_EQ(d, (Bytes{0xF8, 0xFC, 0xF8, 0xF8, 0xFC, 0xF8}));
    const Words w555 = {0x7FFF, 0x7FFF};
    d.assign(6, 0xEE);
    s.BltSrcPixelFormat = 1;
    BltSolid_16bTo24b(reinterpret_cast<const uint8_t*>(w555.data()), 3, d.data(), nullptr);
    EXPECT_EQ(d, (Bytes{0xF8, 0xF8, 0xF8, 0xEE, 0xEE, 0xEE}));
}

TEST_F(BltEdgeCasesTest, DefaultPaletteStartsEmpty) {
    CColorPalette& p = BltDefaultPalette();
    for (int i = 0; i < 256; ++i) EXPECT_EQ(p.GetEntry(i), 0u) << i;
}

} // namespace
