#include "game/minigames/puzzle/CGPuzzle.h"

#include <algorithm>
#include <new>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/core/Cursor.h"
#include "engine/core/Event.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/media/Application.h"
#include "engine/media/MouseProcess.h"
#include "engine/media/PartCursor.h"
#include "game/minigames/puzzle/PuzzleCharacter.h"
#include "game/minigames/puzzle/PuzzleCrowd.h"
#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "game/minigames/puzzle/PuzzleGoButton.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VIsometric.h"
#include "platform/Platform.h"

namespace {

constexpr uint32_t kPersonClass = 1610;
constexpr uint32_t kCrowdClass = 1620;
constexpr uint32_t kBadgeClass = 1540;
constexpr uint32_t kGoButtonClass = 1630;
constexpr int32_t kCrowdPriority = -1000;
constexpr int16_t kBadgeRow = 3, kBadgeColumn = 5;
constexpr float kBadgeHeight = 15.0f;
constexpr float kVehicleSpeed = 50.0f;
/// The pointer moves every this many frames, so that highlights follow a resting mouse.
constexpr int32_t kMouseFrames = 9;
/// Draws of a free cell before placement gives up (a board has 49 cells).
constexpr int32_t kMaxCellDraws = 10000;
constexpr int32_t kHints[] = {6, 8, 10, 12};
constexpr int32_t kPraise[] = {7, 11, 13};

int32_t Below(int32_t n) { return xRand() % n; }

CPlayer* Player() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

OMouseProcess* Mouse() {
    OApplication* app = OApplication::Get();
    return app ? app->GetMouseProcess() : nullptr;
}

/// Boxes of position +- half the drawn size, compared only at right-angle rotations.
bool BoxesOverlap(const OView* a, const OView* b) {
    if (!a->HasRightAngleRotation() || !b->HasRightAngleRotation()) return false;
    const float aw = float(a->GetWidth()) / 2, ah = float(a->GetHeight()) / 2;
    const float bw = float(b->GetWidth()) / 2, bh = float(b->GetHeight()) / 2;
    const CPointF& p = a->GetPosition();
    const CPointF& q = b->GetPosition();
    return p.x - aw < q.x + bw && q.x - bw < p.x + aw && p.y - ah < q.y + bh && q.y - bh < p.y + ah;
}

template <class Prop>
void DeleteAll(ONode* owner, std::vector<Prop*>& props) {
    while (!props.empty()) {
        Prop* prop = props.back();
        props.pop_back();
        owner->RemoveChild(prop);
        delete prop;
    }
}

} // namespace

CGPuzzle::CGPuzzle(const PuzzleTownValues& town, const char* name, uint32_t classId)
    : TLVGame_Activity(name, classId), town_(town), board_(this), run_(board_, *this) {
    WatchKey(kKeySpace);
    // CTRL switches the vehicle's light; the base does not watch it.
    WatchKey(kKeyCtrl);
    run_.SetAngleTest(town.angleTest);
    run_.SetCity(town.city);
}

CGPuzzle::~CGPuzzle() {
    if (!pointer_) return;
    if (OMouseProcess* mouse = Mouse(); mouse && mouse->GetCursorView() == pointer_) mouse->ClearCursorView(1);
    delete pointer_;
}

bool CGPuzzle::IsA(uint32_t classId) const { return classId == town_.classId || TLVGame_Activity::IsA(classId); }

uint16_t CGPuzzle::PlayerVehicle() {
    const CPlayer* player = Player();
    return player ? player->GetSelectedVehicle() : 0;
}

int32_t CGPuzzle::ReadLevel() const {
    const CPlayer* player = Player();
    const int32_t level = player ? player->GetActivityLevel(town_.world, kPuzzleActivity) : 1;
    if (level >= 1 && level <= 3) return level;
    xTracef("%s : puzzle level %d of the record taken as %d\n", GetName(), int(level), level < 1 ? 1 : 3);
    return level < 1 ? 1 : 3;
}

