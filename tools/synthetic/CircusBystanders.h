#pragma once
// The circus town's people: bystanders who stand, walk, run and wave among the houses, and the
// part the town's spawn points make their people from.
#include <cstdint>
#include <vector>

#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"

namespace circus {

/// The first road across the town's middle, where the spawn point the vehicle can run over lies.
constexpr int16_t kSpawnRoadY = 1088;
constexpr int16_t kRoadSpawnX = 2000;

struct Bystanders {
    /// The characters (class 2400) placed on the map.
    std::vector<vqt::test::ObjectPlan> people;
    /// The part entry that spawn points name for the people they make.
    uint16_t spawnPartEntry = 0;
};

/// The bystanders' parts (state 0 standing; 1-3 walking and 4-6 running toward, beside and
/// away from the viewer; 7 waving) in two looks, and where each bystander stands.
Bystanders AddBystanders(GameData& data);

} // namespace circus
