#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/Trace.h"
#include "engine/data/Profiles.h"
#include "engine/data/Strings.h"
#include "tests/engine/data/ProfileDump.h"
#include "tests/support/HeadlessTest.h"

namespace {

using vqt::test::ProfileValueText;

class ProfilesTest : public vqt::test::ProfileStoreTest {
protected:
    static std::string StageSize() {
        return std::to_string(xProfiles_Store().stageWidth) + "x" + std::to_string(xProfiles_Store().stageHeight);
    }
    static std::string CaptionSize() {
        return std::to_string(xProfiles_Store().captionWidth) + "x" + std::to_string(xProfiles_Store().captionHeight);
    }
};

// The engine's key table: name, type, size and default, in table order.
constexpr const char* kEngineKeys = R"(
ROOT_KEY 0 1024 ""
COMPANY_NAME 0 1024 ""
PRODUCT_NAME 0 1024 ""
VQTAPPCLASS 0 32 ""
VQTAPPNAME 0 32 ""
VQTSTAGECLASS 0 32 ""
PARTFILE 0 1024 ""
USERFILE 0 1024 ""
PATCHFILE 0 1024 ""
PATCHCHAIN 0 1024 ""
DATAFILES 0 1024 ""
INSTALLEDDATAFILES 0 1024 ""
INSTALLEDTO 0 1024 ""
INSTALLEDFROM 0 1024 ""
SWAPFILE 0 1024 ""
SWAPSIZE 5 4 0
LOGTRACEMESSAGES 0 1024 ""
LOGCHUNKACCESS 0 1024 ""
VERBOSE 5 4 0
CHUNKLOGGING 9 4 0
SHOWPRINTERINITERROR 2 1 0
SHOWSNDINITERROR 2 1 0
SHOWDXINITERROR 2 1 1
OPENPREVIOUSINSTANCE 2 1 0
WARNPREVIOUSINSTANCE 2 1 0
TICKSPERSECOND 6 4 60
IDLESPERSECOND 6 4 30
FRAMERATE 3 2 12
FRAMERATELIMITED 9 4 0
DRAWSTATSVISIBLE 9 4 0
MEMSTATSVISIBLE 2 1 0
MOUSESTATSVISIBLE 2 1 0
ASSETSTATSVISIBLE 2 1 0
VERSIONVISIBLE 2 1 0
MEMCEILINGENFORCED 2 1 0
MEMCEILING 5 4 6291456
SYSTEMIDLE 9 4 0
USERLANGUAGE 6 4 10
STAGE 2 4 0
STAGESIZE 1 0 640x480
DISPLAYDEPTH 3 2 8
MINDISPDEPTH 3 2 8
DIRTYRECTS 9 4 0
VBLANKSYNCON 2 1 0
DIRECTDRAW 9 4 1
FULLSCREEN 9 4 1
DXREQUIRED 2 1 0
DXDESIRED 2 1 1
QUICKDRAW 2 1 0
PIXELFORMAT 3 2 0
ALLOWSWITCH 2 1 1
MMXAVAILABLE 2 4 0
SOUNDFLIPPED 2 1 0
SOUNDENABLED 2 1 1
MUSICENABLED 2 1 1
NUMPIPES 3 2 8
SNDENGINEFLAGS 5 4 0
NUMCHANNELS 3 2 2
SAMPLESIZE 3 2 16
DIRECTSOUND 2 1 1
WINDOWSKEYENABLED 9 4 1
CTRLALTDELENABLED 9 4 0
DOUBLECLICKS 2 1 0
ALLOWRIGHTCLICK 2 1 1
USEUSERLANGUAGE 2 1 0
LANGUAGE 6 2 10
DEFWINFONT 0 256 ""
DEFMACFONT 0 256 ""
TEXTDIRECTION 3 2 0
CHEATSENABLED 2 1 0
TRACELOGGING 9 4 0
TRACELOGFILE 9 4 0
CUSTOMCURSOR 2 1 1
STARTACTIVITY 6 4 0
HMFRAMERATE 5 4 15
HMCAPTIONS 2 1 0
HMCAPTIONSIZE 1 0 400x40
HMCAPTIONPOSITION 8 4 0,0
HMCAPTIONCOLOR 7 4 0,0,0,0
HMCAPTIONBACKGROUND 2 1 1
HMCAPTIONBACKBLEND 3 2 50
HMCAPTIONBACKCOLOR 7 4 0,0,0,0
HMCAPTIONBORDER 2 1 0
HMCAPTIONBORDERCOLOR 7 4 0,0,0,0
)";

