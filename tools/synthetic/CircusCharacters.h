#pragma once
// The circus town's characters: clowns that step out of the vehicle's way and a pickpocket who
// only answers a bump (the puppies and the penned captives belong to the town's tasks).
#include <vector>

#include "tools/builders/ActivityBuilder.h"

struct GameData;

/// The characters' parts, and the objects that place them (south-west of the start, out of its
/// first view).
std::vector<vqt::test::ObjectPlan> CircusCharacters(GameData& data);
