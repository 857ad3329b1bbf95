#include "game/shell/TLVActivity.h"

#include <new>

#include "engine/core/ActivityManager.h"
#include "engine/core/ActivityProp.h"
#include "engine/media/Application.h"
#include "engine/core/ClassFactory.h"
#include "engine/base/Trace.h"
#include "engine/core/Window.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/core/Cursor.h"
#include "engine/media/BinkInterstitial.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/GameShellState.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVFactory.h"
#include "game/shell/TLVObject.h"
#include "platform/Platform.h"

namespace {

/// The game's own messages, loaded at the first start of an ordinary screen.
constexpr ChunkId kGameMessages = MakeChunkId(12, 79);
/// The click-feedback marker's art, state and frame.
constexpr ChunkId kMarkerPart = MakeChunkId(2, 1140);
constexpr int32_t kMarkerState = 3;
constexpr int32_t kMarkerFrame = 128;
/// Timed screens advance after 600000 / rate milliseconds (10 s at the timers' rate 60).
constexpr uint32_t kAdvanceTicks = 600000;
/// The voice lines wait this long after a start.
constexpr int32_t kMessageDelayMs = 750;

bool KeyHeld(uint32_t key) { return plat::input().AsyncKeyState(int32_t(key)) < 0; }

/// The timed screen that plays the two opening movies before it moves on.
constexpr uint32_t kMovieScreen = 3;
constexpr ChunkId kOpeningMovies[] = {MakeChunkId(18, 9), MakeChunkId(18, 1)};
/// A press ends an opening movie once it is past this frame.
constexpr int16_t kMovieMinimumFrame = 5;
constexpr uint32_t kMovieValue = 0x8000;

int32_t SkipKeyOrButton() { return IsSkipKeyOrButtonDown() ? 1 : 0; }

/// Queues a movie of the part file as an overlay of the next activity switch.
void QueueMovie(OActivityManager& manager, CPartFile* file, ChunkId movieId) {
    auto* movie = new (std::nothrow) OBinkInterstitial;
    if (!movie) return;
    movie->SetMovie(file, movieId, 0, 0, 0, kMovieMinimumFrame, kMovieValue);
    movie->SetSkipTest(SkipKeyOrButton);
    manager.AddOverlay(movie);
}

OMessageProcess* GameMessages() {
    OApplication* app = OApplication::Get();
    return app ? app->GetMessageProcess() : nullptr;
}

OMusicProcess* GameMusic() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetMusic() : nullptr;
}

} // namespace

CTLVActivity::CTLVActivity(const char* name, uint32_t classId)
    : OActivity(name, classId), leaveTextId_(MakeChunkId(17, 48)), leavePictureId_(MakeChunkId(2, 1095)) {
    hintTimer_.Stop();
    advanceTimer_.Start(-1);
    stepTimer_.Start(kStepMs);
    for (const uint32_t key : {kKeyEnter, kKeyEsc, kKeySpace, kKeyQ, kKeyAlt, kKeyTab, kKeyC}) WatchKey(key);
    AddEventMask(kEventApplication | kEventMouse | kEventKeyboard);
}

CTLVActivity::~CTLVActivity() {
    DeletePanels();
    UnloadSounds();
}

bool CTLVActivity::IsA(uint32_t classId) const { return classId == kClassId || OActivity::IsA(classId); }

bool CTLVActivity::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return OActivity::HandleProperty(msg, set);
    int16_t* field = msg->id == kPropStartPanelMode ? &startPanelMode_
                     : msg->id == kPropMusicTrack   ? &musicTrack_
                                                    : nullptr;
    if (field && !msg->Exchange(0, *field, set))
        xTracef("CTLVActivity - %s : property %u of family 200 has %u bytes, fewer than 2\n", GetName(),
                unsigned(msg->id), unsigned(msg->size));
    return true;
}

CPartFile* CTLVActivity::GameFile() { return GamePartFile(); }

CCounterPanel* CTLVActivity::CounterPanel() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetCounterPanel() : nullptr;
}

OSoundProcess* CTLVActivity::GameSound() { return GameSoundProcess(); }

// ---- Start, frames and stop -----------------------------------------------------------------

