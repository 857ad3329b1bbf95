#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/PixelConvert.h"

namespace vqt::test {

/// An 8-bit-per-channel RGB picture, rows top to bottom.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; ///< width * height * 3 bytes

    bool operator==(const RgbImage&) const = default;
};

/// A picture of the platform (a window's presented picture) as 8-bit red, green and blue.
RgbImage ToRgb(const plat::Image& image);

bool WritePng(const std::string& path, const RgbImage& image);
/// False when the file is missing or not a PNG this reader takes.
bool ReadPng(const std::string& path, RgbImage& image);

/// Checks a picture against tests/golden/<name> (a PNG); reports the first differing pixel.
void ExpectMatchesGoldenImage(const std::string& name, const RgbImage& image);

} // namespace vqt::test
