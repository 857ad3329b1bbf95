// The sign-in name filter over a list of test words.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/data/PartFile.h"
#include "engine/media/Application.h"
#include "engine/media/NameFilter.h"
#include "tools/builders/ChunkFileBuilder.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

/// A list chunk's bytes: each word padded with NUL bytes to 15.
Bytes WordList(std::initializer_list<std::string> words) {
    Bytes list;
    for (std::string word : words) {
        word.resize(15, '\0');
        list.insert(list.end(), word.begin(), word.end());
    }
    return list;
}

class NameFilterTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        CNameFilterState::Get().looked = true;
    }
};

TEST_F(NameFilterTest, AWordOfTheListIsFoundInAnyCaseOnlyAsAWholeWordBetweenBlanks) {
    const Bytes list = WordList({"badword", "abcdefghijklmno", "xyz"});
    ASSERT_TRUE(xText_SetBlockedWords(list.data(), list.size()));
    const struct {
        const char* text;
        bool blocked;
    } cases[] = {
        {"Foo badword", true}, {"BADWORD", true}, {" badword", true}, {"x  badword", true}, {"badword ", true},
        {"badwords", false}, {"badword!", false}, {"", false}, {"bad word", false},
        {"abcdefghijklmno", true}, {"abcdefghijklmn", false}, {"abcdefghijklmnop", false},
        {"abcdefghijklmnoxyz", false}, // a full entry does not run on into the next one
    };
    for (const auto& c : cases) EXPECT_EQ(xText_ContainsBlockedWord(c.text), c.blocked) << '"' << c.text << '"';
    EXPECT_FALSE(xText_ContainsBlockedWord(nullptr));
    const std::string longName = std::string(600, 'a') + " badword";
    EXPECT_FALSE(xText_ContainsBlockedWord(longName.c_str())) << "past the 511 bytes looked at";
}

TEST_F(NameFilterTest, AListOfTheWrongSizeIsRefusedWithATrace) {
    const Bytes good = WordList({"badword"});
    for (size_t size : {size_t(14), size_t(16), size_t(565 * 15)}) {
        Bytes list(size, 'a');
        ASSERT_TRUE(xText_SetBlockedWords(good.data(), good.size()));
        EXPECT_FALSE(xText_SetBlockedWords(list.data(), list.size())) << size;
        EXPECT_FALSE(xText_ContainsBlockedWord("badword")) << "the list is left empty";
    }
    EXPECT_NE(traced().find("Blocked word list refused: 16 bytes"), std::string::npos);
    Bytes full(564 * 15, 0);
    EXPECT_TRUE(xText_SetBlockedWords(full.data(), full.size()));
}

TEST_F(NameFilterTest, TheListComesFromTheApplicationsPartFileAtTheFirstCheck) {
    TempFolder folder;
    ChunkFileBuilder image;
    const uint8_t texts = image.AddIndex("text");
    image.AddChunk(texts, WordList({"meanword"}), {.name = "blocked_words"});
    const std::string path = folder / "parts.vqk";
    ASSERT_TRUE(image.WriteFile(path));
    OApplication app;
    auto owned = std::make_unique<CPartFile>();
    CPartFile* file = owned.get();
    ASSERT_TRUE(file->Open(path.c_str(), 1));
    app.SetPartFile(std::move(owned));
    CNameFilterState::Get() = CNameFilterState{};
    EXPECT_TRUE(xText_ContainsBlockedWord("a MeanWord"));
    EXPECT_TRUE(CNameFilterState::Get().looked);

    CNameFilterState::Get() = CNameFilterState{};
    EXPECT_FALSE(xText_LoadBlockedWords(nullptr));
    EXPECT_NE(traced().find("Blocked word list not found\n"), std::string::npos);
}

} // namespace
} // namespace vqt::test
