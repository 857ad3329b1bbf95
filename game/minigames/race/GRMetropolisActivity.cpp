#include "game/minigames/race/GRMetropolisActivity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "game/minigames/race/RaceKindLists.h"
#include "game/shell/Captions.h"
#include "game/shell/PParticle.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/characters/DRacing.h"
#include "game/world/vehicles/VFlat.h"

namespace {

constexpr uint32_t kPropTypes[GRMetropolis_Activity::kKinds] = {1100, 1100, 1100, 1510, 1510, 1100, 2480};
constexpr ChunkId kCrookJunkParts[] = {MakeChunkId(2, 758), MakeChunkId(2, 760)};
constexpr ChunkId kLootParts[] = {MakeChunkId(2, 831), MakeChunkId(2, 832), MakeChunkId(2, 833), MakeChunkId(2, 834)};
constexpr ChunkId kJunkParts[] = {MakeChunkId(2, 753), MakeChunkId(2, 754), MakeChunkId(2, 755), MakeChunkId(2, 759),
                                  MakeChunkId(2, 763), MakeChunkId(2, 761), MakeChunkId(2, 752), MakeChunkId(2, 756)};
constexpr ChunkId kBumpableParts[] = {MakeChunkId(2, 755), MakeChunkId(2, 759), MakeChunkId(2, 763),
                                      MakeChunkId(2, 761), MakeChunkId(2, 752), MakeChunkId(2, 756)};
constexpr ChunkId kPowerUpParts[2] = {MakeChunkId(2, 1070), MakeChunkId(2, 1071)}; // by vehicle
constexpr ChunkId kCrookParts[] = {MakeChunkId(2, 742), MakeChunkId(2, 743)};
constexpr ChunkId kEngineSounds[2] = {MakeChunkId(7, 37), MakeChunkId(7, 41)}; // by vehicle

/// The canisters of each of the city's two vehicles.
constexpr RaceShotKind kShots[2] = {
    {MakeChunkId(2, 675), 500, 450.0f, MakeChunkId(7, 108), MakeChunkId(7, 779)},
    {MakeChunkId(2, 676), 400, 500.0f, MakeChunkId(7, 108), MakeChunkId(7, 779)},
};

/// The lines a crook gassed may draw, by rand() mod 10 (the rest say nothing).
constexpr int kCrookLines[] = {6, 8, 10, 11, 12};

// Captions are Windows-1252: 0x92 and 0x91 are the right and left single quotation marks.
constexpr RoadRaceLine kLines[] = {
    {959, false, "The criminals have stolen the money and are hiding inside the junked furniture and boxes. "},
    {960, false,
     "Toss your canisters of laughing gas at the objects you see to reveal the criminals get them to drop the loot."},
    {961, false, "Collect as much loot as you can before you get to the police station. "},
    {962, false, "Let\x92s get to work!"},
    {972, true, "Shoot the objects to find the crooks."},
    {973, true, "Slow \x91" "em down with your gas canisters and then pick up the dropped loot."},
    {974, true, "Get the money bag."},
    {975, true, "That\x92s the way.  "},
    {976, true, "Get that money"},
    {977, true, "I knew you could do it!"},
    {978, true, "Wow.  That\x92s good shooting!"},
    {980, true, "Wow!  Only a hero can shoot like that!"},
    {981, true, "You found him. Get his dropped loot."},
    {983, true, "Shoot everything in the road to find the criminals"},
    {970, false, "You are a Hero!  Good work!  "},
    {968, false, "Do you want to play again or return to Rododizeda?"},
    {1095, false,
     "That was tricky! You gotta shoot stuff to find the crooks, then shoot the crooks to get the gold. Ready to try "
     "again?"},
};
[[maybe_unused]] const bool kLinesListed = captions::List(kLines);

const RoadRaceRules kRules{
    .name = "GRMetropolis_Activity",
    .world = GRMetropolis_Activity::kWorld,
    .firstVehicle = 4,
    .propTypes = kPropTypes,
    .decorations = {},
    .scoreIcon = MakeChunkId(2, 895),
    .vehicles = {{MakeChunkId(2, 698), MakeChunkId(2, 678), 80.0f, 200.0f},
                 {MakeChunkId(2, 677), MakeChunkId(2, 700), 100.0f, 250.0f}},
    .finishParts = {MakeChunkId(2, 1064), MakeChunkId(2, 1063)},
    .sirenSound = MakeChunkId(7, 58),
    .lightlessSiren = false,
    .introLines = 4,
    .lines = kLines,
    .endPicture = MakeChunkId(2, 1127),
    .introTexts = {MakeChunkId(17, 39), MakeChunkId(17, 94), MakeChunkId(17, 100)},
    .introTitle = MakeChunkId(17, 32),
    .introPictures = {MakeChunkId(2, 1034), MakeChunkId(2, 952)},
    .leavePicture = MakeChunkId(2, 1094),
    .leaveText = MakeChunkId(17, 252),
    .endFanfare = MakeChunkId(7, 582),
    .musicEntry = 151,
    .town = GRMetropolis_Activity::kTown,
    .self = GRMetropolis_Activity::kSelf,
};

CPlayer* GamePlayer() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

} // namespace

