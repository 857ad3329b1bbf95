#include <cstring>
#include <string>
#include <vector>

#include "engine/blit/ColorPalette.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/GraphicsMemory.h"
#include "engine/graphics/Kernels.h"
#include "engine/graphics/PackedDIBSurface.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/engine/graphics/GraphicsFixture.h"
#include "tests/engine/graphics/GraphicsOracle.h"
#include "tests/engine/graphics/SurfaceTestSupport.h"

namespace {

using namespace surftest;

class DrawSurfaceTest : public vqt::test::GraphicsTest {
protected:
    // An 8-bit surface from rows of characters.
    static void Make8(CPixelSurface& s, const std::vector<std::string>& rows) {
        ASSERT_TRUE(s.Create(int16_t(rows[0].size()), int16_t(rows.size()), 8));
        std::vector<uint8_t> bytes;
        for (const auto& r : rows) bytes.insert(bytes.end(), r.begin(), r.end());
        Fill(s, bytes);
    }
    static void Blank8(CPixelSurface& s, int w, int h, char c = '.') {
        Make8(s, std::vector<std::string>(size_t(h), std::string(size_t(w), c)));
    }
    // A one-line 16-bit surface of the pixel values, and the values of such a line.
    static void Make16(CPixelSurface& s, const std::vector<uint16_t>& pixels) {
        ASSERT_TRUE(s.Create(int16_t(pixels.size()), 1, 16));
        uint8_t* p = s.Lock();
        for (size_t i = 0; i < pixels.size(); ++i) oracle::Put16(p + 2 * i, pixels[i]);
        s.Unlock(0);
    }
    static std::vector<uint16_t> Line16(CPixelSurface& s) {
        std::vector<uint16_t> pixels(size_t(s.GetWidth()));
        const uint8_t* p = s.Lock();
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = oracle::Get16(p + 2 * i);
        s.Unlock(0);
        return pixels;
    }
    // Draws the source rectangle into the rectangle of a blank line of `width` dots, mirrored
    // when asked, and answers the line.
    static std::string DrawOnBlankLine(CPixelSurface& src, int width, const CClipRect& from, const CClipRect& to,
                                       bool mirrored, uint32_t mode = kDrawSolid) {
        CPixelSurface dst;
        Blank8(dst, width, 1);
        if (mirrored) src.StretchCopyFlipped(from, &dst, to, mode);
        else src.StretchCopy(from, &dst, to, mode);
        return Row8(dst, 0);
    }
};

TEST_F(DrawSurfaceTest, ASurfaceOwnsACopyOfItsPalette) {
    CColorPalette& global = xGraphics_GlobalPalette();
    CPixelSurface own;
    own.Create(2, 1, 8);
    CColorPalette p;
    p.SetEntry(3, ColorWord(9, 9, 9));
    own.SetPalette(&p);
    ASSERT_NE(own.OwnPalette(), nullptr);
    EXPECT_NE(own.OwnPalette(), &p);
    EXPECT_EQ(own.OwnPalette()->GetEntry(3), ColorWord(9, 9, 9));
    own.ReleasePalette();
    EXPECT_EQ(own.EffectivePalette(), &global);
}

TEST_F(DrawSurfaceTest, SetPaletteWithRemapKeepsTheColoursOfThePicture) {
    CPixelSurface s;
    Make8(s, {std::string{char(0), char(2), char(3)}});
    CColorPalette target;
    for (int i = 0; i < 256; ++i) target.SetEntry(i, ColorWord(1, 1, 1));
    target.SetEntry(77, xGraphics_GlobalPalette().GetEntry(2));
    target.SetEntry(88, xGraphics_GlobalPalette().GetEntry(3));
    s.SetPalette(&target, 1);
    EXPECT_EQ(Bytes(s), (std::vector<uint8_t>{0, 77, 88}));
    EXPECT_FALSE(s.IsLocked());
}

TEST_F(DrawSurfaceTest, GetLineCopiesTheWholeRowInEveryDepth) {
    CPixelSurface s;
    ASSERT_TRUE(s.Create(3, 2, 16));
    std::vector<uint8_t> bytes(12);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i + 1);
    Fill(s, bytes);
    uint8_t buffer[16];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(s.GetLine(1, buffer), buffer);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 7), (std::vector<uint8_t>{7, 8, 9, 10, 11, 12, 0xEE}));
    EXPECT_EQ(traced(), "CDrawSurface : Warning - unnecessary line buffer copy\n");
    s.Unlock(0);
    EXPECT_EQ(s.GetLine(1, nullptr), s.Lock() + 6);
    EXPECT_EQ(s.GetLine(2, nullptr), nullptr); // outside the surface
    EXPECT_EQ(s.PixelAddress(CPoint16(2, 1)), s.Lock() + 6 + 4);
}

