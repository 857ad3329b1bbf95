#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/fonts/CodePage.h"
#include "platform/fonts/TextLines.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/Png.h"

namespace {

using namespace plat;

/// Pixels of one depth filled with a sentinel byte, as a drawing target.
struct Canvas {
    Canvas(int32_t w, int32_t h, int bits, bool is565 = false, uint8_t fill = 0x5A)
        : bytesPerPixel(bits / 8), pixels(size_t(w) * h * (bits / 8), fill) {
        target = PixelTarget{pixels.data(), w * bytesPerPixel, w, h, bits, is565};
    }
    const uint8_t* At(int32_t x, int32_t y) const {
        return pixels.data() + size_t(y) * target.pitch + size_t(x) * bytesPerPixel;
    }
    bool Changed(int32_t x, int32_t y, uint8_t fill = 0x5A) const {
        return std::any_of(At(x, y), At(x, y) + bytesPerPixel, [&](uint8_t b) { return b != fill; });
    }
    /// The box of changed pixels (right and bottom exclusive); empty when none changed.
    TextRect Lit() const {
        TextRect box{target.width, target.height, 0, 0};
        for (int32_t y = 0; y < target.height; ++y)
            for (int32_t x = 0; x < target.width; ++x)
                if (Changed(x, y)) box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                                          std::max(box.bottom, y + 1)};
        return box;
    }
    /// Rows with a changed pixel, as runs [first, end).
    std::vector<std::pair<int32_t, int32_t>> LitBands() const {
        std::vector<std::pair<int32_t, int32_t>> bands;
        for (int32_t y = 0; y < target.height; ++y) {
            bool lit = false;
            for (int32_t x = 0; x < target.width && !lit; ++x) lit = Changed(x, y);
            if (!lit) continue;
            if (!bands.empty() && bands.back().second == y) bands.back().second = y + 1;
            else bands.push_back({y, y + 1});
        }
        return bands;
    }
    int bytesPerPixel;
    std::vector<uint8_t> pixels;
    PixelTarget target;
};

TextDraw Ink(TextDraw::Align align = TextDraw::kLeft, bool wrap = false) {
    TextDraw how;
    how.align = align;
    how.wordBreak = wrap;
    how.red = 250;
    how.green = 20;
    how.blue = 90;
    how.index = 7;
    return how;
}

class FontsTest : public vqt::test::HeadlessTest {
protected:
    std::shared_ptr<Font> Make(const char* face, int32_t em = 16, int32_t weight = 400) {
        FontDesc desc;
        desc.face = face;
        desc.emHeight = em;
        desc.weight = weight;
        std::shared_ptr<Font> font = fonts().Create(desc);
        EXPECT_NE(font, nullptr) << face;
        return font;
    }
};

TEST_F(FontsTest, FacesAreFoundByNameOrByTheirMetricCompatibleStandIns) {
    struct Case {
        const char* face;
        bool exists;
        const char* family;
    };
    const Case cases[] = {
        {"Arial", true, "Liberation Sans"},          {"arial", true, "Liberation Sans"},
        {"Courier New", true, "Liberation Mono"},    {"Times New Roman", true, "Liberation Serif"},
        {"Liberation Serif", true, "Liberation Serif"}, {"DejaVu Sans", true, "DejaVu Sans"},
        {"System", true, "DejaVu Sans"},             {"Comic Sans MS", false, "DejaVu Sans"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fonts().FamilyExists(c.face), c.exists) << c.face;
        std::shared_ptr<Font> font = Make(c.face);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->Family(), c.family) << c.face;
    }
}

TEST_F(FontsTest, MetricsAddUpAndLinesBreakAtEveryKindOfLineEnd) {
    std::shared_ptr<Font> font = Make("Arial");
    const FontMetrics& m = font->Metrics();
    EXPECT_EQ(m.height, m.ascent + m.descent);
    EXPECT_GT(m.ascent, 10);
    const int32_t hello = font->Extent("Hello");
    EXPECT_EQ(hello, font->Extent("He") + font->Extent("llo")); // advances add, no kerning
    EXPECT_EQ(font->Extent("AV"), font->Extent("A") + font->Extent("V"));
    for (const char* text : {"Hello\rab", "Hello\nab", "Hello\r\nab"}) {
        const TextLines lines = font->Measure(text, false);
        EXPECT_EQ(lines.count, 2) << text;
        EXPECT_EQ(lines.widest, hello) << text;
    }
    EXPECT_EQ(font->Measure("", false).count, 0);
    EXPECT_EQ(font->Measure("a\r", false).count, 2);
    EXPECT_EQ(font->Measure("\n\r", false).count, 3);
}

