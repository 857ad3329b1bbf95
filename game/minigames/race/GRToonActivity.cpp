#include "game/minigames/race/GRToonActivity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <new>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/data/PartFile.h"
#include "engine/media/SoundProcess.h"
#include "game/minigames/race/RacePickupFlash.h"
#include "game/minigames/race/RaceSection.h"
#include "game/shell/Destructible.h"
#include "game/shell/Headings.h"
#include "game/shell/PParticle.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/characters/DRacing.h"
#include "game/world/vehicles/VFlat.h"

namespace {

/// What the race sets up for each of the town's two vehicles.
struct ToonVehicle {
    ChunkId part;
    ChunkId light;
    float startSpeed;
    float targetSpeed;
    uint32_t shotMs;
    float shotRange;
    ChunkId shotSound;
};
constexpr ToonVehicle kVehicles[2] = {
    {MakeChunkId(2, 209), MakeChunkId(2, 776), 80.0f, 175.0f, 300, 450.0f, MakeChunkId(7, 65)},
    {MakeChunkId(2, 87), MakeChunkId(2, 545), 100.0f, 250.0f, 350, 500.0f, MakeChunkId(7, 67)},
};

constexpr ChunkId kDecorations[] = {MakeChunkId(2, 167), MakeChunkId(2, 168)};
constexpr ChunkId kScoreIcon = MakeChunkId(2, 53);
constexpr ChunkId kBadgeIcon = MakeChunkId(2, 54);
constexpr ChunkId kFinishParts[2] = {MakeChunkId(2, 940), MakeChunkId(2, 939)}; // by side
constexpr ChunkId kFireParts[] = {MakeChunkId(2, 267), MakeChunkId(2, 268), MakeChunkId(2, 269), MakeChunkId(2, 270)};
constexpr ChunkId kObstaclePart = MakeChunkId(2, 313);
constexpr ChunkId kBarrelParts[] = {MakeChunkId(2, 271), MakeChunkId(2, 33), MakeChunkId(2, 34), MakeChunkId(2, 251)};
constexpr ChunkId kFireworksParts[] = {MakeChunkId(2, 183), MakeChunkId(2, 184)};
constexpr ChunkId kRatPart = MakeChunkId(2, 58);
constexpr uint32_t kPlainClass = 1100;
constexpr uint32_t kPropTypes[GRToon_Activity::kKinds] = {1100, 1100, 1100, 1590, 1100, 2480};
constexpr ChunkId kBumpSound = MakeChunkId(7, 13);
constexpr ChunkId kSirenSound = MakeChunkId(7, 45);
constexpr int32_t kBumpVolume = 127;
constexpr int32_t kIntroLines = 6;
constexpr float kFlashRise = 75.0f;
constexpr int32_t kFlashPriority = 32767;
constexpr int32_t kSmokePriority = 20000;
constexpr int16_t kShotArc = 10;
constexpr float kBarrelSpeedX = 300.0f, kBarrelSpeedY = -500.0f, kBarrelSpin = 1000.0f, kBarrelFall = 750.0f;
constexpr int32_t kLightlessMinStates = 64;
constexpr uint32_t kSirenPipe = 8;
constexpr float kStandingSpeed = 0.001f;

/// One of the pictures the part file holds, at random; a missing one is traced and left out.
template <class T>
ChunkId Pick(CPartFile* file, const T& parts) {
    ChunkId held[std::size(parts)];
    size_t count = 0;
    for (ChunkId part : parts) {
        if (file && file->IsOpen() && file->ChunkExists(part)) held[count++] = part;
        else xTracef("GRToon_Activity : part {2, 0, %u} is missing\n", unsigned(ChunkEntryOf(part)));
    }
    return count == 0 ? kNullChunkId : held[size_t(xRand()) % count];
}

CPlayer* GamePlayer() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

const ToonVehicle& VehicleOf() {
    CPlayer* player = GamePlayer();
    return kVehicles[player && player->GetSelectedVehicle() == 1 ? 1 : 0];
}

/// Takes out the entries that answer true, keeping the two lists in step.
template <class Pred>
void RemoveWhere(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, Pred remove) {
    size_t kept = 0;
    for (size_t i = 0; i < chosen.size() && i < kinds.size(); ++i) {
        if (remove(kinds[i])) continue;
        chosen[kept] = chosen[i];
        kinds[kept] = kinds[i];
        ++kept;
    }
    chosen.resize(kept);
    kinds.resize(kept);
}

/// The indices of the points of a kind, shuffled.
std::vector<size_t> Shuffled(const std::vector<int32_t>& kinds, int32_t kind) {
    std::vector<size_t> at;
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i] == kind) at.push_back(i);
    }
    for (size_t i = at.size(); i > 1; --i) std::swap(at[i - 1], at[size_t(xRand()) % i]);
    return at;
}

} // namespace

