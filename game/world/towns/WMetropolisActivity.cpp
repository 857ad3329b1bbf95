#include "game/world/towns/WMetropolisActivity.h"

#include <algorithm>
#include <cmath>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/Captions.h"
#include "game/shell/Destructible.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VIsometric.h"

namespace city = towns::city;

namespace {

[[maybe_unused]] const bool kLinesListed = captions::List(city::kTable.lines, city::kTable.lineCount);

constexpr int32_t kArrivalVolume = 127;

uint16_t VehicleValue() {
    const CPlayer* player = TownWorld::Player();
    return player ? player->GetSelectedVehicle() : 0;
}

const city::CanisterBurst* FindBurst(uint16_t value) {
    for (const city::CanisterBurst& burst : city::kCanisterBursts)
        if (burst.vehicle == value) return &burst;
    return nullptr;
}

/// A canister hands what it hits to the world's contact pass; a prop that answers stops it.
bool CanisterHitHook(TLV_Object* canister) { return WorldPropHook(canister) != 0; }

CPoint16 Rounded(const CPointF& p) { return CPoint16(int16_t(std::lround(p.x)), int16_t(std::lround(p.y))); }

} // namespace

WMetropolis_Activity::WMetropolis_Activity(const char* name, uint32_t classId)
    : TownWorld(name, classId, city::kTable) {
    CopyWorldText("Press CTRL to toggle siren on/off, ");
    WatchKey(kCtrlKey);
}

// The canisters are children of the world, which deletes them.
WMetropolis_Activity::~WMetropolis_Activity() = default;

bool WMetropolis_Activity::IsA(uint32_t classId) const { return classId == kClassId || TownWorld::IsA(classId); }

int32_t WMetropolis_Activity::OnActivated() {
    const int32_t answer = TownWorld::OnActivated();
    if (const city::CanisterBurst* burst = FindBurst(VehicleValue())) {
        SetActionCooldown(int32_t(burst->actionMs));
        ActionTimer().duration = int32_t(burst->actionMs);
    }
    return answer;
}

// ---- Arrival -----------------------------------------------------------------------------------------

void WMetropolis_Activity::StartTownMusic() {
    arrivalPipe_ = -1;
    OActivityManager* manager = GetActivityManager();
    OSoundProcess* sound = GameSound();
    xSnippet* arrival = nullptr;
    if (manager && sound && manager->GetPreviousId() == city::kArrivalFrom) arrival = LoadSound(city::kArrivalSound);
    if (!arrival) {
        TownWorld::StartTownMusic();
        return;
    }
    if (CTLVApp* app = CTLVApp::Get(); app && app->GetMusic()) app->GetMusic()->Stop();
    xSound_SetSnippetVolume(arrival, kArrivalVolume);
    arrivalPipe_ = sound->Play(arrival, kAnyPipe, 0, 0);
    // No pipe free for it: the music comes at once.
    if (arrivalPipe_ < 0) TownWorld::StartTownMusic();
}

void WMetropolis_Activity::StepArrival() {
    if (arrivalPipe_ < 0) return;
    OSoundProcess* sound = GameSound();
    const SoundChannel* channel = sound ? sound->GetChannel(uint32_t(arrivalPipe_)) : nullptr;
    if (channel && xSound_IsPlaying(channel)) return;
    arrivalPipe_ = -1;
    TownWorld::StartTownMusic();
}

int32_t WMetropolis_Activity::OnIdle() {
    StepArrival();
    if (thrower_ && IsoVehicle()) thrower_->Step(VehicleAim());
    return TownWorld::OnIdle();
}

// ---- Siren and canisters ----------------------------------------------------------------------------

void WMetropolis_Activity::OnKey(uint32_t key) {
    const uint16_t value = VehicleValue();
    if (key == kCtrlKey && std::find(std::begin(city::kSirenVehicles), std::end(city::kSirenVehicles), value) ==
                               std::end(city::kSirenVehicles)) {
        TLVWorld_Activity::OnKey(key);
        return;
    }
    TownWorld::OnKey(key);
}

CCanisterThrower::Aim WMetropolis_Activity::VehicleAim() {
    CCanisterThrower::Aim aim{};
    VIsometric* vehicle = IsoVehicle();
    vehicle->GetAnchorPoint(&aim.anchor);
    vehicle->GetHeadingVector(&aim.heading);
    aim.groundOffset = vehicle->GetGroundOffset();
    return aim;
}

