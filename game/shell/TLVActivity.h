#pragma once
#include <cstdint>

#include "engine/core/Activity.h"
#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "engine/data/DynArray.h"

class ButtonPanel_Prop;
class CCounterPanel;
class CPartFile;
class OActivityProp;
class OSoundProcess;
class OTextDView;
class PanelTextButton;
class TLV_Object;
class CWorldLink;
struct xSnippet;

/// The base of every game screen, world and mini-game (class id 200, "TLV_Activity"): timers
/// that pause with it, polled keys with release and press hooks, eight slots of button panels
/// with the standard pause menu and its yes/no questions, spoken button labels, the activity's
/// own sound snippets with the operations of the sound pipes 3, 7 and 8, timed screens that
/// advance by themselves (object id not 0), and a marker prop for click feedback. Opening a
/// panel or switching the application out pauses its timers, its children and the music
/// pipe 0; closing the last panel or switching back resumes them.
class CTLVActivity : public OActivity {
public:
    static constexpr uint32_t kClassId = 200;
    /// Property family 200: the start panel mode and the music track, 16 bits each.
    enum : uint32_t { kPropStartPanelMode = 1, kPropMusicTrack = 2 };
    /// Watched keys (virtual-key codes).
    static constexpr uint32_t kKeyTab = 9;
    static constexpr uint32_t kKeyEnter = 13;
    static constexpr uint32_t kKeyCtrl = 17;
    static constexpr uint32_t kKeyAlt = 18;
    static constexpr uint32_t kKeyEsc = 27;
    static constexpr uint32_t kKeySpace = 32;
    static constexpr uint32_t kKeyC = 67;
    static constexpr uint32_t kKeyQ = 81;
    /// The panels this base builds or speaks for.
    static constexpr int16_t kPanelMenu = 0;
    static constexpr int16_t kPanelQuit = 1;
    static constexpr int16_t kPanelNewCar = 2;
    /// The games' start panel (the driving world's tutorial takes the slot too).
    static constexpr int16_t kPanelStart = 4;
    static constexpr int16_t kPanelDelete = 5;
    static constexpr int16_t kPanelLeave = 6;
    static constexpr int kPanelSlots = 8;
    /// Timed screens with this object id never advance by themselves.
    static constexpr uint32_t kStayingScreen = 999;
    static constexpr int32_t kStepMs = 15;
    static constexpr uint32_t kAnyPipe = 999;

    CTLVActivity(const char* name = "TLV_Activity", uint32_t classId = kClassId);
    /// Takes its panels off the main window and frees its lists and snippets.
    ~CTLVActivity() override;

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// Idle: the timed advance, the per-step hook, the rate held on pipe 3 and the keys; 1.
    int32_t OnIdle() override;
    /// OnSwitchOut and OnSwitchIn: the application is switched out and back in.
    void OnAppSuspend() override;
    void OnAppResume() override;
    /// Input restarts the hint timer; every event polls the keys before the usual dispatch.
    int32_t HandleEvent(const xEvent& event) override;
    /// A click on a timed screen makes it advance at the next frame.
    void OnClick() override;
    /// OnStart: set-up each time the activity becomes the current one; 1.
    int32_t OnActivated() override;
    /// OnStop: when the activity is switched out for good its panels, snippets and marker go,
    /// the pipes but the music stop and the pipes' queues are emptied.
    int32_t FlushSoundQueues() override;
    /// AddProp: keeps text views with an object id as templates and labels; takes every prop.
    bool AcceptObject(OView* object) override;
    /// Whether pipe 2 (the button sounds) is silent and no voice line waits.
    bool MayLeave() override;

