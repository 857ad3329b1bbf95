// The town's start and stop, its challenge areas, buttons, siren and vehicle sounds.
#include "game/world/towns/TownWorld.h"

#include <cmath>

#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/media/MusicProcess.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/characters/ConstraintObject.h"
#include "game/world/characters/DCaptive.h"
#include "game/world/characters/DFollower.h"
#include "game/world/characters/FollowerRoutines.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

void StopMusic() {
    if (CTLVApp* app = CTLVApp::Get(); app && app->GetMusic()) app->GetMusic()->Stop();
}

bool OffMap(CPoint16 at, const CRect16& map) {
    return at.x < map.left || at.y < map.top || at.x >= map.right || at.y >= map.bottom;
}

} // namespace

TownWorld::TownWorld(const char* name, uint32_t classId, const TownTable& table)
    : TLVWorld_Activity(name, classId), table_(table), startPosition_(table.startPosition),
      startHeading_(table.startHeading) {}

CPlayer* TownWorld::Player() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

const TownVehicle* TownWorld::FindVehicle(uint16_t value) const {
    for (size_t i = 0; i < table_.vehicleCount; ++i)
        if (table_.vehicles[i].value == value) return &table_.vehicles[i];
    return nullptr;
}

int32_t TownWorld::OnActivated() {
    const CPlayer* player = Player();
    const uint16_t value = player ? player->GetSelectedVehicle() : 0;
    current_ = FindVehicle(value);
    // A record naming another town's vehicle (or garbage) leaves the town without one.
    if (current_) SetVehiclePartId(current_->part);
    else xTracef("%s : vehicle %u does not drive here, no vehicle\n", GetName(), unsigned(value));
    const int32_t answer = TLVWorld_Activity::OnActivated();
    startPosition_ = table_.startPosition;
    startHeading_ = table_.startHeading;
    OnTownStart();
    vehicleIso_ = dynamic_cast<VIsometric*>(GetVehicle());
    if (current_ && vehicleIso_) PlaceVehicle();
    if (!(MainTasksDone() && !MissionDone())) ShowTaskCounters();
    StartTownMusic();
    if (CPlayer* p = Player()) p->IncCounter(table_.visitCounter);
    return answer;
}

void TownWorld::StartTownMusic() {
    if (CTLVApp* app = CTLVApp::Get(); app && app->GetMusic()) {
        OMusicProcess* music = app->GetMusic();
        music->Stop();
        music->Release();
        music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, ChunkEntryOf(table_.music)});
        music->Play();
    }
}

void TownWorld::PlaceVehicle() {
    VIsometric* vehicle = vehicleIso_;
    const CPlayer* player = Player();
    CPoint16 at = player ? player->GetWorldPosition(table_.world) : CPoint16();
    // The record has no "none" of its own: (0, 0), like a place off the map, is no position.
    if ((at.x == 0 && at.y == 0) || OffMap(at, GetMapRect())) {
        at = startPosition_;
        vehicle->SetState(startHeading_);
    } else {
        // The record keeps no heading: every visit starts facing the start heading.
        vehicle->SetState(startHeading_);
    }
    vehicle->SetPosition(CPointF(at.x, at.y), 0, 1);
    vehicle->UpdateZOrder();
    CenterWorldViewOn(vehicle);
    vehicle->AttachProp(current_->light);
    vehicle->SetSpeed(current_->speed);
    SetVehicleSpeeds(current_->normalSpeed, current_->sirenSpeed);
    vehicle->CreateShadow();
    vehicle->SetVariant(0);
    CPoint16 ground;
    vehicle->GetGroundPoint(&ground);
    vehicle->SetWayPoint(0, ground);
}

int32_t TownWorld::FlushSoundQueues() {
    SaveCollectablePoints();
    if (CCounterPanel* panel = CounterPanel()) panel->Release();
    vehicleIso_ = nullptr;
    return TLVWorld_Activity::FlushSoundQueues();
}

int32_t TownWorld::OnObjectDeleted(OObject* object) {
    if (object == static_cast<OObject*>(captive_)) captive_ = nullptr;
    if (object == static_cast<OObject*>(pen_)) pen_ = nullptr;
    return TLVWorld_Activity::OnObjectDeleted(object);
}

// ---- Challenge areas ------------------------------------------------------------------------------

void TownWorld::EnterArea(int32_t number, int32_t x, int32_t y, int32_t offsetX, int32_t offsetY) {
    SetCurrentWayPoint(number);
    if (number == 0) {
        CreateButtonPanel(kPanelNewCar);
    } else if (number >= 1 && number <= kTownChallenges) {
        EnterChallenge(table_.challenges[number - 1]);
    } else if (number == table_.deliveryArea) {
        DeliverFollowers(CPointF(float(x + offsetX), float(y + offsetY)));
    }
}

void TownWorld::EnterChallenge(const TownChallenge& challenge) {
    CPlayer* player = Player();
    if (!player || player->GetActivityFlag(table_.world, challenge.flag) == 0) return;
    if (TLV_Object* vehicle = GetVehicle()) {
        const CPointF at = vehicle->GetPosition();
        player->SetWorldPosition(CPoint16(int16_t(std::lround(at.x)), int16_t(std::lround(at.y))), table_.world);
    }
    player->SetActivityFlag(table_.world, challenge.flag, 0);
    FlushMessageQueue();
    ShowLight(false);
    if (vehicleIso_) vehicleIso_->SetSpeed(GetNormalSpeed());
    StopPipe8();
    SetLeaveTexts(challenge.text, challenge.picture);
    CreateButtonPanel(kConfirmPanel);
    SayLine(player->GetCounter(challenge.counter) != 0 ? challenge.repeatLine : challenge.firstLine);
    SayLine(table_.playLine);
    pendingActivity_ = challenge.activity;
    pendingCounter_ = challenge.counter;
}

