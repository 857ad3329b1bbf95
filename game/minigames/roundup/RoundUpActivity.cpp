#include "game/minigames/roundup/RoundUpActivity.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/core/PropertyMsg.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/characters/DRoundUp.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr int32_t kBorderMargin = 200;
constexpr int16_t kTopBand = 50;
/// The animals keep this far inside the map's edges.
constexpr int16_t kAnimalEdgeMargin = 5;
/// How many touching solids a way out of a wall passes at most.
constexpr int32_t kMostSolidsPassed = 8;
constexpr uint32_t kTokenClass = 1540;
constexpr uint32_t kDweebleClass = 2400;
constexpr int32_t kEngineRate = 11025;
constexpr ChunkId kBadgeIcon = MakeChunkId(2, 54);
constexpr ChunkId kSirens[3] = {MakeChunkId(7, 45), MakeChunkId(7, 564), MakeChunkId(7, 58)};
constexpr int kCatchHint = 9;

CPlayer* GamePlayer() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

/// The box of a move, corners in any order, holding both end points (a box's right and
/// bottom lie outside it).
CRect16 MoveBox(int16_t x0, int16_t y0, int16_t x1, int16_t y1) {
    return CRect16(std::min(x0, x1), std::min(y0, y1), int16_t(std::max(x0, x1) + 1), int16_t(std::max(y0, y1) + 1));
}

/// Level 1 animals are slow and rest long; levels 2 and 3 are quicker and restless.
void TuneAnimal(DRoundUp* animal, uint16_t level) {
    static constexpr int32_t kSpeeds[3] = {11, 33, 100};
    animal->SetWalkSpeed(kSpeeds[std::clamp<int>(level, 1, 3) - 1]);
    if (level <= 1) {
        animal->SetMoveParam(1000 + xRand() % 2000);
        animal->SetIdleParam(5500 + xRand() % 5000);
    } else {
        animal->SetMoveParam(2000 + xRand() % 4000);
        animal->SetIdleParam(3000 + xRand() % 4000);
    }
    animal->SelectSpeed(4);
}

} // namespace

CRoundUpActivity::CRoundUpActivity(const RoundUpTown& town, const char* name, uint32_t classId)
    : TLVWorld_Activity(name, classId), town_(town), vehicleValues_(&town.vehicles[0]), track_(this, nullptr) {
    SetBorderMargin(kBorderMargin);
    WatchKey(kKeyCtrl);
    trackTimer_.duration = kTrackMs;
}

CRoundUpActivity::~CRoundUpActivity() = default;

bool CRoundUpActivity::IsA(uint32_t classId) const { return classId == kClassId || TLVWorld_Activity::IsA(classId); }

bool CRoundUpActivity::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (msg && msg->family == TLVWorld_Activity::kClassId) return TLVWorld_Activity::HandleProperty(msg, set);
    return CTLVActivity::HandleProperty(msg, set);
}

uint16_t CRoundUpActivity::AnimalsForLevel(uint16_t level) {
    static constexpr uint16_t kAnimals[3] = {4, 8, 10};
    return kAnimals[std::clamp<int>(level, 1, 3) - 1];
}

uint16_t CRoundUpActivity::ReadLevel() {
    const CPlayer* player = GamePlayer();
    const uint16_t level = player ? player->GetActivityLevel(town_.world, kActivity) : 1;
    if (level >= 1 && level <= 3) return level;
    xTracef("%s : round-up level %u taken as %u\n", GetName(), unsigned(level), unsigned(level < 1 ? 1 : 3));
    return level < 1 ? 1 : 3;
}

VIsometric* CRoundUpActivity::Vehicle() { return dynamic_cast<VIsometric*>(GetVehicle()); }

bool CRoundUpActivity::AcceptObject(OView* object) {
    if (auto* animal = dynamic_cast<DRoundUp*>(object)) TuneAnimal(animal, ReadLevel());
    return TLVWorld_Activity::AcceptObject(object);
}

