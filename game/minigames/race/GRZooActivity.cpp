#include "game/minigames/race/GRZooActivity.h"

#include <array>
#include <iterator>
#include <new>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "game/minigames/race/RaceKindLists.h"
#include "game/shell/Captions.h"
#include "game/shell/PBeam.h"
#include "game/world/characters/DRacing.h"
#include "game/world/vehicles/VFlat.h"

namespace {

constexpr uint32_t kPropTypes[GRZoo_Activity::kKinds] = {1100, 1100, 1510, 1100, 2480};
constexpr ChunkId kDecorations[] = {MakeChunkId(2, 484), MakeChunkId(2, 490), MakeChunkId(2, 491), MakeChunkId(2, 489)};
constexpr ChunkId kClothesParts[] = {MakeChunkId(2, 712), MakeChunkId(2, 713), MakeChunkId(2, 714), MakeChunkId(2, 715),
                                     MakeChunkId(2, 716)};
constexpr ChunkId kObstacleParts[] = {MakeChunkId(2, 387), MakeChunkId(2, 33), MakeChunkId(2, 34), MakeChunkId(2, 271),
                                      MakeChunkId(2, 391)};
constexpr ChunkId kFlashlightPart = MakeChunkId(2, 503);
constexpr ChunkId kMonkeyPart = MakeChunkId(2, 601);
/// The obstacle whose bump may draw a warning.
constexpr uint16_t kWarningObstacle = 711;
constexpr ChunkId kBonusSound = MakeChunkId(7, 5);

/// The beam of each of the town's two vehicles.
struct ZooBeam {
    ChunkId part;
    ChunkId sound;
};
constexpr ZooBeam kBeams[2] = {{MakeChunkId(2, 1072), MakeChunkId(7, 129)}, {MakeChunkId(2, 1109), MakeChunkId(7, 130)}};

// Captions are Windows-1252: 0x92 is the right single quotation mark.
constexpr RoadRaceLine kLines[] = {
    {840, false, "The monkeys are on the loose and they are causing lots of trouble.  "},
    {841, false, "Secure the monkeys by shining them with your spot light beam and then pick up the clothes they drop. "},
    {996, false, "Pick up as many items of clothing as you can before you get to the zoo park entrance. "},
    {997, false, "Don\x92t forget to shine your beam at all obstacles in your way. "},
    {998, false, "Pick up the flashlights-  They\x92ll give you a special bonus lightbeam!"},
    {995, false, "Let\x92s go!"},
    {1009, true, "Look out!"},
    {1010, true, "Shine the monkeys to get them to drop the clothes."},
    {1012, true, "Pick up all the stuff they drop!"},
    {863, true, "Get the flashlights for bonus shot"},
    {864, true, "That\x92s the way.  You got them."},
    {1013, true, "You did it!"},
    {866, true, "Go as fast as you can!"},
    {868, true, "Great job."},
    {1014, true, "Get that monkey!! Collect those clothes!"},
    {855, false, "Whew!  You collected lots of stuff."},
    {1008, false, "I\x92m sure the zookeeper will give YOU a great big Thanks!."},
    {857, false, "Great work!  What a hero!"},
    {1006, false, "Do you want to play again or return to Ruriziz?"},
    {1092, false, "Good run, but you need to scare the monkeys and collect the uniforms! Ready to try again?"},
};
[[maybe_unused]] const bool kLinesListed = captions::List(kLines);

const RoadRaceRules kRules{
    .name = "GRZoo_Activity",
    .world = GRZoo_Activity::kWorld,
    .firstVehicle = 2,
    .propTypes = kPropTypes,
    .decorations = kDecorations,
    .scoreIcon = MakeChunkId(2, 896),
    .vehicles = {{MakeChunkId(2, 533), MakeChunkId(2, 534), 80.0f, 175.0f},
                 {MakeChunkId(2, 773), MakeChunkId(2, 774), 100.0f, 250.0f}},
    .finishParts = {MakeChunkId(2, 1062), MakeChunkId(2, 1061)},
    .sirenSound = MakeChunkId(7, 16),
    .lightlessSiren = false,
    .introLines = 6,
    .lines = kLines,
    .endPicture = MakeChunkId(2, 1131),
    .introTexts = {MakeChunkId(17, 15), MakeChunkId(17, 98), MakeChunkId(17, 104)},
    .introTitle = MakeChunkId(17, 20),
    .introPictures = {MakeChunkId(2, 1036), MakeChunkId(2, 808)},
    .leavePicture = MakeChunkId(2, 1096),
    .leaveText = MakeChunkId(17, 251),
    .endFanfare = MakeChunkId(7, 576),
    .musicEntry = 581,
    .town = GRZoo_Activity::kTown,
    .self = GRZoo_Activity::kSelf,
};

} // namespace

