#include "game/minigames/arcade/GAToonActivity.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <new>

#include "engine/base/Rect.h"
#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/graphics/Part.h"
#include "game/minigames/arcade/ArcadeColumnMarker.h"
#include "game/minigames/arcade/ArcadeToken.h"
#include "game/minigames/arcade/PArcadeParticle.h"
#include "game/minigames/arcade/ToonArcadeClown.h"
#include "game/shell/Captions.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VFlat.h"

namespace {

constexpr ChunkId kKindBoxArt = MakeChunkId(2, 477);
constexpr ChunkId kDropArt = MakeChunkId(2, 128);
constexpr ChunkId kMatchesIcon = MakeChunkId(2, 64);
constexpr ChunkId kSwitchSound = MakeChunkId(7, 92);
constexpr float kKindBoxY = 30.0f;
/// Each change of the kind box runs its state six more times.
constexpr int32_t kBoxSteps = 6;
constexpr int32_t kDropPriority = 32767;
/// Every speed of the game rises by (level + kSpeedLevelBias) x kSpeedStep.
constexpr int32_t kSpeedLevelBias = 4;
constexpr int32_t kSpeedStep = 10;

/// A stage coordinate held to 16 bits (0 for what is not a number).
int16_t Clamp16(float v) {
    if (std::isnan(v)) return 0;
    return ClampToInt16(int32_t(std::clamp(v, -40000.0f, 40000.0f)));
}

/// Kind box states: 0 idle, 1 start, and per kind waiting, released and matched.
constexpr int32_t BoxWaiting(int32_t kind) { return 3 * kind + 2; }
constexpr int32_t BoxMatched(int32_t kind) { return 3 * kind + 4; }

// Captions are Windows-1252: 0x92 is the right single quotation mark.
constexpr ArcadeLine kLines[] = {
    {680, "This building is going up in smoke and the folks from Rozodudurid need your help. "},
    {681, "Be a hero and put out the fires two at a time.  "},
    {682, "Move and spray to put out fires.  "},
    {683, "Put out a fire and then find a matching character. "},
    {934, "Two in a row makes a match. "},
    {685, "Check the box to see which character to match next."},
    {764, "If you want to quit the game, hit the escape key."},
    {765, "You have to be a hero and save these folks. "},
    {766, " Spray two that match.  "},
    {767, "Keep your eyes peeled for pairs and get to work putting out those flames!"},
    {714, "Match them and then you\x92ll save them"},
    {715, "Now find the matching one."},
    {716, "You did it!  You matched them.  "},
    {717, "Great shot."},
    {718, "Try finding two that match"},
    {719, "That\x92s the way Fennmark hero!"},
    {697, "You did it!  Great job.  "},
    {698, "Do you want to play again or return to Rozodudurid?  "},
};
[[maybe_unused]] const bool kLinesListed = captions::List(kLines);

constexpr ArcadeSheet kSheet{
    .world = GAToon_Activity::kWorld,
    .town = GAToon_Activity::kTown,
    .self = GAToon_Activity::kSelf,
    .resultsPicture = MakeChunkId(2, 1124),
    .resultsJingle = MakeChunkId(7, 575),
    .startTexts = {MakeChunkId(17, 5), MakeChunkId(17, 84), MakeChunkId(17, 85)},
    .startTitle = MakeChunkId(17, 19),
    .startPictures = {MakeChunkId(2, 720), MakeChunkId(2, 721)},
    .leavePicture = MakeChunkId(2, 1093),
    .leaveText = MakeChunkId(17, 247),
    .musicEntry = 562,
    .lines = kLines,
    .lineCount = int(std::size(kLines)),
    .quietFrom = 10,
    .quietTo = 15,
    .resultLines = {16, 17, -1},
};

} // namespace

GAToon_Activity::GAToon_Activity(const char* name, uint32_t classId) : Arcade_Game(name, classId, kSheet) {}

GAToon_Activity::~GAToon_Activity() { DropKindBox(); }

bool GAToon_Activity::IsA(uint32_t classId) const { return classId == kClassId || Arcade_Activity::IsA(classId); }

