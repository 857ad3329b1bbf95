#pragma once
#include <cstdint>
#include <memory>
#include <vector>

class CColorPalette;
class CPixelSurface;

/// The record every draw fills and every per-line kernel reads: one line at a time.
struct CLineContext {
    const uint8_t* srcLine = nullptr;  ///< first source pixel of the line
    uint8_t* dstLine = nullptr;        ///< first destination pixel of the line
    const uint8_t* maskLine = nullptr; ///< first mask byte of the line (masked draws)
    int16_t pixelCount = 0;            ///< pixels per line
    int16_t byteCount = 0;             ///< destination bytes per line
    CColorPalette* srcPalette = nullptr;
    CColorPalette* dstPalette = nullptr;
    int16_t srcFormat = 0;
    int16_t dstFormat = 0;
    uint32_t stretchMode = 1;           ///< surface draw mode of the last dispatch (sticky)
    const int16_t* columnTable = nullptr; ///< stretch index of source columns, one per pixel
    const int16_t* rowTable = nullptr;    ///< stretch index of source rows, one per line
};

/// Draw settings the kernels read beside the line context.
struct CDrawSettings {
    const uint8_t* tintTable = nullptr;   ///< 256 palette indices; null unless a caller set one
    const uint8_t* blendTable8 = nullptr; ///< never set: 8-bit blends fall back to transparent
    int16_t blendLevel = 0;               ///< weight of the old destination in a 16-bit blend
    uint32_t tintColor = 0;               ///< tinted 8 -> 16: black
    int16_t tintLevel = 0;                ///< tinted 8 -> 16: 0
    uint32_t transparentColor = 0;        ///< black, which packs to 0 in every layout
    /// Whether the kernels that have a vector form use it; both forms give the same pixels, so
    /// tests run each kernel both ways whatever the processor.
    bool vectorCode = true;
};

/// Module state of the graphics layer: the line context, the draw settings, the current
/// 16-bit layout, the global palette and the work surface.
class CGraphicsContext {
public:
    CGraphicsContext();
    ~CGraphicsContext();

    CLineContext line;
    CDrawSettings settings;

    /// Nearest palette index of every 16-bit colour for one palette state and source layout
    /// (the conversion into 8 bits searches the same colour once).
    struct NearestMemo {
        uint32_t generation = 0;
        int16_t format = -1;
        std::vector<int16_t> index; ///< 65536 entries, -1 while not searched
    } nearest16;
    /// Nearest palette index of every 24-bit colour for one palette state, filled as colours
    /// are met (the 16 MB table is made by the first such draw; a bit per colour says whether
    /// it was searched, so a palette change clears only the bits).
    struct NearestMemo24 {
        uint32_t generation = 0;
        std::vector<uint8_t> index;     ///< 2^24 entries
        std::vector<uint64_t> searched; ///< 2^24 bits
    } nearest24;

    CColorPalette& GlobalPalette() { return *m_globalPalette; }
    CPixelSurface& WorkSurface();

private:
    std::unique_ptr<CColorPalette> m_globalPalette;
    std::unique_ptr<CPixelSurface> m_workSurface;
};

CGraphicsContext& xGraphics_Context();

/// The current 16-bit layout: the pixel format code kept by the profile key PIXELFORMAT
/// (2 is 5-6-5, any other code 5-5-5).
int16_t xGraphics_PixelFormat();
void xGraphics_SetPixelFormat(int16_t format);

/// The palette of every surface without one of its own.
CColorPalette& xGraphics_GlobalPalette();

/// The global palette becomes a copy of palette; then the blitters' default palette becomes a
/// copy of the global one.
void SetGlobalPalette(const CColorPalette& palette);

/// Exchanges the tint table (256 palette indices) and returns the previous one.
const uint8_t* SetTintPalette(const uint8_t* table);

/// Sets the weight of the old destination in 16-bit blends; returns the previous level.
int16_t xGraphics_SetBlendLevel(int16_t level);
