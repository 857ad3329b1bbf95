#pragma once
// A driving world without a test framework, for fuzz targets and benchmarks: the game over a headless stage with a tiled world
// of 40 x 30 tiles (1280 x 960), the parts a layout may use (vehicles with good and bad part
// values, square and shaped blockers, characters' parts of many sizes), props placed from the
// input and the frame loop on the virtual clock.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/Activity.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/PropertyMsg.h"
#include "engine/core/RunLoop.h"
#include "game/shell/GameShellState.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVFactory.h"
#include "game/world/TLVWorldActivity.h"
#include "game/world/WorldClasses.h"
#include "game/world/towns/ZooTables.h"
#include "platform/Platform.h"
#include "platform/headless/VirtualClock.h"
#include "tests/game/shell/GeneratedScreens.h"
#include "tests/support/FakeFiles.h"
#include "tests/support/HeadlessGame.h"
#include "tools/synthetic/GameData.h"


namespace vqt::harness {

constexpr const char* kPartFile = "game.vqk";
constexpr uint16_t kWorldEntry = 70;
constexpr uint32_t kWorldClass = 500;
/// The same map as the engine's plain activity, for frames without the world's work.
constexpr uint16_t kPlainEntry = 71;
constexpr int16_t kMapWidth = 1280, kMapHeight = 960;
constexpr uint32_t kFrameMs = 16;

/// Vehicle parts: good, with a zero footprint and a companion naming no part, with a negative
/// footprint, of one group only, and of three states.
constexpr uint16_t kVehicles[] = {9400, 9401, 9402, 9403, 9404};
constexpr uint16_t kShadow = 9410, kZeroShadow = 9411, kNegativeShadow = 9412;
/// The companion's entry fits the part byte that names it.
constexpr uint8_t kCompanion = 243;
/// Blockers: square, on a shaped base, on a base naming no part; the shaped base itself.
constexpr uint16_t kBlockers[] = {9420, 9421, 9422};
constexpr uint16_t kShapedBase = 9425;
/// Props' and characters' parts of 0 to 9 states (3430 has none).
constexpr uint16_t kStatesParts = 9430;
constexpr int kMaxStates = 9;

/// The driving world with the vehicle part chosen before it is shown.
class FuzzWorld : public TLVWorld_Activity {
public:
    FuzzWorld() : TLVWorld_Activity("TLVWorld_Activity", kWorldClass) { SetVehiclePartId(vehiclePart); }
    bool IsA(uint32_t classId) const override { return classId == kWorldClass || TLVWorld_Activity::IsA(classId); }
    static inline ChunkId vehiclePart = kNullChunkId;
};

inline plat::VirtualClock& Clock() { return static_cast<plat::VirtualClock&>(plat::clock()); }

/// `n` states of one 8 x 8 frame (two for the moving ones), hot spot in the middle, base value 2.
inline vqt::test::PartPlan States(int n, int size = 8) {
    vqt::test::PartPlan part;
    for (int s = 0; s < n; ++s) {
        const vqt::test::FramePlan frame{.picture = vqt::test::Picture(size, size, uint8_t(s % 200 + 1)),
                                         .hotX = int16_t(size / 2), .hotY = int16_t(size / 2)};
        part.states.push_back(vqt::test::StatePlan{.frames = {frame, frame}, .propertyValue = 2});
    }
    return part;
}

inline vqt::test::PartPlan Car(int states, uint16_t shadow, uint8_t companion) {
    vqt::test::PartPlan part = States(states);
    part.words[0] = shadow;
    part.bytes[0] = companion;
    part.longs[0] = 3;
    part.longs[1] = 12;
    return part;
}

inline vqt::test::PartPlan Shadow(int16_t halfWidth, int16_t halfLength) {
    vqt::test::PartPlan part = States(1);
    part.words[0] = uint16_t(halfWidth);
    part.words[1] = uint16_t(halfLength);
    return part;
}

/// A 10 x 10 blocker, on the base part `base` (0: none).
inline vqt::test::PartPlan BlockerPart(uint16_t base) {
    vqt::test::PartPlan part = States(1, 10);
    part.words[1] = base;
    return part;
}

/// A wedge-shaped base of 40 x 20: the lower left triangle is solid.
inline vqt::test::PartPlan ShapedBase() {
    vqt::test::Picture wedge(40, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) wedge.at(x, y) = x <= 2 * y ? 5 : 0;
    vqt::test::PartPlan part;
    part.states.push_back(vqt::test::StatePlan{.frames = {{.picture = wedge, .hotX = 20, .hotY = 19}}});
    part.words[0] = 20;
    part.words[1] = 10;
    return part;
}

/// The game data, made once a process.
inline const std::string& PartFileBytes() {
    static const std::string bytes = [] {
        GameData data = vqt::test::GeneratedScreens();
        std::vector<uint32_t> colours{0};
        for (uint32_t t = 0; t < 8; ++t) colours.push_back(0x00204080u + t * 0x00100000u);
        const uint32_t sheet =
            data.file.AddChunk(GameData::kFrames, vqt::test::BmpFile(vqt::test::TileSheet(32, 32, 8, 1, colours)),
                               {.entry = 700, .property = vqt::test::FrameProperty(1)});
        std::vector<uint16_t> tiles(40 * 30);
        for (size_t i = 0; i < tiles.size(); ++i) tiles[i] = uint16_t(i % 8);
        for (const auto& [entry, classId] : {std::pair{kWorldEntry, kWorldClass}, std::pair{kPlainEntry, OActivity::kClassId}}) {
            const vqt::test::ActivityPlan plan{.classId = classId, .backgroundId = sheet,
                                               .properties = vqt::test::TiledActivityProps(40, 30, 32, 32, tiles)};
            data.file.AddChunk(GameData::kActivities, vqt::test::ActivityData(plan), {.entry = entry});
        }
        data.parts.AddPart(Car(64, kShadow, kCompanion), kVehicles[0]);
        data.parts.AddPart(Car(64, kZeroShadow, 99), kVehicles[1]);
        data.parts.AddPart(Car(64, kNegativeShadow, 0), kVehicles[2]);
        data.parts.AddPart(Car(32, kShadow, 0), kVehicles[3]);
        data.parts.AddPart(Car(3, kShadow, 0), kVehicles[4]);
        data.parts.AddPart(Shadow(12, 30), kShadow);
        data.parts.AddPart(Shadow(0, 30), kZeroShadow);
        data.parts.AddPart(Shadow(-5, 30), kNegativeShadow);
        data.parts.AddPart(States(64), kCompanion);
        // The zoo's beams: a state for each heading of both groups.
        for (const towns::zoo::BeamFit& beam : towns::zoo::kBeams) data.parts.AddPart(States(64), ChunkEntryOf(beam.part));
        data.parts.AddPart(BlockerPart(0), kBlockers[0]);
        data.parts.AddPart(BlockerPart(kShapedBase), kBlockers[1]);
        data.parts.AddPart(BlockerPart(999), kBlockers[2]);
        data.parts.AddPart(ShapedBase(), kShapedBase);
        for (int n = 0; n <= kMaxStates; ++n) data.parts.AddPart(States(n, 6 + n), uint16_t(kStatesParts + n));
        const vqt::test::Bytes built = data.file.Build();
        return std::string(built.begin(), built.end());
    }();
    return bytes;
}

inline void Frames(int n, uint32_t stepMs = kFrameMs) {
    for (int i = 0; i < n; ++i) {
        Clock().Advance(stepMs);
        FrameTick(0);
    }
}

/// The engine over a headless stage (640 x 480 unless given), the game object and the activity
/// manager, then the activity {1, 0, entry} shown (the world with the vehicle part); null when
/// any of it failed.
inline OActivity* StartGame(uint16_t entry, ChunkId vehiclePart, int16_t stageWidth = 640, int16_t stageHeight = 480) {
    CGameShellState::ResetForTest();
    vqt::test::FakeFiles::Install().Put(kPartFile, PartFileBytes());
    const bool started = vqt::test::StartHeadlessGame({
        .partFile = kPartFile,
        .stageWidth = stageWidth,
        .stageHeight = stageHeight,
        .registerClasses =
            [] {
                xWorld_RegisterClasses();
                xTLVFactory_Register({kWorldClass, [] { return static_cast<OActivity*>(new FuzzWorld); }, nullptr});
            },
    });
    FuzzWorld::vehiclePart = vehiclePart;
    if (!started || !vqt::test::ShowActivity(entry, [] { Frames(1); })) return nullptr;
    return GetActivityManager()->GetCurrentActivity();
}

inline FuzzWorld* StartWorld(ChunkId vehiclePart, int16_t stageWidth = 640, int16_t stageHeight = 480) {
    return dynamic_cast<FuzzWorld*>(StartGame(kWorldEntry, vehiclePart, stageWidth, stageHeight));
}

inline void StopGame() {
    vqt::test::StopHeadlessGame();
    CGameShellState::ResetForTest();
}

/// The part of the states part family with `states` states (clamped to what the file has).
inline ChunkId StatesPart(int states) {
    return MakeChunkId(2, uint16_t(kStatesParts + (states < 0 ? 0 : states > kMaxStates ? kMaxStates : states)));
}

/// Places the prop at (x, y) on the world with the part and hands it to the world.
template <class Prop>
Prop* Place(TLVWorld_Activity* world, Prop* prop, float x, float y, ChunkId part, uint32_t objectId) {
    prop->SetObjectId(objectId);
    prop->SetPartID(CTLVApp::Get()->GetPartFile(), part, 1);
    prop->SetPosition(CPointF(x, y), 0, 0);
    world->AddChild(prop);
    world->AddProp(prop);
    return prop;
}

/// Sets a property of the prop as activity data would (a payload of up to 4 bytes).
inline void SetProperty(OView* prop, uint32_t family, uint32_t id, const void* value, uint32_t size) {
    struct {
        OPropertyMsg header{};
        uint8_t payload[4] = {};
    } msg;
    msg.header = {5, family, id, size > 4 ? 4 : size};
    const auto* bytes = static_cast<const uint8_t*>(value);
    for (uint32_t i = 0; i < msg.header.size; ++i) msg.payload[i] = bytes[i];
    prop->HandleProperty(&msg.header, 1);
}

/// Reads an input a byte at a time; zeros once it is used up.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t Word() { return uint16_t(Byte() << 8 | Byte()); }
    int16_t Signed() { return int16_t(Word()); }
    bool Done() const { return at_ >= size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

} // namespace vqt::harness
