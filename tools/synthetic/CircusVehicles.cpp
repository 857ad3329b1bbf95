// The circus vehicles: the fire engine (vehicle 0, part 209) and the water car (vehicle 1, part
// 87). A vehicle part shows heading h of group g in state g x 32 + h; its part values name the
// shadow part (whose words give the footprint's half-width and half-length) and the companion
// part (none), and the siren lights sit at the entries the town gives each vehicle.
#include "tools/synthetic/CircusVehicles.h"

#include "engine/data/ChunkId.h"
#include "game/world/vehicles/VehiclePartValues.h"
#include "tools/synthetic/CircusTownArt.h"

using namespace vqt::test;
using namespace circus;

namespace {

constexpr int kHeadings = 32;
constexpr int kGroups = 2;

struct CircusVehiclePlan {
    uint16_t value;
    uint16_t part;
    uint16_t light;
    int halfWidth;
    int halfLength;
};
constexpr CircusVehiclePlan kVehicles[] = {{0, 209, 776, 15, 30}, {1, 87, 545, 14, 28}};

/// One picture per heading and group, all drawn at the picture's centre; the light's frames
/// hang from their bottom right corner, since it is placed at the vehicle's anchor point (the
/// vehicle's position plus its hot spot).
PartPlan HeadingPart(bool light, uint16_t value) {
    PartPlan plan;
    plan.palette = PartColours();
    for (int g = 0; g < kGroups; ++g)
        for (int h = 0; h < kHeadings; ++h) {
            const Picture picture = light ? SirenLight(value, h) : DrivenVehicle(value, h, g);
            const int16_t hotX = int16_t(light ? kVehicleWidth : kVehicleWidth / 2);
            const int16_t hotY = int16_t(light ? kVehicleHeight : kVehicleHeight / 2);
            plan.states.push_back(StatePlan{.frames = {FramePlan{.picture = picture, .hotX = hotX, .hotY = hotY}}});
        }
    return plan;
}

/// The value slots of the part values the vehicles read (numbered from 1).
template <class T, size_t N>
T& Slot(T (&values)[N], int32_t number) {
    return values[size_t(number - 1)];
}

} // namespace

void AddVehicleParts(GameData& data, uint16_t value, uint16_t part, uint16_t light, int halfWidth, int halfLength) {
    PartPlan shadow = PartOf({{VehicleShadow(halfWidth, halfLength)}});
    Slot(shadow.words, vehicle_part::kFootprintHalfWidthWord) = uint16_t(halfWidth);
    Slot(shadow.words, vehicle_part::kFootprintHalfLengthWord) = uint16_t(halfLength);
    const uint16_t shadowEntry = ChunkEntryOf(data.parts.AddPart(shadow).part);

    PartPlan body = HeadingPart(false, value);
    // The shadow's entry is the part's first word, which every game object reads for it.
    body.words[0] = shadowEntry;
    // No companion: its entry is a single byte, and parts made here without an entry of their
    // own are numbered from 2000 on, so a byte could only name some other art by mistake.
    Slot(body.bytes, vehicle_part::kCompanionEntryByte) = 0;
    data.parts.AddPart(body, part);
    data.parts.AddPart(HeadingPart(true, value), light);
}

void AddCircusVehicles(GameData& data) {
    for (const CircusVehiclePlan& v : kVehicles) AddVehicleParts(data, v.value, v.part, v.light, v.halfWidth, v.halfLength);
}

ObjectPlan TicketBoothProp(GameData& data) {
    constexpr int kLeftY = 20, kSplitX = -10, kRightY = 30;
    PartPlan base = PartOf({{BoothBase(kLeftY, kSplitX, kRightY)}});
    // The base line's three words: the left edge's height, the split column, the right edge's.
    base.words[0] = uint16_t(kLeftY);
    base.words[1] = uint16_t(int16_t(kSplitX));
    base.words[2] = uint16_t(kRightY);
    const uint16_t baseEntry = ChunkEntryOf(data.parts.AddPart(base).part);
    PartPlan booth = PartOf({{TicketBooth()}});
    booth.words[1] = baseEntry; // the second word names the part a prop stands on
    ObjectPlan prop{.classId = 1530, .objectId = 0, .partId = data.parts.AddPart(booth).part};
    prop.properties.Pair(50, 1, 3790, 620).Byte(1100, 3, 0).Byte(1100, 4, 1);
    return prop;
}
