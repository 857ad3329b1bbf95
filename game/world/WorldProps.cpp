// How props enter the driving world, leave it, and are thinned by the quotas at the start.
#include <algorithm>
#include <iterator>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/core/Event.h"
#include "engine/core/Window.h"
#include "game/shell/NavigationProp.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVComplexObject.h"
#include "game/shell/TLVFactory.h"
#include "game/world/TLVWorldActivity.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DGuard.h"
#include "game/world/characters/DRoundUp.h"
#include "game/world/characters/Dweeble.h"

namespace {

/// Where AddProp puts a prop of a class, tested in this order.
enum : int { kSlotTarget = -1, kAddOnTarget = -2 };
struct ListRule {
    uint32_t classId;
    int target; ///< a list, or one of the targets above
};
constexpr ListRule kListRules[] = {
    {1530, TLVWorld_Activity::kBlockers},     {1500, TLVWorld_Activity::kSpawns},
    {1510, TLVWorld_Activity::kDestructibles}, {1520, TLVWorld_Activity::kPushables},
    {1540, TLVWorld_Activity::kTokens},       {1550, TLVWorld_Activity::kFires},
    {1560, TLVWorld_Activity::kChangeables},  {1570, TLVWorld_Activity::kHiders},
    {2420, TLVWorld_Activity::kAvoiders},     {2430, TLVWorld_Activity::kBadGuys},
    {2410, TLVWorld_Activity::kFollowers},    {2460, TLVWorld_Activity::kGuards},
    {2440, TLVWorld_Activity::kCaptives},     {1060, kSlotTarget},
    {2450, TLVWorld_Activity::kConstraints},  {1580, TLVWorld_Activity::kBags},
    {2500, TLVWorld_Activity::kRoundUps},     {1130, kAddOnTarget},
};
constexpr uint32_t kWayPointMarkerClass = 1150;
constexpr uint32_t kCharacterClass = 2400;
constexpr uint32_t kCaptiveClass = 2440;
constexpr uint32_t kConstraintClass = 2450;
/// Lists whose props load all their states at once.
constexpr int kPreloadedLists[] = {TLVWorld_Activity::kDestructibles, TLVWorld_Activity::kPushables,
                                   TLVWorld_Activity::kChangeables};

bool Removes(CDynArray<OActivityProp*>& list, const OActivityProp* prop) {
    bool found = false;
    for (int32_t i = list.Count() - 1; i >= 0; --i)
        if (list.GetAt(i) == prop) {
            list.RemoveAt(i);
            found = true;
        }
    return found;
}

bool Contains(const CDynArray<OActivityProp*>& list, const OActivityProp* prop) {
    for (int32_t i = 0; i < list.Count(); ++i)
        if (list.GetAt(i) == prop) return true;
    return false;
}

bool IsCaptiveOrPen(const OActivityProp* prop) { return prop->IsA(kCaptiveClass) || prop->IsA(kConstraintClass); }

} // namespace

bool TLVWorld_Activity::AcceptObject(OView* object) {
    if (!object || !object->IsA(OActivityProp::kClassId)) return CTLVActivity::AcceptObject(object);
    return AddProp(static_cast<OActivityProp*>(object));
}

bool TLVWorld_Activity::AddProp(OActivityProp* prop) {
    if (!prop) return true;
    if (prop->IsA(Navigation_Prop::kClassId)) {
        // A screen button: no world object, so neither bucketed nor listed (it stays a child
        // until the world goes on stage).
        Append(screenButtons_, prop);
        return true;
    }
    const bool moving = !AddToStillBuckets(prop) && AddToMovingBuckets(prop);
    if (auto* character = dynamic_cast<Dweeble*>(prop)) character->SetCharacterWorld(GetCharacterLink());
    if (SortProp(prop)) CTLVActivity::AcceptObject(prop);
    if (moving) KeepUnlistedMover(prop);
    return true;
}

bool TLVWorld_Activity::SortProp(OActivityProp* prop) {
    for (const ListRule& rule : kListRules) {
        if (!prop->IsA(rule.classId)) continue;
        if (rule.target == kSlotTarget) TakeWayPoint(prop);
        else if (rule.target == kAddOnTarget) Append(addOns_, prop);
        else {
            Append(lists_[rule.target], prop);
            if (rule.target == kBlockers && prop->GetObjectId() == kMarkedBlockerId) markedBlocker_ = prop;
        }
        return false;
    }
    if (prop->GetObjectId() == kMarkedPropId) {
        markedProp_ = prop;
        return true;
    }
    if (prop->IsA(kWayPointMarkerClass)) {
        Append(markers_, prop);
        return false;
    }
    return true;
}

