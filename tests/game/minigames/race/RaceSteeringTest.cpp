// Steering a race's vehicle: the arrow keys and the pointer, held-back moves after a knock
// against a verge and the bounce off it, and the forward rate.
#include <gtest/gtest.h>

#include <string>

#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "game/minigames/race/RaceSteering.h"
#include "game/world/vehicles/VFlat.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

/// A race that records the steering's calls in order and knocks when told.
class Host : public CGRaceSteeringHost {
public:
    bool TestLeftVerge(OActivityProp*) override { return leftKnock; }
    bool TestRightVerge(OActivityProp*) override { return rightKnock; }
    bool TestObjectHit(OActivityProp*) override { log += "hit "; return false; }
    void OnSteerLeft() override { log += "left "; }
    void OnSteerRight() override { log += "right "; }
    void OnSteerCentre() override { log += "centre "; }
    void UpdateSpeed() override { log += "speed "; }
    bool BelowMaxSpeed() override { return belowMax; }
    void SetThrottle(bool back, bool stop) override { log += back || stop ? "stop " : "knock "; }

    bool leftKnock = false;
    bool rightKnock = false;
    bool belowMax = true;
    std::string log;
};

CPart* MakeVehiclePart() {
    auto* part = new CPart;
    for (int i = 0; i < 40; ++i) {
        auto* state = new CState;
        state->stateId = MakeChunkId(3, uint16_t(i + 1));
        part->AddState(state);
    }
    return part;
}

class RaceSteeringTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        vehicle.SetAnimSet(MakeVehiclePart());
        vehicle.SetStepCount(4);
        vehicle.SetNeutralState(16);
        vehicle.SetPosition(CPointF(320, 400), 0, 0);
    }
    std::string Tick(const CGRaceInput& input) {
        host.log.clear();
        clock().Advance(60);
        steering.Steer(&vehicle, input, host, 640, 480);
        return host.log;
    }
    /// Calls `move` every 60 ms until the vehicle stands on `step`; false when it still does not
    /// after kMaxMoves calls, so a vehicle that stops turning fails the case instead of hanging.
    template <class Move>
    bool StepUntil(int32_t step, Move move) {
        for (int moves = 0; moves < kMaxMoves && vehicle.GetStep() != step; ++moves) {
            clock().Advance(60);
            move();
        }
        return vehicle.GetStep() == step;
    }
    static constexpr int kMaxMoves = 50;

    VFlat vehicle;
    Host host;
    CGRaceSteering steering;
};

TEST_F(RaceSteeringTest, TheArrowKeysSteerAndBothOrNeitherCoast) {
    const struct {
        bool left, right;
        const char* log;
        int32_t step;
    } cases[] = {
        {false, true, "right speed hit ", 1},
        {false, true, "right speed hit ", 2},
        {true, true, "centre hit ", 1},
        {true, false, "left speed hit ", 0},
        {true, false, "left speed hit ", -1},
        {false, false, "centre hit ", 0},
    };
    for (const auto& c : cases) {
        CGRaceInput input;
        input.left = c.left;
        input.right = c.right;
        EXPECT_EQ(Tick(input), c.log) << c.left << c.right;
        EXPECT_EQ(vehicle.GetStep(), c.step) << c.left << c.right;
    }
}

TEST_F(RaceSteeringTest, AnArrowEndsPointerSteeringAndThePointerTakesOverOnlyWithoutOne) {
    steering.SelectPointerSteering(true, false);
    EXPECT_EQ(steering.GetMode(), CGRaceSteering::kKeys);
    steering.SelectPointerSteering(false, false);
    EXPECT_EQ(steering.GetMode(), CGRaceSteering::kPointer);
    CGRaceInput input;
    input.pointerX = 320;
    input.pointerY = 240;
    Tick(input);
    EXPECT_EQ(steering.GetMode(), CGRaceSteering::kPointer);
    input.up = true;
    Tick(input);
    EXPECT_EQ(steering.GetMode(), CGRaceSteering::kKeys);
}

