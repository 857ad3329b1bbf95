#pragma once
// The icons of a town's counters (its tasks' and its mission's) on the counter bar.
#include <span>

#include "game/world/towns/TownTables.h"
#include "tools/builders/PartBuilder.h"

struct GameData;

/// Adds each counter's icon unless a screen made before has it: a task counter's in the slot of
/// its place in the row, a mission counter's in the slot its icon has among the task counters (or
/// else that of its own place), so that the icon stands in one slot whichever row shows it.
/// `taskArt` and `missionArt` are the pictures of icons first made by each row.
void AddTownCounterIcons(GameData& data, std::span<const towns::CounterShown> tasks,
                         std::span<const towns::CounterShown> mission, const vqt::test::PartPlan& taskArt,
                         const vqt::test::PartPlan& missionArt);
