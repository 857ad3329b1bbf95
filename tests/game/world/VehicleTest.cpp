// The driven vehicle: its drive machine frame by frame against a model of the rules written
// here, keys and targets, headings, ground points, the trail, companions, draw order and the
// bad part values it must survive.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "engine/core/Activity.h"
#include "engine/core/CurrentActivity.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "engine/media/Application.h"
#include "game/shell/GameShellState.h"
#include "game/shell/TLVFactory.h"
#include "game/world/vehicles/VIsometric.h"
#include "game/world/vehicles/VehicleClasses.h"
#include "game/world/vehicles/VehicleHeadings.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/PartBuilder.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

const bool shellReset = HeadlessTest::AddStateReset(&CGameShellState::ResetForTest);

constexpr uint32_t kFrame = 16;
// Part entries.
constexpr uint16_t kPlainCar = 10;     // 64 states, nothing else
constexpr uint16_t kFullCar = 11;      // shadow, companion and offsets
constexpr uint16_t kBadCar = 12;       // companion naming no chunk, shadow with a zero footprint
constexpr uint16_t kNegativeCar = 13;  // shadow with a negative footprint
constexpr uint16_t kShadow = 20, kCompanion = 21, kZeroShadow = 22, kNegativeShadow = 23, kLight = 30;
constexpr int16_t kHalfWidth = 12, kHalfLength = 30;
constexpr int32_t kOffsetX = 3, kOffsetY = 12;

/// `n` states of two 100 ms frames of 8 x 8, the hot spot in the middle; group 0 has base
/// value 2, group 1 base value 7.
PartPlan States(int n) {
    PartPlan part;
    for (int s = 0; s < n; ++s) {
        FramePlan frame{.picture = Picture(8, 8, uint8_t(s % 200 + 1)), .hotX = 4, .hotY = 4};
        part.states.push_back(StatePlan{.frames = {frame, frame}, .propertyValue = uint16_t(s < 32 ? 2 : 7)});
    }
    return part;
}

PartPlan Car(uint16_t shadow, uint8_t companion) {
    PartPlan part = States(64);
    part.words[0] = shadow;
    part.bytes[0] = companion;
    part.longs[0] = uint32_t(kOffsetX);
    part.longs[1] = uint32_t(kOffsetY);
    return part;
}

PartPlan Shadow(int16_t halfWidth, int16_t halfLength) {
    PartPlan part = States(1);
    part.words[0] = uint16_t(halfWidth);
    part.words[1] = uint16_t(halfLength);
    return part;
}

// ---- the model of the drive rules (throttle, turn and 15 ms motion steps)

/// The heading table as the rules give it: sine and half the cosine of i x 11.25 degrees,
/// each rounded to three decimals.
Vec3 ModelHeading(int32_t h) {
    const double a = double(((h % 32) + 32) % 32) * 11.25 * 3.14159265358979323846 / 180.0;
    const float s = float(std::round(std::sin(a) * 1000.0) / 1000.0);
    const float c = float(std::round(std::cos(a) * 1000.0) / 1000.0);
    return Vec3(s + 0.0f, 0.5f * c + 0.0f, 0.0f);
}

int32_t ModelNearest(double x, double y) {
    int32_t best = 0;
    double bestAngle = 10.0;
    for (int32_t i = 0; i < 32; ++i) {
        const Vec3 h = ModelHeading(i);
        const double lengths = std::hypot(x, y) * std::hypot(double(h.x), double(h.y));
        const double angle = lengths > 0 ? std::acos(std::clamp((x * h.x + y * h.y) / lengths, -1.0, 1.0)) : 0.0;
        if (angle <= bestAngle) bestAngle = angle, best = i;
    }
    return best;
}

struct DriveModel {
    float x = 0, y = 0;
    int32_t state = 0;
    int ds = 0, dir = 0, last = 0, turn = 0;
    float top = 150, accel = 1, decel = 1, thr = 0, vx = 0, vy = 0;
    float tx = 0, ty = 0, radius = 50;
    uint32_t thrStart = 0, turnStart = 0, stepStart = 0;
    int halts = 0, fullSpeeds = 0, accelerates = 0, decelerates = 0, throttleSteps = 0;

