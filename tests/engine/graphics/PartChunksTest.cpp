// The loaders of part, state, common-block and compressed-image chunks.
#include "engine/graphics/PartChunks.h"

#include <cstring>

#include "engine/base/Unaligned.h"
#include "engine/data/PartFile.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/PartBuilder.h"

namespace vqt::test {
namespace {

class PartChunksTest : public HeadlessTest {
protected:
    static uint16_t Refs(CPartFile* f, ChunkId id) {
        return f->GetIndex(id)->Entry(ChunkEntryOf(id))->flags & ravo::kRefCountMask;
    }
    static uint16_t H16(const uint8_t* p) { return unaligned::Load16(p); }
    static uint32_t H32(const uint8_t* p) { return unaligned::Load32(p); }
    static StatePlan TwoFrames() {
        StatePlan s;
        for (int i = 0; i < 2; ++i) {
            FramePlan f;
            f.picture = Picture(5, 3, uint8_t(7 + i));
            f.picture.at(1, 1) = 0;
            f.hotX = int16_t(-3 - i);
            f.hotY = 7;
            f.offsetX = 300;
            f.offsetY = -2;
            f.duration = uint16_t(4 + i);
            s.frames.push_back(f);
        }
        return s;
    }
    int Count(const std::string& text) {
        int n = 0;
        for (size_t at = traced().find(text); at != std::string::npos; at = traced().find(text, at + 1)) ++n;
        return n;
    }
};

TEST_F(PartChunksTest, PartSizeAgainstItsStateCount) {
    ChunkFileBuilder image;
    PartBuilder parts(image);
    PartPlan desc;
    desc.recolorA = 1;
    desc.words[1] = 0x1234;
    desc.longs[1] = 0x89ABCDEF;
    desc.states = {TwoFrames(), TwoFrames()};
    const BuiltPart exact = parts.AddPart(desc);
    // The same state list in chunks one byte longer and one byte shorter.
    Bytes data = PartBuilder::PartData(desc, exact.states);
    Bytes longer = data;
    longer.push_back(0);
    Bytes shorter(data.begin(), data.end() - 1);
    const ChunkId over = image.AddChunk(parts.PartIndex(), longer);
    const ChunkId under = image.AddChunk(parts.PartIndex(), shorter);
    const ChunkId tiny = image.AddChunk(parts.PartIndex(), Bytes{0, 1, 0});
    Bytes negative(22 + 8 * 4, 0);
    PutBe16(negative, 20, 0xFFFC); // -4 states
    const ChunkId minus = image.AddChunk(parts.PartIndex(), negative);
    OpenedPartFile file(image, false);

    CPartRecord* part = LoadPart(file.get(), exact.part);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(traced().find("part"), std::string::npos);
    EXPECT_EQ(part->StateCount(), 2);
    EXPECT_EQ(part->StateId(0), exact.states[0]);
    EXPECT_EQ(part->StateId(1), exact.states[1]);
    EXPECT_EQ(part->StateId(2), kNullChunkId);
    EXPECT_EQ(part->RecolorFlagA(), 1);
    EXPECT_EQ(H16(part->Data() + 8), 0x1234);
    EXPECT_EQ(H32(part->Data() + 16), 0x89ABCDEFu);
    EXPECT_EQ(part->commonBlocks, nullptr); // no "cblk" chunk for the part
    ReleasePart(file.get(), exact.part, part);

    part = LoadPart(file.get(), over);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->StateCount(), 2);
    EXPECT_NE(traced().find("Warning - part chunk oversized, #" + std::to_string(ChunkEntryOf(over)) +
                            " - Repairing...\n"),
              std::string::npos);
    ReleasePart(file.get(), over, part);