TEST_F(ProfilesTest, EngineTableHoldsEveryKeyInOrderWithItsTypeSizeAndDefault) {
    xTrace_Keys() = TraceKeys{};
    const t_sProfileKey* row = xProfiles_Store().tables.at(0);
    std::istringstream expected(kEngineKeys);
    std::string name;
    uint32_t type;
    uint32_t size;
    std::string value;
    int count = 0;
    while (expected >> name >> type >> size >> value) {
        SCOPED_TRACE(name);
        ASSERT_NE(row->name, nullptr) << "the table ends before " << name;
        EXPECT_STREQ(row->name, name.c_str());
        EXPECT_EQ(row->type, type);
        EXPECT_EQ(row->size, size);
        if (type == kProfileCustom) {
            EXPECT_EQ(name == "STAGESIZE" ? StageSize() : CaptionSize(), value);
            EXPECT_NE(row->hook, nullptr);
        } else {
            ASSERT_NE(row->value, nullptr);
            EXPECT_EQ(ProfileValueText(*row), value);
        }
        EXPECT_EQ(xProfiles_FindKey(name.c_str()), row);
        ++row;
        ++count;
    }
    EXPECT_EQ(count, 84);
    EXPECT_EQ(row->name, nullptr) << "the table holds a key the list lacks: " << row->name;
    EXPECT_EQ(xProfiles_Values().pixelFormat, 0);
}

TEST_F(ProfilesTest, TraceKeysAreTheTracesOwnValues) {
    ASSERT_EQ(xProfiles_FindKey("TRACELOGGING")->value, &xTrace_Keys().logging);
    ASSERT_EQ(xProfiles_FindKey("TRACELOGFILE")->value, &xTrace_Keys().logFile);
    xTrace("before\n");
    EXPECT_EQ(xProfiles_Set("TRACELOGGING", static_cast<sLong>(0)), 1);
    xTrace("hidden\n");
    EXPECT_EQ(traced(), "before\n");
    EXPECT_EQ(xProfiles_Set("tracelogging", "1"), 1);
    xTrace("after\n");
    EXPECT_EQ(traced(), "before\nafter\n");
}

TEST_F(ProfilesTest, NamesCompareWithoutCaseAndUnknownNamesChangeNothing) {
    EXPECT_EQ(xProfiles_FindKey("fullscreen"), xProfiles_FindKey("FULLSCREEN"));
    EXPECT_EQ(xProfiles_FindKey("FullScreen"), xProfiles_FindKey("FULLSCREEN"));
    EXPECT_EQ(xProfiles_FindKey("FULLSCREEN2"), nullptr);
    EXPECT_EQ(xProfiles_FindKey(nullptr), nullptr);
    const std::string before = vqt::test::DumpProfiles();
    sLong out = 77;
    EXPECT_EQ(xProfiles_Set("NOSUCHKEY", "1"), 0);
    EXPECT_EQ(xProfiles_Set("NOSUCHKEY", static_cast<sLong>(1)), 0);
    EXPECT_EQ(xProfiles_Set("NOSUCHKEY", rgbColor{1, 2, 3, 4}), 0);
    EXPECT_EQ(xProfiles_GetLong("NOSUCHKEY", &out), 0);
    EXPECT_EQ(out, 77);
    EXPECT_EQ(vqt::test::DumpProfiles(), before);
}

