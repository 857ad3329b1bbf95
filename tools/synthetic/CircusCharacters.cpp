#include "tools/synthetic/CircusCharacters.h"

#include <cmath>
#include <cstdlib>

#include "tools/synthetic/CircusTownArt.h"
#include "tools/synthetic/GameData.h"

using namespace vqt::test;

namespace {

constexpr uint8_t kRed = 23, kDark = 29, kSkin = 15;
enum : uint32_t { kAvoider = 2420, kBadGuy = 2430 };

/// A figure facing left (the engine mirrors it for the right), in a pose: 0 standing, 1-3 a
/// walking step, 4-6 a running one, 7-9 waving or jumping.
Picture Figure(uint8_t body, int pose) {
    Picture p(28, 48);
    const int step = pose == 0 || pose >= 7 ? 0 : (pose - 1) % 3 - 1;
    const int reach = pose >= 4 && pose <= 6 ? 2 : 1;
    const int lift = pose >= 7 ? 4 * (pose - 6) % 9 : 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 28; ++x) {
            const int yy = y + lift;
            uint8_t colour = body;
            const bool head = std::hypot(x - 14, yy - 7) < 6;
            const bool fill = head || (yy >= 13 && yy < 32 && x >= 8 && x < 20) ||
                              (yy >= 32 && yy < 48 && (std::abs(x - 11 - step * reach * 3) < 3 || std::abs(x - 17 + step * reach * 3) < 3)) ||
                              (pose >= 7 && yy >= 2 && yy < 16 && std::abs(x - 23) < 2); // a raised arm
            if (head) colour = kSkin;
            if (x >= 8 && x < 10 && yy >= 5 && yy < 7) colour = kDark;
            if (fill) p.at(x, y) = colour;
        }
    return p;
}

uint32_t CharacterPart(GameData& data, uint8_t body) {
    std::vector<std::vector<Picture>> states;
    for (int pose = 0; pose < 10; ++pose) states.push_back({Figure(body, pose)});
    return data.parts.AddPart(circus::PartOf(states)).part;
}

ObjectPlan At(uint32_t classId, uint32_t objectId, uint32_t part, int16_t x, int16_t y) {
    ObjectPlan object{.classId = classId, .objectId = objectId, .partId = part};
    object.properties.Pair(50, 1, x, y);
    return object;
}

} // namespace

std::vector<ObjectPlan> CircusCharacters(GameData& data) {
    const uint32_t clown = CharacterPart(data, kRed);
    const uint32_t thief = CharacterPart(data, kDark);
    return {
        At(kAvoider, 0, clown, 2900, 1100), At(kAvoider, 0, clown, 3100, 1250),
        At(kBadGuy, 0, thief, 3000, 1500),
    };
}
