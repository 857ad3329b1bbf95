// The effect and caption views: lazy rendering, palettes, the bevelled border, blended copies,
// the lit spans of transparent caption views and the margin their text keeps inside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <memory>
#include <vector>

#include "engine/core/Event.h"
#include "engine/blit/ColorPalette.h"
#include "engine/media/TextCView.h"
#include "engine/media/TextFXView.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/engine/media/TextFixture.h"

namespace vqt::test {
namespace {

/// A view of either kind that counts its renders.
template <class View>
class Counted : public View {
public:
    int renders = 0;

protected:
    void Render() override {
        ++renders;
        View::Render();
    }
};

class RenderViewTest : public TextTest {
protected:
    void TearDown() override {
        parent.DestroyChildren(); // their surfaces belong to this test's services
        TextTest::TearDown();
    }
    /// A view of that size (its text surface made at the stage's 16 bits) under a parent, with
    /// the Arial font of the default font, shown.
    template <class View>
    View& Make(int16_t w, int16_t h, const char* text) {
        GetDefaultSysFont()->CreateFontByName("Arial");
        auto* view = new View;
        parent.AddChild(view);
        view->SetPosition(CPointF(w / 2, h / 2), 0, 0);
        view->SetSize(CPoint16(w, h), 0);
        view->UseFont(GetDefaultSysFont(), false);
        view->SetText(text);
        return *view;
    }
    OActivityProp parent{"parent", OActivityProp::kClassId};
};

TEST_F(RenderViewTest, AHiddenViewRendersOnlyOnceShownAndThenOnlyWhenChanged) {
    auto& fx = Make<Counted<OTextFXView>>(60, 20, "one");
    auto& c = Make<Counted<OTextCView>>(60, 20, "one");
    parent.SetVisible(0, 0);
    for (int i = 0; i < 2; ++i) {
        fx.OnIdle();
        c.OnIdle();
    }
    EXPECT_EQ(fx.renders + c.renders, 0);
    parent.SetVisible(1, 0);
    for (int i = 0; i < 3; ++i) {
        fx.OnIdle();
        c.OnIdle();
    }
    EXPECT_EQ(fx.renders, 1);
    EXPECT_EQ(c.renders, 1);
    // Word wrap changes what is drawn: it asks for a render too.
    fx.SetWordWrap(1);
    c.SetWordWrap(1);
    EXPECT_TRUE(fx.IsDirty() && c.IsDirty());
    fx.OnIdle();
    c.OnIdle();
    EXPECT_EQ(fx.renders + c.renders, 4);
}

TEST_F(RenderViewTest, PaletteNoticesColourAn8BitTextSurfaceAndAskForARender) {
    auto& c = Make<OTextCView>(40, 20, "x");
    c.SetRequestedDepth(8);
    c.OnIdle();
    ASSERT_EQ(c.GetTextSurface()->GetBitsPerPixel(), 8);
    EXPECT_FALSE(c.IsDirty() || c.NeedsPaletteRefresh());
    CColorPalette palette;
    palette.SetEntry(7, 0x00FF8040);
    xEvent notice;
    notice.type = kEvPaletteNotice;
    notice.param2 = reinterpret_cast<uintptr_t>(&palette);
    EXPECT_EQ(c.HandleEvent(notice), 1);
    EXPECT_EQ(c.GetTextSurface()->OwnPalette()->GetEntry(7), 0x00FF8040u);
    EXPECT_TRUE(c.IsDirty() && c.NeedsPaletteRefresh());
    c.OnIdle();
    parent.RemoveChild(&c); // leaving the parent drops the refresh request
    EXPECT_TRUE(c.IsDirty());
    EXPECT_FALSE(c.NeedsPaletteRefresh());
    delete &c;
}

TEST_F(RenderViewTest, TheBorderIsThreeRingsOfTheBackColourAndNoneWithoutText) {
    auto& fx = Make<OTextFXView>(30, 16, "");
    fx.SetTransparent(0);
    fx.SetBackColor(200 | 100 << 8 | 30 << 16);
    fx.SetBorder(1);
    fx.OnIdle();
    CDrawSurface& s = *fx.GetTextSurface();
    const uint16_t back = PackColor555(200 | 100 << 8 | 30 << 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_EQ(Pixel16(s, x, y), back);

    fx.SetText(" ");
    fx.OnIdle();
    const uint16_t light = PackColor555(255 | 200 << 8 | 60 << 16);
    const uint16_t dark = PackColor555(100 | 50 << 8 | 15 << 16);
    const uint16_t ring[3][2] = {{light, dark}, {back, back}, {dark, light}}; // top/left, right/bottom
    for (int i = 0; i < 3; ++i) {
        for (int x = i + 1; x < 30 - i - 1; ++x) {
            EXPECT_EQ(Pixel16(s, x, i), ring[i][0]) << "top " << i;
            EXPECT_EQ(Pixel16(s, x, 15 - i), ring[i][1]) << "bottom " << i;
        }
        for (int y = i + 1; y < 16 - i - 1; ++y) {
            EXPECT_EQ(Pixel16(s, i, y), ring[i][0]) << "left " << i;
            EXPECT_EQ(Pixel16(s, 29 - i, y), ring[i][1]) << "right " << i;
        }
    }
    // The right column is drawn over the top row, the bottom row over the left column.
    EXPECT_EQ(Pixel16(s, 29, 0), dark);
    EXPECT_EQ(Pixel16(s, 0, 15), dark);
    EXPECT_EQ(Pixel16(s, 0, 0), light);
}

TEST_F(RenderViewTest, ABlendedCopyMixesEveryPixelByTheBlendLevel) {
    auto& fx = Make<OTextFXView>(50, 20, "Blend");
    fx.SetTransparent(0);
    fx.SetBackColor(0x204080);
    fx.SetBlend(1, 96);
    fx.OnIdle();
    auto stage = Memory16(50, 20, kPixelFormat565);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 50; ++x) oracle::Put16(const_cast<uint8_t*>(At(*stage, x, y)), uint16_t(x * 1311 + y * 977));
    fx.Draw(stage.get(), CPoint16(0, 0), CClipRect(0, 0, 50, 20), CClipRect(0, 0, 50, 20));
    CDrawSurface& text = *fx.GetTextSurface();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(Pixel16(*stage, x, y),
                      oracle::Blend(Pixel16(text, x, y), uint16_t(x * 1311 + y * 977), 96, kPixelFormat555,
                                    kPixelFormat565))
                << x << "," << y;
}

TEST_F(RenderViewTest, ATransparent16BitCaptionDrawsOnlyTheLitSpanOfEachRow) {
    auto& c = Make<OTextCView>(80, 40, "Spans\r  of\rrows");
    c.OnIdle();
    CDrawSurface& text = *c.GetTextSurface();
    ASSERT_EQ(c.GetRowSpans().size(), 40u);
    for (int y = 0; y < 40; ++y) {
        int first = -1, end = -1;
        for (int x = 0; x < 80; ++x)
            if (Pixel16(text, x, y) != 0) {
                if (first < 0) first = x;
                end = x + 1;
            }
        EXPECT_EQ(c.GetRowSpans()[y].first, first) << y;
        EXPECT_EQ(c.GetRowSpans()[y].end, end) << y;
    }
    auto stage = Memory16(100, 60, kPixelFormat565);
    // The whole view, then its left part only: spans are cut at the rectangle's right edge.
    for (const auto& [source, target] : {std::pair{CClipRect(0, 0, 80, 40), CClipRect(10, 10, 90, 50)},
                                         std::pair{CClipRect(5, 0, 30, 40), CClipRect(15, 10, 40, 50)}}) {
        Fill(*stage, 0x5A);
        c.Draw(stage.get(), CPoint16(0, 0), source, target);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 100; ++x) {
                const bool inside = x >= target.left && x < target.right && y >= target.top && y < target.bottom;
                const uint16_t from =
                    inside ? Pixel16(text, x - target.left + source.left, y - target.top + source.top) : 0;
                ASSERT_EQ(Pixel16(*stage, x, y), from ? oracle::Convert16(from, 1, 2) : 0x5A5A) << x << "," << y;
            }
    }
    // Rectangles of two sizes draw nothing.
    Fill(*stage, 0x5A);
    c.Draw(stage.get(), CPoint16(0, 0), CClipRect(0, 0, 80, 40), CClipRect(10, 10, 90, 49));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_FALSE(Changed(*stage, x, y));
    // A view made smaller has spans for its new rows.
    c.SetSize(CPoint16(80, 20), 0);
    c.OnIdle();
    ASSERT_EQ(c.GetRowSpans().size(), 20u);
    c.Draw(stage.get(), CPoint16(0, 0), CClipRect(0, 0, 80, 20), CClipRect(0, 0, 80, 20));
    bool lit = false;
    for (int y = 0; y < 20 && !lit; ++y)
        for (int x = 0; x < 80 && !lit; ++x) lit = Changed(*stage, x, y);
    EXPECT_TRUE(lit);
}

TEST_F(RenderViewTest, CentredSpansStayInsideTheDestinationRectangleAndSurface) {
    auto& c = Make<OTextCView>(60, 40, "low");
    c.SetCentreVertically(1);
    c.OnIdle();
    for (const CClipRect target : {CClipRect(40, 20, 100, 60), CClipRect(0, 0, 60, 40)}) {
        auto stage = Memory16(100, 60, kPixelFormat565);
        c.Draw(stage.get(), CPoint16(0, 0), CClipRect(0, 0, 60, 40), target);
        int lit = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 100; ++x) {
                if (!Changed(*stage, x, y)) continue;
                ++lit;
                ASSERT_TRUE(x >= target.left && x < target.right && y >= target.top && y < target.bottom);
            }
        EXPECT_GT(lit, 0);
    }
}

