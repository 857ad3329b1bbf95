#include "tools/synthetic/GroundProps.h"

#include "tools/synthetic/CircusTownArt.h"

using namespace vqt::test;

namespace {

constexpr uint32_t kObjectClass = 1100, kObjectFamily = 1100, kZBias = 1, kPlaceClass = 1060, kPlaceTarget = 1,
                   kViewFamily = 50, kViewPosition = 1;

} // namespace

ObjectPlan& LieFlat(ObjectPlan& object, int pictureHeight) {
    const int32_t bias = -(pictureHeight / 2 + kVehicleReach);
    object.properties.Long(kObjectFamily, kZBias, uint32_t(bias));
    return object;
}

ObjectPlan PlacePad(GameData& data, uint32_t number, int16_t x, int16_t y, int16_t targetX, int16_t targetY) {
    const PartPlan pad = circus::PadPart(int(number));
    ObjectPlan place{.classId = kPlaceClass, .objectId = number, .partId = data.parts.AddPart(pad).part};
    place.properties.Pair(kViewFamily, kViewPosition, x, y).Pair(kPlaceClass, kPlaceTarget, targetX, targetY);
    return LieFlat(place, pad.states[0].frames[0].picture.height);
}

ObjectPlan FlatPicture(uint32_t part, int pictureHeight, int16_t x, int16_t y) {
    ObjectPlan picture{.classId = kObjectClass, .partId = part};
    picture.properties.Pair(kViewFamily, kViewPosition, x, y);
    return LieFlat(picture, pictureHeight);
}