TEST_F(DrawSurfaceTest, Blit16ConvertsInPlaceAndMarksTheFormat) {
    CPixelSurface s;
    Make16(s, {0x7FFF, 0x03E0});
    s.Blit16(&s);
    EXPECT_EQ(Line16(s), (std::vector<uint16_t>{0xFFDF, 0x07C0}));
    EXPECT_EQ(s.GetPixelFormat(), kPixelFormat565);
    EXPECT_FALSE(s.IsLocked());
    CPixelSurface eight;
    eight.Create(2, 1, 8);
    s.Blit16(&eight);
    EXPECT_EQ(eight.GetPixelFormat(), 0);
}

TEST_F(DrawSurfaceTest, PixelSurfaceCreateRulesAndMemorySize) {
    CPixelSurface s;
    EXPECT_FALSE(s.Create(0, 5, 8));
    EXPECT_EQ(s.Lock(), nullptr);
    ASSERT_TRUE(s.Create(10, 10, 16));
    EXPECT_EQ(s.GetPixelFormat(), kPixelFormat555);
    EXPECT_EQ(s.GetPitch(), 20);
    EXPECT_EQ(s.GetMemorySize(), 156u);
    EXPECT_EQ(s.GetCapacity(), 200u);
    std::memset(s.Lock(), 0xAB, 200);
    s.Unlock(0);
    ASSERT_TRUE(s.Create(3, 3, 8)); // smaller: the block and capacity stay, all zero-filled
    EXPECT_EQ(s.GetCapacity(), 200u);
    const uint8_t* p = s.Lock();
    for (int i = 0; i < 200; ++i) ASSERT_EQ(p[i], 0);
    s.Unlock(0);
    EXPECT_EQ(s.GetPixelFormat(), 0);
    EXPECT_FALSE(s.Create(3, 0, 8));
    EXPECT_EQ(s.GetWidth(), 3); // a refused Create changes nothing
    s.SetAlwaysResize(true);
    ASSERT_TRUE(s.Create(2, 2, 24));
    EXPECT_EQ(s.GetCapacity(), 12u);
    EXPECT_EQ(s.GetPixelFormat(), kPixelFormat24);
    ASSERT_TRUE(s.Create(2, 2, 32));
    EXPECT_EQ(s.GetPixelFormat(), 0);
}

TEST_F(DrawSurfaceTest, PackedBitmapLayoutByteForByte) {
    CPackedDIBSurface s;
    ASSERT_TRUE(s.Create(5, 3, 8));
    const uint8_t* b = s.GetPackedBitmap();
    auto field = [b](int off) {
        return int32_t(uint32_t(b[off]) | (uint32_t(b[off + 1]) << 8) | (uint32_t(b[off + 2]) << 16) |
                       (uint32_t(b[off + 3]) << 24));
    };
    // Header size, width, top-down height, planes and depth, compression, image size, 100 dpi,
    // colours used and important.
    const std::vector<int32_t> header = {field(0),  field(4),  field(8),  b[12] | (b[13] << 8), b[14] | (b[15] << 8),
                                         field(16), field(20), field(24), field(28), field(32), field(36)};
    EXPECT_EQ(header, (std::vector<int32_t>{40, 5, -3, 1, 8, 0, 24, 100, 100, 256, 0}));
    EXPECT_EQ(s.GetCapacity(), 40u + 1024u + 24u);
    // Colour table from the global palette as blue, green, red, 0.
    const uint32_t c2 = xGraphics_GlobalPalette().GetEntry(2);
    EXPECT_EQ(std::vector<uint8_t>(b + 48, b + 52), (std::vector<uint8_t>{ColorBlue(c2), ColorGreen(c2), ColorRed(c2), 0}));
    EXPECT_EQ(s.GetPitch(), 8);
    EXPECT_EQ(s.Lock(), b + 40 + 1024);
    s.Unlock(0);
    EXPECT_EQ(s.GetMemorySize(), 8u * 3u + 1064u);
    EXPECT_EQ(s.GetPaletteSize(), 1024u);
    CColorPalette back;
    back.Clear();
    EXPECT_EQ(s.GetPalette(&back), 1);
    EXPECT_EQ(back.GetEntry(2), c2);

    CPackedDIBSurface deep;
    ASSERT_TRUE(deep.Create(3, 2, 16));
    EXPECT_EQ(deep.GetPixelFormat(), kPixelFormat555);
    EXPECT_EQ(deep.GetCapacity(), 40u + 12u + 4u * 2u * 2u);
    EXPECT_EQ(deep.GetPitch(), 8);
    EXPECT_EQ(deep.GetPalette(&back), 0);
}

