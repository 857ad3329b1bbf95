// Starts one of the three towns of the generated game data (the circus town {1, 0, 8}, the zoo
// {1, 0, 14} or the city {1, 0, 17}, by the input's first byte, which also gives the player one
// of the town's two vehicles, another town's, or the record's own) for a player whose stored
// record is the following bytes, read through the record's loader, then plays 600 frames of
// arbitrary input: the driving keys, CTRL, space, the mode keys, pointer moves and clicks
// anywhere on the stage. Leaving the town saves the record; the saved slot must read back, and
// nothing may be read or written out of range or dangle on the way.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "engine/base/Random.h"
#include "engine/core/Event.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Player.h"
#include "game/shell/PlayerRecord.h"
#include "game/shell/SaveFileImage.h"
#include "game/shell/TLVApp.h"
#include "game/world/WorldClasses.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/VirtualClock.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/FakeFiles.h"
#include "tests/support/HeadlessGame.h"
#include "tools/synthetic/GameData.h"

void AddTownWorlds(GameData& data);
void AddCityTown(GameData& data);
void AddZooTown(GameData& data);

namespace {

using vqt::fuzz::Require;

constexpr const char* kParts = "game.vqk";
constexpr const char* kSave = "TLVSave.vqk";
/// A town: its activity and its own two vehicles' first garage value.
struct FuzzedTown {
    uint16_t entry;
    uint16_t firstVehicle;
};
constexpr FuzzedTown kTowns[] = {{8, 0}, {14, 2}, {17, 4}};
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
        AddTownWorlds(data);
        AddCityTown(data);
        AddZooTown(data);
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

/// One frame's input from a byte (and the bytes it takes along).
void Act(std::span<const uint8_t> input, size_t& at) {
    const uint8_t action = input[at++];
    const auto next = [&] { return at < input.size() ? input[at++] : uint8_t(0); };
    switch (action >> 5) {
    case 0: case 1: {
        const uint32_t key = kKeys[(action & 31) % std::size(kKeys)];
        const bool down = (action & 32) != 0;
        Input().SetKeyDown(int32_t(key), down);
        vqt::test::SendEvent(kEventKeyboard, down ? kEvKeyDown : kEvKeyUp, intptr_t(key));
        break;
    }
    case 2: case 3: {
        const int16_t x = int16_t(next() * 640 / 256), y = int16_t(next() * 480 / 256);
        const plat::WinPoint origin = Input().ScreenToClient(OWindow::Main()->GetWindowId(), {0, 0});
        Input().SetCursorPos({x - origin.x, y - origin.y});
        if (action & 64) {
            vqt::test::SendEvent(kEventMouse, kEvButtonDown, 1, CPoint16(x, y));
            vqt::test::SendEvent(kEventMouse, kEvButtonUp, 0, CPoint16(x, y));
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
    if (size < 1) return 0;
    const auto scope = vqt::fuzz::StartInput(&CGameShellState::ResetForTest);
    xSRand(1);
    Input().SetCursorPos({0, 0});
    const FuzzedTown& town = kTowns[data[0] % std::size(kTowns)];
    vqt::test::FakeFiles* files = &vqt::test::FakeFiles::Install();
    files->Put(kParts, PartFileBytes());
    // The slot holds the input's next bytes, cut or padded to a record's size, under the
    // version and a name the loader takes: the town reads every word and counter as it is.
    const std::span<const uint8_t> rest(data + 1, size - 1);
    const size_t recordBytes = std::min(rest.size(), PlayerRecord::kSize);
    vqt::test::Bytes record(rest.begin(), rest.begin() + long(recordBytes));
    record.resize(PlayerRecord::kSize, 0);
    const uint8_t head[] = {0, 0, 0, 19, 'F', 'u', 'z', 'z', 0};
    std::memcpy(record.data(), head, sizeof head);
    files->Put(kSave, AsString(vqt::test::SaveFileOf({{kSlot, record}})));
    if (vqt::test::StartHeadlessGame({.partFile = kParts, .saveFile = kSave, .registerClasses = &xWorld_RegisterClasses})) {
        CTLVApp* app = CTLVApp::Get();
        if (app->GetPlayer()->Load(kSlot) == SaveSlotState::Valid) {
            app->SetSaveSlot(int16_t(kSlot));
            // One of the town's two vehicles; now and then another town's, or the record's own.
            const int pick = data[0] / 3 % 8;
            if (pick < 6) app->GetPlayer()->SetSelectedVehicle(uint16_t(town.firstVehicle + pick % 2));
            else if (pick == 6) app->GetPlayer()->SetSelectedVehicle(uint16_t((town.firstVehicle + 2) % 6));
            if (vqt::test::ShowActivity(town.entry, [] { Frames(1); })) {
                const std::span<const uint8_t> input = rest.subspan(recordBytes);
                size_t at = 0;
                for (int frame = 0; frame < kFrames; ++frame) {
                    if (at < input.size()) Act(input, at);
                    Frames(1);
                }
                for (const uint32_t key : kKeys) Input().SetKeyDown(int32_t(key), false);
                vqt::test::ShowActivity(kLeaveTo, [] { Frames(1); });
                CPlayer readBack;
                Require(readBack.Load(kSlot) == SaveSlotState::Valid);
            }
        }
    }
    vqt::test::StopHeadlessGame();
    return 0;
}
