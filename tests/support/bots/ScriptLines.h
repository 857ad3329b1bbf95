#pragma once
// Script lines of the headless message queue for the bots: key presses and clicks.
#include <cstdint>
#include <string>

namespace vqt::test {

/// One key message at `ms`: WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP.
inline std::string KeyLine(uint32_t ms, const char* message, int key) {
    return std::to_string(ms) + " " + message + " " + std::to_string(key) + " 0 0 0\n";
}

/// A key pressed now and let go 100 ms later.
inline std::string KeyPress(int key) { return KeyLine(0, "WM_KEYDOWN", key) + KeyLine(100, "WM_KEYUP", key); }

/// The pointer onto (x, y) at `ms`, the left button down 50 ms and up 100 ms later.
inline std::string ClickAt(uint32_t ms, int x, int y) {
    const std::string at = " 0 0 " + std::to_string(x) + " " + std::to_string(y) + "\n";
    return std::to_string(ms) + " WM_MOUSEMOVE" + at + std::to_string(ms + 50) + " WM_LBUTTONDOWN 1" + at.substr(2) +
           std::to_string(ms + 100) + " WM_LBUTTONUP" + at;
}

/// The pointer held still on (x, y) a moment, then a click there.
inline std::string SteadyClick(int x, int y) {
    const std::string at = " 0 0 " + std::to_string(x) + " " + std::to_string(y) + "\n";
    return "0 WM_MOUSEMOVE" + at + "50 WM_MOUSEMOVE" + at + "100 WM_LBUTTONDOWN 1" + at.substr(2) + "150 WM_LBUTTONUP" + at;
}

/// Where the shared button panels have their buttons: 0 on the left, 1 on the right, and the
/// instructions that start a game.
inline constexpr int kPanelButtonY = 340;
inline constexpr int kPanelButton0X = 210, kPanelButton1X = 430;
inline constexpr int kInstructionsX = 320, kInstructionsY = 347;

} // namespace vqt::test
