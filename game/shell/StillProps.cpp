#include "game/shell/StillProps.h"

#include "engine/data/PartFile.h"
#include "engine/graphics/Part.h"
#include "game/shell/PropertyField.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"

namespace {

constexpr int32_t kProjectile = 2300;
constexpr int32_t kVehicle = 2000;
constexpr int32_t kPropSoundVolume = 127;

} // namespace

bool xProp_IsHidden(const OView* prop) { return !prop->IsShownThroughParents(); }

int32_t xProp_StateCount(const OActivityProp* prop) {
    return prop->GetAnimSet() ? prop->GetAnimSet()->GetStateCount() : 0;
}

// ---- Spawn ----------------------------------------------------------------------------------

Spawn::Spawn(const char* name, uint32_t classId) : TLVSimple_Object(name, classId) {}

bool Spawn::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

bool Spawn::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return OActivityProp::HandleProperty(msg, set);
    if (msg->id == kPropValue) xProperty_Exchange(*this, *msg, value_, set);
    if (msg->id == kPropPartEntry) {
        xProperty_Exchange(*this, *msg, partEntry_, set);
        CPartFile* file = GamePartFile();
        partId_ = MakeChunkId(file ? file->FindDataIndex(Tag4("part")) : 0, partEntry_);
    }
    return true;
}

int32_t Spawn::OnContact(TLV_Object* /*other*/) {
    if (used_) return 65;
    used_ = 1;
    return 97;
}

// ---- Blocker --------------------------------------------------------------------------------

Blocker::Blocker(const char* name, uint32_t classId) : TLVSimple_Object(name, classId) { SetEnabled(false); }

bool Blocker::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

bool Blocker::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return TLVSimple_Object::HandleProperty(msg, set);
    if (msg->id == kPropFlag && set) xProperty_Exchange(*this, *msg, flag_, set);
    if (msg->id == kPropListed) xProperty_Exchange(*this, *msg, blockerListed_, set);
    return true;
}

int32_t Blocker::OnIdle() {
    if (overlayBase1_ != 0 && overlayBase2_ != 0) UpdateZOrder();
    return TLVSimple_Object::OnIdle();
}

void Blocker::CreateOverlay() {
    TLVSimple_Object::CreateOverlay();
    OActivityProp* body = GetCollisionBody();
    if (body == this || !body->GetAnimSet()) return;
    overlayBase1_ = uint16_t(body->GetAnimSet()->GetPartWord(1));
    overlayBase2_ = uint16_t(body->GetAnimSet()->GetPartWord(2));
}

int32_t Blocker::OnContact(TLV_Object* other) { return other && other->IsA(kProjectile) ? 128 : 192; }

// ---- Token ----------------------------------------------------------------------------------

Token::Token(const char* name, uint32_t classId) : TLVSimple_Object(name, classId) {}

bool Token::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

int32_t Token::OnContact(TLV_Object* other) {
    if (!other || !other->IsA(kVehicle)) return 0;
    if (CTLVActivity* activity = CurrentGameActivity())
        activity->PlaySound(kCollectSound, CTLVActivity::kAnyPipe, kPropSoundVolume);
    return 68;
}

void Token::OnCollected(TLV_Object* vehicle) {
    if (collectedHook) collectedHook(this, vehicle);
}

// ---- Changeable -----------------------------------------------------------------------------

Changeable::Changeable(const char* name, uint32_t classId) : TLVSimple_Object(name, classId) { SetAnimating(1); }

bool Changeable::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

void Changeable::SetState(int32_t index) {
    OActivityProp* body = GetCollisionBody();
    const bool child = body != this && (body == GetShadow() || body == GetOverlay());
    const bool attached = child && body->GetHost() == this;
    if (attached) DetachChildView(body);
    TLVSimple_Object::SetState(index);
    if (attached) AttachToView(body, 1);
}

int32_t Changeable::OnContact(TLV_Object* other) {
    if (other && other->IsA(kProjectile)) return 1;
    if (GetState() == 0) SetState(1);
    return 192;
}

// ---- Bag ------------------------------------------------------------------------------------

Bag::Bag(const char* name, uint32_t classId) : TLVSimple_Object(name, classId) { wiggleTimer_.Start(kWiggleMs); }

bool Bag::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

int32_t Bag::OnIdle() {
    if (wiggleTimer_.HasElapsed()) {
        if (IsOnScreen() && xProp_StateCount(this) > 1) {
            SetState(1);
            QueueNextState(0);
        }
        wiggleTimer_.Restart();
    }
    return TLVSimple_Object::OnIdle();
}

int32_t Bag::OnContact(TLV_Object* other) {
    if (xProp_IsHidden(this)) return 0;
    return other && other->IsA(kProjectile) ? 1 : 64;
}

// ---- Smoke ----------------------------------------------------------------------------------

Smoke::Smoke() : TLVSimple_Object("TLVSimple_Object", TLVSimple_Object::kClassId) {
    SetDrawMode(3);
    SetBlendLevel(kBlendLevel);
}

bool Smoke::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

int32_t Smoke::OnAnimationEnd() {
    if (IsShownThroughParents()) SetVisible(0, 0);
    return TLVSimple_Object::OnAnimationEnd();
}

// ---- Interaction_Point ----------------------------------------------------------------------

Interaction_Point::Interaction_Point(const char* name, uint32_t classId) : TLV_Object(name, classId) {}

bool Interaction_Point::IsA(uint32_t classId) const { return classId == kClassId || OActivityProp::IsA(classId); }

bool Interaction_Point::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return TLV_Object::HandleProperty(msg, set);
    if (msg->id == kPropTarget && set) {
        int16_t x = 0;
        int16_t y = 0;
        if (msg->Get(0, x) && msg->Get(2, y)) target_ = CPointF(float(x), float(y));
        else xTracef("%s : property 1 of family 1060 has %u bytes, fewer than 4\n", GetName(), unsigned(msg->size));
    }
    return true;
}
