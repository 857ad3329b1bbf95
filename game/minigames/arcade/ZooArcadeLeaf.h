#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "game/minigames/arcade/ArcadeBGItem.h"

/// A leaf drifting down over the zoo arcade's jungle ("Zoo_Arcade_Leaf", class id 3120): it
/// falls straight down, and once below the stage it goes back up to its starting height with a
/// random frame and waits a random while before it falls again.
class Zoo_Arcade_Leaf : public Arcade_BG_Item {
public:
    static constexpr uint32_t kClassId = 3120;
    /// Below this height a leaf goes back up.
    static constexpr float kBottom = 500.0f;
    static constexpr int32_t kMinWaitMs = 3000;
    static constexpr int32_t kWaitSpreadMs = 5000;
    static constexpr int32_t kMinFallSpeed = 50;
    static constexpr int32_t kFallSpeedSpread = 25;

    Zoo_Arcade_Leaf(const char* name = "Zoo_Arcade_Leaf", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// Going back up below the stage, or starting to fall when the wait is over; then the
    /// motion.
    int32_t OnIdle() override;
    /// A leaf that scrolls off is hidden.
    void Respawn() override;

    bool IsFalling() const { return falling_ != 0; }
    int32_t GetWaitMs() const { return waitMs_; }

private:
    /// Random frame, starting height (the scroll keeps its horizontal place), still, waiting.
    void GoBackUp();

    uint8_t falling_ = 0;
    /// A leaf from the data falls from its first frame on.
    int32_t waitMs_ = 0;
    CTimerRec waitClock_;
    uint8_t hasStart_ = 0;
    float startY_ = 0.0f;
};