    int32_t H() const { return ((state % 32) + 32) % 32; }
    void Aim() {
        const Vec3 h = ModelHeading(H());
        const float speed = top * thr;
        vx = h.x * speed;
        vy = h.y * speed;
    }
    void Halt() {
        if (top > 0) ++halts;
        vx = vy = 0;
        thr = 0;
        ds = dir = last = 0;
    }
    void StopKeys() {
        if (ds == 1 || ds == 3) Halt();
        else if (ds == 2 || ds == 4) dir = -1;
    }
    void DriveKeyPos() {
        dir = 1;
        if (ds == 0 || ds == 3) ds = 1;
        else if (ds == 4) ds = 2;
    }
    void TurnKeyUp() {
        turn = 0;
        if (ds == 3) ds = 1;
        else if (ds == 4) ds = 2;
    }
    void SetTarget(float px, float py) {
        tx = px, ty = py, dir = 1, turn = 0;
        const bool within = std::hypot(double(px) - x, double(py) - y) <= radius;
        if (ds == 0) {
            if (within) return;
            Aim();
            ds = 3;
        } else if (ds == 1 || ds == 3) {
            ds = 3;
            if (within) Halt();
        } else {
            ds = 4;
            if (within) StopKeys();
        }
    }
    void ShowHeading(int32_t h) { state = state - H() + ((h % 32) + 32) % 32; }
    void Steer() {
        const double dx = double(tx) - x, dy = double(ty) - y;
        const double lengths = std::hypot(dx, dy) * std::hypot(double(vx), double(vy));
        const double angle = lengths > 0 ? std::acos(std::clamp((dx * vx + dy * vy) / lengths, -1.0, 1.0)) : 0.0;
        if (angle <= 0.1309) return;
        const int32_t wanted = ModelNearest(float(dx), float(dy));
        if (wanted == H()) return;
        const int32_t above = ((H() - wanted) % 32 + 32) % 32;
        ShowHeading(above >= 1 && above <= 15 ? H() - 1 : H() + 1);
        if (ds != 0) Aim();
    }
    void Step(uint32_t now) {
        if (accel > 1 && thr >= 1) accel = 0.1f;
        if (thr > 1) dir = -1;
        if ((ds == 2 || ds == 4) && now - thrStart > 90) {
            ++throttleSteps;
            bool halted = false;
            if (dir == -1) {
                if (last != -1) ++decelerates, last = -1;
                thr -= decel;
                if (thr <= 0) thr = 0, Halt(), halted = true;
            } else if (dir == 0) {
                last = 0;
            } else {
                if (last != 1) ++accelerates, last = 1;
                const bool below = thr < 1;
                thr = std::min(thr + accel, 1.0f);
                if (below && thr == 1.0f) ++fullSpeeds;
            }
            if (!halted) thrStart = now;
        }
        if (ds != 0) {
            if (dir != -1 && int64_t(accel * 10000.0f) > int64_t(thr * 10000.0f)) thr = accel;
            Aim();
        }
        if (turn != 0 && now - turnStart > 45) {
            ShowHeading(H() + (turn < 0 ? 1 : -1));
            if (ds != 0) Aim();
            turnStart = now;
        }
        if (ds == 0) {
            stepStart = now;
            return;
        }
        const float px = x, py = y;
        if (now - stepStart > 15) {
            const uint32_t dt = std::min<uint32_t>(now - stepStart, 125);
            if (std::sqrt(vx * vx + vy * vy) < 0.5f) vx = vy = 0;
            const float seconds = float(dt) / 1000.0f;
            x += vx * seconds;
            y += vy * seconds;
            stepStart = now;
        }
        if (std::lround(x) != std::lround(px) || std::lround(y) != std::lround(py)) {
            if (ds == 1) ds = 2;
            else if (ds == 3) ds = 4;
        }
        if ((ds == 3 || ds == 4) && now - turnStart > 45) {
            Steer();
            turnStart = now;
        }
        if ((ds == 3 || ds == 4) && radius > 0 && std::hypot(double(x) - tx, double(y) - ty) < radius) StopKeys();
    }
};

// ---- hooks the tests plug in

struct Calls {
    int halts = 0, fullSpeeds = 0, accelerates = 0, decelerates = 0, blocked = 0, moving = 0;
};
Calls gCalls;
int32_t gAllowedState = -1; // the one state the refusing hook lets pass (-1: none)
bool gRefuseAll = false;

bool CountHalt(TLV_Object*) { return ++gCalls.halts, true; }
bool CountFull(TLV_Object*) { return ++gCalls.fullSpeeds, true; }
bool CountAccel(TLV_Object*) { return ++gCalls.accelerates, true; }
bool CountDecel(TLV_Object*) { return ++gCalls.decelerates, true; }
bool CountBlocked(TLV_Object*) { return ++gCalls.blocked, true; }
bool CountMoving(TLV_Object*) { return ++gCalls.moving, true; }
bool RefuseOtherStates(TLV_Object* o) { return gRefuseAll || static_cast<OActivityProp*>(o)->GetState() != gAllowedState; }

class StageView : public OActivity {
public:
    StageView() : OActivity("Activity", OActivity::kClassId) {
        SetSize(CPoint16(4000, 4000), 0);
        SetPosition(CPointF(2000, 2000), 0, 0);
    }
};

class VehicleTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        gCalls = {};
        gAllowedState = -1;
        gRefuseAll = false;
        parts_.AddPart(States(64), kPlainCar);
        parts_.AddPart(Car(kShadow, uint8_t(kCompanion)), kFullCar);
        parts_.AddPart(Car(kZeroShadow, 99), kBadCar);
        parts_.AddPart(Car(kNegativeShadow, 0), kNegativeCar);
        parts_.AddPart(Shadow(kHalfWidth, kHalfLength), kShadow);
        parts_.AddPart(States(64), kCompanion);
        parts_.AddPart(Shadow(0, kHalfLength), kZeroShadow);
        parts_.AddPart(Shadow(-5, kHalfLength), kNegativeShadow);
        parts_.AddPart(States(64), kLight);
        const std::string path = folder_ / "cars.vqk";
        ASSERT_TRUE(image_.WriteFile(path));
        auto file = std::make_unique<CPartFile>();
        ASSERT_TRUE(file->Open(path.c_str(), 1));
        app_ = std::make_unique<OApplication>();
        app_->SetPartFile(std::move(file));
        stage_ = std::make_unique<StageView>();
        xActivity_SetCurrentView(stage_.get());
    }
    void TearDown() override {
        xActivity_SetCurrentView(nullptr);
        stage_.reset();
        app_.reset();
        HeadlessTest::TearDown();
    }
    ChunkId Part(uint16_t entry) const { return MakeChunkId(parts_.PartIndex(), entry); }
    /// A vehicle on the stage at (x, y) in `state`, showing the part.
    VIsometric* Make(uint16_t part = kPlainCar, float x = 1000, float y = 1000, int32_t state = 0) {
        auto* car = new VIsometric;
        stage_->AddChild(car);
        car->SetPosition(CPointF(x, y), 0, 1);
        EXPECT_EQ(car->SetPartID(app_->GetPartFile(), Part(part), 1), 1);
        car->SetState(state);
        return car;
    }
    DriveModel ModelOf(VIsometric* car) {
        DriveModel m;
        m.x = car->GetPosition().x;
        m.y = car->GetPosition().y;
        m.state = car->GetState();
        m.thrStart = m.turnStart = m.stepStart = clock().TickCount();
        return m;
    }
    void Frame(VIsometric* car, uint32_t ms = kFrame) {
        clock().Advance(ms);
        car->OnIdle();
    }
    void Hook(VIsometric* car) {
        car->onHalt = &CountHalt;
        car->onFullSpeed = &CountFull;
        car->onAccelerate = &CountAccel;
        car->onDecelerate = &CountDecel;
        car->onBlocked = &CountBlocked;
        car->onMoving = &CountMoving;
    }
    /// Runs frames of `ms` on the vehicle and the model until `done` (at most `limit`),
    /// comparing position, drive state, state and throttle at every frame; the frames run.
    template <class Keys, class Done>
    int RunAgainstModel(VIsometric* car, DriveModel& m, Keys keys, Done done, int limit, uint32_t ms = kFrame) {
        int n = 0;
        for (; n < limit && !done(n); ++n) {
            keys(n);
            Frame(car, ms);
            m.Step(clock().TickCount());
            SCOPED_TRACE("frame " + std::to_string(n));
            EXPECT_EQ(car->GetPosition().x, m.x);
            EXPECT_EQ(car->GetPosition().y, m.y);
            EXPECT_EQ(car->GetDriveState(), m.ds);
            EXPECT_EQ(car->GetState(), m.state);
            EXPECT_EQ(car->GetThrottle(), m.thr);
            if (HasFailure()) return n;
        }
        return n;
    }

    TempFolder folder_;
    ChunkFileBuilder image_;
    PartBuilder parts_{image_};
    std::unique_ptr<OApplication> app_;
    std::unique_ptr<StageView> stage_;
};

