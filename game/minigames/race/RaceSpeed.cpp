#include "game/minigames/race/RaceSpeed.h"

#include <algorithm>
#include <cmath>

#include "game/shell/Headings.h"
#include "game/shell/TLVGameActivity.h"

float CGRaceSpeed::LeanFactor(bool hasSteps, int32_t animationState) {
    if (!hasSteps) return 1.0f;
    const int32_t heading = ((animationState % kHeadingCount) + kHeadingCount) % kHeadingCount;
    return std::fabs(kHeadings[size_t(heading)].y / 0.5f);
}

float CGRaceSpeed::Goal(bool hasSteps, float lean, float forwardOffset) const {
    return hasSteps ? targetSpeed * lean * (1.0f - 2.0f * forwardOffset) : targetSpeed;
}

void CGRaceSpeed::Update(TLVGame_Activity& game, float target, bool hasSteps, float lean, float forwardOffset) {
    targetSpeed = std::max(target, 0.0f);
    const Vec3& v = game.scrollVelocity;
    const float speed = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    const float goal = Goal(hasSteps, lean, forwardOffset);
    const float f = hasSteps ? lean : 1.0f;
    if (goal > speed) {
        game.SetScrollAcceleration(0.0f, -(f * speedUpRate * kRateFactor));
    } else if (goal < speed) {
        game.SetScrollAcceleration(0.0f, f * slowDownRate * kRateFactor);
    } else {
        return;
    }
    game.SetMaxScrollSpeed(goal, false);
}

void CGRaceSpeed::Throttle(TLVGame_Activity& game, bool back, bool stop, bool hasSteps, float lean,
                           float forwardOffset) {
    Vec3 v = game.scrollVelocity;
    if (!stop) {
        v.y = std::min(kKnockKeeps * v.y, -startSpeed);
    } else {
        v.y = back ? kRollBack : 0.0f;
    }
    game.SetScrollVelocity(v.x, v.y, v.z, false);
    Update(game, targetSpeed, hasSteps, lean, forwardOffset);
}
