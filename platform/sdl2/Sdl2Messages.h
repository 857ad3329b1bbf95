#pragma once
#include <SDL.h>

#include <deque>
#include <iterator>
#include <map>
#include <memory>
#include <set>

#include "platform/Input.h"
#include "platform/Messages.h"

namespace plat {

/// The keyboard and the pointer of an SDL2 session. The pointer position is kept in the
/// desktop's coordinates from the mouse events (the window's client point through its place
/// on the desktop), so it agrees with the points of the mouse messages. Cursors are SDL's
/// black-and-white cursors: SDL's mask is NOT AND and its data NOT (AND XOR XOR), which gives
/// black, white, see-through and inverted pixels as the Windows masks do.
class Sdl2Input final : public Input {
public:
    WinPoint CursorPos() override { return cursor_; }
    WinPoint ScreenToClient(WindowId window, WinPoint screen) override;
    int32_t ShowCursor(bool show) override;
    CursorId CreateCursor(const CursorImage& image) override;
    void DestroyCursor(CursorId cursor) override;
    CursorId ArrowCursor() override;
    CursorId SetCursor(CursorId cursor) override;

    /// The pointer is at a client point of a window.
    void MovePointer(WindowId window, WinPoint client);
    /// The pointer is at a desktop point.
    void PlacePointer(WinPoint screen) { cursor_ = screen; }
    /// Holds a key (or a mouse button) down for the program's own input, whatever the
    /// keyboard's state, until it is let go.
    void HoldKey(int32_t virtualKey, bool down);
    /// SDL's data and mask bits of a cursor image (CursorImage::kMaskBytes each).
    static void CursorBits(const CursorImage& image, uint8_t* data, uint8_t* mask);

protected:
    bool IsKeyDown(int32_t virtualKey) override;

private:
    struct FreeCursor {
        void operator()(SDL_Cursor* cursor) const { SDL_FreeCursor(cursor); }
    };
    using CursorHandle = std::unique_ptr<SDL_Cursor, FreeCursor>;

    CursorId Keep(SDL_Cursor* cursor);

    WinPoint cursor_;
    std::set<int32_t> held_;
    int32_t cursorCount_ = 0;
    std::map<CursorId, CursorHandle> cursors_;
    CursorId nextCursor_ = 1;
    CursorId arrow_ = 0;
    CursorId current_ = 0;
};

/// The message queue of an SDL2 session: SDL's events become window messages. Key events
/// become WM_KEYDOWN/WM_KEYUP (WM_SYSKEYDOWN/WM_SYSKEYUP while Alt is held) with virtual-key
/// codes and set-1 scan codes; text input becomes WM_CHAR bytes in the locale's code page (a
/// double-byte character as its lead and trail byte); text editing becomes the input method's
/// composition (its start, then a composition message per change, the text kept by the
/// input-method service) and text input while composing commits it (the result, then the
/// end). A key or button let go whose press the program was never told of (it was pressed on a
/// message box, or on our window while a box was open and so dropped) makes no message: the
/// program hears only the release of what it saw pressed. A key whose press the program was
/// not told of is not the program's until it is let go: a box took it (the box's mark comes in
/// the place of its press), or it went down before our window had the keyboard (SDL's
/// auto-repeat of it says so); its repeats and presses make no message either. The mouse
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
    /// The waiting messages end with a request to end the session made while a message box was
    /// open (Dialogs::SessionEnding). Once the program has taken them all and asks for more, it
    /// refused the ending or the ending is over: the session goes on (Dialogs::SessionGoesOn).
    void MarkSessionEnding() {
        ending_ = true;
        endingLeft_ = queue_.size();
    }
    /// Input made by the program itself (a bot playing in the window) as a player's would
    /// come: the message waits until the clock reaches its time (after every injected one of
    /// the same or an earlier time) and is then posted; then a mouse message moves the pointer
    /// to its desktop point `pt` and a key or button message holds or lets go its key.
    void Inject(const WinMsg& msg);
    /// The injected messages not taken by the program yet, posted or still waiting for their time.
    size_t InjectedWaiting() const { return queue_.size() + injected_.size(); }

private:
    void PostDueInjected();
    WinMsg Make(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam);
    void ConvertKey(const SDL_KeyboardEvent& key);
    uintptr_t MouseKeys();

    std::deque<WinMsg> queue_;
    std::deque<WinMsg> injected_;
    bool ending_ = false;
    size_t endingLeft_ = 0; ///< messages to take before the request to end has reached the program
    /// Whose press a key down is: nobody's (it is up), the program's (its key-down was
    /// converted) or another's (a box took it, or it was held before our window had the keyboard).
    enum class KeyHolder : uint8_t { None, Program, Other };
    KeyHolder keys_[512] = {}; ///< by scan code
    uint32_t buttonsDown_ = 0; ///< SDL_BUTTON masks of the buttons pressed on our windows, not let go yet
};

} // namespace plat