int32_t CRoundUpActivity::OnActivated() {
    level_ = ReadLevel();
    animalCount_ = AnimalsForLevel(level_);
    animalsLeft_ = animalCount_;
    const CPlayer* player = GamePlayer();
    const uint16_t number = player ? player->GetSelectedVehicle() : town_.vehicles[0].number;
    vehicleValues_ = number == town_.vehicles[1].number ? &town_.vehicles[1] : &town_.vehicles[0];
    if (number != vehicleValues_->number)
        xTracef("%s : vehicle %u does not drive here, vehicle %u instead\n", GetName(), unsigned(number),
                unsigned(vehicleValues_->number));
    SetVehiclePartId(vehicleValues_->part);
    track_.SetPartFile(GameFile());
    track_.SetMarkArt(vehicleValues_->markArt);
    const bool second = vehicleValues_ == &town_.vehicles[1];
    SetVehicleSpeeds(second ? 175.0f : 150.0f, second ? 250.0f : 225.0f);
    SetStopFlag(0);
    const int32_t answer = TLVWorld_Activity::OnActivated();
    trackTimer_.Start(kTrackMs);
    StartHintTimer();
    SetUpVehicle();
    SetUpCounters();
    CreateButtonPanel(kStartPanel);
    for (int8_t hint : town_.startHints)
        if (hint >= 0) ShowHint(hint);
    return answer;
}

void CRoundUpActivity::SetCollectableQuotas() {
    SetQuota(int(kAnimalId), animalCount_);
    SetQuota(int(kTokenId), uint16_t(level_ + 1));
}

void CRoundUpActivity::OnWorldStart() {
    uint16_t kept = 0;
    const CDynArray<OActivityProp*>& animals = GetList(kRoundUps);
    for (int32_t i = 0; i < animals.Count(); ++i)
        if (animals.GetAt(i)->GetObjectId() == kAnimalId) ++kept;
    if (kept < animalCount_) {
        xTracef("%s : only %u animals to round up of %u\n", GetName(), unsigned(kept), unsigned(animalCount_));
        animalCount_ = kept;
    }
    animalsLeft_ = animalCount_;
}

void CRoundUpActivity::SetUpVehicle() {
    VIsometric* vehicle = Vehicle();
    if (!vehicle) return;
    vehicle->SetPosition(CPointF(town_.startPosition.x, town_.startPosition.y), 0, 1);
    vehicle->UpdateZOrder();
    CenterWorldViewOn(vehicle);
    vehicle->AttachProp(vehicleValues_->light);
    vehicle->SetSpeed(vehicleValues_->speed);
    SetActionCooldown(vehicleValues_->actionCooldownMs);
    ActionTimer().duration = vehicleValues_->actionCooldownMs;
    vehicle->CreateShadow();
}

void CRoundUpActivity::SetUpCounters() {
    CCounterPanel* panel = CounterPanel();
    if (!panel) return;
    panel->SetCounter(0, town_.counterIcon, &animalsLeft_, 0, 0, 0);
    if (CPlayer* player = GamePlayer()) panel->SetCounter(1, kBadgeIcon, player->BadgeCountPtr(town_.world, kActivity), 0, 0, 0);
}

int32_t CRoundUpActivity::OnIdle() {
    if (trackTimer_.running && trackTimer_.HasElapsed()) {
        StepTrack();
        trackTimer_.Restart();
    }
    if (HintTimerElapsed() >= uint32_t(kHintMs)) {
        ResetHintTimer();
        const int32_t pick = xRand() % 5;
        if (pick < 4) ShowHint(5 + pick);
    }
    FlushPendingProps();
    return TLVWorld_Activity::OnIdle();
}

void CRoundUpActivity::StepTrack() {
    VIsometric* vehicle = Vehicle();
    if (!vehicle) return;
    const CPointF at = vehicle->GetPosition();
    const CPoint16 p(int16_t(int32_t(at.x)), int16_t(int32_t(at.y)));
    const int32_t caught = track_.Step(p, vehicle->GetState(), [this](int32_t from) { return CatchEnclosed(from); });
    if (caught == 1 && !IsMessageQueued()) ShowHint(kCatchHint);
}

