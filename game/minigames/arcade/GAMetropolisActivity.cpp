#include "game/minigames/arcade/GAMetropolisActivity.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <new>

#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "game/minigames/arcade/ArcadeToken.h"
#include "game/minigames/arcade/MetroArcadeBlocker.h"
#include "game/minigames/arcade/MetroArcadeCrook.h"
#include "game/minigames/arcade/PArcadeParticle.h"
#include "game/shell/Captions.h"
#include "game/world/vehicles/VFlat.h"

namespace {

constexpr ChunkId kCrooksIcon = MakeChunkId(2, 283);
constexpr ChunkId kCrookArts[] = {MakeChunkId(2, 740), MakeChunkId(2, 741)};
/// The vehicle is drawn in front of the street.
constexpr int32_t kStreetVehiclePriority = 2500;
constexpr int32_t kDropPriority = 10000;
/// Blockers closer than this vertically stand side by side.
constexpr float kNeighbourRows = 50.0f;

/// Per vehicle (4 and 5): the overlay's art, the canister's art, its flight and the burst.
struct Tosser {
    ChunkId overlay;
    ChunkId canister;
    uint32_t flightMs;
    int32_t burst;
};
constexpr Tosser kTossers[] = {
    {MakeChunkId(2, 1142), MakeChunkId(2, 675), 400, 3},
    {MakeChunkId(2, 1143), MakeChunkId(2, 676), 500, 5},
};

// Captions are Windows-1252: 0x92 is the right single quotation mark. Line 6 says nothing.
constexpr ArcadeLine kLines[] = {
    {801, "Toss gas canisters at the criminals to stop them from getting into the building. "},
    {802, "If you miss, you can catch them as they leave. "},
    {803, "Toss gas canisters at the items that they drop to pick them up.  "},
    {804, "Now be a real Fennmark hero and stop those criminals!"},
    {805, "That\x92s the hero\x92s way to do it!"},
    {806, "You stopped that guy right in his tracks!"},
    {0, nullptr},
    {808, "Don\x92t let him get by you!"},
    {810, "Get that guy!"},
    {811, "You got it!"},
    {812, "Keep going!"},
    {966, "Nice work Fennmark Hero!  You saved the day!  "},
    {967, "The candy is safe and sound in the store again. "},
    {968, "Do you want to play again or return to Rododizeda?"},
};
[[maybe_unused]] const bool kLinesListed = captions::List(kLines);

constexpr ArcadeSheet kSheet{
    .world = GAMetropolis_Activity::kWorld,
    .town = GAMetropolis_Activity::kTown,
    .self = GAMetropolis_Activity::kSelf,
    .resultsPicture = MakeChunkId(2, 1128),
    .resultsJingle = MakeChunkId(7, 582),
    .startTexts = {MakeChunkId(17, 43), MakeChunkId(17, 95), MakeChunkId(17, 101)},
    .startTitle = MakeChunkId(17, 34),
    .startPictures = {MakeChunkId(2, 1033), MakeChunkId(2, 951)},
    .leavePicture = MakeChunkId(2, 1094),
    .leaveText = MakeChunkId(17, 249),
    .musicEntry = 151,
    .lines = kLines,
    .lineCount = int(std::size(kLines)),
    .quietFrom = 4,
    .quietTo = 10,
    .resultLines = {11, 12, 13},
};

const Tosser& TosserOf(int32_t vehicle) { return kTossers[vehicle == 5 ? 1 : 0]; }

int16_t Clamp16(float v) {
    if (std::isnan(v)) return 0;
    return ClampToInt16(int32_t(std::clamp(v, -40000.0f, 40000.0f)));
}

template <class T>
void Detach(T* prop) {
    if (ONode* parent = prop->GetParent()) parent->RemoveChild(prop);
}

} // namespace

GAMetropolis_Activity::GAMetropolis_Activity(const char* name, uint32_t classId) : Arcade_Game(name, classId, kSheet) {}

GAMetropolis_Activity::~GAMetropolis_Activity() { DeleteCrooks(); }

