#pragma once
// The circus town's characters: clowns that step out of the vehicle's way, a pickpocket who
// only answers a bump, a lion penned in its cage and three lost puppies to pick up.
#include <vector>

#include "tools/builders/ActivityBuilder.h"

struct GameData;

/// The characters' parts, and the objects that place them (south-west of the start, out of its
/// first view).
std::vector<vqt::test::ObjectPlan> CircusCharacters(GameData& data);
