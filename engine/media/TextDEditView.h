#pragma once
#include <cstdint>

#include "engine/media/TextCaret.h"
#include "engine/media/TextDView.h"

/// The editable form of OTextDView (class id 77) that activity data may hold: printable
/// characters typed at the caret (counted in bytes), in a case mode, optionally through the
/// name filter; it shows no caret.
class OTextDEditView : public OTextDView {
public:
    static constexpr uint32_t kClassId = 77;
    enum : int32_t { kCaseAsTyped = 0, kCaseUpper = 1, kCaseLower = 2 };

    OTextDEditView(const char* name = "OTextDEditView", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// The blink; always 1.
    int32_t OnIdle() override;
    void OnChar(uint32_t code) override;
    void OnKeyDown(uint32_t key) override;

    void SetCaseMode(int32_t mode) { caseMode_ = mode; }
    /// With the filter on only letters, digits, blank, apostrophe, hyphen and full stop are taken.
    void SetFilter(bool on) { filter_ = on ? 1 : 0; }
    void SetEditing(bool on) { caret_.editing = on ? 1 : 0; }
    const CTextCaret& Caret() const { return caret_; }

private:
    int32_t caseMode_ = kCaseAsTyped;
    CTextCaret caret_;
    uint8_t filter_ = 0;
};

/// Whether the name filter of the editable views takes a character: A-Z, a-z, 0-9, blank,
/// apostrophe, hyphen and full stop.
bool xTextEdit_FilterTakes(uint8_t byte);
