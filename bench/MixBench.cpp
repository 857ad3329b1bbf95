// Our mixer beside SDL2's SDL_MixAudioFormat on the same voices: 16-bit stereo sources at the
// output's rate, 8 and 32 of them at once, mixed into 16-bit stereo pieces of 1024 frames (the
// size of the "DirectSound" buffer). SDL2 adds one voice at a time into the output with its
// volume and clamps at every add; ours sums every voice first and clamps once. Items are voice
// frames: one frame of one voice mixed.
#include <benchmark/benchmark.h>
#include <SDL.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/AudioMixer.h"

namespace {

constexpr uint32_t kPieceFrames = 1024;
constexpr uint32_t kSourceFrames = 22050; // one second, looping

/// A voice's samples: a tone of its own pitch, interleaved stereo.
std::vector<int16_t> Source(int voice) {
    std::vector<int16_t> s(2 * kSourceFrames);
    for (uint32_t i = 0; i < kSourceFrames; ++i) {
        const double v = 8000 * std::sin(i * (0.01 + 0.003 * voice));
        s[2 * i] = int16_t(v);
        s[2 * i + 1] = int16_t(-v);
    }
    return s;
}

void BM_OurMixer(benchmark::State& state) {
    const int voices = int(state.range(0));
    std::vector<std::vector<int16_t>> sources;
    plat::AudioMixer mixer;
    mixer.SetOutputFormat({2, 16});
    for (int v = 0; v < voices; ++v) sources.push_back(Source(v));
    for (int v = 0; v < voices; ++v) {
        const plat::AudioMixer::Voice h = mixer.AllocVoice();
        mixer.SetPcm(h, plat::PcmType::Stereo16, sources[size_t(v)].data(), 4 * kSourceFrames);
        mixer.SetVolume(h, 64);
        mixer.SetLoopCount(h, 0);
        mixer.Start(h);
    }
    std::vector<int16_t> out(2 * kPieceFrames);
    for (auto _ : state) {
        mixer.Render(out.data(), kPieceFrames);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * voices * kPieceFrames);
}

void BM_SdlMixAudioFormat(benchmark::State& state) {
    const int voices = int(state.range(0));
    std::vector<std::vector<int16_t>> sources;
    for (int v = 0; v < voices; ++v) sources.push_back(Source(v));
    std::vector<int16_t> out(2 * kPieceFrames);
    uint32_t position = 0; // the voices move together, wrapping as looping voices do
    for (auto _ : state) {
        std::memset(out.data(), 0, out.size() * 2);
        for (int v = 0; v < voices; ++v) {
            uint32_t done = 0;
            while (done < kPieceFrames) {
                const uint32_t at = (position + done) % kSourceFrames;
                const uint32_t n = std::min(kPieceFrames - done, kSourceFrames - at);
                SDL_MixAudioFormat(reinterpret_cast<Uint8*>(out.data() + 2 * done),
                                   reinterpret_cast<const Uint8*>(sources[size_t(v)].data() + 2 * at), AUDIO_S16SYS,
                                   n * 4, SDL_MIX_MAXVOLUME / 2);
                done += n;
            }
        }
        position = (position + kPieceFrames) % kSourceFrames;
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * voices * kPieceFrames);
}

} // namespace

BENCHMARK(BM_OurMixer)->Arg(8)->Arg(32);
BENCHMARK(BM_SdlMixAudioFormat)->Arg(8)->Arg(32);
BENCHMARK_MAIN();
