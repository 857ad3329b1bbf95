#include "platform/Input.h"

namespace plat {

int16_t Input::AsyncKeyState(int32_t virtualKey) {
    const bool pressed =
        virtualKey >= 0 && size_t(virtualKey) < pressedThisFrame_.size() && pressedThisFrame_.test(size_t(virtualKey));
    return pressed || IsKeyDown(virtualKey) ? int16_t(0x8000) : int16_t(0);
}

void Input::NoteTaken(const WinMsg& msg) {
    if (msg.wParam >= pressedThisFrame_.size()) return;
    // A key let go later in the same frame reads up from then on, as the keyboard does.
    if (msg.msg == WM_KEYDOWN || msg.msg == WM_SYSKEYDOWN) pressedThisFrame_.set(size_t(msg.wParam));
    else if (msg.msg == WM_KEYUP || msg.msg == WM_SYSKEYUP) pressedThisFrame_.reset(size_t(msg.wParam));
}

} // namespace plat
