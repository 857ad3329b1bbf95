#include "platform/WaveImage.h"

#include <cstring>

namespace plat {

namespace {

uint32_t Le32(std::span<const uint8_t> b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t Le16(std::span<const uint8_t> b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }
bool IsTag(std::span<const uint8_t> b, size_t at, const char* tag) { return std::memcmp(b.data() + at, tag, 4) == 0; }

constexpr uint16_t kFormatPcm = 1;
constexpr uint32_t kFmtBytes = 16;

} // namespace

std::optional<WaveImage> ReadWaveImage(std::span<const uint8_t> image) {
    if (image.size() < 12 || !IsTag(image, 0, "RIFF") || !IsTag(image, 8, "WAVE")) return std::nullopt;
    const uint64_t riffEnd = 8 + uint64_t(Le32(image, 4));
    if (riffEnd > image.size() || riffEnd < 12) return std::nullopt;
    const std::span<const uint8_t> riff = image.first(size_t(riffEnd));

    std::optional<std::span<const uint8_t>> fmt;
    std::optional<std::span<const uint8_t>> data;
    for (uint64_t at = 12; at + 8 <= riff.size();) {
        const uint64_t size = Le32(riff, size_t(at) + 4);
        const uint64_t body = at + 8;
        if (body + size > riff.size()) return std::nullopt;
        const auto chunk = riff.subspan(size_t(body), size_t(size));
        if (IsTag(riff, size_t(at), "fmt ") && !fmt) fmt = chunk;
        if (IsTag(riff, size_t(at), "data") && !data) data = chunk;
        at = body + size + (size & 1); // chunks are padded to even lengths
    }
    if (!fmt || !data || fmt->size() < kFmtBytes || Le16(*fmt, 0) != kFormatPcm) return std::nullopt;
    WaveImage wave;
    wave.channels = Le16(*fmt, 2);
    wave.rate = Le32(*fmt, 4);
    wave.bits = Le16(*fmt, 14);
    if ((wave.channels != 1 && wave.channels != 2) || (wave.bits != 8 && wave.bits != 16) || wave.rate == 0) {
        return std::nullopt;
    }
    wave.samples = data->first(data->size() - data->size() % wave.FrameBytes());
    return wave;
}

} // namespace plat
