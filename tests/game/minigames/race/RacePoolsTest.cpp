// The road's pools: sections, pictures and objects are made once and reused when free; a
// reused racer starts afresh; the objects are the race's children until the pools are cleared.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/ActivityProp.h"
#include "engine/data/PartFile.h"
#include "game/minigames/race/RacePools.h"
#include "game/minigames/race/RaceSection.h"
#include "game/shell/TLVObject.h"
#include "game/world/characters/DRacing.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/PartBuilder.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

class RacePoolsTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ChunkFileBuilder b;
        PartBuilder parts(b);
        for (int i = 0; i < 2; ++i) {
            PartPlan plan;
            plan.states = {StatePlan{.frames = {FramePlan{.picture = Picture(12, 12, uint8_t(1 + i)), .hotX = 6, .hotY = 6}}}};
            partIds.push_back(parts.AddPart(plan).part);
        }
        const std::string path = tmp / "pools.vqk";
        ASSERT_TRUE(b.WriteFile(path));
        ASSERT_TRUE(file.Open(path.c_str(), 1));
        race.SetVisible(1, 0);
        pools.SetOwner(&race, &file, nullptr);
    }
    void TearDown() override { pools.Clear(); }

    TempFolder tmp;
    CPartFile file;
    std::vector<uint32_t> partIds;
    OActivityProp race; // stands in for the race view
    CGRacePools pools;
};

TEST_F(RacePoolsTest, AnObjectIsReusedOnlyWhenFreeAndShowingTheSamePart) {
    for (uint32_t classId : CGRacePools::kFamilies) {
        TLV_Object* first = pools.Spawn(classId, partIds[0]);
        ASSERT_NE(first, nullptr) << classId;
        EXPECT_TRUE(first->IsA(classId));
        EXPECT_EQ(first->GetParent(), &race) << "a child of the race";
        EXPECT_NE(pools.Spawn(classId, partIds[0]), first) << classId << ": a shown one is busy";
        first->SetVisible(0, 0);
        EXPECT_NE(pools.Spawn(classId, partIds[1]), first) << classId << ": another part";
        EXPECT_EQ(pools.Spawn(classId, partIds[0]), first) << classId << ": free and the same part";
        EXPECT_TRUE(first->IsVisible());
        EXPECT_EQ(pools.ObjectCount(classId), 3u);
    }
    EXPECT_EQ(pools.Spawn(1520, partIds[0]), nullptr) << "no family of the road";
}

TEST_F(RacePoolsTest, AReusedRacerStartsAfresh) {
    auto* racer = static_cast<DRacing*>(pools.Spawn(DRacing::kClassId, partIds[0]));
    ASSERT_NE(racer, nullptr);
    racer->SetBehaviourState(7);
    racer->SetRunning(1);
    racer->SetDropped(1);
    racer->SetSideFlag(1);
    racer->SetVelocity(Vec3(300, -600, 0), 0);
    racer->SetVisible(0, 0);
    ASSERT_EQ(pools.Spawn(DRacing::kClassId, partIds[0]), racer);
    EXPECT_EQ(racer->GetBehaviourState(), 0);
    EXPECT_FALSE(racer->IsRunning() || racer->HasDropped() || racer->GetSideFlag());
    EXPECT_EQ(racer->GetVelocity(), Vec3());
    EXPECT_EQ(racer->GetSpeed(), racer->GetWalkSpeed());
}

TEST_F(RacePoolsTest, PicturesAndSectionsAreReusedWhenFree) {
    OActivityProp* piece = pools.TakePieceProp(partIds[0]);
    OActivityProp* collider = pools.TakeColliderProp(partIds[1]);
    ASSERT_TRUE(piece->AttachToView(collider, 1));
    EXPECT_NE(pools.TakeColliderProp(partIds[1]), collider) << "attached to a piece";
    piece->DetachChildView(collider);
    EXPECT_EQ(pools.TakeColliderProp(partIds[0]), collider);
    EXPECT_NE(pools.TakePieceProp(partIds[0]), piece);
    piece->SetVisible(0, 0);
    EXPECT_EQ(pools.TakePieceProp(partIds[1]), piece) << "a hidden piece takes any part";

    OActivityProp* decoration = pools.TakeDecorationProp(partIds[0]);
    decoration->SetVisible(0, 0);
    EXPECT_NE(pools.TakeDecorationProp(partIds[1]), decoration);
    EXPECT_EQ(pools.TakeDecorationProp(partIds[0]), decoration);

    CGRaceSection* a = pools.TakeSection({});
    CGRaceSection* b = pools.TakeSection({a});
    EXPECT_NE(a, b);
    EXPECT_EQ(pools.TakeSection({a}), b) << "the newest section not in use";
    EXPECT_EQ(pools.SectionCount(), 2u);
}

TEST_F(RacePoolsTest, ClearingTakesTheObjectsOutOfTheRace) {
    pools.Spawn(TLV_Object::kClassId, partIds[0]);
    pools.Spawn(DRacing::kClassId, partIds[0]);
    OActivityProp* piece = pools.TakePieceProp(partIds[0]);
    piece->AttachToView(pools.TakeColliderProp(partIds[1]), 1);
    EXPECT_EQ(race.ChildCount(), 2);
    pools.Clear();
    EXPECT_EQ(race.ChildCount(), 0);
    EXPECT_EQ(pools.ObjectCount(TLV_Object::kClassId), 0u);
}

} // namespace
} // namespace vqt::test