GRMetropolis_Activity::GRMetropolis_Activity(const char* name, uint32_t classId) : CGRoadRace(name, classId, kRules) {}

GRMetropolis_Activity::~GRMetropolis_Activity() {
    volleys_.Release(this);
    ReleaseFinishProps();
}

bool GRMetropolis_Activity::IsA(uint32_t classId) const { return classId == kClassId || CGRoadRace::IsA(classId); }

int32_t GRMetropolis_Activity::OnActivated() {
    const int32_t result = CGRoadRace::OnActivated();
    PlayOnPipe3Ex(kEngineSounds[VehicleIndex()], kEngineRate, 1);
    return result;
}

int32_t GRMetropolis_Activity::FlushSoundQueues() {
    for (PParticle* shot : volleys_.Shots()) RemoveChild(shot);
    const int32_t result = CGRace::FlushSoundQueues();
    // Nothing of the race's own outlives its stop, whoever deletes the children afterwards.
    volleys_.Release(this);
    ReleaseFinishProps();
    return result;
}

int32_t GRMetropolis_Activity::OnIdle() {
    volleys_.Step(this, GameFile(), GetVehicle(), ShotKind());
    if (HoldsPipe3Rate()) SetPipe3Rate(EngineRate(std::hypot(scrollVelocity.x, scrollVelocity.y)));
    return CGRoadRace::OnIdle();
}

int32_t GRMetropolis_Activity::EngineRate(float speed) {
    // (speed / speed + 1) x 11025: twice the rate while the road moves; a standing road keeps
    // the base rate rather than dividing nothing by nothing.
    if (!(speed > 0.0f)) return kEngineRate;
    return int32_t((speed / speed + 1.0f) * float(kEngineRate));
}

void GRMetropolis_Activity::Pause() {
    volleys_.Pause();
    CGRoadRace::Pause();
}

void GRMetropolis_Activity::Resume() {
    if (!IsPanelShown(-1)) volleys_.Resume();
    CGRoadRace::Resume();
}

void GRMetropolis_Activity::OnButton(int16_t panel, int16_t button) {
    // Quitting the game from the race costs a level; the menu's quit button only asks.
    if (panel == kPanelQuit && button == 1) {
        if (CPlayer* player = GamePlayer()) player->DecActivityLevel(kWorld, kRaceGame);
    }
    CGRoadRace::OnButton(panel, button);
}

void GRMetropolis_Activity::ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t,
                                           bool finish) {
    CGRace::ScatterObjects(chosen, kinds, int16_t(5 + xRand() % 5), finish);
    if (!finish) ConvertKinds(kinds);
}

void GRMetropolis_Activity::ConvertKinds(std::vector<int32_t>& kinds) {
    // As many crook junk stay as charges are left over the crook junk already out; never fewer
    // than none.
    const int32_t out = Track().Objects().CountOfKind(kCrookJunk, kKinds);
    const size_t keep = size_t(std::max(int32_t(chargesLeft_) - out, 0));
    const std::vector<size_t> goals = xRaceKinds_Shuffled(kinds, kCrookJunk);
    for (size_t i = 0; i < goals.size(); ++i) {
        if (i < keep) {
            xTracef("Removing goal item\n");
        } else {
            xTracef("Converting goal to bumpable\n");
            kinds[goals[i]] = kBumpable;
        }
    }
    const std::vector<size_t> powerUps = xRaceKinds_Shuffled(kinds, kPowerUp);
    const size_t keepPowerUps = size_t(xRand() % 2);
    for (size_t i = keepPowerUps; i < powerUps.size(); ++i) {
        xTracef("Converting power-up to bumpable\n");
        kinds[powerUps[i]] = kBumpable;
    }
    // The road places neither loot, tokens nor crooks: they come out of the junk.
    for (int32_t& kind : kinds) {
        if (kind == kCrook || kind == kLoot || kind == kToken) kind = kBumpable;
    }
}

std::vector<int> GRMetropolis_Activity::ClosingLines(uint16_t score) {
    if (score == 0) return {16};
    return {14, 15};
}

