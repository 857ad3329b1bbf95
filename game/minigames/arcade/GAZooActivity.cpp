#include "game/minigames/arcade/GAZooActivity.h"

#include <cstdlib>
#include <iterator>
#include <new>

#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "game/minigames/arcade/ArcadeToken.h"
#include "game/minigames/arcade/ZooArcadeGoalItem.h"
#include "game/minigames/arcade/ZooArcadeLeaf.h"
#include "game/minigames/arcade/ZooArcadeMonkey.h"
#include "game/minigames/arcade/ZooArcadeVine.h"
#include "game/shell/Captions.h"
#include "game/shell/PBeam.h"
#include "game/world/vehicles/VFlat.h"

namespace {

constexpr ChunkId kItemsIcon = MakeChunkId(2, 897);

/// Per vehicle (2 and 3): the beam's art and sound, the left margin, the fire interval and
/// how long the beam stays on.
struct Spotlight {
    ChunkId art;
    ChunkId sound;
    int16_t leftMargin;
    uint32_t fireMs;
    int32_t onMs;
};
constexpr Spotlight kSpotlights[] = {
    {MakeChunkId(2, 623), MakeChunkId(7, 129), 75, 1100, 500},
    {MakeChunkId(2, 223), MakeChunkId(7, 130), 50, 1000, 750},
};

/// The sound an item makes when it lands, by its art.
struct Landing {
    ChunkId art;
    ChunkId sound;
};
constexpr Landing kLandings[] = {
    {MakeChunkId(2, 502), MakeChunkId(7, 139)}, {MakeChunkId(2, 504), MakeChunkId(7, 132)},
    {MakeChunkId(2, 505), MakeChunkId(7, 133)}, {MakeChunkId(2, 506), MakeChunkId(7, 134)},
    {MakeChunkId(2, 507), MakeChunkId(7, 834)},
};

// Captions are Windows-1252: 0x92 and 0x91 are the right and left single quotation marks.
constexpr ArcadeLine kLines[] = {
    {992, "Shine your spot light beam at the monkeys to knock them off the vines. "},
    {837, "Try to collect as many items the monkeys drop as you can.  "},
    {993, "Drive under the items to catch them.  Don\x92t let them hit the ground.  "},
    {994, "Now go get \x91" "em!"},
    {871, "Great shot."},
    {872, "Wow you really put the spotlight on him!"},
    {873, "Don\x92t let the items drop."},
    {1015, "Oh, you let him get away!"},
    {1016, "What a lot of stuff!"},
    {876, "Good catch hero!"},
    {1017, "Shine the monkeys with your spot light beam"},
    {1004, "Now that\x92s the way to do it! "},
    {1005, "You got all of the clothes back from those mischievious monkeys!  "},
    {1006, "Do you want to play again or return to Ruriziz?"},
};
[[maybe_unused]] const bool kLinesListed = captions::List(kLines);

constexpr ArcadeSheet kSheet{
    .world = GAZoo_Activity::kWorld,
    .town = GAZoo_Activity::kTown,
    .self = GAZoo_Activity::kSelf,
    .resultsPicture = MakeChunkId(2, 1132),
    .resultsJingle = MakeChunkId(7, 576),
    .startTexts = {MakeChunkId(17, 12), MakeChunkId(17, 99), MakeChunkId(17, 106)},
    .startTitle = MakeChunkId(17, 21),
    .startPictures = {MakeChunkId(2, 724), MakeChunkId(2, 725)},
    .leavePicture = MakeChunkId(2, 1096),
    .leaveText = MakeChunkId(17, 248),
    .musicEntry = 581,
    .lines = kLines,
    .lineCount = int(std::size(kLines)),
    .quietFrom = 4,
    .quietTo = 10,
    .resultLines = {11, 12, 13},
};

/// The scenery groups rise by this much per level above 0.
constexpr int32_t kSpeedStep = 30;

const Spotlight& SpotlightOf(int32_t vehicle) { return kSpotlights[vehicle == 3 ? 1 : 0]; }

} // namespace

