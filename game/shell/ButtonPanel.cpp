#include "game/shell/ButtonPanel.h"

#include <new>

#include "engine/core/Window.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"

ButtonPanel_Button::ButtonPanel_Button(ButtonPanel_Prop* panel, uint16_t index, ChunkId partId)
    : Base_Button_Prop("Base_Button_Prop", kClassId), panel_(panel), index_(index) {
    if (OWindow* window = OWindow::Main()) window->AddChild(this);
    LoadArt(this, GamePartFile(), partId, 0);
}

void ButtonPanel_Button::OnCursorEnter() {
    if (CTLVActivity* activity = CurrentGameActivity())
        activity->ShowButtonCaption(int16_t(panel_->GetPanelId()), int16_t(index_));
    Base_Button_Prop::OnCursorEnter();
}

void ButtonPanel_Button::OnButtonUp() {
    if (CTLVActivity* activity = CurrentGameActivity())
        activity->OnButton(int16_t(panel_->GetPanelId()), int16_t(index_));
}

ButtonPanel_Prop::ButtonPanel_Prop(ChunkId partId, uint16_t panelId, int32_t priority)
    : OActivityProp("OActivityProp", OActivityProp::kClassId), panelId_(panelId) {
    timer_.Start(kTimeOutMs);
    AddEventMask(kEventMouse); // the main window hit-tests its children by their mask
    SetPriority(priority);
    if (OWindow* window = OWindow::Main()) window->AddChild(this);
    LoadArt(this, GamePartFile(), partId, 0);
}

int32_t ButtonPanel_Prop::OnIdle() {
    // Only a shown panel times out: one hidden under the menu, or blinked while hidden, would
    // run its hook in play.
    if (timeOutOn_ && IsVisible() && timer_.HasElapsed()) {
        timer_.Stop();
        Dismiss();
    }
    if (closeAfterSpeech_ && !IsButtonSoundPlaying()) {
        closeAfterSpeech_ = 0;
        if (CTLVActivity* activity = CurrentGameActivity()) activity->HidePanel(int16_t(panelId_), flushOnClose_);
    }
    return OActivityProp::OnIdle();
}

void ButtonPanel_Prop::Dismiss() {
    // A closing panel's button has answered already.
    if (IsClosing()) return;
    if (CTLVActivity* activity = CurrentGameActivity()) activity->OnPanelDismissed(int16_t(panelId_));
}

void ButtonPanel_Prop::OnButtonUp() { Dismiss(); }

void ButtonPanel_Prop::OnClick() { Dismiss(); }

void ButtonPanel_Prop::Suspend(int32_t /*flag*/) {
    timer_.Pause();
    OActivityProp::Suspend(1);
}

void ButtonPanel_Prop::Resume(int32_t /*flag*/) {
    timer_.Resume();
    OActivityProp::Resume(1);
}

void ButtonPanel_Prop::OnAppSuspend() {
    OActivityProp::OnAppSuspend();
    const OView* parent = ParentView();
    if ((!parent || parent->IsShownThroughParents()) && IsVisible()) Suspend(1);
}

void ButtonPanel_Prop::OnAppResume() {
    OActivityProp::OnAppResume();
    const OView* parent = ParentView();
    if ((!parent || parent->IsShownThroughParents()) && IsVisible()) Resume(1);
}

void ButtonPanel_Prop::AddButton(uint16_t index, ChunkId partId) {
    if (index >= kButtonSlots || buttons_[index]) return;
    auto* button = new (std::nothrow) ButtonPanel_Button(this, index, partId);
    if (!button) return;
    buttons_[index] = button;
    AddChild(button);
    button->SetPriority(GetPriority() + 1);
    AttachToView(button, 1);
}

void ButtonPanel_Prop::RemoveButtons() {
    for (ButtonPanel_Button*& button : buttons_) {
        if (!button) continue;
        DetachChildView(button);
        RemoveChild(button);
        delete button;
        button = nullptr;
    }
}

void ButtonPanel_Prop::Show(bool show, uint8_t flush) {
    const uint16_t mode = show ? kHitChildrenThenSelf : kHitNever;
    SetVisible(show ? 1 : 0, 1);
    SetCursorMode(mode);
    for (ButtonPanel_Button* button : buttons_) {
        if (!button) continue;
        button->SetCursorMode(mode);
        button->OnCursorLeave();
        button->Reset();
    }
    // The game's message service resumes here, once it has one.
    if (show && timeOutOn_) timer_.Start(kTimeOutMs);
    if (!show && flush && !IsCaptionQueued(kStartHintCaption)) FlushMessageQueue();
}

void ButtonPanel_Prop::CloseAfterSpeech(uint8_t flush) {
    for (ButtonPanel_Button* button : buttons_) {
        if (!button) continue;
        button->SetCursorMode(kHitNever);
        button->Enable();
    }
    if (flush) FlushMessageQueue();
    flushOnClose_ = flush;
    timer_.Stop();
    closeAfterSpeech_ = 1;
}