void TLVWorld_Activity::TakeWayPoint(OActivityProp* prop) {
    const int32_t id = int32_t(prop->GetObjectId());
    if (id < 0 || id >= kWayPointSlots) {
        xTracef("TLVWorld_Activity - %s : a way point of object id %d has no slot (0 to 5)\n", GetName(), int(id));
        return;
    }
    if (wayPoints_[id]) return; // the first one of an id wins
    wayPoints_[id] = prop;
    if (id == 5 && prop->IsA(Interaction_Point::kClassId)) static_cast<Interaction_Point*>(prop)->flags[1] = 0;
}

void TLVWorld_Activity::Append(CDynArray<OActivityProp*>& list, OActivityProp* prop) {
    list.Append(prop); // a list that cannot grow drops the prop; it stays a child
}

void TLVWorld_Activity::ForgetProp(const OActivityProp* prop) {
    if (arrowTarget_ == prop) arrowTarget_ = nullptr;
    for (auto& list : lists_) Removes(list, prop);
    Removes(addOns_, prop);
    Removes(markers_, prop);
    Removes(screenButtons_, prop);
    Removes(unlistedMovers_, prop);
    Removes(obstacles_, prop);
    Removes(contacts2_, prop);
    Removes(contacts3_, prop);
    RemoveFromBuckets(prop);
    fades_.Forget(prop);
    for (auto& slot : wayPoints_)
        if (slot == prop) slot = nullptr;
    if (markedBlocker_ == prop) markedBlocker_ = nullptr;
    if (markedProp_ == prop) markedProp_ = nullptr;
    ForgetExitProp(prop);
    // No character keeps heading for, or fleeing from, a prop that is gone, the listed ones and
    // the bystanders no list holds alike; nor does a guard or an avoider keep watching it or
    // turning from it.
    for (int32_t i = 0; i < ChildCount(); ++i) {
        ONode* child = ChildAt(i);
        if (child == prop) continue; // it may be half destroyed already
        auto* character = dynamic_cast<Dweeble*>(child);
        if (!character) continue;
        if (character->GetTargetObject() == prop) character->SetTargetObject(nullptr);
        if (auto* guard = dynamic_cast<DGuard*>(character)) guard->ForgetProp(prop);
        if (auto* avoider = dynamic_cast<DAvoider*>(character)) avoider->ForgetProp(prop);
        if (auto* animal = dynamic_cast<DRoundUp*>(character)) animal->ForgetProp(prop);
    }
}

bool TLVWorld_Activity::Holds(const OActivityProp* prop) const {
    for (const auto& list : lists_)
        if (Contains(list, prop)) return true;
    for (const auto* list :
         {&addOns_, &markers_, &unlistedMovers_, &obstacles_, &contacts2_, &contacts3_, &retired_})
        if (Contains(*list, prop)) return true;
    for (const OActivityProp* slot : wayPoints_)
        if (slot == prop) return true;
    return buckets_.Holds(prop) || fades_.Find(prop) || markedBlocker_ == prop || markedProp_ == prop;
}

int32_t TLVWorld_Activity::OnObjectDeleted(OObject* object) {
    if (object && object->IsA(OActivityProp::kClassId)) {
        const auto* prop = static_cast<const OActivityProp*>(object);
        ForgetProp(prop);
        // The engine deletes it now: a later flush must not delete it again.
        Removes(retired_, prop);
        if (vehicle_ == object) vehicle_ = nullptr;
    }
    return CTLVActivity::OnObjectDeleted(object);
}

void TLVWorld_Activity::PutScreenButtonsOnStage() {
    OWindow* window = OWindow::Main();
    if (!window) return;
    for (int32_t i = 0; i < screenButtons_.Count(); ++i) {
        OActivityProp* button = screenButtons_.GetAt(i);
        // Above the map and what the world keeps on the stage, below the counters and panels.
        button->SetPriority(kScreenButtonPriority);
        button->AddEventMask(kEventMouse); // the main window hit-tests its children by their mask
        if (window->AddChild(button)) button->Invalidate();
    }
}

void TLVWorld_Activity::TakeScreenButtonsBack() {
    for (int32_t i = 0; i < screenButtons_.Count(); ++i) {
        OActivityProp* button = screenButtons_.GetAt(i);
        if (button->GetParent() == this) continue;
        button->Invalidate();
        AddChild(button);
    }
}

void TLVWorld_Activity::RetireProp(OActivityProp* prop) {
    if (!prop) return;
    if (!Contains(retired_, prop)) retired_.Append(prop);
    prop->SetVisible(0, 0);
    if (auto* object = dynamic_cast<TLV_Object*>(prop); object && object->GetShadow())
        object->GetShadow()->SetVisible(0, 0);
    ForgetProp(prop);
}

