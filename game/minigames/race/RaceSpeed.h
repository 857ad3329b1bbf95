#pragma once
#include <cstdint>

class TLVGame_Activity;

/// The race's control of its scroll: the speed is steered toward the target speed, scaled by
/// how straight the vehicle points and how far forward it drives, and a knock against a verge
/// slows it, never below the start speed.
class CGRaceSpeed {
public:
    float speedUpRate = 75.0f;
    float slowDownRate = 175.0f;
    float startSpeed = 80.0f;
    float targetSpeed = 100.0f;

    /// How straight a vehicle with lean steps points: |cos(state x 11.25 degrees)| from the
    /// heading table; 1 without steps.
    static float LeanFactor(bool hasSteps, int32_t animationState);
    /// The speed steered toward: target x lean x (1 - 2 x forward offset) with steps, else the
    /// target.
    float Goal(bool hasSteps, float lean, float forwardOffset) const;
    /// Keeps the target (never below 0) and accelerates the scroll up toward the goal or slows
    /// it down, holding it there.
    void Update(TLVGame_Activity& game, float target, bool hasSteps, float lean, float forwardOffset);
    /// A knock keeps three quarters of the speed, at least the start speed; a stop halts the
    /// scroll or, with `back`, rolls it back at 50 pixels a second. Then Update.
    void Throttle(TLVGame_Activity& game, bool back, bool stop, bool hasSteps, float lean, float forwardOffset);

    static constexpr float kRollBack = 50.0f;
    static constexpr float kKnockKeeps = 0.75f;
    static constexpr float kRateFactor = 1.25f;
};
