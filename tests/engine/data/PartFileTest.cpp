// The chunk file: opening and reading builder-made files, refusing damaged ones, and the writer
// checked byte for byte against the builder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/data/PartFile.h"
#include "tools/builders/ChunkFileBuilder.h"
#include "tests/support/Golden.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

class PartFileTest : public HeadlessTest {
protected:
    std::string Write(const ChunkFileBuilder& b, const std::string& name = "file.vqk",
                      ChunkFileLayout* layout = nullptr) {
        const std::string path = tmp / name;
        EXPECT_TRUE(b.WriteFile(path, layout));
        return path;
    }
    std::string Write(const Bytes& image, const std::string& name = "file.vqk") {
        const std::string path = tmp / name;
        WriteFileBytes(path, ToString(image));
        return path;
    }
    /// The chunk's data as text, "<null>" when GetChunk answers null.
    static std::string Data(CPartFile& f, ChunkId id, uint32_t skip = 0) {
        uint32_t size = 0;
        uint32_t offset = 0;
        f.GetChunkLocation(id, &size, &offset);
        void* block = f.GetChunk(id, nullptr, nullptr, skip);
        if (block == nullptr) return "<null>";
        std::string s(static_cast<const char*>(block), size - skip);
        CPartFile::FreeBlock(block);
        return s;
    }

    TempFolder tmp;
};

ChunkFileBuilder SampleFile() {
    ChunkFileBuilder b;
    const uint8_t part = b.AddIndex("part", 8, 4);
    const uint8_t clst = b.AddIndex("clst", 0);
    const uint8_t snip = b.AddIndex(IndexPlan{.type = "snip", .format = 7, .capacity = 3});
    b.AddChunk(part, "first part", {.name = "alpha"});
    b.AddChunk(part, "second", {.entry = 3, .name = "Beta", .description = "the second one"});
    b.AddChunk(clst, "0123456789");
    b.AddChunk(snip, "wave bytes", {.entry = 2, .chunkTag = "WAVE"});
    return b;
}

// ---- Reading --------------------------------------------------------------------------------

TEST_F(PartFileTest, OpensABuilderFileAndFindsEveryIndexAndChunk) {
    CPartFile f;
    ASSERT_TRUE(f.Open(Write(SampleFile()).c_str(), 1));
    EXPECT_EQ(f.GetMaster()->used, 3);
    EXPECT_EQ(Data(f, MakeChunkId(1, 1)), "first part");
    EXPECT_EQ(Data(f, MakeChunkId(1, 3)), "second");
    EXPECT_EQ(Data(f, MakeChunkId(2, 1)), "0123456789");
    EXPECT_EQ(Data(f, MakeChunkId(3, 2)), "wave bytes");
    EXPECT_EQ(Data(f, MakeChunkId(1, 3), 2), "cond") << "a skip leaves out the first bytes";
    EXPECT_EQ(Data(f, MakeChunkId(1, 2)), "<null>") << "a free entry";
    EXPECT_EQ(Data(f, MakeChunkId(1, 9)), "<null>") << "beyond the capacity";
    EXPECT_EQ(Data(f, MakeChunkId(7, 1)), "<null>") << "no such index";
    EXPECT_EQ(f.GetChunk(kNullChunkId), nullptr);

    EXPECT_TRUE(f.ChunkExists(MakeChunkId(1, 3)));
    EXPECT_FALSE(f.ChunkExists(MakeChunkId(1, 2)));
    EXPECT_FALSE(f.ChunkExists(MakeChunkId(1, 0)));

    uint32_t size = 0, offset = 0;
    ASSERT_TRUE(f.GetChunkLocation(MakeChunkId(3, 2), &size, &offset));
    EXPECT_EQ(size, 10u);
    ASSERT_TRUE(f.ChunkSizeAndOffset(MakeChunkId(3, 2), &size, &offset));
    EXPECT_EQ(size, 22u) << "the stored size includes the 12-byte format-7 header";
    ASSERT_TRUE(f.ChunkSizeAndOffset(MakeChunkId(2, 0), &size, &offset));
    EXPECT_EQ(size, 26u + 14u) << "entry 0 names the index block itself";
    EXPECT_FALSE(f.ChunkSizeAndOffset(MakeChunkId(9, 0), &size, &offset));
    EXPECT_NE(traced().find("chunk id index table out of range"), std::string::npos);
    EXPECT_FALSE(f.ChunkSizeAndOffset(MakeChunkId(1, 1), nullptr, &offset));
    EXPECT_NE(traced().find("RAVO Error : ChunkSizeAndOffset() - invalid pointers!\n"), std::string::npos);

    EXPECT_EQ(f.FindDataIndex("clst"), 2);
    EXPECT_EQ(f.FindIndex("DATA", "snip"), 3);
    EXPECT_EQ(f.FindIndex("INDX", "snip"), 0);
    EXPECT_EQ(f.FindDataIndex("utxt"), 0);
    EXPECT_EQ(f.GetIndexByTag("DATA", "part"), f.GetIndex(MakeChunkId(1, 0)));
    EXPECT_EQ(f.GetIndexType(MakeChunkId(3, 7)), Tag4("snip"));
    EXPECT_EQ(f.GetIndexType(MakeChunkId(4, 1)), Tag4("****"));
    EXPECT_EQ(f.GetIndex(kNullChunkId), nullptr);
    ChunkId id = MakeChunkId(0, 5);
    ASSERT_TRUE(f.SetDataIndexOfId(id, "snip"));
    EXPECT_EQ(id, MakeChunkId(3, 5));
    EXPECT_FALSE(f.SetDataIndexOfId(id, "none"));
}

