#pragma once
#include <cstdint>

#include "engine/core/ActivityProp.h"

struct xSnippet;

/// The game's button ("Base_Button_Prop", class id 1000): its look follows the pointer through
/// the states of its part (up, hover, down, disabled, and an enable state shown once when it
/// is enabled again), a state may carry a sound that plays on pipe 2, and it tells the current
/// game activity when the pointer comes over it and when it is pressed.
class Base_Button_Prop : public OActivityProp {
public:
    static constexpr uint32_t kClassId = 1000;
    /// The pipe of the button sounds and their volume (of 511).
    static constexpr uint32_t kSoundPipe = 2;
    static constexpr int32_t kSoundVolume = 127;

    Base_Button_Prop(const char* name = "Base_Button_Prop", uint32_t classId = kClassId);
    /// Unloads its snippet.
    ~Base_Button_Prop() override;

    bool IsA(uint32_t classId) const override;
    void OnCursorEnter() override;
    void OnCursorLeave() override;
    void OnButtonDown() override;
    void OnButtonUp() override;
    /// With the game's click mode a press and release on the button is a click: it counts as
    /// the release.
    void OnClick() override;

    /// Presses and hover changes are ignored from now on; it shows its disabled state.
    void Disable();
    /// Shows the enable state once, then the hover or up state.
    void Enable();
    /// Enabled again at once, showing the hover or up state.
    void Reset();
    /// Plays the state's sound, if it has one, through the current game activity on pipe 2:
    /// unless forced not while pipe 2 plays, and never with two pipes or fewer.
    void PlayStateSound(int32_t state, bool force);

    uint8_t IsHovered() const { return hovered_; }
    uint8_t IsDisabled() const { return disabled_; }
    int32_t GetUpState() const { return upState_; }
    int32_t GetDownState() const { return downState_; }
    int32_t GetHoverState() const { return hoverState_; }
    int32_t GetDisabledState() const { return disabledState_; }
    int32_t GetEnableState() const { return enableState_; }

protected:
    /// The leave handling, with or without the change of look.
    void Leave(bool changeLook);
    /// Shows the state and keeps showing it.
    void ShowAndKeep(int32_t state);
    /// The pointer came over the button: the hover look (and its sound) without telling the
    /// activity.
    void EnterLook();
    /// Takes a loaded snippet (owned from now on, unloaded with the button).
    void SetSnippet(xSnippet* snippet);

    int32_t upState_ = 0;
    int32_t downState_ = 1;
    int32_t hoverState_ = 2;
    int32_t disabledState_ = 1;
    int32_t disabledHoverState_ = 1;
    int32_t enableState_ = 2;

private:
    xSnippet* snippet_ = nullptr;
    uint8_t hovered_ = 0;
    uint8_t disabled_ = 0;
};
