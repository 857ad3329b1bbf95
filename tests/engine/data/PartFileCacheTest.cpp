// The chunk file's cache, access bracket, chunk streams, patch chain and chunk log.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "engine/data/DrvFile.h"
#include "engine/data/PartFile.h"
#include "tools/builders/ChunkFileBuilder.h"
#include "tests/support/Golden.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

class PartFileCacheTest : public HeadlessTest {
protected:
    std::string Write(const ChunkFileBuilder& b, const std::string& name) {
        const std::string path = tmp / name;
        EXPECT_TRUE(b.WriteFile(path));
        return path;
    }
    static std::string Data(CPartFile& f, ChunkId id) {
        uint32_t size = 0;
        uint32_t offset = 0;
        f.GetChunkLocation(id, &size, &offset);
        void* block = f.GetChunk(id);
        if (block == nullptr) return "<null>";
        std::string s(static_cast<const char*>(block), size);
        CPartFile::FreeBlock(block);
        return s;
    }
    static uint16_t Count(CPartFile& f, ChunkId id) {
        return f.GetIndex(id)->Entry(ChunkEntryOf(id))->flags & ravo::kRefCountMask;
    }

    TempFolder tmp;
};

ChunkFileBuilder Base() {
    ChunkFileBuilder b;
    const uint8_t part = b.AddIndex("part", 8, 4);
    const uint8_t text = b.AddIndex("text", 0, 3);
    b.AddChunk(part, "part one", {.name = "one"});
    b.AddChunk(part, "part two", {.name = "two"});
    b.AddChunk(part, "part three", {.name = "three"});
    b.AddChunk(text, "plain text");
    return b;
}

// ---- Cache ----------------------------------------------------------------------------------

TEST_F(PartFileCacheTest, ReferencesCountAndTheLastReleaseFreesTheData) {
    CPartFile f;
    f.SetCacheEnabled(true);
    ASSERT_TRUE(f.Open(Write(Base(), "b.vqk").c_str(), 1));
    const ChunkId id = MakeChunkId(1, 2);
    EXPECT_EQ(f.AddChunkRef(id), nullptr) << "nothing cached yet";
    EXPECT_EQ(Count(f, id), 0);

    void* first = f.GetChunk(id);
    void* second = f.GetChunk(id);
    f.SetChunkData(id, first);
    f.SetChunkData(id, second); // an existing pointer stays
    EXPECT_EQ(Count(f, id), 2);
    EXPECT_EQ(f.GetMaster()->Entry(1)->flags, 1) << "one cached chunk in index 1";
    EXPECT_EQ(f.AddChunkRef(id), first);
    EXPECT_EQ(Count(f, id), 3);
    CPartFile::FreeBlock(second);

    f.ReleaseChunk(id);
    f.ReleaseChunk(id);
    EXPECT_EQ(f.GetIndex(id)->Entry(2)->data, first);
    f.ReleaseChunk(id);
    EXPECT_EQ(f.GetIndex(id)->Entry(2)->data, nullptr);
    EXPECT_EQ(Count(f, id), 0);
    EXPECT_EQ(f.GetMaster()->Entry(1)->flags, 0);
    f.ReleaseChunk(id); // nothing held: nothing happens
    EXPECT_EQ(Count(f, id), 0);
    f.Close();
    EXPECT_EQ(traced().find("on close"), std::string::npos);
}

TEST_F(PartFileCacheTest, ReferenceReleasesLeaveTheFreeingToTheCaller) {
    CPartFile f;
    f.SetCacheEnabled(true);
    ASSERT_TRUE(f.Open(Write(Base(), "b.vqk").c_str(), 1));
    void* data = f.GetChunk(MakeChunkId(1, 1));
    f.SetChunkData(MakeChunkId(1, 1), data);
    f.SetChunkData(MakeChunkId(1, 3), data); // two entries sharing one block
    f.AddChunkRef(MakeChunkId(1, 3));
    EXPECT_FALSE(f.ReleaseChunkRef(MakeChunkId(1, 3)));
    EXPECT_TRUE(f.ReleaseChunkData(data, "part")) << "entry 1 reached 0";
    EXPECT_EQ(f.GetIndex(MakeChunkId(1, 0))->Entry(1)->data, nullptr);
    EXPECT_EQ(Count(f, MakeChunkId(1, 3)), 0);
    EXPECT_FALSE(f.ReleaseChunkData(data, "part")) << "no entry holds it any more";
    EXPECT_FALSE(f.ReleaseChunkData(data, "none"));
    CPartFile::FreeBlock(data);
    EXPECT_EQ(f.GetMaster()->Entry(1)->flags, 0);
}