bool GAMetropolis_Activity::IsA(uint32_t classId) const { return classId == kClassId || Arcade_Game::IsA(classId); }

GAMetropolis_Activity* GAMetropolis_Activity::Of(const OView* prop) {
    if (!prop) return nullptr;
    for (ONode* node = prop->GetParent(); node; node = node->GetParent()) {
        auto* view = dynamic_cast<OView*>(node);
        if (view && view->IsA(kClassId)) return static_cast<GAMetropolis_Activity*>(view);
    }
    CTLVActivity* current = CurrentGameActivity();
    return current && current->IsA(kClassId) ? static_cast<GAMetropolis_Activity*>(current) : nullptr;
}

bool GAMetropolis_Activity::AcceptObject(OView* object) {
    if (object && object->IsA(Metro_Arcade_Blocker::kClassId) && !blockers_.Append(static_cast<Metro_Arcade_Blocker*>(object)))
        xTracef("%s : the blockers cannot grow\n", GetName());
    return Arcade_Game::AcceptObject(object);
}

float GAMetropolis_Activity::StreetWidth() { return GetBackgroundSize().x; }

float GAMetropolis_Activity::LaneOf(float y) {
    return std::fabs(y - kLaneY[0]) <= std::fabs(y - kLaneY[1]) ? kLaneY[0] : kLaneY[1];
}

// ---- Start and stop -----------------------------------------------------------------------------

int32_t GAMetropolis_Activity::OnActivated() {
    const int32_t result = Arcade_Game::OnActivated();
    const Tosser& tosser = TosserOf(GetVehicleIndex());
    if (VFlat* vehicle = GetVehicle()) {
        vehicle->SetDrawPriority(kStreetVehiclePriority);
        vehicle->AttachProp(tosser.overlay);
        overlay_ = vehicle->GetAttachedProp();
        if (overlay_) overlay_->SetVisible(0, 0);
    }
    const int32_t level = Level();
    goal_ = crooksLeft_ = uint16_t(15 * level + 5);
    stopped_ = 0;
    ShowCounters(&crooksLeft_, kCrooksIcon);
    RestartSpawnClock();
    endClock_.Stop();
    burstClock_.Stop();
    StartTokens(level);
    HideBlockers();
    CreateButtonPanel(kStartPanel);
    for (int n = 0; n <= 3; ++n) SpeakLine(n);
    return result;
}

void GAMetropolis_Activity::RestartSpawnClock() { spawnClock_.Start(std::rand() % 500 - 250 * Level() + 2500); }

void GAMetropolis_Activity::HideBlockers() {
    for (int32_t i = blockers_.Count() - 1; i >= 0; --i)
        if (!blockers_.GetAt(i)) blockers_.RemoveAt(i);
    const int32_t count = blockers_.Count();
    int32_t hide = std::min(count, int32_t(float(4 - Level()) * 0.2f * float(count)));
    while (hide-- > 0) {
        int32_t shown = 0;
        for (int32_t i = 0; i < count; ++i) shown += blockers_.GetAt(i)->IsVisible() ? 1 : 0;
        if (shown == 0) return;
        int32_t pick = std::rand() % shown;
        for (int32_t i = 0; i < count; ++i) {
            Metro_Arcade_Blocker* blocker = blockers_.GetAt(i);
            if (blocker->IsVisible() && pick-- == 0) {
                blocker->SetVisible(0, 0);
                break;
            }
        }
    }
}

void GAMetropolis_Activity::DeleteCrooks() {
    for (CDynArray<Metro_Arcade_Crook*>* list : {&crooks_, &crookPool_}) {
        while (list->Count() > 0) {
            Metro_Arcade_Crook* crook = list->PopBack();
            Detach(crook);
            delete crook;
        }
    }
}

