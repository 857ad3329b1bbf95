#include "engine/media/TextFXEditView.h"

#include <algorithm>
#include <string>

#include "engine/data/Strings.h"
#include "engine/media/TextDEditView.h"

namespace {
enum : uint32_t { kKeyBack = 8, kKeyEnd = 35, kKeyHome = 36, kKeyLeft = 37, kKeyRight = 39, kKeyDelete = 46 };
}

OTextFXEditView::OTextFXEditView(const char* name, uint32_t classId) : OTextFXView(name, classId) {
    AddEventMask(kEventKeyboard);
}

bool OTextFXEditView::IsA(uint32_t classId) const { return classId == kClassId || OTextFXView::IsA(classId); }

int32_t OTextFXEditView::OnIdle() {
    if (caret_.Blink()) OView::Invalidate();
    return OTextFXView::OnIdle();
}

void OTextFXEditView::Store(const std::string& text) {
    text_.Assign(text.c_str());
    dirty_ = 1;
    OView::Invalidate();
}

void OTextFXEditView::OnChar(uint32_t code) {
    const uint8_t byte = uint8_t(code & 0xFF);
    const int32_t length = int32_t(text_.Length());
    // Control codes (NUL above all, which would end the text) are no characters.
    if (caret_.editing && byte >= 32 && (!filter_ || xTextEdit_FilterTakes(byte)) && length < caret_.maxLength) {
        const std::string typed = xTextEdit_JoinTyped(byte, pendingLead_);
        if (!typed.empty() && length + int32_t(typed.size()) <= caret_.maxLength) {
            std::string text = text_.c_str();
            text.insert(size_t(caret_.index), typed);
            caret_.index += int32_t(typed.size());
            Store(text);
        }
        UpdateCaretLine();
    } else if (byte >= 32 && (!filter_ || xTextEdit_FilterTakes(byte))) {
        pendingLead_ = 0;
    }
    OTextFXView::OnChar(code);
}

void OTextFXEditView::OnKeyDown(uint32_t key) {
    if (!caret_.editing) return;
    std::string text = text_.c_str();
    const int32_t length = int32_t(text.size());
    switch (key) {
    case kKeyBack: {
        if (caret_.index <= 0) return;
        const int32_t at = xTextEdit_PrevChar(text.c_str(), caret_.index);
        text.erase(size_t(at), size_t(caret_.index - at));
        caret_.index = at;
        Store(text);
        break;
    }
    case kKeyDelete:
        if (caret_.index >= length) return;
        text.erase(size_t(caret_.index), size_t(xTextEdit_CharBytes(text.c_str(), caret_.index)));
        Store(text);
        break;
    case kKeyEnd: caret_.index = length; break;
    case kKeyHome: caret_.index = 0; break;
    case kKeyLeft:
        if (caret_.index > 0) caret_.index = xTextEdit_PrevChar(text.c_str(), caret_.index);
        break;
    case kKeyRight:
        if (caret_.index < length) caret_.index += xTextEdit_CharBytes(text.c_str(), caret_.index);
        break;
    default:
        return;
    }
    OView::Invalidate();
    UpdateCaretLine();
}

void OTextFXEditView::UpdateCaretLine() {
    const int32_t width = GetTextWidth(std::string(text_.c_str(), size_t(caret_.index)).c_str());
    const int32_t height = font_ ? font_->GetLineHeight(MeasuringSurface()) : 0;
    CPointF anchor;
    GetAnchor(&anchor, 1);
    const int32_t x = xTextEdit_CaretX(alignment_, int32_t(anchor.x), int32_t(GetPosition().x), int32_t(GetRight()),
                                       std::max(GetTextWidth(text_.c_str()), 0), std::max(width, 0));
    caret_.top = CPoint16(int16_t(x), int16_t(anchor.y));
    caret_.bottom = CPoint16(int16_t(x), int16_t(int32_t(anchor.y) + height));
    caret_.ShowNow();
}

void OTextFXEditView::Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) {
    OTextFXView::Draw(destination, point, source, target);
    caret_.Draw(destination, point, target, CentredRect(GetPosition(), GetWidth(), GetHeight()),
                font_ ? textColor_ : 0x00000000u);
}
