#include "game/world/vehicles/Vehicle.h"

#include "engine/data/PartFile.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VehicleChildProp.h"

namespace {

/// The frame a prop shows and how long its animation has run, taken before a change of state
/// and given to the new state, which keeps the hot spot where the frame put it.
class FrameKeeper {
public:
    explicit FrameKeeper(OActivityProp* prop) {
        if (CState* state = prop->GetCurrentStateObject()) {
            frame_ = state->currentFrame;
            startTick_ = state->startTick;
        }
    }
    void Restore(OActivityProp* prop) const {
        CState* state = prop->GetCurrentStateObject();
        if (!state || frame_ < 0 || frame_ >= state->GetFrameCount()) return;
        const CPoint16 before = state->GetHotSpot();
        state->SetFrame(frame_);
        state->startTick = startTick_;
        const CPoint16 after = state->GetHotSpot();
        if (!(after == before)) prop->MoveBy(float(after.x - before.x), float(after.y - before.y), 1, 1);
    }

private:
    int32_t frame_ = -1;
    uint32_t startTick_ = 0;
};

} // namespace

Vehicle::Vehicle(const char* name, uint32_t classId) : TLVComplex_Object(name, classId) {
    SetUserData(GetUserData() + 1);
}

Vehicle::~Vehicle() { DetachProp(); }

bool Vehicle::IsA(uint32_t classId) const { return classId == kClassId || TLVComplex_Object::IsA(classId); }

void Vehicle::SetState(int32_t index) {
    if (attached_) {
        const FrameKeeper keeper(attached_);
        attached_->SetState(index);
        keeper.Restore(attached_);
    }
    const FrameKeeper keeper(this);
    TLVComplex_Object::SetState(index);
    keeper.Restore(this);
}

void Vehicle::UpdateZOrder() {
    TLVComplex_Object::UpdateZOrder();
    if (attached_) attached_->SetPriority(Above(GetPriority()));
}

void Vehicle::SetDrawPriority(int32_t priority) {
    SetPriority(priority);
    if (attached_) attached_->SetPriority(Above(priority));
}

void Vehicle::AttachProp(ChunkId part) {
    CPartFile* file = GamePartFile();
    if (!file || !file->IsOpen() || !file->ChunkExists(part)) return;
    DetachProp();
    OActivityProp* prop = CVehicleChildProp::Make(&attached_, file, part);
    if (!prop) return;
    attached_ = prop;
    if (ONode* parent = GetParent()) parent->AddChild(prop);
    prop->SetPriority(Above(GetPriority()));
    CPointF anchor;
    GetAnchorPoint(&anchor);
    prop->SetPosition(anchor, 0, 1);
    prop->SetScale(GetScaleV(), GetScaleH());
    prop->SetState(GetState());
    prop->SetVisible(1, 0);
    AttachToView(prop, 1);
}

void Vehicle::DetachProp() { CVehicleChildProp::Release(&attached_); }

void Vehicle::GetAnchorPoint(CPointF* out) {
    if (!out) return;
    const CPointF offset = GetScaledHotSpot();
    *out = CPointF(GetPosition().x + offset.x, GetPosition().y + offset.y);
}
