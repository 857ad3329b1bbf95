// What the zoo's props do when the vehicle or the beam reaches them, the first sightings and
// the guide arrow's zoo rules.
#include "engine/base/Random.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DCaptive.h"
#include "game/world/characters/DFollower.h"
#include "game/world/characters/DGuard.h"
#include "game/world/characters/DweebleRoutines.h"
#include "game/world/towns/WZooActivity.h"

namespace zoo = towns::zoo;

namespace {

/// Left at which a monkey taken says nothing more.
constexpr int32_t kQuietMonkeysLeft = 7;
constexpr int kPenguinFirstLines[] = {6, 9};
constexpr int kPenguinMoreLines[] = {10, 11};
constexpr int kMonkeyTakenLines[] = {1, 2};

bool IsShown(const OActivityProp* prop) { return prop->IsShownThroughParents() && prop->IsVisible(); }

void Silence(TLV_Object* prop) {
    if (auto* character = dynamic_cast<Dweeble*>(prop)) character->SetIdleRoutine(&DoNothing);
}

} // namespace

void WZoo_Activity::OnCollect(TLV_Object* prop, int32_t byVehicle) {
    if (!prop) return;
    const uint32_t id = prop->GetObjectId();
    if (prop->IsA(DFollower::kClassId)) {
        PenguinLines(prop);
    } else if (prop->IsA(DAvoider::kClassId)) {
        if (!byVehicle && id == 0) {
            const int pick = xRand() % 5;
            if (pick == 0) SayLine(zoo::kShooA);
            else if (pick == 1) SayLine(zoo::kShooB);
        } else if (byVehicle && id == zoo::kMonkeys && IsShown(prop)) {
            TakeMonkey(prop);
        }
    } else if (prop->IsA(DGuard::kClassId)) {
        if (byVehicle && id >= zoo::kFirstGuards && id < zoo::kFirstGuards + uint32_t(kMissions) && IsShown(prop))
            TakeGuard(prop);
    } else if (prop->IsA(Token::kClassId)) {
        if (byVehicle) CollectToken();
    }
}

void WZoo_Activity::PenguinLines(TLV_Object* prop) {
    auto* penguin = static_cast<DFollower*>(prop);
    const CPlayer* player = Player();
    if (!player || penguin->GetPrevious() || penguin->GetFacingGroup() == 1 ||
        player->GetActivityCount(kWorld, kSecondTask) != 0)
        return;
    const int32_t linked = CountFollowers();
    const int32_t left = player->GetQuota2Left(kWorld), most = player->GetQuota2Max(kWorld);
    if (linked == 1 && left == most) {
        SayLine(kPenguinFirstLines[xRand() % 2]);
    } else if (left == linked + 1 || left + linked == most / 2) {
        // Nothing said one penguin before the last, nor halfway.
    } else if (const int pick = xRand() % 4; pick < 2) {
        SayLine(kPenguinMoreLines[pick]);
    }
}

void WZoo_Activity::TakeMonkey(TLV_Object* monkey) {
    CPlayer* player = Player();
    if (!player || player->GetQuota1Left(kWorld) == 0) return;
    player->DecQuota1Left(kWorld);
    RefreshCounters();
    Silence(monkey);
    monkey->SetObjectId(0);
    MarkCollected(monkey);
    RetireProp(monkey);
    const int32_t left = player->GetQuota1Left(kWorld);
    if (left == 0) {
        FinishTask(kFirstTask);
    } else if (left == kQuietMonkeysLeft) {
        // Nothing said at seven left.
    } else if (player->GetActivityCount(kWorld, kFirstTask) == 0 && player->GetQuota1Max(kWorld) - left == 1) {
        SayLine(zoo::kFirstMonkeyLines[xRand() % 3]);
    } else if (const int pick = xRand() % 5; pick < 2) {
        SayLine(kMonkeyTakenLines[pick]);
    }
}

void WZoo_Activity::TakeGuard(TLV_Object* guard) {
    HideGuideArrow();
    CPlayer* player = Player();
    // A mission already finished counts nothing again.
    const bool counts = player && player->GetQuota3Left(kWorld) > 0;
    if (counts) player->DecQuota3Left(kWorld);
    RefreshCounters();
    Silence(guard);
    MarkCollected(guard);
    RetireProp(guard);
    if (!counts || player->GetQuota3Left(kWorld) != 0) return;
    FinishMission();
    if (DCaptive* keeper = GetMissionCaptive()) keeper->UpdateZOrder();
}

// ---- Sightings and the arrow ----------------------------------------------------------------------

void WZoo_Activity::CheckSightings() {
    TLV_Object* vehicle = GetVehicle();
    CRect16 box;
    if (!vehicle || !PropBox(vehicle, &box)) return;
    if (!monkeySeen_) {
        const CDynArray<OActivityProp*>& monkeys = GetList(kAvoiders);
        for (int32_t i = monkeys.Count() - 1; i >= 0; --i) {
            if (monkeys.GetAt(i)->GetObjectId() != zoo::kMonkeys || !PropHits(monkeys.GetAt(i), box)) continue;
            SayLine(zoo::kMonkeySeen);
            monkeySeen_ = 1;
            break;
        }
    }
    if (!penguinSeen_) {
        const CDynArray<OActivityProp*>& penguins = GetList(kFollowers);
        for (int32_t i = penguins.Count() - 1; i >= 0; --i) {
            if (!PropHits(penguins.GetAt(i), box)) continue;
            SayLine(zoo::kPenguinSeen);
            penguinSeen_ = 1;
            break;
        }
    }
}

bool WZoo_Activity::KeepsArrowTarget(OActivityProp* target) {
    // Past the tasks only the mission's props are kept, and those by the rules below too.
    if (MainTasksDone() && !TownWorld::KeepsArrowTarget(target)) return false;
    if (auto* monkey = dynamic_cast<DAvoider*>(target))
        return monkey->GetObjectId() != zoo::kMonkeys && !monkey->IsAvoiding();
    return !target->IsA(DFollower::kClassId);
}

bool WZoo_Activity::FindTaskTarget(OActivityProp** target, int* line) {
    const CPlayer* player = Player();
    const int32_t monkeys = player->GetQuota1Left(kWorld), penguins = player->GetQuota2Left(kWorld);
    const TownArrowLines& lines = Table().arrowLines;
    *target = nullptr;
    if (monkeys > 0) {
        const CDynArray<OActivityProp*>& list = GetList(kAvoiders);
        for (int32_t i = 0; i < list.Count() && !*target; ++i)
            if (list.GetAt(i)->GetObjectId() == zoo::kMonkeys && IsShown(list.GetAt(i))) *target = list.GetAt(i);
        *line = lines.follow;
        return true;
    }
    if (penguins <= 0) return false;
    const int32_t linked = CountFollowers();
    if (penguins > linked) {
        const CDynArray<OActivityProp*>& list = GetList(kFollowers);
        for (int32_t i = 0; i < list.Count() && !*target; ++i) {
            auto* penguin = dynamic_cast<DFollower*>(list.GetAt(i));
            if (penguin && penguin->GetFacingGroup() == 0 && !penguin->IsFollowing()) *target = penguin;
        }
        *line = penguins - linked < 2 ? lines.lastOne : lines.follow;
        return true;
    }
    *target = GetWayPoint(zoo::kPenguinHouse);
    *line = -1;
    return true;
}
