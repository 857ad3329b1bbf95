#include "game/world/characters/DCaptive.h"

#include <cmath>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/graphics/State.h"
#include "game/shell/TLVActivity.h"
#include "game/world/characters/CharacterTouch.h"
#include "game/world/characters/ConstraintObject.h"
#include "game/world/characters/DweebleNumbers.h"
#include "game/world/characters/DweebleRoutines.h"

namespace {

constexpr int32_t kRescueState = 1;

} // namespace

DCaptive::DCaptive(const char* name, uint32_t classId) : Dweeble(name, classId) {
    SetGroupRoutine(1, &DoNothing);
    SetGroupRoutine(2, nullptr);
    SetIdleParam(100);
    SetMoveParam(500);
    SetDwellTimes(-1, 250, 250, 250, 250);
}

int32_t DCaptive::OnAnimationEnd() {
    // The rescue animation loops while the next screen fades in: only its first end asks.
    if (GetState() == kRescueState && !rescueAsked_) {
        rescueAsked_ = 1;
        FlushMessageQueue();
        if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(rescue_);
    }
    return Dweeble::OnAnimationEnd();
}

int32_t DCaptive::OnContact(TLV_Object* /*other*/) { return kTouchRefuse; }

void DCaptive::UpdateZOrder() {
    const int64_t bias = GetZBias();
    if (OActivityProp* shadow = GetShadow()) {
        SetPriority(ClampTo32(5 * (int64_t(TruncTo32(shadow->GetPosition().y)) + bias)));
        shadow->SetPriority(ClampTo32(int64_t(GetPriority()) - 1));
        return;
    }
    SetPriority(ClampTo32(5 * (int64_t(TruncTo32(GetPosition().y)) + bias)));
}

void DCaptive::PickRandomHeading(int32_t state) {
    SetTargetPoint(CPointF(0.0f, 0.0f));
    if (!pen_) return;
    if (!pen_->HasRightAngleRotation()) {
        xTracef("DCaptive - %s : its pen is turned by %d degrees, no place is picked\n", GetName(),
                int(pen_->GetRotation()));
        return;
    }
    const int32_t left = TruncTo32(pen_->GetPosition().x) - (pen_->GetWidth() >> 1);
    const int32_t top = TruncTo32(pen_->GetPosition().y) - (pen_->GetHeight() >> 1);
    const int32_t right = left + pen_->GetWidth(), bottom = top + pen_->GetHeight();
    if (right <= left || bottom <= top) {
        xTracef("DCaptive - %s : its pen is empty, no place is picked\n", GetName());
        return;
    }
    CState* frame = pen_->GetCurrentStateObject();
    const CPoint16 origin(ToInt16(left), ToInt16(top));
    CPointF target((left + right) / 2.0f, (top + bottom) / 2.0f);
    bool found = false;
    for (int32_t i = 0; frame && i < kPenTries && !found; ++i) {
        const int32_t x = int32_t(xRand() % uint32_t(right - left)) + left;
        const int32_t y = int32_t(xRand() % uint32_t(bottom - top)) + top;
        found = frame->HitTestPointScaled(CPoint16(ToInt16(x), ToInt16(y)), origin, pen_->GetScaleH(),
                                          pen_->GetScaleV());
        if (found) target = CPointF(float(x), float(y));
    }
    if (!found)
        xTracef("DCaptive - %s : no drawn pixel found in its pen, its centre is taken\n", GetName());
    SetTargetPoint(target);
    const CPointF centre = GetPosition();
    const int32_t direction = NearestDirection(state, Vec3(target.x - centre.x, target.y - centre.y, 0.0f));
    if (direction >= 0) SetHeading(direction);
}