void TownWorld::DeliverFollowers(const CPointF& target) {
    TLV_Object* vehicle = GetVehicle();
    auto* first = vehicle ? dynamic_cast<DFollower*>(vehicle->GetNext()) : nullptr;
    if (!first) return;
    CPlayer* player = Player();
    for (DFollower* follower = first; follower;) {
        auto* next = dynamic_cast<DFollower*>(follower->GetNext());
        follower->Unlink();
        follower->SetTargetObject(vehicle);
        follower->SetTargetPoint(target);
        follower->SetGoalPoint(target);
        follower->SetIdleRoutine(&Dweeble_Follow);
        follower->SetMoveRoutine(&Dweeble_Follow);
        follower->SetFleeRoutine(&Dweeble_Follow);
        follower->SetBehaviourState(12);
        follower->StartFollowing();
        if (player) player->DecQuota2Left(table_.world);
        follower = next;
    }
    PlayOnPipe7();
    ArrowTimer().Restart();
    HideGuideArrow();
    FollowersDelivered();
}

// ---- Panels and buttons ----------------------------------------------------------------------------

void TownWorld::OnButton(int16_t panel, int16_t button) {
    BlinkPanelButton(uint16_t(panel), 1);
    KeyTimer().Start(kRearmMs);
    CPlayer* player = Player();
    if (panel == kMenuPanel) {
        if (button >= 1 && button <= 3 && player) player->SetWorldPosition(table_.menuPosition, table_.world);
        if (button == 1) {
            StopMusic();
            if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(table_.menuActivity);
            return;
        }
        TLVWorld_Activity::OnButton(panel, button);
    } else if (panel == kPanelQuit || panel == kPanelNewCar || panel == kTutorialPanel) {
        // The drive tutorial closes through the world's buttons too, or it would hold the
        // town paused for good.
        TLVWorld_Activity::OnButton(panel, button);
    } else if (panel == kConfirmPanel) {
        if (button == 1) {
            StopMusic();
            // Each entry is counted, so the next visit to the area asks the repeat question.
            if (player && pendingCounter_ >= 0) player->IncCounter(pendingCounter_);
            pendingCounter_ = -1;
            if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(pendingActivity_);
        }
        ClosePanelAfterSpeech(panel, 1);
    }
}

void TownWorld::HidePanel(int16_t panel, uint8_t flush) {
    TLVWorld_Activity::HidePanel(panel, flush);
    if (IsPanelShown(-1) || !vehicleIso_) return;
    OActivityProp* light = LightProp();
    if (light) {
        const bool shown = light->IsShownThroughParents() && light->IsVisible();
        if (shown != (GetSirenFlag() != 0)) {
            PlayOnPipe8(table_.sirenSound);
            vehicleIso_->SetSpeed(GetSirenSpeed());
            ShowLight(true);
        }
    }
    const float throttle = vehicleIso_->GetThrottle();
    if (throttle >= 1.0f) OnVehicleStarted();
    else if (throttle <= 0.0f) OnVehicleHalted();
}

// ---- Siren, light and vehicle sounds ----------------------------------------------------------------

OActivityProp* TownWorld::LightProp() { return vehicleIso_ ? vehicleIso_->GetAttachedProp() : nullptr; }

void TownWorld::ShowLight(bool show) {
    OActivityProp* light = LightProp();
    if (!light) return;
    if (show) light->SetPriority(vehicleIso_->GetPriority() + 1);
    light->SetVisible(show ? 1 : 0, 0);
}

void TownWorld::OnKey(uint32_t key) {
    if (key == kCtrlKey && vehicleIso_ && !IsPanelShown(-1)) ToggleSiren();
    TLVWorld_Activity::OnKey(key);
}

void TownWorld::ToggleSiren() {
    OActivityProp* light = LightProp();
    bool on;
    if (light) {
        on = !(light->IsShownThroughParents() && light->IsVisible());
        ShowLight(on);
        SetSirenFlag(on ? 1 : 0);
        if (on) PlayOnPipe8(table_.sirenSound);
    } else {
        // Without a light the vehicle's second look stands for the siren (a part without a
        // second look keeps its first, so the flag keeps the siren's state).
        on = GetSirenFlag() == 0;
        vehicleIso_->SetVariant(on ? 1 : 0);
        SetSirenFlag(on ? 1 : 0);
        if (on) PlayOnPipe8(table_.variantSirenSound);
    }
    if (!on) StopPipe8();
    vehicleIso_->SetSpeed(on ? GetSirenSpeed() : GetNormalSpeed());
}

void TownWorld::OnVehicleHalted() {
    StopPipe3();
    if (current_ && current_->haltSound != kNullChunkId) PlaySound(current_->haltSound, 3, kLoudVolume);
    if (TLV_Object* vehicle = GetVehicle()) CheckWayPoints(vehicle);
}

void TownWorld::OnVehicleStarted() {
    StopPipe3();
    if (current_ && current_->engineLoop != kNullChunkId) PlayOnPipe3Ex(current_->engineLoop, kEngineRate, 1);
}

// ---- Driving step: re-arm ----------------------------------------------------------------------------

void TownWorld::DriveVehicle() {
    CheckSightings();
    Rearm();
    TLVWorld_Activity::DriveVehicle();
}

void TownWorld::Rearm() {
    CTimerRec& timer = KeyTimer();
    if (!timer.running || !timer.HasElapsed()) return;
    if (CPlayer* player = Player())
        for (const int flag : {3, 5, 4, 6}) player->SetActivityFlag(table_.world, flag, 1);
    timer.Stop();
}