TEST_F(PartFileCacheTest, TheCountSaturatesInsteadOfWrappingAndTheDataStaysUntilClose) {
    CPartFile f;
    f.SetCacheEnabled(true);
    ASSERT_TRUE(f.Open(Write(Base(), "b.vqk").c_str(), 1));
    const ChunkId id = MakeChunkId(1, 1);
    void* data = f.GetChunk(id);
    f.SetChunkData(id, data);
    f.GetIndex(id)->Entry(1)->flags |= 0x2000; // the carried bit survives every count change
    for (int i = 0; i < 9000; ++i) ASSERT_EQ(f.AddChunkRef(id), data);
    EXPECT_EQ(Count(f, id), 8191) << "held at the top instead of wrapping to 0";
    EXPECT_NE(traced().find("RAVO : Warning - chunk reference count saturated"), std::string::npos);
    for (int i = 0; i < 9100; ++i) f.ReleaseChunk(id);
    EXPECT_EQ(f.GetIndex(id)->Entry(1)->data, data) << "pinned: never freed while possibly in use";
    EXPECT_EQ(f.GetIndex(id)->Entry(1)->flags & 0x2000, 0x2000);
    f.Close();
    EXPECT_NE(traced().find("Error - chunk still cached on close ID(1,1)\n"), std::string::npos);
}

TEST_F(PartFileCacheTest, CloseReportsWhatIsStillCached) {
    CPartFile f;
    f.SetCacheEnabled(true);
    ASSERT_TRUE(f.Open(Write(Base(), "b.vqk").c_str(), 1));
    f.SetChunkData(MakeChunkId(1, 3), f.GetChunk(MakeChunkId(1, 3)));
    f.GetIndex(MakeChunkId(2, 0))->Entry(1)->flags = 2; // a count without data
    f.Close();
    EXPECT_NE(traced().find("Error - chunk still cached on close ID(1,3)\n"), std::string::npos);
    EXPECT_NE(traced().find("Error - chunk cache count not 0 on close ID(2,1)\n"), std::string::npos);
}

// ---- Access bracket and streams -------------------------------------------------------------

TEST_F(PartFileCacheTest, NestedAccessesGiveTheDriverItsPositionBack) {
    CPartFile f;
    ASSERT_TRUE(f.Open(Write(Base(), "b.vqk").c_str(), 1));
    ODriver* d = f.GetFileDriver();
    EXPECT_FALSE(f.BeginAccess(nullptr));
    ODrvFile stranger;
    EXPECT_FALSE(f.BeginAccess(&stranger)) << "a driver of no file of the chain";

    ASSERT_TRUE(f.BeginAccess(d));
    EXPECT_TRUE(f.IsInAccess());
    d->Control(DRV_SEEK, 0, 100);
    for (int depth = 1; depth <= 70; ++depth) {
        ASSERT_TRUE(f.BeginAccess(d));
        d->Control(DRV_SEEK, 0, 100 + depth);
    }
    EXPECT_EQ(f.AccessDepth(), 70u);
    // A whole chunk read in the middle leaves the position as it was.
    EXPECT_EQ(Data(f, MakeChunkId(2, 1)), "plain text");
    EXPECT_EQ(d->Control(DRV_POSITION), 170);
    for (int depth = 70; depth >= 1; --depth) {
        ASSERT_TRUE(f.EndAccess(d));
        EXPECT_EQ(d->Control(DRV_POSITION), 100 + depth - 1);
    }
    ASSERT_TRUE(f.EndAccess(d));
    EXPECT_FALSE(f.IsInAccess());
    EXPECT_EQ(f.AccessDepth(), 0u);
}