// ---- the drive machine against the model

TEST_F(VehicleTest, UpHeldForASecondDrivesAtFullThrottleFromTheFirstFrame) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 5);
    Hook(car);
    DriveModel m = ModelOf(car);
    auto keys = [&](int) {
        car->TurnKeyUp(), car->DriveKeyPos();
        m.TurnKeyUp(), m.DriveKeyPos();
    };
    RunAgainstModel(car, m, keys, [](int n) { return n == 1; }, 1);
    EXPECT_EQ(car->GetThrottle(), 1.0f) << "the default step starts at full speed";
    const int frames = RunAgainstModel(car, m, keys, [&](int n) { return (n + 1) * kFrame >= 1000; }, 100);
    EXPECT_EQ(frames, 62);
    EXPECT_EQ(car->GetDriveState(), VIsometric::kMoving);
    EXPECT_GT(car->GetPosition().x - 1000, 0.55f * 150 * 0.95f) << "about a second at 150 along heading 5";
    EXPECT_EQ(gCalls.accelerates, m.accelerates);
    EXPECT_EQ(gCalls.fullSpeeds, 0) << "already full when the first step came";
    EXPECT_EQ(gCalls.moving, frames + 1) << "every frame moved, the first one included";
}

TEST_F(VehicleTest, AccelerationStepOfFiveHundredthsReachesFullThrottleAfterNineteenSteps) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 8);
    Hook(car);
    car->SetAccelerationStep(0.05f);
    DriveModel m = ModelOf(car);
    m.accel = 0.05f;
    auto keys = [&](int) { car->DriveKeyPos(), m.DriveKeyPos(); };
    RunAgainstModel(car, m, keys, [](int n) { return n == 1; }, 1);
    EXPECT_EQ(car->GetThrottle(), 0.05f);
    RunAgainstModel(car, m, keys, [&](int) { return m.thr == 1.0f; }, 400);
    EXPECT_EQ(m.throttleSteps, 19) << "0.05 and 19 steps of 0.05, the last one capped";
    RunAgainstModel(car, m, keys, [](int n) { return n == 40; }, 40);
    EXPECT_EQ(gCalls.fullSpeeds, 1);
    EXPECT_EQ(m.fullSpeeds, 1);
    EXPECT_EQ(gCalls.accelerates, 1);
}

TEST_F(VehicleTest, TargetFiveHundredPixelsAwayIsReachedAndTheVehicleBrakesToAHalt) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 8); // heading right; the target lies down-right
    Hook(car);
    DriveModel m = ModelOf(car);
    car->SetTarget(CPoint16(1300, 1400));
    m.SetTarget(1300, 1400);
    EXPECT_EQ(car->GetDriveState(), VIsometric::kStartingToTarget);
    const int frames = RunAgainstModel(car, m, [](int) {}, [&](int n) { return n > 0 && m.ds == 0; }, 3000);
    EXPECT_LT(frames, 3000);
    EXPECT_EQ(car->GetDriveState(), VIsometric::kHalted);
    EXPECT_LT(std::hypot(car->GetPosition().x - 1300.0, car->GetPosition().y - 1400.0), 80.0);
    EXPECT_NE(car->GetState(), 8) << "it steered";
    EXPECT_EQ(gCalls.halts, 1);
    EXPECT_EQ(gCalls.decelerates, 1);
}

TEST_F(VehicleTest, ALongFrameMovesOnlyTheLongestStep) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 8);
    DriveModel m = ModelOf(car);
    auto keys = [&](int) { car->DriveKeyPos(), m.DriveKeyPos(); };
    RunAgainstModel(car, m, keys, [](int n) { return n == 5; }, 5);
    const float before = car->GetPosition().x;
    RunAgainstModel(car, m, keys, [](int n) { return n == 1; }, 1, 200);
    EXPECT_FLOAT_EQ(car->GetPosition().x - before, 150.0f * 0.125f);
    RunAgainstModel(car, m, keys, [](int n) { return n == 5; }, 5);
}

