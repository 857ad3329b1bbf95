#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/base/Point.h"
#include "game/shell/Headings.h"

/// The headings of the driven vehicles: the game's one heading table (game/shell/Headings.h),
/// as vectors with a height, and beside it the same directions on the ground.
namespace vehicle_headings_detail {

constexpr std::array<Vec3, 32> MakeTable(float fx, float fy) {
    std::array<Vec3, 32> table{};
    for (int32_t i = 0; i < 32; ++i)
        table[std::size_t(i)] = Vec3(fx * headings_detail::Sine(i), fy * headings_detail::Cosine(i), 0.0f);
    return table;
}

} // namespace vehicle_headings_detail

inline constexpr int32_t kVehicleHeadings = 32;
/// The projection of the stage: a vertical distance on the ground shows half as long.
inline constexpr float kHeadingFactorX = 1.0f;
inline constexpr float kHeadingFactorY = 0.5f;

/// The heading vectors as the stage shows them: (sine, 0.5 x cosine, 0), the shared table's.
inline constexpr std::array<Vec3, 32> HeadingTable =
    vehicle_headings_detail::MakeTable(kHeadingFactorX, kHeadingFactorY);
/// The same directions on the ground: (sine, cosine, 0).
inline constexpr std::array<Vec3, 32> UnitHeadingTable = vehicle_headings_detail::MakeTable(1.0f, 1.0f);

/// The heading of an animation state: the state modulo 32, in 0..31 also for a negative state.
constexpr int32_t xVehicle_HeadingOf(int32_t state) { return ((state % 32) + 32) % 32; }
