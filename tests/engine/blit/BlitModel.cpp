#include "tests/engine/blit/BlitModel.h"

#include <cstring>

#include "engine/graphics/GraphicsContext.h"

namespace blitmodel {

std::vector<uint8_t> MakeBlockTable(const std::vector<std::vector<uint8_t>>& blocks, uint8_t packedFlag) {
    const size_t n = blocks.size();
    std::vector<uint8_t> table(14 + 2 * n, 0);
    const uint16_t count = static_cast<uint16_t>(n);
    std::memcpy(table.data(), &count, 2);
    table[6] = packedFlag;
    size_t offset = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint16_t o = static_cast<uint16_t>(offset);
        std::memcpy(table.data() + 14 + 2 * i, &o, 2);
        offset += blocks[i].size();
    }
    for (const auto& b : blocks) table.insert(table.end(), b.begin(), b.end());
    return table;
}

namespace {

const uint8_t* BlockStart(const uint8_t* blocks, int n) {
    uint16_t count, offset;
    std::memcpy(&count, blocks, 2);
    std::memcpy(&offset, blocks + 14 + 2 * n, 2);
    return blocks + 14 + 2 * count + offset;
}

void DecodeInto(const uint8_t* p, const uint8_t* blocks, std::vector<Event>& out, size_t at) {
    for (;;) {
        const uint8_t op = *p++;
        if (op == 0x80) return;
        int n = *p++;
        if (op & 2) n = n * 256 + *p++;
        const int kind = (op >> 4) & 3;
        if (op & 8) {
            DecodeInto(BlockStart(blocks, *p++), blocks, out, at);
        } else if (kind == 0) {
            const uint8_t v = *p++;
            for (int i = 0; i < n; ++i) out.at(at + i) = {Event::kValue, v};
        } else if (kind == 1) {
            for (int i = 0; i < n; ++i) out.at(at + i) = {Event::kValue, *p++};
        } else if (kind == 2) {
            for (int i = 0; i < n; ++i) out.at(at + i) = {Event::kSkip, 0};
        } else {
            for (int i = 0; i < n; ++i) {
                const uint8_t v = *p++;
                out.at(at + i) = v != 0 ? Event{Event::kValue, v} : Event{Event::kHole, 0};
            }
        }
        at += static_cast<size_t>(n);
        if (op & 0x80) return;
    }
}

} // namespace

std::vector<Event> Decode(const uint8_t* line, int width, const uint8_t* blocks) {
    std::vector<Event> out(static_cast<size_t>(width));
    DecodeInto(line, blocks, out, 0);
    return out;
}

std::vector<uint8_t> RandomRow(std::mt19937& rng, int width) {
    std::vector<uint8_t> row;
    std::uniform_int_distribution<int> pick(0, 9);
    while (static_cast<int>(row.size()) < width) {
        const int what = pick(rng);
        int len;
        if (what < 3) {  // a run, sometimes a long one
            len = pick(rng) == 0 ? 240 + static_cast<int>(rng() % 300) : 1 + static_cast<int>(rng() % 12);
            row.insert(row.end(), static_cast<size_t>(len), static_cast<uint8_t>(1 + rng() % 255));
        } else if (what < 6) {  // zeros
            len = 1 + static_cast<int>(rng() % 10);
            row.insert(row.end(), static_cast<size_t>(len), 0);
        } else {  // noise, sometimes long
            len = pick(rng) == 0 ? 250 + static_cast<int>(rng() % 300) : 1 + static_cast<int>(rng() % 20);
            for (int i = 0; i < len; ++i) row.push_back(static_cast<uint8_t>(1 + rng() % 255));
        }
    }
    row.resize(static_cast<size_t>(width));
    return row;
}

std::vector<uint8_t> RandomRecords(std::mt19937& rng, int width, const std::vector<int>& blockPixels) {
    LineBuilder b;
    int left = width;
    const int records = static_cast<int>(rng() % 8);
    for (int i = 0; i < records && left >= 0; ++i) {
        const bool wide = rng() % 4 == 0;
        const int n = static_cast<int>(rng() % static_cast<unsigned>(std::min(left, 40) + 1));
        const uint8_t v = static_cast<uint8_t>(rng() % 256);
        switch (rng() % 5) {
        case 0: b.Run(n, v, wide); break;
        case 1: {
            std::vector<uint8_t> d(static_cast<size_t>(n));
            for (auto& x : d) x = static_cast<uint8_t>(rng() % 256);
            b.Literal(d, wide);
            break;
        }
        case 2: b.Skip(n, wide); break;
        case 3: {
            std::vector<uint8_t> d(static_cast<size_t>(n));
            for (auto& x : d) x = rng() % 2 ? 0 : static_cast<uint8_t>(rng() % 256);
            b.Holes(d, wide);
            break;
        }
        default: {
            if (blockPixels.empty()) {
                b.Skip(n, wide);
                break;
            }
            const int k = static_cast<int>(rng() % blockPixels.size());
            const int need = blockPixels[static_cast<size_t>(k)] + static_cast<int>(rng() % 3);
            if (need > left) {
                b.Skip(n, wide);
                break;
            }
            b.Ref(need, static_cast<uint8_t>(k), wide);
            left -= need;
            continue;
        }
        }
        left -= n;
    }
    return b.Done();
}

std::unique_ptr<CColorPalette> ProbePalette(int layout) {
    xGraphics_SetPixelFormat(static_cast<int16_t>(layout));
    auto p = std::make_unique<CColorPalette>();
    for (int i = 0; i < 256; ++i) {
        const uint32_t r = static_cast<uint32_t>((i * 37 + 11) & 0xFF);
        const uint32_t g = static_cast<uint32_t>((i * 91 + 200) & 0xFF);
        const uint32_t b = static_cast<uint32_t>((255 - i * 3) & 0xFF);
        p->SetEntry(i, r | (g << 8) | (b << 16));
    }
    p->Build16BitTable();
    return p;
}

} // namespace blitmodel
