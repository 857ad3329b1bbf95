#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "tools/builders/ChunkFileBuilder.h"

namespace vqt::test {

// Sounds for tests, written from the file formats' layouts (no engine code): tones, wave and
// MP3 images (MP3 made now with libmp3lame), and the data and property record of 'snip' chunks.

/// A sine tone of `frames` 16-bit frames (the same sample on every channel).
std::vector<int16_t> SineTone(double hz, uint32_t frames, uint32_t rate = 22050, int16_t amplitude = 12000,
                          uint16_t channels = 1);
/// Samples as 16-bit little-endian bytes, or as unsigned 8-bit bytes ((s >> 8) + 128).
Bytes Pcm16(const std::vector<int16_t>& samples);
Bytes Pcm8(const std::vector<int16_t>& samples);

/// A RIFF/WAVE image of PCM samples (bytes as played) in the format given.
Bytes WaveFile(const Bytes& samples, uint16_t channels, uint16_t bits, uint32_t rate);
/// An MP3 image of 16-bit samples encoded at `kbps` (constant bit rate, no tag).
Bytes Mp3File(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate, int kbps = 64);

/// One 'snip' chunk.
struct SnipPlan {
    int16_t kind = 0;           ///< 0 raw PCM, 1 wave image, 2 MP3
    uint16_t bits = 8;
    uint16_t rate = 22050;
    uint16_t formatValue = 0;
    uint16_t channels = 1;
    bool withProperty = true;   ///< false: no property record (the loader's defaults)
    Bytes sound{};              ///< raw samples as played (8-bit unsigned), or the whole image
    Bytes mouthLevels{};        ///< stored behind the sound; their count goes into the record
    std::optional<uint32_t> mouthCount{}; ///< replaces the count in the record
    uint16_t loopMode = 0;      ///< raw header
    int16_t volume = 511;
    int16_t left = 511;
    int16_t right = 511;
    std::optional<uint32_t> dataSize{}; ///< replaces the raw header's data size
};
/// The chunk's data: for raw PCM the 16-byte header, the samples (8-bit ones stored signed)
/// and the mouth levels; for the other kinds the image and the mouth levels.
Bytes SnipData(const SnipPlan& plan);
/// The chunk's property area (empty without a property record).
Bytes SnipProperty(const SnipPlan& plan);

} // namespace vqt::test
