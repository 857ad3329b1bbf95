#pragma once
#include <cstdint>

#include "engine/core/Timer.h"

class OActivityProp;
class VFlat;

/// What the steering asks of its race: the verge and object tests, the steering hooks, and the
/// speed control.
class CGRaceSteeringHost {
public:
    virtual ~CGRaceSteeringHost() = default;
    virtual bool TestLeftVerge(OActivityProp* prop) = 0;
    virtual bool TestRightVerge(OActivityProp* prop) = 0;
    virtual bool TestObjectHit(OActivityProp* prop) = 0;
    virtual void OnSteerLeft() = 0;
    virtual void OnSteerRight() = 0;
    virtual void OnSteerCentre() = 0;
    virtual void UpdateSpeed() = 0;
    /// Whether the scroll runs below its maximum speed.
    virtual bool BelowMaxSpeed() = 0;
    /// A knock (back and stop clear) or a stop.
    virtual void SetThrottle(bool back, bool stop) = 0;
};

/// One input tick's view of the player: the arrow keys held, the pointer in the window, and
/// whether the race drives the vehicle to the middle by itself.
struct CGRaceInput {
    bool left = false;
    bool right = false;
    bool up = false;
    bool down = false;
    int32_t pointerX = 0;
    int32_t pointerY = 0;
    int32_t windowX = 0;
    bool arriving = false;
};

/// The steering of a race's vehicle by the arrow keys or the pointer: sideways moves held back
/// for a while after a knock against a verge, a bounce off the verge that slows the scroll,
/// and the forward rate that moves the vehicle up or down the stage.
class CGRaceSteering {
public:
    enum Mode : int32_t { kKeys = 0, kPointer = 1 };
    static constexpr int32_t kKnockMs = 500;
    static constexpr float kForwardRate = 0.3f;

    CGRaceSteering();

    /// One tick of steering (the input phases other than the clean-up).
    void Steer(VFlat* vehicle, const CGRaceInput& input, CGRaceSteeringHost& host, int32_t stageWidth,
               int32_t stageHeight);
    /// The pointer moved: in key steering with neither LEFT nor RIGHT held it takes over.
    void SelectPointerSteering(bool leftHeld, bool rightHeld);

    int32_t GetMode() const { return mode_; }
    void SetMode(int32_t mode) { mode_ = mode; }
    CTimerRec& LeftKnockTimer() { return leftKnock_; }
    CTimerRec& RightKnockTimer() { return rightKnock_; }

private:
    void MoveLeft(VFlat* vehicle, bool leftKnocked, uint8_t direct, uint8_t half, CGRaceSteeringHost& host);
    void MoveRight(VFlat* vehicle, bool rightKnocked, uint8_t direct, uint8_t half, CGRaceSteeringHost& host);
    void CoastUnlessKnocked(VFlat* vehicle, bool knocked, CGRaceSteeringHost& host);

    int32_t mode_ = kKeys;
    CTimerRec leftKnock_;
    CTimerRec rightKnock_;
};
