#include "game/shell/PParticle.h"

#include <algorithm>
#include <cmath>

#include "engine/base/Trace.h"
#include "engine/graphics/Part.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/Headings.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "game/shell/WorldLink.h"

namespace {

constexpr uint32_t kCharacter = 2400;
constexpr uint32_t kFire = 1550;
constexpr uint32_t kWorld = 201;
/// The listener stands in the middle of the stage; pipe 2 fades out over 400 pixels from it.
constexpr double kStageMiddle = 320.0;
constexpr int32_t kPanReach = 400;
constexpr int32_t kPanSpan = 320;
constexpr int32_t kFullLevel = 255;
/// The arming distance counts vertical pixels twice, as the heading table does.
constexpr double kArmingScaleX = 1.0;
constexpr double kArmingScaleY = 0.5;

/// A value truncated towards zero, held to +-10^6 (0 for what is not a number): far beyond
/// any stage, so nothing it feeds can overflow.
int32_t Trunc(double v) {
    if (std::isnan(v)) return 0;
    return int32_t(std::clamp(v, -1e6, 1e6));
}

} // namespace

PParticle::PParticle(const char* name, uint32_t classId) : Projectile(name, classId) {}

bool PParticle::IsA(uint32_t classId) const { return classId == kClassId || Projectile::IsA(classId); }

bool PParticle::IsMoving() const {
    const Vec3& v = GetVelocity();
    return v.x != 0.0f || v.y != 0.0f || v.z != 0.0f;
}

void PParticle::Launch(const CPoint16& start, int16_t height, const CPoint16& target, uint32_t timeMs, float factor) {
    launchHeight_ = height_ = height;
    if (GetCollisionBody() == this) CreateOverlay();
    startGround_ = CPoint16(start.x, ClampToInt16(int32_t(start.y) + height));
    target_ = target;
    SetFlightTime(int32_t(std::min<uint32_t>(timeMs, INT32_MAX)));
    // A flight of no time has no arc: the flight timer lands it at the first frame.
    const double seconds = double(timeMs) / 1000.0;
    gravity_ = timeMs == 0 ? 0.0f : float(2.0 * height * double(factor) / (seconds * seconds));
    UpdateZOrder();
}

void PParticle::Start(uint8_t flag) {
    if (IsVisible()) return;
    if (flag) {
        const Vec3& v = GetVelocity();
        SetState(xProp_StateCount(this) >= kHeadingStates ? xHeading_Nearest(v.x, v.y) : 0);
    }
    SetVisible(1, 0);
    elapsed_ = 0;
    Projectile::Start(flag);
}

int32_t PParticle::OnIdle() {
    if (xProp_IsHidden(this)) return OActivityProp::OnIdle();
    bool landed = false;
    OActivityProp* body = GetCollisionBody();
    if (IsMoving()) {
        const CTimerRec& clock = GetStepClock();
        elapsed_ += std::min(clock.Now() - clock.start, kMaxStepMs);
        const double t = double(elapsed_) / 1000.0;
        int32_t height = int32_t(launchHeight_) - Trunc(t * t * double(gravity_) * 0.5);
        if (height < 0) {
            height = 0;
            landed = true;
        }
        height_ = ClampToInt16(height);
        if (body != this) body->SetPosition(CPointF(GetPosition().x, GetPosition().y + float(height_)), 0, 0);
        UpdateZOrder();
    }

    bool armed = true;
    if (armingRadius_ > 0.5f) {
        const double dx = (double(body->GetPosition().x) - startGround_.x) / kArmingScaleX;
        const double dy = (double(body->GetPosition().y) - startGround_.y) / kArmingScaleY;
        armed = std::sqrt(dx * dx + dy * dy) >= armingRadius_;
    }
    if (armed && IsMoving() && GetFrameHook() && GetFrameHook()(this)) {
        Splash();
    } else if (IsMoving() && xProp_StateCount(this) >= kHeadingStates) {
        const int32_t heading = xHeading_Nearest(GetVelocity().x, GetVelocity().y);
        if (heading != GetState()) {
            SetState(heading);
            SetNextState(heading);
            SetPosition(GetPosition(), 0, 1); // the new frame may have another hot spot
        }
    }
    if (landed) Land();
    PanPipe2();
    return Projectile::OnIdle();
}

void PParticle::PanPipe2() {
    OSoundProcess* sound = GameSoundProcess();
    if (!sound || sound->GetPipeCount() <= kSoundPipe) return;
    CTLVActivity* activity = CurrentGameActivity();
    const double scroll = activity ? activity->GetScrollOffset().x : 0.0;
    const int32_t r = Trunc(scroll + kStageMiddle - double(GetPosition().x));
    int32_t left = kFullLevel;
    int32_t right = kFullLevel;
    if (r < 0) left = (kPanReach + r) * kFullLevel / kPanSpan;
    if (r > 0) right = (kPanReach - r) * kFullLevel / kPanSpan;
    xSound_SetBalance(sound->GetChannel(kSoundPipe), left, right);
}

void PParticle::ShowLastState(int32_t fromEnd) {
    const int32_t states = xProp_StateCount(this);
    if (states == 0) {
        xTracef("%s : no state to land in\n", GetName());
        Finish();
        return;
    }
    SetState(std::max(states - fromEnd, 0));
}

void PParticle::Land() {
    SetVelocity(Vec3(), 0);
    ShowLastState(1);
    zOrderOn_ = 1;
    Projectile::Land();
}

void PParticle::Splash() {
    SetVelocity(Vec3(), 0);
    ShowLastState(xProp_StateCount(this) >= kHeadingStates ? 2 : 1);
    zOrderOn_ = 1;
    Projectile::Land();
}

void PParticle::Finish() {
    SetVisible(0, 0);
    if (LandedCallback landed = GetLandedCallback()) landed(this);
}

int32_t PParticle::OnAnimationEnd() {
    const int32_t state = GetState();
    // Once hidden it has finished: a state that plays on does not tell the callback again.
    if (!xProp_IsHidden(this) && (state >= kHeadingStates || state == xProp_StateCount(this) - 1)) Finish();
    return Projectile::OnAnimationEnd();
}

bool PParticle::HitsObject(TLV_Object* other, CPoint16* out) {
    if (!other || other == this) return false;
    if (other->IsA(kFire)) return OverlapsProp(other->GetCollisionBody(), out);
    if (other->IsA(kCharacter)) return GetCollisionBody()->OverlapsProp(other, out);
    return GetCollisionBody()->OverlapsProp(other->GetCollisionBody(), out);
}

void PParticle::UpdateZOrder() {
    if (!zOrderOn_) return;
    CTLVActivity* activity = CurrentGameActivity();
    CWorldLink* world = activity && activity->IsA(kWorld) ? activity->GetWorldLink() : nullptr;
    if (TLV_Object* vehicle = world ? world->GetVehicle() : nullptr) {
        const auto left = ClampToInt16(Trunc(GetLeft()));
        const auto top = ClampToInt16(Trunc(GetTop()));
        const CRect16 rect(left, top, ClampToInt16(left + GetWidth()), ClampToInt16(top + GetHeight()));
        if (world->RectInMap(rect, world->GetVehicleGroundOffset())) {
            SetPriority(int32_t(std::min<int64_t>(int64_t(vehicle->GetPriority()) + 2, INT32_MAX)));
            return;
        }
    }
    const int16_t value3 = GetAnimSet() ? GetAnimSet()->GetPartWord(3) : 0;
    SetPriority(5 * Trunc(double(GetCollisionBody()->GetPosition().y) + value3));
}
