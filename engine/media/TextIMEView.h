#pragma once
#include <cstdint>
#include <string>

#include "engine/media/TextCaret.h"
#include "engine/media/TextDView.h"

class ONode;

/// The editable text the game makes (class id 78): the player's name on the sign-in screen. It
/// takes typed characters and caret keys (the caret counted in characters, a double-byte
/// character being one) and composed text from the input method, which it shows inside the
/// text until it is committed.
class OTextIMEView : public OTextDView {
public:
    static constexpr uint32_t kClassId = 78;

    OTextIMEView(const char* name = "OTextIMEView", uint32_t classId = kClassId);
    /// Stops being the current input-method view.
    ~OTextIMEView() override;

    bool IsA(uint32_t classId) const override;
    /// The blink; always 1.
    int32_t OnIdle() override;
    void OnChar(uint32_t code) override;
    void OnKeyDown(uint32_t key) override;
    /// The text, then the caret while no composition is shown.
    void Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) override;
    /// The redraw, then the caret line when editing is on.
    void Reformat() override;
    /// The text, also as the committed text; the caret goes to its end (and its line is
    /// updated when editing is on).
    void SetText(const char* text) override;
    using OTextDView::SetText;

    /// Moves the caret to a character index not beyond the text, then updates the caret line.
    void SetCaret(int32_t index);
    void SetEditing(bool on);
    /// A character is refused once the text is as wide as this text (null: no limit).
    void SetWidthLimitText(const char* text);
    /// Characters that are refused when typed.
    void SetExcludedChars(const char* chars);
    void SetMaxLength(int32_t bytes) { caret_.maxLength = bytes; }

    /// Shows a composition inside the committed text at the caret, cut at the last whole
    /// character that fits the maximum length; nothing for an empty one.
    void ShowComposition(const char* composition);
    /// Puts a committed text at the caret (cut as a composition), the caret after it.
    void CommitText(const char* text);

    const CTextCaret& Caret() const { return caret_; }
    bool IsCommitted() const { return committed_ != 0; }
    const char* GetCommittedText() const { return committedText_.c_str(); }

private:
    /// Stores a new text without moving the caret.
    void StoreText(const std::string& text);
    /// Characters in the text.
    int32_t CharCount() const;
    void UpdateCaretLine();
    bool Refused(uint8_t byte);

    CTextCaret caret_;
    uint8_t committed_ = 1;
    OString committedText_;
    std::string widthLimit_;
    bool hasWidthLimit_ = false;
    OString excluded_;
    /// A lead byte typed and waiting for its trail byte (kept per view: a byte typed into one
    /// view never ends up in another).
    uint8_t pendingLead_ = 0;
};

/// An input-method view centred at (x, y) with that size and the default system font, added to
/// the parent when one is given; null when it cannot be made.
OTextIMEView* CreateTextIMEView(int16_t x, int16_t y, int16_t width, int16_t height, ONode* parent);
