#include "platform/headless/HeadlessInput.h"

#include <iterator>

#include "platform/Platform.h"

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
    MoveDueKeys(); // the moves due by now come first
    Move(virtualKey, down);
}

void HeadlessInput::Move(int32_t virtualKey, bool down) {
    if (down) down_.insert(virtualKey);
    else down_.erase(virtualKey);
}

} // namespace plat

namespace plat {

void HeadlessInput::MoveKeyAt(uint32_t time, int32_t virtualKey, bool down) {
    auto it = moves_.end();
    while (it != moves_.begin() && int32_t(std::prev(it)->time - time) > 0) --it;
    moves_.insert(it, KeyMove{time, virtualKey, down});
}

void HeadlessInput::MoveDueKeys() {
    if (moves_.empty()) return;
    const uint32_t now = clock().TickCount();
    while (!moves_.empty() && int32_t(now - moves_.front().time) >= 0) {
        Move(moves_.front().key, moves_.front().down);
        moves_.pop_front();
    }
}

bool HeadlessInput::IsKeyDown(int32_t virtualKey) {
    MoveDueKeys();
    return down_.count(virtualKey) != 0;
}

} // namespace plat
