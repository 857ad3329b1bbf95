#include "game/world/vehicles/VIsometric.h"

#include <algorithm>
#include <cmath>

#include "engine/base/Trace.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/Part.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VehicleChildProp.h"
#include "game/world/vehicles/VehicleHeadings.h"
#include "game/world/vehicles/VehiclePartValues.h"

namespace {

/// A coordinate rounded to the nearest whole number, held to 16 bits (0 for not a number).
int16_t Round16(double v) {
    if (std::isnan(v)) return 0;
    return int16_t(std::clamp(std::lround(std::clamp(v, -1e9, 1e9)), -32768L, 32767L));
}

int16_t Clamp16(int32_t v) { return int16_t(std::clamp(v, -32768, 32767)); }

/// The compass code of each state of group 0.
constexpr uint16_t CompassCode(int32_t state) {
    if (state % 8 == 0) return uint16_t(state / 8 * 2 + 1);
    return uint16_t(state / 8 * 2 + 2);
}

} // namespace

VIsometric::VIsometric(const char* name, uint32_t classId) : Vehicle(name, classId) {
    SetArrivalRadius(50.0f);
    turnTimer_.Start(kTurnMs);
    throttleTimer_.Start(kThrottleMs);
    const CPointF& at = GetPosition();
    trail_.assign(std::size_t(kTrailLength), CPoint16(Round16(at.x), Round16(at.y)));
}

VIsometric::~VIsometric() { CVehicleChildProp::Release(&childProp_); }

bool VIsometric::IsA(uint32_t classId) const { return classId == kClassId || Vehicle::IsA(classId); }

void VIsometric::Suspend(int32_t flag) {
    turnTimer_.Pause();
    throttleTimer_.Pause();
    Vehicle::Suspend(flag);
}

void VIsometric::Resume(int32_t flag) {
    Vehicle::Resume(flag);
    turnTimer_.Resume();
    throttleTimer_.Resume();
}

void VIsometric::SetPosition(const CPointF& point, uint8_t relative, uint8_t moveAttached) {
    OView::SetPosition(point, relative, moveAttached);
    for (int32_t i = 0; i < AttachedCount(); ++i) {
        OView* view = AttachedAt(i);
        if (view->IsA(TLV_Object::kClassId)) static_cast<TLV_Object*>(view)->UpdateZOrder();
    }
}

void VIsometric::MoveBy(float x, float y, uint8_t relative, uint8_t moveAttached) {
    OView::SetPosition(CPointF(x, y), relative, moveAttached);
}

void VIsometric::SetState(int32_t index) {
    Vehicle::SetState(index);
    if (childProp_) childProp_->SetState(index);
    if (companion_) companion_->SetState(index);
}

double VIsometric::DistanceTo(const CPointF& point) {
    const double dx = (double(point.x) - double(GetPosition().x)) / double(kHeadingFactorX);
    const double dy = (double(point.y) - double(GetPosition().y)) / double(kHeadingFactorY);
    return std::sqrt(dx * dx + dy * dy);
}

void VIsometric::UpdateZOrder() {
    const CPart* part = GetAnimSet();
    groundBias_ = part ? part->GetCurrentBaseValue() : 0;
    const OActivityProp* reference = GetGroundRef() ? GetGroundRef() : this;
    const int64_t priority = 5 * (int64_t(Round16(reference->GetPosition().y)) + groundBias_);
    SetDrawPriority(int32_t(std::clamp<int64_t>(priority, INT32_MIN, INT32_MAX)));
    if (OActivityProp* shadow = GetShadow()) shadow->SetPriority(Below(GetPriority()));
    if (companion_) companion_->UpdateZOrder();
}

// ---- keys

void VIsometric::LeaveTargetDriving() {
    if (driveState_ == kStartingToTarget) driveState_ = kStarting;
    else if (driveState_ == kMovingToTarget) driveState_ = kMoving;
}

void VIsometric::DriveKeyPos() {
    driveDirection_ = 1;
    if (driveState_ == kHalted || driveState_ == kStartingToTarget) driveState_ = kStarting;
    else if (driveState_ == kMovingToTarget) driveState_ = kMoving;
}

void VIsometric::DriveKeyNeg() {
    driveDirection_ = -1;
    if (driveState_ == kStarting || driveState_ == kStartingToTarget) Halt();
    else if (driveState_ == kMovingToTarget) driveState_ = kMoving;
}

