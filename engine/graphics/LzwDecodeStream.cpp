#include "engine/graphics/LzwDecodeStream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/data/Driver.h"

/// The sub-block buffer, the output stack (filled from its top down, so a string reads forward
/// from the top) and the code table.
struct CLZWDecodeStream::Tables {
    uint8_t block[255];
    uint8_t stack[kStackSize];
    int16_t prefix[kTableSize];
    uint8_t last[kTableSize];
    uint16_t length[kTableSize];
};

CLZWDecodeStream::CLZWDecodeStream(ODriver* input, int32_t minimumCodeSize)
    : m_input(input), m_tables(new (std::nothrow) Tables) {
    if (!m_tables) m_status |= kStatusNoMemory;
    // The clear and end codes and the first free entry must fit in 12-bit codes.
    if (minimumCodeSize < 0 || minimumCodeSize >= kMaxBits) {
        m_status |= kStatusCodeSize;
        return;
    }
    m_clearCode = 1 << minimumCodeSize;
    m_endCode = m_clearCode + 1;
    m_initialWidth = minimumCodeSize <= 1 ? minimumCodeSize + 2 : minimumCodeSize + 1;
    Reset();
}

CLZWDecodeStream::~CLZWDecodeStream() = default;

void CLZWDecodeStream::ResetTable() {
    m_codeWidth = m_initialWidth;
    m_largestCode = (1 << m_codeWidth) - 1;
    for (int32_t i = 0; i < m_clearCode + 2; ++i) {
        m_tables->prefix[i] = -1;
        m_tables->last[i] = uint8_t(i);
        m_tables->length[i] = 1;
    }
    m_entryCount = m_clearCode + 2;
}

int32_t CLZWDecodeStream::Reset() {
    if (m_status) return m_status;
    ResetTable();
    m_stackTop = kStackSize;
    m_blockLeft = m_blockAt = 0;
    m_bits = 0;
    m_bitCount = 0;
    m_previous = kFresh;
    m_finished = false;
    return m_status;
}

bool CLZWDecodeStream::Refill() {
    // Tops the bits up a byte at a time, as far as the current block goes, to at least a code.
    while (m_bitCount <= 24) {
        if (m_blockLeft == 0) {
            if (m_bitCount >= m_codeWidth) return true;
            uint8_t length = 0;
            if (m_ended || !m_input || !m_input->ReadExactly(&length, 1) || length == 0 ||
                !m_input->ReadExactly(m_tables->block, length)) {
                m_ended = true;
                return false;
            }
            m_blockLeft = length;
            m_blockAt = 0;
        }
        m_bits |= uint32_t(m_tables->block[m_blockAt++]) << m_bitCount;
        m_bitCount += 8;
        --m_blockLeft;
    }
    return true;
}

uint8_t CLZWDecodeStream::Unwind(int32_t code, uint8_t* end) {
    // Every entry's prefix is an older entry, so a string is at most the table long.
    const int16_t* prefix = m_tables->prefix;
    const uint8_t* last = m_tables->last;
    while (prefix[code] >= 0) {
        *--end = last[code];
        code = prefix[code];
    }
    *--end = uint8_t(code);
    return uint8_t(code);
}

void CLZWDecodeStream::Deliver(uint8_t* dest, int32_t n, int32_t& delivered) {
    const int32_t take = std::min(kStackSize - m_stackTop, n - delivered);
    std::memcpy(dest + delivered, m_tables->stack + m_stackTop, size_t(take));
    m_stackTop += take;
    delivered += take;
}

bool CLZWDecodeStream::FirstCode() {
    int32_t code = ReadCode();
    while (code == m_clearCode) code = ReadCode();
    if (code < 0 || code == m_endCode) {
        m_finished = true;
        return false;
    }
    if (code > m_clearCode) {
        m_status |= kStatusBadCode;
        return false;
    }
    m_previous = code;
    m_tables->stack[--m_stackTop] = uint8_t(code);
    return true;
}

int32_t CLZWDecodeStream::Read(uint8_t* dest, int32_t n) {
    int32_t delivered = 0;
    if (!dest || n <= 0 || !m_tables) return 0;
    Deliver(dest, n, delivered);
    if (m_status || m_finished) return delivered;
    if (m_previous == kFresh) {
        if (!FirstCode()) return delivered;
        Deliver(dest, n, delivered);
    }
    // The loop keeps the decoder's state in locals, since the bytes it stores could otherwise
    // be any of the members; the state goes back to the members around the calls that use them.
    Tables& t = *m_tables;
    uint32_t bits = m_bits;
    int bitCount = m_bitCount;
    int width = m_codeWidth;
    int32_t largest = m_largestCode;
    int32_t count = m_entryCount;
    int32_t previous = m_previous;
    auto save = [&] {
        m_bits = bits;
        m_bitCount = bitCount;
        m_codeWidth = width;
        m_largestCode = largest;
        m_entryCount = count;
        m_previous = previous;
    };
    auto load = [&] {
        bits = m_bits;
        bitCount = m_bitCount;
        width = m_codeWidth;
        largest = m_largestCode;
        count = m_entryCount;
        previous = m_previous;
    };
    while (delivered < n) {
        if (bitCount < width) {
            save();
            const bool more = Refill();
            load();
            if (!more) {
                m_finished = true;
                break;
            }
        }
        const int32_t code = int32_t(bits & ((1u << width) - 1));
        bits >>= width;
        bitCount -= width;
        if (code == m_endCode) {
            m_finished = true;
            break;
        }
        if (code == m_clearCode) {
            save();
            ResetTable();
            const bool first = FirstCode();
            load();
            if (!first) break;
        } else if (code > count) {
            m_status |= kStatusBadCode;
            break;
        } else {
            // The string of the code, or for the next free code the previous string and its
            // own first byte: straight into dest when it fits, else onto the stack (emptied
            // before each code, it holds the longest string).
            const bool repeat = code == count;
            const int32_t source = repeat ? previous : code;
            const int32_t length = t.length[source] + (repeat ? 1 : 0);
            uint8_t* at = length <= n - delivered ? dest + delivered : t.stack + (m_stackTop -= length);
            const uint8_t first = Unwind(source, at + t.length[source]);
            if (repeat) at[length - 1] = first;
            if (at == dest + delivered) delivered += length;
            if (count < kTableSize) {
                t.prefix[count] = int16_t(previous);
                t.last[count] = first;
                t.length[count] = uint16_t(t.length[previous] + 1);
                if (++count > largest && width < kMaxBits) {
                    ++width;
                    largest = (1 << width) - 1;
                }
            }
            previous = code;
        }
        if (m_stackTop < kStackSize) Deliver(dest, n, delivered);
    }
    save();
    return delivered;
}
