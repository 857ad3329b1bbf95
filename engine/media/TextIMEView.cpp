#include "engine/media/TextIMEView.h"

#include <algorithm>
#include <new>

#include "engine/data/Strings.h"
#include "engine/media/InputMethod.h"

namespace {

enum : uint32_t { kKeyBack = 8, kKeyEnd = 35, kKeyHome = 36, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40,
                  kKeyDelete = 46 };

/// Width of the first `bytes` bytes of a text in a view.
int32_t PrefixWidth(OTextView& view, const char* text, int32_t bytes) {
    return view.GetTextWidth(std::string(text, size_t(bytes)).c_str());
}

} // namespace

OTextIMEView::OTextIMEView(const char* name, uint32_t classId) : OTextDView(name, classId) {
    AddEventMask(kEventKeyboard);
}

OTextIMEView::~OTextIMEView() {
    if (xIME_GetCurrentView() == this) xIME_SetCurrentView(nullptr);
}

bool OTextIMEView::IsA(uint32_t classId) const { return classId == kClassId || OTextDView::IsA(classId); }

int32_t OTextIMEView::OnIdle() {
    if (caret_.Blink()) OView::Invalidate();
    return 1;
}

int32_t OTextIMEView::CharCount() const { return xStr_CharCount(text_.c_str()); }

void OTextIMEView::StoreText(const std::string& text) { OTextDView::SetText(text.c_str()); }

void OTextIMEView::SetText(const char* text) {
    OTextDView::SetText(text);
    // A text set from outside holds no composition: later compositions are built on it.
    committedText_.Assign(text_.c_str());
    committed_ = 1;
    caret_.index = CharCount();
    if (caret_.editing) UpdateCaretLine();
}

void OTextIMEView::Reformat() {
    OTextDView::Reformat();
    if (caret_.editing) UpdateCaretLine();
}

void OTextIMEView::SetCaret(int32_t index) {
    if (index >= 0 && index <= CharCount()) caret_.index = index;
    UpdateCaretLine();
}

void OTextIMEView::SetEditing(bool on) {
    caret_.editing = on ? 1 : 0;
    pendingLead_ = 0;
    OView::Invalidate();
}

void OTextIMEView::SetWidthLimitText(const char* text) {
    hasWidthLimit_ = text != nullptr;
    widthLimit_ = text ? text : "";
}

void OTextIMEView::SetExcludedChars(const char* chars) { excluded_.Assign(chars); }

bool OTextIMEView::Refused(uint8_t byte) {
    if (hasWidthLimit_ && GetTextWidth(text_.c_str()) >= GetTextWidth(widthLimit_.c_str())) return true;
    // A trail byte is half of a character, not a character of the list.
    return pendingLead_ == 0 && byte != 0 && xStr_FindChar(excluded_.c_str(), char(byte)) != nullptr;
}

void OTextIMEView::OnChar(uint32_t code) {
    const uint8_t byte = uint8_t(code & 0xFF);
    const int32_t length = int32_t(text_.Length());
    // Control codes (NUL above all, which would end the text) are no characters.
    // While a composition is shown the input method has the keyboard.
    if (caret_.editing && committed_ && byte >= 32 && length < caret_.maxLength && !Refused(byte)) {
        const std::string typed = xTextEdit_JoinTyped(byte, pendingLead_);
        // A double-byte character goes in whole or not at all.
        if (!typed.empty() && length + int32_t(typed.size()) <= caret_.maxLength) {
            std::string text = text_.c_str();
            text.insert(size_t(xStr_CharOffset(text.c_str(), caret_.index)), typed);
            StoreText(text);
            ++caret_.index;
            committedText_.Assign(text_.c_str());
            UpdateCaretLine();
        }
    } else {
        pendingLead_ = 0;
    }
    OTextDView::OnChar(code);
}

