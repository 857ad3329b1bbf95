// The game's start-up hooks called in the test process, over the headless platform.
#include <gtest/gtest.h>

#include <string>

#include "engine/data/Messages.h"
#include "engine/data/Profiles.h"
#include "game/shell/TLVApp.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/TempFolder.h"

namespace {

using vqt::test::TempFolder;

const xMessagePair kTexts[] = {{"APP_ERR_CANTOPENPF", "Cannot open |1, insert the disc."}, {nullptr, nullptr}};

/// A fresh profile store and message tables holding the game's error text.
class GameHooksTest : public vqt::test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        xProfiles_Store().ResetForTest();
        xMessages_Context().ResetForTest();
        xMessages_AddTable(kTexts);
    }
    void TearDown() override {
        xMessages_Context().ResetForTest();
        xProfiles_Store().ResetForTest();
        HeadlessTest::TearDown();
    }
};

TEST_F(GameHooksTest, APartFileFoundNowhereShowsItsBoxTurnsDirectDrawOffAndEndsTheStartUp) {
    TempFolder work;
    const std::string path = work / "no-such-part-file-3f9c.vqk";
    xProfiles_Set("PARTFILE", path.c_str());
    xProfiles_Set("DIRECTDRAW", sLong(1));

    EXPECT_FALSE(VQAppInit());

    char userFile[256] = {};
    xProfiles_GetString("USERFILE", userFile);
    EXPECT_STREQ(userFile, "TLVSave.vqk");
    EXPECT_FALSE(xProfiles_Flag("DIRECTDRAW"));
    ASSERT_EQ(dialogs().Boxes().size(), 1u);
    const plat::ScriptedDialogs::Box& box = dialogs().Boxes()[0];
    EXPECT_EQ(box.text, "Cannot open " + path + ", insert the disc.");
    EXPECT_EQ(box.title, "Error");
    EXPECT_EQ(box.type, plat::mb::SystemModal | plat::mb::IconStop | plat::mb::Ok);
}

} // namespace
