#include "engine/graphics/ConvertedLines.h"

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "four pixels are packed into a word low first");

namespace {

inline uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Converts n bytes through the table into the kept pixels (kKeep) and into dst (kDraw, 16-bit
// pixels), four at a time.
template <bool kKeep, bool kDraw>
void Convert(const uint8_t* src, int n, const uint16_t* table, uint16_t* kept, uint8_t* dst) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const uint64_t four = uint64_t(table[src[i]]) | uint64_t(table[src[i + 1]]) << 16 |
                              uint64_t(table[src[i + 2]]) << 32 | uint64_t(table[src[i + 3]]) << 48;
        if (kKeep) std::memcpy(kept + i, &four, 8);
        if (kDraw) std::memcpy(dst + 2 * i, &four, 8);
    }
    for (; i < n; ++i) {
        const uint16_t pixel = table[src[i]];
        if (kKeep) kept[i] = pixel;
        if (kDraw) std::memcpy(dst + 2 * i, &pixel, 2);
    }
}

// The longest a block found changing waits, as a power of two of draws.
constexpr uint8_t kMostBackoff = 5;

} // namespace

void CConvertedLines::Begin(int width, int height, const uint16_t* table) {
    const bool sameTable = std::memcmp(table_.data(), table, sizeof table_) == 0;
    if (width == width_ && height == height_ && sameTable) return;
    if (!sameTable) std::memcpy(table_.data(), table, sizeof table_);
    if (width != width_ || height != height_) {
        Release();
        width_ = width;
        height_ = height;
        blocksPerLine_ = (width + kBlock - 1) / kBlock;
        const size_t area = size_t(width) * size_t(height);
        bytes_.resize(area);
        pixels_.resize(area);
    }
    blocks_.assign(size_t(height) * size_t(blocksPerLine_), Block{});
}

void CConvertedLines::Release() {
    width_ = height_ = blocksPerLine_ = 0;
    std::vector<uint8_t>().swap(bytes_);
    std::vector<uint16_t>().swap(pixels_);
    std::vector<Block>().swap(blocks_);
}

size_t CConvertedLines::HeldBytes() const {
    return bytes_.capacity() + pixels_.capacity() * sizeof(uint16_t) + blocks_.capacity() * sizeof(Block);
}

void CConvertedLines::DrawLine(const uint8_t* line, int y, int x, int count, uint8_t* dst) {
    // Most often every block drawn is kept and unchanged: one compare and one copy.
    const Block* blocks = blocks_.data() + size_t(y) * size_t(blocksPerLine_);
    const unsigned lastBlock = unsigned(x + count - 1) / kBlock;
    unsigned b = unsigned(x) / kBlock;
    while (b <= lastBlock && blocks[b].kept) ++b;
    const size_t start = size_t(y) * size_t(width_) + size_t(x);
    if (b > lastBlock && std::memcmp(bytes_.data() + start, line + x, size_t(count)) == 0) {
        std::memcpy(dst, pixels_.data() + start, 2 * size_t(count));
        return;
    }
    DrawChangedLine(line, y, x, count, dst);
}

void CConvertedLines::DrawChangedLine(const uint8_t* line, int y, int x, int count, uint8_t* dst) {
    Block* blocks = blocks_.data() + size_t(y) * size_t(blocksPerLine_);
    const int end = x + count;
    for (int b = x / kBlock; b <= (end - 1) / kBlock; ++b) {
        Block& block = blocks[b];
        const int from = std::max(x, b * kBlock), to = std::min(end, (b + 1) * kBlock);
        uint8_t* out = dst + 2 * (from - x);
        if (block.plain > 0) {
            Convert<false, true>(line + from, to - from, table_.data(), nullptr, out);
            --block.plain;
        } else if (!block.kept) {
            KeepBlock(line, y, b, from, to, out);
            block.kept = 1;
        } else if (const int converted = RefreshBlock(line, y, from, to, out); 2 * converted > to - from) {
            // Changed more than half: converting it plainly costs less than comparing, copying
            // and keeping. Wait before keeping it again, the longer the more often it changes.
            block.kept = 0;
            block.plain = uint8_t(1u << block.backoff);
            block.backoff = std::min<uint8_t>(kMostBackoff, uint8_t(block.backoff + 1));
        } else if (converted == 0) {
            block.backoff = 0;
        }
    }
}

void CConvertedLines::KeepBlock(const uint8_t* line, int y, int block, int x, int end, uint8_t* dst) {
    const int first = block * kBlock, last = std::min(width_, first + kBlock);
    const size_t start = size_t(y) * size_t(width_);
    uint16_t* pixels = pixels_.data() + start;
    Convert<true, false>(line + first, last - first, table_.data(), pixels + first, nullptr);
    std::memcpy(bytes_.data() + start + size_t(first), line + first, size_t(last - first));
    std::memcpy(dst, pixels + x, 2 * size_t(end - x));
}

int CConvertedLines::RefreshBlock(const uint8_t* line, int y, int x, int end, uint8_t* dst) {
    const size_t start = size_t(y) * size_t(width_);
    uint8_t* bytes = bytes_.data() + start;
    uint16_t* pixels = pixels_.data() + start;
    int converted = 0;
    // Eight columns at a time: copied when their bytes are the same, else converted and kept.
    int i = x;
    for (; i + 8 <= end; i += 8) {
        uint8_t* out = dst + 2 * (i - x);
        const uint64_t now = Load64(line + i);
        if (now == Load64(bytes + i)) {
            std::memcpy(out, pixels + i, 16);
            continue;
        }
        Convert<true, true>(line + i, 8, table_.data(), pixels + i, out);
        std::memcpy(bytes + i, &now, 8);
        converted += 8;
    }
    for (; i < end; ++i) {
        if (bytes[i] != line[i]) {
            bytes[i] = line[i];
            pixels[i] = table_[line[i]];
            ++converted;
        }
        std::memcpy(dst + 2 * (i - x), pixels + i, 2);
    }
    return converted;
}