TEST_F(DrawSurfaceTest, PackedBitmapBelowEightBitsKeepsItsColourTableInsideTheBlock) {
    CPackedDIBSurface s;
    ASSERT_TRUE(s.Create(8, 2, 4));
    const uint32_t capacity = s.GetCapacity();
    EXPECT_EQ(capacity, 40u + 64u + 8u * 2u / 2u);
    CColorPalette p;
    s.SetPalette(&p); // 256 colours offered, 16 have room
    EXPECT_EQ(s.GetPaletteSize(), 64u);
    const uint8_t* b = s.GetPackedBitmap();
    EXPECT_EQ(b[32], 16);
    for (uint32_t i = 40 + 64; i < capacity; ++i) ASSERT_EQ(b[i], 0) << i; // the pixels stay clear
}

TEST(ClipRect, SegmentsAreCutToTheLastColumnAndRowInside) {
    const CClipRect r(0, 0, 10, 10);
    CPoint16 a(-5, 2), b(-1, 8);
    EXPECT_FALSE(r.Clip(a, b));
    EXPECT_EQ(a, CPoint16(-5, 2)) << "a refused segment is left as it was";
    CPoint16 p(-10, 5), q(20, 5);
    ASSERT_TRUE(r.Clip(p, q));
    EXPECT_EQ(p, CPoint16(0, 5));
    EXPECT_EQ(q, CPoint16(9, 5));
    CPoint16 inside(3, 3), below(3, 40);
    ASSERT_TRUE(r.Clip(inside, below));
    EXPECT_EQ(inside, CPoint16(3, 3)); // p1 and p2 keep their roles
    EXPECT_EQ(below, CPoint16(3, 9));
    CPoint16 d1(-5, -5), d2(14, 14);
    ASSERT_TRUE(r.Clip(d1, d2));
    EXPECT_EQ(d1, CPoint16(0, 0));
    EXPECT_EQ(d2, CPoint16(9, 9));
    // The last column and row inside, and the first ones past the right and bottom edges.
    for (int16_t at : {9, 10}) {
        CPoint16 v1(at, 2), v2(at, 8), h1(2, at), h2(8, at);
        EXPECT_EQ(r.Clip(v1, v2), at == 9) << "column " << at;
        EXPECT_EQ(r.Clip(h1, h2), at == 9) << "row " << at;
        EXPECT_EQ(v2, CPoint16(at, 8));
    }
    const CClipRect empty(5, 5, 5, 9);
    CPoint16 e1(-100, 3), e2(100, 3);
    EXPECT_TRUE(empty.Clip(e1, e2));
    EXPECT_EQ(e1, CPoint16(-100, 3));
}

