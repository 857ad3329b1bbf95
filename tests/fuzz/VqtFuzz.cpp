// Arbitrary compressed lines and common-block tables: whatever passes the load-time check must
// be drawn by every reader, hit-tested and recoloured without reading or writing out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/blit/Blitter.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

const BltCompFunc kReaders[] = {
    BltCompSolid_8bTo8b,   BltCompSolidX_8bTo8b,   BltCompTrans_8bTo8b,     BltCompTransX_8bTo8b,
    BltCompTinted_8bTo8b,  BltCompBlended_8bTo8b,  BltCompSolid_8bTo16b,    BltCompSolidX_8bTo16b,
    BltCompTrans_8bTo16b,  BltCompTransX_8bTo16b,  BltCompTinted_8bTo16b,   BltCompTintedX_8bTo16b,
    BltCompBlended_8bTo16b, BltCompBlendedX_8bTo16b, BltCompSolid_8bTo24b, BltCompTrans_8bTo24b,
    BltCompTransX_8bTo24b,
};
const int kBytesPerPixel[] = {1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const uint8_t format = static_cast<uint8_t>(1 + (data[0] & 1));
    const int16_t level = data[1];
    const int16_t width = static_cast<int16_t>((data[0] | data[1] << 8) % 1000);
    const size_t tableSize = static_cast<size_t>(data[2] | data[3] << 8) % 512;
    data += 4;
    size -= 4;
    if (tableSize > size) return 0;
    // Exact-size copies, so that a read past either end is caught.
    std::vector<uint8_t> table(data, data + tableSize);
    std::vector<uint8_t> line(data + tableSize, data + size);
    const uint8_t* blocks = VQTRLE_ValidateCommonBlocks(table.data(), table.size()) ? table.data() : nullptr;
    if (line.empty() ||
        !VQTRLE_ValidateLine(line.data(), line.size(), width, blocks, blocks ? table.size() : 0)) {
        return 0;
    }

    const auto scope = vqt::fuzz::StartInput();
    BltSettings& s = BltContext();
    s.BltDstPixelFormat = format;
    s.BltBlendLevel = level;
    for (size_t r = 0; r < sizeof kReaders / sizeof kReaders[0]; ++r) {
        for (int8_t vector : {int8_t{0}, int8_t{1}}) {
            s.vectorCode = vector;
            const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(kBytesPerPixel[r]);
            std::unique_ptr<uint8_t[]> dst(new uint8_t[bytes]());  // exact size: any overrun is caught
            kReaders[r](line.data(), width, dst.get(), blocks, nullptr);
        }
    }
    for (int16_t f = -1; f <= width; f = static_cast<int16_t>(f + 1 + width / 7)) {
        VQTRLE_HitTestLine(f, static_cast<int16_t>(f + 3), line.data(), width, blocks);
    }
    VQTRLE_RecolorLine(line.data(), 32, 1, blocks ? table.data() : nullptr);
    return 0;
}
