#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/Platform.h"
#include "platform/headless/IniRegistry.h"
#include "tests/support/Environment.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace {

class RegistryTest : public vqt::test::HeadlessTest {};

constexpr const char* kContents =
    "; machine values\r\n"
    "Orphan=\"before any key\"\r\n"
    "[Software\\Maker\\Game]\r\n"
    "PartFile = \"/data/game.vqk\"\r\n"
    "FRAMERATE=dword:0000001e\r\n"
    "Plain=some text\r\n"
    "Tricky=\"dword:5\"\r\n"
    "BadDword=dword:12345678FF\r\n"
    "PartFile=\"second\"\r\n"
    "Empty=\r\n"
    "[Software\\Other]\n"
    "FRAMERATE=dword:FFFFFFFF";

TEST_F(RegistryTest, AnswersTextsAndNumbersOfAKey) {
    registry().SetContents(kContents);
    plat::Registry& r = plat::registry();
    auto v = r.QueryMachineValue("Software\\Maker\\Game", "PARTFILE");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, plat::RegistryValue::Type::String);
    EXPECT_EQ(v->text, "/data/game.vqk") << "the first entry of a name counts";
    v = r.QueryMachineValue("software\\maker\\GAME", "framerate");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, plat::RegistryValue::Type::Dword);
    EXPECT_EQ(v->dword, 30u);
    v = r.QueryMachineValue("Software\\Maker\\Game", "Plain");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->text, "some text");
    v = r.QueryMachineValue("Software\\Maker\\Game", "Tricky");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, plat::RegistryValue::Type::String) << "a quoted value is always text";
    EXPECT_EQ(v->text, "dword:5");
    v = r.QueryMachineValue("Software\\Maker\\Game", "BadDword");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, plat::RegistryValue::Type::String) << "more than 8 hex digits is no number";
    v = r.QueryMachineValue("Software\\Maker\\Game", "Empty");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->text, "");
    v = r.QueryMachineValue("Software\\Other", "FRAMERATE");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->dword, 0xFFFFFFFFu);
}

TEST_F(RegistryTest, AbsentKeysAndValuesAreNotFound) {
    registry().SetContents(kContents);
    plat::Registry& r = plat::registry();
    EXPECT_FALSE(r.QueryMachineValue("Software\\Maker\\Game", "Missing"));
    EXPECT_FALSE(r.QueryMachineValue("Software\\Maker", "FRAMERATE")) << "keys do not nest";
    EXPECT_FALSE(r.QueryMachineValue("Software\\\\", "FRAMERATE"));
    EXPECT_FALSE(r.QueryMachineValue("", "Orphan")) << "entries before a key are dropped";
    registry().SetContents("");
    EXPECT_FALSE(r.QueryMachineValue("Software\\Maker\\Game", "PartFile"));
}

TEST_F(RegistryTest, ReadsTheFileInTheConfigurationFolder) {
    vqt::test::TempFolder folder;
    const vqt::test::ScopedVariable config("XDG_CONFIG_HOME", folder.path().c_str());
    std::ofstream(folder / plat::IniRegistry::kFileName) << "[Software\\A\\B]\nKEY=dword:7\n";
    plat::IniRegistry fromFile;
    const auto v = fromFile.QueryMachineValue("Software\\A\\B", "key");
    plat::IniRegistry noFile;
    std::remove((folder / plat::IniRegistry::kFileName).c_str());
    const auto none = noFile.QueryMachineValue("Software\\A\\B", "key");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->dword, 7u);
    EXPECT_FALSE(none) << "no file: an empty registry";
}

} // namespace
