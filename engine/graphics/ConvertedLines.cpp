#include "engine/graphics/ConvertedLines.h"

#include <cstring>

void CConvertedLines::Begin(int width, int height, const uint16_t* table) {
    const bool sameTable = std::memcmp(table_.data(), table, sizeof table_) == 0;
    if (width == width_ && height == height_ && sameTable) return;
    if (!sameTable) std::memcpy(table_.data(), table, sizeof table_);
    width_ = width;
    height_ = height;
    const size_t area = size_t(width) * size_t(height);
    bytes_.resize(area);
    pixels_.resize(area);
    kept_.assign(size_t(height), 0);
}

void CConvertedLines::DrawLine(const uint8_t* line, int y, int x, int count, uint8_t* dst) {
    const size_t start = size_t(y) * size_t(width_);
    uint8_t* bytes = bytes_.data() + start;
    uint16_t* pixels = pixels_.data() + start;
    if (!kept_[size_t(y)]) {
        for (int i = 0; i < width_; ++i) pixels[i] = table_[line[i]];
        std::memcpy(bytes, line, size_t(width_));
        kept_[size_t(y)] = 1;
    } else if (std::memcmp(bytes + x, line + x, size_t(count)) != 0) {
        for (int i = x; i < x + count; ++i) {
            if (bytes[i] == line[i]) continue;
            bytes[i] = line[i];
            pixels[i] = table_[line[i]];
        }
    }
    std::memcpy(dst, pixels + x, 2 * size_t(count));
}
