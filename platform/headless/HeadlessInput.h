#pragma once
#include <cstddef>
#include <deque>
#include <map>
#include <set>

#include "platform/Input.h"

namespace plat {

/// Keyboard and pointer state set by tests (and by the scripted message queue as it hands out
/// key and mouse messages, or as the clock reaches its key messages' times). Every window's
/// client area starts at the screen origin unless set. Cursors are recorded: the images made,
/// the cursor set and the calls of ShowCursor.
class HeadlessInput final : public Input {
public:
    static constexpr CursorId kArrow = 1;

    WinPoint CursorPos() override { return cursor_; }
    WinPoint ScreenToClient(WindowId window, WinPoint screen) override;
    int32_t ShowCursor(bool show) override;
    CursorId CreateCursor(const CursorImage& image) override;
    void DestroyCursor(CursorId cursor) override { cursors_.erase(cursor); }
    CursorId ArrowCursor() override { return kArrow; }
    CursorId SetCursor(CursorId cursor) override;

    /// The key goes down or up now (after the moves of MoveKeyAt whose time has come).
    void SetKeyDown(int32_t virtualKey, bool down);
    /// The key goes down or up when the clock reaches `time`, after the moves given before for
    /// the same or an earlier time.
    void MoveKeyAt(uint32_t time, int32_t virtualKey, bool down);
    void SetCursorPos(WinPoint screen) { cursor_ = screen; }
    void SetClientOrigin(WindowId window, WinPoint origin) { origins_[window] = origin; }
    int32_t CursorCount() const { return cursorCount_; }
    /// How often ShowCursor and SetCursor were called.
    int32_t ShowCursorCalls() const { return showCalls_; }
    int32_t SetCursorCalls() const { return setCalls_; }
    /// The cursor shown now (0 before any was set).
    CursorId CurrentCursor() const { return current_; }
    /// The image of a live cursor made by CreateCursor; null for others.
    const CursorImage* Image(CursorId cursor) const;
    /// Cursors made and not destroyed.
    size_t LiveCursors() const { return cursors_.size(); }

protected:
    bool IsKeyDown(int32_t virtualKey) override;

private:
    struct KeyMove {
        uint32_t time;
        int32_t key;
        bool down;
    };
    /// The moves whose time has come are made.
    void MoveDueKeys();
    void Move(int32_t virtualKey, bool down);

    std::deque<KeyMove> moves_;
    std::set<int32_t> down_;
    WinPoint cursor_;
    std::map<WindowId, WinPoint> origins_;
    int32_t cursorCount_ = 0;
    int32_t showCalls_ = 0;
    int32_t setCalls_ = 0;
    std::map<CursorId, CursorImage> cursors_;
    CursorId nextCursor_ = kArrow + 1;
    CursorId current_ = 0;
};

} // namespace plat
