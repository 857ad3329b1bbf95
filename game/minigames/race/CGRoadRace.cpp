#include "game/minigames/race/CGRoadRace.h"

#include <cmath>
#include <new>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/data/PartFile.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VFlat.h"

namespace {

constexpr ChunkId kBadgeIcon = MakeChunkId(2, 54);
constexpr ChunkId kBumpSound = MakeChunkId(7, 13);
constexpr int32_t kBumpVolume = 127;
constexpr int32_t kLightlessMinStates = 64;
constexpr uint32_t kSirenPipe = 8;
constexpr float kStandingSpeed = 0.001f;

CPlayer* GamePlayer() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

} // namespace

CGRoadRace::CGRoadRace(const char* name, uint32_t classId, const RoadRaceRules& rules)
    : CGRace(name, classId), rules_(rules) {
    WatchKey(kKeyCtrl);
    SetExits(MiniGameExits{.world = rules.world,
                           .game = kRaceGame,
                           .startPanel = kIntroPanel,
                           .resultsPanel = kEndPanel,
                           .musicEntry = rules.musicEntry,
                           .leaveText = rules.leaveText,
                           .leavePicture = rules.leavePicture,
                           .self = rules.self,
                           .town = rules.town});
    arrivalClock_.duration = int32_t(kArrivalBoundMs);
}

CGRoadRace::~CGRoadRace() { ReleaseFinishProps(); }

size_t CGRoadRace::VehicleIndex() const {
    CPlayer* player = GamePlayer();
    return player && player->GetSelectedVehicle() == rules_.firstVehicle + 1 ? 1 : 0;
}

int32_t CGRoadRace::OnActivated() {
    world_ = rules_.world;
    Track().PropTypes().assign(rules_.propTypes.begin(), rules_.propTypes.end());
    Track().Decorations().assign(rules_.decorations.begin(), rules_.decorations.end());
    counterIcons_[0] = rules_.scoreIcon;
    counterIcons_[1] = kBadgeIcon;
    goalCount_ = 0;
    bonusTime_ = kBonusMs;
    const RoadRaceVehicle& chosen = rules_.vehicles[VehicleIndex()];
    vehiclePartId_ = chosen.part;
    Speed().startSpeed = chosen.startSpeed;
    Speed().targetSpeed = chosen.targetSpeed;
    // The start asks for three halves of each side: each is a new one for the finish to take.
    fillingFinishPool_ = 1;
    const int32_t result = CGRace::OnActivated();
    fillingFinishPool_ = 0;
    playedLevel_ = GetLevel();
    chargesLeft_ = uint16_t(10 * GetLevel() + 5);
    if (VFlat* vehicle = GetVehicle()) {
        vehicle->SetState(kNeutralState);
        vehicle->SetNeutralState(kNeutralState);
        vehicle->SetStepCount(1);
        vehicle->AttachProp(chosen.light);
    }
    CreateButtonPanel(kIntroPanel);
    // The intro panel pauses the race as it opens (the zoo's suspends itself, so not even the
    // start's delay of the voice lines runs out): its lines are spoken over it all the same.
    if (CTLVApp* app = CTLVApp::Get(); app && app->GetMessageProcess()) app->GetMessageProcess()->Resume(1);
    for (int n = 0; n < rules_.introLines; ++n) Speak(n);
    return result;
}

void CGRoadRace::ReleaseFinishProps() {
    for (TLV_Object* prop : finishProps_) DeleteOwned(prop);
    finishProps_.clear();
}

void CGRoadRace::DeleteOwned(TLV_Object* prop) {
    if (prop->GetParent() == this) RemoveChild(prop);
    delete prop;
}

int32_t CGRoadRace::OnIdle() {
    StepEnd();
    return CGRace::OnIdle();
}