TEST_F(RenderViewTest, TransparentCaptionsOf8And24BitsAreCopiedWithColour0Transparent) {
    for (int16_t depth : {8, 24}) {
        auto& c = Make<OTextCView>(60, 20, "Mode one");
        c.SetRequestedDepth(depth);
        c.OnIdle();
        CDrawSurface& text = *c.GetTextSurface();
        ASSERT_EQ(text.GetBitsPerPixel(), depth);
        auto stage = Memory16(60, 20, kPixelFormat565);
        c.Draw(stage.get(), CPoint16(0, 0), CClipRect(0, 0, 60, 20), CClipRect(0, 0, 60, 20));
        int lit = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 60; ++x) {
                const uint8_t* p = At(text, x, y);
                const bool unlit = depth == 8 ? p[0] == 0 : (p[0] | p[1] | p[2]) == 0;
                lit += !unlit;
                ASSERT_EQ(Changed(*stage, x, y), !unlit) << depth << ": " << x << "," << y;
            }
        EXPECT_GT(lit, 0);
    }
}

/// A long text, left-aligned and word-wrapped on an opaque background, in a view of either kind
/// with a margin.
struct MarginCase {
    const char* what;
    bool effect; ///< an effect view, else a caption view
    int16_t margin;
    uint8_t border;
    uint8_t fit; ///< fitted to its text
};

