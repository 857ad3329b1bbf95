// Our 8-bit to 16-bit line routines beside SDL2's surface blitter for the same pictures, and
// memcpy of the destination bytes as the bandwidth floor. One sprite-like 640 x 480 picture
// (about 45% transparent, in spans) serves every benchmark; both sides draw it with the same
// colours into destinations of the same pitch, and the scene checks once that they draw the same
// pixels. The tinted and blended routines, which SDL2 has no counterpart for, are timed on the
// same picture alone.
//
// SDL2 run-length encodes a colour-keyed surface only when it is already in the destination's
// format: asked to encode an 8-bit surface bound for a 16-bit one, it keeps its plain keyed blit.
// So its run-length side is the picture converted to RGB565 once, keyed and encoded: the way a
// program drawing with SDL2 alone would hold a sprite.
#include <benchmark/benchmark.h>
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/blit/Blitter.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/GraphicsContext.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Scene {
    std::vector<uint8_t> pixels;            // kWidth x kHeight indices
    std::vector<std::vector<uint8_t>> rle;  // one compressed line per row
    CColorPalette palette;
    std::vector<uint16_t> dest = std::vector<uint16_t>(kWidth * kHeight);
    SDL_Surface* sdlSrc = nullptr;
    SDL_Surface* sdlKeyed = nullptr;
    SDL_Surface* sdlRle = nullptr;
    SDL_Surface* sdlDst = nullptr;
    const char* error = nullptr;  ///< why the two sides cannot be compared, if they cannot

    Scene() {
        std::mt19937 rng(5);
        pixels.resize(kWidth * kHeight);
        for (int y = 0; y < kHeight; ++y) {
            int x = 0;
            while (x < kWidth) {
                const int len = 4 + static_cast<int>(rng() % 40);
                const bool clear = rng() % 100 < 45;
                const bool flat = rng() % 3 == 0;
                const uint8_t colour = static_cast<uint8_t>(1 + rng() % 255);
                for (int i = 0; i < len && x < kWidth; ++i, ++x) {
                    pixels[static_cast<size_t>(y * kWidth + x)] =
                        clear ? 0 : (flat ? colour : static_cast<uint8_t>(1 + rng() % 255));
                }
            }
        }
        vqt::bench::FreshEngineContext();
        xGraphics_SetPixelFormat(2);
        SDL_Color colours[256];
        for (int i = 0; i < 256; ++i) {
            const uint8_t r = static_cast<uint8_t>(i * 37), g = static_cast<uint8_t>(i * 91 + 7),
                          b = static_cast<uint8_t>(255 - i);
            palette.SetEntry(i, r | g << 8 | b << 16);
            colours[i] = {r, g, b, 255};
        }
        palette.Build16BitTable();
        std::vector<uint8_t> buffer(VQTRLE_MaxLineBytes(kWidth));
        for (int y = 0; y < kHeight; ++y) {
            const int32_t n = VQTRLE_CompressLine(&pixels[static_cast<size_t>(y * kWidth)], kWidth, buffer.data(),
                                                  buffer.size());
            rle.emplace_back(buffer.begin(), buffer.begin() + (n > 0 ? n : 0));
            if (n <= 0) rle.back() = {0x80};
        }

        auto make8 = [&]() {
            SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 8, SDL_PIXELFORMAT_INDEX8);
            SDL_SetPaletteColors(s->format->palette, colours, 0, 256);
            for (int y = 0; y < kHeight; ++y) {
                std::memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, &pixels[static_cast<size_t>(y * kWidth)],
                            kWidth);
            }
            return s;
        };
        sdlSrc = make8();
        sdlKeyed = make8();
        SDL_SetColorKey(sdlKeyed, SDL_TRUE, 0);
        sdlRle = SDL_ConvertSurfaceFormat(sdlSrc, SDL_PIXELFORMAT_RGB565, 0);
        SDL_SetColorKey(sdlRle, SDL_TRUE, SDL_MapRGB(sdlRle->format, colours[0].r, colours[0].g, colours[0].b));
        SDL_SetSurfaceRLE(sdlRle, 1);
        sdlDst = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 16, SDL_PIXELFORMAT_RGB565);
        SDL_BlitSurface(sdlRle, nullptr, sdlDst, nullptr);  // the first blit encodes the RLE data
        BltContext().BltDstPixelFormat = 2;
        if ((sdlRle->flags & SDL_RLEACCEL) == 0) {
            error = "SDL2 did not run-length encode the keyed RGB565 surface";
        } else if (sdlDst->pitch != kWidth * 2) {
            error = "the destinations' pitches differ";
        }
    }

    /// Whether one of our frame draws and one SDL2 blit leave the same pixels in destinations
    /// that started alike.
    template <class DrawOurs>
    bool SameFrame(DrawOurs drawOurs, SDL_Surface* sdlSource) {
        const uint16_t background = 0x5A5A;
        std::fill(dest.begin(), dest.end(), background);
        SDL_FillRect(sdlDst, nullptr, background);
        drawOurs();
        SDL_BlitSurface(sdlSource, nullptr, sdlDst, nullptr);
        for (int y = 0; y < kHeight; ++y) {
            if (std::memcmp(&dest[static_cast<size_t>(y * kWidth)], static_cast<uint8_t*>(sdlDst->pixels) + y * sdlDst->pitch,
                            kWidth * 2) != 0) {
                return false;
            }
        }
        return true;
    }
};

