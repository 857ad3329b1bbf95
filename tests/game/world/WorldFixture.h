#pragma once
// The game activity fixture with driving worlds: a spy world that logs its hooks in order (made as
// class 500, and as a round-up of class 450), maps of tiles, a vehicle of the test's own,
// and builders of props of every class the world sorts.
#include <string>
#include <vector>

#include "game/shell/StillProps.h"
#include "game/shell/TLVComplexObject.h"
#include "game/world/TLVWorldActivity.h"
#include "game/world/WorldClasses.h"
#include "tests/game/shell/GameActivityFixture.h"
#include "tests/support/Golden.h"

namespace vqt::test {

/// A world of 40 x 30 tiles of 32 pixels (1280 x 960) without props.
constexpr uint16_t kEmptyWorld = 71;
/// The same map as a round-up (class 450: IsA 206 and 201).
constexpr uint16_t kRoundUpWorld = 72;
constexpr int16_t kMapWidth = 1280, kMapHeight = 960;
/// The part of 4 states of 10 x 10 pixels, hot spot in the middle.
constexpr uint16_t kPropPart = 3300;
/// A vehicle's part (index 2, "part").
constexpr uint16_t kVehiclePart = 3301;

/// The moving prop a test world drives instead of the vehicle module's.
class TestVehicle : public TLVComplex_Object {
public:
    TestVehicle() : TLVComplex_Object("TestVehicle", 2010) {}
    bool IsA(uint32_t classId) const override {
        return classId == 2010 || classId == 2000 || TLVComplex_Object::IsA(classId);
    }
};

/// A prop that counts its deletions (to catch a second one under the sanitizers).
template <class Base>
class Counted : public Base {
public:
    explicit Counted(int* deletions) : deletions_(deletions) {}
    ~Counted() override { ++*deletions_; }

private:
    int* deletions_;
};

/// What the next spy world is made with (the activity manager makes it).
struct SpySetup {
    bool hasIntro = false;
    bool introDone = false;
    bool giveVehicle = false;
};

/// A world that logs its hooks (into one log that outlives it), can be given a vehicle and an
/// intro. Activity data makes it as class 500.
class SpyWorld : public TLVWorld_Activity {
public:
    SpyWorld(const char* name = "TLVWorld_Activity", uint32_t classId = kClassId)
        : TLVWorld_Activity(name, classId), hasIntro(setup.hasIntro), introDone(setup.introDone),
          giveVehicle(setup.giveVehicle) {}

    static inline SpySetup setup;
    static inline std::vector<std::string> log;

    void SetCollectableQuotas() override { log.push_back("SetCollectableQuotas"); }
    void ApplyCollectableQuotas() override {
        log.push_back("ApplyCollectableQuotas");
        TLVWorld_Activity::ApplyCollectableQuotas();
    }
    void OnWorldStart() override { log.push_back("OnWorldStart"); }
    bool HasIntro() override { return hasIntro; }
    bool IsIntroDone() override { return introDone; }
    void OnIntro() override { log.push_back("OnIntro"); }
    void CreateInfoView() override { log.push_back("CreateInfoView"); }
    void CreateButtonPanel(int16_t panel) override {
        log.push_back("CreateButtonPanel " + std::to_string(panel));
        TLVWorld_Activity::CreateButtonPanel(panel);
    }
    int32_t FlushSoundQueues() override {
        log.push_back("OnStop");
        return TLVWorld_Activity::FlushSoundQueues();
    }
    void SaveFollowers() override {
        log.push_back("SaveFollowers");
        TLVWorld_Activity::SaveFollowers();
    }
    void RestoreFollowers() override {
        log.push_back("RestoreFollowers");
        TLVWorld_Activity::RestoreFollowers();
    }
    void OnFollowerAttached(TLV_Object* prop) override { attached.push_back(prop); }
    void OnWorldMouseMove(const xEvent& event) override { mouse.push_back({"move", event.cursor}); }
    void OnWorldClick(const xEvent& event) override { mouse.push_back({"click", event.cursor}); }
    int32_t OnVehicleTouch(TLV_Object* prop) override {
        touched.push_back(prop);
        return touchAnswer;
    }
    void OnMapEdge(int16_t sideX, int16_t sideY) override { edges.push_back(CPoint16(sideX, sideY)); }
    void OnVehicleHalted() override { log.push_back("OnVehicleHalted"); }
    void OnVehicleAtFullSpeed() override { log.push_back("OnVehicleAtFullSpeed"); }
    void OnVehicleAccelerating() override { log.push_back("OnVehicleAccelerating"); }
    void OnVehicleDecelerating() override { log.push_back("OnVehicleDecelerating"); }

