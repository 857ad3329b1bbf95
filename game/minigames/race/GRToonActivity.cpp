#include "game/minigames/race/GRToonActivity.h"

#include <array>
#include <new>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/data/PartFile.h"
#include "engine/media/SoundProcess.h"
#include "game/minigames/race/RaceKindLists.h"
#include "game/minigames/race/RacePickupFlash.h"
#include "game/minigames/race/RaceSection.h"
#include "game/shell/Captions.h"
#include "game/shell/Destructible.h"
#include "game/shell/PParticle.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/characters/DRacing.h"

namespace {

/// The sprays of each of the town's two vehicles; they land silently.
constexpr RaceShotKind kShots[2] = {
    {GRToon_Activity::kShotPart, 300, 450.0f, MakeChunkId(7, 65), PParticle::kNoSound},
    {GRToon_Activity::kShotPart, 350, 500.0f, MakeChunkId(7, 67), PParticle::kNoSound},
};

constexpr ChunkId kDecorations[] = {MakeChunkId(2, 167), MakeChunkId(2, 168)};
constexpr ChunkId kFireParts[] = {MakeChunkId(2, 267), MakeChunkId(2, 268), MakeChunkId(2, 269), MakeChunkId(2, 270)};
constexpr ChunkId kObstaclePart = MakeChunkId(2, 313);
constexpr ChunkId kBarrelParts[] = {MakeChunkId(2, 271), MakeChunkId(2, 33), MakeChunkId(2, 34), MakeChunkId(2, 251)};
constexpr ChunkId kFireworksParts[] = {MakeChunkId(2, 183), MakeChunkId(2, 184)};
constexpr ChunkId kRatPart = MakeChunkId(2, 58);
constexpr uint32_t kPlainClass = 1100;
constexpr uint32_t kPropTypes[GRToon_Activity::kKinds] = {1100, 1100, 1100, 1590, 1100, 2480};
constexpr float kFlashRise = 75.0f;
constexpr int32_t kFlashPriority = 32767;
constexpr int32_t kSmokePriority = 20000;
constexpr float kBarrelSpeedX = 300.0f, kBarrelSpeedY = -500.0f, kBarrelSpin = 1000.0f, kBarrelFall = 750.0f;

constexpr ChunkId kBumpSound = MakeChunkId(7, 13);

// Captions are Windows-1252: 0x92 is the right single quotation mark.
constexpr RoadRaceLine kLines[] = {
    {686, false, "The fireworks factory is on fire.  We\x92ve got to get there and fast!  "},
    {687, false, "Put out the fires and try to get to the factory as fast as you can."},
    {688, false, "Pick up fireworks to get a special shots.  Spray anything that gets in your way."},
    {689, false, "Spray the rats.  They will drop badges then pick them up. "},
    {690, false, "Get down there and be a real hero."},
    {691, false, "Let\x92s get moving!"},
    {308, true, "Watch out!"},
    {703, true, "Shoot fireworks to get a special bonus"},
    {704, true, "Way to go Fennmark hero!"},
    {705, true, "Put out as many fires as you can"},
    {706, true, "Get the fireworks."},
    {707, true, "Bonus three-way shot"},
    {708, true, "Great shot."},
    {709, true, "That\x92s the way to soak that fire"},
    {710, true, "You did it!  Good job."},
    {711, true, "Now you\x92re really moving  "},
    {699, false, "The fireworks factory is saved and in record time!  "},
    {698, false, "Do you want to play again or return to Rozodudurid?  "},
    {222, false, "You gotta spray the fires to save the factory! Are you ready to try again?  "},
    {223, false, "You finished all 3 levels! Do you want to keep going?  "},
    {387, true, "Bonus Boost!"},
};
[[maybe_unused]] const bool kLinesListed = captions::List(kLines);

const RoadRaceRules kRules{
    .name = "GRToon_Activity",
    .world = GRToon_Activity::kWorld,
    .firstVehicle = 0,
    .propTypes = kPropTypes,
    .decorations = kDecorations,
    .scoreIcon = MakeChunkId(2, 53),
    .vehicles = {{MakeChunkId(2, 209), MakeChunkId(2, 776), 80.0f, 175.0f},
                 {MakeChunkId(2, 87), MakeChunkId(2, 545), 100.0f, 250.0f}},
    .finishParts = {MakeChunkId(2, 940), MakeChunkId(2, 939)},
    .sirenSound = MakeChunkId(7, 45),
    .lightlessSiren = true,
    .introLines = 6,
    .lines = kLines,
    .endPicture = MakeChunkId(2, 1123),
    .introTexts = {MakeChunkId(17, 8), MakeChunkId(17, 79), MakeChunkId(17, 80)},
    .introTitle = MakeChunkId(17, 17),
    .introPictures = {MakeChunkId(2, 547), MakeChunkId(2, 1030)},
    .leavePicture = MakeChunkId(2, 1093),
    .leaveText = MakeChunkId(17, 250),
    .endFanfare = MakeChunkId(7, 575),
    .musicEntry = 562,
    .town = GRToon_Activity::kTown,
    .self = GRToon_Activity::kSelf,
};

} // namespace