TEST_F(FontsTest, NothingOutsideTheClipChangesAndUnlitPixelsStayAtEveryDepth) {
    std::shared_ptr<Font> font = Make("Times New Roman", 20);
    const TextRect layout{2, 2, 118, 60};
    const TextRect clip{10, 8, 90, 40};
    const std::string text = "Quick brown foxes jump over lazy dogs";
    for (auto [bits, is565] : {std::pair{8, false}, {16, false}, {16, true}, {24, false}, {32, false}}) {
        Canvas a(120, 64, bits, is565, 0x5A);
        Canvas b(120, 64, bits, is565, 0xA5);
        font->Draw(a.target, text, layout, clip, Ink(TextDraw::kLeft, true));
        font->Draw(b.target, text, layout, clip, Ink(TextDraw::kLeft, true));
        const TextRect lit = a.Lit();
        ASSERT_LT(lit.left, lit.right) << bits;
        EXPECT_GE(lit.left, clip.left);
        EXPECT_GE(lit.top, clip.top);
        EXPECT_LE(lit.right, clip.right);
        EXPECT_LE(lit.bottom, clip.bottom);
        // At 8 bits a pixel takes the index or is left alone, whatever lies under the text.
        for (int32_t y = 0; y < 64 && bits == 8; ++y)
            for (int32_t x = 0; x < 120; ++x) ASSERT_EQ(a.Changed(x, y, 0x5A), b.Changed(x, y, 0xA5));
    }
}

TEST_F(FontsTest, AntialiasedPixelsLieBetweenTheBackgroundAndTheTextColour) {
    std::shared_ptr<Font> font = Make("Arial", 24);
    Canvas c(100, 40, 24);
    font->Draw(c.target, "Softly", {0, 0, 100, 40}, {0, 0, 100, 40}, Ink());
    int partial = 0;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 100; ++x) {
            const uint8_t* p = c.At(x, y); // blue, green, red
            EXPECT_TRUE(std::clamp<int>(p[0], 0x5A, 90) == p[0] && std::clamp<int>(p[1], 20, 0x5A) == p[1] &&
                        std::clamp<int>(p[2], 0x5A, 250) == p[2]);
            partial += p[2] != 0x5A && p[2] != 250;
        }
    EXPECT_GT(partial, 0);
}

TEST_F(FontsTest, AlignmentsPlaceEachLineAgainstTheirEdge) {
    std::shared_ptr<Font> font = Make("Arial");
    const TextRect layout{10, 0, 190, 60};
    const std::string text = "Align me\rand me too";
    const int32_t width = layout.right - layout.left;
    Canvas left(200, 60, 16, true);
    font->Draw(left.target, text, layout, layout, Ink(TextDraw::kLeft));
    const auto lineBox = [&](const Canvas& c, int32_t line) {
        Canvas band = c;
        const int32_t h = font->Metrics().height;
        for (int32_t y = 0; y < 60; ++y)
            if (y < line * h || y >= (line + 1) * h) std::fill_n(band.pixels.begin() + y * band.target.pitch, band.target.pitch, 0x5A);
        return band.Lit();
    };
    for (int32_t line = 0; line < 2; ++line) {
        const int32_t extent = font->Extent(line == 0 ? "Align me" : "and me too");
        const TextRect l = lineBox(left, line);
        Canvas right(200, 60, 16, true);
        font->Draw(right.target, text, layout, layout, Ink(TextDraw::kRight));
        EXPECT_EQ(lineBox(right, line).left, l.left + width - extent);
        Canvas centre(200, 60, 16, true);
        font->Draw(centre.target, text, layout, layout, Ink(TextDraw::kCentre));
        EXPECT_NEAR(lineBox(centre, line).left, l.left + (width - extent) / 2.0, 1.0);
    }
}

