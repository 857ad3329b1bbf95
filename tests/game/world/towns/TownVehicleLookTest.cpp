// The vehicle picked in the garage is the one driven, the whole program on the generated data:
// started in the town of each of the garage's six vehicles, the town draws that vehicle as the
// garage shows it, in its body colour and nobody else's, the upgrades with their white ladder.
#include <gtest/gtest.h>

#include <ostream>

#include "engine/core/DrawFilter.h"
#include "engine/core/Window.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tests/game/world/towns/TownStartTest.h"
#include "tools/synthetic/VehicleLooks.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
/// Frames the town runs before its stage is looked at, once the blend from the screen before
/// is over.
constexpr uint32_t kSettleFrames = 3;
constexpr uint32_t kWhite = vehicle_look::Rgb(250, 250, 250);

struct LookCase {
    const char* name;
    uint16_t value;
    const StartActivity& town;
};

void PrintTo(const LookCase& c, std::ostream* out) { *out << c.name; }

constexpr LookCase kLooks[] = {
    {"circus0", 0, StartActivityOf(8)}, {"circus1", 1, StartActivityOf(8)}, {"zoo2", 2, StartActivityOf(14)},
    {"zoo3", 3, StartActivityOf(14)},   {"city4", 4, StartActivityOf(17)},  {"city5", 5, StartActivityOf(17)},
};

/// What the stage shows where the vehicle's picture has pixels.
struct VehiclePixels {
    int drawn = 0;
    int ownBody = 0;
    int otherBodies = 0;
    int white = 0;
};

VehiclePixels LookAt(TownWorld& town, VIsometric& vehicle, uint16_t value) {
    const RgbImage stage = StagePicture();
    const CRect16 view = town.GetVisibleRect();
    CRect16 box;
    vehicle.GetBoundsRect(&box);
    VehiclePixels seen;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            const int sx = x - view.left, sy = y - view.top;
            if (sx < 0 || sy < 0 || sx >= stage.width || sy >= stage.height) continue;
            if (!vehicle.HitTestPointAt(CPoint16(int16_t(x), int16_t(y)), nullptr)) continue;
            const size_t at = size_t(sy) * size_t(stage.width) + size_t(sx);
            ++seen.drawn;
            for (int other = 0; other < vehicle_look::kVehicles; ++other)
                if (ShowsColour(stage, at, vehicle_look::kBodies[size_t(other)])) ++(other == value ? seen.ownBody : seen.otherBodies);
            if (ShowsColour(stage, at, kWhite)) ++seen.white;
        }
    return seen;
}

class TownVehicleLookTest : public TownStartTest, public testing::WithParamInterface<LookCase> {};

TEST_P(TownVehicleLookTest, TheTownDrawsThePickedVehicleInTheGaragesLook) {
    const LookCase& c = GetParam();
    StartOn(c.town, PastTheTutorial("Kim"));
    uint32_t townFrames = 0;
    bool looked = false;
    VehiclePixels seen;
    Scenario s = Game(kFrameMs);
    s.frames = 4000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        if (tick == 1) SignIn(c.value);
        const auto [town, vehicle] = TownOnStage();
        const CDrawFilter* blend = OWindow::Main()->GetDrawFilter();
        if (!vehicle || (blend && blend->IsBlending()) || ++townFrames < kSettleFrames) return;
        seen = LookAt(*town, *vehicle, c.value);
        looked = true;
        RequestQuit();
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_TRUE(looked) << "the town showed a vehicle";
    ASSERT_GT(seen.drawn, 500);
    // The body is most of the picture; the cab, wheels, ladder and roof bar the rest.
    EXPECT_GE(seen.ownBody * 3, seen.drawn) << "the vehicle is not drawn in its garage colour";
    EXPECT_EQ(seen.otherBodies, 0) << "another vehicle's body colour shows on it";
    if (vehicle_look::CarriesLadder(c.value)) EXPECT_GE(seen.white, 20) << "the upgrade has no ladder";
    else EXPECT_EQ(seen.white, 0) << "the first vehicle carries something white";
}

INSTANTIATE_TEST_SUITE_P(GarageVehicles, TownVehicleLookTest, testing::ValuesIn(kLooks), CaseName<LookCase>);

} // namespace
} // namespace vqt::test
