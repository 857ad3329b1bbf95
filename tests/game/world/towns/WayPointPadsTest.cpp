// The pads of the towns' places, where the way out, the four games and home are entered. Each
// has a shape and a colour of its own that nothing else in the towns shows, is filled (no ring
// like the pointer's target) and flashes; and in the generated circus town the town's own guide
// arrow, pointed at the nearest armed pad as the town does once no task is left, leads a driver
// there: the pad shows on the stage in its colour where it lies, and stopping on it asks
// whether to play that pad's game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "game/shell/Player.h"
#include "game/world/WorldClasses.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tests/game/world/towns/TownStartTest.h"
#include "tools/builders/StoredRecord.h"
#include "tools/synthetic/CircusTownArt.h"
#include "tools/synthetic/VehicleLooks.h"

namespace vqt::test {
namespace {

constexpr int kPads = 6;

/// The colour index a pad shows most of those that no other pad shows, with its count.
std::pair<uint8_t, long> OwnColour(int number) {
    std::map<uint8_t, long> counts;
    for (uint8_t v : circus::Pad(number).pixels)
        if (v != 0) ++counts[v];
    for (int other = 0; other < kPads; ++other)
        for (uint8_t v : other == number ? std::vector<uint8_t>{} : circus::Pad(other).pixels) counts.erase(v);
    if (counts.empty()) return {0, 0};
    return *std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; });
}

/// Every other picture a town shows: its tiles, its buildings, props, people and vehicles.
std::vector<Picture> OtherTownPictures() {
    using namespace circus;
    const IndexedPicture sheet = circus::TileSheet();
    Picture tiles(sheet.width, sheet.height);
    tiles.pixels = sheet.pixels;
    std::vector<Picture> pictures = {tiles,      Sack(0),        Flame(36),      Lamp(true), Lamp(false), Coin(),
                                     Crate(0),   House(220, 4, 1), House(180, 2, 3), BigTop(), DogHouse(),  Tree(96),
                                     Duck(0),    Cone(false),    Manhole(),      Awning(),   Flag(),      TicketBooth()};
    for (int look = 0; look < 2; ++look) pictures.push_back(Bystander(look, 0, 1, 0));
    for (int vehicle = 0; vehicle < vehicle_look::kVehicles; ++vehicle)
        for (int heading = 0; heading < 32; heading += 4) pictures.push_back(DrivenVehicle(vehicle, heading, 1));
    return pictures;
}

TEST(WayPointPadLookTest, EachPadIsALargeFilledShapeInAColourOfItsOwnThatFlashes) {
    std::vector<Picture> pads;
    for (int n = 0; n < kPads; ++n) pads.push_back(circus::Pad(n));
    std::set<uint8_t> otherColours;
    for (const Picture& p : OtherTownPictures()) otherColours.insert(p.pixels.begin(), p.pixels.end());
    for (int n = 0; n < kPads; ++n) {
        SCOPED_TRACE("pad " + std::to_string(n));
        const Picture& pad = pads[size_t(n)];
        // Seen from afar: at least 100 x 50 pixels, and filled to its middle (the emblem).
        EXPECT_GE(pad.width, 100);
        EXPECT_GE(pad.height, 50);
        EXPECT_NE(pad.at(pad.width / 2, pad.height / 2), 0) << "a ring, like the pointer's target";
        const auto filled = std::count_if(pad.pixels.begin(), pad.pixels.end(), [](uint8_t v) { return v != 0; });
        EXPECT_GE(filled * 2, long(pad.pixels.size()));
        // A colour of its own that covers a third of it at least.
        const auto [own, count] = OwnColour(n);
        EXPECT_GE(count * 3, filled) << "the pad has no colour of its own";
        EXPECT_EQ(otherColours.count(own), 0u) << "the pad's colour shows elsewhere in the towns";
        EXPECT_NE(circus::Pad(n, true).pixels, pad.pixels) << "the pad flashes";
        const vqt::test::PartPlan part = circus::PadPart(n);
        ASSERT_EQ(part.states.size(), 1u);
        EXPECT_EQ(part.states[0].frames.size(), 2u);
        for (int m = 0; m < n; ++m) {
            const Picture& other = pads[size_t(m)];
            long differ = 0;
            for (size_t i = 0; i < pad.pixels.size() && other.pixels.size() == pad.pixels.size(); ++i)
                differ += (pad.pixels[i] != 0) != (other.pixels[i] != 0);
            EXPECT_GE(differ * 10, filled) << "pads " << m << " and " << n << " share their shape";
        }
    }
}

class WayPointPadsScenarioTest : public ShellScenarioTest {
protected:
    static constexpr uint32_t kFrameMs = 16;
    static constexpr int16_t kSlot = 2;

    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
    }
};

