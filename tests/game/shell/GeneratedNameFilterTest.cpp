// The name filter on the generated game data, as a new install has it: rude words (alone, among
// other words, in capitals) are refused, ordinary names pass, also those holding a rude word
// inside a longer one.
#include <gtest/gtest.h>

#include "engine/data/PartFile.h"
#include "engine/media/NameFilter.h"
#include "tests/game/shell/ShellScenarioTest.h"

namespace vqt::test {
namespace {

using GeneratedNameFilterTest = ShellScenarioTest;

TEST_F(GeneratedNameFilterTest, RefusesRudeWordsAndPassesOrdinaryNames) {
    CPartFile file;
    ASSERT_TRUE(file.Open((work / "TLVFMH.vqk").c_str(), 1));
    ASSERT_TRUE(xText_LoadBlockedWords(&file));
    CNameFilterState::Get().looked = true; // no application's part file to look in again
    EXPECT_GT(CNameFilterState::Get().words.size(), 100u) << "a real list, not a few stand-ins";

    struct Case {
        const char* name;
        bool blocked;
    };
    const Case cases[] = {
        {"fuck", true},       {"Shit Head", true}, {"BITCH", true},   {"Ann the poop", true},
        {"motherfucker", true}, {"asshole", true}, {"Ann", false},    {"Bo", false},
        {"Mary Jane", false}, {"Maximilian", false}, {"Cassidy", false}, {"Dick", false},
        {"Fanny", false},     {"Hancock", false},  {"Scunthorpe", false}, {"Sussex", false},
    };
    for (const Case& c : cases) EXPECT_EQ(xText_ContainsBlockedWord(c.name), c.blocked) << '"' << c.name << '"';
    file.Close();
}

} // namespace
} // namespace vqt::test