GRToon_Activity::GRToon_Activity(const char* name, uint32_t classId) : CGRace(name, classId) {
    WatchKey(kKeyCtrl);
    burstClock_.duration = kBurstMs;
    arrivalClock_.duration = int32_t(kArrivalBoundMs);
}

GRToon_Activity::~GRToon_Activity() { ReleaseProps(); }

bool GRToon_Activity::IsA(uint32_t classId) const { return classId == kClassId || CGRace::IsA(classId); }

int32_t GRToon_Activity::OnActivated() {
    world_ = kWorld;
    Track().PropTypes().assign(std::begin(kPropTypes), std::end(kPropTypes));
    Track().Decorations().assign(std::begin(kDecorations), std::end(kDecorations));
    counterIcons_[0] = kScoreIcon;
    counterIcons_[1] = kBadgeIcon;
    goalCount_ = 0;
    bonusTime_ = kBonusMs;
    const ToonVehicle& chosen = VehicleOf();
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
    for (int n = 0; n < kIntroLines; ++n) Speak(n);
    return result;
}

int32_t GRToon_Activity::FlushSoundQueues() {
    for (CRacePickupFlash* flash : flashes_) RemoveChild(flash);
    for (PParticle* shot : shots_) RemoveChild(shot);
    const int32_t result = CGRace::FlushSoundQueues();
    // Nothing of the race's own outlives its stop, whoever deletes the children afterwards.
    ReleaseProps();
    return result;
}

void GRToon_Activity::ReleaseProps() {
    auto drop = [this](auto& list) {
        for (auto* prop : list) {
            if (prop->GetParent() == this) RemoveChild(prop);
            delete prop;
        }
        list.clear();
    };
    drop(shots_);
    drop(smoke_);
    drop(flashes_);
    drop(finishProps_);
}

int32_t GRToon_Activity::OnIdle() {
    if (burstShotsLeft_ > 0 && burstClock_.HasElapsed()) {
        FireVolley();
        if (--burstShotsLeft_ > 0) burstClock_.Restart();
        else burstClock_.Stop();
    }
    StepEnd();
    return CGRace::OnIdle();
}

void GRToon_Activity::StepEnd() {
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

void GRToon_Activity::EndRace() {
    ended_ = 1;
    endState_ = 0;
    CreateButtonPanel(kEndPanel);
    for (int n : ClosingLines(GetScore(), playedLevel_)) Speak(n);
    if (CPlayer* player = GamePlayer()) player->IncActivityLevel(kWorld, kRaceGame);
}

std::vector<int> GRToon_Activity::ClosingLines(uint16_t score, int32_t level) {
    return {score > 0 ? 16 : 18, level == 3 ? 19 : 17};
}

void GRToon_Activity::Pause() {
    burstClock_.Pause();
    CGRace::Pause();
}

void GRToon_Activity::Resume() {
    if (!IsPanelShown(-1)) burstClock_.Resume();
    CGRace::Resume();
}

void GRToon_Activity::OnKey(uint32_t key) {
    if (key == kKeyCtrl && GetVehicle() != nullptr && !IsPanelShown(-1)) ToggleSiren();
    CGRace::OnKey(key);
}

void GRToon_Activity::ToggleSiren() {
    VFlat* vehicle = GetVehicle();
    bool on = false;
    if (OActivityProp* light = vehicle->GetAttachedProp()) {
        on = !light->IsVisible();
        light->SetVisible(on ? 1 : 0, 1);
        light->SetPriority(vehicle->GetPriority() + 1);
    } else {
        if (xProp_StateCount(vehicle) < kLightlessMinStates) return;
        on = vehicle->GetState() != kLightlessState;
        vehicle->SetState(on ? kLightlessState : kNeutralState);
    }
    if (on) PlaySound(kSirenSound, kSirenPipe, 127);
    else if (OSoundProcess* sound = GameSound(); sound && sound->GetPipeCount() > kSirenPipe) sound->Stop(kSirenPipe);
    targetSpeed = Speed().targetSpeed;
}

void GRToon_Activity::ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t,
                                     bool finish) {
    CGRace::ScatterObjects(chosen, kinds, int16_t(5 + (xRand() & 3)), finish);
    if (!finish) ConvertKinds(chosen, kinds);
}