TEST_F(VehicleTest, AStartAfterStandingCoversOneFrameNotTheTimeStood) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 8);
    for (int i = 0; i < 30; ++i) Frame(car);
    car->DriveKeyPos();
    Frame(car);
    EXPECT_FLOAT_EQ(car->GetPosition().x, 1000.0f + 150.0f * 0.016f);
}

// ---- keys, brakes and targets

TEST_F(VehicleTest, KeysMoveTheDriveStateAsTheTableSays) {
    struct Case {
        int32_t from;
        void (VIsometric::*key)();
        int32_t to;
        int32_t direction; // -2: not changed
    } const cases[] = {
        {0, &VIsometric::DriveKeyPos, 1, 1},  {3, &VIsometric::DriveKeyPos, 1, 1}, {4, &VIsometric::DriveKeyPos, 2, 1},
        {2, &VIsometric::DriveKeyPos, 2, 1},  {1, &VIsometric::DriveKeyNeg, 0, 0}, {3, &VIsometric::DriveKeyNeg, 0, 0},
        {4, &VIsometric::DriveKeyNeg, 2, -1}, {2, &VIsometric::DriveKeyNeg, 2, -1}, {0, &VIsometric::DriveKeyNeg, 0, -1},
        {3, &VIsometric::DriveKeyUp, 1, 0},   {4, &VIsometric::DriveKeyUp, 2, 0},  {3, &VIsometric::TurnKeyNeg, 1, -2},
        {4, &VIsometric::TurnKeyPos, 2, -2},  {4, &VIsometric::TurnKeyUp, 2, -2},  {1, &VIsometric::StopKeys, 0, 0},
        {3, &VIsometric::StopKeys, 0, 0},     {2, &VIsometric::StopKeys, 2, -1},   {4, &VIsometric::StopKeys, 4, -1},
    };
    VIsometric* car = Make();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " to " << c.to);
        car->Halt();
        if (c.from == 1) car->DriveKeyPos();
        if (c.from == 3) car->SetTarget(CPoint16(1500, 1000));
        if (c.from == 2 || c.from == 4) {
            car->DriveKeyPos();
            for (int i = 0; i < 3; ++i) Frame(car);
            ASSERT_EQ(car->GetDriveState(), 2);
            if (c.from == 4) car->SetTarget(CPoint16(3000, 1000));
        }
        ASSERT_EQ(car->GetDriveState(), c.from);
        (car->*c.key)();
        EXPECT_EQ(car->GetDriveState(), c.to);
        if (c.direction != -2) {
            EXPECT_EQ(car->GetDriveDirection(), c.direction);
        }
    }
}

TEST_F(VehicleTest, BrakingLowersTheThrottleEveryNinetyMillisecondsToAHalt) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 8);
    Hook(car);
    car->SetDecelerationStep(0.25f);
    car->DriveKeyPos();
    for (int i = 0; i < 10; ++i) Frame(car);
    car->StopKeys();
    DriveModel m = ModelOf(car);
    m.ds = 2, m.dir = -1, m.last = 1, m.thr = car->GetThrottle(), m.decel = 0.25f;
    m.thrStart = car->ThrottleTimer().start, m.turnStart = car->TurnTimer().start;
    m.Aim();
    m.stepStart = car->GetStepClock().start;
    RunAgainstModel(car, m, [](int) {}, [&](int) { return m.ds == 0; }, 200);
    EXPECT_EQ(car->GetDriveState(), 0);
    EXPECT_EQ(gCalls.decelerates, 1);
    EXPECT_EQ(gCalls.halts, 1);
    EXPECT_EQ(m.throttleSteps, 4);
}

TEST_F(VehicleTest, SetSpeedKeepsTheActualSpeedAndIgnoresBadValues) {
    struct Case {
        float speed;
        float top;
        float throttle;
    } const cases[] = {{0.0f, 150, 0.6f}, {-20.0f, 150, 0.6f}, {150.0f, 150, 0.6f}, {75.0f, 75, 1.2f}, {300.0f, 300, 0.3f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        auto car = std::make_unique<VIsometric>();
        car->SetThrottle(0.6f);
        car->SetSpeed(c.speed);
        EXPECT_EQ(car->GetTopSpeed(), c.top);
        EXPECT_FLOAT_EQ(car->GetThrottle(), c.throttle);
    }
}

TEST_F(VehicleTest, AThrottleAboveOneBrakesAtEveryThrottleStep) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 8);
    car->SetDecelerationStep(0.1f);
    car->DriveKeyPos();
    for (int i = 0; i < 8; ++i) Frame(car);
    car->SetSpeed(75.0f); // throttle 2.0
    DriveModel m = ModelOf(car);
    m.ds = car->GetDriveState(), m.dir = 1, m.last = 1, m.thr = car->GetThrottle(), m.top = 75, m.decel = 0.1f;
    m.thrStart = car->ThrottleTimer().start, m.stepStart = car->GetStepClock().start;
    m.turnStart = car->TurnTimer().start;
    m.Aim();
    auto keys = [&](int) { car->DriveKeyPos(), m.DriveKeyPos(); };
    RunAgainstModel(car, m, keys, [&](int) { return m.thr <= 1.0f; }, 200);
    EXPECT_EQ(m.throttleSteps, 10);
    EXPECT_EQ(car->GetDriveDirection(), -1);
}

TEST_F(VehicleTest, ATargetWithinTheRadiusDoesNotStartAHaltedVehicle) {
    VIsometric* car = Make();
    car->SetTarget(CPoint16(1030, 1030));
    EXPECT_EQ(car->GetDriveState(), 0);
    Frame(car);
    EXPECT_EQ(car->GetPosition(), CPointF(1000, 1000));
    EXPECT_EQ(car->GetTarget(), CPointF(1030, 1030));
}

