// The circus race's panels, buttons, music and spoken lines.
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
#include "game/minigames/race/GRToonActivity.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VFlat.h"

namespace {

constexpr ChunkId kPanelArt = MakeChunkId(2, 349);
constexpr int32_t kPanelPriority = 30500;
constexpr ChunkId kEndPicture = MakeChunkId(2, 1123);
constexpr ChunkId kEndTitle = MakeChunkId(17, 4);
constexpr int kNumberFont = 2;
constexpr int32_t kNumberPriority = 32767;
constexpr ChunkId kPlayAgainButton = MakeChunkId(2, 9);
constexpr ChunkId kReturnButton = MakeChunkId(2, 1147);
constexpr ChunkId kIntroTexts[] = {MakeChunkId(17, 8), MakeChunkId(17, 79), MakeChunkId(17, 80)};
constexpr uint16_t kIntroButton = 1;
constexpr ChunkId kIntroTitle = MakeChunkId(17, 17);
constexpr ChunkId kIntroPictures[] = {MakeChunkId(2, 547), MakeChunkId(2, 1030)};
constexpr ChunkId kLeavePicture = MakeChunkId(2, 1093);
constexpr ChunkId kLeaveText = MakeChunkId(17, 250);
constexpr ChunkId kIntroJingle = MakeChunkId(7, 570);
constexpr ChunkId kEndFanfare = MakeChunkId(7, 575);
constexpr ChunkId kEndCheer = MakeChunkId(7, 574);
constexpr uint16_t kMusicEntry = 562;
constexpr uint32_t kMusicPipe = 0;
constexpr uint32_t kCheerPipe = 2;
constexpr uint32_t kEnginePipe = 3;
constexpr uint32_t kSirenPipe = 8;

struct RaceLine {
    uint16_t voice;
    bool quiet; // dropped while another line waits
    const char* caption;
};
// Captions are Windows-1252: 0x92 is the right single quotation mark.
constexpr RaceLine kLines[] = {
    {686, false, "The fireworks factory is on fire.  We\x92ve got to get there and fast!  "},
    {687, false, "Put out the fires and try to get to the factory as fast as you can."},
    {688, false, "Pick up fireworks to get a special shots.  Spray anything that gets in your way."},
    {689, false, "Spray the rats.  They will drop badges then pick them up. "},
    {690, false, "Get down there and be a real hero."},
    {691, false, "Let\x92s get moving!"},
    {308, true, "Watch out!"},
    {703, true, "Shoot fireworks to get a special bonus"},
    {704, true, "Way to go Fennmark hero!"},
    {705, true, "Put out as many fires as you can"},
    {706, true, "Get the fireworks."},
    {707, true, "Bonus three-way shot"},
    {708, true, "Great shot."},
    {709, true, "That\x92s the way to soak that fire"},
    {710, true, "You did it!  Good job."},
    {711, true, "Now you\x92re really moving  "},
    {699, false, "The fireworks factory is saved and in record time!  "},
    {698, false, "Do you want to play again or return to Rozodudurid?  "},
    {222, false, "You gotta spray the fires to save the factory! Are you ready to try again?  "},
    {223, false, "You finished all 3 levels! Do you want to keep going?  "},
    {387, true, "Bonus Boost!"},
};

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

void GRToon_Activity::Speak(int n) {
    if (n < 0 || n >= int(std::size(kLines))) return;
    CTLVApp* app = CTLVApp::Get();
    OMessageProcess* messages = app ? app->GetMessageProcess() : nullptr;
    if (!messages) return;
    if (kLines[n].quiet && IsMessageQueued()) return;
    OMessageRecord* record = messages->AllocMessage(1);
    if (!record) return;
    record->SetSnippet(MakeChunkId(7, kLines[n].voice));
    record->SetText(kNullChunkId, kLines[n].caption);
    if (messages->QueueMessage(record) != 0) {
        record->Reset();
        return;
    }
    spoken_.push_back(n);
}

void GRToon_Activity::StopMusic() {
    CTLVApp* app = CTLVApp::Get();
    if (OMusicProcess* music = app ? app->GetMusic() : nullptr) music->Stop();
}

void GRToon_Activity::Request(ChunkId activity) {
    StopMusic();
    if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(activity);
}

void GRToon_Activity::BuildEndPanel() {
    auto* p = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(kEndPanel), kPanelPriority);
    if (!p || !AdoptPanel(kEndPanel, p)) return;
    AddPanelPicture(p, kEndPicture);
    if (OTextDView* number = CreateTextDView(320, 150, 100, 150, PanelLayer(p))) {
        CTLVApp* app = CTLVApp::Get();
        if (OSysFont* font = app ? app->GetFont(kNumberFont) : nullptr) number->UseFont(font, false);
        number->SetAlignment(kAlignCentre);
        number->SetPriority(kNumberPriority);
        char text[8];
        std::snprintf(text, sizeof text, "%u", unsigned(GetScore()));
        number->SetText(text);
        p->AttachToView(number, 1);
    }
    if (ended_) {
        if (CPlayer* player = GamePlayer()) {
            if (GetScore() > 0) player->AddHeroPoints(kWorld, 1);
            player->IncActivityCount(kWorld, kRaceGame);
        }
    }
    AddPanelText(p, kEndTitle, 320, 42, 500, 50);
    p->AddButton(1, kPlayAgainButton);
    p->AddButton(0, kReturnButton);
}