GAZoo_Activity::GAZoo_Activity(const char* name, uint32_t classId) : Arcade_Game(name, classId, kSheet) {}

GAZoo_Activity::~GAZoo_Activity() {
    DeleteRemoved();
    DeleteLiveItems();
    DeleteMonkeys();
}

bool GAZoo_Activity::IsA(uint32_t classId) const { return classId == kClassId || Arcade_Game::IsA(classId); }

GAZoo_Activity* GAZoo_Activity::Of(const OView* prop) {
    if (!prop) return nullptr;
    for (ONode* node = prop->GetParent(); node; node = node->GetParent()) {
        auto* view = dynamic_cast<OView*>(node);
        if (view && view->IsA(kClassId)) return static_cast<GAZoo_Activity*>(view);
    }
    CTLVActivity* current = CurrentGameActivity();
    return current && current->IsA(kClassId) ? static_cast<GAZoo_Activity*>(current) : nullptr;
}

bool GAZoo_Activity::AcceptObject(OView* object) {
    if (object && object->IsA(Zoo_Arcade_Leaf::kClassId)) {
        if (!leaves_.Append(static_cast<Zoo_Arcade_Leaf*>(object))) xTracef("%s : the leaves cannot grow\n", GetName());
    } else if (object && object->IsA(Zoo_Arcade_Vine::kClassId)) {
        auto* vine = static_cast<Zoo_Arcade_Vine*>(object);
        for (int32_t i = 0; i < vines_.Count(); ++i)
            if (vines_.GetAt(i)->GetObjectId() == vine->GetObjectId())
                xTracef("%s : two vines have the object id %u; monkeys take the first\n", GetName(),
                        unsigned(vine->GetObjectId()));
        if (!vines_.Append(vine)) xTracef("%s : the vines cannot grow\n", GetName());
    }
    return Arcade_Game::AcceptObject(object);
}

int32_t GAZoo_Activity::OnActivated() {
    const int32_t result = Arcade_Game::OnActivated();
    const int32_t level = Level();
    const int32_t raise = kSpeedStep * (level + 1);
    for (int32_t g = 0; g < kViewGroup; ++g) {
        SetStartSpeed(g, GetStartSpeed(g) + raise);
        SetEndSpeed(g, GetEndSpeed(g) + raise);
        SetGroupSpeed(g, float(GetStartSpeed(g)));
    }
    goal_ = itemsLeft_ = uint16_t(5 * level + 5);
    caught_ = 0;
    ShowCounters(&itemsLeft_, kItemsIcon);
    StartTokens(level);
    if (VFlat* vehicle = GetVehicle()) vehicle->SetTouchHook(&CatchCallback);
    SetUpBeam();
    chooser_ = ZooVineChooser();
    PlaceStartingMonkeys();
    CreateButtonPanel(kStartPanel);
    for (int n = 0; n <= 3; ++n) SpeakLine(n);
    return result;
}

void GAZoo_Activity::SetUpBeam() {
    VFlat* vehicle = GetVehicle();
    if (!vehicle) return;
    const Spotlight& light = SpotlightOf(GetVehicleIndex());
    if (!beam_) {
        beam_ = new (std::nothrow) PBeam("PBeam", PBeam::kClassId);
        if (!beam_) return;
        beam_->SetPriority(vehicle->GetPriority());
        AddChild(beam_);
        if (!LoadArt(beam_, GameFile(), light.art, 1)) xTracef("%s : no spotlight art\n", GetName());
        beam_->SetOwner(vehicle);
        beam_->SetHitCallback(&BeamCallback);
    }
    RideBeam();
    beam_->SetLaunchSound(light.sound);
    SetLeftMargin(light.leftMargin);
    SetFireInterval(light.fireMs);
    beamClock_.Stop();
    beamClock_.duration = light.onMs;
    beam_->SetVisible(0, 0);
    // The first shot is allowed at once.
    FireClock().Start(0);
    FireClock().start -= 1;
}

