#include "game/minigames/race/RaceSteering.h"

#include <algorithm>

#include "game/world/vehicles/VFlat.h"

namespace {

constexpr int32_t kPointerMargin = 100;
constexpr int32_t kPointerDeadZone = 10;
constexpr int32_t kPointerHalfSpeed = 75;
constexpr int32_t kForwardBand = 40;

/// A timer that has already run out.
void StartExpired(CTimerRec& timer, int32_t ms) {
    timer.Start(ms);
    timer.start -= uint32_t(ms) + 1;
}

} // namespace

CGRaceSteering::CGRaceSteering() {
    StartExpired(leftKnock_, kKnockMs);
    StartExpired(rightKnock_, kKnockMs);
}

void CGRaceSteering::SelectPointerSteering(bool leftHeld, bool rightHeld) {
    if (mode_ == kKeys && !leftHeld && !rightHeld) mode_ = kPointer;
}

void CGRaceSteering::MoveRight(VFlat* vehicle, bool rightKnocked, uint8_t direct, uint8_t half,
                               CGRaceSteeringHost& host) {
    if (!rightKnocked && (vehicle->GetStep() < 0 || rightKnock_.HasElapsed())) {
        vehicle->KeyMovePos(direct, half);
        host.OnSteerRight();
    }
    host.UpdateSpeed();
}

void CGRaceSteering::MoveLeft(VFlat* vehicle, bool leftKnocked, uint8_t direct, uint8_t half,
                              CGRaceSteeringHost& host) {
    if (!leftKnocked && (vehicle->GetStep() > 0 || leftKnock_.HasElapsed())) {
        vehicle->KeyMoveNeg(direct, half);
        host.OnSteerLeft();
    }
    host.UpdateSpeed();
}

void CGRaceSteering::CoastUnlessKnocked(VFlat* vehicle, bool knocked, CGRaceSteeringHost& host) {
    if (knocked) return;
    vehicle->Coast(0);
    host.OnSteerCentre();
}

void CGRaceSteering::Steer(VFlat* vehicle, const CGRaceInput& input, CGRaceSteeringHost& host, int32_t stageWidth,
                           int32_t stageHeight) {
    if (mode_ == kPointer && (input.left || input.right || input.up || input.down)) mode_ = kKeys;
    if (vehicle == nullptr) return;
    const bool leftKnocked = host.TestLeftVerge(vehicle);
    const bool rightKnocked = host.TestRightVerge(vehicle);
    if (leftKnocked) leftKnock_.Start(kKnockMs);
    if (rightKnocked) rightKnock_.Start(kKnockMs);
    const bool knocked = leftKnocked || rightKnocked;
    const float x = vehicle->GetPosition().x;

    if (mode_ == kKeys) {
        if (input.arriving) {
            if (x < float(kPointerMargin)) MoveRight(vehicle, rightKnocked, 0, 0, host);
            else if (x > float(stageWidth - kPointerMargin)) MoveLeft(vehicle, leftKnocked, 0, 0, host);
            else CoastUnlessKnocked(vehicle, knocked, host);
        } else if (input.right && !input.left) {
            MoveRight(vehicle, rightKnocked, 0, 0, host);
        } else if (input.left && !input.right) {
            MoveLeft(vehicle, leftKnocked, 0, 0, host);
        } else {
            CoastUnlessKnocked(vehicle, knocked, host);
        }
        const bool forward = input.up && !input.down, back = input.down && !input.up;
        vehicle->SetForwardRate(input.arriving ? 0.0f : forward ? -kForwardRate : back ? kForwardRate : 0.0f);
    } else {
        const int32_t wanted = input.arriving ? stageWidth / 2 : input.pointerX + input.windowX;
        const float goal = float(std::clamp(wanted, kPointerMargin, stageWidth - kPointerMargin));
        const uint8_t half = std::abs(goal - x) < float(kPointerHalfSpeed) ? 1 : 0;
        if (goal < x - float(kPointerDeadZone)) {
            MoveLeft(vehicle, leftKnocked, 1, half, host);
        } else if (goal > x + float(kPointerDeadZone)) {
            MoveRight(vehicle, rightKnocked, 1, half, host);
        } else if (!knocked) {
            CoastUnlessKnocked(vehicle, knocked, host);
            if (host.BelowMaxSpeed()) host.UpdateSpeed();
        }
        const int32_t middle = stageHeight / 2;
        vehicle->SetForwardRate(input.pointerY < middle - kForwardBand   ? -kForwardRate
                                : input.pointerY > middle + kForwardBand ? kForwardRate
                                                                         : 0.0f);
    }

    if (leftKnocked) {
        vehicle->StartPosRamp();
        host.OnSteerRight();
        host.SetThrottle(false, false);
    } else if (rightKnocked) {
        vehicle->StartNegRamp();
        host.OnSteerLeft();
        host.SetThrottle(false, false);
    } else {
        host.TestObjectHit(vehicle);
    }
}