int32_t GiveUp(ODriver*) { throw std::runtime_error(kDriverException); }

TEST_F(PartFileCacheTest, ADriverExceptionLeavesTheBracketBalanced) {
    const std::string path = Write(Base(), "cd.vqk");
    CPartFile f;
    f.SetAccessFailureHandler(GiveUp);
    ASSERT_TRUE(f.Open(path.c_str(), 1));
    EXPECT_EQ(Data(f, MakeChunkId(1, 1)), "part one");
    ASSERT_EQ(std::remove(path.c_str()), 0); // the disc is taken out
    EXPECT_THROW(f.GetChunk(MakeChunkId(1, 2)), std::runtime_error);
    EXPECT_FALSE(f.IsInAccess()) << "the outermost access ended on the way out";
    EXPECT_EQ(f.AccessDepth(), 0u);
    ASSERT_TRUE(Base().WriteFile(path)); // and put back
    EXPECT_EQ(Data(f, MakeChunkId(1, 2)), "part two");
    EXPECT_FALSE(f.IsInAccess());
}

TEST_F(PartFileCacheTest, OneChunkStreamAtATime) {
    CPartFile f;
    ASSERT_TRUE(f.Open(Write(Base(), "b.vqk").c_str(), 1));
    ODriver* stream = nullptr;
    uint32_t size = 0;
    EXPECT_FALSE(f.OpenChunkStream(MakeChunkId(1, 4), &size, &stream)) << "no such chunk";
    EXPECT_EQ(stream, nullptr);
    ASSERT_TRUE(f.OpenChunkStream(MakeChunkId(1, 3), &size, &stream));
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(stream, f.GetBlockDriver());
    EXPECT_TRUE(f.IsInAccess());

    ODriver* second = nullptr;
    EXPECT_FALSE(f.OpenChunkStream(MakeChunkId(1, 1), &size, &second));
    EXPECT_EQ(second, nullptr) << "a second stream is refused, not pointed at the first chunk";

    char buffer[16] = {};
    uint32_t got = 0;
    EXPECT_EQ(stream->Read(buffer, 16, &got), 0);
    EXPECT_EQ(std::string(buffer, got), "part three") << "the stream ends with the chunk";
    f.CloseChunkStream(MakeChunkId(1, 3), &stream);
    EXPECT_EQ(stream, nullptr);
    EXPECT_FALSE(f.IsInAccess());

    ASSERT_TRUE(f.OpenChunkStream(MakeChunkId(2, 1), &size, &stream));
    EXPECT_EQ(stream->Read(buffer, 5, &got), 0);
    EXPECT_EQ(std::string(buffer, got), "plain");
    // A whole chunk read in the middle of the stream gives the stream its place back.
    EXPECT_EQ(Data(f, MakeChunkId(1, 1)), "part one");
    EXPECT_EQ(f.AccessDepth(), 0u);
    EXPECT_EQ(stream->Read(buffer, 16, &got), 0);
    EXPECT_EQ(std::string(buffer, got), " text");
    f.CloseChunkStream(0, &stream);
}

// ---- Patch chain ----------------------------------------------------------------------------

/// Every index (type, capacity, used) and every chunk's data, as the file reads now.
std::string Contents(CPartFile& f) {
    std::string out;
    for (uint16_t n = 1; n <= f.GetMaster()->used; ++n) {
        RavoIndex* index = f.GetIndex(MakeChunkId(static_cast<uint8_t>(n), 0));
        out += "[" + index->type.str() + " " + std::to_string(index->capacity) + " " + std::to_string(index->used) + "]";
        for (uint16_t e = 1; e <= index->capacity; ++e) {
            const ChunkId id = MakeChunkId(static_cast<uint8_t>(n), e);
            if (f.ChunkExists(id)) {
                uint32_t size = 0, offset = 0;
                f.GetChunkLocation(id, &size, &offset);
                void* data = f.GetChunk(id);
                out += " " + std::to_string(e) + ":" + (data ? std::string(static_cast<char*>(data), size) : "?");
                CPartFile::FreeBlock(data);
            }
        }
        out += "\n";
    }
    return out;
}

