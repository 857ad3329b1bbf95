#include "game/minigames/arcade/ArcadeActivity.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/CurrentActivity.h"
#include "engine/core/PropertyMsg.h"
#include "engine/core/Window.h"
#include "game/minigames/arcade/ArcadeBGItem.h"
#include "game/minigames/arcade/ArcadeToken.h"
#include "game/minigames/arcade/PArcadeParticle.h"
#include "game/shell/Player.h"
#include "game/shell/PropertyField.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VFlat.h"
#include "platform/Platform.h"

namespace {

/// Art, siren and engine sound of each of the six vehicles.
struct ArcadeVehicle {
    ChunkId art;
    ChunkId siren;
    ChunkId engine;
};
constexpr ArcadeVehicle kVehicles[] = {
    {MakeChunkId(2, 284), MakeChunkId(7, 45), MakeChunkId(7, 44)},
    {MakeChunkId(2, 492), MakeChunkId(7, 45), MakeChunkId(7, 43)},
    {MakeChunkId(2, 495), MakeChunkId(7, 16), MakeChunkId(7, 59)},
    {MakeChunkId(2, 496), MakeChunkId(7, 16), MakeChunkId(7, 50)},
    {MakeChunkId(2, 493), MakeChunkId(7, 58), MakeChunkId(7, 37)},
    {MakeChunkId(2, 494), MakeChunkId(7, 58), MakeChunkId(7, 41)},
};
constexpr int32_t kVehicleCount = int32_t(sizeof(kVehicles) / sizeof(kVehicles[0]));
constexpr uint32_t kHeldProps = 12;

bool KeyHeld(uint32_t key) { return plat::input().AsyncKeyState(int32_t(key)) < 0; }

/// The vehicle touches what it meets; the games plug in their own test.
bool TouchAnything(TLV_Object* object) { return object != nullptr; }

/// Truncated toward zero (0 for what is not a number), held far inside 32 bits.
int32_t WholePixels(float v) {
    if (std::isnan(v)) return 0;
    return int32_t(std::clamp(v, -1e9f, 1e9f));
}

} // namespace

Arcade_Activity::Arcade_Activity(const char* name, uint32_t classId) : TLVGame_Activity(name, classId) {
    playClock_.Start(-1);
    fireClock_.Start(0);
    SetStepCycle(kInputPhases);
    WatchKey(kKeyAlt);
    WatchKey(kKeyTab);
    WatchKey(kKeyCtrl);
}

// Tokens still in the pool are nobody's children: an activity deleted without its stop would
// lose them.
Arcade_Activity::~Arcade_Activity() { ClearTokens(); }

bool Arcade_Activity::IsA(uint32_t classId) const { return classId == kFamily || TLVGame_Activity::IsA(classId); }

bool Arcade_Activity::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kFamily) return TLVGame_Activity::HandleProperty(msg, set);
    if (msg->id >= 1 && msg->id <= kHeldProps) xProperty_Exchange(*this, *msg, startEnd_[msg->id - 1], set);
    return true;
}

bool Arcade_Activity::AcceptObject(OView* object) {
    const bool accepted = TLVGame_Activity::AcceptObject(object);
    if (!object || !object->IsA(Arcade_BG_Item::kClassId)) return accepted;
    auto* item = static_cast<Arcade_BG_Item*>(object);
    const int16_t group = item->GetGroup();
    if (group < 0 || group >= kGroups) {
        xTracef("%s : item %s in group %d, outside 0-5, is not scrolled\n", GetName(), item->GetName(), int(group));
        return true;
    }
    if (!groups_[group].Append(item)) xTracef("%s : group %d cannot grow\n", GetName(), int(group));
    return true;
}

// ---- Start and vehicle --------------------------------------------------------------------------

