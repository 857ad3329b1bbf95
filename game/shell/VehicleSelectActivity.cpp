#include "game/shell/VehicleSelectActivity.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/data/PartFile.h"
#include "engine/media/Application.h"
#include "engine/media/BinkInterstitial.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/Captions.h"
#include "game/shell/NavigationProp.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVObject.h"
#include "game/shell/VehicleSelectButton.h"
#include "game/shell/VehicleSelectDrive.h"
#include "engine/base/Random.h"
#include "platform/Platform.h"

namespace {

enum class Rule { Always, Quiet, Flush, TwoRecords };

struct Line {
    uint16_t voice;
    const char* caption;
    Rule rule;
};

// Captions in the Windows code page: 0x92 is the right single quotation mark.
constexpr Line kLineTable[VehicleSelect_Activity::kLines] = {
    {637, "Here we are in the Fennmark Hero garage.", Rule::Always},
    {638, "Each one of these emergency vehicles has a different job to do.", Rule::Always},
    {639, "Pick the one and we\x92ll get started on your heroic mission.", Rule::Always},
    {640, "Hurry!  We\x92ve got no time to spare.", Rule::Always},
    {641, "Click on the vehicle you\x92""d like to use and let\x92s get moving!", Rule::TwoRecords},
    {760, "Tollivar Emberhusk", Rule::Quiet},
    {642, "Tollivar Hydrovane", Rule::Quiet},
    {643, "Tollivar Patrollex", Rule::Quiet},
    {644, "Tollivar Ridgeprowl", Rule::Quiet},
    {645, "Tollivar Bulwarkan", Rule::Quiet},
    {646, "Tollivar Rammelhorn", Rule::Quiet},
    {647, "We\x92re back in the Fennmark Hero garage.  Pick a vehicle and let\x92s get to it.", Rule::Always},
    {648, "We need your help.  Quick, pick an emergency vehicle.", Rule::TwoRecords},
    {649, "Click on a vehicle and let\x92s get to work.", Rule::TwoRecords},
    {650, "Choose a vehicle.  Let\x92s go!", Rule::TwoRecords},
    {651, "Whoa!  Looks like Rozodudurid needs a hero. ", Rule::Flush},
    {652, "Let\x92s go find some lost puppies and put out some fires!", Rule::Always},
    {653, "We\x92ve got to get to Ruriziz and fast.  Seems the penguins are loose and the monkeys are out of control.",
     Rule::Flush},
    {654, "Let\x92s get down there and put things back in order.", Rule::Always},
    {655, "There\x92s a lot of trouble in Rododizeda.  The criminals need to be rounded up!", Rule::Flush},
    {656, "It\x92ll take a hero like you to put them back where they belong, behind bars!", Rule::Always},
    {657, "Continue to world", Rule::Quiet},
    {216, "return to player select", Rule::Quiet},
    {217, "go to the certificate screen", Rule::Quiet},
};
[[maybe_unused]] const bool kLineTableListed = captions::List(kLineTable);
constexpr int kFirstLine = 4; // line 4 is flushed when the player leaves

/// A vehicle value's table row.
struct Vehicle {
    uint16_t engine;
    int line;
    uint16_t go;
    uint16_t certificate;
};
constexpr Vehicle kVehicleTable[VehicleSelect_Activity::kVehicles] = {
    {44, 5, 8, 6}, {43, 6, 8, 6}, {59, 7, 14, 21}, {50, 8, 14, 21}, {37, 9, 17, 20}, {41, 10, 17, 20},
};

/// A world's go destination, start counter, first-visit movie and first of its two leave lines.
struct World {
    uint16_t destination;
    int counter;
    uint16_t movie;
    int line;
};
constexpr World kWorlds[3] = {{8, 13, 5, 15}, {14, 15, 3, 17}, {17, 14, 7, 19}};

constexpr uint16_t kSignIn = 4;
constexpr uint16_t kCertificates[] = {6, 20, 21};
constexpr uint16_t kMusicEntry = 2; // the piece {1, 0, 2}
constexpr int32_t kFadePriority = 32767;
constexpr int32_t kFadeState = 3;
constexpr uint32_t kFadeX = 320, kFadeY = 240;
constexpr int16_t kMovieMinimumFrame = 5;
constexpr uint32_t kMovieValue = 32768;
constexpr uint32_t kEnginePipe = 3;

OMessageProcess* Messages() {
    OApplication* app = OApplication::Get();
    return app ? app->GetMessageProcess() : nullptr;
}

CPlayer* Player() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}


