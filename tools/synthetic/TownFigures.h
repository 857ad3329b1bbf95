#pragma once
// The city's and the zoo's characters, drawn in the circus town's colours: people (criminals,
// bystanders, the captive and the keeper), monkeys and penguins, each in twelve poses so that a
// guard finds its patrol frame (state 11).
#include <cstdint>

struct GameData;

namespace town {

enum class Figure { Person, Monkey, Penguin };

/// A character part: state 0 standing, 1-3 a walking step, 4-6 a running one, 7-9 waving or
/// jumping, 10 and 11 standing turned aside; `colour` is the body's entry of the town colours.
uint32_t FigurePart(GameData& data, Figure figure, uint8_t colour);

/// A cage of bars on an L of straw, the pen a captive walks in.
uint32_t CagePart(GameData& data, uint8_t straw);

} // namespace town