    for (ChunkId damaged : {under, tiny, minus}) {
        part = LoadPart(file.get(), damaged);
        ASSERT_NE(part, nullptr);
        EXPECT_EQ(part->StateCount(), 0);
        EXPECT_NE(traced().find("Error - part " + std::to_string(ChunkEntryOf(damaged)) +
                                " not large enough for number of states, removing states\n"),
                  std::string::npos);
        ReleasePart(file.get(), damaged, part);
    }
}

TEST_F(PartChunksTest, MissingPartsAndTables) {
    ChunkFileBuilder image;
    PartBuilder parts(image);
    PartPlan desc;
    desc.states = {TwoFrames()};
    const BuiltPart built = parts.AddPart(desc);
    OpenedPartFile file(image, true);

    EXPECT_EQ(LoadPart(file.get(), kNullChunkId), nullptr);
    EXPECT_TRUE(dialogs().Boxes().empty());
    const ChunkId missing = MakeChunkId(parts.PartIndex(), 9);
    EXPECT_EQ(LoadPart(file.get(), missing), nullptr);
    ASSERT_EQ(dialogs().Boxes().size(), 1u);
    EXPECT_EQ(dialogs().Boxes()[0].text, "VQT : Missing Part {1, 0, 9}");
    EXPECT_EQ(dialogs().Boxes()[0].title, "Error");

    EXPECT_EQ(LoadCommonBlock(file.get(), built.part), nullptr);
    EXPECT_EQ(GetCommonBlock(file.get(), built.part), nullptr);
    EXPECT_EQ(traced().find("Common Block index not found"), std::string::npos);

    // A file without any "cblk" index.
    ChunkFileBuilder bare;
    const uint8_t partIndex = bare.AddIndex("part", 8);
    const ChunkId lone = bare.AddChunk(partIndex, PartBuilder::PartData(PartPlan{}, {}));
    OpenedPartFile bareFile(bare, true);
    EXPECT_EQ(GetCommonBlock(bareFile.get(), lone), nullptr);
    EXPECT_NE(traced().find("Common Block index not found"), std::string::npos);
}

TEST_F(PartChunksTest, StateRecordsAndTheirSize) {
    ChunkFileBuilder image;
    PartBuilder parts(image);
    StatePlan s = TwoFrames();
    s.propertyId = MakeChunkId(4, 0x0203, 7);
    s.propertyValue = 0xBEEF;
    s.accumulate = true;
    PartPlan desc;
    desc.states = {s};
    const BuiltPart built = parts.AddPart(desc);
    StatePlan plain = TwoFrames();
    plain.withProperty = false;
    const ChunkId bare = image.AddChunk(parts.StateIndex(), PartBuilder::StateData(plain));
    Bytes data = PartBuilder::StateData(TwoFrames());
    data.pop_back();
    const ChunkId shortState = image.AddChunk(parts.StateIndex(), data);
    Bytes negative = PartBuilder::StateData(TwoFrames());
    PutBe16(negative, 0, 0x8000);
    const ChunkId negativeState = image.AddChunk(parts.StateIndex(), negative);
    OpenedPartFile file(image, false);

    CStateRecord* record = LoadState(file.get(), built.states[0]);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->propertyId, MakeChunkId(4, 0x0203, 7));
    EXPECT_EQ(record->propertyValue, 0xBEEF);
    EXPECT_EQ(record->accumulate, 1);
    ASSERT_EQ(record->FrameCount(), 2);
    const uint8_t* f1 = record->Frame(1);
    EXPECT_EQ(int16_t(H16(f1 + 4)), 7);      // hot spot y
    EXPECT_EQ(int16_t(H16(f1 + 6)), -4);     // hot spot x
    EXPECT_EQ(int16_t(H16(f1 + 8)), -2);     // offset y
    EXPECT_EQ(int16_t(H16(f1 + 10)), 300);   // offset x
    EXPECT_EQ(H16(f1 + 12), 5);              // duration
    FreeState(record);

    record = LoadState(file.get(), bare);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->propertyId, 0u);
    EXPECT_EQ(record->propertyValue, 0);
    EXPECT_EQ(record->accumulate, 0);
    FreeState(record);

    EXPECT_EQ(LoadState(file.get(), shortState), nullptr);
    EXPECT_NE(traced().find("Err:  State " + std::to_string(ChunkEntryOf(shortState)) +
                            " is too small for 2 frames!  Disposing state!\n"),
              std::string::npos);
    EXPECT_EQ(LoadState(file.get(), negativeState), nullptr);
    EXPECT_EQ(LoadState(file.get(), MakeChunkId(parts.StateIndex(), 99)), nullptr);
}

TEST_F(PartChunksTest, SharedFramesAreSwappedOnceAndTheSwapGoesBack) {
    StatePlan s = TwoFrames();
    FramePlan shared;
    shared.sameAs = 0;
    FramePlan none;
    none.missing = true;
    s.frames.push_back(shared);
    s.frames.push_back(none);
    const Bytes stored = PartBuilder::CompData(s);

    Bytes image = stored;
    ASSERT_TRUE(SwapCompImage(image, false));
    ASSERT_TRUE(ValidateCompImage(image, nullptr));
    EXPECT_EQ(H16(image.data() + 4), 4);
    const uint32_t first = H32(image.data() + 8);
    EXPECT_EQ(H32(image.data() + 8 + 8), first); // frame 2 shares frame 0
    EXPECT_EQ(H32(image.data() + 8 + 12), 0u);   // frame 3 is missing
    EXPECT_EQ(H16(image.data() + first), 5);     // width and height of frame 0
    EXPECT_EQ(H16(image.data() + first + 2), 3);
    ASSERT_TRUE(SwapCompImage(image, true));
    EXPECT_EQ(image, stored);

    Bytes state = PartBuilder::StateData(s);
    const Bytes storedState = state;
    ASSERT_TRUE(SwapStateChunk(state, false));
    ASSERT_TRUE(SwapStateChunk(state, true));
    EXPECT_EQ(state, storedState);
}

