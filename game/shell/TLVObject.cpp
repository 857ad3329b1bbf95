#include "game/shell/TLVObject.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <new>

#include "engine/base/Trace.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/Part.h"
#include "game/shell/TLVApp.h"

namespace {

/// A coordinate truncated towards zero, held to 32 bits (0 for a value that is not a number).
int32_t Trunc32(float v) {
    if (std::isnan(v)) return 0;
    return int32_t(std::clamp(double(v), double(INT32_MIN), double(INT32_MAX)));
}

int32_t Clamp32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

int32_t StateCount(const OActivityProp* prop) { return prop->GetAnimSet() ? prop->GetAnimSet()->GetStateCount() : 0; }

} // namespace

/// A shadow or an overlay: a plain engine prop in the object's parent that tells the object
/// when it is deleted, whoever deletes it, so that the object never keeps a pointer to it.
class TLV_Object::ChildProp final : public OActivityProp {
public:
    explicit ChildProp(TLV_Object* owner) : OActivityProp("OActivityProp", OActivityProp::kClassId), owner_(owner) {}
    ~ChildProp() override {
        if (owner_) owner_->ForgetChild(this);
    }
    /// The object deletes it itself.
    void Disown() { owner_ = nullptr; }

private:
    TLV_Object* owner_;
};

TLV_Object::TLV_Object(const char* name, uint32_t classId) : OActivityProp(name, classId) { SetSoundPan(1); }

TLV_Object::~TLV_Object() {
    Unlink();
    DeleteShadow();
    DeleteOverlay();
}

bool TLV_Object::IsA(uint32_t classId) const { return classId == kClassId || OActivityProp::IsA(classId); }

bool TLV_Object::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (msg && msg->family == kClassId) {
        bool whole = true;
        switch (msg->id) {
        case kPropZBias: whole = msg->Exchange(0, zBias_, set); break;
        case kPropOverlayZBias: whole = msg->Exchange(0, overlayZBias_, set); break;
        case kPropSolid: whole = msg->Exchange(0, solid_, set); break;
        case kPropListed: whole = msg->Exchange(0, listed_, set); break;
        default: break;
        }
        if (!whole)
            xTracef("TLV_Object - %s : property %u of family 1100 has %u bytes, too few\n", GetName(),
                    unsigned(msg->id), unsigned(msg->size));
    }
    return OActivityProp::HandleProperty(msg, set);
}

int32_t TLV_Object::OnPropertiesLoaded() {
    CreateShadow();
    UpdateZOrder();
    return OActivityProp::OnPropertiesLoaded();
}

void TLV_Object::OnPartLoaded() {
    OActivityProp::OnPartLoaded();
    if (shadow_) return;
    CreateShadow();
    if (shadow_) UpdateZOrder();
}

void TLV_Object::SetState(int32_t index) {
    for (OActivityProp* child : {shadow_, overlay_})
        if (child && StateCount(child) > 1) child->SetState(index);
    OActivityProp::SetState(index);
}

int32_t TLV_Object::OnAnimationEnd() {
    if (hideAtAnimationEnd_) SetVisible(0, 0);
    return OActivityProp::OnAnimationEnd();
}

double TLV_Object::DistanceTo(const CPointF& point) {
    const double dx = double(point.x) - double(GetPosition().x);
    const double dy = double(point.y) - double(GetPosition().y);
    return std::sqrt(dx * dx + dy * dy);
}

TLV_Object::ChildProp* TLV_Object::MakeChild(uint16_t entry) {
    CPartFile* file = GamePartFile();
    if (entry == 0 || !file) return nullptr;
    const uint8_t index = file->FindDataIndex(Tag4("part"));
    const ChunkId id = MakeChunkId(index, entry);
    if (index == 0 || !file->ChunkExists(id)) return nullptr;
    auto* child = new (std::nothrow) ChildProp(this);
    if (child && child->SetPartID(file, id, 1) == 0) {
        child->Disown();
        delete child;
        return nullptr;
    }
    return child;
}

void TLV_Object::CreateShadow() {
    CPart* part = GetAnimSet();
    if (shadow_ || !part) return;
    ChildProp* shadow = MakeChild(uint16_t(part->GetPartWord(1)));
    if (!shadow) return;
    shadow_ = shadow;
    shadow->SetPriority(-10000);
    if (ONode* parent = GetParent()) parent->AddChild(shadow);
    const CPointF& at = GetPosition();
    shadow->SetPosition(CPointF(at.x + float(part->GetPartOffset(1)), at.y + float(part->GetPartOffset(2))), 0, 1);
    if (StateCount(shadow) > 1) shadow->SetState(GetState());
    shadow->SetVisible(IsShownThroughParents() ? 1 : 0, 0);
    // An object without a parent yet brings its attached shadow along when it gets one.
    AttachToView(shadow, 1);
    if (!overlay_) collisionBody_ = shadow;
}

void TLV_Object::CreateOverlay() {
    CPart* part = GetAnimSet();
    if (!part) return;
    ChildProp* overlay = MakeChild(uint16_t(part->GetPartWord(2)));
    if (!overlay) return;
    DeleteOverlay();
    overlay_ = overlay;
    overlay->SetVisible(0, 0);
    if (ONode* parent = GetParent()) parent->AddChild(overlay);
    PlaceOverlay();
    if (StateCount(overlay) > 1) overlay->SetState(GetState());
    UpdateZOrder();
    AttachToView(overlay, 1);
    collisionBody_ = overlay;
}