void GRToon_Activity::ConvertKinds(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds) {
    if (Track().Objects().CountOfKind(kRat, kKinds) >= kRatLimit) {
        RemoveWhere(chosen, kinds, [](int32_t kind) { return kind == kRat; });
    }
    // Two to four fires stay, all of them when there are fewer.
    const std::vector<size_t> fires = Shuffled(kinds, kFire);
    const size_t keepFires = size_t(2 + xRand() % 3);
    for (size_t i = keepFires; i < fires.size(); ++i) kinds[fires[i]] = -1;
    RemoveWhere(chosen, kinds, [](int32_t kind) { return kind < 0; });
    const std::vector<size_t> fireworks = Shuffled(kinds, kFireworks);
    const size_t keepFireworks = size_t(xRand() % 2);
    for (size_t i = keepFireworks; i < fireworks.size(); ++i) kinds[fireworks[i]] = kBarrel;
    for (int32_t& kind : kinds) {
        if (kind == kBadge) kind = kBarrel;
    }
}

int32_t GRToon_Activity::OnLeftVergeHit(OActivityProp* prop, OActivityProp*) {
    if (prop != nullptr && prop == GetRaceVehicle()) PlaySound(kBumpSound, kAnyPipe, kBumpVolume);
    return 1;
}

int32_t GRToon_Activity::OnRightVergeHit(OActivityProp* prop, OActivityProp* piece) {
    return OnLeftVergeHit(prop, piece);
}

int32_t GRToon_Activity::KindOf(const OActivityProp* prop) {
    for (const CGRaceObjects::Entry& e : Track().Objects().Live()) {
        if (e.prop == prop) return e.kind;
    }
    return -1;
}

int32_t GRToon_Activity::OnObjectHit(OActivityProp* prop, OActivityProp* other) {
    if (prop == nullptr || other == nullptr) return 1;
    const int32_t kind = KindOf(other);
    const bool fresh = other->GetState() == 0;
    if (prop == GetRaceVehicle()) {
        switch (kind) {
        case kBadge:
            CountGoal();
            RemoveObject(other);
            break;
        case kObstacle:
        case kBarrel:
            if (!fresh) break;
            other->SetState(1);
            RetireObject(other, false);
            PlaySound(kBumpSound, kAnyPipe, kBumpVolume);
            break;
        case kFireworks:
            ShowFlash(CPointF(prop->GetPosition().x, prop->GetPosition().y - kFlashRise));
            RemoveObject(other);
            ++fireworksPickedUp_;
            StartBonusClock(0);
            if (xRand() % 3 == 0) Speak(11);
            break;
        case kRat:
            if (other->IsA(DRacing::kClassId)) static_cast<DRacing*>(other)->OnContact(static_cast<TLV_Object*>(prop));
            break;
        default: break;
        }
        return 1;
    }
    if (!prop->IsA(PParticle::kClassId)) return 1;
    switch (kind) {
    case kFire:
        if (!fresh) return 1;
        if (Smoke* puff = FreeSmoke()) {
            puff->SetPosition(other->GetPosition(), 0, 1);
            puff->SetPriority(kSmokePriority);
            puff->SetState(0);
            puff->SetVisible(1, 1);
        }
        DecRemaining(other);
        ++chargesLeft_;
        RemoveObject(other);
        return 1;
    case kObstacle:
        if (!fresh) return 1;
        other->SetState(1);
        RetireObject(other, false);
        return 1;
    case kBarrel: {
        if (!fresh) return 1;
        other->SetState(1);
        RetireObject(other, false);
        if (other->IsA(TLVComplex_Object::kClassId)) {
            auto* barrel = static_cast<TLVComplex_Object*>(other);
            const float half = GetScrollOffset().x + float(GetStageWidth()) * 0.5f;
            barrel->SetVelocity(Vec3(other->GetPosition().x > half ? kBarrelSpeedX : -kBarrelSpeedX, kBarrelSpeedY, 0.0f), 0);
            barrel->SetSpin(kBarrelSpin, 0);
            barrel->SetAcceleration(Vec3(0.0f, kBarrelFall, 0.0f), 0);
        }
        return 1;
    }
    case kRat: {
        if (other->IsA(DRacing::kClassId)) static_cast<DRacing*>(other)->OnContact(static_cast<TLV_Object*>(prop));
        firstRatHit_ = 1;
        const int say = xRand() & 3;
        if (say == 0) Speak(6);
        else if (say == 1) Speak(12);
        return 1;
    }
    default: return 0;
    }
}

