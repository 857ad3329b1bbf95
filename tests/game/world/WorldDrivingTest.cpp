// The driving input: what the isometric vehicle is told per driving mode from scripted keys and
// pointer moves, the sixteen absolute directions, the keys that choose modes and tune the
// vehicle, the mouse twins, the exit drive, the overlay's text and the world's pause.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Cursor.h"
#include "engine/core/Event.h"
#include "engine/core/Window.h"
#include "engine/media/TextCView.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {
namespace {

// Virtual-key codes as the keyboard gives them.
constexpr uint32_t kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kSpace = 0x20, kEsc = 0x1B;
constexpr uint32_t kCtrl = 0x11, kAlt = 0x12, kF10 = 0x79;
constexpr uint32_t kPlus = 0x6B, kOemPlus = 0xBB, kMinus = 0x6D, kOemMinus = 0xBD;
constexpr uint32_t kOpen = 0xDB, kClose = 0xDD, kSemicolon = 0xBA, kQuote = 0xDE;
constexpr uint32_t Pad(int n) { return 0x60u + uint32_t(n); }

/// A car of 32 headings, 8 x 8 pixels each.
constexpr uint16_t kCarPart = 3310;
constexpr float kAtX = 400.0f, kAtY = 300.0f;

/// The spy world with the real isometric vehicle, its own mouse handling and counters of the
/// hooks the driving calls.
class DrivingWorld : public SpyWorld {
public:
    DrivingWorld() { SetVehiclePartId(MakeChunkId(2, kCarPart)); }
    void OnWorldMouseMove(const xEvent& event) override { TLVWorld_Activity::OnWorldMouseMove(event); }
    using OBackgroundView::SetScrollOffset;
    void DoVehicleAction() override {
        ++actions;
        TLVWorld_Activity::DoVehicleAction();
    }
    void CycleInfoColour() override { ++colourCycles; }
    VIsometric* Car() { return dynamic_cast<VIsometric*>(GetVehicle()); }
    /// Gives the world an overlay (hidden, as the overlay's module makes it).
    OTextCView* AddInfoView() {
        auto* view = new OTextCView;
        view->SetVisible(0, 1);
        if (OWindow* window = OWindow::Main()) window->AddChild(view);
        SetInfoView(view);
        return view;
    }
    int actions = 0;
    int colourCycles = 0;

protected:
    TLVComplex_Object* MakeVehicle() override { return new VIsometric; }
};

/// What the vehicle was told by one input step.
struct Told {
    int32_t turn;
    int32_t drive;
    int32_t state;
};

class WorldDrivingTest : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        ASSERT_TRUE(xTLVFactory_Register({500, [] { return static_cast<OActivity*>(new DrivingWorld); }, nullptr}));
    }
    void TearDown() override {
        ReleaseKeys();
        WorldFixture::TearDown();
    }
    void AddWorldData(GameData& data) override {
        PartPlan car;
        for (int s = 0; s < 32; ++s)
            car.states.push_back(StatePlan{.frames = {FramePlan{.picture = Picture(8, 8, uint8_t(s + 1)), .hotX = 4, .hotY = 4}}});
        data.parts.AddPart(car, kCarPart);
    }

    /// A world that is not shown, with its vehicle halted at (400, 300), heading 0 (down).
    std::unique_ptr<DrivingWorld> LooseWorld() {
        auto world = std::make_unique<DrivingWorld>();
        world->CreateVehicle();
        EXPECT_NE(world->Car(), nullptr) << traced();
        if (world->Car()) Park(*world->Car());
        return world;
    }
    /// The world shown, its tutorial panel closed, its vehicle parked.
    DrivingWorld* RunningWorld() {
        auto* world = dynamic_cast<DrivingWorld*>(ShowWorld(kEmptyWorld));
        if (!world) return nullptr;
        world->HidePanel(TLVWorld_Activity::kTutorialPanel, 1);
        Frames(3, kFrameMs);
        EXPECT_FALSE(world->IsPanelShown(-1));
        if (world->Car()) Park(*world->Car());
        return world;
    }
    static void Park(VIsometric& car) {
        car.Halt();
        car.TurnKeyUp();
        car.SetState(0);
        car.SetPosition(CPointF(kAtX, kAtY), 0, 1);
    }
    void Hold(std::initializer_list<uint32_t> keys) {
        ReleaseKeys();
        for (uint32_t key : keys) {
            input().SetKeyDown(int32_t(key), true);
            held_.push_back(key);
        }
    }
    void ReleaseKeys() {
        for (uint32_t key : held_) input().SetKeyDown(int32_t(key), false);
        held_.clear();
    }
    /// One input step with the keys held and the pointer at (x, y).
    Told Step(DrivingWorld& world, std::initializer_list<uint32_t> keys, int32_t x = 0, int32_t y = 0) {
        Hold(keys);
        input().SetCursorPos(plat::WinPoint{x, y});
        world.DriveVehicle();
        ReleaseKeys();
        VIsometric& car = *world.Car();
        return {car.GetTurnDirection(), car.GetDriveDirection(), car.GetDriveState()};
    }

    std::vector<uint32_t> held_;
};

