// Messages by id from message files and built-in tables, their expansion, and the language.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/data/MessageTexts.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/data/Strings.h"
#include "tools/builders/ChunkFileBuilder.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

class MessagesTest : public HeadlessTest {
protected:
    static std::string Get(const char* id, std::initializer_list<const char*> args = {}, int16_t count = -1) {
        const std::vector<const char*> a(args);
        return xMessages_GetString(id, a.empty() ? nullptr : a.data(),
                                   count >= 0 ? count : static_cast<int16_t>(a.size()));
    }

    TempFolder tmp;
};

/// The game's message file: a "utxt" index and a chunk list naming its messages.
ChunkFileBuilder MessageFile() {
    ChunkFileBuilder b;
    const uint8_t utxt = b.AddIndex("utxt", 8, 6);
    const uint8_t clst = b.AddIndex("clst", 0, 2);
    const uint32_t both = b.AddChunk(utxt, TextRecords({{.id = 10, .text = u"Or press ESC."},
                                                        {.id = 17, .text = u"Oder ESC dr\u00fccken."}}),
                                     {.name = "MSG_HITESC"});
    const uint32_t german = b.AddChunk(utxt, TextRecords({{.id = 17, .text = u"Bitte die CD einlegen."}}),
                                       {.name = "MSG_INSERTCD"});
    const uint32_t english = b.AddChunk(utxt, TextRecords({{.id = 10, .text = u"Only in English"}}),
                                        {.name = "APP_ONLY_EN"});
    const uint32_t empty = b.AddChunk(utxt, TextRecords({{.id = 10, .text = u""}, {.id = 17, .text = u""}}),
                                      {.name = "APP_EMPTY"});
    const uint32_t unlisted = b.AddChunk(utxt, TextRecords({{.id = 10, .text = u"unlisted"}}),
                                         {.name = "APP_UNLISTED"});
    (void)unlisted;
    b.AddChunk(clst, ChunkListData({both, german, english, empty, ChunkIdOf(clst, 1)}));
    return b;
}

class MessageFileTest : public MessagesTest {
protected:
    void LoadGameMessages(uint16_t langId) {
        locale().SetLangId(langId);
        xLanguage_Init();
        const std::string path = tmp / "VQTMsg.vqk";
        ASSERT_TRUE(MessageFile().WriteFile(path));
        CPartFile file;
        ASSERT_TRUE(file.Open(path.c_str(), 1));
        xMessages_LoadUnicode(&file, MakeChunkId(2, 1));
    }
};

TEST_F(MessageFileTest, TheLocalePicksItsLanguageThenTheFallbackThenTheBuiltInTable) {
    const std::string missing = "Err: MsgID not found - ";
    struct Case {
        uint16_t langId;
        uint32_t fallback; ///< the LANGUAGE key, 0 to leave it at English (US)
        uint32_t language;
        std::vector<std::pair<const char*, std::string>> texts;
    };
    const Case cases[] = {
        {0x0407, 0, 17, // German (Germany)
         {{"MSG_HITESC", "Oder ESC dr\xFC" "cken."}, {"MSG_INSERTCD", "Bitte die CD einlegen."},
          {"APP_ONLY_EN", "Only in English"}, {"APP_EMPTY", ""}, {"APP_UNLISTED", missing + "APP_UNLISTED"}}},
        {0x040C, 17, 14, // French: neither language of the file
         {{"MSG_INSERTCD", "Bitte die CD einlegen."}, {"APP_ONLY_EN", missing + "APP_ONLY_EN"}}},
        {0x0409, 0, 10, // a chunk with neither language is skipped: the engine's table answers
         {{"MSG_HITESC", "Or press ESC."}, {"MSG_INSERTCD", "Please insert the game CD into the CDROM drive."}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.langId);
        RenewContext();
        if (c.fallback != 0) xProfiles_Set("LANGUAGE", c.fallback);
        xProfiles_Set("VERBOSE", sLong{1});
        LoadGameMessages(c.langId);
        EXPECT_EQ(xLanguage_Get(), c.language);
        for (const auto& [id, text] : c.texts) EXPECT_EQ(Get(id), text) << id;
    }
    EXPECT_NE(traced().find("* Unicode message loaded - MSG_HITESC : Or press ESC.\n"), std::string::npos);
}

TEST_F(MessageFileTest, WholeFilesListsAndTheLocalFile) {
    xLanguage_Init();
    ChunkFileBuilder noList;
    const uint8_t utxt = noList.AddIndex("utxt", 8, 3);
    noList.AddChunk(utxt, TextRecords({{.id = 10, .text = u"first"}}), {.name = "A"});
    noList.AddChunk(utxt, TextRecords({{.id = 10, .text = u"third"}}), {.entry = 3, .name = "C"});
    const std::string path = tmp / "plain.vqk";
    ASSERT_TRUE(noList.WriteFile(path));
    CPartFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 1));
    xMessages_LoadUnicode(&file, MakeChunkId(2, 1)); // no "clst" index: nothing
    EXPECT_EQ(Get("A"), "Err: MsgID not found - A");
    xMessages_LoadFile(&file); // every entry of the "utxt" index; absent ones passed over
    EXPECT_EQ(Get("A"), "first");
    EXPECT_EQ(Get("C"), "third");
    file.Close();

    // "VQT.vqk" in the working folder is loaded on first use.
    xMessages_Context() = MessagesContext{};
    {
        TempFolder work(true);
        ChunkFileBuilder local;
        const uint8_t u = local.AddIndex("utxt", 8, 1);
        local.AddChunk(u, TextRecords({{.id = 10, .text = u"Local memory text"}}), {.name = "MSG_NOMEMORY"});
        ASSERT_TRUE(local.WriteFile(work / "VQT.vqk"));
        EXPECT_EQ(Get("MSG_NOMEMORY"), "Local memory text");
        EXPECT_NE(traced().find("*** Loading local message file : VQT.vqk\n"), std::string::npos);
    }
}

