#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/base/Trace.h"
#include "engine/data/Profiles.h"
#include "engine/data/Strings.h"
#include "tests/engine/data/ProfileDump.h"
#include "tests/support/Golden.h"
#include "tests/support/HeadlessTest.h"

namespace {

class ProfilesTest : public vqt::test::ProfileStoreTest {
protected:
    static std::string StageSize() {
        return std::to_string(xProfiles_Store().stageWidth) + "x" + std::to_string(xProfiles_Store().stageHeight);
    }
    static std::string CaptionSize() {
        return std::to_string(xProfiles_Store().captionWidth) + "x" + std::to_string(xProfiles_Store().captionHeight);
    }
};

TEST_F(ProfilesTest, EngineTableHoldsEveryKeyInOrderWithItsTypeSizeAndDefault) {
    xTrace_Keys() = TraceKeys{};
    // The golden lists name, type, size and default in table order, then the hooks' sizes.
    vqt::test::ExpectMatchesGolden("engine/data/profile_keys.txt", vqt::test::DumpProfiles());
    for (const t_sProfileKey* row = xProfiles_Store().tables.at(0); row->name != nullptr; ++row)
        EXPECT_EQ(xProfiles_FindKey(row->name), row);
}

TEST_F(ProfilesTest, TraceKeysAreTheTracesOwnValues) {
    xTrace("before\n");
    EXPECT_EQ(xProfiles_Set("TRACELOGGING", static_cast<sLong>(0)), 1);
    xTrace("hidden\n");
    EXPECT_EQ(xProfiles_Set("tracelogging", "1"), 1);
    xTrace("after\n");
    EXPECT_EQ(traced(), "before\nafter\n");
}

TEST_F(ProfilesTest, NamesCompareWithoutCaseAndUnknownNamesChangeNothing) {
    EXPECT_EQ(xProfiles_FindKey("FullScreen"), xProfiles_FindKey("FULLSCREEN"));
    EXPECT_EQ(xProfiles_FindKey("FULLSCREEN2"), nullptr);
    EXPECT_EQ(xProfiles_FindKey(nullptr), nullptr);
    const std::string before = vqt::test::DumpProfiles();
    sLong out = 77;
    EXPECT_EQ(xProfiles_Set("NOSUCHKEY", "1"), 0);
    EXPECT_EQ(xProfiles_Set("NOSUCHKEY", rgbColor{1, 2, 3, 4}), 0);
    EXPECT_EQ(xProfiles_GetLong("NOSUCHKEY", &out), 0);
    EXPECT_EQ(out, 77);
    EXPECT_EQ(vqt::test::DumpProfiles(), before);
}

TEST_F(ProfilesTest, WindowedStageNeverUsesDirectDraw) {
    ProfileValues& v = xProfiles_Values();
    // Each setting, then what the mode hook makes of full screen, DirectDraw and dirty rectangles.
    struct Step {
        const char* key;
        sLong value;
        int fullScreen, directDraw, dirtyRects;
    };
    const Step steps[] = {
        {"FULLSCREEN", 0, 0, 0, 1}, {"DIRTYRECTS", 0, 0, 0, 1}, {"DIRECTDRAW", 1, 0, 0, 1},
        {"FULLSCREEN", 1, 1, 0, 1}, {"DIRECTDRAW", 1, 1, 1, 0}, {"DIRTYRECTS", 1, 1, 1, 0},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(xProfiles_Set(step.key, step.value), 1);
        EXPECT_EQ(std::vector<int>({v.fullScreen, v.directDraw, v.dirtyRects}),
                  std::vector<int>({step.fullScreen, step.directDraw, step.dirtyRects}))
            << step.key << "=" << step.value;
    }
    // The DirectX keys run the same hook.
    for (const char* key : {"DXREQUIRED", "DXDESIRED"}) {
        v.dirtyRects = 1;
        EXPECT_EQ(xProfiles_Set(key, static_cast<boolean>(1)), 1);
        EXPECT_EQ(v.dirtyRects, 0) << key;
    }
}

TEST_F(ProfilesTest, SizeTextsHoldEachNumberWithinItsLimits) {
    struct Case {
        const char* key;
        const char* text;
        const char* size;
    };
    // Each number exactly on its limits and one past them; a text without a size keeps the last.
    const Case cases[] = {
        {"STAGESIZE", "800x600", "800x600"},   {"STAGESIZE", "800,600", "800x600"}, {"STAGESIZE", "800 x 600", "800x600"},
        {"STAGESIZE", " 800x600", "800x600"},  {"STAGESIZE", "abc", "640x480"},     {"STAGESIZE", "0x600", "640x480"},
        {"STAGESIZE", "1024x", "640x480"},     {"STAGESIZE", "-800x600", "640x480"}, {"STAGESIZE", "800x-600", "640x480"},
        {"STAGESIZE", "1024X768", "640x480"},  {"STAGESIZE", "320x200", "320x200"}, {"STAGESIZE", "", "320x200"},
        {"HMCAPTIONSIZE", "320,60", "320x60"}, {"HMCAPTIONSIZE", "", "320x60"},     {"HMCAPTIONSIZE", "500x", "400x40"},
        {"HMCAPTIONSIZE", "32767x1", "32767x1"}, {"HMCAPTIONSIZE", "32768x1", "400x40"},
        {"HMCAPTIONSIZE", "1x32767", "1x32767"}, {"HMCAPTIONSIZE", "1x32768", "400x40"},
        {"HMCAPTIONSIZE", "20x0", "400x40"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(xProfiles_Set(c.key, c.text), 1);
        EXPECT_EQ(std::string(c.key) == "STAGESIZE" ? StageSize() : CaptionSize(), c.size) << c.key << " \"" << c.text << '"';
    }
    EXPECT_EQ(xProfiles_Set("STAGESIZE", static_cast<sLong>(800)), 1) << "a custom key takes numbers too";
    EXPECT_EQ(StageSize(), "640x480") << "the hook gets \"800\", which has no separator";
}

TEST_F(ProfilesTest, PixelFormatCodes) {
    ProfileValues& v = xProfiles_Values();
    const std::pair<const char*, int16_t> texts[] = {{"565", 2}, {"555", 1}, {"abc", 0}};
    for (const auto& [text, code] : texts) {
        EXPECT_EQ(xProfiles_Set("PIXELFORMAT", text), 1);
        EXPECT_EQ(v.pixelFormat, code) << text;
    }
    const std::pair<sShort, int16_t> depths[] = {{24, 3}, {15, 3}, {8, 0}, {16, 1}, {32, 4}, {0, 4}};
    for (const auto& [depth, code] : depths) {
        EXPECT_EQ(xProfiles_Set("DISPLAYDEPTH", depth), 1);
        EXPECT_EQ(v.pixelFormat, code) << "depth " << depth;
    }
}

TEST_F(ProfilesTest, GettersAndShorthandsTakeOnlyTheirTypes) {
    sLong l = -5;
    sShort s = -5;
    uint32_t u = 5;
    boolean b = 9;
    char text[8] = "keep";
    EXPECT_EQ(xProfiles_GetLong("FRAMERATE", &l), 0);
    EXPECT_EQ(xProfiles_GetShort("MEMCEILING", &s), 0);
    EXPECT_EQ(xProfiles_GetULong("MEMCEILING", &u), 0);
    EXPECT_EQ(xProfiles_GetBoolean("FRAMERATE", &b), 0);
    EXPECT_EQ(xProfiles_GetString("FRAMERATE", text), 0);
    EXPECT_EQ(xProfiles_GetString("HMCAPTIONCOLOR", text), 0);
    EXPECT_EQ(xProfiles_GetLong("STAGESIZE", &l), 0);
    EXPECT_EQ(xProfiles_GetLong("MEMCEILING", nullptr), 0);
    EXPECT_EQ(std::vector<int>({l, s, int(u), b}), std::vector<int>({-5, -5, 5, 9})) << "refusals write nothing";
    EXPECT_STREQ(text, "keep");
    EXPECT_EQ(xProfiles_GetShort("FRAMERATE", &s), 1);
    EXPECT_EQ(xProfiles_GetLong("MEMCEILING", &l), 1);
    EXPECT_EQ(xProfiles_GetULong("TICKSPERSECOND", &u), 1);
    EXPECT_EQ(xProfiles_GetBoolean("SHOWDXINITERROR", &b), 1);
    EXPECT_EQ(std::vector<int>({l, s, int(u), b}), std::vector<int>({6291456, 12, 60, 1}));

    EXPECT_FALSE(xProfiles_Flag("FRAMERATE")) << "a short key is not a boolean";
    EXPECT_FALSE(xProfiles_Flag("NOSUCHKEY"));
    EXPECT_EQ(xProfiles_Long("FRAMERATE"), 0) << "a short key is not a long";
    EXPECT_EQ(xProfiles_Long("TICKSPERSECOND"), 0) << "nor an unsigned one";
    EXPECT_EQ(xProfiles_Long("NOSUCHKEY"), 0);
}

TEST_F(ProfilesTest, NumbersAndBooleansFromTextAndNumbersKeepTheirWidth) {
    struct Case {
        const char* key;
        const char* text;
        const char* stored;
    };
    const Case cases[] = {
        {"MEMCEILING", "  -42xyz", "-42"},          {"MEMCEILING", "99999999999", "2147483647"},
        {"TICKSPERSECOND", "4000000000", "4000000000"}, {"TICKSPERSECOND", "-1", "4294967295"},
        {"FRAMERATE", "70000", "4464"},             {"LANGUAGE", "70000", "4464"},
        {"STAGE", "512", "512"},                    {"SOUNDENABLED", "TRUE", "0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(xProfiles_Set(c.key, c.text), 1);
        EXPECT_EQ(Value(c.key), c.stored) << c.key << "=" << c.text;
    }
    EXPECT_EQ(xProfiles_Long("MEMCEILING"), 2147483647);
    EXPECT_EQ(Value("USERLANGUAGE"), "10") << "writing LANGUAGE never touches USERLANGUAGE";
    EXPECT_EQ(xProfiles_Set("FRAMERATE", static_cast<sLong>(-2)), 1);
    EXPECT_EQ(Value("FRAMERATE"), "-2");
    // A boolean reads its whole storage: 256 in a word, or any non-zero number given to a byte.
    boolean b = 0;
    for (const char* key : {"FULLSCREEN", "SOUNDENABLED", "STAGE"}) {
        EXPECT_EQ(xProfiles_Set(key, static_cast<sLong>(256)), 1);
        EXPECT_EQ(xProfiles_GetBoolean(key, &b), 1);
        EXPECT_EQ(b, 1) << key;
        EXPECT_TRUE(xProfiles_Flag(key)) << key;
    }
    EXPECT_EQ(xProfiles_Set("SOUNDENABLED", "0"), 1);
    EXPECT_FALSE(xProfiles_Flag("SOUNDENABLED"));
}

TEST_F(ProfilesTest, ColourPointAndStringKeys) {
    EXPECT_EQ(xProfiles_Set("HMCAPTIONCOLOR", "1,2,3"), 0);
    EXPECT_EQ(xProfiles_Set("HMCAPTIONCOLOR", static_cast<sLong>(5)), 0);
    EXPECT_EQ(xProfiles_Set("HMCAPTIONCOLOR", t_sPoint{1, 2}), 0);
    EXPECT_EQ(xProfiles_Set("FRAMERATE", rgbColor{1, 1, 1, 0}), 0);
    EXPECT_EQ(xProfiles_Set("HMCAPTIONPOSITION", "1,2"), 0);
    EXPECT_EQ(xProfiles_Set("PARTFILE", static_cast<sLong>(5)), 0);
    EXPECT_EQ(xProfiles_Set("HMCAPTIONCOLOR", rgbColor{10, 20, 30, 0}), 1);
    EXPECT_EQ(Value("HMCAPTIONCOLOR"), "10,20,30,0");
    EXPECT_EQ(xProfiles_Set("HMCAPTIONPOSITION", t_sPoint{320, 425}), 1);
    uint32_t word;
    std::memcpy(&word, xProfiles_FindKey("HMCAPTIONPOSITION")->value, 4);
    EXPECT_EQ(word, 320u | 425u << 16) << "first in the low half, second in the high half";

    EXPECT_EQ(xProfiles_Set("VQTAPPCLASS", std::string(40, 'c').c_str()), 1);
    EXPECT_EQ(Value("VQTAPPCLASS"), "\"" + std::string(31, 'c') + "\"");
    EXPECT_EQ(Value("VQTAPPNAME"), "\"\"") << "the next key's storage is untouched";
    locale().SetDoubleByteCodePage(932, {{0x81, 0x9F}});
    xStr_InitLeadBytes();
    EXPECT_EQ(xProfiles_Set("VQTAPPCLASS", (std::string(30, 'd') + "\x81\x40" + "e").c_str()), 1);
    EXPECT_EQ(Value("VQTAPPCLASS"), "\"" + std::string(30, 'd') + "\"") << "no half character";
    char small[8];
    char full[1024];
    EXPECT_EQ(xProfiles_Set("PARTFILE", "/a/long/path/name.vqk"), 1);
    EXPECT_EQ(xProfiles_GetString("PARTFILE", small), 1);
    EXPECT_STREQ(small, "/a/long");
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
