// Our image readers beside peers on the same files, all read from memory; ours into one surface
// that each read makes again (as a background surface is), the peers into surfaces of their own:
// the BMP reader beside SDL2's SDL_LoadBMP_RW (640 x 480 at 8 and 24 bits), the GIF reader
// beside giflib's DGifSlurp (plain and interlaced), and the PCX reader and the compressed-image
// loader (run-length and LZW) in MB/s of pixels beside memcpy of the same bytes. The picture is
// a background-like 640 x 480: bands and gradients with spans of noise. The scene checks once
// that both sides of each pair decode the same pixels.
#include <benchmark/benchmark.h>
#include <SDL.h>
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/data/DrvMemory.h"
#include "engine/graphics/FrameImage.h"
#include "engine/graphics/PixelSurface.h"
#include "tools/builders/ImageWriters.h"

namespace {

using vqt::test::Bytes;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

/// A memory driver over the bytes of a file, without a copy (the peers read theirs in place).
class ConstStream : public ODrvMemory {
public:
    explicit ConstStream(const Bytes& bytes) {
        AdoptMemory(const_cast<uint8_t*>(bytes.data()), bytes.size(), bytes.size()); // read only
    }
};

struct Scene {
    vqt::test::IndexedPicture picture{kWidth, kHeight, {}, {}};
    vqt::test::DirectPicture deep{kWidth, kHeight, 24, {}};
    Bytes bmp8, bmp24, gif, gifInterlaced, pcx, runLength, lzw;
    const char* error = nullptr; ///< why the sides cannot be compared, if they cannot

    Scene() {
        vqt::bench::FreshEngineContext(); // the readers borrow the engine's temporary buffers
        std::mt19937 random(11);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const bool noisy = (x / 40 + y / 30) % 5 == 0;
                picture.pixels.push_back(uint8_t(noisy ? random() : 1 + (x / 7 + y / 5) % 200));
            }
        }
        for (uint32_t i = 0; i < 256; ++i) picture.colours.push_back((i * 0x030507u) & 0xFFFFFFu);
        for (uint8_t i : picture.pixels) {
            const uint32_t c = picture.colours[i];
            deep.pixels.insert(deep.pixels.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
        }
        bmp8 = vqt::test::BmpFile(picture);
        bmp24 = vqt::test::BmpFile(deep);
        gif = vqt::test::GifFile(picture);
        gifInterlaced = vqt::test::GifFile(picture, {.interlaced = true});
        pcx = vqt::test::PcxFile(picture);
        const vqt::test::DirectPicture indices{kWidth, kHeight, 8, picture.pixels};
        runLength = vqt::test::CompressedImage(indices, {.mode = 1});
        lzw = vqt::test::CompressedImage(indices, {.mode = 8});
        Check();
    }

    /// Both sides of each pair give the same pixels.
    void Check() {
        for (const Bytes* file : {&bmp8, &bmp24}) {
            CPixelSurface ours;
            ConstStream stream(*file);
            SDL_Surface* peer = SDL_LoadBMP_RW(SDL_RWFromConstMem(file->data(), int(file->size())), 1);
            if (!LoadSurfaceFromBMP(&ours, &stream, 1) || !peer || !Same(ours, static_cast<const uint8_t*>(peer->pixels), peer->pitch))
                error = "the BMP readers differ";
            SDL_FreeSurface(peer);
        }
        for (const Bytes* file : {&gif, &gifInterlaced}) {
            CPixelSurface ours;
            ConstStream stream(*file);
            const Bytes peer = SlurpGif(*file); // giflib puts interlaced rows in their places too
            if (!LoadGIF(&ours, &stream) || peer.empty() || !Same(ours, peer.data(), kWidth)) error = "the GIF readers differ";
        }
        for (const Bytes* file : {&pcx, &runLength, &lzw}) {
            CPixelSurface ours;
            if (!Read(*file, file == &pcx, &ours) || !Same(ours, picture.pixels.data(), kWidth)) error = "a reader differs from the picture";
        }
    }

    static bool Same(CPixelSurface& ours, const uint8_t* peer, int pitch) {
        const int rowBytes = ours.GetWidth() * ours.GetBitsPerPixel() / 8;
        for (int y = 0; y < ours.GetHeight(); ++y)
            if (std::memcmp(ours.Lock() + y * ours.GetPitch(), peer + y * pitch, size_t(rowBytes)) != 0) return false;
        return ours.GetHeight() == kHeight;
    }

