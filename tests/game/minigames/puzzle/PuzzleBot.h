#pragma once
// What the puzzles' whole-program runs share: scripted input, the stage's picture and the
// current puzzle.
#include <string>

#include "engine/app/Engine.h"
#include "engine/core/Window.h"
#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/shell/TLVActivity.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedMessages.h"
#include "tests/support/Png.h"
#include "tests/support/bots/ScriptLines.h"

namespace vqt::test {

inline void Script(const std::string& lines) {
    static_cast<plat::ScriptedMessages&>(plat::messages())
        .LoadScript(lines, OVQEngine::Instance()->GetMainWindow()->GetWindowId());
}
inline RgbImage StagePicture() {
    const plat::Window* shown = plat::WindowById(OVQEngine::Instance()->GetMainWindow()->GetWindowId());
    return shown ? ToRgb(shown->Presented()) : RgbImage{};
}
inline CGPuzzle* Puzzle() { return dynamic_cast<CGPuzzle*>(CurrentGameActivity()); }

} // namespace vqt::test
