#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Platform.h"
#include "tests/support/Environment.h"
#include "tests/support/Golden.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace {

using vqt::test::ScopedVariable;
using vqt::test::TempFolder;

class FilesTest : public vqt::test::HeadlessTest {
protected:
    TempFolder folder;

    void Make(const std::string& relative, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(folder / relative).parent_path());
        vqt::test::WriteFileBytes(folder / relative, bytes);
    }
};

TEST_F(FilesTest, NamesResolveThroughSeparatorAndCaseFallbacks) {
    Make("Data/Parts/TLVFMH.vqk", "abc");
    auto& files = plat::files();
    EXPECT_EQ(files.Resolve(folder / "Data/Parts/TLVFMH.vqk"), folder / "Data/Parts/TLVFMH.vqk");
    EXPECT_EQ(files.Resolve(folder.path() + "\\Data\\Parts\\TLVFMH.vqk"), folder / "Data/Parts/TLVFMH.vqk");
    EXPECT_EQ(files.Resolve(folder / "DATA/parts/tlvfmh.VQK"), folder / "Data/Parts/TLVFMH.vqk");
    EXPECT_EQ(files.Resolve(folder.path() + "\\data\\PARTS\\tlvfmh.vqk"), folder / "Data/Parts/TLVFMH.vqk");
    EXPECT_FALSE(files.Resolve(folder / "Data/Other/TLVFMH.vqk").has_value());
    EXPECT_FALSE(files.Resolve("").has_value());
}

TEST_F(FilesTest, OpenModesReadWriteCreateAndKeep) {
    auto& files = plat::files();
    EXPECT_EQ(files.Open(folder / "missing.bin", plat::OpenMode::Read), nullptr);
    EXPECT_EQ(files.Open(folder / "missing.bin", plat::OpenMode::ReadWrite), nullptr);

    auto created = files.Open(folder / "new.bin", plat::OpenMode::CreateAlways);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->Write("hello", 5), 5);
    created.reset();

    auto kept = files.Open(folder / "NEW.BIN", plat::OpenMode::OpenAlways);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->Size(), 5);
    EXPECT_EQ(kept->Seek(0, plat::SeekOrigin::End), 5);
    EXPECT_EQ(kept->Write("!", 1), 1);
    EXPECT_EQ(kept->Seek(1, plat::SeekOrigin::Begin), 1);
    char buffer[8] = {};
    EXPECT_EQ(kept->Read(buffer, sizeof buffer), 5);
    EXPECT_STREQ(buffer, "ello!");
    EXPECT_EQ(kept->Read(buffer, sizeof buffer), 0);
    kept.reset();

    auto truncated = files.Open(folder / "new.bin", plat::OpenMode::CreateAlways);
    ASSERT_NE(truncated, nullptr);
    EXPECT_EQ(truncated->Size(), 0);
}

TEST_F(FilesTest, ListAndRemove) {
    Make("a.txt", "1");
    Make("b.txt", "2");
    auto names = plat::files().List(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_TRUE(plat::files().Remove(folder / "A.TXT"));
    EXPECT_FALSE(plat::files().Exists(folder / "a.txt"));
    EXPECT_FALSE(plat::files().Remove(folder / "a.txt"));
    EXPECT_TRUE(plat::files().List(folder / "none").empty());
}

TEST_F(FilesTest, ARenameReplacesTheFileOfTheNewNameAndSyncsReachTheDisc) {
    Make("Saves/game.vqk", "old");
    Make("Saves/game.vqk.new", "");
    auto& files = plat::files();
    auto file = files.Open(folder / "Saves/game.vqk.new", plat::OpenMode::ReadWrite);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Write("new", 3), 3);
    EXPECT_TRUE(file->Sync());
    file.reset();
    EXPECT_TRUE(files.Rename(folder / "Saves/game.vqk.new", folder / "SAVES/GAME.VQK"));
    EXPECT_EQ(vqt::test::ReadFileBytes(folder / "Saves/game.vqk"), "new");
    EXPECT_FALSE(files.Exists(folder / "Saves/game.vqk.new"));
    EXPECT_TRUE(files.SyncFolder(folder / "saves"));
    EXPECT_TRUE(files.SyncFolder(""));
    EXPECT_FALSE(files.Rename(folder / "Saves/missing", folder / "Saves/game.vqk"));
    EXPECT_FALSE(files.SyncFolder(folder / "missing"));
}

TEST_F(FilesTest, DataRootsComeFirstAmongTheCdromStandIns) {
    Make("disc1/x", "");
    Make("disc2/x", "");
    const ScopedVariable dataRoots("DATAROOTS", (folder / "disc1" + ":" + folder / "disc2").c_str());
    const auto roots = plat::files().CdromRoots();
    ASSERT_GE(roots.size(), 2u);
    EXPECT_EQ(roots[0], folder / "disc1");
    EXPECT_EQ(roots[1], folder / "disc2");
}

TEST_F(FilesTest, LinksAreToldApartFromWhatTheyPointAt) {
    Make("real/file", "");
    std::filesystem::create_directory_symlink(folder / "real", folder / "link");
    EXPECT_TRUE(plat::files().IsLink(folder / "link"));
    EXPECT_TRUE(plat::files().IsDirectory(folder / "link"));
    EXPECT_FALSE(plat::files().IsLink(folder / "real"));
    EXPECT_FALSE(plat::files().IsLink(folder / "missing"));
}

TEST_F(FilesTest, SetEndCutsOrExtendsAndMovesThere) {
    Make("f.bin", "0123456789");
    auto file = plat::files().Open(folder / "f.bin", plat::OpenMode::ReadWrite);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->SetEnd(4));
    EXPECT_EQ(file->Seek(0, plat::SeekOrigin::Current), 4);
    ASSERT_TRUE(file->SetEnd(6));
    EXPECT_FALSE(file->SetEnd(-1));
    file.reset();
    EXPECT_EQ(vqt::test::ReadFileBytes(folder / "f.bin"), std::string("0123\0\0", 6));
    auto reader = plat::files().Open(folder / "f.bin", plat::OpenMode::Read);
    EXPECT_FALSE(reader->SetEnd(2));
}

} // namespace
