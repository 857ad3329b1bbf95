// The race's speed control against its rules: the lean-scaled goal, the rates toward it, a
// knock that keeps three quarters but never less than the start speed, and the roll back.
#include <gtest/gtest.h>

#include <cmath>

#include "game/minigames/race/RaceSpeed.h"
#include "game/shell/TLVGameActivity.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

class RaceSpeedTest : public HeadlessTest {
protected:
    void Scroll(float vy) { game.SetScrollVelocity(0.0f, vy, false); }

    TLVGame_Activity game;
    CGRaceSpeed speed;
};

TEST_F(RaceSpeedTest, TheLeanFactorIsTheCosineOfTheVehiclesHeading) {
    const struct {
        bool steps;
        int32_t state;
        float lean;
    } cases[] = {{false, 3, 1.0f}, {true, 16, 1.0f}, {true, 0, 1.0f}, {true, 8, 0.0f},
                 {true, 12, 0.707f}, {true, 48, 1.0f}, {true, 20, 0.707f}};
    for (const auto& c : cases) EXPECT_NEAR(CGRaceSpeed::LeanFactor(c.steps, c.state), c.lean, 1e-6f) << c.state;
}

TEST_F(RaceSpeedTest, TheScrollIsSteeredTowardTheLeanScaledGoal) {
    const struct {
        const char* what;
        float vy;
        float target;
        bool steps;
        float lean, forward;
        float accelerationY, maxSpeed;
    } cases[] = {
        {"slower than the target", -80, 100, false, 1.0f, 0.0f, -93.75f, 100},
        {"faster than the target", -150, 100, false, 1.0f, 0.0f, 218.75f, 100},
        {"leaning half", -80, 100, true, 0.5f, 0.0f, 109.375f, 50},
        {"driving forward", -80, 100, true, 1.0f, -0.1f, -93.75f, 120},
        {"driving back", -100, 100, true, 1.0f, 0.1f, 218.75f, 80},
        {"a negative target", -80, -20, false, 1.0f, 0.0f, 218.75f, 0},
    };
    for (const auto& c : cases) {
        Scroll(c.vy);
        game.SetScrollAcceleration(0.0f, 0.0f);
        speed.Update(game, c.target, c.steps, c.lean, c.forward);
        EXPECT_FLOAT_EQ(game.scrollAcceleration.y, c.accelerationY) << c.what;
        EXPECT_FLOAT_EQ(game.targetSpeed, c.maxSpeed) << c.what;
        EXPECT_GE(speed.targetSpeed, 0.0f) << c.what;
    }
    Scroll(-100);
    game.SetScrollAcceleration(0.0f, 7.0f);
    speed.Update(game, 100, false, 1.0f, 0.0f);
    EXPECT_EQ(game.scrollAcceleration.y, 7.0f) << "at the goal nothing changes";
}

TEST_F(RaceSpeedTest, AKnockKeepsThreeQuartersButNeverLessThanTheStartSpeed) {
    const struct {
        float vy;
        bool back, stop;
        float after;
    } cases[] = {{-200, false, false, -150}, {-100, false, false, -80}, {-40, false, false, -80},
                 {-200, true, true, 50}, {-200, false, true, 0}};
    for (const auto& c : cases) {
        Scroll(c.vy);
        speed.Throttle(game, c.back, c.stop, false, 1.0f, 0.0f);
        EXPECT_FLOAT_EQ(game.scrollVelocity.y, c.after) << c.vy << " " << c.back << c.stop;
    }
}

} // namespace
} // namespace vqt::test