int32_t CTLVActivity::OnActivated() {
    if (OWindow* window = OWindow::Main()) {
        stageWidth_ = window->GetStageWidth();
        stageHeight_ = window->GetStageHeight();
    }
    if (GetObjectId() == 0) {
        CGameShellState& state = CGameShellState::Get();
        CPartFile* file = GameFile();
        if (!state.gameMessagesLoaded && file) {
            xMessages_LoadUnicode(file, kGameMessages);
            state.gameMessagesLoaded = true;
        }
        if (startPanelMode_ != 0 && CTLVApp::Get()) CTLVApp::Get()->ShowHost(true);
        if (startPanelMode_ != 0) {
            if (CCounterPanel* panel = CounterPanel()) {
                panel->Show(true);
                panel->SetMode(uint16_t(startPanelMode_));
            }
        }
    } else {
        advanceTimer_.Start(int32_t(kAdvanceTicks / advanceTimer_.rate));
        SetCursorMode(kHitChildrenThenSelf);
        showSystemCursor_ = 0;
    }
    xCursor_Show(showSystemCursor_ != 0);
    if (OMusicProcess* music = GameMusic(); music && musicTrack_ != 0) {
        music->Stop();
        music->Release();
        music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, uint16_t(musicTrack_)});
        music->Play();
    }
    MakeMarker();
    if (OMessageProcess* messages = GameMessages()) messages->Suspend(1);
    messageTimer_.Start(kMessageDelayMs);
    return OActivity::OnActivated();
}

int32_t CTLVActivity::OnIdle() {
    OActivityManager* manager = GetActivityManager();
    if (advanceTimer_.paused == 0 && advanceTimer_.HasElapsed() && !(manager && manager->IsSwitchPending())) {
        advanceTimer_.Stop();
        Advance();
    }
    if (messageTimer_.HasElapsed()) {
        messageTimer_.Stop();
        if (OMessageProcess* messages = GameMessages()) messages->Resume(1);
    }
    if (IsMessageQueued()) ResetHintTimer();
    if (stepTimer_.paused == 0 && stepTimer_.HasElapsed()) {
        stepTimer_.Restart();
        if (++stepIndex_ >= stepCycle_) stepIndex_ = 0;
        OnStep(stepIndex_);
    }
    if (pipe3RateFixed_) {
        OSoundProcess* sound = GameSound();
        SoundChannel* channel = sound ? sound->GetChannel(3) : nullptr;
        if (channel && xSound_GetPlaybackRate(channel) != pipe3Rate_) xSound_SetPlaybackRate(channel, pipe3Rate_);
    }
    PollKeys();
    return 1;
}

void CTLVActivity::Advance() {
    const uint32_t id = GetObjectId();
    OActivityManager* manager = GetActivityManager();
    CPartFile* file = GameFile();
    if (id == 0 || id == kStayingScreen || !manager || !file) return;
    if (id == kMovieScreen)
        for (const ChunkId movie : kOpeningMovies) QueueMovie(*manager, file, movie);
    manager->RequestActivity(MakeChunkId(file->FindDataIndex(Tag4("actv")), uint16_t(id)));
}

int32_t CTLVActivity::FlushSoundQueues() {
    DeletePanels();
    if (CCounterPanel* panel = CounterPanel()) panel->Show(false);
    if (CTLVApp::Get()) CTLVApp::Get()->ShowHost(false);
    UnloadSounds();
    DeleteMarker();
    StopPipe3();
    StopPipe8();
    if (OSoundProcess* sound = GameSound()) sound->StopAllExcept(0);
    // The factory that made the activity forgets the props it made for it.
    if (OActivityManager* manager = GetActivityManager(); manager && manager->GetCurrentActivity() == this)
        if (CFactory* factory = manager->GetCurrentFactory()) factory->Reset();
    return OActivity::FlushSoundQueues();
}

bool CTLVActivity::AcceptObject(OView* object) {
    if (object && object->IsA(76) && object->GetObjectId() != 0) textViews_.Append(object);
    return true;
}

OView* CTLVActivity::FindPropById(uint32_t objectId) const {
    for (int32_t i = 0; i < textViews_.Count(); ++i)
        if (textViews_.GetAt(i)->GetObjectId() == objectId) return textViews_.GetAt(i);
    return nullptr;
}

bool CTLVActivity::MayLeave() { return !IsButtonSoundPlaying() && !IsMessageQueued(); }