TEST_F(DrawSurfaceTest, GoldenRotatedQuarterTurns) {
    CPixelSurface src, dst;
    Make8(src, {"pq", "rs"});
    Blank8(dst, 2, 2);
    src.DrawRotated(CClipRect(0, 0, 2, 2), &dst, CPoint16(0, 0));
    EXPECT_EQ(Rows8(dst, 2), (Rows{"qs", "pr"}));
    // A 3 x 2 picture turned four times comes back; each turn is anticlockwise.
    CPixelSurface a, b;
    Make8(a, {"abc", "def"});
    Blank8(b, 2, 3);
    a.CopyRotated(CClipRect(0, 0, 3, 2), &b, CClipRect(0, 0, 2, 3), kDrawSolid);
    EXPECT_EQ(Rows8(b, 3), (Rows{"cf", "be", "ad"}));
    b.CopyRotated(CClipRect(0, 0, 2, 3), &a, CClipRect(0, 0, 3, 2), kDrawSolid);
    EXPECT_EQ(Rows8(a, 2), (Rows{"fed", "cba"}));
    a.CopyRotated(CClipRect(0, 0, 3, 2), &b, CClipRect(0, 0, 2, 3), kDrawSolid);
    b.CopyRotated(CClipRect(0, 0, 2, 3), &a, CClipRect(0, 0, 3, 2), kDrawSolid);
    EXPECT_EQ(Rows8(a, 2), (Rows{"abc", "def"}));
    // Not transposed, another mode, or not ending at the corner: nothing.
    Blank8(b, 2, 3);
    a.CopyRotated(CClipRect(0, 0, 3, 2), &b, CClipRect(0, 0, 3, 2), kDrawSolid);
    a.CopyRotated(CClipRect(0, 0, 3, 2), &b, CClipRect(0, 0, 2, 3), kDrawTransparent);
    a.DrawRotated(CClipRect(0, 0, 2, 2), &b, CPoint16(0, 0));
    EXPECT_EQ(Row8(b, 0), "..");
    // A square source drawn with the same size rectangle is its own transpose.
    Blank8(dst, 2, 2);
    src.CopyRotated(CClipRect(0, 0, 2, 2), &dst, CClipRect(0, 0, 2, 2), kDrawSolid);
    EXPECT_EQ(Row8(dst, 0), "qs");
}

TEST_F(DrawSurfaceTest, GoldenStretchesThroughTheScaledLineRoutines) {
    CPixelSurface src, dst;
    Make8(src, {"ab", "cd"});
    Blank8(dst, 4, 4);
    src.StretchCopy(CClipRect(0, 0, 2, 2), &dst, CClipRect(0, 0, 4, 4), kDrawSolid);
    EXPECT_EQ(Row8(dst, 1), "aabb");
    EXPECT_EQ(Row8(dst, 3), "ccdd");
    // Mirrored: every visible pixel stays where the unclipped mirrored stretch puts it.
    CPixelSurface wide;
    Make8(wide, {"abcdefgh"});
    const CClipRect line(0, 0, 8, 1);
    EXPECT_EQ(DrawOnBlankLine(wide, 4, line, CClipRect(0, 0, 4, 1), true), "hfca");
    EXPECT_EQ(DrawOnBlankLine(wide, 4, line, CClipRect(-2, 0, 2, 1), true), "ca..");
    EXPECT_EQ(DrawOnBlankLine(wide, 4, line, CClipRect(2, 0, 6, 1), true), "..hf");
    EXPECT_EQ(DrawOnBlankLine(wide, 4, line, CClipRect(-2, 0, 2, 1), false), "fh..");
    // Colour 0 left out on the stretched road too.
    CPixelSurface holes;
    Make8(holes, {std::string{'x', char(0)}});
    EXPECT_EQ(DrawOnBlankLine(holes, 4, CClipRect(0, 0, 2, 1), CClipRect(0, 0, 4, 1), false, kDrawTransparent), "xx..");
    // Tinted and blended stretches into 8 bits have no routine: nothing.
    Blank8(dst, 4, 1);
    wide.StretchCopy(line, &dst, CClipRect(0, 0, 4, 1), kDrawTinted);
    wide.StretchCopy(line, &dst, CClipRect(0, 0, 4, 1), kDrawBlended);
    EXPECT_EQ(Row8(dst, 0), "....");
}

