#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/data/FileSearch.h"
#include "engine/data/Strings.h"
#include "tests/support/FakeFiles.h"
#include "tests/support/Golden.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using vqt::test::TempFolder;

/// Data-file search over a temporary tree whose top folders stand in for CD-ROM drives
/// (DATAROOTS names them).
class FileSearchTest : public vqt::test::HeadlessTest {
protected:
    void TearDown() override {
        unsetenv("DATAROOTS");
        HeadlessTest::TearDown();
    }

    void Make(const std::string& relative, const std::string& bytes = "data") {
        fs::create_directories(fs::path(tree / relative).parent_path());
        vqt::test::WriteFileBytes(tree / relative, bytes);
    }
    void Roots(std::initializer_list<std::string> names) {
        std::string list;
        for (const std::string& name : names) list += (list.empty() ? "" : ":") + tree / name;
        setenv("DATAROOTS", list.c_str(), 1);
    }
    /// The search answer, or "(null)".
    static std::string Find(const char* name) {
        const char* folder = xFile_FindOnCDROM(name);
        return folder == nullptr ? "(null)" : folder;
    }

    TempFolder tree;
};

TEST_F(FileSearchTest, FileDeepInAFolderIsFoundWithItsInnermostFolder) {
    Make("disc/Game/Data/Parts/TLVFMH.vqk");
    Make("disc/Game/readme.txt");
    Roots({"disc"});
    EXPECT_EQ(Find("TLVFMH.vqk"), tree / "disc/Game/Data/Parts/");
    EXPECT_EQ(Find("tlvfmh.VQK"), tree / "disc/Game/Data/Parts/"); // as the drives compare names
    EXPECT_EQ(Find("*.vq?"), tree / "disc/Game/Data/Parts/");
    EXPECT_EQ(Find("readme.txt"), tree / "disc/Game/");
    EXPECT_EQ(Find("missing.vqk"), "");
}

TEST_F(FileSearchTest, FoldersAreSearchedDepthFirstInNameOrderAndAFolderOfTheNameIsNoFind) {
    Make("disc/a/TLVFMH.vqk/inner.txt");
    Make("disc/b/TLVFMH.vqk");
    Make("disc/b/file.dat");
    Make("disc/a/deeper/still/file.dat");
    Roots({"disc"});
    EXPECT_EQ(Find("TLVFMH.vqk"), tree / "disc/b/");
    EXPECT_EQ(Find("file.dat"), tree / "disc/a/deeper/still/");
    Make("disc/file.dat"); // a file in the folder itself comes before its subfolders
    EXPECT_EQ(Find("file.dat"), tree / "disc/");
}

TEST_F(FileSearchTest, TheFirstDriveHoldingTheFileWins) {
    Make("discA/other.txt");
    Make("discB/x/TLVFMH.vqk");
    Make("discC/TLVFMH.vqk");
    Roots({"discA", "discB", "discC"});
    EXPECT_EQ(Find("TLVFMH.vqk"), tree / "discB/x/");
    Roots({"discC", "discB"});
    EXPECT_EQ(Find("TLVFMH.vqk"), tree / "discC/");
}

TEST_F(FileSearchTest, SymbolicLinkLoopsEndTheSearch) {
    Make("disc/a/b/note.txt");
    fs::create_directory_symlink(tree / "disc", tree / "disc/a/b/up");   // back to the root
    fs::create_directory_symlink(tree / "disc/a", tree / "disc/a/self"); // and to itself
    Make("elsewhere/hidden.dat");
    fs::create_directory_symlink(tree / "elsewhere", tree / "disc/a/away");
    Roots({"disc"});
    EXPECT_EQ(Find("missing.vqk"), "");
    EXPECT_EQ(Find("note.txt"), tree / "disc/a/b/");
    EXPECT_EQ(Find("hidden.dat"), ""); // linked folders are not entered
}

