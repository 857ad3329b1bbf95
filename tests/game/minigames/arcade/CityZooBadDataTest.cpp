// The city and zoo arcades on damaged data: scenery in groups outside 0-5, hide chances outside
// 0-100, negative speeds, a street without blockers, vines sharing an object id, and a part
// file without the games' own art or voices. Each plays on for thirty seconds of steering and
// firing, says what it left out, and the player record changes only as play allows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "engine/core/PropertyMsg.h"
#include "engine/core/RunLoop.h"
#include "game/minigames/arcade/GAMetropolisActivity.h"
#include "game/minigames/arcade/GAZooActivity.h"
#include "game/minigames/arcade/ZooArcadeLeaf.h"
#include "game/minigames/arcade/ZooArcadeMonkey.h"
#include "game/minigames/arcade/ZooArcadeVine.h"
#include "tests/game/minigames/arcade/ArcadeFixture.h"

namespace vqt::test {
namespace {

constexpr int kArcade = 3;

/// The zoo with its drops within reach of the test.
class BadZoo : public GAZoo_Activity {
public:
    using GAZoo_Activity::Drop;
};

class CityZooBadDataTest : public ArcadeFixture {
protected:
    void SetUp() override {
        bareParts_ = true;
        ArcadeFixture::SetUp();
    }
    void TearDown() override {
        input().SetKeyDown(int32_t(Arcade_Activity::kKeyLeft), false);
        input().SetKeyDown(int32_t(Arcade_Activity::kKeyRight), false);
        city_.reset();
        zoo_.reset();
        ArcadeFixture::TearDown();
    }
    CPlayer& Player() { return *CTLVApp::Get()->GetPlayer(); }
    /// The level word as a damaged save file hands it over.
    void StoreLevel(int world, uint16_t level) {
        const_cast<PlayerRecord&>(Player().Record()).world[world][CPlayer::kLevels + kArcade] = level;
    }
    /// A scenery item of the class with its group and hide chance read as the data gives them.
    template <class Item>
    Item* Scenery(Arcade_Activity& game, int16_t group, int16_t chance, float x, uint32_t objectId = 0) {
        auto* item = new Item;
        EXPECT_EQ(item->SetPartID(CTLVApp::Get()->GetPartFile(), MakeChunkId(2, kItemPart), 1), 1);
        item->SetObjectId(objectId);
        for (const auto& [id, value] : {std::pair{Arcade_BG_Item::kPropGroup, group}, std::pair{Arcade_BG_Item::kPropHideChance, chance}}) {
            alignas(OPropertyMsg) uint8_t bytes[OPropertyMsg::kHeaderSize + 4] = {};
            auto* msg = reinterpret_cast<OPropertyMsg*>(bytes);
            msg->family = Arcade_BG_Item::kClassId;
            msg->id = id;
            msg->size = 2;
            EXPECT_TRUE(msg->Put(0, value));
            item->HandleProperty(msg, 1);
        }
        item->SetPosition(CPointF(x, 60.0f), 0, 1);
        if (game.AcceptObject(item)) game.AddChild(item);
        return item;
    }
    /// Thirty seconds of 20 ms frames: the arrows swapped every two seconds, a click every 300 ms.
    void PlayThirtySeconds(Arcade_Activity& game, const std::function<void(int)>& everyFrame = {}) {
        for (int f = 0; f < 1500; ++f) {
            if (f % 100 == 0) {
                input().SetKeyDown(int32_t(Arcade_Activity::kKeyLeft), (f / 100) % 2 == 0);
                input().SetKeyDown(int32_t(Arcade_Activity::kKeyRight), (f / 100) % 2 == 1);
            }
            if (f % 15 == 0) game.OnButtonDown();
            clock().Advance(20);
            IdleWalk(&game);
            if (everyFrame) everyFrame(f);
        }
    }
    void ExpectTraced(const std::string& text) { EXPECT_NE(traced().find(text), std::string::npos) << text; }

