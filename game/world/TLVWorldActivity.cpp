#include "game/world/TLVWorldActivity.h"

#include <algorithm>

#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/PropertyMsg.h"
#include "engine/core/Window.h"
#include "game/shell/TLVComplexObject.h"

TLVWorld_Activity::TLVWorld_Activity(const char* name, uint32_t classId) : CTLVActivity(name, classId) {
    keyTimer_.Start(5000);
    keyTimer_.Pause();
    idleTimer_.duration = kIdleMs;
    actionTimer_.Start(0);
    startHintTimer_.duration = kStartHintMs;
    introTimer_.duration = 2000;
    stopTimer_.duration = kStopDelayMs;
    fadeTimer_.Start(kFadeStepMs);
    contactTimer_.Start(0);
    WatchKey(kKeySpace);
    WatchKey(kKeyAlt);
    WatchDrivingKeys();
    SetCursorMode(0);
}

TLVWorld_Activity::~TLVWorld_Activity() {
    fades_.Clear();
    // Screen buttons still on the stage are deleted with the world they came with.
    TakeScreenButtonsBack();
    // The arrow lives in the main window, which outlives the world.
    if (guideArrow_) {
        if (ONode* parent = guideArrow_->GetParent()) parent->RemoveChild(guideArrow_);
        delete guideArrow_;
    }
}

bool TLVWorld_Activity::IsA(uint32_t classId) const { return classId == kClassId || CTLVActivity::IsA(classId); }

bool TLVWorld_Activity::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return CTLVActivity::HandleProperty(msg, set);
    if (msg->id < 1 || msg->id > uint32_t(kQuotas)) return true;
    if (!msg->Exchange(0, quotas_[msg->id - 1], set))
        xTracef("TLVWorld_Activity - %s : quota %u of family 201 has %u bytes, fewer than 2\n", GetName(),
                unsigned(msg->id), unsigned(msg->size));
    return true;
}

TLV_Object* TLVWorld_Activity::GetVehicle() { return vehicle_; }

void TLVWorld_Activity::DoVehicleAction() { actionTimer_.Start(actionCooldown_); }

void TLVWorld_Activity::PlayBumpSound(OActivityProp* /*prop*/) { PlaySound(kBumpSound, kAnyPipe, 127); }

// ---- Map and view -------------------------------------------------------------------------------

CRect16 TLVWorld_Activity::GetVisibleRect() {
    const auto left = ClampToInt16(int32_t(GetScrollOffset().x));
    const auto top = ClampToInt16(int32_t(GetScrollOffset().y));
    return CRect16(left, top, ClampToInt16(left + GetStageWidth()), ClampToInt16(top + GetStageHeight()));
}

CRect16 TLVWorld_Activity::GetMapRect() {
    const CPointF size = GetBackgroundSize();
    return CRect16(0, 0, ClampToInt16(int32_t(size.x)), ClampToInt16(int32_t(size.y)));
}

bool TLVWorld_Activity::RectInMap(const CRect16& rect, int16_t offset) {
    CRect16 raised = rect;
    raised.top = ClampToInt16(int32_t(rect.top) - offset);
    return raised.Overlaps(GetMapRect());
}

namespace {

bool Inside(const CRect16& r, int32_t x, int32_t y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

/// The rectangle with its top raised by `extraTop` (never lowered).
CRect16 RaisedTop(CRect16 r, int16_t extraTop) {
    if (extraTop > 0) r.top = ClampToInt16(int32_t(r.top) - extraTop);
    return r;
}

} // namespace

bool TLVWorld_Activity::IsNearMapEdge(const CPoint16& point, int16_t* sideX, int16_t* sideY) {
    const CRect16 map = GetMapRect();
    const int32_t x = point.x, y = point.y, m = borderMargin_;
    if (!Inside(map, x, y)) return false;
    if (x >= map.left + m && x < map.right - m && y >= map.top + m && y < map.bottom - m) return false;
    if (sideX) *sideX = int16_t(x < map.left + m ? -1 : x > map.right - m ? 1 : 0);
    if (sideY) *sideY = int16_t(y < map.top + m ? -1 : y > map.bottom - m ? 1 : 0);
    return true;
}

bool TLVWorld_Activity::IsInsideMap(const CPoint16& point, int16_t inset) {
    CRect16 map = GetMapRect();
    if (inset > 0) {
        map.left = ClampToInt16(int32_t(map.left) + inset);
        map.top = ClampToInt16(int32_t(map.top) + inset);
        map.right = ClampToInt16(int32_t(map.right) - inset);
        map.bottom = ClampToInt16(int32_t(map.bottom) - inset);
    }
    return Inside(map, point.x, point.y);
}

bool TLVWorld_Activity::IsBelowTopBand(const CPoint16& point) {
    const CRect16 map = GetMapRect();
    return Inside(map, point.x, point.y) && int32_t(point.y) >= int32_t(map.top) + 50;
}

bool TLVWorld_Activity::PointInVisibleRect(const CPoint16& point, int16_t extraTop) const {
    return Inside(RaisedTop(visibleRect_, extraTop), point.x, point.y);
}

bool TLVWorld_Activity::RectOverlapsVisibleRect(const CPoint16& a, const CPoint16& b, int16_t extraTop) const {
    const CRect16 box(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y));
    return box.Overlaps(RaisedTop(visibleRect_, extraTop));
}

