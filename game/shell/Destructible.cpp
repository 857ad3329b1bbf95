#include "game/shell/Destructible.h"

#include <cmath>

#include "game/shell/Player.h"
#include "game/shell/PlayerRecord.h"
#include "game/shell/PropertyField.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "game/shell/WorldLink.h"

namespace {

constexpr uint32_t kProjectile = 2300;
constexpr uint32_t kMovingProp = 1110;
constexpr uint32_t kCity = 501;

/// Whether the current player drives an upgrade vehicle (vehicle values 1, 3 and 5).
bool DrivesUpgrade() {
    CTLVApp* app = CTLVApp::Get();
    CPlayer* player = app ? app->GetPlayer() : nullptr;
    return player && player->GetSelectedVehicle() % 2 == 1 && player->GetSelectedVehicle() <= 5;
}

/// The city world, when it is the current activity.
CWorldLink* City() {
    CTLVActivity* activity = CurrentGameActivity();
    return activity && activity->IsA(kCity) ? activity->GetWorldLink() : nullptr;
}

} // namespace

Destructible::Destructible(const char* name, uint32_t classId) : TLVSimple_Object(name, classId) {}

bool Destructible::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

bool Destructible::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return TLVSimple_Object::HandleProperty(msg, set);
    if (msg->id == kPropRammingSpeed) xProperty_Exchange(*this, *msg, rammingSpeed_, set);
    if (msg->id == kPropRecordWord && xProperty_Exchange(*this, *msg, recordWord_, set) && set &&
        recordWord_ >= PlayerRecord::kExtraWords) {
        // A word past the record's twelve would be written outside it: the prop keeps none.
        xTracef("%s : record word %u refused, the player record has %d extra words\n", GetName(),
                unsigned(recordWord_), PlayerRecord::kExtraWords);
        recordWord_ = kNoRecordWord;
    }
    return true;
}

int32_t Destructible::OnContact(TLV_Object* other) {
    if (xProp_IsHidden(this)) return 0;
    const int32_t states = xProp_StateCount(this);
    if (states == 1 || GetState() == states - 1) {
        broken_ = 1;
        return 0;
    }
    if (other && other->IsA(kProjectile)) return 1;
    if (auto* moving = dynamic_cast<TLVComplex_Object*>(other); rammingSpeed_ > 0 && moving && moving->IsA(kMovingProp)) {
        const Vec3& v = moving->GetVelocity();
        const auto speed = int32_t(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
        xTracef("Ramming speed: %d\n", speed);
        if (speed < rammingSpeed_) return 1;
    }
    // An upgrade vehicle breaks two stages at once, but never past the rubble: a prop that
    // skipped its last state would never count as broken.
    const int32_t last = states - 1;
    const int32_t next = std::min(GetState() + (DrivesUpgrade() ? 2 : 1), last);
    SetState(next);
    CWorldLink* city = City();
    const bool target = city && city->IsMissionDestructible(this);
    if (target && recordWord_ != kNoRecordWord)
        if (CTLVApp* app = CTLVApp::Get(); app && app->GetPlayer()) app->GetPlayer()->SetExtraWord(recordWord_, uint16_t(next));
    if (next != last) return 65;
    if (!broken_ && target) city->OnMissionPropDestroyed();
    broken_ = 1;
    SetPriority(kRubblePriority);
    return 64;
}

void Destructible::UpdateZOrder() {
    const int32_t states = xProp_StateCount(this);
    if (states > 0 && GetState() == states - 1) SetPriority(kRubblePriority);
    else TLVSimple_Object::UpdateZOrder();
}

RDestructible::RDestructible(const char* name, uint32_t classId) : TLVComplex_Object(name, classId) {}

bool RDestructible::IsA(uint32_t classId) const { return classId == kClassId || TLVComplex_Object::IsA(classId); }

int32_t RDestructible::OnContact(TLV_Object* other) {
    if (GetState() != 0 || xProp_IsHidden(this)) return 0;
    if (other && other->IsA(kProjectile)) return 1;
    if (xProp_StateCount(this) < 2) {
        // Without a broken state it could be broken again at every contact.
        xTracef("%s : its part has no broken state\n", GetName());
        return 0;
    }
    SetState(1);
    SetPriority(Destructible::kRubblePriority);
    return 64;
}

void RDestructible::UpdateZOrder() {
    if (GetState() == 1) SetPriority(Destructible::kRubblePriority);
    else TLVComplex_Object::UpdateZOrder();
}
