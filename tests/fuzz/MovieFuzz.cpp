// Movie bytes through the movie service: open, decode every frame, and the guarded copy at
// offsets taken from the input, in both 16-bit layouts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/Platform.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

class BytesSource final : public plat::MovieSource {
public:
    BytesSource(const uint8_t* data, size_t size) : data_(data), size_(int64_t(size)) {}
    int64_t Read(void* buffer, size_t count) override {
        const size_t n = std::min<size_t>(count, size_t(size_ - position_));
        if (n > 0) std::memcpy(buffer, data_ + position_, n);
        position_ += int64_t(n);
        return int64_t(n);
    }
    bool Seek(int64_t position) override {
        if (position < 0 || position > size_) return false;
        position_ = position;
        return true;
    }
    int64_t Position() const override { return position_; }
    int64_t Size() const override { return size_; }

private:
    const uint8_t* data_;
    int64_t size_;
    int64_t position_ = 0;
};

constexpr int32_t kWidth = 40;
constexpr int32_t kHeight = 30;
constexpr int32_t kGuard = 8;
constexpr uint16_t kFill = 0xA5A5;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput();
    if (size < 2) return 0;
    const int32_t x = int8_t(data[0]);
    const int32_t y = int8_t(data[1]);
    auto movie = plat::movies().Open(std::make_unique<BytesSource>(data + 2, size - 2), false);
    if (!movie) return 0;
    const int32_t pitch = (kWidth + 2 * kGuard) * 2;
    std::vector<uint16_t> buffer(size_t(kWidth + 2 * kGuard) * size_t(kHeight + 2 * kGuard), kFill);
    uint8_t* inner = reinterpret_cast<uint8_t*>(buffer.data() + kGuard * (kWidth + 2 * kGuard) + kGuard);
    for (uint32_t frame = 0; frame < 64 && frame < movie->FrameCount(); ++frame) {
        movie->DoFrame();
        movie->CopyToBuffer(inner, pitch, kWidth, kHeight, x, y, frame % 2 ? plat::kMoviePixels565 : plat::kMoviePixels555);
        movie->NextFrame();
    }
    for (int32_t row = 0; row < kHeight + 2 * kGuard; ++row)
        for (int32_t col = 0; col < kWidth + 2 * kGuard; ++col) {
            const bool inside = row >= kGuard && row < kGuard + kHeight && col >= kGuard && col < kGuard + kWidth;
            if (!inside && buffer[size_t(row) * size_t(kWidth + 2 * kGuard) + size_t(col)] != kFill) __builtin_trap();
        }
    return 0;
}
