// Every region fill against a search of the region written here (the pixels joined to the seed
// by their edges through pixels of the region) on 200 pictures per depth: drawn shapes (rings
// joined by gaps, nested U shapes, blocks touching only at corners) and random ones.
#include <algorithm>
#include <random>
#include <vector>

#include "engine/data/DynArray.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/engine/graphics/GraphicsFixture.h"
#include "tests/engine/graphics/SurfaceTestSupport.h"

namespace {

using namespace surftest;

constexpr int W = 64, H = 48;
using Ids = std::vector<int>; ///< a picture as colour ids 0-3, row by row (3 is in no picture)

/// A depth and the pixel of each colour id in it.
struct Depth {
    int bits;
    int16_t format;
    static uint32_t Word(int id) {
        static constexpr uint32_t kWords[] = {ColorWord(0, 0, 0), ColorWord(200, 40, 40), ColorWord(40, 200, 40),
                                              ColorWord(40, 40, 200)};
        return kWords[id];
    }
    static uint8_t Index(int id) {
        static constexpr uint8_t kIndices[] = {0, 6, 9, 200};
        return kIndices[id];
    }
    std::vector<uint8_t> Bytes(const Ids& ids) const {
        const size_t n = size_t(bits / 8);
        uint8_t pixels[4][3] = {};
        for (int id = 0; id < 4; ++id) {
            const std::vector<uint8_t> p = bits == 8 ? std::vector<uint8_t>{Index(id)} : BytesOf(Word(id), bits, format);
            std::copy(p.begin(), p.end(), pixels[id]);
        }
        std::vector<uint8_t> out(ids.size() * n);
        uint8_t* to = out.data();
        for (const int id : ids)
            for (size_t k = 0; k < n; ++k) *to++ = pixels[id][k];
        return out;
    }
    void Load(CPixelSurface& s, const Ids& ids, int w = W, int h = H) const {
        ASSERT_TRUE(s.Create(int16_t(w), int16_t(h), int16_t(bits)));
        s.SetPixelFormat(format);
        Fill(s, Bytes(ids));
    }
};
const Depth kEight{8, kPixelFormat8}, kDeep{24, kPixelFormat24};

Ids Shape(int n, std::mt19937& random) {
    Ids c(size_t(W) * H, 0);
    auto box = [&](int l, int t, int r, int b, int v) {
        for (int y = std::max(t, 0); y < std::min(b, H); ++y)
            for (int x = std::max(l, 0); x < std::min(r, W); ++x) c[size_t(y) * W + size_t(x)] = v;
    };
    if (n == 0) { // rings, each joined to the next by one gap
        for (int k = 0; k < 12; k += 2) {
            box(k, k, W - k, H - k, 1);
            box(k + 1, k + 1, W - k - 1, H - k - 1, 0);
            if (k > 0) box((k / 2) % 2 ? k + 3 : W - k - 4, k, (k / 2) % 2 ? k + 4 : W - k - 3, k + 1, 0);
        }
    } else if (n == 1) { // nested U shapes open at the top
        for (int k = 0; k < 5; ++k) {
            box(4 + 5 * k, 2, 6 + 5 * k, H - 2 - 3 * k, 1);
            box(W - 6 - 5 * k, 2, W - 4 - 5 * k, H - 2 - 3 * k, 1);
            box(4 + 5 * k, H - 4 - 3 * k, W - 4 - 5 * k, H - 2 - 3 * k, 1);
        }
    } else if (n == 2) { // 2 x 2 blocks touching only at their corners
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) c[size_t(y) * W + size_t(x)] = ((x / 2 + y / 2) % 2) ? 1 : 2;
    } else {
        std::uniform_int_distribution<int> id(0, 2), pos(-8, 70), percent(0, 99);
        const int noise = percent(random);
        for (int& v : c) v = percent(random) < noise ? id(random) : 0;
        for (int i = 0; i < 12; ++i) {
            const int l = pos(random), t = pos(random) * H / W;
            box(l, t, l + pos(random) / 3, t + pos(random) / 4, id(random));
        }
    }
    return c;
}

