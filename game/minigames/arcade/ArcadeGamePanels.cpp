// The arcades' start and results panels, their buttons, music and spoken lines.
#include <new>

#include "engine/core/Cursor.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/SoundProcess.h"
#include "game/minigames/arcade/ArcadeGame.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VFlat.h"

namespace {

constexpr ChunkId kPanelArt = MakeChunkId(2, 349);
constexpr int32_t kPanelPriority = 30500;
constexpr ChunkId kResultsText = MakeChunkId(17, 4);
constexpr ChunkId kPlayAgainButton = MakeChunkId(2, 9);
constexpr ChunkId kReturnButton = MakeChunkId(2, 1147);
constexpr ChunkId kStartJingle = MakeChunkId(7, 570);
constexpr ChunkId kResultsCheer = MakeChunkId(7, 574);
constexpr uint32_t kMusicPipe = 0;
constexpr uint32_t kCheerPipe = 2;
constexpr uint32_t kEnginePipe = 3;
constexpr uint32_t kSirenPipe = 8;

CPlayer* GamePlayer() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

OSoundProcess* Sounds() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetSoundProcess() : nullptr;
}

void StopPipe(uint32_t pipe) {
    if (OSoundProcess* sound = Sounds(); sound && sound->GetPipeCount() > pipe) sound->Stop(pipe);
}

} // namespace

void Arcade_Game::SpeakLine(int n) {
    if (n < 0 || n >= sheet_.lineCount || !sheet_.lines[n].caption) return;
    CTLVApp* app = CTLVApp::Get();
    OMessageProcess* messages = app ? app->GetMessageProcess() : nullptr;
    if (!messages) return;
    if (n >= sheet_.quietFrom && n <= sheet_.quietTo && IsMessageQueued()) return;
    OMessageRecord* record = messages->AllocMessage(1);
    if (!record) return;
    record->SetSnippet(MakeChunkId(7, sheet_.lines[n].voice));
    record->SetText(kNullChunkId, sheet_.lines[n].caption);
    if (messages->QueueMessage(record) != 0) record->Reset();
}

void Arcade_Game::StopMusic(bool release) {
    CTLVApp* app = CTLVApp::Get();
    OMusicProcess* music = app ? app->GetMusic() : nullptr;
    if (!music) return;
    music->Stop();
    if (release) music->Release();
}

void Arcade_Game::BuildResultsPanel() {
    auto* p = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(kResultsPanel), kPanelPriority);
    if (!p || !AdoptPanel(kResultsPanel, p)) return;
    AddPanelPicture(p, sheet_.resultsPicture);
    // The count on the picture's middle.
    AddPanelNumber(p, ResultsCount(), 320, 150);
    AddPanelText(p, kResultsText, 320, 42, 500, 50);
    p->AddButton(1, kPlayAgainButton);
    p->AddButton(0, kReturnButton);
    if (GoalReached()) {
        if (CPlayer* player = GamePlayer()) player->AddHeroPoints(sheet_.world, 1);
    }
}

void Arcade_Game::BuildStartPanel() {
    auto* p = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(kStartPanel), kPanelPriority);
    if (!p || !AdoptPanel(kStartPanel, p)) return;
    // The instructions are the panel's button 1: a click on them starts play.
    AddPanelTextButton(p, kStartButton, sheet_.startTexts[Level() - 1], 320, 347, 500, 150);
    AddPanelText(p, sheet_.startTitle, 320, 42, 500, 150);
    // The world's second vehicle is the odd one.
    AddPanelPicture(p, sheet_.startPictures[GetVehicleIndex() % 2 == 1 ? 1 : 0]);
}

void Arcade_Game::CreateButtonPanel(int16_t panel) {
    StopPipe(kEnginePipe);
    if (VFlat* vehicle = GetVehicle()) {
        if (OActivityProp* light = vehicle->GetAttachedProp()) {
            light->SetVisible(0, 0);
            light->SetPriority(vehicle->GetPriority() + 1);
        }
    }
    StopPipe(kSirenPipe);
    if (xCursor_HiddenState() == -1) xCursor_Show(true);
    if (panel == kResultsPanel && !GetPanel(kResultsPanel)) BuildResultsPanel();
    if (panel == kStartPanel && !GetPanel(kStartPanel)) BuildStartPanel();
    Arcade_Activity::CreateButtonPanel(panel);
    if (panel == kStartPanel) {
        StopMusic(false);
        PlaySound(kStartJingle, kMusicPipe, 127);
    } else if (panel == kResultsPanel) {
        StopMusic(false);
        PlaySound(sheet_.resultsJingle, kMusicPipe, 127);
        StopPipe(kCheerPipe);
        PlaySound(kResultsCheer, kCheerPipe, 127);
    }
}

void Arcade_Game::StartGameMusic() {
    // The start jingle stops and the music is let go; the exits then start the game's own.
    StopMusic(true);
    StopPipe(kMusicPipe);
    Arcade_Activity::StartGameMusic();
}