int32_t CGPuzzle::OnActivated() {
    level_ = ReadLevel();
    badgeTotal_ = uint16_t(level_ + 1);
    peopleTotal_ = peopleLeft_ = uint16_t(2 * level_ + 1);
    run_.SetGoDelay(CPuzzleRun::kGoDelayMs);
    const BoardLook look{town_.x0, town_.y0, &town_.straightArt, 1, &town_.curveArt, 1};
    const puzzle::TrackRules rules{town_.reserved, town_.reservedCount, 1, 1};
    bool laid = false;
    for (int32_t attempt = 0; !laid && attempt < kMaxAttempts; ++attempt) {
        level_ = ReadLevel();
        laid = board_.GenerateTrack(float(2 * level_ + 2) * 0.1f, rules, look);
    }
    if (!laid) xTracef("%s : no board after %d attempts\n", GetName(), int(kMaxAttempts));
    MakePointer();
    PlaceVehicle();
    PlacePeople(peopleTotal_);
    PlaceBadges(badgeTotal_);
    TLVGame_Activity::OnActivated();
    CreateButtonPanel(kPanelStart);
    for (int32_t line = 0; line <= 4; ++line) Speak(line);
    return 1;
}

int32_t CGPuzzle::StartTown(Puzzle_Character* character) {
    const uint16_t vehicle = PlayerVehicle();
    const int32_t own = int32_t(vehicle) - town_.firstVehicle;
    if (own == 0 || own == 1) SetVehicleArts(town_.vehicleArts[own], town_.lightArts[own]);
    else xTracef("%s : vehicle %d is not one of the town's\n", GetName(), int(vehicle));
    AdoptCharacter(character);
    const int32_t started = CGPuzzle::OnActivated();
    if (CCounterPanel* panel = CounterPanel()) {
        panel->SetCounter(0, town_.peopleIcon, &peopleLeft_, 0, 0, 0);
        if (CPlayer* player = Player()) panel->SetCounter(1, puzzle_towns::kBadgeIcon, player->BadgeCountPtr(town_.world, kPuzzleActivity), 0, 0, 0);
    }
    return started;
}

void CGPuzzle::AdoptCharacter(Puzzle_Character* character) {
    if (!character) return;
    if (character_ || !ArtsPresent(&town_.characterArt, 1)) {
        if (!character_) xTracef("%s : no character art, the puzzle has no character\n", GetName());
        delete character;
        return;
    }
    character_ = character;
    character_->SetPartID(GamePartFile(), town_.characterArt, 0);
    AddChild(character_);
}

void CGPuzzle::RemoveCharacter() {
    if (!character_) return;
    RemoveChild(character_);
    delete character_;
    character_ = nullptr;
}

bool CGPuzzle::NextToVehicle(const Puzzle_Dweeble* person) const {
    const Puzzle_Piece* under = run_.Current();
    return person && under && person->Current() && under->ConnectsTo(person->Current());
}

void CGPuzzle::MakePointer() {
    if (pointer_) return;
    pointer_ = new (std::nothrow) OPartCursor;
    if (!pointer_) return;
    if (CPartFile* file = GamePartFile()) pointer_->SetPartID(file, puzzle_towns::kPointerArt, 0);
    pointer_->SetState(0);
    if (OMouseProcess* mouse = Mouse()) mouse->SetCursorView(pointer_);
}

bool CGPuzzle::ArtsPresent(const ChunkId* arts, int32_t n) const {
    CPartFile* file = GamePartFile();
    if (!file || !file->IsOpen()) return false;
    for (int32_t i = 0; i < n; ++i)
        if (arts[i] == 0 || !file->ChunkExists(arts[i])) return false;
    return true;
}

