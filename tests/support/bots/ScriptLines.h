#pragma once
// Script lines of the headless message queue for the bots and scenarios: key presses and clicks.
#include <cstdint>
#include <string>
#include <string_view>

#include "tools/synthetic/ScreenButtons.h"

namespace vqt::test {

/// One key message at `ms`: WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP.
inline std::string KeyLine(uint32_t ms, const char* message, int key) {
    return std::to_string(ms) + " " + message + " " + std::to_string(key) + " 0 0 0\n";
}

/// A key pressed now and let go 100 ms later.
inline std::string KeyPress(int key) { return KeyLine(0, "WM_KEYDOWN", key) + KeyLine(100, "WM_KEYUP", key); }

/// One pointer message at `ms` on `at`: WM_MOUSEMOVE, WM_LBUTTONDOWN or WM_LBUTTONUP.
inline std::string PointerLine(uint32_t ms, std::string_view message, StagePoint at) {
    const char* held = message == "WM_LBUTTONDOWN" ? " 1 0 " : " 0 0 ";
    return std::to_string(ms) + " " + std::string(message) + held + std::to_string(at.x) + " " + std::to_string(at.y) +
           "\n";
}

/// A quick click: the pointer onto `at` `ms` from now, the left button down 50 ms and up 100 ms
/// later. The point comes first and is a StagePoint, so a time where the point belongs fails to
/// compile.
inline std::string ClickAt(StagePoint at, uint32_t ms = 0) {
    const std::string where = " 0 0 " + std::to_string(at.x) + " " + std::to_string(at.y) + "\n";
    return std::to_string(ms) + " WM_MOUSEMOVE" + where + std::to_string(ms + 50) + " WM_LBUTTONDOWN 1" +
           where.substr(2) + std::to_string(ms + 100) + " WM_LBUTTONUP" + where;
}

/// A steady click: the pointer onto `at` `ms` from now and held still there 50 ms, the left
/// button down 100 ms and up 150 ms from now.
inline std::string SteadyClick(StagePoint at, uint32_t ms = 0) {
    const std::string where = " 0 0 " + std::to_string(at.x) + " " + std::to_string(at.y) + "\n";
    return std::to_string(ms) + " WM_MOUSEMOVE" + where + std::to_string(ms + 50) + " WM_MOUSEMOVE" + where +
           std::to_string(ms + 100) + " WM_LBUTTONDOWN 1" + where.substr(2) + std::to_string(ms + 150) +
           " WM_LBUTTONUP" + where;
}

/// Places the game lays out itself: the middle of the mini-games' start panels' instructions,
/// which start the game, and the sign-in's badge `b` (0-7, two columns of four).
inline constexpr StagePoint kInstructions{320, 347};
constexpr StagePoint SignInBadge(int b) { return {177 + 290 * (b % 2), 145 + 65 * (b / 2)}; }

} // namespace vqt::test