void CGRoadRace::StepEnd() {
    if (!Track().FinishMode()) {
        if (GetRaceClock().HasElapsed()) {
            Track().SetFinishMode(true);
            StopRaceClock();
        }
        return;
    }
    if (ended_) return;
    if (!arrivalStarted_) {
        arrivalStarted_ = 1;
        return;
    }
    auto& sections = Track().Sections();
    const bool finishThird = sections.size() > 2 && Track().FinishSection() != nullptr &&
                             sections[2] == Track().FinishSection();
    if (finishThird && !arriving_) {
        arriving_ = 1;
        arrivalClock_.Start(int32_t(kArrivalBoundMs));
    }
    if (!arriving_) return;
    float speed = 0.0f;
    if (VFlat* vehicle = GetVehicle()) {
        const Vec3& v = vehicle->GetVelocity();
        speed = std::sqrt(v.x * v.x + v.y * v.y);
    }
    // A vehicle that never comes to rest still arrives once the bound has run out.
    if (speed > kStandingSpeed && !arrivalClock_.HasElapsed()) {
        SetThrottle(false, false);
        return;
    }
    EndRace();
}

void CGRoadRace::EndRace() {
    ended_ = 1;
    endState_ = 0;
    CreateButtonPanel(kEndPanel);
    for (int n : EndLines(GetScore(), playedLevel_)) Speak(n);
    if (CPlayer* player = GamePlayer()) player->IncActivityLevel(rules_.world, kRaceGame);
}

void CGRoadRace::OnKey(uint32_t key) {
    if (key == kKeyCtrl && GetVehicle() != nullptr && !IsPanelShown(-1)) ToggleSiren();
    CGRace::OnKey(key);
}

void CGRoadRace::ToggleSiren() {
    VFlat* vehicle = GetVehicle();
    bool on = false;
    if (OActivityProp* light = vehicle->GetAttachedProp()) {
        on = !light->IsVisible();
        light->SetVisible(on ? 1 : 0, 1);
        light->SetPriority(vehicle->GetPriority() + 1);
    } else {
        if (!rules_.lightlessSiren || xProp_StateCount(vehicle) < kLightlessMinStates) return;
        on = vehicle->GetState() != kLightlessState;
        vehicle->SetState(on ? kLightlessState : kNeutralState);
    }
    if (on) PlaySound(rules_.sirenSound, kSirenPipe, 127);
    else if (OSoundProcess* sound = GameSound(); sound && sound->GetPipeCount() > kSirenPipe) sound->Stop(kSirenPipe);
    targetSpeed = Speed().targetSpeed;
}

int32_t CGRoadRace::OnLeftVergeHit(OActivityProp* prop, OActivityProp*) {
    if (prop != nullptr && prop == GetRaceVehicle()) PlaySound(kBumpSound, kAnyPipe, kBumpVolume);
    return 1;
}

int32_t CGRoadRace::OnRightVergeHit(OActivityProp* prop, OActivityProp* piece) {
    return OnLeftVergeHit(prop, piece);
}

int32_t CGRoadRace::KindOf(const OActivityProp* prop) {
    for (const CGRaceObjects::Entry& e : Track().Objects().Live()) {
        if (e.prop == prop) return e.kind;
    }
    return -1;
}

TLV_Object* CGRoadRace::MakeHiddenProp(ChunkId part) {
    auto* prop = new (std::nothrow) TLV_Object();
    if (prop == nullptr) return nullptr;
    prop->SetPartID(GameFile(), part, 1);
    AddChild(prop);
    prop->SetVisible(0, 0);
    return prop;
}

TLV_Object* CGRoadRace::MakeFinishProp(int32_t side) {
    const ChunkId part = rules_.finishParts[side & 1];
    // The start made three of each side hidden; the finish takes one of them.
    for (TLV_Object* prop : finishProps_) {
        if (fillingFinishPool_) break;
        ChunkId shown = kNullChunkId;
        prop->GetPartID(&shown);
        if (shown == part && !prop->IsVisible()) return prop;
    }
    TLV_Object* prop = MakeHiddenProp(part);
    if (prop) finishProps_.push_back(prop);
    return prop;
}

ChunkId CGRoadRace::PickPart(std::span<const ChunkId> parts) {
    CPartFile* file = GameFile();
    std::vector<ChunkId> held;
    for (ChunkId part : parts) {
        if (file && file->IsOpen() && file->ChunkExists(part)) held.push_back(part);
        else xTracef("%s : part {2, 0, %u} is missing\n", rules_.name, unsigned(ChunkEntryOf(part)));
    }
    return held.empty() ? kNullChunkId : held[size_t(xRand()) % held.size()];
}