TEST_F(ProfilesTest, WindowedStageNeverUsesDirectDraw) {
    ProfileValues& v = xProfiles_Values();
    EXPECT_EQ(xProfiles_Set("FULLSCREEN", 0), 1);
    EXPECT_EQ(v.fullScreen, 0);
    EXPECT_EQ(v.directDraw, 0);
    EXPECT_EQ(v.dirtyRects, 1);
    EXPECT_EQ(xProfiles_Set("DIRTYRECTS", 0), 1);
    EXPECT_EQ(v.dirtyRects, 1) << "the hook derives it again";
    EXPECT_EQ(xProfiles_Set("DIRECTDRAW", 1), 1);
    EXPECT_EQ(v.directDraw, 0) << "no DirectDraw while windowed";

    EXPECT_EQ(xProfiles_Set("FULLSCREEN", 1), 1);
    EXPECT_EQ(v.directDraw, 0);
    EXPECT_EQ(v.dirtyRects, 1) << "full screen through GDI draws dirty rectangles";
    EXPECT_EQ(xProfiles_Set("DIRECTDRAW", "1"), 1);
    EXPECT_EQ(v.dirtyRects, 0) << "full screen through DirectDraw redraws the whole stage";
    EXPECT_EQ(xProfiles_Set("DIRTYRECTS", 1), 1);
    EXPECT_EQ(v.dirtyRects, 0);

    // The DirectX keys run the same hook.
    v.dirtyRects = 1;
    EXPECT_EQ(xProfiles_Set("DXREQUIRED", static_cast<boolean>(1)), 1);
    EXPECT_EQ(v.dirtyRects, 0);
    v.dirtyRects = 1;
    EXPECT_EQ(xProfiles_Set("DXDESIRED", static_cast<boolean>(0)), 1);
    EXPECT_EQ(v.dirtyRects, 0);
}

TEST_F(ProfilesTest, StageSizeTexts) {
    struct Case {
        const char* text;
        const char* size;
    };
    const Case cases[] = {
        {"800x600", "800x600"}, {"800,600", "800x600"}, {"800 600", "800x600"},
        {"abc", "640x480"},     {"0x600", "640x480"},   {"1024x", "640x480"},
        {"1024x0", "640x480"},  {"-800x600", "640x480"}, {"800x-600", "640x480"},
        {"1024", "640x480"},    {" 800x600", "800x600"}, {"800 x 600", "800x600"},
        {"1024X768", "640x480"},
    };
    for (const Case& c : cases) {
        xProfiles_Store().stageWidth = 1;
        xProfiles_Store().stageHeight = 1;
        EXPECT_EQ(xProfiles_Set("STAGESIZE", c.text), 1);
        EXPECT_EQ(StageSize(), c.size) << '"' << c.text << '"';
    }
    EXPECT_EQ(xProfiles_Set("STAGESIZE", "320x200"), 1);
    EXPECT_EQ(xProfiles_Set("STAGESIZE", ""), 1);
    EXPECT_EQ(StageSize(), "320x200") << "empty text leaves the size";
    EXPECT_EQ(xProfiles_Set("STAGESIZE", static_cast<sLong>(800)), 1) << "a custom key takes numbers too";
    EXPECT_EQ(StageSize(), "640x480") << "the hook gets \"800\", which has no separator";
}

TEST_F(ProfilesTest, CaptionSizeTexts) {
    EXPECT_EQ(xProfiles_Set("HMCAPTIONSIZE", "320,60"), 1);
    EXPECT_EQ(CaptionSize(), "320x60");
    EXPECT_EQ(xProfiles_Set("HMCAPTIONSIZE", ""), 1);
    EXPECT_EQ(CaptionSize(), "320x60");
    EXPECT_EQ(xProfiles_Set("HMCAPTIONSIZE", "junk"), 1);
    EXPECT_EQ(CaptionSize(), "400x40");
    EXPECT_EQ(xProfiles_Set("HMCAPTIONSIZE", "500x"), 1);
    EXPECT_EQ(CaptionSize(), "400x40");
    EXPECT_EQ(xProfiles_Set("HMCAPTIONSIZE", "70000x20"), 1);
    EXPECT_EQ(CaptionSize(), "400x40") << "a width the 16-bit size cannot hold";
    EXPECT_EQ(StageSize(), "640x480") << "the stage is another key";
}

TEST_F(ProfilesTest, PixelFormatCodes) {
    ProfileValues& v = xProfiles_Values();
    EXPECT_EQ(xProfiles_Set("PIXELFORMAT", "565"), 1);
    EXPECT_EQ(v.pixelFormat, 2);
    EXPECT_EQ(xProfiles_Set("PIXELFORMAT", "555"), 1);
    EXPECT_EQ(v.pixelFormat, 1);
    EXPECT_EQ(xProfiles_Set("PIXELFORMAT", "abc"), 1);
    EXPECT_EQ(v.pixelFormat, 0) << "the number of the text is stored; the hook leaves it";
    EXPECT_EQ(xProfiles_Set("PIXELFORMAT", static_cast<sShort>(2)), 1);
    EXPECT_EQ(v.pixelFormat, 2);

    const std::pair<sShort, int16_t> depths[] = {{24, 3}, {15, 3}, {8, 0}, {16, 1}, {32, 4}, {0, 4}};
    for (const auto& [depth, code] : depths) {
        EXPECT_EQ(xProfiles_Set("DISPLAYDEPTH", depth), 1);
        EXPECT_EQ(v.displayDepth, depth);
        EXPECT_EQ(v.pixelFormat, code) << "depth " << depth;
    }
    EXPECT_EQ(xProfiles_Set("DISPLAYDEPTH", "16"), 1);
    EXPECT_EQ(v.pixelFormat, 1);
}

