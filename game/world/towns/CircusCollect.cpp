// What the circus town's props do when the vehicle or the spray reaches them, the puppies'
// pick-up, the first sightings and the guide arrow's circus rules.
#include "engine/base/Random.h"
#include "game/shell/Fire.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/world/characters/ConstraintObject.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DFollower.h"
#include "game/world/towns/WToonActivity.h"

namespace {

constexpr ChunkId kPutOutSound = MakeChunkId(7, 580);
constexpr ChunkId kPickUpSound = MakeChunkId(7, 70);
constexpr int kSeenFireLine = 3, kSeenPuppyLine = 7, kFirstFireOutLine = 5, kHalfHomeLine = 8;
constexpr int kFireOutLines[] = {4, 9};
constexpr int kShooLines[] = {17, 18};

uint16_t VehicleValue() {
    const CPlayer* player = TownWorld::Player();
    return player ? player->GetSelectedVehicle() : 0;
}

bool IsGuardingAvoider(OActivityProp* prop) {
    auto* character = dynamic_cast<DAvoider*>(prop);
    return character && character->GetGuardFlag() != 0;
}

bool IsBurningFire(const OActivityProp* prop) {
    const auto* fire = dynamic_cast<const Fire*>(prop);
    return fire && fire->IsBurning();
}

} // namespace

void WToon_Activity::OnCollect(TLV_Object* prop, int32_t byVehicle) {
    if (!prop) return;
    if (prop->IsA(DAvoider::kClassId)) {
        if (byVehicle) return;
        if (prop->GetObjectId() == kFireId && IsGuardingAvoider(prop)) PutOutCharacter(prop);
        else Shoo(prop);
    } else if (auto* fire = dynamic_cast<Fire*>(prop)) {
        if (byVehicle) return;
        const uint32_t id = fire->GetObjectId();
        if (id == kFireId) DouseTaskFire(fire);
        else if (id >= kFirstMissionId && id < kFirstMissionId + kMissions) DouseMissionFire(fire);
    } else if (prop->IsA(Token::kClassId)) {
        if (byVehicle) CollectToken();
    }
}

void WToon_Activity::PutOutCharacter(TLV_Object* prop) {
    auto* character = static_cast<DAvoider*>(prop);
    character->SetGuardFlag(0);
    character->SetObjectId(0);
    character->AddFramesA(12, 12);
    character->AddFramesB(13, 15);
    character->AddFramesC(16, 18);
    if (CPlayer* player = Player()) player->DecQuota1Left(kWorld);
    RefreshCounters();
    PlayLoud(kPutOutSound);
    MarkCollected(character);
    CheckFireTask();
}

void WToon_Activity::Shoo(TLV_Object* prop) {
    const uint16_t value = VehicleValue();
    if (value <= 1) static_cast<DAvoider*>(prop)->SetActionFrames(uint8_t(value));
    if (xRand() % 4 == 0) SayLine(xRand() % 2 == 0 ? kShooLines[0] : kShooLines[1]);
}

void WToon_Activity::DouseTaskFire(Fire* fire) {
    if (!fire->IsBurning()) return;
    PutSmoke(fire);
    fire->Douse();
    if (CPlayer* player = Player()) player->DecQuota1Left(kWorld);
    RefreshCounters();
    const CDynArray<OActivityProp*>& fires = GetList(kFires);
    int32_t index = -1;
    for (int32_t i = 0; i < fires.Count() && index < 0; ++i)
        if (fires.GetAt(i) == fire) index = i;
    const CDynArray<OActivityProp*>& pens = GetList(kConstraints);
    for (int32_t i = 0; i < pens.Count() && index >= 0; ++i)
        if (pens.GetAt(i)->GetObjectId() == kFirstFirePenId + uint32_t(index)) pens.GetAt(i)->SetObjectId(kDousedPenId);
    PlayLoud(kPutOutSound);
    MarkCollected(fire);
    CheckFireTask();
}

void WToon_Activity::CheckFireTask() {
    CPlayer* player = Player();
    if (!player) return;
    const int32_t left = player->GetQuota1Left(kWorld);
    const int32_t out = int32_t(player->GetQuota1Max(kWorld)) - left;
    if (left == 0) {
        player->IncActivityCount(kWorld, kFirstTask);
        player->AddHeroPoints(kWorld, 1);
        PlayLoud(Table().taskDoneSound);
        OnTasksDone();
    } else if (left == 1 || left == 10) {
        // Nothing said one fire before the end, nor at ten left.
    } else if (player->GetActivityCount(kWorld, kFirstTask) == 0 && out == 1) {
        SayLine(kFirstFireOutLine);
    } else if (out % 3 == 0) {
        const int pick = xRand() % 3;
        if (pick < 2) SayLine(kFireOutLines[pick]);
    }
}

void WToon_Activity::DouseMissionFire(Fire* fire) {
    if (!fire->IsBurning() || !fire->Douse()) return;
    PutSmoke(fire);
    if (GetGuideTarget() == fire) HideGuideArrow();
    CPlayer* player = Player();
    if (!player) return;
    player->DecQuota3Left(kWorld);
    RefreshCounters();
    PlayLoud(kPutOutSound);
    PlayOnPipe7();
    if (player->GetQuota3Left(kWorld) == 0) {
        StopMissionFires();
        FinishMission();
    } else if (fire->HasPassOnMark()) {
        PassOnMark(fire);
    }
}

