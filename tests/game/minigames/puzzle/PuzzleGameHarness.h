#pragma once
// The game over a headless 640 x 480 stage with the generated data of the three town puzzles,
// for the programs that play a puzzle without the test framework: the puzzle fuzz target and
// the puzzle benchmark.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Event.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/media/Sound.h"
#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/minigames/puzzle/PuzzleClasses.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVFactory.h"
#include "game/world/WorldClasses.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/VirtualClock.h"
#include "tests/support/FakeFiles.h"
#include "tools/synthetic/GameData.h"

void AddGameSnippets(GameData& data);
void AddGameScreens(GameData& data);
void AddCounterPanelArt(GameData& data);
void AddHostAndVoices(GameData& data);
void AddTileSheetScreens(GameData& data);
void AddPuzzles(GameData& data);

namespace vqt::puzzle_game {

inline constexpr const char* kParts = "game.vqk";
inline constexpr uint32_t kFrameMs = 16;

inline std::string AsString(const vqt::test::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

/// The game data with the three puzzles, made once a process.
inline const std::string& PartFileBytes() {
    static const std::string bytes = [] {
        GameData data;
        AddGameSnippets(data);
        AddGameScreens(data);
        AddCounterPanelArt(data);
        AddHostAndVoices(data);
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

inline void Dispatch(uint32_t category, uint32_t type, intptr_t param, CPoint16 cursor = {}) {
    xEvent event;
    event.category = category;
    event.type = type;
    event.param1 = param;
    event.cursor = cursor;
    DispatchAppEvent(&event, 0);
}

inline void Click(int16_t x, int16_t y) {
    const plat::WinPoint origin = Input().ScreenToClient(OWindow::Main()->GetWindowId(), {0, 0});
    Input().SetCursorPos({x - origin.x, y - origin.y});
    Frames(1);
    Dispatch(kEventMouse, kEvButtonDown, 1, CPoint16(x, y));
    Dispatch(kEventMouse, kEvButtonUp, 0, CPoint16(x, y));
    Frames(1);
}

inline void Press(uint32_t key) {
    Input().SetKeyDown(int32_t(key), true);
    Dispatch(kEventKeyboard, kEvKeyDown, intptr_t(key));
    Frames(1);
    Input().SetKeyDown(int32_t(key), false);
    Dispatch(kEventKeyboard, kEvKeyUp, intptr_t(key));
    Frames(1);
}

/// The engine over a headless 640 x 480 stage, the game object and the activity manager.
inline bool StartGame() {
    xProfiles_Set("DIRECTDRAW", sLong(0));
    xProfiles_Set("FULLSCREEN", sLong(0));
    xProfiles_Set("NUMPIPES", sShort(11));
    xPlatform_SetEngineExists(true);
    xPlatform_StartTimers();
    if (!OVQEngine::Startup()) return false;
    auto window = std::make_unique<OWindow>();
    window->SetDepth(16);
    window->SetDisplaySurface(new CDIBSurface);
    if (!window->Create(CRect16(0, 0, 640, 480), false, 0)) return false;
    plat::desktop().Find(window->GetWindowId())->Show(plat::SW_SHOW);
    OVQEngine::Instance()->SetMainWindow(std::move(window));
    if (xSound_Startup(11, 0, 0) != 0 || !CTLVApp::Create()) return false;
    CTLVApp* app = CTLVApp::Get();
    auto file = std::make_unique<CPartFile>();
    CPartFile* parts = file.get();
    if (!file->Open(kParts, 1)) return false;
    app->SetPartFile(std::move(file));
    app->Init();
    if (!CreateActivityManager()) return false;
    OActivityManager* manager = GetActivityManager();
    manager->Init(parts);
    manager->SetVariant(OActivityManager::kUnloadFirst);
    manager->AddFactory(new CTLVFactory);
    xWorld_RegisterClasses();
    xPuzzle_RegisterClasses();
    return true;
}

inline void StopGame() {
    DestroyActivityManager();
    CTLVApp::Destroy();
    OVQEngine::Shutdown();
}

/// Switches to {1, 0, entry}; whether it became current.
inline bool Show(uint16_t entry) {
    OActivityManager* manager = GetActivityManager();
    for (int i = 0; i < 10 && manager->IsSwitchPending(); ++i) Frames(1);
    manager->RequestActivity(MakeChunkId(1, entry));
    for (int i = 0; i < 400 && manager->IsSwitchPending(); ++i) Frames(1);
    return manager->GetCurrentId() == MakeChunkId(1, entry);
}

inline CGPuzzle* Puzzle() { return dynamic_cast<CGPuzzle*>(CurrentGameActivity()); }

/// The generated data on the fake files, then the game; false when it could not start.
inline bool StartWithPuzzles() {
    vqt::test::FakeFiles& files = vqt::test::FakeFiles::Install();
    files.Put(kParts, PartFileBytes());
    return StartGame();
}

} // namespace vqt::puzzle_game