TEST_F(WayPointPadsScenarioTest, TheGuideArrowAndThePadsLookLeadTheDriverOntoTheNearestPad) {
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    // Past the drive tutorial, the circus town's four games open.
    StoredRecord al = StoredRecord("Al").Counter(13, 1).Counter(14, 1).Counter(15, 1);
    for (int game = 3; game <= 6; ++game) al.WorldWord(kCircusWorld, CPlayer::kFlags + game, 1);
    records[kSlot] = al.bytes();
    PutSave(records);
    Ini("STARTACTIVITY=8\n");

    Interaction_Point* pad = nullptr;
    TownBot::Task follow;
    follow.open = [](OActivityProp*) { return false; };
    follow.needsAction = [](OActivityProp*) { return false; };
    follow.patient = true;
    // Until the guide has its pad, the driver gets going toward the nearest game's pad.
    follow.first = [&pad](TLVWorld_Activity* world) -> OActivityProp* {
        if (pad) return nullptr;
        OActivityProp* nearest = nullptr;
        float best = 1e12f;
        for (int area = 1; area <= 4; ++area) {
            OActivityProp* point = world->GetWayPoint(area);
            if (!point || !world->GetVehicle()) continue;
            const CPointF at = world->GetVehicle()->GetPosition(), to = point->GetPosition();
            if (const float d = std::hypot(to.x - at.x, to.y - at.y); d < best) best = d, nearest = point;
        }
        return nearest;
    };
    TownBot bot(CircusRoads(), follow);
    const std::vector<uint32_t> colours = circus::Colours();

    int number = -1;
    uint32_t arrived = 0, seenAt = 0, enteredAt = 0, arrowFrames = 0, onStage = 0, strayPixels = 0;
    RgbImage seen;
    Scenario s = Game(kFrameMs);
    s.frames = 60000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            CTLVApp::Get()->GetPlayer()->Load(kSlot);
            CTLVApp::Get()->GetPlayer()->SetSelectedVehicle(0);
            CTLVApp::Get()->SetSaveSlot(kSlot);
        }
        TownWorld* town = CurrentTown();
        if (!town || enteredAt) return;
        if (!arrived) arrived = now;
        if (town->IsPanelShown(TownWorld::kConfirmPanel)) {
            if (town->GetAreaNumber() == number) enteredAt = now;
            return;
        }
        if (now < arrived + 1000 || town->IsPanelShown(-1)) return;
        if (!pad) {
            // The town's own choice once no task is left: the nearest armed way point (the way
            // points arm as the vehicle first moves).
            number = town->NearestWayPoint();
            pad = dynamic_cast<Interaction_Point*>(town->GetWayPoint(number));
            if (pad) town->ShowGuideArrow(pad);
        }
        if (!pad) return Script(bot.Step(town, now));
        if (town->GetGuideTarget() != pad) return;
        if (town->GetGuideArrow() && town->GetGuideArrow()->IsVisible()) ++arrowFrames;
        // Once the pad lies wholly on the stage, its colour shows there and nowhere else.
        const CRect16 view = town->GetVisibleRect();
        const CPointF at = pad->GetPosition();
        const int left = int(at.x) - pad->GetWidth() / 2 - view.left, top = int(at.y) - pad->GetHeight() / 2 - view.top;
        if (left >= 0 && top >= 0 && left + pad->GetWidth() <= 640 && top + pad->GetHeight() <= 480 && !seenAt) {
            const RgbImage stage = StagePicture();
            const uint32_t fill = colours[OwnColour(number).first];
            uint32_t inside = 0, outside = 0;
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x) {
                    if (!ShowsColour(stage, size_t(y) * 640 + size_t(x), fill)) continue;
                    const bool on = x >= left && x < left + pad->GetWidth() && y >= top && y < top + pad->GetHeight();
                    ++(on ? inside : outside);
                }
            onStage = inside;
            strayPixels = outside;
            seenAt = now;
            seen = stage;
        }
        Script(bot.Step(town, now));
    };
    const ScenarioRun run = RunScenario(s);

    EXPECT_EQ(run.exitCode, 0);
    ASSERT_NE(pad, nullptr) << "the town has an armed way point";
    EXPECT_GE(number, 1);
    EXPECT_LE(number, 4) << "a game's pad";
    EXPECT_GT(arrowFrames, 0u) << "the arrow pointed the way while the pad lay off the stage";
    ASSERT_NE(seenAt, 0u) << "the pad came onto the stage";
    // Half the pad's fill shows (the vehicle and the guide's marker may cover some).
    EXPECT_GE(onStage, 1000u) << "the pad shows in its colour where it lies";
    EXPECT_EQ(strayPixels, 0u) << "nothing else on the stage shows the pad's colour";
    EXPECT_NE(enteredAt, 0u) << "stopping on the pad asks whether to play its game";
    ExpectMatchesGoldenImage("game/world/way_point_pad.png", seen);
}

} // namespace
} // namespace vqt::test