    // Hooks of derived activities.
    /// What a driving world answers its props; null for every other activity.
    virtual CWorldLink* GetWorldLink() { return nullptr; }
    /// Asked by a navigation button before it switches; true here.
    virtual bool MayNavigate(uint16_t /*target*/) { return true; }
    virtual void OnButtonHover(uint32_t /*objectId*/) {}
    virtual void OnButtonPress(uint32_t /*objectId*/) {}
    /// Pauses the timers (not the voice lines' start delay), silences pipe 0 and suspends the
    /// children.
    virtual void Pause();
    /// Undoes Pause unless a panel is showing; the hint timer starts afresh.
    virtual void Resume();
    /// The process's resume (with its flag) stays beside it.
    using OActivity::Resume;
    /// Builds the panel when its slot is empty (this base builds 0, 1, 2 and 6), then shows it
    /// with the activity paused and speaks its question.
    virtual void CreateButtonPanel(int16_t panel);
    /// Hides the panel; then opens the queued panel, or resumes when no panel is left. Once
    /// the start panel has gone (its button, or the menu opened over it) and no panel is left,
    /// the game's music starts (StartMusicOnce).
    virtual void HidePanel(int16_t panel, uint8_t flush);
    /// A click on the panel itself, or its time-out.
    virtual void OnPanelDismissed(int16_t /*panel*/) {}
    /// A game's music from its start (what plays over its start panel stopped); nothing here.
    virtual void StartGameMusic() {}
    /// A panel button was clicked: the panel closes after the speech, with the follow-up of
    /// the menu's buttons and the quit and new-car questions.
    virtual void OnButton(int16_t panel, int16_t button);
    /// The pointer came over a panel button: its label is spoken.
    virtual void ShowButtonCaption(int16_t panel, int16_t button);
    /// Called every 15 ms with the step index (0 .. step cycle - 1).
    virtual void OnStep(int32_t /*index*/) {}
    /// A watched key went up.
    virtual void OnKey(uint32_t key);
    /// A watched key went down. It is the process's key-down hook too, but key-down events are
    /// kept from it (HandleEvent): presses come from the polling alone.
    void OnKeyDown(uint32_t /*key*/) override {}

    // Keys.
    void WatchKey(uint32_t key);
    void UnwatchKey(uint32_t key);
    /// Compares each watched key with its last seen state, the last key first: a release calls
    /// OnKey, a press OnKeyDown. ESC counts for nothing while CTRL or ALT is held, TAB while ALT
    /// is held.
    void PollKeys();

    // Hint timer: time since the last input.
    void ResetHintTimer();
    void StartHintTimer();
    /// Milliseconds since the last input while the hint timer runs unpaused and no voice line
    /// waits; else 0.
    uint32_t HintTimerElapsed() const;

    // Panels.
    /// The panel to open when the current one closes.
    void QueueAction(int16_t panel);
    /// Whether the panel (any panel for -1) exists, is shown through its parents and enabled.
    bool IsPanelShown(int16_t panel) const;
    /// Freezes the panel's buttons and hides it once the button sound on pipe 2 has ended.
    void ClosePanelAfterSpeech(int16_t panel, uint8_t flush);
    /// Speaks a spoken label or question (kinds 0 to 8) as a captioned voice line on the
    /// application's message process.
    void SpeakCaption(int32_t kind);
    ButtonPanel_Prop* GetPanel(int16_t panel) const;
    /// When the panel and its button exist: the button shows its down look once, then its
    /// hover or up look, and the panel's time-out is switched on and restarted, so that
    /// OnPanelDismissed follows when it runs out.
    void BlinkPanelButton(uint16_t panel, uint16_t button);
    /// StartGameMusic, unless music plays: the start panel's hook and its close each start the
    /// game's music, and whichever comes second leaves it playing on.
    void StartMusicOnce();

    // Sounds.
    /// The snippet of the id: the activity's own (the later one of an id loaded twice), else
    /// the game's; null when neither has it.
    xSnippet* FindSound(ChunkId id) const;
    /// The snippet of the id, loaded from the game's part file and kept when not known yet;
    /// null when it cannot be loaded or kept, and for the null id, which names no sound.
    xSnippet* LoadSound(ChunkId id);
    /// Plays the snippet at the volume (0..511) on the pipe (kAnyPipe: a free one), once,
    /// priority 0.
    void PlaySound(ChunkId id, uint32_t pipe, int32_t volume);
    /// Pipe 3 (engine sounds): looping at 22050 samples a second, or with the rate held.
    void PlayOnPipe3(ChunkId id);
    void PlayOnPipe3Ex(ChunkId id, int32_t rate, uint8_t loop);
    void StopPipe3();
    /// Pipe 8 (a loop behind the play), at volume 115.
    void PlayOnPipe8(ChunkId id);
    void StopPipe8();
    /// Pipe 7: the click sound {7, 0, 838}, once.
    void PlayOnPipe7();
    /// The sound of a prop that was touched, by the sound value of its part.
    void PlayPropSound(OActivityProp* prop);
    /// Moves the marker onto the prop and plays it when it is not already showing; the click
    /// sound in any case.
    void ShowClickFeedback(OActivityProp* prop);