bool IsCertificate(uint16_t target) { return std::find(std::begin(kCertificates), std::end(kCertificates), target) != std::end(kCertificates); }

/// The two-record lines switch the go button between its states 3 and 0 as each record ends.
void FlashGoButton(intptr_t /*startMark*/, int32_t /*skipped*/) {
    CTLVActivity* current = CurrentGameActivity();
    if (!current || !current->IsA(VehicleSelect_Activity::kClassId)) return;
    if (Navigation_Prop* go = static_cast<VehicleSelect_Activity*>(current)->GetGoButton())
        go->SetState(go->GetState() == 3 ? 0 : 3);
}

int32_t SkipKey() { return IsSkipKeyDown() ? 1 : 0; }

} // namespace

VehicleSelect_Activity::VehicleSelect_Activity(const char* name, uint32_t classId) : CTLVActivity(name, classId) {
    pictureVariant_ = xRand() & 1;
    buttonFade_.Stop();
    buttonFade_.duration = kButtonFadeMs;
    screenFade_.Stop();
    screenFade_.duration = kScreenFadeMs;
    leaveTimer_.Stop();
}

VehicleSelect_Activity::~VehicleSelect_Activity() = default;

bool VehicleSelect_Activity::IsA(uint32_t classId) const { return classId == kClassId || CTLVActivity::IsA(classId); }

// ---- Start and stop -------------------------------------------------------------------------

int32_t VehicleSelect_Activity::OnActivated() {
    const int32_t result = CTLVActivity::OnActivated();
    CPlayer* player = Player();
    if (player) {
        player->ResetPositions();
        player->ClearEntries();
        player->ClearPoints();
    }
    OActivityManager* manager = GetActivityManager();
    if (manager && ChunkEntryOf(manager->GetPreviousId()) == kSignIn && manager->GetPreviousId() != kNullChunkId) {
        for (int n = 0; n <= kFirstLine; ++n) SpeakLine(n);
    } else if (player && (player->GetCounter(13) || player->GetCounter(14) || player->GetCounter(15))) {
        SpeakLine(11);
    }
    if (CTLVApp* app = CTLVApp::Get(); app && app->GetMusic()) {
        OMusicProcess* music = app->GetMusic();
        music->Stop();
        music->Release();
        music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, kMusicEntry});
        music->Play();
    }
    LockUpgrades();
    if (player)
        for (Vehicle_Select_Button* button : buttons_)
            if (button->GetValue() == player->GetSelectedVehicle()) {
                SelectVehicle(button, button->GetValue(), false);
                break;
            }
    StartHintTimer();
    buttonFade_.Stop();
    screenFade_.Stop();
    fadeFrame_ = 255;
    if (!fadeProp_) {
        fadeProp_ = new (std::nothrow) OActivityProp("Garage fade", OActivityProp::kClassId);
        if (fadeProp_) {
            AddChild(fadeProp_);
            if (LoadArt(fadeProp_, GameFile(), kFadePart, 0)) fadeProp_->SetState(kFadeState);
            fadeProp_->SetPosition(CPointF(kFadeX, kFadeY), 0, 1);
            fadeProp_->SetPriority(kFadePriority);
            fadeProp_->SetVisible(0, 1);
            fadeProp_->SetFrame(fadeFrame_);
        }
    }
    return result;
}

int32_t VehicleSelect_Activity::FlushSoundQueues() {
    StopPipe3();
    return CTLVActivity::FlushSoundQueues();
}

