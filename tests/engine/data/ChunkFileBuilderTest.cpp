// The test builder's images against the layout tables of the chunk-file format, worked out by
// hand, so that later tests can trust the files it makes.
#include <gtest/gtest.h>

#include "tests/support/ChunkFileBuilder.h"

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

TEST(ChunkFileBuilder, HeaderLengthsFollowTheIndexFormat) {
    ChunkFileBuilder b;
    const uint8_t f0 = b.AddIndex("raw0", 0);
    const uint8_t f3 = b.AddIndex("raw3", 3);
    const uint8_t f7 = b.AddIndex("raw7", 7);
    const uint8_t f9 = b.AddIndex("raw9", 9);
    b.AddChunk(f0, "abc");
    b.AddChunk(f3, "abc");
    b.AddChunk(f7, "abc", {.chunkTag = "WAVE"});
    b.AddChunk(f9, "abc");
    ChunkFileLayout layout;
    const Bytes f = b.Build(&layout);
    const uint32_t c7 = layout.chunkOffsets.at(ChunkIdOf(f7, 1));
    EXPECT_EQ(TextAt(f, c7, 8), "WAVEraw7");
    EXPECT_EQ(GetBe32(f, c7 + 8), 3u);
    EXPECT_EQ(TextAt(f, c7 + 12, 3), "abc");
    EXPECT_EQ(TextAt(f, layout.chunkOffsets.at(ChunkIdOf(f3, 1)) + 8, 3), "abc");
    // Stored sizes include the header: 3, 11, 15, 3.
    const uint32_t sizes[] = {3, 11, 15, 3};
    for (uint8_t i = 0; i < 4; ++i) {
        EXPECT_EQ(GetBe32(f, layout.indexOffsets[i] + 26 + 2), sizes[i]) << "index " << int(i + 1);
    }
    EXPECT_EQ(HeaderLengthOfFormat(1), 4u);
    EXPECT_EQ(HeaderLengthOfFormat(4), 4u);
    EXPECT_EQ(HeaderLengthOfFormat(5), 0u);
}

TEST(ChunkFileBuilder, OverridesMakeCorruptImages) {
    ChunkFileBuilder b;
    const uint8_t i = b.AddIndex(IndexSpec{.type = "part", .format = 8, .capacity = 2, .used = 9, .sizeField = 7});
    b.AddChunk(i, "x", {.flags = 0x8003, .storedSize = 0, .storedOffset = 0xFFFFFF00});
    b.SetMasterUsed(4);
    ChunkFileLayout layout;
    const Bytes f = b.Build(&layout);
    const uint32_t ix = layout.indexOffsets[0];
    EXPECT_EQ(GetBe16(f, 12), 4u);
    EXPECT_EQ(GetBe32(f, ix + 8), 7u);
    EXPECT_EQ(GetBe16(f, ix + 12), 9u);
    EXPECT_EQ(f[ix + 26], 0x03);
    EXPECT_EQ(f[ix + 27], 0x80);
    EXPECT_EQ(GetBe32(f, ix + 28), 0u);
    EXPECT_EQ(GetBe32(f, ix + 32), 0xFFFFFF00u);
}

TEST(ChunkFileBuilder, PayloadEncoders) {
    // A chunk list id {3, 0, 42} is stored as 03 00 00 2A; a count can be forced.
    EXPECT_EQ(ChunkListData({ChunkIdOf(3, 42)}), (Bytes{0, 1, 3, 0, 0, 0x2A}));
    EXPECT_EQ(ChunkListData({}, int16_t{-1}), (Bytes{0xFF, 0xFF}));

    const Bytes t = TextRecords({{.id = 17, .text = u"\u00e4b", .carried1 = 5},
                                 {.id = 10, .text = u"", .rawText = Bytes{0x41}}});
    EXPECT_EQ(t, (Bytes{0, 0, 0, 17, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0, 0, 0x00, 0xE4, 0x00, 0x62,
                        0, 0, 0, 10, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0x41}));

    PathSpec path;
    path.values[0] = 0x01020304;
    path.attachment1 = 1;
    path.records.push_back({});
    path.records[0].words[4] = 0xA0B0C0D0;
    path.records[0].carried24[1] = 0x77;
    path.records[0].halves[9] = 0x1234;
    const Bytes p = PathData(path);
    ASSERT_EQ(p.size(), 96u);
    EXPECT_EQ(GetBe16(p, 0), 1u);
    EXPECT_EQ(p[3], 1);
    EXPECT_EQ(GetBe32(p, 6), 0x01020304u);
    EXPECT_EQ(GetBe32(p, 50 + 16), 0xA0B0C0D0u);
    EXPECT_EQ(p[50 + 25], 0x77);
    EXPECT_EQ(GetBe16(p, 50 + 44), 0x1234u);

    const Bytes r = PropertyRecordBytes().SoundDefaults().Be32(11, 0xDEADBEEF).Raw(830, {1, 2});
    EXPECT_EQ(TextAt(r, 0, 9), std::string("PROPERTY\0", 9));
    EXPECT_EQ(GetBe16(r, 24), 8u);
    EXPECT_EQ(GetBe16(r, 26), 22050u);
    EXPECT_EQ(GetBe16(r, 30), 1u);
    EXPECT_EQ(GetBe32(r, 11), 0xDEADBEEFu);
    EXPECT_EQ(r.size(), 832u);
    EXPECT_EQ(PropertyRecordBytes().bytes().size(), 180u);
}

TEST(ChunkFileBuilder, RefusesMisuse) {
    ChunkFileBuilder b;
    EXPECT_THROW(b.AddChunk(1, "x"), std::out_of_range);
    const uint8_t i = b.AddIndex("text");
    b.AddChunk(i, "x", {.entry = 4});
    EXPECT_THROW(b.AddChunk(i, "y", {.entry = 4}), std::invalid_argument);
    // Automatic entries continue after the highest one.
    EXPECT_EQ(b.AddChunk(i, "z"), ChunkIdOf(i, 5));
    const Bytes tiny{1, 2};
    EXPECT_THROW(GetBe32(tiny, 0), std::out_of_range);
}

} // namespace
} // namespace vqt::test
