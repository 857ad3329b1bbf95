#pragma once
// Owners of FFmpeg's handles: each is freed by the call the library pairs with its allocation.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace plat::ffmpeg {

/// A custom I/O context with the buffer it was given (which the library may have replaced).
struct IoContextFree {
    void operator()(AVIOContext* io) const {
        if (io) av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
/// A demuxing context opened by avformat_open_input.
struct InputClose {
    void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
};
/// A muxing context made by avformat_alloc_output_context2.
struct OutputFree {
    void operator()(AVFormatContext* format) const { avformat_free_context(format); }
};
struct CodecFree {
    void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFree {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};

using IoPtr = std::unique_ptr<AVIOContext, IoContextFree>;
using InputPtr = std::unique_ptr<AVFormatContext, InputClose>;
using OutputPtr = std::unique_ptr<AVFormatContext, OutputFree>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFree>;

} // namespace plat::ffmpeg
