// Every kind of text view reports its lines where it draws them: drawn white on a black stage,
// each lit pixel lies in a reported line's ink, each line wholly inside the view reaches lit
// pixels on all four sides, and a view drawn in bands, as dirty rectangles cut it, lights the
// very pixels of a whole draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/View.h"
#include "engine/media/TextCView.h"
#include "engine/media/TextDEditView.h"
#include "engine/media/TextFXEditView.h"
#include "engine/media/TextFXView.h"
#include "engine/media/TextIMEView.h"
#include "engine/media/TextRenderView.h"
#include "tests/engine/media/TextFixture.h"

namespace vqt::test {
namespace {

enum class Kind { kD, kDBuffered, kDEdit, kIme, kFx, kFxEdit, kC };

struct InkCase {
    const char* name;
    Kind kind;
    const char* text = "Ink of\rtwo lines";
    int32_t alignment = kAlignLeft;
    uint16_t direction = kTextLeftToRight;
    bool centreVertically = false;
    bool opaque = false;
    int16_t depth = -1; ///< the caption view's requested depth
    bool wordWrap = false;
    bool fit = false;
    int16_t margin = 0; ///< an effect or caption view's
};

/// Lines whose first stands above a view that sets it on its baseline: the descenders show.
constexpr const char* kOnBaseline = "gyp jog\rInk\rlow";

constexpr CRect16 kStage(0, 0, 240, 140);
/// Ink may reach a pixel past the lit ones: a glyph's faintest edge can round to black.
constexpr int kSlack = 1;
/// Rows of each band of the banded draw.
constexpr int16_t kBand = 7;

class TextInkTest : public TextTest {
protected:
    void TearDown() override {
        parent.DestroyChildren(); // their surfaces belong to this test's services
        TextTest::TearDown();
    }

    static OTextView* New(Kind kind) {
        switch (kind) {
        case Kind::kD:
        case Kind::kDBuffered: return new OTextDView;
        case Kind::kDEdit: return new OTextDEditView;
        case Kind::kIme: return new OTextIMEView;
        case Kind::kFx: return new OTextFXView;
        case Kind::kFxEdit: return new OTextFXEditView;
        case Kind::kC: return new OTextCView;
        }
        return nullptr;
    }

    /// The case's view, 200 x 100 from (20, 20), white on black, not editing, rendered.
    OTextView& Make(const InkCase& c) {
        GetDefaultSysFont()->CreateFontByName("Arial");
        OTextView* view = New(c.kind);
        parent.AddChild(view);
        view->SetPosition(CPointF(120, 70), 0, 0);
        view->SetSize(CPoint16(200, 100), 0);
        view->UseFont(GetDefaultSysFont(), false);
        view->SetDirection(c.direction);
        view->SetAlignment(c.alignment);
        view->SetWordWrap(c.wordWrap ? 1 : 0);
        view->SetTransparent(c.opaque ? 0 : 1);
        view->SetTextColor(0x00FFFFFFu);
        view->SetBackColor(0); // an opaque view's fill lights nothing
        if (auto* d = dynamic_cast<OTextDView*>(view)) {
            d->SetCentreVertically(c.centreVertically ? 1 : 0);
            d->SetBuffered(c.kind == Kind::kDBuffered ? 1 : 0);
        }
        if (auto* caption = dynamic_cast<OTextCView*>(view)) {
            caption->SetCentreVertically(c.centreVertically ? 1 : 0);
            caption->SetRequestedDepth(c.depth);
        }
        // The caret is no ink of the text.
        if (auto* entry = dynamic_cast<OTextDEditView*>(view)) entry->SetEditing(false);
        if (auto* entry = dynamic_cast<OTextIMEView*>(view)) entry->SetEditing(false);
        if (auto* entry = dynamic_cast<OTextFXEditView*>(view)) entry->SetEditing(false);
        if (auto* rendered = dynamic_cast<OTextRenderView*>(view)) rendered->SetMargin(c.margin);
        view->SetText(c.text);
        if (c.fit) view->FitToText(1);
        view->OnIdle();
        return *view;
    }

    /// Draws the view onto a black stage in bands of that many rows, as the window draws the
    /// parts of it its dirty rectangles hold.
    static std::unique_ptr<CTextDIBSurface> Drawn(OTextView& view, int16_t band) {
        auto stage = Surface(kStage.right, kStage.bottom, 16, 0);
        const CRect16 whole = view.GetScreenRect();
        for (int16_t top = whole.top; top < whole.bottom; top = int16_t(top + band)) {
            const CRect16 part(whole.left, top, whole.right, std::min<int16_t>(int16_t(top + band), whole.bottom));
            view.Draw(stage.get(), CPoint16(0, 0), ToClip(part.Offset(-whole.left, -whole.top)), ToClip(part));
        }
        return stage;
    }

    OActivityProp parent{"parent", OActivityProp::kClassId};
};

uint16_t Pixel(CDrawSurface& stage, int x, int y) {
    return oracle::Get16(stage.Lock() + int64_t(stage.GetPitch()) * y + 2 * x);
}

bool LitIn(CDrawSurface& stage, const CRect16& r) {
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, stage.GetHeight()); ++y)
        for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, stage.GetWidth()); ++x)
            if (Pixel(stage, x, y) != 0) return true;
    return false;
}

