// The circus town driven out of the garage with each circus vehicle: where and how the vehicle
// starts, and the whole program steering it over the map with the keys (mode 7) and after the
// pointer (mode 10).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "game/shell/Player.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "game/world/towns/WToonActivity.h"
#include "game/world/WorldClasses.h"
#include "game/world/vehicles/VIsometric.h"
#include "platform/Platform.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StageScript.h"
#include "tests/support/bots/ScriptLines.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr int16_t kBo = 3;
constexpr uint32_t kFrameMs = 16;
constexpr int kSpace = 32;

/// What the town made of its vehicle when it started.
struct StartSeen {
    ChunkId part = kNullChunkId;
    CPointF position;
    int32_t state = -1;
    float topSpeed = 0.0f;
    float normalSpeed = 0.0f;
    float sirenSpeed = 0.0f;
    ChunkId light = kNullChunkId;
    bool lightShown = false;
    bool shadow = false;
    CPoint16 wayPoint0;
    CPoint16 ground;
    CPointF scroll;
};

/// What the run saw while the script drove.
struct DriveSeen {
    StartSeen start;
    CPointF before, after;
    CPointF scrollBefore, scrollAfter;
    int32_t mode = -1;
    int32_t stateAfter = -1;
    RgbImage picture;
    bool arrived = false;
};

WToon_Activity* Town() {
    OActivityManager* manager = GetActivityManager();
    OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
    return current && current->IsA(WToon_Activity::kClassId) ? static_cast<WToon_Activity*>(current) : nullptr;
}

VIsometric* TownVehicle() {
    WToon_Activity* town = Town();
    return town ? dynamic_cast<VIsometric*>(town->GetVehicle()) : nullptr;
}

std::string Key(uint32_t at, const char* message, int code) {
    return std::to_string(at) + " " + message + " " + std::to_string(code) + " 0 0 0\n";
}

std::string Mouse(uint32_t at, int x, int y) {
    return std::to_string(at) + " WM_MOUSEMOVE 0 0 " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

StartSeen SeeStart() {
    StartSeen seen;
    WToon_Activity* town = Town();
    VIsometric* vehicle = TownVehicle();
    if (!town || !vehicle) return seen;
    seen.part = town->GetVehiclePartId();
    seen.position = vehicle->GetPosition();
    seen.state = vehicle->GetState();
    seen.topSpeed = vehicle->GetTopSpeed();
    seen.normalSpeed = town->GetNormalSpeed();
    seen.sirenSpeed = town->GetSirenSpeed();
    if (OActivityProp* light = vehicle->GetAttachedProp()) {
        light->GetPartID(&seen.light);
        seen.lightShown = light->IsVisible() != 0;
    }
    seen.shadow = vehicle->GetShadow() != nullptr;
    vehicle->GetWayPoint16(&seen.wayPoint0, 0);
    vehicle->GetGroundPoint(&seen.ground);
    seen.scroll = town->GetScrollOffset();
    return seen;
}

class TownDrivingScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses(); // the town and its vehicles are the program's own classes
    }

    /// Out of the garage into the town with the vehicle and the stored position, then the
    /// drive: `drive` is the script run once the town has settled, and `driveMs`
    /// later the run is looked at.
    DriveSeen Drive(uint16_t vehicleValue, CPoint16 stored, const std::string& drive, uint32_t driveMs) {
        // Each run of a table gets a fresh engine and shell, as the program would have.
        RenewContext();
        xWorld_RegisterClasses();
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        records[kBo] = StoredRecord("Bo").Counter(13, 1).bytes(); // no drive tutorial
        PutSave(records);
        Ini("STARTACTIVITY=5\n");
        DriveSeen seen;
        uint32_t now = 0, arrived = 0, driving = 0;
        ChunkId shown = kNullChunkId;
        int step = 0;
        auto settledOn = [&](uint16_t entry) {
            OActivityManager* manager = GetActivityManager();
            return manager && shown == MakeChunkId(1, entry) && !manager->IsSwitchPending() &&
                   !manager->IsOverlayActive() && now >= arrived + 800;
        };
        Scenario s = Game(kFrameMs);
        s.frames = (6000 + driveMs) / kFrameMs;
        s.watch = [&](uint32_t tick) {
            now = (tick - 1) * kFrameMs;
            CPlayer* player = CTLVApp::Get()->GetPlayer();
            if (tick == 1) {
                player->Load(kBo);
                CTLVApp::Get()->SetSaveSlot(kBo);
            }
            OActivityManager* manager = GetActivityManager();
            const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
            if (id != shown) {
                shown = id;
                arrived = now;
            }
            if (step == 0 && settledOn(5)) {
                // The garage's choice, and where the record left the vehicle in the town.
                player->SetSelectedVehicle(vehicleValue);
                player->SetWorldPosition(stored, WToon_Activity::kWorld);
                Script(ClickAt(buttons::kGarageGo)); // go
                ++step;
            } else if (step == 1 && settledOn(8)) {
                seen.start = SeeStart();
                if (VIsometric* vehicle = TownVehicle()) seen.before = vehicle->GetPosition();
                if (Town()) seen.scrollBefore = Town()->GetScrollOffset();
                Script(drive);
                driving = now;
                ++step;
            } else if (step == 2 && now >= driving + driveMs) {
                if (VIsometric* vehicle = TownVehicle()) {
                    seen.after = vehicle->GetPosition();
                    seen.stateAfter = vehicle->GetState();
                }
                if (WToon_Activity* town = Town()) {
                    seen.scrollAfter = town->GetScrollOffset();
                    seen.mode = town->GetDrivingMode();
                }
                seen.picture = StagePicture();
                seen.arrived = true;
                ++step;
            }
        };
        const ScenarioRun run = RunScenario(s);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
        return seen;
    }
};

