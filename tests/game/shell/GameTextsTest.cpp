// The generator's texts: a screen may write a text that another wrote before, word for word;
// a different text under a written id stops the generator with both uses named.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tools/synthetic/GameData.h"

namespace vqt::test {
namespace {

struct Write {
    uint16_t entry;
    std::vector<TextRecord> records;
    const char* name;
};

const std::u16string kJapanese = u"\u5408\u6210";

const struct {
    const char* what;
    Write first;
    Write second;
    /// Parts of the clash's message, in order; none when the second write passes.
    std::vector<std::string> clash;
} kCases[] = {
    {"a different text under a written id fails naming the id, both texts and both writers",
     {1, {{.text = u"A synthetic part file"}}, "Title"},
     {1, {{.text = u"Level 1"}}, "Puzzle text"},
     {"{17, 0, 1}", "\"A synthetic part file\" (Title, GameTextsTest.cpp:", "\"Level 1\" (Puzzle text, GameTextsTest.cpp:"}},
    {"the same text again under its id passes",
     {4, {{.text = u"Well done!"}}, "Arcade text"},
     {4, {{.text = u"Well done!"}}, "Round-up text"},
     {}},
    {"a text with one more language is a different text",
     {2, {{.text = u"Caption"}}, "Caption"},
     {2, {{.text = u"Caption"}, {.id = 24, .text = kJapanese}}, "Caption"},
     {"{17, 0, 2}", "\"Caption\" (Caption, ", "\"Caption\" (Caption, "}},
    {"different texts under different ids pass",
     {82, {{.text = u"Level 2"}}, "Puzzle text"},
     {83, {{.text = u"Level 3"}}, "Puzzle text"},
     {}},
};

/// The message of the clash the writes raise, none when they pass.
std::optional<std::string> ClashOf(GameData& data, const Write& first, const Write& second) {
    AddGameText(data, first.entry, first.records, first.name);
    try {
        AddGameText(data, second.entry, second.records, second.name);
    } catch (const TextClash& clash) {
        return clash.what();
    }
    return std::nullopt;
}

TEST(GameTextsTest, ASecondDifferentTextUnderAWrittenIdStopsTheGenerator) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        GameData data;
        const std::optional<std::string> clash = ClashOf(data, c.first, c.second);
        if (c.clash.empty()) {
            EXPECT_FALSE(clash) << *clash;
        } else {
            ASSERT_TRUE(clash);
            size_t at = 0;
            for (const std::string& part : c.clash) {
                at = clash->find(part, at);
                ASSERT_NE(at, std::string::npos) << "\"" << part << "\" in order in: " << *clash;
                at += part.size();
            }
        }
        // The first text stays under its id; a second that passed is under its own.
        EXPECT_EQ(data.writtenTexts.at(c.first.entry).chunk, TextRecords(c.first.records));
        if (!clash) {
            EXPECT_EQ(data.writtenTexts.at(c.second.entry).chunk, TextRecords(c.second.records));
        }
        for (const uint16_t entry : {c.first.entry, c.second.entry})
            EXPECT_EQ(data.file.HasChunk(GameData::kMessages, entry), data.writtenTexts.contains(entry));
    }
}

TEST(GameTextsTest, TheSameTextAgainAnswersTheChunkWrittenFirst) {
    GameData data;
    const uint32_t first = AddGameText(data, 18, u"Turn the tracks", "Puzzle text");
    EXPECT_EQ(AddGameText(data, 18, u"Turn the tracks", "Puzzle text"), first);
    EXPECT_EQ(first, ChunkIdOf(GameData::kMessages, 18));
}

} // namespace
} // namespace vqt::test
