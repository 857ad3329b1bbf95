#include "tools/synthetic/TownFigures.h"

#include <cmath>
#include <cstdlib>

#include "tools/synthetic/CircusTownArt.h"
#include "tools/synthetic/GameData.h"

using namespace vqt::test;

namespace town {

namespace {

// Entries of the circus town's colours.
constexpr uint8_t kDark = 29, kSkin = 15, kWhite = 24;

Picture Draw(Figure figure, uint8_t body, int pose) {
    const int w = figure == Figure::Penguin ? 24 : 28, h = figure == Figure::Person ? 48 : 36;
    Picture p(w, h);
    const int step = pose == 0 || pose >= 7 ? 0 : (pose - 1) % 3 - 1;
    const int reach = pose >= 4 && pose <= 6 ? 2 : 1;
    const int lift = pose >= 7 && pose <= 9 ? 4 * (pose - 6) % 9 : 0;
    const int lean = pose >= 10 ? (pose == 10 ? -2 : 2) : 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int yy = y + lift, xx = x - lean;
            uint8_t colour = 0;
            switch (figure) {
            case Figure::Person: {
                const bool head = std::hypot(xx - 14, yy - 7) < 6;
                if (head) colour = kSkin;
                else if ((yy >= 13 && yy < 32 && xx >= 8 && xx < 20) ||
                         (yy >= 32 && yy < 48 && (std::abs(xx - 11 - step * reach * 3) < 3 || std::abs(xx - 17 + step * reach * 3) < 3)))
                    colour = body;
                if (xx >= 8 && xx < 10 && yy >= 5 && yy < 7) colour = kDark;
                break;
            }
            case Figure::Monkey: {
                const bool head = std::hypot(xx - 9, yy - 8) < 7;
                const bool trunk = std::hypot(xx - 15, yy - 20) < 8;
                const bool limbs = yy >= 24 && yy < 36 && (std::abs(xx - 11 - step * reach * 2) < 2 || std::abs(xx - 19 + step * reach * 2) < 2);
                const bool tail = xx >= 22 && xx < 27 && std::abs(yy - 14 - (xx - 22) / 2) < 2;
                if (head || trunk || limbs || tail) colour = body;
                if (std::hypot(xx - 7, yy - 9) < 3) colour = kSkin;
                break;
            }
            case Figure::Penguin: {
                const bool bodyPart = std::hypot((xx - 12) * 1.3, yy - 20) < 13;
                const bool feet = yy >= 32 && (std::abs(xx - 8 - step * reach) < 3 || std::abs(xx - 16 + step * reach) < 3);
                if (bodyPart) colour = std::hypot((xx - 10) * 1.6, yy - 22) < 8 ? kWhite : body;
                if (feet) colour = kSkin;
                if (xx >= 6 && xx < 8 && yy >= 10 && yy < 12) colour = kDark;
                break;
            }
            }
            if (colour) p.at(x, y) = colour;
        }
    return p;
}

} // namespace

uint32_t FigurePart(GameData& data, Figure figure, uint8_t colour) {
    std::vector<std::vector<Picture>> states;
    for (int pose = 0; pose < 12; ++pose) states.push_back({Draw(figure, colour, pose)});
    return data.parts.AddPart(circus::PartOf(states)).part;
}

uint32_t CagePart(GameData& data, uint8_t straw) {
    Picture p(160, 120);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            if (x % 16 == 0 || y < 3 || y >= 117) p.at(x, y) = kDark;
            else if (x < 50 || y >= 80) p.at(x, y) = straw;
        }
    return data.parts.AddPart(circus::PartOf({{p}})).part;
}

} // namespace town
