// The driving world's panels: the set-up every panel shares, the drive tutorial (panel 4) and
// the buttons of the leaving question (panel 2).
#include <new>

#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Cursor.h"
#include "engine/core/Window.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MusicProcess.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/TLVApp.h"
#include "game/world/TLVWorldActivity.h"
#include "game/world/TLVWorldDriveTutorial.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr ChunkId kTutorialPanelArt = MakeChunkId(2, 349);
constexpr ChunkId kTutorialPicture = MakeChunkId(2, 1051);
// The panel's button 1, the questions' yes: the one way the player closes the tutorial (the
// keys and the panel hook only make it blink).
constexpr uint16_t kTutorialButton = 1;
constexpr ChunkId kTutorialButtonArt = MakeChunkId(2, 9);
constexpr ChunkId kTutorialVoice = MakeChunkId(7, 9);
constexpr float kTutorialX = 322.0f, kTutorialY = 195.0f;
constexpr int32_t kTutorialPriority = 30500;
constexpr ChunkId kLeaveTarget = MakeChunkId(1, 5);
constexpr int32_t kExitWayPoint = 0;

OMessageProcess* GameMessages() {
    OApplication* app = OApplication::Get();
    return app ? app->GetMessageProcess() : nullptr;
}

} // namespace

void AdvanceWorldPropState(intptr_t /*user*/, int32_t /*skipped*/) {
    if (TLVWorld_Activity* world = CurrentWorld()) world->AdvanceTutorialPicture();
}

void TLVWorld_Activity::AdvanceTutorialPicture() {
    const CPart* part = tutorial_ ? tutorial_->GetAnimSet() : nullptr;
    if (part && tutorial_->GetState() + 1 < part->GetStateCount()) tutorial_->SetState(tutorial_->GetState() + 1);
}

void TLVWorld_Activity::CreateButtonPanel(int16_t panel) {
    StopPipe3();
    if (auto* vehicle = dynamic_cast<Vehicle*>(vehicle_)) {
        if (OActivityProp* light = vehicle->GetAttachedProp()) {
            light->SetVisible(0, 0);
            light->SetPriority(vehicle->GetPriority() + 1);
        }
    }
    if (auto* iso = dynamic_cast<VIsometric*>(vehicle_)) iso->SetSpeed(normalSpeed_);
    StopPipe8();
    DeletePanel(kPanelLeave);
    if (panel != kTutorialPanel) {
        CTLVActivity::CreateButtonPanel(panel);
        return;
    }
    if (GetPanel(kTutorialPanel)) return; // already open
    auto* p = new (std::nothrow) ButtonPanel_Prop(kTutorialPanelArt, uint16_t(kTutorialPanel), kTutorialPriority);
    if (!p || !AdoptPanel(kTutorialPanel, p)) return;
    p->AddButton(kTutorialButton, kTutorialButtonArt);
    OMessageProcess* messages = GameMessages();
    if (messages) messages->FlushMessages();
    auto* picture = new (std::nothrow) TLVWorld_DriveTutorial;
    if (picture) {
        picture->SetLoadAllStates(1);
        PlaceProp(picture, kTutorialPicture, GameFile(), kTutorialX, kTutorialY);
        picture->SetState(0);
        // On the main window with its panel, so that it does not scroll with the world.
        if (OWindow* window = OWindow::Main()) window->AddChild(picture);
        p->AttachToView(picture, 1);
        tutorial_ = picture;
    }
    const CPart* part = picture ? picture->GetAnimSet() : nullptr;
    const int32_t lines = part ? part->GetStateCount() : 0;
    if (lines == 0) xTracef("TLVWorld_Activity - %s : the tutorial picture has no states\n", GetName());
    for (int32_t i = 0; messages && i < lines; ++i) {
        OMessageRecord* record = messages->AllocMessage(1);
        if (!record) break;
        const CState* state = part->GetState(i);
        record->SetSnippet(i == 0 ? kTutorialVoice : state ? state->soundId : kNullChunkId);
        record->endCallback = &AdvanceWorldPropState;
        record->userValue = 1;
        if (messages->QueueMessage(record) != 0) record->Reset();
    }
    if (xCursor_HiddenState() != 0) xCursor_Show(true);
    Pause();
    // Pausing the world pauses the voice pipe too, and the tutorial's lines were never spoken:
    // they are what the panel is for, so they play over the paused world.
    if (messages) messages->Resume(1);
    p->Show(true, 1);
}

void TLVWorld_Activity::HidePanel(int16_t panel, uint8_t flush) {
    CTLVActivity::HidePanel(panel, flush);
    if (panel != kTutorialPanel || !tutorial_) return;
    DeleteTutorialPicture();
    StartHintTimer();
    idleTimer_.Start(kIdleMs);
}

void TLVWorld_Activity::DeleteTutorialPicture() {
    if (!tutorial_) return;
    if (ButtonPanel_Prop* p = GetPanel(kTutorialPanel)) p->DetachChildView(tutorial_);
    if (ONode* parent = tutorial_->GetParent()) parent->RemoveChild(tutorial_);
    delete tutorial_;
    tutorial_ = nullptr;
}

void TLVWorld_Activity::OnButton(int16_t panel, int16_t button) {
    BlinkPanelButton(uint16_t(panel), 1);
    if (panel != kPanelNewCar) {
        CTLVActivity::OnButton(panel, button);
        return;
    }
    // The question closes whatever the answer, so that the world does not stay paused.
    ClosePanelAfterSpeech(panel, 1);
    if (button == 1 && currentWayPoint_ == kExitWayPoint) {
        if (auto* iso = dynamic_cast<VIsometric*>(vehicle_)) iso->Halt();
        else if (vehicle_) vehicle_->SetVelocity(Vec3(), 0);
        drivingMode_ = kNoDriving;
        if (vehicle_) vehicle_->SetTouchHook(nullptr);
    } else if (button == 1) {
        if (CTLVApp* app = CTLVApp::Get(); app && app->GetMusic()) app->GetMusic()->Stop();
        if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(kLeaveTarget);
    }
    currentWayPoint_ = kNoWayPoint;
}
