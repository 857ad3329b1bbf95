#include <cstring>
#include <random>
#include <vector>

#include "engine/base/Trace.h"
#include "engine/blit/Blitter.h"
#include "tests/engine/blit/BlitModel.h"
#include "tests/support/HeadlessTest.h"

using blitmodel::Event;
using blitmodel::LineBuilder;

namespace {

class VqtrleTest : public vqt::test::HeadlessTest {};

using Bytes = std::vector<uint8_t>;

Bytes Encode(const Bytes& pixels) {
    Bytes out(VQTRLE_MaxLineBytes(static_cast<int32_t>(pixels.size())));
    const int32_t n = VQTRLE_CompressLine(pixels.data(), static_cast<int16_t>(pixels.size()), out.data(), out.size());
    EXPECT_GE(n, 0);
    out.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return out;
}

/// Pixels of a decoded line, transparent ones as 0.
Bytes Pixels(const Bytes& line, int width, const uint8_t* blocks = nullptr) {
    Bytes out(static_cast<size_t>(width), 0);
    if (line.empty()) return out;
    const auto events = blitmodel::Decode(line.data(), width, blocks);
    for (size_t i = 0; i < events.size(); ++i) out[i] = events[i].kind == Event::kValue ? events[i].value : 0;
    return out;
}

TEST_F(VqtrleTest, EncoderWritesTheDocumentedBytes) {
    EXPECT_EQ(Encode(Bytes(8, 0)), Bytes{});
    EXPECT_EQ(Encode(Bytes(8, 5)), (Bytes{0x81, 0x08, 0x05}));
    EXPECT_EQ(Encode({1, 2, 3, 4}), (Bytes{0x91, 0x04, 1, 2, 3, 4}));
    EXPECT_EQ(Encode({7, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0, 0, 9}),
              (Bytes{0x31, 0x04, 7, 0, 0, 7, 0x21, 0x08, 0x81, 0x01, 0x09}));
    EXPECT_EQ(Encode(Bytes(300, 0x42)), (Bytes{0x01, 0xFE, 0x42, 0x81, 0x2E, 0x42}));
    EXPECT_EQ(Encode(Bytes(508, 0x42)), (Bytes{0x01, 0xFE, 0x42, 0x01, 0xFE, 0x42, 0x81, 0x00, 0x42}));
    EXPECT_EQ(Encode({1, 2, 3, 5, 5, 5, 5, 5, 5, 5, 7, 7}),
              (Bytes{0x11, 0x03, 1, 2, 3, 0x01, 0x07, 0x05, 0x81, 0x02, 0x07}));
    EXPECT_EQ(Encode({3, 3, 3, 3, 3, 3, 3, 3, 1, 2, 0, 0, 0}),
              (Bytes{0x91, 0x0A, 3, 3, 3, 3, 3, 3, 3, 3, 1, 2}));
    // A line ending in zeros ends with the last record before them.
    EXPECT_EQ(Encode({0, 0, 6, 6, 0, 0}), (Bytes{0x21, 0x02, 0x81, 0x02, 0x06}));
}

TEST_F(VqtrleTest, RandomLinesRoundTrip) {
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        const int width = static_cast<int>(rng() % 1200);
        const Bytes row = blitmodel::RandomRow(rng, width);
        const Bytes line = Encode(row);
        ASSERT_EQ(Pixels(line, width), row) << "row " << i;
        if (!line.empty()) {
            ASSERT_TRUE(VQTRLE_ValidateLine(line.data(), line.size(), static_cast<int16_t>(width), nullptr, 0));
        }
    }
}

