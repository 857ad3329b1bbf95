// The sign-in badges' names on the generated game data: a name wider than its badge shows its
// beginning while it is not being edited, and is centred again while it is.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/data/Profiles.h"
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

    std::string save = folder / "TLVSave.vqk";
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

} // namespace
} // namespace vqt::test
