#pragma once
// Image files for tests and the synthetic part file, written byte by byte from the formats'
// definitions: BMP, GIF (with its LZW coder), PCX and the engine's compressed images (with its
// run-length and LZW coders). The writers share no code with the engine's readers, so each
// reader is checked against the format rather than against itself.
#include <cstdint>
#include <vector>

#include "tools/builders/ChunkFileBuilder.h"

namespace vqt::test {

/// An 8-bit picture as rows of palette indices with its colours (red, green, blue).
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;   ///< width * height, top row first
    std::vector<uint32_t> colours; ///< up to 256, 0x00BBGGRR
};

/// A picture of 8-, 16- (5-5-5, little-endian) or 24-bit (blue, green, red) pixels, rows top
/// first, as a surface of that depth holds them.
struct DirectPicture {
    int width = 0;
    int height = 0;
    int bits = 8;
    std::vector<uint8_t> pixels; ///< width * height * bits / 8
};

/// A tile sheet: `perRow` tiles a row, `rows` rows, each tile of one colour index (tile t is
/// index t + 1 of `colours`).
IndexedPicture TileSheet(int tileWidth, int tileHeight, int perRow, int rows, const std::vector<uint32_t>& colours);

// ---- BMP

struct BmpForm {
    bool topDown = false;   ///< a negative height: rows stored top first
    bool runLength = false; ///< BI_RLE8: runs, literals (odd ones padded), ends of line and bitmap
};
/// An 8-bit BMP with a colour table of 256 records from the picture's colours.
Bytes BmpFile(const IndexedPicture& picture, BmpForm form = {});
/// A 16- (5-5-5) or 24-bit BMP, rows padded to 4 bytes.
Bytes BmpFile(const DirectPicture& picture, bool topDown = false);

// ---- GIF

struct GifForm {
    bool interlaced = false;
    /// A graphic control, a comment, a plain text and an application extension before the image.
    bool extensions = false;
    int leadingClears = 1;     ///< clear codes before the first data code
    int minimumCodeSize = 8;   ///< 2 to 8
    int subBlock = 255;        ///< bytes of each data sub-block (the last may be shorter)
    /// Codes sent once the table holds 4096 entries before the clear code; 0 sends the clear
    /// code as soon as the table is full.
    int codesWhileFull = 0;
    bool globalTable = true;   ///< 256 entries from the picture's colours
    bool localTable = false;   ///< a local table (the reader ignores it)
    bool version87 = false;    ///< "GIF87a" instead of "GIF89a"
};
Bytes GifFile(const IndexedPicture& picture, GifForm form = {});

// ---- PCX

struct PcxForm {
    int bitsPerPlane = 8; ///< 1, 2, 4 or 8
    int planes = 1;       ///< planes of fewer bits hold the value's bits from the low end up
    bool tailMarker = true; ///< one plane of 8 bits: the marker 12 before the 256 colours at the end
    uint8_t version = 5;
    int16_t left = 0;     ///< xmin and ymin of the window
    int16_t top = 0;
    /// Runs go on from one line into the next (the coder sees the lines as one stream).
    bool runsAcrossLines = false;
};
/// A PCX of palette indices; fewer than 8 bits per plane take the colour map of the header
/// (the first 16 colours).
Bytes PcxFile(const IndexedPicture& picture, PcxForm form = {});
/// A 24- or 32-bit PCX: three or four planes of 8 bits, a pixel's last byte in the first plane
/// (for 24 bits red, green and blue).
Bytes PcxFile(const DirectPicture& picture, bool runsAcrossLines = false);

// ---- The engine's compressed image

struct CompressedForm {
    int mode = 1;        ///< 0 raw, 1 run-length, 8 LZW
    int firstRow = 0;    ///< modes 0 and 1: rows coded from here
    int endRow = -1;     ///< up to here (exclusive); -1: the height
    bool wideCounts = false; ///< mode 1: every count in two bytes
    /// Mode 1: literals keep short stretches of 0 inside them as holes (kind 3).
    bool holes = false;
    int restartAt = 4096; ///< mode 8: the code 258 when the next free code reaches this
};
/// The 14-byte header and the coded rows. Mode 1 codes the first byte of each pixel (the
/// decoder gives 16- and 24-bit pixels with the other bytes 0); modes 0 and 8 whole pixels.
Bytes CompressedImage(const DirectPicture& picture, CompressedForm form = {});
/// A code and the bits it is written in.
struct LzwCode {
    uint32_t code;
    int bits;
};
/// Codes packed most significant bit first into big-endian 32-bit words (mode 8's layout).
Bytes MsbFirstWords(const std::vector<LzwCode>& codes);
/// Codes packed least significant bit first into GIF data sub-blocks of `size` bytes, with
/// the empty block that ends them.
Bytes GifSubBlocks(const std::vector<LzwCode>& codes, int size = 255);

/// The LZW coder of mode 8: big-endian 32-bit words of codes, 9 bits wide at first, 257 before
/// every code that needs one bit more, 258 when the next free code reaches `restartAt`, 256 at
/// the end.
Bytes LzwWords(const std::vector<uint8_t>& data, int restartAt = 4096);

} // namespace vqt::test
