// The counter panel that the game object keeps on the main window: shown by a screen's start
// panel mode, its numbers beside their icons, the zero marks of counters 0 and 1, parking and
// releasing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Window.h"
#include "engine/media/TextDView.h"
#include "game/shell/CounterPanel.h"
#include "tests/game/shell/GameActivityFixture.h"

namespace vqt::test {
namespace {

class CounterPanelTest : public GameActivityFixture {
protected:
    /// Counters 0 to 3 in mode 1 with the button part as their icons, zeros hidden on 0 and 1.
    CCounterPanel* SetUpCounters() {
        CCounterPanel* panel = app->GetCounterPanel();
        panel->SetMode(1);
        for (int i = 0; i < CCounterPanel::kCounters; ++i)
            panel->SetCounter(i, MakeChunkId(2, kButtonPart), &values[i], 0x00FFFF00, i == 0 || i == 1, int16_t(10 * i));
        return panel;
    }
    /// What a counter shows: its number's text, "mark" for the zero mark, or "" for nothing.
    std::string Shown(const CCounterPanel* panel, int index) {
        const OTextDView* number = panel->GetNumber(index);
        const OActivityProp* mark = panel->GetZeroMark(index);
        const bool markShown = mark && mark->IsVisible();
        if (number && number->IsVisible()) return markShown ? "both" : number->GetTextPtr();
        return markShown ? "mark" : "";
    }

    uint16_t values[CCounterPanel::kCounters] = {};
};

TEST_F(CounterPanelTest, TheGameObjectParksItAndAScreensStartPanelModeShowsIt) {
    CCounterPanel* panel = app->GetCounterPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_STREQ(panel->GetName(), "Status_Bar");
    EXPECT_TRUE(panel->IsA(CCounterPanel::kClassId));
    EXPECT_EQ(panel->GetParent(), window);
    EXPECT_EQ(panel->GetPriority(), 30500);
    EXPECT_EQ(panel->GetPosition(), CPointF(-500, -500));

    Show(kDataScreen); // start panel mode 2
    EXPECT_EQ(panel->GetMode(), 2);
    EXPECT_EQ(panel->GetState(), 1);
    EXPECT_TRUE(panel->IsVisible());
    EXPECT_EQ(panel->GetPosition(), CPointF(320, 14)) << "at its hot spot";
    Show(kQuietScreen);
    EXPECT_FALSE(panel->IsVisible());
    EXPECT_EQ(panel->GetPosition(), CPointF(-500, -500));
}

TEST_F(CounterPanelTest, AZeroShowsTheMarkOnCounters0And1AndTheNumberOnTheOthers) {
    Show(kQuietScreen);
    CCounterPanel* panel = SetUpCounters();
    EXPECT_EQ(Shown(panel, 0), "mark");
    EXPECT_EQ(Shown(panel, 1), "mark");
    EXPECT_EQ(Shown(panel, 2), "0");
    EXPECT_EQ(Shown(panel, 3), "0");
    EXPECT_EQ(panel->GetZeroMark(0)->GetState(), 1);
    EXPECT_EQ(panel->GetZeroMark(1)->GetState(), 0);
    // The icon stands at its hot spot (10, 10); the number 15 + offset right of its right edge,
    // 2 above its middle; the mark at its middle.
    EXPECT_EQ(panel->GetNumber(1)->GetPosition(), CPointF(20 + 15 + 10, 10 - 2));
    EXPECT_EQ(panel->GetZeroMark(1)->GetPosition(), CPointF(20 + 15 + 10, 10));
    EXPECT_EQ(panel->GetNumber(2)->GetTextColor(), 0x00FFFF00u);

    values[0] = 7;
    values[3] = 65535;
    panel->Refresh();
    EXPECT_EQ(Shown(panel, 0), "7");
    EXPECT_EQ(Shown(panel, 3), "65535");
    panel->SetCounter(1, MakeChunkId(2, kButtonPart), &values[1], 0, 0, 0);
    EXPECT_EQ(Shown(panel, 1), "0") << "zeros shown as numbers";

    panel->Show(false);
    EXPECT_EQ(Shown(panel, 0), "");
    EXPECT_EQ(panel->GetPosition(), CPointF(-500, -500));
    values[0] = 0;
    panel->Show(true);
    EXPECT_EQ(Shown(panel, 0), "mark") << "showing ends with each counter showing one thing";
    EXPECT_EQ(Shown(panel, 2), "0");
}

/// A number at an offset from its gap and showing a value: whether it stands at its point.
struct PlacedNumber {
    int16_t offset;
    uint16_t value;
    bool atPoint;
};

TEST_F(CounterPanelTest, ANumberThatWouldReachItsIconStandsJustClearOfItAndReturnsToItsPointWhenNarrower) {
    Show(kQuietScreen);
    CCounterPanel* panel = app->GetCounterPanel();
    panel->SetMode(1);
    // The icon's right edge is at 20: an offset of -15 puts the number's point on it.
    constexpr float kIconRight = 20;
    const PlacedNumber kPlaced[] = {{10, 7, true}, {-15, 7, false}, {-15, 65535, false}, {-15, 1, false},
                                    {-10, 888, false}, {10, 7, true}};
    for (const PlacedNumber& p : kPlaced) {
        SCOPED_TRACE(std::to_string(p.offset) + ", " + std::to_string(p.value));
        values[2] = p.value;
        panel->SetCounter(2, MakeChunkId(2, kButtonPart), &values[2], 0, 0, p.offset);
        OTextDView* number = panel->GetNumber(2);
        ASSERT_EQ(number->GetTextPtr(), std::to_string(p.value));
        const CPointF point(kIconRight + 15 + p.offset, 10 - 2);
        if (p.atPoint) {
            EXPECT_EQ(number->GetPosition(), point);
        } else {
            EXPECT_GT(number->GetPosition().x, point.x);
        }
        EXPECT_EQ(number->GetPosition().y, point.y);
        const std::vector<CTextLine> lines = number->LaidOutLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_GE(lines[0].ink.left, kIconRight + 1) << "a pixel clear of the icon";
        // Moved, it stands no further right than its digits need.
        if (!p.atPoint) {
            EXPECT_LE(lines[0].ink.left, kIconRight + 3);
        }
    }
    // The value grows to another digit count: a refresh moves the number too.
    values[2] = 1000;
    panel->SetCounter(2, MakeChunkId(2, kButtonPart), &values[2], 0, 0, -15);
    const float fourDigits = panel->GetNumber(2)->GetPosition().x;
    values[2] = 3;
    panel->Refresh();
    EXPECT_LT(panel->GetNumber(2)->GetPosition().x, fourDigits);
    EXPECT_GE(panel->GetNumber(2)->LaidOutLines().at(0).ink.left, kIconRight + 1);
}

TEST_F(CounterPanelTest, NothingIsMadeInMode0AndReleasedPropsAreMadeAgain) {
    Show(kQuietScreen);
    const int32_t children = window->ChildCount();
    CCounterPanel* panel = app->GetCounterPanel();
    panel->SetCounter(0, MakeChunkId(2, kButtonPart), &values[0], 0, 1, 0);
    EXPECT_EQ(panel->GetIcon(0), nullptr);
    SetUpCounters();
    EXPECT_EQ(window->ChildCount(), children + 10);
    panel->Release();
    EXPECT_EQ(window->ChildCount(), children);
    EXPECT_EQ(panel->GetNumber(3), nullptr);
    panel->SetCounter(3, MakeChunkId(2, kButtonPart), &values[3], 0, 0, 0);
    EXPECT_EQ(Shown(panel, 3), "0");
}

} // namespace
} // namespace vqt::test