    bool hasIntro;
    bool introDone;
    bool giveVehicle;
    std::vector<TLV_Object*> attached;
    struct MouseCall {
        std::string kind;
        CPoint16 cursor;
    };
    std::vector<MouseCall> mouse;
    std::vector<TLV_Object*> touched;
    int32_t touchAnswer = 0;
    std::vector<CPoint16> edges;

protected:
    TLVComplex_Object* MakeVehicle() override { return giveVehicle ? new TestVehicle : nullptr; }
};

/// The same as a round-up.
class SpyRoundUp : public SpyWorld {
public:
    SpyRoundUp() : SpyWorld("GUToon_Activity", 450) {}
    bool IsA(uint32_t classId) const override { return classId == 450 || classId == 206 || SpyWorld::IsA(classId); }
};

/// A prop of the map (tiles) part, 10 x 10.
inline PartPlan PropPart() {
    PartPlan part;
    for (int s = 0; s < 4; ++s) {
        const FramePlan frame{.picture = Picture(10, 10, uint8_t(s + 1)), .hotX = 5, .hotY = 5};
        part.states.push_back(StatePlan{.frames = {frame}});
    }
    return part;
}

/// The tiled map's properties: 40 x 30 tiles of 32 x 32.
inline PropertyBytes MapProperties() {
    std::vector<uint16_t> tiles(40 * 30);
    for (size_t i = 0; i < tiles.size(); ++i) tiles[i] = uint16_t(i % 8);
    return TiledActivityProps(40, 30, 32, 32, tiles);
}

class WorldFixture : public GameActivityFixture {
protected:
    void SetUp() override {
        GameActivityFixture::SetUp();
        SpyWorld::setup = {};
        SpyWorld::log.clear();
        xWorld_RegisterClasses();
        // Activity data never names the bare world (201): the spy stands in for the circus town.
        ASSERT_TRUE(xTLVFactory_Register({500, [] { return static_cast<OActivity*>(new SpyWorld); }, nullptr}));
        ASSERT_TRUE(xTLVFactory_Register({450, [] { return static_cast<OActivity*>(new SpyRoundUp); }, nullptr}));
    }
    void AddTestData(GameData& data) override {
        std::vector<uint32_t> colours{0};
        for (uint32_t t = 0; t < 8; ++t) colours.push_back(0x00204080u + t * 0x00100000u);
        sheet_ = data.file.AddChunk(GameData::kFrames, BmpFile(TileSheet(32, 32, 8, 1, colours)),
                                    {.entry = 700, .property = FrameProperty(1)});
        data.parts.AddPart(PropPart(), kPropPart);
        data.parts.AddPart(PropPart(), kVehiclePart);
        AddWorld(data, kEmptyWorld, 500, {});
        AddWorld(data, kRoundUpWorld, 450, {});
        AddWorldData(data);
    }
    /// More worlds of a test of its own.
    virtual void AddWorldData(GameData& /*data*/) {}
    /// Activity {1, 0, entry} of the class over the tiled map (properties: the map's, with the
    /// test's own after them).
    void AddWorld(GameData& data, uint16_t entry, uint32_t classId, std::vector<ObjectPlan> objects,
                  const PropertyBytes& properties = MapProperties()) {
        ActivityPlan plan{.classId = classId, .backgroundId = sheet_, .properties = properties,
                          .objects = std::move(objects)};
        data.file.AddChunk(GameData::kActivities, ActivityData(plan), {.entry = entry});
    }
    /// The world shown at {1, 0, entry}.
    SpyWorld* ShowWorld(uint16_t entry) {
        SwitchTo(entry);
        auto* world = dynamic_cast<SpyWorld*>(CurrentGameActivity());
        EXPECT_NE(world, nullptr) << traced();
        return world;
    }
    /// A prop placed on the world at (x, y) and handed to AddProp, as code that makes props does.
    template <class Prop>
    Prop* Add(TLVWorld_Activity* world, Prop* prop, float x, float y, uint32_t objectId = 0) {
        prop->SetObjectId(objectId);
        prop->SetPartID(app->GetPartFile(), MakeChunkId(2, kPropPart), 1);
        prop->SetPosition(CPointF(x, y), 0, 0);
        world->AddChild(prop);
        world->AddProp(prop);
        return prop;
    }

    uint32_t sheet_ = 0;
};

} // namespace vqt::test