GAToon_Activity* GAToon_Activity::Of(const OView* prop) {
    if (!prop) return nullptr;
    for (ONode* node = prop->GetParent(); node; node = node->GetParent()) {
        auto* view = dynamic_cast<OView*>(node);
        if (view && view->IsA(kClassId)) return static_cast<GAToon_Activity*>(view);
    }
    CTLVActivity* current = CurrentGameActivity();
    return current && current->IsA(kClassId) ? static_cast<GAToon_Activity*>(current) : nullptr;
}

bool GAToon_Activity::AcceptObject(OView* object) {
    if (object && object->IsA(Toon_Arcade_Clown::kClassId)) {
        auto* character = static_cast<Toon_Arcade_Clown*>(object);
        if (character->GetKind() < 0 || character->GetKind() >= kKinds)
            xTracef("%s : character of kind %d, outside 0-3, never shows\n", GetName(), int(character->GetKind()));
        else if (!characters_.Append(character)) xTracef("%s : the characters cannot grow\n", GetName());
        object->SetVisible(0, 0);
    } else if (object && object->IsA(Arcade_Column_Marker::kClassId)) {
        if (!markers_.Append(static_cast<Arcade_Column_Marker*>(object)))
            xTracef("%s : the markers cannot grow\n", GetName());
        object->SetVisible(0, 0);
    }
    return Arcade_Activity::AcceptObject(object);
}

int32_t GAToon_Activity::OnActivated() {
    const int32_t result = Arcade_Activity::OnActivated();
    for (int32_t i = 0; i < characters_.Count(); ++i) characters_.GetAt(i)->SetActive(false);
    for (int32_t i = 0; i < markers_.Count(); ++i) markers_.GetAt(i)->SetReached(false);
    MakeKindBox();
    const int32_t level = PlayerLevel();
    goal_ = matchesLeft_ = uint16_t(5 * level + 5);
    matches_ = 0;
    held_ = nullptr;
    waitingKind_ = -1;
    if (VFlat* vehicle = GetVehicle()) vehicle->SetTouchHook(&HitTestCallback);
    const int32_t raise = (level + kSpeedLevelBias) * kSpeedStep;
    for (int32_t g = 0; g < kGroups; ++g) {
        SetStartSpeed(g, GetStartSpeed(g) + raise);
        SetEndSpeed(g, GetEndSpeed(g) + raise);
        SetGroupSpeed(g, float(GetStartSpeed(g)));
    }
    if (GetVehicleIndex() == 0) SetLeftMargin(100);
    else if (GetVehicleIndex() == 1) SetLeftMargin(60);
    ShowCounters(&matchesLeft_, kMatchesIcon);
    StartTokens(level);
    CreateButtonPanel(kStartPanel);
    for (int n = 0; n <= 6; ++n) SpeakLine(n);
    return result;
}

int32_t GAToon_Activity::FlushSoundQueues() {
    DropKindBox();
    ClearTokens();
    return Arcade_Activity::FlushSoundQueues();
}

void GAToon_Activity::MakeKindBox() {
    if (kindBox_) return;
    kindBox_ = new (std::nothrow) OActivityProp("OActivityProp", 54);
    if (!kindBox_) return;
    LoadArt(kindBox_, GameFile(), kKindBoxArt, 1);
    if (OWindow* window = OWindow::Main()) window->AddChild(kindBox_);
    else AddChild(kindBox_);
    kindBox_->SetPosition(CPointF(float(GetStageWidth()) / 2.0f, kKindBoxY), 0, 1);
}

void GAToon_Activity::DropKindBox() {
    if (!kindBox_) return;
    if (ONode* parent = kindBox_->GetParent()) parent->RemoveChild(kindBox_);
    delete kindBox_;
    kindBox_ = nullptr;
}

void GAToon_Activity::ShowBox(int32_t state) {
    if (!kindBox_) return;
    const int32_t shown = kindBox_->GetState();
    // A change starts afresh: what the last one still had to run is dropped.
    if (CPart* part = kindBox_->GetAnimSet()) part->ClearQueue();
    // A box showing another kind's waiting state passes through that kind's release.
    if (shown >= 2 && shown % 3 == 2 && shown != state && state % 3 == 2) {
        kindBox_->SetState(shown + 1);
        kindBox_->StepFrames(shown + 1, kBoxSteps);
    } else {
        kindBox_->SetState(state);
    }
    kindBox_->StepFrames(state, kBoxSteps);
}

