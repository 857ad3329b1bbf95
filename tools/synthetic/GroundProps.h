#pragma once
// The places' pads and the manholes lie flat on a town's ground: whatever stands on them or
// drives over them is drawn over them. A prop's draw priority follows its vertical place plus its
// z bias, so a pad sorts as if it stood a vehicle's reach above its picture's top edge: a vehicle
// whose picture or shadow reaches onto it from any side, driving, standing or restored there,
// sorts over it, and so do the people on it.
#include <cstdint>

#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"

/// How far below its middle a vehicle's picture and its shadow reach on the stage, at any heading.
inline constexpr int kVehicleReach = 18;

/// Lays a prop that reads the z bias flat: its bias is minus half its picture's height and a
/// vehicle's reach.
vqt::test::ObjectPlan& LieFlat(vqt::test::ObjectPlan& object, int pictureHeight);

/// The pad of the town's place `number` at (x, y), flat on the ground, with the point (targetX,
/// targetY) it hands to what the place starts.
vqt::test::ObjectPlan PlacePad(GameData& data, uint32_t number, int16_t x, int16_t y, int16_t targetX, int16_t targetY);

/// A plain picture flat on the ground at (x, y) that does nothing else (nothing meets it): the look
/// of a prop that cannot lie flat itself, drawn under what drives over it.
vqt::test::ObjectPlan FlatPicture(uint32_t part, int pictureHeight, int16_t x, int16_t y);
