// The zoo arcade's monkey: swinging onto the next vine by object id, the swing across and
// back, the one hit by the spotlight, the fall and the leave to the right.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "game/minigames/arcade/ZooArcadeMonkey.h"
#include "game/minigames/arcade/ZooArcadeVine.h"
#include "tests/game/minigames/arcade/ArcadeFixture.h"

namespace vqt::test {
namespace {

class ZooArcadeMonkeyTest : public ArcadeFixture {
protected:
    void SetUp() override {
        ArcadeFixture::SetUp();
        Start();
    }
    /// A vine of the object id standing at x, as the activity data adds it.
    Zoo_Arcade_Vine* AddVine(uint32_t objectId, float x) {
        auto* vine = new Zoo_Arcade_Vine;
        vine->SetObjectId(objectId);
        vine->SetPosition(CPointF(x, 40.0f), 0, 1);
        arcade_->AddChild(vine);
        return vine;
    }
    /// A monkey with the fourteen-state part (frames 0-11 are its lists) on the vine id at x.
    Zoo_Arcade_Monkey* AddMonkey(int16_t vineId, float x) {
        auto* monkey = new Zoo_Arcade_Monkey;
        EXPECT_EQ(monkey->SetPartID(CTLVApp::Get()->GetPartFile(), MakeChunkId(2, kKindBoxPart), 1), 1);
        monkey->SetVineId(vineId);
        monkey->SetPosition(CPointF(x, 100.0f), 0, 1);
        arcade_->AddChild(monkey);
        return monkey;
    }
    void Step(Zoo_Arcade_Monkey* monkey, uint32_t ms = 16) {
        clock().Advance(ms);
        monkey->OnIdle();
    }
};

TEST_F(ZooArcadeMonkeyTest, ASwingStepsRightOntoTheNextVineOnlyWhenAChangeIsPending) {
    AddVine(5, 150.0f);
    AddVine(6, 300.0f);
    struct Row {
        int16_t vine;
        bool pending;
        int16_t vineAfter;
        float xAfter;  // the hot spot on the vine's x, or the plain step right
    };
    const std::vector<Row> rows = {
        {5, true, 6, 300.0f},   // on to the next vine
        {5, false, 5, 150.0f},  // no change: back onto its own vine
        {6, true, 6, 300.0f},   // no vine after the last: it keeps its own
        {-1, false, -1, 231.0f},  // on no vine: only the step of 131 pixels
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.vine * 10 + row.pending);
        Zoo_Arcade_Monkey* monkey = AddMonkey(row.vine, 100.0f);
        monkey->SetVineChangePending(row.pending);
        monkey->SetBehaviourState(Zoo_Arcade_Monkey::kSwing);
        Step(monkey);
        EXPECT_EQ(monkey->GetVineId(), row.vineAfter);
        EXPECT_FLOAT_EQ(monkey->GetPosition().x, row.xAfter);
        EXPECT_FALSE(monkey->IsVineChangePending());
        EXPECT_EQ(monkey->GetBehaviourState(), Zoo_Arcade_Monkey::kSwingPause);
        EXPECT_EQ(monkey->GetVelocity().x, 0.0f);
        EXPECT_LE(monkey->GetState(), 2) << "it lands hanging, on a swinging frame";
    }
}

TEST_F(ZooArcadeMonkeyTest, AfterItsPauseItSwingsAcrossAndTheEndOfThatSwingChangesVine) {
    std::srand(3);
    Zoo_Arcade_Monkey* monkey = AddMonkey(5, 200.0f);
    monkey->SetBehaviourState(Zoo_Arcade_Monkey::kSwingPause);
    Step(monkey, 10);
    EXPECT_EQ(monkey->GetBehaviourState(), Zoo_Arcade_Monkey::kSwingPause) << "still hanging";
    Step(monkey, Zoo_Arcade_Monkey::kSwingPauseMs + 10);
    Step(monkey);
    EXPECT_EQ(monkey->GetBehaviourState(), Zoo_Arcade_Monkey::kSwingingAcross);
    EXPECT_GE(monkey->GetState(), 3);
    EXPECT_LE(monkey->GetState(), 5) << "a frame of the swing across";
    monkey->OnAnimationEnd();
    EXPECT_EQ(monkey->GetBehaviourState(), Zoo_Arcade_Monkey::kSwing);
    EXPECT_TRUE(monkey->IsVineChangePending());

    monkey->ShowFrame(1);
    monkey->OnAnimationEnd();
    EXPECT_EQ(monkey->GetBehaviourState(), Zoo_Arcade_Monkey::kSwingAcross) << "the end of a swing";
    Zoo_Arcade_Monkey* away = AddMonkey(5, 2000.0f);
    away->ShowFrame(4);
    away->SetBehaviourState(Zoo_Arcade_Monkey::kSwingingAcross);
    away->OnAnimationEnd();
    EXPECT_FALSE(away->IsVineChangePending()) << "off the stage nothing follows";
}

TEST_F(ZooArcadeMonkeyTest, TheSpotlightHitsOnceAndTheHitMonkeyFallsThenLeavesToTheRight) {
    std::srand(11);
    Zoo_Arcade_Monkey* monkey = AddMonkey(5, 200.0f);
    EXPECT_TRUE(monkey->MarkHit());
    EXPECT_FALSE(monkey->MarkHit()) << "a second hit drops nothing";
    monkey->SetBehaviourState(Zoo_Arcade_Monkey::kHit);
    Step(monkey);
    EXPECT_EQ(monkey->GetBehaviourState(), Zoo_Arcade_Monkey::kHitFalling);
    EXPECT_GE(monkey->GetState(), 6);
    EXPECT_LE(monkey->GetState(), 8);
    EXPECT_EQ(monkey->GetVelocity().x, 0.0f);
    EXPECT_EQ(monkey->GetVelocity().y, Zoo_Arcade_Monkey::kFallSpeed) << "straight down";

    monkey->SetPosition(CPointF(449.0f, 100.0f), 0, 1);
    Step(monkey);
    EXPECT_EQ(monkey->GetBehaviourState(), Zoo_Arcade_Monkey::kHitFalling) << "not yet far enough";
    monkey->SetPosition(CPointF(450.0f, 100.0f), 0, 1);
    Step(monkey);
    EXPECT_EQ(monkey->GetBehaviourState(), Zoo_Arcade_Monkey::kLeaving);
    EXPECT_GE(monkey->GetState(), 9);
    EXPECT_LE(monkey->GetState(), 11) << "a leaving frame";
    EXPECT_EQ(monkey->GetVelocity().y, 0.0f);

    monkey->Reset();
    EXPECT_FALSE(monkey->IsHit());
    EXPECT_EQ(monkey->GetVineId(), -1);
    EXPECT_TRUE(monkey->MarkHit()) << "a monkey from the pool can be hit again";
}

} // namespace
} // namespace vqt::test