TEST_F(PartFileTest, ChunkHeadersNamesAndWholeReads) {
    CPartFile f;
    ChunkFileBuilder b = SampleFile();
    b.AddChunk(1, "x", {.name = std::string(80, 'n'), .description = std::string(300, 'd')});
    ASSERT_TRUE(f.Open(Write(b).c_str(), 1));
    EXPECT_EQ(f.FindChunkByName("Beta", MakeChunkId(1, 0)), MakeChunkId(1, 3));
    EXPECT_EQ(f.FindChunkByName("beta", MakeChunkId(1, 0)), kNullChunkId) << "names compare with case";
    EXPECT_EQ(f.FindChunkByName("alpha", MakeChunkId(2, 0)), kNullChunkId);

    std::vector<uint8_t> h(1352 + 6);
    ASSERT_TRUE(f.ReadChunkHeader(MakeChunkId(1, 3), h.data()));
    EXPECT_STREQ(reinterpret_cast<char*>(&h[64]), "the second one");
    ASSERT_TRUE(f.ReadChunkHeader(MakeChunkId(1, 4), h.data()));
    EXPECT_EQ(std::strlen(reinterpret_cast<char*>(&h[0])), 63u) << "byte 63 is forced to NUL";
    EXPECT_EQ(std::strlen(reinterpret_cast<char*>(&h[64])), 255u) << "byte 319 is forced to NUL";
    EXPECT_FALSE(f.ReadChunkHeader(MakeChunkId(3, 2), h.data())) << "format 7 has no chunk header";

    // Header and data in one piece when the buffers are adjacent, else in two.
    std::fill(h.begin(), h.end(), 0);
    ASSERT_TRUE(f.ReadChunk(MakeChunkId(1, 3), h.data(), h.data() + 1352));
    EXPECT_STREQ(reinterpret_cast<char*>(h.data()), "Beta");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&h[1352]), 6), "second");
    char data[10] = {};
    char header[1352] = {};
    ASSERT_TRUE(f.ReadChunk(MakeChunkId(1, 1), header, data));
    EXPECT_STREQ(header, "alpha");
    EXPECT_EQ(std::string(data, 10), "first part");

    // A stretch of the data, into the caller's buffer or a new block.
    char part[4] = {};
    ASSERT_EQ(f.ReadChunkInto(MakeChunkId(2, 1), 4, part, 3), part);
    EXPECT_EQ(std::string(part, 4), "3456");
    void* block = f.ReadChunkInto(MakeChunkId(2, 1), 8, nullptr, 6);
    ASSERT_NE(block, nullptr) << "the length is cut to what follows the skip";
    EXPECT_EQ(std::string(static_cast<char*>(block), 4), "6789");
    CPartFile::FreeBlock(block);
    EXPECT_EQ(f.ReadChunkInto(MakeChunkId(2, 1), 11, nullptr, 0), nullptr) << "longer than the data";

    void* raw = f.ReadRawChunk(MakeChunkId(2, 0));
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(raw), 8), "INDXvari");
    CPartFile::FreeBlock(raw);
}