void TLV_Object::PlaceOverlay() {
    CPointF at = GetPosition();
    if (overlayPlacement_ != 0) {
        at.x += float(GetAnimSet()->GetPartOffset(1));
        at.y += float(GetAnimSet()->GetPartOffset(2));
    } else {
        const CPointF mine = GetHotSpot();
        const CPointF its = overlay_->GetHotSpot();
        at.x += its.x - mine.x;
        at.y += its.y - mine.y;
    }
    overlay_->SetPosition(at, 0, 1);
}

void TLV_Object::UpdateChildren() {
    if (!overlay_ || !GetAnimSet()) return;
    // Attached again at its new place, so that the object's next move keeps it there.
    const bool attached = overlay_->GetHost() == this;
    if (attached) DetachChildView(overlay_);
    PlaceOverlay();
    if (attached) AttachToView(overlay_, 1);
}

void TLV_Object::DeleteShadow() {
    OActivityProp* shadow = shadow_;
    shadow_ = nullptr;
    DeleteChild(shadow);
}

void TLV_Object::DeleteOverlay() {
    OActivityProp* overlay = overlay_;
    overlay_ = nullptr;
    DeleteChild(overlay);
}

void TLV_Object::DeleteChild(OActivityProp* child) {
    if (!child) return;
    static_cast<ChildProp*>(child)->Disown();
    if (ONode* parent = child->GetParent()) parent->RemoveChild(child);
    DetachChildView(child);
    delete child;
    ResetCollisionBody();
}

void TLV_Object::ForgetChild(const OActivityProp* child) {
    if (child == shadow_) shadow_ = nullptr;
    if (child == overlay_) overlay_ = nullptr;
    ResetCollisionBody();
}

void TLV_Object::ResetCollisionBody() {
    collisionBody_ = overlay_ ? overlay_ : shadow_ ? shadow_ : this;
}

int32_t TLV_Object::OnContact(TLV_Object* /*other*/) { return 0; }

bool TLV_Object::HitsProp(OActivityProp* prop, CPoint16* out) {
    if (!prop || prop == this) return false;
    return collisionBody_->OverlapsProp(prop, out);
}

bool TLV_Object::HitsObject(TLV_Object* other, CPoint16* out) {
    if (!other || other == this) return false;
    return collisionBody_->OverlapsProp(other->collisionBody_, out);
}

bool TLV_Object::HitsSegment(const CPoint16& a, const CPoint16& b) {
    CPoint16 segment[2] = {a, b};
    return collisionBody_->IntersectsSegment16(segment, 0, nullptr);
}

bool TLV_Object::IsInFrontOfOverlay(const CPoint16& point) {
    if (!overlay_) return false;
    const int32_t px = point.x;
    const int32_t py = point.y;
    const int32_t ox = Trunc32(overlay_->GetPosition().x);
    const int32_t oy = Trunc32(overlay_->GetPosition().y);
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    if (overlay_->HasRightAngleRotation()) {
        left = ox - (overlay_->GetWidth() >> 1);
        top = oy - (overlay_->GetHeight() >> 1);
        right = left + overlay_->GetWidth();
        bottom = top + overlay_->GetHeight();
    }
    if (px < left || px > right) return py > oy;
    if (py < top || py >= bottom || px == right) return py >= bottom;
    // Inside: the base line runs down from the left edge to the split column at the bottom,
    // and up again to the right edge.
    const CPart* part = overlay_->GetAnimSet();
    if (!part) return false;
    const int32_t split = ox + part->GetPartWord(2);
    if (px < split) {
        const int32_t yl = oy + part->GetPartWord(1);
        if (py <= yl || split <= left + 1) return false;
        const double line = double(px - left) / double(split - left) * double(bottom - yl) + yl;
        return py > line;
    }
    if (px == split) return false;
    const int32_t yr = oy + part->GetPartWord(3);
    if (py <= yr || right - split <= 0) return false;
    const double line = double(right - px) / double(right - split) * double(bottom - yr) + yr;
    return py > line;
}

void TLV_Object::UpdateZOrder() {
    const OView* reference = overlay_ ? static_cast<const OView*>(overlay_) : this;
    const int64_t bias = overlay_ ? overlayZBias_ : zBias_;
    const int64_t priority = 5 * (int64_t(Trunc32(reference->GetPosition().y)) + bias);
    SetPriority(Clamp32(priority));
    if (shadow_) shadow_->SetPriority(Clamp32(int64_t(GetPriority()) - 1));
}

void TLV_Object::LinkAfter(TLV_Object* other) {
    if (!other || other == this || previous_ == other) return;
    Unlink();
    previous_ = other;
    next_ = other->next_;
    if (next_) next_->previous_ = this;
    other->next_ = this;
}

void TLV_Object::Unlink() {
    if (previous_) previous_->next_ = next_;
    if (next_) next_->previous_ = previous_;
    previous_ = next_ = nullptr;
}

TLV_Object* TLV_Object::ChainHead() {
    TLV_Object* head = this;
    while (head->previous_) head = head->previous_;
    // A vehicle leads the followers behind it but carries none of them.
    return head->IsA(kVehicleClassId) ? this : head;
}
