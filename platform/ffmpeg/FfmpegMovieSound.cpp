#include "platform/ffmpeg/FfmpegMovieSound.h"

#include <algorithm>
#include <string>

#include "platform/Platform.h"

namespace plat::ffmpeg {

namespace {

constexpr int kMaxChannels = 8;
constexpr int kMaxRate = 192000;
/// Samples kept for the voice beyond this (about four seconds) are dropped: a track whose
/// packets run far ahead of its pictures does not grow without end.
constexpr size_t kMaxWaitingFrames = size_t(AudioMixer::kOutputRate) * 4;

} // namespace

MovieSound::~MovieSound() {
    if (voice_ >= 0) audio().Mixer().ReleaseVoice(voice_);
}

bool MovieSound::Open(const AVStream& stream, const char* decoders) {
    const AVCodecParameters* params = stream.codecpar;
    const AVCodec* decoder = avcodec_find_decoder(params->codec_id);
    const int channels = params->ch_layout.nb_channels;
    if (!decoder || channels < 1 || channels > kMaxChannels || params->sample_rate < 1 ||
        params->sample_rate > kMaxRate) {
        Fail("the track's format is not one we play");
        return false;
    }
    codec_.reset(avcodec_alloc_context3(decoder));
    frame_.reset(av_frame_alloc());
    if (!codec_ || !frame_ || avcodec_parameters_to_context(codec_.get(), params) < 0) {
        Fail("no memory");
        return false;
    }
    codec_->thread_count = 1;
    codec_->codec_whitelist = av_strdup(decoders);
    if (!codec_->codec_whitelist || avcodec_open2(codec_.get(), decoder, nullptr) < 0) {
        Fail("no decoder opens for it");
        return false;
    }
    channels_ = channels == 1 ? 1 : 2;
    AVChannelLayout in{};
    if (codec_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) av_channel_layout_default(&in, channels);
    else av_channel_layout_copy(&in, &codec_->ch_layout);
    AVChannelLayout out{};
    av_channel_layout_default(&out, channels_);
    SwrContext* made = nullptr;
    const int set = swr_alloc_set_opts2(&made, &out, AV_SAMPLE_FMT_S16, int(AudioMixer::kOutputRate), &in,
                                        codec_->sample_fmt, codec_->sample_rate, 0, nullptr);
    resampler_.reset(made);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (set < 0 || !resampler_ || swr_init(resampler_.get()) < 0) {
        Fail("it cannot be resampled");
        return false;
    }
    AudioMixer& mixer = audio().Mixer();
    voice_ = mixer.AllocVoice();
    if (voice_ < 0) return false;
    mixer.SetPcm(voice_, channels_ == 1 ? PcmType::Mono16 : PcmType::Stereo16, nullptr, 0);
    mixer.SetRate(voice_, AudioMixer::kOutputRate);
    mixer.SetVolume(voice_, volume_);
    index_ = stream.index;
    return true;
}

void MovieSound::Fail(const char* what) {
    debug().Write(std::string("Movie sound is not played: ") + what + "\n");
    if (voice_ >= 0) audio().Mixer().ReleaseVoice(voice_);
    voice_ = -1;
    waiting_.clear();
}

void MovieSound::Decode(const AVPacket& packet) {
    if (voice_ < 0) return;
    if (avcodec_send_packet(codec_.get(), &packet) < 0) return Fail("a packet of the track is broken");
    for (;;) {
        const int received = avcodec_receive_frame(codec_.get(), frame_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
        if (received < 0) return Fail("a packet of the track is broken");
        Convert(*frame_);
        av_frame_unref(frame_.get());
        if (voice_ < 0) return;
    }
}

void MovieSound::Convert(const AVFrame& frame) {
    const int room = swr_get_out_samples(resampler_.get(), frame.nb_samples);
    if (room < 0) return Fail("it cannot be resampled");
    const size_t at = waiting_.size();
    waiting_.resize(at + size_t(room) * size_t(channels_));
    auto* out = reinterpret_cast<uint8_t*>(waiting_.data() + at);
    const int made = swr_convert(resampler_.get(), &out, room, const_cast<const uint8_t**>(frame.extended_data),
                                 frame.nb_samples);
    if (made < 0) return Fail("it cannot be resampled");
    waiting_.resize(at + size_t(made) * size_t(channels_));
    made_ += uint64_t(made);
    const size_t limit = kMaxWaitingFrames * size_t(channels_);
    if (waiting_.size() > limit) waiting_.resize(limit);
}

void MovieSound::Feed() {
    if (voice_ < 0) return;
    AudioMixer& mixer = audio().Mixer();
    int half = -1;
    while (!waiting_.empty() && (half = mixer.BufferReady(voice_)) >= 0) {
        halves_[half].swap(waiting_);
        waiting_.clear();
        mixer.LoadBuffer(voice_, half, halves_[half].data(), uint32_t(halves_[half].size() * sizeof(int16_t)));
    }
}

void MovieSound::SetVolume(int32_t volume) {
    volume_ = std::clamp(volume, 0, 127);
    if (voice_ >= 0) audio().Mixer().SetVolume(voice_, volume_);
}

} // namespace plat::ffmpeg
