#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "game/shell/TLVActivity.h"

class Navigation_Prop;
class OFont;
class OTextIMEView;
class Sign_In_Delete_Button;
class Sign_In_Empty_Icon;
class Sign_In_Text_BG;

/// The sign-in screen ("SignIn_Activity", class id 305): eight name badges, one per slot of the
/// save file, each an editable text over a background with an empty-badge picture beside it.
/// A badge is left only through SelectBadge, which stores a good name (trimmed, not empty,
/// held by no other badge, free of blocked words) and otherwise gives the badge back its
/// stored name; the player record holds the selected badge's slot. A slot whose record cannot
/// be read stays taken: only a confirmed delete gives it the new-player values.
class SignIn_Activity : public CTLVActivity {
public:
    static constexpr uint32_t kClassId = 305;
    static constexpr int kBadges = 8;
    /// Help lines (ShowMessage).
    static constexpr int kLines = 17;
    /// The continue button leads to this activity entry (the garage).
    static constexpr uint16_t kGarage = 5;
    static constexpr uint16_t kQuitTarget = 7;
    /// The hint timer's period.
    static constexpr uint32_t kHintMs = 25000;
    /// Random suggestions tried before the suggestions are taken in order.
    static constexpr int kSuggestionDraws = 16;

    /// Why a name may not be stored.
    enum class NameCheck { Good, Empty, Taken, Blocked };

    SignIn_Activity();
    ~SignIn_Activity() override;

    bool IsA(uint32_t classId) const override;
    int32_t OnIdle() override;
    void OnKeyDown(uint32_t key) override;
    void OnClick() override;
    int32_t OnActivated() override;
    int32_t FlushSoundQueues() override;
    bool AcceptObject(OView* object) override;
    bool MayNavigate(uint16_t target) override;
    void OnButtonHover(uint32_t objectId) override;
    void CreateButtonPanel(int16_t panel) override;
    void HidePanel(int16_t panel, uint8_t flush) override;
    void OnButton(int16_t panel, int16_t button) override;
    void OnKey(uint32_t key) override;

    /// Leaves the selected badge (storing or restoring its name) and selects badge b (-1:
    /// none); b equal to the selected badge confirms its name. Nothing changes while a
    /// question panel is open.
    void SelectBadge(int16_t b);
    /// Whether a badge other than the selected one shows exactly this (non-empty) text.
    bool IsNameTaken(const char* text) const;
    /// Puts a suggested name that no other badge holds into the selected badge.
    void SuggestName();
    /// The selected badge's player gets the new-player values, saved even over a record that
    /// could not be read.
    void DeletePlayer();
    /// Lights badge b (-1: none) and plays the hover sound.
    void HighlightBadge(int16_t b);
    /// Queues help line n (0-16) by its rule.
    void ShowMessage(int n);
    /// The name check of every place that stores a name; the text is trimmed, then cut after
    /// its last whole character within 64 bytes, in place.
    NameCheck CheckName(std::string& text) const;

    int16_t GetSelectedBadge() const { return selected_; }
    OTextIMEView* GetEntry(int b) const { return Valid(b) ? badges_[size_t(b)].entry : nullptr; }
    Sign_In_Text_BG* GetTextBack(int b) const { return Valid(b) ? badges_[size_t(b)].back : nullptr; }
    Sign_In_Empty_Icon* GetEmptyIcon(int b) const { return Valid(b) ? badges_[size_t(b)].icon : nullptr; }
    /// Whether the slot's record could not be read (the badge stays taken).
    bool IsUnreadable(int b) const { return Valid(b) && badges_[size_t(b)].unreadable; }
    Sign_In_Delete_Button* GetDeleteButton() const { return deleteButton_; }
    Navigation_Prop* GetContinueButton() const { return continueButton_; }
    OTextDView* GetDeleteLabel() const { return deleteLabel_; }

    /// The callback of lines 3 and 6: flips the continue button between states 3 and 0.
    static void OnLineEnded(intptr_t mark, int32_t skipped);

private:
    struct Badge {
        OTextIMEView* entry = nullptr;
        Sign_In_Text_BG* back = nullptr;
        Sign_In_Empty_Icon* icon = nullptr;
        bool unreadable = false;
    };

    static bool Valid(int b) { return b >= 0 && b < kBadges; }
    void MakeBadge(int b, OFont* font);
    /// The badge's text.
    std::string EntryText(int b) const;
    /// The badge shows its stored state: the entry with the name, or the empty picture.
    void ShowStored(int b);
    /// The delete button and label for a badge with or without a name.
    void SetDeleteShown(bool on);
    /// Stores the checked name of the selected badge and saves its slot; false (nothing
    /// stored) when the name may not be stored, with line 7 or 8 and a suggestion for a
    /// blocked name.
    bool StoreSelectedName(bool speak);
    void QueueLine(int n);
    /// The names' entries stand above everything, the panels too: while a panel is up they
    /// hide, and each comes back as it was when the last panel goes.
    void HideNamesUnderPanels(bool hide);

    std::array<Badge, kBadges> badges_{};
    bool namesHidden_ = false;
    std::array<uint8_t, kBadges> namesShown_{};
    int16_t selected_ = -1;
    Sign_In_Delete_Button* deleteButton_ = nullptr;
    Navigation_Prop* continueButton_ = nullptr;
    OTextDView* deleteLabel_ = nullptr;
};

/// The current activity when it is the sign-in screen; null otherwise.
SignIn_Activity* CurrentSignIn();