int32_t GAMetropolis_Activity::FlushSoundQueues() {
    DeleteCrooks();
    // The goods belong to whoever filled the pool; the game only lets go of them.
    while (liveGoods_.Count() > 0) liveGoods_.PopBack()->SetVisible(0, 0);
    goodsPool_.Free();
    ClearTokens();
    if (VFlat* vehicle = GetVehicle(); vehicle && overlay_) vehicle->DetachProp();
    overlay_ = nullptr;
    return Arcade_Game::FlushSoundQueues();
}

// ---- The frame ----------------------------------------------------------------------------------

int32_t GAMetropolis_Activity::OnIdle() {
    OActivityManager* manager = GetActivityManager();
    if (!(manager && manager->IsPaused())) {
        if (endClock_.running && endClock_.HasElapsed()) {
            endClock_.Stop();
            ShowResults();
        }
        if (burstClock_.running && burstClock_.paused == 0 && burstClock_.HasElapsed()) {
            TossCanister();
            FireClock().Start(int32_t(GetFireInterval()));
            if (--canistersLeft_ <= 0) burstClock_.Stop();
            else burstClock_.Restart();
        }
        if (!IsPanelShown(-1) && spawnClock_.HasElapsed()) {
            if (std::rand() % 2 == 0) SpawnWalking();
            else SpawnDropping();
            RestartSpawnClock();
        }
        float vehicleX = 0.0f;
        if (VFlat* vehicle = GetVehicle()) vehicleX = vehicle->GetPosition().x - ViewLeft();
        // The street stands unless the vehicle pushes it at one of its ends.
        SetGroupSpeed(kViewGroup, PushSpeed(vehicleX, PointerX()));
        PassCrooks();
    }
    return Arcade_Game::OnIdle();
}

float GAMetropolis_Activity::PushSpeed(float x, float pointer) {
    const float p = ViewLeft();
    const float m = StreetWidth() - float(GetStageWidth());
    const float right = float(GetStageWidth());
    const bool keys = GetControlMode() == kKeyboardMode;
    const bool left = IsKeyHeld(kKeyLeft), rightKey = IsKeyHeld(kKeyRight);
    if ((keys && left && !rightKey && x < 150.0f) || (!keys && x < 120.0f && pointer < 100.0f))
        return p > 100.0f ? -kPushSpeed : -2.0f * p;
    if (((keys && rightKey && !left && x > right - 150.0f) || (!keys && x > right - 100.0f && pointer > right - 100.0f)) && p < m)
        return p < m - 100.0f ? kPushSpeed : 2.0f * (m - p);
    return 0.0f;
}

void GAMetropolis_Activity::ScrollItems(uint32_t step) {
    const float speed = GetGroupSpeed(kViewGroup);
    viewCarry_ += std::fabs(speed) * float(step) * 0.001f;
    const int32_t whole = int32_t(viewCarry_);
    if (whole == 0) return;
    viewCarry_ -= float(whole);
    const float v = speed < 0.0f ? -float(whole) : float(whole);
    ScrollTo(CPointF(v, 0.0f), 1);
    if (VFlat* vehicle = GetVehicle()) vehicle->SetPosition(CPointF(v, 0.0f), 1, 1);
}

void GAMetropolis_Activity::SteerVehicle(uint32_t /*step*/) {
    VFlat* vehicle = GetVehicle();
    if (!vehicle) return;
    const float x = vehicle->GetPosition().x - ViewLeft() + vehicle->GetScaledHotSpot().x;
    const float high = float(GetStageWidth() - GetRightMargin());
    float target = x;
    if (GetControlMode() == kMouseMode) {
        target = PointerX();
    } else {
        const bool left = IsKeyHeld(kKeyLeft), right = IsKeyHeld(kKeyRight);
        if (left && !right) target = std::max(x - float(kKeyReach), kLeftBound);
        else if (right && !left) target = std::min(x + float(kKeyReach), high);
        else target = std::clamp(x, kLeftBound, high);
    }
    const bool atLeft = x < kLeftBound + 1.0f && target <= x;
    const bool atRight = x > float(GetStageWidth()) - 50.0f && target >= x;
    if (atLeft || atRight) {
        vehicle->SetVelocityXY(0.0f, 0.0f, 0);
        return;
    }
    vehicle->SetVelocityXY(vehicle->GetMaxSpeed() * std::clamp((target - x) * 0.01f, -1.0f, 1.0f), 0.0f, 0);
}

