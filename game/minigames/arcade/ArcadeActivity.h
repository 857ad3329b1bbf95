#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "engine/data/DynArray.h"
#include "game/shell/TLVGameActivity.h"

class Arcade_BG_Item;
class Arcade_Token;
class PArcadeParticle;
class VFlat;

/// The common frame of the arcade games (property family 204): the view scrolls left over a
/// background wider than the stage, scenery items scroll in six speed groups (group 5 is the
/// view's own speed) in whole pixels with fractional carries and are moved ahead when they
/// leave the left edge; the player's flat vehicle rides along and is steered by the arrows or
/// the mouse. The base keeps a pool of tokens, the fire clock, the siren and a play clock
/// whose paused time never counts. The games fill in the hooks.
class Arcade_Activity : public TLVGame_Activity {
public:
    static constexpr uint32_t kFamily = 204;
    static constexpr int32_t kGroups = 6;
    static constexpr int32_t kViewGroup = 5;
    static constexpr uint32_t kStepCapMs = 125;
    static constexpr uint32_t kSlowFireMs = 700;
    static constexpr uint32_t kFastFireMs = 400;
    static constexpr float kVehicleMaxSpeed = 300.0f;
    static constexpr int32_t kVehiclePriority = 45;
    static constexpr float kVehicleX = 100.0f;
    static constexpr float kVehicleY = 400.0f;
    /// Keyboard steering aims this far ahead of the vehicle.
    static constexpr int32_t kKeyReach = 100;
    /// The input phases of a frame (the per-frame input step runs for each).
    static constexpr int32_t kInputPhases = 4;
    enum : int32_t { kKeyboardMode = 0, kMouseMode = 1 };
    static constexpr uint32_t kKeyLeft = 0x25;
    static constexpr uint32_t kKeyRight = 0x27;
    static constexpr int16_t kStartPanel = 4;

    Arcade_Activity(const char* name, uint32_t classId);
    /// The tokens go; the lists' storage goes, the items themselves belong to the child list.
    ~Arcade_Activity() override;

    bool IsA(uint32_t classId) const override;
    /// Family 204, properties 1-12: the start and end speed of each group, in pairs.
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// The base's AddProp, then scenery items are filed by their group.
    bool AcceptObject(OView* object) override;
    /// OnStart: the vehicle, the fire interval, the start speeds and the play clock.
    int32_t OnActivated() override;
    /// The frame step from the play clock (capped), scrolling, steering and the games' hooks.
    int32_t OnIdle() override;
    void OnMouseMove() override;
    /// A press fires when no panel shows and the fire clock has run out.
    void OnButtonDown() override;
    void OnStep(int32_t index) override;
    /// ALT's release fires; ENTER, ESC and SPACE blink the start panel's button while a panel
    /// shows; CTRL toggles the siren while none shows.
    void OnKey(uint32_t key) override;
    void Pause() override;
    void Resume() override;
    using TLVGame_Activity::Resume;
    /// When no panel is left the vehicle's engine sound plays again.
    void HidePanel(int16_t panel, uint8_t flush) override;

    // What the games override or call.
    virtual void RecycleItems(CDynArray<Arcade_BG_Item*>& list, float span, bool jumpBack);
    virtual void ScrollItems(uint32_t step);
    virtual void SteerVehicle(uint32_t step);
    virtual void OnFrame(uint32_t /*step*/) {}
    virtual void AfterFrame() {}
    virtual void Shoot() {}
    virtual bool TestParticleHit(PArcadeParticle* /*particle*/) { return false; }
    virtual void ToggleSiren();

    // Tokens.
    /// Makes n hidden, parked tokens into the pool; false when one cannot be made.
    bool SpawnTokens(int32_t n);
    /// The pool's last token (null when it is empty), kept in the live list when asked.
    Arcade_Token* TakeToken(bool keep);
    /// Deletes the pool's and the live tokens.
    void ClearTokens();
    void ShiftLiveTokens(float dx);
    CDynArray<Arcade_Token*>& TokenPool() { return tokenPool_; }
    CDynArray<Arcade_Token*>& LiveTokens() { return liveTokens_; }

