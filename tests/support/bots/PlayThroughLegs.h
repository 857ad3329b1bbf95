#pragma once
// The game bot's towns in the order the whole game is played: the circus with vehicle 0, the
// zoo with vehicle 2, the city with vehicle 4, each with its roads and tasks.
#include <vector>

#include "tests/game/world/towns/TownScenario.h"
#include "tests/support/bots/GameBot.h"

namespace vqt::test {

inline TownLeg CircusLeg() { return {0, CircusRoads(), CircusTasks()}; }
inline TownLeg ZooLeg() { return {2, ZooRoads(), ZooTasks()}; }
inline TownLeg CityLeg() { return {4, CityRoads(), CityTasks()}; }

inline std::vector<TownLeg> PlayThroughLegs() { return {CircusLeg(), ZooLeg(), CityLeg()}; }

} // namespace vqt::test