void CTLVActivity::MakeMarker() {
    if (marker_) return;
    marker_ = new (std::nothrow) TLV_Object;
    if (!marker_) return;
    LoadArt(marker_, GameFile(), kMarkerPart, 0);
    marker_->SetVisible(0, 0);
    marker_->SetState(kMarkerState);
    marker_->SetFrame(kMarkerFrame);
    marker_->SetHideAtAnimationEnd(1);
    AddChild(marker_);
}

void CTLVActivity::DeleteMarker() {
    if (!marker_) return;
    RemoveChild(marker_);
    delete marker_;
    marker_ = nullptr;
}

void CTLVActivity::ShowClickFeedback(OActivityProp* prop) {
    if (marker_ && prop && !marker_->IsShownThroughParents()) {
        marker_->SetPosition(prop->GetPosition(), 0, 1);
        marker_->SetPriority(32767);
        marker_->SetFrame(0);
        marker_->SetVisible(1, 1);
    }
    PlayOnPipe7();
}

// ---- Switching out and in, pausing ----------------------------------------------------------

void CTLVActivity::OnAppSuspend() {
    xTrace("CTLVActivity::OnSwitchOut()\n");
    OActivity::OnAppSuspend();
    Pause();
    if (OSoundProcess* sound = GameSound()) sound->OnAppSuspend();
    if (OMusicProcess* music = GameMusic()) music->Pause();
}

void CTLVActivity::OnAppResume() {
    xTrace("CTLVActivity::OnSwitchIn()\n");
    OActivity::OnAppResume();
    if (OSoundProcess* sound = GameSound()) sound->OnAppResume();
    Resume();
    if (OMusicProcess* music = GameMusic()) music->Resume();
}

void CTLVActivity::Pause() {
    // The voice lines' delay after the start runs on: a panel opened at the start (a game's
    // start panel) would otherwise hold the lines it is there to speak, and every line after.
    for (CTimerRec* timer : {&hintTimer_, &advanceTimer_, &stepTimer_}) timer->Pause();
    OSoundProcess* sound = GameSound();
    if (sound && sound->GetPipeCount() > 0) xSound_SetVolume(sound->GetChannel(0), 0);
    for (int32_t i = 0; i < ChildCount(); ++i)
        if (OProcess* child = ChildAt(i)->AsProcess()) child->Suspend(0);
}

void CTLVActivity::Resume() {
    if (IsPanelShown(-1)) return;
    ResetHintTimer();
    for (CTimerRec* timer : {&advanceTimer_, &stepTimer_}) timer->Resume();
    OSoundProcess* sound = GameSound();
    if (sound && sound->GetPipeCount() > 0) xSound_SetVolume(sound->GetChannel(0), 128);
    for (int32_t i = 0; i < ChildCount(); ++i)
        if (OProcess* child = ChildAt(i)->AsProcess()) child->Resume(0);
}

// ---- Input ----------------------------------------------------------------------------------

int32_t CTLVActivity::HandleEvent(const xEvent& event) {
    if ((event.type >= kEvButtonDown && event.type <= kEvKeyRepeat) || event.type == kEvChar) ResetHintTimer();
    PollKeys();
    // OnKeyDown is this class's hook for the polled keys: key-down events, which the process
    // dispatch would hand to it as well, are left to the polling.
    if (event.type == kEvKeyDown || event.type == kEvKeyRepeat) return 1;
    return OActivity::HandleEvent(event);
}

void CTLVActivity::WatchKey(uint32_t key) {
    for (int32_t i = 0; i < keys_.Count(); ++i)
        if (keys_.GetAt(i) == key) return;
    if (!keys_.Append(key)) return;
    if (!keyDown_.Append(0)) keys_.PopBack(); // both lists or neither
}

void CTLVActivity::UnwatchKey(uint32_t key) {
    for (int32_t i = keys_.Count() - 1; i >= 0; --i) {
        if (keys_.GetAt(i) != key) continue;
        keys_.RemoveAt(i);
        keyDown_.RemoveAt(i);
    }
}

