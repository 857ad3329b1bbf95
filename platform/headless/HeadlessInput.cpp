#include "platform/headless/HeadlessInput.h"

namespace plat {

WinPoint HeadlessInput::ScreenToClient(WindowId window, WinPoint screen) {
    const auto it = origins_.find(window);
    if (it == origins_.end()) return screen;
    return WinPoint{screen.x - it->second.x, screen.y - it->second.y};
}

int32_t HeadlessInput::ShowCursor(bool show) {
    ++showCalls_;
    return show ? ++cursorCount_ : --cursorCount_;
}

CursorId HeadlessInput::CreateCursor(const CursorImage& image) {
    const CursorId id = nextCursor_++;
    cursors_[id] = image;
    return id;
}

CursorId HeadlessInput::SetCursor(CursorId cursor) {
    ++setCalls_;
    const CursorId previous = current_;
    current_ = cursor;
    return previous;
}

const CursorImage* HeadlessInput::Image(CursorId cursor) const {
    const auto it = cursors_.find(cursor);
    return it == cursors_.end() ? nullptr : &it->second;
}

void HeadlessInput::SetKeyDown(int32_t virtualKey, bool down) {
    if (down) down_.insert(virtualKey);
    else down_.erase(virtualKey);
}

} // namespace plat
