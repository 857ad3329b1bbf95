// The sign-in screen on the generated game data: badges in step with the save file, names
// that may and may not be stored, keys, the delete question, suggestions and the way out.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/base/Random.h"
#include "engine/data/PartFile.h"
#include "engine/data/Strings.h"
#include "engine/data/Profiles.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/NameFilter.h"
#include "engine/media/TextIMEView.h"
#include "game/shell/NavigationProp.h"
#include "game/shell/Player.h"
#include "game/shell/SignInActivity.h"
#include "game/shell/SignInBadgeProps.h"
#include "game/shell/SignInDeleteButton.h"
#include "tests/game/shell/GameActivityFixture.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/Golden.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint16_t kSignIn = 4;
constexpr uint16_t kSignInWithoutFont = 31; // class 305 with no props at all

class SignInTest : public GameActivityFixture {
protected:
    void SetUp() override {
        GameActivityFixture::SetUp();
        xProfiles_Set("USERFILE", save.c_str());
        static const char kBlocked[15] = "badword";
        ASSERT_TRUE(xText_SetBlockedWords(reinterpret_cast<const uint8_t*>(kBlocked), sizeof kBlocked));
        CNameFilterState::Get().looked = true;
    }
    void AddTestData(GameData& data) override {
        data.file.AddChunk(GameData::kActivities, ActivityData({.classId = 305}), {.entry = kSignInWithoutFont});
    }
    /// A save file holding these records by slot.
    void PutSave(const std::map<int, Bytes>& records) { WriteFileBytes(save, ToString(SaveFileOf(records))); }
    std::string SaveBytes() const { return ReadFileBytes(save); }
    /// The names stored in the eight slots, joined by '|' ("?" for one that cannot be read).
    std::string StoredNames() {
        CPlayer player;
        std::string names;
        for (int s = 0; s < 8; ++s)
            names += (s ? "|" : "") + std::string(player.Load(s) == SaveSlotState::Unreadable ? "?" : player.GetName());
        return names;
    }
    SignIn_Activity* ShowSignIn(uint16_t entry = kSignIn) {
        Show(entry);
        return static_cast<SignIn_Activity*>(CurrentGameActivity());
    }
    /// Puts the text into badge b as if typed.
    static void Enter(SignIn_Activity* s, int b, const char* text) { s->GetEntry(b)->SetText(text); }
    bool Said(int line) {
        static const char* const kStarts[] = {"", "", "", "", "", "", "", "We already", "That\x92s not", "Whoa", "Type your name in an empty badge or"};
        OMessageProcess* messages = app->GetMessageProcess();
        for (int32_t i = 0; i < messages->QueueLength(); ++i)
            if (messages->QueuedAt(i)->caption.rfind(kStarts[line], 0) == 0) return true;
        return false;
    }

    std::string save = folder / "TLVSave.vqk";
};

TEST_F(SignInTest, AFirstStartWritesEightNewPlayersAndShowsEightEmptyBadges) {
    SignIn_Activity* s = ShowSignIn();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(StoredNames(), "|||||||");
    CPlayer fresh;
    for (int b = 0; b < 8; ++b) {
        EXPECT_TRUE(s->GetEmptyIcon(b)->IsVisible()) << b;
        EXPECT_FALSE(s->GetEntry(b)->IsVisible()) << b;
        EXPECT_EQ(s->GetEntry(b)->GetPosition().x, 177 + 290 * (b % 2));
        EXPECT_EQ(s->GetEntry(b)->GetPosition().y, 145 + 65 * (b / 2));
    }
    EXPECT_EQ(s->GetSelectedBadge(), -1);
    EXPECT_TRUE(s->GetDeleteButton()->IsDisabled());
    EXPECT_EQ(s->GetContinueButton()->GetTarget(), 5);
}

/// Badge 1 is left for badge 2 with a typed text; slot 3 holds "Bo".
struct LeaveCase {
    const char* typed;
    const char* stored; ///< slot 1 afterwards
    int line;           ///< spoken (-1 none)
    int16_t selected;   ///< afterwards
};

