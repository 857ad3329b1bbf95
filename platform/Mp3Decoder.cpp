#include "platform/Mp3Decoder.h"

#include <mpg123.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace plat {

namespace {

constexpr size_t kMostSampleBytes = size_t(64) << 20;

struct HandleDeleter {
    void operator()(mpg123_handle* handle) const {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

/// A decoder fed from memory that answers 16-bit samples at any rate it knows, quietly, and
/// gives up at a damaged frame instead of searching for the next good one.
Handle OpenDecoder() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
    int error = MPG123_OK;
    Handle handle(mpg123_new(nullptr, &error));
    if (!handle) return nullptr;
    mpg123_param(handle.get(), MPG123_FLAGS, MPG123_QUIET | MPG123_NO_RESYNC, 0.0);
    mpg123_format_none(handle.get());
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i) {
        mpg123_format(handle.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    if (mpg123_open_feed(handle.get()) != MPG123_OK) return nullptr;
    return handle;
}

} // namespace

std::optional<DecodedSound> DecodeMp3(std::span<const uint8_t> image) {
    Handle handle = OpenDecoder();
    if (!handle || image.empty() || mpg123_feed(handle.get(), image.data(), image.size()) != MPG123_OK) {
        return std::nullopt;
    }
    DecodedSound sound;
    bool formatKnown = false;
    for (;;) {
        off_t frame = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        const int result = mpg123_decode_frame(handle.get(), &frame, &audio, &bytes);
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            mpg123_getformat(handle.get(), &rate, &channels, &encoding);
            if (formatKnown && (uint32_t(rate) != sound.rate || uint16_t(channels) != sound.channels)) break;
            formatKnown = true;
            sound.rate = uint32_t(rate);
            sound.channels = uint16_t(channels);
            continue;
        }
        if (result != MPG123_OK || !formatKnown) break;
        if (sound.samples.size() * 2 + bytes > kMostSampleBytes) break;
        const size_t had = sound.samples.size();
        sound.samples.resize(had + bytes / 2);
        std::memcpy(sound.samples.data() + had, audio, bytes / 2 * 2);
    }
    sound.samples.resize(sound.samples.size() - sound.samples.size() % sound.channels);
    if (sound.samples.empty()) return std::nullopt;
    return sound;
}

} // namespace plat
