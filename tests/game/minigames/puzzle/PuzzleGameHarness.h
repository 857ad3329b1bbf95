#pragma once
// The game over a headless 640 x 480 stage with the generated data of the three town puzzles,
// for the programs that play a puzzle without the test framework: the puzzle fuzz target and
// the puzzle benchmark.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/ActivityManager.h"
#include "engine/core/Event.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/minigames/puzzle/PuzzleClasses.h"
#include "game/shell/TLVApp.h"
#include "game/world/WorldClasses.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/VirtualClock.h"
#include "tests/game/shell/GeneratedScreens.h"
#include "tests/support/FakeFiles.h"
#include "tests/support/HeadlessGame.h"
#include "tools/synthetic/GameData.h"

void AddTileSheetScreens(GameData& data);
void AddPuzzles(GameData& data);

namespace vqt::puzzle_game {

inline constexpr const char* kParts = "game.vqk";
inline constexpr uint32_t kFrameMs = 16;

inline std::string AsString(const vqt::test::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

/// The game data with the three puzzles, made once a process.
inline const std::string& PartFileBytes() {
    static const std::string bytes = [] {
        GameData data = vqt::test::GeneratedScreens();
        AddTileSheetScreens(data);
        AddPuzzles(data);
        return AsString(data.file.Build());
    }();
    return bytes;
}

inline plat::VirtualClock& Clock() { return static_cast<plat::VirtualClock&>(plat::clock()); }
inline plat::HeadlessInput& Input() { return static_cast<plat::HeadlessInput&>(plat::input()); }

inline void Frames(int n, uint32_t stepMs = kFrameMs) {
    for (int i = 0; i < n; ++i) {
        Clock().Advance(stepMs);
        FrameTick(0);
    }
}

inline void Click(int16_t x, int16_t y) {
    const plat::WinPoint origin = Input().ScreenToClient(OWindow::Main()->GetWindowId(), {0, 0});
    Input().SetCursorPos({x - origin.x, y - origin.y});
    Frames(1);
    vqt::test::SendEvent(kEventMouse, kEvButtonDown, 1, CPoint16(x, y));
    vqt::test::SendEvent(kEventMouse, kEvButtonUp, 0, CPoint16(x, y));
    Frames(1);
}

inline void Press(uint32_t key) {
    Input().SetKeyDown(int32_t(key), true);
    vqt::test::SendEvent(kEventKeyboard, kEvKeyDown, intptr_t(key));
    Frames(1);
    Input().SetKeyDown(int32_t(key), false);
    vqt::test::SendEvent(kEventKeyboard, kEvKeyUp, intptr_t(key));
    Frames(1);
}


inline CGPuzzle* Puzzle() { return dynamic_cast<CGPuzzle*>(CurrentGameActivity()); }

/// The generated data on the fake files, then the game; false when it could not start.
inline bool StartWithPuzzles() {
    vqt::test::FakeFiles& files = vqt::test::FakeFiles::Install();
    files.Put(kParts, PartFileBytes());
    return vqt::test::StartHeadlessGame({.partFile = kParts, .registerClasses = [] {
                                             xWorld_RegisterClasses();
                                             xPuzzle_RegisterClasses();
                                         }});
}

} // namespace vqt::puzzle_game