/// The oracle: paints every pixel joined to the start by edges through pixels where `in`
/// holds. The start is the seed, or when the seed is not in the region its right neighbour.
template <class In, class Paint>
void Search(int x, int y, const In& in, const Paint& paint) {
    if (!in(x, y) && !(x + 1 < W && in(++x, y))) return;
    std::vector<uint8_t> seen(size_t(W) * H);
    std::vector<std::pair<int, int>> queue{{x, y}};
    seen[size_t(y) * W + size_t(x)] = true;
    while (!queue.empty()) {
        const auto [px, py] = queue.back();
        queue.pop_back();
        paint(px, py);
        for (const auto& [nx, ny] : {std::pair{px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}}) {
            if (nx < 0 || nx >= W || ny < 0 || ny >= H || seen[size_t(ny) * W + size_t(nx)] || !in(nx, ny)) continue;
            seen[size_t(ny) * W + size_t(nx)] = true;
            queue.push_back({nx, ny});
        }
    }
}

class FloodFillTest : public vqt::test::GraphicsTest {
protected:
    /// One trial of every fill of a depth on a picture from (x, y), colours and pattern random.
    void Trial(const Depth& d, const Ids& picture, int x, int y) {
        auto pick = [this](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
        auto at = [&](int px, int py) { return picture[size_t(py) * W + size_t(px)]; };
        const int seed = at(x, y), fill = pick(0, 3), other = pick(0, 2); // fill may be the seed's own colour
        auto same = [&](int px, int py) { return at(px, py) == seed; };
        auto listed = [&](int px, int py) { return same(px, py) || at(px, py) == other || at(px, py) == fill; };
        CDynArray<uint32_t> list; // holds the fill colour: each pixel is still painted once
        list.Append(Depth::Word(other));
        list.Append(Depth::Word(fill));
        // Runs a fill of the picture and compares it with the oracle's picture.
        const std::vector<uint8_t> original = d.Bytes(picture);
        auto check = [&](const char* name, const auto& run, bool changes, const auto& in, const auto& paint) {
            SCOPED_TRACE(::testing::Message() << name << " of " << d.bits << " bits at " << x << "," << y);
            CPixelSurface s;
            ASSERT_TRUE(s.Create(W, H, int16_t(d.bits)));
            s.SetPixelFormat(d.format);
            Fill(s, original);
            run(s);
            Ids expected = picture;
            if (changes) Search(x, y, in, [&](int px, int py) { expected[size_t(py) * W + size_t(px)] = paint(px, py); });
            ASSERT_EQ(Bytes(s), d.Bytes(expected));
        };
        auto filled = [fill](int, int) { return fill; };
        const int16_t sx = int16_t(x), sy = int16_t(y);
        if (d.bits == 8) {
            check("FloodFill8", [&](CPixelSurface& s) { s.FloodFill8(sx, sy, d.Index(fill)); }, fill != seed, same, filled);
            check("BoundaryFill8", [&](CPixelSurface& s) { s.BoundaryFill8(sx, sy, d.Index(other), d.Index(fill)); },
                  fill != other, [&](int px, int py) { return at(px, py) != other && at(px, py) != fill; }, filled);
        } else {
            // A colour word's fourth byte is not part of a 24-bit pixel.
            const uint32_t word = Depth::Word(fill) | (pick(0, 1) ? 0x5A000000u : 0);
            check("FloodFill", [&](CPixelSurface& s) { s.FloodFill(sx, sy, word); }, fill != seed, same, filled);
            check("FloodFillList", [&](CPixelSurface& s) { s.FloodFillList(sx, sy, word, list); }, fill != seed, listed,
                  filled);
            check("BoundaryFill", [&](CPixelSurface& s) { s.BoundaryFill(sx, sy, Depth::Word(other), Depth::Word(fill)); },
                  fill != other, [&](int px, int py) { return at(px, py) != other && at(px, py) != fill; }, filled);
            // This depth's picture under an 8-bit map of the same colours.
            Ids under(picture.size());
            for (int& id : under) id = pick(0, 3);
            const int newId = pick(0, 3);
            CPixelSurface map, below;
            kEight.Load(map, picture);
            d.Load(below, under);
            map.FloodFillFromMap(sx, sy, &below, kEight.Index(newId), Depth::Word(fill));
            Ids mapExpected = picture, belowExpected = under;
            if (newId != seed) {
                Search(x, y, same, [&](int px, int py) {
                    mapExpected[size_t(py) * W + size_t(px)] = newId;
                    belowExpected[size_t(py) * W + size_t(px)] = fill;
                });
            }
            EXPECT_EQ(Bytes(map), kEight.Bytes(mapExpected)) << "FloodFillFromMap";
            ASSERT_EQ(Bytes(below), d.Bytes(belowExpected)) << "FloodFillFromMap";
        }
        // A small pattern of the colours (often holding the seed's own) at an offset that may be
        // negative, tiled from the offset.
        const int pw = pick(1, 5), ph = pick(1, 4);
        Ids tile(size_t(pw) * size_t(ph));
        for (int& id : tile) id = pick(0, 3);
        const CPoint16 offset(int16_t(pick(-20, 20)), int16_t(pick(-20, 20)));
        auto tiled = [&](int px, int py) {
            return tile[size_t(((offset.y + py) % ph + ph) % ph) * size_t(pw) + size_t(((offset.x + px) % pw + pw) % pw)];
        };
        CPixelSurface pattern;
        d.Load(pattern, tile, pw, ph);
        check("PatternFill", [&](CPixelSurface& s) { s.PatternFill(sx, sy, &pattern, offset); }, true, same, tiled);
        if (d.bits != 8) {
            check("PatternFillList", [&](CPixelSurface& s) { s.PatternFillList(sx, sy, &pattern, list, offset); }, true,
                  listed, tiled);
            return;
        }
        // The 8-bit picture as the map of a 24-bit picture that takes a 24-bit pattern.
        CPixelSurface map, below, deepPattern;
        kEight.Load(map, picture);
        kDeep.Load(below, picture);
        kDeep.Load(deepPattern, tile, pw, ph);
        map.PatternFillFromMap(sx, sy, kEight.Index(fill), &below, &deepPattern, offset);
        Ids mapExpected = picture, belowExpected = picture;
        Search(x, y, same, [&](int px, int py) {
            mapExpected[size_t(py) * W + size_t(px)] = fill;
            belowExpected[size_t(py) * W + size_t(px)] = tiled(px, py);
        });
        EXPECT_EQ(Bytes(map), kEight.Bytes(mapExpected)) << "PatternFillFromMap";
        ASSERT_EQ(Bytes(below), kDeep.Bytes(belowExpected)) << "PatternFillFromMap";
    }

    std::mt19937 random{113};
};

TEST_F(FloodFillTest, EveryFillPaintsExactlyTheRegionJoinedToTheSeedByEdges) {
    for (const Depth& d : {kEight, Depth{16, kPixelFormat555}, Depth{16, kPixelFormat565}, kDeep}) {
        for (int n = 0; n < 200; ++n) {
            const Ids picture = Shape(n, random);
            for (int seeds = n < 3 ? 4 : 1; seeds > 0; --seeds) { // the drawn shapes from several seeds
                Trial(d, picture, std::uniform_int_distribution<int>(0, W - 1)(random),
                      std::uniform_int_distribution<int>(0, H - 1)(random));
                if (HasFatalFailure()) return;
            }
        }
    }
}

TEST_F(FloodFillTest, SeedsOutsideTheSurfaceAndOtherDepthsChangeNothing) {
    CPixelSurface s, pattern;
    ASSERT_TRUE(s.Create(4, 3, 8));
    ASSERT_TRUE(pattern.Create(2, 2, 8));
    pattern.Clear(5);
    CDynArray<uint32_t> list;
    for (const auto& [x, y] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, 3}}) {
        s.FloodFill8(int16_t(x), int16_t(y), 7);
        s.BoundaryFill8(int16_t(x), int16_t(y), 1, 7);
        s.PatternFill(int16_t(x), int16_t(y), &pattern, CPoint16());
    }
    s.FloodFill(0, 0, ColorWord(1, 2, 3)); // the colour-word fills take 16 and 24 bits only
    s.BoundaryFill(0, 0, ColorWord(1, 2, 3), 0);
    s.FloodFillList(0, 0, ColorWord(1, 2, 3), list);
    EXPECT_EQ(Bytes(s), std::vector<uint8_t>(12, 0));
    EXPECT_FALSE(s.IsLocked());
}

TEST_F(FloodFillTest, APatternFillStopsOnceMoreThanTenThousandRunsWait) {
    // Row 0 is one run over row 1's single pixels: filling row 0 puts one run per pixel of
    // row 1 on the stack at once.
    for (const int runs : {10000, 10001}) {
        CPixelSurface s, pattern;
        ASSERT_TRUE(s.Create(int16_t(2 * runs), 2, 8));
        ASSERT_TRUE(pattern.Create(1, 1, 8));
        pattern.Clear(9);
        uint8_t* row1 = s.Lock() + s.GetPitch();
        for (int x = 1; x < 2 * runs; x += 2) row1[x] = 1; // row 1: 0, 1, 0, 1, ...
        s.Unlock(0);
        s.PatternFill(0, 0, &pattern, CPoint16());
        const std::vector<uint8_t> bytes = Bytes(s);
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 9), runs == 10000 ? 3 * runs : 2 * runs) << runs;
    }
}

} // namespace
