#include "game/world/towns/WToonActivity.h"

#include <cmath>
#include <iterator>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "game/shell/Captions.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/Fire.h"
#include "game/shell/PParticle.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/world/characters/ConstraintObject.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DCaptive.h"
#include "game/world/characters/DFollower.h"

namespace {

constexpr ChunkId Snd(uint16_t n) { return MakeChunkId(7, n); }
constexpr ChunkId Pic(uint16_t n) { return MakeChunkId(2, n); }

constexpr TownVehicle kVehicles[] = {
    {0, Pic(209), Pic(776), 150.0f, 150.0f, 225.0f, Snd(56), Snd(44)},
    {1, Pic(87), Pic(545), 175.0f, 175.0f, 250.0f, Snd(55), Snd(43)},
};

constexpr TownChallenge kChallenges[kTownChallenges] = {
    {3, 2, 31, 27, MakeChunkId(1, 15), Pic(1081), MakeChunkId(17, 65)},
    {4, 1, 30, 26, MakeChunkId(1, 11), Pic(1083), MakeChunkId(17, 64)},
    {5, 3, 32, 28, MakeChunkId(1, 13), Pic(1082), MakeChunkId(17, 63)},
    {6, 4, 33, 29, MakeChunkId(1, 18), Pic(1084), MakeChunkId(17, 67)},
};

constexpr uint8_t Q = kLineWhenQuiet, QO = kLineWhenQuiet | kLineOnce;

// 0x91 and 0x92 are the single quotation marks of the Windows code page.
constexpr TownLine kLines[] = {
    {3, 661, Q, "Look there\x92" "s a fire!  Spray water to put it out!"},
    {4, 662, Q, "Great, that fire is out!"},
    {5, 663, Q, "You need to find all of the fires.  Keep going!"},
    {6, 665, Q, "There are more puppies.  Find them and bring them home"},
    {7, 667, Q, "There\x92" "s a puppy!  Lead \x91" "em back to the dog house!"},
    {8, 668, Q, "All the puppies need to go home.  Find the dog house and bring them home."},
    {9, 669, Q, "Now that\x92" "s the way to put out a fire.  Good job."},
    {10, 672, Q, "You are entering a Fennmark Hero Challenge Area."},
    {11, 674, 0, "If you enter, any puppies you have now will need to be recollected."},
    {12, 675, 0, "If you enter, any penguins you have now will need to be recollected."},
    {14, 676, 0, "Do you want to play?"},
    {17, 731, Q, "Watch out!  Hero coming through!"},
    {18, 733, Q, "Make way for the emergency vehicle!"},
    {19, 734, QO, "You are on your way to becoming the greatest hero of them all!"},
    {20, 735, QO, "Follow the arrows to complete your mission."},
    {21, 736, QO, "Those arrows will show you where to go.  Follow them to find more fires and puppies."},
    {22, 737, Q, "You got a badge!  Collect all the badges you can find to earn hero points."},
    {23, 738, Q, "Great badge collecting!  Try to get them all."},
    {24, 739, Q, "You\x92" "ve picked up another hero point!  Good job!"},
    {25, 740, Q, "Another hero point for you!"},
    {26, 356, 0, "Looks like fire spread to the Fireworks Factory! We're on it!"},
    {27, 358, 0, "10-4, rescue team in route to Rozodudurid apartments."},
    {28, 299, 0, "Looks like trouble in the Big Top! Let's go!"},
    {29, 301, 0, "Animal control problem at the park. Proceed with caution."},
    {30, 357, 0, "Enter the Fireworks Factory again?"},
    {31, 298, 0, "Go to the appartments again?"},
    {32, 300, 0, "Enter the Big Top again?"},
    {33, 302, 0, "Enter the park again?"},
    {34, 221, 0, "Oh no!  There\x92" "s trouble in Rozodudurid again! Good thing you\x92" "re on the job!"},
    {35, 1098, QO, "Follow that arrow to find the last one."},
    {36, 1099, QO, "You\x92" "re almost done! Follow that arrow to your next mission."},
    {37, 758, Q, "To start your car, press the spacebar."},
};
[[maybe_unused]] const bool kLinesListed = captions::List(kLines);

constexpr TownTable kCircus = {
    .world = WToon_Activity::kWorld,
    .visitCounter = 13,
    .startPosition = WToon_Activity::kStartPosition,
    .startHeading = WToon_Activity::kStartHeading,
    .menuPosition = CPoint16{3550, 800},
    .vehicles = kVehicles,
    .vehicleCount = std::size(kVehicles),
    .sirenSound = Snd(45),
    .variantSirenSound = Snd(16),
    .music = MakeChunkId(1, 562),
    .movie = MakeChunkId(18, 2),
    .endActivity = MakeChunkId(1, 6),
    .menuActivity = MakeChunkId(1, 5),
    .challenges = kChallenges,
    .playLine = 14,
    .lines = kLines,
    .lineCount = std::size(kLines),
    .refillLine = 34,
    .hintLine = 37,
    .arrowLines = {20, 35, 36, 19},
    .taskDoneSound = Snd(566),
    .deliveryArea = 5,
    .moreFollowersLine = 6,
    .firstTokenLine = 22,
    .laterTokenLine = 23,
    .laterTokenLines = 3,
};

constexpr WToon_Activity::SprayBurst kBursts[] = {
    {25, 7, 325.0f, 450, Snd(65)},
    {20, 9, 425.0f, 550, Snd(67)},
};

constexpr ChunkId kPuppyIcon = Pic(52);
constexpr ChunkId kFireIcon = Pic(53);
constexpr ChunkId kBadgeIcon = Pic(54);
constexpr uint32_t kCounterColour = 0x00FFFFFFu;

CPoint16 Rounded(const CPointF& p) { return CPoint16(int16_t(std::lround(p.x)), int16_t(std::lround(p.y))); }

} // namespace