TEST_F(PartFileTest, StartRecordFormsAndModes) {
    ChunkFileBuilder redirected = SampleFile();
    redirected.SetMasterCapacity(6);
    redirected.RedirectMaster(42);
    CPartFile f;
    ASSERT_TRUE(f.Open(Write(redirected, "r.vqk").c_str(), 1)) << "the rmta record points at the master";
    EXPECT_EQ(Data(f, MakeChunkId(3, 2)), "wave bytes");

    Bytes image = SampleFile().Build();
    PutText(image, 0, "JUNK"); // the first tag is never looked at
    ASSERT_TRUE(f.Open(Write(image, "j.vqk").c_str(), 1));
    PutText(image, 4, "mexa");
    EXPECT_FALSE(f.Open(Write(image, "n.vqk").c_str(), 1));
    EXPECT_NE(traced().find("*** RAVO Error : Not a part file : " + (tmp / "n.vqk") + "\n"), std::string::npos);
    EXPECT_FALSE(f.IsOpen());

    EXPECT_FALSE(f.Open((tmp / "missing.vqk").c_str(), 1));
    EXPECT_NE(traced().find("*** RAVO Error : Unable to open part file : "), std::string::npos);
    EXPECT_FALSE(f.Open(Write(SampleFile()).c_str(), 3)) << "modes are 1 and 2";
}

// ---- Damaged files --------------------------------------------------------------------------

TEST_F(PartFileTest, DamagedIndexesAreRefusedAtOpen) {
    ChunkFileLayout layout;
    const Bytes good = SampleFile().Build(&layout);
    struct Case {
        const char* what;
        size_t offset;
        uint32_t value;
        bool wide;
    };
    const Case cases[] = {
        {"master size field too large", 8, 0x7FFFFFF0, true},
        {"master capacity against its size field", 14, 40, false},
        {"master used above capacity", 12, 4, false},
        {"index offset beyond the end", 26 + 14 + 6, 0x00FFFFFF, true},
        {"index size beyond the end", 26 + 14 + 2, 0x00100000, true},
        {"index block at offset 0", 26 + 28 + 6, 0, true},
        {"index used above capacity", layout.indexOffsets[0] + 12, 5, false},
        {"index capacity against its size field", layout.indexOffsets[1] + 14, 200, false},
        {"index block shorter than its head", 26 + 2, 20, true},
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        if (c.wide) {
            PutBe32(bad, c.offset, c.value);
        } else {
            PutBe16(bad, c.offset, static_cast<uint16_t>(c.value));
        }
        CPartFile f;
        EXPECT_FALSE(f.Open(Write(bad, "bad.vqk").c_str(), 1)) << c.what;
        EXPECT_FALSE(f.IsOpen()) << c.what;
    }
    EXPECT_NE(traced().find("*** RAVO Error : Damaged index in part file : "), std::string::npos);
}