void TLVWorld_Activity::FlushPendingProps() {
    while (retired_.Count() > 0) {
        OActivityProp* prop = retired_.PopBack();
        ForgetProp(prop);
        if (ONode* parent = prop->GetParent()) parent->RemoveChild(prop);
        delete prop;
    }
}

void TLVWorld_Activity::DeleteListedProps() {
    for (auto& list : lists_) {
        while (list.Count() > 0) {
            OActivityProp* prop = list.PopBack();
            ForgetProp(prop);
            Removes(retired_, prop);
            if (auto* object = dynamic_cast<TLV_Object*>(prop)) {
                object->DeleteOverlay();
                object->DeleteShadow();
            }
            if (ONode* parent = prop->GetParent()) parent->RemoveChild(prop);
            delete prop;
        }
    }
}

void TLVWorld_Activity::FindPropsById(uint32_t objectId, CDynArray<OActivityProp*>& out) const {
    for (const auto& list : lists_)
        for (int32_t i = 0; i < list.Count(); ++i)
            if (list.GetAt(i)->GetObjectId() == objectId) out.Append(list.GetAt(i));
}

void TLVWorld_Activity::ApplyCollectableQuotas() {
    for (int k = 1; k <= kQuotas; ++k) {
        CDynArray<OActivityProp*> kept;
        FindPropsById(uint32_t(k), kept);
        int32_t pens = 0;
        for (int32_t i = 0; i < kept.Count(); ++i)
            if (IsCaptiveOrPen(kept.GetAt(i))) ++pens;
        const int32_t keep = int32_t(quotas_[k - 1]) + pens;
        if (kept.Count() <= keep) continue;
        const bool pensStay = k == collectableSet_ + 3;
        // Ends: the props that may go outnumber the ones to drop, since every pen counts in `keep`.
        while (kept.Count() > keep) {
            const int32_t pick = xRand() % kept.Count();
            if (pensStay && IsCaptiveOrPen(kept.GetAt(pick))) continue;
            kept.RemoveAt(pick);
        }
        CDynArray<OActivityProp*> all;
        FindPropsById(uint32_t(k), all);
        for (int32_t i = 0; i < all.Count(); ++i)
            if (!Contains(kept, all.GetAt(i))) RetireProp(all.GetAt(i));
    }
}

void TLVWorld_Activity::PrepareProps() {
    for (int l = kPropLists - 1; l >= 0; --l) {
        const bool preload = std::find(std::begin(kPreloadedLists), std::end(kPreloadedLists), l) !=
                             std::end(kPreloadedLists);
        for (int32_t i = lists_[l].Count() - 1; i >= 0; --i) {
            OActivityProp* prop = lists_[l].GetAt(i);
            if (preload) prop->SetLoadAllStates(1);
            if (auto* character = dynamic_cast<Dweeble*>(prop)) character->SetActionFrames(SecondVehicleDriven() ? 1 : 0);
            ChunkId part = kNullChunkId;
            prop->GetPartID(&part);
            if (part != kNullChunkId || prop->GetLoadLater() != 1) continue;
            prop->LoadNow();
            if (auto* object = dynamic_cast<TLV_Object*>(prop)) object->CreateOverlay();
        }
    }
}

OActivityProp* TLVWorld_Activity::SpawnCharacter(OActivityProp* spawner) {
    if (!spawner) return nullptr;
    const int32_t kind = spawner->IsA(Spawn::kClassId) ? int32_t(static_cast<Spawn*>(spawner)->GetSpawnValue()) : 0;
    if (kind < 0 || kind > kFollowers - kAvoiders) {
        xTracef("TLVWorld_Activity - %s : a spawner of kind %d makes no character (0 to 2)\n", GetName(), int(kind));
        return nullptr;
    }
    OView* made = xTLVFactory_MakeProp(kCharacterClass);
    if (!made) return nullptr;
    auto* character = static_cast<OActivityProp*>(made);
    ChunkId part = kNullChunkId;
    if (spawner->IsA(Spawn::kClassId)) part = static_cast<Spawn*>(spawner)->GetSpawnPartId();
    else spawner->GetPartID(&part);
    if (part != kNullChunkId) character->SetPartID(GameFile(), part, 1);
    AddChild(character);
    character->SetPosition(spawner->GetPosition(), 0, 0);
    if (auto* walker = dynamic_cast<Dweeble*>(character)) {
        walker->SetCharacterWorld(GetCharacterLink());
        walker->OnPropertiesLoaded(); // its shadow and overlay, and its start
    } else if (auto* object = dynamic_cast<TLV_Object*>(character)) {
        object->CreateShadow();
        object->CreateOverlay();
    }
    Append(lists_[kAvoiders + kind], character);
    return character;
}
