#pragma once
// The town road races played on the generator's data with arbitrary input, one after the
// other from a table of races, each for five virtual seconds.
#include <cstdint>
#include <span>

namespace vqt::fuzz {

/// Starts the game on the generated data and plays each race of the table with the input:
/// the driving keys, ALT, CTRL, ESC, ENTER and space, pointer moves and clicks. Each race must
/// keep its charges and leave for a plain screen; the saved record must read back.
void PlayEachRace(std::span<const uint8_t> input);

} // namespace vqt::fuzz
