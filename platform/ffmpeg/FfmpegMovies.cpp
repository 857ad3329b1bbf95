#include "platform/ffmpeg/FfmpegMovies.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <vector>

#include "platform/Platform.h"
#include "platform/ffmpeg/FfmpegHandles.h"
#include "platform/ffmpeg/FfmpegMovieSound.h"

namespace plat {

namespace {

using namespace ffmpeg;

constexpr const char* kDemuxers = "bink,nut";
constexpr const char* kDecoders = "binkvideo,binkaudio_rdft,binkaudio_dct,ffv1,pcm_s16le";
constexpr int kIoBufferSize = 32 * 1024;
/// Sources read whole into memory with the preload flag are limited to this.
constexpr int64_t kMaxPreload = int64_t(256) << 20;
/// Frame rates outside 1..120 (or none) are taken as 15 frames per second.
constexpr int kDefaultFrameRate = 15;
/// The sound is decoded this many frames ahead of the pictures.
constexpr uint32_t kSoundLeadFrames = 3;
/// ... but no further than this many pictures' packets.
constexpr size_t kMaxPacketsAhead = 32;

// ---- The source as the library's I/O context ---------------------------------------------------

int ReadSource(void* opaque, uint8_t* buffer, int size) {
    try {
        const int64_t got = static_cast<MovieSource*>(opaque)->Read(buffer, size_t(std::max(size, 0)));
        if (got < 0) return AVERROR(EIO);
        return got == 0 ? AVERROR_EOF : int(got);
    } catch (...) { // the engine's drivers end a failed access with an exception: never through C code
        return AVERROR(EIO);
    }
}

int64_t SeekSource(void* opaque, int64_t offset, int whence) {
    auto* source = static_cast<MovieSource*>(opaque);
    try {
        int64_t target = 0;
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE: return source->Size();
        case SEEK_SET: target = offset; break;
        case SEEK_CUR: target = source->Position() + offset; break;
        case SEEK_END: target = source->Size() + offset; break;
        default: return AVERROR(EINVAL);
        }
        return source->Seek(target) ? target : AVERROR(EIO);
    } catch (...) {
        return AVERROR(EIO);
    }
}

/// Refuses every stream a demuxer would open beside ours (playlists, references to files).
int RefuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) { return AVERROR(EPERM); }

/// A source held in memory (the preload flag).
class MemoryMovieSource final : public MovieSource {
public:
    explicit MemoryMovieSource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    int64_t Read(void* buffer, size_t count) override {
        const size_t n = std::min(count, bytes_.size() - size_t(position_));
        if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += int64_t(n);
        return int64_t(n);
    }
    bool Seek(int64_t position) override {
        if (position < 0 || position > Size()) return false;
        position_ = position;
        return true;
    }
    int64_t Position() const override { return position_; }
    int64_t Size() const override { return int64_t(bytes_.size()); }

private:
    std::vector<uint8_t> bytes_;
    int64_t position_ = 0;
};

std::unique_ptr<MovieSource> Preload(MovieSource& source) {
    const int64_t size = source.Size();
    if (size <= 0 || size > kMaxPreload || !source.Seek(0)) return nullptr;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    size_t done = 0;
    while (done < bytes.size()) {
        const int64_t got = source.Read(bytes.data() + done, bytes.size() - done);
        if (got <= 0) return nullptr;
        done += size_t(got);
    }
    return std::make_unique<MemoryMovieSource>(std::move(bytes));
}

/// The demuxer over a source, from its start.
struct Demuxer {
    IoPtr io;
    InputPtr format;

    bool Open(MovieSource& source) {
        format.reset();
        io.reset();
        if (!source.Seek(0)) return false;
        auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
        if (!buffer) return false;
        io.reset(avio_alloc_context(buffer, kIoBufferSize, 0, &source, ReadSource, nullptr, SeekSource));
        if (!io) {
            av_free(buffer);
            return false;
        }
        AVFormatContext* context = avformat_alloc_context();
        if (!context) return false;
        context->pb = io.get();
        context->flags |= AVFMT_FLAG_CUSTOM_IO;
        context->io_open = RefuseNestedOpen;
        context->format_whitelist = av_strdup(kDemuxers);
        context->codec_whitelist = av_strdup(kDecoders);
        context->protocol_whitelist = av_strdup("none");
        context->max_streams = 8;
        if (!context->format_whitelist || !context->codec_whitelist || !context->protocol_whitelist) {
            avformat_free_context(context);
            return false;
        }
        // On failure the library frees the context it was given.
        if (avformat_open_input(&context, nullptr, nullptr, nullptr) < 0) return false;
        format.reset(context);
        return avformat_find_stream_info(context, nullptr) >= 0;
    }
};

/// Frames per second of a stream as a fraction, within 1..120.
AVRational FrameRateOf(const AVStream* stream) {
    for (AVRational rate : {stream->avg_frame_rate, stream->r_frame_rate}) {
        if (rate.num > 0 && rate.den > 0 && rate.num <= int64_t(120) * rate.den && rate.num >= rate.den) return rate;
    }
    return AVRational{kDefaultFrameRate, 1};
}

