#include "platform/headless/HeadlessInput.h"

namespace plat {

int16_t HeadlessInput::AsyncKeyState(int32_t virtualKey) {
    return down_.count(virtualKey) ? int16_t(0x8000) : int16_t(0);
}

WinPoint HeadlessInput::ScreenToClient(WindowId window, WinPoint screen) {
    const auto it = origins_.find(window);
    if (it == origins_.end()) return screen;
    return WinPoint{screen.x - it->second.x, screen.y - it->second.y};
}

void HeadlessInput::SetKeyDown(int32_t virtualKey, bool down) {
    if (down) down_.insert(virtualKey);
    else down_.erase(virtualKey);
}

} // namespace plat
