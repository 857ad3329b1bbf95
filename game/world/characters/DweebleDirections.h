#pragma once
#include <cstdint>

#include "engine/base/Point.h"

/// A character's direction table: unit steps of the isometric projection (vertical first), at
/// most seven.
struct DirectionTable {
    static constexpr int32_t kMaxEntries = 7;
    int32_t count = 0;
    CPointF entries[kMaxEntries];
};

/// The three shared tables, built once from the constants 0.5 and 0.866 (horizontal factor 1,
/// vertical factor 0.5).
namespace DirectionTables {
const DirectionTable& Two();
const DirectionTable& Four();
const DirectionTable& Six();
} // namespace DirectionTables

/// Truncates towards zero, then adds 1 when the dropped fraction lies strictly between 0.996
/// and 1 (a corrected position that just missed a whole pixel).
float RoundCorrected(float value);
float Vec3Length(const Vec3& v);
/// Divides the components by `length` unless it is 0.
void Vec3Normalize(Vec3& v, float length);
