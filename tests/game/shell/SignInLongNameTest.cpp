// The sign-in badges' names on the generated game data: a name wider than its badge shows its
// beginning while it is not being edited, and is centred again while it is; a suggestion longer
// than a name may be is cut after its last whole character.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/base/Random.h"
#include "engine/data/Profiles.h"
#include "engine/data/Strings.h"
#include "engine/media/Font.h"
#include "engine/media/TextIMEView.h"
#include "game/shell/SignInActivity.h"
#include "tests/game/shell/GameActivityFixture.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/Golden.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint16_t kSignIn = 4;
constexpr int kShort = 1, kLong = 3;
constexpr char kLongName[] = "Wolfgang Maximilian Bartholomew Fitzgerald-Smythe";

class SignInLongNameTest : public GameActivityFixture {
protected:
    void SetUp() override {
        GameActivityFixture::SetUp();
        xProfiles_Set("USERFILE", save.c_str());
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        records[kShort] = StoredRecord("Bo").bytes();
        records[kLong] = StoredRecord(kLongName).bytes();
        WriteFileBytes(save, ToString(SaveFileOf(records)));
    }

    /// Every suggestion {17, 0, 318..325} reads `text` from now on, through a patch of the part
    /// file as the game takes one.
    void PatchSuggestions(const std::u16string& text) {
        GameData patch;
        for (uint16_t entry = 318; entry <= 325; ++entry)
            patch.file.AddChunk(GameData::kMessages, TextRecords({{.text = text}}), {.entry = entry});
        const std::string path = folder / ("suggestions" + std::to_string(++patches_) + ".vqk");
        ASSERT_TRUE(patch.file.WriteFile(path));
        ASSERT_TRUE(app->GetPartFile()->OpenPatch(path.c_str()));
    }

    std::string save = folder / "TLVSave.vqk";

private:
    int patches_ = 0;
};

TEST_F(SignInLongNameTest, ALongNameShowsItsBeginningUnlessItIsBeingEdited) {
    Show(kSignIn);
    auto* s = dynamic_cast<SignIn_Activity*>(CurrentGameActivity());
    ASSERT_NE(s, nullptr);
    OTextIMEView* longName = s->GetEntry(kLong);
    OTextIMEView* shortName = s->GetEntry(kShort);
    ASSERT_GT(longName->GetTextWidth(kLongName), longName->GetWidth()) << "the name is wider than its badge";

    struct Step {
        const char* what;
        int select;
        int32_t longAlignment, shortAlignment;
    };
    const Step steps[] = {
        {"shown", -2, kAlignLeft, kAlignCentre},
        {"the long name edited", kLong, kAlignCentre, kAlignCentre},
        {"the short one edited", kShort, kAlignLeft, kAlignCentre},
        {"none edited", -1, kAlignLeft, kAlignCentre},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.select != -2) s->SelectBadge(int16_t(step.select));
        EXPECT_STREQ(longName->GetTextPtr(), kLongName);
        EXPECT_EQ(longName->GetAlignment(), step.longAlignment);
        EXPECT_EQ(shortName->GetAlignment(), step.shortAlignment);
    }
}

TEST_F(SignInLongNameTest, ALongSuggestionIsCutAfterItsLastWholeCharacter) {
    // The locale converts to code page 1252, whose bytes the injected lead-byte ranges pair up:
    // U+00E0 U+00A1 are the bytes E0 A1, U+00B0 U+00A1 the bytes B0 A1.
    struct Case {
        const char* name;
        uint32_t codePage;
        std::vector<std::pair<uint8_t, uint8_t>> leadBytes;
        std::u16string suggestion;
        std::string shown;
    };
    const std::vector<std::pair<uint8_t, uint8_t>> shiftJis{{0x81, 0x9F}, {0xE0, 0xFC}}, korean{{0x81, 0xFE}};
    const std::u16string kana = u"\u00E0\u00A1", hangul = u"\u00B0\u00A1";
    const std::string kanaBytes = "\xE0\xA1", hangulBytes = "\xB0\xA1";
    auto times = []<class Text>(const Text& text, int n) {
        Text out;
        for (int i = 0; i < n; ++i) out += text;
        return out;
    };
    const Case cases[] = {
        {"a character across the 64th byte", 932, shiftJis, std::u16string(63, u'K') + kana, std::string(63, 'K')},
        {"a character ending on the 64th byte", 932, shiftJis, std::u16string(62, u'K') + kana + u"X",
         std::string(62, 'K') + kanaBytes},
        {"code page 949", 949, korean, u"K" + times(hangul, 32), "K" + times(hangulBytes, 31)},
        {"a short one whole", 932, shiftJis, u"Pip" + kana, "Pip" + kanaBytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        locale().SetDoubleByteCodePage(c.codePage, c.leadBytes);
        xStr_InitLeadBytes();
        PatchSuggestions(c.suggestion);
        Show(kSignIn);
        auto* s = dynamic_cast<SignIn_Activity*>(CurrentGameActivity());
        ASSERT_NE(s, nullptr);
        s->SelectBadge(0);
        xSRand(1);
        s->SuggestName();
        EXPECT_EQ(std::string(s->GetEntry(0)->GetTextPtr()), c.shown);
        Show(kPlainScreen);
    }
}

} // namespace
} // namespace vqt::test