TEST_F(VqtrleTest, WorstCaseOutputFitsTheBoundAndSmallBuffersAreRefused) {
    // Literal of 8, run of 4, lone zero: the costliest pattern found.
    const uint8_t cycle[13] = {1, 2, 1, 2, 1, 2, 1, 2, 3, 3, 3, 3, 0};
    Bytes row(640);
    for (size_t i = 0; i < row.size(); ++i) row[i] = cycle[i % 13];
    const Bytes line = Encode(row);
    EXPECT_EQ(line.size(), 740u);
    EXPECT_GT(line.size(), row.size() + 5);  // more than the old per-line allowance
    EXPECT_LE(line.size(), VQTRLE_MaxLineBytes(640));
    EXPECT_EQ(Pixels(line, 640), row);

    Bytes small(line.size() - 1, 0xCD);
    Bytes guarded(small.size() + 16, 0xCD);
    EXPECT_EQ(VQTRLE_CompressLine(row.data(), 640, guarded.data(), small.size()), -1);
    for (size_t i = small.size(); i < guarded.size(); ++i) EXPECT_EQ(guarded[i], 0xCD);

    std::mt19937 rng(3);
    for (int i = 0; i < 2000; ++i) {
        Bytes noise(static_cast<size_t>(rng() % 700));
        for (auto& p : noise) p = static_cast<uint8_t>(rng() % 3 == 0 ? 0 : 1 + rng() % 3);
        EXPECT_LE(Encode(noise).size(), VQTRLE_MaxLineBytes(static_cast<int32_t>(noise.size())));
    }
}

TEST_F(VqtrleTest, EmitterSplitsCountsAndChecksRoom) {
    uint8_t out[16];
    EXPECT_EQ(VQTRLE_EmitOpcode(0xA1, 254, nullptr, out, sizeof out), 2);
    EXPECT_EQ(out[0], 0xA1);
    EXPECT_EQ(out[1], 0xFE);
    EXPECT_EQ(VQTRLE_EmitOpcode(0xA1, 600, nullptr, out, sizeof out), 6);
    EXPECT_EQ(Bytes(out, out + 6), (Bytes{0x21, 0xFE, 0x21, 0xFE, 0xA1, 92}));
    const uint8_t v = 9;
    EXPECT_EQ(VQTRLE_EmitOpcode(0x01, 300, &v, out, 5), -1);
}

TEST_F(VqtrleTest, HitTestAgreesWithTheDecodedLine) {
    std::mt19937 rng(11);
    const Bytes b0 = LineBuilder().Run(2, 5).Skip(1).Holes({0, 3}).Done();
    const Bytes b1 = LineBuilder().Skip(1).Ref(5, 0).Done();
    const Bytes table = blitmodel::MakeBlockTable({b0, b1});
    for (int i = 0; i < 300; ++i) {
        const int width = 1 + static_cast<int>(rng() % 60);
        const Bytes line = i % 2 ? Encode(blitmodel::RandomRow(rng, width))
                                 : blitmodel::RandomRecords(rng, width, {5, 6});
        if (line.empty()) continue;
        ASSERT_TRUE(VQTRLE_ValidateLine(line.data(), line.size(), static_cast<int16_t>(width), table.data(), table.size()));
        // Runs and literals count as drawn whatever their value; holes and skips do not.
        const auto events = blitmodel::Decode(line.data(), width, table.data());
        for (int f = 0; f < width; ++f) {
            for (int l = f + 1; l <= width; ++l) {
                bool any = false;
                for (int x = f; x < l; ++x) any = any || events[static_cast<size_t>(x)].kind == Event::kValue;
                ASSERT_EQ(VQTRLE_HitTestLine(static_cast<int16_t>(f), static_cast<int16_t>(l), line.data(),
                                             static_cast<int16_t>(width), table.data()),
                          any ? 1 : 0)
                    << "line " << i << " columns " << f << ".." << l;
            }
        }
    }
}