const MarginCase kMarginCases[] = {
    {"a caption view keeps its wrapped lines inside its margin", false, 4, 0, 0},
    {"an effect view too, its border within the margin", true, 6, 1, 0},
    {"a view fitted to its text grows by the margin on every side", false, 5, 0, 1},
    {"without a margin the same lines reach the view's edge", true, 0, 0, 0},
};

TEST_F(RenderViewTest, TheTextKeepsItsMarginInsideTheViewWhereItIsDrawnAndLaidOut) {
    constexpr uint32_t kBack = 0x00402010u;
    constexpr int kRings = 3;
    const char* text = "The fireworks factory is saved and in record time!";
    for (const MarginCase& c : kMarginCases) {
        SCOPED_TRACE(c.what);
        OTextRenderView& view = c.effect ? static_cast<OTextRenderView&>(Make<OTextFXView>(150, 80, text))
                                         : Make<OTextCView>(150, 80, text);
        view.SetTransparent(0);
        view.SetBackColor(kBack);
        view.SetWordWrap(1);
        view.SetBorder(c.border);
        view.SetMargin(c.margin);
        if (c.fit) view.FitToText(1);
        view.OnIdle();
        CDrawSurface& s = *view.GetTextSurface();
        const int w = s.GetWidth(), h = s.GetHeight();
        ASSERT_EQ(w, view.GetWidth());
        // The text's pixels: neither the background nor the border's rings.
        const uint16_t back = PackColor555(kBack);
        int lit = 0, clearance = w + h;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool ring = c.border && std::min({x, y, w - 1 - x, h - 1 - y}) < kRings;
                if (ring || Pixel16(s, x, y) == back) continue;
                ++lit;
                clearance = std::min({clearance, x, y, w - 1 - x, h - 1 - y});
            }
        ASSERT_GT(lit, 0);
        const CRect16 box = view.GetScreenRect();
        const std::vector<CTextLine> lines = view.LaidOutLines();
        if (c.fit) EXPECT_EQ(lines.size(), 1u) << "the fitted view holds its text on one line";
        else ASSERT_GE(lines.size(), 2u) << "the text wraps";
        if (c.margin == 0) {
            EXPECT_LE(clearance, 1);
            continue;
        }
        EXPECT_GE(clearance, c.margin);
        for (const CTextLine& line : lines) {
            EXPECT_GE(line.ink.left - box.left, c.margin);
            EXPECT_GE(box.right - line.ink.right, c.margin);
            EXPECT_GE(line.ink.top - box.top, c.margin);
            EXPECT_GE(box.bottom - line.ink.bottom, c.margin);
        }
    }
}