TEST_F(VehicleTest, SteerToTargetTurnsTheShortWayRound) {
    struct Case {
        int32_t heading;
        int16_t dx, dy;
        int32_t turn;
    } const cases[] = {{8, 100, 0, 0}, {8, 0, 100, 1}, {8, 0, -100, -1}, {0, -100, 0, 1}, {0, 100, 0, -1}, {30, 0, 100, -1}};
    VIsometric* car = Make();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.heading);
        car->SetState(c.heading);
        car->SteerToTarget(CPoint16(int16_t(1000 + c.dx), int16_t(1000 + c.dy)));
        EXPECT_EQ(car->GetTurnDirection(), c.turn);
    }
}

TEST_F(VehicleTest, TurningStepsEveryFortyFiveMillisecondsInPlaceWhileHalted) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 31);
    car->TurnKeyNeg(); // heading up: 31 wraps to 0
    std::vector<int32_t> states;
    for (int i = 0; i < 9; ++i) {
        Frame(car);
        states.push_back(car->GetState());
    }
    EXPECT_EQ(states, (std::vector<int32_t>{31, 31, 0, 0, 0, 1, 1, 1, 2}));
    EXPECT_EQ(car->GetPosition(), CPointF(1000, 1000));
}

TEST_F(VehicleTest, ARefusedTurnWhileMovingKeepsHeadingGroupAndVelocity) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 40); // group 1, heading 8
    car->DriveKeyPos();
    for (int i = 0; i < 3; ++i) Frame(car);
    ASSERT_EQ(car->GetDriveState(), 2);
    gAllowedState = 40;
    car->SetTouchHook(&RefuseOtherStates);
    const Vec3 velocity = car->GetVelocity();
    car->TurnKeyPos();
    for (int i = 0; i < 6; ++i) Frame(car);
    EXPECT_EQ(car->GetState(), 40);
    EXPECT_EQ(car->GetVariant(), 1);
    EXPECT_EQ(car->GetVelocity(), velocity);
}

TEST_F(VehicleTest, ARefusedMovePutsTheVehicleBackAtItsOwnPlace) {
    VIsometric* car = Make(kFullCar, 1000, 1000, 8);
    Hook(car);
    ASSERT_NE(car->GetShadow(), nullptr);
    car->DriveKeyPos();
    for (int i = 0; i < 4; ++i) Frame(car);
    const CPointF before = car->GetPosition();
    gRefuseAll = true;
    car->SetTouchHook(&RefuseOtherStates);
    Frame(car);
    EXPECT_EQ(car->GetPosition(), before);
    EXPECT_EQ(car->GetPreviousGroundPosition(), car->GetShadow()->GetPosition());
    EXPECT_NE(car->GetPreviousGroundPosition(), before);
    EXPECT_EQ(car->GetDriveState(), 0);
    EXPECT_EQ(gCalls.blocked, 1);
    EXPECT_EQ(gCalls.halts, 1);
}

TEST_F(VehicleTest, ABlockedTargetDriveFallsBackToStartingAndSteers) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 8);
    Hook(car);
    car->SetTarget(CPoint16(1600, 1000));
    for (int i = 0; i < 3; ++i) Frame(car);
    ASSERT_EQ(car->GetDriveState(), 4);
    gRefuseAll = true;
    car->SetTouchHook(&RefuseOtherStates);
    const CPointF before = car->GetPosition();
    Frame(car);
    EXPECT_EQ(car->GetDriveState(), 3);
    EXPECT_EQ(car->IsMoving(), 0);
    EXPECT_EQ(car->GetPosition(), before);
    EXPECT_EQ(gCalls.blocked, 1);
    // Straight at the target: nothing to turn, so the next steering step halts it.
    for (int i = 0; i < 4 && car->GetDriveState() != 0; ++i) Frame(car);
    EXPECT_EQ(car->GetDriveState(), 0);
}

// ---- the heading goal

TEST_F(VehicleTest, TheHeadingGoalTurnsInPlaceTheShortWayAndHaltsEveryFrame) {
    struct Case {
        int32_t state;
        int32_t goal;
        int32_t firstTurn;
    } const cases[] = {{8, 12, -1}, {8, 4, 1}, {2, 30, 1}, {30, 2, -1}, {0, 16, 1}, {16, 0, -1}, {40, 44, -1}, {40, 36, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << " to " << c.goal);
        VIsometric* car = Make(kPlainCar, 1000, 1000, c.state);
        Hook(car);
        gCalls = {};
        car->SetHeadingGoal(c.goal);
        Frame(car);
        EXPECT_EQ(car->GetTurnDirection(), c.firstTurn);
        int frames = 1;
        while (car->IsHeadingGoalActive() && frames < 200) Frame(car), ++frames;
        ASSERT_EQ(car->IsHeadingGoalActive(), 0) << "a goal in any group is reached";
        EXPECT_EQ(car->Heading(), c.goal % 32);
        EXPECT_EQ(car->GetVariant(), c.state / 32) << "the group is kept";
        EXPECT_EQ(gCalls.halts, frames) << "halted on every frame of the turn";
        EXPECT_EQ(car->GetTurnDirection(), 0);
        delete car;
    }
}

// ---- headings, compass and distances

TEST_F(VehicleTest, HeadingTablesHoldTheThreeDecimalValues) {
    for (int32_t i = 0; i < 32; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(HeadingTable[size_t(i)], ModelHeading(i));
        EXPECT_EQ(HeadingTable[size_t(i)].x, kHeadings[size_t(i)].x) << "one table for the whole game";
        EXPECT_EQ(HeadingTable[size_t(i)].y, kHeadings[size_t(i)].y);
        EXPECT_EQ(UnitHeadingTable[size_t(i)].x, HeadingTable[size_t(i)].x);
        EXPECT_EQ(UnitHeadingTable[size_t(i)].y * 0.5f, HeadingTable[size_t(i)].y);
        EXPECT_EQ(xHeading_Nearest(HeadingTable[size_t(i)].x * 7, HeadingTable[size_t(i)].y * 7), i);
    }
    EXPECT_EQ(HeadingTable[2], Vec3(0.383f, 0.462f, 0));
    EXPECT_EQ(HeadingTable[13], Vec3(0.556f, -0.4155f, 0));
    EXPECT_EQ(HeadingTable[16], Vec3(0, -0.5f, 0));
    EXPECT_EQ(UnitHeadingTable[0], Vec3(0, 1, 0));
    EXPECT_EQ(xHeading_Nearest(0, 0), 31) << "every angle alike: the highest wins";
    for (int32_t s : {-1, -32, -33, 0, 31, 32, 63, 64, 1000})
        EXPECT_EQ(xVehicle_HeadingOf(s), ((s % 32) + 32) % 32);
}

