#pragma once
#include <algorithm>
#include <cstdint>

/// A 32-bit coordinate or extent held to the 16-bit range of stage rectangles and points.
constexpr int16_t ClampToInt16(int32_t v) { return int16_t(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX)); }

/// A stage rectangle of four signed 16-bit values; right and bottom are exclusive.
struct CRect16 {
    int16_t left = 0;
    int16_t top = 0;
    int16_t right = 0;
    int16_t bottom = 0;

    constexpr CRect16() = default;
    constexpr CRect16(int16_t l, int16_t t, int16_t r, int16_t b)
        : left(l), top(t), right(r), bottom(b) {}

    /// Empty when the right edge is not right of the left one or the bottom not below the top.
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    constexpr int32_t Width() const { return int32_t(right) - left; }
    constexpr int32_t Height() const { return int32_t(bottom) - top; }

    /// Whether `other` lies wholly inside this rectangle (an empty one lies inside any).
    constexpr bool Contains(const CRect16& other) const {
        return other.left >= left && other.top >= top && other.right <= right &&
               other.bottom <= bottom;
    }
    constexpr bool ContainsPoint(int32_t x, int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    /// The common part of both rectangles (empty when they do not overlap).
    constexpr CRect16 Intersect(const CRect16& o) const {
        return CRect16(std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
                       std::min(bottom, o.bottom));
    }
    /// The smallest rectangle holding both.
    constexpr CRect16 Union(const CRect16& o) const {
        return CRect16(std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
                       std::max(bottom, o.bottom));
    }
    constexpr bool Overlaps(const CRect16& o) const { return !Intersect(o).IsEmpty(); }
    constexpr CRect16 Offset(int32_t dx, int32_t dy) const {
        return CRect16(int16_t(left + dx), int16_t(top + dy), int16_t(right + dx),
                       int16_t(bottom + dy));
    }

    friend constexpr bool operator==(const CRect16&, const CRect16&) = default;
};
static_assert(sizeof(CRect16) == 8);
