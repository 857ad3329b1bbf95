#include "game/shell/TLVGameActivity.h"

#include <algorithm>
#include <cmath>

#include "engine/base/Trace.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"

namespace {

float Length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

Vec3 Scaled(const Vec3& v, float factor) { return Vec3(v.x * factor, v.y * factor, v.z * factor); }

/// A scroll offset's whole pixels (truncated; 0 for what is not a number).
int32_t WholePixels(float v) { return std::isnan(v) ? 0 : int32_t(std::clamp(v, -1e9f, 1e9f)); }

} // namespace

TLVGame_Activity::TLVGame_Activity(const char* name, uint32_t classId) : CTLVActivity(name, classId) {
    gameClock.Start(kClockMs);
}

bool TLVGame_Activity::IsA(uint32_t classId) const { return classId == kClassId || CTLVActivity::IsA(classId); }

int32_t TLVGame_Activity::OnIdle() {
    if (gameClock.paused == 0 && gameClock.HasElapsed() &&
        (Length(scrollVelocity) > 0.0f || Length(scrollAcceleration) > 0.0f)) {
        const uint32_t dt = std::min(gameClock.Now() - gameClock.start, kMaxTickMs);
        const float before = Length(scrollVelocity);
        const Vec3 dv = AccelerationStep(dt);
        scrollVelocity = Vec3(scrollVelocity.x + dv.x, scrollVelocity.y + dv.y, scrollVelocity.z + dv.z);
        const float speed = Length(scrollVelocity);
        if (stopWhenSlow && speed > -kSlowSpeed && speed < kSlowSpeed) scrollVelocity = scrollAcceleration = Vec3();
        // The acceleration stops once the speed has crossed the target, whichever way it went.
        if ((speed > before && speed >= targetSpeed) || (speed < before && speed <= targetSpeed))
            scrollAcceleration = Vec3();
        const Vec3 move = VelocityStep(dt);
        gameClock.Restart();

        const CPointF from = GetScrollOffset();
        const CPointF asked(from.x + move.x, from.y + move.y);
        ScrollTo(asked, 0);
        const CPointF& to = GetScrollOffset();
        scrollRemainder[0] = asked.x - to.x;
        scrollRemainder[1] = asked.y - to.y;
        scrollStep[0] = WholePixels(to.x) - WholePixels(from.x);
        scrollStep[1] = WholePixels(to.y) - WholePixels(from.y);
        OnScrolled();
    }
    return CTLVActivity::OnIdle();
}

void TLVGame_Activity::Pause() {
    gameClock.Pause();
    CTLVActivity::Pause();
}

void TLVGame_Activity::Resume() {
    if (!IsPanelShown(-1)) gameClock.Resume();
    CTLVActivity::Resume();
}

int32_t TLVGame_Activity::FlushSoundQueues() {
    if (CTLVApp* app = CTLVApp::Get(); app && app->GetPlayer()) {
        // Without a signed-in player there is no slot of its own to write.
        const int16_t slot = app->GetSaveSlot();
        if (slot >= 0) app->GetPlayer()->Save(slot);
        else xTracef("%s : no player signed in, the record is not saved\n", GetName());
    }
    if (CCounterPanel* panel = CounterPanel()) panel->Release();
    return CTLVActivity::FlushSoundQueues();
}

void TLVGame_Activity::SetScrollVelocity(float x, float y, float z, bool add) {
    scrollVelocity = add ? Vec3(scrollVelocity.x + x, scrollVelocity.y + y, scrollVelocity.z + z) : Vec3(x, y, z);
}

void TLVGame_Activity::SetScrollAcceleration(const Vec3& acceleration, bool add) {
    const Vec3& a = scrollAcceleration;
    scrollAcceleration = add ? Vec3(a.x + acceleration.x, a.y + acceleration.y, a.z + acceleration.z) : acceleration;
}

Vec3 TLVGame_Activity::VelocityStep(uint32_t ms) const { return Scaled(scrollVelocity, float(ms) / 1000.0f); }

Vec3 TLVGame_Activity::AccelerationStep(uint32_t ms) const { return Scaled(scrollAcceleration, float(ms) / 1000.0f); }