// ---- Lookup ---------------------------------------------------------------------------------

const xMessagePair kGameTable[] = {
    {"MSG_COMPANYNAME", "Game Company"},
    {"TEST_ESCAPES", "a||b|nc"},
    {"TEST_ARGS", "<|1|2|9>"},
    {"TEST_STOP", "keep|xlost"},
    {"TEST_END", "keep|"},
    {"TEST_LONG", "0123456789abcdef"},
    {nullptr, nullptr},
};

TEST_F(MessagesTest, LaterSourcesShadowEarlierOnes) {
    EXPECT_EQ(Get("MSG_COMPANYNAME"), "Varnique");
    xMessages_AddTable(xMessages_MemoryErrorTable());
    xMessages_AddTable(xMessages_EngineErrorTable());
    xMessages_AddTable(kGameTable);
    xMessages_AddTable(kGameTable); // registered once only
    xMessages_AddTable(nullptr);
    EXPECT_EQ(xMessages_Context().tables.size(), 4u);
    EXPECT_EQ(Get("MSG_COMPANYNAME"), "Game Company");
    EXPECT_EQ(Get("BRERR_DOUBLEFREE"), "Free attempt on a previously freed memory block");
    EXPECT_EQ(Get("MSG_PREVINSTANCE"),
              "There is a previous instance of the application running.  Click on its icon in your task bar");
    EXPECT_EQ(Get("msg_nomemory"), "Err: MsgID not found - msg_nomemory") << "ids compare with case";

    // Loaded messages shadow every table, the newest first.
    xMessages_Context().loaded.push_back({"MSG_COMPANYNAME", "From a file"});
    xMessages_Context().loaded.push_back({"MSG_COMPANYNAME", "From a later file"});
    EXPECT_EQ(Get("MSG_COMPANYNAME"), "From a later file");
}

TEST_F(MessagesTest, EveryEscape) {
    xMessages_AddTable(kGameTable);
    EXPECT_EQ(Get("MSG_MINDISPDEPTH", {"16"}), "A minimum of 16 bit display mode is required.");
    EXPECT_EQ(Get("MSG_MINDISPDEPTH"), "A minimum of  bit display mode is required.") << "no arguments";
    EXPECT_EQ(Get("TEST_ESCAPES"), "a|b\nc");
    EXPECT_EQ(Get("TEST_ARGS", {"one", "two"}, 1), "<one>") << "|2 lies beyond the count, |9 too";
    EXPECT_EQ(Get("TEST_ARGS", {"one", "two"}), "<onetwo>");
    const char* nine[9] = {"1", "2", "3", "4", "5", "6", "7", "8", "nine"};
    EXPECT_EQ(xMessages_GetString("TEST_ARGS", nine, 9), "<12nine>");
    const char* xy[] = {"x", "y"};
    EXPECT_EQ(xMessages_GetString("TEST_ARGS", xy, -2), "<>") << "a negative count inserts nothing";
    EXPECT_EQ(Get("TEST_STOP"), "keep");
    EXPECT_EQ(Get("TEST_END"), "keep");
}

