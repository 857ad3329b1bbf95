#include "tests/fuzz/RacePlay.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
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
#include "game/minigames/race/CGRoadRace.h"
#include "game/minigames/race/RaceClasses.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Player.h"
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
#include "tools/builders/StoredRecord.h"

namespace vqt::fuzz {
namespace {

/// A town road race as the fuzzer plays it: its screen, its town's world and the vehicle the
/// player drives there. Adding a race is adding a row.
struct RaceRow {
    const char* name;
    uint16_t screen;
    uint16_t world;
    uint16_t vehicle;
};

const RaceRow kRaces[] = {
    {"circus", 11, 0, 0},
    {"zoo", 9, 1, 2},
    {"city", 22, 2, 4},
};

constexpr const char* kParts = "TLVFMH.vqk";
constexpr const char* kSave = "TLVSave.vqk";
/// A plain screen of the generated data to leave each race for.
constexpr uint16_t kLeaveTo = 60;
constexpr int kSlot = 3;
constexpr uint32_t kFrameMs = 16;
constexpr uint32_t kPlayMs = 5000;
/// The arrows, ALT (fire), CTRL (siren), ESC, ENTER and space.
constexpr uint32_t kKeys[] = {37, 38, 39, 40, 18, 17, 27, 13, 32};

/// The generator's game data, written by the generator once a process.
const std::string& PartFileBytes() {
    static const std::string bytes = [] {
        const std::string path = ScratchPath("race-play") + ".vqk";
        const std::string command = std::string(SYNTHETIC_TOOL) + " " + path;
        if (std::system(command.c_str()) != 0) return std::string();
        std::ifstream in(path, std::ios::binary);
        std::ostringstream read;
        read << in.rdbuf();
        std::remove(path.c_str());
        return read.str();
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
    xRace_RegisterClasses();
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
    case 0: case 1: case 2: {
        const uint32_t key = kKeys[(action & 31) % std::size(kKeys)];
        const bool down = (action & 32) != 0;
        Input().SetKeyDown(int32_t(key), down);
        Dispatch(kEventKeyboard, down ? kEvKeyDown : kEvKeyUp, intptr_t(key));
        break;
    }
    case 3: case 4: {
        const int16_t x = int16_t(next() * 640 / 256), y = int16_t(next() * 480 / 256);
        const plat::WinPoint origin = Input().ScreenToClient(OWindow::Main()->GetWindowId(), {0, 0});
        Input().SetCursorPos({x - origin.x, y - origin.y});
        if (action & 1) {
            Dispatch(kEventMouse, kEvButtonDown, 1, CPoint16(x, y));
            Dispatch(kEventMouse, kEvButtonUp, 0, CPoint16(x, y));
        }
        break;
    }
    default: break; // a frame without input
    }
}

CGRoadRace* CurrentRace() {
    OActivityManager* manager = GetActivityManager();
    OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
    return dynamic_cast<CGRoadRace*>(current);
}

/// The race from its intro panel on, for five virtual seconds of the input (a frame without
/// input once it is used up): whatever is hit, the charges it was given stay as they were.
void PlayRace(const RaceRow& race, std::span<const uint8_t> input) {
    CPlayer* player = CTLVApp::Get()->GetPlayer();
    player->SetSelectedVehicle(race.vehicle);
    if (!Show(race.screen)) return;
    CGRoadRace* played = CurrentRace();
    Require(played != nullptr);
    const uint16_t charges = played->GetChargesLeft();
    if (played->IsPanelShown(CGRoadRace::kIntroPanel)) played->OnButton(CGRoadRace::kIntroPanel, 1);
    size_t at = 0;
    for (uint32_t ms = 0; ms < kPlayMs; ms += kFrameMs) {
        if (at < input.size()) Act(input, at);
        Frames(1);
        if (CGRoadRace* still = CurrentRace()) Require(still->GetChargesLeft() == charges);
    }
    for (const uint32_t key : kKeys) Input().SetKeyDown(int32_t(key), false);
    Require(Show(kLeaveTo));
}

} // namespace

void PlayEachRace(std::span<const uint8_t> input) {
    const std::string& parts = PartFileBytes();
    Require(!parts.empty());
    CGameShellState::ResetForTest();
    Input().SetCursorPos({0, 0});
    test::FakeFiles& files = test::FakeFiles::Install();
    files.Put(kParts, parts);
    const test::Bytes record = test::StoredRecord("Ann").bytes();
    const test::Bytes save = test::SaveFileOf({{kSlot, record}});
    files.Put(kSave, std::string(save.begin(), save.end()));
    if (StartGame()) {
        CTLVApp* app = CTLVApp::Get();
        if (app->GetPlayer()->Load(kSlot) == SaveSlotState::Valid) {
            app->SetSaveSlot(int16_t(kSlot));
            for (const RaceRow& race : kRaces) PlayRace(race, input);
            CPlayer readBack;
            Require(readBack.Load(kSlot) == SaveSlotState::Valid);
        }
    }
    StopGame();
    CGameShellState::ResetForTest();
}

} // namespace vqt::fuzz