void GAZoo_Activity::PlaceStartingMonkeys() {
    const int32_t vines = vines_.Count();
    for (const int32_t i : ZooVineChooser::StartingVines(vines)) Hang(FreeMonkey(), vines_.GetAt(i));
    currentVine_ = ZooVineChooser::FirstRespawnVine(vines);
    if (vines == 0) xTracef("%s : no vines, so no monkeys\n", GetName());
}

Zoo_Arcade_Monkey* GAZoo_Activity::FreeMonkey() {
    if (active_.Count() >= kMaxActiveMonkeys) return nullptr;
    for (int32_t i = 0; i < monkeys_.Count(); ++i) {
        Zoo_Arcade_Monkey* monkey = monkeys_.GetAt(i);
        bool busy = false;
        for (int32_t a = 0; a < active_.Count() && !busy; ++a) busy = active_.GetAt(a) == monkey;
        if (!busy) return monkey;
    }
    auto* monkey = new (std::nothrow) Zoo_Arcade_Monkey("Zoo_Arcade_Monkey", Zoo_Arcade_Monkey::kClassId);
    if (!monkey) return nullptr;
    if (!monkeys_.Append(monkey)) {
        delete monkey;
        return nullptr;
    }
    LoadArt(monkey, GameFile(), kMonkeyArt, 1);
    monkey->SetPriority(Zoo_Arcade_Monkey::kPriority);
    AddChild(monkey);
    return monkey;
}

void GAZoo_Activity::Hang(Zoo_Arcade_Monkey* monkey, const Zoo_Arcade_Vine* vine) {
    if (!monkey || !vine || !active_.Append(monkey)) return;
    const CPointF at = vine->GetPosition();
    monkey->Hang(int16_t(vine->GetObjectId()), at.x, at.y + float(chooser_.NextOffset()));
}

void GAZoo_Activity::VineRespawned(const Zoo_Arcade_Vine* vine) {
    const int32_t vines = vines_.Count();
    if (currentVine_ < 0 || currentVine_ >= vines || vines_.GetAt(currentVine_) != vine) return;
    Hang(FreeMonkey(), vine);
    currentVine_ = ZooVineChooser::NextRespawnVine(currentVine_, vines);
}

// ---- The frame ----------------------------------------------------------------------------------

int32_t GAZoo_Activity::OnIdle() {
    OActivityManager* manager = GetActivityManager();
    const bool paused = manager && manager->IsPaused();
    if (!paused) {
        RideBeam();
        if (beam_ && beam_->IsVisible()) {
            if (beamClock_.HasElapsed()) {
                beam_->SwitchOff();
                beamClock_.Stop();
            } else {
                BeamTest();
            }
        }
        PassFallenItems();
        PassFallenTokens();
    }
    const float viewBefore = GetScrollOffset().x;
    const int32_t result = Arcade_Game::OnIdle();
    if (!paused) {
        // At the strip's end the view jumps back by the span: what hangs on no vine (lit
        // monkeys, falling items) goes back with it, as the tokens do.
        const float moved = GetScrollOffset().x - viewBefore;
        if (moved < -float(GetStageWidth()) / 2.0f) ShiftLoose(moved);
        FollowVines();
    }
    DeleteRemoved();
    return result;
}

void GAZoo_Activity::RideBeam() {
    VFlat* vehicle = GetVehicle();
    if (!beam_ || !vehicle) return;
    const CPointF at = vehicle->GetPosition(), hot = vehicle->GetHotSpot();
    beam_->SetPosition(CPointF(at.x - hot.x, at.y - hot.y), 0, 1);
}

