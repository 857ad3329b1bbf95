#pragma once
#include <cstdint>

#include "engine/base/Point.h"
#include "game/shell/Projectile.h"

/// Something that flies a ballistic arc ("PParticle", 2320): it moves over the ground with its
/// velocity while its height above the ground falls with a constant acceleration, so that its
/// picture, drawn above its ground point, comes down on it when the flight time is up. A part
/// of 32 or more states turns to the heading it flies in. Pipe 2 pans after it. Landing plays
/// its last state, after which it hides and tells its landed callback.
class PParticle : public Projectile {
public:
    static constexpr uint32_t kClassId = 2320;
    /// Parts with this many states or more have one state per heading.
    static constexpr int32_t kHeadingStates = 32;

    PParticle(const char* name = "PParticle", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    int32_t OnIdle() override;
    /// The end of a landing or splash state hides it and tells the landed callback.
    int32_t OnAnimationEnd() override;
    bool HitsObject(TLV_Object* other, CPoint16* out) override;
    /// While z-order is on: above the vehicle where the world's map holds it, else by its
    /// ground point.
    void UpdateZOrder() override;
    /// Shown (facing its heading with the flag) and launched; nothing when already shown.
    void Start(uint8_t flag) override;
    /// Still, in its last state.
    void Land() override;
    /// Still, in its last state but one (a part of headings), or its last.
    void Splash() override;

    /// Sets up an arc from `start` rising to `height` that lasts `timeMs`, g scaled by `factor`.
    /// A flight of 0 ms lands at the first frame.
    void Launch(const CPoint16& start, int16_t height, const CPoint16& target, uint32_t timeMs, float factor);

    int16_t GetLaunchHeight() const { return launchHeight_; }
    int16_t GetHeight() const { return height_; }
    float GetGravity() const { return gravity_; }
    const CPoint16& GetStartGround() const { return startGround_; }
    const CPoint16& GetTarget() const { return target_; }
    uint32_t GetElapsed() const { return elapsed_; }
    float GetArmingRadius() const { return armingRadius_; }
    void SetArmingRadius(float radius) { armingRadius_ = radius; }
    bool IsZOrderOn() const { return zOrderOn_ != 0; }
    void SetZOrderOn(bool on) { zOrderOn_ = on ? 1 : 0; }

private:
    /// Velocity not zero in some component.
    bool IsMoving() const;
    /// Shows and keeps the state (landing and splashing); a part without states cannot, so the
    /// particle ends at once.
    void ShowLastState(int32_t fromEnd);
    /// Hides the particle and tells the landed callback.
    void Finish();
    /// Pipe 2's levels after the particle's place on the stage.
    void PanPipe2();

    int16_t launchHeight_ = 0;
    int16_t height_ = 0;
    float gravity_ = 0.0f;
    CPoint16 startGround_;
    CPoint16 target_;
    uint32_t elapsed_ = 0;
    float armingRadius_ = 0.0f;
    uint8_t zOrderOn_ = 1;
};