void CTLVActivity::PollKeys() {
    for (int32_t i = keys_.Count() - 1; i >= 0 && i < keys_.Count(); --i) {
        const uint32_t key = keys_.GetAt(i);
        if (key == kKeyEsc && (KeyHeld(kKeyCtrl) || KeyHeld(kKeyAlt))) continue;
        if (key == kKeyTab && KeyHeld(kKeyAlt)) continue;
        const bool down = KeyHeld(key);
        uint32_t& seen = *keyDown_.ElementPtr(i);
        if (seen != 0 && !down) {
            seen = 0;
            OnKey(key);
        } else if (seen == 0 && down) {
            seen = 1;
            OnKeyDown(key);
        }
    }
}

void CTLVActivity::OnKey(uint32_t key) {
    if (GetObjectId() != 0) {
        if (key == kKeyEnter || key == kKeyEsc || key == kKeySpace) OnClick();
    } else if (key == kKeyEsc) {
        if (!IsPanelShown(kPanelMenu) && !IsPanelShown(kPanelQuit) && !IsPanelShown(kPanelLeave) &&
            !IsPanelShown(kPanelNewCar))
            CreateButtonPanel(kPanelMenu);
        else if (IsPanelShown(kPanelMenu))
            HidePanel(kPanelMenu, 1);
    } else if (key == kKeyC) {
        const boolean captions = xProfiles_Flag("HMCAPTIONS") ? 0 : 1;
        if (!xProfiles_Set("HMCAPTIONS", captions))
            xAssertFailed("xProfiles_Set(HMCAPTIONS, bCaptions)", "TLVActivity", __LINE__);
    } else if (key == kKeyQ && KeyHeld(kKeyCtrl)) {
        if (!IsPanelShown(kPanelQuit)) CreateButtonPanel(kPanelQuit);
        else HidePanel(kPanelQuit, 1);
    }
    ResetHintTimer();
}

void CTLVActivity::OnClick() {
    if (GetObjectId() != 0) {
        advanceTimer_.duration = 0;
        SetCursorMode(kHitNever);
    }
    ResetHintTimer();
}

// ---- Hint timer -----------------------------------------------------------------------------

void CTLVActivity::ResetHintTimer() {
    hintCount_ = 0;
    hintTimer_.start = plat::clock().TickCount();
    hintTimer_.paused = 0;
}

void CTLVActivity::StartHintTimer() { hintTimer_.Start(hintTimer_.duration); }

uint32_t CTLVActivity::HintTimerElapsed() const {
    if (!hintTimer_.running || hintTimer_.paused != 0 || IsMessageQueued()) return 0;
    return hintTimer_.Now() - hintTimer_.start;
}

// ---- Free functions -------------------------------------------------------------------------

CTLVActivity* CurrentGameActivity() {
    OActivityManager* manager = GetActivityManager();
    OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
    return current && current->IsA(CTLVActivity::kClassId) ? static_cast<CTLVActivity*>(current) : nullptr;
}

bool IsMessageQueued() {
    OMessageProcess* messages = GameMessages();
    return messages && messages->QueueLength() > 0;
}

bool IsCaptionQueued(const char* caption) {
    OMessageProcess* messages = GameMessages();
    if (!messages || !caption) return false;
    for (int32_t i = 0; i < messages->QueueLength(); ++i)
        if (messages->QueuedAt(i)->caption == caption) return true;
    return false;
}

void FlushMessageQueue() {
    if (OMessageProcess* messages = GameMessages()) messages->FlushMessages();
}

bool IsButtonSoundPlaying() {
    OSoundProcess* sound = GameSoundProcess();
    return sound && sound->GetPipeCount() > 2 && xSound_IsPlaying(sound->GetChannel(2));
}

bool LoadArt(OActivityProp* prop, CPartFile* file, ChunkId partId, uint8_t keepPlace) {
    if (!prop) return false;
    if (prop->SetPartID(file, partId, keepPlace) != 0) return true;
    if (!file || !file->ChunkExists(partId))
        xTracef("*** Missing art {%d, %d, %d} of %s: left out\n", int(ChunkIndexOf(partId)), int(ChunkSecondOf(partId)),
                int(ChunkEntryOf(partId)), prop->GetName());
    return false;
}

void PlaceProp(OActivityProp* prop, ChunkId pictureId, CPartFile* file, float x, float y) {
    if (!prop) return;
    LoadArt(prop, file, pictureId, 1);
    prop->SetPositionXY(x, y, 0, 1);
    prop->SetPriority(32767);
    prop->SetVisible(1, 1);
}
