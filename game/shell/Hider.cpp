#include "game/shell/Hider.h"

#include "game/shell/PropertyField.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/WorldLink.h"

namespace {

/// What the stage shows of the current activity: the world's visible rectangle, else the
/// scroll origin and the stage's size.
CRect16 VisibleRect() {
    CTLVActivity* activity = CurrentGameActivity();
    if (!activity) return CRect16();
    if (CWorldLink* world = activity->GetWorldLink()) return world->GetVisibleRect();
    const CPointF& at = activity->GetScrollOffset();
    const auto left = ClampToInt16(int32_t(at.x));
    const auto top = ClampToInt16(int32_t(at.y));
    return CRect16(left, top, ClampToInt16(left + activity->GetStageWidth()),
                   ClampToInt16(top + activity->GetStageHeight()));
}

} // namespace

Hider::Hider(const char* name, uint32_t classId) : TLVSimple_Object(name, classId) {}

bool Hider::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

bool Hider::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return TLVSimple_Object::HandleProperty(msg, set);
    if (msg->id == kPropHideDistance) xProperty_Exchange(*this, *msg, hideDistance_, set);
    if (msg->id == kPropReappearances) xProperty_Exchange(*this, *msg, reappearances_, set);
    if (msg->id == kPropSink) xProperty_Exchange(*this, *msg, sink_, set);
    return true;
}

CRect16 Hider::OwnRect() const {
    if (!HasRightAngleRotation()) return CRect16();
    const auto left = ClampToInt16(int32_t(GetPosition().x) - GetWidth() / 2);
    const auto top = ClampToInt16(int32_t(GetPosition().y) - GetHeight() / 2);
    return CRect16(left, top, ClampToInt16(left + GetWidth()), ClampToInt16(top + GetHeight()));
}

int32_t Hider::OnIdle() {
    // A hider without states has nothing to play: it stays as it is.
    if (xProp_StateCount(this) > 0) {
        const bool onScreen = VisibleRect().Overlaps(OwnRect());
        const bool hidden = xProp_IsHidden(this);
        if (!hidden && GetState() == 0 && onScreen) {
            for (int32_t i = watched_.Count() - 1; i >= 0; --i) {
                TLV_Object* object = watched_.GetAt(i);
                if (object && object->DistanceTo(GetPosition()) < hideDistance_) {
                    SetState(1);
                    QueueNextState(0);
                    break;
                }
            }
        } else if (hidden && reappearances_ != 0) {
            if (GetState() != 0) {
                SetState(0);
                QueueNextState(0);
            } else if (!onScreen) {
                if (reappearances_ > 0) --reappearances_;
                SetVisible(1, 0);
            }
        }
    }
    return TLVSimple_Object::OnIdle();
}

int32_t Hider::OnAnimationEnd() {
    if (GetState() == 1) SetVisible(0, 0);
    return TLVSimple_Object::OnAnimationEnd();
}

void Hider::UpdateZOrder() {
    if (GetState() != 1) {
        TLVSimple_Object::UpdateZOrder();
        savedPriority_ = GetPriority();
    } else {
        SetPriority(sink_ ? kSunkPriority : savedPriority_);
    }
}
