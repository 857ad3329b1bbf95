#include "engine/graphics/LzwDecompress.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

constexpr uint32_t kEndCode = 256;
constexpr uint32_t kWidenCode = 257;
constexpr uint32_t kRestartCode = 258;
constexpr uint32_t kFirstFree = 259;
constexpr int kStartBits = 9;

/// Codes taken most significant bit first from the bytes: the order of big-endian words. The
/// input is read as padded with zeros to a whole word, and no further.
class MsbCodes {
public:
    MsbCodes(const uint8_t* data, uint32_t size) : m_data(data), m_size(size), m_limit((uint64_t(size) + 3) / 4 * 4) {}
    /// The most codes of the narrowest width the input can hold.
    uint64_t MostCodes() const { return m_limit * 8 / kStartBits; }
    bool Next(int bits, uint32_t& code) {
        while (m_count < bits) {
            if (m_at >= m_limit) return false;
            m_bits = (m_bits << 8) | (m_at < m_size ? m_data[m_at] : 0u);
            ++m_at;
            m_count += 8;
        }
        m_count -= bits;
        code = uint32_t(m_bits >> m_count) & ((1u << bits) - 1);
        return true;
    }

private:
    const uint8_t* m_data;
    uint32_t m_size;
    uint64_t m_limit;
    uint64_t m_at = 0;
    uint64_t m_bits = 0;
    int m_count = 0;
};

/// A table entry: the string of its prefix code followed by one byte.
struct Entry {
    uint32_t length;
    uint16_t prefix;
    uint8_t last;
};

} // namespace

int32_t LZWDecompress(const uint8_t* words, uint32_t size, uint8_t* dest, uint32_t capacity) {
    if ((!words && size) || (!dest && capacity)) return -1;
    MsbCodes codes(words, size);
    // Every code after the first of a run adds one entry, and no code can name an entry past
    // the widest code: the table needs no more entries than either allows.
    const uint32_t entries = uint32_t(std::min<uint64_t>(uint64_t(1) << kLzwMaxCodeBits, kFirstFree + codes.MostCodes()));
    const std::unique_ptr<Entry[]> table(new (std::nothrow) Entry[entries]);
    if (!table) return -1;
    auto lengthOf = [&](uint32_t code) { return code < 256 ? 1u : table[code].length; };

    uint32_t out = 0;
    for (;;) { // one run from a fresh table
        int bits = kStartBits;
        uint32_t next = kFirstFree;
        uint32_t code = 0;
        if (!codes.Next(bits, code)) return -1;
        if (code == kEndCode) return int32_t(out);
        if (code == kRestartCode) continue;
        if (code > 255 || out >= capacity) return -1;
        dest[out++] = uint8_t(code);
        uint32_t previous = code;
        for (;;) {
            if (!codes.Next(bits, code)) return -1;
            if (code == kEndCode) return int32_t(out);
            if (code == kRestartCode) break;
            if (code == kWidenCode) {
                if (bits == kLzwMaxCodeBits) return -1;
                ++bits;
                continue;
            }
            const bool repeat = code == next; // the previous string and its own first byte
            if (code >= next && !repeat) return -1;
            const uint32_t length = repeat ? lengthOf(previous) + 1 : lengthOf(code);
            if (length > capacity - out) return -1;
            uint8_t* p = dest + out + length;
            uint32_t c = repeat ? previous : code;
            if (repeat) --p;
            while (c >= 256) {
                *--p = table[c].last;
                c = table[c].prefix;
            }
            *--p = uint8_t(c);
            if (repeat) dest[out + length - 1] = uint8_t(c);
            if (next < entries) table[next] = Entry{lengthOf(previous) + 1, uint16_t(previous), uint8_t(c)};
            ++next;
            previous = code;
            out += length;
        }
    }
}