TEST_F(RaceSteeringTest, AKnockBouncesOffTheVergeAndHoldsMovesBackForHalfASecond) {
    host.leftKnock = true;
    CGRaceInput input;
    input.left = true;
    EXPECT_EQ(Tick(input), "speed right knock ") << "held back, then the bounce";
    EXPECT_GT(vehicle.GetVelocity().x, 0.0f) << "bounced to the right";
    host.leftKnock = false;
    vehicle.Coast(1);
    ASSERT_TRUE(StepUntil(0, [&] { vehicle.Coast(0); })) << "coasting back to the middle step";
    EXPECT_EQ(Tick(input), "speed hit ") << "within 500 ms of the knock";
    clock().Advance(500);
    EXPECT_EQ(Tick(input), "left speed hit ");
}

TEST_F(RaceSteeringTest, WithinAKnocksHalfSecondOnlyAVehicleAlreadyMovingAwayMayTurnBackTowardTheVerge) {
    const struct {
        const char* what;
        bool rightVerge;
        /// The vehicle's step when the player steers back toward the verge.
        int32_t step;
        const char* log;
    } cases[] = {
        {"the right verge, moving left", true, -1, "right speed hit "},
        {"the right verge, moving right", true, 1, "speed hit "},
        {"the left verge, moving right", false, 1, "left speed hit "},
        {"the left verge, moving left", false, -1, "speed hit "},
    };
    for (const auto& c : cases) {
        steering = CGRaceSteering();
        vehicle.SetPosition(CPointF(320, 400), 0, 0);
        host.rightKnock = c.rightVerge;
        host.leftKnock = !c.rightVerge;
        Tick(CGRaceInput());
        host.rightKnock = host.leftKnock = false;
        ASSERT_TRUE(StepUntil(c.step, [&] {
            if (vehicle.GetStep() < c.step) vehicle.KeyMovePos(0, 0);
            else vehicle.KeyMoveNeg(0, 0);
        })) << c.what << ": the vehicle does not turn to step " << c.step;
        CGRaceInput input;
        input.right = c.rightVerge;
        input.left = !c.rightVerge;
        EXPECT_EQ(Tick(input), c.log) << c.what;
    }
}

TEST_F(RaceSteeringTest, ThePointerSteersTowardItsColumnWithinTheMargins) {
    const struct {
        int32_t pointerX;
        bool arriving;
        const char* log;
    } cases[] = {
        {100, false, "left speed hit "}, {315, false, "centre speed hit "}, {600, false, "right speed hit "},
        {700, true, "centre speed hit "},
    };
    for (const auto& c : cases) {
        SetUp();
        steering.SetMode(CGRaceSteering::kPointer);
        CGRaceInput input;
        input.pointerX = c.pointerX;
        input.pointerY = 240;
        input.arriving = c.arriving;
        EXPECT_EQ(Tick(input), c.log) << c.pointerX;
    }
    host.belowMax = false;
    CGRaceInput still;
    still.pointerX = 320;
    EXPECT_EQ(Tick(still), "centre hit ") << "at its maximum the speed is left alone";
}

TEST_F(RaceSteeringTest, TheForwardRateFollowsTheKeysOrThePointersHeight) {
    const struct {
        int32_t mode;
        bool up, down, arriving;
        int32_t pointerY;
        float rate;
    } cases[] = {
        {CGRaceSteering::kKeys, true, false, false, 0, -0.3f},
        {CGRaceSteering::kKeys, false, true, false, 0, 0.3f},
        {CGRaceSteering::kKeys, true, true, false, 0, 0.0f},
        {CGRaceSteering::kKeys, true, false, true, 0, 0.0f},
        {CGRaceSteering::kPointer, false, false, false, 199, -0.3f},
        {CGRaceSteering::kPointer, false, false, false, 240, 0.0f},
        {CGRaceSteering::kPointer, false, false, false, 281, 0.3f},
    };
    for (const auto& c : cases) {
        steering.SetMode(c.mode);
        CGRaceInput input;
        input.up = c.up;
        input.down = c.down;
        input.arriving = c.arriving;
        input.pointerX = 320;
        input.pointerY = c.pointerY;
        Tick(input);
        EXPECT_FLOAT_EQ(vehicle.GetForwardRate(), c.rate) << c.mode << " " << c.pointerY;
    }
}

} // namespace
} // namespace vqt::test
