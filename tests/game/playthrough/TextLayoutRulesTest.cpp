// The text layout rules over synthetic rectangles: for each rule a line inside, touching and one
// pixel out.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/playthrough/TextLayoutRules.h"

namespace vqt::test {
namespace {

constexpr CRect16 kStage(0, 0, 640, 480);
/// The panel picture the text is attached to, and a picture beside it over the scene.
constexpr CRect16 kPanel(40, 8, 600, 428);
constexpr CRect16 kBar(20, 2, 620, 42);

struct RuleCase {
    const char* name;
    CRect16 box;
    std::vector<CRect16> ink;
    /// The text view's own opaque background; attached to the panel picture (index 0).
    bool opaque = false;
    bool onPanel = true;
    /// Pictures drawn over the scene besides the panel.
    std::vector<CRect16> pictures = {};
    bool overScenery = true;
    /// The faults expected, in order (a piece of each).
    std::vector<const char*> faults = {};
    /// Whether the text was given words (more than blanks).
    bool worded = false;
};

void PrintTo(const RuleCase& c, std::ostream* out) { *out << c.name; }

/// The faults are the expected ones, in order (a piece of each), each told of `teller`.
void ExpectFaults(const std::vector<std::string>& faults, const std::vector<const char*>& expected, const std::string& teller) {
    std::string report;
    for (const std::string& fault : faults) report += fault + "\n";
    ASSERT_EQ(faults.size(), expected.size()) << report;
    for (size_t i = 0; i < faults.size(); ++i) {
        EXPECT_NE(faults[i].find(expected[i]), std::string::npos) << report;
        EXPECT_EQ(faults[i].rfind(teller, 0), 0u) << report;
    }
}


const RuleCase kRules[] = {
    // The line's ink in its box: sideways.
    {"ink inside its box", {100, 100, 200, 130}, {{110, 105, 190, 125}}},
    {"ink touching its box's sides", {100, 100, 200, 130}, {{100, 105, 200, 125}}},
    {"ink overhanging its box by a pixel", {100, 100, 200, 130}, {{99, 105, 201, 125}}},
    {"ink 2 px right of its box", {100, 100, 200, 130}, {{110, 105, 202, 125}}, false, true, {}, true, {"runs out of its box"}},
    {"ink 2 px left of its box", {100, 100, 200, 130}, {{98, 105, 190, 125}}, false, true, {}, true, {"runs out of its box"}},
    // ...and up and down: a cell taller than the box is no cut while the ink keeps in.
    {"ink touching its box's top and bottom", {100, 100, 200, 120}, {{110, 100, 190, 120}}},
    {"ink 1 px below its box", {100, 100, 200, 120}, {{110, 105, 190, 121}}, false, true, {}, true, {"is cut by its box"}},
    {"ink 1 px above its box", {100, 100, 200, 120}, {{110, 99, 190, 115}}, false, true, {}, true, {"is cut by its box"}},
    {"a line of blanks has no ink", {100, 100, 200, 120}, {{110, 130, 110, 130}}},
    // The box keeps within its panel's sides; above and below only the ink counts, and the
    // part of the box off the stage is no fault.
    {"a tall title box over the panel's top", {70, -33, 570, 117}, {{70, 34, 150, 49}}},
    {"box touching the panel's sides", {40, 100, 600, 130}, {{50, 105, 150, 125}}},
    {"box 1 px left of the panel", {39, 100, 600, 130}, {{50, 105, 150, 125}}, false, true, {}, true,
     {"its box leaves the sides of its panel"}},
    {"box off the stage on the right", {300, 100, 700, 130}, {{310, 105, 350, 125}}, false, true, {}, true,
     {"its box leaves the sides of its panel"}},
    {"ink 1 px over the panel's bottom", {100, 400, 200, 440}, {{110, 410, 190, 429}}, false, true, {}, true,
     {"runs out of its panel"}},
    {"ink touching the panel's top", {100, 0, 200, 40}, {{110, 8, 190, 20}}},
    {"a title apart from its panel is held to it", {100, 440, 200, 470}, {{110, 445, 190, 460}}, false, true,
     {{90, 435, 210, 475}}, true, {"runs out of its panel"}},
    {"a title wholly off its panel over a backdrop", {100, 440, 200, 470}, {{110, 445, 190, 460}}, false, true, {}, false,
     {"runs out of its panel"}},
    // Another picture's edge.
    {"ink inside another picture", {100, 100, 200, 130}, {{110, 105, 190, 125}}, false, true, {{100, 100, 200, 130}}},
    {"ink touching another picture's edge from outside", {100, 100, 200, 130}, {{110, 105, 190, 125}}, false, true,
     {{190, 100, 300, 130}}},
    {"ink 1 px into another picture", {100, 100, 200, 130}, {{110, 105, 190, 125}}, false, true, {{189, 100, 300, 130}},
     true, {"crosses the edge of Picture 1"}},
    {"a counter's ink across the bar's bottom", {40, 30, 80, 50}, {{54, 35, 66, 45}}, false, false, {kBar}, true,
     {"crosses the edge of Picture 1"}},
    {"a counter's ink on the bar", {40, 8, 80, 28}, {{54, 10, 66, 26}}, false, false, {kBar}},
    // Scenery: a line needs a picture under its whole ink, or its own opaque background.
    {"a title over scenery", {100, 440, 200, 470}, {{110, 445, 190, 460}}, false, false, {}, true,
     {"stands over scenery with no backing"}},
    {"a title over scenery on its own background", {100, 440, 200, 470}, {{110, 445, 190, 460}}, true, false},
    {"a text over a backdrop made for it", {100, 440, 200, 470}, {{110, 445, 190, 460}}, false, false, {}, false},
    {"an opaque text's ink out of its box", {100, 440, 200, 470}, {{110, 445, 202, 460}}, true, false, {}, true,
     {"runs out of its box"}},
    // The stage: a line of a text whose box is on it is seen whole.
    {"ink touching the stage's bottom", {100, 460, 200, 480}, {{110, 462, 190, 480}}, true, false},
    {"ink 1 px off the stage's top", {100, -10, 200, 20}, {{110, -1, 190, 15}}, true, false, {}, true,
     {"runs off the stage"}},
    {"ink wholly off the stage", {100, -85, 200, 65}, {{110, -83, 190, -74}}, false, false, {}, true,
     {"lies off the stage"}},
    {"an opaque text across a picture's edge", {100, 100, 200, 130}, {{110, 105, 190, 125}}, true, true,
     {{150, 0, 300, 300}}},
    {"a text off the stage is not judged", {100, 500, 200, 530}, {{110, 505, 190, 525}}, false, false},
    // Words given must be laid out; blanks need not be.
    {"words laid out as no line", {100, 100, 200, 130}, {}, false, true, {}, true, {"was given words but lays out no line"}, true},
    {"words laid out as blank lines", {100, 100, 200, 130}, {{110, 130, 110, 130}}, false, true, {}, true,
     {"was given words but lays out no line"}, true},
    {"words laid out as a line", {100, 100, 200, 130}, {{110, 105, 190, 125}}, false, true, {}, true, {}, true},
    {"blanks laid out as no line", {100, 100, 200, 130}, {}},
    // A box filled with the text's own background keeps its ink off its sides and top.
    {"an opaque box's ink 2 px in from its sides and top", {100, 440, 200, 470}, {{102, 442, 198, 470}}, true, false},
    {"an opaque box's ink 1 px from its left", {100, 440, 200, 470}, {{101, 445, 190, 460}}, true, false, {}, true,
     {"has no margin inside its box"}},
    {"an opaque box's ink 1 px from its right", {100, 440, 200, 470}, {{110, 445, 199, 460}}, true, false, {}, true,
     {"has no margin inside its box"}},
    {"an opaque box's ink 1 px from its top", {100, 440, 200, 470}, {{110, 441, 190, 460}}, true, false, {}, true,
     {"has no margin inside its box"}},
    {"a see-through box's ink on its border", {100, 440, 200, 470}, {{100, 440, 200, 460}}, false, false, {}, false},
};

class TextLayoutRulesTest : public testing::TestWithParam<RuleCase> {};

TEST_P(TextLayoutRulesTest, ReportsTheFaultOfOneLine) {
    const RuleCase& c = GetParam();
    LaidStage stage;
    stage.bounds = kStage;
    stage.overScenery = c.overScenery;
    stage.pictures.push_back({"Panel", kPanel});
    for (const CRect16& picture : c.pictures) stage.pictures.push_back({"Picture " + std::to_string(stage.pictures.size()), picture});
    stage.texts.push_back({"Text", c.box, c.ink, c.opaque, c.onPanel ? 0 : -1, {}, c.worded});
    ExpectFaults(LayoutFaults(stage), c.faults, "Text: ");
}

INSTANTIATE_TEST_SUITE_P(Rules, TextLayoutRulesTest, testing::ValuesIn(kRules), CaseName<RuleCase>);

/// A counter bar on the stage: its pieces (icons, zero marks) and its numbers (box, ink).
struct BarCase {
    const char* name;
    CRect16 bar;
    std::vector<CRect16> pieces;
    std::vector<std::pair<CRect16, CRect16>> numbers;
    /// The faults expected, in order (a piece of each), told of the bar or of "Number".
    std::vector<const char*> faults = {};
    const char* teller = "Bar";
    /// Whether the bar's picture draws a pixel.
    bool drawn = true;
};

void PrintTo(const BarCase& c, std::ostream* out) { *out << c.name; }

constexpr CRect16 kCounterBar(20, 0, 620, 28);
constexpr CRect16 kParkedBar(-800, -514, -200, -486);
constexpr CRect16 kIcon(30, 4, 50, 24);
/// A number beside kIcon: its box and its ink.
constexpr std::pair<CRect16, CRect16> kNumber{{50, 2, 90, 22}, {64, 7, 75, 21}};

const BarCase kBars[] = {
    {"an icon and its number on the bar", kCounterBar, {kIcon}, {kNumber}},
    {"a number alone on the bar", kCounterBar, {}, {kNumber}},
    {"a bar with nothing on it", kCounterBar, {}, {}, {"is shown with nothing on it"}},
    {"a bar parked off the stage with nothing on it", kParkedBar, {}, {}},
    {"a bar that draws nothing, with nothing on it", kCounterBar, {}, {}, {}, "Bar", false},
    {"an icon shown while its bar is parked", kParkedBar, {kIcon}, {}, {"leaves the bar"}},
    {"an icon touching the bar's left", kCounterBar, {{20, 4, 40, 24}}, {}},
    {"an icon 20 px left of the bar", kCounterBar, {{0, 2, 24, 26}}, {}, {"leaves the bar"}},
    {"an icon 1 px below the bar", kCounterBar, {{30, 9, 50, 29}}, {}, {"leaves the bar"}},
    {"a zero mark over its icon", kCounterBar, {kIcon, {40, 8, 52, 20}}, {}, {"lies over"}},
    {"a zero mark touching its icon", kCounterBar, {kIcon, {50, 8, 62, 20}}, {}},
    {"a number over its icon", kCounterBar, {kIcon}, {{{30, 2, 70, 22}, {44, 7, 55, 21}}}, {"lies over Picture 1"}, "Number"},
    {"two numbers drawn over each other", kCounterBar, {}, {kNumber, {{55, 2, 95, 22}, {69, 7, 80, 21}}},
     {"lies over line 1 of Number"}, "Number"},
    {"a number's ink 1 px below the bar", kCounterBar, {}, {{{50, 10, 90, 30}, {64, 15, 75, 29}}}, {"runs out of its panel"},
     "Number"},
    {"a number shown while its bar is parked", kParkedBar, {}, {kNumber},
     {"its box leaves the sides of its panel", "runs out of its panel"}, "Number"},
};

class CounterBarRulesTest : public testing::TestWithParam<BarCase> {};

TEST_P(CounterBarRulesTest, ReportsTheFaultOfOnePiece) {
    const BarCase& c = GetParam();
    LaidStage stage;
    stage.bounds = kStage;
    stage.overScenery = true;
    stage.pictures.push_back({"Bar", c.bar});
    LaidBar bar{0, {}, c.drawn};
    for (const CRect16& piece : c.pieces) {
        bar.pieces.push_back(int(stage.pictures.size()));
        stage.pictures.push_back({"Picture " + std::to_string(stage.pictures.size()), piece});
    }
    stage.bars.push_back(bar);
    for (const auto& [box, ink] : c.numbers) stage.texts.push_back({"Number", box, {ink}, false, 0, {}, true});
    ExpectFaults(LayoutFaults(stage), c.faults, c.teller);
}

INSTANTIATE_TEST_SUITE_P(Bars, CounterBarRulesTest, testing::ValuesIn(kBars), CaseName<BarCase>);

TEST(TextLayoutRules, ALineOverAnotherTextsLineIsOneFaultNamingBoth) {
    LaidStage stage;
    stage.bounds = kStage;
    stage.texts.push_back({"Upper", {10, 100, 630, 135}, {{200, 110, 400, 134}}, false, -1, {}});
    stage.texts.push_back({"Lower", {10, 130, 630, 165}, {{220, 140, 380, 164}}, false, -1, {}});
    EXPECT_TRUE(LayoutFaults(stage).empty()) << "cells overlap, ink does not";
    stage.texts[1].ink[0].top = 133;
    const std::vector<std::string> faults = LayoutFaults(stage);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0], "Upper: line 1 (x 200-400 y 110-134) lies over line 1 of Lower");
}