int32_t GRMetropolis_Activity::OnObjectHit(OActivityProp* prop, OActivityProp* other) {
    if (prop == nullptr || other == nullptr) return 1;
    const int32_t kind = KindOf(other);
    const bool fresh = other->GetState() == 0;
    if (prop == GetRaceVehicle()) {
        switch (kind) {
        case kCrookJunk:
            if (!fresh) break;
            other->SetState(1);
            RetireObject(other, false);
            PlayPropSound(other);
            break;
        case kLoot:
            DecRemaining(other);
            ++chargesLeft_;
            RemoveObject(other);
            PlaySound(kLootSound, kAnyPipe, 127);
            break;
        case kToken:
            CountGoal();
            RemoveObject(other);
            break;
        case kJunk:
        case kBumpable:
            if (!fresh) break;
            other->SetState(1);
            RetireObject(other, false);
            PlayPropSound(other);
            if ((xRand() & 7) == 0) Speak(4);
            break;
        case kPowerUp:
            RemoveObject(other);
            StartBonusClock(0);
            PlaySound(kPowerUpSound, kAnyPipe, 127);
            break;
        default: break;
        }
        return 1;
    }
    if (!prop->IsA(PParticle::kClassId)) return 1;
    switch (kind) {
    case kCrookJunk:
        if (!fresh) return 1;
        other->SetState(1);
        LetCrookOut(other);
        return 1;
    case kJunk:
    case kBumpable:
        if (!fresh) return 1;
        other->SetState(1);
        RetireObject(other, false);
        if (xRand() % 4 == 0) {
            const CPointF at = other->GetPosition();
            Drop(kToken, kTokenPart, CPointF(at.x, at.y + kTokenDrop));
        }
        return 1;
    case kCrook: {
        if (other->IsA(DRacing::kClassId)) static_cast<DRacing*>(other)->OnContact(static_cast<TLV_Object*>(prop));
        const int say = xRand() % 10;
        if (say < int(std::size(kCrookLines))) Speak(kCrookLines[say]);
        return 1;
    }
    default: return 0;
    }
}

void GRMetropolis_Activity::LetCrookOut(OActivityProp* junk) {
    const ChunkId part = PartForKind(kCrook, DRacing::kClassId);
    TLV_Object* crook = part == kNullChunkId ? nullptr : Track().Pools().Spawn(DRacing::kClassId, part);
    if (crook == nullptr) {
        xTracef("GRMetropolis_Activity : no crook to let out\n");
        return;
    }
    crook->SetPosition(junk->GetPosition(), 0, 1);
    crook->SetState(0);
    crook->SetVisible(1, 1);
    crook->UpdateZOrder();
    if (crook->GetShadow() == nullptr) crook->CreateShadow();
    Track().Objects().AddLive(crook, kCrook);
}

ChunkId GRMetropolis_Activity::PartForKind(int32_t kind, uint32_t classId) {
    if (kind < 0 || kind >= kKinds || kPropTypes[kind] != classId) return kNullChunkId;
    switch (kind) {
    case kCrookJunk: return PickPart(kCrookJunkParts);
    case kLoot: return PickPart(kLootParts);
    case kToken: return PickPart(std::array{kTokenPart});
    case kJunk: return PickPart(kJunkParts);
    case kBumpable: return PickPart(kBumpableParts);
    case kPowerUp: return PickPart(std::array{kPowerUpParts[VehicleIndex()]});
    case kCrook: return PickPart(kCrookParts);
    default: return kNullChunkId;
    }
}

const RaceShotKind& GRMetropolis_Activity::ShotKind() const { return kShots[VehicleIndex()]; }

void GRMetropolis_Activity::Fire() {
    if (GetBurstShotsLeft() > 0) return;
    volleys_.Start(this, GameFile(), GetVehicle(), ShotKind(), IsBonusClockRunning());
    RestartClock();
}

void GRMetropolis_Activity::ShiftObjects(float dy, float dx) {
    volleys_.Shift(CPointF(dx, dy));
    CGRace::ShiftObjects(dy, dx);
}

void GRMetropolis_Activity::DropRandomItem(const CPointF& at) {
    // Loot only while the charges left exceed the loot already out.
    if (int32_t(chargesLeft_) <= Track().Objects().CountOfKind(kLoot, kKinds)) return;
    Drop(kLoot, kLootParts[size_t(xRand()) % std::size(kLootParts)], at);
}

void GRMetropolis_Activity::DropToken(const CPointF& at) { Drop(kToken, kTokenPart, at); }

TLV_Object* GRMetropolis_Activity::Drop(int32_t kind, ChunkId part, const CPointF& at) {
    TLV_Object* item = Track().Pools().Spawn(kPropTypes[kind], part);
    if (item == nullptr) {
        xTracef("GRMetropolis_Activity : no item of kind %d to drop\n", int(kind));
        return nullptr;
    }
    item->SetPosition(at, 0, 1);
    item->SetState(0);
    item->SetVisible(1, 1);
    item->UpdateZOrder();
    item->SetPriority(item->GetPriority() + kDropPriority);
    Track().Objects().AddLive(item, kind);
    return item;
}
