// Chunk lists, text records, paths and property records loaded from builder-made files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/data/ChunkRecords.h"
#include "engine/data/PartFile.h"
#include "tools/builders/ChunkFileBuilder.h"
#include "tests/support/Golden.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

class ChunkRecordsTest : public HeadlessTest {
protected:
    void Open(const ChunkFileBuilder& b) {
        const std::string path = tmp / "records.vqk";
        ASSERT_TRUE(b.WriteFile(path));
        ASSERT_TRUE(file.Open(path.c_str(), 1));
    }
    std::string LastBox() { return dialogs().Boxes().empty() ? "" : std::string(dialogs().Boxes().back().text); }

    TempFolder tmp;
    CPartFile file;
};

// ---- Chunk lists ----------------------------------------------------------------------------

TEST_F(ChunkRecordsTest, ChunkListsLoadIntoHostOrderIds) {
    ChunkFileBuilder b;
    const uint8_t clst = b.AddIndex("clst", 0, 5);
    b.AddChunk(clst, ChunkListData({ChunkIdOf(3, 42), ChunkIdOf(1, 0x1234, 9), ChunkIdOf(200, 1)}));
    b.AddChunk(clst, ChunkListData({}));
    b.AddChunk(clst, ChunkListData({ChunkIdOf(1, 1), ChunkIdOf(1, 2)}, int16_t{3})); // one id short
    b.AddChunk(clst, ChunkListData({ChunkIdOf(1, 1)}, int16_t{-2}));
    b.AddChunk(clst, Bytes{0x00}); // not even a count
    Open(b);

    void* list = LoadChunkList(&file, MakeChunkId(1, 1));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ChunkListCount(list), 3);
    EXPECT_EQ(ChunkListId(list, 0), MakeChunkId(3, 42)) << "stored as 03 00 00 2A";
    EXPECT_EQ(ChunkListId(list, 1), MakeChunkId(1, 0x1234, 9));
    EXPECT_EQ(ChunkListId(list, 2), MakeChunkId(200, 1));
    EXPECT_EQ(ChunkListId(list, 3), kNullChunkId);
    // Swapped back to the file's order it is the stored bytes again.
    ASSERT_TRUE(SwapChunkList({static_cast<uint8_t*>(list), 14}, true));
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(list), static_cast<uint8_t*>(list) + 14),
              ChunkListData({ChunkIdOf(3, 42), ChunkIdOf(1, 0x1234, 9), ChunkIdOf(200, 1)}));
    CPartFile::FreeBlock(list);

    void* empty = LoadChunkList(&file, MakeChunkId(1, 2));
    ASSERT_NE(empty, nullptr) << "a count of 0 loads";
    EXPECT_EQ(ChunkListCount(empty), 0);
    CPartFile::FreeBlock(empty);

    EXPECT_EQ(LoadChunkList(&file, MakeChunkId(1, 3)), nullptr) << "count beyond the data";
    EXPECT_EQ(LoadChunkList(&file, MakeChunkId(1, 4)), nullptr) << "negative count";
    EXPECT_EQ(LoadChunkList(&file, MakeChunkId(1, 5)), nullptr) << "no room for the count";
    EXPECT_NE(traced().find("VQT : Chunk list {1, 0, 3} does not hold its count of ids (10 bytes)\n"),
              std::string::npos);
    EXPECT_TRUE(dialogs().Boxes().empty()) << "damaged lists are traced, not shown as missing";

    EXPECT_EQ(LoadChunkList(&file, MakeChunkId(1, 9)), nullptr);
    ASSERT_EQ(dialogs().Boxes().size(), 1u);
    EXPECT_EQ(LastBox(), "VQT : Missing Chunk List {1, 0, 9}");
    EXPECT_EQ(dialogs().Boxes().back().title, "Error");
}

// ---- Text records ---------------------------------------------------------------------------