bool VehicleSelect_Activity::AcceptObject(OView* object) {
    if (!object) return CTLVActivity::AcceptObject(object);
    const uint32_t id = object->GetObjectId();
    if (object->IsA(Vehicle_Select_Button::kClassId)) {
        buttons_.push_back(static_cast<Vehicle_Select_Button*>(object));
    } else if (object->IsA(Vehicle_Select_Drive::kClassId)) {
        drives_.push_back(static_cast<Vehicle_Select_Drive*>(object));
    } else if (object->IsA(Navigation_Prop::kClassId) && dynamic_cast<Navigation_Prop*>(object)) {
        auto* button = static_cast<Navigation_Prop*>(object);
        const uint16_t target = button->GetTarget();
        if (target == 6) certificateButton_ = button;
        else if (target == kSignIn || target == 20 || target == 21) backButton_ = button;
        else goButton_ = button;
    } else if (id >= kFirstPictureId && id < kFirstPictureId + 3 && object->IsA(OActivityProp::kClassId)) {
        auto* picture = static_cast<OActivityProp*>(object);
        std::vector<OActivityProp*>& list = pictures_[id - kFirstPictureId];
        if (list.size() < 2) {
            list.push_back(picture);
            picture->SetVisible(0, 1);
            picture->SetState(0);
            if (picture->IsA(TLV_Object::kClassId)) static_cast<TLV_Object*>(picture)->SetHideAtAnimationEnd(1);
        }
    }
    return CTLVActivity::AcceptObject(object);
}

void VehicleSelect_Activity::LockUpgrades() {
    CPlayer* player = Player();
    for (Vehicle_Select_Button* button : buttons_) {
        const uint16_t value = button->GetValue();
        const int world = value / 2;
        if (value % 2 == 0 || value >= kVehicles) {
            button->Unlock();
        } else if (player && player->GetWorldVisited(world)) {
            button->Unlock();
        } else if (player && player->GetActivityCount(world, 2) != 0) {
            player->SetWorldVisited(world);
            button->Unlock();
        } else {
            button->Lock();
        }
    }
}

// ---- Choosing -------------------------------------------------------------------------------

void VehicleSelect_Activity::SelectVehicle(Vehicle_Select_Button* button, uint16_t value, bool speak) {
    if (value >= kVehicles) return;
    if (speak && goButton_) {
        goButton_->SetState(3);
        for (int32_t next : {3, 3, 3, 0}) goButton_->SetNextState(next);
    }
    if (int32_t(value) == selectedValue_) return;
    if (goButton_) {
        if (speak)
            if (OMessageProcess* messages = Messages()) messages->FlushMessages();
        for (Vehicle_Select_Button* b : buttons_) {
            const bool chosen = b->GetValue() == value;
            b->SetSelected(chosen);
            b->SetState(chosen ? Vehicle_Select_Button::kSelectedState : 0);
        }
        CPlayer* player = Player();
        const bool lockedUpgrade = value % 2 == 1 && !(player && player->GetWorldVisited(value / 2));
        if (lockedUpgrade) return;
        const Vehicle& vehicle = kVehicleTable[value];
        if (speak) SpeakLine(vehicle.line);
        goButton_->SetTarget(vehicle.go);
        if (certificateButton_) certificateButton_->SetTarget(vehicle.certificate);
        engineSound_ = MakeChunkId(7, vehicle.engine);
    }
    if (selectedButton_) {
        selectedButton_->SetState(0);
        selectedButton_->SetNextState(0);
    }
    selectedButton_ = button;
    if (button) {
        button->SetState(Vehicle_Select_Button::kSelectedState);
        button->SetNextState(Vehicle_Select_Button::kSelectedState);
    }
    selectedValue_ = value;
    if (CPlayer* player = Player()) player->SetSelectedVehicle(value);
}

void VehicleSelect_Activity::SpeakLine(int n) {
    OMessageProcess* messages = Messages();
    if (!messages || n < 0 || n >= kLines) return;
    const Line& line = kLineTable[n];
    if (line.rule == Rule::Quiet && IsMessageQueued()) return;
    if (line.rule == Rule::Flush) messages->FlushMessages();
    if (line.rule == Rule::TwoRecords) {
        OMessageRecord* lead = messages->AllocMessage(1);
        if (!lead) return;
        lead->endCallback = &FlashGoButton;
        lead->userValue = 1;
        if (messages->QueueMessage(lead) != 0) {
            lead->Reset();
            return;
        }
    }
    OMessageRecord* record = messages->AllocMessage(1);
    if (!record) return;
    record->SetSnippet(MakeChunkId(7, line.voice));
    record->SetText(kNullChunkId, line.caption);
    if (line.rule == Rule::TwoRecords) {
        record->endCallback = &FlashGoButton;
        record->userValue = 0;
    }
    if (messages->QueueMessage(record) != 0) record->Reset();
}

