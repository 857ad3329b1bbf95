#pragma once
#include <cstdint>
#include <vector>

#include "platform/AudioMixer.h"
#include "platform/ffmpeg/FfmpegHandles.h"

extern "C" {
#include <libswresample/swresample.h>
}

namespace plat::ffmpeg {

struct ResamplerFree {
    void operator()(SwrContext* resampler) const { swr_free(&resampler); }
};
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFree>;

/// A movie's sound track played through a stream voice of the audio service's mixer: each
/// packet of the track is decoded and resampled to 16-bit samples at the mixer's rate (mono
/// tracks stay mono, others become stereo), kept until the voice has a free half for them.
/// A track that cannot be decoded is traced once and falls silent; the pictures go on.
class MovieSound {
public:
    MovieSound() = default;
    /// Ends the voice and gives it back before its buffers go.
    ~MovieSound();
    MovieSound(const MovieSound&) = delete;
    MovieSound& operator=(const MovieSound&) = delete;

    /// Opens the decoder of the track and a stream voice; false (traced, no voice) when the
    /// track cannot be played.
    bool Open(const AVStream& stream, const char* decoders);
    /// The index of the track in its container, -1 when none is open.
    int StreamIndex() const { return voice_ >= 0 ? index_ : -1; }
    /// Decodes a packet of the track into the samples waiting for the voice.
    void Decode(const AVPacket& packet);
    /// Sample frames decoded so far (at the mixer's rate).
    uint64_t FramesMade() const { return made_; }
    /// Hands the waiting samples to the voice's free halves.
    void Feed();
    /// The voice's volume, 0..127.
    void SetVolume(int32_t volume);

private:
    void Fail(const char* what);
    void Convert(const AVFrame& frame);

    CodecPtr codec_;
    FramePtr frame_;
    ResamplerPtr resampler_;
    std::vector<int16_t> waiting_;
    std::vector<int16_t> halves_[2]; ///< read by the mixer while loaded
    AudioMixer::Voice voice_ = -1;
    int index_ = -1;
    int channels_ = 1;
    int32_t volume_ = 127;
    uint64_t made_ = 0;
};

} // namespace plat::ffmpeg