TEST_F(VqtrleTest, HitTestReportsBadDataAndColumnsLeftOfTheLine) {
    const Bytes line = LineBuilder().Run(2, 9).Done();
    EXPECT_EQ(VQTRLE_HitTestLine(-5, 0, line.data(), 2, nullptr), 0);
    debug().Clear();
    const Bytes bad = {0x05, 0x01};
    EXPECT_EQ(VQTRLE_HitTestLine(0, 4, bad.data(), 4, nullptr), 0);
    EXPECT_EQ(traced(), "ERROR - bad opcode encountered\n");

    debug().Clear();
    const Bytes ref = LineBuilder().Ref(2, 1).Done(); // block 1 of a one-block table: one past
    EXPECT_EQ(VQTRLE_HitTestLine(0, 4, ref.data(), 4, nullptr), 0);
    EXPECT_EQ(traced(), "ERROR - No common block table but cblock opcode encountered\n");

    debug().Clear();
    const Bytes table = blitmodel::MakeBlockTable({LineBuilder().Run(2, 1).Done()});
    EXPECT_EQ(VQTRLE_HitTestLine(0, 4, ref.data(), 4, table.data()), 0);
    EXPECT_EQ(traced(), "ERROR - Common block number out of range\n");

    debug().Clear();
    const Bytes overrun = LineBuilder().Skip(6).Done();
    EXPECT_EQ(VQTRLE_HitTestLine(0, 9, overrun.data(), 4, nullptr), 0);
    EXPECT_EQ(traced(), "ERROR - decompression buffer overrun\n");
}

TEST_F(VqtrleTest, PackedLiteralsAreReadAsHalfBytesByTheHitTestOnly) {
    const Bytes table = blitmodel::MakeBlockTable({LineBuilder().Run(1, 1).Done()}, 1);
    // A literal of 3 pixels takes 2 bytes when packed; the run after it starts at column 3.
    const Bytes line = {0x11, 0x03, 0x12, 0x30, 0x21, 0x02, 0x81, 0x01, 0x05};
    EXPECT_EQ(VQTRLE_HitTestLine(5, 6, line.data(), 6, table.data()), 1);
    EXPECT_EQ(VQTRLE_HitTestLine(3, 5, line.data(), 6, table.data()), 0);
}

/// A 'comp' chunk: frame count at 4, frame offsets from 8; a frame has its line count at 2 and
/// line offsets (from the chunk's start, bit 31 a flag) from 4.
struct Chunk {
    Bytes bytes;
    uint32_t Add(const Bytes& data) {
        const uint32_t at = static_cast<uint32_t>(bytes.size());
        bytes.insert(bytes.end(), data.begin(), data.end());
        return at;
    }
};

int g_visited = 0;