void VehicleSelect_Activity::OnButtonHover(uint32_t objectId) {
    if (objectId >= 6 && objectId <= 8) SpeakLine(int(objectId) + 15);
}

void VehicleSelect_Activity::OnKey(uint32_t key) {
    if (key != kKeyEsc) return CTLVActivity::OnKey(key);
    if (IsPanelShown(kPanelQuit)) ClosePanelAfterSpeech(kPanelQuit, 1);
    else CreateButtonPanel(kPanelQuit);
}

Vehicle_Select_Drive* VehicleSelect_Activity::FindDriveProp(uint16_t value) const {
    auto same = [&](const Vehicle_Select_Drive* d) { return d->GetValue() == value; };
    auto found = std::find_if(drives_.begin(), drives_.end(), same);
    return found != drives_.end() ? *found : nullptr;
}

OActivityProp* VehicleSelect_Activity::GetWorldPicture(int world) const {
    if (world < 0 || world >= 3 || pictures_[world].empty()) return nullptr;
    const std::vector<OActivityProp*>& list = pictures_[world];
    return size_t(pictureVariant_) < list.size() ? list[size_t(pictureVariant_)] : list.front();
}

// ---- Leaving --------------------------------------------------------------------------------

int VehicleSelect_Activity::WorldOf(uint16_t target) {
    for (int w = 0; w < 3; ++w)
        if (kWorlds[w].destination == target) return w;
    return -1;
}

std::vector<Navigation_Prop*> VehicleSelect_Activity::NavigationButtons() const {
    std::vector<Navigation_Prop*> list;
    for (Navigation_Prop* b : {goButton_, backButton_, certificateButton_})
        if (b) list.push_back(b);
    return list;
}

bool VehicleSelect_Activity::MayNavigate(uint16_t target) {
    const bool world = target != kSignIn && !IsCertificate(target);
    if (world && (selectedValue_ < 0 || leaving_)) {
        xTrace("VehicleSelect_Activity : no vehicle is selected, the garage stays\n");
        return false;
    }
    if (IsCaptionQueued(kLineTable[kFirstLine].caption))
        if (OMessageProcess* messages = Messages()) messages->FlushMessages();
    for (Navigation_Prop* b : NavigationButtons()) b->SetCursorMode(kHitNever);
    UnwatchKey(kKeyEsc);
    buttonFade_.Start(kButtonFadeMs);
    for (Navigation_Prop* b : NavigationButtons()) {
        b->SetState(3);
        b->SetFrame(fadeFrame_ = 0);
    }
    for (Vehicle_Select_Button* b : buttons_) {
        b->SetCursorMode(kHitNever);
        if (!selectedButton_ && b->GetValue() == selectedValue_) selectedButton_ = b;
    }
    if (target == kSignIn) return true;
    if (IsCertificate(target)) {
        if (OMessageProcess* messages = Messages()) messages->FlushMessages();
        return true;
    }
    StartLeaving(target);
    return false;
}

void VehicleSelect_Activity::StartLeaving(uint16_t target) {
    leaving_ = 1;
    leaveTimer_.Start(int32_t(kLeaveTimeoutMs));
    const int world = WorldOf(target);
    if (world < 0) return; // a destination of no world: the time-out leaves for it
    SpeakLine(kWorlds[world].line);
    SpeakLine(kWorlds[world].line + 1);
    if (OActivityProp* picture = GetWorldPicture(world)) {
        picture->SetVisible(1, 1);
        picture->SetState(0);
        picture->SetFrame(0);
    }
    CPlayer* player = Player();
    OActivityManager* manager = GetActivityManager();
    if (!manager || (player && player->GetCounter(kWorlds[world].counter) != 0)) return;
    auto* movie = new (std::nothrow) OBinkInterstitial;
    if (!movie) return;
    movie->SetMovie(GameFile(), MakeChunkId(18, kWorlds[world].movie), 0, 0, 0, kMovieMinimumFrame, kMovieValue);
    movie->SetSkipTest(SkipKey);
    manager->AddOverlay(movie);
}

