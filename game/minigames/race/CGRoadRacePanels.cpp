// The road races' panels, buttons, music and spoken lines.
#include <new>

#include "engine/core/Cursor.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/SoundProcess.h"
#include "game/minigames/race/CGRoadRace.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VFlat.h"

namespace {

constexpr ChunkId kPanelArt = MakeChunkId(2, 349);
constexpr int32_t kPanelPriority = 30500;
constexpr ChunkId kEndTitle = MakeChunkId(17, 4);
constexpr ChunkId kPlayAgainButton = MakeChunkId(2, 9);
constexpr ChunkId kReturnButton = MakeChunkId(2, 1147);
constexpr uint16_t kIntroButton = 1;
constexpr ChunkId kIntroJingle = MakeChunkId(7, 570);
constexpr ChunkId kEndCheer = MakeChunkId(7, 574);
constexpr uint32_t kMusicPipe = 0;
constexpr uint32_t kCheerPipe = 2;
constexpr uint32_t kEnginePipe = 3;
constexpr uint32_t kSirenPipe = 8;


CPlayer* GamePlayer() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

void StopPipe(uint32_t pipe) {
    CTLVApp* app = CTLVApp::Get();
    OSoundProcess* sound = app ? app->GetSoundProcess() : nullptr;
    if (sound && sound->GetPipeCount() > pipe) sound->Stop(pipe);
}

} // namespace

void CGRoadRace::Speak(int n) {
    if (n < 0 || n >= int(rules_.lines.size())) return;
    CTLVApp* app = CTLVApp::Get();
    OMessageProcess* messages = app ? app->GetMessageProcess() : nullptr;
    if (!messages) return;
    if (rules_.lines[n].quiet && IsMessageQueued()) return;
    OMessageRecord* record = messages->AllocMessage(1);
    if (!record) return;
    record->SetSnippet(MakeChunkId(7, rules_.lines[n].voice));
    record->SetText(kNullChunkId, rules_.lines[n].caption);
    if (messages->QueueMessage(record) != 0) {
        record->Reset();
        return;
    }
    spoken_.push_back(n);
}

void CGRoadRace::StopMusic() {
    CTLVApp* app = CTLVApp::Get();
    if (OMusicProcess* music = app ? app->GetMusic() : nullptr) music->Stop();
}

void CGRoadRace::BuildEndPanel() {
    auto* p = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(kEndPanel), kPanelPriority);
    if (!p || !AdoptPanel(kEndPanel, p)) return;
    AddPanelPicture(p, rules_.endPicture);
    AddPanelNumber(p, GetScore(), 320, 150);
    if (ended_) {
        if (CPlayer* player = GamePlayer()) {
            if (GetScore() > 0) player->AddHeroPoints(rules_.world, 1);
            player->IncActivityCount(rules_.world, kRaceGame);
        }
    }
    AddPanelText(p, kEndTitle, 320, 42, 500, 50);
    p->AddButton(1, kPlayAgainButton);
    p->AddButton(0, kReturnButton);
}

void CGRoadRace::BuildIntroPanel() {
    auto* p = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(kIntroPanel), kPanelPriority);
    if (!p || !AdoptPanel(kIntroPanel, p)) return;
    // The instructions are the panel's button 1: a click on them starts the race.
    AddPanelTextButton(p, kIntroButton, rules_.introTexts[GetLevel() - 1], 320, 347, 500, 150);
    AddPanelText(p, rules_.introTitle, 320, 42, 500, 50);
    AddPanelPicture(p, rules_.introPictures[VehicleIndex()]);
}

void CGRoadRace::CreateButtonPanel(int16_t panel) {
    // Every panel quiets the vehicle, the menu too: the engine and siren stay silent under it.
    StopPipe(kEnginePipe);
    if (VFlat* vehicle = GetVehicle()) {
        if (OActivityProp* light = vehicle->GetAttachedProp()) light->SetVisible(0, 1);
        // A siren that is a picture of the vehicle goes off with its sound, as the light does.
        else if (rules_.lightlessSiren && vehicle->GetState() == kLightlessState) vehicle->SetState(kNeutralState);
    }
    StopPipe(kSirenPipe);
    if (panel == kEndPanel || panel == kIntroPanel) {
        if (panel == kEndPanel && !GetPanel(kEndPanel)) BuildEndPanel();
        if (panel == kIntroPanel && !GetPanel(kIntroPanel)) BuildIntroPanel();
        if (xCursor_HiddenState() == -1) xCursor_Show(true);
    }
    CGRace::CreateButtonPanel(panel);
    if (panel == kIntroPanel) {
        StopMusic();
        PlaySound(kIntroJingle, kMusicPipe, 127);
    } else if (panel == kEndPanel) {
        StopMusic();
        PlaySound(rules_.endFanfare, kMusicPipe, 127);
        StopPipe(kCheerPipe);
        PlaySound(kEndCheer, kCheerPipe, 127);
    }
}
