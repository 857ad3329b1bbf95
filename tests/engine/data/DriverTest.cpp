#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/data/DrvMemory.h"
#include "tests/support/HeadlessTest.h"

namespace {

class DriverTest : public vqt::test::HeadlessTest {
protected:
    /// A memory driver holding the bytes, at position 0.
    static void Fill(ODrvMemory& memory, const std::string& bytes) {
        uint32_t written = 0;
        ASSERT_EQ(memory.Write(bytes.data(), static_cast<uint32_t>(bytes.size()), &written), DRV_OK);
        ASSERT_EQ(memory.Control(DRV_SEEK, 0, 0), DRV_OK);
    }
    static std::string Contents(ODrvMemory& memory) {
        const auto* data = reinterpret_cast<const char*>(memory.GetMemory());
        return std::string(data, static_cast<size_t>(memory.Control(DRV_SIZE)));
    }
    static int32_t ReadInto(ODriver& driver, std::string& out, uint32_t count) {
        out.assign(count, '\0');
        uint32_t got = 0;
        const int32_t code = driver.Read(out.data(), count, &got);
        out.resize(got);
        return code;
    }
};

// --- Forwarding and links ---

TEST_F(DriverTest, ForwardsToItsParentAndKeepsErrorsAtTheInnermostDriver) {
    ODrvMemory memory;
    Fill(memory, "abcdef");
    ODriver outer;
    outer.SetParent(&memory);
    EXPECT_EQ(outer.GetParent(), &memory);
    EXPECT_EQ(memory.GetChild(), &outer);
    std::string read;
    EXPECT_EQ(ReadInto(outer, read, 3), DRV_OK);
    EXPECT_EQ(read, "abc");
    EXPECT_EQ(outer.Control(DRV_POSITION), 3);
    EXPECT_EQ(outer.Control(DRV_SEEK, 0, 99), DRV_ERR_SEEK);
    EXPECT_EQ(memory.GetErrorCode(), DRV_ERR_SEEK);
    EXPECT_EQ(outer.GetErrorCode(), DRV_ERR_SEEK);
    EXPECT_EQ(outer.SetError(-42), -42);
    EXPECT_EQ(memory.GetErrorCode(), -42);
}

TEST_F(DriverTest, LinksAreMadeBothWaysAndUndoneOnDestruction) {
    ODriver parent;
    ODriver other;
    {
        ODriver child;
        parent.SetChild(&child);
        EXPECT_EQ(child.GetParent(), &parent);
        child.SetParent(&other); // moving to another parent clears the old link
        EXPECT_EQ(parent.GetChild(), nullptr);
        EXPECT_EQ(other.GetChild(), &child);
    }
    EXPECT_EQ(other.GetChild(), nullptr);
    ODriver child;
    auto* shortLived = new ODriver;
    child.SetParent(shortLived);
    delete shortLived;
    EXPECT_EQ(child.GetParent(), nullptr);
}

// --- Attached blocks ---

TEST_F(DriverTest, AttachedBlockReadsItsStretchAsAStreamOfItsOwn) {
    ODrvMemory source;
    Fill(source, "0123456789abcdefghij");
    ODriver block;
    ASSERT_EQ(block.Attach(&source, 5, 10), DRV_OK);
    EXPECT_EQ(block.Control(DRV_ISATTACHED), 1);
    EXPECT_EQ(block.GetSource(), &source);
    EXPECT_EQ(block.Control(DRV_POSITION), 0);
    EXPECT_EQ(block.Control(DRV_SIZE), 10);
    std::string read;
    EXPECT_EQ(ReadInto(block, read, 4), DRV_OK);
    EXPECT_EQ(read, "5678");
    EXPECT_EQ(ReadInto(block, read, 100), DRV_OK); // clipped at the block's end
    EXPECT_EQ(read, "9abcde");
    EXPECT_EQ(block.Control(DRV_EOD), 1);
    EXPECT_EQ(ReadInto(block, read, 1), DRV_ERR_READ);
    EXPECT_EQ(read, "");
    EXPECT_EQ(block.Attach(&source, 0, 1), DRV_ERR_ATTACHED);

    // Seeks are relative to the block and stay inside it.
    ASSERT_EQ(block.Control(DRV_SEEK, 0, 2), DRV_OK);
    EXPECT_EQ(source.Control(DRV_POSITION), 7);
    ASSERT_EQ(block.Control(DRV_SEEK, 1, 3), DRV_OK);
    EXPECT_EQ(block.Control(DRV_POSITION), 5);
    ASSERT_EQ(block.Control(DRV_SEEK, 2, 1), DRV_OK);
    EXPECT_EQ(ReadInto(block, read, 5), DRV_OK);
    EXPECT_EQ(read, "e");
    EXPECT_EQ(block.Control(DRV_SEEK, 0, 11), DRV_ERR_SEEK);
    EXPECT_EQ(block.Control(DRV_SEEK, 0, -1), DRV_ERR_SEEK);
    EXPECT_EQ(block.Control(DRV_SEEK, 1, -20), DRV_ERR_SEEK);
    EXPECT_EQ(block.Control(DRV_SEEK, 3, 0), DRV_ERR_SEEK);

    ASSERT_EQ(block.Control(DRV_DETACH), DRV_OK);
    EXPECT_EQ(block.Control(DRV_ISATTACHED), 0);
    EXPECT_EQ(ReadInto(block, read, 1), DRV_ERR_NOPARENT);
}

TEST_F(DriverTest, ReadOutsideTheBlockIsTracedAndRefused) {
    ODrvMemory source;
    Fill(source, "0123456789");
    ODriver block;
    ASSERT_EQ(block.Attach(&source, 4, 3), DRV_OK);
    ASSERT_EQ(source.Control(DRV_SEEK, 0, 1), DRV_OK); // someone moved the source before it
    debug().Clear();
    std::string read;
    EXPECT_EQ(ReadInto(block, read, 1), DRV_ERR_READ);
    EXPECT_EQ(traced(), "ODriver read error - current read position past attached block!!!\n");
    ASSERT_EQ(source.Control(DRV_SEEK, 0, 9), DRV_OK); // and past it
    debug().Clear();
    EXPECT_EQ(block.Control(DRV_EOD), 1);
    EXPECT_EQ(traced(), "ODriver EOD error - current read pointer past attached block!!!\n");
}

TEST_F(DriverTest, BlockOfLengthZeroAnswersTheSourceSize) {
    ODrvMemory source;
    Fill(source, "0123456789");
    ODriver block;
    ASSERT_EQ(block.Attach(&source, 3, 0), DRV_OK);
    EXPECT_EQ(block.Control(DRV_SIZE), 10);
    EXPECT_EQ(block.Attach(nullptr, 0, 0), DRV_ERR_ATTACHED);
    ODriver loose;
    EXPECT_EQ(loose.Attach(nullptr, 0, 0), DRV_ERR_NOPARENT);
    EXPECT_EQ(loose.Attach(&source, 11, 0), DRV_ERR_SEEK);
    EXPECT_EQ(loose.Control(DRV_ISATTACHED), 0);
}

TEST_F(DriverTest, WritesAreClippedToTheBlockAndGrowItOnlyAtTheSourceEnd) {
    ODrvMemory source;
    Fill(source, "0123456789");
    ODriver middle;
    ASSERT_EQ(middle.Attach(&source, 2, 4), DRV_OK);
    ASSERT_EQ(middle.Control(DRV_SEEK, 0, 2), DRV_OK);
    uint32_t written = 0;
    ASSERT_EQ(middle.Write("ABCDEF", 6, &written), DRV_OK);
    EXPECT_EQ(written, 2u); // clipped at the block's end
    EXPECT_EQ(Contents(source), "0123AB6789");
    // At the end of a block with data behind it: growing would overwrite that data.
    EXPECT_EQ(middle.Write("XY", 2, &written), DRV_ERR_WRITE);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(Contents(source), "0123AB6789");
    EXPECT_EQ(middle.Control(DRV_SIZE), 4);

    ODriver tail;
    ASSERT_EQ(tail.Attach(&source, 7, 3), DRV_OK);
    ASSERT_EQ(tail.Control(DRV_SEEK, 2, 0), DRV_OK);
    ASSERT_EQ(tail.Write("XYZ", 3, &written), DRV_OK);
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(tail.Control(DRV_SIZE), 6);
    EXPECT_EQ(Contents(source), "0123AB6789XYZ");
}

// --- Reading exactly ---

TEST_F(DriverTest, ReadExactlyAnswersTrueOnlyWhenEveryByteCame) {
    ODrvMemory memory;
    Fill(memory, "abcdef");
    char buffer[8] = {};
    EXPECT_TRUE(memory.ReadExactly(buffer, 4));
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_TRUE(memory.ReadExactly(buffer, 0));
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(memory.ReadExactly(buffer, 3)); // two bytes left: a short read fails
    EXPECT_EQ(std::string(buffer, 2), "ef");
    EXPECT_FALSE(memory.ReadExactly(buffer, 1)); // at the end of the data

    ODriver orphan; // a failed read fails too
    EXPECT_FALSE(orphan.ReadExactly(buffer, 1));
}

// --- Reading lines ---

TEST_F(DriverTest, ReadLineEndsAfterALineFeedOrAtTheEndNeverPassesItsBufferAndAlwaysTerminates) {
    ODrvMemory memory;
    Fill(memory, "first\nsecond line\n\nlast");
    char line[32];
    EXPECT_EQ(memory.ReadLine(line, sizeof line), 6);
    EXPECT_STREQ(line, "first\n");
    EXPECT_EQ(memory.ReadLine(line, sizeof line), 12);
    EXPECT_STREQ(line, "second line\n");
    EXPECT_EQ(memory.ReadLine(line, sizeof line), 1);
    EXPECT_STREQ(line, "\n");
    std::memset(line, 'Z', sizeof line);
    EXPECT_EQ(memory.ReadLine(line, sizeof line), 4); // a last line without a line feed
    EXPECT_STREQ(line, "last");
    EXPECT_EQ(memory.ReadLine(line, sizeof line), 0);
    EXPECT_STREQ(line, "");

    ODrvMemory narrow;
    Fill(narrow, "abcdefgh\nij\n");
    char guarded[8];
    std::memset(guarded, '#', sizeof guarded);
    EXPECT_EQ(narrow.ReadLine(guarded, 4), 3);
    EXPECT_EQ(std::string(guarded, 8), std::string("abc\0####", 8));
    EXPECT_EQ(narrow.ReadLine(guarded, 6), 5);
    EXPECT_STREQ(guarded, "defgh");
    EXPECT_EQ(narrow.ReadLine(guarded, 2), 1); // the line feed is the one byte that fits
    EXPECT_STREQ(guarded, "\n");
    EXPECT_EQ(narrow.ReadLine(guarded, 1), 0); // room for the NUL alone
    EXPECT_STREQ(guarded, "");
    EXPECT_EQ(narrow.ReadLine(guarded, 0), 0);
    EXPECT_EQ(narrow.ReadLine(guarded, -1), 3); // no limit
    EXPECT_STREQ(guarded, "ij\n");

    ODrvMemory source;
    Fill(source, "xxone\ntwoyy");
    ODriver block;
    ASSERT_EQ(block.Attach(&source, 2, 7), DRV_OK);
    EXPECT_EQ(block.ReadLine(line, sizeof line), 4);
    EXPECT_STREQ(line, "one\n");
    EXPECT_EQ(block.ReadLine(line, sizeof line), 3);
    EXPECT_STREQ(line, "two");
    EXPECT_EQ(block.ReadLine(line, sizeof line), 0);

    ODriver orphan; // a read error is passed on
    EXPECT_EQ(orphan.ReadLine(line, sizeof line), DRV_ERR_NOPARENT);
    EXPECT_STREQ(line, "");
}

} // namespace
