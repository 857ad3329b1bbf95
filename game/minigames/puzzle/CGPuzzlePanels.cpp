// The puzzle's start and end panels, its buttons and keys' follow-ups, and its spoken lines.
#include <algorithm>
#include <new>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Cursor.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/MouseProcess.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/PartCursor.h"
#include "engine/media/SoundProcess.h"
#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/minigames/puzzle/PuzzleGoButton.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Captions.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr int32_t kPanelPriority = 32000;
/// Where the start panel shows the player's vehicle (the city's two stand higher).
constexpr float kVehicleX = 320, kVehicleY = 200, kHighVehicleY = 181, kRightVehicleX = 318;

struct Line {
    uint16_t voice;
    const char* caption;
};
constexpr Line kLines[] = {
    {692, "Click on any of the tracks to turn them. "},
    {693, "When you have the tracks lined up the way you want them, click the \"go\" button to move the emergency "
          "vehicle forward.  "},
    {694, "Try to get the tracks to line up and get the emergency vehicle to each of the characters.  "},
    {695, "Pick up badges along the way.  "},
    {696, "Now start turning those tracks!"},
    {721, "Hang on!  Can\x92t turn that one yet."},
    {723, "Turn the tracks that make the road complete"},
    {724, "Well done hero!"},
    {725, "Complete the road to get the emergency vehicle to the characters on the board"},
    {726, "You have to turn that track"},
    {727, "If you are ready, click the go button to get the emergency vehicle moving."},
    {728, "You did it!  You picked him up. "},
    {729, "Try and get the vehicle to the characters to pick them up"},
    {730, "Great job."},
    {700, "You saved everybody.  Great job. "},
};
[[maybe_unused]] const bool kLinesListed = captions::List(kLines);
[[maybe_unused]] const bool kFarewellsListed = captions::List(puzzle_towns::kCircus.farewellCaption) &&
                                                captions::List(puzzle_towns::kZoo.farewellCaption) &&
                                                captions::List(puzzle_towns::kCity.farewellCaption);
constexpr int32_t kFarewellLine = 15;
/// Lines dropped while another one waits.
constexpr int32_t kFirstQuietLine = 5, kLastQuietLine = 13;

OMessageProcess* Messages() {
    OApplication* app = OApplication::Get();
    return app ? app->GetMessageProcess() : nullptr;
}

OMusicProcess* Music() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetMusic() : nullptr;
}

void StopAndReleaseMusic() {
    if (OMusicProcess* music = Music()) music->Release();
}

void RequestActivity(uint16_t entry) {
    if (OMusicProcess* music = Music()) music->Stop();
    if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(MakeChunkId(1, entry));
}

} // namespace

void CGPuzzle::SpeakLine(int32_t line) {
    OMessageProcess* messages = Messages();
    if (!messages || line < 0 || line > kFarewellLine) return;
    if (town_.city && (line == 2 || line == 14)) return;
    OMessageRecord* record = messages->AllocMessage(1);
    if (!record) return;
    if (line >= kFirstQuietLine && line <= kLastQuietLine && IsMessageQueued()) {
        record->Reset();
        return;
    }
    int32_t said = line;
    if (town_.city && line == 8) said = xRand() % 2 == 0 ? 10 : 6;
    if (said == kFarewellLine) {
        record->SetSnippet(town_.farewellVoice);
        record->SetText(kNullChunkId, town_.farewellCaption);
    } else {
        record->SetSnippet(MakeChunkId(7, kLines[said].voice));
        record->SetText(kNullChunkId, kLines[said].caption);
    }
    if (messages->QueueMessage(record) != 0) record->Reset();
}

void CGPuzzle::ShowPointer(bool show) {
    OMouseProcess* mouse = OApplication::Get() ? OApplication::Get()->GetMouseProcess() : nullptr;
    if (mouse && pointer_) mouse->ShowCursorView(show ? 1 : 0);
    xCursor_Show(!show);
}