ChunkFileBuilder Patch() {
    ChunkFileBuilder p;
    const uint8_t part = p.AddIndex("part", 8, 4);
    p.AddIndex("text", 0, 3);
    const uint8_t snip = p.AddIndex("snip", 8, 2);
    p.AddChunk(part, "patched two", {.entry = 2, .name = "two v2"}); // replaces
    p.AddChunk(part, "", {.entry = 3, .name = "gone"});              // deletes
    p.AddChunk(snip, "new sound", {.name = "ding"});                 // a new index
    return p;
}

TEST_F(PartFileCacheTest, APatchReplacesDeletesAndAddsAndTheLogRecordsTheReads) {
    const std::string base = Write(Base(), "base.vqk");
    const std::string patch = Write(Patch(), "patch.vqk");
    {
        CPartFile f;
        f.SetChunkLogging(true);
        ASSERT_TRUE(f.Open(base.c_str(), 1));
        ASSERT_TRUE(f.OpenPatch(patch.c_str()));
        EXPECT_NE(traced().find("RAVO : Installing patch file\n"), std::string::npos);
        EXPECT_NE(traced().find("RAVO : Patch installation complete : " + patch + "\n"), std::string::npos);

        EXPECT_EQ(Contents(f), "[part 4 2] 1:part one 2:patched two\n[text 3 1] 1:plain text\n[snip 2 1] 1:new sound\n");
        char header[1352];
        ASSERT_TRUE(f.ReadChunkHeader(MakeChunkId(1, 2), header));
        EXPECT_STREQ(header, "two v2");
        EXPECT_EQ(f.FindChunkByName("ding", MakeChunkId(3, 0)), MakeChunkId(3, 1));
        f.Close();
    }
    // Only the file's own base name changes for the log.
    ExpectMatchesGolden("ravo/patch_chunk.log", ReadFileBytes(tmp / "base.log"));
    EXPECT_EQ(ReadFileBytes(base), ToString(Base().Build())) << "the part file itself is never rewritten";
}

TEST_F(PartFileCacheTest, PatchEntriesThatMakeNoSenseAreReported) {
    ChunkFileBuilder p;
    const uint8_t part = p.AddIndex("part", 8, 4);
    p.AddChunk(part, "x", {.entry = 1, .storedSize = 0});  // an offset without a size
    p.AddChunk(part, "", {.entry = 4});                     // deletes a chunk the base lacks
    CPartFile f;
    ASSERT_TRUE(f.Open(Write(Base(), "b.vqk").c_str(), 1));
    ASSERT_TRUE(f.OpenPatch(Write(p, "p.vqk").c_str()));
    EXPECT_NE(traced().find("Warning : bad patch entry encountered : ID(1,1)\n"), std::string::npos);
    EXPECT_NE(traced().find("Warning : Deleted chunk patch entry for non-existant chunk : ID(1,4)\n"),
              std::string::npos);
    EXPECT_EQ(Data(f, MakeChunkId(1, 1)), "part one");
    EXPECT_FALSE(f.ChunkExists(MakeChunkId(1, 4)));
}

// Enlarging an index and adding one, alone and together, then a second patch over the first.
ChunkFileBuilder Enlarging() {
    ChunkFileBuilder p;
    const uint8_t part = p.AddIndex("part", 8, 6);
    p.AddChunk(part, "patched two", {.entry = 2});
    p.AddChunk(part, "part six", {.entry = 6});
    return p;
}
ChunkFileBuilder EnlargingAndAdding() {
    ChunkFileBuilder p;
    const uint8_t part = p.AddIndex("part", 8, 6);
    p.AddIndex("text", 0, 3);
    const uint8_t snip = p.AddIndex("snip", 8, 2);
    p.AddChunk(part, "part five", {.entry = 5});
    p.AddChunk(part, "", {.entry = 1});
    p.AddChunk(snip, "ding", {.entry = 2});
    return p;
}
ChunkFileBuilder OverTheFirst() {
    ChunkFileBuilder p;
    const uint8_t part = p.AddIndex("part", 8, 7);
    const uint8_t text = p.AddIndex("text", 0, 4);
    const uint8_t snip = p.AddIndex("snip", 8, 3);
    const uint8_t actv = p.AddIndex("actv", 0, 1);
    p.AddChunk(part, "seven", {.entry = 7});
    p.AddChunk(part, "five again", {.entry = 5});
    p.AddChunk(part, "", {.entry = 3});
    p.AddChunk(text, "more text", {.entry = 4});
    p.AddChunk(snip, "dong", {.entry = 3});
    p.AddChunk(actv, "first activity");
    return p;
}