TEST_F(FontsTest, LaidOutInkIsWhereDrawingLightsPixelsInsideEachLinesCell) {
    std::shared_ptr<Font> font = Make("Arial", 24);
    const TextRect layout{4, 2, 196, 120};
    const std::string text = "0\r   \rgy Ag";
    const std::vector<TextLineBox> lines = font->LayOut(text, layout, Ink(TextDraw::kCentre));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].ink.right, lines[1].ink.left) << "a line of blanks has no ink";
    for (size_t i : {size_t(0), size_t(2)}) {
        const TextLineBox& line = lines[i];
        Canvas c(200, 124, 32);
        const std::string one = i == 0 ? "0" : "\r\rgy Ag";
        font->Draw(c.target, one, layout, layout, Ink(TextDraw::kCentre));
        const TextRect lit = c.Lit();
        EXPECT_LE(line.ink.left, lit.left) << i;
        EXPECT_LE(line.ink.top, lit.top) << i;
        EXPECT_GE(line.ink.right, lit.right) << i;
        EXPECT_GE(line.ink.bottom, lit.bottom) << i;
        EXPECT_LE(lit.left - line.ink.left + line.ink.right - lit.right, 2) << i;
        EXPECT_LE(lit.top - line.ink.top + line.ink.bottom - lit.bottom, 2) << i;
    }
    // A digit's ink is narrower and shorter than its cell; descenders reach below the baseline.
    EXPECT_GT(lines[0].ink.top, lines[0].cell.top);
    EXPECT_LT(lines[0].ink.bottom, lines[0].cell.bottom);
    EXPECT_GT(lines[2].ink.bottom, lines[2].cell.top + font->Metrics().ascent);
}

TEST_F(FontsTest, WrappingBreaksAtBlanksAndNeverInsideAWord) {
    std::shared_ptr<Font> mono = Make("Courier New");
    const int32_t cell = mono->Extent("a");
    ASSERT_EQ(mono->Extent("abcdefghij"), 10 * cell);
    const int32_t h = mono->Metrics().height;
    struct Case {
        const char* text;
        int32_t columns;
        int lines;
        int32_t widestColumns; ///< of the widest line
    };
    const Case cases[] = {
        {"aaa bbb ccc", 7, 2, 7},          // "aaa bbb" / "ccc"
        {"aaaaaaaaaa bb", 5, 2, 10},       // the long word keeps its line, overflowing
        {"aa     bb", 3, 2, 2},            // the blanks at the break are dropped
        {"aa bb\r\ncc dd", 20, 2, 5},      // no wrap needed
        {"aa bb\r\ncc dd", 2, 4, 2},
    };
    for (const Case& c : cases) {
        Canvas canvas(400, 6 * h, 8);
        const TextRect layout{0, 0, c.columns * cell, 6 * h};
        mono->Draw(canvas.target, c.text, layout, {0, 0, 400, 6 * h}, Ink(TextDraw::kLeft, true));
        int lines = 0;
        for (int32_t line = 0; line < 6; ++line) {
            bool lit = false;
            for (int32_t y = line * h; y < (line + 1) * h && !lit; ++y)
                for (int32_t x = 0; x < 400 && !lit; ++x) lit = canvas.Changed(x, y);
            lines += lit;
        }
        EXPECT_EQ(lines, c.lines) << c.text;
        const TextRect lit = canvas.Lit();
        EXPECT_GT(lit.right, (c.widestColumns - 1) * cell) << c.text;
        EXPECT_LE(lit.right, c.widestColumns * cell + 1) << c.text;
    }
}

TEST_F(FontsTest, BlanksEndingAWrappedLineNeitherMoveItNorCountInItsMeasure) {
    std::shared_ptr<Font> mono = Make("Courier New");
    const int32_t cell = mono->Extent("a");
    const int32_t h = mono->Metrics().height;
    constexpr int32_t kLeft = 40; // room on the left to see a line pushed out of its box
    struct Line {
        const char* shown;
        int32_t column; ///< where it starts in the box
    };
    struct Case {
        const char* text;
        TextDraw::Align align;
        bool wrap;
        int32_t columns; ///< of the box
        std::vector<Line> lines;
        int32_t measured; ///< columns of the widest line by Measure
    };
    const Case cases[] = {
        {"ab  cd", TextDraw::kRight, true, 3, {{"ab", 1}, {"cd", 1}}, 6}, // measured unwrapped
        {"ab  ", TextDraw::kRight, true, 3, {{"ab", 1}}, 2},
        {"ab  \r\ncd", TextDraw::kRight, true, 3, {{"ab", 1}, {"cd", 1}}, 2},
        {"a b ", TextDraw::kRight, true, 3, {{"a b", 0}}, 3}, // the inner blank still counts
        {"ab      ", TextDraw::kCentre, true, 4, {{"ab", 1}}, 2},
        {"a   \rb", TextDraw::kCentre, true, 3, {{"a", 1}, {"b", 1}}, 1},
        {"  ", TextDraw::kRight, true, 3, {}, 0},
        {"ab  ", TextDraw::kRight, false, 4, {{"ab", 0}}, 4}, // unwrapped lines keep their blanks
    };
    const auto band = [&](const Canvas& c, int32_t line) {
        Canvas only = c;
        for (int32_t y = 0; y < only.target.height; ++y)
            if (y < line * h || y >= (line + 1) * h)
                std::fill_n(only.pixels.begin() + y * only.target.pitch, only.target.pitch, 0x5A);
        return only.Lit();
    };
    for (const Case& c : cases) {
        Canvas canvas(200, 4 * h, 8);
        const TextRect box{kLeft, 0, kLeft + c.columns * cell, 4 * h};
        mono->Draw(canvas.target, c.text, box, {0, 0, 200, 4 * h}, Ink(c.align, c.wrap));
        for (size_t line = 0; line < c.lines.size(); ++line) {
            Canvas alone(200, h, 8);
            const int32_t x = kLeft + c.lines[line].column * cell;
            mono->Draw(alone.target, c.lines[line].shown, {x, 0, 200, h}, {0, 0, 200, h}, Ink());
            const TextRect want = alone.Lit();
            const TextRect got = band(canvas, int32_t(line));
            EXPECT_EQ(got.left, want.left) << c.text << " line " << line;
            EXPECT_EQ(got.right, want.right) << c.text << " line " << line;
        }
        EXPECT_EQ(canvas.LitBands().size(), c.lines.size()) << c.text;
        EXPECT_EQ(mono->Measure(c.text, c.wrap).widest, c.measured * cell) << c.text;
    }
}