void GAZoo_Activity::Shoot() {
    if (!beam_ || !FireClock().HasElapsed()) return;
    beam_->Activate(1);
    beamClock_.Start(beamClock_.duration);
    FireClock().Start(int32_t(GetFireInterval()));
}

bool GAZoo_Activity::BeamCallback(TLV_Object* beam) {
    GAZoo_Activity* game = Of(beam);
    if (game) game->BeamTest();
    return false;
}

void GAZoo_Activity::BeamTest() {
    if (!beam_ || !beam_->IsVisible()) return;
    for (int32_t i = monkeys_.Count() - 1; i >= 0; --i) {
        Zoo_Arcade_Monkey* monkey = monkeys_.GetAt(i);
        if (!monkey) {
            monkeys_.RemoveAt(i);
            continue;
        }
        if (!monkey->IsVisible() || !beam_->HitsObject(monkey, nullptr)) continue;
        // Once lit, a monkey has let go of what it held: the beam passes over it.
        if (!monkey->MarkHit()) continue;
        monkey->SetBehaviourState(Zoo_Arcade_Monkey::kHit);
        Drop(monkey);
    }
}

void GAZoo_Activity::ShiftLoose(float dx) {
    for (int32_t i = 0; i < active_.Count(); ++i)
        if (active_.GetAt(i)->IsHit()) active_.GetAt(i)->SetPosition(CPointF(dx, 0.0f), 1, 1);
    for (int32_t i = 0; i < liveItems_.Count(); ++i) liveItems_.GetAt(i)->SetPosition(CPointF(dx, 0.0f), 1, 1);
}

void GAZoo_Activity::FollowVines() {
    const float viewLeft = GetScrollOffset().x;
    for (int32_t i = active_.Count() - 1; i >= 0; --i) {
        Zoo_Arcade_Monkey* monkey = active_.GetAt(i);
        // A vine that came round is far ahead: the monkey stays where it is.
        if (const Zoo_Arcade_Vine* vine = monkey->FindVine(monkey->GetVineId());
            vine && !monkey->IsHit() && vine->GetPosition().x <= monkey->GetVineX()) {
            monkey->SetPosition(CPointF(vine->GetPosition().x - monkey->GetVineX(), 0.0f), 1, 1);
            monkey->SetVineX(vine->GetPosition().x);
        }
        const float right = monkey->GetPosition().x + float(monkey->GetWidth()) / 2.0f;
        if (right < viewLeft) {
            active_.RemoveAt(i);
            monkey->LetGo();
        }
    }
}

// ---- Drops and catches --------------------------------------------------------------------------

CPointF GAZoo_Activity::LaunchVelocity() const {
    const int32_t drift = int32_t(GetGroupSpeed(2) - GetGroupSpeed(kViewGroup));
    return CPointF(float(std::rand() % 200 - drift - 100), kThrowUp);
}

void GAZoo_Activity::Drop(Zoo_Arcade_Monkey* monkey) {
    if (Arcade_Token* token = MaybeDropToken(monkey, itemsLeft_)) {
        token->SetMaxSpeed(kTokenSpeed, 0);
        Throw(token);
        return;
    }
    auto* item = new (std::nothrow) Zoo_Arcade_GoalItem("Zoo_Arcade_GoalItem", Zoo_Arcade_GoalItem::kClassId);
    if (!item) return;
    if (!liveItems_.Append(item)) {
        delete item;
        return;
    }
    // The clothes come in turn: each drop shows the next of the five pieces.
    LoadArt(item, GameFile(), kLandings[drops_++ % std::size(kLandings)].art, 1);
    item->SetPriority(Zoo_Arcade_GoalItem::kPriority);
    AddChild(item);
    item->SetPosition(monkey->GetPosition(), 0, 1);
    item->SetVisible(1, 0);
    Throw(item);
    if (std::rand() % 3 < 2) SpeakLine(4 + std::rand() % 2);
}

