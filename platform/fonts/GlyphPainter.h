#pragma once
#include <cstdint>

#include "platform/Fonts.h"

namespace plat::fontsys {

struct Glyph;

/// The rectangle both inside the clip rectangle and inside the target's pixels.
TextRect ClipToTarget(const PixelTarget& target, const TextRect& clip);

/// Lays the glyph's coverage over the pixels with its first row at (x, y), inside `clip` (already
/// within the target): 16-, 24- and 32-bit pixels move towards the colour by the coverage,
/// 8-bit pixels take the index where the coverage is at least half. Uncovered pixels stay.
void PaintGlyph(const PixelTarget& target, const TextRect& clip, int32_t x, int32_t y, const Glyph& glyph,
                const TextDraw& colour);

/// Fills a rectangle (the underline) with the colour, inside `clip`.
void PaintBar(const PixelTarget& target, const TextRect& clip, const TextRect& bar, const TextDraw& colour);

} // namespace plat::fontsys
