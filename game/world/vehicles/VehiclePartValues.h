#pragma once
#include <cstdint>

/// Where a vehicle's part keeps the values the vehicles read (the game-data generator writes
/// its vehicle parts by the same numbers).
namespace vehicle_part {

/// The part byte naming the companion part's entry in the "part" data (0: none).
inline constexpr int32_t kCompanionEntryByte = 1;
/// The two part offsets at which the companion sits from the vehicle (x, then y).
inline constexpr int32_t kCompanionOffsetX = 1;
inline constexpr int32_t kCompanionOffsetY = 2;
/// The part words of the vehicle's shadow part that give the footprint's half-width and
/// half-length.
inline constexpr int32_t kFootprintHalfWidthWord = 1;
inline constexpr int32_t kFootprintHalfLengthWord = 2;

} // namespace vehicle_part
