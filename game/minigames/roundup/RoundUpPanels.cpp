// The round-up's start and win panels, its buttons and its spoken hints.
#include <algorithm>
#include <new>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Cursor.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/SoundProcess.h"
#include "game/minigames/roundup/RoundUpActivity.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr int32_t kPanelPriority = 32000;
constexpr ChunkId kPanelArt = MakeChunkId(2, 349);
constexpr ChunkId kPlayAgainArt = MakeChunkId(2, 9);
constexpr ChunkId kReturnArt = MakeChunkId(2, 1147);
constexpr ChunkId kWinTitle = MakeChunkId(17, 4);
constexpr ChunkId kStartVoice = MakeChunkId(7, 570);
constexpr ChunkId kWinVoice = MakeChunkId(7, 574);
constexpr int16_t kEasierAction = 6;

OMessageProcess* Messages() {
    OApplication* app = OApplication::Get();
    return app ? app->GetMessageProcess() : nullptr;
}

OMusicProcess* Music() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetMusic() : nullptr;
}

CPlayer* GamePlayer() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

void RequestActivity(uint16_t entry) {
    if (OMusicProcess* music = Music()) music->Stop();
    if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(MakeChunkId(1, entry));
}

} // namespace

void CRoundUpActivity::ShowHint(int32_t hint) {
    if (hint < 0 || hint >= RoundUpTown::kHints) return;
    const RoundUpTown::Hint& entry = town_.hints[hint];
    OMessageProcess* messages = Messages();
    if (!messages || entry.when == RoundUpTown::When::Never) return;
    OMessageRecord* record = messages->AllocMessage(1);
    if (!record) return;
    int32_t choice = 0;
    if (entry.choices > 1) choice = town_.hint9ByLowBit ? (xRand() & 1) : xRand() % entry.choices;
    record->SetSnippet(MakeChunkId(7, entry.voices[choice]));
    record->SetText(kNullChunkId, entry.captions[choice]);
    const bool queued = IsMessageQueued();
    const bool skip = (entry.when == RoundUpTown::When::Quiet && (queued || animalsLeft_ == 1)) ||
                      (entry.when == RoundUpTown::When::Idle && queued);
    if (skip || messages->QueueMessage(record) != 0) record->Reset();
}

void CRoundUpActivity::QuietVehicle() {
    StopPipe3();
    VIsometric* vehicle = Vehicle();
    if (vehicle && vehicle->GetAttachedProp()) {
        vehicle->GetAttachedProp()->SetVisible(0, 1);
        vehicle->GetAttachedProp()->SetPriority(vehicle->GetPriority() + 1);
    }
    if (vehicle) vehicle->SetSpeed(GetNormalSpeed());
    StopPipe8();
}

void CRoundUpActivity::CreateButtonPanel(int16_t panel) {
    if (panel != kWinPanel && panel != kStartPanel) {
        TLVWorld_Activity::CreateButtonPanel(panel);
        return;
    }
    QuietVehicle();
    // The start panel asked again while it shows (the world's first drive asks for it too).
    if (IsPanelShown(panel)) return;
    if (!GetPanel(panel)) {
        if (panel == kWinPanel) BuildWinPanel();
        else BuildStartPanel();
    }
    ButtonPanel_Prop* p = GetPanel(panel);
    if (!p) return;
    if (OMessageProcess* messages = Messages()) messages->FlushMessages();
    xCursor_Show(true);
    Pause();
    p->Show(true, 1);
    if (OMusicProcess* music = Music()) music->Release();
    if (panel == kStartPanel) {
        PlaySound(kStartVoice, 0, 127);
        return;
    }
    PlaySound(town_.winSound, 0, 127);
    if (OSoundProcess* sound = GameSoundProcess()) sound->Stop(2);
    PlaySound(kWinVoice, 2, 127);
}

void CRoundUpActivity::BuildWinPanel() {
    auto* p = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(kWinPanel), kPanelPriority);
    if (!p || !AdoptPanel(kWinPanel, p)) return;
    if (animalsLeft_ == 0) {
        if (CPlayer* player = GamePlayer()) {
            player->AddHeroPoints(town_.world, 1);
            player->IncActivityCount(town_.world, kActivity);
        }
    }
    AddPanelPicture(p, town_.winPicture);
    // Beside the panel, as its texts: on the activity the count would scroll with the town.
    AddPanelNumber(p, uint32_t(std::max(animalCount_ - animalsLeft_, 0)), 320, 150);
    AddPanelText(p, kWinTitle, 320, 42, 500, 150);
    AddPanelText(p, kWinTitle, 320, 42, 500, 50);
    p->AddButton(1, kPlayAgainArt);
    p->AddButton(0, kReturnArt);
}

void CRoundUpActivity::BuildStartPanel() {
    auto* p = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(kStartPanel), kPanelPriority);
    if (!p || !AdoptPanel(kStartPanel, p)) return;
    AddPanelText(p, town_.levelTexts[level_ - 1], 320, 347, 500, 150);
    AddPanelText(p, town_.title, 320, 42, 500, 150);
    AddPanelPicture(p, vehicleValues_->startPicture, 320, 200);
    p->AddButton(1, kPlayAgainArt);
}

void CRoundUpActivity::OnPanelDismissed(int16_t panel) {
    if (panel == kStartPanel) StartMusicOnce();
    BlinkPanelButton(uint16_t(panel), 1);
}

void CRoundUpActivity::StartGameMusic() {
    if (OMusicProcess* music = Music()) {
        music->Stop();
        music->Release();
    }
    if (OSoundProcess* sound = GameSoundProcess()) sound->Stop(0);
    if (OMusicProcess* music = Music()) {
        music->SetSnippetData(MusicDescriptor::FromId(MakeChunkId(1, town_.music)));
        music->Play();
    }
}

void CRoundUpActivity::LowerLevel() {
    CPlayer* player = GamePlayer();
    if (player && player->GetActivityLevel(town_.world, kActivity) > 1) player->DecActivityLevel(town_.world, kActivity);
}

void CRoundUpActivity::OnButton(int16_t panel, int16_t button) {
    BlinkPanelButton(uint16_t(panel), 1);
    switch (panel) {
    case kPanelMenu:
        if (button == 1) {
            // The menu closes as for every other button, and the easier-level question opens.
            ClosePanelAfterSpeech(panel, 1);
            SetLeaveTexts(town_.easierText, town_.easierArt);
            QueueAction(kEasierAction);
        } else if (button == 0 || button == 2 || button == 3) {
            TLVWorld_Activity::OnButton(panel, button);
        }
        break;
    case kPanelQuit:
        // The level drops when the player does quit or take the easier round-up, not when the
        // menu only asks.
        if (button == 1) LowerLevel();
        TLVWorld_Activity::OnButton(panel, button);
        break;
    case kPanelNewCar:
    case kStartPanel: TLVWorld_Activity::OnButton(panel, button); break;
    case kWinPanel:
        if (button == 1) RequestActivity(town_.playAgain);
        else if (button == 0) RequestActivity(town_.returnTo);
        break;
    case kPanelLeave:
        // No closes the easier-level question, and play goes on as after the menu's continue.
        if (button == 1) {
            LowerLevel();
            RequestActivity(town_.returnTo);
        } else {
            TLVWorld_Activity::OnButton(panel, button);
        }
        break;
    default: break;
    }
}
