#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/Messages.h"
#include "platform/PixelConvert.h"

namespace plat {

/// A colour-table record of a device-independent bitmap: blue, green, red and a fourth byte
/// that the bitmap keeps but no drawing reads.
struct RgbQuad {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
    bool operator==(const RgbQuad&) const = default;
};

/// The shown colours of the first `count` records of a colour table (their fourth bytes are not
/// read): 256 colours, black past the records.
void TableColours(const RgbQuad* table, size_t count, std::vector<Argb>& out);

/// A logical-palette entry: red, green, blue and flags.
struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
    bool operator==(const PaletteEntry&) const = default;
};

/// The 40-byte header of a device-independent bitmap; a positive height stores the rows
/// bottom-up.
struct BitmapInfoHeader {
    uint32_t size = 40;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40 && sizeof(RgbQuad) == 4 && sizeof(PaletteEntry) == 4);

/// Bytes per stored row of a device-independent bitmap: the row's bits rounded up to whole
/// 32-bit words.
int32_t DibStride(int32_t width, int bits);

/// A packed device-independent bitmap (BI_RGB, 8, 16, 24 or 32 bits) read as the drawing calls
/// read one: rows of DibStride bytes, bottom-up for a positive height, 16-bit pixels as
/// x-5-5-5, 8-bit pixels through the colour table (clrUsed records, or 256). The palette is kept
/// in `paletteStore`. False for a header it cannot take.
bool PackedDibSource(const BitmapInfoHeader& header, const RgbQuad* colors, const void* bits,
                     std::vector<Argb>& paletteStore, PixelSource& out);
/// The whole bitmap as a picture, top row first; false for a header it cannot take.
bool PackedDibImage(const BitmapInfoHeader& header, const RgbQuad* colors, const void* bits, Image& out);

inline constexpr uint32_t BI_RGB = 0;
inline constexpr uint32_t DIB_RGB_COLORS = 0;
inline constexpr uint8_t PC_RESERVED = 0x01;
inline constexpr uint8_t PC_EXPLICIT = 0x02;
inline constexpr uint8_t PC_NOCOLLAPSE = 0x04;
inline constexpr uint32_t SRCCOPY = 0x00CC0020;
inline constexpr int MM_TEXT = 1;
inline constexpr uint16_t kLogPaletteVersion = 0x300;

class Dc;

/// A device-independent bitmap made by CreateDibSection: its pixels, 4-byte aligned rows and
/// colour table (2^bits records at 8 bits or fewer, none above).
class Bitmap {
public:
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int Bits() const { return bits_; }
    bool BottomUp() const { return bottomUp_; }
    /// Bytes per stored row (a multiple of 4).
    int32_t Stride() const { return stride_; }
    /// The pixel memory as handed out: the first stored row (the bottom one when bottom-up).
    uint8_t* Memory() { return pixels_.data(); }
    size_t MemorySize() const { return pixels_.size(); }
    std::vector<RgbQuad>& ColorTable() { return colors_; }
    const std::vector<RgbQuad>& ColorTable() const { return colors_; }
    /// The pixels seen from the top row down, colours through the colour table.
    PixelSource Source(std::vector<Argb>& paletteStore) const;
    Dc* SelectedInto() const { return selectedInto_; }

private:
    friend class Gdi;
    friend class Dc;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int bits_ = 0;
    bool bottomUp_ = true;
    int32_t stride_ = 0;
    std::vector<uint8_t> pixels_;
    std::vector<RgbQuad> colors_;
    Dc* selectedInto_ = nullptr;
};

/// A logical palette.
class GdiPalette {
public:
    std::vector<PaletteEntry>& Entries() { return entries_; }
    const std::vector<PaletteEntry>& Entries() const { return entries_; }

private:
    friend class Gdi;
    std::vector<PaletteEntry> entries_;
};

/// Pixels a context draws into: the top row, the pitch to the next row down, size, depth and
/// 16-bit layout.
struct PixelTarget {
    uint8_t* top = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
    int bits = 0;
    bool is565 = false;
};

/// A device context: a memory context holding a selected bitmap, the context of a window, or
/// the context of a display surface's pixels. Each holds a selected palette (the stock palette
/// at first) and a mapping mode.
class Dc {
public:
    enum class Kind { Memory, Window, Surface };
    explicit Dc(Kind kind, WindowId window = 0) : kind_(kind), window_(window) {}
    Kind GetKind() const { return kind_; }
    WindowId Window() const { return window_; }
    Bitmap* SelectedBitmap() const { return bitmap_; }
    GdiPalette* SelectedPalette() const { return palette_; }
    int MapMode() const { return mapMode_; }
    /// The pixels drawn into: the selected bitmap's, or the surface's; none for a window.
    PixelTarget Target() const;
    /// A surface context's pixels (set by the surface that hands the context out).
    void SetSurfaceTarget(const PixelTarget& target) { surface_ = target; }

private:
    friend class Gdi;
    Kind kind_;
    WindowId window_ = 0;
    Bitmap* bitmap_ = nullptr;
    GdiPalette* palette_ = nullptr;
    int mapMode_ = MM_TEXT;
    PixelTarget surface_;
};

