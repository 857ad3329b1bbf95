// Plays a town puzzle of the generated game data from arbitrary bytes: the first byte picks
// the town, its level (1 to 3, or one out of range as a damaged record has it) and the
// player's vehicle (one of the town's or another town's); then one action a byte: clicks on a
// tile of the board, SPACE, a click on the go button, ESC and ENTER, frames of 16 ms and long
// strides of time. After every action the people left equal the people still shown, the
// vehicle stands on a cell of the board that holds a tile, and a character that shows stands
// on a tile without a badge; nothing is read or written out of range and nothing dangles when
// the puzzle is left.
#include <cstdint>
#include <span>

#include "engine/base/Random.h"
#include "game/minigames/puzzle/PuzzleCharacter.h"
#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Player.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/game/minigames/puzzle/PuzzleGameHarness.h"
#include "tests/support/HeadlessGame.h"

namespace {

using namespace vqt::puzzle_game;
using vqt::fuzz::Require;

constexpr uint16_t kLeaveTo = 60;
constexpr uint32_t kStrideMs = 700;
/// Actions played of an input at most: few enough that many inputs run a minute.
constexpr size_t kMaxActions = 64;
constexpr const PuzzleTownValues* kTowns[] = {&puzzle_towns::kCircus, &puzzle_towns::kZoo, &puzzle_towns::kCity};
/// Record levels as a save file may hold them: the three, and ones out of range.
constexpr uint16_t kLevels[] = {1, 2, 3, 0, 9};

void CheckPlay(CGPuzzle& puzzle) {
    int shown = 0;
    for (const Puzzle_Dweeble* person : puzzle.People()) shown += xPuzzle_IsVisible(person) ? 1 : 0;
    Require(puzzle.GetPeopleLeft() == shown);
    if (puzzle.GetVehicle() && puzzle.Run().Current()) {
        const int32_t row = puzzle.Run().GetRow(), column = puzzle.Run().GetColumn();
        Require(row >= 0 && row < 7 && column >= 0 && column < 7);
        Require(puzzle.Board().At(row, column) != nullptr);
    }
    const Puzzle_Character* character = puzzle.GetCharacter();
    if (character && character->IsVisible() && character->GetTile()) Require(!character->GetTile()->HoldsBadge());
}

void Play(std::span<const uint8_t> actions) {
    for (size_t at = 0; at < actions.size() && at < kMaxActions; ++at) {
        CGPuzzle* puzzle = Puzzle();
        if (!puzzle) return; // left for the town
        const uint8_t action = actions[at];
        const int arg = action & 63;
        switch (action >> 6) {
        case 0: {
            // A click on the tile of a cell, or on the stage where a cell holds none.
            const Puzzle_Piece* tile = puzzle->Board().At(arg / 7 % 7, arg % 7);
            if (tile) Click(int16_t(tile->GetPosition().x - 20), int16_t(tile->GetPosition().y - 1));
            else Click(int16_t(arg * 10), int16_t(480 - arg * 7));
            break;
        }
        case 1:
            if (arg < 16) Press(CTLVActivity::kKeySpace);
            else if (arg < 32) Click(580, 420); // the go button
            else if (arg < 40) Press(CTLVActivity::kKeyEsc);
            else if (arg < 48) Press(CTLVActivity::kKeyEnter);
            else Press(CTLVActivity::kKeyCtrl);
            break;
        case 2: Frames(arg % 32 + 1); break;
        default: Frames(arg % 16 + 1, kStrideMs); break;
        }
        if (CGPuzzle* now = Puzzle()) CheckPlay(*now);
    }
}

} // namespace

// Text views make fonts; fontconfig keeps the character sets of the fonts it knows behind
// offsets instead of pointers, so the leak checks between inputs take that live memory for lost.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const auto scope = vqt::fuzz::StartInput(&CGameShellState::ResetForTest);
    xSRand(data[0]);
    Input().SetCursorPos({0, 0});
    const PuzzleTownValues& town = *kTowns[data[0] % 3];
    if (StartWithPuzzles()) {
        CPlayer* player = CTLVApp::Get()->GetPlayer();
        auto& record = const_cast<PlayerRecord&>(player->Record());
        record.world[town.world][CPlayer::kLevels + CGPuzzle::kPuzzleActivity] = kLevels[data[0] / 3 % 5];
        // One of the town's two vehicles, or now and then another town's.
        player->SetSelectedVehicle(uint16_t(data[0] / 15 % 8 == 7 ? (town.firstVehicle + 2) % 6 : town.firstVehicle + data[0] / 15 % 2));
        if (vqt::test::ShowActivity(town.ownEntry, [] { Frames(1); }) && Puzzle()) {
            Puzzle()->OnButton(CGPuzzle::kPanelStart, 1);
            Frames(30);
            Play(std::span(data + 1, size - 1));
            vqt::test::ShowActivity(kLeaveTo, [] { Frames(1); });
        }
    }
    vqt::test::StopHeadlessGame();
    return 0;
}