TEST_F(VehicleTest, CompassCodesExistOnlyInGroupZero) {
    VIsometric* car = Make();
    for (int32_t s = 0; s < 64; ++s) {
        car->SetState(s);
        const uint16_t expected = s >= 32 ? 0xFFFF : s % 8 == 0 ? uint16_t(s / 8 * 2 + 1) : uint16_t(s / 8 * 2 + 2);
        EXPECT_EQ(car->GetCompassDir(), expected) << s;
    }
    const struct {
        int32_t state;
        uint16_t code;
    } named[] = {{0, 1}, {1, 2}, {7, 2}, {8, 3}, {15, 4}, {16, 5}, {17, 6}, {24, 7}, {25, 8}, {31, 8}};
    for (const auto& n : named) {
        car->SetState(n.state);
        EXPECT_EQ(car->GetCompassDir(), n.code) << n.state;
    }
}

TEST_F(VehicleTest, GroundDistanceCountsAVerticalStepTwice) {
    VIsometric* car = Make();
    EXPECT_DOUBLE_EQ(car->DistanceTo(CPointF(1000, 1010)), 20.0);
    EXPECT_DOUBLE_EQ(car->DistanceTo(CPointF(1010, 1000)), 10.0);
    EXPECT_DOUBLE_EQ(car->DistanceTo(CPointF(1003, 1002)), 5.0);
}

TEST_F(VehicleTest, VariantsAndHeadingsReadTheState) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 13);
    int32_t heading = -1;
    car->GetHeading(&heading);
    EXPECT_EQ(heading, 13);
    Vec3 v;
    car->GetHeadingVector(&v);
    EXPECT_EQ(v, HeadingTable[13]);
    car->GetHeading(nullptr);
    car->GetHeadingVector(nullptr);
    for (int32_t group : {1, 2, -1, 1, 0}) car->SetVariant(group);
    EXPECT_EQ(car->GetState(), 13);
    car->SetVariant(1);
    EXPECT_EQ(car->GetState(), 45);
    car->SetVariant(2); // the part has two groups
    EXPECT_EQ(car->GetState(), 45);
    EXPECT_EQ(car->GetVariant(), 1);
}

// ---- ground points, draw order and the trail

TEST_F(VehicleTest, GroundPointsAddTheStatesBaseValue) {
    VIsometric* car = Make(kPlainCar, 100.4f, 200.6f, 40);
    CPoint16 p;
    car->GetGroundPoint(&p);
    EXPECT_EQ(p, CPoint16(100, 201 + 7));
    car->SetScale(2.0f, 2.0f);
    CPointF f;
    car->GetGroundPointF(&f);
    EXPECT_EQ(f, CPointF(100.4f, 200.6f + 14.0f));
    car->GetGroundPoint(nullptr);
    car->GetGroundPointF(nullptr);
    EXPECT_EQ(car->GetGroundOffset(), 0.0f) << "no ground reference";
}

TEST_F(VehicleTest, DrawOrderFollowsTheGroundWithShadowBelowAndLightAbove) {
    VIsometric* car = Make(kFullCar, 500, 300, 3);
    car->AttachProp(Part(kLight));
    ASSERT_NE(car->GetAttachedProp(), nullptr);
    car->UpdateZOrder();
    const int32_t expected = 5 * (300 + kOffsetY + 2); // the shadow stands in for the vehicle
    EXPECT_EQ(car->GetPriority(), expected);
    EXPECT_EQ(car->GetShadow()->GetPriority(), expected - 1);
    EXPECT_EQ(car->GetAttachedProp()->GetPriority(), expected + 1);
    EXPECT_EQ(car->GetGroundBias(), 2);
    car->SetDrawPriority(77);
    EXPECT_EQ(car->GetAttachedProp()->GetPriority(), 78);
    car->SetDrawPriority(INT32_MAX);
    EXPECT_EQ(car->GetAttachedProp()->GetPriority(), INT32_MAX);
}

TEST_F(VehicleTest, TheTrailTakesAGroundPointEveryHundredPixels) {
    VIsometric* car = Make(kPlainCar, 0, 1000, 8);
    EXPECT_EQ(car->WayPointCount(), 20);
    CPoint16 start;
    car->GetGroundPoint(&start);
    car->SetWayPoint(0, start);
    car->DriveKeyPos();
    std::vector<int16_t> pushed;
    CPoint16 newest;
    car->GetWayPoint16(&newest, 0);
    for (int i = 0; i < 200; ++i) {
        Frame(car);
        CPoint16 now;
        car->GetWayPoint16(&now, 0);
        if (!(now == newest)) pushed.push_back(now.x), newest = now;
    }
    ASSERT_GE(pushed.size(), 3u);
    EXPECT_GT(pushed[0], 100);
    EXPECT_LE(pushed[0], 103) << "a frame moves 2.4 pixels";
    for (size_t i = 1; i < pushed.size(); ++i) {
        EXPECT_GT(pushed[i] - pushed[i - 1], 100);
        EXPECT_LE(pushed[i] - pushed[i - 1], 103);
    }
    EXPECT_EQ(car->WayPointCount(), 20);
    CPoint16 second;
    car->GetWayPoint16(&second, 1);
    EXPECT_EQ(second.x, pushed[pushed.size() - 2]);
    EXPECT_EQ(second.y, 1000 + 2);
}