GRToon_Activity::GRToon_Activity(const char* name, uint32_t classId) : CGRoadRace(name, classId, kRules) {}

GRToon_Activity::~GRToon_Activity() { ReleaseProps(); }

bool GRToon_Activity::IsA(uint32_t classId) const { return classId == kClassId || CGRoadRace::IsA(classId); }

int32_t GRToon_Activity::FlushSoundQueues() {
    for (CRacePickupFlash* flash : flashes_) RemoveChild(flash);
    for (PParticle* shot : volleys_.Shots()) RemoveChild(shot);
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
    volleys_.Release(this);
    drop(smoke_);
    drop(flashes_);
    ReleaseFinishProps();
}

int32_t GRToon_Activity::OnIdle() {
    volleys_.Step(this, GameFile(), GetVehicle(), ShotKind());
    return CGRoadRace::OnIdle();
}

std::vector<int> GRToon_Activity::ClosingLines(uint16_t score, int32_t level) {
    return {score > 0 ? 16 : 18, level == 3 ? 19 : 17};
}

void GRToon_Activity::Pause() {
    volleys_.Pause();
    CGRoadRace::Pause();
}

void GRToon_Activity::Resume() {
    if (!IsPanelShown(-1)) volleys_.Resume();
    CGRoadRace::Resume();
}

void GRToon_Activity::ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t,
                                     bool finish) {
    CGRace::ScatterObjects(chosen, kinds, int16_t(5 + (xRand() & 3)), finish);
    if (!finish) ConvertKinds(chosen, kinds);
}

void GRToon_Activity::ConvertKinds(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds) {
    if (Track().Objects().CountOfKind(kRat, kKinds) >= kRatLimit) {
        xRaceKinds_RemoveWhere(chosen, kinds, [](int32_t kind) { return kind == kRat; });
    }
    // Two to four fires stay, all of them when there are fewer.
    const std::vector<size_t> fires = xRaceKinds_Shuffled(kinds, kFire);
    const size_t keepFires = size_t(2 + xRand() % 3);
    for (size_t i = keepFires; i < fires.size(); ++i) kinds[fires[i]] = -1;
    xRaceKinds_RemoveWhere(chosen, kinds, [](int32_t kind) { return kind < 0; });
    xRaceKinds_KeepSome(kinds, kFireworks, size_t(xRand() % 2), kBarrel);
    for (int32_t& kind : kinds) {
        if (kind == kBadge) kind = kBarrel;
    }
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
            PlaySound(kBumpSound, kAnyPipe, 127);
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
            // A prop's acceleration is held to its maximum, none unless set: without it the
            // barrel would rise for ever instead of falling back.
            barrel->SetMaxAcceleration(kBarrelFall, 0);
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

ChunkId GRToon_Activity::PartForKind(int32_t kind, uint32_t classId) {
    if (kind < 0 || kind >= kKinds || kPropTypes[kind] != classId) return kNullChunkId;
    switch (kind) {
    case kFire: return PickPart(kFireParts);
    case kBadge: return PickPart(std::array{kBadgePart});
    case kObstacle: return PickPart(std::array{kObstaclePart});
    case kBarrel: return PickPart(kBarrelParts);
    case kFireworks: return PickPart(kFireworksParts);
    case kRat: return PickPart(std::array{kRatPart});
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

const RaceShotKind& GRToon_Activity::ShotKind() const { return kShots[VehicleIndex()]; }

void GRToon_Activity::Fire() {
    if (GetBurstShotsLeft() > 0) return;
    volleys_.Start(this, GameFile(), GetVehicle(), ShotKind(), IsBonusClockRunning());
    RestartClock();
}

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
    volleys_.Shift(by);
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
