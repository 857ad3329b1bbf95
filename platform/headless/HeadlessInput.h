#pragma once
#include <map>
#include <set>

#include "platform/Input.h"

namespace plat {

/// Keyboard and pointer state set by tests (and by the scripted message queue as it hands out
/// key and mouse messages). Every window's client area starts at the screen origin unless set.
class HeadlessInput final : public Input {
public:
    int16_t AsyncKeyState(int32_t virtualKey) override;
    WinPoint CursorPos() override { return cursor_; }
    WinPoint ScreenToClient(WindowId window, WinPoint screen) override;
    int32_t ShowCursor(bool show) override { return show ? ++cursorCount_ : --cursorCount_; }

    void SetKeyDown(int32_t virtualKey, bool down);
    void SetCursorPos(WinPoint screen) { cursor_ = screen; }
    void SetClientOrigin(WindowId window, WinPoint origin) { origins_[window] = origin; }
    int32_t CursorCount() const { return cursorCount_; }

private:
    std::set<int32_t> down_;
    WinPoint cursor_;
    std::map<WindowId, WinPoint> origins_;
    int32_t cursorCount_ = 0;
};

} // namespace plat
