#include <gtest/gtest.h>

#include <string>

#include "engine/data/FileLayer.h"
#include "tests/support/FakeFiles.h"
#include "tests/support/HeadlessTest.h"

namespace {

using vqt::test::FakeFiles;

class FileLayerTest : public vqt::test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        fake = &FakeFiles::Install();
    }

    /// What xWriteText writes for the text into an empty file.
    std::string Written(const char* text) {
        fake->Put("t.txt", "");
        auto file = xOpenFile("t.txt", 2);
        EXPECT_TRUE(xWriteText(file.get(), text));
        xCloseFile(file);
        return fake->Get("t.txt");
    }

    FakeFiles* fake = nullptr;
};

TEST_F(FileLayerTest, TextIsWrittenWithLineFeedsAsCarriageReturnLineFeed) {
    EXPECT_EQ(Written("one\ntwo\n"), "one\r\ntwo\r\n");
    EXPECT_EQ(Written("\n\n"), "\r\n\r\n");
    EXPECT_EQ(Written("keeps\r\nreturns\n"), "keeps\r\r\nreturns\r\n");
    EXPECT_EQ(Written("plain"), "plain");
    EXPECT_EQ(Written(""), "");
}

TEST_F(FileLayerTest, TextWithoutLineFeedsHasOnlyItsFirstReturnWidened) {
    EXPECT_EQ(Written("a\rb\rc"), "a\r\nb\rc");
}

TEST_F(FileLayerTest, FailedWritesAreReported) {
    fake->Put("ro.txt", "x");
    auto readOnly = xOpenFile("ro.txt", 1);
    ASSERT_NE(readOnly, nullptr);
    EXPECT_FALSE(xWriteText(readOnly.get(), "text\n"));
    EXPECT_FALSE(xWriteByte(readOnly.get(), 'y'));
    EXPECT_FALSE(xWriteText(nullptr, "text"));
    uint32_t written = 5;
    EXPECT_FALSE(xWrite(nullptr, 1, "x", &written));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(fake->Get("ro.txt"), "x");
}

TEST_F(FileLayerTest, PositionSizeEndAndTruncate) {
    fake->Put("f.bin", "abcdef");
    auto file = xOpenFile("f.bin", 2);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(xTell(file.get()), 0u);
    EXPECT_FALSE(xAtEnd(file.get()));
    EXPECT_EQ(xTell(file.get()), 0u); // the probe read is undone
    EXPECT_EQ(xFileSize(file.get()), 6);
    ASSERT_TRUE(xSeekEnd(file.get()));
    EXPECT_EQ(xTell(file.get()), 6u);
    EXPECT_TRUE(xAtEnd(file.get()));
    ASSERT_TRUE(xWriteByte(file.get(), 'g'));
    ASSERT_TRUE(xTruncate(file.get(), 3));
    EXPECT_EQ(xTell(file.get()), 3u);
    EXPECT_EQ(fake->Get("f.bin"), "abc");
    EXPECT_EQ(xFileSize(nullptr), -1);
    EXPECT_EQ(xTell(nullptr), 0u);
    EXPECT_TRUE(xAtEnd(nullptr));
    xCloseFile(file);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(fake->counts.openHandles, 0);
}

TEST_F(FileLayerTest, WindowsFolderFilesAreTracedWhenMissing) {
    fake->Put("windows/VQT.ini", "[VQT]\n");
    EXPECT_NE(xOpenFileInWindowsDir("VQT.ini", 1), nullptr);
    debug().Clear();
    EXPECT_EQ(xOpenFileInWindowsDir("Other.ini", 1), nullptr);
    EXPECT_EQ(traced(), "Error opening : Other.ini\n");
}

} // namespace
