#pragma once
#include <SDL.h>

#include <deque>

#include "platform/Input.h"
#include "platform/Messages.h"

namespace plat {

/// The keyboard and the pointer of an SDL2 session. The pointer position is kept in the
/// desktop's coordinates from the mouse events (the window's client point through its place
/// on the desktop), so it agrees with the points of the mouse messages.
class Sdl2Input final : public Input {
public:
    int16_t AsyncKeyState(int32_t virtualKey) override;
    WinPoint CursorPos() override { return cursor_; }
    WinPoint ScreenToClient(WindowId window, WinPoint screen) override;
    int32_t ShowCursor(bool show) override;

    /// The pointer is at a client point of a window.
    void MovePointer(WindowId window, WinPoint client);

private:
    WinPoint cursor_;
    int32_t cursorCount_ = 0;
};

/// The message queue of an SDL2 session: SDL's events become window messages. Key events
/// become WM_KEYDOWN/WM_KEYUP (WM_SYSKEYDOWN/WM_SYSKEYUP while Alt is held) with virtual-key
/// codes and set-1 scan codes; text input becomes WM_CHAR in the 1252 code page; the mouse
/// becomes WM_MOUSEMOVE and the button messages with client points in lParam and desktop
/// points in `pt`; window events (focus, minimise, restore, close, exposure) go to the SDL
/// desktop, which sends its windows their messages at once. When nothing else waits, a window
/// with an update region gets WM_PAINT.
class Sdl2Messages final : public Messages {
public:
    bool Peek(WinMsg& out, bool remove) override;
    /// Characters come from SDL's text input, so nothing is posted here.
    void Translate(const WinMsg& msg) override;
    /// The window's procedure, or the desktop's default procedure for a window without one.
    intptr_t Dispatch(const WinMsg& msg) override;
    /// Drops the waiting mouse and key messages of the window, SDL's waiting input events
    /// included.
    void RemoveInput(WindowId window) override;

    /// Turns one SDL event into messages (or hands it to the desktop).
    void Convert(const SDL_Event& event);
    /// Posts a message behind the waiting ones.
    void Post(const WinMsg& msg) { queue_.push_back(msg); }

private:
    WinMsg Make(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam);
    void ConvertKey(const SDL_KeyboardEvent& key);
    uintptr_t MouseKeys();

    std::deque<WinMsg> queue_;
    bool down_[512] = {};
};

} // namespace plat
