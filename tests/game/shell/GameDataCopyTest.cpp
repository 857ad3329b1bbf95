// A copy of the generator's game data goes on by itself: what is added to it lands in its own
// file, numbered on from where the original stood, and the original is left as it was.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "tools/synthetic/GameData.h"

namespace vqt::test {
namespace {

PartPlan OneFramePart(uint8_t colour) {
    PartPlan part;
    part.states = {StatePlan{.frames = {FramePlan{.picture = Picture(6, 4, colour)}}}};
    return part;
}

using Step = std::function<void(GameData&)>;

// Parts at automatic and fixed entries, a snippet and a text: each numbered or checked
// against what the data holds so far.
const std::vector<Step> kBefore = {
    [](GameData& d) { d.parts.AddPart(OneFramePart(3)); },
    [](GameData& d) { d.parts.AddPart(OneFramePart(4), 40); },
    [](GameData& d) { d.parts.AddSnippet(); },
    [](GameData& d) { AddGameText(d, 5, u"Before the copy", "Test text"); },
};
const std::vector<Step> kAfter = {
    [](GameData& d) { d.parts.AddPart(OneFramePart(7)); },
    [](GameData& d) { d.parts.AddSnippet(); },
    [](GameData& d) { AddGameText(d, 6, u"After the copy", "Test text"); },
};

void Apply(GameData& data, const std::vector<Step>& steps) {
    for (const Step& step : steps) step(data);
}

TEST(GameDataCopyTest, ACopyGoesOnInItsOwnFileFromWhereTheOriginalStood) {
    GameData original;
    Apply(original, kBefore);
    const Bytes before = original.file.Build();

    GameData copy(original);
    EXPECT_EQ(copy.file.Build(), before);
    Apply(copy, kAfter);

    GameData straight;
    Apply(straight, kBefore);
    Apply(straight, kAfter);
    EXPECT_EQ(copy.file.Build(), straight.file.Build()) << "the copy numbers on as the original would have";
    EXPECT_EQ(original.file.Build(), before) << "the original is left as it was";
}

TEST(GameDataCopyTest, ACopyKnowsTheTextsWrittenBeforeIt) {
    GameData original;
    Apply(original, kBefore);
    GameData copy(original);
    EXPECT_THROW(AddGameText(copy, 5, u"A different text", "Test text"), TextClash);
    EXPECT_NO_THROW(AddGameText(copy, 5, u"Before the copy", "Test text"));
}

} // namespace
} // namespace vqt::test
