// The driving world's vehicle and the followers in its chain.
#include <cmath>
#include <new>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/data/PartFile.h"
#include "game/shell/Hider.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVComplexObject.h"
#include "game/shell/TLVFactory.h"
#include "game/world/TLVWorldActivity.h"
#include "game/world/characters/DFollower.h"
#include "game/world/characters/Dweeble.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr uint32_t kVehicleClass = 2010;
constexpr int32_t kEngineBaseRate = 11025;
/// The isometric projection's factors: a vertical pixel counts double on the ground.
constexpr float kFactorX = 1.0f;
constexpr float kFactorY = 0.5f;

CPlayer* GamePlayer() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

} // namespace

TLVComplex_Object* TLVWorld_Activity::MakeVehicle() {
    OView* made = xTLVFactory_MakeProp(kVehicleClass);
    if (auto* vehicle = dynamic_cast<TLVComplex_Object*>(made)) return vehicle;
    delete made; // a stand-in cannot drive
    return nullptr;
}

void TLVWorld_Activity::CreateVehicle() {
    if (vehicle_ || vehiclePartId_ == kNullChunkId) return;
    CPartFile* file = GameFile();
    if (!file || ChunkIndexOf(vehiclePartId_) != file->FindDataIndex(Tag4("part")) ||
        !file->ChunkExists(vehiclePartId_))
        return;
    TLVComplex_Object* vehicle = MakeVehicle();
    if (!vehicle) return;
    vehicle->SetLoadAllStates(1);
    vehicle->SetPartID(file, vehiclePartId_, 1);
    vehicle->SetTouchHook(&VehicleTouchHook);
    vehicle->SetArrivalRadius(arrivalRadius_);
    vehicle->SetVelocity(Vec3(0.0f, 0.0f, 0.0f), 0);
    auto* iso = dynamic_cast<VIsometric*>(vehicle);
    if (iso) {
        // A step outside (0, 1) would never reach or leave full throttle: it becomes 1.
        auto step = [](float s) { return s > 0.0f && s < 1.0f ? s : 1.0f; };
        iso->onMoving = &CenterWorldViewOnVehicle;
        iso->onHalt = &VehicleEventHook81;
        iso->onFullSpeed = &VehicleEventHook82;
        iso->onAccelerate = &VehicleEventHook83;
        iso->onDecelerate = &VehicleEventHook84;
        iso->SetSpeed(startSpeed_);
        iso->SetAccelerationStep(step(accelerationStep_));
        iso->SetDecelerationStep(step(decelerationStep_));
        iso->Halt();
    }
    AddChild(vehicle);
    if (iso) iso->CreateChildProp();
    SetCharacterTargets(vehicle);
    vehicle_ = vehicle;
}

void TLVWorld_Activity::SetCharacterTargets(OActivityProp* target) {
    for (const int l : {kAvoiders, kFollowers, kGuards, kSubclassList14})
        for (int32_t i = 0; i < lists_[l].Count(); ++i)
            if (auto* character = dynamic_cast<Dweeble*>(lists_[l].GetAt(i))) character->SetTargetObject(target);
}

bool TLVWorld_Activity::SecondVehicleDriven() const {
    const CPlayer* player = GamePlayer();
    return player && player->GetSelectedVehicle() % 2 == 1;
}

void TLVWorld_Activity::DestroyVehicle() {
    if (!vehicle_) return;
    TLVComplex_Object* vehicle = vehicle_;
    vehicle_ = nullptr;
    for (int32_t i = 0; i < lists_[kHiders].Count(); ++i)
        if (auto* hider = dynamic_cast<Hider*>(lists_[kHiders].GetAt(i)))
            for (int32_t w = hider->WatchList().Count() - 1; w >= 0; --w)
                if (hider->WatchList().GetAt(w) == vehicle) hider->WatchList().RemoveAt(w);
    if (ONode* parent = vehicle->GetParent()) parent->RemoveChild(vehicle);
    delete vehicle;
}

int32_t TLVWorld_Activity::EngineSoundRate() const {
    if (!vehicle_ || !(startSpeed_ > 0.0f)) return kEngineBaseRate;
    const Vec3& v = vehicle_->GetVelocity();
    const double x = double(v.x) / kFactorX, y = double(v.y) / kFactorY, z = double(v.z);
    const double rate = kEngineBaseRate * (1.0 + std::sqrt(x * x + y * y + z * z) / double(startSpeed_));
    // Truncated to the 16 bits the rate is kept in.
    return int32_t(uint16_t(uint32_t(std::fmin(rate, 4294967295.0))));
}

