// The race in a running game, as the activity manager starts it: the stored level held to
// 1-3, the counters it sets up, the shots' hit test against the current race, and the clocks
// kept still over pauses and switches.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "game/shell/CounterPanel.h"
#include "game/shell/Player.h"
#include "game/shell/PlayerRecord.h"
#include "tests/game/minigames/race/KitRace.h"
#include "tests/game/shell/GameActivityFixture.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {
namespace {

constexpr uint16_t kRaceScreen = 11 + 400; // an entry of its own for the kit race
constexpr uint16_t kObjectPart = 3300, kVehiclePart = 3301, kIconPart = 3302;
constexpr int32_t kRaceGame = 4;

class RaceGameTest : public GameActivityFixture {
protected:
    void SetUp() override {
        GameActivityFixture::SetUp();
        KitRace::parts = KitRaceParts{.vehicle = MakeChunkId(2, kVehiclePart)};
        for (ChunkId& part : KitRace::parts.objects) part = MakeChunkId(2, kObjectPart);
        ASSERT_TRUE(KitRace::Register());
    }
    void TearDown() override {
        KitRace::parts = {};
        GameActivityFixture::TearDown();
    }
    void AddTestData(GameData& data) override {
        const std::vector<uint32_t> colours{0, 0x00203040u, 0x00304050u, 0x00405060u, 0x00506070u};
        const uint32_t background = data.file.AddChunk(GameData::kFrames, BmpFile(TileSheet(640, 480, 1, 4, colours)),
                                                       {.entry = 710, .property = FrameProperty(1)});
        for (uint16_t part : {kObjectPart, kVehiclePart, kIconPart}) data.parts.AddPart(PropPart(), part);
        ActivityPlan plan{.classId = KitRace::kClassId, .backgroundId = background,
                          .properties = PropertyBytes().Short(200, 1, 2)};
        data.file.AddChunk(GameData::kActivities, ActivityData(plan), {.entry = kRaceScreen});
    }
    KitRace* ShowRace() {
        SwitchTo(kRaceScreen);
        auto* race = dynamic_cast<KitRace*>(CurrentGameActivity());
        EXPECT_NE(race, nullptr) << traced();
        return race;
    }
    /// Loads slot 0 of a save file whose record holds `level` as the circus race's level.
    void LoadLevel(uint16_t level) {
        PlayerRecord record = CPlayer().Record();
        record.world[0][CPlayer::kLevels + kRaceGame] = level;
        const PlayerRecordBytes stored = EncodePlayerRecord(record);
        const Bytes file = SaveFileOf({{0, Bytes(stored.begin(), stored.end())}});
        const std::string path = folder / "save.vqk";
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        xProfiles_Set("USERFILE", path.c_str());
        app->GetPlayer()->Load(0);
        ASSERT_EQ(app->GetPlayer()->GetActivityLevel(0, kRaceGame), level);
    }
    /// A prop of the object part on the race at (x, y), shown or not.
    TLV_Object* Place(KitRace* race, TLV_Object* prop, float x, float y, bool shown = true) {
        prop->SetPartID(app->GetPartFile(), MakeChunkId(2, kObjectPart), 1);
        race->AddChild(prop);
        prop->SetPosition(CPointF(x, y + race->GetScrollOffset().y), 0, 1);
        prop->SetVisible(shown ? 1 : 0, 1);
        return prop;
    }
};

TEST_F(RaceGameTest, TheStoredLevelIsHeldToOneToThreeAndSetsTheRaceClock) {
    const struct {
        uint16_t stored;
        int32_t level;
        bool traced;
    } cases[] = {{0, 1, true}, {1, 1, false}, {3, 3, false}, {9, 3, true}};
    for (const auto& c : cases) {
        LoadLevel(c.stored);
        const size_t before = traced().size();
        KitRace* race = ShowRace();
        ASSERT_NE(race, nullptr);
        EXPECT_EQ(race->GetLevel(), c.level) << c.stored;
        EXPECT_EQ(race->GetRaceClock().duration, (c.level + 4) * 10000) << c.stored;
        EXPECT_EQ(traced().find("race level", before) != std::string::npos, c.traced) << c.stored;
        SwitchTo(kQuietScreen);
    }
}

TEST_F(RaceGameTest, CountersShowTheChargesUsedAndTheWorldsBadgesWhenTheirIconsAreSet) {
    const struct {
        ChunkId icons[2];
        bool shown[2];
    } cases[] = {{{MakeChunkId(2, kIconPart), MakeChunkId(2, kIconPart)}, {true, true}},
                 {{MakeChunkId(2, kIconPart), kNullChunkId}, {true, false}},
                 {{kNullChunkId, MakeChunkId(2, kIconPart)}, {false, true}},
                 {{kNullChunkId, kNullChunkId}, {false, false}}};
    for (const auto& c : cases) {
        KitRace::parts.counters[0] = c.icons[0];
        KitRace::parts.counters[1] = c.icons[1];
        KitRace* race = ShowRace();
        ASSERT_NE(race, nullptr);
        CCounterPanel* panel = app->GetCounterPanel();
        ASSERT_NE(panel, nullptr);
        for (int i = 0; i < 2; ++i) EXPECT_EQ(panel->GetIcon(i) != nullptr, c.shown[i]) << "counter " << i;
        const uint16_t badges = app->GetPlayer()->GetBadgeCount(0, 0);
        race->CountGoal();
        EXPECT_EQ(app->GetPlayer()->GetBadgeCount(0, 0), badges + 1) << "a goal is a badge of the race's world";
        SwitchTo(kQuietScreen);
        for (int i = 0; i < 2; ++i) EXPECT_EQ(panel->GetIcon(i), nullptr) << "released at the stop";
    }
}

TEST_F(RaceGameTest, TheShotsHitTestAsksTheCurrentRace) {
    KitRace* race = ShowRace();
    ASSERT_NE(race, nullptr);
    Token token;
    Place(race, &token, 320, 200);
    race->Track().Objects().AddLive(&token, KitRace::kToken);
    OActivityProp hiddenParent;
    race->AddChild(&hiddenParent);
    hiddenParent.SetVisible(0, 0);

    struct Case {
        const char* what;
        float x, y;
        bool shown;
        bool underHiddenParent;
        bool hit;
        uint16_t goals;
    };
    const Case cases[] = {
        {"past the left edge", -2, 300, true, false, true, 0},
        {"past the right edge", 637, 300, true, false, true, 0},
        {"in the open road", 320, 400, true, false, false, 0},
        {"hidden over the token", 320, 200, false, false, false, 0},
        {"under a hidden view over the token", 320, 200, true, true, false, 0},
        {"over the token", 322, 202, true, false, true, 1},
        {"over the retired token", 320, 200, true, false, false, 1},
    };
    for (const Case& c : cases) {
        TLV_Object shot;
        Place(race, &shot, c.x, c.y, c.shown);
        if (c.underHiddenParent) {
            race->RemoveChild(&shot);
            hiddenParent.AddChild(&shot);
        }
        EXPECT_EQ(CGRace::HitTestCallback(&shot), c.hit) << c.what;
        EXPECT_EQ(race->GetGoalCount(), c.goals) << c.what;
        shot.GetParent()->RemoveChild(&shot);
    }
    race->Track().Objects().Clear();
    race->RemoveChild(&token);
    race->RemoveChild(&hiddenParent);

    SwitchTo(kQuietScreen);
    TLV_Object outside;
    outside.SetPosition(CPointF(-50, 10), 0, 0);
    EXPECT_FALSE(CGRace::HitTestCallback(&outside)) << "no race is current";
}

TEST_F(RaceGameTest, PausesAndSwitchesKeepTheirClocksStill) {
    struct Case {
        const char* what;
        bool appSwitch;
        bool panelShown;
        bool clocksMove;
        bool knockTimersStill;
    };
    const Case cases[] = {
        {"pause", false, false, true, false},
        {"pause under a panel", false, true, false, false},
        {"switch out and in", true, false, true, true},
        {"switch out and in under a panel", true, true, false, true},
    };
    for (const Case& c : cases) {
        KitRace* race = ShowRace();
        ASSERT_NE(race, nullptr);
        Frames(5, kFrameMs);
        if (c.panelShown) race->CreateButtonPanel(0);
        race->Steering().LeftKnockTimer().Start(500);
        const auto elapsed = [](const CTimerRec& t) { return t.Now() - t.start; };
        const uint32_t raceBefore = elapsed(race->GetRaceClock());
        const uint32_t reloadBefore = elapsed(race->GetReloadClock());
        const uint32_t knockBefore = elapsed(race->Steering().LeftKnockTimer());
        if (c.appSwitch) race->OnAppSuspend();
        else race->Pause();
        clock().Advance(3000);
        if (c.appSwitch) race->OnAppResume();
        else race->Resume();
        EXPECT_EQ(elapsed(race->GetRaceClock()), raceBefore) << c.what;
        EXPECT_EQ(elapsed(race->GetReloadClock()), reloadBefore) << c.what;
        EXPECT_EQ(elapsed(race->Steering().LeftKnockTimer()) == knockBefore, c.knockTimersStill) << c.what;
        clock().Advance(100);
        EXPECT_EQ(elapsed(race->GetRaceClock()) > raceBefore, c.clocksMove) << c.what << ": the clocks go on";
        if (c.panelShown) race->HidePanel(0, 1);
        SwitchTo(kQuietScreen);
    }
}

} // namespace
} // namespace vqt::test
