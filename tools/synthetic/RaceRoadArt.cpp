#include "tools/synthetic/RaceRoadArt.h"

#include <algorithm>
#include <cmath>

using namespace vqt::test;

namespace race_road {

uint32_t Rgb(int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }

std::vector<uint32_t> Colours() {
    std::vector<uint32_t> c(256, 0);
    const uint32_t named[kColourCount] = {
        0,                  Rgb(70, 150, 60),  Rgb(50, 120, 45),  Rgb(95, 95, 100),  Rgb(235, 235, 210),
        Rgb(200, 40, 40),   Rgb(245, 245, 245), Rgb(250, 200, 40), Rgb(180, 120, 20), Rgb(170, 110, 50),
        Rgb(110, 70, 30),   Rgb(130, 130, 140), Rgb(70, 70, 80),    Rgb(230, 200, 150), Rgb(60, 80, 200),
        Rgb(90, 170, 240),  Rgb(255, 0, 255),
    };
    for (int i = 0; i < kColourCount; ++i) c[size_t(i)] = named[i];
    return c;
}

std::vector<uint8_t> PartColours() {
    std::vector<uint8_t> rgb;
    for (uint32_t c : Colours()) {
        rgb.push_back(uint8_t(c & 0xFF));
        rgb.push_back(uint8_t(c >> 8 & 0xFF));
        rgb.push_back(uint8_t(c >> 16 & 0xFF));
    }
    return rgb;
}

uint8_t GrassAt(int x, int y) { return (uint32_t(x) * 7u + uint32_t(y) * 13u) % 11u == 0 ? kGrassDark : kGrass; }

Shape Bump(int height) {
    return [height](int y) { return kVerge + int(std::lround(height * std::sin(3.14159265 * y / kRow))); };
}

uint8_t VergeAt(int fromEdge, int width, int y) {
    if (fromEdge < width) return GrassAt(fromEdge, y);
    if (fromEdge < width + kKerb) return (y / 16) % 2 == 0 ? uint8_t(kKerbRed) : uint8_t(kKerbWhite);
    return kClear;
}

Picture LeftPiece(const Shape& shape) {
    Picture p(kLeftPictureWidth, kRow, kClear);
    for (int y = 0; y < kRow; ++y)
        for (int x = 0; x < kLeftPictureWidth / 2; ++x) p.at(kLeftPictureWidth / 2 + x, y) = VergeAt(x, shape(y), y);
    return p;
}

Picture RightPiece(const Shape& shape) {
    Picture p(kRightPictureWidth, kRow, kClear);
    for (int y = 0; y < kRow; ++y)
        for (int x = 0; x < kLeftPictureWidth / 2; ++x) p.at(kRightPictureWidth - 1 - x, y) = VergeAt(x, shape(y), y);
    return p;
}

Shape Finish() { return [](int) { return kVerge; }; }

Picture Filled(int w, int h, uint8_t colour) { return Picture(w, h, colour); }

PartPlan PartOf(const std::vector<std::vector<Picture>>& states) {
    return CentredPart(states, PartColours());
}

IndexedPicture Background(int sections) {
    IndexedPicture p{.width = kWidth, .height = sections * kHeight, .pixels = {}, .colours = Colours()};
    p.pixels.resize(size_t(p.width) * size_t(p.height));
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const int fromEdge = std::min(x, kWidth - 1 - x);
            uint8_t v = fromEdge < kVerge ? GrassAt(fromEdge, y) : uint8_t(kRoad);
            if ((x == kWidth / 2 - 1 || x == kWidth / 2) && y % 60 < 36) v = kRoadLine;
            p.pixels[size_t(y) * size_t(p.width) + size_t(x)] = v;
        }
    return p;
}

} // namespace race_road
