#include "platform/headless/NullAudioOutput.h"

#include <algorithm>

#include "platform/Platform.h"

namespace plat {

namespace {
constexpr uint32_t kPieceFrames = 4096;
}

int NullAudioOutput::Open(const AudioFormat& format, int /*device*/, uint32_t /*bufferFrames*/, AudioMixer& mixer) {
    mixer_ = &mixer;
    format_ = format;
    paused_ = false;
    lastTick_ = clock().TickCount();
    elapsedMs_ = 0;
    frames_ = 0;
    rendered_.clear();
    return 0;
}

void NullAudioOutput::Close() { mixer_ = nullptr; }

void NullAudioOutput::SetPaused(bool paused) {
    Pump();
    paused_ = paused;
}

void NullAudioOutput::Pump() {
    if (mixer_ == nullptr) return;
    const uint32_t now = clock().TickCount();
    const uint32_t elapsed = now - lastTick_;
    lastTick_ = now;
    // Time that passes while the device is given back is not played; a clock set back plays
    // nothing.
    if (paused_ || elapsed >= 0x80000000u) return;
    elapsedMs_ += elapsed;
    const uint64_t due = elapsedMs_ * format_.rate / 1000;
    if (frames_ >= due) return;
    std::vector<uint8_t> piece(size_t(kPieceFrames) * format_.FrameBytes());
    while (frames_ < due) {
        const uint32_t n = uint32_t(std::min<uint64_t>(due - frames_, kPieceFrames));
        mixer_->Render(piece.data(), n);
        const size_t bytes = size_t(n) * format_.FrameBytes();
        const size_t kept = std::min(bytes, kKeptBytes - std::min(kKeptBytes, rendered_.size()));
        rendered_.insert(rendered_.end(), piece.begin(), piece.begin() + ptrdiff_t(kept));
        frames_ += n;
    }
}

} // namespace plat
