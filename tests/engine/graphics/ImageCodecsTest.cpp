// The image codecs: run-length lines of the engine's compressed images, its LZW words, and
// GIF's LZW data in sub-blocks; their edge cases and damaged data.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/graphics/LzwDecodeStream.h"
#include "engine/graphics/LzwDecompress.h"
#include "engine/graphics/VqtRleCoDec.h"
#include "tests/engine/graphics/GraphicsFixture.h"
#include "tools/builders/ImageWriters.h"
#include "tests/support/MemoryStream.h"

namespace vqt::test {
namespace {

class ImageCodecsTest : public GraphicsTest {};

TEST_F(ImageCodecsTest, RunLengthLinesDecodeEveryKindAndStopAtDamage) {
    struct Case {
        const char* name;
        int bits;
        Bytes coded;
        int size;
        Bytes expected;
        int result;
        bool failed;
    };
    const std::vector<Case> cases{
        {"a run", 8, {129, 5, 7}, 5, {7, 7, 7, 7, 7}, 5, false},
        {"wide run, literal, skip, holes", 8, {3, 0, 2, 4, 17, 2, 8, 9, 33, 1, 177, 3, 5, 0, 6}, 8, {4, 4, 8, 9, 0, 5, 0, 6}, 8, false},
        {"a wide literal and a wide skip ending the line", 8, {19, 0, 1, 3, 163, 0, 2}, 3, {3, 0, 0}, 3, false},
        {"a byte that is no opcode does nothing", 8, {5, 129, 2, 1}, 2, {1, 1}, 2, false},
        {"and its bit 7 still ends the line", 8, {0x84, 129, 2, 1}, 2, {0, 0}, 0, false},
        {"16 bits: each coded byte is a pixel's first", 16, {17, 2, 3, 4, 129, 1, 9}, 6, {3, 0, 4, 0, 9, 0}, 6, false},
        {"24 bits likewise", 24, {145, 1, 5}, 3, {5, 0, 0}, 3, false},
        {"no last opcode", 8, {1, 2, 7}, 4, {7, 7, 0, 0}, 2, true},
        {"a run past the end of the line", 8, {129, 9, 1}, 4, {0, 0, 0, 0}, 0, true},
        {"a skip past the end of the line", 8, {161, 5}, 4, {0, 0, 0, 0}, 0, true},
        {"a literal cut short", 16, {145, 3, 1}, 6, {0, 0, 0, 0, 0, 0}, 0, true},
    };
    for (const Case& c : cases) {
        debug().Clear();
        MemoryStream input(c.coded);
        VQTRLECoDec codec(VQTRLECoDec::kRunLength, &input, int16_t(c.bits));
        Bytes line(size_t(c.size), 0xEE);
        EXPECT_EQ(codec.Decode(line.data(), c.size, c.size), c.result) << c.name;
        EXPECT_EQ(line, c.expected) << c.name;
        EXPECT_EQ(codec.LineFailed(), c.failed) << c.name;
        EXPECT_EQ(codec.GetStatus(), c.failed ? VQTRLECoDec::kStatusInput : 0) << c.name;
        // Only the 8-bit decoder says so.
        EXPECT_EQ(traced() == "VQTRLECoDec decompression error\n", c.failed && c.bits == 8) << c.name;
    }
}

TEST_F(ImageCodecsTest, RawAndWholeImageModesReadTheirBytesAndOtherModesNothing) {
    MemoryStream raw(Bytes{1, 2, 3});
    VQTRLECoDec rawCodec(VQTRLECoDec::kRaw, &raw, 8);
    uint8_t out[8] = {};
    EXPECT_EQ(rawCodec.Decode(out, 2, 2), 0);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(rawCodec.Decode(out, 2, 2), VQTRLECoDec::kStatusInput);

    // Mode 8 decodes `size` coded bytes and leaves the input just after them.
    Bytes words = LzwWords({5, 5, 5, 6});
    const int32_t size = int32_t(words.size());
    words.push_back(0xAB);
    MemoryStream whole(words);
    VQTRLECoDec lzw(VQTRLECoDec::kLzw, &whole, 8);
    EXPECT_EQ(lzw.Decode(out, size, 4), 0);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{5, 5, 5, 6}));
    EXPECT_EQ(whole.Control(DRV_POSITION), size);
    EXPECT_EQ(lzw.Decode(out, size, 3), VQTRLECoDec::kStatusInput) << "words that are not there";

    MemoryStream other(Bytes{1});
    EXPECT_EQ(VQTRLECoDec(2, &other, 8).Decode(out, 1, 1), -1);
}