WToon_Activity::WToon_Activity(const char* name, uint32_t classId) : TownWorld(name, classId, kCircus) {
    sprayTimer_.duration = kSprayTimerMs;
    CopyWorldText("Press CTRL to toggle siren on/off, ");
    WatchKey(kCtrlKey);
}

// The pooled props are children of the world, which deletes them.
WToon_Activity::~WToon_Activity() = default;

bool WToon_Activity::IsA(uint32_t classId) const { return classId == kClassId || TownWorld::IsA(classId); }

const TownVehicle* WToon_Activity::FindVehicleStart(uint16_t vehicle) {
    for (const TownVehicle& start : kVehicles)
        if (start.value == vehicle) return &start;
    return nullptr;
}

const WToon_Activity::SprayBurst* WToon_Activity::FindSprayBurst(uint16_t vehicle) {
    return vehicle < std::size(kBursts) ? &kBursts[vehicle] : nullptr;
}

int32_t WToon_Activity::OnIdle() {
    StepSprayBurst();
    return TownWorld::OnIdle();
}

int32_t WToon_Activity::FlushSoundQueues() {
    for (int32_t i = smokes_.Count() - 1; i >= 0; --i) {
        Smoke* smoke = smokes_.GetAt(i);
        if (ONode* parent = smoke->GetParent()) parent->RemoveChild(smoke);
        delete smoke;
    }
    smokes_.Free();
    if (CPlayer* player = Player(); player && player->GetQuota3Left(kWorld) == 0)
        player->SetQuota3Left(kWorld, player->GetQuota3Max(kWorld));
    particles_.Free(); // the particles go with the world's children
    return TownWorld::FlushSoundQueues();
}

bool WToon_Activity::AcceptObject(OView* object) {
    if (auto* character = dynamic_cast<DAvoider*>(object); character && character->GetObjectId() == kFireId) {
        character->SetGuardFlag(1);
        const CPlayer* player = Player();
        const uint16_t value = player ? player->GetSelectedVehicle() : 0;
        if (value <= 1) character->SetActionFrames(uint8_t(value));
    }
    return TownWorld::AcceptObject(object);
}

