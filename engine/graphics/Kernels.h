#pragma once
#include <cstdint>

#include "engine/graphics/GraphicsContext.h"

/// A per-line kernel: draws one line described by the line context with the draw settings.
/// Every kernel does nothing when the source or destination line is null.
using DrawKernel = void (*)(const CLineContext& line, const CDrawSettings& settings);

/// The kernel tables, [source depth index][destination depth index].
enum class KernelTable { Copy, Transparent, Tinted, Blended, Mask };
DrawKernel KernelCell(KernelTable table, int srcBits, int dstBits);

/// 16-bit single-pixel blend of source s over destination d with weight L of the old
/// destination, in the destination's layout: each channel s + (((d - s) * L) >> 8).
uint16_t Blend16Pixel(uint16_t s, uint16_t d, int level, int16_t srcFormat, int16_t dstFormat);

namespace kernels {
void ByteCopy(const CLineContext&, const CDrawSettings&);
void ByteCopyByPixels(const CLineContext&, const CDrawSettings&);
void Transparent8(const CLineContext&, const CDrawSettings&);
void PaletteTo16(const CLineContext&, const CDrawSettings&);
void PaletteTo16Transparent(const CLineContext&, const CDrawSettings&);
void PaletteTo24(const CLineContext&, const CDrawSettings&);
void PaletteTo24Transparent(const CLineContext&, const CDrawSettings&);
void Color16To24(const CLineContext&, const CDrawSettings&);
void Color16To24Transparent(const CLineContext&, const CDrawSettings&);
void Color16ToPalette(const CLineContext&, const CDrawSettings&);
void Transparent16(const CLineContext&, const CDrawSettings&);
void Convert555To565(const CLineContext&, const CDrawSettings&);
void Convert565To555(const CLineContext&, const CDrawSettings&);
void Convert555To565Transparent(const CLineContext&, const CDrawSettings&);
void Convert565To555Transparent(const CLineContext&, const CDrawSettings&);
void Transparent24(const CLineContext&, const CDrawSettings&);
void Color24ToPalette(const CLineContext&, const CDrawSettings&);
void Color24To16(const CLineContext&, const CDrawSettings&);
void Tinted8(const CLineContext&, const CDrawSettings&);
void Tinted8To16(const CLineContext&, const CDrawSettings&);
void Blended16(const CLineContext&, const CDrawSettings&);
void Masked8(const CLineContext&, const CDrawSettings&);
void Masked8To16(const CLineContext&, const CDrawSettings&);
void Masked16(const CLineContext&, const CDrawSettings&);
void MaskDestination(const CLineContext&, const CDrawSettings&);
void Mirrored8(const CLineContext&, const CDrawSettings&);
void MirroredTransparent8(const CLineContext&, const CDrawSettings&);
void MirroredTinted8(const CLineContext&, const CDrawSettings&);
void MirroredBlended8(const CLineContext&, const CDrawSettings&);
void MirroredMasked8(const CLineContext&, const CDrawSettings&);
void MirroredMasked16(const CLineContext&, const CDrawSettings&);
/// Destination pixel j takes source pixel columnTable[j] where mask byte j is set; one kernel
/// per pixel size, source and destination of the same depth.
void StretchedMasked8(const CLineContext&, const CDrawSettings&);
void StretchedMasked16(const CLineContext&, const CDrawSettings&);
void StretchedMasked24(const CLineContext&, const CDrawSettings&);
void StretchedMasked32(const CLineContext&, const CDrawSettings&);
} // namespace kernels

/// Fills table with one source position per destination position from destStart to destEnd
/// (both inclusive), Bresenham-stepped from srcStart to srcEnd; destination positions below 0
/// get no entry. When either extent is 0 every entry is srcStart. Returns the entries written.
int BuildStretchIndex(int16_t* table, int destStart, int destEnd, int srcStart, int srcEnd);

/// True when the n bytes at a and b are equal (true for n = 0).
bool BytesEqual(const uint8_t* a, const uint8_t* b, int n);

/// True when the pixel equals one of count colour words: packed in the layout of format for 2
/// bytes per pixel, as blue, green, red bytes for 3; other sizes never match.
bool PixelMatchesColorList(const uint8_t* pixel, const uint32_t* colours, int count, int bytesPerPixel,
                           int16_t format);
