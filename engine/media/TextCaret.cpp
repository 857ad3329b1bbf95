#include "engine/media/TextCaret.h"

#include <algorithm>

#include "engine/blit/ColorPalette.h"
#include "engine/data/Strings.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/media/Font.h"

bool CTextCaret::Blink() {
    if (!editing || !blink.HasElapsed()) return false;
    shown = shown ? 0 : 1;
    blink.Restart();
    return true;
}

void CTextCaret::Draw(CDrawSurface* destination, CPoint16 offset, const CClipRect& target, const CRect16& view,
                      uint32_t colour) const {
    if (!destination || !editing || !shown || view.IsEmpty()) return;
    auto clamp = [&](CPoint16 p) {
        return CPoint16(int16_t(std::clamp<int32_t>(p.x, view.left, view.right - 1) + offset.x),
                        int16_t(std::clamp<int32_t>(p.y, view.top, view.bottom - 1) + offset.y));
    };
    CPoint16 a = clamp(top);
    CPoint16 b = clamp(bottom);
    if (!target.Clip(a, b)) return;
    if (destination->GetBitsPerPixel() == 8) {
        const CColorPalette* palette = destination->OwnPalette();
        if (!palette) palette = &xGraphics_GlobalPalette();
        destination->DrawLine8(a.x, a.y, b.x, b.y, uint8_t(palette->FindNearestColor(colour)));
    } else {
        destination->DrawLineRGB(a.x, a.y, b.x, b.y, colour);
    }
}

int32_t xTextEdit_CaretX(int32_t alignment, int32_t left, int32_t centre, int32_t right, int32_t width,
                         int32_t before) {
    if (alignment == kAlignCentre) return centre + before - (width - width / 2);
    if (alignment == kAlignRight) return right - width + before;
    return left + before;
}

int32_t xTextEdit_CharBytes(const char* text, int32_t offset) {
    if (!text || text[offset] == '\0') return 0;
    return xStr_IsLeadByte(text[offset]) && text[offset + 1] != '\0' ? 2 : 1;
}

int32_t xTextEdit_PrevChar(const char* text, int32_t offset) {
    int32_t at = 0;
    while (text && text[at] != '\0') {
        const int32_t next = at + xTextEdit_CharBytes(text, at);
        if (next >= offset) break;
        at = next;
    }
    return offset > 0 ? at : 0;
}

int32_t xTextEdit_FitBytes(const char* text, int32_t room) {
    int32_t at = 0;
    while (text && text[at] != '\0') {
        const int32_t bytes = xTextEdit_CharBytes(text, at);
        // A lead byte that ends the text is half a character: it never goes in.
        const bool halfCharacter = xStr_IsLeadByte(text[at]) && bytes == 1;
        if (halfCharacter || at + bytes > room) break;
        at += bytes;
    }
    return at;
}

std::string xTextEdit_JoinTyped(uint8_t byte, uint8_t& pendingLead) {
    if (pendingLead == 0 && xStr_IsLeadByte(char(byte))) {
        pendingLead = byte;
        return {};
    }
    std::string typed;
    if (pendingLead != 0) typed += char(pendingLead);
    typed += char(byte);
    pendingLead = 0;
    return typed;
}
