// The typed debug keywords on the virtual clock, typed as window messages.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/media/CheatService.h"
#include "engine/media/DebugKeywords.h"
#include "engine/media/DiagnosticsState.h"
#include "engine/media/MemWatcher.h"
#include "engine/media/Sound.h"
#include "engine/media/TextCView.h"
#include "platform/headless/ScriptedDialogs.h"
#include "tests/engine/media/WatcherFixture.h"

namespace vqt::test {
namespace {

bool Flag(const char* key) {
    boolean on = 0;
    xProfiles_GetBoolean(key, &on);
    return on != 0;
}

sLong Long(const char* key) {
    sLong value = 0;
    xProfiles_GetLong(key, &value);
    return value;
}

bool DrawStatsShown() { return OWindow::Main()->GetDrawStatsView()->IsVisible() != 0; }

int Beeps() { return static_cast<plat::ScriptedDialogs&>(plat::dialogs()).Beeps(); }

struct KeywordCase {
    const char* name;
    bool cheats;
    void (*setUp)();
    std::string script;
    uint32_t lengthMs;
    void (*check)();
};

const KeywordCase kKeywordCases[] = {
    {"NothingWhileTheKeywordsAreOff", false, [] {}, Typing("+++brenfodix", 0), 1300,
     [] { EXPECT_FALSE(Flag("DRAWSTATSVISIBLE") || DrawStatsShown()); }},
    {"CtrlShiftF1SwitchesThemOn", false, [] {}, CtrlShiftF1(0) + Typing("+++brenfodix", 100), 1400,
     [] {
         EXPECT_TRUE(Flag("CHEATSENABLED"));
         EXPECT_TRUE(Flag("DRAWSTATSVISIBLE") && DrawStatsShown());
     }},
    {"CapitalsMatch", true, [] {}, Typing("+++BRENFODIX", 0), 1300,
     [] { EXPECT_TRUE(Flag("DRAWSTATSVISIBLE") && DrawStatsShown()); }},
    {"APauseSpoilsTheWordAndTypingItAgainWorks", true, [] {},
     Typing("+++bren", 0) + Typing("fodix", 1700) + Typing("+++brenfodix", 3400), 4600,
     [] { EXPECT_TRUE(Flag("DRAWSTATSVISIBLE")) << "switched once, not twice"; }},
    {"TheNumberSignOnlyAfterAPauseGoesThroughTheColourCycle", true,
     [] {
         xProfiles_Set("MEMSTATSVISIBLE", boolean(1));
         ShowMemWatcher();
         GetMemWatcher()->OnIdle(); // makes the text panel
         xDiagnostics_State().memoryTextColour = 0x00123456; // not in the cycle
     },
     Typing("x#", 0) + Typing("#", 1300) + Typing("#", 2600), 2700,
     [] {
         EXPECT_EQ(xDiagnostics_State().memoryTextColour, ColorWord(255, 255, 255)) << "grey 192, then white";
         EXPECT_EQ(GetMemWatcher()->GetTextView()->GetTextColor(), ColorWord(255, 255, 255));
     }},
    {"AVolumeSavedTwiceIsZeroAndIsRestoredOnce", true, [] { xSound_SetMasterVolume(300); },
     Typing("+++gultrosh", 0) + Typing("+++gultrosh", 2300) + Typing("+++vakmirp", 4600), 5700,
     [] {
         EXPECT_EQ(xSound_GetMasterVolume(), 0);
         EXPECT_EQ(xDiagnostics_State().savedVolume, CDiagnosticsState::kNoSavedVolume);
     }},
    {"TheTraceLevelStaysAtZeroAndBeeps", true, [] {}, Typing("---lunifax", 0), 1100,
     [] {
         EXPECT_EQ(Long("VERBOSE"), 0);
         EXPECT_EQ(Beeps(), 1);
     }},
};

/// The application's processes, the keyword service among them.
class KeywordsTest : public WatcherTest {
protected:
    void SetUp() override {
        WatcherTest::SetUp();
        ASSERT_EQ(app.CreateProcesses(), 1);
        ASSERT_NE(app.GetCheatService(), nullptr);
    }
};

class DebugKeywordsTest : public KeywordsTest, public ::testing::WithParamInterface<KeywordCase> {};

TEST_P(DebugKeywordsTest, TypedKeywordsRunTheirActions) {
    const KeywordCase& c = GetParam();
    xProfiles_Set("CHEATSENABLED", boolean(c.cheats ? 1 : 0));
    c.setUp();
    Play(c.script, c.lengthMs);
    c.check();
}

INSTANTIATE_TEST_SUITE_P(Keywords, DebugKeywordsTest, ::testing::ValuesIn(kKeywordCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeywordsTest, ATableIsListedOnceAndCodesReachOnlyASettledActivity) {
    static const CCheatCode codes[] = {{"+++code", nullptr, 42}, {nullptr, nullptr, 0}};
    OCheatService& cheats = *app.GetCheatService();
    EXPECT_FALSE(cheats.AddCodeTable(xDebug_KeywordTable()));
    EXPECT_TRUE(cheats.AddCodeTable(codes));
    EXPECT_FALSE(cheats.AddCodeTable(codes));
    EXPECT_EQ(cheats.TableCount(), 2u);
    xProfiles_Set("CHEATSENABLED", boolean(1));
    // Letters past 127 are no printable characters here; a run longer than every keyword stops
    // growing.
    cheats.OnChar(0xE9);
    EXPECT_EQ(cheats.GetTypedText(), "");
    for (int i = 0; i < 100; ++i) cheats.OnChar('a');
    EXPECT_EQ(cheats.GetTypedText().size(), std::strlen("+++fendaplourix") + 1);
    clock().Advance(1100);
    cheats.OnIdle();
    OpenStages();
    Play(Typing("+++code", 0), 800); // no activity yet
    SwitchTo(kHarbour);
    Play(Typing("+++code", 1200) + Typing("+++pomeridu", 3000), 4200);
    EXPECT_EQ(Current()->codes, std::vector<uint32_t>{42});
    EXPECT_EQ(Current()->resets, 1);

    // Mid-switch the code reaches nobody, and the activity watcher names both activities.
    DebugActivity* harbour = Current();
    GetActivityManager()->RequestActivity(kStation);
    for (const char c : std::string("+++code")) cheats.OnChar(uint8_t(c));
    EXPECT_EQ(harbour->codes.size(), 1u);
    clock().Advance(1100);
    cheats.OnIdle();
    for (const char c : std::string("+++wimbelor")) cheats.OnChar(uint8_t(c));
    ASSERT_TRUE(GetActivityManager()->IsWatcherVisible());
    EXPECT_EQ(static_cast<OTextCView*>(GetActivityManager()->GetWatcherView())->GetTextPtr(),
              std::string("Current Act : Harbour Front (1,26)\rPending Act : Fire Station (1,27)\r"));
}

} // namespace
} // namespace vqt::test