int32_t CRoundUpActivity::CatchEnclosed(int32_t from) {
    int32_t caught = 0;
    const CDynArray<OActivityProp*>& animals = GetList(kRoundUps);
    ForEachLoopTriangle(from, track_.SegmentCount(), [&](int32_t a, int32_t b, int32_t c) {
        const CPoint16 pa = track_.GetSegment(a).line.end, pb = track_.GetSegment(b).line.end,
                       pc = track_.GetSegment(c).line.end;
        if (pa == pb || pb == pc || pa == pc) return;
        for (int32_t i = animals.Count() - 1; i >= 0; --i) {
            auto* animal = dynamic_cast<DRoundUp*>(animals.GetAt(i));
            if (!animal || animal->IsCaught() || animal->GetState() == DRoundUp::kCaughtFrame) continue;
            if (!IsInTriangle(pa, pb, pc, animal->GetGroundPosition())) continue;
            if (animalsLeft_ > 0) {
                ++caught;
                --animalsLeft_;
                if (CCounterPanel* panel = CounterPanel()) panel->Refresh();
                ShowClickFeedback(animal);
                if (animalsLeft_ == 0)
                    if (CPlayer* player = GamePlayer()) player->IncActivityLevel(town_.world, kActivity);
            }
            animal->Catch();
        }
    });
    return caught;
}

bool CRoundUpActivity::CanMoveTo(int16_t x0, int16_t y0, int16_t x1, int16_t y1, int32_t ignoreVehicle) {
    const CRect16 box = MoveBox(x0, y0, x1, y1);
    TLV_Object* vehicle = GetVehicle();
    if (ignoreVehicle == 0 && vehicle && vehicle->HitTestRect(box)) return false;
    CWorldBuckets::PropList found;
    QueryRect(CPoint16(box.left, box.top), CPoint16(box.right, box.bottom), found);
    for (OActivityProp* prop : found)
        if (prop != vehicle && !prop->IsA(kDweebleClass) && prop->HitTestRect(box)) return false;
    return !track_.Crosses({CPoint16(x0, y0), CPoint16(x1, y1)});
}

TLV_Object* CRoundUpActivity::SolidAt(const CPoint16& point) {
    CWorldBuckets::PropList found;
    QueryPoint(point, found);
    for (OActivityProp* prop : found) {
        auto* object = dynamic_cast<TLV_Object*>(prop);
        TLV_Object* head = object ? object->ChainHead() : nullptr;
        if (head && prop != GetVehicle() && IsBlocking(prop) && head->HitsSegment(point, point)) return head;
    }
    return nullptr;
}

bool CRoundUpActivity::CanStandAt(const CPoint16& from, const CPoint16& at) {
    const CRect16 map = GetMapRect();
    return IsInsideMap(at, kAnimalEdgeMargin) && int32_t(at.y) >= int32_t(map.top) + kTopBand && !SolidAt(at) &&
           !track_.Crosses({from, at});
}

