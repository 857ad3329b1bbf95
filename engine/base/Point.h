#pragma once
#include <cstdint>

/// A point of two signed 16-bit values, stored vertical first; built from (x, y).
struct CPoint16 {
    int16_t y = 0;
    int16_t x = 0;

    constexpr CPoint16() = default;
    constexpr CPoint16(int16_t h, int16_t v) : y(v), x(h) {}

    friend constexpr bool operator==(const CPoint16&, const CPoint16&) = default;
};
static_assert(sizeof(CPoint16) == 4);

/// The float form of CPoint16 (vertical first; built from (x, y)); a view's centre is one.
struct CPointF {
    float y = 0.0f;
    float x = 0.0f;

    constexpr CPointF() = default;
    constexpr CPointF(float h, float v) : y(v), x(h) {}

    friend constexpr bool operator==(const CPointF&, const CPointF&) = default;
};
static_assert(sizeof(CPointF) == 8);

/// Three floats x, y, z in that order.
struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vec3() = default;
    constexpr Vec3(float px, float py, float pz) : x(px), y(py), z(pz) {}

    friend constexpr bool operator==(const Vec3&, const Vec3&) = default;
};
static_assert(sizeof(Vec3) == 12);