void TLVWorld_Activity::CenterViewOn(OActivityProp* prop) {
    if (!prop) return;
    const CPointF& centre = prop->GetPosition();
    // Kept as the world always did it: clamped at the origin only.
    const float x = std::max(0.0f, centre.x - float(GetStageWidth() / 2));
    const float y = std::max(0.0f, centre.y - float(GetStageHeight() / 2));
    ScrollTo(CPointF(x, y), 0);
}

// ---- Free hooks ---------------------------------------------------------------------------------

TLVWorld_Activity* CurrentWorld() {
    OActivityManager* manager = GetActivityManager();
    OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
    return current && current->IsA(TLVWorld_Activity::kClassId) ? static_cast<TLVWorld_Activity*>(current) : nullptr;
}

bool CenterWorldViewOn(OActivityProp* prop) {
    TLVWorld_Activity* world = CurrentWorld();
    if (!prop || !world || !OWindow::Main()) return false;
    world->CenterViewOn(prop);
    return true;
}

namespace {

/// Passes a vehicle event to the current world's hook; true in every case.
bool ToCurrentWorld(void (TLVWorld_Activity::*hook)()) {
    if (TLVWorld_Activity* world = CurrentWorld()) (world->*hook)();
    return true;
}

} // namespace

void TLVWorld_Activity::OnMapEdge(int16_t /*sideX*/, int16_t /*sideY*/) { FindEscapeHeading(nullptr); }

bool CenterWorldViewOnVehicle(TLV_Object* vehicle) {
    // A finished mission's view stays on the captive's rescue: the vehicle that ended the
    // mission still moves in that frame and would take the view back at once.
    if (TLVWorld_Activity* world = CurrentWorld(); world && world->GetDrivingMode() == TLVWorld_Activity::kMissionDoneMode)
        return true;
    return CenterWorldViewOn(vehicle);
}

bool VehicleEventHook81(TLV_Object*) { return ToCurrentWorld(&TLVWorld_Activity::OnVehicleHalted); }
bool VehicleEventHook82(TLV_Object*) { return ToCurrentWorld(&TLVWorld_Activity::OnVehicleAtFullSpeed); }
bool VehicleEventHook83(TLV_Object*) { return ToCurrentWorld(&TLVWorld_Activity::OnVehicleAccelerating); }
bool VehicleEventHook84(TLV_Object*) { return ToCurrentWorld(&TLVWorld_Activity::OnVehicleDecelerating); }

bool VehicleTouchHook(TLV_Object* prop) {
    TLVWorld_Activity* world = CurrentWorld();
    if (!prop || !world) return false;
    constexpr int32_t kReach = 36;
    const CRect16 map = world->GetMapRect();
    const int32_t x = int32_t(prop->GetPosition().x), y = int32_t(prop->GetPosition().y);
    const int32_t left = x - kReach, right = x + kReach, top = y - kReach, bottom = y + kReach;
    if (left < map.left || right > map.right || top < map.top || bottom > map.bottom) {
        world->OnMapEdge(0, -1);
        return true;
    }
    return world->OnVehicleTouch(prop) != 0;
}

int32_t WorldPropHook(TLV_Object* prop) {
    TLVWorld_Activity* world = CurrentWorld();
    return prop && world ? world->OnVehicleTouch(prop) : 0;
}

int32_t WorldShownPropHook(TLV_Object* prop) {
    if (!prop || !prop->IsVisible() || !prop->IsShownThroughParents()) return 0;
    return WorldPropHook(prop);
}