const char kBaseContents[] = "[part 4 3] 1:part one 2:part two 3:part three\n[text 3 1] 1:plain text\n";

TEST_F(PartFileCacheTest, PatchesThatEnlargeAndAddIndexesInstallAloneTogetherAndInAChain) {
    struct Case {
        const char* name;
        std::vector<ChunkFileBuilder> chain;
        const char* contents;
    };
    const Case cases[] = {
        {"enlarge", {Enlarging()},
         "[part 6 4] 1:part one 2:patched two 3:part three 6:part six\n[text 3 1] 1:plain text\n"},
        {"enlarge and add", {EnlargingAndAdding()},
         "[part 6 3] 2:part two 3:part three 5:part five\n[text 3 1] 1:plain text\n[snip 2 1] 2:ding\n"},
        {"a second patch over the first", {EnlargingAndAdding(), OverTheFirst()},
         "[part 7 3] 2:part two 5:five again 7:seven\n[text 4 2] 1:plain text 4:more text\n[snip 3 2] 2:ding 3:dong\n"
         "[actv 1 1] 1:first activity\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPartFile f;
        ASSERT_TRUE(f.Open(Write(Base(), "b.vqk").c_str(), 1));
        for (size_t i = 0; i < c.chain.size(); ++i) {
            ASSERT_TRUE(f.OpenPatch(Write(c.chain[i], "p" + std::to_string(i) + ".vqk").c_str()));
        }
        EXPECT_EQ(Contents(f), c.contents);
        f.Close();
        ASSERT_TRUE(f.Open((tmp / "b.vqk").c_str(), 1));
        EXPECT_EQ(Contents(f), kBaseContents) << "a patch lives in memory only";
    }
}

TEST_F(PartFileCacheTest, ARefusedPatchLeavesEveryFileOfTheChainReadingAsBefore) {
    // Each patch would enlarge, add, replace and delete before the index that disagrees.
    auto disagreeing = [](IndexPlan second, bool grow) {
        ChunkFileBuilder p;
        const uint8_t part = p.AddIndex("part", 8, grow ? 9 : 4);
        p.AddIndex(second);
        const uint8_t snip = p.AddIndex("snip", 8, 2);
        p.AddChunk(part, "", {.entry = 1});
        p.AddChunk(part, "patched two", {.entry = 2});
        p.AddChunk(part, "nine", {.entry = grow ? uint16_t(9) : uint16_t(4)});
        p.AddChunk(snip, "new sound");
        return p;
    };
    ChunkFileBuilder firstWrong;
    firstWrong.AddChunk(firstWrong.AddIndex("xxxx", 8, 2), "bad");
    struct Case {
        const char* name;
        ChunkFileBuilder patch;
        bool afterAnother;
    };
    const Case cases[] = {
        {"first index of another type", firstWrong, false},
        {"second index of another type", disagreeing({.type = "txt2", .format = 0, .capacity = 3}, true), false},
        {"second index of another format", disagreeing({.type = "text", .format = 7, .capacity = 3}, false), false},
        {"disagreeing after an accepted patch", disagreeing({.type = "text", .format = 8, .capacity = 5}, true), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPartFile f;
        ASSERT_TRUE(f.Open(Write(Base(), "b.vqk").c_str(), 1));
        if (c.afterAnother) {
            ASSERT_TRUE(f.OpenPatch(Write(EnlargingAndAdding(), "first.vqk").c_str()));
        }
        const std::string before = Contents(f);
        const std::string chainBefore = c.afterAnother ? Contents(*f.GetNextFile()) : "";
        debug().Clear();
        EXPECT_FALSE(f.OpenPatch(Write(c.patch, "p.vqk").c_str()));
        EXPECT_EQ(Contents(f), before);
        if (c.afterAnother) {
            ASSERT_NE(f.GetNextFile(), nullptr);
            EXPECT_EQ(f.GetNextFile()->GetNextFile(), nullptr) << "the refused patch is unlinked";
            EXPECT_EQ(Contents(*f.GetNextFile()), chainBefore);
        } else {
            EXPECT_EQ(f.GetNextFile(), nullptr) << "the refused patch is unlinked";
        }
        const std::string failed = "RAVO : Error - Installation of patch failed\n";
        const size_t at = traced().find(failed);
        EXPECT_NE(at, std::string::npos);
        EXPECT_EQ(traced().find(failed, at + 1), std::string::npos) << "traced once";
        f.Close();
        ASSERT_TRUE(f.Open((tmp / "b.vqk").c_str(), 1));
        EXPECT_EQ(Contents(f), kBaseContents);
    }
    CPartFile f;
    ASSERT_TRUE(f.Open(Write(Base(), "b.vqk").c_str(), 1));
    EXPECT_FALSE(f.OpenPatch((tmp / "absent.vqk").c_str()));
    EXPECT_FALSE(f.OpenPatch(nullptr));
    EXPECT_FALSE(f.OpenPatch(""));
}

// ---- Chunk log ------------------------------------------------------------------------------

TEST_F(PartFileCacheTest, LogNamesCutTheExtensionOfTheFileOnly) {
    EXPECT_EQ(CPartFile::ChunkLogName("part.vqk"), "part.log");
    EXPECT_EQ(CPartFile::ChunkLogName("data/TLV.part.vqk"), "data/TLV.part.log");
    EXPECT_EQ(CPartFile::ChunkLogName("part"), "part.log");
    EXPECT_EQ(CPartFile::ChunkLogName("dir.v2/part"), "dir.v2/part.log");
    EXPECT_EQ(CPartFile::ChunkLogName("dir.v2\\part"), "dir.v2\\part.log");
}

TEST_F(PartFileCacheTest, TheLogIsWrittenOnlyWhenLoggingIsOn) {
    const std::string path = Write(Base(), "quiet.vqk");
    CPartFile f;
    ASSERT_TRUE(f.Open(path.c_str(), 1));
    Data(f, MakeChunkId(1, 1));
    f.Close();
    EXPECT_EQ(ReadFileBytes(tmp / "quiet.log"), "");

    ASSERT_TRUE(f.Open(path.c_str(), 1));
    ASSERT_TRUE(f.OpenChunkLog(true));
    f.WriteLog("a\nb\n\nc");
    f.LogChunk(MakeChunkId(1, 4)); // no such chunk: no line
    f.LogChunk(kNullChunkId);
    f.Close();
    EXPECT_EQ(ReadFileBytes(tmp / "quiet.log"),
              "//\r\n// Chunk log file opened -- using partfile path\r\n//\r\n"
              "a\r\nb\r\n\r\nc\r\n"
              "//\r\n// Chunk log file closed\r\n//\r\n");
}

TEST_F(PartFileCacheTest, TheLogFallsBackToTheWorkingFolderAndElseStaysOff) {
    const std::string path = Write(Base(), "busy.vqk");
    std::filesystem::create_directory(tmp / "busy.log"); // the place beside the file is taken
    TempFolder here(true);
    CPartFile f;
    f.SetChunkLogging(true);
    ASSERT_TRUE(f.Open(path.c_str(), 1));
    EXPECT_TRUE(f.IsChunkLogging());
    f.Close();
    EXPECT_EQ(ReadFileBytes(here / "busy.log"),
              "//\r\n// Chunk log file opened -- using current path\r\n//\r\n"
              "//\r\n// Chunk log file closed\r\n//\r\n");

    std::filesystem::remove(here / "busy.log");
    std::filesystem::create_directory(here / "busy.log"); // and so is the one in the working folder
    ASSERT_TRUE(f.Open(path.c_str(), 1));
    EXPECT_FALSE(f.IsChunkLogging()) << "no place for the log: logging goes off";
    EXPECT_EQ(Data(f, MakeChunkId(2, 1)), "plain text") << "reads go on";
    f.Close();
}

} // namespace
} // namespace vqt::test
