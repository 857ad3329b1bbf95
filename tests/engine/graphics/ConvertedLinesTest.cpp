#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/blit/ColorPalette.h"
#include "engine/graphics/ConvertedLines.h"
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
    // The picture after drawing the part at the point onto a destination of known pixels (by
    // default 16-bit, drawn solid).
    static std::vector<uint8_t> DrawnBy(CPixelSurface& source, const Step& step, int bits = 16,
                                        uint32_t mode = kDrawSolid) {
        CPixelSurface dst;
        EXPECT_TRUE(dst.Create(10, 5, int16_t(bits)));
        if (bits == 16) dst.SetPixelFormat(kPixelFormat555);
        Fill(dst, std::vector<uint8_t>(size_t(10 * 5 * bits / 8), 0x5A));
        source.StretchCopy(step.from, &dst, CClipRect(step.at.x, step.at.y, int16_t(step.at.x + step.from.Width()),
                                                      int16_t(step.at.y + step.from.Height())),
                           mode);
        return Bytes(dst);
    }
};

TEST_F(ConvertedLinesTest, AKeptBackgroundDrawsWhatAFreshConversionDraws) {
    const auto none = [](CPixelSurface&) {};
    const std::vector<Step> steps = {
        {"a first draw of a part", none, {2, 1, 8, 4}, {1, 1}},
        {"the same draw again", none, {2, 1, 8, 4}, {1, 1}},
        {"a pixel changed inside the part", [](CPixelSurface& s) { SetPixel(s, 3, 2, 200); }, {2, 1, 8, 4}, {1, 1}},
        {"only the part's last column changed", [](CPixelSurface& s) { SetPixel(s, 7, 2, 201); }, {2, 1, 8, 4}, {1, 1}},
        {"a part away from the left edge", none, {6, 0, 12, 5}, {0, 0}},
        {"a pixel changed in it at a column past the part's width",
         [](CPixelSurface& s) { SetPixel(s, 9, 1, 202); }, {6, 0, 12, 5}, {0, 0}},
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
        {"the surface made again as wide but taller", [](CPixelSurface& s) { MakeSource(s, 16, 14, 6); },
         {4, 8, 14, 13}, {0, 0}},
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

// The kept lines stand in for the solid palette to 16-bit copy only: every other draw of a
// kept surface, also after kept draws, is the plain one.
TEST_F(ConvertedLinesTest, OtherDrawsOfAKeptBackgroundAreNotServedFromItsLines) {
    struct Case {
        const char* what;
        int bits;
        uint32_t mode;
    };
    const Case cases[] = {
        {"into a 24-bit surface", 24, kDrawSolid},
        {"into an 8-bit surface", 8, kDrawSolid},
        {"colour 0 left out", 16, kDrawTransparent},
        {"tinted", 16, kDrawTinted},
    };
    const Step whole{"", [](CPixelSurface&) {}, {0, 0, 10, 5}, {0, 0}};
    CPixelSurface kept, fresh;
    MakeSource(kept, kWidth, kHeight, 1);
    MakeSource(fresh, kWidth, kHeight, 1);
    for (CPixelSurface* s : {&kept, &fresh}) SetPixel(*s, 2, 2, 0);
    kept.KeepConvertedLines();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DrawnBy(kept, whole, c.bits, c.mode), DrawnBy(fresh, whole, c.bits, c.mode));
        DrawnBy(kept, whole);
        EXPECT_EQ(DrawnBy(kept, whole, c.bits, c.mode), DrawnBy(fresh, whole, c.bits, c.mode));
    }
}

TEST_F(ConvertedLinesTest, ASurfaceMadeAgainOrDestroyedGivesTheKeptLinesMemoryBack) {
    const Step whole{"", [](CPixelSurface&) {}, {0, 0, 10, 5}, {0, 0}};
    CPixelSurface kept;
    kept.KeepConvertedLines();
    EXPECT_EQ(kept.ConvertedLinesBytes(), 0u) << "nothing is held before a draw";
    MakeSource(kept, 400, 60, 1);
    DrawnBy(kept, whole);
    EXPECT_GE(kept.ConvertedLinesBytes(), size_t(3 * 400 * 60));

    MakeSource(kept, 10, 5, 2);
    EXPECT_EQ(kept.ConvertedLinesBytes(), 0u) << "made again smaller";
    CPixelSurface fresh;
    MakeSource(fresh, 10, 5, 2);
    EXPECT_EQ(DrawnBy(kept, whole), DrawnBy(fresh, whole));
    EXPECT_GE(kept.ConvertedLinesBytes(), size_t(3 * 10 * 5));
    EXPECT_LT(kept.ConvertedLinesBytes(), size_t(3 * 400 * 60) / 10);

    kept.Destroy();
    EXPECT_EQ(kept.ConvertedLinesBytes(), 0u) << "destroyed";
    MakeSource(kept, 10, 5, 2);
    EXPECT_EQ(DrawnBy(kept, whole), DrawnBy(fresh, whole)) << "kept again after being destroyed";
    EXPECT_GE(kept.ConvertedLinesBytes(), size_t(3 * 10 * 5));
}

