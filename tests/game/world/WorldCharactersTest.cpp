// The driving world's characters: spawn points of each kind making them into the lists of
// their kinds, the vehicle given as target to the lists that shy from or follow it, and the
// action frames of the pair's second vehicle told at the start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/DeferredDelete.h"
#include "game/shell/Player.h"
#include "game/world/characters/Dweeble.h"
#include "game/world/characters/DweebleRoutines.h"
#include "tests/game/world/WorldFixture.h"
#include "tests/support/StoredProperties.h"

namespace vqt::test {
namespace {

/// A character of a subclass (by class id) that notes the action variants it is told.
template <uint32_t kId>
class KindOf : public Dweeble {
public:
    KindOf() : Dweeble("TestCharacter", kId) {}
    bool IsA(uint32_t classId) const override { return classId == kId || Dweeble::IsA(classId); }
    void SetActionFrames(uint8_t variant) override { variants.push_back(variant); }
    std::vector<uint8_t> variants;
};

class WorldCharactersTest : public WorldFixture {};

TEST_F(WorldCharactersTest, ASpawnPointMakesACharacterOfItsPartIntoTheListOfItsKind) {
    struct Case {
        uint16_t kind;
        int list; ///< -1: no character
    };
    const Case cases[] = {{0, TLVWorld_Activity::kAvoiders}, {1, TLVWorld_Activity::kBadGuys},
                          {2, TLVWorld_Activity::kFollowers}, {3, -1}, {65535, -1}};
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind));
        auto* spawner = Add(world, new Spawn, 300, 240);
        LoadStoredProperties(*spawner, PropertyBytes().Short(1500, 1, int16_t(c.kind)).Short(1500, 2, int16_t(kPropPart)));
        const int32_t children = world->ChildCount();
        auto* made = dynamic_cast<Dweeble*>(world->SpawnCharacter(spawner));
        if (c.list < 0) {
            EXPECT_EQ(made, nullptr);
            EXPECT_EQ(world->ChildCount(), children) << "nothing made";
            EXPECT_NE(traced().find("a spawner of kind " + std::to_string(c.kind) + " makes no character"), std::string::npos);
            continue;
        }
        ASSERT_NE(made, nullptr);
        const auto& list = world->GetList(c.list);
        ASSERT_GT(list.Count(), 0);
        EXPECT_EQ(list.GetAt(list.Count() - 1), made);
        ChunkId part = kNullChunkId;
        made->GetPartID(&part);
        EXPECT_EQ(part, spawner->GetSpawnPartId());
        EXPECT_EQ(made->GetPosition(), spawner->GetPosition());
        EXPECT_NE(made->GetCharacterWorld(), nullptr) << "it walks by the world's tests";
        EXPECT_EQ(made->GetTargetObject(), nullptr) << "a spawned character gets no target";
    }
}

TEST_F(WorldCharactersTest, TheVehicleIsTheTargetOfTheShyingFollowingAndGuardingListsOnly) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    auto* avoider = Add(world, new KindOf<2420>, 100, 100);
    auto* badGuy = Add(world, new KindOf<2430>, 120, 100);
    auto* follower = Add(world, new KindOf<2410>, 140, 100);
    auto* guard = Add(world, new KindOf<2460>, 160, 100);
    auto* bystander = Add(world, new KindOf<Dweeble::kClassId>, 180, 100);
    auto* target = Add(world, new TLVSimple_Object, 400, 300);
    world->SetCharacterTargets(target);
    const struct {
        Dweeble* character;
        bool targeted;
    } cases[] = {{avoider, true}, {badGuy, false}, {follower, true}, {guard, true}, {bystander, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.character->GetClassId());
        EXPECT_EQ(c.character->GetTargetObject(), c.targeted ? target : nullptr);
    }
}

TEST_F(WorldCharactersTest, ACharacterDeletedLeavesNoCharacterHeadingForIt) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    // A listed character and a bystander no list holds, both after the same one.
    auto* avoider = Add(world, new KindOf<2420>, 100, 100);
    auto* bystander = Add(world, new KindOf<Dweeble::kClassId>, 180, 100);
    auto* leader = Add(world, new KindOf<Dweeble::kClassId>, 300, 200);
    for (Dweeble* d : {static_cast<Dweeble*>(avoider), static_cast<Dweeble*>(bystander)}) d->SetTargetObject(leader);
    AddDeferredDelete(leader); // as the engine deletes a prop: the world hears of it first
    FlushDeferredDeletes();
    EXPECT_EQ(avoider->GetTargetObject(), nullptr);
    EXPECT_EQ(bystander->GetTargetObject(), nullptr);
    Frames(30, kFrameMs); // their routines run on without it (ASan)
}

TEST_F(WorldCharactersTest, TheStartTellsEachListedCharacterWhetherThePairsSecondVehicleIsDriven) {
    struct Case {
        uint16_t vehicle;
        uint8_t variant;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {2, 0}, {3, 1}, {5, 1}};
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    auto* avoider = Add(world, new KindOf<2420>, 100, 100);
    auto* follower = Add(world, new KindOf<2410>, 140, 100);
    for (const Case& c : cases) {
        SCOPED_TRACE("vehicle " + std::to_string(c.vehicle));
        app->GetPlayer()->SetSelectedVehicle(c.vehicle);
        avoider->variants.clear();
        follower->variants.clear();
        world->PrepareProps();
        EXPECT_EQ(avoider->variants, std::vector<uint8_t>{c.variant});
        EXPECT_EQ(follower->variants, std::vector<uint8_t>{c.variant});
    }
}

TEST_F(WorldCharactersTest, ASlowCharacterAdvancesThoughItMovesLessThanAPixelAFrame) {
    // 11 px/s on 16 ms frames is under a fifth of a pixel a frame: the world's move test must
    // not hand it back its old pixel each frame.
    const struct {
        float vx, vy;
    } cases[] = {{11, 0}, {0, -11}, {-7.8f, 7.8f}};
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.vx) + "," + std::to_string(c.vy));
        auto* walker = Add(world, new KindOf<Dweeble::kClassId>, 300, 240);
        walker->SetGroupRoutine(0, &DoNothing);
        walker->SetBehaviourState(1);
        Frames(1, kFrameMs); // takes the last position
        const CPointF start = walker->GetGroundPosition();
        walker->SetVelocityXY(c.vx, c.vy, 0);
        const int frames = 100;
        Frames(frames, kFrameMs);
        const CPointF end = walker->GetGroundPosition();
        const float seconds = frames * kFrameMs / 1000.0f;
        EXPECT_NEAR(end.x - start.x, c.vx * seconds, 0.5f);
        EXPECT_NEAR(end.y - start.y, c.vy * seconds, 0.5f);
        EXPECT_EQ(walker->GetLastPosition(), end) << "the world accepted where it walked";
        walker->Stop();
        AddDeferredDelete(walker);
        FlushDeferredDeletes();
    }
}

} // namespace
} // namespace vqt::test