TEST_F(PartFileTest, TruncatedFilesFailWithATrace) {
    ChunkFileLayout layout;
    const Bytes good = SampleFile().Build(&layout);
    {
        // Cut inside the last chunk: the file opens, that chunk's read fails, the others work.
        Bytes cut(good.begin(), good.end() - 4);
        CPartFile f;
        ASSERT_TRUE(f.Open(Write(cut, "cut.vqk").c_str(), 1));
        EXPECT_EQ(Data(f, MakeChunkId(3, 2)), "<null>");
        EXPECT_NE(traced().find("RAVO Error : chunk ID(3,2) lies outside its file\n"), std::string::npos);
        EXPECT_EQ(Data(f, MakeChunkId(1, 1)), "first part");
        char buffer[10];
        EXPECT_EQ(f.ReadChunkInto(MakeChunkId(3, 2), 10, buffer, 0), nullptr);
    }
    {
        // Cut inside a chunk header: the header read comes up short and fails.
        ChunkFileBuilder b;
        const uint8_t i = b.AddIndex("part", 8, 1);
        b.AddChunk(i, "data");
        Bytes image = b.Build();
        image.resize(image.size() - 1000);
        CPartFile f;
        ASSERT_TRUE(f.Open(Write(image, "cut8.vqk").c_str(), 1));
        uint8_t header[1352];
        EXPECT_FALSE(f.ReadChunkHeader(MakeChunkId(1, 1), header));
        EXPECT_NE(traced().find("*** RAVO Error : Chunk read request did not get full amount(REQ:1352) (GOT:356)\n"),
                  std::string::npos);
    }
    for (size_t length : {size_t{0}, size_t{7}, size_t{30}, size_t{layout.indexOffsets[2] + 10}}) {
        Bytes cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(length));
        CPartFile f;
        EXPECT_FALSE(f.Open(Write(cut, "cut.vqk").c_str(), 1)) << "cut at " << length;
    }
}

TEST_F(PartFileTest, ChunkEntriesThatDoNotHoldTogetherReadAsMissing) {
    ChunkFileBuilder b;
    const uint8_t i = b.AddIndex("part", 8, 5);
    b.AddChunk(i, "", {.entry = 1});                     // header only: no data
    b.AddChunk(i, "abc", {.entry = 5, .storedSize = 0x7FFFFFF0}); // far longer than the file
    b.AddChunk(i, "abc", {.entry = 2, .storedSize = 100}); // size smaller than the header
    b.AddChunk(i, "abc", {.entry = 3, .storedOffset = 0x7FFFFF00});
    CPartFile f;
    ASSERT_TRUE(f.Open(Write(b).c_str(), 1));
    EXPECT_EQ(Data(f, MakeChunkId(1, 1)), "<null>");
    EXPECT_NE(traced().find("RAVO : Warning - Chunk exists but has no data ID(1,1)\n"), std::string::npos);
    uint32_t size = 1, offset = 1;
    EXPECT_FALSE(f.GetChunkLocation(MakeChunkId(1, 2), &size, &offset));
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(Data(f, MakeChunkId(1, 2)), "<null>");
    EXPECT_EQ(Data(f, MakeChunkId(1, 3)), "<null>");
    EXPECT_EQ(f.ReadRawChunk(MakeChunkId(1, 3)), nullptr);
    EXPECT_EQ(Data(f, MakeChunkId(1, 5)), "<null>") << "refused before anything is allocated";
    EXPECT_NE(traced().find("RAVO Error : chunk ID(1,5) lies outside its file\n"), std::string::npos);
    // A skip or stretch beyond the data is refused before anything is read.
    EXPECT_EQ(f.GetChunk(MakeChunkId(1, 2), nullptr, nullptr, 5000), nullptr);
    CPartFile sample;
    ASSERT_TRUE(sample.Open(Write(SampleFile(), "sample.vqk").c_str(), 1));
    char buffer[32] = {};
    EXPECT_EQ(sample.GetChunk(MakeChunkId(1, 3), buffer, nullptr, 7), nullptr);
    EXPECT_NE(traced().find("RAVO : Error - skip 7 beyond the data of chunk ID(1,3)\n"), std::string::npos);
    EXPECT_EQ(sample.GetChunk(MakeChunkId(1, 3), buffer, nullptr, 6), buffer) << "skipping all leaves nothing to read";
    EXPECT_EQ(sample.ReadChunkInto(MakeChunkId(2, 1), 4, buffer, 6), buffer) << "6 + 4 ends at the data's end";
    EXPECT_EQ(sample.ReadChunkInto(MakeChunkId(2, 1), 4, buffer, 7), nullptr) << "7 + 4 is one past";
    EXPECT_EQ(sample.ReadChunkInto(MakeChunkId(2, 1), 4, nullptr, 11), nullptr);
}

