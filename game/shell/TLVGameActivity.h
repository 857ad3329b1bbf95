#pragma once
#include <cstdint>
#include <optional>

#include "engine/base/Point.h"
#include "engine/core/Timer.h"
#include "game/shell/MiniGameExits.h"
#include "game/shell/TLVActivity.h"

/// The base of the mini-games ("TLVGame_Activity", class id 202): a game clock ticking every
/// 15 ms scrolls the activity's background by a velocity that an acceleration drives until the
/// speed crosses the target speed, and tells OnScrolled how much of each move was made. The
/// clock stands still while the game is paused or switched out, so no move makes up for that
/// time. When the game stops it saves the player record into the signed-in player's slot.
class TLVGame_Activity : public CTLVActivity {
public:
    static constexpr uint32_t kClassId = 202;
    static constexpr int32_t kClockMs = 15;
    /// The longest time one tick moves for.
    static constexpr uint32_t kMaxTickMs = 125;
    /// With stopWhenSlow, speeds below this stop the scrolling.
    static constexpr float kSlowSpeed = 0.5f;

    TLVGame_Activity(const char* name = "TLVGame_Activity", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// One tick of scrolling when the clock has run out, then the game activity's frame; 1.
    int32_t OnIdle() override;
    /// OnStop: the record saved (into the slot of the signed-in player; nothing without one),
    /// the counter panel's props released, then the game activity's stop.
    int32_t FlushSoundQueues() override;
    /// Pauses the clock too (a panel opening, and switching out, come through here).
    void Pause() override;
    /// Resumes the clock too, unless a panel is showing (switching back comes through here).
    void Resume() override;
    using CTLVActivity::Resume;

    /// From now on the game's panels lead by these exits.
    void SetExits(const MiniGameExits& exits) { exits_ = exits; }
    /// With exits, a click on the start panel or its time-out starts the game's music, unless
    /// it plays, and blinks the panel's button.
    void OnPanelDismissed(int16_t panel) override;
    /// With exits, the exits' music.
    void StartGameMusic() override;
    /// With exits, the pressed button blinks and the exits' buttons lead on; the others, and
    /// every button of a game without exits, go to the activity's handling.
    void OnButton(int16_t panel, int16_t button) override;

    /// Told after each move of the background (scrollRemainder and scrollStep are set).
    virtual void OnScrolled() {}

    void SetScrollVelocity(float x, float y, float z, bool add);
    void SetScrollVelocity(float x, float y, bool add) { SetScrollVelocity(x, y, 0.0f, add); }
    void SetScrollAcceleration(const Vec3& acceleration, bool add);
    void SetScrollAcceleration(float x, float y) { SetScrollAcceleration(Vec3(x, y, 0.0f), false); }
    void SetTargetSpeed(float value, bool add) { targetSpeed = add ? targetSpeed + value : value; }
    /// The games' name for the target speed.
    void SetMaxScrollSpeed(float value, bool add) { SetTargetSpeed(value, add); }
    /// The velocity (and acceleration) times ms / 1000.
    Vec3 VelocityStep(uint32_t ms) const;
    Vec3 AccelerationStep(uint32_t ms) const;

    Vec3 scrollVelocity;
    Vec3 scrollAcceleration;
    float targetSpeed = 0.0f;
    CTimerRec gameClock;
    /// Per axis (x, y): the position asked of the background minus where it went.
    float scrollRemainder[2] = {};
    /// Per axis (x, y): the whole pixels the scroll offset moved by in the last move.
    int32_t scrollStep[2] = {};
    uint8_t stopWhenSlow = 0;

private:
    /// Stops the music and asks for the activity.
    void Leave(ChunkId activity);

    std::optional<MiniGameExits> exits_;
};