void GRToon_Activity::BuildIntroPanel() {
    auto* p = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(kIntroPanel), kPanelPriority);
    if (!p || !AdoptPanel(kIntroPanel, p)) return;
    // The instructions are the panel's button 1: a click on them starts the race.
    AddPanelTextButton(p, kIntroButton, kIntroTexts[GetLevel() - 1], 320, 347, 500, 150);
    AddPanelText(p, kIntroTitle, 320, 42, 500, 50);
    CPlayer* player = GamePlayer();
    AddPanelPicture(p, kIntroPictures[player && player->GetSelectedVehicle() == 1 ? 1 : 0]);
}

void GRToon_Activity::CreateButtonPanel(int16_t panel) {
    const bool ours = panel == kEndPanel || panel == kIntroPanel;
    if (ours) {
        StopPipe(kEnginePipe);
        if (VFlat* vehicle = GetVehicle()) {
            if (OActivityProp* light = vehicle->GetAttachedProp()) light->SetVisible(0, 1);
        }
        StopPipe(kSirenPipe);
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
        PlaySound(kEndFanfare, kMusicPipe, 127);
        StopPipe(kCheerPipe);
        PlaySound(kEndCheer, kCheerPipe, 127);
    }
}

void GRToon_Activity::OnPanelDismissed(int16_t panel) {
    if (panel != kIntroPanel) return;
    CTLVApp* app = CTLVApp::Get();
    if (OMusicProcess* music = app ? app->GetMusic() : nullptr) {
        music->Stop();
        music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, kMusicEntry});
        music->Play();
    }
    BlinkPanelButton(uint16_t(kIntroPanel), kIntroButton);
}

void GRToon_Activity::OnButton(int16_t panel, int16_t button) {
    BlinkPanelButton(uint16_t(panel), uint16_t(button));
    if (panel == kPanelMenu && button == 1) {
        if (CPlayer* player = GamePlayer()) player->DecActivityLevel(kWorld, kRaceGame);
        SetLeaveTexts(kLeaveText, kLeavePicture);
        CGRace::OnButton(panel, button);
    } else if (panel == kEndPanel) {
        ClosePanelAfterSpeech(panel, 1);
        Request(button == 1 ? kSelf : kTown);
    } else if (panel == kPanelLeave && button == 1) {
        ClosePanelAfterSpeech(panel, 1);
        Request(kTown);
    } else {
        CGRace::OnButton(panel, button);
    }
}
