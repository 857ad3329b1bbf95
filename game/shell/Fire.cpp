#include "game/shell/Fire.h"

#include <algorithm>

#include "game/shell/StillProps.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/WorldLink.h"
#include "platform/Platform.h"

namespace {

constexpr uint32_t kVehicle = 2000;
constexpr uint32_t kWorld = 201;

} // namespace

Fire::Fire(const char* name, uint32_t classId) : TLVSimple_Object(name, classId) {
    flameTimer_.Start(-1);
    SetAnimating(1);
}

bool Fire::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

void Fire::Suspend(int32_t flag) {
    flameTimer_.Pause();
    TLVSimple_Object::Suspend(flag);
}

void Fire::Resume(int32_t flag) {
    flameTimer_.Resume();
    TLVSimple_Object::Resume(flag);
}

int32_t Fire::OnIdle() {
    if (regrow_ && flameTimer_.HasElapsed()) {
        if (!xProp_IsHidden(this)) {
            if (++level_ > maximumLevel_) level_ = maximumLevel_;
            else flameTimer_.Restart();
            ApplyLevel();
        } else if (CTLVActivity* activity = CurrentGameActivity(); activity && activity->IsA(kWorld)) {
            if (relights_ <= 0 && relights_ != kEndlessRelights) {
                flameTimer_.Stop();
            } else {
                if (CWorldLink* world = activity->GetWorldLink()) world->OnFireRelit(this);
                if (relights_ > 0) --relights_;
            }
        }
    }
    return TLVSimple_Object::OnIdle();
}

int32_t Fire::OnContact(TLV_Object* other) {
    if ((other && other->IsA(kVehicle)) || !burning_) return 0;
    return regrow_ ? 1 : 5;
}

void Fire::Ignite() {
    SetVisible(1, 0);
    burning_ = 1;
    level_ = igniteToFull_ ? maximumLevel_ : std::min<int16_t>(int16_t(level_ + 1), maximumLevel_);
    ApplyLevel();
}

bool Fire::Douse() {
    if (regrow_) {
        if (douseAtOnce_) {
            level_ = 0;
            burning_ = 0;
        } else if (--level_ < 0) {
            level_ = 0;
            burning_ = 0;
        }
        flameTimer_.Restart();
    } else {
        burning_ = 0;
    }
    if (burning_) return false;
    SetVisible(0, 0);
    return true;
}

void Fire::SetFullFlame() {
    level_ = maximumLevel_;
    ApplyLevel();
}

void Fire::SetStartTick(uint32_t ms) { flameTimer_.start = plat::clock().TickCount() - ms; }

void Fire::ResetTimer() {
    flameTimer_.duration = -1;
    flameTimer_.Stop();
}

void Fire::ApplyLevel() {
    // A fire without a maximum has no size to scale to.
    if (maximumLevel_ <= 0) return;
    const float scale = float(level_) / float(maximumLevel_);
    SetScale(scale, scale);
}