TEST_F(VehicleTest, WayPointsOutsideTheListReadAsZero) {
    VIsometric car;
    car.SetWayPoint(24, CPoint16(5, 6));
    EXPECT_EQ(car.WayPointCount(), 25);
    const struct {
        int32_t index;
        CPoint16 point;
    } cases[] = {{-1, {}}, {25, {}}, {1000, {}}, {24, {5, 6}}, {20, {5, 6}}, {3, {0, 0}}};
    for (const auto& c : cases) {
        CPoint16 p(9, 9);
        car.GetWayPoint16(&p, c.index);
        EXPECT_EQ(p, c.point) << c.index;
        CPointF f(9, 9);
        car.GetWayPoint(&f, c.index);
        EXPECT_EQ(f, CPointF(c.point.x, c.point.y)) << c.index;
    }
    car.SetWayPoint(-1, CPoint16(1, 1));
    car.SetWayPoint(VIsometric::kMaxWayPoints, CPoint16(1, 1));
    EXPECT_EQ(car.WayPointCount(), 25);
    EXPECT_NE(traced().find("way point -1 refused"), std::string::npos);
}

TEST_F(VehicleTest, NextWayPointCountsTheFollowersInTheChain) {
    VIsometric car;
    for (int16_t i = 0; i < 3; ++i) car.SetWayPoint(i, CPoint16(int16_t(10 * i), int16_t(i)));
    TLV_Object followers[21];
    CPointF p;
    EXPECT_EQ(car.NextWayPoint(&p), 0);
    EXPECT_EQ(p, CPointF(0, 0));
    followers[0].LinkAfter(&car);
    followers[1].LinkAfter(&followers[0]);
    EXPECT_EQ(car.NextWayPoint(&p), 2);
    EXPECT_EQ(p, CPointF(20, 2));
    for (int i = 2; i < 21; ++i) followers[i].LinkAfter(&followers[i - 1]);
    p = CPointF(5, 5);
    EXPECT_EQ(car.NextWayPoint(&p), -1) << "more followers than points";
    EXPECT_EQ(p, CPointF(0, 0));
    for (auto& f : followers) f.Unlink();
}

// ---- props of the vehicle

TEST_F(VehicleTest, StateChangesKeepTheFrameAndTheTimeRun) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 0);
    car->AttachProp(Part(kLight));
    for (int i = 0; i < 8; ++i) Frame(car), car->GetAttachedProp()->OnIdle();
    ASSERT_EQ(car->GetCurrentFrame(), 1);
    ASSERT_EQ(car->GetAttachedProp()->GetCurrentFrame(), 1);
    const uint32_t started = car->GetCurrentStateObject()->startTick;
    car->SetState(9);
    EXPECT_EQ(car->GetState(), 9);
    EXPECT_EQ(car->GetCurrentFrame(), 1);
    EXPECT_EQ(car->GetCurrentStateObject()->startTick, started);
    EXPECT_EQ(car->GetAttachedProp()->GetState(), 9);
    EXPECT_EQ(car->GetAttachedProp()->GetCurrentFrame(), 1);
}

TEST_F(VehicleTest, TheAttachedPropFollowsAndGoesAway) {
    VIsometric* car = Make(kPlainCar, 200, 300, 6);
    car->SetScale(0.5f, 0.5f);
    car->AttachProp(Part(kLight));
    OActivityProp* light = car->GetAttachedProp();
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->GetParent(), stage_.get());
    EXPECT_EQ(light->GetState(), 6);
    EXPECT_EQ(light->GetScaleV(), 0.5f);
    EXPECT_EQ(light->IsVisible(), 1);
    const CPointF at = light->GetPosition();
    car->SetPosition(CPointF(50, 40), 1, 1);
    EXPECT_EQ(light->GetPosition(), CPointF(at.x + 50, at.y + 40));
    const int children = stage_->ChildCount();
    car->AttachProp(MakeChunkId(parts_.PartIndex(), 555)); // missing: the light stays
    EXPECT_EQ(car->GetAttachedProp(), light);
    car->DetachProp();
    EXPECT_EQ(car->GetAttachedProp(), nullptr);
    EXPECT_EQ(stage_->ChildCount(), children - 1);
    car->DetachProp();
}

TEST_F(VehicleTest, APropDeletedByTheParentFirstIsForgotten) {
    VIsometric* car = Make(kFullCar, 200, 300, 6);
    car->AttachProp(Part(kLight));
    car->CreateChildProp();
    ASSERT_NE(car->GetChildProp(), nullptr);
    delete car->GetAttachedProp();
    delete car->GetChildProp();
    EXPECT_EQ(car->GetAttachedProp(), nullptr);
    EXPECT_EQ(car->GetChildProp(), nullptr);
    car->SetState(7);
    stage_.reset(); // deletes the vehicle and its shadow
}

TEST_F(VehicleTest, TheCompanionFromThePartSitsAtItsOffsetsAndTakesTheStates) {
    VIsometric* car = Make(kFullCar, 400, 500, 5);
    car->CreateChildProp();
    OActivityProp* companion = car->GetChildProp();
    ASSERT_NE(companion, nullptr);
    EXPECT_EQ(companion->GetPosition(), CPointF(400 + kOffsetX, 500 + kOffsetY));
    EXPECT_EQ(companion->GetState(), 5);
    car->SetState(44);
    EXPECT_EQ(companion->GetState(), 44);
    car->SetPosition(CPointF(10, 20), 1, 1);
    EXPECT_EQ(companion->GetPosition(), CPointF(410 + kOffsetX, 520 + kOffsetY));
    const int32_t children = stage_->ChildCount();
    car->CreateChildProp();
    ASSERT_NE(car->GetChildProp(), nullptr);
    EXPECT_EQ(stage_->ChildCount(), children) << "replaced, not added";
    EXPECT_EQ(car->GetChildProp()->GetState(), 44);

    TLV_Object owners;
    car->SetCompanion(&owners);
    car->SetState(12);
    EXPECT_EQ(owners.GetState(), -1) << "a companion without a part takes no state but is told";
    car->SetCompanion(nullptr);
}

