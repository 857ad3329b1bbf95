// The seed files of the chunk-file fuzz target, made by the builder. Each is checked in under
// tests/fuzz/corpus/ravo and refreshed with VQT_UPDATE_GOLDENS=1; each must also open.
#include <gtest/gtest.h>

#include "engine/data/PartFile.h"
#include "tools/builders/ChunkFileBuilder.h"
#include "tests/support/Golden.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

std::vector<std::pair<std::string, ChunkFileBuilder>> Seeds() {
    std::vector<std::pair<std::string, ChunkFileBuilder>> seeds;
    {
        ChunkFileBuilder b;
        const uint8_t part = b.AddIndex("part", 8, 3);
        const uint8_t clst = b.AddIndex("clst", 0, 2);
        const uint8_t snip = b.AddIndex("snip", 7, 2);
        b.AddChunk(part, Bytes(22, 1), {.name = "part", .property = PropertyRecordBytes().SoundDefaults()});
        b.AddChunk(clst, ChunkListData({ChunkIdOf(1, 1), ChunkIdOf(3, 2)}));
        b.AddChunk(snip, "wave", {.entry = 2, .chunkTag = "WAVE"});
        seeds.emplace_back("parts.vqk", b);
    }
    {
        ChunkFileBuilder b;
        const uint8_t utxt = b.AddIndex("utxt", 8, 2);
        const uint8_t clst = b.AddIndex("clst", 0, 1);
        b.AddChunk(utxt, TextRecords({{.id = 10, .text = u"Hi |1"}, {.id = 17, .text = u"Hallo"}}),
                   {.name = "MSG_NOMEMORY"});
        b.AddChunk(utxt, TextRecords({{.id = 17, .text = u"x"}}), {.name = "MSG_HITESC"});
        b.AddChunk(clst, ChunkListData({ChunkIdOf(1, 1), ChunkIdOf(1, 2)}));
        seeds.emplace_back("messages.vqk", b);
    }
    {
        ChunkFileBuilder b;
        const uint8_t path = b.AddIndex("path", 0, 1);
        const uint8_t text = b.AddIndex("text", 0, 1);
        PathPlan p;
        p.records.resize(2);
        p.records[1].words[0] = 256;
        b.AddChunk(path, PathData(p));
        b.AddChunk(text, TextRecords({{.id = 1, .text = u"abc"}}));
        b.SetMasterCapacity(4);
        b.RedirectMaster(14);
        seeds.emplace_back("redirected.vqk", b);
    }
    {
        ChunkFileBuilder b;
        b.SetMasterCapacity(12);
        const uint8_t game = b.AddIndex("game", 8, 25);
        b.AddChunk(game, Bytes(372, 7), {.entry = 1});
        b.AddChunk(game, Bytes(372, 9), {.entry = 8});
        seeds.emplace_back("save.vqk", b);
    }
    {
        ChunkFileBuilder b;
        const uint8_t part = b.AddIndex("part", 8, 4);
        b.AddChunk(part, "", {.entry = 1});
        b.AddChunk(part, "x", {.entry = 2, .storedSize = 0});
        b.AddChunk(part, "yy", {.entry = 3, .flags = 0x8001});
        seeds.emplace_back("patchlike.vqk", b);
    }
    return seeds;
}

class RavoSeeds : public HeadlessTest {};

TEST_F(RavoSeeds, SeedFilesAreBuilderMadeAndOpen) {
    TempFolder tmp;
    for (const auto& [name, builder] : Seeds()) {
        const Bytes image = builder.Build();
        ExpectMatchesGolden("../fuzz/corpus/ravo/" + name, ToString(image));
        const std::string path = tmp / name;
        ASSERT_TRUE(builder.WriteFile(path));
        CPartFile f;
        EXPECT_TRUE(f.Open(path.c_str(), 1)) << name;
    }
}

} // namespace
} // namespace vqt::test