void Put32(Bytes& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

TEST_F(VqtrleTest, RecolouringMovesOneBandAndVisitsSharedLinesOnce) {
    Chunk c;
    c.bytes.assign(8 + 3 * 4, 0);
    const uint16_t frames = 3;
    std::memcpy(c.bytes.data() + 4, &frames, 2);
    const uint32_t lineA = c.Add(LineBuilder().Literal({130, 131, 132, 133, 134, 129}).Done());
    const uint32_t lineB = c.Add(LineBuilder().Run(3, 131).Skip(2).Holes({0, 133}).Done());
    const uint32_t block = 0;  // the reference in lineC uses block 0
    const uint32_t lineC = c.Add(LineBuilder().Ref(2, static_cast<uint8_t>(block)).Done());
    Bytes frame(4 + 4 * 4, 0);
    const uint16_t lines = 4;
    std::memcpy(frame.data() + 2, &lines, 2);
    Put32(frame, 4, lineA);
    Put32(frame, 8, lineA);                // shared within the frame
    Put32(frame, 12, lineB | 0x80000000u);  // flag bit
    Put32(frame, 16, 0);                    // empty line
    const uint32_t f0 = c.Add(frame);
    Bytes frame2(4 + 2 * 4, 0);
    const uint16_t lines2 = 2;
    std::memcpy(frame2.data() + 2, &lines2, 2);
    Put32(frame2, 4, lineB);  // shared with the first frame
    Put32(frame2, 8, lineC);
    const uint32_t f1 = c.Add(frame2);
    Put32(c.bytes, 8, f0);
    Put32(c.bytes, 12, f0);  // shared frame
    Put32(c.bytes, 16, f1);
    Bytes table = blitmodel::MakeBlockTable({LineBuilder().Literal({132, 7}).Done()});

    EXPECT_TRUE(VQTRLE_RecolorFrames(c.bytes.data(), 32, 0, table.data()));
    EXPECT_EQ(Bytes(c.bytes.begin() + lineA, c.bytes.begin() + lineA + 8),
              (Bytes{0x91, 6, 2, 3, 4, 5, 134, 129}));
    EXPECT_EQ(Bytes(c.bytes.begin() + lineB, c.bytes.begin() + lineB + 9),
              (Bytes{0x01, 3, 3, 0x21, 2, 0xB1, 2, 0, 5}));
    EXPECT_EQ(table[table.size() - 2], 4);
    EXPECT_EQ(table[table.size() - 1], 7);

    g_visited = 0;
    EXPECT_TRUE(VQTRLE_ForEachLine(c.bytes.data(), 0, 0, nullptr, [](uint8_t*, uint8_t, uint8_t, uint8_t*) {
        ++g_visited;
        return true;
    }));
    EXPECT_EQ(g_visited, 3);
    EXPECT_FALSE(VQTRLE_ForEachLine(c.bytes.data(), 0, 0, nullptr,
                                    [](uint8_t*, uint8_t, uint8_t, uint8_t*) { return false; }));
}

TEST_F(VqtrleTest, ValidationAcceptsGoodLinesAndRefusesBadOnes) {
    const Bytes b0 = LineBuilder().Run(2, 5).Done();
    const Bytes b1 = LineBuilder().Ref(3, 0).Skip(1).Done();
    const Bytes selfRef = LineBuilder().Ref(3, 2).Done();
    const Bytes table = blitmodel::MakeBlockTable({b0, b1, selfRef});
    auto valid = [&](const Bytes& line, int width, const Bytes* t = nullptr) {
        return VQTRLE_ValidateLine(line.data(), line.size(), static_cast<int16_t>(width),
                                   t ? t->data() : nullptr, t ? t->size() : 0);
    };
    EXPECT_TRUE(valid({0x80}, 0));
    EXPECT_TRUE(valid(LineBuilder().Run(4, 1).Skip(2, true).Done(), 6));
    EXPECT_TRUE(valid(LineBuilder().Ref(4, 1).Done(), 4, &table));
    EXPECT_TRUE(valid(LineBuilder().Run(0, 1).Run(2, 1).Done(), 2));

    EXPECT_FALSE(valid(LineBuilder().Run(7, 1).Done(), 6));                  // too many pixels
    EXPECT_FALSE(valid(LineBuilder().Run(4, 1).Done(), 3));
    EXPECT_FALSE(valid({0x01, 0x02, 0x05}, 6));                              // no last record
    EXPECT_FALSE(valid({0x91, 0x04, 1, 2}, 6));                              // data cut short
    EXPECT_FALSE(valid({0x83, 0x00}, 6));                                    // count cut short
    EXPECT_FALSE(valid({0x05, 0x80}, 6));                                    // not an opcode
    EXPECT_FALSE(valid({}, 6));
    EXPECT_FALSE(valid(LineBuilder().Ref(3, 0).Done(), 6));                 // no table
    EXPECT_FALSE(valid(LineBuilder().Ref(3, 3).Done(), 6, &table));         // no such block
    // The block just past the last: its offset would be read from block 0's bytes {2, 0}.
    const Bytes onePast = blitmodel::MakeBlockTable({{0x02, 0x00, 0x80}});
    EXPECT_FALSE(valid(LineBuilder().Ref(1, 1).Done(), 1, &onePast));
    EXPECT_FALSE(valid(LineBuilder().Ref(1, 0).Done(), 6, &table));         // block wider than ref
    EXPECT_FALSE(valid(LineBuilder().Ref(3, 2).Done(), 6, &table));         // cycle
    for (uint8_t op = 0; op < 0xFF; ++op) {
        const bool opcode = VQTRLE_IsOpcode(op);
        bool listed = false;
        for (uint8_t o : VQTRLE_Opcodes) listed = listed || o == op;
        EXPECT_EQ(opcode, listed) << int(op);
    }

    Bytes broken = table;
    broken.resize(15);  // offsets cut off
    EXPECT_FALSE(VQTRLE_ValidateCommonBlocks(broken.data(), broken.size()));
    Bytes badOffset = table;
    const uint16_t far = 500;
    std::memcpy(badOffset.data() + 14, &far, 2);
    EXPECT_FALSE(VQTRLE_ValidateCommonBlocks(badOffset.data(), badOffset.size()));
    EXPECT_TRUE(VQTRLE_ValidateCommonBlocks(table.data(), table.size()));
    // A line checks the table's header and the offsets it follows.
    EXPECT_FALSE(valid(LineBuilder().Ref(2, 0).Done(), 6, &broken));
    EXPECT_FALSE(valid(LineBuilder().Ref(2, 0).Done(), 6, &badOffset));

    // Fan-out of empty references: bounded work, refused.
    std::vector<Bytes> chain;
    LineBuilder wideBlock;
    for (int i = 0; i < 200; ++i) wideBlock.Ref(0, 1);
    chain.push_back(wideBlock.Done());
    LineBuilder inner;
    for (int i = 0; i < 200; ++i) inner.Ref(0, 2);
    chain.push_back(inner.Done());
    chain.push_back(Bytes{0x80});
    const Bytes fan = blitmodel::MakeBlockTable(chain);
    EXPECT_FALSE(valid(LineBuilder().Ref(0, 0).Done(), 10, &fan));
}

TEST_F(VqtrleTest, ATableHoldsItsBlocksUpToItsLastByteAndNotAtItsEnd) {
    // Two blocks after a header of 14 bytes and two offsets: block 1 is the table's last byte.
    const Bytes table = blitmodel::MakeBlockTable({{0x81, 2, 9}, {0x80}});
    ASSERT_EQ(table.size(), 22u);
    const auto withBlock1At = [&](uint16_t offset) {
        Bytes t = table;
        std::memcpy(t.data() + 16, &offset, 2);
        return t;
    };
    const auto lineValid = [](const Bytes& line, int width, const Bytes& t) {
        return VQTRLE_ValidateLine(line.data(), line.size(), static_cast<int16_t>(width), t.data(), t.size());
    };
    const Bytes refBlock1 = LineBuilder().Ref(2, 1).Done();
    const struct {
        uint16_t offset;  // of block 1, from the end of the offsets (18 bytes in)
        bool valid;
    } cases[] = {{3, true}, {4, false}, {5, false}};
    for (const auto& c : cases) {
        const Bytes t = withBlock1At(c.offset);
        EXPECT_EQ(VQTRLE_ValidateCommonBlocks(t.data(), t.size()), c.valid) << "offset " << c.offset;
        EXPECT_EQ(lineValid(refBlock1, 2, t), c.valid) << "offset " << c.offset;
    }

    // A header alone, with no block: fits in 14 bytes, not in 13.
    const Bytes empty = blitmodel::MakeBlockTable({});
    ASSERT_EQ(empty.size(), 14u);
    EXPECT_TRUE(VQTRLE_ValidateCommonBlocks(empty.data(), empty.size()));
    EXPECT_FALSE(VQTRLE_ValidateCommonBlocks(empty.data(), empty.size() - 1));
    EXPECT_TRUE(lineValid(LineBuilder().Run(2, 4).Done(), 2, empty));
    EXPECT_FALSE(lineValid(LineBuilder().Run(2, 4).Done(), 2, Bytes(empty.begin(), empty.end() - 1)));

    // A block whose record ends at the table's last byte is whole; one byte less and it is cut.
    const Bytes last = blitmodel::MakeBlockTable({{0x80}, {0x81, 2, 9}});
    const Bytes refLast = LineBuilder().Ref(2, 1).Done();
    EXPECT_TRUE(lineValid(refLast, 2, last));
    EXPECT_FALSE(lineValid(refLast, 2, Bytes(last.begin(), last.end() - 1)));
}

} // namespace