TEST_F(VehicleTest, FootprintCornersFollowTheHeading) {
    VIsometric* car = Make(kFullCar, 400, 500, 8); // heading right: the length lies along x
    CVehicleFootprint f;
    ASSERT_TRUE(car->GetFootprint(&f));
    const int16_t gx = 400, gy = 500 + 2;
    EXPECT_EQ(f.left, gx - kHalfLength);
    EXPECT_EQ(f.right, gx + kHalfLength);
    EXPECT_EQ(f.top, gy - kHalfWidth / 2);
    EXPECT_EQ(f.bottom, gy + kHalfWidth / 2);
    car->SetState(0); // heading down: the length lies along y, halved
    ASSERT_TRUE(car->GetFootprint(&f));
    EXPECT_EQ(f.left, gx - kHalfWidth);
    EXPECT_EQ(f.top, gy - kHalfLength / 2);
    EXPECT_FALSE(car->GetFootprint(nullptr));
}

// ---- bad part values and missing parts

TEST_F(VehicleTest, BadPartValuesMakeNothingAndAreTraced) {
    struct Case {
        uint16_t part;
        const char* trace;
    } const cases[] = {{kBadCar, "footprint half-sizes 0 x 30"}, {kNegativeCar, "footprint half-sizes -5 x 30"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        VIsometric* car = Make(c.part, 400, 500, 3);
        ASSERT_NE(car->GetShadow(), nullptr);
        CVehicleFootprint f;
        EXPECT_FALSE(car->GetFootprint(&f));
        EXPECT_FALSE(car->GetFootprint(&f));
        const size_t first = traced().find(c.trace);
        ASSERT_NE(first, std::string::npos);
        EXPECT_EQ(traced().find(c.trace, first + 1), std::string::npos) << "traced once";
    }
    VIsometric* bad = Make(kBadCar);
    bad->CreateChildProp();
    EXPECT_EQ(bad->GetChildProp(), nullptr);
    EXPECT_NE(traced().find("companion part (entry 99) is not in the part file"), std::string::npos);
    VIsometric* plain = Make(kPlainCar);
    plain->CreateChildProp();
    EXPECT_EQ(plain->GetChildProp(), nullptr);
    EXPECT_FALSE(plain->GetFootprint(&*std::make_unique<CVehicleFootprint>()));
}

TEST_F(VehicleTest, WithoutAPartFileNothingIsAttached) {
    VIsometric* car = Make(kFullCar);
    app_.reset();
    car->AttachProp(Part(kLight));
    car->CreateChildProp();
    EXPECT_EQ(car->GetAttachedProp(), nullptr);
    EXPECT_EQ(car->GetChildProp(), nullptr);
    stage_.reset();
}

TEST_F(VehicleTest, AVehicleWithoutAPartDrivesWithoutReadingPastTheTable) {
    VIsometric car;
    car.DriveKeyPos();
    car.TurnKeyNeg();
    car.SetHeadingGoal(-70);
    for (int i = 0; i < 20; ++i) Frame(&car);
    EXPECT_EQ(car.GetCompassDir(), 0xFFFF);
    EXPECT_EQ(car.Heading(), 31);
    car.SetVariant(0);
    car.SetTarget(CPoint16(500, 500));
    for (int i = 0; i < 20; ++i) Frame(&car);
}

// ---- life of the vehicle

TEST_F(VehicleTest, PausingHoldsTheTimersAndTheMotion) {
    VIsometric* car = Make(kPlainCar, 1000, 1000, 8);
    car->SetAccelerationStep(0.1f);
    car->DriveKeyPos();
    for (int i = 0; i < 7; ++i) Frame(car);
    const float throttle = car->GetThrottle();
    const uint32_t throttleStart = car->ThrottleTimer().start;
    car->Suspend(1);
    clock().Advance(500);
    car->Resume(1);
    EXPECT_EQ(car->ThrottleTimer().start, throttleStart + 500);
    EXPECT_EQ(car->TurnTimer().paused, 0u);
    const CPointF before = car->GetPosition();
    car->OnIdle();
    EXPECT_EQ(car->GetThrottle(), throttle);
    EXPECT_EQ(car->GetPosition(), before) << "the paused span is no motion";
}

TEST_F(VehicleTest, FactoryMakesTheVehiclesUnderTheirNames) {
    xVehicles_RegisterClasses();
    const struct {
        uint32_t id;
        const char* name;
    } cases[] = {{2000, "Vehicle"}, {2010, "VIsometric"}, {2020, "VFlat"}};
    for (const auto& c : cases) {
        std::unique_ptr<OView> made(xTLVFactory_MakeProp(c.id));
        ASSERT_NE(made, nullptr);
        EXPECT_TRUE(made->IsA(c.id));
        EXPECT_STREQ(made->GetName(), c.name);
        for (uint32_t base : {2000u, 1110u, 1100u, 54u, 50u, 1u}) EXPECT_TRUE(made->IsA(base)) << base;
        EXPECT_EQ(made->IsA(2010), c.id == 2010);
        EXPECT_EQ(made->IsA(2020), c.id == 2020);
        EXPECT_EQ(made->GetUserData(), 1u) << "made vehicles count themselves in the user value";
    }
}

} // namespace
} // namespace vqt::test
