#pragma once
// A bot's input to the game in a real window: the script lines of the headless queue injected
// into the SDL2 session's message source, and keys held as the SDL2 input reports them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tests/support/bots/MiniGameDriver.h"

namespace vqt::test {

/// Injects "<ms> WM_... wParam lParam x y" lines for the main window, their times from now and
/// their points in the window's client area (a mouse message without lParam gets its point
/// there); false with the reason in `error` when a line cannot be read (nothing is injected).
bool InjectScript(std::string_view lines, std::string* error = nullptr);

/// The messages the program has not taken yet (a bot waits for them before it sends more).
size_t MessagesWaitingInWindow();

/// Holds a key down in the window's input, or lets it go.
void HoldKeyInWindow(int32_t virtualKey, bool down);

/// A bot's input in the window: keys held there, messages waiting there.
inline BotInput WindowBotInput() { return {HoldKeyInWindow, MessagesWaitingInWindow}; }

} // namespace vqt::test