TEST_F(DrawSurfaceTest, EightToSixteenBuildsThePaletteTableOnce) {
    CPixelSurface src, dst;
    Make8(src, {std::string{char(0), char(2)}});
    dst.Create(2, 1, 16);
    CColorPalette& global = xGraphics_GlobalPalette();
    EXPECT_FALSE(global.Has16BitTable());
    src.CopyToSurface(&dst, CPoint16(0, 0), kDrawSolid);
    ASSERT_TRUE(global.Has16BitTable());
    const uint16_t* table = global.Get16BitTable();
    src.CopyToSurface(&dst, CPoint16(0, 0), kDrawSolid);
    EXPECT_EQ(global.Get16BitTable(), table);
    EXPECT_EQ(Line16(dst), (std::vector<uint16_t>{0x7FFF, PackColor555(global.GetEntry(2))}));
}

TEST_F(DrawSurfaceTest, ModesWithoutAnOperationDrawNothing) {
    CPixelSurface a, b;
    ASSERT_TRUE(a.Create(2, 2, 16));
    ASSERT_TRUE(b.Create(2, 2, 16));
    std::memset(a.Lock(), 0x11, 8);
    a.Unlock(0);
    for (uint32_t mode : {6u, 7u, 100u}) a.CopyToSurface(&b, CPoint16(0, 0), mode);
    a.StretchCopyFlipped(CClipRect(0, 0, 2, 2), &b, CClipRect(0, 0, 2, 2), kDrawBlended16);
    a.StretchCopyFlipped(CClipRect(0, 0, 2, 2), &b, CClipRect(0, 0, 2, 2), kDrawSolid); // no mirrored 16-bit routine
    a.StretchCopy(CClipRect(0, 0, 2, 2), &b, CClipRect(0, 0, 2, 2), kDrawMasked, nullptr, CPoint16(0, 0));
    EXPECT_EQ(Bytes(b), std::vector<uint8_t>(8, 0));
    // Inverted and empty rectangles.
    a.StretchCopy(CClipRect(2, 2, 0, 0), &b, CClipRect(2, 2, 0, 0), kDrawSolid);
    a.StretchCopy(CClipRect(0, 0, 2, 2), &b, CClipRect(0, 0, 0, 5), kDrawSolid);
    EXPECT_EQ(Bytes(b), std::vector<uint8_t>(8, 0));
}

TEST_F(DrawSurfaceTest, FailedLocksDrawNothingAndLeaveEverySurfaceUnlocked) {
    CFlakySurface src, dst, mask;
    ASSERT_TRUE(src.Create(4, 4, 8));
    ASSERT_TRUE(dst.Create(4, 4, 8));
    ASSERT_TRUE(mask.Create(4, 4, 8));
    std::memset(src.Lock(), 7, 16);
    src.Unlock(0);
    std::memset(mask.Lock(), 1, 16);
    mask.Unlock(0);
    for (int which = 0; which < 3; ++which) {
        src.failLock = which == 0;
        dst.failLock = which == 1;
        mask.failLock = which == 2;
        for (uint32_t mode = which == 2 ? 4 : 0; mode < (which == 2 ? 5u : 6u); ++mode) {
            for (bool mirrored : {false, true}) {
                for (int16_t size : {int16_t(4), int16_t(8)}) {
                    const CClipRect from(0, 0, 4, 4), to(0, 0, size, size);
                    if (mirrored) src.StretchCopyFlipped(from, &dst, to, mode, &mask, CPoint16(0, 0));
                    else src.StretchCopy(from, &dst, to, mode, &mask, CPoint16(0, 0));
                    ASSERT_FALSE(src.IsLocked());
                    ASSERT_FALSE(dst.IsLocked());
                    ASSERT_FALSE(mask.IsLocked());
                }
            }
        }
        if (which < 2) src.DrawRotated(CClipRect(0, 0, 4, 4), &dst, CPoint16(0, 0));
        EXPECT_FALSE(src.IsLocked());
        EXPECT_FALSE(dst.IsLocked());
    }
    src.failLock = dst.failLock = mask.failLock = false;
    EXPECT_EQ(src.locks, src.unlocks);
    EXPECT_EQ(dst.locks, dst.unlocks);
    EXPECT_EQ(mask.locks, mask.unlocks);
    EXPECT_EQ(Bytes(dst), std::vector<uint8_t>(16, 0));
}

} // namespace