void CGPuzzle::PlaceVehicle() {
    if (!vehicleArt_ || !ArtsPresent(&vehicleArt_, 1)) {
        xTracef("%s : no vehicle art, the puzzle has no vehicle\n", GetName());
        return;
    }
    if (!vehicle_) {
        vehicle_ = new (std::nothrow) VIsometric("VIsometric", VIsometric::kClassId);
        if (!vehicle_) return;
        vehicle_->SetPartID(GamePartFile(), vehicleArt_, 0);
        vehicle_->SetSpeed(kVehicleSpeed);
        vehicle_->SetArrivalRadius(kVehicleArrivalRadius);
        vehicle_->Halt();
        vehicle_->SetVariant(0);
        vehicle_->SetScale(kVehicleScale, kVehicleScale);
        // On the activity first, so that its light is added beside it.
        AddChild(vehicle_);
        vehicle_->AttachProp(lightArt_);
    }
    if (board_.TileCount() == 0) return;
    Puzzle_Piece* tile = nullptr;
    while (!tile) {
        const int32_t row = Below(7);
        tile = board_.At(row, Below(7));
    }
    run_.Place(vehicle_, tile);
}

void CGPuzzle::PlacePeople(int32_t n) {
    if (!ArtsPresent(town_.personArts, 4)) {
        xTracef("%s : person arts missing, the puzzle has no people\n", GetName());
        return;
    }
    const float height = town_.city ? Puzzle_Dweeble::kCityStandHeight : Puzzle_Dweeble::kStandHeight;
    for (int32_t i = 0; i < n; ++i) {
        auto* person = new (std::nothrow) Puzzle_Dweeble("Puzzle_Dweeble", Puzzle_Dweeble::kClassId);
        if (!person) return;
        person->SetPartID(GamePartFile(), town_.personArts[Below(4)], 0);
        person->ShowRandomFrameA();
        person->SetScale(kPersonScale, kPersonScale);
        Puzzle_Piece* tile = nullptr;
        for (int32_t draws = 0; !tile && draws < kMaxCellDraws; ++draws) {
            const int32_t column = Below(7);
            Puzzle_Piece* candidate = board_.At(Below(7), column);
            if (candidate && candidate->SetOccupant(person)) tile = candidate;
        }
        if (!tile) {
            xTracef("%s : no free tile for a person\n", GetName());
            delete person;
            return;
        }
        person->SetCurrent(tile);
        person->SetCell(tile->GetRow(), tile->GetColumn());
        person->SetPosition(CPointF(tile->GetPosition().x, tile->GetPosition().y - height), 0, 1);
        person->SetPriority(tile->GetPriority());
        person->CreateOverlay();
        people_.push_back(person);
        AddChild(person);
    }
}

void CGPuzzle::PlaceBadges(int32_t n) {
    if (!ArtsPresent(town_.personArts, 4)) return;
    for (int32_t i = 0; i < n; ++i) {
        auto* badge = new (std::nothrow) Token("Token", Token::kClassId);
        if (!badge) return;
        badge->SetPartID(GamePartFile(), puzzle_towns::kBadgeArt, 0);
        badge->SetScale(kPersonScale, kPersonScale);
        Puzzle_Piece* tile = nullptr;
        for (int32_t draws = 0; !tile && draws < kMaxCellDraws; ++draws) {
            const int32_t column = Below(7);
            Puzzle_Piece* candidate = board_.At(Below(7), column);
            if (candidate && !candidate->GetOccupant() && !candidate->HoldsBadge()) tile = candidate;
        }
        if (!tile) {
            xTracef("%s : no free tile for a badge\n", GetName());
            delete badge;
            return;
        }
        badge->row = tile->GetRow();
        badge->column = tile->GetColumn();
        badge->SetPosition(CPointF(tile->GetPosition().x, tile->GetPosition().y - kBadgeHeight), 0, 1);
        badge->SetPriority(tile->GetPriority());
        badge->SetVisible(1, 1);
        badge->CreateOverlay();
        tile->SetHoldsBadge(true);
        badges_.push_back(badge);
        AddChild(badge);
    }
}