void WToon_Activity::Pause() {
    if (sprayTimer_.paused == 0) sprayTimer_.Pause();
    TownWorld::Pause();
}

void WToon_Activity::Resume() {
    if (!IsPanelShown(-1)) sprayTimer_.Resume();
    TownWorld::Resume();
}

int32_t WToon_Activity::ChooseMission() { return xRand() % kMissions; }

void WToon_Activity::ShowTaskCounters() {
    CCounterPanel* panel = CounterPanel();
    CPlayer* player = Player();
    if (!panel || !player) return;
    panel->SetCounter(0, kPuppyIcon, player->Quota2LeftPtr(kWorld), kCounterColour, 0, -5);
    panel->SetCounter(1, kFireIcon, player->Quota1LeftPtr(kWorld), kCounterColour, 0, 0);
    panel->SetCounter(2, kBadgeIcon, player->BadgeCountPtr(kWorld, 0), kCounterColour, 0, 0);
}

void WToon_Activity::ShowMissionCounters() {
    CCounterPanel* panel = CounterPanel();
    CPlayer* player = Player();
    if (!panel || !player) return;
    panel->SetCounter(0, kFireIcon, player->Quota3LeftPtr(kWorld), kCounterColour, 0, 0);
    panel->SetCounter(1, kBadgeIcon, player->BadgeCountPtr(kWorld, 0), kCounterColour, 0, 0);
}

void WToon_Activity::StartMissionProp(TLV_Object* prop) {
    auto* fire = dynamic_cast<Fire*>(prop);
    if (!fire) return;
    fire->SetBurning(true);
    fire->SetRegrow(true);
    fire->SetDouseAtOnce(false);
    fire->SetMaximumLevel(3);
    fire->SetTimerPeriod(10000);
    fire->SetStartTick(5000);
    fire->SetFullFlame();
}

void WToon_Activity::OnFireRelit(Fire* fire) {
    fire->Ignite();
    if (CPlayer* player = Player()) player->IncQuota3Left(kWorld);
    RefreshCounters();
}

void WToon_Activity::SaveCollectablePoints() {
    CPlayer* player = Player();
    if (!player) return;
    player->ClearPoints();
    const CDynArray<OActivityProp*>& fires = GetList(kFires);
    for (int32_t i = 0; i < fires.Count(); ++i) {
        auto* fire = dynamic_cast<Fire*>(fires.GetAt(i));
        if (fire && fire->GetObjectId() == kFireId && fire->IsBurning()) player->AddPoint(Rounded(fire->GetPosition()));
    }
}

// ---- Thinning -----------------------------------------------------------------------------------

void WToon_Activity::ApplyCollectableQuotas() { ThinByQuotas(); }

bool WToon_Activity::ThinRememberedProps(int quota, CDynArray<OActivityProp*>& set, int32_t keep) {
    const CPlayer* player = Player();
    if (quota != int(kFireId) || player->PointCount() == 0) return false;
    // The fires that burned when the town was left burn again; the others go.
    for (int32_t i = set.Count() - 1; i >= 0; --i)
        if (set.GetAt(i)->IsA(Fire::kClassId) && !player->HasPoint(Rounded(set.GetAt(i)->GetPosition())))
            set.RemoveAt(i);
    // The random step drops only props that are not fires; it draws from the live set and
    // ends when only remembered fires are left.
    while (set.Count() > keep) {
        int32_t others = 0;
        for (int32_t i = 0; i < set.Count(); ++i)
            if (!set.GetAt(i)->IsA(Fire::kClassId)) ++others;
        if (others == 0) break;
        int32_t at = xRand() % set.Count();
        int32_t steps = xRand() % 10 + 1;
        for (;; at = (at + 1) % set.Count()) {
            if (set.GetAt(at)->IsA(Fire::kClassId)) continue;
            if (--steps == 0) break;
        }
        set.RemoveAt(at);
    }
    return true;
}
