#pragma once
// What a whole-program scenario of the towns does at the stage: a scripted click, and the
// picture last presented.
#include <string>

#include "engine/app/Engine.h"
#include "engine/core/Window.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedMessages.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/bots/ScriptLines.h"

namespace vqt::test::stage {

/// A steady click at a point of the stage, from now on.
inline void Click(StagePoint at) {
    static_cast<plat::ScriptedMessages&>(plat::messages())
        .LoadScript(SteadyClick(at), OVQEngine::Instance()->GetMainWindow()->GetWindowId());
}

inline RgbImage Picture() {
    const plat::Window* shown = plat::WindowById(OVQEngine::Instance()->GetMainWindow()->GetWindowId());
    return shown ? ToRgb(shown->Presented()) : RgbImage{};
}

} // namespace vqt::test::stage
