#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace plat {

/// A sound decoded to 16-bit samples (host order, channels interleaved).
struct DecodedSound {
    uint16_t channels = 1;
    uint32_t rate = 0;
    std::vector<int16_t> samples;
};

/// Decodes an MP3 image held in memory (through libmpg123). Decoding ends at the first frame
/// that does not decode or that changes the format, and at 64 MB of samples. Nothing when not
/// one frame decodes.
std::optional<DecodedSound> DecodeMp3(std::span<const uint8_t> image);

} // namespace plat
