#include "tools/synthetic/TownCounterIcons.h"

#include "tools/synthetic/GameData.h"

namespace {

/// The place of the icon in the row, -1 when the row does not show it.
int PlaceOf(std::span<const towns::CounterShown> row, ChunkId icon) {
    for (size_t i = 0; i < row.size(); ++i)
        if (row[i].icon == icon) return int(i);
    return -1;
}

} // namespace

void AddTownCounterIcons(GameData& data, std::span<const towns::CounterShown> tasks,
                         std::span<const towns::CounterShown> mission, const vqt::test::PartPlan& taskArt,
                         const vqt::test::PartPlan& missionArt) {
    for (size_t i = 0; i < tasks.size(); ++i)
        AddSharedPart(data, InCounterSlot(taskArt, int(i)), ChunkEntryOf(tasks[i].icon));
    for (size_t i = 0; i < mission.size(); ++i) {
        const int slot = PlaceOf(tasks, mission[i].icon);
        AddSharedPart(data, InCounterSlot(missionArt, slot >= 0 ? slot : int(i)), ChunkEntryOf(mission[i].icon));
    }
}