TEST_F(FileSearchTest, WithoutDrivesOrNameTheAnswerIsEmptyOrNull) {
    auto& fake = vqt::test::FakeFiles::Install(); // a machine without CD-ROM drives
    EXPECT_EQ(Find("TLVFMH.vqk"), "");
    EXPECT_EQ(Find(nullptr), "(null)");
    fake.roots = {"nowhere"};
    EXPECT_EQ(Find("TLVFMH.vqk"), "");
}

TEST_F(FileSearchTest, SearchFolderNeedsEveryArgument) {
    Make("disc/f.txt");
    std::string result = "stale";
    EXPECT_FALSE(xFile_SearchFolder(nullptr, "f.txt", &result));
    EXPECT_EQ(result, "");
    EXPECT_FALSE(xFile_SearchFolder((tree / "disc").c_str(), nullptr, &result));
    EXPECT_FALSE(xFile_SearchFolder((tree / "disc").c_str(), "f.txt", nullptr));
    ASSERT_TRUE(xFile_SearchFolder((tree / "disc/").c_str(), "f.txt", &result));
    EXPECT_EQ(result, tree / "disc/");
}

// --- File helpers ---

TEST_F(FileSearchTest, ExistsCreateAndDelete) {
    const std::string name = tree / "made.txt";
    EXPECT_FALSE(xFile_Exists(name.c_str(), 1));
    ASSERT_TRUE(xFile_Create(name.c_str(), 0, 0x54455854));
    EXPECT_TRUE(xFile_Exists(name.c_str(), 1));
    EXPECT_TRUE(xFile_Exists(name.c_str(), 2));
    vqt::test::WriteFileBytes(name, "contents");
    ASSERT_TRUE(xFile_Create(name.c_str(), 0, 0)); // an existing file is emptied
    EXPECT_EQ(vqt::test::ReadFileBytes(name), "");
    EXPECT_TRUE(xFile_Delete(name.c_str()));
    EXPECT_FALSE(xFile_Delete(name.c_str()));
    EXPECT_FALSE(xFile_Exists(nullptr, 1));
    EXPECT_FALSE(xFile_Create((tree / "no/such/folder/x").c_str(), 0, 0));
}

TEST_F(FileSearchTest, FileNameIsThePartAfterTheLastSeparator) {
    char name[32];
    EXPECT_STREQ(xFile_GetFileName("D:\\Game\\Data\\TLVFMH.vqk", name, sizeof name), "TLVFMH.vqk");
    EXPECT_STREQ(xFile_GetFileName("/media/disc/TLVFMH.vqk", name, sizeof name), "TLVFMH.vqk");
    EXPECT_STREQ(xFile_GetFileName("TLVFMH.vqk", name, sizeof name), "TLVFMH.vqk");
    EXPECT_STREQ(xFile_GetFileName("folder\\", name, sizeof name), "");
    EXPECT_STREQ(xFile_GetFileName("C:\\LongFileName.vqk", name, 5), "Long");
    EXPECT_EQ(xFile_GetFileName(nullptr, name, sizeof name), nullptr);
    EXPECT_EQ(xFile_GetFileName("x", name, 0), nullptr);
}

TEST_F(FileSearchTest, FileNameNeverSplitsADoubleByteCharacter) {
    xStr_Context().leadBytes[0x83] = true;
    // 0x83 0x5C is one character whose trail byte looks like a backslash.
    const char path[] = "C:\\dir\\\x83\x5C\x83\x41.vqk";
    char name[32];
    EXPECT_STREQ(xFile_GetFileName(path, name, sizeof name), "\x83\x5C\x83\x41.vqk");
    char small[4];
    EXPECT_STREQ(xFile_GetFileName(path, small, sizeof small), "\x83\x5C"); // not half of the second
    xStr_Context() = StrContext{};
    EXPECT_STREQ(xFile_GetFileName(path, name, sizeof name), "\x83\x41.vqk");
}

} // namespace
