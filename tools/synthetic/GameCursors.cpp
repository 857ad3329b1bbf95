// The game's three cursor frames {9, 0, 30} (normal pointer), {9, 0, 31} (hover pointer) and
// {9, 0, 11}: raw 8-bit 32 x 32 pictures whose values carry the cursor (0 black, 2 white, 3
// see-through, 4 inverted screen, and the bit of value 8 on the hot spot).
#include <cstdlib>

#include "tools/synthetic/GameData.h"

using namespace vqt::test;

namespace {

constexpr uint8_t kBlack = 0;
constexpr uint8_t kWhite = 2;
constexpr uint8_t kClear = 3;
constexpr uint8_t kInvert = 4;
constexpr uint8_t kHot = 8;

/// An arrow with its tip at the top left: a black outline around a filling.
Picture Arrow(uint8_t fill) {
    Picture p(32, 32, kClear);
    for (int y = 0; y < 18; ++y) {
        const int width = y < 12 ? y + 1 : 12 - (y - 12) * 2;
        for (int x = 0; x < width; ++x) p.at(x, y) = (x == 0 || x == width - 1 || y == 17) ? kBlack : fill;
    }
    for (int y = 12; y < 22; ++y) // the tail
        for (int x = 5 + (y - 12) / 2; x < 8 + (y - 12) / 2; ++x) p.at(x, y) = (x == 5 + (y - 12) / 2) ? kBlack : fill;
    p.at(0, 0) |= kHot;
    return p;
}

/// A ring with a cross hair, its centre the hot spot.
Picture Ring() {
    Picture p(32, 32, kClear);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int d = (x - 15) * (x - 15) + (y - 15) * (y - 15);
            if (d >= 100 && d < 144) p.at(x, y) = kBlack;
            else if ((x == 15 || y == 15) && d < 100) p.at(x, y) = kInvert;
        }
    p.at(15, 15) |= kHot;
    return p;
}

} // namespace

void AddGameCursors(GameData& data) {
    data.file.AddChunk(GameData::kFrames, RawFrameData(Arrow(kWhite)), {.entry = 30, .name = "Pointer"});
    data.file.AddChunk(GameData::kFrames, RawFrameData(Arrow(kInvert)), {.entry = 31, .name = "Hover pointer"});
    data.file.AddChunk(GameData::kFrames, RawFrameData(Ring()), {.entry = 11, .name = "Cross hair"});
}