void WToon_Activity::PassOnMark(Fire* fire) {
    const CPointF at = fire->GetPosition();
    auto* next = dynamic_cast<Fire*>(FindNearestShownProp(kFires, at.x, at.y, fire));
    // Without another shown fire the mark stays where it is.
    if (!next) return;
    fire->SetPassOnMark(false);
    next->SetPassOnMark(true);
    next->SetBurning(true);
    next->SetState(next->GetState());
}

void WToon_Activity::StopMissionFires() {
    const CDynArray<OActivityProp*>& fires = GetList(kFires);
    const uint32_t id = kFirstMissionId + uint32_t(GetCurrentMission());
    for (int32_t i = 0; i < fires.Count(); ++i)
        if (auto* fire = dynamic_cast<Fire*>(fires.GetAt(i)); fire && fire->GetObjectId() == id) fire->ResetTimer();
}

void WToon_Activity::OnFollowerAttached(TLV_Object* prop) {
    CPlayer* player = Player();
    if (player && player->GetActivityCount(kWorld, kSecondTask) == 0) {
        const int32_t linked = CountFollowers();
        const int32_t left = player->GetQuota2Left(kWorld), most = player->GetQuota2Max(kWorld);
        // The puppy itself is already in the chain.
        if (linked <= 1 && left == most && firstPickUp_) firstPickUp_ = 0;
        else if (left - linked == most / 2) SayLine(kHalfHomeLine);
    }
    PlayLoud(kPickUpSound);
    MarkCollected(prop);
}

// ---- Sightings and the arrow ----------------------------------------------------------------------

void WToon_Activity::CheckSightings() {
    const CRect16 view = GetVisibleRect();
    if (!fireSeen_) {
        const CDynArray<OActivityProp*>& characters = GetList(kAvoiders);
        for (int32_t i = characters.Count() - 1; i >= 0; --i) {
            if (!IsGuardingAvoider(characters.GetAt(i)) || !PropHits(characters.GetAt(i), view)) continue;
            SayLine(kSeenFireLine);
            fireSeen_ = characterSeen_ = 1;
            break;
        }
    }
    if (!characterSeen_) {
        const CDynArray<OActivityProp*>& fires = GetList(kFires);
        for (int32_t i = fires.Count() - 1; i >= 0; --i) {
            OActivityProp* fire = fires.GetAt(i);
            if (fire->GetObjectId() != kFireId || !IsBurningFire(fire) || !PropHits(fire, view)) continue;
            SayLine(kSeenFireLine);
            fireSeen_ = characterSeen_ = 1;
            break;
        }
    }
    if (!puppySeen_) {
        const CDynArray<OActivityProp*>& puppies = GetList(kFollowers);
        for (int32_t i = puppies.Count() - 1; i >= 0; --i) {
            if (!PropHits(puppies.GetAt(i), view)) continue;
            SayLine(kSeenPuppyLine);
            puppySeen_ = 1;
            break;
        }
    }
}

bool WToon_Activity::KeepsArrowTarget(OActivityProp* target) {
    if (MainTasksDone()) return TownWorld::KeepsArrowTarget(target);
    if (target->IsA(DAvoider::kClassId)) return IsGuardingAvoider(target);
    if (target->IsA(Fire::kClassId)) return IsBurningFire(target);
    if (target->IsA(DFollower::kClassId)) return false;
    return TownWorld::KeepsArrowTarget(target);
}

bool WToon_Activity::FindTaskTarget(OActivityProp** target, int* line) {
    const CPlayer* player = Player();
    const int32_t fires = player->GetQuota1Left(kWorld), puppies = player->GetQuota2Left(kWorld);
    const TownArrowLines& lines = Table().arrowLines;
    *target = nullptr;
    if (fires > 0) {
        for (int list = 0; list < kPropLists && !*target; ++list) {
            const CDynArray<OActivityProp*>& props = GetList(list);
            for (int32_t i = 0; i < props.Count(); ++i) {
                OActivityProp* prop = props.GetAt(i);
                if (prop->GetObjectId() != kFireId || !(IsGuardingAvoider(prop) || IsBurningFire(prop))) continue;
                *target = prop;
                break;
            }
        }
        *line = lines.follow;
        return true;
    }
    if (puppies <= 0) return false;
    const int32_t linked = CountFollowers();
    if (puppies > linked) {
        const CDynArray<OActivityProp*>& list = GetList(kFollowers);
        for (int32_t i = 0; i < list.Count(); ++i) {
            auto* puppy = dynamic_cast<DFollower*>(list.GetAt(i));
            if (!puppy || puppy->GetFacingGroup() != 0 || puppy->IsFollowing()) continue;
            *target = puppy;
            break;
        }
        *line = puppies - linked < 2 ? lines.lastOne : lines.follow;
        return true;
    }
    *target = GetWayPoint(Table().deliveryArea);
    *line = -1;
    return true;
}
