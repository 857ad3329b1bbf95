#pragma once
// What the tests that play the town games from their start screens share: the middle of a
// button to click (tests/support/bots/ScriptLines.h writes the clicks), the current game screen,
// and a readable name for each case of a table.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "engine/base/Rect.h"
#include "engine/core/ActivityManager.h"
#include "game/shell/TLVActivity.h"
#include "tests/support/bots/ScriptLines.h"

namespace vqt::test {

/// The middle of a rectangle on the stage, such as a button's.
inline StagePoint MiddleOf(const CRect16& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

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
