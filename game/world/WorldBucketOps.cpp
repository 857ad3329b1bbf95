// The driving world's side of the spatial buckets: which props are rebuilt each frame, which
// count as on-screen obstacles, and which may fade when they cover the vehicle.
#include "game/shell/Destructible.h"
#include "game/shell/Pushable.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVComplexObject.h"
#include "game/world/TLVWorldActivity.h"

namespace {

/// The lists of moving props, each entered from its last prop to its first.
constexpr int kMovingLists[] = {
    TLVWorld_Activity::kSpawns,   TLVWorld_Activity::kPushables,       TLVWorld_Activity::kAvoiders,
    TLVWorld_Activity::kBadGuys,  TLVWorld_Activity::kFollowers,       TLVWorld_Activity::kGuards,
    TLVWorld_Activity::kSubclassList14, TLVWorld_Activity::kRoundUps, TLVWorld_Activity::kSubclassList17,
};
constexpr uint32_t kHiderClass = 1570;
constexpr uint32_t kCaptiveClass = 2440;
/// How far above the vehicle's draw priority a prop counts as drawn in front of it.
constexpr int32_t kCoverMargin = 20;

bool IsShown(const OActivityProp* prop) { return prop->IsVisible() && prop->IsShownThroughParents(); }

} // namespace

void TLVWorld_Activity::RebuildMovingBuckets() {
    ClearMovingBuckets();
    for (const int list : kMovingLists)
        for (int32_t i = lists_[list].Count() - 1; i >= 0; --i) AddToMovingBuckets(lists_[list].GetAt(i));
    for (int32_t i = unlistedMovers_.Count() - 1; i >= 0; --i) AddToMovingBuckets(unlistedMovers_.GetAt(i));
}

void TLVWorld_Activity::KeepUnlistedMover(OActivityProp* prop) {
    for (const int list : kMovingLists)
        for (int32_t i = lists_[list].Count() - 1; i >= 0; --i)
            if (lists_[list].GetAt(i) == prop) return;
    Append(unlistedMovers_, prop);
}

void TLVWorld_Activity::CollectOnScreenObstacles() {
    obstacles_.Free();
    contacts2_.Free();
    contacts3_.Free();
    query_.clear();
    QueryRect(CPoint16(visibleRect_.left, visibleRect_.top), CPoint16(visibleRect_.right, visibleRect_.bottom), query_);
    for (OActivityProp* prop : query_) {
        if (!IsShown(prop)) continue;
        if (prop->IsA(Blocker::kClassId) && !static_cast<Blocker*>(prop)->IsActive()) continue;
        const auto* object = dynamic_cast<const TLV_Object*>(prop);
        if (!object || !object->IsListed()) continue;
        if (prop->IsA(Destructible::kClassId) && static_cast<Destructible*>(prop)->IsBroken()) continue;
        if (prop->IsA(kHiderClass) || prop->IsA(kCaptiveClass)) continue;
        if (prop->IsA(Pushable::kClassId) && drivingMode_ == kNoDriving) continue;
        if (CWorldBuckets::BoxOf(prop).IsEmpty()) continue;
        obstacles_.Append(prop);
    }
}

void TLVWorld_Activity::UpdateObstacleOrder() {
    for (int32_t i = 0; i < obstacles_.Count(); ++i)
        if (auto* object = dynamic_cast<TLV_Object*>(obstacles_.GetAt(i))) object->UpdateZOrder();
}

void TLVWorld_Activity::FadeCoveringProps() {
    if (!vehicle_) return;
    query_.clear();
    QueryRect(CPoint16(visibleRect_.left, visibleRect_.top), CPoint16(visibleRect_.right, visibleRect_.bottom), query_);
    candidates_.clear();
    for (OActivityProp* prop : query_)
        if (const auto* object = dynamic_cast<const TLV_Object*>(prop); object && object->IsSolid())
            candidates_.push_back(prop);
    for (int32_t i = 0; i < addOns_.Count(); ++i)
        if (IsShown(addOns_.GetAt(i))) candidates_.push_back(addOns_.GetAt(i));
    fades_.Update(visibleRect_, vehicle_->GetPriority() + kCoverMargin, candidates_);
}