/// The routines SDL2 draws too, then the tinted and blended ones it has no counterpart for.
enum class Ours { kSolid, kKeyed, kCompressed, kTinted, kBlended, kCompTinted, kCompBlended, kCompBlendedPlain };

template <Ours Kind>
void DrawRows(Scene& s, int rows) {
    for (int y = 0; y < rows; ++y) {
        uint16_t* dst = &s.dest[static_cast<size_t>(y * kWidth)];
        const uint8_t* src = &s.pixels[static_cast<size_t>(y * kWidth)];
        if constexpr (Kind == Ours::kSolid) {
            BltSolid_8bTo16b(src, kWidth, dst, &s.palette);
        } else if constexpr (Kind == Ours::kKeyed) {
            BltTrans_8bTo16b(src, kWidth, dst, &s.palette);
        } else if constexpr (Kind == Ours::kCompressed) {
            BltCompTrans_8bTo16b(s.rle[static_cast<size_t>(y)].data(), kWidth, dst, nullptr, &s.palette);
        } else if constexpr (Kind == Ours::kTinted) {
            BltTinted_8bTo16b(src, kWidth, dst, &s.palette);
        } else if constexpr (Kind == Ours::kBlended) {
            BltBlended_8bTo16b(src, kWidth, dst, &s.palette);
        } else if constexpr (Kind == Ours::kCompTinted) {
            BltCompTinted_8bTo16b(s.rle[static_cast<size_t>(y)].data(), kWidth, dst, nullptr, &s.palette);
        } else {
            BltCompBlended_8bTo16b(s.rle[static_cast<size_t>(y)].data(), kWidth, dst, nullptr, &s.palette);
        }
    }
}

/// The scene, checked before its first use.
Scene& TheScene() {
    static Scene scene;
    static bool checked = false;
    if (!checked) {
        checked = true;
        if (scene.error == nullptr &&
            (!scene.SameFrame([] { DrawRows<Ours::kSolid>(scene, kHeight); }, scene.sdlSrc) ||
             !scene.SameFrame([] { DrawRows<Ours::kKeyed>(scene, kHeight); }, scene.sdlKeyed) ||
             !scene.SameFrame([] { DrawRows<Ours::kCompressed>(scene, kHeight); }, scene.sdlRle))) {
            scene.error = "our routines and SDL2 draw different pixels";
        }
    }
    return scene;
}