TLV_Object* GRToon_Activity::MakeHiddenProp(ChunkId part) {
    auto* prop = new (std::nothrow) TLV_Object();
    if (prop == nullptr) return nullptr;
    prop->SetPartID(GameFile(), part, 1);
    AddChild(prop);
    prop->SetVisible(0, 0);
    return prop;
}

TLV_Object* GRToon_Activity::MakeFinishProp(int32_t side) {
    const ChunkId part = kFinishParts[side & 1];
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

ChunkId GRToon_Activity::PartForKind(int32_t kind, uint32_t classId) {
    if (kind < 0 || kind >= kKinds || kPropTypes[kind] != classId) return kNullChunkId;
    CPartFile* file = GameFile();
    switch (kind) {
    case kFire: return Pick(file, kFireParts);
    case kBadge: return Pick(file, std::array{kBadgePart});
    case kObstacle: return Pick(file, std::array{kObstaclePart});
    case kBarrel: return Pick(file, kBarrelParts);
    case kFireworks: return Pick(file, kFireworksParts);
    case kRat: return Pick(file, std::array{kRatPart});
    default: return kNullChunkId;
    }
}

void GRToon_Activity::PreloadPools() {
    // Each made prop stays shown until all are made, so that the pools make new ones rather
    // than hand the same one back.
    CGRacePools& pools = Track().Pools();
    std::vector<TLV_Object*> made;
    CPartFile* file = GameFile();
    auto spawn = [&](uint32_t classId, ChunkId part) {
        if (!file || !file->IsOpen() || !file->ChunkExists(part)) return;
        if (TLV_Object* prop = pools.Spawn(classId, part)) {
            prop->SetVisible(1, 0);
            made.push_back(prop);
        }
    };
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 4; ++i) spawn(kPlainClass, kFireworksParts[0]);
        for (ChunkId part : kFireworksParts) spawn(kPlainClass, part);
        spawn(Token::kClassId, kFireworksParts[0]);
        for (ChunkId part : kBarrelParts) spawn(RDestructible::kClassId, part);
        for (ChunkId part : kFireworksParts) spawn(kPlainClass, part);
        spawn(DRacing::kClassId, kRatPart);
    }
    for (TLV_Object* prop : made) prop->SetVisible(0, 0);
}

void GRToon_Activity::Fire() {
    if (burstShotsLeft_ > 0) return;
    burstClock_.Start(kBurstMs);
    burstThreeWay_ = IsBonusClockRunning() ? 1 : 0;
    FireVolley();
    burstShotsLeft_ = kMoreShots;
    RestartClock();
}

