// A run that the profile starts in a town (or one of a town's games) without a sign-in, through
// the game's own start-up hooks on the generated data: the player drives the town's first
// vehicle there; other start screens leave the vehicle alone.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "game/minigames/GameClasses.h"
#include "game/minigames/GameSession.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/TLVWorldActivity.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StartActivities.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;

struct StartCase {
    const char* name;
    uint16_t entry;
    uint16_t vehicle;
    /// A town itself, where the vehicle is made.
    bool town;
};

constexpr StartCase Started(uint16_t entry) {
    const StartActivity& a = StartActivityOf(entry);
    return {a.name, a.entry, a.vehicle, a.kind == StartKind::Town};
}

constexpr StartCase kStarts[] = {
    Started(8), Started(14), Started(17), Started(10), Started(25), {"the sign-in", 4, 0, false},
};

class StartActivityVehicleTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_F(StartActivityVehicleTest, ATownStartedFromTheProfileGetsAVehicleThatDrivesThere) {
    for (const StartCase& c : kStarts) {
        SCOPED_TRACE(c.name);
        RenewContext();
        xGame_RegisterClasses();
        Ini("STARTACTIVITY=" + std::to_string(c.entry) + "\n");
        int vehicle = -1;
        bool driving = false;
        Scenario s = Game(kFrameMs);
        s.hooks = GameHooks();
        s.frames = 3000 / kFrameMs;
        s.watch = [&](uint32_t) {
            OActivityManager* manager = GetActivityManager();
            if (!manager || manager->IsSwitchPending() || manager->GetCurrentId() != MakeChunkId(1, c.entry)) return;
            vehicle = CTLVApp::Get()->GetPlayer()->GetSelectedVehicle();
            if (auto* world = dynamic_cast<TLVWorld_Activity*>(manager->GetCurrentActivity()))
                driving = world->GetVehicle() != nullptr;
            RequestQuit();
        };
        const ScenarioRun run = RunScenario(s);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(vehicle, int(c.vehicle));
        if (c.town) {
            EXPECT_TRUE(driving) << "the town has the vehicle";
        }
        EXPECT_EQ(run.trace.find("does not drive here"), std::string::npos);
        EXPECT_EQ(run.trace.find("is not one of the town's"), std::string::npos);
    }
}

} // namespace
} // namespace vqt::test
