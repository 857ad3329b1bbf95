#include "tools/synthetic/CircusCharacters.h"

#include <cmath>
#include <cstdlib>

#include "tools/synthetic/CircusTownArt.h"
#include "tools/synthetic/GameData.h"

using namespace vqt::test;

namespace {

constexpr uint8_t kRed = 23, kYellow = 11, kDark = 29, kBrown = 27, kSkin = 15;
enum : uint32_t { kFollower = 2410, kAvoider = 2420, kBadGuy = 2430, kCaptive = 2440, kPen = 2450 };

/// A figure facing left (the engine mirrors it for the right), in a pose: 0 standing, 1-3 a
/// walking step, 4-6 a running one, 7-9 waving or jumping.
Picture Figure(uint8_t body, int pose, bool dog) {
    const int w = dog ? 36 : 28, h = dog ? 24 : 48;
    Picture p(w, h);
    const int step = pose == 0 || pose >= 7 ? 0 : (pose - 1) % 3 - 1;
    const int reach = pose >= 4 && pose <= 6 ? 2 : 1;
    const int lift = pose >= 7 ? 4 * (pose - 6) % 9 : 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int yy = y + lift;
            bool fill = false;
            uint8_t colour = body;
            if (dog) {
                fill = (yy >= 8 && yy < 16 && x >= 6 && x < 30) ||                                // body
                       (yy >= 2 && yy < 11 && x >= 0 && x < 9) ||                                 // head
                       (yy >= 16 && yy < 24 && (std::abs(x - 9 - step * reach * 2) < 2 || std::abs(x - 26 + step * reach * 2) < 2)) ||
                       (yy >= 4 && yy < 9 && x >= 30 && x < 34);                                  // tail
                if (x >= 1 && x < 3 && yy >= 4 && yy < 6) colour = kDark;
            } else {
                const bool head = std::hypot(x - 14, yy - 7) < 6;
                fill = head || (yy >= 13 && yy < 32 && x >= 8 && x < 20) ||
                       (yy >= 32 && yy < 48 && (std::abs(x - 11 - step * reach * 3) < 3 || std::abs(x - 17 + step * reach * 3) < 3)) ||
                       (pose >= 7 && yy >= 2 && yy < 16 && std::abs(x - 23) < 2);                 // a raised arm
                if (head) colour = kSkin;
                if (x >= 8 && x < 10 && yy >= 5 && yy < 7) colour = kDark;
            }
            if (fill) p.at(x, y) = colour;
        }
    return p;
}

uint32_t CharacterPart(GameData& data, uint8_t body, bool dog) {
    std::vector<std::vector<Picture>> states;
    for (int pose = 0; pose < 10; ++pose) states.push_back({Figure(body, pose, dog)});
    return data.parts.AddPart(circus::PartOf(states)).part;
}

/// A cage of bars on an L of straw: the captive walks only on the straw.
Picture Cage() {
    Picture p(160, 120);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            if (x % 16 == 0 || y < 3 || y >= 117) p.at(x, y) = kDark;
            else if (x < 50 || y >= 80) p.at(x, y) = kYellow;
        }
    return p;
}

ObjectPlan At(uint32_t classId, uint32_t objectId, uint32_t part, int16_t x, int16_t y) {
    ObjectPlan object{.classId = classId, .objectId = objectId, .partId = part};
    object.properties.Pair(50, 1, x, y);
    return object;
}

} // namespace

std::vector<ObjectPlan> CircusCharacters(GameData& data) {
    const uint32_t clown = CharacterPart(data, kRed, false);
    const uint32_t thief = CharacterPart(data, kDark, false);
    const uint32_t lion = CharacterPart(data, kYellow, true);
    const uint32_t puppy = CharacterPart(data, kBrown, true);
    const uint32_t cage = data.parts.AddPart(circus::PartOf({{Cage()}})).part;
    return {
        At(kAvoider, 0, clown, 2900, 1100), At(kAvoider, 0, clown, 3100, 1250),
        At(kBadGuy, 0, thief, 3000, 1500),
        At(kPen, 7, cage, 2700, 1700),      At(kCaptive, 6, lion, 2690, 1720),
        At(kFollower, 0, puppy, 2600, 1200), At(kFollower, 0, puppy, 2750, 1300), At(kFollower, 0, puppy, 2850, 1400),
    };
}
