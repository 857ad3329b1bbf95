// The puzzles' driver: it closes the start panel, clicks the tiles of the loop until it joins,
// presses SPACE to send the vehicle round, keeps the loop joined and presses go again
// whenever the vehicle has stopped (a visiting character stops it) until everyone is picked
// up; then the end panel's return button. A person walking ahead of the vehicle is not caught
// up with: the driver stops the vehicle a while, so that the person turns back and meets it.
#include <algorithm>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/minigames/puzzle/PuzzleCharacter.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "tests/game/minigames/puzzle/TrackSolver.h"
#include "tests/support/bots/DriverKit.h"
#include "tests/support/bots/MiniGameDriver.h"
#include "tests/support/bots/ScriptLines.h"

namespace vqt::test {
namespace {

/// The class of the people waiting on the tiles.
constexpr uint32_t kWaitingPerson = 1610;
constexpr int kSpace = ' ';
/// A new puzzle is settled this long after it became current; the driver starts clicking this
/// long after the start panel went, and looks at the end panel this long.
constexpr uint32_t kSettleMs = 1000, kPlayFromMs = 2000, kEndPanelMs = 500;
/// The gap between tile clicks; how long after the last one the vehicle is watched.
constexpr uint32_t kClickGapMs = 300, kWatchAfterClickMs = 2000;
/// A stopped vehicle gets go this long after the last press; a vehicle that picked nobody up
/// this long is stopped, and held back this long.
constexpr uint32_t kGoAgainMs = 1500, kNoPickUpMs = 20000, kHeldBackMs = 8000;

/// One click on the first tile of the loop that is not yet in place, at a point where the
/// window finds that tile (clear of the people on and around it); the tiles the vehicle or a
/// character holds are left for a later try. Empty when no tile can be clicked now.
std::string NextSolvingClick(CGPuzzle& puzzle) {
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
            if (window->ViewAtPoint(point) == tile) return ClickAt({point.x, point.y});
        }
    }
    return {};
}

/// Whether every tile of the loop rests at the rotation that joins it.
bool LoopJoined(CGPuzzle& puzzle) {
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

/// A character stands on its lifted tile.
bool Visiting(CGPuzzle& puzzle) {
    Puzzle_Character* c = puzzle.GetCharacter();
    return c && c->IsVisiting() && c->GetTile() && !c->GetTile()->IsLifting() && c->GetState() == 1;
}

class PuzzleDriver final : public MiniGameDriver {
public:
    PuzzleDriver(BotInput input, bool awaitVisit) : input_(std::move(input)), awaitVisit_(awaitVisit) {}

    bool Plays(OActivity* current) const override { return dynamic_cast<CGPuzzle*>(current) != nullptr; }

    std::string Step(OActivity* current, uint32_t now) override {
        if (current_.Note(now)) {
            // A new puzzle starts afresh.
            phase_ = Phase::StartPanel;
            clicked_ = pressedGo_ = heldBack_ = lastPickUp_ = 0;
            peopleLeft_ = 0;
        }
        auto* puzzle = dynamic_cast<CGPuzzle*>(current);
        if (puzzle == nullptr) return "";
        const bool playing = !puzzle->IsPanelShown(-1);
        std::string out;
        const bool tilesNeeded = phase_ >= Phase::Solving && phase_ < Phase::Ended && playing && !LoopJoined(*puzzle);
        if (tilesNeeded && now >= clicked_ + kClickGapMs && InputTaken()) {
            out += NextSolvingClick(*puzzle);
            clicked_ = now;
        }
        if (puzzle->GetPeopleLeft() != peopleLeft_) {
            peopleLeft_ = puzzle->GetPeopleLeft();
            lastPickUp_ = now;
        }
        const bool going = phase_ == Phase::Going && playing && LoopJoined(*puzzle) && now >= clicked_ + kWatchAfterClickMs;
        if (going && puzzle->Run().IsMoving() && now >= std::max(lastPickUp_, pressedGo_) + kNoPickUpMs) {
            out += KeyPress(kSpace);
            heldBack_ = pressedGo_ = now;
        } else if (going && !puzzle->Run().IsMoving() && now >= pressedGo_ + kGoAgainMs && now >= heldBack_ + kHeldBackMs) {
            out += KeyPress(kSpace);
            pressedGo_ = now;
        }
        if (Next(*puzzle, now, playing, out)) {
            current_.since = now;
            phase_ = Phase(int(phase_) + 1);
        }
        return out;
    }

    std::string Release() override { return ""; }

private:
    enum class Phase { StartPanel, Starting, Solving, Going, Ended };

    /// The step from one phase to the next when it is due, its messages added to `out`.
    bool Next(CGPuzzle& puzzle, uint32_t now, bool playing, std::string& out) {
        switch (phase_) {
        case Phase::StartPanel:
            if (GetActivityManager()->IsSwitchPending() || now < current_.since + kSettleMs || !puzzle.IsPanelShown(CGPuzzle::kPanelStart))
                return false;
            out += ClickAt(buttons::kPanelButton1); // the start panel's button
            return true;
        case Phase::Starting:
            return playing && now >= current_.since + kPlayFromMs;
        case Phase::Solving:
            if (!playing || !LoopJoined(puzzle) || (awaitVisit_ && !Visiting(puzzle))) return false;
            out += KeyPress(kSpace);
            pressedGo_ = now;
            return true;
        case Phase::Going:
            if (!puzzle.IsPanelShown(CGPuzzle::kPanelEnd) || now < current_.since + kEndPanelMs) return false;
            out += ClickAt(buttons::kPanelButton0); // return to the town
            return true;
        case Phase::Ended:
            return false;
        }
        return false;
    }

    /// Whether the driver's earlier clicks have been taken, so that a new one goes in at once.
    bool InputTaken() const { return !input_.messagesWaiting || input_.messagesWaiting() < 3; }

    BotInput input_;
    bool awaitVisit_;
    Phase phase_ = Phase::StartPanel;
    /// The current activity and since when it or the phase is; the last tile click, press of
    /// go, hold-back and pick-up, and the people left then.
    CurrentSince current_;
    uint32_t clicked_ = 0, pressedGo_ = 0, heldBack_ = 0, lastPickUp_ = 0;
    uint16_t peopleLeft_ = 0;
};

} // namespace

std::unique_ptr<MiniGameDriver> MakePuzzleDriver(BotInput input, bool awaitVisit) {
    return std::make_unique<PuzzleDriver>(std::move(input), awaitVisit);
}

} // namespace vqt::test
