#pragma once
#include <cstdint>
#include <string_view>

namespace plat {

/// Message-box button sets and results, with the Windows numbers the engine passes around.
namespace mb {
inline constexpr uint32_t Ok = 0x0;
inline constexpr uint32_t OkCancel = 0x1;
inline constexpr uint32_t AbortRetryIgnore = 0x2;
inline constexpr uint32_t YesNoCancel = 0x3;
inline constexpr uint32_t YesNo = 0x4;
inline constexpr uint32_t RetryCancel = 0x5;
inline constexpr uint32_t ButtonMask = 0xF;
inline constexpr uint32_t IconStop = 0x10;
inline constexpr uint32_t DefaultButton2 = 0x100;
inline constexpr uint32_t SystemModal = 0x1000;
inline constexpr uint32_t TaskModal = 0x2000;

inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;
inline constexpr int IdAbort = 3;
inline constexpr int IdRetry = 4;
inline constexpr int IdIgnore = 5;
inline constexpr int IdYes = 6;
inline constexpr int IdNo = 7;

/// The button a box of `type` answers when nobody chooses (its default button).
int DefaultAnswer(uint32_t type);
/// What a box of `type` answers when it is closed without a button: its cancel choice (OK, No
/// or Ignore where it has no Cancel button).
int ClosedAnswer(uint32_t type);
} // namespace mb

/// Modal message boxes (the stand-in for MessageBoxA and MessageBeep).
class Dialogs {
public:
    virtual ~Dialogs() = default;
    /// Shows a box and answers the button pressed (mb::Id*), or 0 when it cannot be shown.
    virtual int MessageBox(std::string_view text, std::string_view title, uint32_t type) = 0;
    /// A box whose question only a person can answer (the engine's own waiting boxes): as
    /// MessageBox, but 0 also when nobody is there to answer, so that the caller never waits
    /// on a box that no one will close.
    virtual int Ask(std::string_view text, std::string_view title, uint32_t type) {
        return MessageBox(text, title, type);
    }
    /// The default system sound.
    virtual void Beep() = 0;

    /// Whether the program was asked to end (its window closed, a request to stop) while a box
    /// was open. That box was answered as if closed and the request went on to the program's
    /// windows, which end the program as they do outside a box; meanwhile no box shows any more
    /// (each answers as if closed at once), so the program is not held up on its way out. It
    /// lasts until SessionGoesOn.
    bool SessionEnding() const { return sessionEnding_; }
    /// The program has taken the request to end and came back for more messages: it refused
    /// the ending, or the ending is over. Boxes show again.
    void SessionGoesOn() { sessionEnding_ = false; }

protected:
    /// Notes that the program was asked to end while a box was open, or forgets it.
    void EndSession(bool ending = true) { sessionEnding_ = ending; }

private:
    bool sessionEnding_ = false;
};

} // namespace plat
