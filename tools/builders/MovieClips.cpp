#include "tools/builders/MovieClips.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "platform/ffmpeg/FfmpegHandles.h"

namespace vqt::test {

namespace {

using namespace plat::ffmpeg;

constexpr int kSoundRate = 22050;

void Check(int result, const char* what) {
    if (result < 0) throw std::runtime_error(std::string("movie clip: ") + what + " failed");
}

/// Sends one frame (null: the end) and writes every packet the encoder gives back.
void Encode(AVFormatContext* out, AVCodecContext* codec, AVStream* stream, const AVFrame* frame) {
    Check(avcodec_send_frame(codec, frame), "encoding");
    PacketPtr packet(av_packet_alloc());
    while (avcodec_receive_packet(codec, packet.get()) == 0) {
        av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        Check(av_interleaved_write_frame(out, packet.get()), "writing");
    }
}

void WriteBrokenPacket(AVFormatContext* out, AVCodecContext* codec, AVStream* stream, int64_t pts, int duration) {
    PacketPtr packet(av_packet_alloc());
    Check(av_new_packet(packet.get(), 1), "a packet");
    packet->data[0] = 0;
    packet->pts = packet->dts = pts;
    packet->duration = duration;
    av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    Check(av_interleaved_write_frame(out, packet.get()), "writing");
}

CodecPtr OpenEncoder(const char* name, AVFormatContext* out, AVStream* stream, void (*setUp)(AVCodecContext*, const ClipPlan&),
                     const ClipPlan& plan) {
    const AVCodec* encoder = avcodec_find_encoder_by_name(name);
    if (!encoder) throw std::runtime_error(std::string("movie clip: no encoder ") + name);
    CodecPtr codec(avcodec_alloc_context3(encoder));
    setUp(codec.get(), plan);
    codec->thread_count = 1;
    if (out->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(codec.get(), encoder, nullptr), "opening an encoder");
    Check(avcodec_parameters_from_context(stream->codecpar, codec.get()), "stream parameters");
    stream->time_base = codec->time_base;
    return codec;
}

void FillPicture(AVFrame* picture, uint32_t frame, const ClipPlan& plan) {
    if (plan.namedColours) {
        const uint32_t colour = ClipFrameColour(frame);
        for (int y = 0; y < plan.height; ++y) {
            uint8_t* row = picture->data[0] + y * picture->linesize[0];
            for (int x = 0; x < plan.width; ++x) {
                row[4 * x] = uint8_t(colour);
                row[4 * x + 1] = uint8_t(colour >> 8);
                row[4 * x + 2] = uint8_t(colour >> 16);
                row[4 * x + 3] = 0;
            }
        }
        return;
    }
    for (int y = 0; y < plan.height; ++y)
        for (int x = 0; x < plan.width; ++x)
            picture->data[0][y * picture->linesize[0] + x] = uint8_t((x + y * 3 + frame * 5) ^ (x * y >> 4));
    for (int plane = 1; plane < 3; ++plane)
        for (int y = 0; y < plan.height / 2; ++y)
            for (int x = 0; x < plan.width / 2; ++x)
                picture->data[plane][y * picture->linesize[plane] + x] = uint8_t(128 + plane * (x - y + int(frame)) % 64);
}

} // namespace

uint32_t ClipFrameColour(uint32_t frame) {
    const uint32_t red = ((frame & 31) << 3) | 4;
    const uint32_t green = (((frame >> 5) & 3) << 6) | 0x20;
    return (red << 16) | (green << 8) | 0x84;
}

uint32_t ClipFrameOfColour(uint32_t rgb) {
    const uint32_t red = (rgb >> 16) & 0xFF;
    const uint32_t green = (rgb >> 8) & 0xFF;
    if (((rgb & 0xFF) >> 3) != (0x84 >> 3)) return 0;
    return (red >> 3) | ((green >> 6) << 5);
}

ToneMeasure MeasureTone(const int16_t* samples, size_t count, uint32_t rate) {
    ToneMeasure m;
    bool any = false;
    for (size_t i = 0; i < count; ++i) {
        if (samples[i] == 0) continue;
        if (!any) m.first = i;
        any = true;
        m.last = i;
        m.peak = std::max(m.peak, std::abs(int32_t(samples[i])));
    }
    if (!any) return m;
    size_t crossings = 0;
    size_t zeros = 0;
    for (size_t i = m.first + 1; i <= m.last; ++i) {
        zeros = samples[i] == 0 ? zeros + 1 : 0;
        if (zeros == 3) ++m.gaps;
        if ((samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
    }
    if (m.last > m.first) m.hz = double(crossings) / 2.0 / (double(m.last - m.first) / rate);
    return m;
}

std::vector<uint8_t> MakeMovieClip(const ClipPlan& plan) {
    AVFormatContext* made = nullptr;
    Check(avformat_alloc_output_context2(&made, nullptr, "nut", nullptr), "making the container");
    OutputPtr out(made);
    Check(avio_open_dyn_buf(&out->pb), "opening the memory output");

    AVStream* videoStream = avformat_new_stream(out.get(), nullptr);
    CodecPtr video = OpenEncoder(
        "ffv1", out.get(), videoStream,
        [](AVCodecContext* c, const ClipPlan& s) {
            c->width = s.width;
            c->height = s.height;
            c->pix_fmt = s.namedColours ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_YUV420P;
            c->time_base = AVRational{1, int(s.framesPerSecond)};
            c->framerate = AVRational{int(s.framesPerSecond), 1};
        },
        plan);
    videoStream->avg_frame_rate = video->framerate;
    AVStream* soundStream = nullptr;
    CodecPtr sound;
    if (plan.toneHz > 0) {
        soundStream = avformat_new_stream(out.get(), nullptr);
        sound = OpenEncoder(
            "pcm_s16le", out.get(), soundStream,
            [](AVCodecContext* c, const ClipPlan&) {
                c->sample_rate = kSoundRate;
                c->sample_fmt = AV_SAMPLE_FMT_S16;
                av_channel_layout_default(&c->ch_layout, 1);
                c->time_base = AVRational{1, kSoundRate};
            },
            plan);
    }
    Check(avformat_write_header(out.get(), nullptr), "writing the header");

    FramePtr picture(av_frame_alloc());
    picture->format = video->pix_fmt;
    picture->width = plan.width;
    picture->height = plan.height;
    Check(av_frame_get_buffer(picture.get(), 0), "a picture buffer");
    const int samplesPerFrame = kSoundRate / int(plan.framesPerSecond);
    FramePtr samples(av_frame_alloc());
    if (sound) {
        samples->format = AV_SAMPLE_FMT_S16;
        samples->nb_samples = samplesPerFrame;
        samples->sample_rate = kSoundRate;
        av_channel_layout_default(&samples->ch_layout, 1);
        Check(av_frame_get_buffer(samples.get(), 0), "a sound buffer");
    }
    for (uint32_t n = 1; n <= plan.frames; ++n) {
        Check(av_frame_make_writable(picture.get()), "a writable picture");
        FillPicture(picture.get(), n, plan);
        picture->pts = int64_t(n) - 1;
        Encode(out.get(), video.get(), videoStream, picture.get());
        if (sound) {
            Check(av_frame_make_writable(samples.get()), "a writable sound buffer");
            auto* out16 = reinterpret_cast<int16_t*>(samples->data[0]);
            const int64_t first = int64_t(n - 1) * samplesPerFrame;
            for (int i = 0; i < samplesPerFrame; ++i)
                out16[i] = int16_t(std::lround(plan.tonePeak * std::sin(2.0 * M_PI * plan.toneHz * double(first + i) / kSoundRate)));
            samples->pts = first;
            if (plan.brokenSound) WriteBrokenPacket(out.get(), sound.get(), soundStream, first, samplesPerFrame);
            else Encode(out.get(), sound.get(), soundStream, samples.get());
        }
    }
    Encode(out.get(), video.get(), videoStream, nullptr);
    if (sound) Encode(out.get(), sound.get(), soundStream, nullptr);
    Check(av_write_trailer(out.get()), "writing the trailer");

    uint8_t* buffer = nullptr;
    const int size = avio_close_dyn_buf(out->pb, &buffer);
    out->pb = nullptr;
    std::vector<uint8_t> bytes(buffer, buffer + std::max(size, 0));
    av_free(buffer);
    return bytes;
}

} // namespace vqt::test
