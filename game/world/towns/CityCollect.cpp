// What the city's props do when the vehicle or a canister reaches them, the first sightings and
// the guide arrow's city rules.
#include "engine/base/Random.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DweebleRoutines.h"
#include "game/world/towns/WMetropolisActivity.h"

namespace city = towns::city;

namespace {

/// Left at which a taken pile or criminal says nothing more.
constexpr int32_t kQuietLootLeft = 7;
constexpr int32_t kQuietCriminalsLeft[] = {1, 10};

bool IsShown(const OActivityProp* prop) { return prop->IsShownThroughParents() && prop->IsVisible(); }

} // namespace

void WMetropolis_Activity::OnCollect(TLV_Object* prop, int32_t byVehicle) {
    if (!prop) return;
    if (prop->IsA(Bag::kClassId)) {
        if (byVehicle && prop->GetObjectId() == city::kLoot && IsShown(prop)) TakeLoot(prop);
    } else if (prop->IsA(DAvoider::kClassId)) {
        if (!byVehicle && prop->GetObjectId() == 0) {
            const int pick = xRand() % 5;
            if (pick == 0) SayLine(city::kShooA);
            else if (pick == 1) SayLine(city::kShooB);
        } else if (byVehicle && prop->GetObjectId() == city::kCriminals && IsShown(prop)) {
            TakeCriminal(prop);
        }
    } else if (prop->IsA(Token::kClassId)) {
        if (byVehicle) CollectToken();
    }
}

void WMetropolis_Activity::TakeLoot(TLV_Object* bag) {
    CPlayer* player = Player();
    if (!player || player->GetQuota1Left(kWorld) == 0) return;
    player->DecQuota1Left(kWorld);
    RefreshCounters();
    MarkCollected(bag);
    RetireProp(bag);
    const int32_t left = player->GetQuota1Left(kWorld);
    if (left == 0) {
        FinishTask(kFirstTask);
    } else if (left == kQuietLootLeft) {
        // Nothing said at seven left.
    } else if (player->GetActivityCount(kWorld, kFirstTask) == 0 && player->GetQuota1Max(kWorld) - left == 1) {
        SayLine(city::kFirstLootTaken);
    } else {
        SayLine(city::kLootTakenLines[xRand() % 3]);
    }
}

void WMetropolis_Activity::TakeCriminal(TLV_Object* criminal) {
    CPlayer* player = Player();
    if (!player || player->GetQuota2Left(kWorld) == 0) return;
    player->DecQuota2Left(kWorld);
    RefreshCounters();
    if (auto* character = dynamic_cast<Dweeble*>(criminal)) character->SetIdleRoutine(&DoNothing);
    criminal->SetObjectId(0);
    MarkCollected(criminal);
    RetireProp(criminal);
    const int32_t left = player->GetQuota2Left(kWorld);
    if (left == 0) FinishTask(kSecondTask);
    else if (left != kQuietCriminalsLeft[0] && left != kQuietCriminalsLeft[1])
        SayLine(city::kCriminalTakenLines[xRand() % 4]);
}

// ---- Sightings and the arrow ----------------------------------------------------------------------

void WMetropolis_Activity::CheckSightings() {
    TLV_Object* vehicle = GetVehicle();
    CRect16 box;
    if (!vehicle || !PropBox(vehicle, &box)) return;
    if (!criminalSeen_) {
        const CDynArray<OActivityProp*>& characters = GetList(kAvoiders);
        for (int32_t i = characters.Count() - 1; i >= 0; --i) {
            OActivityProp* character = characters.GetAt(i);
            if (character->GetObjectId() != city::kCriminals || !PropHits(character, box)) continue;
            const int pick = xRand() % 3;
            if (pick == 0) SayLine(city::kCriminalSeen);
            else if (pick == 1) SayLine(city::kCriminalSeenToo);
            criminalSeen_ = 1;
            break;
        }
    }
    if (!lootSeen_) {
        const CDynArray<OActivityProp*>& bags = GetList(kBags);
        for (int32_t i = bags.Count() - 1; i >= 0; --i) {
            if (!PropHits(bags.GetAt(i), box)) continue;
            SayLine(city::kLootSeen);
            lootSeen_ = 1;
            break;
        }
    }
}

bool WMetropolis_Activity::KeepsArrowTarget(OActivityProp* target) {
    // Past the tasks only the mission's props are kept, and those by the rules below too.
    if (MainTasksDone() && !TownWorld::KeepsArrowTarget(target)) return false;
    if (auto* character = dynamic_cast<DAvoider*>(target))
        return character->GetObjectId() != city::kCriminals && !character->IsAvoiding();
    if (target->IsA(Bag::kClassId)) return IsShown(target);
    return true;
}

bool WMetropolis_Activity::FindTaskTarget(OActivityProp** target, int* line) {
    const CPlayer* player = Player();
    const int32_t loot = player->GetQuota1Left(kWorld), criminals = player->GetQuota2Left(kWorld);
    const TownArrowLines& lines = Table().arrowLines;
    *target = nullptr;
    const auto first = [&](int list, uint32_t id) {
        const CDynArray<OActivityProp*>& props = GetList(list);
        for (int32_t i = 0; i < props.Count(); ++i)
            if (props.GetAt(i)->GetObjectId() == id && IsShown(props.GetAt(i))) return props.GetAt(i);
        return static_cast<OActivityProp*>(nullptr);
    };
    if (loot > 0) {
        *target = first(kBags, city::kLoot);
        *line = lines.follow;
        return true;
    }
    if (criminals <= 0) return false;
    *target = first(kAvoiders, city::kCriminals);
    *line = criminals < 2 ? lines.lastOne : lines.follow;
    return true;
}