void GRToon_Activity::FireVolley() {
    VFlat* vehicle = GetVehicle();
    if (vehicle == nullptr) return;
    const ToonVehicle& chosen = VehicleOf();
    const int32_t heading = vehicle->GetNeutralState() - vehicle->GetStep();
    CPointF from = vehicle->GetPosition();
    vehicle->GetAnchorPoint(&from);
    const CPoint16 start(int16_t(from.x), int16_t(from.y));
    std::vector<PParticle*> volley;
    const int32_t spread = burstThreeWay_ ? 1 : 0;
    for (int32_t h = heading - spread; h <= heading + spread; ++h) {
        PParticle* shot = FreeShot(volley);
        if (shot == nullptr) return;
        volley.push_back(shot);
        const CHeading& d = kHeadings[size_t(((h % kHeadingCount) + kHeadingCount) % kHeadingCount)];
        const CPoint16 target(int16_t(from.x + d.x * chosen.shotRange), int16_t(from.y + d.y * chosen.shotRange));
        shot->SetLaunchSound(chosen.shotSound);
        shot->SetPosition(from, 0, 1);
        const float perSecond = chosen.shotRange * 1000.0f / float(chosen.shotMs);
        shot->SetVelocity(Vec3(d.x * perSecond, d.y * perSecond, 0.0f), 0);
        shot->Launch(start, kShotArc, target, chosen.shotMs, 1.0f);
        shot->Start(0);
    }
}

PParticle* GRToon_Activity::FreeShot(const std::vector<PParticle*>& volley) {
    for (PParticle* shot : shots_) {
        if (!shot->IsShownThroughParents() && std::find(volley.begin(), volley.end(), shot) == volley.end()) return shot;
    }
    auto* shot = new (std::nothrow) PParticle();
    if (shot == nullptr) return nullptr;
    shot->SetPartID(GameFile(), kShotPart, 1);
    shot->SetFrameHook(&ShotHook);
    AddChild(shot);
    shot->SetVisible(0, 0);
    shots_.push_back(shot);
    return shot;
}

bool GRToon_Activity::ShotHook(TLV_Object* shot) { return CGRace::HitTestCallback(shot); }

Smoke* GRToon_Activity::FreeSmoke() {
    for (Smoke* puff : smoke_) {
        if (!puff->IsVisible()) return puff;
    }
    auto* puff = new (std::nothrow) Smoke();
    if (puff == nullptr) return nullptr;
    puff->SetPartID(GameFile(), kSmokePart, 1);
    AddChild(puff);
    puff->SetVisible(0, 0);
    smoke_.push_back(puff);
    return puff;
}

void GRToon_Activity::ShowFlash(const CPointF& at) {
    CRacePickupFlash* flash = nullptr;
    for (CRacePickupFlash* f : flashes_) {
        if (!f->IsVisible()) flash = f;
    }
    if (flash == nullptr) {
        flash = new (std::nothrow) CRacePickupFlash();
        if (flash == nullptr) return;
        flash->SetPartID(GameFile(), kFlashPart, 1);
        AddChild(flash);
        flashes_.push_back(flash);
    }
    flash->SetPriority(kFlashPriority);
    flash->SetPosition(at, 0, 1);
    flash->SetState(0);
    flash->SetVisible(1, 1);
}

void GRToon_Activity::ShiftObjects(float dy, float dx) {
    const CPointF by(dx, dy);
    for (Smoke* puff : smoke_) {
        if (puff->IsVisible()) puff->SetPosition(by, 1, 1);
    }
    for (PParticle* shot : shots_) {
        if (shot->IsVisible()) shot->SetPosition(by, 1, 1);
    }
    for (CRacePickupFlash* flash : flashes_) {
        if (flash->IsVisible()) flash->SetPosition(by, 1, 1);
    }
    CGRace::ShiftObjects(dy, dx);
}

void GRToon_Activity::DropBadge(const CPointF& at) {
    TLV_Object* badge = Track().Pools().Spawn(kPropTypes[kBadge], kBadgePart);
    if (badge == nullptr) {
        xTracef("GRToon_Activity : no badge to drop\n");
        return;
    }
    badge->SetPosition(at, 0, 1);
    badge->SetState(0);
    badge->SetVisible(1, 1);
    Track().Objects().AddLive(badge, kBadge);
}