TEST_F(SignInTest, LeavingABadgeStoresOnlyAGoodNameAndOtherwiseRestoresIt) {
    const std::string longest(64, 'L'), tooLong = longest + "X";
    const std::string spaced = "  " + longest + "  "; // trimmed before it is cut
    const std::string blankAtTheCut = std::string(63, 'L') + " Zed", beforeTheCut(63, 'L');
    const LeaveCase cases[] = {
        {"  Ann  ", "Ann", -1, 2}, {"bo", "bo", -1, 2},     {"Bo", "", 7, 2},
        {"", "", -1, 2},          {"   ", "", -1, 2},      {"my badword", "", 8, 1},
        {tooLong.c_str(), longest.c_str(), -1, 2},
        {spaced.c_str(), longest.c_str(), -1, 2},
        {blankAtTheCut.c_str(), beforeTheCut.c_str(), -1, 2},
    };
    for (const LeaveCase& c : cases) {
        PutSave({{3, StoredRecord("Bo")}});
        SignIn_Activity* s = ShowSignIn();
        s->SelectBadge(1);
        Enter(s, 1, c.typed);
        s->SelectBadge(2);
        EXPECT_EQ(StoredNames(), "|" + std::string(c.stored) + "||Bo||||") << c.typed;
        EXPECT_EQ(s->GetSelectedBadge(), c.selected) << c.typed;
        EXPECT_TRUE(c.line < 0 || Said(c.line)) << c.typed;
        EXPECT_TRUE(c.line != 8 || !s->IsNameTaken(s->GetEntry(1)->GetTextPtr())) << "a suggestion no badge holds";
        EXPECT_TRUE(c.selected != 2 || s->GetEmptyIcon(1)->IsVisible() == (*c.stored == '\0')) << c.typed;
        Show(kPlainScreen);
    }
}