TEST_F(ProfilesTest, GettersTakeOnlyTheirTypes) {
    sLong l = -5;
    sShort s = -5;
    uint32_t u = 5;
    boolean b = 9;
    char text[8] = "keep";
    EXPECT_EQ(xProfiles_GetLong("FRAMERATE", &l), 0);
    EXPECT_EQ(l, -5);
    EXPECT_EQ(xProfiles_GetShort("FRAMERATE", &s), 1);
    EXPECT_EQ(s, 12);
    EXPECT_EQ(xProfiles_GetShort("MEMCEILING", &s), 0);
    EXPECT_EQ(xProfiles_GetLong("MEMCEILING", &l), 1);
    EXPECT_EQ(l, 6291456);
    EXPECT_EQ(xProfiles_GetULong("MEMCEILING", &u), 0);
    EXPECT_EQ(xProfiles_GetULong("TICKSPERSECOND", &u), 1);
    EXPECT_EQ(u, 60u);
    EXPECT_EQ(xProfiles_GetBoolean("FRAMERATE", &b), 0);
    EXPECT_EQ(b, 9);
    EXPECT_EQ(xProfiles_GetString("FRAMERATE", text), 0);
    EXPECT_STREQ(text, "keep");
    EXPECT_EQ(xProfiles_GetBoolean("SHOWDXINITERROR", &b), 1);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(xProfiles_GetBoolean("FULLSCREEN", &b), 1);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(xProfiles_GetString("HMCAPTIONCOLOR", text), 0);
    EXPECT_EQ(xProfiles_GetLong("STAGESIZE", &l), 0);
    EXPECT_EQ(xProfiles_GetLong("MEMCEILING", nullptr), 0);
}

TEST_F(ProfilesTest, ShorthandReadersAnswerFalseOrZeroForMissingAndOtherTypes) {
    EXPECT_TRUE(xProfiles_Flag("FULLSCREEN"));
    EXPECT_EQ(xProfiles_Set("FULLSCREEN", static_cast<sLong>(256)), 1);
    EXPECT_TRUE(xProfiles_Flag("FULLSCREEN")) << "the whole storage counts";
    EXPECT_EQ(xProfiles_Set("FULLSCREEN", static_cast<sLong>(0)), 1);
    EXPECT_FALSE(xProfiles_Flag("FULLSCREEN"));
    EXPECT_FALSE(xProfiles_Flag("FRAMERATE")) << "a short key is not a boolean";
    EXPECT_FALSE(xProfiles_Flag("NOSUCHKEY"));

    EXPECT_EQ(xProfiles_Long("MEMCEILING"), 6291456);
    EXPECT_EQ(xProfiles_Set("MEMCEILING", "-42"), 1);
    EXPECT_EQ(xProfiles_Long("MEMCEILING"), -42);
    EXPECT_EQ(xProfiles_Long("FRAMERATE"), 0) << "a short key is not a long";
    EXPECT_EQ(xProfiles_Long("TICKSPERSECOND"), 0) << "nor an unsigned one";
    EXPECT_EQ(xProfiles_Long("NOSUCHKEY"), 0);
}