void GAZoo_Activity::Throw(TLVComplex_Object* thing) const {
    const CPointF v = LaunchVelocity();
    thing->SetVelocityXY(v.x, v.y, 0);
    thing->SetMaxAcceleration(kDropPull, 0);
    thing->SetAccelerationLimits(Vec3(0.0f, kDropPull, 0.0f), 0);
    thing->SetAcceleration(Vec3(0.0f, kDropPull, 0.0f), 0);
}

bool GAZoo_Activity::CatchCallback(TLV_Object* vehicle) {
    if (!vehicle || !vehicle->IsShownThroughParents()) return false;
    GAZoo_Activity* game = Of(vehicle);
    return game && game->CatchTest(vehicle);
}

bool GAZoo_Activity::CatchTest(TLV_Object* vehicle) {
    bool caught = false;
    for (int32_t i = liveItems_.Count() - 1; i >= 0; --i) {
        Zoo_Arcade_GoalItem* item = liveItems_.GetAt(i);
        if (item->IsVisible() && item->HitsObject(vehicle, nullptr)) {
            liveItems_.RemoveAt(i);
            CatchItem(item);
            caught = true;
        }
    }
    return CatchTokensTouching(vehicle) || caught;
}

void GAZoo_Activity::CatchItem(Zoo_Arcade_GoalItem* item) {
    item->SetVisible(0, 0);
    ++caught_;
    ShowClickFeedback(item);
    Remove(item);
    // A second item caught in the same pass as the last one finds nothing left to win.
    if (itemsLeft_ == 0) return;
    --itemsLeft_;
    RefreshCounters();
    if (itemsLeft_ == 0) {
        RaiseRecord();
        ShowResults();
    } else if (itemsLeft_ != 1) {
        const int say = std::rand() % 5;
        if (say == 0) SpeakLine(8);
        else if (say == 1) SpeakLine(9);
    }
}

void GAZoo_Activity::PassFallenItems() {
    const float bottom = GetScrollOffset().y + float(GetStageHeight());
    for (int32_t i = liveItems_.Count() - 1; i >= 0; --i) {
        Zoo_Arcade_GoalItem* item = liveItems_.GetAt(i);
        if (item->GetPosition().y < bottom) continue;
        ChunkId art = kNullChunkId;
        item->GetPartID(&art);
        for (const Landing& landing : kLandings)
            if (landing.art == art) PlaySound(landing.sound, kAnyPipe, 127);
        if (std::rand() % 5 == 0) SpeakLine(6);
        liveItems_.RemoveAt(i);
        item->SetVisible(0, 0);
        Remove(item);
    }
}

// ---- Removal and stop ---------------------------------------------------------------------------

void GAZoo_Activity::Remove(OActivityProp* prop) {
    if (!removals_.Append(prop)) xTracef("%s : the removal list cannot grow; the prop stays hidden\n", GetName());
}

void GAZoo_Activity::DeleteRemoved() {
    while (removals_.Count() > 0) {
        OActivityProp* prop = removals_.PopBack();
        if (ONode* parent = prop->GetParent()) parent->RemoveChild(prop);
        delete prop;
    }
}

void GAZoo_Activity::DeleteLiveItems() {
    while (liveItems_.Count() > 0) {
        Zoo_Arcade_GoalItem* item = liveItems_.PopBack();
        if (ONode* parent = item->GetParent()) parent->RemoveChild(item);
        delete item;
    }
}

void GAZoo_Activity::DeleteMonkeys() {
    active_.Free();
    while (monkeys_.Count() > 0) {
        Zoo_Arcade_Monkey* monkey = monkeys_.PopBack();
        if (ONode* parent = monkey->GetParent()) parent->RemoveChild(monkey);
        delete monkey;
    }
}

int32_t GAZoo_Activity::FlushSoundQueues() {
    DeleteMonkeys();
    DeleteLiveItems();
    DeleteRemoved();
    ClearTokens();
    return Arcade_Game::FlushSoundQueues();
}
