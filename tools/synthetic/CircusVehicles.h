#pragma once
// The circus town's two vehicles and the ticket booth, the town's blocker with a shaped base.
#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"

/// The parts of both circus vehicles at the entries the town asks for: 32 headings in two
/// groups, each with its shadow (which carries the footprint's half-sizes), its siren light and
/// its hose reel.
void AddCircusVehicles(GameData& data);
/// The ticket booth beside the town's start, standing on a shaped base.
vqt::test::ObjectPlan TicketBoothProp(GameData& data);
