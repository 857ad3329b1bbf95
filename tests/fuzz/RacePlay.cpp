#include "tests/fuzz/RacePlay.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
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
#include "game/minigames/race/CGRoadRace.h"
#include "game/minigames/race/RaceClasses.h"
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
/// A plain screen of the generated data to leave the race for.
constexpr uint16_t kLeaveTo = 60;
constexpr int kSlot = 3;
/// Frames of 16, 33 or 50 ms: the longer ones take a race past its finish within the frames.
constexpr uint32_t kFrameMs[] = {16, 33, 50};
constexpr int kFrames = 200;
constexpr int kFramesPerByte = 4;
/// The held keys by bit: left, up, right, down arrows, ALT (fire) and CTRL (siren).
constexpr uint32_t kKeys[] = {37, 38, 39, 40, 18, 17};
constexpr uint32_t kKeyCtrl = 17;

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

void Frames(int n, uint32_t ms = kFrameMs[0]) {
    for (int i = 0; i < n; ++i) {
        Clock().Advance(ms);
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

/// Holds the keys of the bits that are set and lets go of the others; CTRL is pressed afresh
/// each time its bit comes on, as a player toggles the siren.
void HoldKeys(uint8_t bits, uint8_t before) {
    for (size_t k = 0; k < std::size(kKeys); ++k) {
        const bool down = (bits >> k & 1) != 0, was = (before >> k & 1) != 0;
        if (down == was) continue;
        Input().SetKeyDown(int32_t(kKeys[k]), down);
        if (kKeys[k] != kKeyCtrl || down) Dispatch(kEventKeyboard, down ? kEvKeyDown : kEvKeyUp, intptr_t(kKeys[k]));
    }
}

CGRoadRace* CurrentRace() {
    OActivityManager* manager = GetActivityManager();
    OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
    return dynamic_cast<CGRoadRace*>(current);
}

/// The race from its intro panel on for the frames; whatever is hit, the charges it was given
/// stay as they were.
void Play(const RaceRow& race, std::span<const uint8_t> input) {
    const uint8_t choice = input.empty() ? 0 : input[0];
    CPlayer* player = CTLVApp::Get()->GetPlayer();
    player->SetSelectedVehicle(uint16_t(race.vehicle + (choice >> 2 & 1)));
    for (int level = 1 + (choice >> 3 & 3) % 3; player->GetActivityLevel(race.world, CGRoadRace::kRaceGame) < level;)
        player->IncActivityLevel(race.world, CGRoadRace::kRaceGame);
    uint32_t seed = 0;
    for (size_t i = 1; i < 5 && i < input.size(); ++i) seed = seed << 8 | input[i];
    xSRand(seed);
    if (!Show(race.screen)) return;
    CGRoadRace* played = CurrentRace();
    Require(played != nullptr);
    const uint16_t charges = played->GetChargesLeft();
    if (played->IsPanelShown(CGRoadRace::kIntroPanel)) played->OnButton(CGRoadRace::kIntroPanel, 1);
    const uint32_t frameMs = kFrameMs[input.size() > 5 ? input[5] % std::size(kFrameMs) : 0];
    const int clockOutAt = input.size() > 6 ? input[6] : 0;
    const std::span<const uint8_t> keys = input.size() > 7 ? input.subspan(7) : std::span<const uint8_t>{};
    uint8_t held = 0;
    for (int frame = 0; frame < kFrames; ++frame) {
        CGRoadRace* still = CurrentRace();
        if (still == nullptr) break;
        Require(still->GetChargesLeft() == charges);
        if (frame == clockOutAt && !still->GetRaceClock().HasElapsed())
            Clock().Advance(uint32_t(still->GetRaceClock().duration));
        const size_t at = size_t(frame / kFramesPerByte);
        const uint8_t bits = at < keys.size() ? keys[at] : 0;
        HoldKeys(bits, held);
        held = bits;
        Frames(1, frameMs);
    }
    HoldKeys(0, held);
    Require(Show(kLeaveTo));
}

} // namespace

void PlayRace(std::span<const uint8_t> input) {
    const std::string& parts = PartFileBytes();
    Require(!parts.empty());
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
            Play(kRaces[(input.empty() ? 0 : input[0]) % std::size(kRaces)], input);
            CPlayer readBack;
            Require(readBack.Load(kSlot) == SaveSlotState::Valid);
        }
    }
    StopGame();
}

} // namespace vqt::fuzz
