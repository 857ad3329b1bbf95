#pragma once
// The circus town's art: its colours, the tile sheet of its map and the pictures of its props,
// all drawn here in code.
#include <cstdint>
#include <vector>

#include "tools/builders/ImageWriters.h"
#include "tools/builders/PartBuilder.h"

namespace circus {

/// The edge of a map tile, which is also the edge of the world's search cells.
constexpr int kTile = 128;

/// The tiles of the sheet, in sheet order.
enum Tile : uint16_t { kGrassTile, kFlowerTile, kRoadAcross, kRoadDown, kCrossing, kSandTile, kPavingTile, kWaterTile, kTileCount };

/// The town's 256 colours (0x00BBGGRR), 0 unused (transparent in the props).
std::vector<uint32_t> Colours();
/// The same colours as red, green, blue bytes, for the parts' own palettes.
std::vector<uint8_t> PartColours();

/// The tile sheet: every tile of `Tile` in one row.
vqt::test::IndexedPicture TileSheet();

// The props' pictures.
vqt::test::Picture Sack(int lean);
vqt::test::Picture Flame(int height);
vqt::test::Picture Lamp(bool lit);
vqt::test::Picture Coin();
vqt::test::Picture Crate(int cracks);
/// A house of `storeys` rows of windows, walls and roof in the colour pair `style` (0-3).
vqt::test::Picture House(int width, int storeys, int style);
/// The big top: a striped tent.
vqt::test::Picture BigTop();
vqt::test::Picture DogHouse();
vqt::test::Picture Tree(int size);
/// A duck on the pond, `sunk` rows of it under water.
vqt::test::Picture Duck(int sunk);
vqt::test::Picture Cone(bool tipped);
vqt::test::Picture Manhole();
/// A striped awning over a door, the add-on of a building.
vqt::test::Picture Awning();
/// The pad of a place where something happens: a filled shape of its own in the colour of its
/// number, edged in white (in yellow when lit), with the emblem of what happens there in the
/// middle (0 the way out, 1-4 the arcade, the race, the puzzle and the round-up, 5 home).
vqt::test::Picture Pad(int number, bool lit = false);
/// The pad's part: one state whose edge flashes, so that it catches the eye from afar.
vqt::test::PartPlan PadPart(int number);
vqt::test::Picture Flag();

/// A bystander in one of two looks, facing the viewer (0), to the right (1) or away (2),
/// standing (pose 0), walking (1), running (2) or waving (3), at a step of the pose's cycle.
vqt::test::Picture Bystander(int look, int facing, int pose, int step);

/// The size of a vehicle's pictures (its light's too).
constexpr int kVehicleWidth = 72;
constexpr int kVehicleHeight = 56;
/// A town's vehicle, by its garage value, in the garage's body colour (an upgrade with its
/// ladder on the roof) seen at one of 32 headings (11.25 degrees apart, 0 down the screen,
/// counter-clockwise), group 1 with its roof lit.
vqt::test::Picture DrivenVehicle(int value, int heading, int group);
/// The dark patch under a vehicle, the size of its footprint seen from the side.
vqt::test::Picture VehicleShadow(int halfWidth, int halfLength);
/// The siren light on the roof of a vehicle at a heading, in a picture of the vehicle's size.
vqt::test::Picture SirenLight(int value, int heading);
/// The ticket booth, and its base: the footprint the booth stands on, in a picture of the
/// booth's size (the base line runs from the left edge at `leftY` below the centre down to the
/// bottom at `splitX` from the centre and up to the right edge at `rightY`).
vqt::test::Picture TicketBooth();
vqt::test::Picture BoothBase(int leftY, int splitX, int rightY);

/// One frame per picture in each state; the frames' hot spot is the picture's centre, so that
/// a prop's position is the centre of its box.
vqt::test::PartPlan PartOf(const std::vector<std::vector<vqt::test::Picture>>& states);

} // namespace circus
