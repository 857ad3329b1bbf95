// Fonts of the engine: making them by face and kind per language, sizes, the default system
// font, measuring and drawing texts in surfaces; and the engine's string.
#include <gtest/gtest.h>

#include <string>

#include "engine/media/String.h"
#include "tests/engine/media/TextFixture.h"

namespace vqt::test {
namespace {

class FontTest : public TextTest {};

TEST_F(FontTest, StringsGrowInStepsOf32AboveWhatTheyHold) {
    struct Case {
        size_t first;  ///< bytes assigned first (0: nothing)
        size_t second; ///< then these
        uint32_t capacity;
    };
    const Case cases[] = {{0, 40, 64}, {0, 30, 64}, {0, 29, 32}, {0, 0, 32}, {20, 5, 32}, {20, 62, 96}};
    for (const Case& c : cases) {
        OString s;
        if (c.first) {
            ASSERT_TRUE(s.Assign(std::string(c.first, 'a').c_str()));
        }
        const std::string text(c.second, 'b');
        ASSERT_TRUE(s.Assign(text.c_str()));
        EXPECT_EQ(s.Capacity(), c.capacity) << c.first << " then " << c.second;
        EXPECT_EQ(s.c_str(), text);
    }
    OString s;
    s.Assign("0123456789012345678901234567890"); // 31 bytes in 64
    s.Assign(s.c_str() + 1);                     // from its own block
    EXPECT_STREQ(s.c_str(), "123456789012345678901234567890");
    EXPECT_TRUE(s.Reserve(100));
    EXPECT_EQ(s.Capacity(), 128u);
    EXPECT_STREQ(s.c_str(), "123456789012345678901234567890");
}

TEST_F(FontTest, FacesAreMadePerLanguageAndFailuresFallBackToTheStockFont) {
    struct Case {
        uint32_t language;
        const char* face;
        int failures;
        bool result;
        bool owned;
        const char* family;
        bool notFoundTrace;
    };
    const Case cases[] = {
        {10, "Arial", 0, true, true, "Liberation Sans", false},
        {10, "Comic Sans MS", 0, true, true, "DejaVu Sans", true}, // the configuration's substitute
        {10, "Arial", 1, false, false, "DejaVu Sans", false},       // creation fails: the stock font
        {24, "Times New Roman", 0, true, false, "DejaVu Sans", false},
        {39, "Nowhere", 1, true, false, "DejaVu Sans", false},
    };
    for (const Case& c : cases) {
        SetLanguage(c.language);
        debug().Clear();
        plat::fonts().script().failCreate = c.failures;
        OSysFont font;
        EXPECT_EQ(font.CreateFontByName(c.face), c.result) << c.face;
        EXPECT_EQ(font.IsOwned(), c.owned) << c.face;
        EXPECT_EQ(font.GetKind(), 0);
        EXPECT_EQ(font.Handle()->Family(), c.family) << c.face;
        EXPECT_EQ(traced().find("Font not found!!!") != std::string::npos, c.notFoundTrace) << c.face;
    }
}

TEST_F(FontTest, SizesBecomeEmHeightsAndResizingMakesTheKindAgain) {
    auto lineHeight = [](int16_t points) {
        OSysFont font;
        font.SetSize(points);
        EXPECT_TRUE(font.CreateFont(3));
        return font.Handle()->Metrics().height;
    };
    EXPECT_EQ(lineHeight(0), lineHeight(12)); // 0 or less means 12 points
    EXPECT_EQ(lineHeight(-5), lineHeight(12));
    EXPECT_LT(lineHeight(12), lineHeight(24));
    debug().Clear();
    EXPECT_EQ(lineHeight(5000), lineHeight(OSysFont::kMaxPointSize));
    EXPECT_NE(traced().find("5000 points is past the largest size"), std::string::npos);

    OSysFont font;
    font.SetSize(30); // not made yet: nothing is made
    EXPECT_EQ(font.GetKind(), OSysFont::kNoKind);
    EXPECT_EQ(font.Handle(), plat::fonts().Stock().get());
    font.CreateFont(1);
    const int32_t before = font.Handle()->Metrics().height;
    font.SetSize(10);
    EXPECT_EQ(font.Handle()->Family(), "Liberation Mono");
    EXPECT_LT(font.Handle()->Metrics().height, before);
}

TEST_F(FontTest, TheDefaultFontIsMadeOnFirstUseAndSetUpOnlyOnce) {
    OSysFont* font = GetDefaultSysFont();
    EXPECT_EQ(font->GetKind(), OSysFont::kNoKind);
    SetDefaultSysFont(1);
    EXPECT_EQ(GetDefaultSysFont(), font);
    EXPECT_EQ(font->GetSize(), 10);
    EXPECT_EQ(font->GetKind(), 1);
    SetDefaultSysFont(3);
    EXPECT_EQ(font->GetKind(), 1);
    EXPECT_EQ(font->Handle()->Family(), "Liberation Mono");
    char name[32] = {};
    EXPECT_TRUE(xFont_GetStandardName(2, name));
    EXPECT_STREQ(name, "Comic Sans MS");
    EXPECT_FALSE(xFont_GetStandardName(4, name));
}

TEST_F(FontTest, TextsMeasureAsTheyAreDrawnLineByLine) {
    auto surface = Surface(200, 100, 16);
    OSysFont font;
    font.CreateFontByName("Arial");
    const int32_t h = font.GetLineHeight(surface.get());
    ASSERT_GT(h, 0);
    const int32_t widest = font.GetTextWidth("Hello there", surface.get());
    for (const char* text : {"Hi\rHello there\rx", "Hi\nHello there\nx", "Hi\r\nHello there\r\nx"}) {
        CPoint16 out;
        const CPoint16 size = font.MeasureText(text, surface.get(), &out, nullptr);
        EXPECT_EQ(size, out);
        EXPECT_EQ(size, CPoint16(int16_t(widest), int16_t(3 * h))) << text;
    }
    EXPECT_EQ(font.MeasureText("", surface.get(), nullptr, nullptr), CPoint16());
    EXPECT_EQ(font.MeasureText(nullptr, surface.get(), nullptr, nullptr), CPoint16());
    EXPECT_EQ(font.MeasureText("abc", nullptr, nullptr, nullptr), CPoint16());
    CPixelSurface noContext;
    noContext.Create(10, 10, 16);
    EXPECT_EQ(font.MeasureText("abc", &noContext, nullptr, nullptr), CPoint16());
    EXPECT_EQ(font.GetLineHeight(&noContext), 0);
}

TEST_F(FontTest, UnderWordWrapTheBlanksEndingALineAreNotMeasured) {
    auto surface = Surface(200, 100, 16);
    OSysFont font;
    font.CreateFontByName("Courier New");
    const int32_t cell = font.GetCharWidth('a', surface.get());
    const int32_t h = font.GetLineHeight(surface.get());
    ASSERT_GT(cell, 0);
    CTextStyle wrapped;
    wrapped.wordWrap = 1;
    const CTextStyle unwrapped;
    struct Case {
        const char* text;
        const CTextStyle* style;
        int32_t columns;
        int32_t lines;
    };
    const Case cases[] = {
        {"ab  ", &wrapped, 2, 1},     {"ab  \r\ncde   ", &wrapped, 3, 2}, {"  ab", &wrapped, 4, 1},
        {"a  b ", &wrapped, 4, 1},    {"   \rab", &wrapped, 2, 2},      {"ab  ", &unwrapped, 4, 1},
        {"ab  ", nullptr, 4, 1},
    };
    for (const Case& c : cases) {
        const CPoint16 size = font.MeasureText(c.text, surface.get(), nullptr, c.style);
        EXPECT_EQ(size, CPoint16(int16_t(c.columns * cell), int16_t(c.lines * h))) << c.text;
    }
    EXPECT_EQ(font.GetTextWidth("ab ", surface.get()), 3 * cell); // a caret after the blank stays there
}

TEST_F(FontTest, ALongTextIsDrawnWhole) {
    OSysFont font;
    font.SetSize(8);
    font.CreateFontByName("Courier New");
    std::string text;
    for (int line = 0; line < 100; ++line) text += std::string(29, char('a' + line % 26)) + "\r";
    text += "last";
    ASSERT_GT(text.size(), 3000u);
    auto probe = Surface(8, 8, 16);
    const CPoint16 size = font.MeasureText(text.c_str(), probe.get(), nullptr, nullptr);
    const int32_t h = font.GetLineHeight(probe.get());
    EXPECT_EQ(size.y, 101 * h);
    auto surface = Surface(size.x, size.y, 16);
    const uint32_t white = 0xFFFFFF;
    CTextStyle style;
    style.textColor = &white;
    surface->Lock(); // a locked surface is unlocked for the draw and locked again
    font.DrawTextInRect(text.c_str(), surface.get(), CClipRect(0, 0, size.x, size.y), CClipRect(0, 0, size.x, size.y),
                        &style);
    EXPECT_TRUE(surface->IsLocked());
    surface->Unlock();
    bool lastLineLit = false;
    for (int y = size.y - h; y < size.y && !lastLineLit; ++y)
        for (int x = 0; x < size.x && !lastLineLit; ++x) lastLineLit = Changed(*surface, x, y);
    EXPECT_TRUE(lastLineLit);
}

TEST_F(FontTest, RightToLeftDrawsAreTracedEachTime) {
    auto surface = Surface(100, 30, 16);
    OSysFont font;
    font.CreateFont(0);
    const uint32_t colour = 0xFFFFFF;
    CTextStyle style;
    style.textColor = &colour;
    style.direction = kTextRightToLeft;
    for (int i = 0; i < 2; ++i)
        font.DrawTextInRect("abc!", surface.get(), CClipRect(0, 0, 100, 30), CClipRect(0, 0, 100, 30), &style);
    const std::string line = "Right to left text rendering supported only for Arabic and Hebrew\n";
    EXPECT_EQ(traced(), line + line);
}

} // namespace
} // namespace vqt::test