TEST_F(FontsTest, CodePageBytesBecomeCharactersAndLoneOrUnknownBytesTheMissingGlyph) {
    using fontsys::kMissingChar;
    struct Case {
        CodePageInfo page;
        std::string bytes;
        std::u32string chars;
    };
    const CodePageInfo sjis{932, 2, {{0x81, 0x9F}, {0xE0, 0xFC}}};
    const Case cases[] = {
        {CodePageInfo{}, "A\x80\x81\xE9", {U'A', U'\u20AC', kMissingChar, U'\u00E9'}},
        {sjis, "a\x82\xA0" "b", {U'a', U'\u3042', U'b'}},
        {sjis, "a\x82", {U'a', kMissingChar}},
        {sjis, "\x81\x01", {kMissingChar}},
    };
    for (const Case& c : cases) {
        std::u32string out;
        fontsys::CodePage(c.page).Decode(c.bytes, out);
        EXPECT_EQ(out, c.chars) << c.bytes;
    }
}

TEST_F(FontsTest, RightToLeftLinesAreShownInDisplayOrder) {
    const std::pair<std::u32string, std::u32string> cases[] = {
        {U"\u05D0\u05D1\u05D2", U"\u05D2\u05D1\u05D0"},
        {U"abc!", U"!abc"},
        {std::u32string{U'x', fontsys::kMissingChar}, std::u32string{fontsys::kMissingChar, U'x'}},
    };
    for (auto [logical, shown] : cases) {
        fontsys::ToDisplayOrder(logical);
        EXPECT_EQ(logical, shown);
    }
}

/// Wrapped paragraphs of the three stand-in faces in the three alignments, one picture per depth.
TEST_F(FontsTest, WrappedParagraphsMatchTheirGoldenPictures) {
    const char* faces[] = {"Arial", "Courier New", "Times New Roman"};
    const std::string text = "The quick brown fox\rjumps over the lazy dog, twice and again.";
    const int32_t panelW = 150;
    const int32_t panelH = 90;
    for (auto [bits, is565, name] : {std::tuple{16, false, "555"}, {16, true, "565"}, {8, false, "8"},
                                     {24, false, "24"}}) {
        Canvas c(3 * panelW, 3 * panelH, bits, is565, 0);
        for (int f = 0; f < 3; ++f) {
            std::shared_ptr<Font> font = Make(faces[f], 15);
            for (int a = 0; a < 3; ++a) {
                const TextRect panel{a * panelW + 4, f * panelH + 2, (a + 1) * panelW - 4, (f + 1) * panelH};
                font->Draw(c.target, text, panel, panel, Ink(TextDraw::Align(a), true));
            }
        }
        vqt::test::RgbImage image{c.target.width, c.target.height, {}};
        std::vector<Argb> palette(256, MakeArgb(0, 0, 0));
        palette[7] = MakeArgb(250, 20, 90);
        PixelSource source{c.pixels.data(), c.target.pitch, c.target.width, c.target.height, bits, is565,
                           palette.data()};
        std::vector<Argb> row(size_t(c.target.width));
        for (int32_t y = 0; y < c.target.height; ++y) {
            ConvertRow(source, 0, y, c.target.width, row.data());
            for (Argb p : row) image.rgb.insert(image.rgb.end(), {ArgbRed(p), ArgbGreen(p), ArgbBlue(p)});
        }
        vqt::test::ExpectMatchesGoldenImage(std::string("platform/fonts_wrapped_") + name + ".png", image);
    }
}

} // namespace
