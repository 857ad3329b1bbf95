#pragma once
// A model of the mouth tables, written from their rules, and a voice of a known envelope.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace vqt::test {

/// The model: entry 0 is the first magnitude alone, entry k the mean magnitude of the k-th
/// whole window of `step` values after it ((k - 1) * step + 1 .. k * step; a window cut by the
/// end stays 0); magnitudes of 16-bit samples are divided by 256 after the mean. Means are
/// truncated and held to a signed byte.
inline std::vector<int8_t> Model(const std::vector<int32_t>& values, int32_t step, size_t count, int32_t scale) {
    std::vector<int8_t> table(count, 0);
    for (size_t k = 0; k < count; ++k) {
        const size_t first = k == 0 ? 0 : (k - 1) * size_t(step) + 1;
        const size_t last = k == 0 ? 0 : k * size_t(step);
        if (last >= values.size()) break;
        int64_t sum = 0;
        for (size_t i = first; i <= last && i < values.size(); ++i) sum += values[i];
        table[k] = int8_t(std::clamp<int64_t>(sum / step / scale, -128, 127));
    }
    return table;
}

/// Half a second each of silence, a loud and a quiet square wave around the middle: an
/// envelope whose every step has one magnitude.
inline std::vector<int16_t> Envelope(int16_t loud, int16_t quiet) {
    std::vector<int16_t> s(11025, 0);
    for (int16_t level : {loud, quiet})
        for (int i = 0; i < 11025; ++i) s.push_back(int16_t(i % 2 == 0 ? level : -level));
    return s;
}

} // namespace vqt::test