int32_t Arcade_Activity::OnActivated() {
    const int32_t result = TLVGame_Activity::OnActivated();
    SetUpVehicle();
    fireInterval_ = vehicleIndex_ >= 0 && vehicleIndex_ % 2 == 1 ? kFastFireMs : kSlowFireMs;
    for (int32_t g = 0; g < kGroups; ++g) speeds_[g] = float(GetStartSpeed(g));
    playClock_.Start(-1);
    lastTime_ = 0;
    return result;
}

ChunkId Arcade_Activity::EngineSound() const {
    return vehicleIndex_ >= 0 && vehicleIndex_ < kVehicleCount ? kVehicles[vehicleIndex_].engine : ChunkId();
}

void Arcade_Activity::SetUpVehicle() {
    CTLVApp* app = CTLVApp::Get();
    const CPlayer* player = app ? app->GetPlayer() : nullptr;
    vehicleIndex_ = player ? int32_t(player->GetSelectedVehicle()) : -1;
    if (vehicleIndex_ < 0 || vehicleIndex_ >= kVehicleCount) {
        xTracef("%s : no vehicle %d to drive\n", GetName(), int(vehicleIndex_));
        vehicleIndex_ = -1;
        DropVehicle();
        return;
    }
    const ArcadeVehicle& chosen = kVehicles[vehicleIndex_];
    sirenSound_ = chosen.siren;
    PlayOnPipe3(chosen.engine);
    if (vehicle_) return;
    vehicle_ = new (std::nothrow) VFlat("VFlat", VFlat::kClassId);
    if (!vehicle_) return;
    LoadArt(vehicle_, GameFile(), chosen.art, 1);
    vehicle_->SetTouchHook(&TouchAnything);
    vehicle_->SetMaxSpeed(kVehicleMaxSpeed, 0);
    AddChild(vehicle_);
    vehicle_->SetPosition(CPointF(kVehicleX, kVehicleY), 0, 1);
    vehicle_->SetDrawPriority(kVehiclePriority);
    vehicle_->SetLongestStep(stepCap_);
    sirenOn_ = 0;
}

void Arcade_Activity::DropVehicle() {
    if (!vehicle_) return;
    RemoveChild(vehicle_);
    delete vehicle_;
    vehicle_ = nullptr;
}

// ---- The frame ----------------------------------------------------------------------------------

int32_t Arcade_Activity::OnIdle() {
    OActivityManager* manager = GetActivityManager();
    if (!manager || !manager->IsPaused()) {
        const uint32_t elapsed = playClock_.Now() - playClock_.start;
        uint32_t step = elapsed - lastTime_;
        if (stepCap_ > 0) step = std::min(step, stepCap_);
        frameRatio_ = step < elapsed ? float(step) / float(elapsed) : 1.0f;
        ScrollItems(step);
        SteerVehicle(step);
        OnFrame(step);
        AfterFrame();
        lastTime_ = elapsed;
    }
    return TLVGame_Activity::OnIdle();
}

float Arcade_Activity::BackgroundWidth() { return GetBackgroundSize().x; }

float Arcade_Activity::ScrollSpan() const {
    const float width = const_cast<Arcade_Activity*>(this)->BackgroundWidth();
    return speeds_[kViewGroup] != 0.0f ? width - float(GetStageWidth()) : width;
}

