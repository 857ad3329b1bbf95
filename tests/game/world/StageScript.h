#pragma once
// What a whole-program scenario of the towns does at the stage: a scripted click, and the
// picture last presented.
#include <string>

#include "engine/app/Engine.h"
#include "engine/core/Window.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedMessages.h"
#include "tests/game/shell/ShellScenarioTest.h"

namespace vqt::test::stage {

/// A click at a point of the stage, from now on.
inline void Click(int x, int y) {
    const std::string at = " 0 0 " + std::to_string(x) + " " + std::to_string(y) + "\n";
    const std::string script =
        "0 WM_MOUSEMOVE" + at + "50 WM_MOUSEMOVE" + at + "100 WM_LBUTTONDOWN 1" + at.substr(2) + "150 WM_LBUTTONUP" + at;
    static_cast<plat::ScriptedMessages&>(plat::messages()).LoadScript(script, OVQEngine::Instance()->GetMainWindow()->GetWindowId());
}

inline RgbImage Picture() {
    const plat::Window* shown = plat::WindowById(OVQEngine::Instance()->GetMainWindow()->GetWindowId());
    return shown ? ToRgb(shown->Presented()) : RgbImage{};
}

} // namespace vqt::test::stage
