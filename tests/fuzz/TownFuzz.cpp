// Starts the circus town {1, 0, 8} of the generated game data for a player whose stored record
// is arbitrary bytes, read through the record's loader, then plays 600 frames of arbitrary
// input: the driving keys, CTRL, space, the mode keys, pointer moves and clicks anywhere on the
// stage. Leaving the town saves the record; the saved slot must read back, and nothing may be
// read or written out of range or dangle on the way.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include "engine/app/Engine.h"
#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Event.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/media/Sound.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Player.h"
#include "game/shell/PlayerRecord.h"
#include "game/shell/SaveFileImage.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVFactory.h"
#include "game/world/WorldClasses.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/VirtualClock.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/FakeFiles.h"
#include "tools/synthetic/GameData.h"

void AddTextViews(GameData& data);
void AddFirstActivity(GameData& data);
void AddGameSnippets(GameData& data);
void AddGameScreens(GameData& data);
void AddCounterPanelArt(GameData& data);
void AddMoviesAndWords(GameData& data);
void AddHostAndVoices(GameData& data);
void AddWorldHelpArt(GameData& data);
void AddCircusTown(GameData& data);
void AddCircusVehicles(GameData& data);

namespace {

using vqt::fuzz::Require;

constexpr const char* kParts = "game.vqk";
constexpr const char* kSave = "TLVSave.vqk";
constexpr uint16_t kTown = 8;
/// A plain screen to leave the town for.
constexpr uint16_t kLeaveTo = 60;
constexpr int kSlot = 3;
constexpr uint32_t kFrameMs = 16;
constexpr int kFrames = 600;
/// The keys a player drives with: the arrows, space, CTRL, ESC, ENTER and the mode keys.
constexpr uint32_t kKeys[] = {37, 38, 39, 40, 32, 17, 27, 13, '1', '2', '3', 'A'};

std::string AsString(const vqt::test::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

const std::string& PartFileBytes() {
    static const std::string bytes = [] {
        GameData data;
        AddTextViews(data);
        AddFirstActivity(data);
        AddGameSnippets(data);
        AddGameScreens(data);
        AddCounterPanelArt(data);
        AddMoviesAndWords(data);
        AddHostAndVoices(data);
        AddWorldHelpArt(data);
        AddCircusTown(data);
        AddCircusVehicles(data);
        return AsString(data.file.Build());
    }();
    return bytes;
}

plat::VirtualClock& Clock() { return static_cast<plat::VirtualClock&>(plat::clock()); }
plat::HeadlessInput& Input() { return static_cast<plat::HeadlessInput&>(plat::input()); }

void Frames(int n) {
    for (int i = 0; i < n; ++i) {
        Clock().Advance(kFrameMs);
        FrameTick(0);
    }
}

void Dispatch(uint32_t category, uint32_t type, intptr_t param, CPoint16 cursor = {}) {
    xEvent event;
    event.category = category;
    event.type = type;
    event.param1 = param;
    event.cursor = cursor;
    DispatchAppEvent(&event, 0);
}

bool StartGame() {
    xProfiles_Set("DIRECTDRAW", sLong(0));
    xProfiles_Set("FULLSCREEN", sLong(0));
    xProfiles_Set("NUMPIPES", sShort(11));
    xProfiles_Set("USERFILE", kSave);
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
    return true;
}

void StopGame() {
    DestroyActivityManager();
    CTLVApp::Destroy();
    OVQEngine::Shutdown();
}

bool Show(uint16_t entry) {
    OActivityManager* manager = GetActivityManager();
    for (int i = 0; i < 10 && manager->IsSwitchPending(); ++i) Frames(1);
    manager->RequestActivity(MakeChunkId(1, entry));
    for (int i = 0; i < 400 && manager->IsSwitchPending(); ++i) Frames(1);
    return manager->GetCurrentId() == MakeChunkId(1, entry);
}

/// One frame's input from a byte (and the bytes it takes along).
void Act(std::span<const uint8_t> input, size_t& at) {
    const uint8_t action = input[at++];
    const auto next = [&] { return at < input.size() ? input[at++] : uint8_t(0); };
    switch (action >> 5) {
    case 0: case 1: {
        const uint32_t key = kKeys[(action & 31) % std::size(kKeys)];
        const bool down = (action & 32) != 0;
        Input().SetKeyDown(int32_t(key), down);
        Dispatch(kEventKeyboard, down ? kEvKeyDown : kEvKeyUp, intptr_t(key));
        break;
    }
    case 2: case 3: {
        const int16_t x = int16_t(next() * 640 / 256), y = int16_t(next() * 480 / 256);
        const plat::WinPoint origin = Input().ScreenToClient(OWindow::Main()->GetWindowId(), {0, 0});
        Input().SetCursorPos({x - origin.x, y - origin.y});
        if (action & 64) {
            Dispatch(kEventMouse, kEvButtonDown, 1, CPoint16(x, y));
            Dispatch(kEventMouse, kEvButtonUp, 0, CPoint16(x, y));
        }
        break;
    }
    default: break; // a frame without input
    }
}

} // namespace

// Text views make fonts; fontconfig keeps the character sets of the fonts it knows behind
// offsets instead of pointers, so the leak checks between inputs take that live memory for lost.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vqt::fuzz::StartInput();
    CGameShellState::ResetForTest();
    xSRand(1);
    Input().SetCursorPos({0, 0});
    vqt::test::FakeFiles* files = &vqt::test::FakeFiles::Install();
    files->Put(kParts, PartFileBytes());
    // The slot holds the input's first bytes, cut or padded to a record's size, under the
    // version and a name the loader takes: the town reads every word and counter as it is.
    const size_t recordBytes = std::min(size, PlayerRecord::kSize);
    vqt::test::Bytes record(data, data + recordBytes);
    record.resize(PlayerRecord::kSize, 0);
    const uint8_t head[] = {0, 0, 0, 19, 'F', 'u', 'z', 'z', 0};
    std::memcpy(record.data(), head, sizeof head);
    files->Put(kSave, AsString(vqt::test::SaveFileOf({{kSlot, record}})));
    if (StartGame()) {
        CTLVApp* app = CTLVApp::Get();
        if (app->GetPlayer()->Load(kSlot) == SaveSlotState::Valid) {
            app->SetSaveSlot(int16_t(kSlot));
            if (Show(kTown)) {
                const std::span<const uint8_t> input(data + recordBytes, size - recordBytes);
                size_t at = 0;
                for (int frame = 0; frame < kFrames; ++frame) {
                    if (at < input.size()) Act(input, at);
                    Frames(1);
                }
                for (const uint32_t key : kKeys) Input().SetKeyDown(int32_t(key), false);
                Show(kLeaveTo);
                CPlayer readBack;
                Require(readBack.Load(kSlot) == SaveSlotState::Valid);
            }
        }
    }
    StopGame();
    CGameShellState::ResetForTest();
    return 0;
}
