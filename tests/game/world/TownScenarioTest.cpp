// The circus town {1, 0, 8} on the generated game data: what its map holds as the game's
// factory loads it, and the whole program driving out of the garage into it, showing the map,
// and going back through the menu's new-car button and its question.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/DeferredDelete.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "game/shell/Player.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVFactory.h"
#include "game/shell/TLVObject.h"
#include "game/world/towns/WToonActivity.h"
#include "game/world/WorldClasses.h"
#include "platform/Platform.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StageScript.h"
#include "tools/builders/StoredRecord.h"
#include "tools/synthetic/CircusTownArt.h"

namespace vqt::test {
namespace {

constexpr int kCell = 128;       // the world's search cells
constexpr int kColumns = 31;
constexpr int kRows = 23;
constexpr size_t kCellLimit = 128; // props a cell is meant to hold
constexpr int16_t kBo = 3;

/// The town as the world class receives it, noting the collectable quotas (family 201) as
/// they arrive.
class QuotaSpy : public WToon_Activity {
public:
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override {
        if (msg && set && msg->family == 201) {
            int16_t value = 0;
            quotas[msg->id] = msg->Get(0, value) && msg->size == 2 ? value : -1;
        }
        return WToon_Activity::HandleProperty(msg, set);
    }
    static inline std::map<uint32_t, int32_t> quotas;
};

OActivity* MakeSpy() { return new QuotaSpy; }

/// A prop's box as the world files it: its centre less half its size.
struct Box {
    int left, top, right, bottom;
};
Box BoxOf(const OView* view) {
    return {int(view->GetLeft()), int(view->GetTop()), int(view->GetRight()), int(view->GetBottom())};
}

bool IsRoad(int32_t tile) {
    return tile == circus::kRoadAcross || tile == circus::kRoadDown || tile == circus::kCrossing;
}

class TownScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses(); // as the program does before it starts
    }

    /// The activity {1, 0, 8} of the generated file with its props, by the game's factory.
    void LoadTown(const std::function<void(OActivity*)>& check) {
        AllowScreenWithoutTheGame();
        CPartFile file;
        ASSERT_TRUE(file.Open((work / "TLVFMH.vqk").c_str(), 1));
        {
            OActivityManager manager;
            manager.Init(&file);
            manager.AddFactory(new CTLVFactory);
            const ChunkId id = MakeChunkId(1, 8);
            ASSERT_TRUE(manager.LoadActivity(&file, &id));
            ASSERT_TRUE(manager.AttachObjects(true));
            ASSERT_NE(manager.GetPendingActivity(), nullptr);
            check(manager.GetPendingActivity());
            manager.SwapInPending();
        }
        DeleteAllDeferred();
    }
};