void CGPuzzle::CreateButtonPanel(int16_t panel) {
    ShowPointer(false);
    StopPipe3();
    if (vehicle_ && vehicle_->GetAttachedProp()) {
        vehicle_->GetAttachedProp()->SetVisible(0, 1);
        vehicle_->GetAttachedProp()->SetPriority(vehicle_->GetPriority() + 1);
    }
    StopPipe8();
    if (panel != kPanelEnd && panel != kPanelStart) {
        TLVGame_Activity::CreateButtonPanel(panel);
        return;
    }
    if (!GetPanel(panel)) {
        if (panel == kPanelEnd) BuildEndPanel();
        else BuildStartPanel();
    }
    ButtonPanel_Prop* p = GetPanel(panel);
    if (!p) return;
    if (OMessageProcess* messages = Messages()) messages->FlushMessages();
    xCursor_Show(true);
    Pause();
    p->Show(true, 1);
    StopAndReleaseMusic();
    if (panel == kPanelEnd) {
        PlaySound(town_.endVoices[0], 0, 127);
        if (OSoundProcess* sound = GameSoundProcess()) sound->Stop(2);
        PlaySound(town_.endVoices[1], 2, 127);
    } else {
        PlaySound(puzzle_towns::kStartVoice, 0, 127);
    }
}

void CGPuzzle::BuildEndPanel() {
    auto* p = new (std::nothrow) ButtonPanel_Prop(puzzle_towns::kPanelArt, uint16_t(kPanelEnd), kPanelPriority);
    if (!p || !AdoptPanel(kPanelEnd, p)) return;
    if (goButton_) goButton_->ShowStopped();
    AddPanelPicture(p, town_.endPicture);
    AddPanelNumber(p, uint32_t(std::max(peopleTotal_ - peopleLeft_, 0)), 320, 150);
    if (peopleLeft_ == 0)
        if (CTLVApp* app = CTLVApp::Get(); app && app->GetPlayer()) app->GetPlayer()->AddHeroPoints(town_.world, 1);
    AddPanelText(p, puzzle_towns::kEndTitle, 320, 42, 500, 50);
    p->AddButton(1, puzzle_towns::kPlayAgainButton);
    p->AddButton(0, puzzle_towns::kReturnButton);
}

void CGPuzzle::BuildStartPanel() {
    auto* p = new (std::nothrow) ButtonPanel_Prop(puzzle_towns::kPanelArt, uint16_t(kPanelStart), kPanelPriority);
    if (!p || !AdoptPanel(kPanelStart, p)) return;
    AddPanelText(p, town_.levelPictures[level_ >= 1 && level_ <= 3 ? level_ - 1 : 2], 320, 347, 500, 150);
    AddPanelText(p, town_.title, 320, 42, 500, 50);
    const uint16_t vehicle = PlayerVehicle();
    if (vehicle < 6) {
        const float x = vehicle == 5 ? kRightVehicleX : kVehicleX;
        const float y = vehicle >= 4 ? kHighVehicleY : kVehicleY;
        AddPanelPicture(p, puzzle_towns::kPanelVehicles[vehicle], x, y);
    }
    // The start panel closes with its one button, which its hook blinks.
    p->AddButton(1, puzzle_towns::kPlayAgainButton);
}

void CGPuzzle::HidePanel(int16_t panel, uint8_t flush) {
    TLVGame_Activity::HidePanel(panel, flush);
    if (!IsPanelShown(-1)) ShowPointer(true);
}

void CGPuzzle::OnPanelDismissed(int16_t panel) {
    if (panel != kPanelStart) return;
    StartMusicOnce();
    BlinkPanelButton(kPanelStart, 1);
}

void CGPuzzle::StartGameMusic() {
    StopAndReleaseMusic();
    if (OSoundProcess* sound = GameSoundProcess()) sound->Stop(0);
    if (OMusicProcess* music = Music()) {
        music->SetSnippetData(MusicDescriptor::FromId(MakeChunkId(1, town_.music)));
        music->Play();
    }
}

void CGPuzzle::OnButton(int16_t panel, int16_t button) {
    BlinkPanelButton(uint16_t(panel), 1);
    if (panel == kPanelMenu) {
        if (button == 1) SetLeaveTexts(town_.leaveText, town_.leavePicture);
        TLVGame_Activity::OnButton(panel, button);
    } else if (panel == kPanelEnd) {
        if (button == 1) RequestActivity(town_.ownEntry);
        else if (button == 0) RequestActivity(town_.worldEntry);
    } else if (panel == kPanelLeave && button == 1) {
        RequestActivity(town_.worldEntry);
    } else {
        // Among them the leave question's no: it closes, and play goes on as after the menu's
        // continue.
        TLVGame_Activity::OnButton(panel, button);
    }
}
