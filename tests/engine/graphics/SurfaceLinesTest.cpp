// Lines, outlines, fills and palette-index rewrites of a surface on its own pixels.
#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/blit/ColorPalette.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/engine/graphics/GraphicsFixture.h"
#include "tests/engine/graphics/SurfaceTestSupport.h"
#include "tests/support/Golden.h"

namespace {

using namespace surftest;

constexpr uint32_t kColour = ColorWord(0xF8, 0x80, 0x18);

class SurfaceLinesTest : public vqt::test::GraphicsTest {};

/// An 8-bit picture from rows of characters: '.' is index 0, a digit its value.
void Make8(CPixelSurface& s, const std::vector<std::string>& rows) {
    ASSERT_TRUE(s.Create(int16_t(rows[0].size()), int16_t(rows.size()), 8));
    std::vector<uint8_t> bytes;
    for (const std::string& row : rows)
        for (const char c : row) bytes.push_back(c == '.' ? 0 : uint8_t(c - '0'));
    Fill(s, bytes);
}

/// The surface as rows of characters: 'X' where a pixel equals `value` (its bytes), else '.'.
std::vector<std::string> Marked(CDrawSurface& s, const std::vector<uint8_t>& value) {
    const std::vector<uint8_t> bytes = Bytes(s);
    const size_t n = value.size();
    std::vector<std::string> rows;
    for (int y = 0; y < s.GetHeight(); ++y) {
        std::string row;
        for (int x = 0; x < s.GetWidth(); ++x) {
            const size_t at = (size_t(y) * size_t(s.GetWidth()) + size_t(x)) * n;
            row += std::equal(value.begin(), value.end(), bytes.begin() + long(at)) ? 'X' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

struct LineCase {
    const char* name;
    int bits;
    std::function<void(CDrawSurface&)> draw;
    std::vector<std::string> expected;
};

TEST_F(SurfaceLinesTest, GoldenLinesAndOutlines) {
    const std::vector<LineCase> cases = {
        // Both ends belong to the line; the minor coordinate steps late.
        {"diagonal 8", 8, [](CDrawSurface& s) { s.DrawLine8(0, 0, 6, 2, 1); },
         {"XXX.....", "...XXX..", "......X."}},
        {"diagonal rgb", 24, [](CDrawSurface& s) { s.DrawLineRGB(0, 0, 6, 2, kColour); },
         {"XXX.....", "...XXX..", "......X."}},
        // A row leaves out its larger end in 8 bits only.
        {"row 8", 8, [](CDrawSurface& s) { s.DrawLine8(6, 1, 2, 1, 1); }, {"........", "..XXXX..", "........"}},
        {"row rgb", 16, [](CDrawSurface& s) { s.DrawLineRGB(6, 1, 2, 1, kColour); },
         {"........", "..XXXXX.", "........"}},
        {"single point 8", 8, [](CDrawSurface& s) { s.DrawLine8(3, 1, 3, 1, 1); }, {"........", "........", "........"}},
        {"column 8", 8, [](CDrawSurface& s) { s.DrawLine8(2, 0, 2, 2, 1); }, {"..X.....", "..X.....", "..X....."}},
        // Edges outside the surface are left out; the right and bottom edges are inclusive.
        {"rect 8 partly outside", 8, [](CDrawSurface& s) { s.DrawRect8(CClipRect(-3, -3, 13, 1), 1); },
         {"........", "XXXXXXX.", "........"}},
        {"rect 8 inside", 8, [](CDrawSurface& s) { s.DrawRect8(CClipRect(1, 0, 4, 2), 1); },
         {".XXXX...", ".X..X...", ".XXXX..."}},
        {"rect 8 too thin", 8, [](CDrawSurface& s) { s.DrawRect8(CClipRect(1, -5, 4, 0), 1); },
         {"........", "........", "........"}},
        {"rect rgb", 24, [](CDrawSurface& s) { s.DrawRectRGB(CClipRect(5, 0, 9, 2), kColour); },
         {".....XXX", ".....X..", ".....XXX"}},
        {"fill coords 16", 16, [](CDrawSurface& s) { s.FillRectCoords(6, -1, 20, 1, kColour); },
         {"......XX", "........", "........"}},
        {"fill8 coords", 8, [](CDrawSurface& s) { s.FillRect8Coords(-2, 1, 3, 9, 1); }, {"........", "XXX.....", "XXX....."}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        CPixelSurface s;
        ASSERT_TRUE(s.Create(8, 3, int16_t(c.bits)));
        c.draw(s);
        EXPECT_EQ(Marked(s, BytesOf(c.bits == 8 ? 1 : kColour, c.bits, s.GetPixelFormat())), c.expected);
        EXPECT_FALSE(s.IsLocked());
    }
}

TEST_F(SurfaceLinesTest, ClippedLinesEqualTheUnclippedLineAndTouchNoGuardByte) {
    struct Depth {
        int bits;
        int16_t format;
    };
    constexpr int W = 40, H = 30, M = 30; // the oracle surface has a margin of M all round
    std::mt19937 random(15);
    for (const Depth d : {Depth{8, kPixelFormat8}, Depth{16, kPixelFormat555}, Depth{16, kPixelFormat565},
                          Depth{24, kPixelFormat24}}) {
        for (int i = 0; i < 300; ++i) {
            std::uniform_int_distribution<int> x(-M, W + M - 1), y(-M, H + M - 1);
            const int x1 = x(random), y1 = y(random), x2 = x(random), y2 = y(random);
            CGuardedSurface clipped(W, H, int16_t(d.bits), d.format);
            clipped.Clear(0);
            CPixelSurface whole;
            ASSERT_TRUE(whole.Create(W + 2 * M, H + 2 * M, int16_t(d.bits)));
            whole.SetPixelFormat(d.format);
            auto draw = [&](CDrawSurface& s, int dx) {
                if (d.bits == 8) s.DrawLine8(int16_t(x1 + dx), int16_t(y1 + dx), int16_t(x2 + dx), int16_t(y2 + dx), 7);
                else s.DrawLineRGB(int16_t(x1 + dx), int16_t(y1 + dx), int16_t(x2 + dx), int16_t(y2 + dx), kColour);
            };
            draw(clipped, 0);
            draw(whole, M);
            ASSERT_TRUE(clipped.GuardsIntact()) << x1 << "," << y1 << " " << x2 << "," << y2;
            CPixelSurface window;
            ASSERT_TRUE(window.Create(W, H, int16_t(d.bits)));
            window.SetPixelFormat(d.format);
            whole.CopyRect(CClipRect(M, M, M + W, M + H), &window, CPoint16(0, 0), kDrawSolid);
            ASSERT_EQ(Bytes(clipped), Bytes(window)) << d.bits << " bits: " << x1 << "," << y1 << " " << x2 << "," << y2;
        }
    }
}

TEST_F(SurfaceLinesTest, EmptyFillsDoNotLockAndFailedLocksDrawNothing) {
    CFlakySurface s;
    ASSERT_TRUE(s.Create(6, 4, 8));
    s.FillRect8(CClipRect(3, 3, 3, 9), 1);
    s.FillRect(CClipRect(-4, 0, 0, 2), kColour);
    EXPECT_EQ(s.locks, 0);
    s.failLock = true;
    s.DrawLine8(0, 0, 5, 3, 1);
    s.Clear(9);
    s.FillRect8(CClipRect(0, 0, 6, 4), 1);
    EXPECT_EQ(s.locks, s.unlocks);
    s.failLock = false;
    EXPECT_EQ(Bytes(s), std::vector<uint8_t>(24, 0));
}

TEST_F(SurfaceLinesTest, WholeSurfaceOperations) {
    struct Case {
        const char* name;
        std::function<void(CDrawSurface&)> apply;
        std::vector<uint8_t> before, after;
    };
    const std::vector<Case> cases = {
        {"clear writes the low byte into every byte", [](CDrawSurface& s) { s.Clear(0x1234); },
         {1, 2, 3, 4, 5, 6}, {0x34, 0x34, 0x34, 0x34, 0x34, 0x34}},
        {"replace a colour", [](CDrawSurface& s) { s.ReplaceColor(4, 9); }, {4, 3, 4, 5, 4, 0}, {9, 3, 9, 5, 9, 0}},
        {"replace a colour by itself", [](CDrawSurface& s) { s.ReplaceColor(4, 4); }, {4, 3, 4, 5, 4, 0},
         {4, 3, 4, 5, 4, 0}},
        // Group 1 is 6..9; group 3 is 14..17.
        {"shift a colour group", [](CDrawSurface& s) { s.ShiftColorGroup(1, 3); }, {5, 6, 7, 8, 9, 10},
         {5, 14, 15, 16, 17, 10}},
        {"shift a group down, wrapping in 8 bits", [](CDrawSurface& s) { s.ShiftColorGroup(0, 255); },
         {2, 3, 4, 5, 6, 1}, {254, 255, 0, 1, 6, 1}},
        {"set all except", [](CDrawSurface& s) { s.SetAllExcept(1, 7); }, {7, 3, 0, 7, 255, 1}, {7, 1, 1, 7, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPixelSurface s;
        ASSERT_TRUE(s.Create(3, 2, 8));
        Fill(s, c.before);
        c.apply(s);
        EXPECT_EQ(Bytes(s), c.after);
    }
    CPixelSurface deep;
    ASSERT_TRUE(deep.Create(3, 1, 16));
    Fill(deep, {4, 4, 4, 4, 4, 4});
    deep.ReplaceColor(4, 9);
    EXPECT_EQ(Bytes(deep), std::vector<uint8_t>(6, 4)) << "index rewrites leave deeper surfaces alone";
}

TEST_F(SurfaceLinesTest, OutlinePictureOfAnEmptyPictureIsItsBorder) {
    CPixelSurface s;
    Make8(s, std::vector<std::string>(4, "......"));
    s.MakeOutlinePicture(9, 3);
    EXPECT_EQ(Bytes(s), std::vector<uint8_t>({3, 3, 3, 3, 3, 3, //
                                              3, 9, 9, 9, 9, 3, //
                                              3, 9, 9, 9, 9, 3, //
                                              3, 3, 3, 3, 3, 3}));
}

TEST_F(SurfaceLinesTest, OutlinePictureOfAHandMadePictureMatchesTheGolden) {
    // Index 0 is the background; 6 and 7 are the first two places of group 1, 8 its third
    // and 9 its last; 1 is the outline index itself.
    CPixelSurface s;
    Make8(s, {"................", //
              ".666666...888888", //
              ".666666...888888", //
              ".666666...889888", //
              ".666666...888888", //
              ".666666...888888", //
              "..........888888", //
              "................", //
              ".77777....99999.", //
              ".77777....99999.", //
              ".77177....99999.", //
              ".77777....99999.", //
              "................", //
              "..8888888888888.", //
              "..8888888888888.", //
              "................"});
    s.MakeOutlinePicture(1, 0);
    std::string picture;
    for (const uint8_t p : Bytes(s)) picture += p == 1 ? '#' : (p == 0 ? '.' : '?');
    for (size_t row = 16; row < picture.size(); row += 17) picture.insert(row, "\n");
    vqt::test::ExpectMatchesGolden("engine/graphics/outline_picture_16x16.txt", picture + "\n");
}

} // namespace
