#pragma once
// Levels of a recorded mix (the bytes an audio output rendered: 16-bit samples, any channel
// count): its peak, its loudness and how many samples sit at full scale.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace vqt::test {

struct MixLevels {
    size_t samples = 0;
    /// Samples at full scale (-32768 or 32767): the mixer clipped them, or came as near as can be.
    size_t clipped = 0;
    int32_t peak = 0;
    /// Root mean square over every sample, in dB below full scale (-inf for silence).
    double rmsDbfs = -INFINITY;
    /// Samples whose magnitude is at least 1/64 of full scale (about -36 dBFS): sound was heard.
    size_t audible = 0;
};

/// The levels of little-endian 16-bit samples from byte `from` of `rendered` on.
inline MixLevels MeasureMix(const std::vector<uint8_t>& rendered, size_t from = 0) {
    MixLevels levels;
    double sumOfSquares = 0.0;
    for (size_t at = from & ~size_t(1); at + 1 < rendered.size(); at += 2) {
        const auto sample = int16_t(uint16_t(rendered[at] | rendered[at + 1] << 8));
        const int32_t magnitude = std::abs(int32_t(sample));
        ++levels.samples;
        if (sample == INT16_MIN || sample == INT16_MAX) ++levels.clipped;
        if (magnitude >= 512) ++levels.audible;
        levels.peak = std::max(levels.peak, magnitude);
        sumOfSquares += double(sample) * sample;
    }
    if (levels.samples != 0 && sumOfSquares > 0.0)
        levels.rmsDbfs = 10.0 * std::log10(sumOfSquares / double(levels.samples) / (32768.0 * 32768.0));
    return levels;
}

} // namespace vqt::test