// ---- per mode ----------------------------------------------------------------------------------

TEST_F(WorldDrivingTest, EachModeTellsTheVehicleWhatTheKeysAndThePointerSay) {
    struct Case {
        const char* name;
        int32_t mode;
        int32_t latch;
        std::initializer_list<uint32_t> keys;
        int32_t x, y; // the pointer
        Told told;
        int32_t modeAfter;
    };
    // The car stands at (400, 300) facing down (heading 0); a turn "neg" raises the heading.
    const Case cases[] = {
        {"0: Left, no Space brakes", 0, 1, {kLeft}, 0, 0, {-1, -1, 0}, 0},
        {"0: Right and Space", 0, 1, {kRight, kSpace}, 0, 0, {1, 1, 1}, 0},
        {"0: Left and Right stop turning", 0, 1, {kLeft, kRight, kSpace}, 0, 0, {0, 1, 1}, 0},
        {"5: as 0", 5, 1, {kLeft}, 0, 0, {-1, -1, 0}, 5},
        {"4: Up drives", 4, 1, {kUp}, 0, 0, {0, 1, 1}, 4},
        {"4: Down brakes", 4, 1, {kDown, kRight}, 0, 0, {1, -1, 0}, 4},
        {"4: Up and Down let go", 4, 1, {kUp, kDown}, 0, 0, {0, 0, 0}, 4},
        {"7: latch drive", 7, 0, {}, 0, 0, {0, 1, 1}, 7},
        {"7: latch stop", 7, 1, {kLeft}, 0, 0, {-1, -1, 0}, 7},
        {"7: other latch neither", 7, 5, {}, 0, 0, {0, 0, 0}, 7},
        {"7: Space held is no drive key", 7, 1, {kSpace}, 0, 0, {0, -1, 0}, 7},
        {"9: pointer to the right", 9, 1, {}, 600, 300, {-1, -1, 0}, 9},
        {"9: pointer to the left and Space", 9, 1, {kSpace}, 200, 300, {1, 1, 1}, 9},
        {"9: pointer straight ahead", 9, 1, {}, 400, 450, {0, -1, 0}, 9},
        {"1: Left held returns to 0", 1, 1, {kLeft}, 600, 300, {-1, -1, 0}, 0},
        {"1: the pointer steers", 1, 1, {}, 200, 300, {1, -1, 0}, 1},
        {"3: a keypad key returns to 2", 3, 1, {Pad(6)}, 200, 300, {-1, -1, 0}, 2},
        {"3: the pointer steers", 3, 1, {}, 200, 300, {1, -1, 0}, 3},
        {"2: keypad 6 turns east", 2, 1, {Pad(6)}, 0, 0, {-1, -1, 0}, 2},
        {"2: keypad 4 turns west", 2, 1, {Pad(4), kSpace}, 0, 0, {1, 1, 1}, 2},
        {"2: no direction stops turning", 2, 1, {}, 0, 0, {0, -1, 0}, 2},
        {"6: keypad 3 drives to the target", 6, 1, {Pad(3)}, 0, 0, {0, 1, 3}, 6},
        {"6: no direction stops", 6, 1, {}, 0, 0, {0, 0, 0}, 6},
        {"10: follows the pointer", 10, 1, {}, 100, 60, {0, 1, 3}, 10},
        {"8: Right held returns to 7", 8, 1, {kRight}, 0, 0, {1, -1, 0}, 7},
        {"13: no such mode", 13, 0, {kLeft, kSpace}, 0, 0, {0, 0, 0}, 13},
        {"-1: no such mode", -1, 0, {kLeft, kSpace}, 0, 0, {0, 0, 0}, -1},
    };
    for (const Case& c : cases) {
        auto world = LooseWorld();
        ASSERT_NE(world->Car(), nullptr);
        world->SetDrivingMode(c.mode);
        world->SetSpaceLatch(c.latch);
        const Told told = Step(*world, c.keys, c.x, c.y);
        EXPECT_EQ(told.turn, c.told.turn) << c.name;
        EXPECT_EQ(told.drive, c.told.drive) << c.name;
        EXPECT_EQ(told.state, c.told.state) << c.name;
        EXPECT_EQ(world->GetDrivingMode(), c.modeAfter) << c.name;
    }
}

TEST_F(WorldDrivingTest, TargetsAreThePointerOrTheDirectionFromTheRoundedPosition) {
    auto world = LooseWorld();
    ASSERT_NE(world->Car(), nullptr);
    world->SetDrivingMode(10);
    Step(*world, {}, 123, 45);
    EXPECT_FLOAT_EQ(world->Car()->GetTarget().x, 123.0f);
    EXPECT_FLOAT_EQ(world->Car()->GetTarget().y, 45.0f);
    world->SetScrollOffset(CPointF(200.4f, 99.6f));
    Step(*world, {}, 10, 20);
    EXPECT_FLOAT_EQ(world->Car()->GetTarget().x, 210.0f) << "the scroll offset is added, rounded";
    EXPECT_FLOAT_EQ(world->Car()->GetTarget().y, 120.0f);

    Park(*world->Car());
    world->Car()->SetPosition(CPointF(30000.4f, 10.6f), 0, 1);
    world->SetDrivingMode(6);
    Step(*world, {Pad(6)});
    EXPECT_FLOAT_EQ(world->Car()->GetTarget().x, 32767.0f) << "held to 16 bits";
    EXPECT_FLOAT_EQ(world->Car()->GetTarget().y, 11.0f);
}