void VIsometric::DriveKeyUp() {
    driveDirection_ = 0;
    LeaveTargetDriving();
}

void VIsometric::TurnKeyNeg() {
    turnDirection_ = -1;
    LeaveTargetDriving();
    UpdateZOrder();
}

void VIsometric::TurnKeyPos() {
    turnDirection_ = 1;
    LeaveTargetDriving();
    UpdateZOrder();
}

void VIsometric::TurnKeyUp() {
    turnDirection_ = 0;
    LeaveTargetDriving();
}

void VIsometric::Halt() {
    if (topSpeed_ > 0.0f) Call(onHalt, this);
    moving_ = 0;
    SetVelocity(Vec3(), 0);
    throttle_ = 0.0f;
    driveState_ = kHalted;
    driveDirection_ = 0;
    lastDriveDirection_ = 0;
}

void VIsometric::StopKeys() {
    if (driveState_ == kStarting || driveState_ == kStartingToTarget) Halt();
    else if (InMotion()) driveDirection_ = -1;
}

void VIsometric::SetSpeed(float speed) {
    if (speed == topSpeed_ || !(speed > 0.0f)) return;
    throttle_ *= topSpeed_ / speed;
    topSpeed_ = speed;
    AimVelocity(Heading());
}

void VIsometric::SetHeadingGoal(int32_t goal) {
    headingGoal_ = goal;
    headingGoalActive_ = 1;
}

// ---- headings and states

int32_t VIsometric::Heading() { return xVehicle_HeadingOf(GetState()); }

void VIsometric::GetHeading(int32_t* out) {
    if (out) *out = Heading();
}

void VIsometric::GetHeadingVector(Vec3* out) {
    if (out) *out = HeadingTable[std::size_t(Heading())];
}

int32_t VIsometric::GetVariant() { return GetState() / kVehicleHeadings; }

void VIsometric::SetVariant(int32_t group) {
    const CPart* part = GetAnimSet();
    const int32_t groups = part ? part->GetStateCount() / kVehicleHeadings : 0;
    if (group < 0 || group >= groups || group == GetVariant()) return;
    SetState(group * kVehicleHeadings + Heading());
}

void VIsometric::ShowHeading(int32_t heading) { SetState(GetState() - Heading() + heading); }

uint16_t VIsometric::GetCompassDir() {
    const int32_t state = GetState();
    return state >= 0 && state < kVehicleHeadings ? CompassCode(state) : uint16_t(0xFFFF);
}

// ---- ground points

void VIsometric::GetGroundPoint(CPoint16* out) {
    if (!out) return;
    const CPart* part = GetAnimSet();
    const int32_t base = part ? part->GetCurrentBaseValue() : 0;
    *out = CPoint16(Round16(GetPosition().x), Clamp16(Round16(GetPosition().y) + base));
}

void VIsometric::GetGroundPointF(CPointF* out) {
    if (!out) return;
    const CPart* part = GetAnimSet();
    const float base = part ? float(part->GetCurrentBaseValue()) : 0.0f;
    *out = CPointF(GetPosition().x, GetPosition().y + base * GetScaleV());
}

float VIsometric::GetGroundOffset() {
    const OActivityProp* reference = GetGroundRef();
    if (!reference || reference == this) return 0.0f;
    const CPointF point = GetFramePoint(GetState(), GetCurrentFrame());
    return GetPosition().y - (reference->GetPosition().y + point.y) + float(groundBias_);
}

CPointF VIsometric::GroundPosition() const {
    const OActivityProp* shadow = GetShadow();
    return shadow ? shadow->GetPosition() : GetPosition();
}