void GAMetropolis_Activity::HidePanel(int16_t panel, uint8_t flush) {
    Arcade_Game::HidePanel(panel, flush);
    if (panel == kStartPanel) {
        if (VFlat* vehicle = GetVehicle()) vehicle->Resume(1);
    }
}

// ---- Canisters ----------------------------------------------------------------------------------

void GAMetropolis_Activity::Shoot() {
    if (burstClock_.running || !FireClock().HasElapsed()) return;
    TossCanister();
    burstClock_.Start(int32_t(kBurstMs));
    canistersLeft_ = TosserOf(GetVehicleIndex()).burst;
    FireClock().Start(int32_t(GetFireInterval()));
}

void GAMetropolis_Activity::TossCanister() {
    VFlat* vehicle = GetVehicle();
    if (!vehicle) return;
    const Tosser& tosser = TosserOf(GetVehicleIndex());
    PArcadeParticle* canister = nullptr;
    for (int32_t i = canisters_.Count() - 1; i >= 0 && !canister; --i)
        if (!canisters_.GetAt(i)->IsVisible()) canister = canisters_.GetAt(i);
    if (!canister) {
        canister = new (std::nothrow) PArcadeParticle;
        if (!canister) return;
        if (!canisters_.Append(canister)) {
            delete canister;
            return;
        }
        canister->SetVisible(0, 0);
        LoadArt(canister, GameFile(), tosser.canister, 1);
        canister->SetLaunchSound(MakeChunkId(7, 108));
        canister->SetLandingSound(MakeChunkId(7, 779));
        canister->SetStopLine(kStopLine);
        canister->SetFrameHook(&Arcade_ParticleCallback);
        AddChild(canister);
    }
    CPointF anchor;
    vehicle->GetAnchorPoint(&anchor);
    canister->SetPosition(anchor, 0, 1);
    canister->SetVelocityXY(0.0f, -float(kCanisterRise) / (float(tosser.flightMs) / 1000.0f), 0);
    const CPoint16 from(Clamp16(anchor.x), Clamp16(anchor.y));
    canister->Launch(from, kStartHeight, CPoint16(from.x, ClampToInt16(from.y - kCanisterRise)), tosser.flightMs, 1.0f);
    canister->SetState(0);
    canister->Start(0);
}

bool GAMetropolis_Activity::TestParticleHit(PArcadeParticle* particle) {
    if (!particle) return false;
    bool blocked = false;
    auto hit = [&](OActivityProp* item) {
        auto* object = dynamic_cast<TLV_Object*>(item);
        if (!object || !object->IsVisible() || !particle->HitsObject(object, nullptr)) return;
        if (object->OnContact(particle) & 1) blocked = true;
        OnItemHit(item, false);
    };
    for (int32_t i = crooks_.Count() - 1; i >= 0; --i)
        if (i < crooks_.Count() && !crooks_.GetAt(i)->IsStopped()) hit(crooks_.GetAt(i));
    for (int32_t i = blockers_.Count() - 1; i >= 0; --i) {
        if (!blockers_.GetAt(i)) {
            blockers_.RemoveAt(i);
            continue;
        }
        hit(blockers_.GetAt(i));
    }
    for (int32_t i = liveGoods_.Count() - 1; i >= 0; --i)
        if (i < liveGoods_.Count()) hit(liveGoods_.GetAt(i));
    for (int32_t i = LiveTokens().Count() - 1; i >= 0; --i)
        if (i < LiveTokens().Count() && LiveTokens().GetAt(i)) hit(LiveTokens().GetAt(i));
    return blocked;
}

