// The driving world's start, frame, events and stop.
#include "engine/base/Trace.h"
#include "engine/core/Event.h"
#include "engine/core/Window.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVComplexObject.h"
#include "game/world/TLVWorldActivity.h"
#include "platform/Platform.h"

namespace {

CPlayer* GamePlayer() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

} // namespace

int32_t TLVWorld_Activity::OnActivated() {
    const int32_t answer = CTLVActivity::OnActivated();
    SetCursorMode(1);
    SetCollectableQuotas();
    ApplyCollectableQuotas();
    OnWorldStart();
    PrepareProps();
    if (HasIntro() && !IsIntroDone()) {
        OnIntro();
        introTimer_.Start(0);
    }
    if (IsIntroDone()) startHintFlag_ = 0;
    CreateVehicle();
    if (vehicle_) WatchVehicleFromHiders();
    CreateInfoView();
    PutScreenButtonsOnStage();
    if (startHintFlag_) startHintTimer_.Start(kStartHintMs);
    const CPlayer* player = GamePlayer();
    bool firstDrive = true;
    for (const int counter : kVisitCounters)
        if (player && player->GetCounter(counter) != 0) firstDrive = false;
    if (firstDrive) {
        CreateButtonPanel(kTutorialPanel);
    } else {
        tutorialPending_ = 1;
        StartHintTimer();
    }
    if (!IsA(kRoundUpClassId)) RestoreFollowers();
    idleTimer_.Start(kIdleMs);
    return answer;
}

int32_t TLVWorld_Activity::OnIdle() {
    RebuildMovingBuckets();
    const int32_t answer = CTLVActivity::OnIdle();
    if (contactTimer_.HasElapsed()) {
        contactTimer_.Restart();
        RefreshVisibleRect();
        CollectOnScreenObstacles();
        UpdateObstacleOrder();
        CollectVehicleContacts();
        SortOverlaps();
        FadeCoveringProps();
    }
    if (stopTimer_.running && stopTimer_.paused == 0 && stopTimer_.HasElapsed()) {
        stopFlag_ = 0;
        if (vehicle_) vehicle_->SetVelocity(Vec3(0.0f, 0.0f, 0.0f), 0);
        stopTimer_.Stop();
    }
    UpdateGuideArrow();
    if (HoldsPipe3Rate() && vehicle_) SetPipe3Rate(EngineSoundRate());
    if (fadeTimer_.HasElapsed()) {
        fadeTimer_.Restart();
        StepFades();
    }
    return answer;
}

int32_t TLVWorld_Activity::HandleEvent(const xEvent& event) {
    if (event.type != kEvMouseMove && event.type != kEvClick) return CTLVActivity::HandleEvent(event);
    xEvent located = event;
    if (OWindow* window = OWindow::Main()) {
        const plat::WinPoint client = plat::input().ScreenToClient(window->GetWindowId(), plat::input().CursorPos());
        located.cursor = CPoint16(ClampToInt16(client.x), ClampToInt16(client.y));
    }
    if (event.type == kEvMouseMove) OnWorldMouseMove(located);
    else OnWorldClick(located);
    return 0;
}

int32_t TLVWorld_Activity::FlushSoundQueues() {
    if (!IsA(kRoundUpClassId)) SaveFollowers();
    retired_.Free(); // the retired props stay children of the world
    DeleteListedProps();
    DestroyVehicle();
    DestroyInfoView();
    TakeScreenButtonsBack();
    DeleteTutorialPicture();
    if (CPlayer* player = GamePlayer()) {
        // Without a signed-in player there is no slot of its own to write.
        const int16_t slot = CTLVApp::Get()->GetSaveSlot();
        if (slot >= 0) player->Save(slot);
        else xTracef("%s : no player signed in, the record is not saved\n", GetName());
    }
    return CTLVActivity::FlushSoundQueues();
}

void TLVWorld_Activity::OnPanelDismissed(int16_t panel) {
    if (panel != kTutorialPanel) return;
    if (OSoundProcess* sound = GameSoundProcess()) sound->StopAllExcept(0);
    BlinkPanelButton(uint16_t(panel), 1);
}