bool VIsometric::GetFootprint(CVehicleFootprint* out) {
    const OActivityProp* shadow = GetShadow();
    const CPart* shadowPart = shadow ? shadow->GetAnimSet() : nullptr;
    if (!out || !shadowPart) return false;
    const int32_t halfWidth = shadowPart->GetPartWord(vehicle_part::kFootprintHalfWidthWord);
    const int32_t halfLength = shadowPart->GetPartWord(vehicle_part::kFootprintHalfLengthWord);
    if (halfWidth <= 0 || halfLength <= 0) {
        if (!footprintTraced_)
            xTracef("VIsometric - %s : footprint half-sizes %d x %d are not above 0, no footprint\n", GetName(),
                    int(halfWidth), int(halfLength));
        footprintTraced_ = 1;
        return false;
    }
    CPoint16 ground;
    GetGroundPoint(&ground);
    const int32_t h = Heading();
    auto unit = [&](int32_t heading, float length) {
        const Vec3& u = UnitHeadingTable[std::size_t(xVehicle_HeadingOf(heading))];
        return CPointF(u.x * kHeadingFactorX * length, u.y * kHeadingFactorY * length);
    };
    const CPointF front = unit(h, float(halfLength));
    const CPointF back = unit(h + 16, float(halfLength));
    const CPointF side1 = unit(h + 24, float(halfWidth));
    const CPointF side2 = unit(h + 8, float(halfWidth));
    const CPointF ends[2] = {front, back};
    const CPointF sides[2] = {side1, side2};
    for (int i = 0; i < 4; ++i) {
        const CPointF& end = ends[i / 2];
        const CPointF& side = sides[i % 2];
        out->corners[i] = CPointF(float(ground.x) + end.x + side.x, float(ground.y) + end.y + side.y);
        out->points[i] = CPoint16(Round16(out->corners[i].x), Round16(out->corners[i].y));
    }
    out->left = out->right = out->points[0].x;
    out->top = out->bottom = out->points[0].y;
    for (const CPoint16& p : out->points) {
        out->left = std::min(out->left, p.x);
        out->right = std::max(out->right, p.x);
        out->top = std::min(out->top, p.y);
        out->bottom = std::max(out->bottom, p.y);
    }
    return true;
}

// ---- the trail

void VIsometric::GetWayPoint(CPointF* out, int32_t i) const {
    if (!out) return;
    CPoint16 point;
    GetWayPoint16(&point, i);
    *out = CPointF(point.x, point.y);
}

void VIsometric::GetWayPoint16(CPoint16* out, int32_t i) const {
    if (!out) return;
    *out = i >= 0 && i < WayPointCount() ? trail_[std::size_t(i)] : CPoint16();
}

void VIsometric::SetWayPoint(int32_t i, const CPoint16& point) {
    if (i < 0 || i >= kMaxWayPoints) {
        xTracef("VIsometric - %s : way point %d refused (0 to %d)\n", GetName(), int(i), int(kMaxWayPoints - 1));
        return;
    }
    if (i >= WayPointCount()) trail_.resize(std::size_t(i) + 1, point);
    trail_[std::size_t(i)] = point;
}

int32_t VIsometric::ChainDepth() const {
    int32_t depth = 0;
    for (const TLV_Object* follower = GetNext(); follower && follower != this; follower = follower->GetNext()) ++depth;
    return depth;
}

int32_t VIsometric::NextWayPoint(CPointF* out) {
    const int32_t index = ChainDepth();
    const bool listed = index < WayPointCount();
    if (out) GetWayPoint(out, listed ? index : -1);
    return listed ? index : -1;
}

// ---- companions

void VIsometric::CreateChildProp() {
    CPart* part = GetAnimSet();
    CPartFile* file = GamePartFile();
    if (!part || !file || !file->IsOpen()) return;
    const uint8_t entry = part->GetPartByte(vehicle_part::kCompanionEntryByte);
    if (entry == 0) return;
    const uint8_t index = file->FindDataIndex(Tag4("part"));
    const ChunkId id = MakeChunkId(index, entry);
    if (index == 0 || !file->ChunkExists(id)) {
        xTracef("VIsometric - %s : its companion part (entry %u) is not in the part file\n", GetName(), unsigned(entry));
        return;
    }
    CVehicleChildProp::Release(&childProp_);
    OActivityProp* prop = CVehicleChildProp::Make(&childProp_, file, id);
    if (!prop) return;
    childProp_ = prop;
    if (ONode* parent = GetParent()) parent->AddChild(prop);
    const CPointF& at = GetPosition();
    prop->SetPosition(CPointF(at.x + float(part->GetPartOffset(vehicle_part::kCompanionOffsetX)),
                              at.y + float(part->GetPartOffset(vehicle_part::kCompanionOffsetY))),
                      0, 1);
    if (prop->GetAnimSet() && prop->GetAnimSet()->GetStateCount() > 1) prop->SetState(GetState());
    UpdateZOrder();
    AttachToView(prop, 1);
}