TEST_F(WorldDrivingTest, TheSixteenDirectionsAndTheCombinationsThatGiveNone) {
    struct Case {
        std::initializer_list<uint32_t> keys;
        bool goal; // a heading goal turns the vehicle
        bool found;
        int16_t dx, dy;
    };
    const Case cases[] = {
        {{Pad(2)}, false, true, 0, 10000},           {{kDown}, false, true, 0, 10000},
        {{Pad(2), Pad(3)}, false, true, 4142, 10000}, {{Pad(3)}, false, true, 10000, 10000},
        {{kDown, kRight}, false, true, 10000, 10000}, {{Pad(3), Pad(6)}, false, true, 10000, 4142},
        {{Pad(6)}, false, true, 10000, 0},            {{kRight}, false, true, 10000, 0},
        {{Pad(6), Pad(9)}, false, true, 10000, -4142}, {{Pad(9)}, false, true, 10000, -10000},
        {{kRight, kUp}, false, true, 10000, -10000},  {{Pad(8), Pad(9)}, false, true, 4142, -10000},
        {{Pad(8)}, false, true, 0, -10000},           {{kUp}, false, true, 0, -10000},
        {{Pad(7), Pad(8)}, false, true, -4142, -10000}, {{Pad(7)}, false, true, -10000, -10000},
        {{kUp, kLeft}, false, true, -10000, -10000},  {{Pad(4), Pad(7)}, false, true, -10000, -4142},
        {{Pad(4)}, false, true, -10000, 0},           {{kLeft}, false, true, -10000, 0},
        {{Pad(1), Pad(4)}, false, true, -10000, 4142}, {{Pad(1)}, false, true, -10000, 10000},
        {{kLeft, kDown}, false, true, -10000, 10000}, {{Pad(1), Pad(2)}, false, true, -4142, 10000},
        // none: opposite keys, three keys, no key, keypad 5
        {{Pad(2), Pad(8)}, false, false, 0, 0},
        {{kLeft, kRight}, false, false, 0, 0},
        {{Pad(1), Pad(2), Pad(3)}, false, false, 0, 0},
        {{}, false, false, 0, 0},
        {{Pad(5)}, false, false, 0, 0},
        // while a heading goal turns the vehicle: no arrows, no keypad 1
        {{kDown}, true, false, 0, 0},
        {{kRight, kUp}, true, false, 0, 0},
        {{Pad(1)}, true, false, 0, 0},
        {{Pad(1), Pad(2)}, true, true, 0, 10000}, // keypad 1 is not seen: keypad 2 alone
        {{Pad(3)}, true, true, 10000, 10000},
        {{Pad(7)}, true, true, -10000, -10000},
        {{Pad(9)}, true, true, 10000, -10000},
        {{kLeft, Pad(4)}, true, true, -10000, 0},
    };
    for (const Case& c : cases) {
        auto world = LooseWorld();
        VIsometric* car = world->Car();
        ASSERT_NE(car, nullptr);
        if (c.goal) car->SetHeadingGoal(5);
        world->SetDrivingMode(6);
        const Told told = Step(*world, c.keys);
        std::string name;
        for (uint32_t key : c.keys) name += std::to_string(key) + " ";
        name += c.goal ? "(goal)" : "";
        if (c.found) {
            EXPECT_EQ(told.state, VIsometric::kStartingToTarget) << name;
            EXPECT_FLOAT_EQ(car->GetTarget().x, kAtX + c.dx) << name;
            EXPECT_FLOAT_EQ(car->GetTarget().y, kAtY + c.dy) << name;
        } else {
            EXPECT_EQ(told.state, VIsometric::kHalted) << name;
            EXPECT_FLOAT_EQ(car->GetTarget().x, 0.0f) << name << ": no target set";
        }
        // Mode 2 turns to the same directions.
        Park(*car);
        if (c.goal) car->SetHeadingGoal(5);
        world->SetDrivingMode(2);
        const Told turned = Step(*world, c.keys);
        const bool ahead = c.dx == 0 && c.dy > 0; // the car already faces it
        EXPECT_EQ(turned.turn != 0, c.found && !ahead) << name;
    }
}

TEST_F(WorldDrivingTest, WhileAHeadingGoalTurnsTheArrowsAreIgnoredInTheKeyModes) {
    struct Case {
        int32_t mode;
        std::initializer_list<uint32_t> keys;
        int32_t turn, drive;
    };
    const Case cases[] = {
        {0, {kLeft, kSpace}, 0, 1},
        {4, {kUp, kRight}, 0, 0},
        {7, {kRight}, 0, -1},
    };
    for (const Case& c : cases) {
        auto world = LooseWorld();
        ASSERT_NE(world->Car(), nullptr);
        world->Car()->SetHeadingGoal(9);
        world->SetDrivingMode(c.mode);
        world->SetSpaceLatch(1);
        const Told told = Step(*world, c.keys);
        EXPECT_EQ(told.turn, c.turn) << c.mode;
        EXPECT_EQ(told.drive, c.drive) << c.mode;
    }
}