// ---- Writing --------------------------------------------------------------------------------

constexpr uint32_t kTime = 0x3B9ACA00;

/// A 372-byte player record whose bytes depend on the slot.
Bytes Record(int slot, uint8_t salt = 0) {
    Bytes r(372);
    for (size_t i = 0; i < r.size(); ++i) r[i] = static_cast<uint8_t>(slot * 31 + i + salt);
    return r;
}

/// The save-file calling order of a writer.
void MakeSaveFile(const std::string& path) {
    CPartFile f;
    ASSERT_FALSE(f.Open(path.c_str(), 1));
    ASSERT_TRUE(f.Create(path.c_str(), 12));
    ASSERT_TRUE(f.Open(path.c_str(), 2));
    ASSERT_EQ(f.AddIndex(25, 8, "DATA", "game"), 1);
    ASSERT_TRUE(f.WriteMasterIndex());
    f.Close();
}

TEST_F(PartFileTest, WriterMakesTheBuildersBytesForASaveFile) {
    const std::string path = tmp / "save.vqk";
    MakeSaveFile(path);
    CPartFile f;
    ASSERT_TRUE(f.Open(path.c_str(), 2));
    ChunkFileBuilder b;
    b.SetMasterCapacity(12);
    b.AddIndex("game", 8, 25);
    for (int slot = 0; slot < 8; ++slot) {
        clock().SetUnixTime(kTime + 60 * slot);
        const Bytes r = Record(slot);
        const ChunkId id = MakeChunkId(0, static_cast<uint16_t>(slot + 1));
        EXPECT_EQ(f.WriteChunk(r.data(), 372, id, "DATA", "game", nullptr), MakeChunkId(1, slot + 1));
        b.AddChunk(1, r, {.created = kTime + 60 * slot, .modified = kTime + 60 * slot});
    }
    f.Close();
    const std::string written = ReadFileBytes(path);
    EXPECT_EQ(written.size(), 570u + 8u * 1724u);
    EXPECT_EQ(written, ToString(b.Build())) << "the writer and the builder differ";

    // Rewriting slot 3 later: same place, new bytes, the modification time only.
    ASSERT_TRUE(f.Open(path.c_str(), 2));
    clock().SetUnixTime(kTime + 9999);
    const Bytes r = Record(3, 7);
    EXPECT_EQ(f.WriteChunk(r.data(), 372, MakeChunkId(1, 4), "DATA", "game", nullptr), MakeChunkId(1, 4));
    f.Close();
    ChunkFileBuilder after;
    after.SetMasterCapacity(12);
    after.AddIndex("game", 8, 25);
    for (int slot = 0; slot < 8; ++slot) {
        const uint32_t t = kTime + 60 * slot;
        after.AddChunk(1, slot == 3 ? r : Record(slot), {.created = t, .modified = slot == 3 ? kTime + 9999 : t});
    }
    EXPECT_EQ(ReadFileBytes(path), ToString(after.Build()));
}

