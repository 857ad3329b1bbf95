#pragma once
// The circus town's two vehicles and the ticket booth, the town's blocker with a shaped base.
#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"

/// The parts of both circus vehicles at the entries the town asks for: 32 headings in two
/// groups, each with its shadow (which carries the footprint's half-sizes) and its siren light.
void AddCircusVehicles(GameData& data);
/// One vehicle's parts in the same way: the body at `part` in the look the garage gives the
/// vehicle of garage value `value`, its siren light at `light`, its shadow at a free entry.
void AddVehicleParts(GameData& data, uint16_t value, uint16_t part, uint16_t light, int halfWidth, int halfLength);
/// The ticket booth beside the town's start, standing on a shaped base.
vqt::test::ObjectPlan TicketBoothProp(GameData& data);