TEST_F(WorldDrivingTest, ModeEightSteersByThePointerAndSwitchesSelfSteeringOnWhenTheWayIsFree) {
    DrivingWorld* world = RunningWorld();
    ASSERT_NE(world, nullptr);
    VIsometric* car = world->Car();
    ASSERT_NE(car, nullptr);
    struct Case {
        const char* name;
        int32_t latch;
        int32_t x, y;
        bool goal;
        uint8_t steerBefore, steerAfter;
        int32_t turn, drive, state;
        bool targetSet;
    };
    const Case cases[] = {
        // A turn key takes the start over from the target: starting (1), the target kept.
        {"drive, free way: self-steering on, target, turn", 0, 600, 300, false, 0, 1, -1, 1, 1, true},
        {"drive, pointer off the map: no self-steering", 0, 600, -200, false, 0, 0, -1, 1, 1, true},
        {"stop: steers only", 1, 200, 300, false, 0, 1, 1, -1, 0, false},
        {"heading goal: self-steering stays off", 0, 600, 300, true, 0, 0, 0, 1, 3, true},
        {"other latch: steers only", 4, 600, 300, false, 1, 1, -1, 0, 0, false},
    };
    for (const Case& c : cases) {
        Park(*car);
        car->SetSteerToTarget(c.steerBefore);
        if (c.goal) car->SetHeadingGoal(3);
        world->SetDrivingMode(8);
        world->SetSpaceLatch(c.latch);
        const Told told = Step(*world, {}, c.x, c.y);
        EXPECT_EQ(car->GetSteerToTarget(), c.steerAfter) << c.name;
        EXPECT_EQ(told.turn, c.turn) << c.name;
        EXPECT_EQ(told.drive, c.drive) << c.name;
        EXPECT_EQ(told.state, c.state) << c.name;
        EXPECT_EQ(car->GetTarget().x == float(c.x) && car->GetTarget().y == float(c.y), c.targetSet) << c.name;
        car->SetPosition(CPointF(kAtX, kAtY), 0, 1);
        car->SetTarget(CPoint16(0, 0)); // forget the target for the next case
        Park(*car);
        car->SetHeadingGoal(0);
        car->OnIdle(); // the goal is reached: it clears
    }
}