TEST_F(ChunkRecordsTest, TextRecordsLoadWholeRecordsOnly) {
    ChunkFileBuilder b;
    const uint8_t utxt = b.AddIndex("utxt", 8, 5);
    Bytes cut = TextRecords({{.id = 10, .text = u"Hello"},
                             {.id = 17, .text = u"Gr\u00fc\u00dfe", .carried1 = 7, .carried2 = 9},
                             {.id = 10, .text = u"second ten"},
                             {.id = 5, .text = u"", .rawText = Bytes{0x41}},
                             {.id = 3, .text = u"cut off"}});
    cut.resize(cut.size() - 3);
    b.AddChunk(utxt, cut);
    b.AddChunk(utxt, TextRecords({{.id = 1, .text = u"x", .length = 0xFFFFFFF8}}));
    // The last record's length exactly the bytes left, then one more.
    for (uint32_t length : {4u, 5u})
        b.AddChunk(utxt, TextRecords({{.id = 1, .text = u"ab"}, {.id = 2, .text = u"cd", .length = length}}),
                   {.entry = uint16_t(length)});
    Open(b);

    CChunkList list;
    ASSERT_TRUE(list.Load(&file, MakeChunkId(1, 1)));
    ASSERT_EQ(list.Count(), 4) << "the record cut short is left out";
    EXPECT_EQ(list.LastId(), MakeChunkId(1, 1));
    EXPECT_EQ(list.RecordId(1), 17u);
    EXPECT_EQ(list.RecordWord(1, 0), 7u);
    EXPECT_EQ(list.RecordWord(1, 1), 9u);
    EXPECT_EQ(std::u16string(list.RecordText(1)), u"Gr\u00fc\u00dfe");
    EXPECT_EQ(list.RecordLength(3), 1u);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(list.RecordText(3))[0], 0x41) << "length 1: copied, not swapped";

    char16_t text[32];
    ASSERT_TRUE(list.GetText(10, text, sizeof text));
    EXPECT_EQ(std::u16string(text), u"Hello") << "the first record with the id";
    EXPECT_EQ(list.FindValue(10), 20u) << "the length of the last record with the id";
    EXPECT_TRUE(list.Has(5));
    EXPECT_FALSE(list.Has(3));
    EXPECT_EQ(list.FindValue(3), 0u);

    // At most bufferBytes / 2 - 1 characters and the ending 0; tiny buffers get nothing.
    char16_t small[5] = {u'#', u'#', u'#', u'#', u'#'};
    ASSERT_TRUE(list.GetText(10, small, 10));
    EXPECT_EQ(std::u16string(small), u"Hell");
    char16_t one[2] = {u'#', u'#'};
    EXPECT_FALSE(list.GetText(10, one, 1));
    EXPECT_FALSE(list.GetText(10, one, 0));
    EXPECT_EQ(one[0], u'#');
    ASSERT_TRUE(list.GetText(10, one, 2));
    EXPECT_EQ(one[0], 0);
    EXPECT_FALSE(list.GetText(99, text, sizeof text));

    // A length that would overflow 32-bit arithmetic is cut short, not trusted.
    EXPECT_FALSE(list.Load(&file, MakeChunkId(1, 2)));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.LastId(), kNullChunkId);
    EXPECT_FALSE(list.Load(&file, MakeChunkId(1, 3)));
    ASSERT_TRUE(list.Load(&file, MakeChunkId(1, 4)));
    EXPECT_EQ(list.Count(), 2);
    ASSERT_TRUE(list.Load(&file, MakeChunkId(1, 5)));
    EXPECT_EQ(list.Count(), 1) << "a length one past the bytes left";
}

// ---- Paths ----------------------------------------------------------------------------------

PathPlan SamplePath() {
    PathPlan p;
    p.carried2 = 0xC2;
    p.attachment1 = 1;
    p.attachment2 = 1;
    for (int i = 0; i < 5; ++i) {
        p.values[i] = 0x01000000u * (i + 1) + 0x20304;
        p.runtime[i % 4] = 0xDEADBEEF;
    }
    for (int r = 0; r < 3; ++r) {
        PathRecordPlan rec;
        for (int i = 0; i < 5; ++i) rec.words[i] = 0x10203040u + 0x100u * r + i;
        rec.half20 = static_cast<uint16_t>(0xA000 + r);
        rec.half22 = 0x0B0C;
        rec.carried24[0] = 0x12;
        rec.carried24[1] = 0x34;
        for (int i = 0; i < 10; ++i) rec.halves[i] = static_cast<uint16_t>(0x0100 * i + r);
        p.records.push_back(rec);
    }
    return p;
}