bool CRoundUpActivity::FindWayOut(const CPoint16& at, CPoint16* out) {
    TLV_Object* const first = SolidAt(at);
    if (!first) return false;
    static constexpr int32_t kWays[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    int32_t nearest = INT32_MAX;
    for (const auto& way : kWays) {
        // Straight out past the side, and past each solid that touches the one left behind.
        CPoint16 side = at;
        TLV_Object* solid = first;
        for (int32_t passed = 0; solid && passed < kMostSolidsPassed; ++passed) {
            const OActivityProp* shape = solid->GetCollisionBody() ? solid->GetCollisionBody() : solid;
            const CRect16 box = CWorldBuckets::BoxOf(shape);
            if (way[0] < 0) side.x = int16_t(box.left - 1);
            else if (way[0] > 0) side.x = box.right;
            else if (way[1] < 0) side.y = int16_t(box.top - 1);
            else side.y = box.bottom;
            if (!IsInsideMap(side, 0)) break;
            solid = SolidAt(side);
        }
        const int32_t distance = std::abs(int32_t(side.x) - at.x) + std::abs(int32_t(side.y) - at.y);
        if (distance >= nearest || !CanStandAt(at, side)) continue;
        nearest = distance;
        *out = side;
    }
    return nearest != INT32_MAX;
}

bool CRoundUpActivity::IsBelowTopBand(const CPoint16& point) { return IsInsideMap(point, kTopBand); }

void CRoundUpActivity::OnCollect(TLV_Object* prop, int32_t collected) {
    if (!prop || !collected || !prop->IsA(kTokenClass)) return;
    if (CPlayer* player = GamePlayer()) player->IncBadgeCount(town_.world, kActivity);
    if (CCounterPanel* panel = CounterPanel()) panel->Refresh();
    firstBadge_ = 1;
}

void CRoundUpActivity::CheckRoundUpEnd() {
    if (animalsLeft_ != 0 || animalCount_ == 0 || ended_) return;
    ended_ = 1;
    CreateButtonPanel(kWinPanel);
    ShowHint(11);
    ShowHint(12);
}

int32_t CRoundUpActivity::FlushSoundQueues() {
    track_.Clear();
    // The counters read the animals left, which go with the round-up.
    if (CCounterPanel* panel = CounterPanel()) panel->Release();
    return TLVWorld_Activity::FlushSoundQueues();
}

void CRoundUpActivity::Pause() { TLVWorld_Activity::Pause(); }

void CRoundUpActivity::Resume() {
    if (!IsPanelShown(-1)) TLVWorld_Activity::Resume();
}

void CRoundUpActivity::PlaySiren() { PlayOnPipe8(kSirens[std::min<int>(town_.world, 2)]); }

void CRoundUpActivity::OnKey(uint32_t key) {
    VIsometric* vehicle = Vehicle();
    if (key == kKeyCtrl && vehicle && !IsPanelShown(-1)) {
        if (OActivityProp* light = vehicle->GetAttachedProp()) {
            const bool on = !light->IsVisible();
            light->SetVisible(on ? 1 : 0, 1);
            light->SetPriority(vehicle->GetPriority() + 1);
            SetSirenFlag(on ? 1 : 0);
            if (on) PlaySiren();
            else StopPipe8();
            vehicle->SetSpeed(on ? GetSirenSpeed() : GetNormalSpeed());
        } else {
            const bool on = vehicle->GetVariant() == 0;
            vehicle->SetVariant(on ? 1 : 0);
            if (on) PlayOnPipe8(MakeChunkId(7, 16));
            else StopPipe8();
            vehicle->SetSpeed(on ? GetSirenSpeed() : GetNormalSpeed());
        }
    }
    TLVWorld_Activity::OnKey(key);
}

void CRoundUpActivity::OnVehicleHalted() {
    StopPipe3();
    PlayOnPipe3(vehicleValues_->haltSound);
}

void CRoundUpActivity::OnVehicleAccelerating() {
    StopPipe3();
    PlayOnPipe3Ex(vehicleValues_->engineSound, kEngineRate, 1);
}

void CRoundUpActivity::HidePanel(int16_t panel, uint8_t flush) {
    CTLVActivity::HidePanel(panel, flush);
    VIsometric* vehicle = Vehicle();
    if (IsPanelShown(-1) || !vehicle || !vehicle->GetAttachedProp()) return;
    OActivityProp* light = vehicle->GetAttachedProp();
    if ((light->IsVisible() != 0) != (GetSirenFlag() != 0)) {
        PlaySiren();
        vehicle->SetSpeed(GetSirenSpeed());
        light->SetVisible(1, 1);
        light->SetPriority(vehicle->GetPriority() + 1);
    }
    if (vehicle->GetThrottle() >= 1.0f) OnVehicleAccelerating();
    else if (vehicle->GetThrottle() <= 0.0f) OnVehicleHalted();
}

