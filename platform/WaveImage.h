#pragma once
#include <cstdint>
#include <optional>
#include <span>

namespace plat {

/// The PCM samples of a RIFF/WAVE image, found in place: `samples` points into the image.
struct WaveImage {
    uint16_t channels = 1; ///< 1 or 2, interleaved
    uint16_t bits = 8;     ///< 8 (unsigned) or 16 (signed little-endian)
    uint32_t rate = 0;     ///< frames per second, not 0
    std::span<const uint8_t> samples; ///< whole frames only

    uint32_t FrameBytes() const { return uint32_t(channels) * bits / 8; }
};

/// Reads a RIFF/WAVE image: its "fmt " chunk (PCM, 8 or 16 bits, 1 or 2 channels, any rate
/// but 0) and its "data" chunk, in either order among other chunks. Nothing for an image that
/// is not one, has a chunk running past the image (or past the size its RIFF header gives),
/// or holds another encoding.
std::optional<WaveImage> ReadWaveImage(std::span<const uint8_t> image);

} // namespace plat
