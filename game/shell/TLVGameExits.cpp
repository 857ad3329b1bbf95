// The mini-games' way out through their panels: one home for the exits every town game sets.
#include "engine/core/ActivityManager.h"
#include "engine/media/MusicProcess.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVGameActivity.h"

namespace {

OMusicProcess* GameMusic() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetMusic() : nullptr;
}

} // namespace

void TLVGame_Activity::OnPanelDismissed(int16_t panel) {
    if (!exits_ || panel != exits_->startPanel) return CTLVActivity::OnPanelDismissed(panel);
    StartMusicOnce();
    BlinkPanelButton(uint16_t(panel), 1);
}

void TLVGame_Activity::StartGameMusic() {
    OMusicProcess* music = GameMusic();
    if (!exits_ || !music) return;
    music->Stop();
    music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, exits_->musicEntry});
    music->Play();
}

void TLVGame_Activity::OnButton(int16_t panel, int16_t button) {
    if (!exits_) return CTLVActivity::OnButton(panel, button);
    BlinkPanelButton(uint16_t(panel), uint16_t(button));
    if (panel == kPanelMenu && button == 1) {
        SetLeaveTexts(exits_->leaveText, exits_->leavePicture);
        CTLVActivity::OnButton(panel, button);
    } else if (panel == exits_->resultsPanel) {
        ClosePanelAfterSpeech(panel, 1);
        Leave(button == 1 ? exits_->self : exits_->town);
    } else if (panel == kPanelLeave && button == 1) {
        // The level drops when the player does leave early, not when the menu only asks.
        CTLVApp* app = CTLVApp::Get();
        if (CPlayer* player = app ? app->GetPlayer() : nullptr) player->DecActivityLevel(exits_->world, exits_->game);
        ClosePanelAfterSpeech(panel, 1);
        Leave(exits_->town);
    } else {
        CTLVActivity::OnButton(panel, button);
    }
}

void TLVGame_Activity::Leave(ChunkId activity) {
    if (OMusicProcess* music = GameMusic()) music->Stop();
    if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(activity);
}