bool CGPuzzle::AcceptObject(OView* object) {
    if (object && object->IsA(kPersonClass)) {
        object->SetScale(kPersonScale, kPersonScale);
        people_.push_back(static_cast<Puzzle_Dweeble*>(object));
    } else if (object && object->IsA(kCrowdClass)) {
        object->SetPriority(kCrowdPriority);
        crowd_.push_back(static_cast<Puzzle_Crowd*>(object));
    } else if (object && object->IsA(kBadgeClass)) {
        auto* badge = static_cast<Token*>(object);
        badge->row = kBadgeRow;
        badge->column = kBadgeColumn;
        badges_.push_back(badge);
    } else if (object && object->IsA(kGoButtonClass)) {
        goButton_ = static_cast<Puzzle_Go_Button*>(object);
        goButton_->SetState(Puzzle_Go_Button::kReady);
    }
    return TLVGame_Activity::AcceptObject(object);
}

void CGPuzzle::OnAppResume() {
    TLVGame_Activity::OnAppResume();
    xTrace("CGPuzzle::OnSwitchIn\n");
    if (OMouseProcess* mouse = Mouse()) mouse->Refresh();
}

void CGPuzzle::Pause() {
    run_.Pause();
    if (character_) character_->Suspend(1);
    for (Puzzle_Dweeble* person : people_) person->Suspend(1);
    for (Puzzle_Crowd* crowd : crowd_) crowd->Suspend(1);
    TLVGame_Activity::Pause();
}

void CGPuzzle::Resume() {
    if (IsPanelShown(-1)) return;
    run_.Resume();
    if (character_) character_->Resume(1);
    for (Puzzle_Dweeble* person : people_) person->Resume(1);
    for (Puzzle_Crowd* crowd : crowd_) crowd->Resume(1);
    TLVGame_Activity::Resume();
}

int32_t CGPuzzle::OnIdle() {
    if (++mouseFrames_ > kMouseFrames) {
        mouseFrames_ = 0;
        xEvent move;
        move.category = kEventMouse;
        move.type = kEvMouseMove;
        if (OWindow* window = OWindow::Main()) {
            const plat::WinPoint at = plat::input().ScreenToClient(window->GetWindowId(), plat::input().CursorPos());
            move.cursor = CPoint16(int16_t(at.x), int16_t(at.y));
            CreateEvent(move);
        }
    }
    if (HintTimerElapsed() > kHintMs) {
        Speak(kHints[Below(4)]);
        ResetHintTimer();
    }
    if (run_.GetStepTimer().paused != 0) return TLVGame_Activity::OnIdle();
    run_.UpdateVehiclePriority();
    if (peopleLeft_ == 0 && !IsPanelShown(-1)) {
        CreateButtonPanel(kPanelEnd);
        Speak(14);
        Speak(15);
        return TLVGame_Activity::OnIdle();
    }
    run_.Frame();
    return TLVGame_Activity::OnIdle();
}

void CGPuzzle::CheerCrowdsTwice() {
    for (Puzzle_Crowd* crowd : crowd_) crowd->CheerTwice();
}

void CGPuzzle::OnTileTurned(Puzzle_Piece* tile, OActivityProp* person) {
    if (person && person->IsA(kPersonClass)) static_cast<Puzzle_Dweeble*>(person)->TileTurned(tile);
}

void CGPuzzle::OnAdvanceStarted() {
    const uint16_t vehicle = PlayerVehicle();
    if (vehicle < 6) PlayOnPipe3(puzzle_towns::kEngineSounds[vehicle]);
}

void CGPuzzle::OnDeadEnd() {
    if (!goButton_) return;
    goButton_->ShowStopped();
    StopPipe3();
}

void CGPuzzle::OnStoppedOnTile() { StopPipe3(); }

void CGPuzzle::OnVehicleStep() {
    PickUpPeople();
    CollectBadges();
}

