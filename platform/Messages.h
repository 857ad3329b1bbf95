#pragma once
#include <cstdint>
#include <map>

namespace plat {

/// A window as the platform knows it (the stand-in for a window handle); 0 is none.
using WindowId = uint32_t;

/// A point in screen or client pixels.
struct WinPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const WinPoint&, const WinPoint&) = default;
};

/// One window message with the Windows numbers and parameter layouts: virtual-key codes in
/// wParam, the scan code in bits 16-23 of lParam; `time` in milliseconds of the clock, `pt` the
/// cursor in screen coordinates when the message was made.
struct WinMsg {
    WindowId window = 0;
    uint32_t msg = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    uint32_t time = 0;
    WinPoint pt;
};

/// A window procedure: (window, message, wParam, lParam) -> result.
using WindowProc = intptr_t (*)(WindowId, uint32_t, uintptr_t, intptr_t);

/// A low-level keyboard hook: (action code, key message, virtual key, flags) -> nonzero to
/// swallow the key before any window sees it. The flags carry 0x20 while Alt is held.
using KeyboardHook = int32_t (*)(int32_t code, uint32_t msg, uint32_t virtualKey, uint32_t flags);

// Message numbers.
inline constexpr uint32_t WM_NULL = 0x0000;
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr uint32_t WM_KEYFIRST = 0x0100;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_CHAR = 0x0102;
inline constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
inline constexpr uint32_t WM_SYSKEYUP = 0x0105;
inline constexpr uint32_t WM_KEYLAST = 0x0109;
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr uint32_t WM_SETCURSOR = 0x0020;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr uint32_t WM_MOUSEFIRST = WM_MOUSEMOVE;
inline constexpr uint32_t WM_MOUSELAST = WM_MBUTTONDBLCLK;

/// A message of the mouse range (WM_MOUSEFIRST to WM_MOUSELAST).
constexpr bool IsMouseMessage(uint32_t msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST; }
/// A message of the key or the mouse range: what removing a window's input takes away.
constexpr bool IsInputMessage(uint32_t msg) {
    return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || IsMouseMessage(msg);
}

// System commands (wParam of WM_SYSCOMMAND, masked with 0xFFF0).
inline constexpr uint32_t SC_MOUSEMENU = 0xF090;
inline constexpr uint32_t SC_KEYMENU = 0xF100;
inline constexpr uint32_t SC_SCREENSAVE = 0xF140;
inline constexpr uint32_t SC_MONITORPOWER = 0xF170;

// Virtual-key codes.
inline constexpr int32_t VK_SHIFT = 0x10;
inline constexpr int32_t VK_CONTROL = 0x11;
inline constexpr int32_t VK_MENU = 0x12;
inline constexpr int32_t VK_DELETE = 0x2E;
inline constexpr int32_t VK_LWIN = 0x5B;
inline constexpr int32_t VK_RWIN = 0x5C;

/// The message queue of the engine's thread (PeekMessage, TranslateMessage, DispatchMessage)
/// and the procedures that the messages of each window are dispatched to.
class Messages {
public:
    virtual ~Messages() = default;
    /// The oldest waiting message of any window; with `remove` it is taken off the queue.
    /// False when none waits.
    virtual bool Peek(WinMsg& out, bool remove) = 0;
    /// Posts the character messages that a key message makes (TranslateMessage).
    virtual void Translate(const WinMsg& msg) = 0;
    /// Calls the procedure of the message's window and answers its result; 0 for a window
    /// without one.
    virtual intptr_t Dispatch(const WinMsg& msg) = 0;
    /// Installs (or, with null, removes) the procedure of a window.
    void SetWindowProc(WindowId window, WindowProc proc) {
        if (proc) procs_[window] = proc;
        else procs_.erase(window);
    }
    /// The procedure installed for a window; null when it has none.
    WindowProc GetWindowProc(WindowId window) const {
        const auto it = procs_.find(window);
        return it == procs_.end() ? nullptr : it->second;
    }
    /// Installs (or, with null, removes) the low-level keyboard hook that key messages from
    /// the keyboard pass before they are queued; scripted messages do not pass it.
    virtual void SetKeyboardHook(KeyboardHook hook) { keyboardHook_ = hook; }

    /// Takes every waiting mouse and key message of the window off the queue (PeekMessage with
    /// PM_REMOVE over the mouse and key ranges); a queue that holds no input has nothing to do.
    virtual void RemoveInput(WindowId /*window*/) {}

protected:
    KeyboardHook keyboardHook_ = nullptr;

private:
    std::map<WindowId, WindowProc> procs_;
};

} // namespace plat
