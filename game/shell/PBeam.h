#pragma once
#include <cstdint>

#include "game/shell/Projectile.h"

/// A beam of light ("PBeam", 2310) that follows another object, a vehicle's light: it shows
/// the source's state modulo its own number of states and lies 5 above the source in the draw
/// order. It lights characters (and, when told, destructibles) that its own picture overlaps.
/// Hidden until started; landing hides it again.
class PBeam : public Projectile {
public:
    static constexpr uint32_t kClassId = 2310;
    static constexpr int32_t kPriorityAbove = 5;

    PBeam(const char* name = "PBeam", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// Follows the source, runs the per-frame hook while shown, then the projectile's step.
    int32_t OnIdle() override;
    bool HitsObject(TLV_Object* other, CPoint16* out) override;
    /// Only the source's priority + 5, never the base rule.
    void UpdateZOrder() override;
    /// With a source and the flag: in step with it first; then shown and launched.
    void Start(uint8_t flag) override;
    /// Hidden, then landed.
    void Land() override;

    OActivityProp* GetSource() const { return source_; }
    void SetSource(OActivityProp* source) { source_ = source; }
    bool FollowsPriority() const { return followPriority_ != 0; }
    void SetFollowPriority(bool on) { followPriority_ = on ? 1 : 0; }
    bool LightsDestructibles() const { return lightsDestructibles_ != 0; }
    void SetLightsDestructibles(bool on) { lightsDestructibles_ = on ? 1 : 0; }

    // The driving world's names.
    OActivityProp* GetOwner() const { return GetSource(); }
    void SetOwner(OActivityProp* owner) { SetSource(owner); }
    void SetHitCallback(FrameHook hook) { SetFrameHook(hook); }
    void Activate(uint8_t flag) { Start(flag); }
    void SwitchOff() { Land(); }

private:
    /// The source's state (modulo the beam's states) and priority.
    void Sync();

    OActivityProp* source_ = nullptr;
    uint8_t followPriority_ = 1;
    uint8_t lightsDestructibles_ = 0;
    /// Set once a beam without states has said that it cannot follow.
    uint8_t toldNoStates_ = 0;
};