TEST_F(WorldDrivingTest, ModeTenWaitsForATurnToFreeSpaceAndSteersAgainOnceTheWayIsFree) {
    DrivingWorld* world = RunningWorld();
    ASSERT_NE(world, nullptr);
    VIsometric* car = world->Car();
    ASSERT_NE(car, nullptr);
    struct Case {
        const char* name;
        int32_t x, y;
        bool goal;
        uint8_t steerBefore, steerAfter;
        int32_t state;
        bool targetSet;
    };
    const Case cases[] = {
        {"free way: self-steering on, target", 600, 300, false, 0, 1, 3, true},
        {"pointer off the map: target only", 600, -200, false, 0, 0, 3, true},
        {"self-steering on stays on", 600, -200, false, 1, 1, 3, true},
        {"turning to a heading goal: the pointer waits", 600, 300, true, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        Park(*car);
        car->SetSteerToTarget(c.steerBefore);
        if (c.goal) car->SetHeadingGoal(3);
        world->SetDrivingMode(10);
        const Told told = Step(*world, {}, c.x, c.y);
        EXPECT_EQ(car->GetSteerToTarget(), c.steerAfter) << c.name;
        EXPECT_EQ(told.state, c.state) << c.name;
        EXPECT_EQ(car->GetTarget().x == float(c.x) && car->GetTarget().y == float(c.y), c.targetSet) << c.name;
        car->SetTarget(CPoint16(0, 0)); // forget the target for the next case
        Park(*car);
        car->SetHeadingGoal(0);
        car->OnIdle(); // the goal is reached: it clears
    }
    // Frame by frame: the turn in place ends at its goal while the pointer lies elsewhere, and
    // then the vehicle steers to the pointer.
    Park(*car);
    car->SetSteerToTarget(0);
    car->SetHeadingGoal(8);
    world->SetDrivingMode(10);
    input().SetCursorPos(plat::WinPoint{400, 600});
    int frame = 0;
    for (; frame < 120 && car->IsHeadingGoalActive(); ++frame) Frames(1, kFrameMs);
    EXPECT_FALSE(car->IsHeadingGoalActive()) << "the turn ends";
    EXPECT_EQ(car->GetPosition(), CPointF(kAtX, kAtY)) << "in place";
    Frames(60, kFrameMs);
    EXPECT_EQ(car->GetSteerToTarget(), 1);
    EXPECT_GT(car->GetPosition().y, kAtY + 20) << "on its way down to the pointer";
}

TEST_F(WorldDrivingTest, AFinishedMissionUnwatchesTheModifiersAndHaltsAMovingVehicle) {
    auto world = LooseWorld();
    VIsometric* car = world->Car();
    ASSERT_NE(car, nullptr);
    world->WatchKey(kCtrl);
    world->SetCursorMode(1);
    car->DriveKeyPos();
    car->SetThrottle(0.5f);
    // Moving: a step that changes the whole ground point.
    for (int i = 0; i < 10 && car->GetDriveState() != VIsometric::kMoving; ++i) {
        clock().Advance(16);
        car->OnIdle();
    }
    ASSERT_EQ(car->GetDriveState(), VIsometric::kMoving);
    world->SetDrivingMode(TLVWorld_Activity::kMissionDoneMode);
    Step(*world, {kSpace, kLeft});
    EXPECT_EQ(car->GetDriveState(), VIsometric::kHalted);
    EXPECT_EQ(world->GetCursorMode(), 0);
    for (int32_t i = 0; i < world->WatchedKeyCount(); ++i) {
        EXPECT_NE(world->WatchedKey(i), kCtrl);
        EXPECT_NE(world->WatchedKey(i), kAlt);
    }
    EXPECT_EQ(world->GetDrivingMode(), TLVWorld_Activity::kMissionDoneMode);
}

TEST_F(WorldDrivingTest, WithoutAVehicleOnlyTheModesChange) {
    SpyWorld world; // a test vehicle is no isometric one; here there is none at all
    for (int32_t mode = -1; mode <= 13; ++mode) {
        world.SetDrivingMode(mode);
        input().SetKeyDown(int32_t(kLeft), true);
        world.DriveVehicle();
        input().SetKeyDown(int32_t(kLeft), false);
        EXPECT_EQ(world.GetDrivingMode(), mode == 1 ? 0 : mode == 3 ? 2 : mode == 8 ? 7 : mode);
    }
    for (uint32_t key : {kPlus, kMinus, kOpen, kClose, kSemicolon, kQuote}) world.OnKey(key); // nothing to tune
    char text[TLVWorld_Activity::kInfoTextSize];
    world.FormatInfoText(text, sizeof text);
    EXPECT_EQ(std::string(text).find("Current vehicle speed"), std::string::npos);
}

// ---- keys --------------------------------------------------------------------------------------

TEST_F(WorldDrivingTest, TheNumberKeysChooseTheModes) {
    struct Case {
        int32_t from;
        uint32_t key;
        int32_t to;
        int32_t latchAfter; // the latch starts at 0
    };
    const Case cases[] = {
        {0, '1', 10, 0}, {0, '2', 9, 0}, {0, '3', 7, 1}, {7, '3', 7, 0}, {8, '3', 8, 0}, {0, '4', 5, 0},
        {0, '5', 4, 0},  {0, '6', 6, 0}, {5, '7', 0, 0}, {1, '7', 1, 0}, {0, '7', 0, 0}, {0, '8', 2, 0},
        {3, '8', 3, 0},  {2, '8', 2, 0}, {7, '9', 7, 0}, {11, '3', 7, 1},
    };
    for (const Case& c : cases) {
        auto world = LooseWorld();
        world->SetDrivingMode(c.from);
        world->SetSpaceLatch(0);
        world->OnKey(c.key);
        EXPECT_EQ(world->GetDrivingMode(), c.to) << c.from << " " << char(c.key);
        EXPECT_EQ(world->GetSpaceLatch(), c.latchAfter) << c.from << " " << char(c.key);
        if (c.latchAfter == 1) {
            EXPECT_TRUE(world->StopTimer().running) << "the stop timer restarts with the latch";
        }
    }
}

TEST_F(WorldDrivingTest, SpeedAndTuningKeysKeepTheirLimits) {
    enum Field { kSpeed, kAcceleration, kDeceleration };
    struct Case {
        uint32_t key;
        Field field;
        float before, after;
    };
    const Case cases[] = {
        {kPlus, kSpeed, 150, 175},        {kOemPlus, kSpeed, 290, 300},       {kPlus, kSpeed, 300, 300},
        {kMinus, kSpeed, 150, 125},       {kOemMinus, kSpeed, 110, 100},      {kMinus, kSpeed, 100, 100},
        {kClose, kAcceleration, 1.0f, 0.15f}, {kOpen, kAcceleration, 1.0f, 0.995f},
        {kOpen, kAcceleration, 0.1f, 0.095f}, {kOpen, kAcceleration, 0.007f, 0.005f},
        {kClose, kAcceleration, 0.148f, 0.15f}, {kOpen, kAcceleration, 1.5f, 1.0f},
        {kSemicolon, kDeceleration, 0.2f, 0.15f}, {kSemicolon, kDeceleration, 0.07f, 0.05f},
        {kQuote, kDeceleration, 0.22f, 0.25f},  {kQuote, kDeceleration, 1.0f, 0.25f},
        {kSemicolon, kDeceleration, 1.0f, 0.95f}, {kSemicolon, kDeceleration, 3.0f, 1.0f},
    };
    for (const Case& c : cases) {
        auto world = LooseWorld();
        VIsometric* car = world->Car();
        ASSERT_NE(car, nullptr);
        float* value = nullptr;
        float speed = 0, accel = 0, decel = 0;
        if (c.field == kSpeed) car->SetSpeed(c.before);
        if (c.field == kAcceleration) car->SetAccelerationStep(c.before);
        if (c.field == kDeceleration) car->SetDecelerationStep(c.before);
        world->OnKey(c.key);
        speed = car->GetTopSpeed();
        accel = car->GetAccelerationStep();
        decel = car->GetDecelerationStep();
        value = c.field == kSpeed ? &speed : c.field == kAcceleration ? &accel : &decel;
        EXPECT_NEAR(*value, c.after, 1e-6) << c.key << " on " << c.before;
    }
}

TEST_F(WorldDrivingTest, TheOverlayKeysAndTheCursorKey) {
    DrivingWorld* world = RunningWorld();
    ASSERT_NE(world, nullptr);
    OTextCView* view = world->AddInfoView();
    world->OnKey('I');
    EXPECT_TRUE(view->IsShownThroughParents());
    char text[512] = {};
    view->GetText(text, sizeof text);
    EXPECT_EQ(std::string(text).rfind("Press I to hide/show this info", 0), 0u) << text;
    world->OnKey('I');
    EXPECT_FALSE(view->IsVisible());
    world->OnKey('O');
    EXPECT_EQ(world->colourCycles, 1);

    struct Case {
        int32_t mode;
        bool panel;
        int32_t before, after;
    };
    const Case cases[] = {
        {1, false, 0, -1}, {1, false, -1, 0}, {3, false, 0, -1}, {8, false, -1, 0}, {9, false, 0, -1},
        {10, false, 0, -1}, {0, false, 0, 0},  {7, false, -1, -1}, {2, false, 0, 0},  {10, true, 0, 0},
    };
    for (const Case& c : cases) {
        if (c.panel) world->CreateButtonPanel(CTLVActivity::kPanelMenu);
        xCursor_Show(c.before == 0);
        world->SetDrivingMode(c.mode);
        world->OnKey(kF10);
        EXPECT_EQ(xCursor_HiddenState(), c.after) << c.mode << (c.panel ? " with a panel" : "");
    }
}

TEST_F(WorldDrivingTest, TheKeyModesHideTheCursorUnlessAPanelShows) {
    DrivingWorld* world = RunningWorld();
    ASSERT_NE(world, nullptr);
    struct Case {
        int32_t mode;
        bool panel;
        int32_t after;
    };
    const Case cases[] = {{0, false, -1}, {2, false, -1}, {4, false, -1}, {5, false, -1}, {6, false, -1},
                          {7, false, -1}, {1, false, 0},  {9, false, 0},  {10, false, 0}, {7, true, 0}};
    for (const Case& c : cases) {
        if (c.panel) world->CreateButtonPanel(CTLVActivity::kPanelMenu);
        xCursor_Show(true);
        world->SetDrivingMode(c.mode);
        Step(*world, {});
        EXPECT_EQ(xCursor_HiddenState(), c.after) << c.mode;
    }
}

TEST_F(WorldDrivingTest, ThePolledKeysReachTheWorldOnceAndEscOpensTheMenuOnce) {
    DrivingWorld* world = RunningWorld();
    ASSERT_NE(world, nullptr);
    SpyWorld::log.clear();
    Type(kEsc);
    Frames(3, kFrameMs);
    EXPECT_EQ(std::count(SpyWorld::log.begin(), SpyWorld::log.end(), "CreateButtonPanel 0"), 1) << traced();
    EXPECT_TRUE(world->IsPanelShown(CTLVActivity::kPanelMenu));
    world->HidePanel(CTLVActivity::kPanelMenu, 1);
    Frames(3, kFrameMs);

    Type('1');
    EXPECT_EQ(world->GetDrivingMode(), 10);
    Type('5');
    EXPECT_EQ(world->GetDrivingMode(), 4);
    Type(kOemPlus);
    EXPECT_FLOAT_EQ(world->Car()->GetTopSpeed(), 175.0f) << "the normal speed the menu panel set, 150, and one step";
    Type('O');
    EXPECT_EQ(world->colourCycles, 1) << "one press, one call";
}

TEST_F(WorldDrivingTest, ModeSevenDrivesOnAfterSpaceAndStopsAtTheNext) {
    DrivingWorld* world = RunningWorld();
    ASSERT_NE(world, nullptr);
    VIsometric* car = world->Car();
    ASSERT_NE(car, nullptr);
    ASSERT_EQ(world->GetDrivingMode(), 7);
    ASSERT_EQ(world->GetSpaceLatch(), TLVWorld_Activity::kLatchStop);
    Type(kSpace);
    EXPECT_EQ(world->GetSpaceLatch(), TLVWorld_Activity::kLatchDrive);
    Frames(30, kFrameMs);
    EXPECT_EQ(car->GetDriveState(), VIsometric::kMoving) << "Space is up: the car drives on";
    const float y = car->GetPosition().y;
    Frames(10, kFrameMs);
    EXPECT_GT(car->GetPosition().y, y) << "heading 0 drives down the stage";

    Type(kSpace);
    EXPECT_EQ(world->GetSpaceLatch(), TLVWorld_Activity::kLatchStop);
    Frames(60, kFrameMs);
    EXPECT_EQ(car->GetDriveState(), VIsometric::kHalted);
    EXPECT_EQ(world->GetStopFlag(), 0) << "the stop flag is the world's own";
    EXPECT_EQ(world->GetSpaceLatch(), TLVWorld_Activity::kLatchStop) << "the latch stays at stop";
    const CPointF at = car->GetPosition();
    Frames(30, kFrameMs);
    EXPECT_EQ(car->GetPosition().y, at.y) << "and the car does not start again";

    // Space in another mode leaves the latch.
    world->SetDrivingMode(0);
    Type(kSpace);
    EXPECT_EQ(world->GetSpaceLatch(), TLVWorld_Activity::kLatchStop);
}

TEST_F(WorldDrivingTest, APointerMoveTurnsAKeyModeIntoItsMouseTwin) {
    struct Case {
        int32_t mode;
        std::initializer_list<uint32_t> keys;
        int32_t after;
    };
    const Case cases[] = {
        {0, {}, 1},      {0, {kLeft}, 0},  {0, {kSpace}, 1}, {2, {}, 3},      {2, {Pad(3)}, 2},
        {2, {kUp}, 2},   {7, {}, 8},       {7, {kRight}, 7}, {4, {}, 4},      {6, {}, 6},
        {10, {}, 10},    {11, {}, 11},     {12, {}, 12},     {1, {}, 1},
    };
    for (const Case& c : cases) {
        auto world = LooseWorld();
        world->SetDrivingMode(c.mode);
        Hold(c.keys);
        world->OnWorldMouseMove(xEvent{});
        ReleaseKeys();
        EXPECT_EQ(world->GetDrivingMode(), c.after) << c.mode;
    }
    DrivingWorld* shown = RunningWorld();
    ASSERT_NE(shown, nullptr);
    xEvent move;
    move.category = kEventMouse;
    move.type = kEvMouseMove;
    shown->HandleEvent(move);
    EXPECT_EQ(shown->GetDrivingMode(), 8) << "the world's event handler passes the move on";
}

// ---- the exit drive ----------------------------------------------------------------------------

TEST_F(WorldDrivingTest, TheExitDriveReachesTheApproachTurnsToTheExitAndRequestsTheGarageOnce) {
    struct Case {
        const char* name;
        CPointF start;
        int32_t group;
        CPoint16 approach;
        int32_t heading;
    };
    const Case cases[] = {
        {"east along the row", CPointF(200, 300), 0, CPoint16(400, 300), 8},
        {"group 1 reads the heading", CPointF(300, 200), 1, CPoint16(300, 330), 16},
        {"approach off the screen", CPointF(500, 300), 0, CPoint16(900, 300), 8},
    };
    for (const Case& c : cases) {
        DrivingWorld* world = RunningWorld();
        ASSERT_NE(world, nullptr) << c.name;
        VIsometric* car = world->Car();
        ASSERT_NE(car, nullptr);
        car->SetPosition(c.start, 0, 1);
        car->SetState(c.group * 32);
        world->SetExitDrive(c.approach, c.heading, nullptr, nullptr);
        world->SetDrivingMode(TLVWorld_Activity::kNoDriving);
        const size_t tracedBefore = traced().size();
        int frames = 0;
        for (; frames < 600 && !manager->IsSwitchPending(); ++frames) Frames(1, kFrameMs);
        ASSERT_TRUE(manager->IsSwitchPending()) << c.name << ": at " << car->GetPosition().x << ","
                                                << car->GetPosition().y << " heading " << car->Heading();
        EXPECT_EQ(manager->GetPendingId(), MakeChunkId(1, 5)) << c.name;
        EXPECT_EQ(car->Heading(), c.heading) << c.name;
        EXPECT_EQ(car->GetDriveState(), VIsometric::kHalted) << c.name;
        EXPECT_EQ(world->GetExitFlag(), 0) << c.name;
        for (int i = 0; i < 20; ++i) world->DriveVehicle();
        EXPECT_EQ(traced().find("interrupt activity switch", tracedBefore), std::string::npos)
            << c.name << ": asked once";
        SwitchTo(kEmptyWorld);
    }
}

TEST_F(WorldDrivingTest, TheExitDriveOpensTheDoorAndDrivesThroughWithoutTheTouchHook) {
    DrivingWorld* world = RunningWorld();
    ASSERT_NE(world, nullptr);
    VIsometric* car = world->Car();
    ASSERT_NE(car, nullptr);
    auto* door = Add(world, new TLV_Object, 520, 300);
    auto* second = Add(world, new TLV_Object, 560, 300);
    second->SetVisible(0, 1);
    car->SetPosition(CPointF(380, 300), 0, 1);
    car->SetState(8);
    world->SetExitDrive(CPoint16(400, 300), 8, door, second);
    world->SetDrivingMode(TLVWorld_Activity::kNoDriving);
    bool sawFlag = false;
    for (int i = 0; i < 300 && !manager->IsSwitchPending(); ++i) {
        Frames(1, kFrameMs);
        if (world->GetExitFlag()) {
            sawFlag = true;
            EXPECT_EQ(car->GetFrameHook(), nullptr) << "it drives through what stands in the doorway";
        }
    }
    EXPECT_TRUE(sawFlag);
    EXPECT_TRUE(manager->IsSwitchPending());
    EXPECT_EQ(door->GetState(), 1);
    EXPECT_TRUE(second->IsVisible());
    EXPECT_GT(car->GetPosition().x, 460.0f) << "the car drove on to within 60 of the door";
    world->ForgetExitProp(door);
    world->ForgetExitProp(second);
}

// ---- the overlay's text ------------------------------------------------------------------------

TEST_F(WorldDrivingTest, TheInfoTextMatchesTheGoldenText) {
    auto world = LooseWorld();
    VIsometric* car = world->Car();
    ASSERT_NE(car, nullptr);
    car->SetSpeed(250.0f);
    car->SetThrottle(0.5f);
    car->SetAccelerationStep(0.0125f);
    car->SetDecelerationStep(0.2f);
    world->SetInfoLine(0, "Circus town\r");
    world->SetInfoLine(1, "Find the clowns");
    std::string all;
    for (int32_t mode = 0; mode <= 12; ++mode) {
        world->SetDrivingMode(mode);
        char text[TLVWorld_Activity::kInfoTextSize];
        const size_t length = world->FormatInfoText(text, sizeof text);
        EXPECT_EQ(length, std::strlen(text));
        all += "mode " + std::to_string(mode) + ":\n" + text + "\n";
    }
    for (char& ch : all)
        if (ch == '\r') ch = '|';
    ExpectMatchesGolden("game/world/driving_info.txt", all);
}

TEST_F(WorldDrivingTest, TheInfoTextStaysInItsBufferWithFullLines) {
    auto world = LooseWorld();
    ASSERT_NE(world->Car(), nullptr);
    const std::string full(600, 'x');
    world->SetInfoLine(0, full.c_str());
    world->SetInfoLine(1, full.c_str());
    world->SetInfoLine(2, "no third line");
    world->SetInfoLine(0, nullptr);
    world->SetInfoLine(0, full.c_str());
    world->Car()->SetSpeed(1e30f);
    world->Car()->SetThrottle(1e30f);
    struct Case {
        size_t size;
        size_t length;
    };
    char text[TLVWorld_Activity::kInfoTextSize + 8];
    for (const Case& c : {Case{sizeof text, 0}, Case{64, 63}, Case{1, 0}}) {
        std::memset(text, '#', sizeof text);
        const size_t length = world->FormatInfoText(text, c.size);
        if (c.length) {
            EXPECT_EQ(length, c.length);
        }
        EXPECT_EQ(text[length], '\0');
        EXPECT_LT(length, c.size);
        if (c.size < sizeof text) {
            EXPECT_EQ(text[c.size], '#') << "nothing written past the buffer";
        }
    }
    const std::string whole(text);
    EXPECT_EQ(whole.find(std::string(256, 'x')), std::string::npos) << "each line holds 255";
    EXPECT_EQ(world->FormatInfoText(nullptr, 10), 0u);
}

// ---- pause, resume and the press ---------------------------------------------------------------

TEST_F(WorldDrivingTest, PauseHoldsTheWorldsClocksAndAPressActsAfterTheCooldown) {
    DrivingWorld* world = RunningWorld();
    ASSERT_NE(world, nullptr);
    world->StopTimer().Start(50);
    world->KeyTimer().Start(5000);
    world->Pause();
    for (CTimerRec* timer : {&world->ActionTimer(), &world->StopTimer(), &world->KeyTimer()})
        EXPECT_NE(timer->paused, 0u);
    world->OnMousePress();
    EXPECT_EQ(world->actions, 0) << "a paused cooldown never acts";
    clock().Advance(1000);
    world->CreateButtonPanel(CTLVActivity::kPanelMenu);
    world->Resume();
    EXPECT_NE(world->StopTimer().paused, 0u) << "a panel keeps the clocks held";
    world->HidePanel(CTLVActivity::kPanelMenu, 1);
    Frames(3, kFrameMs);
    for (CTimerRec* timer : {&world->ActionTimer(), &world->StopTimer(), &world->KeyTimer()})
        EXPECT_EQ(timer->paused, 0u);
    EXPECT_LT(clock().TickCount() - world->KeyTimer().start, 1000u) << "the paused span is added back";

    clock().Advance(600);
    world->OnMousePress();
    EXPECT_EQ(world->actions, 1);
    world->OnMousePress();
    EXPECT_EQ(world->actions, 1) << "the action restarted the cooldown";
    clock().Advance(world->GetActionCooldown() + 1);
    world->OnButtonDown();
    EXPECT_EQ(world->actions, 2);
}

TEST_F(WorldDrivingTest, DrivingKeysResumeThePausedKeyTimer) {
    auto world = LooseWorld();
    ASSERT_NE(world->KeyTimer().paused, 0u) << "made paused";
    Step(*world, {});
    EXPECT_NE(world->KeyTimer().paused, 0u);
    Step(*world, {kRight});
    EXPECT_EQ(world->KeyTimer().paused, 0u);
    world->KeyTimer().Pause();
    Step(*world, {kSpace});
    EXPECT_EQ(world->KeyTimer().paused, 0u);
}

} // namespace
} // namespace vqt::test