    std::unique_ptr<GAMetropolis_Activity> city_;
    std::unique_ptr<BadZoo> zoo_;
};

TEST_F(CityZooBadDataTest, AStreetWithoutBlockersOrArtAndWithBadSceneryPlaysOnAndSaysWhatItLeftOut) {
    std::srand(4);
    StoreLevel(2, 0);
    Player().SetSelectedVehicle(5);
    const uint16_t hero = Player().GetHeroPoints(2);
    city_ = std::make_unique<GAMetropolis_Activity>();
    city_->SetScrollLimits(CPointF(0.0f, 0.0f), CPointF(2000.0f - 640.0f, 0.0f));
    for (int32_t g = 0; g < 6; ++g) city_->SetStartSpeed(g, -80);
    Scenery<Arcade_BG_Item>(*city_, 9, 0, 300.0f);
    Scenery<Arcade_BG_Item>(*city_, -1, 0, 400.0f);
    Scenery<Arcade_BG_Item>(*city_, 1, 150, 500.0f);
    Scenery<Arcade_BG_Item>(*city_, 2, -5, 600.0f);
    city_->OnActivated();
    city_->HidePanel(Arcade_Activity::kStartPanel, 1);
    city_->SetVisible(1, 0);
    EXPECT_EQ(city_->GetGoal(), 20) << "level 0 is played as level 1";
    EXPECT_EQ(city_->Blockers().Count(), 0);
    int most = 0;
    PlayThirtySeconds(*city_, [&](int) { most = std::max(most, int(city_->Crooks().Count())); });
    EXPECT_GT(most, 0) << "crooks came without their art";
    EXPECT_GT(city_->Canisters().Count(), 0) << "canisters flew without their art";
    EXPECT_LE(most, int(city_->GetCrooksLeft()) + int(city_->GetStopped()));
    ExpectTraced("level 0 of the record taken as 1");
    ExpectTraced("group 9, outside 0-5");
    ExpectTraced("group -1, outside 0-5");
    ExpectTraced("hide chance 150, outside 0-100");
    ExpectTraced("hide chance -5, outside 0-100");
    ExpectTraced("Missing art {2, 0, 676}");
    ExpectTraced("Missing art {2, 0, 74");
    // Thirty seconds cannot win: the record keeps its count, its level word and hero points.
    EXPECT_EQ(Player().GetActivityCount(2, kArcade), 0);
    EXPECT_EQ(Player().GetActivityLevel(2, kArcade), 0);
    EXPECT_EQ(Player().GetHeroPoints(2), hero);
    EXPECT_FALSE(city_->IsPanelShown(Arcade_Game::kResultsPanel));
}

TEST_F(CityZooBadDataTest, AJungleWithSharedVineIdsAndNoArtPlaysOnAndLandedItemsNeverCount) {
    std::srand(6);
    StoreLevel(1, 7);
    Player().SetSelectedVehicle(3);
    const uint16_t badges = Player().GetBadgeCount(1, kArcade);
    zoo_ = std::make_unique<BadZoo>();
    zoo_->SetScrollLimits(CPointF(0.0f, 0.0f), CPointF(0.0f, 0.0f));
    for (int32_t g = 0; g < 6; ++g) zoo_->SetStartSpeed(g, -200);
    for (int v = 0; v < 8; ++v) Scenery<Zoo_Arcade_Vine>(*zoo_, 2, 0, 100.0f + 70.0f * float(v), uint32_t(v / 2 + 1));
    Scenery<Zoo_Arcade_Leaf>(*zoo_, 3, 250, 200.0f);
    Scenery<Zoo_Arcade_Leaf>(*zoo_, 7, 10, 260.0f);
    zoo_->OnActivated();
    zoo_->HidePanel(Arcade_Activity::kStartPanel, 1);
    zoo_->SetVisible(1, 0);
    EXPECT_EQ(zoo_->GetGoal(), 20) << "level 7 is played as level 3";
    EXPECT_EQ(zoo_->GetStartSpeed(2), -200 + 120) << "the raise applies to a negative speed too";
    EXPECT_EQ(zoo_->Vines().Count(), 8);
    ASSERT_GT(zoo_->ActiveMonkeys().Count(), 0);
    EXPECT_LE(zoo_->ActiveMonkeys().Count(), 7);
    for (int32_t i = 0; i < zoo_->ActiveMonkeys().Count(); ++i) {
        const Zoo_Arcade_Monkey* monkey = zoo_->ActiveMonkeys().GetAt(i);
        const Zoo_Arcade_Vine* vine = monkey->FindVine(monkey->GetVineId());
        ASSERT_NE(vine, nullptr);
        EXPECT_EQ(vine, zoo_->Vines().GetAt(2 * (monkey->GetVineId() - 1))) << "the first vine of an id holds it";
    }
    int thrown = 0;
    PlayThirtySeconds(*zoo_, [&](int f) {
        // Drops without art, thrown now and then; they fall off the stage.
        if (f % 200 == 0 && zoo_->ActiveMonkeys().Count() > 0) {
            zoo_->Drop(zoo_->ActiveMonkeys().GetAt(0));
            ++thrown;
        }
    });
    EXPECT_GT(thrown, 0);
    EXPECT_EQ(zoo_->GetItemsLeft(), 20) << "nothing was caught";
    EXPECT_EQ(zoo_->GetCaught(), 0);
    EXPECT_EQ(zoo_->LiveItems().Count(), 0) << "every drop landed";
    ExpectTraced("level 7 of the record taken as 3");
    ExpectTraced("two vines have the object id 1");
    ExpectTraced("group 7, outside 0-5");
    ExpectTraced("hide chance 250, outside 0-100");
    ExpectTraced("no spotlight art");
    ExpectTraced("Missing art {2, 0, 602}");
    ExpectTraced("Missing art {2, 0, 502}");
    EXPECT_EQ(Player().GetActivityCount(1, kArcade), 0);
    EXPECT_EQ(Player().GetActivityLevel(1, kArcade), 7);
    EXPECT_EQ(Player().GetBadgeCount(1, kArcade), badges) << "only tokens caught raise the badges";
}

} // namespace
} // namespace vqt::test
