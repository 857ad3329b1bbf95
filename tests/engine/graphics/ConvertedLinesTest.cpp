#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/blit/ColorPalette.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/engine/graphics/GraphicsFixture.h"
#include "tests/engine/graphics/SurfaceTestSupport.h"

namespace {

using namespace surftest;

// A background that keeps its converted lines must draw, after any change to its pixels or its
// palette, exactly what a surface converting afresh draws.
class ConvertedLinesTest : public vqt::test::GraphicsTest {
protected:
    static constexpr int kWidth = 12, kHeight = 6;

    struct Step {
        const char* what;
        std::function<void(CPixelSurface&)> change; // applied to both sources
        CClipRect from;
        CPoint16 at;
    };

    static void MakeSource(CPixelSurface& s, int width, int height, int seed) {
        ASSERT_TRUE(s.Create(int16_t(width), int16_t(height), 8));
        std::vector<uint8_t> bytes(size_t(width) * size_t(height));
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7 + size_t(seed));
        Fill(s, bytes);
        CColorPalette palette;
        for (int i = 0; i < CColorPalette::kEntries; ++i) palette.SetEntry(i, ColorWord(uint8_t(i), uint8_t(3 * i), uint8_t(255 - i)));
        s.SetPalette(&palette);
    }
    static void SetPixel(CPixelSurface& s, int x, int y, uint8_t index) {
        s.Lock()[s.GetPitch() * y + x] = index;
        s.Unlock(0);
    }
    // The 16-bit picture after drawing the part at the point onto a destination of known pixels.
    static std::vector<uint8_t> DrawnBy(CPixelSurface& source, const Step& step) {
        CPixelSurface dst;
        EXPECT_TRUE(dst.Create(10, 5, 16));
        dst.SetPixelFormat(kPixelFormat555);
        Fill(dst, std::vector<uint8_t>(10 * 5 * 2, 0x5A));
        source.StretchCopy(step.from, &dst, CClipRect(step.at.x, step.at.y, int16_t(step.at.x + step.from.Width()),
                                                      int16_t(step.at.y + step.from.Height())),
                           kDrawSolid);
        return Bytes(dst);
    }
};

TEST_F(ConvertedLinesTest, AKeptBackgroundDrawsWhatAFreshConversionDraws) {
    const auto none = [](CPixelSurface&) {};
    const std::vector<Step> steps = {
        {"a first draw of a part", none, {2, 1, 8, 4}, {1, 1}},
        {"the same draw again", none, {2, 1, 8, 4}, {1, 1}},
        {"a pixel changed inside the part", [](CPixelSurface& s) { SetPixel(s, 3, 2, 200); }, {2, 1, 8, 4}, {1, 1}},
        {"a pixel changed outside it, then a wider part",
         [](CPixelSurface& s) { SetPixel(s, 10, 3, 17); }, {0, 0, 12, 5}, {0, 0}},
        {"the part scrolled a column and a line", none, {3, 2, 9, 5}, {1, 1}},
        {"a part the destination's edge cuts", none, {0, 0, 12, 6}, {-3, 2}},
        {"a palette entry of drawn pixels changed",
         [](CPixelSurface& s) { s.OwnPalette()->SetEntry(uint8_t(2 * 7 + 1), ColorWord(250, 10, 10)); },
         {0, 0, 10, 5}, {0, 0}},
        {"a line changed and changed back", [](CPixelSurface& s) {
             SetPixel(s, 5, 1, 99);
             SetPixel(s, 5, 1, uint8_t(1 * kWidth * 7 + 5 * 7 + 1));
         }, {0, 0, 10, 5}, {0, 0}},
        {"the surface made again smaller", [](CPixelSurface& s) { MakeSource(s, 9, 4, 3); }, {1, 0, 9, 4}, {0, 1}},
        {"the surface made again larger", [](CPixelSurface& s) { MakeSource(s, 16, 9, 5); }, {4, 3, 16, 9}, {0, 0}},
    };
    CPixelSurface kept, fresh;
    MakeSource(kept, kWidth, kHeight, 1);
    MakeSource(fresh, kWidth, kHeight, 1);
    kept.KeepConvertedLines();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change(kept);
        step.change(fresh);
        EXPECT_EQ(DrawnBy(kept, step), DrawnBy(fresh, step));
    }
}

} // namespace