std::string Describe(const CRect16& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

/// What the reported lines and the lit pixels disagree on.
std::vector<std::string> InkFaults(OTextView& view, CDrawSurface& stage) {
    std::vector<std::string> faults;
    const CRect16 shown = view.GetScreenRect();
    std::vector<CRect16> inks;
    int whole = 0;
    for (const CTextLine& line : view.LaidOutLines()) {
        const CRect16 ink = FromClip(line.ink);
        const CRect16 inside = ink.Intersect(shown);
        if (inside.IsEmpty()) continue;
        inks.push_back(inside);
        if (inside != ink) continue;
        ++whole;
        // Each side of the ink holds lit pixels within the slack.
        const CRect16 sides[] = {
            {ink.left, ink.top, ink.right, int16_t(ink.top + 1 + kSlack)},
            {ink.left, int16_t(ink.bottom - 1 - kSlack), ink.right, ink.bottom},
            {ink.left, ink.top, int16_t(ink.left + 1 + kSlack), ink.bottom},
            {int16_t(ink.right - 1 - kSlack), ink.top, ink.right, ink.bottom},
        };
        const char* names[] = {"top", "bottom", "left", "right"};
        for (int s = 0; s < 4; ++s)
            if (!LitIn(stage, sides[s])) faults.push_back("nothing lit along the " + std::string(names[s]) +
                                                          " of the reported ink " + Describe(ink));
    }
    if (whole == 0) faults.push_back("no reported line lies wholly inside the view " + Describe(shown));
    int lit = 0;
    for (int y = 0; y < stage.GetHeight(); ++y)
        for (int x = 0; x < stage.GetWidth(); ++x) {
            if (Pixel(stage, x, y) == 0) continue;
            ++lit;
            const bool covered =
                std::any_of(inks.begin(), inks.end(), [&](const CRect16& r) { return r.ContainsPoint(x, y); });
            if (!covered && faults.size() < 8)
                faults.push_back("lit (" + std::to_string(x) + "," + std::to_string(y) + ") lies in no reported ink");
        }
    if (lit == 0) faults.push_back("nothing lit");
    return faults;
}

bool SamePixels(CDrawSurface& a, CDrawSurface& b) {
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
            if (Pixel(a, x, y) != Pixel(b, x, y)) return false;
    return true;
}

TEST_F(TextInkTest, EachReportedLineIsWhereItsInkIsDrawn) {
    const InkCase cases[] = {
        {.name = "direct", .kind = Kind::kD},
        {.name = "direct, centred vertically, right-aligned", .kind = Kind::kD, .alignment = kAlignRight,
         .centreVertically = true},
        {.name = "direct, right to left", .kind = Kind::kD, .direction = kTextRightToLeft},
        {.name = "direct, on its baseline", .kind = Kind::kD, .text = kOnBaseline, .direction = kTextBaseline},
        {.name = "buffered, centred, opaque", .kind = Kind::kDBuffered, .alignment = kAlignCentre, .opaque = true},
        {.name = "entry", .kind = Kind::kDEdit, .alignment = kAlignCentre},
        {.name = "input method, centred vertically", .kind = Kind::kIme, .centreVertically = true},
        {.name = "effect", .kind = Kind::kFx},
        {.name = "effect, right to left on the surface's top", .kind = Kind::kFx, .text = kOnBaseline,
         .direction = kTextRightToLeft},
        {.name = "effect, word-wrapped and centred", .kind = Kind::kFx,
         .text = "a caption long enough to wrap over the width of its view", .alignment = kAlignCentre,
         .wordWrap = true},
        {.name = "effect, fitted to its text", .kind = Kind::kFx, .fit = true},
        {.name = "effect entry, right-aligned, opaque", .kind = Kind::kFxEdit, .alignment = kAlignRight,
         .opaque = true},
        {.name = "caption spans, centred vertically", .kind = Kind::kC, .text = "Centred", .centreVertically = true},
        {.name = "caption spans, right to left", .kind = Kind::kC, .text = kOnBaseline,
         .direction = kTextRightToLeft},
        {.name = "caption, opaque, centring asked", .kind = Kind::kC, .centreVertically = true, .opaque = true},
        {.name = "caption of 8 bits, centring asked", .kind = Kind::kC, .centreVertically = true, .depth = 8},
        {.name = "caption of 24 bits, centred", .kind = Kind::kC, .alignment = kAlignCentre, .depth = 24},
        // A margin only insets the text, in every direction: the lines are reported so too.
        {.name = "effect, right to left, in a margin", .kind = Kind::kFx, .text = kOnBaseline,
         .direction = kTextRightToLeft, .margin = 6},
        {.name = "effect on its baseline, right-aligned, in a margin", .kind = Kind::kFx, .text = kOnBaseline,
         .alignment = kAlignRight, .direction = kTextBaseline, .margin = 6},
        {.name = "caption spans, right to left, in a margin", .kind = Kind::kC, .text = kOnBaseline,
         .direction = kTextRightToLeft, .margin = 6},
        {.name = "caption, word-wrapped and centred, in a margin", .kind = Kind::kC,
         .text = "a caption long enough to wrap over the width of its view", .alignment = kAlignCentre,
         .wordWrap = true, .margin = 6},
        {.name = "caption fitted to its text, in a margin", .kind = Kind::kC, .fit = true, .margin = 6},
    };
    for (const InkCase& c : cases) {
        SCOPED_TRACE(c.name);
        OTextView& view = Make(c);
        auto whole = Drawn(view, view.GetHeight());
        const std::vector<std::string> faults = InkFaults(view, *whole);
        EXPECT_TRUE(faults.empty()) << testing::PrintToString(faults);
        EXPECT_TRUE(SamePixels(*whole, *Drawn(view, kBand))) << "drawn in bands of " << kBand << " rows";
        parent.DestroyChildren();
    }
}

} // namespace
} // namespace vqt::test