TEST_F(ImageCodecsTest, LzwWordsDecodeByTheirCodes) {
    auto codes = [](std::vector<uint32_t> values, int bits = 9) {
        std::vector<LzwCode> out;
        for (uint32_t v : values) {
            out.push_back({v, bits});
            if (v == 257) ++bits;
            if (v == 258) bits = 9;
        }
        return MsbFirstWords(out);
    };
    struct Case {
        const char* name;
        Bytes words;
        uint32_t capacity;
        int32_t result;
        std::string text;
    };
    const std::vector<Case> cases{
        {"the end code first writes nothing", codes({256}), 8, 0, ""},
        {"the next free code is the previous string and its first byte", codes({'A', 259, 256}), 8, 3, "AAA"},
        {"257 widens the codes", codes({'A', 'B', 257, 259, 256}), 8, 4, "ABAB"},
        {"258 starts afresh", codes({'A', 'B', 258, 'C', 'D', 259, 256}), 8, 6, "ABCDCD"},
        {"a string that does not fit", codes({'A', 259, 256}), 2, -1, "A"},
        {"words that end before the end code", codes({'A', 'B'}), 8, -1, "AB"},
        {"a code not yet defined", codes({'A', 300, 256}), 8, -1, "A"},
        {"a first code that is not a byte", codes({259, 256}), 8, -1, ""},
        {"codes wider than 16 bits", codes({'A', 257, 257, 257, 257, 257, 257, 257, 257}), 8, -1, "A"},
    };
    for (const Case& c : cases) {
        std::string out(8, '\0');
        const int32_t result = LZWDecompress(c.words.data(), uint32_t(c.words.size()), reinterpret_cast<uint8_t*>(out.data()), c.capacity);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(out.substr(0, c.text.size()), c.text) << c.name;
    }
    // A long stream with restarts and widening codes comes back whole.
    std::mt19937 random(7);
    std::vector<uint8_t> data(20000);
    for (uint8_t& b : data) b = uint8_t(random() % 5 == 0 ? random() : 'x');
    const Bytes words = LzwWords(data, 3000);
    std::vector<uint8_t> back(data.size());
    EXPECT_EQ(LZWDecompress(words.data(), uint32_t(words.size()), back.data(), uint32_t(back.size())), int32_t(data.size()));
    EXPECT_EQ(back, data);
}

TEST_F(ImageCodecsTest, GifCodesStartAtTheirWidthAndRefuseUndefinedCodes) {
    MemoryStream none(Bytes{});
    CLZWDecodeStream eight(&none, 8);
    EXPECT_EQ(eight.ClearCode(), 256);
    EXPECT_EQ(eight.EndCode(), 257);
    EXPECT_EQ(eight.CodeWidth(), 9);
    EXPECT_EQ(CLZWDecodeStream(&none, 1).CodeWidth(), 3);
    EXPECT_EQ(CLZWDecodeStream(&none, 12).GetStatus(), CLZWDecodeStream::kStatusCodeSize);

    struct Case {
        const char* name;
        std::vector<LzwCode> codes;
        int subBlock;
        std::string text;
        int32_t status;
    };
    const std::vector<Case> cases{
        {"clear codes at the start are skipped", {{256, 9}, {256, 9}, {'A', 9}, {'B', 9}, {258, 9}, {257, 9}}, 255, "ABAB", 0},
        {"codes split between one-byte sub-blocks", {{'A', 9}, {258, 9}, {258, 9}, {257, 9}}, 1, "AAAAA", 0},
        {"an undefined first code", {{300, 9}, {'A', 9}}, 255, "", CLZWDecodeStream::kStatusBadCode},
        {"a code past the next free one", {{'A', 9}, {300, 9}}, 255, "A", CLZWDecodeStream::kStatusBadCode},
        {"a clear code followed by an undefined one", {{'A', 9}, {256, 9}, {258, 9}}, 255, "A", CLZWDecodeStream::kStatusBadCode},
    };
    for (const Case& c : cases) {
        MemoryStream input(GifSubBlocks(c.codes, c.subBlock));
        CLZWDecodeStream decoder(&input, 8);
        std::string out(8, '\0');
        const int32_t got = decoder.Read(reinterpret_cast<uint8_t*>(out.data()), 8);
        EXPECT_EQ(out.substr(0, size_t(got)), c.text) << c.name;
        EXPECT_EQ(decoder.GetStatus(), c.status) << c.name;
    }
    // The end code ends the data, also for later reads: no code after it names old strings.
    MemoryStream ended(GifSubBlocks({{'A', 9}, {256, 9}, {257, 9}, {'B', 9}, {258, 9}, {300, 9}}));
    CLZWDecodeStream decoder(&ended, 8);
    uint8_t out[8];
    EXPECT_EQ(decoder.Read(out, 8), 1);
    EXPECT_EQ(decoder.Read(out, 8), 0);
}

} // namespace
} // namespace vqt::test
