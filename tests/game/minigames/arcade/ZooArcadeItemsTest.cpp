// The zoo arcade's scenery and falling items: the factory makes them by class id, a scrolled
// round item is hidden, and a leaf falls, goes back up below the stage and waits before it
// falls again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "game/minigames/arcade/ArcadeClasses.h"
#include "game/minigames/arcade/ZooArcadeGoalItem.h"
#include "game/minigames/arcade/ZooArcadeLeaf.h"
#include "game/minigames/arcade/ZooArcadeVine.h"
#include "game/shell/TLVFactory.h"
#include "tests/game/minigames/arcade/ArcadeFixture.h"

namespace vqt::test {
namespace {

class ZooArcadeItemsTest : public ArcadeFixture {
protected:
    /// A leaf from the data at (x, y) in the arcade's group 0, with the two-frame test part.
    Zoo_Arcade_Leaf* AddLeaf(float x, float y) {
        auto* leaf = new Zoo_Arcade_Leaf;
        EXPECT_EQ(leaf->SetPartID(CTLVApp::Get()->GetPartFile(), MakeChunkId(parts_.PartIndex(), kItemPart), 1), 1);
        leaf->SetPosition(CPointF(x, y), 0, 1);
        if (arcade_->AcceptObject(leaf)) arcade_->AddChild(leaf);
        return leaf;
    }
    void LeafFrame(Zoo_Arcade_Leaf* leaf, uint32_t ms) {
        clock().Advance(ms);
        leaf->OnIdle();
    }
};

TEST_F(ZooArcadeItemsTest, TheFactoryMakesEachItemAndAScrolledRoundItemIsHidden) {
    xArcade_RegisterClasses();
    struct Row {
        uint32_t classId;
        const char* name;
    };
    for (const Row& row : {Row{Zoo_Arcade_GoalItem::kClassId, "Zoo_Arcade_GoalItem"},
                           Row{Zoo_Arcade_Leaf::kClassId, "Zoo_Arcade_Leaf"},
                           Row{Zoo_Arcade_Vine::kClassId, "Zoo_Arcade_Vine"}}) {
        std::unique_ptr<OView> made(xTLVFactory_MakeProp(row.classId));
        auto* item = dynamic_cast<Arcade_BG_Item*>(made.get());
        ASSERT_NE(item, nullptr) << row.name;
        EXPECT_TRUE(item->IsA(row.classId)) << row.name;
        EXPECT_TRUE(item->IsA(Arcade_BG_Item::kClassId)) << row.name;
        EXPECT_FALSE(item->IsA(3000)) << row.name << " is no circus character";
        item->SetHideChance(0);
        item->SetVisible(1, 0);
        item->Respawn();
        EXPECT_FALSE(item->IsVisible()) << row.name << " stays hidden though its hide chance is 0";
    }
    EXPECT_EQ(Zoo_Arcade_GoalItem().GetPriority(), 47);
}

TEST_F(ZooArcadeItemsTest, ALeafFallsGoesBackUpBelowTheStageAndWaitsBeforeFallingAgain) {
    for (unsigned seed : {1u, 7u, 4242u}) {
        SCOPED_TRACE(seed);
        std::srand(seed);
        Start();
        Zoo_Arcade_Leaf* leaf = AddLeaf(300.0f, 120.0f);
        LeafFrame(leaf, 1);
        ASSERT_TRUE(leaf->IsFalling()) << "a leaf from the data falls at once";
        const float speed = leaf->GetVelocity().y;
        EXPECT_GE(speed, 50.0f);
        EXPECT_LT(speed, 75.0f);
        EXPECT_EQ(leaf->GetVelocity().x, 0.0f) << "straight down";
        for (int i = 0; i < 20; ++i) LeafFrame(leaf, 50);
        EXPECT_GT(leaf->GetPosition().y, 120.0f + speed * 0.5f);

        leaf->SetPosition(CPointF(310.0f, 500.0f), 0, 1);
        LeafFrame(leaf, 1);
        EXPECT_TRUE(leaf->IsFalling()) << "500 itself is not beyond the bottom";
        leaf->SetPosition(CPointF(310.0f, 501.0f), 0, 1);
        LeafFrame(leaf, 1);
        EXPECT_FALSE(leaf->IsFalling());
        EXPECT_EQ(leaf->GetPosition().y, 120.0f) << "back at its starting height";
        EXPECT_EQ(leaf->GetPosition().x, 310.0f) << "the scroll keeps its horizontal place";
        EXPECT_EQ(leaf->GetVelocity().y, 0.0f);
        const int32_t wait = leaf->GetWaitMs();
        EXPECT_GE(wait, 3000);
        EXPECT_LT(wait, 8000);
        EXPECT_GE(leaf->GetCurrentFrame(), 0);
        EXPECT_LT(leaf->GetCurrentFrame(), leaf->GetFrameCount());

        LeafFrame(leaf, uint32_t(wait) - 1);
        EXPECT_FALSE(leaf->IsFalling()) << "still waiting";
        EXPECT_EQ(leaf->GetPosition().y, 120.0f);
        LeafFrame(leaf, 2);
        EXPECT_TRUE(leaf->IsFalling());
        EXPECT_GE(leaf->GetVelocity().y, 50.0f);
        arcade_.reset();
    }
}

TEST_F(ZooArcadeItemsTest, ALeafWaitsAtItsStartThenFallsAtThePositionsOfTheModelEveryFrame) {
    for (unsigned seed : {3u, 8u}) {
        SCOPED_TRACE(seed);
        std::srand(seed);
        Start();
        Zoo_Arcade_Leaf* leaf = AddLeaf(240.0f, 150.0f);
        LeafFrame(leaf, 20);
        ASSERT_TRUE(leaf->IsFalling());
        float speed = leaf->GetVelocity().y, y = leaf->GetPosition().y;
        for (int f = 0; f < 40; ++f) {
            LeafFrame(leaf, 20);
            y += speed * 0.02f;
            EXPECT_NEAR(leaf->GetPosition().y, y, 0.01f) << "frame " << f;
            EXPECT_EQ(leaf->GetPosition().x, 240.0f);
        }
        // Below the stage: back at its start, still for its wait, then falling from there.
        leaf->SetPosition(CPointF(240.0f, 501.0f), 0, 1);
        LeafFrame(leaf, 20);
        const int32_t wait = leaf->GetWaitMs();
        y = 150.0f;
        bool falling = false;
        int32_t waited = 0;
        for (int f = 0; f < wait / 20 + 20; ++f) {
            LeafFrame(leaf, 20);
            waited += 20;
            if (!falling && waited > wait) {
                falling = true;
                speed = leaf->GetVelocity().y;
                EXPECT_GE(speed, 50.0f);
                EXPECT_LT(speed, 75.0f);
            }
            if (falling) y += speed * 0.02f;
            EXPECT_EQ(leaf->IsFalling(), falling) << "after " << waited << " ms of a " << wait << " ms wait";
            EXPECT_NEAR(leaf->GetPosition().y, y, 0.01f) << "after " << waited << " ms";
        }
        EXPECT_TRUE(falling);
        arcade_.reset();
    }
}

} // namespace
} // namespace vqt::test