TEST_F(TownScenarioTest, TheMapIsTheSearchGridAndHoldsEveryPropClassWhereTheWorldCanFileIt) {
    QuotaSpy::quotas.clear();
    xTLVFactory_Register({WToon_Activity::kClassId, &MakeSpy, nullptr});
    LoadTown([](OActivity* town) {
        EXPECT_TRUE(town->IsA(WToon_Activity::kClassId) && town->IsA(201));
        ASSERT_TRUE(town->IsTiled());
        EXPECT_EQ(town->GetColumns() * town->GetTileWidth(), kColumns * kCell);
        EXPECT_EQ(town->GetRows() * town->GetTileHeight(), kRows * kCell);
        EXPECT_EQ(town->GetBackgroundSize().x, 3968.0f);
        EXPECT_EQ(town->GetBackgroundSize().y, 2944.0f);

        std::map<uint32_t, int> byClass;
        std::map<uint32_t, int> byObjectId;
        std::vector<uint32_t> places;
        int marked = 0;
        std::vector<size_t> perColumn(kColumns), perRow(kRows);
        for (int32_t i = 0; i < town->ChildCount(); ++i) {
            auto* prop = dynamic_cast<OView*>(town->ChildAt(i));
            ASSERT_NE(prop, nullptr);
            const uint32_t classId = prop->GetClassId();
            const std::string what = "class " + std::to_string(classId) + " at " + std::to_string(int(prop->GetPosition().x)) +
                                     ", " + std::to_string(int(prop->GetPosition().y));
            ++byClass[classId];
            const Box b = BoxOf(prop);
            EXPECT_GT(prop->GetWidth(), 0) << what << ": its part loaded";
            EXPECT_TRUE(b.left >= 0 && b.top >= 0 && b.right <= kColumns * kCell && b.bottom <= kRows * kCell) << what;
            if (classId == 1001) continue; // the certificate button, which the world does not file
            ++byObjectId[prop->GetObjectId()];
            if (classId == 1060) {
                places.push_back(prop->GetObjectId());
                EXPECT_TRUE(IsRoad(town->TileAt(int(prop->GetPosition().y) / kCell, int(prop->GetPosition().x) / kCell)))
                    << what << ": a place lies on a road";
            }
            if (classId == 1530) {
                marked += prop->GetObjectId() == 100;
                // A building stands between the roads: no road tile under any of its corners or
                // anywhere along its box.
                for (int row = b.top / kCell; row <= (b.bottom - 1) / kCell; ++row)
                    for (int col = b.left / kCell; col <= (b.right - 1) / kCell; ++col)
                        EXPECT_FALSE(IsRoad(town->TileAt(row, col))) << what << " covers the road at cell " << col << ", " << row;
            }
            if (classId == 1120) {
                const auto* tree = static_cast<const TLV_Object*>(prop);
                EXPECT_TRUE(tree->IsSolid()) << what << ": fades when it covers the vehicle";
                EXPECT_TRUE(tree->IsListed()) << what << ": stops the vehicle";
            }
            for (int col = std::max(0, b.left / kCell); col <= std::min(kColumns - 1, (b.right - 1) / kCell); ++col) ++perColumn[size_t(col)];
            for (int row = std::max(0, b.top / kCell); row <= std::min(kRows - 1, (b.bottom - 1) / kCell); ++row) ++perRow[size_t(row)];
        }
        struct Want {
            uint32_t classId;
            const char* name;
        };
        const Want wanted[] = {{1530, "Blocker"}, {1500, "Spawn"},       {1510, "Destructible"},     {1520, "Pushable"},
                               {1540, "Token"},   {1550, "Fire"},        {1560, "Changeable"},       {1570, "Hider"},
                               {1580, "Bag"},     {1120, "a tree"},      {1130, "TLVWorld_BldgAddOn"}, {1150, "TLVWorld_WayPoint"},
                               {1001, "the certificate button"}};
        for (const Want& w : wanted) EXPECT_GE(byClass[w.classId], 1) << w.name;
        std::sort(places.begin(), places.end());
        EXPECT_EQ(places, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5})) << "one Interaction_Point of each number";
        EXPECT_EQ(marked, 1) << "one Blocker of object id 100";
        for (size_t c = 0; c < perColumn.size(); ++c) EXPECT_LE(perColumn[c], kCellLimit) << "column " << c;
        for (size_t r = 0; r < perRow.size(); ++r) EXPECT_LE(perRow[r], kCellLimit) << "row " << r;

        // The quotas of object ids 1-10 arrive as 16-bit values, none above what the map holds.
        ASSERT_EQ(QuotaSpy::quotas.size(), 10u);
        for (uint32_t k = 1; k <= 10; ++k) {
            ASSERT_EQ(QuotaSpy::quotas.count(k), 1u) << k;
            EXPECT_GE(QuotaSpy::quotas[k], 0) << k;
            EXPECT_LE(QuotaSpy::quotas[k], byObjectId[k]) << k;
        }
        EXPECT_GT(QuotaSpy::quotas[1], 0) << "the fire task has fires";
    });
}

void PressEsc() {
    Script(KeyPress(27));
}

