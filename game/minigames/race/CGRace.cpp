#include "game/minigames/race/CGRace.h"

#include <algorithm>
#include <cmath>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/media/SoundProcess.h"
#include "game/minigames/race/RacePlacementRules.h"
#include "game/minigames/race/RaceSection.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/characters/DRacing.h"
#include "game/world/vehicles/VFlat.h"
#include "platform/Platform.h"

namespace {

constexpr uint32_t kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;
constexpr int32_t kBonusMs = 1000;
constexpr int32_t kRaceMs = 40000;
constexpr uint32_t kFinishPipe = 4;
constexpr ChunkId kFinishStart = MakeChunkId(7, 9);
constexpr ChunkId kFinishCues[2] = {MakeChunkId(7, 7), MakeChunkId(7, 6)};
constexpr ChunkId kGoalSound = MakeChunkId(7, 96);
constexpr int32_t kGoalVolume = 127;
/// The engine sound of each of the six vehicles.
constexpr ChunkId kEngineSounds[6] = {MakeChunkId(7, 44), MakeChunkId(7, 43), MakeChunkId(7, 59),
                                      MakeChunkId(7, 50), MakeChunkId(7, 37), MakeChunkId(7, 41)};
constexpr int32_t kRaceGame = 4;
constexpr uint32_t kCounterColour = 0x00FFFFFFu;

bool Held(uint32_t key) { return plat::input().AsyncKeyState(int32_t(key)) < 0; }

uint16_t SelectedVehicle() {
    CTLVApp* app = CTLVApp::Get();
    return app && app->GetPlayer() ? app->GetPlayer()->GetSelectedVehicle() : 0;
}

/// A box of the prop (position minus half size, plus size); empty when it is turned by other
/// than right angles.
CClipRect BoxOf(const OActivityProp* prop) {
    if (std::fmod(prop->GetRotation(), 90.0f) != 0.0f) return CClipRect();
    return CClipRect(int16_t(prop->GetLeft()), int16_t(prop->GetTop()), int16_t(prop->GetRight()),
                     int16_t(prop->GetBottom()));
}

bool Overlap(const CClipRect& a, const CClipRect& b) {
    return a.Width() > 0 && a.Height() > 0 && b.Width() > 0 && b.Height() > 0 && a.left < b.right &&
           b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

CGRace::CGRace(const char* name, uint32_t classId) : TLVGame_Activity(name, classId) {
    for (uint32_t key : {kKeyAlt, kKeyTab, kKeyOpenBracket, kKeyCloseBracket}) WatchKey(key);
    SetStepCycle(kInputPhases);
    reloadClock_.duration = 1000;
    bonusClock_.duration = kBonusMs;
    raceClock_.duration = kRaceMs;
}

CGRace::~CGRace() { track_.Clear(); }

bool CGRace::IsA(uint32_t classId) const { return classId == kClassId || TLVGame_Activity::IsA(classId); }

bool CGRace::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return TLVGame_Activity::HandleProperty(msg, set);
    bool ok = true;
    switch (msg->id) {
    case kPropRoadEntry:
        ok = msg->Exchange(0, roadEntry_, set);
        if (ok && set) {
            CPartFile* file = GameFile();
            roadListId_ = MakeChunkId(file ? file->FindDataIndex(Tag4("clst")) : 0, roadEntry_);
        }
        break;
    case kPropRowsPerSection: ok = msg->Exchange(0, rowsPerSection_, set); break;
    case kPropBandHeight: ok = msg->Exchange(0, bandHeight_, set); break;
    default: break;
    }
    if (!ok) xTracef("CGRace - %s : property %u of family 205 is too short\n", GetName(), unsigned(msg->id));
    return true;
}

void CGRace::ClampSettings() {
    const int32_t stage = GetStageHeight();
    const int32_t rows = std::clamp(rowsPerSection_, 1, stage);
    const int32_t band = bandHeight_ <= 0 || bandHeight_ > stage ? stage : bandHeight_;
    if (rows != rowsPerSection_ || band != bandHeight_) {
        xTracef("CGRace : rows per section %d and band height %d held to %d and %d\n", int(rowsPerSection_),
                int(bandHeight_), int(rows), int(band));
    }
    rowsPerSection_ = rows;
    bandHeight_ = band;
}

int32_t CGRace::OnActivated() {
    CTLVApp* app = CTLVApp::Get();
    CPlayer* player = app ? app->GetPlayer() : nullptr;
    const int32_t stored = player ? player->GetActivityLevel(world_, kRaceGame) : 1;
    level_ = std::clamp(stored, 1, 3);
    if (level_ != stored) xTracef("CGRace : race level %d held to %d\n", int(stored), int(level_));
    const int32_t result = TLVGame_Activity::OnActivated();
    SetCursorMode(1);
    ShowCounters();
    const int32_t stage = GetStageHeight();
    const CPointF size = GetBackgroundSize(); // vertical first
    sectionCount_ = stage > 0 ? int32_t(size.y) / stage : 0;
    ClampSettings();
    SetScrollLimits(CPointF(0.0f, 0.0f), CPointF(std::max(0.0f, size.x - float(GetStageWidth())),
                                                   float(std::max(0, (sectionCount_ - 1) * stage))));
    ScrollTo(CPointF(GetScrollOffset().x, float(std::max(0, (sectionCount_ - 1) * stage))), 0);
    currentSection_ = std::max(sectionCount_ - 1, 0);
    track_.Start(GameFile(), this, this, this, roadListId_,
                 CGRaceRoad::Frame{GetStageWidth(), stage, rowsPerSection_, world_});
    if (painter_.Prepare(GetBackgroundSurface(), GetStageWidth(), stage, bandHeight_)) {
        track_.BuildRoad(currentSection_);
        const int32_t origin = int32_t(GetScrollOffset().y);
        currentBand_ = ((origin - 1 + stage) % stage) / bandHeight_;
        painter_.SetCurrentBand(currentBand_);
        painter_.DrawVerges(painter_.SectionRect(currentSection_), track_.Sections());
        painter_.PaintNewBand(currentSection_ - 1, currentBand_, track_.Sections());
    }
    SetScrollVelocity(0.0f, -speed_.startSpeed, false);
    UpdateSpeed();
    MakeVehicle();
    const uint16_t chosen = SelectedVehicle();
    reloadTime_ = chosen % 2 == 0 ? 1000 : 750;
    reloadClock_.Start(reloadTime_);
    reloadClock_.start -= uint32_t(reloadTime_) + 1;
    raceTime_ = (level_ + 4) * 10000;
    raceClock_.Start(raceTime_);
    frameClock_.Start(-1);
    lastFrameTime_ = 0;
    for (int i = 0; i < 3; ++i) {
        for (int32_t side : {1, 0}) {
            if (TLV_Object* prop = MakeFinishProp(side)) prop->SetVisible(0, 0);
        }
    }
    PreloadPools();
    return result;
}

void CGRace::ShowCounters() {
    CCounterPanel* panel = CounterPanel();
    if (panel == nullptr) return;
    if (counterIcons_[0] != kNullChunkId) panel->SetCounter(0, counterIcons_[0], &chargesUsed_, kCounterColour, 0, 0);
    CTLVApp* app = CTLVApp::Get();
    uint16_t* badges = app && app->GetPlayer() ? app->GetPlayer()->BadgeCountPtr(world_, 0) : nullptr;
    if (counterIcons_[1] != kNullChunkId && badges != nullptr) {
        panel->SetCounter(1, counterIcons_[1], badges, kCounterColour, 0, 0);
    }
}

void CGRace::RefreshCounters() {
    if (CCounterPanel* panel = CounterPanel()) panel->Refresh();
}

void CGRace::MakeVehicle() {
    if (vehiclePartId_ == kNullChunkId) return;
    vehicle_ = new VFlat();
    vehicle_->SetPartID(GameFile(), vehiclePartId_, 0);
    AddChild(vehicle_);
    vehicle_->SetPosition(CPointF(float(GetStageWidth()) * 0.5f,
                                  kVehicleRow * float(GetStageHeight()) + GetScrollOffset().y),
                          0, 1);
    vehicle_->SetVisible(1, 1);
}

int32_t CGRace::FlushSoundQueues() {
    track_.Clear();
    if (OSoundProcess* sound = GameSound()) sound->Stop(kFinishPipe);
    if (vehicle_ != nullptr) {
        RemoveChild(vehicle_);
        delete vehicle_;
        vehicle_ = nullptr;
    }
    return TLVGame_Activity::FlushSoundQueues();
}

int32_t CGRace::OnIdle() {
    const int32_t result = TLVGame_Activity::OnIdle();
    if (repaintRequest_) {
        repaintRequest_ = 0;
        painter_.PaintSection(currentSection_ - 1, track_.Sections());
        painter_.PaintSection(currentSection_, track_.Sections());
    }
    if (bandPaintRequest_) {
        bandPaintRequest_ = 0;
        painter_.PaintNewBand(currentSection_ - 1, currentBand_, track_.Sections());
    }
    UpdateSpeed();
    return result;
}

void CGRace::OnScrolled() {
    if (repaintRequest_) return;
    const int32_t stage = GetStageHeight();
    const CPointF origin = GetScrollOffset();
    if (origin.x == 0.0f && origin.y == 0.0f && sectionCount_ > 1) {
        const float wrap = float((sectionCount_ - 1) * stage) + scrollRemainder[1];
        ScrollTo(CPointF(0.0f, wrap), 1);
        ShiftObjects(wrap, 0.0f);
        track_.Objects().ShiftRacerTargets(wrap, 0.0f);
        if (vehicle_) vehicle_->SetPosition(CPointF(0.0f, wrap), 1, 1);
    }
    const float y = GetScrollOffset().y;
    if (vehicle_ != nullptr) {
        const uint32_t now = frameClock_.Now() - frameClock_.start;
        const float dt = float(now - lastFrameTime_);
        lastFrameTime_ = now;
        const float limit = vehicle_->GetForwardLimit();
        vehicle_->SetForwardOffset(
            std::clamp(vehicle_->GetForwardOffset() + dt * 0.001f * vehicle_->GetForwardRate(), -limit, limit));
        const CPointF p = vehicle_->GetPosition();
        vehicle_->SetPosition(CPointF(p.x, (vehicle_->GetForwardOffset() + kVehicleRow) * float(stage) + y), 0, 1);
    }
    int32_t whole = int32_t(y);
    if (whole == 0 && y > 0.0f) whole = 1;
    const int32_t section = (whole - 1 + stage) / stage;
    // The band reads the origin as the section does: a step that stops within the picture's
    // first pixel row, just before a wrap, must not take the band the wrap shows for its own,
    // or that band counts as painted and the wrap neither lays a section nor paints it.
    const int32_t band = ((whole - 1 + stage) % stage) / bandHeight_;
    if (section != currentSection_) {
        currentSection_ = section;
        // The band coming into view decides: climbing shows one not painted yet, while a
        // roll back over the edge and up again shows bands just painted, and adds nothing.
        if (!painter_.IsRecentBand(band) && section != 0) track_.AddSectionAndTrim(currentSection_);
        if (bandHeight_ >= stage) currentBand_ = 1;
    }
    if (band != currentBand_) {
        currentBand_ = band;
        painter_.SetCurrentBand(band);
        if (!painter_.IsRecentBand(band)) bandPaintRequest_ = 1;
    }
}

void CGRace::OnStep(int32_t phase) {
    if (repaintRequest_) return;
    track_.PlaceNext(0, track_.FinishMode(), currentSection_);
    if (phase == kCleanupPhase) {
        const CPointF o = GetScrollOffset();
        track_.Objects().Cleanup(CPoint16(int16_t(o.x), int16_t(o.y)), GetStageWidth(), GetStageHeight());
        return;
    }
    CGRaceInput input;
    input.left = Held(kKeyLeft);
    input.right = Held(kKeyRight);
    input.up = Held(kKeyUp);
    input.down = Held(kKeyDown);
    plat::WinPoint cursor = plat::input().CursorPos();
    if (OWindow* window = OWindow::Main()) cursor = plat::input().ScreenToClient(window->GetWindowId(), cursor);
    input.pointerX = cursor.x;
    input.pointerY = cursor.y;
    input.windowX = int32_t(GetScrollOffset().x);
    input.arriving = arriving_ != 0;
    steering_.Steer(vehicle_, input, *this, GetStageWidth(), GetStageHeight());
    TurnRacersAtVerges();
}

void CGRace::TurnRacersAtVerges() {
    for (const CGRaceObjects::Entry& e : track_.Objects().Live()) {
        if (e.prop == nullptr || !e.prop->IsA(DRacing::kClassId)) continue;
        auto* racer = static_cast<DRacing*>(e.prop);
        if (racer->FrameInListD()) continue;
        if (TestLeftVerge(racer)) {
            racer->SetBehaviourState(0);
            racer->SetSide(1);
        } else if (TestRightVerge(racer)) {
            racer->SetBehaviourState(0);
            racer->SetSide(0);
        }
    }
}

void CGRace::OnKey(uint32_t key) {
    if (key == kKeyAlt) TryFire();
    const bool answers = key == kKeyEnter || key == kKeyEsc || key == kKeySpace;
    if (answers && IsPanelShown(-1)) BlinkPanelButton(4, 1);
    TLVGame_Activity::OnKey(key);
}

void CGRace::SelectPointerSteering() { steering_.SelectPointerSteering(Held(kKeyLeft), Held(kKeyRight)); }

void CGRace::TryFire() {
    if (reloadClock_.running && reloadClock_.HasElapsed()) Fire();
}

void CGRace::RestartClock() { reloadClock_.Start(reloadTime_); }

void CGRace::StartBonusClock(int32_t kind) {
    if (kind == 0 || kind == 1) bonusClock_.Start(bonusTime_);
}

bool CGRace::IsBonusClockRunning() const { return bonusClock_.running && !bonusClock_.HasElapsed(); }

bool CGRace::VehicleHasSteps() const { return vehicle_ != nullptr && vehicle_->GetStepCount() > 0; }

float CGRace::VehicleLean() const {
    return CGRaceSpeed::LeanFactor(VehicleHasSteps(), vehicle_ ? vehicle_->GetState() : 0);
}

float CGRace::VehicleForward() const { return vehicle_ ? vehicle_->GetForwardOffset() : 0.0f; }

void CGRace::UpdateSpeed() { speed_.Update(*this, speed_.targetSpeed, VehicleHasSteps(), VehicleLean(), VehicleForward()); }

bool CGRace::BelowMaxSpeed() {
    const Vec3& v = scrollVelocity;
    return std::sqrt(v.x * v.x + v.y * v.y) < targetSpeed;
}

void CGRace::SetThrottle(bool back, bool stop) {
    speed_.Throttle(*this, back, stop, VehicleHasSteps(), VehicleLean(), VehicleForward());
}

void CGRace::DecRemaining(OActivityProp* object) {
    if (chargesLeft_ == 0) return;
    ++chargesUsed_;
    --chargesLeft_;
    if (object) ShowClickFeedback(object);
    if (chargesLeft_ == 0) OnChargesExhausted();
    RefreshCounters();
}

void CGRace::CountGoal() {
    if (goalCount_ >= goalMaximum_) return;
    ++goalCount_;
    CTLVApp* app = CTLVApp::Get();
    if (app && app->GetPlayer()) app->GetPlayer()->IncBadgeCount(world_, 0);
    if (goalCount_ >= goalMaximum_) OnGoalReached();
    RefreshCounters();
    PlaySound(kGoalSound, kAnyPipe, kGoalVolume);
}

bool CGRace::TestLeftVerge(OActivityProp* prop) {
    if (prop == nullptr) return false;
    const CClipRect box = BoxOf(prop);
    if (box.left < 0) return true;
    auto& sections = track_.Sections();
    for (size_t s = 1; s < std::min<size_t>(sections.size(), 3); ++s) {
        for (OActivityProp* piece : sections[s]->left.props) {
            for (int32_t i = 0; i < piece->AttachedCount(); ++i) {
                if (Overlap(box, BoxOf(static_cast<OActivityProp*>(piece->AttachedAt(i))))) {
                    return OnLeftVergeHit(prop, piece) != 0;
                }
            }
        }
    }
    return false;
}

bool CGRace::TestRightVerge(OActivityProp* prop) {
    if (prop == nullptr) return false;
    const CClipRect box = BoxOf(prop);
    if (box.right >= GetStageWidth()) return true;
    auto& sections = track_.Sections();
    for (size_t s = 1; s < std::min<size_t>(sections.size(), 3); ++s) {
        for (OActivityProp* piece : sections[s]->right.props) {
            for (int32_t i = 0; i < piece->AttachedCount(); ++i) {
                if (Overlap(box, BoxOf(static_cast<OActivityProp*>(piece->AttachedAt(i))))) {
                    return OnRightVergeHit(prop, piece) != 0;
                }
            }
        }
    }
    return false;
}

bool CGRace::TestObjectHit(OActivityProp* prop) {
    if (prop == nullptr || !prop->IsA(TLV_Object::kClassId)) return false;
    auto* mover = static_cast<TLV_Object*>(prop);
    const auto& live = track_.Objects().Live();
    for (size_t i = live.size(); i-- > 0;) {
        OActivityProp* other = live[i].prop;
        if (other == nullptr || other == prop || !other->IsA(TLV_Object::kClassId)) continue;
        if (!mover->HitsObject(static_cast<TLV_Object*>(other), nullptr)) continue;
        const int32_t answer = OnObjectHit(prop, other);
        mover->HitsObject(static_cast<TLV_Object*>(other), nullptr);
        return answer != 0;
    }
    return false;
}

bool CGRace::HitTestCallback(OActivityProp* prop) {
    if (prop == nullptr) return false;
    OActivityManager* manager = GetActivityManager();
    OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
    if (current == nullptr || !current->IsA(kClassId)) return false;
    auto* race = static_cast<CGRace*>(current);
    if (race->TestLeftVerge(prop) || race->TestRightVerge(prop)) return true;
    if (!prop->IsShownThroughParents()) return false;
    return race->TestObjectHit(prop);
}

void CGRace::ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t bias, bool finish) {
    if (!finish) RaceThinCandidates(chosen, bias);
    RaceAssignKinds(chosen, kinds, finish, int32_t(track_.PropTypes().size()));
}

