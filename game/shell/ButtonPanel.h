#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "game/shell/BaseButton.h"

class ButtonPanel_Prop;

/// A button of a button panel ("Base_Button_Prop", class id 1000): it tells the current game
/// activity when the pointer comes over it (ShowButtonCaption) and when it is released over it
/// (OnButton), with its panel's id and its own index.
class ButtonPanel_Button : public Base_Button_Prop {
public:
    /// Joins the main window and loads its part from the game's part file.
    ButtonPanel_Button(ButtonPanel_Prop* panel, uint16_t index, ChunkId partId);

    void OnCursorEnter() override;
    void OnButtonUp() override;

    ButtonPanel_Prop* GetPanel() const { return panel_; }
    uint16_t GetIndex() const { return index_; }

private:
    ButtonPanel_Prop* panel_;
    uint16_t index_;
};

/// A panel that an activity makes in code ("OActivityProp", class id 54) on the main window,
/// with up to five buttons that move and show with it. A click on the panel itself, or (with
/// the time-out on) 30 s of showing not counting pauses, dismisses it, unless it is closing;
/// closing after speech hands the panel's end to the current game activity once the button
/// sound on pipe 2 has ended (at once without a sound process).
class ButtonPanel_Prop : public OActivityProp {
public:
    static constexpr int kButtonSlots = 5;
    static constexpr int32_t kTimeOutMs = 30000;

    /// Joins the main window at the priority and loads its part from the game's part file.
    ButtonPanel_Prop(ChunkId partId, uint16_t panelId, int32_t priority);

    /// The time-out (while shown), the close after speech, then the engine prop's step; 1.
    int32_t OnIdle() override;
    /// Pause and Resume: the time-out's timer leaves the paused span out; the panel and its
    /// children are suspended or resumed.
    void Suspend(int32_t flag) override;
    void Resume(int32_t flag) override;
    /// A switched-out application pauses a showing panel, and resumes it when back.
    void OnAppSuspend() override;
    void OnAppResume() override;
    /// A release (or click) on the panel itself dismisses it.
    void OnButtonUp() override;
    void OnClick() override;

    /// Makes the button of slot `index` (0-4) when the slot is empty: a child of the panel at
    /// the panel's priority + 1, attached to it.
    void AddButton(uint16_t index, ChunkId partId);
    /// Detaches, takes out and deletes every button.
    void RemoveButtons();
    /// Shows or hides the panel, what is attached to it and its buttons, which take the
    /// pointer (hover cursor mode 1) only while shown and go back to their first look; showing
    /// starts the time-out afresh. Hiding with `flush` ends the queued voice lines unless the
    /// start hint is among them.
    void Show(bool show, uint8_t flush);
    /// Buttons stop taking the pointer and are enabled; the panel asks the current game
    /// activity to hide it (with `flush`) once pipe 2 is silent.
    void CloseAfterSpeech(uint8_t flush);

    uint16_t GetPanelId() const { return panelId_; }
    bool IsClosing() const { return closeAfterSpeech_ != 0; }
    ButtonPanel_Button* GetButton(uint16_t index) const { return index < kButtonSlots ? buttons_[index] : nullptr; }
    uint8_t GetTimeOutOn() const { return timeOutOn_; }
    void SetTimeOutOn(uint8_t on) { timeOutOn_ = on; }
    /// The time-out counts afresh from now.
    void RestartTimeOut() { timer_.Start(kTimeOutMs); }
    const CTimerRec& GetTimer() const { return timer_; }

private:
    void Dismiss();

    ButtonPanel_Button* buttons_[kButtonSlots] = {};
    uint16_t panelId_;
    uint8_t timeOutOn_ = 0;
    CTimerRec timer_;
    uint8_t closeAfterSpeech_ = 0;
    uint8_t flushOnClose_ = 0;
};