/// Our stand-in for the drawing calls of the window system that the display surfaces make:
/// memory contexts, bitmaps with colour tables, logical palettes and their realisation, and
/// copies into windows. Objects live until deleted; the counts let tests find leaks. Failures
/// of creation can be scripted.
class Gdi {
public:
    struct Script {
        int failCreateDc = 0;        ///< the next n CreateCompatibleDc calls answer null
        int failCreateDib = 0;       ///< the next n CreateDibSection calls answer null
        int failCreatePalette = 0;   ///< the next n CreatePalette calls answer null
        int failGetPaletteEntries = 0; ///< the next n GetPaletteEntries calls answer 0
    };
    struct Counts {
        int bitBlts = 0;
        int flushes = 0;
        int realizations = 0;
    };

    Gdi();
    ~Gdi();
    Gdi(const Gdi&) = delete;
    Gdi& operator=(const Gdi&) = delete;

    /// A memory context (the reference context is not read); null on failure.
    Dc* CreateCompatibleDc(Dc* reference);
    bool DeleteDc(Dc* dc);
    /// A bitmap of the header's size and depth (1, 4, 8, 16, 24 or 32 bits, BI_RGB), its
    /// colour table from `colors` (clrUsed records, or 2^bits when 0); *bits gets the pixel
    /// memory. Null (and *bits null) for a header it cannot take.
    Bitmap* CreateDibSection(Dc* dc, const BitmapInfoHeader& header, const RgbQuad* colors, uint32_t usage,
                             uint8_t** bits);
    bool DeleteObject(Bitmap* bitmap);
    bool DeleteObject(GdiPalette* palette);
    /// Selects a bitmap into a memory context and answers the one it replaced (the stock
    /// bitmap of a new context); null when the bitmap is selected elsewhere.
    Bitmap* SelectBitmap(Dc* dc, Bitmap* bitmap);
    Bitmap* StockBitmap() { return &stockBitmap_; }
    /// Colour-table records of the bitmap selected into dc; answers how many were set.
    uint32_t SetDibColorTable(Dc* dc, uint32_t start, uint32_t count, const RgbQuad* colors);
    uint32_t GetDibColorTable(Dc* dc, uint32_t start, uint32_t count, RgbQuad* colors);
    int SetMapMode(Dc* dc, int mode);

    /// A logical palette of `count` entries (version 0x300 only); null on failure.
    GdiPalette* CreatePalette(uint16_t version, uint16_t count, const PaletteEntry* entries);
    uint32_t SetPaletteEntries(GdiPalette* palette, uint32_t start, uint32_t count, const PaletteEntry* entries);
    uint32_t GetPaletteEntries(GdiPalette* palette, uint32_t start, uint32_t count, PaletteEntry* entries);
    /// Selects a palette into a context and answers the previous one (the stock palette at
    /// first); null for a null context or palette.
    GdiPalette* SelectPalette(Dc* dc, GdiPalette* palette, bool background);
    GdiPalette* StockPalette() { return &stockPalette_; }
    /// Maps the context's palette onto its device: a window keeps it as its realised palette.
    /// Answers the number of entries realised (0 for a memory context or the stock palette).
    uint32_t RealizePalette(Dc* dc);

    /// The window's own context; null for an unknown window.
    Dc* GetDc(WindowId window);
    int ReleaseDc(WindowId window, Dc* dc);
    /// Copies a rectangle of the bitmap selected in a memory context into a window's context
    /// (SRCCOPY only), shown through the bitmap's format and colour table.
    bool BitBlt(Dc* dst, int32_t x, int32_t y, int32_t width, int32_t height, Dc* src, int32_t srcX, int32_t srcY,
                uint32_t rop);
    /// Draws packed bitmap pixels scaled into a window's context; answers the source rows
    /// drawn, 0 on failure.
    int32_t StretchDIBits(Dc* dst, int32_t x, int32_t y, int32_t width, int32_t height, int32_t srcX, int32_t srcY,
                          int32_t srcWidth, int32_t srcHeight, const void* bits, const BitmapInfoHeader& header,
                          const RgbQuad* colors, uint32_t usage, uint32_t rop);
    /// Ends the batch of drawing: windows show what was copied into them.
    bool GdiFlush();

    Script& script() { return script_; }
    const Counts& counts() const { return counts_; }
    /// Contexts, bitmaps and palettes made and not yet deleted.
    size_t LiveObjects() const { return dcs_.size() + bitmaps_.size() + palettes_.size(); }

private:
    Script script_;
    Counts counts_;
    Bitmap stockBitmap_;
    GdiPalette stockPalette_;
    std::map<Dc*, std::unique_ptr<Dc>> dcs_;
    std::map<Bitmap*, std::unique_ptr<Bitmap>> bitmaps_;
    std::map<GdiPalette*, std::unique_ptr<GdiPalette>> palettes_;
};

} // namespace plat
