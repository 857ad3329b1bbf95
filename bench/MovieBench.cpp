// The movie frame step at stage size (decode, conversion to 5-6-5, copy into a 640 x 480
// surface) beside FFmpeg decoding the same frames alone. Items per second are frames.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/ffmpeg/FfmpegHandles.h"
#include "tools/builders/MovieClips.h"

namespace {

using namespace plat::ffmpeg;

constexpr uint32_t kFrames = 60;

/// A 640 x 480 clip of moving YUV pictures, written once to a temporary file.
const std::string& ClipPath() {
    static const std::string path = [] {
        const std::vector<uint8_t> clip = vqt::test::MakeMovieClip(
            {.width = 640, .height = 480, .frames = kFrames, .namedColours = false, .toneHz = 0});
        const std::string name = "/tmp/vqt-bench-movie.nut";
        FILE* file = std::fopen(name.c_str(), "wb");
        if (file) {
            std::fwrite(clip.data(), 1, clip.size(), file);
            std::fclose(file);
        }
        return name;
    }();
    return path;
}

void BM_MovieFrameStep(benchmark::State& state) {
    plat::UseHeadless();
    std::vector<uint8_t> surface(640 * 480 * 2);
    std::unique_ptr<plat::Movie> movie;
    for (auto _ : state) {
        if (!movie || movie->CurrentFrame() == movie->FrameCount()) {
            state.PauseTiming();
            movie = plat::movies().Open(plat::MovieSourceOfFile(plat::files().Open(ClipPath(), plat::OpenMode::Read)), false);
            state.ResumeTiming();
            if (!movie) {
                state.SkipWithError("the clip does not open");
                return;
            }
        }
        movie->DoFrame();
        movie->CopyToBuffer(surface.data(), 640 * 2, 640, 480, 0, 0, plat::kMoviePixels565);
        movie->NextFrame();
        benchmark::DoNotOptimize(surface.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_MovieFrameStep)->Unit(benchmark::kMillisecond);

/// FFmpeg alone: demux and decode one picture per iteration, no conversion.
void BM_FfmpegDecodeOnly(benchmark::State& state) {
    InputPtr format;
    CodecPtr codec;
    FramePtr frame(av_frame_alloc());
    PacketPtr packet(av_packet_alloc());
    int stream = -1;
    auto open = [&] {
        AVFormatContext* context = nullptr;
        if (avformat_open_input(&context, ClipPath().c_str(), nullptr, nullptr) < 0) return false;
        format.reset(context);
        const AVCodec* decoder = nullptr;
        stream = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
        if (stream < 0 || avformat_find_stream_info(context, nullptr) < 0) return false;
        codec.reset(avcodec_alloc_context3(decoder));
        avcodec_parameters_to_context(codec.get(), context->streams[stream]->codecpar);
        codec->thread_count = 1;
        return avcodec_open2(codec.get(), decoder, nullptr) >= 0;
    };
    for (auto _ : state) {
        bool got = false;
        while (!got) {
            if (!format) {
                state.PauseTiming();
                const bool opened = open();
                state.ResumeTiming();
                if (!opened) {
                    state.SkipWithError("the clip does not open");
                    return;
                }
            }
            if (avcodec_receive_frame(codec.get(), frame.get()) == 0) {
                got = true;
            } else if (av_read_frame(format.get(), packet.get()) >= 0) {
                if (packet->stream_index == stream) avcodec_send_packet(codec.get(), packet.get());
                av_packet_unref(packet.get());
            } else {
                format.reset(); // the end: start over
            }
        }
        benchmark::DoNotOptimize(frame->data[0]);
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_FfmpegDecodeOnly)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
