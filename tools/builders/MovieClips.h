#pragma once
// Movie clips made with FFmpeg's encoders for tests, the game-data generator and the
// benchmarks: FFV1 pictures and 16-bit PCM sound in a NUT container, the lossless pair that
// the movie service accepts beside the game's own format.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vqt::test {

struct ClipPlan {
    int32_t width = 64;
    int32_t height = 48;
    uint32_t frames = 100;
    uint32_t framesPerSecond = 15;
    /// Pictures in RGB, frame n filled with ClipFrameColour(n), exact through both 16-bit
    /// layouts; otherwise YUV 4:2:0 pictures with moving detail (closer to a real movie).
    bool namedColours = true;
    /// A sine tone of this frequency and peak in the sound track (mono, 22050 Hz); 0: no sound.
    double toneHz = 440.0;
    int16_t tonePeak = 8000;
    /// Sound packets of one byte each, which no decoder takes (with a tone only).
    bool brokenSound = false;
};

/// The clip's file bytes.
std::vector<uint8_t> MakeMovieClip(const ClipPlan& plan = {});

/// The colour (0x00RRGGBB) of frame n (from 1) of a clip with named colours.
uint32_t ClipFrameColour(uint32_t frame);
/// The frame whose colour (0x??RRGGBB) a picture shows, also after a trip through either
/// 16-bit layout, or 0 when it shows none.
uint32_t ClipFrameOfColour(uint32_t rgb);

/// What a stretch of 16-bit mono samples holds of a tone: the loudest sample, the frequency
/// by zero crossings between the first and the last sample that is not silent, and the
/// silent gaps (three or more zeros in a row) between them.
struct ToneMeasure {
    int32_t peak = 0;
    double hz = 0;
    size_t first = 0;
    size_t last = 0;
    size_t gaps = 0;
};
ToneMeasure MeasureTone(const int16_t* samples, size_t count, uint32_t rate = 22050);

} // namespace vqt::test
