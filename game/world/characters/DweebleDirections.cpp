#include "game/world/characters/DweebleDirections.h"

#include <cmath>
#include <initializer_list>

namespace {

// The isometric step factors; 0.866 x 0.5 gives the vertical part of a diagonal.
constexpr float kHalf = 0.5f;
constexpr float kSin60 = 0.866f;

DirectionTable Make(std::initializer_list<CPointF> entries) {
    DirectionTable table;
    for (const CPointF& e : entries) table.entries[table.count++] = e;
    return table;
}

} // namespace

namespace DirectionTables {

const DirectionTable& Two() {
    static const float v = kSin60 * kHalf;
    static const DirectionTable table = Make({CPointF(kHalf, -v), CPointF(-kHalf, -v)});
    return table;
}

const DirectionTable& Four() {
    static const float v = kSin60 * kHalf;
    static const DirectionTable table =
        Make({CPointF(kHalf, -v), CPointF(kHalf, v), CPointF(-kHalf, v), CPointF(-kHalf, -v)});
    return table;
}

const DirectionTable& Six() {
    static const float v = kSin60 * kHalf;
    static const DirectionTable table = Make({CPointF(kHalf, v), CPointF(1.0f, 0.0f), CPointF(kHalf, -v),
                                              CPointF(-kHalf, -v), CPointF(-1.0f, 0.0f), CPointF(-kHalf, v)});
    return table;
}

} // namespace DirectionTables

float RoundCorrected(float value) {
    const double truncated = std::trunc(double(value));
    const double fraction = double(value) - truncated;
    return float(fraction > 0.996 && fraction < 1.0 ? truncated + 1.0 : truncated);
}

float Vec3Length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

void Vec3Normalize(Vec3& v, float length) {
    if (length == 0.0f) return;
    v.x /= length;
    v.y /= length;
    v.z /= length;
}