    /// The first kept text view with the object id; null when none.
    OView* FindPropById(uint32_t objectId) const;
    /// Styles the view after the text template (object id 1000: its font, colour and
    /// alignment; a screen without one keeps the view's own), word wrap and vertical centring
    /// on, priority 32767, and gives it the text of the 'utxt' chunk in the current language,
    /// else in language 10.
    void SetViewText(OTextDView* view, ChunkId textId, CPartFile* file);
    /// Styles the view as SetViewText does, after the number template (object id 1001), and
    /// gives it the value in decimal.
    void SetViewNumber(OTextDView* view, int16_t value);

    int16_t GetStageWidth() const { return stageWidth_; }
    int16_t GetStageHeight() const { return stageHeight_; }
    int16_t GetStartPanelMode() const { return startPanelMode_; }
    int16_t GetMusicTrack() const { return musicTrack_; }
    int32_t GetStepCycle() const { return stepCycle_; }
    void SetStepCycle(int32_t cycle) { stepCycle_ = cycle; }
    int16_t GetHintCount() const { return hintCount_; }
    void SetHintCount(int16_t count) { hintCount_ = count; }
    const CTimerRec& GetHintTimer() const { return hintTimer_; }
    const CTimerRec& GetAdvanceTimer() const { return advanceTimer_; }
    const CTimerRec& GetStepTimer() const { return stepTimer_; }
    const CTimerRec& GetMessageTimer() const { return messageTimer_; }
    int32_t WatchedKeyCount() const { return keys_.Count(); }
    uint32_t WatchedKey(int32_t index) const { return keys_.GetAt(index); }
    int32_t SoundCount() const { return sounds_.Count(); }
    int32_t TextViewCount() const { return textViews_.Count(); }
    TLV_Object* GetMarker() const { return marker_; }
    bool HoldsPipe3Rate() const { return pipe3RateFixed_ != 0; }
    int32_t GetPipe3Rate() const { return pipe3Rate_; }
    /// The rate pipe 3 is set to on the next frame while the activity holds its rate.
    void SetPipe3Rate(int32_t rate) { pipe3Rate_ = rate; }
    /// When 0 the system pointer is hidden while no panel shows.
    void SetShowSystemCursor(uint8_t show) { showSystemCursor_ = show; }
    void SetLeaveTexts(ChunkId textId, ChunkId pictureId) {
        leaveTextId_ = textId;
        leavePictureId_ = pictureId;
    }

protected:
    /// The game's part file, or null.
    static CPartFile* GameFile();
    /// The game's sound process, or null.
    static OSoundProcess* GameSound();
    /// The game's counter panel, or null.
    static CCounterPanel* CounterPanel();

