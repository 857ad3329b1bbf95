#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "game/shell/TLVSimpleObject.h"

/// A fire ("Fire", 1550) whose flame grows by levels on a timer while it burns (with regrow
/// set), drawn at level / maximum of its size; doused it shrinks or goes out, and a fire that
/// is out in a driving world asks the world to light it again, as often as its relights allow
/// (-1: without end). A vehicle touching it gets 0; anything else 1 (regrow) or 5.
class Fire : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1550;
    static constexpr int16_t kEndlessRelights = -1;

    Fire(const char* name = "Fire", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// Pause and Resume: the flame timer keeps the paused span out.
    void Suspend(int32_t flag) override;
    void Resume(int32_t flag) override;
    int32_t OnIdle() override;
    int32_t OnContact(TLV_Object* other) override;

    /// Shows the fire and sets it burning, at the maximum or one level higher.
    void Ignite();
    /// One level down, or out at once; true when the fire went out (it is then hidden).
    bool Douse();
    void SetFullFlame();
    /// The flame timer's duration.
    void SetTimerPeriod(int32_t ms) { flameTimer_.duration = ms; }
    /// The flame timer starts as if `ms` had already passed.
    void SetStartTick(uint32_t ms);
    /// The flame timer at rest: no duration, not running, started now.
    void ResetTimer();
    /// Scales the prop to level / maximum in both directions.
    void ApplyLevel();

    bool IsBurning() const { return burning_ != 0; }
    void SetBurning(bool on) { burning_ = on ? 1 : 0; }
    void SetRegrow(bool on) { regrow_ = on ? 1 : 0; }
    void SetDouseAtOnce(bool on) { douseAtOnce_ = on ? 1 : 0; }
    void SetIgniteToFull(bool on) { igniteToFull_ = on ? 1 : 0; }
    int16_t GetMaximumLevel() const { return maximumLevel_; }
    void SetMaximumLevel(int16_t level) { maximumLevel_ = level; }
    int16_t GetLevel() const { return level_; }
    int16_t GetRelights() const { return relights_; }
    void SetRelights(int16_t relights) { relights_ = relights; }
    const CTimerRec& GetFlameTimer() const { return flameTimer_; }
    /// The mark a town passes from a doused fire to the nearest other one, which then burns.
    bool HasPassOnMark() const { return passOn_ != 0; }
    void SetPassOnMark(bool on) { passOn_ = on ? 1 : 0; }

private:
    uint8_t burning_ = 1;
    uint8_t regrow_ = 0;
    uint8_t douseAtOnce_ = 1;
    uint8_t igniteToFull_ = 1;
    int16_t maximumLevel_ = 1;
    int16_t level_ = 1;
    CTimerRec flameTimer_;
    int16_t relights_ = 1;
    uint8_t passOn_ = 0;
};
