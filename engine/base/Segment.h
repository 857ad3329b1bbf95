#pragma once
#include <algorithm>
#include <cstdint>

#include "engine/base/Rect.h"

/// Whether the segments p1-p2 and q1-q2 meet: their boxes overlap and neither has both ends
/// strictly on one side of the other's line. Touching end points and collinear overlaps count.
inline bool SegmentsMeet(int64_t p1x, int64_t p1y, int64_t p2x, int64_t p2y, int64_t q1x, int64_t q1y,
                         int64_t q2x, int64_t q2y) {
    if (std::max(std::min(p1x, p2x), std::min(q1x, q2x)) > std::min(std::max(p1x, p2x), std::max(q1x, q2x)))
        return false;
    if (std::max(std::min(p1y, p2y), std::min(q1y, q2y)) > std::min(std::max(p1y, p2y), std::max(q1y, q2y)))
        return false;
    auto cross = [](int64_t ax, int64_t ay, int64_t bx, int64_t by) { return ax * by - ay * bx; };
    const int64_t d1 = cross(q2x - q1x, q2y - q1y, p1x - q1x, p1y - q1y);
    const int64_t d2 = cross(q2x - q1x, q2y - q1y, p2x - q1x, p2y - q1y);
    if ((d1 > 0 && d2 > 0) || (d1 < 0 && d2 < 0)) return false;
    const int64_t d3 = cross(p2x - p1x, p2y - p1y, q1x - p1x, q1y - p1y);
    const int64_t d4 = cross(p2x - p1x, p2y - p1y, q2x - p1x, q2y - p1y);
    return !((d3 > 0 && d4 > 0) || (d3 < 0 && d4 < 0));
}

/// Whether the segment a-b meets the rectangle: an end point lies inside it, or the segment
/// meets one of its four edges (the right and bottom ones drawn at `right` and `bottom`). An
/// empty rectangle meets nothing.
inline bool SegmentMeetsRect(int32_t ax, int32_t ay, int32_t bx, int32_t by, const CRect16& r) {
    if (r.IsEmpty()) return false;
    if (r.ContainsPoint(ax, ay) || r.ContainsPoint(bx, by)) return true;
    if (std::max(ax, bx) < r.left || std::min(ax, bx) > r.right) return false;
    if (std::max(ay, by) < r.top || std::min(ay, by) > r.bottom) return false;
    return SegmentsMeet(ax, ay, bx, by, r.left, r.top, r.right, r.top) ||
           SegmentsMeet(ax, ay, bx, by, r.right, r.top, r.right, r.bottom) ||
           SegmentsMeet(ax, ay, bx, by, r.left, r.bottom, r.right, r.bottom) ||
           SegmentsMeet(ax, ay, bx, by, r.left, r.top, r.left, r.bottom);
}
