#pragma once
// The mix's last stage: a peak limiter that keeps every output sample inside a ceiling below
// full scale, so that no coincidence of loud voices clips. A mix passes through unchanged while
// it has not passed the ceiling within the release below; after a peak, what follows comes out
// quieter until the gain is back at unity.
//
// Its law, one output frame (a sample per output channel) at a time, with a gain g in 16.16
// fixed point that starts at unity (65536) and lives from one render to the next:
// - p is the largest magnitude among the frame's samples (one gain for every channel keeps the
//   stereo image); when p x g > ceiling x 65536 the gain drops at once to ceiling x 65536 / p
//   (truncated), so that this very frame fits;
// - each sample s becomes (s x g) >> 16 (arithmetic shift): at unity it is s itself;
// - then g recovers by (65536 - g) / 2048 + 1 (truncated), never past unity: most of a drop
//   comes back within a tenth of a second, and all of it within half a second.
// Integer arithmetic only, frame by frame: the output does not depend on how a render is cut
// into pieces, nor on the machine.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace plat {

class MixLimiter {
public:
    /// The largest magnitude that leaves the limiter: 0.2 dB below full scale, which also keeps
    /// 8-bit output off its end codes (3..253).
    static constexpr int32_t kCeiling = 32000;
    static constexpr int64_t kUnity = 65536;
    /// The recovery per frame is (unity - gain) >> kReleaseShift, plus one.
    static constexpr int kReleaseShift = 11;

    /// Limits `frames` frames of `channels` interleaved samples in place.
    void Apply(int32_t* samples, uint32_t frames, uint32_t channels) {
        for (uint32_t n = 0; n < frames; ++n, samples += channels) {
            int64_t peak = 0;
            for (uint32_t c = 0; c < channels; ++c) peak = std::max(peak, std::abs(int64_t(samples[c])));
            if (gain_ == kUnity && peak <= kCeiling) continue;
            if (peak * gain_ > kCeiling * kUnity) gain_ = kCeiling * kUnity / peak;
            for (uint32_t c = 0; c < channels; ++c) samples[c] = int32_t((samples[c] * gain_) >> 16);
            gain_ = std::min(kUnity, gain_ + ((kUnity - gain_) >> kReleaseShift) + 1);
        }
    }

private:
    int64_t gain_ = kUnity;
};

} // namespace plat