class FfmpegMovie final : public Movie {
public:
    explicit FfmpegMovie(std::unique_ptr<MovieSource> source) : source_(std::move(source)) {}

    bool Open() {
        if (!demuxer_.Open(*source_)) return false;
        const AVCodec* codec = nullptr;
        videoIndex_ = av_find_best_stream(demuxer_.format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
        if (videoIndex_ < 0 || !codec) return false;
        const AVStream* stream = demuxer_.format->streams[videoIndex_];
        const AVCodecParameters* params = stream->codecpar;
        if (params->width <= 0 || params->height <= 0 || params->width > FfmpegMovies::kMaxSide ||
            params->height > FfmpegMovies::kMaxSide)
            return false;
        width_ = params->width;
        height_ = params->height;
        rate_ = FrameRateOf(stream);
        frameCount_ = stream->nb_frames > 0 && stream->nb_frames <= INT32_MAX ? uint32_t(stream->nb_frames) : 0;
        if (frameCount_ == 0) {
            frameCount_ = CountVideoPackets();
            if (frameCount_ == 0 || !demuxer_.Open(*source_)) return false;
        }
        video_.reset(avcodec_alloc_context3(codec));
        frame_.reset(av_frame_alloc());
        incoming_.reset(av_frame_alloc());
        packet_.reset(av_packet_alloc());
        if (!video_ || !frame_ || !incoming_ || !packet_) return false;
        if (avcodec_parameters_to_context(video_.get(), demuxer_.format->streams[videoIndex_]->codecpar) < 0)
            return false;
        video_->thread_count = 1; // the engine starts no thread
        video_->max_pixels = int64_t(FfmpegMovies::kMaxSide) * FfmpegMovies::kMaxSide;
        video_->codec_whitelist = av_strdup(kDecoders);
        if (!video_->codec_whitelist || avcodec_open2(video_.get(), codec, nullptr) < 0) return false;
        const int soundIndex = av_find_best_stream(demuxer_.format.get(), AVMEDIA_TYPE_AUDIO, -1, videoIndex_, nullptr, 0);
        if (soundIndex >= 0) sound_.Open(*demuxer_.format->streams[soundIndex], kDecoders);
        return true;
    }

    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    uint32_t FrameCount() const override { return frameCount_; }
    uint32_t CurrentFrame() const override { return current_; }

    bool Wait() override {
        if (!started_) return false;
        return int32_t(clock().TickCount() - (baseTick_ + DueMs(shown_ + 1))) < 0;
    }

    bool DoFrame() override {
        Schedule();
        while (decoded_ < current_) {
            if (!DecodeNext()) break;
        }
        ReadSoundAhead();
        sound_.Feed();
        return decoded_ == current_;
    }

    bool CopyToBuffer(uint8_t* pixels, int32_t pitch, int32_t width, int32_t height, int32_t x, int32_t y,
                      MoviePixels layout) override {
        if (!pixels || decoded_ == 0 || width <= 0 || height <= 0 || int64_t(pitch) < int64_t(width) * 2) return false;
        const AVPixelFormat target = layout == kMoviePixels555   ? AV_PIX_FMT_RGB555LE
                                     : layout == kMoviePixels565 ? AV_PIX_FMT_RGB565LE
                                                                 : AV_PIX_FMT_NONE;
        if (target == AV_PIX_FMT_NONE) return false;
        const int32_t w = frame_->width;
        const int32_t h = frame_->height;
        // The part of the picture inside the buffer, in picture coordinates.
        const int32_t left = std::max(0, -x);
        const int32_t top = std::max(0, -y);
        const int32_t right = int32_t(std::min<int64_t>(w, int64_t(width) - x));
        const int32_t bottom = int32_t(std::min<int64_t>(h, int64_t(height) - y));
        if (left >= right || top >= bottom) return false;
        const bool whole = left == 0 && top == 0 && right == w && bottom == h;
        uint8_t* out = whole ? pixels + int64_t(y) * pitch + int64_t(x) * 2 : nullptr;
        int outPitch = pitch;
        if (!whole) {
            converted_.resize(size_t(w) * size_t(h) * 2);
            out = converted_.data();
            outPitch = w * 2;
        }
        scaler_.reset(sws_getCachedContext(scaler_.release(), w, h, AVPixelFormat(frame_->format), w, h, target,
                                           SWS_POINT, nullptr, nullptr, nullptr));
        if (!scaler_) return false;
        uint8_t* planes[4] = {out, nullptr, nullptr, nullptr};
        const int pitches[4] = {outPitch, 0, 0, 0};
        if (sws_scale(scaler_.get(), frame_->data, frame_->linesize, 0, h, planes, pitches) != h) return false;
        if (!whole) {
            const size_t rowBytes = size_t(right - left) * 2;
            for (int32_t row = top; row < bottom; ++row)
                std::memcpy(pixels + int64_t(y + row) * pitch + int64_t(x + left) * 2,
                            converted_.data() + (size_t(row) * size_t(w) + size_t(left)) * 2, rowBytes);
        }
        return true;
    }

    void SetVolume(int32_t volume) override { sound_.SetVolume(volume); }

    void NextFrame() override {
        if (current_ < frameCount_) ++current_;
    }

private:
    /// Milliseconds from the frame shown at the base tick to the one `frames` frames later.
    uint32_t DueMs(uint64_t frames) const { return uint32_t(frames * 1000 * uint64_t(rate_.den) / uint64_t(rate_.num)); }

    /// Keeps the frame times: each frame is due one period after the one before, and a movie
    /// that fell more than a period behind (it was not shown for a while) starts counting anew.
    void Schedule() {
        const uint32_t now = clock().TickCount();
        if (started_ && int32_t(now - (baseTick_ + DueMs(shown_ + 2))) < 0) {
            ++shown_;
            return;
        }
        started_ = true;
        baseTick_ = now;
        shown_ = 0;
    }

    /// Reads every packet once to count the pictures (containers that do not store the count).
    uint32_t CountVideoPackets() {
        PacketPtr packet(av_packet_alloc());
        if (!packet) return 0;
        uint32_t count = 0;
        while (av_read_frame(demuxer_.format.get(), packet.get()) >= 0) {
            if (packet->stream_index == videoIndex_ && count < UINT32_MAX) ++count;
            av_packet_unref(packet.get());
        }
        return count;
    }

    /// Decodes the next picture into frame_ (the last picture decoded); false at the end of the movie or on an error.
    bool DecodeNext() {
        for (;;) {
            // Received into a frame of its own: a failed receive empties the frame it is given.
            const int received = avcodec_receive_frame(video_.get(), incoming_.get());
            if (received == 0) {
                av_frame_unref(frame_.get());
                av_frame_move_ref(frame_.get(), incoming_.get());
                ++decoded_;
                return true;
            }
            if (received != AVERROR(EAGAIN) || drained_) return false;
            if (!videoAhead_.empty()) {
                avcodec_send_packet(video_.get(), videoAhead_.front().get());
                videoAhead_.pop_front();
            } else if (ReadVideoPacket()) {
                // A packet the decoder refuses is skipped: its picture stays the one before.
                avcodec_send_packet(video_.get(), packet_.get());
                av_packet_unref(packet_.get());
            } else {
                drained_ = true;
                avcodec_send_packet(video_.get(), nullptr);
            }
        }
    }

    /// Reads packets into packet_ until one of the pictures, decoding the sound's on the way;
    /// false at the end.
    bool ReadVideoPacket() {
        while (!ended_) {
            if (av_read_frame(demuxer_.format.get(), packet_.get()) < 0) {
                ended_ = true;
                break;
            }
            if (packet_->stream_index == videoIndex_) return true;
            if (packet_->stream_index == sound_.StreamIndex()) sound_.Decode(*packet_);
            av_packet_unref(packet_.get());
        }
        return false;
    }

    /// Decodes the sound a few frames ahead of the pictures (keeping the pictures' packets
    /// for later), so that the voice has samples to play while the next frame is not due.
    void ReadSoundAhead() {
        const uint64_t wanted = uint64_t(current_ + kSoundLeadFrames) * AudioMixer::kOutputRate * uint64_t(rate_.den) /
                                uint64_t(rate_.num);
        while (sound_.StreamIndex() >= 0 && sound_.FramesMade() < wanted && videoAhead_.size() < kMaxPacketsAhead &&
               ReadVideoPacket()) {
            PacketPtr kept(av_packet_alloc());
            if (!kept) break;
            av_packet_move_ref(kept.get(), packet_.get());
            videoAhead_.push_back(std::move(kept));
        }
    }

    // Members in the order they must be made; the decoder and demuxer go before the source.
    std::unique_ptr<MovieSource> source_;
    Demuxer demuxer_;
    CodecPtr video_;
    FramePtr frame_;
    FramePtr incoming_;
    PacketPtr packet_;
    ScalerPtr scaler_;
    MovieSound sound_;
    std::deque<PacketPtr> videoAhead_; ///< the pictures' packets read while the sound was read ahead
    std::vector<uint8_t> converted_;
    int videoIndex_ = -1;
    int32_t width_ = 0;
    int32_t height_ = 0;
    AVRational rate_{kDefaultFrameRate, 1};
    uint32_t frameCount_ = 0;
    uint32_t current_ = 1;
    uint32_t decoded_ = 0;
    bool drained_ = false;
    bool ended_ = false;
    bool started_ = false;
    uint32_t baseTick_ = 0;
    uint64_t shown_ = 0;
};

} // namespace

std::unique_ptr<Movie> FfmpegMovies::Open(std::unique_ptr<MovieSource> source, bool preload) {
    if (!source) return nullptr;
    if (preload) {
        source = Preload(*source);
        if (!source) return nullptr;
    }
    av_log_set_level(AV_LOG_QUIET);
    auto movie = std::make_unique<FfmpegMovie>(std::move(source));
    if (!movie->Open()) return nullptr;
    return movie;
}

} // namespace plat
