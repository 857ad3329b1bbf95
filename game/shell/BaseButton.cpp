#include "game/shell/BaseButton.h"

#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"

Base_Button_Prop::Base_Button_Prop(const char* name, uint32_t classId) : OActivityProp(name, classId) {}

Base_Button_Prop::~Base_Button_Prop() { SetSnippet(nullptr); }

bool Base_Button_Prop::IsA(uint32_t classId) const { return classId == kClassId || OActivityProp::IsA(classId); }

void Base_Button_Prop::SetSnippet(xSnippet* snippet) {
    if (snippet_ && snippet_ != snippet) xSnippet_Unload(snippet_);
    snippet_ = snippet;
}

void Base_Button_Prop::ShowAndKeep(int32_t state) {
    SetState(state);
    SetNextState(state);
}

void Base_Button_Prop::OnCursorEnter() {
    EnterLook();
    if (CTLVActivity* activity = CurrentGameActivity()) activity->OnButtonHover(GetObjectId());
    OActivityProp::OnCursorEnter();
}

void Base_Button_Prop::EnterLook() {
    hovered_ = 1;
    if (!disabled_ && GetState() == upState_) {
        ShowAndKeep(hoverState_);
        PlayStateSound(hoverState_, false);
    }
}

void Base_Button_Prop::OnCursorLeave() { Leave(true); }

void Base_Button_Prop::Leave(bool changeLook) {
    hovered_ = 0;
    const int32_t state = GetState();
    if (changeLook && !disabled_ && (state == hoverState_ || state == downState_)) ShowAndKeep(upState_);
    OActivityProp::OnCursorLeave();
}

void Base_Button_Prop::OnButtonDown() {
    if (disabled_) return;
    ShowAndKeep(downState_);
    PlayStateSound(downState_, true);
    if (CTLVActivity* activity = CurrentGameActivity()) activity->OnButtonPress(GetObjectId());
}

void Base_Button_Prop::OnButtonUp() {
    if (!disabled_) ShowAndKeep(hovered_ ? hoverState_ : upState_);
}

void Base_Button_Prop::OnClick() { OnButtonUp(); }

void Base_Button_Prop::Disable() {
    if (disabled_) return;
    disabled_ = 1;
    SetState(hovered_ ? disabledHoverState_ : disabledState_);
    SetNextState(disabledState_);
}

void Base_Button_Prop::Enable() {
    if (!disabled_) return;
    disabled_ = 0;
    SetState(enableState_);
    // Without a hover cursor mode no leave comes: the pointer counts as gone.
    if (GetCursorMode() == kHitNever) hovered_ = 0;
    SetNextState(hovered_ ? hoverState_ : upState_);
}

void Base_Button_Prop::Reset() {
    disabled_ = 0;
    ShowAndKeep(hovered_ ? hoverState_ : upState_);
}

void Base_Button_Prop::PlayStateSound(int32_t state, bool force) {
    if (GetStateSoundEntry(state) == 0) return;
    OSoundProcess* sound = GameSoundProcess();
    if (!sound || sound->GetPipeCount() <= kSoundPipe) return;
    if (!force && xSound_IsPlaying(sound->GetChannel(kSoundPipe))) return;
    sound->Stop(kSoundPipe);
    if (CTLVActivity* activity = CurrentGameActivity()) activity->PlaySound(GetStateLong(state), kSoundPipe, kSoundVolume);
}