TEST_F(RenderViewTest, ANewMarginRedrawsTheTextInsideIt) {
    constexpr uint32_t kBack = 0x00402010u;
    for (const bool effect : {true, false}) {
        SCOPED_TRACE(effect ? "effect view" : "caption view");
        OTextRenderView& view = effect ? static_cast<OTextRenderView&>(Make<OTextFXView>(120, 40, "Margin"))
                                       : Make<OTextCView>(120, 40, "Margin");
        view.SetTransparent(0);
        view.SetBackColor(kBack);
        view.OnIdle();
        ASSERT_FALSE(view.IsDirty());
        view.SetMargin(8);
        EXPECT_TRUE(view.IsDirty());
        view.OnIdle();
        CDrawSurface& s = *view.GetTextSurface();
        int lit = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x) {
                if (Pixel16(s, x, y) == PackColor555(kBack)) continue;
                ++lit;
                ASSERT_TRUE(x >= 8 && y >= 8 && x < 112 && y < 32) << x << "," << y << " is not inside the new margin";
            }
        EXPECT_GT(lit, 0);
    }
}

TEST_F(RenderViewTest, ACentredCaptionDropsItsTextByHalfTheRoomLeftRoundedDown) {
    for (const int16_t room : {7, 8}) {
        auto& probe = Make<OTextCView>(60, 20, "low");
        probe.OnIdle();
        const int32_t height = probe.GetTextHeight("low");
        ASSERT_GT(height, 0);
        const int16_t h = int16_t(height + room);
        auto& c = Make<OTextCView>(60, h, "low");
        c.SetCentreVertically(1);
        c.OnIdle();
        const int32_t drop = room / 2; // 3 of 7: the odd row stays below the text
        const std::vector<CTextLine> lines = c.LaidOutLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].cell.top - c.GetScreenRect().top, drop) << "room " << room;
        // The drawn spans stand that many rows lower than on the text surface.
        auto stage = Memory16(60, h, kPixelFormat565);
        c.Draw(stage.get(), CPoint16(0, 0), CClipRect(0, 0, 60, h), CClipRect(0, 0, 60, h));
        CDrawSurface& text = *c.GetTextSurface();
        int firstText = -1, firstDrawn = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < 60; ++x) {
                if (firstText < 0 && Pixel16(text, x, y) != 0) firstText = y;
                if (firstDrawn < 0 && Changed(*stage, x, y)) firstDrawn = y;
            }
        ASSERT_GE(firstText, 0);
        EXPECT_EQ(firstDrawn, firstText + drop) << "room " << room;
    }
}

/// A 16-bit surface whose rows start below guard rows of its block: drawing above its top row
/// lands in them.
class GuardedSurface : public CPixelSurface {
public:
    static constexpr int16_t kGuardRows = 16;
    uint8_t* Lock() override {
        uint8_t* block = CPixelSurface::Lock();
        return block ? block + int64_t(kGuardRows) * GetPitch() : nullptr;
    }
    int16_t GetHeight() override { return int16_t(CPixelSurface::GetHeight() - kGuardRows); }
    /// The guard rows' bytes.
    std::vector<uint8_t> Guard() {
        const uint8_t* block = CPixelSurface::Lock();
        return std::vector<uint8_t>(block, block + int64_t(kGuardRows) * GetPitch());
    }
};

