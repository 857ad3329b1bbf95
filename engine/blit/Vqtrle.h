#pragma once
// The run-length compressed line format of animation frames, its common-block table and the
// operations that work on compressed lines without drawing them.
//
// A line is a sequence of records, each an opcode byte, a count (1 byte, or 2 bytes big-endian
// when bit 1 is set) and its data: kind 0 run (1 value byte), kind 0 with bit 3 a common-block
// reference (1 block-number byte), kind 1 literal (count bytes), kind 2 skip (none), kind 3
// literal with holes (count bytes, 0 = transparent). Bit 7 marks the last record; the byte 0x80
// alone ends an empty line.
//
// Common-block table (after loading, fields in machine order): u16 block count N at byte 0, a
// 32-bit value at 2, the packed-literal flag at 6, a reserved slot at 10-13 (never read), N u16
// block offsets from byte 14; block n starts at 14 + 2N + offset[n].
#include <cstddef>
#include <cstdint>

/// The 21 valid opcode bytes; the first, 0x80, is also the mask of the last flag.
extern const uint8_t VQTRLE_Opcodes[21];
/// Whether byte is one of them (inline: the readers ask it for every record).
inline bool VQTRLE_IsOpcode(uint8_t byte) {
    if (byte == 0x80) {
        return true;
    }
    const uint8_t low = byte & 0x7F;
    // Bit 0 set, bit 2 and bit 6 clear; bit 3 (reference) only with kind 0.
    return (low & 0x45) == 0x01 && ((low & 0x08) == 0 || (low & 0x30) == 0);
}

/// Size of an output buffer that always holds one compressed line of the given width.
size_t VQTRLE_MaxLineBytes(int32_t width);

/// Compresses width 8-bit pixels into dst (capacity bytes). Returns the number of bytes written
/// (0 for a line without drawn pixels), or -1 when the output would not fit; a buffer of
/// VQTRLE_MaxLineBytes(width) bytes always fits.
int32_t VQTRLE_CompressLine(const uint8_t* src, int16_t width, uint8_t* dst, size_t capacity);

/// Writes one record (split into pieces of 254 when longer) for opcode 0x01, 0x11, 0x21 or 0x31,
/// with 0x80 added when it is the last; returns the bytes written or -1 when out of room.
int32_t VQTRLE_EmitOpcode(uint8_t opcode, int16_t count, const uint8_t* data, uint8_t* out,
                          size_t capacity);

/// 1 when a drawn pixel of the line lies in columns first .. last - 1, else 0.
uint8_t VQTRLE_HitTestLine(int16_t first, int16_t last, const uint8_t* line, int16_t width,
                           const uint8_t* blocks);

/// Recolours every distinct line of every distinct frame of a loaded 'comp' chunk in place:
/// indices of band a (4a + 2 .. 4a + 5) move to the same places in band b. Returns true.
bool VQTRLE_RecolorFrames(uint8_t* chunk, uint8_t bandA, uint8_t bandB, uint8_t* blocks);
using VQTRLE_LineCallback = bool (*)(uint8_t* line, uint8_t bandA, uint8_t bandB, uint8_t* blocks);
bool VQTRLE_ForEachLine(uint8_t* chunk, uint8_t bandA, uint8_t bandB, uint8_t* blocks,
                        VQTRLE_LineCallback callback);
bool VQTRLE_RecolorLine(uint8_t* line, uint8_t bandA, uint8_t bandB, uint8_t* blocks);

/// First opcode byte of block n of a loaded common-block table.
const uint8_t* BltCompBlockAddress(const uint8_t* blocks, int16_t n);

/// Deepest chain of common-block references a valid line may hold.
constexpr int kVqtrleMaxBlockDepth = 8;

/// Checks a loaded common-block table of size bytes: the header and every block offset lie
/// inside it. Block streams are checked by VQTRLE_ValidateLine as lines reach them.
bool VQTRLE_ValidateCommonBlocks(const uint8_t* blocks, size_t size);

/// Checks one compressed line before any routine reads it: every record is one of the 21 valid
/// opcodes and lies inside the available bytes, the pixels covered stay within width, every
/// reference names a block of the table whose stream is itself valid, covers no more than the
/// reference's count and nests at most kVqtrleMaxBlockDepth deep (so no cycle). With the
/// packed-literal flag set, the hit test's reading of the line must be valid too. Of the table,
/// the header and the blocks the line reaches are checked (the whole table once, by
/// VQTRLE_ValidateCommonBlocks). A line that passes can be handed to every reader, the hit test
/// and the recolouring.
bool VQTRLE_ValidateLine(const uint8_t* line, size_t available, int16_t width, const uint8_t* blocks,
                         size_t blocksSize);
