#include "tools/synthetic/CircusBystanders.h"

#include "engine/data/ChunkId.h"
#include "tools/synthetic/CircusTownArt.h"

using namespace vqt::test;

namespace circus {
namespace {

constexpr uint32_t kCharacterClass = 2400;

struct StandAt {
    int look;
    int16_t x, y;
};

// Beside the start and around the middle road with its spawn point, on the grass between the
// houses, the booth and the big top.
constexpr StandAt kPeople[] = {
    {0, 3460, 430}, {1, 3800, 450}, {0, 3500, 800}, {1, 3800, 820},  {0, 1880, 970},
    {1, 2100, 990}, {0, 1760, 1240}, {1, 2060, 1230}, {0, 1500, 990}, {1, 1380, 1250},
};

/// Every state of a look: the frames of a pose's cycle in each facing.
PartPlan BystanderPart(int look) {
    std::vector<std::vector<Picture>> states;
    states.push_back({Bystander(look, 0, 0, 0)});
    for (const int pose : {1, 2})
        for (const int facing : {0, 1, 2}) states.push_back({Bystander(look, facing, pose, 0), Bystander(look, facing, pose, 1)});
    states.push_back({Bystander(look, 0, 3, 0), Bystander(look, 0, 3, 1)});
    return PartOf(states);
}

} // namespace

Bystanders AddBystanders(GameData& data) {
    Bystanders made;
    uint32_t parts[2] = {};
    for (int look = 0; look < 2; ++look) parts[look] = data.parts.AddPart(BystanderPart(look)).part;
    made.spawnPartEntry = ChunkEntryOf(parts[0]);
    for (const StandAt& p : kPeople) {
        ObjectPlan person{.classId = kCharacterClass, .partId = parts[p.look]};
        person.properties.Pair(50, 1, p.x, p.y);
        made.people.push_back(person);
    }
    return made;
}

} // namespace circus