TEST_F(ProfilesTest, NumbersFromTextKeepTheirWidth) {
    sLong l = 0;
    uint32_t u = 0;
    EXPECT_EQ(xProfiles_Set("MEMCEILING", "1000"), 1);
    EXPECT_EQ(xProfiles_GetLong("MEMCEILING", &l), 1);
    EXPECT_EQ(l, 1000);
    EXPECT_EQ(xProfiles_Set("MEMCEILING", "  -42xyz"), 1);
    EXPECT_EQ(Value("MEMCEILING"), "-42");
    EXPECT_EQ(xProfiles_Set("MEMCEILING", "99999999999"), 1);
    EXPECT_EQ(Value("MEMCEILING"), "2147483647") << "held within the 32-bit range";
    EXPECT_EQ(xProfiles_Set("TICKSPERSECOND", "4000000000"), 1);
    EXPECT_EQ(Value("TICKSPERSECOND"), "4000000000");
    EXPECT_EQ(xProfiles_Set("TICKSPERSECOND", "-1"), 1);
    EXPECT_EQ(Value("TICKSPERSECOND"), "4294967295");
    EXPECT_EQ(xProfiles_Set("FRAMERATE", "70000"), 1);
    EXPECT_EQ(Value("FRAMERATE"), "4464") << "the low 16 bits";
    EXPECT_EQ(xProfiles_Set("FRAMERATE", static_cast<sLong>(-2)), 1);
    EXPECT_EQ(Value("FRAMERATE"), "-2");

    EXPECT_EQ(xProfiles_Set("LANGUAGE", static_cast<uint32_t>(70000)), 1);
    EXPECT_EQ(xProfiles_GetULong("LANGUAGE", &u), 1);
    EXPECT_EQ(u, 4464u) << "LANGUAGE holds 16 bits";
    EXPECT_EQ(xProfiles_Set("LANGUAGE", "24"), 1);
    EXPECT_EQ(xProfiles_GetULong("LANGUAGE", &u), 1);
    EXPECT_EQ(u, 24u);
    EXPECT_EQ(Value("USERLANGUAGE"), "10") << "writing LANGUAGE never touches USERLANGUAGE";
}

TEST_F(ProfilesTest, BooleansReadTheirWholeStorage) {
    boolean b = 0;
    EXPECT_EQ(xProfiles_Set("FULLSCREEN", static_cast<sLong>(256)), 1);
    EXPECT_EQ(xProfiles_GetBoolean("FULLSCREEN", &b), 1);
    EXPECT_EQ(b, 1) << "a boolean word holding 256 is true";
    EXPECT_EQ(Value("FULLSCREEN"), "256");
    EXPECT_EQ(xProfiles_Set("SOUNDENABLED", static_cast<sLong>(256)), 1);
    EXPECT_EQ(xProfiles_GetBoolean("SOUNDENABLED", &b), 1);
    EXPECT_EQ(b, 1) << "a one-byte boolean keeps a non-zero number true";
    EXPECT_EQ(xProfiles_Set("SOUNDENABLED", "0"), 1);
    EXPECT_EQ(xProfiles_GetBoolean("SOUNDENABLED", &b), 1);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(xProfiles_Set("STAGE", "512"), 1);
    EXPECT_EQ(Value("STAGE"), "512") << "a boolean of size 4 holds a 32-bit word";
    EXPECT_EQ(xProfiles_GetBoolean("STAGE", &b), 1);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(xProfiles_Set("SOUNDENABLED", "TRUE"), 1);
    EXPECT_EQ(Value("SOUNDENABLED"), "0") << "setting from text reads a number";
}

TEST_F(ProfilesTest, ColourAndPointKeys) {
    EXPECT_EQ(xProfiles_Set("HMCAPTIONCOLOR", "1,2,3"), 0);
    EXPECT_EQ(Value("HMCAPTIONCOLOR"), "0,0,0,0");
    EXPECT_EQ(xProfiles_Set("HMCAPTIONCOLOR", static_cast<sLong>(5)), 0);
    EXPECT_EQ(xProfiles_Set("HMCAPTIONCOLOR", rgbColor{10, 20, 30, 0}), 1);
    EXPECT_EQ(Value("HMCAPTIONCOLOR"), "10,20,30,0");
    EXPECT_EQ(xProfiles_Set("FRAMERATE", rgbColor{1, 1, 1, 0}), 0);
    EXPECT_EQ(xProfiles_Set("HMCAPTIONPOSITION", t_sPoint{320, 425}), 1);
    uint32_t word;
    std::memcpy(&word, xProfiles_FindKey("HMCAPTIONPOSITION")->value, 4);
    EXPECT_EQ(word, 320u | 425u << 16) << "first in the low half, second in the high half";
    EXPECT_EQ(xProfiles_Set("HMCAPTIONCOLOR", t_sPoint{1, 2}), 0);
    EXPECT_EQ(xProfiles_Set("HMCAPTIONPOSITION", "1,2"), 0);
    EXPECT_EQ(xProfiles_Set("PARTFILE", static_cast<sLong>(5)), 0);
    EXPECT_EQ(Value("PARTFILE"), "\"\"");
}

