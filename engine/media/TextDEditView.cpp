#include "engine/media/TextDEditView.h"

#include <string>

#include "engine/data/Strings.h"

namespace {
enum : uint32_t { kKeyBack = 8, kKeyEnd = 35, kKeyHome = 36, kKeyLeft = 37, kKeyRight = 39, kKeyDelete = 46 };
}

bool xTextEdit_FilterTakes(uint8_t byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == ' ' ||
           byte == '\'' || byte == '-' || byte == '.';
}

OTextDEditView::OTextDEditView(const char* name, uint32_t classId) : OTextDView(name, classId) {
    AddEventMask(kEventKeyboard);
}

bool OTextDEditView::IsA(uint32_t classId) const { return classId == kClassId || OTextDView::IsA(classId); }

int32_t OTextDEditView::OnIdle() {
    if (caret_.Blink()) OView::Invalidate();
    return 1;
}

void OTextDEditView::OnChar(uint32_t code) {
    const uint8_t byte = uint8_t(code & 0xFF);
    // Printable characters only: DEL (127) is a control code, not a character.
    if (caret_.editing && (!filter_ || xTextEdit_FilterTakes(byte)) && byte >= 32 && byte < 127 &&
        int32_t(text_.Length()) < caret_.maxLength) {
        char typed = char(byte);
        if (caseMode_ == kCaseUpper) typed = xStr_UpperChar(typed);
        else if (caseMode_ == kCaseLower) typed = xStr_LowerChar(typed);
        std::string text = text_.c_str();
        text.insert(size_t(caret_.index), 1, typed);
        SetText(text.c_str());
        ++caret_.index;
        OView::Invalidate();
    }
    OTextDView::OnChar(code);
}

void OTextDEditView::OnKeyDown(uint32_t key) {
    if (!caret_.editing) return;
    std::string text = text_.c_str();
    const int32_t length = int32_t(text.size());
    switch (key) {
    case kKeyBack:
        if (caret_.index <= 0) return;
        text.erase(size_t(--caret_.index), 1);
        SetText(text.c_str());
        break;
    case kKeyDelete:
        if (caret_.index >= length) return;
        text.erase(size_t(caret_.index), 1);
        SetText(text.c_str());
        break;
    case kKeyEnd: caret_.index = length; break;
    case kKeyHome: caret_.index = 0; break;
    case kKeyLeft:
        if (caret_.index > 0) --caret_.index;
        break;
    case kKeyRight:
        if (caret_.index < length) ++caret_.index;
        break;
    default:
        return;
    }
    OView::Invalidate();
}