TEST_F(ChunkRecordsTest, PathsLoadSwappedWithTheirRunTimeFieldsCleared) {
    ChunkFileBuilder b;
    const uint8_t path = b.AddIndex("path", 8, 4);
    const Bytes stored = PathData(SamplePath());
    b.AddChunk(path, stored);
    PathPlan tooMany = SamplePath();
    tooMany.count = 4;
    b.AddChunk(path, PathData(tooMany));
    PathPlan negative = SamplePath();
    negative.count = -1;
    b.AddChunk(path, PathData(negative));
    b.AddChunk(path, Bytes(49, 0));
    Open(b);

    void* p = LoadPath(&file, MakeChunkId(1, 1));
    ASSERT_NE(p, nullptr);
    const auto* bytes = static_cast<const uint8_t*>(p);
    EXPECT_EQ(PathCount(p), 3);
    EXPECT_EQ(bytes[2], 0xC2);
    EXPECT_EQ(bytes[3], 0) << "attachment flags cleared";
    EXPECT_EQ(bytes[4], 0);
    for (int o = 30; o < 46; ++o) EXPECT_EQ(bytes[o], 0) << "run-time byte " << o;
    uint32_t v = 0;
    std::memcpy(&v, bytes + 10, 4);
    EXPECT_EQ(v, 0x02020304u);
    const uint8_t* r2 = PathRecord(p, 2);
    ASSERT_NE(r2, nullptr);
    std::memcpy(&v, r2 + 16, 4);
    EXPECT_EQ(v, 0x10203244u);
    uint16_t h = 0;
    std::memcpy(&h, r2 + 44, 2);
    EXPECT_EQ(h, 0x0902);
    EXPECT_EQ(r2[24], 0x12) << "carried bytes stay as stored";
    EXPECT_EQ(PathRecord(p, 3), nullptr);

    // Swapped back, everything but the cleared run-time fields is the stored bytes.
    Bytes back(bytes, bytes + stored.size());
    ASSERT_TRUE(SwapPath(back, true));
    Bytes expected = stored;
    expected[3] = expected[4] = 0;
    std::fill(expected.begin() + 30, expected.begin() + 46, 0);
    EXPECT_EQ(back, expected);
    FreePath(p);

    EXPECT_EQ(LoadPath(&file, MakeChunkId(1, 2)), nullptr) << "one record more than the data";
    EXPECT_EQ(LoadPath(&file, MakeChunkId(1, 3)), nullptr) << "negative count";
    EXPECT_EQ(LoadPath(&file, MakeChunkId(1, 4)), nullptr) << "shorter than the head";
    EXPECT_TRUE(dialogs().Boxes().empty());
    EXPECT_EQ(LoadPath(&file, MakeChunkId(1, 4 + 1)), nullptr);
    EXPECT_EQ(LastBox(), "VQT : Missing Path {1, 0, 5}");
}

TEST_F(ChunkRecordsTest, AttachmentSwapsCheckEveryCountAndOffset) {
    // Attachment 2: one set {A = 2 offsets at 20, B = 1 item at 28} behind a 12-byte head.
    Bytes a2(12 + 20 + 8 + 8, 0);
    PutBe16(a2, 0, 1);
    PutBe16(a2, 12 + 0, 2);
    PutBe32(a2, 12 + 4, 20);
    PutBe16(a2, 12 + 8, 1);
    PutBe32(a2, 12 + 12, 28);
    PutBe32(a2, 12 + 20, 0x11223344);
    PutBe32(a2, 12 + 24, 0x55667788);
    a2[12 + 28] = 0xEE; // carried
    PutBe16(a2, 12 + 30, 0x0102);
    PutBe32(a2, 12 + 32, 0x0A0B0C0D);
    const Bytes stored = a2;
    ASSERT_TRUE(SwapPathAttachment2(a2, false));
    uint32_t v = 0;
    std::memcpy(&v, &a2[12 + 24], 4);
    EXPECT_EQ(v, 0x55667788u);
    std::memcpy(&v, &a2[12 + 32], 4);
    EXPECT_EQ(v, 0x0A0B0C0Du);
    EXPECT_EQ(a2[12 + 28], 0xEE);
    ASSERT_TRUE(SwapPathAttachment2(a2, true));
    EXPECT_EQ(a2, stored);

    Bytes bad = stored;
    PutBe32(bad, 12 + 12, 29); // the item would end one byte past the set (28 ends on it)
    Bytes before = bad;
    EXPECT_FALSE(SwapPathAttachment2(bad, false));
    EXPECT_EQ(GetBe16(bad, 0), 1u) << "nothing changed";
    EXPECT_EQ(bad, before);
    // Two sets: a second set that does not hold together leaves the first one unswapped too.
    bad = stored;
    PutBe16(bad, 0, 2);
    bad.resize(bad.size() + 20, 0);
    PutBe16(bad, 12 + 20, 1);
    PutBe32(bad, 12 + 20 + 12, 1000);
    before = bad;
    EXPECT_FALSE(SwapPathAttachment2(bad, false));
    EXPECT_EQ(bad, before);
    bad = stored;
    PutBe16(bad, 0, 3); // three sets in room for one
    EXPECT_FALSE(SwapPathAttachment2(bad, false));
    bad = stored;
    PutBe16(bad, 12 + 0, 0x8000);
    EXPECT_FALSE(SwapPathAttachment2(bad, false));

    Bytes a1{0, 1, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4};
    ASSERT_TRUE(SwapPathAttachment1(a1, false));
    std::memcpy(&v, &a1[8], 4);
    EXPECT_EQ(v, 4u);
    EXPECT_FALSE(SwapPathAttachment1(std::span<uint8_t>(a1.data(), 11), false));

    // A path with its attachments handed in swaps them when their flags are set.
    Bytes path = PathData(SamplePath());
    Bytes att1{0, 1, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4};
    Bytes att2 = stored;
    ASSERT_TRUE(SwapPath(path, false, att1, att2));
    EXPECT_EQ(att2[0] | att2[1], 1) << "attachment 2 swapped";
    std::memcpy(&v, &att1[4], 4);
    EXPECT_EQ(v, 3u);
}