    /// Where a panel's pictures and texts go: beside the panel (the main window), else the
    /// activity.
    ONode* PanelLayer(ButtonPanel_Prop* panel);
    /// Adds a picture of a panel beside it, over the panel's board, centred at (x, y), moving and
    /// showing with the panel; without a place, where the panels' questions show theirs.
    void AddPanelPicture(ButtonPanel_Prop* panel, ChunkId pictureId, float x, float y);
    void AddPanelPicture(ButtonPanel_Prop* panel, ChunkId pictureId);
    /// The count an end panel shows over its picture: a 100 x 150 text centred at (x, y), in the
    /// game's number font, each line centred and the text in the box's middle, over
    /// everything; every game's end panel draws its count alike.
    void AddPanelNumber(ButtonPanel_Prop* panel, uint32_t value, int16_t x, int16_t y);
    /// The same for a text of a panel, centred at (x, y) in a box of that size.
    void AddPanelText(ButtonPanel_Prop* panel, ChunkId textId, int16_t x, int16_t y, int16_t width, int16_t height);
    /// The same for a text that works as the panel's button `index`: a click on it is that
    /// button's press, and blinking that button starts the panel's time-out.
    void AddPanelTextButton(ButtonPanel_Prop* panel, uint16_t index, ChunkId textId, int16_t x, int16_t y,
                            int16_t width, int16_t height);
    /// Puts a screen's own panel into its empty slot (owned from now on); false (the panel
    /// deleted) when the slot is taken or out of range.
    bool AdoptPanel(int16_t slot, ButtonPanel_Prop* panel);
    /// Hides and deletes the panel of the slot with its buttons and pictures; the slot is
    /// empty afterwards (the activity is not resumed).
    void DeletePanel(int16_t slot);

private:
    /// The menu opened over the start panel takes its place: the start panel hides, and the
    /// game's music waits for the menu to close.
    void GiveWayToMenu();
    /// The timed screen's follow-up, once its advance timer has run out.
    void Advance();
    /// Styles and fills a panel's text and attaches it to the panel.
    void FillPanelText(ButtonPanel_Prop* panel, OTextDView* text, ChunkId textId);
    /// The text templates' style: the template's font, colour and alignment when there is one,
    /// word wrap and vertical centring on, the topmost priority.
    void StyleAfterTemplate(OTextDView* view, uint32_t templateId) const;
    static PanelTextButton* FindPanelTextButton(ButtonPanel_Prop* panel, uint16_t index);
    /// Builds one of this base's panels into its empty slot.
    void BuildPanel(int16_t panel);
    /// Deletes every panel (queued ones are forgotten first, so none opens).
    void DeletePanels();
    void MakeMarker();
    void DeleteMarker();
    void UnloadSounds();
    /// Plays a loaded snippet on a pipe, stopping the pipe first.
    void PlayAfresh(xSnippet* snippet, uint32_t pipe, uint8_t loop);

    int16_t startPanelMode_ = 0;
    ButtonPanel_Prop* panels_[kPanelSlots] = {};
    uint8_t queuedPanelFlag_ = 0;
    int16_t queuedPanel_ = 0;
    /// The start panel has gone; the game's music waits for the last panel to close.
    uint8_t startPanelGone_ = 0;
    /// Set while the panels are deleted: the game is ending, and no music starts.
    uint8_t deletingPanels_ = 0;
    ChunkId leaveTextId_;
    ChunkId leavePictureId_;
    int16_t hintCount_ = 0;
    CTimerRec hintTimer_;
    CTimerRec advanceTimer_;
    CTimerRec stepTimer_;
    /// Keeps the voice lines waiting for a moment after the start.
    CTimerRec messageTimer_;
    int32_t stepCycle_ = 0;
    int32_t stepIndex_ = 0;
    CDynArray<uint32_t> keys_;
    CDynArray<uint32_t> keyDown_;
    CDynArray<xSnippet*> sounds_;
    CDynArray<ChunkId> soundIds_;
    uint8_t pipe3RateFixed_ = 0;
    int32_t pipe3Rate_ = 22050;
    int16_t musicTrack_ = 0;
    int16_t stageWidth_ = 640;
    int16_t stageHeight_ = 480;
    uint8_t showSystemCursor_ = 1;
    CDynArray<OView*> textViews_;
    TLV_Object* marker_ = nullptr;
};

/// The current activity when it is a game activity; null otherwise.
CTLVActivity* CurrentGameActivity();
/// Whether a voice line waits in the application's message queue.
bool IsMessageQueued();
/// The caption of the start hint, byte for byte: 0x92 is the right single quotation mark of
/// the Windows code page.
inline constexpr char kStartHintCaption[] =
    "Then click on the \"blue arrow badge\" down there and let\x92s get started!";
/// Whether a queued voice line has exactly this caption.
bool IsCaptionQueued(const char* caption);
/// Ends every queued voice line.
void FlushMessageQueue();
/// Whether pipe 2, which carries the button sounds, plays; false without a sound process of
/// more than two pipes, so that a game without sound never waits for it.
bool IsButtonSoundPlaying();
/// Loads the art of a prop the game makes in code (SetPartID); art the file lacks is left out
/// and traced with the prop's name. Whether it loaded.
bool LoadArt(OActivityProp* prop, CPartFile* file, ChunkId partId, uint8_t keepPlace);
/// Loads the part into the prop from the file and shows it centred at (x, y) at priority 32767.
void PlaceProp(OActivityProp* prop, ChunkId pictureId, CPartFile* file, float x, float y);