double Distance(const CPointF& a, const CPointF& b) { return std::hypot(double(a.x) - b.x, double(a.y) - b.y); }

// ---- The vehicle's start ---------------------------------------------------------------------

struct StartCase {
    const char* name;
    uint16_t vehicle;
    CPoint16 stored;
    ChunkId part;
    ChunkId light;
    float speed;
    float normalSpeed;
    float sirenSpeed;
    CPointF at;
};

TEST_F(TownDrivingScenarioTest, EachCircusVehicleStartsWithItsPartLightAndSpeedAtTheStoredPositionOrTheStart) {
    const StartCase cases[] = {
        {"fire engine, stored", 0, CPoint16(3550, 800), MakeChunkId(2, 209), MakeChunkId(2, 776), 150.0f, 150.0f, 225.0f, CPointF(3550, 800)},
        {"water car, stored", 1, CPoint16(3300, 1088), MakeChunkId(2, 87), MakeChunkId(2, 545), 175.0f, 175.0f, 250.0f, CPointF(3300, 1088)},
        {"fire engine, nothing stored", 0, CPoint16(0, 0), MakeChunkId(2, 209), MakeChunkId(2, 776), 150.0f, 150.0f, 225.0f, CPointF(3672, 592)},
        {"water car, nothing stored", 1, CPoint16(0, 0), MakeChunkId(2, 87), MakeChunkId(2, 545), 175.0f, 175.0f, 250.0f, CPointF(3672, 592)},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.name);
        const DriveSeen run = Drive(c.vehicle, c.stored, "", 100);
        const StartSeen& s = run.start;
        ASSERT_TRUE(run.arrived);
        EXPECT_EQ(s.part, c.part);
        EXPECT_FLOAT_EQ(s.position.x, c.at.x);
        EXPECT_FLOAT_EQ(s.position.y, c.at.y);
        EXPECT_EQ(s.state, WToon_Activity::kStartHeading) << "heading 12 of group 0";
        EXPECT_FLOAT_EQ(s.topSpeed, c.speed);
        EXPECT_FLOAT_EQ(s.normalSpeed, c.normalSpeed);
        EXPECT_FLOAT_EQ(s.sirenSpeed, c.sirenSpeed);
        EXPECT_EQ(s.light, c.light);
        EXPECT_TRUE(s.lightShown);
        EXPECT_TRUE(s.shadow);
        EXPECT_EQ(s.wayPoint0.x, s.ground.x) << "the first way point is the ground point";
        EXPECT_EQ(s.wayPoint0.y, s.ground.y);
        // The view is centred on the vehicle (the map's right edge may hold it back).
        EXPECT_GT(s.scroll.x, 0.0f);
        EXPECT_GT(s.scroll.y, 0.0f);
        EXPECT_LE(s.scroll.x, c.at.x);
        EXPECT_LE(s.scroll.y, c.at.y);
    }
}

