#pragma once
// Independent models of the blitters for the tests: the colour rules written from their
// formulas, a decoder of compressed lines into per-pixel events, line builders and palettes.
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "engine/blit/ColorPalette.h"

namespace blitmodel {

// ---- colour rules ----

/// 16-bit packing by truncation; layout 2 is 5-6-5, 1 is 5-5-5.
inline uint16_t Pack(int r, int g, int b, int layout) {
    r &= 0xFF;
    g &= 0xFF;
    b &= 0xFF;
    if (layout == 2) return static_cast<uint16_t>((r >> 3) * 2048 + (g >> 2) * 32 + (b >> 3));
    return static_cast<uint16_t>((r >> 3) * 1024 + (g >> 3) * 32 + (b >> 3));
}
inline int R(uint32_t c) { return c & 0xFF; }
inline int G(uint32_t c) { return (c >> 8) & 0xFF; }
inline int B(uint32_t c) { return (c >> 16) & 0xFF; }

/// floor division by 256, then the low 8 bits.
inline int Mix(int c, int t, int level) {
    const long long product = static_cast<long long>(t - c) * level;
    long long q = product / 256;
    if (product % 256 != 0 && product < 0) --q;
    return static_cast<int>((c + q) & 0xFF);
}

inline uint16_t TintModel(uint32_t colour, uint32_t tint, int level, int layout) {
    return Pack(Mix(R(colour), R(tint), level), Mix(G(colour), G(tint), level),
                Mix(B(colour), B(tint), level), layout);
}

/// Destination fields widened to 8 bits with zero low bits.
inline void Widen(uint16_t d, int layout, int& r, int& g, int& b) {
    if (layout == 2) {
        r = (d >> 11) << 3;
        g = ((d >> 5) & 63) << 2;
    } else {
        r = ((d >> 10) & 31) << 3;
        g = ((d >> 5) & 31) << 3;
    }
    b = (d & 31) << 3;
}

inline uint16_t ChannelBlendModel(uint32_t colour, uint16_t d, int level, int layout) {
    int r, g, b;
    Widen(d, layout, r, g, b);
    return Pack(Mix(R(colour), r, level), Mix(G(colour), g, level), Mix(B(colour), b, level), layout);
}

/// Field blend with the weight kept to 0-256.
inline uint16_t FieldBlendModel(uint16_t s, uint16_t d, int level, int layout) {
    int a = 255 - level;
    a = a < 0 ? 0 : (a > 256 ? 256 : a);
    const int k = a / 4;
    struct F {
        int shift, bits;
    };
    const F fields555[3] = {{10, 5}, {5, 5}, {0, 5}};
    const F fields565[3] = {{11, 5}, {5, 6}, {0, 5}};
    const F* fields = layout == 2 ? fields565 : fields555;
    int out = 0;
    for (int i = 0; i < 3; ++i) {
        const int mask = (1 << fields[i].bits) - 1;
        const int sf = (s >> fields[i].shift) & mask;
        const int df = (d >> fields[i].shift) & mask;
        const int product = (sf + 64 - df) * a;  // never negative
        const int value = product / 256 + df - k;
        out |= (value & mask) << fields[i].shift;
    }
    return static_cast<uint16_t>(out);
}

// ---- compressed lines ----

/// What a compressed line does to one pixel.
struct Event {
    enum Kind { kUnreached, kSkip, kHole, kValue } kind = kUnreached;
    uint8_t value = 0;
};

/// Builds one compressed stream record by record.
class LineBuilder {
public:
    LineBuilder& Run(int n, uint8_t v, bool wide = false) { return Record(0x01, n, wide, {v}); }
    LineBuilder& Literal(std::vector<uint8_t> data, bool wide = false) {
        const int n = static_cast<int>(data.size());
        return Record(0x11, n, wide, std::move(data));
    }
    LineBuilder& Holes(std::vector<uint8_t> data, bool wide = false) {
        const int n = static_cast<int>(data.size());
        return Record(0x31, n, wide, std::move(data));
    }
    LineBuilder& Skip(int n, bool wide = false) { return Record(0x21, n, wide, {}); }
    LineBuilder& Ref(int n, uint8_t block, bool wide = false) { return Record(0x09, n, wide, {block}); }
    /// Sets the last flag on the last record (or writes 0x80 when there is none).
    std::vector<uint8_t> Done() {
        if (lastOp_ < 0) {
            bytes_.push_back(0x80);
        } else {
            bytes_[static_cast<size_t>(lastOp_)] |= 0x80;
        }
        return bytes_;
    }

private:
    LineBuilder& Record(uint8_t op, int n, bool wide, std::vector<uint8_t> data) {
        lastOp_ = static_cast<int>(bytes_.size());
        bytes_.push_back(static_cast<uint8_t>(op | (wide ? 0x02 : 0)));
        if (wide) bytes_.push_back(static_cast<uint8_t>(n >> 8));
        bytes_.push_back(static_cast<uint8_t>(n));
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        return *this;
    }
    std::vector<uint8_t> bytes_;
    int lastOp_ = -1;
};

/// A common-block table in loaded (machine) order.
std::vector<uint8_t> MakeBlockTable(const std::vector<std::vector<uint8_t>>& blocks, uint8_t packedFlag = 0);

/// Decodes a valid line (or block) of the given width into one event per pixel, common blocks
/// expanded; mirrored lines are not reversed here.
std::vector<Event> Decode(const uint8_t* line, int width, const uint8_t* blocks);

/// Random valid lines: encoder-like data with runs, holes, skips and long literals, and
/// hand-made records (wide counts, zero-count records, references to the given blocks, whose
/// pixel counts are given).
std::vector<uint8_t> RandomRecords(std::mt19937& rng, int width, const std::vector<int>& blockPixels);
/// A random row of pixels with runs, zero gaps and noise.
std::vector<uint8_t> RandomRow(std::mt19937& rng, int width);

// ---- palettes ----

/// A palette whose red, green and blue are different functions of the index (entry 0 not
/// black), with its 16-bit table built for the layout (1 or 2).
std::unique_ptr<CColorPalette> ProbePalette(int layout);

} // namespace blitmodel