void OTextIMEView::OnKeyDown(uint32_t key) {
    if (!caret_.editing || !committed_) return;
    const int32_t count = CharCount();
    std::string text = text_.c_str();
    switch (key) {
    case kKeyBack:
        if (caret_.index <= 0) break;
        {
            const int32_t at = xStr_CharOffset(text.c_str(), caret_.index - 1);
            text.erase(size_t(at), size_t(xTextEdit_CharBytes(text.c_str(), at)));
        }
        --caret_.index;
        StoreText(text);
        committedText_.Assign(text_.c_str());
        break;
    case kKeyDelete:
        if (caret_.index >= count) break;
        {
            const int32_t at = xStr_CharOffset(text.c_str(), caret_.index);
            text.erase(size_t(at), size_t(xTextEdit_CharBytes(text.c_str(), at)));
        }
        StoreText(text);
        committedText_.Assign(text_.c_str());
        break;
    case kKeyEnd:
    case kKeyDown:
        caret_.index = count;
        break;
    case kKeyHome:
    case kKeyUp:
        caret_.index = 0;
        break;
    case kKeyLeft:
        if (caret_.index > 0) --caret_.index;
        break;
    case kKeyRight:
        if (caret_.index < count) ++caret_.index;
        break;
    default:
        return;
    }
    OView::Invalidate();
    UpdateCaretLine();
}

void OTextIMEView::UpdateCaretLine() {
    CDrawSurface* surface = MeasuringSurface();
    const char* text = text_.c_str();
    const int32_t h = font_ && surface ? font_->GetLineHeight(surface) : 0;
    const int32_t w = GetTextWidth(text);
    const int32_t p = PrefixWidth(*this, text, xStr_CharOffset(text, caret_.index));
    const bool centreV = CentresVertically() != 0;
    const int32_t x =
        xTextEdit_CaretX(alignment_, int32_t(GetLeft()), int32_t(GetPosition().x), int32_t(GetRight()), w, p);
    // The line's top, or with vertical centring its middle at the view's middle.
    const int32_t y = int32_t(centreV ? GetPosition().y : GetTop());
    caret_.top = CPoint16(int16_t(x), int16_t(centreV ? y - h / 2 : y));
    caret_.bottom = CPoint16(int16_t(x), int16_t(centreV ? y + h / 2 : y + h));
    caret_.ShowNow();
    OView::Invalidate();
}

void OTextIMEView::Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) {
    OTextDView::Draw(destination, point, source, target);
    if (!committed_) return;
    caret_.Draw(destination, point, target, CentredRect(GetPosition(), GetWidth(), GetHeight()),
                font_ ? textColor_ : 0x00000000u);
}

void OTextIMEView::ShowComposition(const char* composition) {
    if (!composition || *composition == '\0') return;
    const std::string committed = committedText_.c_str();
    caret_.index = std::min(caret_.index, xStr_CharCount(committed.c_str()));
    const size_t split = size_t(xStr_CharOffset(committed.c_str(), caret_.index));
    const int32_t room = caret_.maxLength - int32_t(committed.size());
    StoreText(committed.substr(0, split) +
              std::string(composition, size_t(xTextEdit_FitBytes(composition, room > 0 ? room : 0))) +
              committed.substr(split));
    committed_ = 0;
}

void OTextIMEView::CommitText(const char* text) {
    // The text without the composition shown in it.
    const std::string committed = committedText_.c_str();
    caret_.index = std::min(caret_.index, xStr_CharCount(committed.c_str()));
    const size_t split = size_t(xStr_CharOffset(committed.c_str(), caret_.index));
    const int32_t room = caret_.maxLength - int32_t(committed.size());
    const std::string head = committed.substr(0, split) +
                             std::string(text ? text : "", size_t(xTextEdit_FitBytes(text, room > 0 ? room : 0)));
    StoreText(head + committed.substr(split));
    committedText_.Assign(text_.c_str());
    caret_.index = xStr_CharCount(head.c_str());
    UpdateCaretLine();
    committed_ = 1;
}

OTextIMEView* CreateTextIMEView(int16_t x, int16_t y, int16_t width, int16_t height, ONode* parent) {
    return static_cast<OTextIMEView*>(xText_PlaceView(new (std::nothrow) OTextIMEView("OTextIMEView", OTextIMEView::kClassId),
                                                      x, y, width, height, parent));
}