TEST_F(PartFileTest, RewritesKeepMoveAndReuseTheirSpace) {
    const std::string path = tmp / "w.vqk";
    ASSERT_TRUE(CPartFile().Create(path.c_str(), 4));
    CPartFile f;
    ASSERT_TRUE(f.Open(path.c_str(), 2));
    ASSERT_EQ(f.AddIndex(4, 0, "DATA", "text"), 1);
    const std::string big(1000, 'b');
    const ChunkId a = f.WriteChunk(big.data(), 1000, MakeChunkId(1, 1), "DATA", "text");
    const ChunkId c = f.WriteChunk("tail", 4, MakeChunkId(1, 2), "DATA", "text");
    uint32_t size = 0, first = 0, offset = 0;
    ASSERT_TRUE(f.ChunkSizeAndOffset(a, &size, &first));

    // Shorter: same place, the smaller size recorded.
    ASSERT_EQ(f.WriteChunk("short", 5, a, "DATA", "text"), a);
    ASSERT_TRUE(f.ChunkSizeAndOffset(a, &size, &offset));
    EXPECT_EQ(offset, first);
    EXPECT_EQ(size, 5u);
    // Longer: a new place at the end; the old stretch (its recorded 5 bytes) is free again.
    const std::string longer(600, 'L');
    ASSERT_EQ(f.WriteChunk(longer.data(), 600, a, "DATA", "text"), a);
    ASSERT_TRUE(f.ChunkSizeAndOffset(a, &size, &offset));
    EXPECT_GT(offset, first);
    // A new chunk of 5 bytes or less reuses that stretch.
    const ChunkId d = f.WriteChunk("d", 1, kNullChunkId, "DATA", "text");
    EXPECT_EQ(d, MakeChunkId(1, 3)) << "index byte 0 goes to the DATA index of the type";
    ASSERT_TRUE(f.ChunkSizeAndOffset(d, &size, &offset));
    EXPECT_EQ(offset, first);
    // Freed space larger than needed by more than 256 bytes keeps the rest free.
    uint32_t longPlace = 0;
    ASSERT_TRUE(f.ChunkSizeAndOffset(a, &size, &longPlace));
    ASSERT_EQ(f.WriteChunk(big.data(), 1000, a, "DATA", "text"), a); // moves, frees 600 at longPlace
    const ChunkId e = f.WriteChunk("e", 1, MakeChunkId(1, 4), "DATA", "text");
    ASSERT_TRUE(f.ChunkSizeAndOffset(e, &size, &offset));
    EXPECT_EQ(offset, longPlace);
    EXPECT_EQ(f.AllocateSpace(10), longPlace + 1) << "the remaining 599 bytes stayed free";
    EXPECT_EQ(f.WriteChunk("f", 1, kNullChunkId, "DATA", "text"), kNullChunkId) << "the index is full";
    ASSERT_TRUE(f.WriteMasterIndex()) << "the master records the index only when written";
    f.Close();

    ASSERT_TRUE(f.Open(path.c_str(), 1));
    EXPECT_EQ(Data(f, a), big);
    EXPECT_EQ(Data(f, c), "tail");
    EXPECT_EQ(Data(f, d), "d");
    EXPECT_EQ(Data(f, e), "e");
}