TEST_F(TownScenarioTest, EveryFireOfTheTaskAndTheMissionsStandsOnARoadDownWithOpenRoadBelowIt) {
    // The spray puts a fire out only as its drops fly up across its foot: a vehicle must be able
    // to come up the road at each, from well below.
    constexpr int kRunUp = 600;
    LoadTown([](OActivity* town) {
        std::vector<const OView*> fires, solids;
        std::map<uint32_t, int> firesById;
        for (int32_t i = 0; i < town->ChildCount(); ++i) {
            auto* prop = dynamic_cast<OView*>(town->ChildAt(i));
            ASSERT_NE(prop, nullptr);
            const uint32_t classId = prop->GetClassId(), id = prop->GetObjectId();
            if (classId == 1550 && (id == WToon_Activity::kFireId || (id >= 3 && id <= 5))) {
                fires.push_back(prop);
                ++firesById[id];
            }
            // What stops the vehicle: buildings, trees, lamps, cones, crates.
            if (classId == 1530 || classId == 1120 || classId == 1560 || classId == 1520 || classId == 1510) solids.push_back(prop);
        }
        EXPECT_EQ(firesById[WToon_Activity::kFireId], 14) << "with the six fire characters, a new player's twenty";
        for (uint32_t mission = 3; mission <= 5; ++mission) EXPECT_EQ(firesById[mission], 10) << "a new player's third quota, mission " << mission;
        for (const OView* fire : fires) {
            const int x = int(fire->GetPosition().x), y = int(fire->GetPosition().y);
            const std::string what = "fire " + std::to_string(fire->GetObjectId()) + " at " + std::to_string(x) + ", " + std::to_string(y);
            const int32_t tile = town->TileAt(y / kCell, x / kCell);
            EXPECT_TRUE(tile == circus::kRoadDown || tile == circus::kCrossing) << what << " stands on a road down";
            EXPECT_EQ(x % kCell, kCell / 2) << what << " stands in the road's middle";
            EXPECT_LE(y + kRunUp, kRows * kCell) << what;
            const Box below{x - kCell / 2, y, x + kCell / 2, y + kRunUp};
            for (const OView* solid : solids) {
                const Box b = BoxOf(solid);
                EXPECT_FALSE(b.left < below.right && below.left < b.right && b.top < below.bottom && below.top < b.bottom)
                    << what << ": class " << solid->GetClassId() << " at " << int(solid->GetPosition().x) << ", "
                    << int(solid->GetPosition().y) << " stands on the road below it";
            }
        }
    });
}

TEST_F(TownScenarioTest, OutOfTheGarageTheTownShowsItsMapAndEscButton2AndYesLeadBackToTheGarage) {
    // Bo has driven in the circus town before, so no drive tutorial opens over the map.
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    records[kBo] = StoredRecord("Bo").Counter(13, 1).bytes();
    PutSave(records);
    Ini("STARTACTIVITY=5\n");

    constexpr uint32_t kFrameMs = 16;
    std::string log;
    uint32_t now = 0, arrived = 0;
    ChunkId shown = kNullChunkId;
    RgbImage map;
    auto settledOn = [&](uint16_t entry) {
        OActivityManager* manager = GetActivityManager();
        return manager && shown == MakeChunkId(1, entry) && !manager->IsSwitchPending() && !manager->IsOverlayActive() &&
               now >= arrived + 800;
    };
    auto panelShown = [](int16_t panel) { return CurrentGameActivity() && CurrentGameActivity()->IsPanelShown(panel); };
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    const std::vector<Step> steps = {
        {[&] { return settledOn(5); }, [] { Click(buttons::kGarageGo); }}, // go
        {[&] { return settledOn(8); },
         [&] {
             map = StagePicture();
             PressEsc();
         }},
        {[&] { return panelShown(CTLVActivity::kPanelMenu); },
         [&] {
             log += "menu\n";
             Click(buttons::kMenuNewCar); // button 2, a new car
         }},
        {[&] { return panelShown(CTLVActivity::kPanelNewCar); },
         [&] {
             log += "new-car question\n";
             Click(buttons::kQuestionYes); // yes
         }},
        {[&] { return settledOn(5); }, [&] { log += "back in the garage\n"; }},
    };
    size_t next = 0;
    Scenario s = Game(kFrameMs);
    s.frames = 20000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            CTLVApp::Get()->GetPlayer()->Load(kBo);
            CTLVApp::Get()->SetSaveSlot(kBo);
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
    const auto before = SlotChunks("TLVSave.vqk");
    const ScenarioRun run = RunScenario(s);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    EXPECT_EQ(next, steps.size());
    const auto after = SlotChunks("TLVSave.vqk");
    for (size_t slot = 0; slot < 8; ++slot) {
        if (slot != size_t(kBo)) {
            EXPECT_TRUE(after[slot] == before[slot]) << "only Bo's slot is written; slot " << slot;
        }
    }
    EXPECT_EQ(log, "{1, 0, 5}\n{1, 0, 8}\nmenu\nnew-car question\n{1, 0, 5}\nback in the garage\n");
    ExpectMatchesGoldenImage("game/world/circus_town.png", map);
}

} // namespace
} // namespace vqt::test
