#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "engine/base/ByteOrder.h"
#include "engine/data/ChunkId.h"

namespace {

TEST(ByteOrder, ReadsBigAndLittleEndianFieldsInsideTheSpan) {
    const std::vector<uint8_t> b{0x12, 0x34, 0x56, 0x78, 0x9A};
    EXPECT_EQ(bytes::be16(b, 0), 0x1234u);
    EXPECT_EQ(bytes::be32(b, 1), 0x3456789Au);
    EXPECT_EQ(bytes::le32(b, 0), 0x78563412u);
    EXPECT_EQ(bytes::le16(b, 3), 0x9A78u);
}

TEST(ByteOrder, FieldsOutsideTheSpanAreRefusedAndLeaveTheOutputAlone) {
    const std::vector<uint8_t> b{1, 2, 3};
    uint32_t v32 = 77;
    uint16_t v16 = 77;
    EXPECT_FALSE(bytes::ReadBe32(b, 0, v32));
    EXPECT_FALSE(bytes::ReadBe16(b, 2, v16));
    EXPECT_FALSE(bytes::ReadBe16(b, std::numeric_limits<size_t>::max(), v16));
    EXPECT_EQ(v32, 77u);
    EXPECT_EQ(v16, 77u);
    EXPECT_EQ(bytes::be32(b, 1), 0u);
    EXPECT_TRUE(bytes::ReadBe16(b, 1, v16));
    // An offset and count whose sum overflows is not "inside".
    EXPECT_FALSE(bytes::Fits(10, 8, std::numeric_limits<uint64_t>::max()));
    EXPECT_TRUE(bytes::Fits(10, 10, 0));
    EXPECT_FALSE(bytes::Fits(10, 11, 0));

    std::vector<uint8_t> w(3, 0);
    EXPECT_FALSE(bytes::WriteBe32(w, 0, 0xFFFFFFFF));
    EXPECT_FALSE(bytes::Swap32(w, 0, false));
    EXPECT_FALSE(bytes::Swap16(w, 2, true));
    EXPECT_FALSE(bytes::Swap16(w, 2, false));
    EXPECT_FALSE(bytes::Swap32(w, 0, true));
    EXPECT_EQ(w, (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(bytes::Stored16(b, 2, false), 0u);
    EXPECT_EQ(bytes::Stored32(b, 0, true), 0u);
}

TEST(ByteOrder, InPlaceSwapTurnsFileFieldsIntoHostNumbersAndBack) {
    std::vector<uint8_t> b{0x00, 0x2A, 0xDE, 0xAD, 0xBE, 0xEF};
    // A field reads the same number in the order each swap direction finds it.
    EXPECT_EQ(bytes::Stored16(b, 0, false), 42u);
    EXPECT_EQ(bytes::Stored32(b, 2, false), 0xDEADBEEFu);
    ASSERT_TRUE(bytes::Swap16(b, 0, false));
    ASSERT_TRUE(bytes::Swap32(b, 2, false));
    EXPECT_EQ(bytes::host16(b, 0), 42u);
    EXPECT_EQ(bytes::host32(b, 2), 0xDEADBEEFu);
    EXPECT_EQ(bytes::Stored16(b, 0, true), 42u);
    EXPECT_EQ(bytes::Stored32(b, 2, true), 0xDEADBEEFu);
    ASSERT_TRUE(bytes::Swap16(b, 0, true));
    ASSERT_TRUE(bytes::Swap32(b, 2, true));
    EXPECT_EQ(b, (std::vector<uint8_t>{0x00, 0x2A, 0xDE, 0xAD, 0xBE, 0xEF}));
}

TEST(ChunkIdTest, FileBytesAreIndexSecondEntryHighEntryLow) {
    const uint8_t stored[4] = {0x03, 0x00, 0x00, 0x2A};
    const ChunkId id = ChunkIdFromFileBytes(stored);
    EXPECT_EQ(ChunkIndexOf(id), 3);
    EXPECT_EQ(ChunkEntryOf(id), 42);
    EXPECT_EQ(ChunkSecondOf(id), 0);
    EXPECT_EQ(id, MakeChunkId(3, 42));
    uint8_t back[4] = {};
    ChunkIdToFileBytes(MakeChunkId(7, 0x1234, 9), back);
    EXPECT_EQ(back[0], 7);
    EXPECT_EQ(back[1], 9);
    EXPECT_EQ(back[2], 0x12);
    EXPECT_EQ(back[3], 0x34);
    EXPECT_EQ(WithChunkIndex(MakeChunkId(0, 5), 2), MakeChunkId(2, 5));
    EXPECT_EQ(WithChunkEntry(MakeChunkId(2, 5, 1), 9), MakeChunkId(2, 9, 1));
    EXPECT_EQ(Tag4("DATA").str(), "DATA");
    EXPECT_NE(Tag4("DATA"), Tag4("data"));
}

} // namespace
