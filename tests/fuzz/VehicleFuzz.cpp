// Drives the vehicle of a driving world built from arbitrary bytes for 600 frames: a vehicle
// part with good or bad values (a zero or negative footprint, a companion naming no part, one
// group or too few states), a layout of square and shaped blockers, pushables, tokens, way
// points, listed trees, spawn points and characters anywhere on or off the map, then the keys
// (arrows, keypad, Space, the mode keys, the tuning keys, ESC), pointer moves and clicks and
// driving modes of the input, one a frame. Outside the exit drive a vehicle on the map stays
// on it; nothing may be read or written out of range and nothing may dangle.
#include <cstdint>

#include "engine/base/Random.h"
#include "engine/core/DeferredDelete.h"
#include "engine/core/Event.h"
#include "engine/data/TempBuffers.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Pushable.h"
#include "game/shell/StillProps.h"
#include "game/world/characters/Dweeble.h"
#include "platform/headless/HeadlessInput.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/game/world/DrivingWorldHarness.h"
#include "tests/support/HeadlessGame.h"

namespace {

using namespace vqt::harness;
using vqt::fuzz::Require;

/// A small stage: drawing it costs little, so more inputs run.
constexpr int16_t kStageWidth = 200, kStageHeight = 150;
constexpr int kFrames = 600;
constexpr int kMaxProps = 48;
/// The keys the world reads: arrows, Space, ESC, '1'-'8', 'I', 'O', the tuning keys, F10 and
/// keypad 1-9.
constexpr uint32_t kKeys[] = {0x25, 0x26, 0x27, 0x28, ' ', 27,   '1',  '2',  '3',  '4',  '5',  '6',  '7',
                              '8',  'I',  'O',  0x6B, 0xBB, 0x6D, 0xBD, 0xDB, 0xDD, 0xBA, 0xDE, 0x79, 0x61,
                              0x62, 0x63, 0x64, 0x66, 0x67, 0x68, 0x69};

plat::HeadlessInput& Input() { return static_cast<plat::HeadlessInput&>(plat::input()); }

void Key(uint32_t key, bool down) {
    Input().SetKeyDown(int32_t(key), down);
    vqt::test::SendEvent(kEventKeyboard, down ? kEvKeyDown : kEvKeyUp, intptr_t(key));
}

void Build(FuzzWorld* world, Reader& in) {
    const int count = in.Byte() % (kMaxProps + 1);
    for (int i = 0; i < count; ++i) {
        const uint8_t kind = in.Byte();
        const float x = float(int(in.Word() % (kMapWidth + 100)) - 50);
        const float y = float(int(in.Word() % (kMapHeight + 100)) - 50);
        const uint8_t value = in.Byte();
        switch (kind % 9) {
        case 0: case 1: case 2: {
            auto* wall = Place(world, new Blocker, x, y, MakeChunkId(2, kBlockers[kind % 3]), value == 100 ? 100 : 0);
            wall->CreateOverlay();
            break;
        }
        case 3: Place(world, new Pushable, x, y, StatesPart(value % 4), 0); break;
        case 4: Place(world, new Token, x, y, StatesPart(1 + value % 3), value % 12); break;
        case 5: {
            auto* point = Place(world, new Interaction_Point, x, y, StatesPart(1), value % 8);
            point->flags[1] = value >> 7;
            break;
        }
        case 6: {
            auto* tree = Place(world, new TLVSimple_Object, x, y, StatesPart(1 + value % 2), 0);
            const uint8_t on = 1;
            SetProperty(tree, TLV_Object::kClassId, TLV_Object::kPropListed, &on, 1);
            break;
        }
        case 7: {
            auto* spawn = Place(world, new Spawn, x, y, StatesPart(1), 0);
            const uint16_t kindValue = value % 4, entry = uint16_t(kStatesParts + value % 10);
            SetProperty(spawn, Spawn::kClassId, Spawn::kPropValue, &kindValue, 2);
            SetProperty(spawn, Spawn::kClassId, Spawn::kPropPartEntry, &entry, 2);
            break;
        }
        default: {
            auto* walker = Place(world, new Dweeble, x, y, StatesPart(value % (kMaxStates + 1)), 0);
            walker->OnPartLoaded();
            walker->SetTargetObject(world->GetVehicle());
            break;
        }
        }
    }
}

bool OnMap(const CRect16& map, const CPointF& p) {
    return p.x >= map.left && p.x <= map.right && p.y >= map.top && p.y <= map.bottom;
}

void Drive(FuzzWorld* world, Reader& in) {
    TLV_Object* vehicle = world->GetVehicle();
    if (vehicle) {
        vehicle->SetPosition(CPointF(float(in.Word() % kMapWidth), float(in.Word() % kMapHeight)), 0, 1);
        vehicle->SetState(in.Byte() % 64);
    }
    Build(world, in);
    const CRect16 map = world->GetMapRect();
    for (int frame = 0; frame < kFrames; ++frame) {
        const uint8_t action = in.Byte();
        const uint8_t arg = in.Byte();
        switch (action % 8) {
        case 1: Key(kKeys[arg % std::size(kKeys)], true); break;
        case 2: Key(kKeys[arg % std::size(kKeys)], false); break;
        case 3: {
            const CPoint16 at(int16_t(arg * kStageWidth / 256), int16_t(in.Byte() * kStageHeight / 256));
            Input().SetCursorPos({at.x, at.y});
            vqt::test::SendEvent(kEventMouse, kEvMouseMove, 0, at);
            break;
        }
        case 4: {
            const CPoint16 at(int16_t(arg * kStageWidth / 256), int16_t(in.Byte() * kStageHeight / 256));
            vqt::test::SendEvent(kEventMouse, kEvButtonDown, 1, at);
            vqt::test::SendEvent(kEventMouse, kEvButtonUp, 0, at);
            break;
        }
        case 5: world->SetDrivingMode(arg % 14); break;
        default: break;
        }
        vehicle = world->GetVehicle();
        const bool exitDrive = world->GetDrivingMode() == TLVWorld_Activity::kNoDriving;
        const bool wasOnMap = vehicle && OnMap(map, vehicle->GetPosition());
        Frames(1);
        if (GetActivityManager()->GetCurrentActivity() != world) return; // the world was left
        vehicle = world->GetVehicle();
        if (wasOnMap && !exitDrive && world->GetDrivingMode() != TLVWorld_Activity::kNoDriving)
            Require(!vehicle || OnMap(map, vehicle->GetPosition()));
    }
}

} // namespace

// Text views make fonts; fontconfig keeps the character sets of the fonts it knows behind
// offsets instead of pointers, so the leak checks between inputs take that live memory for lost.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput(&CGameShellState::ResetForTest);
    xSRand(1);
    Input().SetCursorPos({0, 0});
    Reader in(data, size);
    const ChunkId vehicle = MakeChunkId(2, kVehicles[in.Byte() % std::size(kVehicles)]);
    if (FuzzWorld* world = StartWorld(vehicle, kStageWidth, kStageHeight)) Drive(world, in);
    for (uint32_t key : kKeys) Input().SetKeyDown(int32_t(key), false);
    StopGame();
    DeleteAllDeferred();
    Require(xTempBuffers_GetNumInUse() == 0);
    return 0;
}
