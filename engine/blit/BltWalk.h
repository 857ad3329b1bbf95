#pragma once
// The pixel walks of the plain and scaled line routines: which source pixel destination pixel j
// takes.
#include <cstdint>

#include "engine/blit/Blitter.h"

namespace blt {

enum class Walk {
    kPlain,    ///< source pixel j
    kPlainX,   ///< source pixel count - 1 - j
    kScaled,   ///< source offset BltScaleTableX[j] - BltScaleOriginX
    kScaledX,  ///< source offset BltScaleTableX[count - 1 - j] - BltScaleOriginX
};

/// Calls f(j, source offset in pixels) for every destination pixel j of the line.
template <Walk W, class F>
inline void ForEachPixel(int32_t count, F&& f) {
    if (count <= 0) {
        return;
    }
    if constexpr (W == Walk::kPlain) {
        for (int32_t j = 0; j < count; ++j) {
            f(j, j);
        }
    } else if constexpr (W == Walk::kPlainX) {
        for (int32_t j = 0; j < count; ++j) {
            f(j, count - 1 - j);
        }
    } else {
        const BltSettings& s = BltContext();
        const uint16_t* table = s.BltScaleTableX;
        const int32_t origin = s.BltScaleOriginX;
        if constexpr (W == Walk::kScaled) {
            for (int32_t j = 0; j < count; ++j) {
                f(j, int32_t{table[j]} - origin);
            }
        } else {
            for (int32_t j = 0; j < count; ++j) {
                f(j, int32_t{table[count - 1 - j]} - origin);
            }
        }
    }
}

} // namespace blt