void Arcade_Activity::ScrollItems(uint32_t step) {
    const float s = float(step) * 0.001f;
    int32_t view = 0;
    int32_t moves[kViewGroup] = {};
    if (step > 0) {
        viewCarry_ += s * speeds_[kViewGroup];
        view = WholePixels(viewCarry_);
        if (view != 0) viewCarry_ -= float(view);
        for (int32_t g = 0; g < kViewGroup; ++g) {
            carries_[g] += (speeds_[g] - speeds_[kViewGroup]) * s;
            moves[g] = WholePixels(carries_[g]);
            // Keeping a negative whole part would move a group slower than the view further
            // right every frame: only the fraction stays.
            if (moves[g] != 0) carries_[g] -= float(moves[g]);
        }
    }
    const float span = ScrollSpan();
    const bool atEnd = speeds_[kViewGroup] != 0.0f && ViewLeft() + float(GetStageWidth()) >= BackgroundWidth();
    const float jump = atEnd ? span : 0.0f;
    for (int32_t g = 0; g < kViewGroup; ++g) {
        if (moves[g] == 0) continue;
        for (int32_t i = 0; i < groups_[g].Count(); ++i)
            groups_[g].GetAt(i)->SetPosition(CPointF(float(-moves[g]), 0.0f), 1, 1);
    }
    for (int32_t g = 0; g < kGroups; ++g) RecycleItems(groups_[g], span, atEnd);
    if (atEnd) ShiftLiveTokens(-jump);
    const float viewMove = s * speeds_[kViewGroup];
    if (std::fabs(viewMove) > 0.001f) {
        ScrollTo(CPointF(float(view) - jump, 0.0f), 1);
        if (vehicle_) vehicle_->SetPosition(CPointF(viewMove - jump, 0.0f), 1, 1);
    }
}

void Arcade_Activity::RecycleItems(CDynArray<Arcade_BG_Item*>& list, float span, bool jumpBack) {
    const float stageRight = BackgroundWidth() - float(GetStageWidth());
    for (int32_t i = 0; i < list.Count(); ++i) {
        Arcade_BG_Item* item = list.GetAt(i);
        if (!item) continue;
        float right = item->GetPosition().x + float(item->GetWidth()) / 2.0f;
        if (right < 0.0f || right < ViewLeft()) {
            item->SetPosition(CPointF(span, 0.0f), 1, 1);
            item->Respawn();
            right += span;
        }
        if (jumpBack && right > stageRight) item->SetPosition(CPointF(-span, 0.0f), 1, 1);
    }
}

bool Arcade_Activity::IsKeyHeld(uint32_t key) { return KeyHeld(key); }

float Arcade_Activity::PointerX() {
    plat::WinPoint cursor = plat::input().CursorPos();
    if (OWindow* window = OWindow::Main()) cursor = plat::input().ScreenToClient(window->GetWindowId(), cursor);
    return float(cursor.x);
}

void Arcade_Activity::SteerVehicle(uint32_t /*step*/) {
    if (!vehicle_) return;
    const float x = vehicle_->GetPosition().x - ViewLeft() + vehicle_->GetScaledHotSpot().x;
    const float low = float(leftMargin_);
    const float high = float(GetStageWidth() - rightMargin_);
    float target = 0.0f;
    float factor = 1.0f;
    if (controlMode_ == kMouseMode) {
        target = std::clamp(PointerX(), low, high);
    } else {
        const bool left = KeyHeld(kKeyLeft);
        const bool right = KeyHeld(kKeyRight);
        if (left && !right) {
            target = std::max(x - float(kKeyReach), low);
        } else if (right && !left) {
            target = std::min(x + float(kKeyReach), high);
        } else {
            target = std::clamp(x, low, high);
            factor = frameRatio_;
        }
    }
    const float pull = std::clamp((target - x) * 0.01f, -1.0f, 1.0f);
    vehicle_->SetVelocityXY((vehicle_->GetMaxSpeed() * pull + speeds_[kViewGroup]) * factor, 0.0f, 0);
}

// ---- Input --------------------------------------------------------------------------------------

void Arcade_Activity::OnMouseMove() {
    if (controlMode_ == kKeyboardMode && !KeyHeld(kKeyLeft) && !KeyHeld(kKeyRight)) controlMode_ = kMouseMode;
    TLVGame_Activity::OnMouseMove();
}

void Arcade_Activity::OnStep(int32_t index) {
    if (index < 0 || index >= kInputPhases) return;
    if (controlMode_ == kMouseMode && (KeyHeld(kKeyLeft) || KeyHeld(kKeyRight))) controlMode_ = kKeyboardMode;
}

