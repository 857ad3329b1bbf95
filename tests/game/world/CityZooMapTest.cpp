// The city {1, 0, 17} and the zoo {1, 0, 14} on the generated game data, as the game's factory
// loads them: the towns' road plan, the places, every role's props in the default quotas'
// numbers, and every chunk the towns' tables name.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/Activity.h"
#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/DeferredDelete.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/Part.h"
#include "game/shell/Destructible.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVFactory.h"
#include "game/shell/VehicleSelectActivity.h"
#include "game/shell/NavigationProp.h"
#include "game/shell/TLVObject.h"
#include "game/world/WorldClasses.h"
#include "game/world/towns/CityTables.h"
#include "game/world/towns/ZooTables.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StageScript.h"
#include "tools/builders/StoredRecord.h"
#include "tools/synthetic/CircusTownArt.h"
#include "tools/synthetic/TownMap.h"

namespace vqt::test {
namespace {

constexpr int kCell = 128;

/// What a town must hold: a count of props for each (class, object id), its places and every
/// chunk its tables name.
struct TownWants {
    const char* name;
    ChunkId activity;
    uint32_t classId;
    std::map<std::pair<uint32_t, uint32_t>, int> props;
    std::vector<uint32_t> places;
    std::vector<ChunkId> chunks;
};

int16_t Maximum(const towns::QuotaDefault (&defaults)[3], int16_t quota) {
    for (const towns::QuotaDefault& q : defaults)
        if (q.quota == quota) return q.maximum;
    return -1;
}

/// The chunks both towns' tables name through the shared rows.
template <size_t V, size_t L, size_t A, size_t C, size_t M>
std::vector<ChunkId> NamedChunks(const TownVehicle (&vehicles)[V], const TownLine (&lines)[L],
                                 const TownChallenge (&areas)[A], const towns::CounterShown (&task)[C],
                                 const towns::CounterShown (&mission)[M]) {
    std::vector<ChunkId> chunks;
    for (const auto& v : vehicles) chunks.insert(chunks.end(), {v.part, v.light, v.haltSound, v.engineLoop});
    for (const auto& l : lines) chunks.push_back(MakeChunkId(7, l.voice));
    for (const auto& a : areas) chunks.insert(chunks.end(), {a.picture, a.text});
    for (const auto& c : task) chunks.push_back(c.icon);
    for (const auto& c : mission) chunks.push_back(c.icon);
    return chunks;
}

TownWants CityWants() {
    using namespace towns::city;
    TownWants w{"city", kTownActivity, kClassId, {}, {0, 1, 2, 3, 4},
                NamedChunks(kVehicles, kCityLines, kCityAreas, kTaskCounters, kMissionCounters)};
    w.props[{town::kAvoider, kCriminals}] = Maximum(kQuotaDefaults, 2);
    w.props[{town::kBag, kLoot}] = Maximum(kQuotaDefaults, 1);
    for (uint32_t m = 0; m < 3; ++m) {
        w.props[{town::kDestructible, kFirstMissionProps + m}] = kMissionQuota;
        w.props[{town::kCaptive, kFirstCaptive + m}] = 1;
        w.props[{town::kPen, kFirstCaptive + m}] = 1;
    }
    for (const CanisterBurst& b : kCanisterBursts) w.chunks.push_back(b.part);
    w.chunks.insert(w.chunks.end(), {kSirenSound, kMusic, kArrivalSound, kTaskDoneSound, kMissionMovie, kEndActivity});
    return w;
}

TownWants ZooWants() {
    using namespace towns::zoo;
    TownWants w{"zoo", kTownActivity, kClassId, {}, {0, 1, 2, 3, 4, 5},
                NamedChunks(kVehicles, kZooLines, kZooAreas, kTaskCounters, kMissionCounters)};
    w.props[{town::kAvoider, kMonkeys}] = Maximum(kQuotaDefaults, 1);
    w.props[{town::kFollower, kPenguins}] = Maximum(kQuotaDefaults, 2);
    for (uint32_t m = 0; m < 3; ++m) {
        w.props[{town::kGuard, kFirstGuards + m}] = Maximum(kQuotaDefaults, 3);
        w.props[{town::kCaptive, kFirstKeeper + m}] = 1;
        w.props[{town::kPen, kFirstKeeper + m}] = 1;
    }
    for (const BeamFit& b : kBeams) w.chunks.insert(w.chunks.end(), {b.part, b.sound});
    w.chunks.insert(w.chunks.end(), {kSirenSound, kMusic, kTaskDoneSound, kPenguinAttachedSound, kMissionMovie, kEndActivity});
    return w;
}

bool IsRoad(int32_t tile) { return tile == circus::kRoadAcross || tile == circus::kRoadDown || tile == circus::kCrossing; }

class CityZooMapTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
    }

public:
    void Save(const std::map<int, Bytes>& records) {
        PutSave(records);
        Ini("STARTACTIVITY=5\n");
    }
    Scenario GameAt(uint32_t frameMs) { return Game(frameMs); }

protected:
    void LoadTown(ChunkId id, const std::function<void(OActivity*)>& check) {
        AllowScreenWithoutTheGame();
        CPartFile file;
        ASSERT_TRUE(file.Open((work / "TLVFMH.vqk").c_str(), 1));
        {
            OActivityManager manager;
            manager.Init(&file);
            manager.AddFactory(new CTLVFactory);
            ASSERT_TRUE(manager.LoadActivity(&file, &id));
            ASSERT_TRUE(manager.AttachObjects(true));
            ASSERT_NE(manager.GetPendingActivity(), nullptr);
            check(manager.GetPendingActivity());
            manager.SwapInPending();
        }
        DeleteAllDeferred();
    }
};