// The kept lines alone: every column drawn must be table[byte] of the line as it is now.
class KeptLines {
public:
    KeptLines(int width, int height) { Resize(width, height, 1); }
    void Resize(int width, int height, int seed) {
        width_ = width;
        height_ = height;
        bytes_.resize(size_t(width) * size_t(height));
        for (size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = uint8_t(i * 13 + size_t(seed));
    }
    void UseTable(int seed) {
        for (int i = 0; i < 256; ++i) table_[size_t(i)] = uint16_t(i * 257 + seed * 4099);
    }
    uint8_t& At(int x, int y) { return bytes_[size_t(y) * size_t(width_) + size_t(x)]; }
    CConvertedLines& Lines() { return lines_; }
    void Begin() { lines_.Begin(width_, height_, table_.data()); }
    // Draws the span of line y; answers where it differs from a fresh conversion ("" if nowhere).
    std::string Draw(int y, int x, int count) {
        Begin();
        std::vector<uint16_t> drawn(size_t(count) + 1, 0xBEEF);
        lines_.DrawLine(&At(0, y), y, x, count, reinterpret_cast<uint8_t*>(drawn.data()));
        std::string wrong;
        for (int i = 0; i < count; ++i)
            if (drawn[size_t(i)] != table_[At(x + i, y)]) wrong += " column " + std::to_string(x + i);
        if (drawn[size_t(count)] != 0xBEEF) wrong += " past the span";
        return wrong.empty() ? "" : "line " + std::to_string(y) + ":" + wrong;
    }
    std::string DrawAll() {
        std::string wrong;
        for (int y = 0; y < height_; ++y) wrong += Draw(y, 0, width_);
        return wrong;
    }

private:
    int width_ = 0, height_ = 0;
    std::vector<uint8_t> bytes_;
    std::array<uint16_t, 256> table_{};
    CConvertedLines lines_;
};

// Spans of a 200-column line (three whole blocks of kept columns and part of a fourth).
struct Span {
    int x, count;
};
constexpr Span kSpans[] = {{0, 200}, {5, 60}, {60, 10}, {63, 2}, {64, 64}, {100, 100}, {199, 1}, {30, 150}};
constexpr int kLineWidth = 200;

TEST(KeptConvertedLinesTest, AnyColumnChangedIsDrawnAfresh) {
    KeptLines k(kLineWidth, 2);
    k.UseTable(1);
    std::string wrong;
    for (const Span& span : kSpans) {
        for (int c = 0; c < kLineWidth; ++c) {
            const std::string where = " (span " + std::to_string(span.x) + "+" + std::to_string(span.count) +
                                      ", changed " + std::to_string(c) + ")";
            wrong += k.Draw(0, span.x, span.count);
            ++k.At(c, 0);
            const std::string once = k.Draw(0, span.x, span.count);
            // A second change further on, after the columns converted with the first.
            k.At((c + 37) % kLineWidth, 0) ^= 0x40;
            ++k.At(c, 0);
            const std::string twice = k.Draw(0, span.x, span.count);
            if (!once.empty() || !twice.empty()) wrong += once + twice + where + "\n";
        }
    }
    EXPECT_EQ(wrong, "");
}

TEST(KeptConvertedLinesTest, ALineThatKeepsChangingAndThenStopsIsDrawnAfreshThroughout) {
    KeptLines k(kLineWidth, 1);
    k.UseTable(2);
    std::string wrong;
    const auto draw = [&](const char* phase, int frame) {
        for (const Span& span : {kSpans[0], kSpans[2], kSpans[6]}) {
            const std::string w = k.Draw(0, span.x, span.count);
            if (!w.empty()) wrong += std::string(phase) + " frame " + std::to_string(frame) + ": " + w + "\n";
        }
    };
    for (int frame = 0; frame < 100; ++frame) {
        for (int x = 0; x < kLineWidth; ++x) k.At(x, 0) = uint8_t(x * 3 + frame * 11);
        draw("every column changed", frame);
    }
    for (int frame = 0; frame < 100; ++frame) draw("unchanged", frame);
    for (int frame = 0; frame < 100; ++frame) {
        ++k.At(frame * 7 % kLineWidth, 0);
        draw("one column changed", frame);
    }
    EXPECT_EQ(wrong, "");
}

TEST(KeptConvertedLinesTest, ANewSizeOrTableForgetsTheLinesAndHoldsMemoryForTheNewSizeOnly) {
    struct Step {
        const char* what;
        int width, height, table;
    };
    const Step steps[] = {
        {"first size", 64, 4, 1},
        {"as wide but taller", 64, 9, 1},
        {"as tall but wider", 150, 9, 1},
        {"another table", 150, 9, 2},
        {"smaller", 30, 3, 2},
        {"the same again", 30, 3, 2},
    };
    KeptLines k(1, 1);
    int seed = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        k.Resize(step.width, step.height, ++seed);
        k.UseTable(step.table);
        k.Begin();
        const size_t area = size_t(step.width) * size_t(step.height);
        ASSERT_GE(k.Lines().HeldBytes(), 3 * area) << "a byte and a 16-bit pixel kept for every pixel";
        EXPECT_LE(k.Lines().HeldBytes(), 4 * area) << "nothing held for a former larger size";
        EXPECT_EQ(k.DrawAll(), "");
    }
    k.Lines().Release();
    EXPECT_EQ(k.Lines().HeldBytes(), 0u);
    EXPECT_EQ(k.DrawAll(), "") << "kept again after being released";
}

} // namespace
