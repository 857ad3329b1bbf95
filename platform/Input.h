#pragma once
#include <cstdint>

#include "platform/Messages.h"

namespace plat {

/// The state of the keyboard and the pointer as the engine's thread sees it now.
class Input {
public:
    virtual ~Input() = default;
    /// Bit 15 (the sign) is set while the key is down (GetAsyncKeyState).
    virtual int16_t AsyncKeyState(int32_t virtualKey) = 0;
    /// The pointer position in screen coordinates (GetCursorPos).
    virtual WinPoint CursorPos() = 0;
    /// A screen point in the client coordinates of a window (ScreenToClient).
    virtual WinPoint ScreenToClient(WindowId window, WinPoint screen) = 0;
    /// Raises (show) or lowers the display counter of the system pointer and answers the new
    /// count; the pointer shows while the count is 0 or more (ShowCursor).
    virtual int32_t ShowCursor(bool show) = 0;
};

} // namespace plat
