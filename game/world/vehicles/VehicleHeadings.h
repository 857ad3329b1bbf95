#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/base/Point.h"

/// The 32 headings of the driven vehicles, 11.25 degrees apart, from nine sine magnitudes
/// written to three decimals, so that every build gives the same bits. Heading 0 points down
/// the stage (+y), heading 8 to the right (+x); one heading more turns counter-clockwise as
/// seen on the stage.
namespace vehicle_headings_detail {

inline constexpr float kMagnitudes[9] = {0.0f, 0.195f, 0.383f, 0.556f, 0.707f, 0.831f, 0.924f, 0.981f, 1.0f};

/// The sine of heading i (any integer), from the quarter it falls in.
constexpr float Sine(int32_t i) {
    const int32_t h = ((i % 32) + 32) % 32;
    if (h <= 8) return kMagnitudes[h];
    if (h <= 16) return kMagnitudes[16 - h];
    const float m = h <= 24 ? kMagnitudes[h - 16] : kMagnitudes[32 - h];
    return m == 0.0f ? 0.0f : -m;
}

constexpr float Cosine(int32_t i) { return Sine(i + 8); }

constexpr std::array<Vec3, 32> MakeTable(float fx, float fy) {
    std::array<Vec3, 32> table{};
    for (int32_t i = 0; i < 32; ++i) table[std::size_t(i)] = Vec3(fx * Sine(i), fy * Cosine(i), 0.0f);
    return table;
}

} // namespace vehicle_headings_detail

inline constexpr int32_t kVehicleHeadings = 32;
/// The projection of the stage: a vertical distance on the ground shows half as long.
inline constexpr float kHeadingFactorX = 1.0f;
inline constexpr float kHeadingFactorY = 0.5f;

/// The heading vectors as the stage shows them: (sine, 0.5 x cosine, 0).
inline constexpr std::array<Vec3, 32> HeadingTable =
    vehicle_headings_detail::MakeTable(kHeadingFactorX, kHeadingFactorY);
/// The same directions on the ground: (sine, cosine, 0).
inline constexpr std::array<Vec3, 32> UnitHeadingTable = vehicle_headings_detail::MakeTable(1.0f, 1.0f);

/// The heading of an animation state: the state modulo 32, in 0..31 also for a negative state.
constexpr int32_t xVehicle_HeadingOf(int32_t state) { return ((state % 32) + 32) % 32; }

/// The heading whose table vector makes the smallest angle with (x, y); an angle counts as 0
/// when a length is 0, and among equal angles the highest heading wins.
int32_t IsoNearestHeading(float x, float y);
