// The documented examples and edge cases of the line routines, one group per routine family.
#include <cstring>
#include <vector>

#include "engine/base/Trace.h"
#include "engine/blit/Blitter.h"
#include "engine/blit/ColorPalette.h"
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

TEST_F(BltEdgeCasesTest, EightBitReadersDrawTheDocumentedLines) {
    // Block 0: a literal of two then a skip; the mirrored readers draw its first pixel at x and
    // the others to the left, then go on at x - 3.
    const Bytes table = MakeBlockTable({LineBuilder().Literal({1, 2}).Skip(1).Done()});
    const Bytes withBlock = LineBuilder().Run(1, 7).Ref(3, 0).Run(1, 8).Done();
    struct Case {
        const char* what;
        BltCompFunc fn;
        Bytes line;
        Bytes expect; // drawn over a line of 9s
        const uint8_t* blocks = nullptr;
    };
    const Case cases[] = {
        {"run, solid clears the rest", BltCompSolid_8bTo8b, {0x81, 0x03, 0x05}, {5, 5, 5, 0, 0, 0}},
        {"run, transparent keeps it", BltCompTrans_8bTo8b, {0x81, 0x03, 0x05}, {5, 5, 5, 9, 9, 9}},
        {"mirrored literal", BltCompSolidX_8bTo8b, {0x91, 0x03, 1, 2, 3}, {0, 0, 0, 3, 2, 1}},
        {"holes, solid", BltCompSolid_8bTo8b, {0xB1, 0x03, 7, 0, 7}, {7, 0, 7}},
        {"holes, transparent", BltCompTrans_8bTo8b, {0xB1, 0x03, 7, 0, 7}, {7, 9, 7}},
        {"holes, mirrored", BltCompTransX_8bTo8b, {0xB1, 0x03, 7, 0, 7}, {7, 9, 7}},
        // The decode buffer of clipped frames is reused: an empty line keeps no old pixels.
        {"end byte alone, solid", BltCompSolid_8bTo8b, {0x80}, Bytes(8, 0)},
        {"end byte alone, mirrored", BltCompSolidX_8bTo8b, {0x80}, Bytes(8, 0)},
        {"end byte alone, transparent", BltCompTrans_8bTo8b, {0x80}, Bytes(8, 9)},
        {"block, solid", BltCompSolid_8bTo8b, withBlock, {7, 1, 2, 0, 8, 0}, table.data()},
        {"block, transparent", BltCompTrans_8bTo8b, withBlock, {7, 1, 2, 9, 8, 9}, table.data()},
        {"block, mirrored", BltCompTransX_8bTo8b, withBlock, {9, 8, 9, 2, 1, 7}, table.data()},
        {"block, mirrored solid", BltCompSolidX_8bTo8b, withBlock, {0, 8, 0, 2, 1, 7}, table.data()},
    };
    for (const Case& c : cases) {
        Bytes d(c.expect.size(), 9);
        c.fn(c.line.data(), static_cast<int16_t>(d.size()), d.data(), c.blocks, nullptr);
        EXPECT_EQ(d, c.expect) << c.what;
    }

    // A reference without a table is traced and skipped over.
    const Bytes ref = {0x09, 0x03, 0x00, 0x81, 0x01, 0x05};
    Bytes d(4, 9);
    debug().Clear();
    BltCompTransX_8bTo8b(ref.data(), 4, d.data(), nullptr, nullptr);
    EXPECT_EQ(traced(), "BltCompTransX_8bTo8b - Common block opcode encountered but no common block table found!\n");
    EXPECT_EQ(d, (Bytes{9, 9, 9, 5}));
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
        for (int d = 0; d < 256; ++d) blend[static_cast<size_t>(s * 256 + d)] = static_cast<uint8_t>(3 * s + d); // [source][destination]
    BltContext().BltTintPalette8 = tint.data();
    BltContext().BltBlendPalette8 = blend.data();
    debug().Clear();
    const Bytes src = {0, 4, 6};
    Bytes d = {9, 9, 9};
    BltTinted_8bTo8b(src.data(), 3, d.data(), nullptr);
    EXPECT_EQ(d, (Bytes{9, 251, 249}));
    d = {9, 9, 9};
    BltBlended_8bTo8b(src.data(), 3, d.data(), nullptr);
    EXPECT_EQ(d, (Bytes{9, 3 * 4 + 9, 3 * 6 + 9}));
    const Bytes line = {0xB1, 0x03, 0, 4, 6};
    d = {9, 9, 9};
    BltCompTinted_8bTo8b(line.data(), 3, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, (Bytes{9, 251, 249}));
    d = {9, 9, 9};
    BltCompBlended_8bTo8b(line.data(), 3, d.data(), nullptr, nullptr);
    EXPECT_EQ(d, (Bytes{9, 3 * 4 + 9, 3 * 6 + 9}));
    EXPECT_EQ(traced(), "");
}

// ---- common blocks ----

TEST_F(BltEdgeCasesTest, CommonBlocksAreDrawnInTheSixteenBitReaders) {
    const Bytes table = MakeBlockTable({LineBuilder().Literal({1, 2}).Skip(1).Done()});
    const Bytes line = LineBuilder().Run(1, 7).Ref(3, 0).Run(1, 8).Done();
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

TEST_F(BltEdgeCasesTest, TintAndBlendDrawNothingIntoFormatsOtherThanTheTwoLayouts) {
    auto p = ProbePalette(2);
    BltSettings& s = BltContext();
    s.BltBlendLevel = 128;
    s.BltTintLevel = 128;
    const Bytes other = {2};
    for (int16_t format : {0, 3, 4}) {
        s.BltDstPixelFormat = format;
        Words d = {0x1234};
        BltBlended_8bTo16b(other.data(), 1, d.data(), p.get());
        BltTinted_8bTo16b(other.data(), 1, d.data(), p.get());
        BltCompTinted_8bTo16b(Bytes{0x81, 0x01, 0x02}.data(), 1, d.data(), nullptr, p.get());
        BltCompBlended_8bTo16b(Bytes{0x81, 0x01, 0x02}.data(), 1, d.data(), nullptr, p.get());
        EXPECT_EQ(d[0], 0x1234) << format;
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

TEST_F(BltEdgeCasesTest, AWideRunOf256PixelsInTheSixteenAndTwentyFourBitReaders) {
    auto p = ProbePalette(2);
    BltContext().BltDstPixelFormat = 2;
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

// ---- plain routines into 24 bits ----

TEST_F(BltEdgeCasesTest, TwentyFourBitRoutinesWithoutAPaletteUseTheBlittersOne) {
    xGraphics_SetPixelFormat(2);
    Bytes d;
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

} // namespace
