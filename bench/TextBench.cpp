// Our text drawing beside SDL2_ttf for the same texts, face and size, with bare FreeType as the
// floor. Two texts: a line of 40 characters, and a caption wrapped into 400 x 40 pixels. Ours is
// OSysFont::DrawTextInRect straight into a 5-6-5 surface; SDL2_ttf renders the text blended
// (antialiased, ARGB) and SDL2 blits it onto an RGB565 surface, as a program drawing with it
// would; bare FreeType loads and renders every glyph (no cache) and lays its coverage over the
// same pixels. All three draw Liberation Sans at 12 points and 96 pixels per inch without
// kerning. The rate counter is glyphs per second.
#include <benchmark/benchmark.h>
#include <SDL.h>
#include <SDL_ttf.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/data/MessageTexts.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/media/SysFont.h"
#include "platform/Platform.h"

namespace {

constexpr const char* kFaceFile = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
constexpr int kPoints = 12;
constexpr int kWidth = 640;
constexpr int kHeight = 120;
const std::string kLine = "The quick brown fox jumps over a lazy do"; // 40 characters
const std::string kCaption = "Captions like this one wrap inside a box of 400 by 40 pixels.";

size_t Glyphs(const std::string& text) {
    size_t n = 0;
    for (char c : text) n += c != ' ';
    return n;
}

/// A memory surface in 5-6-5 that hands out a drawing context over its pixels.
class Surface565 : public CPixelSurface {
public:
    Surface565() {
        Create(kWidth, kHeight, 16);
        SetPixelFormat(2);
    }
    plat::Dc* GetDC() override {
        dc_.SetSurfaceTarget(plat::PixelTarget{Lock(), GetPitch(), kWidth, kHeight, 16, true});
        return &dc_;
    }
    void ReleaseDC(plat::Dc*) override { Unlock(); }

private:
    plat::Dc dc_{plat::Dc::Kind::Surface};
};

void Ours(benchmark::State& state, const std::string& text, bool wrap) {
    vqt::bench::FreshEngineContext();
    xLanguage_Context().language = kLanguageEnglishUs;
    OSysFont font;
    font.SetSize(kPoints);
    if (!font.CreateFontByName("Arial")) state.SkipWithError("no font");
    Surface565 surface;
    const uint32_t colour = 0x00FFFFFF;
    CTextStyle style;
    style.textColor = &colour;
    style.wordWrap = wrap ? 1 : 0;
    const CClipRect rect = wrap ? CClipRect(0, 0, 400, 40) : CClipRect(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        font.DrawTextInRect(text.c_str(), &surface, rect, rect, &style);
        benchmark::ClobberMemory();
    }
    state.counters["glyphs"] = benchmark::Counter(double(Glyphs(text)), benchmark::Counter::kIsIterationInvariantRate);
}

void Sdl2Ttf(benchmark::State& state, const std::string& text, bool wrap) {
    if (TTF_Init() != 0) {
        state.SkipWithError("TTF_Init failed");
        return;
    }
    TTF_Font* font = TTF_OpenFontDPI(kFaceFile, kPoints, 96, 96);
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 16, SDL_PIXELFORMAT_RGB565);
    if (!font || !target) {
        state.SkipWithError("no font or surface");
    } else {
        TTF_SetFontKerning(font, 0);
        const SDL_Color white{255, 255, 255, 255};
        for (auto _ : state) {
            SDL_Surface* rendered = wrap ? TTF_RenderText_Blended_Wrapped(font, text.c_str(), white, 400)
                                         : TTF_RenderText_Blended(font, text.c_str(), white);
            SDL_Rect at{0, 0, 0, 0};
            SDL_BlitSurface(rendered, nullptr, target, &at);
            SDL_FreeSurface(rendered);
            benchmark::ClobberMemory();
        }
        state.counters["glyphs"] =
            benchmark::Counter(double(Glyphs(text)), benchmark::Counter::kIsIterationInvariantRate);
    }
    if (target) SDL_FreeSurface(target);
    if (font) TTF_CloseFont(font);
    TTF_Quit();
}

/// Every glyph loaded and rendered anew, its coverage laid over a 5-6-5 picture along a line.
void BareFreeType(benchmark::State& state, const std::string& text, bool) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, kFaceFile, 0, &face) != 0) {
        state.SkipWithError("no FreeType face");
        return;
    }
    FT_Set_Pixel_Sizes(face, 0, kPoints * 96 / 72);
    std::vector<uint16_t> pixels(size_t(kWidth) * kHeight);
    for (auto _ : state) {
        int pen = 0;
        for (char c : text) {
            if (FT_Load_Char(face, FT_ULong(uint8_t(c)), FT_LOAD_RENDER) != 0) continue;
            const FT_Bitmap& b = face->glyph->bitmap;
            const int left = pen + face->glyph->bitmap_left;
            const int top = 14 - face->glyph->bitmap_top;
            for (unsigned y = 0; y < b.rows; ++y)
                for (unsigned x = 0; x < b.width; ++x) {
                    const int px = left + int(x), py = top + int(y);
                    if (px < 0 || py < 0 || px >= kWidth || py >= kHeight) continue;
                    const uint32_t a = b.buffer[y * unsigned(b.pitch) + x] >> 3;
                    uint16_t& p = pixels[size_t(py) * kWidth + size_t(px)];
                    p = uint16_t((a << 11) | (a << 6) | a) | p;
                }
            pen = (pen + int(face->glyph->advance.x >> 6)) % kWidth;
        }
        benchmark::DoNotOptimize(pixels.data());
    }
    state.counters["glyphs"] = benchmark::Counter(double(Glyphs(text)), benchmark::Counter::kIsIterationInvariantRate);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

BENCHMARK_CAPTURE(Ours, line40, kLine, false);
BENCHMARK_CAPTURE(Sdl2Ttf, line40, kLine, false);
BENCHMARK_CAPTURE(BareFreeType, line40, kLine, false);
BENCHMARK_CAPTURE(Ours, caption400x40, kCaption, true);
BENCHMARK_CAPTURE(Sdl2Ttf, caption400x40, kCaption, true);
BENCHMARK_CAPTURE(BareFreeType, caption400x40, kCaption, true);

} // namespace

BENCHMARK_MAIN();