TEST_F(PartChunksTest, DamagedImagesAndTablesAreRefused) {
    StatePlan s = TwoFrames();
    const Bytes good = PartBuilder::CompData(s);
    const uint32_t frame0 = GetBe32(good, 8);
    auto refused = [](Bytes image, const Bytes& blocks = {}) {
        uint8_t* table = nullptr;
        Bytes t = blocks;
        if (!t.empty()) {
            EXPECT_TRUE(SwapCommonBlock(t, false));
            table = t.data();
            const uint32_t size = uint32_t(t.size());
            std::memcpy(table + 10, &size, 4);
        }
        return !(SwapCompImage(image, false) && ValidateCompImage(image, table));
    };
    EXPECT_FALSE(refused(good));
    Bytes b = good;
    PutBe16(b, 4, 0x7FFF); // more frames than the table holds
    EXPECT_TRUE(refused(b));
    b = good;
    PutBe32(b, 8, uint32_t(good.size())); // a frame past the end
    EXPECT_TRUE(refused(b));
    b = good;
    PutBe32(b, 8, 4); // a frame inside the frame table
    EXPECT_TRUE(refused(b));
    b = good;
    PutBe16(b, frame0 + 2, 0x4000); // more lines than the data hold
    EXPECT_TRUE(refused(b));
    b = good;
    PutBe32(b, frame0 + 4, uint32_t(good.size()) + 3); // a line past the end
    EXPECT_TRUE(refused(b));
    b = good;
    const uint32_t line = GetBe32(good, frame0 + 4);
    b[line] = 0x05; // not an opcode
    EXPECT_TRUE(refused(b));
    // A reference to block 0 is refused without a table and with too few blocks, taken with one.
    b = good;
    b[line] = 0x89;
    b[line + 1] = 2;
    b[line + 2] = 0;
    EXPECT_TRUE(refused(b));
    const Bytes table = PartBuilder::CommonBlockData({Bytes{0x81, 2, 9}});
    EXPECT_FALSE(refused(b, table));
    b[line + 2] = 1;
    EXPECT_TRUE(refused(b, table));

    Bytes t = table;
    PutBe16(t, 0, 40); // more offsets than the table holds
    EXPECT_FALSE(SwapCommonBlock(t, false));
    Bytes tooShort(10, 0);
    EXPECT_FALSE(SwapCommonBlock(tooShort, false));
}

TEST_F(PartChunksTest, TheCacheSharesRecordsAndTheirTables) {
    ChunkFileBuilder image;
    PartBuilder parts(image);
    PartPlan desc;
    desc.states = {TwoFrames()};
    desc.commonBlocks = {Bytes{0x81, 3, 4}};
    const BuiltPart built = parts.AddPart(desc);
    OpenedPartFile file(image, true);
    const ChunkId cblk = MakeChunkId(parts.CommonBlockIndex(), ChunkEntryOf(built.part));

    CPartRecord* a = GetPart(file.get(), built.part);
    CPartRecord* b = GetPart(file.get(), built.part);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    ASSERT_NE(a->commonBlocks, nullptr);
    EXPECT_EQ(H16(a->commonBlocks), 1);
    EXPECT_EQ(Refs(file.get(), built.part), 2);
    EXPECT_EQ(Refs(file.get(), cblk), 2);
    // A table asked for by itself is the same one.
    EXPECT_EQ(GetCommonBlock(file.get(), built.part), a->commonBlocks);
    ReleaseCommonBlock(file.get(), built.part, a->commonBlocks);
    ReleasePartRef(file.get(), built.part, a);
    ReleasePartRef(file.get(), built.part, b);
    EXPECT_EQ(Refs(file.get(), built.part), 0);
    EXPECT_EQ(Refs(file.get(), cblk), 0);

    CStateRecord* s1 = GetState(file.get(), built.states[0]);
    CStateRecord* s2 = GetState(file.get(), built.states[0]);
    EXPECT_EQ(s1, s2);
    uint8_t* c1 = GetCompImage(file.get(), built.states[0]);
    EXPECT_EQ(GetCompImage(file.get(), built.states[0]), c1);
    const ChunkId comp = MakeChunkId(parts.CompIndex(), ChunkEntryOf(built.states[0]));
    EXPECT_EQ(Refs(file.get(), comp), 2);
    for (int i = 0; i < 2; ++i) {
        ReleaseState(file.get(), built.states[0], s1);
        ReleaseCompImage(file.get(), built.states[0], c1);
    }
    EXPECT_EQ(Refs(file.get(), comp), 0);
    EXPECT_EQ(Refs(file.get(), built.states[0]), 0);

    // A state id naming a part, an image or an index block is never served what the cache
    // holds for that chunk.
    CPartRecord* part = GetPart(file.get(), built.part);
    EXPECT_EQ(GetState(file.get(), built.part), nullptr);
    EXPECT_EQ(GetState(file.get(), comp), nullptr);
    EXPECT_EQ(GetState(file.get(), MakeChunkId(0, parts.StateIndex())), nullptr);
    EXPECT_EQ(GetPart(file.get(), built.states[0]), nullptr);
    EXPECT_EQ(Refs(file.get(), built.part), 1);
    ReleasePartRef(file.get(), built.part, part);

    // Without the cache the Get forms give nothing and the Load forms work alone.
    OpenedPartFile uncached(image, false);
    EXPECT_EQ(GetPart(uncached.get(), built.part), nullptr);
    EXPECT_EQ(GetState(uncached.get(), built.states[0]), nullptr);
    EXPECT_EQ(GetCompImage(uncached.get(), built.states[0]), nullptr);
}

} // namespace
} // namespace vqt::test
