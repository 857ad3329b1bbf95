#pragma once
// The garage's six vehicles (by their garage value: 0-1 the circus town's, 2-3 the zoo's, 4-5
// the city's) as every screen draws them: the body's colour, and the ladder the upgrades carry.
#include <array>
#include <cstdint>

namespace vehicle_look {

inline constexpr int kVehicles = 6;

/// Red, green and blue packed as the generator's palettes keep them.
constexpr uint32_t Rgb(int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }

/// Red, blue, navy, green, yellow and brown.
inline constexpr std::array<uint32_t, kVehicles> kBodies = {Rgb(220, 40, 40), Rgb(60, 110, 230), Rgb(30, 40, 110),
                                                            Rgb(90, 140, 50), Rgb(230, 200, 30), Rgb(150, 80, 40)};

/// The second vehicle of each town, its upgrade, carries a ladder.
constexpr bool CarriesLadder(int value) { return value % 2 == 1; }

} // namespace vehicle_look
