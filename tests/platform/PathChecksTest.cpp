// The checks of the paths that the program's own variables name: which values are refused and
// why, and that a trial of a file leaves nothing behind. The program's refusals themselves are
// run in the game shell's bad-input tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/PathChecks.h"
#include "tests/support/Golden.h"
#include "tools/builders/TempFolder.h"

namespace {

using vqt::test::ReadFileBytes;
using vqt::test::TempFolder;

/// A path and the words its refusal must hold ("" for a path that is taken).
struct PathCase {
    std::string path;
    std::string refusal;
};

class PathChecksTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(root / "a-file") << "kept";
        std::filesystem::create_directory(root / "folder");
    }
    static std::string LongName(size_t bytes) { return std::string(bytes, 'n'); }

    TempFolder root{true}; // the working folder, for names without a folder
    const std::string tooLong = "/tmp/" + LongName(5000);
};

TEST_F(PathChecksTest, AFileIsRefusedWhereItCannotBeWrittenWithoutTouchingAnything) {
    const std::vector<PathCase> cases = {
        {"shot.png", ""}, // in the working folder
        {root / "new.png", ""},
        {root / "a-file", ""},
        {root / "folder", "it names a folder"},
        {root / "folder/", "it names a folder"},
        {root / "missing/shot.png", "the folder \"" + root / "missing\" does not exist"},
        {root / "a-file/shot.png", "\"" + root / "a-file\" is not a folder"},
        {tooLong, "bytes long, more than the system takes (4095)"},
        {root / LongName(256), "more than the system takes in one name (255)"},
        {root / LongName(255), ""},
    };
    for (const PathCase& c : cases) {
        const std::string why = plat::FileCannotBeWritten(c.path);
        if (c.refusal.empty()) EXPECT_EQ(why, "") << c.path;
        else EXPECT_NE(why.find(c.refusal), std::string::npos) << c.path << ": " << why;
    }
    EXPECT_FALSE(std::filesystem::exists(root / "shot.png"));
    EXPECT_FALSE(std::filesystem::exists(root / "new.png"));
}

TEST_F(PathChecksTest, TryingAFileLeavesNoFileBehindAndAnExistingOneAsItWas) {
    const auto before = std::filesystem::last_write_time(root / "a-file");
    EXPECT_EQ(plat::FileCannotBeMade(root / "a-file"), "");
    EXPECT_EQ(ReadFileBytes(root / "a-file"), "kept");
    EXPECT_EQ(std::filesystem::last_write_time(root / "a-file"), before);
    EXPECT_EQ(plat::FileCannotBeMade("shot.png"), "");
    EXPECT_EQ(plat::FileCannotBeMade(root / "new.png"), "");
    EXPECT_EQ(std::vector<std::filesystem::path>(std::filesystem::directory_iterator(root.path()), {}).size(), 2u)
        << "only a-file and folder";
    // Where the system makes no file whatever the folder's rights say, only a trial finds it.
    EXPECT_NE(plat::FileCannotBeMade("/proc/shot.png").find("the file cannot be made"), std::string::npos);
    EXPECT_NE(plat::FileCannotBeMade(root / "missing/shot.png").find("No such file"), std::string::npos);
}

TEST_F(PathChecksTest, AFolderCanBeUsedWhenItCanBeWrittenOrMadeAndIsNotMadeByTheCheck) {
    const std::vector<PathCase> cases = {
        {root / "folder", ""},
        {"prints", ""},
        {root / "new/deeper/prints", ""},
        {root / "a-file", "\"" + root / "a-file\" is not a folder"},
        {root / "a-file/prints", "the folder does not exist and cannot be made: \"" + root / "a-file\" is not a folder"},
        {tooLong, "more than the system takes (4095)"},
        {root / (LongName(256) + "/prints"), "more than the system takes in one name (255)"},
    };
    for (const PathCase& c : cases) {
        const std::string why = plat::FolderCannotBeUsed(c.path);
        if (c.refusal.empty()) EXPECT_EQ(why, "") << c.path;
        else EXPECT_NE(why.find(c.refusal), std::string::npos) << c.path << ": " << why;
    }
    EXPECT_FALSE(std::filesystem::exists(root / "new"));
    EXPECT_FALSE(std::filesystem::exists(root / "prints"));
}

TEST_F(PathChecksTest, ALongValueIsShownByItsStartAndLength) {
    EXPECT_EQ(plat::VariableSetting("NAME", "short"), "NAME=\"short\"");
    EXPECT_EQ(plat::VariableSetting("NAME", LongName(120)), "NAME=\"" + LongName(120) + "\"");
    EXPECT_EQ(plat::VariableSetting("NAME", LongName(121)), "NAME=\"" + LongName(60) + "...\" (121 bytes)");
}

} // namespace