void GAMetropolis_Activity::OnItemHit(OActivityProp* item, bool /*byVehicle*/) {
    if (!item) return;
    if (item->IsA(Arcade_Token::kClassId)) {
        CatchToken(static_cast<Arcade_Token*>(item));
        return;
    }
    if (item->IsA(Metro_Arcade_Blocker::kClassId)) {
        PushBlocker(static_cast<Metro_Arcade_Blocker*>(item));
        return;
    }
    for (int32_t i = 0; i < liveGoods_.Count(); ++i) {
        if (liveGoods_.GetAt(i) != item) continue;
        SpeakLine(std::rand() % 2 == 0 ? 9 : 10);
        ShowClickFeedback(item);
        liveGoods_.RemoveAt(i);
        item->SetVisible(0, 0);
        if (!goodsPool_.Append(item)) xTracef("%s : the goods pool cannot grow\n", GetName());
        return;
    }
}

void GAMetropolis_Activity::PushBlocker(Metro_Arcade_Blocker* blocker) {
    const float distance = float(20 + std::rand() % 15);
    const float half = float(blocker->GetWidth()) / 2.0f;
    const float left = blocker->GetPosition().x - half, right = blocker->GetPosition().x + half;
    float leftGap = -1.0f, rightGap = -1.0f;
    for (int32_t i = 0; i < blockers_.Count(); ++i) {
        const Metro_Arcade_Blocker* other = blockers_.GetAt(i);
        if (other == blocker || !other->IsVisible()) continue;
        if (std::fabs(other->GetPosition().y - blocker->GetPosition().y) >= kNeighbourRows) continue;
        const float otherHalf = float(other->GetWidth()) / 2.0f;
        if (other->GetPosition().x < blocker->GetPosition().x) {
            const float gap = left - (other->GetPosition().x + otherHalf);
            if (gap < distance && (leftGap < 0.0f || gap < leftGap)) leftGap = std::max(gap, 0.0f);
        } else {
            const float gap = (other->GetPosition().x - otherHalf) - right;
            if (gap < distance && (rightGap < 0.0f || gap < rightGap)) rightGap = std::max(gap, 0.0f);
        }
    }
    float dx = 0.0f;
    if (leftGap >= 0.0f && rightGap >= 0.0f) dx = leftGap > rightGap ? -distance : distance;  // toward the farther
    else if (leftGap >= 0.0f) dx = distance;
    else if (rightGap >= 0.0f) dx = -distance;
    else dx = std::rand() % 2 == 0 ? -distance : distance;
    blocker->SetPosition(CPointF(dx, 0.0f), 1, 1);
}

// ---- Crooks -------------------------------------------------------------------------------------

Metro_Arcade_Crook* GAMetropolis_Activity::FreeCrook() {
    if (crookPool_.Count() > 0) return crookPool_.PopBack();
    auto* crook = new (std::nothrow) Metro_Arcade_Crook("Zoo_Arcade_Monkey", Metro_Arcade_Crook::kClassId);
    if (!crook) return nullptr;
    LoadArt(crook, GameFile(), kCrookArts[std::rand() % 2], 1);
    AddChild(crook);
    return crook;
}

void GAMetropolis_Activity::PlaceOnStreet(Metro_Arcade_Crook* crook) {
    if (!crooks_.Append(crook)) {
        xTracef("%s : the street cannot take another crook\n", GetName());
        if (!crookPool_.Append(crook)) {
            Detach(crook);
            delete crook;
        }
        return;
    }
    crook->SetVisible(1, 0);
}

void GAMetropolis_Activity::SpawnWalking() {
    if (crooks_.Count() >= crooksLeft_) return;
    Metro_Arcade_Crook* crook = FreeCrook();
    if (!crook) return;
    crook->Reset();
    const float lane = kLaneY[std::rand() % 2];
    crook->SetPosition(CPointF(ViewLeft() + kEnterX, lane), 0, 1);
    crook->SetPriority(int32_t(5.0f * lane));
    crook->ShowFrame(Metro_Arcade_Crook::kWalkFrame);
    crook->SetBehaviourState(Metro_Arcade_Crook::kEnter);
    PlaceOnStreet(crook);
}