GRZoo_Activity::GRZoo_Activity(const char* name, uint32_t classId) : CGRoadRace(name, classId, kRules) {}

GRZoo_Activity::~GRZoo_Activity() {
    if (beam_) DeleteOwned(beam_);
}

bool GRZoo_Activity::IsA(uint32_t classId) const { return classId == kClassId || CGRoadRace::IsA(classId); }

int32_t GRZoo_Activity::OnActivated() {
    const int32_t result = CGRoadRace::OnActivated();
    if (beam_ == nullptr) MakeBeam();
    return result;
}

void GRZoo_Activity::MakeBeam() {
    if (GetVehicle() == nullptr) return;
    const ZooBeam& chosen = kBeams[VehicleIndex()];
    beam_ = new (std::nothrow) PBeam();
    if (beam_ == nullptr) return;
    beam_->SetPartID(GameFile(), chosen.part, 1);
    AddChild(beam_);
    beam_->SetFollowPriority(false);
    beam_->SetPriority(kBeamPriority);
    beam_->SetState(kBeamState);
    beam_->SetLaunchSound(chosen.sound);
    beam_->SetFrameHook(&BeamHook);
    PlaceBeam();
}

void GRZoo_Activity::PlaceBeam() {
    VFlat* vehicle = GetVehicle();
    if (beam_ == nullptr || vehicle == nullptr) return;
    const CPointF point = beam_->GetFramePoint(kBeamState, 0);
    const CPointF at = vehicle->GetPosition();
    beam_->SetPosition(CPointF(at.x - point.x, at.y - point.y), 0, 1);
}

bool GRZoo_Activity::BeamHook(TLV_Object* beam) { return CGRace::HitTestCallback(beam); }

int32_t GRZoo_Activity::FlushSoundQueues() {
    if (beam_ && beam_->GetParent() == this) RemoveChild(beam_);
    const int32_t result = CGRoadRace::FlushSoundQueues();
    delete beam_;
    beam_ = nullptr;
    ReleaseFinishProps();
    return result;
}

int32_t GRZoo_Activity::OnIdle() {
    if (beam_ && !IsBonusClockRunning() && beam_->GetState() >= kWide) beam_->SetState(beam_->GetState() - kWide);
    const int32_t result = CGRoadRace::OnIdle();
    // The base's tick scrolls the vehicle on: the beam goes where the vehicle now is, not where
    // it was a frame ago.
    PlaceBeam();
    return result;
}

void GRZoo_Activity::CreateButtonPanel(int16_t panel) {
    awakeUnderPanel_ = panel == kIntroPanel;
    CGRoadRace::CreateButtonPanel(panel);
    awakeUnderPanel_ = false;
}

void GRZoo_Activity::Pause() {
    CGRoadRace::Pause();
    if (!awakeUnderPanel_) Suspend(1);
}

void GRZoo_Activity::Resume() {
    Resume(1);
    CGRoadRace::Resume();
}

void GRZoo_Activity::AimBeam() {
    VFlat* vehicle = GetVehicle();
    if (beam_ == nullptr || vehicle == nullptr) return;
    beam_->SetState(vehicle->GetStep() + kBeamState + (IsBonusClockRunning() ? kWide : 0));
}

