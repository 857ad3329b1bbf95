#pragma once
// The LZW decoder of GIF image data: codes taken least significant bit first from data
// sub-blocks (a length byte, then that many bytes; length 0 ends the data). The clear code is 2
// to the power of the minimum code size and the end code follows it; codes widen by one bit
// whenever the table fills their width, up to 12 bits. A full table of 4096 entries keeps its
// 12-bit codes and adds nothing until the next clear code, as encoders that defer it expect.
#include <cstdint>
#include <memory>

#include "engine/graphics/ImageStream.h"

class CLZWDecodeStream : public CImageStream {
public:
    /// Error codes, combined by GetStatus.
    enum Status : int32_t {
        kStatusNoMemory = 8,   ///< the tables could not be had
        kStatusCodeSize = 16,  ///< a minimum code size whose codes would not fit in 12 bits
        kStatusBadCode = 64,   ///< a code that names no string
    };

    CLZWDecodeStream(ODriver* input, int32_t minimumCodeSize);
    ~CLZWDecodeStream() override;

    int32_t Start() override { return Reset(); }
    /// Back to the first code width and a fresh table, at the next sub-block; the status.
    int32_t Reset();
    /// Delivers up to n bytes into dest; fewer when the end code comes, the data ends or the
    /// status is not 0, after which nothing more is decoded.
    int32_t Read(uint8_t* dest, int32_t n) override;
    int32_t GetStatus() override { return m_status; }
    int32_t Finish() override { return GetStatus(); }

    int32_t ClearCode() const { return m_clearCode; }
    int32_t EndCode() const { return m_endCode; }
    int32_t CodeWidth() const { return m_codeWidth; }

private:
    static constexpr int kMaxBits = 12;
    static constexpr int kTableSize = 1 << kMaxBits;
    static constexpr int kStackSize = 8192;
    static constexpr int32_t kFresh = -99; ///< the previous code before the first
    struct Tables;

    void ResetTable();
    /// The next code of the current width; -1 when the data ends.
    int32_t ReadCode() {
        if (m_bitCount < m_codeWidth && !Refill()) return -1;
        const int32_t code = int32_t(m_bits & ((1u << m_codeWidth) - 1));
        m_bits >>= m_codeWidth;
        m_bitCount -= m_codeWidth;
        return code;
    }
    /// Takes bytes of the sub-blocks into the bits, at least up to a whole code; false when
    /// the data ends first.
    bool Refill();
    /// Writes the string of a defined code backwards, ending just before `end`; answers its
    /// first byte.
    uint8_t Unwind(int32_t code, uint8_t* end);
    /// Takes the first code of a fresh table (clear codes skipped): a byte's code, which is
    /// stacked; false at the end of the data (finished) or for any other code (damage).
    bool FirstCode();
    /// Moves stacked bytes into dest until n are delivered.
    void Deliver(uint8_t* dest, int32_t n, int32_t& delivered);

    ODriver* m_input;
    std::unique_ptr<Tables> m_tables;
    int32_t m_status = 0;
    // sub-block reader
    uint32_t m_blockLeft = 0;
    uint32_t m_blockAt = 0;
    uint32_t m_bits = 0;
    int m_bitCount = 0;
    bool m_ended = false;
    // decoder
    int m_initialWidth = 0;
    int m_codeWidth = 0;
    int32_t m_largestCode = 0;
    int32_t m_clearCode = 0;
    int32_t m_endCode = 0;
    int32_t m_entryCount = 0;
    int32_t m_previous = kFresh;
    bool m_finished = false; ///< the end code or the end of the data came: nothing more is decoded
    int32_t m_stackTop = kStackSize; ///< first stacked byte; kStackSize when empty
};
