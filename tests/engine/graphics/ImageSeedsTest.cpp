// The seed files of the image fuzz targets, made by the test kit's writers. Each is checked in
// under tests/fuzz/corpus/images or image_codecs and refreshed with VQT_UPDATE_GOLDENS=1; the
// first byte of each chooses the target's way in (see the targets).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tools/builders/ActivityBuilder.h"
#include "tests/support/Golden.h"
#include "tools/builders/PartBuilder.h"

namespace vqt::test {
namespace {

/// A 5 x 4 picture with runs, single pixels and zeros.
IndexedPicture Tiny(int mask = 0xFF) {
    IndexedPicture p{5, 4, {}, {}};
    for (int i = 0; i < 20; ++i) p.pixels.push_back(uint8_t((i % 7 < 3 ? 200 : i % 5 == 0 ? 0 : i * 37) & mask));
    for (uint32_t i = 0; i < 256; ++i) p.colours.push_back((i * 0x010305u) & 0xFFFFFFu);
    return p;
}
DirectPicture Deep(int bits) {
    DirectPicture d{5, 4, bits, {}};
    for (int i = 0; i < 20 * bits / 8; ++i) d.pixels.push_back(uint8_t(i % 4 == 1 ? 0 : (i * 29) & 0x7F));
    return d;
}
Bytes With(uint8_t way, const Bytes& file) {
    Bytes out(file.size() + 1, way);
    std::copy(file.begin(), file.end(), out.begin() + 1);
    return out;
}

TEST(ImageSeeds, SeedFilesAreWriterMade) {
    IndexedPicture noise{70, 70, {}, {}};
    std::mt19937 random(9);
    for (int i = 0; i < 70 * 70; ++i) noise.pixels.push_back(uint8_t(random()));
    const IndexedPicture tiny = Tiny();
    Picture raw(5, 4);
    raw.pixels = tiny.pixels;
    const Bytes lines(CompressedImage(DirectPicture{5, 4, 8, tiny.pixels}, {.wideCounts = true, .holes = true}));
    const std::vector<std::pair<std::string, Bytes>> images{
        {"bmp8", With(0, BmpFile(tiny))},
        {"bmp8-rle-topdown", With(0, BmpFile(tiny, {.topDown = true, .runLength = true}))},
        {"bmp16", With(0, BmpFile(Deep(16)))},
        {"bmp24-topdown", With(0, BmpFile(Deep(24), true))},
        {"gif-interlaced-extensions", With(1, GifFile(tiny, {.interlaced = true, .extensions = true, .localTable = true}))},
        {"gif-table-full", With(1, GifFile(noise, {.codesWhileFull = 5, .globalTable = false}))},
        {"pcx8", With(2, PcxFile(tiny))},
        {"pcx1x4", With(2, PcxFile(Tiny(15), {.bitsPerPlane = 1, .planes = 4}))},
        {"pcx24", With(2, PcxFile(Deep(24), true))},
        {"pcx32", With(2, PcxFile(Deep(32)))},
        {"compressed-raw16", With(3, CompressedImage(Deep(16), {.mode = 0}))},
        {"compressed-rle8", With(3, lines)},
        {"compressed-rle24", With(3, CompressedImage(Deep(24), {.firstRow = 1, .endRow = 3}))},
        {"compressed-lzw16", With(3, CompressedImage(Deep(16), {.mode = 8, .restartAt = 270}))},
        {"compressed-no-rows", With(3, CompressedImage(Deep(16), {.mode = 0, .firstRow = 3, .endRow = 1}))},
        {"frame-bmp", With(4, BmpFile(tiny, {.runLength = true}))},
        {"frame-gif", With(5, GifFile(tiny))},
        {"frame-pcx", With(6, PcxFile(Tiny(3), {.bitsPerPlane = 2}))},
        {"frame-compressed", With(7, CompressedImage(DirectPicture{5, 4, 8, tiny.pixels}, {.mode = 8}))},
        {"frame-raw", With(8, RawFrameData(raw))},
        {"frame-unknown", With(9, Bytes{1, 2, 3})},
    };
    for (const auto& [name, bytes] : images) ExpectMatchesGolden("../fuzz/corpus/images/" + name, ToString(bytes));

    // The codecs' first byte: the codec (its value modulo 3) and their settings above it.
    std::vector<uint8_t> text(300);
    for (size_t i = 0; i < text.size(); ++i) text[i] = uint8_t("abracadabra"[i % 11]);
    const std::vector<std::pair<std::string, Bytes>> codecs{
        {"lzw-words", With(0, LzwWords(text, 280))},
        // 34: GIF data (1 modulo 3) of minimum code size 8 (34 >> 2), in one-byte sub-blocks.
        {"gif-lzw", With(34, GifSubBlocks({{256, 9}, {'A', 9}, {'B', 9}, {258, 9}, {259, 9}, {257, 9}}, 1))},
        // 74: run-length lines (2 modulo 3) of 8 bits (74 >> 2 is 0 modulo 3) and 5 pixels (74 >> 4 is 4).
        {"rle-lines8", With(74, Bytes(lines.begin() + 14, lines.end()))},
    };
    for (const auto& [name, bytes] : codecs) ExpectMatchesGolden("../fuzz/corpus/image_codecs/" + name, ToString(bytes));
}

} // namespace
} // namespace vqt::test
