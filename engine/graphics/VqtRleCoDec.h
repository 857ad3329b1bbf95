#pragma once
// The decoder of the engine's compressed images, used line by line by the compressed-image
// loader. Coding modes: 0 raw rows, 1 run-length lines, 8 LZW over the whole image.
//
// A run-length line is a sequence of records: an opcode byte, a count (one byte, or two bytes
// big-endian when bit 1 is set) and its data. Bit 0 is always set; bits 4-5 are the kind: 0 a
// run (one value byte: count copies), 1 a literal (count bytes), 2 a skip (no data: count pixels
// left 0), 3 a literal with holes (count bytes; 0 leaves the pixel as it is). Bit 7 marks the
// last record of the line. The 16 valid opcodes are those with no other bit set; any other byte
// does nothing, though its bit 7 still ends the line.
//
// Stored format: a 16- or 24-bit image is coded with one byte per pixel, and that byte becomes
// the first byte of its 2- or 3-byte pixel; the other bytes stay 0.
#include <cstdint>

#include "engine/graphics/ImageStream.h"

class VQTRLECoDec : public CImageStream {
public:
    enum Mode : int32_t { kRaw = 0, kRunLength = 1, kLzw = 8 };
    /// Status of a decoder whose input failed or ended early, or whose data was damaged.
    static constexpr int32_t kStatusInput = 4;

    VQTRLECoDec(int32_t mode, ODriver* input, int16_t bitsPerPixel);
    ~VQTRLECoDec() override;

    int32_t Start() override { return 0; }
    int32_t Read(uint8_t* dest, int32_t n) override { return Decode(dest, n, n); }
    int32_t GetStatus() override;
    /// Gives the input back at the first byte not decoded; 0.
    int32_t Finish() override;

    /// Mode 0: reads size bytes; 0, or kStatusInput when they are not all there.
    /// Mode 1: clears size bytes of dest and decodes one line into them; the bytes the line
    /// reached (a run, literal or skip that would pass the end of the line is damage).
    /// Mode 8: decodes size coded bytes into at most capacity bytes and leaves the input just
    /// after them; 0, or kStatusInput when they are damaged.
    /// Other modes: -1.
    int32_t Decode(uint8_t* dest, int32_t size, int32_t capacity);
    /// True when the last line decoded was damaged or cut short.
    bool LineFailed() const { return m_lineFailed; }

    int32_t Decode8(uint8_t* dest, int32_t size);
    int32_t Decode16(uint8_t* dest, int32_t size);
    int32_t Decode24(uint8_t* dest, int32_t size);

private:
    template <int BytesPerPixel>
    int32_t DecodeLine(uint8_t* dest, int32_t size);
    int32_t DecodeWhole(uint8_t* dest, int32_t size, int32_t capacity);

    int32_t m_mode;
    ODriver* m_driver;
    int16_t m_bitsPerPixel;
    CImageInput m_input;
    bool m_lineFailed = false;
    bool m_damaged = false;
};
