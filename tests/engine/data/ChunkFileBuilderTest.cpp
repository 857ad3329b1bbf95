// The test builder's images against the layout tables of the chunk-file format, worked out by
// hand, so that later tests can trust the files it makes.
#include <gtest/gtest.h>

#include "tools/builders/ChunkFileBuilder.h"

namespace vqt::test {
namespace {

std::string TextAt(const Bytes& b, size_t offset, size_t n) {
    return std::string(b.begin() + static_cast<ptrdiff_t>(offset),
                       b.begin() + static_cast<ptrdiff_t>(offset + n));
}

// A part chunk, a chunk list and a message: every offset below is counted by hand from the
// format (a 3-entry master of 68 bytes, three 40-byte index blocks, then the chunks).
TEST(ChunkFileBuilder, ThreeChunkFileHasTheHandCountedLayout) {
    ChunkFileBuilder b;
    const uint8_t part = b.AddIndex("part", 8);
    const uint8_t clst = b.AddIndex("clst", 0);
    const uint8_t utxt = b.AddIndex("utxt", 8);
    b.AddChunk(part, Bytes(22, 0), {.name = "part_1", .created = 0x11223344, .modified = 0x55667788});
    b.AddChunk(clst, ChunkListData({ChunkIdOf(1, 1), ChunkIdOf(3, 1)}));
    b.AddChunk(utxt, TextRecords({{.id = 10, .text = u"Hi"}}), {.name = "MSG_TEST"});
    ChunkFileLayout layout;
    const Bytes f = b.Build(&layout);

    ASSERT_EQ(f.size(), 2944u);
    // Start record = the master's first 12 bytes.
    EXPECT_EQ(TextAt(f, 0, 8), "INDXmeta");
    EXPECT_EQ(GetBe32(f, 8), 56u);
    EXPECT_EQ(GetBe16(f, 12), 3u); // used
    EXPECT_EQ(GetBe16(f, 14), 3u); // capacity
    EXPECT_EQ(GetBe16(f, 16), 7u); // format
    EXPECT_EQ(TextAt(f, 18, 8), "INDX????");
    // Master entries at 26, 40, 54: {flags, size, offset, pointer}.
    EXPECT_EQ(GetBe32(f, 26 + 2), 40u);
    EXPECT_EQ(GetBe32(f, 26 + 6), 68u);
    EXPECT_EQ(GetBe32(f, 40 + 6), 108u);
    EXPECT_EQ(GetBe32(f, 54 + 6), 148u);
    EXPECT_EQ(GetLe32(f, 26 + 10), 0u);
    // Index blocks.
    EXPECT_EQ(TextAt(f, 68, 8), "INDXvari");
    EXPECT_EQ(GetBe32(f, 68 + 8), 28u);
    EXPECT_EQ(GetBe16(f, 68 + 16), 8u);
    EXPECT_EQ(TextAt(f, 68 + 18, 8), "DATApart");
    EXPECT_EQ(GetBe32(f, 68 + 26 + 2), 1374u);
    EXPECT_EQ(GetBe32(f, 68 + 26 + 6), 188u);
    EXPECT_EQ(TextAt(f, 108 + 18, 8), "DATAclst");
    EXPECT_EQ(GetBe16(f, 108 + 16), 0u);
    EXPECT_EQ(GetBe32(f, 108 + 26 + 2), 10u);
    EXPECT_EQ(GetBe32(f, 108 + 26 + 6), 1562u);
    EXPECT_EQ(GetBe32(f, 148 + 26 + 2), 1372u);
    EXPECT_EQ(GetBe32(f, 148 + 26 + 6), 1572u);
    // The part's 1352-byte header.
    EXPECT_EQ(TextAt(f, 188, 7), std::string("part_1\0", 7));
    EXPECT_EQ(TextAt(f, 188 + 64, 24), std::string("chunk of unknown origin\0", 24));
    EXPECT_EQ(GetLe32(f, 188 + 320), 0x11223344u);
    EXPECT_EQ(GetLe32(f, 188 + 324), 0x55667788u);
    // The chunk list: count 2, then [1, 0, 0, 1] and [3, 0, 0, 1].
    EXPECT_EQ(TextAt(f, 1562, 10), std::string("\x00\x02\x01\x00\x00\x01\x03\x00\x00\x01", 10));
    // The message record after its header: language 10, length 4, two carried words, "Hi".
    EXPECT_EQ(TextAt(f, 1572, 9), std::string("MSG_TEST\0", 9));
    EXPECT_EQ(GetBe32(f, 2924), 10u);
    EXPECT_EQ(GetBe32(f, 2928), 4u);
    EXPECT_EQ(TextAt(f, 2940, 4), std::string("\x00H\x00i", 4));

    EXPECT_EQ(layout.indexOffsets, (std::vector<uint32_t>{68, 108, 148}));
    EXPECT_EQ(layout.chunkOffsets.at(ChunkIdOf(3, 1)), 1572u);
}

TEST(ChunkFileBuilder, RedirectedMasterLiesAtTheEndBehindAnRmtaRecord) {
    ChunkFileBuilder b;
    b.SetMasterCapacity(17);
    const uint8_t game = b.AddIndex("game", 8, 25);
    b.AddChunk(game, Bytes(4, 0xAB), {.entry = 2});
    b.RedirectMaster(182);
    ChunkFileLayout layout;
    const Bytes f = b.Build(&layout);

    // Room of the old 12-entry master at 0, then the index, the chunk, the master.
    EXPECT_EQ(layout.indexOffsets[0], 194u);
    EXPECT_EQ(layout.chunkOffsets.at(ChunkIdOf(1, 2)), 194u + 376u);
    EXPECT_EQ(layout.masterOffset, 570u + 1356u);
    EXPECT_EQ(GetLe32(f, 0), layout.masterOffset);
    EXPECT_EQ(TextAt(f, 4, 4), "rmta");
    EXPECT_EQ(GetBe32(f, 8), 182u);
    EXPECT_EQ(TextAt(f, layout.masterOffset, 8), "INDXmeta");
    EXPECT_EQ(GetBe32(f, layout.masterOffset + 8), 14u * 17 + 14);
    EXPECT_EQ(f.size(), layout.masterOffset + 26u + 14u * 17);
    // Entry 2 of the index; entry 1 stays free.
    EXPECT_EQ(GetBe32(f, 194 + 12 + 14 + 6), 0u);
    EXPECT_EQ(GetBe32(f, 194 + 12 + 28 + 2), 1356u);
}

} // namespace
} // namespace vqt::test
