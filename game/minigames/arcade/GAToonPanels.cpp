// The circus arcade's panels, buttons, music and spoken lines.
#include <cstdio>
#include <iterator>
#include <new>

#include "engine/core/ActivityManager.h"
#include "engine/core/Cursor.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/SoundProcess.h"
#include "engine/media/SysFont.h"
#include "engine/media/TextDView.h"
#include "game/minigames/arcade/GAToonActivity.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VFlat.h"

namespace {

constexpr ChunkId kPanelArt = MakeChunkId(2, 349);
constexpr int32_t kPanelPriority = 30500;
constexpr ChunkId kResultsPicture = MakeChunkId(2, 1124);
constexpr ChunkId kResultsText = MakeChunkId(17, 4);
constexpr int kNumberFont = 2;
constexpr int32_t kNumberPriority = 32767;
constexpr ChunkId kPlayAgainButton = MakeChunkId(2, 9);
constexpr ChunkId kReturnButton = MakeChunkId(2, 1147);
constexpr ChunkId kStartTexts[] = {MakeChunkId(17, 5), MakeChunkId(17, 84), MakeChunkId(17, 85)};
constexpr uint16_t kStartButton = 1;
constexpr ChunkId kStartTitle = MakeChunkId(17, 19);
constexpr ChunkId kStartPictures[] = {MakeChunkId(2, 720), MakeChunkId(2, 721)};
constexpr ChunkId kLeavePicture = MakeChunkId(2, 1093);
constexpr ChunkId kLeaveText = MakeChunkId(17, 247);
constexpr ChunkId kStartJingle = MakeChunkId(7, 570);
constexpr ChunkId kResultsJingle = MakeChunkId(7, 575);
constexpr ChunkId kResultsCheer = MakeChunkId(7, 574);
constexpr uint16_t kMusicEntry = 562;
constexpr uint32_t kMusicPipe = 0;
constexpr uint32_t kCheerPipe = 2;
constexpr uint32_t kEnginePipe = 3;
constexpr uint32_t kSirenPipe = 8;
constexpr int kQuietFrom = 10;
constexpr int kQuietTo = 15;

struct ArcadeLine {
    uint16_t voice;
    const char* caption;
};
// Captions are Windows-1252: 0x92 is the right single quotation mark.
constexpr ArcadeLine kLines[] = {
    {680, "This building is going up in smoke and the folks from Rozodudurid need your help. "},
    {681, "Be a hero and put out the fires two at a time.  "},
    {682, "Move and spray to put out fires.  "},
    {683, "Put out a fire and then find a matching character. "},
    {934, "Two in a row makes a match. "},
    {685, "Check the box to see which character to match next."},
    {764, "If you want to quit the game, hit the escape key."},
    {765, "You have to be a hero and save these folks. "},
    {766, " Spray two that match.  "},
    {767, "Keep your eyes peeled for pairs and get to work putting out those flames!"},
    {714, "Match them and then you\x92ll save them"},
    {715, "Now find the matching one."},
    {716, "You did it!  You matched them.  "},
    {717, "Great shot."},
    {718, "Try finding two that match"},
    {719, "That\x92s the way Fennmark hero!"},
    {697, "You did it!  Great job.  "},
    {698, "Do you want to play again or return to Rozodudurid?  "},
};

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

void GAToon_Activity::SpeakLine(int n) {
    if (n < 0 || n >= int(std::size(kLines))) return;
    CTLVApp* app = CTLVApp::Get();
    OMessageProcess* messages = app ? app->GetMessageProcess() : nullptr;
    if (!messages) return;
    if (n >= kQuietFrom && n <= kQuietTo && IsMessageQueued()) return;
    OMessageRecord* record = messages->AllocMessage(1);
    if (!record) return;
    record->SetSnippet(MakeChunkId(7, kLines[n].voice));
    record->SetText(kNullChunkId, kLines[n].caption);
    if (messages->QueueMessage(record) != 0) record->Reset();
}

void GAToon_Activity::StopMusic(bool release) {
    CTLVApp* app = CTLVApp::Get();
    OMusicProcess* music = app ? app->GetMusic() : nullptr;
    if (!music) return;
    music->Stop();
    if (release) music->Release();
}

void GAToon_Activity::Request(ChunkId activity) {
    StopMusic(false);
    if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(activity);
}

void GAToon_Activity::BuildResultsPanel() {
    auto* p = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(kResultsPanel), kPanelPriority);
    if (!p || !AdoptPanel(kResultsPanel, p)) return;
    AddPanelPicture(p, kResultsPicture);
    if (OTextDView* number = CreateTextDView(330, 150, 100, 150, PanelLayer(p))) {
        CTLVApp* app = CTLVApp::Get();
        if (OSysFont* font = app ? app->GetFont(kNumberFont) : nullptr) number->UseFont(font, false);
        number->SetAlignment(kAlignCentre);
        number->SetPriority(kNumberPriority);
        char text[8];
        std::snprintf(text, sizeof text, "%u", unsigned(matches_));
        number->SetText(text);
        p->AttachToView(number, 1);
    }
    AddPanelText(p, kResultsText, 320, 42, 500, 50);
    p->AddButton(1, kPlayAgainButton);
    p->AddButton(0, kReturnButton);
    if (matches_ >= goal_) {
        if (CPlayer* player = GamePlayer()) player->AddHeroPoints(kWorld, 1);
    }
}

void GAToon_Activity::BuildStartPanel() {
    auto* p = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(kStartPanel), kPanelPriority);
    if (!p || !AdoptPanel(kStartPanel, p)) return;
    // The instructions are the panel's button 1: a click on them starts play.
    AddPanelTextButton(p, kStartButton, kStartTexts[PlayerLevel() - 1], 320, 347, 500, 150);
    AddPanelText(p, kStartTitle, 320, 42, 500, 150);
    AddPanelPicture(p, kStartPictures[GetVehicleIndex() == 1 ? 1 : 0]);
}

void GAToon_Activity::CreateButtonPanel(int16_t panel) {
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
        PlaySound(kResultsJingle, kMusicPipe, 127);
        StopPipe(kCheerPipe);
        PlaySound(kResultsCheer, kCheerPipe, 127);
    }
}

void GAToon_Activity::OnPanelDismissed(int16_t panel) {
    if (panel != kStartPanel) return;
    StopMusic(true);
    StopPipe(kMusicPipe);
    CTLVApp* app = CTLVApp::Get();
    if (OMusicProcess* music = app ? app->GetMusic() : nullptr) {
        music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, kMusicEntry});
        music->Play();
    }
    BlinkPanelButton(uint16_t(kStartPanel), kStartButton);
}

void GAToon_Activity::OnButton(int16_t panel, int16_t button) {
    BlinkPanelButton(uint16_t(panel), uint16_t(button));
    if (panel == kPanelMenu && button == 1) {
        if (CPlayer* player = GamePlayer()) player->DecActivityLevel(kWorld, kArcade);
        SetLeaveTexts(kLeaveText, kLeavePicture);
        Arcade_Activity::OnButton(panel, button);
    } else if (panel == kResultsPanel) {
        ClosePanelAfterSpeech(panel, 1);
        Request(button == 1 ? kSelf : kTown);
    } else if (panel == kPanelLeave && button == 1) {
        ClosePanelAfterSpeech(panel, 1);
        Request(kTown);
    } else {
        Arcade_Activity::OnButton(panel, button);
    }
}