TEST_F(ProfilesTest, StringKeysKeepWithinTheirSize) {
    const std::string longName(40, 'c');
    EXPECT_EQ(xProfiles_Set("VQTAPPCLASS", longName.c_str()), 1);
    EXPECT_EQ(Value("VQTAPPCLASS"), "\"" + std::string(31, 'c') + "\"");
    EXPECT_EQ(Value("VQTAPPNAME"), "\"\"") << "the next key's storage is untouched";

    locale().SetDoubleByteCodePage(932, {{0x81, 0x9F}});
    xStr_InitLeadBytes();
    const std::string dbcs = std::string(30, 'd') + "\x81\x40" + "e";
    EXPECT_EQ(xProfiles_Set("VQTAPPCLASS", dbcs.c_str()), 1);
    EXPECT_EQ(Value("VQTAPPCLASS"), "\"" + std::string(30, 'd') + "\"") << "no half character";

    char small[8];
    EXPECT_EQ(xProfiles_Set("PARTFILE", "/a/long/path/name.vqk"), 1);
    EXPECT_EQ(xProfiles_GetString("PARTFILE", small), 1);
    EXPECT_STREQ(small, "/a/long");
    char full[1024];
    EXPECT_EQ(xProfiles_GetString("partfile", full, sizeof full), 1);
    EXPECT_STREQ(full, "/a/long/path/name.vqk");
}

/// Keys of a further table that record what their hooks get.
std::vector<std::string> g_hookTexts;
void RecordHook(const char* text) { g_hookTexts.emplace_back(text); }
int32_t g_long = 0;
char g_text[8] = "";
t_sPoint g_point{};
int32_t g_shadow = 0;
const t_sProfileKey kGameKeys[] = {
    {"GAMELONG", kProfileLong, 4, &g_long, RecordHook},
    {"GAMETEXT", kProfileString, sizeof g_text, g_text, RecordHook},
    {"GAMEPOINT", kProfilePoint, 4, &g_point, RecordHook},
    {"GAMECUSTOM", kProfileCustom, 0, nullptr, RecordHook},
    {"Verbose", kProfileLong, 4, &g_shadow, nullptr},
    {nullptr, 0, 0, nullptr, nullptr},
};

TEST_F(ProfilesTest, FurtherTablesAndHookTexts) {
    g_hookTexts.clear();
    EXPECT_EQ(xProfiles_AddTable(nullptr), 0);
    EXPECT_EQ(xProfiles_Set("GAMELONG", static_cast<sLong>(1)), 0) << "not registered yet";
    EXPECT_EQ(xProfiles_AddTable(kGameKeys), 1);
    EXPECT_EQ(xProfiles_AddTable(kGameKeys), 0) << "a table is registered once";
    EXPECT_EQ(xProfiles_AddTable(xProfiles_Store().tables[0]), 0);

    EXPECT_EQ(xProfiles_Set("gamelong", static_cast<sLong>(-5)), 1);
    EXPECT_EQ(g_long, -5);
    EXPECT_EQ(xProfiles_Set("GAMELONG", static_cast<uint32_t>(4000000000u)), 1);
    EXPECT_EQ(xProfiles_Set("GAMELONG", static_cast<sShort>(-3)), 1);
    EXPECT_EQ(xProfiles_Set("GAMELONG", static_cast<boolean>(200)), 1);
    EXPECT_EQ(g_long, 200);
    EXPECT_EQ(xProfiles_Set("GAMELONG", " 17 "), 1);
    EXPECT_EQ(xProfiles_Set("GAMETEXT", "abcdefghij"), 1);
    EXPECT_STREQ(g_text, "abcdefg");
    EXPECT_EQ(xProfiles_Set("GAMEPOINT", t_sPoint{1, 2}), 1) << "no hook for points";
    const std::string longText(300, 'z');
    EXPECT_EQ(xProfiles_Set("GAMECUSTOM", longText.c_str()), 1);
    const std::vector<std::string> expected = {"-5", "4000000000", "-3", "200", " 17 ", "abcdefghij",
                                               std::string(255, 'z')};
    EXPECT_EQ(g_hookTexts, expected);

    EXPECT_EQ(xProfiles_Set("VERBOSE", static_cast<sLong>(3)), 1);
    EXPECT_EQ(xProfiles_Values().verbose, 3) << "the first table holding the name wins";
    EXPECT_EQ(g_shadow, 0);
}

} // namespace