void WMetropolis_Activity::DoVehicleAction() {
    if (IsoVehicle()) {
        if (!thrower_) thrower_ = std::make_unique<CCanisterThrower>(*this, GameFile(), &CanisterHitHook);
        thrower_->Start(VehicleValue(), VehicleAim());
    }
    TownWorld::DoVehicleAction();
}

// ---- Quotas and the mission ---------------------------------------------------------------------------

void WMetropolis_Activity::SetCollectableQuotas() {
    CPlayer* player = Player();
    if (!player) return;
    const bool refill =
        player->GetQuota1Left(kWorld) == 0 && player->GetQuota2Left(kWorld) == 0 && player->GetQuota3Left(kWorld) == 0;
    TownWorld::SetCollectableQuotas();
    // A new round: every destructible starts whole.
    if (refill)
        for (int word = city::kFirstStateWord; word <= city::kLastStateWord; ++word) player->SetExtraWord(word, 0);
    // Object id 1 is the criminals (quota 2), object id 2 the loot (quota 1).
    SetQuota(int(city::kCriminals), player->GetQuota2Left(kWorld));
    SetQuota(int(city::kLoot), player->GetQuota1Left(kWorld));
    const int m = GetCurrentMission();
    SetQuota(int(city::kFirstMissionProps) + m, uint16_t(city::kMissionQuota));
    SetQuota(int(city::kFirstCaptive) + m, uint16_t(city::kMissionQuota));
}

bool WMetropolis_Activity::ThinRememberedProps(int quota, CDynArray<OActivityProp*>& set, int32_t /*keep*/) {
    const CPlayer* player = Player();
    if (quota != int(city::kLoot) || player->PointCount() == 0) return false;
    // The piles that lay in the street when the city was left lie there again; the others go.
    for (int32_t i = set.Count() - 1; i >= 0; --i)
        if (set.GetAt(i)->IsA(Bag::kClassId) && !player->HasPoint(Rounded(set.GetAt(i)->GetPosition())))
            set.RemoveAt(i);
    return true;
}

void WMetropolis_Activity::SaveCollectablePoints() {
    CPlayer* player = Player();
    if (!player) return;
    player->ClearPoints();
    const CDynArray<OActivityProp*>& bags = GetList(kBags);
    for (int32_t i = 0; i < bags.Count(); ++i) {
        OActivityProp* bag = bags.GetAt(i);
        if (bag->GetObjectId() == city::kLoot && !xProp_IsHidden(bag)) player->AddPoint(Rounded(bag->GetPosition()));
    }
}

void WMetropolis_Activity::StartMissionProp(TLV_Object* prop) {
    auto* destructible = dynamic_cast<Destructible*>(prop);
    const CPlayer* player = Player();
    if (!destructible || !player || destructible->GetRecordWord() == Destructible::kNoRecordWord) return;
    // A damaged record names no state beyond the part's last.
    const int32_t last = std::max(xProp_StateCount(destructible) - 1, 0);
    const int32_t stored = player->GetExtraWord(destructible->GetRecordWord());
    destructible->SetState(std::clamp(stored, 0, last));
}

bool WMetropolis_Activity::IsMissionDestructible(const TLV_Object* prop) {
    if (!prop || !prop->IsA(Destructible::kClassId)) return false;
    const uint32_t id = prop->GetObjectId();
    return id >= city::kFirstMissionProps && id < city::kFirstMissionProps + uint32_t(kMissions);
}

void WMetropolis_Activity::OnMissionPropDestroyed() {
    CPlayer* player = Player();
    // A mission already finished counts nothing again.
    if (!player || player->GetQuota3Left(kWorld) == 0) return;
    player->DecQuota3Left(kWorld);
    RefreshCounters();
    if (player->GetQuota3Left(kWorld) == 0) FinishMission();
}

int32_t WMetropolis_Activity::GetMissionTargetsLeft() const {
    const CPlayer* player = Player();
    return player ? player->GetQuota3Left(kWorld) : 0;
}

void WMetropolis_Activity::ShowTaskCounters() { ShowCounterRows(city::kTaskCounters); }

void WMetropolis_Activity::ShowMissionCounters() { ShowCounterRows(city::kMissionCounters); }