TEST_F(SignInTest, ALongDoubleByteNameIsCutAfterItsLastWholeCharacter) {
    struct Case {
        const char* name;
        uint32_t codePage;
        std::vector<std::pair<uint8_t, uint8_t>> leadBytes;
        std::string typed;
        std::string stored;
    };
    const std::vector<std::pair<uint8_t, uint8_t>> shiftJis{{0x81, 0x9F}, {0xE0, 0xFC}}, korean{{0x81, 0xFE}};
    const std::string kana = "\x82\xA0", hangul = "\xB0\xA1";
    auto times = [](const std::string& text, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += text;
        return out;
    };
    const Case cases[] = {
        {"a character across the 64th byte", 932, shiftJis, std::string(63, 'K') + kana, std::string(63, 'K')},
        {"a character ending on the 64th byte", 932, shiftJis, std::string(62, 'K') + kana + "X", std::string(62, 'K') + kana},
        {"32 characters between blanks", 932, shiftJis, "  " + times(kana, 32) + "  ", times(kana, 32)},
        {"code page 949", 949, korean, "K" + times(hangul, 32), "K" + times(hangul, 31)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        locale().SetDoubleByteCodePage(c.codePage, c.leadBytes);
        xStr_InitLeadBytes();
        PutSave({});
        SignIn_Activity* s = ShowSignIn();
        s->SelectBadge(1);
        Enter(s, 1, c.typed.c_str());
        s->SelectBadge(2);
        EXPECT_EQ(StoredNames(), "|" + c.stored + "||||||");
        EXPECT_EQ(std::string(s->GetEntry(1)->GetTextPtr()), c.stored) << "the entry shows what was stored";
        Show(kPlainScreen);
    }
}

TEST_F(SignInTest, StoppingOrConfirmingNeverSavesABadNameOverAPlayer) {
    for (const char* bad : {"", "   ", "my badword", "Cy"}) {
        PutSave({{3, StoredRecord("Bo").Counter(13, 2)}, {5, StoredRecord("Cy")}});
        SignIn_Activity* s = ShowSignIn(); // the free slots get the new-player values
        const std::string before = SaveBytes();
        s->SelectBadge(3);
        Enter(s, 3, bad);
        s->OnKeyDown(CTLVActivity::kKeyEnter); // a confirmation keeps the stored name
        EXPECT_STREQ(app->GetPlayer()->GetName(), "Bo") << bad;
        Enter(s, 3, bad);
        Show(kPlainScreen);
        EXPECT_TRUE(SaveBytes() == before) << bad << ": " << StoredNames();
        EXPECT_EQ(app->GetSaveSlot(), 3) << bad;
    }
}

TEST_F(SignInTest, TabMovesToTheNextBadgeAndWrapsButNotWithAltOrWithoutASelection) {
    SignIn_Activity* s = ShowSignIn();
    Type(CTLVActivity::kKeyTab);
    EXPECT_EQ(s->GetSelectedBadge(), -1);
    s->SelectBadge(7);
    Type(CTLVActivity::kKeyTab);
    EXPECT_EQ(s->GetSelectedBadge(), 0);
    Type(CTLVActivity::kKeyTab, CTLVActivity::kKeyAlt);
    EXPECT_EQ(s->GetSelectedBadge(), 0) << "ALT+TAB switches programs, not badges";
    EXPECT_TRUE(s->GetEntry(0)->Caret().editing);
    EXPECT_FALSE(s->GetEntry(7)->Caret().editing);
}

TEST_F(SignInTest, ASuggestionIsFoundInBoundedTimeWhenSevenAreTaken) {
    const char* taken[] = {"Sparky", "Rusty", "Dash", "Ziggy", "Pip", "Comet", "Echo"};
    std::map<int, Bytes> records;
    for (int b = 1; b < 8; ++b) records[b] = StoredRecord(taken[b - 1]);
    PutSave(records);
    SignIn_Activity* s = ShowSignIn();
    s->SelectBadge(0);
    for (const uint32_t seed : {1u, 7u, 12345u}) {
        xSRand(seed);
        s->SuggestName();
        EXPECT_STREQ(s->GetEntry(0)->GetTextPtr(), "Nova") << seed;
    }
}

TEST_F(SignInTest, AnUnreadableSlotStaysTakenUntilADeleteIsConfirmed) {
    PutSave({{2, StoredRecord("Old", 18)}, {3, StoredRecord("Bo")}});
    const std::string before = SaveBytes();
    SignIn_Activity* s = ShowSignIn();
    EXPECT_TRUE(s->IsUnreadable(2));
    EXPECT_FALSE(s->GetEmptyIcon(2)->IsVisible());
    s->SelectBadge(2);
    EXPECT_FALSE(s->GetEntry(2)->Caret().editing);
    EXPECT_FALSE(s->GetDeleteButton()->IsDisabled());
    s->SelectBadge(0);
    EXPECT_EQ(StoredNames(), "||?|Bo||||");
    s->SelectBadge(2);
    s->GetDeleteButton()->OnButtonUp();
    ASSERT_TRUE(s->IsPanelShown(CTLVActivity::kPanelDelete));
    s->OnButton(CTLVActivity::kPanelDelete, 0);
    EXPECT_EQ(StoredNames(), "||?|Bo||||") << "No";
    s->GetDeleteButton()->OnButtonUp();
    s->SelectBadge(3);
    EXPECT_EQ(s->GetSelectedBadge(), 2) << "the question was asked for badge 2";
    s->OnButton(CTLVActivity::kPanelDelete, 1);
    EXPECT_EQ(StoredNames(), "|||Bo||||") << "Yes";
    EXPECT_NE(SaveBytes(), before);
    EXPECT_TRUE(s->GetDeleteButton()->IsDisabled());
    EXPECT_EQ(s->GetSelectedBadge(), 2);
}

TEST_F(SignInTest, WithoutTheFontPropTheBadgesUseTheDefaultFont) {
    SignIn_Activity* s = ShowSignIn(kSignInWithoutFont);
    ASSERT_NE(s, nullptr);
    EXPECT_NE(s->GetEntry(0)->GetFont(), nullptr);
    EXPECT_EQ(s->GetDeleteButton(), nullptr);
    s->SelectBadge(0); // no delete button or label to set
    EXPECT_FALSE(s->MayNavigate(5));
}

/// The way to the garage: the first-time movie only for a player who has not driven out.
TEST_F(SignInTest, AGoodNameLeavesForTheGarageWithTheMovieOnlyTheFirstTime) {
    const struct {
        int slot;
        bool movie;
    } cases[] = {{0, true}, {3, false}};
    for (const auto& c : cases) {
        PutSave({{0, StoredRecord("Ann")}, {3, StoredRecord("Bo").Counter(14, 1)}});
        SignIn_Activity* s = ShowSignIn();
        EXPECT_FALSE(s->MayNavigate(5)) << "no badge";
        s->SelectBadge(int16_t(c.slot));
        const int32_t overlays = manager->AddOverlay(nullptr);
        EXPECT_TRUE(s->MayNavigate(5));
        EXPECT_EQ(manager->AddOverlay(nullptr), overlays + (c.movie ? 1 : 0)) << c.slot;
        manager->RequestActivity(MakeChunkId(1, kPlainScreen)); // through the movie
        for (int i = 0; i < 500 && manager->GetCurrentId() != MakeChunkId(1, kPlainScreen); ++i) Frames(1, kFrameMs);
        EXPECT_EQ(app->GetSaveSlot(), c.slot);
    }
}

} // namespace
} // namespace vqt::test
