// The first activity named by STARTACTIVITY takes the place of the game's own first request
// while that request has not started.
#include <gtest/gtest.h>

#include "engine/core/Activity.h"
#include "tests/engine/core/StageFixture.h"

namespace vqt::test {
namespace {

class StartActivityTest : public StageTest {
protected:
    void SetUp() override {
        StageTest::SetUp();
        ChunkFileBuilder b;
        const uint8_t actv = b.AddIndex("actv", 8, 40);
        for (uint16_t entry : {26, 30}) {
            ActivityPlan desc;
            desc.objectId = entry;
            b.AddChunk(actv, ActivityData(desc), {.entry = entry});
        }
        Open(b);
    }
    void RunSwitch() {
        for (int i = 0; i < 20 && GetActivityManager()->IsSwitchPending(); ++i) Frames(1);
        ASSERT_FALSE(GetActivityManager()->IsSwitchPending());
    }
};

TEST_F(StartActivityTest, AnUnstartedRequestIsReplacedAndAMissingActivityLeavesItStanding) {
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    m.RequestActivity(MakeChunkId(1, 26));
    EXPECT_TRUE(m.ReplacePendingRequest(MakeChunkId(1, 99)));
    ASSERT_EQ(dialogs().Boxes().size(), 1u);
    EXPECT_EQ(dialogs().Boxes()[0].text, "VQT : Missing Activity {1, 0, 99}");
    EXPECT_EQ(m.GetPendingId(), MakeChunkId(1, 26));
    EXPECT_TRUE(m.ReplacePendingRequest(MakeChunkId(1, 30)));
    RunSwitch();
    ASSERT_NE(m.GetCurrentActivity(), nullptr);
    EXPECT_EQ(m.GetCurrentActivity()->GetObjectId(), 30u);
    EXPECT_EQ(traced().find("attempt made to interrupt activity switch"), std::string::npos);
}

TEST_F(StartActivityTest, NothingIsReplacedOnceASwitchIsUnderWayOrWithoutOne) {
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    EXPECT_FALSE(m.ReplacePendingRequest(MakeChunkId(1, 30))) << "no switch pending";
    m.RequestActivity(MakeChunkId(1, 26));
    RunSwitch();
    m.RequestActivity(MakeChunkId(1, 30));
    EXPECT_FALSE(m.ReplacePendingRequest(MakeChunkId(1, 26))) << "an activity is current: it must agree first";
    RunSwitch();
    EXPECT_EQ(m.GetCurrentId(), MakeChunkId(1, 30));
}

} // namespace
} // namespace vqt::test
