#pragma once
// What the puzzle bots of the whole-program runs share: scripted input, the stage's picture,
// the current puzzle and the clicks that turn every tile of its loop into place.
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/Window.h"
#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/TLVActivity.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedMessages.h"
#include "tests/game/minigames/puzzle/TrackSolver.h"
#include "tests/support/Png.h"

namespace vqt::test {

inline constexpr uint32_t kWaitingPerson = 1610;

inline void Script(const std::string& lines) {
    static_cast<plat::ScriptedMessages&>(plat::messages())
        .LoadScript(lines, OVQEngine::Instance()->GetMainWindow()->GetWindowId());
}
inline std::string ClickAt(uint32_t ms, int x, int y) {
    const std::string at = " 0 0 " + std::to_string(x) + " " + std::to_string(y) + "\n";
    return std::to_string(ms) + " WM_MOUSEMOVE" + at + std::to_string(ms + 50) + " WM_LBUTTONDOWN 1" + at.substr(2) +
           std::to_string(ms + 100) + " WM_LBUTTONUP" + at;
}
inline std::string KeyPress(uint32_t key) {
    const std::string k = std::to_string(key);
    return "0 WM_KEYDOWN " + k + " 0 0 0\n100 WM_KEYUP " + k + " 0 0 0\n";
}
inline RgbImage StagePicture() {
    const plat::Window* shown = plat::WindowById(OVQEngine::Instance()->GetMainWindow()->GetWindowId());
    return shown ? ToRgb(shown->Presented()) : RgbImage{};
}
inline CGPuzzle* Puzzle() { return dynamic_cast<CGPuzzle*>(CurrentGameActivity()); }

/// One click on the first tile of the loop that is not yet in place, at a point where the
/// window finds that tile (clear of the people on and around it); the tiles the vehicle or a
/// character holds are left for a later try. Empty when no tile can be clicked now.
inline std::string NextSolvingClick(CGPuzzle& puzzle) {
    const TrackGenerator* g = puzzle.Board().LastGenerator();
    OWindow* window = OWindow::Main();
    if (!g || !window) return {};
    const std::vector<int16_t> loop = LoopOf(*g);
    const std::vector<int> rotations = Solve(loop, g->Board());
    for (size_t i = 0; i < loop.size(); ++i) {
        Puzzle_Piece* tile = puzzle.Board().At(loop[i]);
        const OActivityProp* holder = tile ? tile->GetOccupant() : nullptr;
        if (!tile || tile->IsTurning() || int(tile->GetRotation()) == rotations[i]) continue;
        if (tile->IsLocked() && !(holder && holder->IsA(kWaitingPerson))) continue;
        const CPointF at = tile->GetPosition();
        for (const CPointF offset : {CPointF(-20, -1), CPointF(20, -1), CPointF(-30, 6), CPointF(30, 6), CPointF(0, 12)}) {
            const CPoint16 point(int16_t(at.x + offset.x), int16_t(at.y + offset.y));
            if (window->ViewAtPoint(point) == tile) return ClickAt(0, point.x, point.y);
        }
    }
    return {};
}

/// Whether the scripted input has been taken, so that a new click goes in at once.
inline bool InputTaken() { return static_cast<plat::ScriptedMessages&>(plat::messages()).Pending() < 3; }

/// Whether every tile of the loop rests at the rotation that joins it.
inline bool LoopJoined(CGPuzzle& puzzle) {
    const TrackGenerator* g = puzzle.Board().LastGenerator();
    if (!g) return false;
    const std::vector<int16_t> loop = LoopOf(*g);
    const std::vector<int> rotations = Solve(loop, g->Board());
    for (size_t i = 0; i < loop.size(); ++i) {
        const Puzzle_Piece* tile = puzzle.Board().At(loop[i]);
        if (!tile || tile->IsTurning() || int(tile->GetRotation()) != rotations[i]) return false;
    }
    return true;
}

} // namespace vqt::test
