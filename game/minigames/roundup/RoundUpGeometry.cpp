#include "game/minigames/roundup/RoundUpGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

/// A full turn less the rounding the angle sum may lose.
constexpr double kInsideSum = 6.283085482025147;

bool ExtentsOverlap(int32_t a0, int32_t a1, int32_t b0, int32_t b1) {
    return std::max(a0, a1) >= std::min(b0, b1) && std::max(b0, b1) >= std::min(a0, a1);
}

/// Whether n lies between 0 and d inclusive, on d's side of 0.
bool WithinSpan(int64_t n, int64_t d) { return d > 0 ? (n >= 0 && n <= d) : (n <= 0 && n >= d); }

/// The smaller way round between two headings, each difference wrapped into [0, 2 pi).
double AngleBetween(double h1, double h2) {
    const double full = kFullTurn;
    const double a = std::fmod(std::fmod(h1 - h2, full) + full, full);
    const double b = std::fmod(std::fmod(h2 - h1, full) + full, full);
    return std::min(a, b);
}

} // namespace

bool SegmentsCross(const CTrackLine& s, const CTrackLine& t) {
    if (!ExtentsOverlap(s.start.x, s.end.x, t.start.x, t.end.x)) return false;
    if (!ExtentsOverlap(s.start.y, s.end.y, t.start.y, t.end.y)) return false;
    const int64_t ax = int64_t(s.end.x) - s.start.x, ay = int64_t(s.end.y) - s.start.y;
    const int64_t bx = int64_t(t.start.x) - t.end.x, by = int64_t(t.start.y) - t.end.y;
    const int64_t cx = int64_t(s.start.x) - t.start.x, cy = int64_t(s.start.y) - t.start.y;
    const int64_t d = by * ax - bx * ay;
    const int64_t first = bx * cy - by * cx;
    const int64_t second = ay * cx - ax * cy;
    if (d == 0) {
        // Parallel: the lines meet only when collinear, and then the extents already overlap.
        return first == 0 && second == 0;
    }
    return WithinSpan(first, d) && WithinSpan(second, d);
}

float Vec3Heading(const Vec3& v) {
    const double length = std::sqrt(double(v.x) * v.x + double(v.y) * v.y);
    if (length == 0.0) return 0.0f;
    const double angle = std::acos(std::clamp(double(v.x) / length, -1.0, 1.0));
    return float(v.y < 0.0f ? double(kFullTurn) - angle : angle);
}

bool IsInTriangle(const CPoint16& a, const CPoint16& b, const CPoint16& c, const CPointF& p) {
    const auto heading = [&p](const CPoint16& corner) {
        return double(Vec3Heading(Vec3(float(corner.x) - p.x, float(corner.y) - p.y, 0.0f)));
    };
    const double ha = heading(a), hb = heading(b), hc = heading(c);
    return AngleBetween(ha, hb) + AngleBetween(hb, hc) + AngleBetween(hc, ha) >= kInsideSum;
}
