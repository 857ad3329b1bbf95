// The town bot's rules that need no running town: the top right corner of the town's
// certificate button, which its pointer and so its clicks keep clear of; the line toward an aim
// beyond the view's edge, which the pointer keeps; and the way it brings a chain in tow onto a
// place, along the road the place lies on (the circus town's dog house, between the dog house
// above its door and a house below it).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/game/world/towns/TownScenario.h"
#include "tests/support/TownBot.h"

namespace vqt::test {
namespace {

/// How far `p` lies off the line through `from` and `to`.
double OffTheLine(const CPointF& from, const CPointF& to, const CPointF& p) {
    const double dx = double(to.x) - from.x, dy = double(to.y) - from.y;
    return std::fabs(dx * (double(p.y) - from.y) - dy * (double(p.x) - from.x)) / std::max(1e-9, std::hypot(dx, dy));
}

TEST(TownBotTest, EveryPointOfTheCertificateButtonAndItsRimLiesInItsCorner) {
    // The crate stands 30 pixels high on its foot, some 35 wide about its middle.
    const StagePoint foot = buttons::kTownCertificateFoot;
    for (int y = foot.y - 35; y <= foot.y + 12; ++y)
        for (int x = foot.x - 25; x <= foot.x + 25; ++x) EXPECT_TRUE(TownBot::NearCertificateButton(x, y)) << x << " " << y;
    // The rest of the view is the pointer's.
    const StagePoint away[] = {{320, 240}, {20, 20}, {foot.x, foot.y + 60}, {foot.x - 60, foot.y - 60}, {620, 460}};
    for (const StagePoint& p : away) EXPECT_FALSE(TownBot::NearCertificateButton(p.x, p.y)) << p.x << " " << p.y;
}

TEST(TownBotTest, APointerInTheButtonsCornerComesBackTowardTheVehicleClearOfIt) {
    struct Case {
        CPointF vehicle;
        CPoint16 pointer;
    };
    const Case cases[] = {
        {{320, 240}, {620, 20}},  // the view's corner
        {{320, 240}, {600, 85}},  // the button's middle
        {{320, 240}, {600, 100}}, // its foot
        {{560, 300}, {590, 60}},  // from below it
        {{100, 60}, {630, 60}},   // from its left
    };
    for (const Case& c : cases) {
        const CPoint16 moved = TownBot::ClearOfCertificateButton(c.vehicle, c.pointer);
        EXPECT_FALSE(TownBot::NearCertificateButton(moved.x, moved.y)) << moved.x << " " << moved.y;
        EXPECT_LT(OffTheLine(c.vehicle, CPointF(c.pointer.x, c.pointer.y), CPointF(moved.x, moved.y)), 1.5) << "on its line";
        EXPECT_LT(std::hypot(moved.x - c.vehicle.x, moved.y - c.vehicle.y), std::hypot(c.pointer.x - c.vehicle.x, c.pointer.y - c.vehicle.y));
    }
    // A vehicle standing in the corner itself (at the map's edge) has the pointer left of it.
    const CPoint16 left = TownBot::ClearOfCertificateButton(CPointF(610, 50), CPoint16(630, 30));
    EXPECT_FALSE(TownBot::NearCertificateButton(left.x, left.y));
}

TEST(TownBotTest, APointerForAnAimBeyondTheViewKeepsTheLineToTheAim) {
    const CRect16 view(1000, 1000, 1640, 1480);
    const CPointF at(1320, 1240);
    // Beyond one edge or two, and within the view (kept as it is).
    const CPointF aims[] = {{1608, 1851}, {2500, 1300}, {300, 200}, {1320, 3000}, {1700, 900}, {1400, 1300}};
    for (const CPointF& aim : aims) {
        const CPoint16 p = TownBot::PointerToward(view, at, aim);
        const CPointF onStage(float(p.x + view.left), float(p.y + view.top));
        EXPECT_GE(p.x, 20);
        EXPECT_LE(p.x, 620);
        EXPECT_GE(p.y, 20);
        EXPECT_LE(p.y, 460);
        EXPECT_LT(OffTheLine(at, aim, onStage), 1.5) << aim.x << " " << aim.y;
        if (aim.x > 1020 && aim.x < 1620 && aim.y > 1020 && aim.y < 1460) {
            EXPECT_LT(std::hypot(onStage.x - aim.x, onStage.y - aim.y), 1.0);
        }
    }
}

TEST(TownBotTest, AChainInTowComesOntoThePlaceAlongTheRoadItLiesOn) {
    const TownBot bot(CircusRoads(), TownBot::Task{});
    const CPointF dogHouse(1664, 1856);
    struct Case {
        CPointF from;
        float crossingX; // the crossing of the place's road it comes from; 0: none, it is on that road
    };
    const Case cases[] = {
        {{1543, 1245}, 1216}, // above the dog house, left of its door
        {{1800, 1300}, 2112}, // above it, right of its door
        {{1650, 2500}, 1216}, // below the house beneath it
        {{900, 600}, 1216},   // far off
        {{1400, 1860}, 0},    // on its road, between the crossing and the door
    };
    for (const Case& c : cases) {
        const std::vector<CPointF> way = bot.LinedUp(c.from, dogHouse);
        ASSERT_FALSE(way.empty());
        EXPECT_EQ(way.back().x, dogHouse.x);
        EXPECT_EQ(way.back().y, dogHouse.y);
        if (c.crossingX == 0.0f) {
            EXPECT_EQ(way.size(), 1u) << c.from.x << " " << c.from.y;
            continue;
        }
        ASSERT_GE(way.size(), 2u);
        const CPointF& before = way[way.size() - 2];
        EXPECT_EQ(before.x, c.crossingX) << c.from.x << " " << c.from.y;
        EXPECT_EQ(before.y, dogHouse.y) << "the last leg runs along the road";
    }
}

} // namespace
} // namespace vqt::test
