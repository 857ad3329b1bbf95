#include "game/minigames/arcade/PArcadeParticle.h"

#include <algorithm>
#include <cmath>

#include "engine/base/Rect.h"
#include "game/shell/Headings.h"
#include "game/shell/StillProps.h"

namespace {

/// Truncated toward zero and held far inside 32 bits (0 for what is not a number).
int32_t Trunc(double v) {
    if (std::isnan(v)) return 0;
    return int32_t(std::clamp(v, -1e6, 1e6));
}

} // namespace

bool PArcadeParticle::IsMoving() const {
    const Vec3& v = GetVelocity();
    return v.x != 0.0f || v.y != 0.0f || v.z != 0.0f;
}

void PArcadeParticle::Start(uint8_t flag) {
    flown_ = 0;
    arcHeight_ = GetLaunchHeight();
    PParticle::Start(flag);
}

int32_t PArcadeParticle::OnIdle() {
    const OView* parent = dynamic_cast<const OView*>(GetParent());
    if (xProp_IsHidden(this) || (parent && !parent->IsShownThroughParents())) return OActivityProp::OnIdle();
    bool ended = false;
    if (IsMoving()) {
        const CTimerRec& clock = GetStepClock();
        flown_ += std::min(clock.Now() - clock.start, kMaxStepMs);
        const double t = double(flown_) / 1000.0;
        int32_t height = int32_t(GetLaunchHeight()) - Trunc(0.5 * double(GetGravity()) * t * t);
        if (GetPosition().y < float(stopLine_)) {
            height = 0;
            ended = true;
        }
        arcHeight_ = ClampToInt16(height);
        OActivityProp* sprite = GetCollisionBody();
        if (sprite != this) sprite->SetPosition(CPointF(GetPosition().x, GetPosition().y + float(arcHeight_)), 0, 0);
    }
    if (IsMoving() && GetFrameHook() && GetFrameHook()(this)) {
        Splash();
        return 1;
    }
    if (IsMoving() && xProp_StateCount(this) >= kHeadingStates) {
        const int32_t heading = xHeading_Nearest(GetVelocity().x, GetVelocity().y);
        if (heading != GetState()) SetState(heading);
    }
    UpdateZOrder();
    if (ended) Land();
    return Projectile::OnIdle();
}