void CGRace::PlayFinishCue() {
    OSoundProcess* sound = GameSound();
    xSnippet* start = FindSound(kFinishStart);
    xSnippet* cue = FindSound(kFinishCues[xRand() & 1]);
    if (sound == nullptr || FindSound(kFinishCues[0]) == nullptr || FindSound(kFinishCues[1]) == nullptr) return;
    sound->Stop(kFinishPipe);
    if (start) sound->Play(start, kFinishPipe, 0, 0);
    sound->Queue(cue, kFinishPipe, 0);
}

void CGRace::HidePanel(int16_t panel, uint8_t flush) {
    TLVGame_Activity::HidePanel(panel, flush);
    if (!IsPanelShown(-1)) PlayOnPipe3(kEngineSounds[SelectedVehicle() % 6]);
}

OActivityProp* CGRace::GetRaceVehicle() { return vehicle_; }

int32_t CGRace::GetScrollSpeed() {
    const Vec3& v = scrollVelocity;
    return int32_t(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
}

CPoint16 CGRace::GetScrollOrigin() {
    const CPointF o = GetScrollOffset();
    return CPoint16(int16_t(o.x), int16_t(o.y));
}

void CGRace::PauseClocks(bool all) {
    for (CTimerRec* clock : {&reloadClock_, &raceClock_, &bonusClock_}) clock->Pause();
    if (all) {
        for (CTimerRec* clock : {&frameClock_, &steering_.LeftKnockTimer(), &steering_.RightKnockTimer()}) clock->Pause();
    }
}

void CGRace::ResumeClocks(bool all) {
    for (CTimerRec* clock : {&reloadClock_, &raceClock_, &bonusClock_}) clock->Resume();
    if (all) {
        for (CTimerRec* clock : {&frameClock_, &steering_.LeftKnockTimer(), &steering_.RightKnockTimer()}) clock->Resume();
    }
}

void CGRace::Pause() {
    PauseClocks(false);
    if (vehicle_) vehicle_->Suspend(1);
    TLVGame_Activity::Pause();
}

void CGRace::Resume() {
    if (!IsPanelShown(-1)) {
        ResumeClocks(false);
        if (vehicle_) vehicle_->Resume(1);
    }
    TLVGame_Activity::Resume();
}

void CGRace::OnAppSuspend() {
    PauseClocks(true);
    TLVGame_Activity::OnAppSuspend();
}

void CGRace::OnAppResume() {
    if (!IsPanelShown(-1)) ResumeClocks(true);
    TLVGame_Activity::OnAppResume();
    repaintRequest_ = 1;
}
