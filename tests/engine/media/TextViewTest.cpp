// The text view base and OTextDView: properties, texts in the current language, the font the
// data asks for, fonts it takes, drawing into the stage and fitting the view to its text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/media/TextDView.h"
#include "engine/media/TextFXView.h"
#include "tests/engine/media/TextFixture.h"

namespace vqt::test {
namespace {

constexpr uint32_t kText = OTextView::kClassId;

/// A font the D view must refuse: it does not answer to OSysFont's class id.
class PlainFont : public OSysFont {
public:
    bool IsA(uint32_t id) const override { return id == OFont::kClassId || id == OObject::kClassId; }
};

/// The payload a view reports for one property of `size` bytes.
std::vector<uint8_t> Report(OTextView& view, uint32_t family, uint32_t id, uint32_t size) {
    std::vector<uint8_t> buffer(OPropertyMsg::kHeaderSize + size, 0xEE);
    auto* msg = reinterpret_cast<OPropertyMsg*>(buffer.data());
    *msg = OPropertyMsg{0, family, id, size};
    EXPECT_TRUE(view.HandleProperty(msg, 0));
    return {msg->Payload(), msg->Payload() + size};
}

template <class T>
std::vector<uint8_t> HostBytes(T v) {
    std::vector<uint8_t> out(sizeof v);
    std::memcpy(out.data(), &v, sizeof v);
    return out;
}

TEST_F(TextViewTest, PropertiesOfBothFamiliesReadBackAsStored) {
    xProfiles_Set("TEXTDIRECTION", sShort(2));
    PropertyBytes p;
    p.Short(kText, 1, 5).Long(kText, 2, 24).Long(kText, 3, 1).Long(kText, 4, 2).Long(kText, 5, 3).Long(kText, 6, 1)
        .Short(kText, 7, 18).Byte(kText, 8, 1).Long(kText, 9, 0x112233).Long(kText, 10, 0x445566)
        .Text(kText, 11, "Arial").Text(kText, 12, "Second").Short(kText, 13, 0).Long(kText, 30, 7).Byte(76, 1, 1);
    auto view = Load<OTextDView>(p);
    const std::pair<uint32_t, std::vector<uint8_t>> expected[] = {
        {1, HostBytes<uint16_t>(5)},        {2, HostBytes<int32_t>(24)},       {3, HostBytes<uint32_t>(1)},
        {4, HostBytes<uint32_t>(2)},        {5, HostBytes<int32_t>(3)},        {6, HostBytes<int32_t>(1)},
        {7, HostBytes<int16_t>(18)},        {8, {1}},                          {9, HostBytes<uint32_t>(0x112233)},
        {10, HostBytes<uint32_t>(0x445566)}, {13, HostBytes<uint16_t>(2)}, // a direction of 0 is not taken
    };
    for (const auto& [id, bytes] : expected) EXPECT_EQ(Report(*view, kText, id, uint32_t(bytes.size())), bytes) << id;
    const std::vector<uint8_t> face = Report(*view, kText, 11, OTextView::kNameBytes);
    EXPECT_STREQ(reinterpret_cast<const char*>(face.data()), "Arial");
    const std::vector<uint8_t> second = Report(*view, kText, 12, OTextView::kNameBytes);
    EXPECT_STREQ(reinterpret_cast<const char*>(second.data()), "Second");
    EXPECT_EQ(Report(*view, 76, 1, 1), std::vector<uint8_t>{1});
    // The data's settings are in use after loading.
    EXPECT_EQ(view->GetWordWrap(), 1);
    EXPECT_EQ(view->GetAlignment(), 2);
    EXPECT_EQ(view->IsTransparent(), 1);
    EXPECT_EQ(view->GetTextColor(), 0x112233u);
    EXPECT_EQ(view->GetBackColor(), 0x445566u);
    EXPECT_EQ(view->CentresVertically(), 1);

    auto cleared = Load<OTextDView>(PropertyBytes().Text(kText, 11, "0").Short(kText, 13, 1));
    EXPECT_STREQ(cleared->GetFaceName(), "");
    EXPECT_EQ(cleared->GetDirection(), 1);
}

TEST_F(TextViewTest, TextsComeInTheAskedLanguageElseLanguage10ElseStayAsTheyWere) {
    ChunkFileBuilder b;
    const uint8_t utxt = b.AddIndex("utxt", 8, 4);
    b.AddChunk(utxt, TextRecords({{.id = 10, .text = u"ten"}, {.id = 24, .text = u"twenty-four"}}), {.entry = 1});
    b.AddChunk(utxt, TextRecords({{.id = 24, .text = u"only twenty-four"}}), {.entry = 2});
    UsePartFile(b);
    SetLanguage(24);
    struct Case {
        uint16_t entry;
        int32_t language;
        const char* text;
    };
    const Case cases[] = {{1, -1, "twenty-four"}, {1, -2, "ten"}, {1, 25, "ten"}, {1, 10, "ten"}, {2, 10, ""}};
    for (const Case& c : cases) {
        auto view = Load<OTextDView>(PropertyBytes().Short(kText, 1, int16_t(c.entry)).Long(kText, 2, uint32_t(c.language)));
        EXPECT_STREQ(view->GetTextPtr(), c.text) << c.entry << " " << c.language;
    }
}

TEST_F(TextViewTest, TheFontComesFromTheFaceTheDefaultFaceOrTheKind) {
    struct Case {
        const char* defaultFace;
        const char* face;
        int32_t kind;
        const char* family;
    };
    const Case cases[] = {
        {"", "Courier New", -1, "Liberation Mono"},
        {"Times New Roman", "0", -1, "Liberation Serif"},
        {"Times New Roman", "Arial", 1, "Liberation Sans"},
        {"", "", 1, "Liberation Mono"},
        {"", "", 9, "DejaVu Sans"}, // a kind past 3 counts as 0, "System"
    };
    for (const Case& c : cases) {
        xProfiles_Set("DEFWINFONT", c.defaultFace);
        auto view = Load<OTextDView>(PropertyBytes().Text(kText, 11, c.face).Long(kText, 5, uint32_t(c.kind)));
        EXPECT_TRUE(view->OwnsFont());
        EXPECT_EQ(Family(*view), c.family) << c.face << " " << c.kind;
    }
    xProfiles_Set("DEFWINFONT", "");
    debug().Clear();
    plat::fonts().script().failCreate = 1;
    auto failed = Load<OTextDView>(PropertyBytes().Text(kText, 11, "Arial"));
    EXPECT_NE(traced().find("Load font failed for font : Arial\n"), std::string::npos);
    EXPECT_EQ(Family(*failed), "DejaVu Sans");
}

TEST_F(TextViewTest, OnlyEffectAndCaptionViewsTakeAFontThatIsNotASystemFont) {
    auto* plain = new PlainFont;
    OTextDView direct;
    EXPECT_FALSE(direct.UseFont(plain, true));
    EXPECT_EQ(direct.GetFont(), nullptr);
    OTextFXView effect;
    EXPECT_TRUE(effect.UseFont(plain, true)); // owned from now on
    EXPECT_EQ(effect.GetFont(), plain);
    char text[4];
    effect.SetText("abcdef");
    effect.GetText(text, sizeof text);
    EXPECT_STREQ(text, "abc");
}

TEST_F(TextViewTest, AnOpaqueViewFillsItsRectangleWhereItIsDrawn) {
    auto stage = Surface(100, 60, 16);
    OTextDView view;
    view.SetPosition(CPointF(50, 30), 0, 0);
    view.SetSize(CPoint16(40, 20), 0);
    view.SetTransparent(0);
    view.SetBackColor(0x0000FF); // red
    view.SetDrawWhenEmpty(1);
    const uint16_t red = PackColor555(0x0000FF);
    struct Case {
        CClipRect source, target;
        int rotation;
    };
    const Case cases[] = {{{0, 0, 40, 20}, {30, 20, 70, 40}, 0},
                          {{0, 0, 20, 20}, {30, 20, 50, 40}, 0}, // only the part being drawn
                          {{0, 0, 40, 20}, {30, 20, 70, 40}, 45}};
    for (const Case& c : cases) {
        Fill(*stage, 0x5A);
        view.SetRotation(c.rotation);
        view.Draw(stage.get(), CPoint16(0, 0), c.source, c.target);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 100; ++x) {
                const bool inside = c.rotation == 0 && x >= c.target.left && x < c.target.right &&
                                    y >= c.target.top && y < c.target.bottom;
                ASSERT_EQ(Pixel16(*stage, x, y), inside ? red : 0x5A5A) << x << "," << y;
            }
    }
}

TEST_F(TextViewTest, FittingMakesTheViewTheSizeOfItsLinesAndCanBeAskedAgain) {
    OTextDView* view = CreateTextDView(100, 100, 10, 10, nullptr);
    ASSERT_NE(view, nullptr);
    std::unique_ptr<OTextDView> owner(view);
    OSysFont* font = GetDefaultSysFont();
    font->CreateFontByName("Arial");
    CDrawSurface* own = view->GetOwnSurface();
    const int32_t h = font->GetLineHeight(own);
    view->SetText("Hello\nthe longest line here");
    view->FitToText(1);
    EXPECT_EQ(view->GetSize(), CPoint16(int16_t(font->GetTextWidth("the longest line here", own)), int16_t(2 * h)));
    EXPECT_EQ(view->GetFitToText(), 0);
    EXPECT_EQ(view->GetOwnSurface()->GetWidth(), view->GetWidth());
    view->SetText("a\rb\rc");
    view->FitToText(1);
    EXPECT_EQ(view->GetHeight(), 3 * h);
}

} // namespace
} // namespace vqt::test