TEST_F(TownDrivingScenarioTest, AVehicleValueOfAnotherTownLeavesTheCircusWithoutAVehicle) {
    const DriveSeen run = Drive(4, CPoint16(3550, 800), "", 100);
    ASSERT_TRUE(run.arrived) << "the town runs on without a vehicle";
    EXPECT_EQ(run.start.part, kNullChunkId);
    EXPECT_EQ(WToon_Activity::FindVehicleStart(4), nullptr);
}

// ---- Driving ------------------------------------------------------------------------------------

struct DriveCase {
    const char* golden;
    uint16_t vehicle;
};

TEST_F(TownDrivingScenarioTest, Key3ThenSpaceLatchesTheDriveAndTheVehicleCrossesTheMapWithTheViewFollowing) {
    const DriveCase cases[] = {{"game/world/town_keys_fire_engine.png", 0}, {"game/world/town_keys_water_car.png", 1}};
    // '3' chooses mode 7, where a tap of Space latches the drive on (the arrows only turn).
    const std::string script = Key(0, "WM_KEYDOWN", '3') + Key(50, "WM_KEYUP", '3') + Key(150, "WM_KEYDOWN", kSpace) +
                               Key(200, "WM_KEYUP", kSpace);
    for (const DriveCase& c : cases) {
        SCOPED_TRACE(c.golden);
        const DriveSeen run = Drive(c.vehicle, CPoint16(3500, 2300), script, 2000);
        ASSERT_TRUE(run.arrived);
        EXPECT_EQ(run.mode, 7);
        EXPECT_GT(Distance(run.before, run.after), 100.0) << "the vehicle drove";
        EXPECT_GT(Distance(run.scrollBefore, run.scrollAfter), 50.0) << "the view went along";
        ExpectMatchesGoldenImage(c.golden, run.picture);
    }
}

TEST_F(TownDrivingScenarioTest, Key1AndThePointerAtAPointTurnTheVehicleThereAndItDrivesCloser) {
    const DriveCase cases[] = {{"game/world/town_pointer_fire_engine.png", 0}, {"game/world/town_pointer_water_car.png", 1}};
    // The pointer to the left of the stage's centre, on the road across: '1' chooses mode 10.
    const std::string script =
        Mouse(0, 120, 240) + Key(50, "WM_KEYDOWN", '1') + Key(100, "WM_KEYUP", '1') + Mouse(150, 120, 240);
    for (const DriveCase& c : cases) {
        SCOPED_TRACE(c.golden);
        const DriveSeen run = Drive(c.vehicle, CPoint16(3300, 1088), script, 1500);
        ASSERT_TRUE(run.arrived);
        EXPECT_EQ(run.mode, 10);
        const CPointF target(run.scrollBefore.x + 120.0f, run.scrollBefore.y + 240.0f);
        EXPECT_LT(Distance(run.after, target), Distance(run.before, target) - 50.0) << "it went for the pointer";
        EXPECT_GE(run.stateAfter % 32, 20) << "headed left (headings 20-28)";
        EXPECT_LE(run.stateAfter % 32, 28);
        ExpectMatchesGoldenImage(c.golden, run.picture);
    }
}

} // namespace
} // namespace vqt::test