int32_t VehicleSelect_Activity::ScreenFadeFrame(uint32_t elapsedMs) {
    const double frame = (double(kScreenFadeMs) - double(elapsedMs)) * 0.00066666666 * 255.0;
    return frame <= 0 ? 0 : std::min(255, int32_t(frame));
}

int32_t VehicleSelect_Activity::ButtonFadeFrame(uint32_t elapsedMs) {
    return std::clamp(int32_t(double(elapsedMs) * 0.002 * 255.0), 0, 255);
}

void VehicleSelect_Activity::StartScreenFade() {
    if (screenFadeStarted_) return;
    screenFadeStarted_ = 1;
    if (fadeProp_) {
        fadeProp_->SetVisible(1, 1);
        fadeProp_->SetFrame(fadeFrame_);
    }
    screenFade_.Start(kScreenFadeMs);
}

void VehicleSelect_Activity::ButtonFadeStep() {
    if (!buttonFade_.running) return;
    const uint32_t elapsed = buttonFade_.Now() - buttonFade_.start;
    if (elapsed >= uint32_t(kButtonFadeMs)) {
        buttonFade_.Stop();
        for (Navigation_Prop* b : NavigationButtons()) b->SetVisible(0, 1);
        return;
    }
    fadeFrame_ = ButtonFadeFrame(elapsed);
    for (Navigation_Prop* b : NavigationButtons()) b->SetFrame(fadeFrame_);
}

void VehicleSelect_Activity::ScreenFadeStep() {
    if (!screenFade_.running) return;
    const uint32_t elapsed = screenFade_.Now() - screenFade_.start;
    OSoundProcess* sound = GameSound();
    if (elapsed >= uint32_t(kScreenFadeMs)) {
        screenFade_.Stop();
        if (CTLVApp* app = CTLVApp::Get(); app && app->GetMusic()) {
            app->GetMusic()->Stop();
            app->GetMusic()->Release();
        }
        if (goButton_) goButton_->Navigate();
        fadeFrame_ = 0;
        if (fadeProp_) fadeProp_->SetFrame(0);
        if (sound) sound->Stop(kEnginePipe);
        leaving_ = 0;
        leaveTimer_.Stop();
        return;
    }
    fadeFrame_ = ScreenFadeFrame(elapsed);
    if (fadeProp_) fadeProp_->SetFrame(fadeFrame_);
    if (sound && sound->GetPipeCount() > kEnginePipe) xSound_SetVolume(sound->GetChannel(kEnginePipe), fadeFrame_);
}

void VehicleSelect_Activity::DriveStep() {
    if (!leaving_ || screenFadeStarted_ || !goButton_) return;
    const int world = WorldOf(goButton_->GetTarget());
    if (world < 0) return;
    OActivityProp* picture = GetWorldPicture(world);
    if (picture && picture->IsVisible()) return;
    Vehicle_Select_Drive* drive = selectedButton_ ? FindDriveProp(selectedButton_->GetValue()) : nullptr;
    if (!drive || drive->IsVisible() || driving_) return;
    drive->Show();
    selectedButton_->SetVisible(0, 1);
    if (engineSound_ != kNullChunkId) PlayOnPipe3Ex(engineSound_, kEngineRate, 1);
    driving_ = 1;
}

int32_t VehicleSelect_Activity::OnIdle() {
    if (HintTimerElapsed() >= kHintMs && !leaving_) {
        StartHintTimer();
        SpeakLine(12 + xRand() % 3);
    }
    ButtonFadeStep();
    ScreenFadeStep();
    DriveStep();
    if (leaving_ && !screenFadeStarted_ && leaveTimer_.HasElapsed()) {
        xTrace("VehicleSelect_Activity : the drive-out did not end in time, the screen fades now\n");
        StartScreenFade();
    }
    return CTLVActivity::OnIdle();
}