void Arcade_Activity::FireWhenReady() {
    if (IsPanelShown(-1)) return;
    if (fireClock_.paused != 0 || !fireClock_.HasElapsed()) return;
    Shoot();
}

void Arcade_Activity::OnButtonDown() {
    FireWhenReady();
    TLVGame_Activity::OnButtonDown();
}

void Arcade_Activity::OnKey(uint32_t key) {
    if (key == kKeyAlt) {
        FireWhenReady();
    } else if (key == kKeyEnter || key == kKeyEsc || key == kKeySpace) {
        if (IsPanelShown(-1)) BlinkPanelButton(uint16_t(kStartPanel), 1);
    } else if (key == kKeyCtrl) {
        if (!IsPanelShown(-1)) ToggleSiren();
    }
    TLVGame_Activity::OnKey(key);
}

void Arcade_Activity::ToggleSiren() {
    if (!vehicle_) return;
    sirenOn_ = sirenOn_ ? 0 : 1;
    if (sirenOn_) PlayOnPipe8(sirenSound_);
    else StopPipe8();
}

void Arcade_Activity::HidePanel(int16_t panel, uint8_t flush) {
    TLVGame_Activity::HidePanel(panel, flush);
    if (!IsPanelShown(-1) && vehicleIndex_ >= 0) PlayOnPipe3(EngineSound());
}

// ---- Pause --------------------------------------------------------------------------------------

void Arcade_Activity::Pause() {
    // A second pause (a panel while switched out) keeps the step the first one put aside.
    if (playClock_.paused == 0) {
        const uint32_t elapsed = playClock_.Now() - playClock_.start;
        playClock_.Pause();
        pendingStep_ = elapsed - lastTime_;
        lastTime_ = elapsed;
        pausedElapsed_ = elapsed;
    }
    TLVGame_Activity::Pause();
}

void Arcade_Activity::Resume() {
    if (IsPanelShown(-1)) return;
    lastTime_ = pausedElapsed_ - pendingStep_;
    playClock_.Resume();
    TLVGame_Activity::Resume();
}

// ---- Tokens -------------------------------------------------------------------------------------

bool Arcade_Activity::SpawnTokens(int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        auto* token = new (std::nothrow) Arcade_Token;
        if (!token) return false;
        LoadArt(token, GameFile(), Arcade_Token::kArt, 1);
        if (!tokenPool_.Append(token)) xTracef("%s : the token pool cannot grow\n", GetName());
        token->Respawn();
    }
    return true;
}

Arcade_Token* Arcade_Activity::TakeToken(bool keep) {
    if (tokenPool_.Count() == 0) return nullptr;
    Arcade_Token* token = tokenPool_.PopBack();
    if (keep && token && !liveTokens_.Append(token)) xTracef("%s : the live tokens cannot grow\n", GetName());
    return token;
}

void Arcade_Activity::ClearTokens() {
    for (CDynArray<Arcade_Token*>* list : {&tokenPool_, &liveTokens_}) {
        while (list->Count() > 0) {
            Arcade_Token* token = list->PopBack();
            if (!token) continue;
            // A dropped token is one of the children: it leaves the list before it goes.
            if (ONode* parent = token->GetParent()) parent->RemoveChild(token);
            delete token;
        }
    }
}

void Arcade_Activity::ShiftLiveTokens(float dx) {
    if (dx == 0.0f) return;
    for (int32_t i = 0; i < liveTokens_.Count(); ++i)
        if (Arcade_Token* token = liveTokens_.GetAt(i)) token->SetPosition(CPointF(dx, 0.0f), 1, 1);
}

bool Arcade_ParticleCallback(TLV_Object* particle) {
    CTLVActivity* activity = CurrentGameActivity();
    if (!activity || !activity->IsA(Arcade_Activity::kFamily) || !particle) return false;
    if (!particle->IsA(PArcadeParticle::kClassId)) return false;
    return static_cast<Arcade_Activity*>(activity)->TestParticleHit(static_cast<PArcadeParticle*>(particle));
}