TEST_F(MessagesTest, DoubleByteCharactersAreCopiedWhole) {
    locale().SetDoubleByteCodePage(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
    xStr_InitLeadBytes();
    static const xMessagePair table[] = {
        {"T_TRAIL", "\x81|x\x82|n"}, // "|" as a trail byte is text; the second pair too
        {"T_LAST", "ab\x81"},        // a lead byte at the very end
        {nullptr, nullptr},
    };
    xMessages_AddTable(table);
    EXPECT_EQ(Get("T_TRAIL"), "\x81|x\x82|n");
    EXPECT_EQ(Get("T_LAST"), "ab\x81");
    char out[4];
    xMessages_Get("T_TRAIL", out, sizeof out);
    EXPECT_STREQ(out, "\x81|x") << "room for 3 bytes: the next pair does not fit half";
    xMessages_Get("T_TRAIL", out, 3);
    EXPECT_STREQ(out, "\x81|");
}

TEST_F(MessagesTest, TheOutputNeverPassesItsBuffer) {
    xMessages_AddTable(kGameTable);
    char out[8];
    std::memset(out, '#', sizeof out);
    xMessages_Get("TEST_LONG", out, 5);
    EXPECT_STREQ(out, "0123");
    EXPECT_EQ(out[5], '#');
    const std::string big(5000, 'A');
    const char* args[] = {big.c_str()};
    char mid[100];
    xMessages_Get("MSG_MINDISPDEPTH", mid, sizeof mid, args, 1);
    EXPECT_EQ(std::strlen(mid), 99u);
    char none = '#';
    xMessages_Get("TEST_LONG", &none, 0);
    EXPECT_EQ(none, '#');
    xMessages_Get("TEST_LONG", &none, 1);
    EXPECT_EQ(none, 0);
    // An id is held in 64 bytes and a looked-up text in 2048: the not-found text is cut.
    const std::string longId(100, 'I');
    EXPECT_EQ(Get(longId.c_str()), "Err: MsgID not found - " + std::string(63, 'I'));
    EXPECT_EQ(Get(nullptr), "Err: MsgID not found - ");
}

TEST_F(MessagesTest, WideTextIsConvertedIntoAtMost1023Bytes) {
    char out[1024];
    EXPECT_EQ(xText_WideToMulti(out, u"Gr\u00fc\u00dfe \u20ac \u4e00"), 9u);
    EXPECT_STREQ(out, "Gr\xFC\xDF" "e \x80 ?");
    const std::u16string longText(3000, u'z');
    EXPECT_EQ(xText_WideToMulti(out, longText.c_str()), 1023u);
    EXPECT_EQ(xText_WideToMulti(out, nullptr), 0u);
}

// ---- Language -------------------------------------------------------------------------------

TEST_F(MessagesTest, LanguageIdsMapByPrimaryLanguageAndSublanguage) {
    // The sublanguage rules at their edges; anything unknown is English (US).
    struct Case {
        uint16_t langId;
        uint32_t language;
    };
    const Case cases[] = {
        {0x0401, 39}, {0x4001, 54}, {0x4401, 41}, {0x0001, 41}, // Arabic 1-16, then the default
        {0x0804, 0},  {0x0404, 1},                              // Chinese PRC / others
        {0x0807, 18}, {0x0C07, 16}, {0x0407, 17}, {0x1407, 17}, // German
        {0x0409, 10}, {0x0C09, 6},  {0x1409, 8},  {0x0809, 9},  // English
        {0x100C, 15}, {0x040C, 14},                             // French
        {0x0814, 28}, {0x0C14, 27}, {0x0420, 60}, {0x0820, 59}, // Norwegian, Urdu
        {0x0439, 56}, {0x0000, 10}, {0x0417, 10}, {0x007F, 10},
    };
    for (const Case& c : cases) EXPECT_EQ(xLanguage_FromLangId(c.langId), c.language) << std::hex << c.langId;
}

TEST_F(MessagesTest, LanguageIsDecidedOnceFromTheSystemOrTheUser) {
    EXPECT_EQ(xLanguage_Get(), 61u) << "undecided";
    locale().SetSystemLangId(0x0419);
    locale().SetUserLangId(0x0408);
    xLanguage_Init();
    EXPECT_EQ(xLanguage_Get(), 32u);
    EXPECT_EQ(xLanguage_GetCharSetIndex(), 0);
    locale().SetSystemLangId(0x0409);
    xLanguage_Init();
    EXPECT_EQ(xLanguage_Get(), 32u) << "later calls do nothing";

    xLanguage_Context() = LanguageContext{};
    xProfiles_Set("USEUSERLANGUAGE", boolean{1});
    xLanguage_Init();
    EXPECT_EQ(xLanguage_Get(), 19u) << "the user's language: Greek";
    EXPECT_EQ(xLanguage_GetCharSetIndex(), 5);
    EXPECT_EQ(xLanguage_CharSetFromIndex(xLanguage_GetCharSetIndex()), 161);
}

TEST_F(MessagesTest, LeadBytesAndTheInputMethodComeWithDoubleByteSystems) {
    locale().SetIme(true);
    xLanguage_Init();
    EXPECT_FALSE(xStr_IsLeadByte('\x81'));
    EXPECT_FALSE(xLanguage_HasIME()) << "a single-byte system has no input method";

    xLanguage_Context() = LanguageContext{};
    locale().SetLangId(0x0411);
    locale().SetDoubleByteCodePage(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
    xLanguage_Init();
    EXPECT_EQ(xLanguage_Get(), 24u);
    EXPECT_TRUE(xStr_IsLeadByte('\x81'));
    EXPECT_TRUE(xStr_IsLeadByte('\xFC'));
    EXPECT_FALSE(xStr_IsLeadByte('\xA0'));
    EXPECT_TRUE(xLanguage_HasIME());
}

} // namespace
} // namespace vqt::test
