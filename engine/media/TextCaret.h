#pragma once
#include <cstdint>
#include <string>

#include "engine/base/Point.h"
#include "engine/base/Rect.h"
#include "engine/core/Timer.h"
#include "engine/graphics/ClipRect.h"

class CDrawSurface;

/// What each of the three editable text views keeps of its own: the caret index, the longest
/// text in bytes, the caret line in stage coordinates, the blink timer, whether editing is on
/// and the blink phase. Editing starts on with the caret at 0 and hidden; the first blink
/// (after 400 ms) shows it.
struct CTextCaret {
    static constexpr int32_t kMaxLength = 32;
    static constexpr int32_t kBlinkMs = 400;

    CTextCaret() { blink.Start(kBlinkMs); }

    /// With editing on, once the blink timer has run its 400 ms (paused time not counted):
    /// flips the phase, restarts the timer and answers true.
    bool Blink();
    /// After the caret moved: the caret shows and the blink starts again.
    void ShowNow() {
        shown = 1;
        blink.Restart();
    }
    /// Draws the caret line when editing is on and the caret shows: both ends clamped into the
    /// view's stage rectangle, moved by `offset` (stage to destination), clipped to `target`;
    /// on an 8-bit destination in the nearest index of its palette (else the global one).
    void Draw(CDrawSurface* destination, CPoint16 offset, const CClipRect& target, const CRect16& view,
              uint32_t colour) const;

    int32_t index = 0;
    int32_t maxLength = kMaxLength;
    CPoint16 top;
    CPoint16 bottom;
    CTimerRec blink;
    uint8_t editing = 1;
    uint8_t shown = 0;
};

/// The x of a caret in one line of text laid out across a view (edges `left` and `right`,
/// middle `centre`) by the alignment: `width` is the line's width, `before` that of the text
/// before the caret. Right-aligned text ends at the right edge; centred text starts half its
/// width (rounded up) left of the middle.
int32_t xTextEdit_CaretX(int32_t alignment, int32_t left, int32_t centre, int32_t right, int32_t width,
                         int32_t before);
/// Byte offset of the character that starts before `offset` in a double-byte text (0 at 0).
int32_t xTextEdit_PrevChar(const char* text, int32_t offset);
/// Bytes of the character at `offset` (2 for a lead byte followed by a trail byte, 0 at the end).
int32_t xTextEdit_CharBytes(const char* text, int32_t offset);
/// The bytes of the whole characters of `text` that fit in `room` bytes (a double-byte
/// character is never cut in two; a lead byte ending the text is left out).
int32_t xTextEdit_FitBytes(const char* text, int32_t room);
/// Joins a typed byte to a pending lead byte: the whole character once it is complete, else
/// empty with the lead byte kept in `pendingLead` for the trail byte that follows it.
std::string xTextEdit_JoinTyped(uint8_t byte, uint8_t& pendingLead);
