// Full-stage (640 x 480) surface draws per mode, with memcpy of the same destination bytes in
// the same binary as the bandwidth floor.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/PixelSurface.h"

namespace {

constexpr int16_t kW = 640, kH = 480;

// Sprite-like content: runs of colour 0 between runs of colour.
void FillSprite(CPixelSurface& s, uint32_t seed) {
    std::mt19937 rng(seed);
    uint8_t* p = s.Lock();
    const size_t bytes = size_t(s.GetPitch()) * size_t(s.GetHeight());
    const int bpp = s.GetBitsPerPixel() / 8;
    size_t i = 0;
    while (i < bytes) {
        const size_t run = size_t(4 + rng() % 40) * bpp;
        const bool clear = rng() % 3 == 0;
        for (size_t k = 0; k < run && i < bytes; ++k, ++i) p[i] = clear ? 0 : uint8_t(1 + rng() % 250);
    }
    s.Unlock(0);
}

std::unique_ptr<CPixelSurface> Make(int bits, int16_t format, uint32_t seed) {
    auto s = std::make_unique<CPixelSurface>();
    s->Create(kW, kH, int16_t(bits));
    s->SetPixelFormat(format);
    FillSprite(*s, seed);
    return s;
}

void BM_Memcpy(benchmark::State& state) {
    const size_t bytes = size_t(state.range(0));
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}
BENCHMARK(BM_Memcpy)->Arg(kW * kH)->Arg(kW * kH * 2)->Arg(kW * kH * 3)->Arg(kW * kH * 4);

// Args: source bits, source format, destination bits, destination format, mode, mirrored,
// destination width and height of the stretch (0 = unstretched).
void BM_Draw(benchmark::State& state) {
    vqt::bench::FreshEngineContext();
    xGraphics_SetBlendLevel(128);
    static uint8_t tint[256];
    for (int i = 0; i < 256; ++i) tint[i] = uint8_t(255 - i);
    SetTintPalette(tint);
    auto src = Make(int(state.range(0)), int16_t(state.range(1)), 1);
    auto dst = Make(int(state.range(2)), int16_t(state.range(3)), 2);
    auto mask = Make(8, 0, 3);
    const uint32_t mode = uint32_t(state.range(4));
    const bool mirrored = state.range(5) != 0;
    const CClipRect from(0, 0, kW, kH);
    const int16_t scaled = int16_t(state.range(6));
    const CClipRect to(0, 0, scaled ? scaled : kW, scaled ? int16_t(scaled * 3 / 4) : kH);
    for (auto _ : state) {
        if (mirrored) src->StretchCopyFlipped(from, dst.get(), to, mode, mask.get(), CPoint16(0, 0));
        else src->StretchCopy(from, dst.get(), to, mode, mask.get(), CPoint16(0, 0));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(to.Width()) * to.Height() * (state.range(2) / 8));
    SetTintPalette(nullptr);
}
BENCHMARK(BM_Draw)
    ->ArgNames({"src", "sfmt", "dst", "dfmt", "mode", "mirror", "stretch"})
    ->Args({16, 1, 16, 1, 0, 0, 0})  // solid, same format: row copies
    ->Args({16, 1, 16, 2, 0, 0, 0})  // solid 5-5-5 -> 5-6-5
    ->Args({16, 1, 16, 1, 1, 0, 0})  // colour 0 left out
    ->Args({16, 1, 16, 2, 1, 0, 0})  // colour 0 left out, converting
    ->Args({16, 1, 16, 1, 3, 0, 0})  // blended
    ->Args({16, 1, 16, 2, 3, 0, 0})  // blended 5-5-5 over 5-6-5
    ->Args({16, 2, 16, 2, 5, 0, 0})  // blended, 16-bit pairs
    ->Args({16, 1, 16, 1, 4, 0, 0})  // masked
    ->Args({16, 1, 16, 1, 4, 1, 0})  // mirrored masked
    ->Args({16, 1, 24, 3, 0, 0, 0})  // 16 -> 24
    ->Args({8, 0, 16, 1, 0, 0, 0})   // palette -> 16
    ->Args({8, 0, 16, 1, 1, 0, 0})   // palette -> 16, colour 0 left out
    ->Args({8, 0, 16, 2, 2, 0, 0})   // tinted 8 -> 16
    ->Args({8, 0, 16, 1, 4, 0, 0})   // masked 8 -> 16
    ->Args({8, 0, 8, 0, 0, 0, 0})    // solid 8
    ->Args({8, 0, 8, 0, 1, 0, 0})    // colour 0 left out 8
    ->Args({8, 0, 8, 0, 2, 0, 0})    // tinted 8
    ->Args({8, 0, 8, 0, 4, 0, 0})    // masked 8
    ->Args({8, 0, 8, 0, 0, 1, 0})    // mirrored 8
    ->Args({8, 0, 8, 0, 1, 1, 0})    // mirrored, colour 0 left out
    ->Args({8, 0, 8, 0, 4, 0, 320})  // stretched masked 8 (half size)
    ->Args({8, 0, 24, 3, 0, 0, 0})   // palette -> 24
    ->Args({24, 3, 24, 3, 0, 0, 0})  // solid 24
    ->Args({24, 3, 24, 3, 1, 0, 0})  // 24, black left out
    ->Args({24, 3, 16, 2, 0, 0, 0})  // 24 -> 16
    ->Args({24, 3, 8, 0, 0, 0, 0})   // 24 -> palette (nearest colour, remembered per palette state)
    ->Args({32, 0, 32, 0, 0, 0, 0})  // solid 32
    ->Args({16, 1, 8, 0, 0, 0, 0})   // 16 -> palette (nearest colour)
    ->Unit(benchmark::kMicrosecond);

// What a frame changes in the stage-sized top left part of a background before drawing it:
// nothing, one byte of every line (a different column each frame), every byte, or every
// sixteenth byte (a different set each frame).
enum Change : int { kUnchanged = 0, kOneByteALine = 1, kEveryByte = 2, kEverySixteenthByte = 3 };

void ChangeBackground(CPixelSurface& background, int change, int frame) {
    if (change == kUnchanged) return;
    uint8_t* p = background.Lock();
    const size_t pitch = size_t(background.GetPitch());
    const size_t column = size_t(frame * 37) % kW;
    for (size_t y = 0; y < size_t(kH); ++y) {
        uint8_t* line = p + y * pitch;
        if (change == kOneByteALine) {
            line[column] ^= 1;
        } else if (change == kEveryByte) {
            for (size_t x = 0; x < size_t(kW); ++x) line[x] ^= 1;
        } else {
            for (size_t x = column % 16; x < size_t(kW); x += 16) line[x] ^= 1;
        }
    }
    background.Unlock(0);
}

// A background twice the stage's height drawn under the stage each frame (palette -> 16),
// converted afresh or through its kept lines; args: kept, lines scrolled per frame, change.
void BM_DrawBackground(benchmark::State& state) {
    vqt::bench::FreshEngineContext();
    CPixelSurface background;
    background.Create(kW, 2 * kH, 8);
    FillSprite(background, 1);
    if (state.range(0)) background.KeepConvertedLines();
    auto stage = Make(16, 1, 2);
    const int step = int(state.range(1));
    int top = 0, frame = 0;
    for (auto _ : state) {
        ChangeBackground(background, int(state.range(2)), ++frame);
        top = (top + step) % kH;
        background.StretchCopy(CClipRect(0, int16_t(top), kW, int16_t(top + kH)), stage.get(), CClipRect(0, 0, kW, kH),
                               0);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kW * kH * 2);
}
BENCHMARK(BM_DrawBackground)
    ->ArgNames({"kept", "scroll", "change"})
    ->Args({0, 0, kUnchanged})
    ->Args({1, 0, kUnchanged})
    ->Args({1, 4, kUnchanged})
    ->Args({0, 0, kOneByteALine})
    ->Args({1, 0, kOneByteALine})
    ->Args({0, 0, kEveryByte})
    ->Args({1, 0, kEveryByte})
    ->Args({0, 0, kEverySixteenthByte})
    ->Args({1, 0, kEverySixteenthByte})
    ->Unit(benchmark::kMicrosecond);

// A background twice the stage's width drawn under the stage in strips 64 pixels wide, as a
// tiled view does; args: kept, columns scrolled per frame, change.
void BM_DrawBackgroundStrips(benchmark::State& state) {
    constexpr int16_t kStrip = 64;
    vqt::bench::FreshEngineContext();
    CPixelSurface background;
    background.Create(2 * kW, kH, 8);
    FillSprite(background, 1);
    if (state.range(0)) background.KeepConvertedLines();
    auto stage = Make(16, 1, 2);
    const int step = int(state.range(1));
    int left = 0, frame = 0;
    for (auto _ : state) {
        ChangeBackground(background, int(state.range(2)), ++frame);
        left = (left + step) % kW;
        for (int16_t x = 0; x < kW; x += kStrip) {
            const int16_t from = int16_t(left + x);
            background.StretchCopy(CClipRect(from, 0, int16_t(from + kStrip), kH), stage.get(),
                                   CClipRect(x, 0, int16_t(x + kStrip), kH), 0);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kW * kH * 2);
}
BENCHMARK(BM_DrawBackgroundStrips)
    ->ArgNames({"kept", "scroll", "change"})
    ->Args({0, 0, kUnchanged})
    ->Args({1, 0, kUnchanged})
    ->Args({0, 4, kUnchanged})
    ->Args({1, 4, kUnchanged})
    ->Args({1, 4, kOneByteALine})
    ->Args({0, 0, kEveryByte})
    ->Args({1, 0, kEveryByte})
    ->Args({0, 0, kEverySixteenthByte})
    ->Args({1, 0, kEverySixteenthByte})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