TEST_F(PartFileTest, WritesOutsideAFileAnIndexOrAFormatAreRefused) {
    EXPECT_FALSE(CPartFile().Create((tmp / "no/such/folder/x.vqk").c_str(), 12));
    EXPECT_NE(traced().find("*** RAVO Error : unable to create part file : "), std::string::npos);
    const std::string path = tmp / "w.vqk";
    ASSERT_TRUE(CPartFile().Create(path.c_str(), 3));
    CPartFile f;
    ASSERT_TRUE(f.Open(path.c_str(), 2));
    ASSERT_EQ(f.AddIndex(2, 8, "DATA", "game"), 1);
    ASSERT_EQ(f.AddIndex(2, 3, "DATA", "odd "), 2);
    ASSERT_TRUE(f.WriteMasterIndex());
    const std::string before = ReadFileBytes(path);
    EXPECT_EQ(f.WriteChunk("x", 1, MakeChunkId(1, 3), "DATA", "game"), kNullChunkId);
    EXPECT_NE(traced().find("beyond the capacity 2 of index 1"), std::string::npos);
    EXPECT_EQ(f.WriteChunk("x", 1, MakeChunkId(2, 1), "DATA", "odd "), kNullChunkId);
    EXPECT_EQ(f.WriteChunk("x", 1, kNullChunkId, "DATA", "none"), kNullChunkId);
    EXPECT_EQ(f.WriteChunk("x", 1, MakeChunkId(9, 1), "DATA", "game"), kNullChunkId);
    EXPECT_EQ(ReadFileBytes(path), before);

    // A read-only file refuses writes.
    f.Close();
    ASSERT_TRUE(f.Open(path.c_str(), 1));
    EXPECT_EQ(f.WriteChunk("x", 1, MakeChunkId(1, 1), "DATA", "game"), kNullChunkId);
    EXPECT_FALSE(f.ChunkExists(MakeChunkId(1, 1)));
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(PartFileTest, MasterGrowsPastItsRoomAndTheFileReopensIntact) {
    const std::string path = tmp / "grow.vqk";
    MakeSaveFile(path);
    CPartFile f;
    ASSERT_TRUE(f.Open(path.c_str(), 2));
    for (int i = 2; i <= 12; ++i) {
        const std::string type = "t" + std::to_string(100 + i).substr(1);
        Tag4 tag;
        std::memcpy(tag.c.data(), (type + " ").data(), 4);
        ASSERT_EQ(f.AddIndex(3, 8, "DATA", tag), i);
    }
    ASSERT_TRUE(f.WriteMasterIndex());
    EXPECT_EQ(ReadFileBytes(path).substr(4, 4), "meta") << "twelve indexes still fit at offset 0";
    ASSERT_EQ(f.AddIndex(3, 0, "DATA", "last"), 13);
    for (int i = 1; i <= 13; ++i) {
        const std::string text = "chunk of index " + std::to_string(i);
        ASSERT_NE(f.WriteChunk(text.data(), uint32_t(text.size()), MakeChunkId(uint8_t(i), 2), "DATA", "????"), kNullChunkId);
    }
    ASSERT_TRUE(f.WriteMasterIndex());
    f.Close();

    const Bytes image = ToBytes(ReadFileBytes(path));
    EXPECT_EQ(std::string(image.begin() + 4, image.begin() + 8), "rmta");
    EXPECT_EQ(GetBe32(image, 8), 182u) << "the room of the 12-entry master";
    const uint32_t master = GetLe32(image, 0);
    EXPECT_EQ(std::string(image.begin() + master, image.begin() + master + 8), "INDXmeta");

    ASSERT_TRUE(f.Open(path.c_str(), 2));
    EXPECT_EQ(f.GetMaster()->capacity, 17);
    for (int i = 1; i <= 13; ++i)
        EXPECT_EQ(Data(f, MakeChunkId(static_cast<uint8_t>(i), 2)), "chunk of index " + std::to_string(i));
    // Writing the master again takes new space again; the file still opens.
    ASSERT_TRUE(f.WriteMasterIndex());
    f.Close();
    EXPECT_NE(GetLe32(ToBytes(ReadFileBytes(path)), 0), master);
    ASSERT_TRUE(f.Open(path.c_str(), 1));
    EXPECT_EQ(Data(f, MakeChunkId(13, 2)), "chunk of index 13");
}

TEST_F(PartFileTest, AGrownIndexIsWrittenToANewPlaceNeverOverTheMaster) {
    const std::string path = tmp / "expand.vqk";
    MakeSaveFile(path);
    CPartFile f;
    ASSERT_TRUE(f.Open(path.c_str(), 2));
    EXPECT_FALSE(f.ExpandIndex(MakeChunkId(1, 0), 25));
    EXPECT_NE(traced().find("WARNING:  Tried to expand index to smaller or equal size!\n"), std::string::npos);
    ASSERT_TRUE(f.ExpandIndex(MakeChunkId(1, 0), 40));
    // The grown index has no place until it is written, yet its master entry is not free.
    ASSERT_EQ(f.AddIndex(2, 0, "DATA", "more"), 2);
    const std::string data = "slot 40";
    ASSERT_EQ(f.WriteChunk(data.data(), 7, MakeChunkId(1, 40), "DATA", "game"), MakeChunkId(1, 40));
    ASSERT_EQ(f.WriteChunk("x", 1, MakeChunkId(2, 2), "DATA", "more"), MakeChunkId(2, 2));
    ASSERT_TRUE(f.WriteMasterIndex());
    f.Close();
    EXPECT_EQ(ReadFileBytes(path).substr(0, 8), "INDXmeta") << "the start record is intact";
    ASSERT_TRUE(f.Open(path.c_str(), 1));
    EXPECT_EQ(f.GetIndex(MakeChunkId(1, 0))->capacity, 40);
    EXPECT_EQ(Data(f, MakeChunkId(1, 40)), data);
    EXPECT_EQ(f.FindDataIndex("more"), 2);
    EXPECT_EQ(Data(f, MakeChunkId(2, 2)), "x");
}

} // namespace
} // namespace vqt::test