void CGPuzzle::PickUpPeople() {
    for (Puzzle_Dweeble* person : people_) {
        if (!xPuzzle_IsVisible(person)) continue;
        const bool onCell = person->GetRow() == run_.GetRow() && person->GetColumn() == run_.GetColumn();
        if (!onCell && (town_.city || !person->FrameInListD())) continue;
        if (!BoxesOverlap(vehicle_, person)) continue;
        ShowClickFeedback(person);
        OnPersonReached(person);
        person->PickUp();
        if (Puzzle_Piece* tile = run_.Current()) {
            tile->ClearOccupant();
            tile->SetOccupant(vehicle_);
        }
        for (Puzzle_Crowd* crowd : crowd_) {
            if (crowd->GetObjectId() != 0) crowd->CheerTwice();
            else crowd->CheerOnce();
        }
        if (peopleLeft_ > 0) --peopleLeft_;
        RefreshCounters();
        if (Below(2) == 0) Speak(kPraise[Below(3)]);
    }
}

void CGPuzzle::CollectBadges() {
    for (size_t i = 0; i < badges_.size();) {
        Token* badge = badges_[i];
        Puzzle_Piece* tile = board_.At(badge->row, badge->column);
        const bool near = (badge->row == run_.GetRow() && badge->column == run_.GetColumn()) ||
                          (tile && run_.Current() && run_.Current()->ConnectsTo(tile));
        if (!xPuzzle_IsVisible(badge) || !near || !BoxesOverlap(vehicle_, badge)) {
            ++i;
            continue;
        }
        badge->OnCollected(vehicle_);
        badge->SetVisible(0, 1);
        badges_.erase(badges_.begin() + std::ptrdiff_t(i));
        // The tile the badge lay on is free of it, whether the vehicle stands there or beside it.
        if (tile) tile->SetHoldsBadge(false);
        if (run_.Current()) run_.Current()->SetHoldsBadge(false);
        for (Puzzle_Crowd* crowd : crowd_) crowd->SetState(1);
        if (CPlayer* player = Player()) player->IncBadgeCount(town_.world, kPuzzleActivity);
        RefreshCounters();
    }
}

void CGPuzzle::RefreshCounters() {
    if (CCounterPanel* panel = CounterPanel()) panel->Refresh();
}

void CGPuzzle::OnKey(uint32_t key) {
    if ((key == kKeyEnter || key == kKeyEsc) && IsPanelShown(-1)) BlinkPanelButton(kPanelStart, 1);
    if (key == kKeyCtrl && vehicle_ && vehicle_->GetAttachedProp()) {
        OActivityProp* light = vehicle_->GetAttachedProp();
        light->SetVisible(light->IsVisible() ? 0 : 1, 1);
        light->SetPriority(vehicle_->GetPriority() + 1);
        if (light->IsVisible()) PlayOnPipe8(town_.siren);
        else StopPipe8();
    }
    if (key == kKeySpace) {
        if (IsPanelShown(-1)) {
            BlinkPanelButton(kPanelStart, 1);
        } else {
            const bool moving = run_.ToggleMoving();
            if (goButton_ && moving) goButton_->ShowGoing();
            else if (goButton_) goButton_->ShowStopped();
        }
    }
    TLVGame_Activity::OnKey(key);
}

void CGPuzzle::RemoveVehicle() {
    if (!vehicle_) return;
    run_.Place(nullptr, nullptr);
    vehicle_->DetachProp();
    RemoveChild(vehicle_);
    delete vehicle_;
    vehicle_ = nullptr;
}

int32_t CGPuzzle::FlushSoundQueues() {
    if (CPlayer* player = Player()) {
        if (peopleLeft_ == 0) {
            player->IncActivityCount(town_.world, kPuzzleActivity);
            player->IncActivityLevel(town_.world, kPuzzleActivity);
        } else {
            player->DecActivityLevel(town_.world, kPuzzleActivity);
        }
    }
    // The character holds a tile: it goes before the board.
    RemoveCharacter();
    board_.ClearBoard();
    DeleteAll(this, people_);
    RemoveVehicle();
    xCursor_Show(true);
    if (OMouseProcess* mouse = Mouse(); mouse && pointer_ && mouse->GetCursorView() == pointer_) mouse->ClearCursorView(1);
    delete pointer_;
    pointer_ = nullptr;
    BlinkPanelButton(kPanelEnd, 1);
    return TLVGame_Activity::FlushSoundQueues();
}