TEST_F(CityZooMapTest, EachTownHoldsItsRolesInTheDefaultQuotasNumbersAndItsPlacesOnTheRoads) {
    for (const TownWants& want : {CityWants(), ZooWants()}) {
        SCOPED_TRACE(want.name);
        LoadTown(want.activity, [&](OActivity* town) {
            EXPECT_TRUE(town->IsA(want.classId));
            ASSERT_TRUE(town->IsTiled());
            EXPECT_EQ(town->GetColumns() * town->GetTileWidth(), town::kColumns * kCell);
            EXPECT_EQ(town->GetRows() * town->GetTileHeight(), town::kRows * kCell);
            std::map<std::pair<uint32_t, uint32_t>, int> props;
            std::vector<uint32_t> places;
            int buttons = 0;
            for (int32_t i = 0; i < town->ChildCount(); ++i) {
                auto* prop = dynamic_cast<OView*>(town->ChildAt(i));
                ASSERT_NE(prop, nullptr);
                const uint32_t classId = prop->GetClassId();
                const int x = int(prop->GetPosition().x), y = int(prop->GetPosition().y);
                const std::string what = "class " + std::to_string(classId) + " at " + std::to_string(x) + ", " + std::to_string(y);
                EXPECT_GT(prop->GetWidth(), 0) << what << ": its part loaded";
                EXPECT_TRUE(x >= 0 && y >= 0 && x < town::kColumns * kCell && y < town::kRows * kCell) << what;
                if (classId == 1001) {
                    ++buttons;
                    continue;
                }
                const uint32_t objectId = prop->GetObjectId();
                if (want.props.count({classId, objectId})) ++props[{classId, objectId}];
                if (classId == town::kPlace) {
                    places.push_back(objectId);
                    EXPECT_TRUE(IsRoad(town->TileAt(y / kCell, x / kCell))) << what << ": a place lies on a road";
                }
                if (classId == town::kBlocker) {
                    for (int row = int(prop->GetTop()) / kCell; row <= (int(prop->GetBottom()) - 1) / kCell; ++row)
                        for (int col = int(prop->GetLeft()) / kCell; col <= (int(prop->GetRight()) - 1) / kCell; ++col)
                            EXPECT_FALSE(IsRoad(town->TileAt(row, col))) << what << " covers the road at " << col << ", " << row;
                }
            }
            EXPECT_EQ(props, want.props);
            std::sort(places.begin(), places.end());
            EXPECT_EQ(places, want.places) << "one Interaction_Point of each number";
            EXPECT_EQ(buttons, 1) << "the certificate button";
        });
    }
}

TEST_F(CityZooMapTest, EachCityMissionDestructibleKeepsItsStateInTheRecordWordOfItsIndex) {
    LoadTown(towns::city::kTownActivity, [&](OActivity* town) {
        std::map<uint32_t, std::vector<uint16_t>> words; // by mission set
        for (int32_t i = 0; i < town->ChildCount(); ++i)
            if (auto* crate = dynamic_cast<Destructible*>(town->ChildAt(i))) words[crate->GetObjectId()].push_back(crate->GetRecordWord());
        std::vector<uint16_t> indices(static_cast<size_t>(towns::city::kMissionQuota));
        for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint16_t(towns::city::kFirstStateWord + int(i));
        ASSERT_EQ(words.size(), 3u) << "three mission sets";
        for (auto& [set, got] : words) {
            std::sort(got.begin(), got.end());
            EXPECT_EQ(got, indices) << "set " << set;
        }
    });
}

