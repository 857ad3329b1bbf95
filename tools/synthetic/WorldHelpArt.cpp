// The driving worlds' screen help: the guide arrow {2, 0, 543} (state 0 blank, states 1-8 an
// arrow pointing up, up-right, right ... up-left), the marker over its target {2, 0, 1197} (a
// ring) and the drive tutorial's picture {2, 0, 1051}: four boards, one a spoken line, whose
// later states carry the tones {7, 0, 7}, {7, 0, 8} and {7, 0, 6} as their sounds.
#include <cmath>

#include "engine/data/ChunkId.h"
#include "tools/synthetic/CircusTownArt.h"
#include "tools/synthetic/GameData.h"

using namespace vqt::test;

namespace {

// Colours of the circus town's palette.
constexpr uint8_t kRed = 23, kWhite = 24, kYellow = 11, kBlue = 19, kDark = 29, kGreen = 25;
constexpr int kArrowSize = 64;
constexpr int kBoardWidth = 240, kBoardHeight = 150;

/// An arrow from the centre toward (dx, dy): a shaft and a head, outlined in white.
Picture Arrow(double dx, double dy) {
    Picture p(kArrowSize, kArrowSize);
    const double c = kArrowSize / 2.0;
    for (int y = 0; y < kArrowSize; ++y)
        for (int x = 0; x < kArrowSize; ++x) {
            // Along the arrow (a) and across it (b), from the centre.
            const double a = (x - c) * dx + (y - c) * dy, b = -(x - c) * dy + (y - c) * dx;
            const bool shaft = a > -24 && a < 6 && std::fabs(b) < 5;
            const bool head = a >= 6 && a < 28 && std::fabs(b) < (28 - a) * 0.7;
            const bool rim = (a > -26 && a < 8 && std::fabs(b) < 7) || (a >= 4 && a < 30 && std::fabs(b) < (30 - a) * 0.7 + 1);
            if (shaft || head) p.at(x, y) = kRed;
            else if (rim) p.at(x, y) = kWhite;
        }
    return p;
}

Picture Ring() {
    Picture p(48, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            const double r = std::hypot(x - 23.5, y - 23.5);
            if (r > 16 && r < 23) p.at(x, y) = kYellow;
        }
    return p;
}

/// A tutorial board: a frame, and the picture of its line (0 the vehicle, 1 the keys, 2 the
/// pointer, 3 the way points).
Picture Board(int line) {
    Picture p(kBoardWidth, kBoardHeight, kWhite);
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x) {
            if (x < 4 || y < 4 || x >= kBoardWidth - 4 || y >= kBoardHeight - 4) p.at(x, y) = kBlue;
            const int cx = x - kBoardWidth / 2, cy = y - kBoardHeight / 2;
            bool ink = false;
            if (line == 0) ink = std::abs(cx) < 50 && std::abs(cy) < 20; // a car
            if (line == 1) ink = (std::abs(cx) < 14 && std::abs(cy + 30) < 14) || (std::abs(cy - 5) < 14 && std::abs(cx) < 50 && std::abs(cx) % 36 < 28);
            if (line == 2) ink = cx > -20 && cy > -30 && cy < 30 && cx < -20 + (cy + 30); // a pointer
            if (line == 3) ink = std::hypot(cx, cy) < 30 && std::hypot(cx, cy) > 18; // a pad
            if (ink) p.at(x, y) = line == 2 ? kDark : line == 3 ? kGreen : kRed;
        }
    return p;
}

} // namespace

void AddWorldHelpArt(GameData& data) {
    std::vector<std::vector<Picture>> arrow{{Picture(kArrowSize, kArrowSize)}};
    const double d[8][2] = {{0, -1}, {0.7071, -0.7071}, {1, 0}, {0.7071, 0.7071}, {0, 1}, {-0.7071, 0.7071}, {-1, 0}, {-0.7071, -0.7071}};
    for (const auto& v : d) arrow.push_back({Arrow(v[0], v[1])});
    data.parts.AddPart(circus::PartOf(arrow), 543);
    data.parts.AddPart(circus::PartOf({{Ring()}}), 1197);
    PartPlan tutorial = circus::PartOf({{Board(0)}, {Board(1)}, {Board(2)}, {Board(3)}});
    const uint16_t sounds[] = {7, 8, 6};
    for (int s = 1; s < 4; ++s) tutorial.states[size_t(s)].soundId = MakeChunkId(GameData::kSnippets, sounds[s - 1]);
    data.parts.AddPart(tutorial, 1051);
}