void TLVWorld_Activity::WatchVehicleFromHiders() {
    for (int32_t i = 0; i < lists_[kHiders].Count(); ++i) {
        auto* hider = dynamic_cast<Hider*>(lists_[kHiders].GetAt(i));
        if (!hider) continue;
        bool watched = false;
        for (int32_t w = 0; w < hider->WatchList().Count(); ++w) watched = watched || hider->WatchList().GetAt(w) == vehicle_;
        if (!watched) hider->WatchList().Append(vehicle_);
    }
}

// ---- Followers ----------------------------------------------------------------------------------

int32_t TLVWorld_Activity::CountFollowers() const {
    int32_t count = 0;
    for (const TLV_Object* f = vehicle_ ? vehicle_->GetNext() : nullptr; f; f = f->GetNext()) ++count;
    return count;
}

bool TLVWorld_Activity::IsFollower(const OActivityProp* prop) const {
    if (!prop) return false;
    for (const TLV_Object* f = vehicle_ ? vehicle_->GetNext() : nullptr; f; f = f->GetNext())
        if (f == prop) return true;
    return false;
}

void TLVWorld_Activity::SaveFollowers() {
    CPlayer* player = GamePlayer();
    if (!player) return;
    player->ClearEntries();
    const auto* iso = dynamic_cast<const VIsometric*>(vehicle_);
    uint32_t number = 1;
    for (const TLV_Object* f = vehicle_ ? vehicle_->GetNext() : nullptr; f; f = f->GetNext(), ++number) {
        // The point the follower was heading for on the vehicle's trail; a vehicle that keeps
        // no trail leaves the follower's own place (a character's ground position).
        const auto* character = dynamic_cast<const Dweeble*>(f);
        const CPointF place = character ? character->GetGroundPosition() : f->GetPosition();
        CPoint16 point(int16_t(place.x), int16_t(place.y));
        if (iso && int32_t(number) < iso->WayPointCount()) iso->GetWayPoint16(&point, int32_t(number));
        player->AddEntry(number, uint32_t(int32_t(point.x)), uint32_t(int32_t(point.y)));
    }
}

void TLVWorld_Activity::RestoreFollowers() {
    CPlayer* player = GamePlayer();
    if (!player || !vehicle_) return;
    CDynArray<TLV_Object*> pool;
    for (int32_t i = 0; i < lists_[kFollowers].Count(); ++i)
        if (auto* follower = dynamic_cast<TLV_Object*>(lists_[kFollowers].GetAt(i)); follower && !IsFollower(follower))
            pool.Append(follower);
    TLV_Object* last = vehicle_;
    while (last->GetNext()) last = last->GetNext();
    auto* iso = dynamic_cast<VIsometric*>(vehicle_);
    for (uint32_t number = 1; const CPlayerEntry* entry = player->FindEntry(number); ++number) {
        if (pool.Count() == 0) {
            xTracef("TLVWorld_Activity - %s : no follower left for entry %u\n", GetName(), unsigned(number));
            return;
        }
        const int32_t pick = xRand() % pool.Count();
        TLV_Object* prop = pool.GetAt(pick);
        pool.RemoveAt(pick);
        const CPoint16 point(int16_t(int32_t(entry->first)), int16_t(int32_t(entry->second)));
        auto* follower = dynamic_cast<DFollower*>(prop);
        if (follower) {
            // A character stands where its ground position is.
            follower->SnapToPoint(point);
            follower->TakeLastPosition();
            follower->SetFollowerNumber(int32_t(number));
        } else {
            prop->SetPosition(CPointF(point.x, point.y), 0, 1);
        }
        OnFollowerAttached(prop);
        prop->LinkAfter(last);
        if (iso) iso->SetWayPoint(int32_t(number), point);
        if (follower) {
            follower->SetTargetObject(last);
            follower->UseFleeRoutines();
            follower->SetTargetPoint(CPointF(point.x, point.y));
            follower->SetBehaviourState(0);
        } else {
            prop->SetState(0);
        }
        last = prop;
    }
}
