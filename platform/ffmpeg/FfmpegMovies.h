#pragma once
#include "platform/Movie.h"

namespace plat {

/// Movies decoded by FFmpeg from our sources only: the demuxers and decoders are limited to
/// the movie format the game ships ("bink") and the lossless clips our tools make ("nut" with
/// FFV1 pictures and 16-bit PCM sound); FFmpeg opens no file and no protocol of its own, and
/// decodes on the calling thread.
class FfmpegMovies final : public Movies {
public:
    /// Movies whose pictures are larger than this on either side are refused.
    static constexpr int32_t kMaxSide = 4096;

    std::unique_ptr<Movie> Open(std::unique_ptr<MovieSource> source, bool preload) override;
};

} // namespace plat