// ---- The frame ----------------------------------------------------------------------------------

int32_t GAToon_Activity::OnIdle() {
    OActivityManager* manager = GetActivityManager();
    const bool paused = manager && manager->IsPaused();
    if (!paused && sprayClock_.paused == 0 && sprayClock_.HasElapsed()) {
        EmitDrop();
        if (--dropsLeft_ <= 0) sprayClock_.Stop();
        else sprayClock_.Restart();
    }
    const int32_t result = Arcade_Activity::OnIdle();
    if (!paused) {
        PassMarkers();
        PassFallenTokens();
    }
    return result;
}

void GAToon_Activity::Shoot() {
    if (sprayClock_.running) return;
    sprayClock_.Start(int32_t(kDropMs));
    EmitDrop();
    dropsLeft_ = kMoreDrops;
    FireClock().Start(int32_t(GetFireInterval()));
}

PArcadeParticle* GAToon_Activity::FreeDrop() {
    for (int32_t i = drops_.Count() - 1; i >= 0; --i)
        if (!drops_.GetAt(i)->IsVisible()) return drops_.GetAt(i);
    auto* drop = new (std::nothrow) PArcadeParticle;
    if (!drop) return nullptr;
    drop->SetVisible(0, 0);
    drop->SetStopLine(kDropStopLine);
    LoadArt(drop, GameFile(), kDropArt, 1);
    drop->SetFrameHook(&Arcade_ParticleCallback);
    drop->SetLandingSound(GetVehicleIndex() == 1 ? MakeChunkId(7, 67) : MakeChunkId(7, 65));
    AddChild(drop);
    if (!drops_.Append(drop)) xTracef("%s : the drops cannot grow\n", GetName());
    return drop;
}

void GAToon_Activity::EmitDrop() {
    VFlat* vehicle = GetVehicle();
    if (!vehicle) return;
    PArcadeParticle* drop = FreeDrop();
    if (!drop) return;
    drop->SetPriority(kDropPriority);
    const uint32_t flight = GetVehicleIndex() == 1 ? 400 : 300;
    CPointF anchor;
    vehicle->GetAnchorPoint(&anchor);
    drop->SetPosition(anchor, 0, 1);
    drop->SetVelocityXY(0.0f, -float(kDropRise) / (float(flight) / 1000.0f), 0);
    const CPoint16 from(Clamp16(anchor.x), Clamp16(anchor.y));
    drop->Launch(from, 1, CPoint16(from.x, ClampToInt16(from.y - kDropRise)), flight, 1.0f);
    drop->SetState(0);
    drop->Start(0);
}

bool GAToon_Activity::TestParticleHit(PArcadeParticle* particle) {
    if (!particle) return false;
    bool blocked = false;
    for (int32_t i = 0; i < characters_.Count(); ++i) {
        Toon_Arcade_Clown* character = characters_.GetAt(i);
        if (!particle->HitsObject(character, nullptr)) continue;
        if (character->OnContact(particle) & 1) blocked = true;
        OnItemHit(character, false);
    }
    return blocked;
}

void GAToon_Activity::OnItemHit(Arcade_BG_Item* item, bool byVehicle) {
    if (item && byVehicle && item->IsA(Arcade_Token::kClassId)) CatchToken(static_cast<Arcade_Token*>(item));
}

// ---- Columns and characters ---------------------------------------------------------------------