    // State.
    CDynArray<Arcade_BG_Item*>& GroupList(int32_t group) { return groups_[group]; }
    float GetGroupSpeed(int32_t group) const { return speeds_[group]; }
    void SetGroupSpeed(int32_t group, float speed) { speeds_[group] = speed; }
    float GetGroupCarry(int32_t group) const { return carries_[group]; }
    float GetViewCarry() const { return viewCarry_; }
    int32_t GetStartSpeed(int32_t group) const { return startEnd_[2 * group]; }
    int32_t GetEndSpeed(int32_t group) const { return startEnd_[2 * group + 1]; }
    void SetStartSpeed(int32_t group, int32_t speed) { startEnd_[2 * group] = speed; }
    void SetEndSpeed(int32_t group, int32_t speed) { startEnd_[2 * group + 1] = speed; }
    float GetFrameRatio() const { return frameRatio_; }
    uint32_t GetLastTime() const { return lastTime_; }
    uint32_t GetPendingStep() const { return pendingStep_; }
    const CTimerRec& GetPlayClock() const { return playClock_; }
    CTimerRec& FireClock() { return fireClock_; }
    uint32_t GetFireInterval() const { return fireInterval_; }
    void SetFireInterval(uint32_t ms) { fireInterval_ = ms; }
    VFlat* GetVehicle() const { return vehicle_; }
    /// The player's vehicle 0-5 (-1 without a player).
    int32_t GetVehicleIndex() const { return vehicleIndex_; }
    int16_t GetLeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int16_t margin) { leftMargin_ = margin; }
    int16_t GetRightMargin() const { return rightMargin_; }
    int32_t GetControlMode() const { return controlMode_; }
    bool IsSirenOn() const { return sirenOn_ != 0; }
    ChunkId GetSirenSound() const { return sirenSound_; }
    /// Background width less the stage width, or the whole width while the view stands.
    float ScrollSpan() const;

protected:
    /// The vehicle's sound on pipe 3 (none outside 0-5).
    ChunkId EngineSound() const;
    /// Whether the key is down right now.
    static bool IsKeyHeld(uint32_t key);
    /// The pointer's x in the main window.
    static float PointerX();

private:
    /// The vehicle of the player's choice, made once and placed at its start.
    void SetUpVehicle();
    void DropVehicle();
    void FireWhenReady();
    float ViewLeft() const { return GetScrollOffset().x; }
    float BackgroundWidth();

    CDynArray<Arcade_BG_Item*> groups_[kGroups];
    float speeds_[kGroups] = {};
    float carries_[kGroups - 1] = {};
    CTimerRec playClock_;
    uint32_t stepCap_ = kStepCapMs;
    float frameRatio_ = 1.0f;
    float viewCarry_ = 0.0f;
    uint32_t lastTime_ = 0;
    uint32_t pendingStep_ = 0;
    uint32_t pausedElapsed_ = 0;
    CTimerRec fireClock_;
    uint32_t fireInterval_ = kSlowFireMs;
    VFlat* vehicle_ = nullptr;
    int32_t vehicleIndex_ = -1;
    int16_t rightMargin_ = 25;
    int16_t leftMargin_ = 125;
    int32_t controlMode_ = kKeyboardMode;
    int32_t startEnd_[2 * kGroups] = {};
    CDynArray<Arcade_Token*> tokenPool_;
    CDynArray<Arcade_Token*> liveTokens_;
    ChunkId sirenSound_;
    uint8_t sirenOn_ = 0;
};

/// The hit callback of the arcades' shots: the current arcade's TestParticleHit.
bool Arcade_ParticleCallback(TLV_Object* particle);