TEST_F(CityZooMapTest, EveryChunkTheTownsTablesNameIsInThePartFile) {
    CPartFile file;
    ASSERT_TRUE(file.Open((work / "TLVFMH.vqk").c_str(), 1));
    for (const TownWants& want : {CityWants(), ZooWants()}) {
        SCOPED_TRACE(want.name);
        std::set<ChunkId> missing;
        for (const ChunkId id : want.chunks)
            if (!file.ChunkExists(id)) missing.insert(id);
        EXPECT_TRUE(missing.empty()) << missing.size() << " missing, the first {" << int(ChunkIndexOf(*missing.begin())) << ", 0, "
                                     << ChunkEntryOf(*missing.begin()) << "}";
    }
}

TEST_F(CityZooMapTest, ACanisterFliesInAStateOfItsOwnBeforeItsLandingState) {
    // A thrown canister flies in state 1; the last state lands it and hides it once played.
    CPartFile file;
    ASSERT_TRUE(file.Open((work / "TLVFMH.vqk").c_str(), 1));
    for (const towns::city::CanisterBurst& burst : towns::city::kCanisterBursts) {
        CPart part;
        ASSERT_EQ(part.SetPartID(&file, burst.part, 1, 0), 1) << burst.vehicle;
        EXPECT_GE(part.GetStateCount(), 3) << "vehicle " << burst.vehicle;
    }
}

/// A town entered from the garage with one of its vehicles.
struct GarageRun {
    const char* name;
    uint16_t value;
    uint16_t town;
    uint16_t certificate;
};

/// Signs in as Bo (who has driven in every town before: no drive tutorial opens over the map),
/// chooses the vehicle, goes, and clicks the town's certificate button; the program runs once
/// per test.
void DriveToCertificate(CityZooMapTest& test, const GarageRun& c) {
    SCOPED_TRACE(c.name);
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    records[3] = StoredRecord("Bo").Counter(13, 1).Counter(14, 1).Counter(15, 1).bytes();
    test.Save(records);
    constexpr uint32_t kFrameMs = 16;
    std::string log;
    uint32_t now = 0, arrived = 0;
    ChunkId shown = kNullChunkId;
    auto settledOn = [&](uint16_t entry) {
        OActivityManager* manager = GetActivityManager();
        return manager && shown == MakeChunkId(1, entry) && !manager->IsSwitchPending() && !manager->IsOverlayActive() &&
               now >= arrived + 800;
    };
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    const std::vector<Step> steps = {
        {[&] { return settledOn(5); }, [&] { Click(buttons::GarageVehicle(c.value)); }},
        {[&] {
             auto* garage = dynamic_cast<VehicleSelect_Activity*>(CurrentGameActivity());
             return garage && garage->GetSelectedValue() == c.value && garage->GetGoButton()->IsVisible();
         },
         [] { Click(buttons::kGarageGo); }},                                           // go
        {[&] { return settledOn(c.town); }, [] { Click(buttons::kTownCertificate); }},       // the certificate button
        {[&] { return settledOn(c.certificate); }, [&] { log += "certificate\n"; }},
    };
    size_t next = 0;
    Scenario s = test.GameAt(kFrameMs);
    s.frames = 20000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            CTLVApp::Get()->GetPlayer()->Load(3);
            CTLVApp::Get()->SetSaveSlot(3);
        }
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            log += "{1, 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
            shown = id;
            arrived = now;
        }
        if (next < steps.size() && steps[next].ready()) steps[next++].act();
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    EXPECT_EQ(next, steps.size());
    EXPECT_EQ(log, "{1, 0, 5}\n{1, 0, " + std::to_string(c.town) + "}\n{1, 0, " + std::to_string(c.certificate) +
                       "}\ncertificate\n");
}

TEST_F(CityZooMapTest, FromTheGarageTheCitysMapIsDrivenIntoAndItsButtonLeadsToItsCertificate) {
    DriveToCertificate(*this, {"city", 4, ChunkEntryOf(towns::city::kTownActivity), ChunkEntryOf(towns::city::kEndActivity)});
}

TEST_F(CityZooMapTest, FromTheGarageTheZoosMapIsDrivenIntoAndItsButtonLeadsToItsCertificate) {
    DriveToCertificate(*this, {"zoo", 2, ChunkEntryOf(towns::zoo::kTownActivity), ChunkEntryOf(towns::zoo::kEndActivity)});
}

} // namespace
} // namespace vqt::test