void GAToon_Activity::PassMarkers() {
    const float viewLeft = GetScrollOffset().x;
    const float viewRight = viewLeft + float(GetStageWidth());
    for (int32_t i = 0; i < markers_.Count(); ++i) {
        Arcade_Column_Marker* marker = markers_.GetAt(i);
        const float half = float(marker->GetWidth()) / 2.0f;
        const float left = marker->GetPosition().x - half;
        const float right = marker->GetPosition().x + half;
        if (right < viewLeft || left > viewRight) continue;
        if (!marker->IsReached()) {
            if (right < viewRight - float(marker->GetAppearOffset())) marker->SetReached(true);
            continue;
        }
        if (right >= viewRight - float(marker->GetStaySpan()) - float(marker->GetAppearOffset())) continue;
        for (int32_t c = 0; c < characters_.Count(); ++c) {
            Toon_Arcade_Clown* character = characters_.GetAt(c);
            const int32_t state = character->GetState();
            if (character->GetColumn() == marker->GetColumn() && character->IsActive() &&
                state != Toon_Arcade_Clown::kLeaving && state != Toon_Arcade_Clown::kReleased &&
                state != Toon_Arcade_Clown::kPutOut)
                character->SetState(Toon_Arcade_Clown::kLeaving);
        }
    }
}

void GAToon_Activity::ColumnReached(int16_t column) {
    const int32_t kind = std::rand() % kKinds;
    int32_t ofKind = 0;
    for (int32_t i = 0; i < characters_.Count(); ++i) {
        Toon_Arcade_Clown* character = characters_.GetAt(i);
        if (character->GetColumn() != column) continue;
        character->SetActive(false);
        if (character->GetKind() == kind) ++ofKind;
    }
    // A column without a character of the drawn kind shows none.
    if (ofKind == 0) return;
    int32_t chosen = std::rand() % ofKind;
    for (int32_t i = 0; i < characters_.Count(); ++i) {
        Toon_Arcade_Clown* character = characters_.GetAt(i);
        if (character->GetColumn() != column || character->GetKind() != kind) continue;
        if (chosen-- == 0) {
            character->SetActive(true);
            return;
        }
    }
}

void GAToon_Activity::Forget(const Toon_Arcade_Clown* character) {
    if (held_ == character) held_ = nullptr;
}

void GAToon_Activity::HitCharacter(Toon_Arcade_Clown* character) {
    if (!character) return;
    const int32_t kind = character->GetKind();
    if (!held_ && waitingKind_ == -1) {
        held_ = character;
        waitingKind_ = kind;
        ShowBox(BoxWaiting(kind));
        character->SetState(Toon_Arcade_Clown::kPutOut);
        const int say = std::rand() % 5;
        if (say == 0) SpeakLine(10);
        else if (say == 1) SpeakLine(11);
        else if (say == 2) SpeakLine(14);
        return;
    }
    if (kind == waitingKind_) {
        character->SetState(Toon_Arcade_Clown::kPutOut);
        ShowClickFeedback(character);
        // The held character may have scrolled off since; the match still counts.
        if (held_) held_->SetState(Toon_Arcade_Clown::kPutOut);
        ShowBox(BoxMatched(kind));
        ++matches_;
        if (matchesLeft_ > 0) --matchesLeft_;
        RefreshCounters();
        DropTokenFrom(character);
        if (matches_ == goal_) {
            Won();
        } else if (matchesLeft_ != 1) {
            const int say = std::rand() % 4;
            if (say == 0) SpeakLine(12);
            else if (say == 1) SpeakLine(13);
            else if (say == 2) SpeakLine(15);
        }
        waitingKind_ = -1;
        held_ = nullptr;
        return;
    }
    character->SetState(Toon_Arcade_Clown::kPutOut);
    if (held_) held_->SetState(Toon_Arcade_Clown::kReleased);
    held_ = character;
    waitingKind_ = kind;
    firstSwitch_ = 1;
    ShowBox(BoxWaiting(kind));
    PlaySound(kSwitchSound, kAnyPipe, 127);
}

void GAToon_Activity::Won() {
    RaiseRecord();
    ShowResults();
}

// ---- Tokens -------------------------------------------------------------------------------------

void GAToon_Activity::DropTokenFrom(const Toon_Arcade_Clown* character) {
    if (Arcade_Token* token = MaybeDropToken(character, matchesLeft_)) token->SetVelocityXY(0.0f, kTokenSpeed, 0);
}

bool GAToon_Activity::HitTestCallback(TLV_Object* vehicle) {
    if (!vehicle || !vehicle->IsShownThroughParents()) return false;
    GAToon_Activity* game = Of(vehicle);
    return game && game->CatchTokensTouching(vehicle);
}
