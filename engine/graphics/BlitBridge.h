#pragma once
#include <cstdint>

#include "engine/graphics/DrawSurface.h"

class CColorPalette;

/// The line-blit routines of the blitters that the surface draws use for mirrored pictures of
/// other depths and for stretched pictures, and the blitter settings they read.
SurfaceLineBlit xBlit_Solid(int srcBits, int dstBits, bool mirrored);
SurfaceLineBlit xBlit_Transparent(int srcBits, int dstBits, bool mirrored);
SurfaceLineBlit xBlit_Tinted(int srcBits, int dstBits, bool mirrored);
SurfaceLineBlit xBlit_Blended(int srcBits, int dstBits, bool mirrored);
/// The scaled routine of a blit draw mode (0 solid, 1 transparent, 2 tinted, 3 blended).
SurfaceLineBlit xBlit_Scaled(int srcBits, int dstBits, int blitMode, bool mirrored);
/// Sets the blitters' format codes, column table with base 0, and 16-bit key for a draw.
void xBlit_PrepareDraw(int16_t srcFormat, int16_t dstFormat, const int16_t* columnTable, uint16_t key16);
/// The blitters' default palette becomes a copy of palette.
void xBlit_SetDefaultPalette(const CColorPalette& palette);