TEST(TextLayoutRules, ALineUnderALaterTextsOpaqueBoxIsHiddenAndLiesOverNothing) {
    LaidStage stage;
    stage.bounds = kStage;
    stage.texts.push_back({"Number", {500, 2, 540, 22}, {{509, 7, 520, 21}}, false, -1, {}});
    stage.texts.push_back({"Overlay", {120, 0, 520, 200}, {{124, 4, 516, 20}}, true, -1, {}});
    EXPECT_TRUE(LayoutFaults(stage).empty()) << "the overlay drawn later covers the number";
    stage.texts[0].ink[0].right = 521;
    EXPECT_EQ(LayoutFaults(stage).size(), 1u) << "the number's ink a pixel out of the overlay's box";
    stage.texts[0].ink[0].right = 520;
    stage.texts[1].opaque = false;
    EXPECT_EQ(LayoutFaults(stage).size(), 1u) << "a see-through overlay hides nothing";
    stage.texts[1].opaque = true;
    std::swap(stage.texts[0], stage.texts[1]);
    EXPECT_EQ(LayoutFaults(stage).size(), 1u) << "the number drawn over the overlay";
}

TEST(TextLayoutRules, OneTitleDrawnTwiceInOnePlaceReadsAsOneLineButNotWhenItsTwinIsMovedOrOther) {
    LaidStage stage;
    stage.bounds = kStage;
    stage.texts.push_back({"Title A \"Well done!\"", {70, -33, 570, 117}, {{70, 35, 147, 45}}, false, -1, {}});
    stage.texts.push_back({"Title B \"Well done!\"", {70, 17, 570, 67}, {{70, 35, 147, 45}}, false, -1, {}});
    EXPECT_TRUE(LayoutFaults(stage).empty());
    stage.texts[1].ink[0].left = 72;
    EXPECT_EQ(LayoutFaults(stage).size(), 1u) << "moved by two pixels, the two read as a smudge";
    stage.texts[1].ink[0].left = 70;
    stage.texts[1].name = "Title B \"Well\"";
    EXPECT_EQ(LayoutFaults(stage).size(), 1u) << "other words in the same place";
}

} // namespace
} // namespace vqt::test