    static bool Read(const Bytes& file, bool isPcx, CPixelSurface* surface) {
        ConstStream stream(file);
        return isPcx ? LoadPCX(surface, &stream) : LoadCompressedImageToSurface(&stream, surface, 0, 0);
    }

    /// giflib's whole-file read from memory; the first image's raster.
    static Bytes SlurpGif(const Bytes& file) {
        struct Source {
            const Bytes* bytes;
            size_t at;
        } source{&file, 0};
        auto read = [](GifFileType* gif, GifByteType* into, int n) {
            auto* s = static_cast<Source*>(gif->UserData);
            const size_t take = std::min(size_t(n), s->bytes->size() - s->at);
            std::memcpy(into, s->bytes->data() + s->at, take);
            s->at += take;
            return int(take);
        };
        int error = 0;
        GifFileType* gif = DGifOpen(&source, read, &error);
        Bytes raster;
        if (gif && DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
            const SavedImage& image = gif->SavedImages[0];
            raster.assign(image.RasterBits, image.RasterBits + size_t(image.ImageDesc.Width) * size_t(image.ImageDesc.Height));
        }
        if (gif) DGifCloseFile(gif, &error);
        return raster;
    }
};

const Scene& TheScene() {
    static const Scene scene;
    return scene;
}

bool Ready(benchmark::State& state) {
    if (TheScene().error) state.SkipWithError(TheScene().error);
    return TheScene().error == nullptr;
}

/// A file of the scene, taken when the benchmark runs (not while the program starts).
using SceneFile = Bytes Scene::*;

void OursBmp(benchmark::State& state, SceneFile member) {
    if (!Ready(state)) return;
    const Bytes& file = TheScene().*member;
    CPixelSurface surface;
    for (auto _ : state) {
        ConstStream stream(file);
        benchmark::DoNotOptimize(LoadSurfaceFromBMP(&surface, &stream, 0));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void SdlBmp(benchmark::State& state, SceneFile member) {
    if (!Ready(state)) return;
    const Bytes& file = TheScene().*member;
    for (auto _ : state) {
        SDL_Surface* surface = SDL_LoadBMP_RW(SDL_RWFromConstMem(file.data(), int(file.size())), 1);
        benchmark::DoNotOptimize(surface);
        SDL_FreeSurface(surface);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void OursGif(benchmark::State& state, SceneFile member) {
    if (!Ready(state)) return;
    const Bytes& file = TheScene().*member;
    CPixelSurface surface;
    for (auto _ : state) {
        ConstStream stream(file);
        benchmark::DoNotOptimize(LoadGIF(&surface, &stream));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

void GiflibGif(benchmark::State& state, SceneFile member) {
    if (!Ready(state)) return;
    const Bytes& file = TheScene().*member;
    for (auto _ : state) benchmark::DoNotOptimize(Scene::SlurpGif(file));
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

void OursPixels(benchmark::State& state, SceneFile member, bool isPcx) {
    if (!Ready(state)) return;
    const Bytes& file = TheScene().*member;
    CPixelSurface surface;
    for (auto _ : state) benchmark::DoNotOptimize(Scene::Read(file, isPcx, &surface));
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

void Memcpy(benchmark::State& state) {
    std::vector<uint8_t> from(size_t(kWidth) * kHeight, 7), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

BENCHMARK_CAPTURE(OursBmp, 8bit, &Scene::bmp8);
BENCHMARK_CAPTURE(SdlBmp, 8bit, &Scene::bmp8);
BENCHMARK_CAPTURE(OursBmp, 24bit, &Scene::bmp24);
BENCHMARK_CAPTURE(SdlBmp, 24bit, &Scene::bmp24);
BENCHMARK_CAPTURE(OursGif, plain, &Scene::gif);
BENCHMARK_CAPTURE(GiflibGif, plain, &Scene::gif);
BENCHMARK_CAPTURE(OursGif, interlaced, &Scene::gifInterlaced);
BENCHMARK_CAPTURE(GiflibGif, interlaced, &Scene::gifInterlaced);
BENCHMARK_CAPTURE(OursPixels, pcx, &Scene::pcx, true);
BENCHMARK_CAPTURE(OursPixels, compressed_run_length, &Scene::runLength, false);
BENCHMARK_CAPTURE(OursPixels, compressed_lzw, &Scene::lzw, false);
BENCHMARK(Memcpy);

} // namespace

BENCHMARK_MAIN();