void GRZoo_Activity::Fire() {
    if (beam_ && GetVehicle() && GetVehicle()->IsVisible()) {
        if (IsBonusClockRunning() && beam_->GetState() < kWide) beam_->SetState(beam_->GetState() + kWide);
        beam_->Start(0);
    }
    RestartClock();
}

void GRZoo_Activity::ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t, bool finish) {
    CGRace::ScatterObjects(chosen, kinds, int16_t(10 + (xRand() & 1)), finish);
    if (!finish) ConvertKinds(kinds);
}

void GRZoo_Activity::ConvertKinds(std::vector<int32_t>& kinds) {
    xRaceKinds_KeepSome(kinds, kFlashlight, size_t(xRand() % 2), kObstacle);
    for (int32_t& kind : kinds) {
        if (kind == kClothes || kind == kBadge) kind = kObstacle;
    }
}

std::vector<int> GRZoo_Activity::ClosingLines(uint16_t score) {
    if (score == 0) return {19};
    return {15, 16, 17, 18};
}

int32_t GRZoo_Activity::OnObjectHit(OActivityProp* prop, OActivityProp* other) {
    if (prop == nullptr || other == nullptr) return 1;
    const int32_t kind = KindOf(other);
    auto hitMonkey = [&] {
        if (other->IsA(DRacing::kClassId)) static_cast<DRacing*>(other)->OnContact(static_cast<TLV_Object*>(prop));
    };
    if (prop == GetRaceVehicle()) {
        switch (kind) {
        case kClothes:
            DecRemaining(other);
            ++chargesLeft_;
            RemoveObject(other);
            break;
        case kBadge:
            CountGoal();
            RemoveObject(other);
            break;
        case kObstacle: {
            if (other->GetState() != 0) break;
            other->SetState(1);
            RetireObject(other, false);
            PlayPropSound(other);
            ChunkId part = kNullChunkId;
            other->GetPartID(&part);
            if (ChunkEntryOf(part) == kWarningObstacle) {
                const int say = xRand() % 5;
                if (say == 0) Speak(6);
                else if (say == 1) Speak(7);
            }
            break;
        }
        case kFlashlight:
            RemoveObject(other);
            StartBonusClock(0);
            if (xRand() % 3 == 0) Speak(9);
            PlaySound(kBonusSound, kAnyPipe, 127);
            break;
        case kMonkey: hitMonkey(); break;
        default: break;
        }
        return 1;
    }
    if (prop != beam_) return 1;
    if (kind != kMonkey) return 0;
    hitMonkey();
    if (const int say = xRand() % 10; say < 5) Speak(10 + say);
    return 1;
}

ChunkId GRZoo_Activity::PartForKind(int32_t kind, uint32_t classId) {
    if (kind < 0 || kind >= kKinds || kPropTypes[kind] != classId) return kNullChunkId;
    switch (kind) {
    case kClothes: return PickPart(kClothesParts);
    case kBadge: return PickPart(std::array{kBadgePart});
    case kObstacle: return PickPart(kObstacleParts);
    case kFlashlight: return PickPart(std::array{kFlashlightPart});
    case kMonkey: return PickPart(std::array{kMonkeyPart});
    default: return kNullChunkId;
    }
}

void GRZoo_Activity::SpawnRandomItem(const CPointF& at) {
    Spawn(kClothes, kClothesParts[size_t(xRand()) % std::size(kClothesParts)], at);
}

void GRZoo_Activity::SpawnPickup(const CPointF& at) { Spawn(kBadge, kBadgePart, at); }

void GRZoo_Activity::Spawn(int32_t kind, ChunkId part, const CPointF& at) {
    TLV_Object* item = Track().Pools().Spawn(kPropTypes[kind], part);
    if (item == nullptr) {
        xTracef("GRZoo_Activity : no item of kind %d to drop\n", int(kind));
        return;
    }
    item->SetPosition(at, 0, 1);
    item->SetState(0);
    item->SetVisible(1, 1);
    item->UpdateZOrder();
    Track().Objects().AddLive(item, kind);
}