template <Ours Kind>
void BM_Ours(benchmark::State& state) {
    Scene& s = TheScene();
    if (s.error != nullptr) {
        state.SkipWithError(s.error);
        return;
    }
    const int rows = static_cast<int>(state.range(0));
    // The blended reader in the implementation named; the lookups as the processor allows.
    BltContext().vectorCode = Kind == Ours::kCompBlended ? 1 : Kind == Ours::kCompBlendedPlain ? 0 : -1;
    for (auto _ : state) {
        DrawRows<Kind>(s, rows);
        benchmark::DoNotOptimize(s.dest.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * rows * kWidth);
    state.SetBytesProcessed(state.iterations() * rows * kWidth * 2);
}

void BM_Sdl(benchmark::State& state, SDL_Surface* Scene::*which) {
    Scene& s = TheScene();
    if (s.error != nullptr) {
        state.SkipWithError(s.error);
        return;
    }
    const int rows = static_cast<int>(state.range(0));
    SDL_Rect rect{0, 0, kWidth, rows};
    for (auto _ : state) {
        SDL_Rect to = rect;
        SDL_BlitSurface(s.*which, &rect, s.sdlDst, &to);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * rows * kWidth);
    state.SetBytesProcessed(state.iterations() * rows * kWidth * 2);
}

void BM_Memcpy(benchmark::State& state) {
    Scene& s = TheScene();
    const int rows = static_cast<int>(state.range(0));
    static std::vector<uint16_t> from(kWidth * kHeight, 0x1234);
    for (auto _ : state) {
        std::memcpy(s.dest.data(), from.data(), static_cast<size_t>(rows * kWidth * 2));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * rows * kWidth);
    state.SetBytesProcessed(state.iterations() * rows * kWidth * 2);
}

// Argument: rows drawn (1 = one 640-pixel line, 480 = the whole stage).
BENCHMARK(BM_Memcpy)->Arg(1)->Arg(kHeight);
BENCHMARK(BM_Ours<Ours::kSolid>)->Name("Ours/Solid_8bTo16b")->Arg(1)->Arg(kHeight);
BENCHMARK_CAPTURE(BM_Sdl, Index8ToRgb565, &Scene::sdlSrc)->Name("Sdl/Solid_Index8ToRgb565")->Arg(1)->Arg(kHeight);
BENCHMARK(BM_Ours<Ours::kKeyed>)->Name("Ours/Trans_8bTo16b")->Arg(1)->Arg(kHeight);
BENCHMARK_CAPTURE(BM_Sdl, Keyed, &Scene::sdlKeyed)->Name("Sdl/Keyed_Index8ToRgb565")->Arg(1)->Arg(kHeight);
BENCHMARK(BM_Ours<Ours::kCompressed>)->Name("Ours/CompTrans_8bTo16b")->Arg(1)->Arg(kHeight);
BENCHMARK_CAPTURE(BM_Sdl, Rle, &Scene::sdlRle)->Name("Sdl/RleKeyed_Rgb565ToRgb565")->Arg(1)->Arg(kHeight);
BENCHMARK(BM_Ours<Ours::kTinted>)->Name("Ours/Tinted_8bTo16b")->Arg(kHeight);
BENCHMARK(BM_Ours<Ours::kBlended>)->Name("Ours/Blended_8bTo16b")->Arg(kHeight);
BENCHMARK(BM_Ours<Ours::kCompTinted>)->Name("Ours/CompTinted_8bTo16b")->Arg(kHeight);
BENCHMARK(BM_Ours<Ours::kCompBlended>)->Name("Ours/CompBlended_8bTo16b/vector")->Arg(kHeight);
BENCHMARK(BM_Ours<Ours::kCompBlendedPlain>)->Name("Ours/CompBlended_8bTo16b/plain")->Arg(kHeight);

} // namespace

BENCHMARK_MAIN();
