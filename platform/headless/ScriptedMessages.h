#pragma once
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Messages.h"

namespace plat {

/// A message queue fed by tests: messages wait until the clock reaches their time, are handed
/// out oldest first and recorded as consumed. Handing out a mouse message moves the headless
/// pointer to its point; a key message presses or releases its key, unless keys move at their
/// messages' times (SetKeysMoveAtTheirTime). The clock and the pointer are the current
/// services' (plat::clock(), plat::input()).
///
/// Scripts hold one message a line, "time msg wParam lParam x y": the time in milliseconds
/// after the script is loaded, the message as a number (decimal or 0x hex) or a name such as
/// WM_LBUTTONDOWN, and numbers for the rest (x and y in screen pixels). Blank lines and lines
/// starting with '#' are skipped.
class ScriptedMessages final : public Messages {
public:
    bool Peek(WinMsg& out, bool remove) override;
    /// Headless scripts carry their character messages themselves, so nothing is posted.
    void Translate(const WinMsg& msg) override;
    intptr_t Dispatch(const WinMsg& msg) override;
    /// Removes the mouse and key messages of the window whose time has come.
    void RemoveInput(WindowId window) override;

    /// Queues a message at its own time, after every message of the same or an earlier time.
    void Push(const WinMsg& msg);
    /// With `atTheirTime`, the key messages queued from now on move their keys when the clock
    /// reaches their times, as a keyboard does, not when they are handed out: a key let go at
    /// once is up again by the time its key-down is taken. Off unless asked for.
    void SetKeysMoveAtTheirTime(bool atTheirTime) { keysAtTheirTime_ = atTheirTime; }
    /// Queues the lines of a script for `window`; false with the reason in `error` on the
    /// first line that cannot be read (nothing of the script is queued then).
    bool LoadScript(std::string_view script, WindowId window, std::string* error = nullptr);
    /// Every message handed out with remove, in order.
    const std::vector<WinMsg>& Consumed() const { return consumed_; }
    size_t Pending() const { return queue_.size(); }
    void Clear();

private:
    std::deque<WinMsg> queue_;
    std::vector<WinMsg> consumed_;
    bool keysAtTheirTime_ = false;
};

/// The number of a message name that scripts may use (WM_MOUSEMOVE, ...); 0 when unknown.
uint32_t MessageNumberFromName(std::string_view name);

/// Reads the lines of a script (the format above) as messages for `window`, their times from
/// `start`, and adds them to `out` in the script's order; false with the reason in `error` on
/// the first line that cannot be read (nothing is added then). The headless queue and the
/// window's injected input read scripts through it.
bool ParseMessageScript(std::string_view script, WindowId window, uint32_t start, std::vector<WinMsg>& out,
                        std::string* error = nullptr);

} // namespace plat
