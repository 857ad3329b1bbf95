#pragma once
#include <bitset>
#include <cstdint>

#include "platform/Messages.h"

namespace plat {

/// A cursor made by the platform (the stand-in for a cursor handle); 0 is none.
using CursorId = uint32_t;

/// A monochrome cursor as the engine builds it: 32 rows of 4 bytes in each mask, the most
/// significant bit leftmost. Per pixel, AND 0 and XOR 0 is black, AND 0 and XOR 1 white, AND 1
/// and XOR 0 leaves the screen as it is, AND 1 and XOR 1 inverts it.
struct CursorImage {
    static constexpr int kSize = 32;
    static constexpr int kMaskBytes = kSize * kSize / 8;
    uint8_t andMask[kMaskBytes] = {};
    uint8_t xorMask[kMaskBytes] = {};
    int32_t hotX = 0;
    int32_t hotY = 0;
};

/// The state of the keyboard and the pointer as the engine's thread sees it now.
class Input {
public:
    virtual ~Input() = default;
    /// Bit 15 (the sign) is set while the key is down (GetAsyncKeyState), and through the rest of
    /// the frame in which its key-down message was taken, even when the key was let go before: a
    /// press and release that come together (an on-screen keyboard, a remote desktop) are seen by
    /// every poll of that key in that frame, however many parts of the program poll it.
    int16_t AsyncKeyState(int32_t virtualKey);
    /// The message queue took `msg` off for the program: a key-down (WM_KEYDOWN, WM_SYSKEYDOWN)
    /// presses its key for the polls of this frame, a key-up ends that press.
    void NoteTaken(const WinMsg& msg);
    /// The program's loop begins a frame: the presses taken in the frame before are over.
    void StartFrame() { pressedThisFrame_.reset(); }
    /// The pointer position in screen coordinates (GetCursorPos).
    virtual WinPoint CursorPos() = 0;
    /// A screen point in the client coordinates of a window (ScreenToClient).
    virtual WinPoint ScreenToClient(WindowId window, WinPoint screen) = 0;
    /// Raises (show) or lowers the display counter of the system pointer and answers the new
    /// count; the pointer shows while the count is 0 or more (ShowCursor).
    virtual int32_t ShowCursor(bool show) = 0;

    /// Makes a cursor from its masks and hot spot; 0 when it cannot be made (CreateCursor).
    virtual CursorId CreateCursor(const CursorImage& image) = 0;
    /// Releases a cursor made by CreateCursor; unknown cursors and 0 are ignored.
    virtual void DestroyCursor(CursorId cursor) = 0;
    /// The system's standard arrow (LoadCursor with IDC_ARROW); never destroyed.
    virtual CursorId ArrowCursor() = 0;
    /// Shows `cursor` over the windows from now on and answers the one shown before
    /// (SetCursor); 0 shows none.
    virtual CursorId SetCursor(CursorId cursor) = 0;

protected:
    /// Whether the key (or mouse button) is down now.
    virtual bool IsKeyDown(int32_t virtualKey) = 0;

private:
    /// Keys whose key-down message was taken in this frame, and no key-up after it.
    std::bitset<256> pressedThisFrame_;
};

} // namespace plat
