#include "platform/Input.h"

namespace plat {

int16_t Input::AsyncKeyState(int32_t virtualKey) {
    bool pressed = false;
    if (virtualKey >= 0 && size_t(virtualKey) < pressedSinceAsked_.size()) {
        pressed = pressedSinceAsked_.test(size_t(virtualKey));
        pressedSinceAsked_.reset(size_t(virtualKey));
    }
    return pressed || IsKeyDown(virtualKey) ? int16_t(0x8000) : int16_t(0);
}

void Input::NoteTaken(const WinMsg& msg) {
    if (msg.wParam >= pressedSinceAsked_.size()) return;
    // A press that no poll saw before its key-up was taken is over: it must not read as a
    // press long after, when the key is asked about with another.
    if (msg.msg == WM_KEYDOWN || msg.msg == WM_SYSKEYDOWN) pressedSinceAsked_.set(size_t(msg.wParam));
    else if (msg.msg == WM_KEYUP || msg.msg == WM_SYSKEYUP) pressedSinceAsked_.reset(size_t(msg.wParam));
}

} // namespace plat