void GAMetropolis_Activity::SpawnDropping() {
    if (crooks_.Count() >= crooksLeft_) return;
    Metro_Arcade_Crook* crook = FreeCrook();
    if (!crook) return;
    crook->Reset();
    const float lane = kLaneY[std::rand() % 2];
    crook->SetPosition(CPointF(float(200 + std::rand() % 800), -30.0f), 0, 1);
    crook->SetPriority(kDropPriority);
    crook->SetBehaviourState(Metro_Arcade_Crook::kLanding);
    crook->DropTo(lane);
    PlaceOnStreet(crook);
    const int say = std::rand() % 5;
    if (say == 0) SpeakLine(7);
    else if (say == 1) SpeakLine(8);
}

void GAMetropolis_Activity::PassCrooks() {
    for (int32_t i = crooks_.Count() - 1; i >= 0; --i) {
        Metro_Arcade_Crook* crook = crooks_.GetAt(i);
        if (crook->IsLanding() && crook->GetVelocity().y > 0.0f && crook->GetPosition().y >= crook->GetLaneY()) {
            crook->Land();
            crook->SetPriority(int32_t(5.0f * crook->GetLaneY()));
        }
        const float right = crook->GetPosition().x + float(crook->GetWidth()) / 2.0f;
        if (crook->GetVelocity().x < 0.0f && right < ViewLeft()) {
            crooks_.RemoveAt(i);
            crook->Stop();
            crook->SetVisible(0, 0);
            if (!crookPool_.Append(crook)) {
                Detach(crook);
                delete crook;
            }
        }
    }
}

void GAMetropolis_Activity::CrookHit(Metro_Arcade_Crook* crook) {
    if (crook->ShowsRunning() || crook->GetBehaviourState() == Metro_Arcade_Crook::kLanding) {
        if (!crook->MarkStopped()) return;
        CountStop(crook);
        crook->SetBehaviourState(Metro_Arcade_Crook::kHit);
        if (Arcade_Token* token = MaybeDropToken(crook, crooksLeft_)) token->SetVelocity(Vec3(), 0);
    } else if (crook->ShowsSlowEscape()) {
        if (!crook->MarkStopped()) return;
        CountStop(crook);
        crook->SetBehaviourState(Metro_Arcade_Crook::kHit);
        DropGoods(crook);
    }
}

void GAMetropolis_Activity::CountStop(Metro_Arcade_Crook* crook) {
    if (crooksLeft_ == 0) return;
    ++stopped_;
    --crooksLeft_;
    ShowClickFeedback(crook);
    RefreshCounters();
    if (stopped_ == 1) return;
    if (crooksLeft_ == 0) {
        RaiseRecord();
        endClock_.Start(int32_t(kEndMs));
    }
    if (crooksLeft_ != 1) {
        const int say = std::rand() % 5;
        if (say == 0) SpeakLine(4);
        else if (say == 1) SpeakLine(5);
    }
}

void GAMetropolis_Activity::DropGoods(Metro_Arcade_Crook* crook) {
    const int32_t count = goodsPool_.Count();
    if (count == 0) return;
    const int32_t pick = std::rand() % count;
    OActivityProp* goods = goodsPool_.GetAt(pick);
    goodsPool_.RemoveAt(pick);
    if (!liveGoods_.Append(goods)) {
        goodsPool_.Append(goods);
        return;
    }
    goods->SetPosition(crook->GetPosition(), 0, 1);
    goods->SetVisible(1, 0);
}

bool GAMetropolis_Activity::TakeGoodsTouching(Metro_Arcade_Crook* crook) {
    bool took = false;
    for (int32_t i = liveGoods_.Count() - 1; i >= 0; --i) {
        OActivityProp* goods = liveGoods_.GetAt(i);
        if (!crook->IntersectsPropAt(goods, nullptr)) continue;
        liveGoods_.RemoveAt(i);
        goods->SetVisible(0, 0);
        if (!goodsPool_.Append(goods)) xTracef("%s : the goods pool cannot grow\n", GetName());
        took = true;
    }
    return took;
}
