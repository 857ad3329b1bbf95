#pragma once
// What the puzzles' whole-program runs share: scripted input, the stage's picture and the
// current puzzle.
#include <string>

#include "engine/app/Engine.h"
#include "engine/core/Window.h"
#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/shell/TLVActivity.h"
#include "platform/Platform.h"
#include "tests/support/Png.h"
#include "tests/support/StageScript.h"
#include "tests/support/bots/ScriptLines.h"

namespace vqt::test {

inline CGPuzzle* Puzzle() { return dynamic_cast<CGPuzzle*>(CurrentGameActivity()); }

} // namespace vqt::test
