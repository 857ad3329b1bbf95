#pragma once
#include <cstdint>

#include "engine/base/Point.h"

/// One straight piece of the round-up's track, from the vehicle's previous place to its place
/// at the next step, in whole map pixels.
struct CTrackLine {
    CPoint16 start;
    CPoint16 end;
};

/// 2 pi as the single-precision value the headings wrap at.
inline constexpr float kFullTurn = 6.2831855f;

/// Whether two track lines meet: the integer segment test on their end points, in 64-bit
/// products so that any 16-bit points are safe. Touching lines and collinear lines whose
/// extents overlap meet.
bool SegmentsCross(const CTrackLine& s, const CTrackLine& t);

/// The angle of the vector's (x, y) in radians in [0, 2 pi): the arc cosine of x over the
/// length, mirrored for negative y; 0 for a zero vector.
float Vec3Heading(const Vec3& v);

/// Whether the point lies inside the triangle (a, b, c) or on its edges: the angles it sees
/// between the corners add up to a full turn.
bool IsInTriangle(const CPoint16& a, const CPoint16& b, const CPoint16& c, const CPointF& p);