// ---- Property records -----------------------------------------------------------------------

TEST_F(ChunkRecordsTest, PropertyRecordsAndTheirDefaults) {
    ChunkFileBuilder b;
    const uint8_t snip = b.AddIndex("snip", 8, 3);
    b.AddChunk(snip, "pcm", {.property = PropertyRecordBytes()
                                            .Be16(9, 0x0102)
                                            .Be32(11, 0x03040506)
                                            .Be16(22, 1)
                                            .Be16(24, 16)
                                            .Be16(26, 11025)
                                            .Be16(28, 5)
                                            .Be16(30, 2)
                                            .Le32(36, 0xCAFE)});
    b.AddChunk(snip, "raw");
    b.AddChunk(snip, "near", {.property = ToBytes(std::string("PROPERTX\0", 9))});
    Open(b);

    uint8_t header[1352];
    uint8_t record[kPropertyRecordLength];
    const auto values = [&record] {
        std::vector<int> out;
        for (int at : {22, 24, 26, 28, 30}) out.push_back(PropertyValue16(record, at));
        return out;
    };
    ASSERT_TRUE(file.ReadChunkHeader(MakeChunkId(1, 1), header));
    EXPECT_EQ(ReadPropertyRecord(header, record), record);
    EXPECT_EQ(PropertyValue16(record, 9), 0x0102);
    uint32_t v = 0;
    std::memcpy(&v, record + 11, 4);
    EXPECT_EQ(v, 0x03040506u);
    EXPECT_EQ(values(), (std::vector<int>{1, 16, 11025, 5, 2}));
    std::memcpy(&v, record + 36, 4);
    EXPECT_EQ(v, 0xCAFEu) << "the word at 36 is not swapped";
    EXPECT_TRUE(xChunk_IsProperty(&file, MakeChunkId(1, 1)));

    for (uint16_t e : {2, 3}) {
        ASSERT_TRUE(file.ReadChunkHeader(MakeChunkId(1, e), header));
        std::memset(record, 0xAA, sizeof record);
        EXPECT_EQ(ReadPropertyRecord(header, record), nullptr);
        EXPECT_EQ(values(), (std::vector<int>{0, 8, 22050, 0, 1})) << "the defaults";
        EXPECT_FALSE(xChunk_IsProperty(&file, MakeChunkId(1, e)));
    }
    EXPECT_FALSE(xChunk_IsProperty(&file, MakeChunkId(1, 9)));

    CChunkProperty property;
    EXPECT_FALSE(property.Load(&file, MakeChunkId(1, 2)));
    EXPECT_FALSE(property.IsLoaded());
    ASSERT_TRUE(property.Load(&file, MakeChunkId(1, 1)));
    EXPECT_EQ(property.Values()[0], 1);
    EXPECT_EQ(property.Values()[1], 16);

    // The short swap touches only the fields at 9, 11, 24 and 26.
    ASSERT_TRUE(file.ReadChunkHeader(MakeChunkId(1, 1), header));
    uint8_t* raw = header + 328;
    SwapPropertyHead(raw);
    EXPECT_EQ(PropertyValue16(raw, 24), 16);
    EXPECT_EQ(PropertyValue16(raw, 26), 11025);
    EXPECT_EQ(GetBe16(Bytes(raw, raw + 180), 22), 1u) << "22 left big-endian";
}

TEST_F(ChunkRecordsTest, SmallHolders) {
    CPropertyRecord head;
    head.word = 0x5A5A5A5A;
    std::memset(head.bytes, 0x5A, sizeof head.bytes);
    head.last = 0x5A;
    head.Init();
    EXPECT_EQ(std::memcmp(head.tag, "PROPERTY", 9), 0);
    EXPECT_EQ(head.bytes[12], 0);
    EXPECT_EQ(head.word, 0x5A5A5A5Au);
    head.Clear();
    EXPECT_EQ(head.word, 0u);
    EXPECT_EQ(head.last, 0);

    CByteTable table(7);
    ASSERT_NE(table.Data(), nullptr);
    EXPECT_TRUE(table.Owns());
    EXPECT_EQ(table.Value(), 7);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(table.Data()[i], 0);
    table.Release();
    EXPECT_FALSE(table.Owns());
    table.Release(); // a second release does nothing
}

} // namespace
} // namespace vqt::test
