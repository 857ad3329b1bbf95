#pragma once
#include <cstdint>

#include "engine/base/Point.h"

/// A rectangle of four signed 16-bit values; right and bottom are exclusive.
struct CClipRect {
    int16_t left = 0;
    int16_t top = 0;
    int16_t right = 0;
    int16_t bottom = 0;

    CClipRect() = default;
    constexpr CClipRect(int16_t l, int16_t t, int16_t r, int16_t b) : left(l), top(t), right(r), bottom(b) {}
    bool operator==(const CClipRect&) const = default;

    int Width() const { return int(right) - left; }
    int Height() const { return int(bottom) - top; }

    /// Clips the segment p1-p2 to the rectangle in place (right - 1 and bottom - 1 being the
    /// last columns and rows inside); true when something of it lies inside. An empty
    /// rectangle accepts every segment unchanged.
    bool Clip(CPoint16& p1, CPoint16& p2) const;
};