TEST_F(RenderViewTest, SpansAboveTheDestinationsTopAreNotDrawn) {
    auto& c = Make<OTextCView>(80, 40, "Spans\rof rows");
    c.OnIdle();
    GuardedSurface stage;
    ASSERT_TRUE(stage.Create(100, int16_t(60 + GuardedSurface::kGuardRows), 16));
    stage.SetPixelFormat(kPixelFormat565);
    {
        uint8_t* block = stage.CPixelSurface::Lock();
        std::memset(block, 0x5A, size_t(stage.GetPitch()) * size_t(60 + GuardedSurface::kGuardRows));
    }
    ASSERT_EQ(stage.GetHeight(), 60);
    const std::vector<uint8_t> guard = stage.Guard();
    // The view's top 12 rows lie above the destination.
    const CClipRect source(0, 0, 80, 40), target(10, -12, 90, 28);
    c.Draw(&stage, CPoint16(0, 0), source, target);
    EXPECT_EQ(stage.Guard(), guard) << "nothing is drawn above the destination";
    CDrawSurface& text = *c.GetTextSurface();
    int lit = 0;
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= 10 && x < 90;
            const uint16_t from = inside ? Pixel16(text, x - 10, y + 12) : 0;
            lit += from != 0;
            ASSERT_EQ(Pixel16(stage, x, y), from ? oracle::Convert16(from, 1, 2) : 0x5A5A) << x << "," << y;
        }
    EXPECT_GT(lit, 0);
}

/// A one-line text in a direction and alignment.
struct InsetCase {
    int16_t direction;
    int32_t alignment;
};

TEST_F(RenderViewTest, AMarginOnlyInsetsTheTextInEveryDirectionAndAlignment) {
    constexpr uint32_t kBack = 0x00402010u;
    constexpr int16_t kW = 140, kH = 48, kMargin = 6;
    const InsetCase kCases[] = {{kTextLeftToRight, kAlignLeft}, {kTextLeftToRight, kAlignCentre},
                                {kTextRightToLeft, kAlignLeft}, {kTextRightToLeft, kAlignRight},
                                {kTextBaseline, kAlignLeft},    {kTextBaseline, kAlignCentre}};
    for (const bool effect : {true, false})
        for (const InsetCase& c : kCases) {
            SCOPED_TRACE(std::string(effect ? "effect" : "caption") + " view, direction " + std::to_string(c.direction) +
                         ", alignment " + std::to_string(c.alignment));
            // The text drawn without a margin, then with one.
            std::vector<std::vector<bool>> lit[2];
            for (const int16_t margin : {int16_t(0), kMargin}) {
                OTextRenderView& view = effect ? static_cast<OTextRenderView&>(Make<OTextFXView>(kW, kH, "Quiet jog py"))
                                               : Make<OTextCView>(kW, kH, "Quiet jog py");
                view.SetTransparent(0);
                view.SetBackColor(kBack);
                view.SetWordWrap(1);
                view.SetDirection(uint16_t(c.direction));
                view.SetAlignment(c.alignment);
                view.SetMargin(margin);
                view.OnIdle();
                CDrawSurface& s = *view.GetTextSurface();
                auto& pixels = lit[margin != 0];
                pixels.assign(kH, std::vector<bool>(kW, false));
                for (int y = 0; y < kH; ++y)
                    for (int x = 0; x < kW; ++x) pixels[size_t(y)][size_t(x)] = Pixel16(s, x, y) != PackColor555(kBack);
            }
            // Moved by the inset: down by the margin, sideways by it as the alignment takes it.
            const int dx = c.alignment == kAlignLeft ? kMargin : c.alignment == kAlignRight ? -kMargin : 0;
            int shown = 0, moved = 0;
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    const bool inside = x >= kMargin && y >= kMargin && x < kW - kMargin && y < kH - kMargin;
                    const bool was = inside && lit[0][size_t(y - kMargin)][size_t(x - dx)];
                    shown += lit[1][size_t(y)][size_t(x)];
                    moved += lit[1][size_t(y)][size_t(x)] != was;
                }
            EXPECT_GT(shown, 0);
            EXPECT_EQ(moved, 0) << "pixels that the margin did more to than inset";
        }
}

} // namespace
} // namespace vqt::test
