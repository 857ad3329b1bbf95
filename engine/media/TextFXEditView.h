#pragma once
#include <cstdint>

#include "engine/media/TextCaret.h"
#include "engine/media/TextFXView.h"

/// The editable form of OTextFXView (class id 73) that activity data may hold: characters typed
/// at the caret (counted in bytes; a double-byte character is typed, stepped over and removed
/// whole), optionally through the name filter, with a blinking caret line.
class OTextFXEditView : public OTextFXView {
public:
    static constexpr uint32_t kClassId = 73;

    OTextFXEditView(const char* name = "OTextFXEditView", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// The blink, then the effect view's update.
    int32_t OnIdle() override;
    void OnChar(uint32_t code) override;
    void OnKeyDown(uint32_t key) override;
    /// The text surface, then the caret.
    void Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) override;

    void SetFilter(bool on) { filter_ = on ? 1 : 0; }
    void SetEditing(bool on) {
        caret_.editing = on ? 1 : 0;
        pendingLead_ = 0;
    }
    const CTextCaret& Caret() const { return caret_; }

private:
    /// The caret line from the measured text before the caret; the caret shows.
    void UpdateCaretLine();
    void Store(const std::string& text);

    CTextCaret caret_;
    uint8_t filter_ = 0;
    uint8_t pendingLead_ = 0;
};
