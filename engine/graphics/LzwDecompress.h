#pragma once
// The engine's LZW decoder for images coded as a whole. The input is a sequence of big-endian
// 32-bit words whose bits are taken from the most significant end down, running on into the
// next word. Codes 0-255 are bytes; 256 ends the data, 257 widens the code by one bit, 258
// starts afresh (9-bit codes, next free code 259). The width never grows by itself.
#include <cstdint>

/// Widest code the decoder takes; code 257 beyond it is damage.
inline constexpr int kLzwMaxCodeBits = 16;

/// Decodes `size` bytes of words (a last partial word reads as if padded with zeros) into at
/// most `capacity` bytes of dest. Answers the bytes written, or -1 when the data is damaged: a
/// code not yet defined, a first code that is not a byte, a width beyond kLzwMaxCodeBits, a
/// string that would not fit, or words that end before the end code. What was written stays.
int32_t LZWDecompress(const uint8_t* words, uint32_t size, uint8_t* dest, uint32_t capacity);
