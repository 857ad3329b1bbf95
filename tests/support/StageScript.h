#pragma once
// What a whole-program scenario does at the stage: script lines for the main window's scripted
// message queue, a steady click, and the picture last presented.
#include <string>

#include "engine/app/Engine.h"
#include "engine/core/Window.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedMessages.h"
#include "tests/support/Png.h"
#include "tests/support/bots/ScriptLines.h"

namespace vqt::test {

/// Loads script lines (times from now) into the main window's scripted message queue.
inline void Script(const std::string& lines) {
    static_cast<plat::ScriptedMessages&>(plat::messages())
        .LoadScript(lines, OVQEngine::Instance()->GetMainWindow()->GetWindowId());
}

/// A steady click at a point of the stage, from now on.
inline void Click(StagePoint at) { Script(SteadyClick(at)); }

/// The picture the main window presented last; empty before the first.
inline RgbImage StagePicture() {
    const plat::Window* shown = plat::WindowById(OVQEngine::Instance()->GetMainWindow()->GetWindowId());
    return shown ? ToRgb(shown->Presented()) : RgbImage{};
}

} // namespace vqt::test
