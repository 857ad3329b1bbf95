#pragma once
// What the tests that play the town games from their start screens share: a click as lines of
// a scenario script, the current game screen, and a readable name for each case of a table.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "engine/core/ActivityManager.h"
#include "game/shell/TLVActivity.h"

namespace vqt::test {

/// A click at (x, y), `at` milliseconds from now: the pointer moves there, then the left button
/// goes down and up.
inline std::string ClickAt(int x, int y, uint32_t at = 0) {
    const std::string where = " 0 0 " + std::to_string(x) + " " + std::to_string(y) + "\n";
    return std::to_string(at) + " WM_MOUSEMOVE" + where + std::to_string(at + 50) + " WM_MOUSEMOVE" + where +
           std::to_string(at + 100) + " WM_LBUTTONDOWN 1" + where.substr(2) + std::to_string(at + 150) +
           " WM_LBUTTONUP" + where;
}

/// The game screen showing now, when the current activity is one.
inline CTLVActivity* CurrentGameScreen() {
    OActivityManager* manager = GetActivityManager();
    return manager ? dynamic_cast<CTLVActivity*>(manager->GetCurrentActivity()) : nullptr;
}

/// A table case's name (its `name`, letters and digits only) for the test's name.
template <class Case>
std::string CaseName(const testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
    return name;
}

} // namespace vqt::test
