// The character: its state machine, timers, frames, directions, searches and the world's round
// trip, checked against a spy world.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "game/shell/TLVFactory.h"
#include "game/world/characters/CharacterClasses.h"
#include "game/world/characters/Dweeble.h"
#include "game/world/characters/DweebleRoutines.h"
#include "tests/game/world/CharacterFixture.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

class DweebleTest : public HeadlessTest {
protected:
    /// A character of 12 frames whose ground position is (x, y).
    std::unique_ptr<Dweeble> Make(float x = 300.0f, float y = 200.0f, int states = 12) {
        auto d = std::make_unique<Dweeble>();
        d->SetAnimSet(MakePart(states));
        d->SetPosition(CPointF(x, y), 0, 0);
        return d;
    }
    void Frame(Dweeble* d, uint32_t ms = 16) {
        clock().Advance(ms);
        d->OnIdle();
    }
    int TraceCount(const std::string& text) {
        int n = 0;
        for (size_t at = traced().find(text); at != std::string::npos; at = traced().find(text, at + 1)) ++n;
        return n;
    }
    std::vector<int32_t> Frames(const CDynArray<int32_t>& list) {
        return std::vector<int32_t>(list.Data(), list.Data() + list.Count());
    }
};

// ---- Numbers and defaults ----------------------------------------------------------------------

TEST_F(DweebleTest, CorrectedCoordinatesRoundUpOnlyJustBelowAWholePixel) {
    const struct {
        float in, out;
    } cases[] = {{12.9965f, 13.0f}, {12.9955f, 12.0f}, {-3.999f, -3.0f}, {7.0f, 7.0f}, {0.5f, 0.0f}, {-0.9999f, 0.0f}};
    for (const auto& c : cases) EXPECT_EQ(RoundCorrected(c.in), c.out) << c.in;
}

TEST_F(DweebleTest, StartsStandingWithTheDefaultListsAndTimers) {
    auto d = Make();
    EXPECT_EQ(d->GetBehaviourState(), 1);
    EXPECT_EQ(Frames(d->FramesA()), (std::vector<int32_t>{0}));
    EXPECT_EQ(Frames(d->FramesB()), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(Frames(d->FramesC()), (std::vector<int32_t>{4, 5, 6}));
    EXPECT_EQ(d->GetCurrentRoutine(), &Dweeble_Wander);
    EXPECT_EQ(d->GetGroupRoutine(2), &Dweeble_Avoid);
    EXPECT_EQ(d->GetGroupRoutine(3), nullptr);
    EXPECT_EQ(d->GetStateTimer().duration, 3000);
    EXPECT_EQ(d->GetStepInterval(), 100);
    EXPECT_EQ(d->GetTurnTimer().duration, 750);
    EXPECT_EQ(d->GetDwellDuration(), 3000);
    EXPECT_EQ(d->GetLoadAllStates(), 1);
    EXPECT_EQ(d->GetOverlayPlacement(), 1);
    for (uint32_t id : {2400u, 1110u, 1100u, 54u, 50u, 20u, 10u, 1u}) EXPECT_TRUE(d->IsA(id)) << id;
    EXPECT_FALSE(d->IsA(2410));
}

TEST_F(DweebleTest, StateSetsTheGroupRoutineAndTheStateTimer) {
    auto d = Make();
    d->SetGroupRoutine(5, &DoNothing);
    const struct {
        int32_t state, timer;
        DweebleRoutine routine;
    } cases[] = {{0, 3000, &Dweeble_Wander}, {3, 2000, &Dweeble_Wander}, {5, 1000, &Dweeble_Avoid},
                 {7, 1000, nullptr},         {13, 1000, &DoNothing},     {40, 1000, &DoNothing}};
    for (const auto& c : cases) {
        d->SetBehaviourState(c.state);
        EXPECT_EQ(d->GetBehaviourState(), c.state);
        EXPECT_EQ(d->GetStateTimer().duration, c.timer) << c.state;
        EXPECT_EQ(d->GetCurrentRoutine(), c.routine) << c.state;
    }
    EXPECT_FALSE(d->HasRoutine(18));
}

TEST_F(DweebleTest, DwellTimeFollowsTheGroupAndMinusOneNeverRunsOut) {
    auto d = Make();
    d->SetDwellTimes(-1, 250, 400, 600, 800);
    const struct {
        int32_t state;
        bool halve;
        int32_t duration;
    } cases[] = {{0, false, 3000}, {1, true, 1500}, {2, false, 2000}, {4, true, 125}, {5, false, 400},
                 {6, false, -1},   {8, true, -1},   {10, false, -1},  {12, true, 300}, {17, false, 800}};
    for (const auto& c : cases) {
        d->StartDwellTimer(c.state, c.halve);
        EXPECT_EQ(d->GetDwellDuration(), c.duration) << c.state;
    }
    d->StartDwellTimer(6, true);
    clock().Advance(4000000000u);
    EXPECT_FALSE(d->GetDwellTimer().HasElapsed());
    EXPECT_FALSE(d->IsPauseOver());
    d->SetSkipDwell(1);
    EXPECT_TRUE(d->IsPauseOver());
    EXPECT_FALSE(d->IsPauseOver());
}

TEST_F(DweebleTest, ExpiredTimersHaveRunOutAtOnce) {
    auto d = Make();
    d->ExpireTimers();
    EXPECT_TRUE(d->StateTimerDone());
    EXPECT_TRUE(d->StepTimerDone());
    EXPECT_TRUE(d->TurnTimerDone());
}

TEST_F(DweebleTest, AFiveSecondPauseKeepsTheDwellTimeButNotTheStateTimer) {
    auto d = Make();
    clock().Advance(1000);
    const uint32_t dwellElapsed = d->GetDwellTimer().Now() - d->GetDwellTimer().start;
    d->Suspend(1);
    clock().Advance(5000);
    d->Resume(1);
    EXPECT_EQ(d->GetDwellTimer().Now() - d->GetDwellTimer().start, dwellElapsed);
    EXPECT_FALSE(d->GetDwellTimer().HasElapsed());
    EXPECT_TRUE(d->StateTimerDone());
}

TEST_F(DweebleTest, ACarryingChainHeadShowsTheActionStates) {
    auto d = Make();
    TLV_Object head;
    head.SetAnimSet(MakePart(2));
    d->LinkAfter(&head);
    const struct {
        int32_t state, headState;
    } cases[] = {{6, 1}, {8, 0}, {7, 1}, {3, 0}};
    for (const auto& c : cases) {
        d->SetBehaviourState(c.state);
        EXPECT_EQ(head.GetState(), c.headState) << c.state;
    }
    d->Unlink();
}

TEST_F(DweebleTest, OwnChainHeadLeavesOthersAlone) {
    auto d = Make();
    d->SetState(9);
    d->SetBehaviourState(6);
    EXPECT_EQ(d->GetState(), 9);
}

TEST_F(DweebleTest, FrameRangesAndRepeats) {
    auto d = Make();
    const struct {
        int32_t first, last, repeat;
        std::vector<int32_t> list;
    } cases[] = {{1, 3, 5, {1, 2, 3}}, {1, 3, 2, {1, 2, 3, 2}}, {0, 2, 0, {0, 1, 2}},
                 {1, 3, -1, {1, 2, 3}}, {4, 3, 4, {}},          {7, 7, 7, {7, 7}}};
    for (const auto& c : cases) {
        d->AddFramesB(c.first, c.last);
        d->RepeatFrameB(c.repeat);
        EXPECT_EQ(Frames(d->FramesB()), c.list) << c.first << ".." << c.last << " +" << c.repeat;
    }
    d->AddFramesC(0, 2000000000);
    EXPECT_EQ(d->FramesC().Count(), 0);
    EXPECT_NE(traced().find("frame range too long"), std::string::npos);
}

TEST_F(DweebleTest, AFrameThePartLacksIsNotShownAndTracedOnce) {
    auto d = Make(300, 200, 4);
    d->ShowFrame(2);
    d->ShowFrame(9);
    d->ShowFrame(-1);
    EXPECT_EQ(d->GetState(), 2);
    EXPECT_EQ(TraceCount("frame not in the part"), 1);
}

TEST_F(DweebleTest, EmptyListsGiveNoFrame) {
    auto d = Make();
    d->AddFramesA(1, 0);
    EXPECT_EQ(d->RandomFrameA(), 0);
    EXPECT_EQ(d->ShowRandomFrameD(true), -1);
    d->AddFramesD(8, 8);
    EXPECT_EQ(d->ShowRandomFrameD(true), 8);
    EXPECT_EQ(d->IsAnimating(), 0);
    EXPECT_TRUE(d->FrameInListD());
    d->ResumeAnimation();
    EXPECT_EQ(d->IsAnimating(), 1);
}

// ---- Directions ----------------------------------------------------------------------------------

TEST_F(DweebleTest, NearestDirectionTakesTheFirstSmallestAngle) {
    auto d = Make();
    const struct {
        Vec3 v;
        int32_t state, frames, direction;
    } cases[] = {{{1, 0, 0}, 3, 3, 1},     {{-1, 0, 0}, 3, 3, 4},  {{0, 0, 0}, 3, 3, 0},
                 {{0, 1, 0}, 3, 3, 0},     {{-0.5f, 0.4f, 0}, 3, 3, 5}, {{0.5f, -0.433f, 0}, 5, 3, 2},
                 {{-1, -1, 0}, 4, 2, 3},   {{1, -1, 0}, 4, 1, 0},  {{1, 0, 0}, 3, 0, -1}};
    for (const auto& c : cases) {
        d->AddFramesB(1, c.frames);
        EXPECT_EQ(d->NearestDirection(c.state, c.v), c.direction) << c.v.x << "," << c.v.y << " of " << c.frames;
    }
}

TEST_F(DweebleTest, DirectionCountsAndTheTwoFrameMirrorRule) {
    auto d = Make();
    const struct {
        int32_t frames, count;
    } counts[] = {{0, 0}, {1, 2}, {2, 4}, {3, 6}, {4, 7}, {5, 10}};
    for (const auto& c : counts) {
        d->AddFramesB(1, c.frames);
        EXPECT_EQ(d->DirectionCount(3), c.count) << c.frames;
    }
    d->AddFramesB(10, 11);
    const struct {
        int32_t direction, frame;
        bool mirrored;
    } cases[] = {{0, 11, true}, {1, 10, true}, {2, 10, false}, {3, 11, false}, {4, 0, false}, {-1, 0, false}};
    for (const auto& c : cases) {
        bool mirrored = !c.mirrored;
        EXPECT_EQ(d->MovingFrameB(c.direction, &mirrored), c.frame) << c.direction;
        EXPECT_EQ(mirrored, c.mirrored) << c.direction;
    }
}

TEST_F(DweebleTest, ApplyHeadingSetsVelocityFrameAndMirror) {
    auto d = Make();
    const struct {
        int32_t state, heading, speed;
        float vx, vy;
        int32_t frame;
        uint32_t mirrored;
    } cases[] = {{3, 1, 100, 100.0f, 0.0f, 2, 1}, {3, 4, 100, -100.0f, 0.0f, 2, 0}, {3, 3, 100, -75.5938f, -65.4642f, 1, 0},
                 {5, 1, 300, 300.0f, 0.0f, 5, 1}, {3, 1, 0, 1.0f, 0.0f, 2, 1}};
    for (const auto& c : cases) {
        d->SetHeading(c.heading);
        d->SetSpeed(c.speed);
        d->ApplyHeading(c.state);
        EXPECT_NEAR(d->GetVelocity().x, c.vx, 1e-3) << c.state << "/" << c.heading;
        EXPECT_NEAR(d->GetVelocity().y, c.vy, 1e-3);
        EXPECT_EQ(d->GetState(), c.frame);
        EXPECT_EQ(d->GetAnimSet()->IsMirrored(), c.mirrored);
    }
    EXPECT_EQ(d->GetSpeed(), 1);
}

TEST_F(DweebleTest, AStandingCharacterGivenAHeadingMovesOnePixelASecond) {
    auto d = Make(300, 200);
    d->SetSpeed(0);
    d->SetHeading(1);
    d->ApplyHeading(3);
    d->SetWorldChecks(0);
    d->SetGroupRoutine(0, &DoNothing);
    d->SetBehaviourState(1);
    const float x0 = d->GetPosition().x;
    for (int i = 0; i < 100; ++i) Frame(d.get(), 10);
    EXPECT_NEAR(d->GetPosition().x - x0, 1.0f, 0.02f);
}

TEST_F(DweebleTest, BadDirectionSetsPickNothingAndWrapHeadings) {
    auto d = Make();
    d->AddFramesB(1, 0); // no walking frames
    d->SetVelocityXY(5, 6, 0);
    d->SetHeading(2);
    d->ApplyHeading(3);
    EXPECT_EQ(d->GetVelocity(), Vec3(5, 6, 0));
    EXPECT_EQ(d->ChooseRandomDirection(3), -1);
    EXPECT_EQ(d->NearestDirection(3, Vec3(1, 0, 0)), -1);
    d->ChooseHeading(3);
    d->PickRandomHeading(3);
    EXPECT_EQ(d->GetHeading(), 2);
    EXPECT_EQ(TraceCount("direction outside the direction table"), 1);

    // A heading kept from a longer set wraps into the set: 9 of 6 is 3 (up left).
    d->AddFramesB(1, 3);
    d->SetHeading(9);
    d->ApplyHeading(3);
    EXPECT_LT(d->GetVelocity().x, 0.0f);
    EXPECT_LT(d->GetVelocity().y, 0.0f);
    // Four frames without a 7-entry table: direction 6 wraps into the 6-entry table (0).
    d->AddFramesB(1, 4);
    d->SetHeading(6);
    d->ApplyHeading(3);
    EXPECT_GT(d->GetVelocity().x, 0.0f);
    EXPECT_GT(d->GetVelocity().y, 0.0f);
    EXPECT_EQ(TraceCount("direction outside the direction table"), 1);
}

TEST_F(DweebleTest, ASevenEntryTableServesFourFrames) {
    auto d = Make();
    DirectionTable seven = DirectionTables::Six();
    seven.entries[seven.count++] = CPointF(0.0f, 1.0f);
    d->SetDirectionTable(4, seven);
    d->AddFramesB(1, 4);
    d->SetHeading(6);
    d->ApplyHeading(3);
    EXPECT_NEAR(d->GetVelocity().y, 100.0f, 1e-3);
    EXPECT_EQ(d->NearestDirection(3, Vec3(0, 1, 0)), 6);
    EXPECT_EQ(traced().find("direction outside"), std::string::npos);
}

// ---- Searches -------------------------------------------------------------------------------------

/// The direction a probe went, by the nearest table entry.
int32_t DirectionOf(Dweeble* d, const SpyCharacterWorld::MoveTest& t) {
    return d->NearestDirection(3, Vec3(t.to.x - t.from.x, t.to.y - t.from.y, 0));
}

TEST_F(DweebleTest, FindFreeDirectionTriesAlternatelyAroundThePreferred) {
    const struct {
        int32_t preferred;
        std::vector<int32_t> order;
    } cases[] = {{0, {0, 1, 5, 2, 4, 3}}, {2, {2, 3, 1, 4, 0, 5}}, {5, {5, 0, 4, 1, 3, 2}}};
    for (const auto& c : cases) {
        SpyCharacterWorld world;
        world.freeAfter = -1;
        auto d = Make();
        d->SetCharacterWorld(&world);
        Vec3 out(9, 9, 9);
        int32_t direction = 7;
        EXPECT_FALSE(d->FindFreeDirection(&out, 3, c.preferred, &direction));
        EXPECT_EQ(direction, -1);
        EXPECT_EQ(out, Vec3());
        std::vector<int32_t> order;
        for (const auto& t : world.moveTests) order.push_back(DirectionOf(d.get(), t));
        EXPECT_EQ(order, c.order) << c.preferred;
    }
}

TEST_F(DweebleTest, FindFreeDirectionProbesAndPassesTheFlags) {
    const struct {
        int32_t state, speed;
        bool belowBand;
        int32_t bandFlag, escapeFlag;
        float probe;
    } cases[] = {{3, 100, true, 0, 0, 12.5f}, {5, 300, false, 1, 1, 37.5f}, {3, 10, true, 0, 0, 3.0f}};
    for (const auto& c : cases) {
        SpyCharacterWorld world;
        world.freeAfter = 2;
        world.belowTopBand = c.belowBand;
        auto d = Make();
        d->SetCharacterWorld(&world);
        d->SetSpeed(c.speed);
        Vec3 out;
        int32_t direction = -1;
        ASSERT_TRUE(d->FindFreeDirection(&out, c.state, 1, &direction));
        EXPECT_EQ(direction, 0); // 1, 2, then 0 passes
        EXPECT_NEAR(out.x, c.probe * 0.5f, 1e-3); // the probe step times the table entry
        EXPECT_NEAR(out.y, c.probe * 0.433f, 1e-3);
        ASSERT_EQ(world.moveTests.size(), 3u);
        EXPECT_EQ(world.moveTests[0].bandFlag, c.bandFlag);
        EXPECT_EQ(world.moveTests[0].escapeFlag, c.escapeFlag);
        EXPECT_EQ(world.moveTests[0].vehicleFlag, 0);
    }
}

TEST_F(DweebleTest, OutsideADrivingWorldTheActivityMoveTestDecides) {
    SpyCharacterWorld world;
    world.drivingWorld = false;
    world.freeAfter = 1;
    auto d = Make();
    d->SetCharacterWorld(&world);
    Vec3 out;
    int32_t direction = -1;
    EXPECT_TRUE(d->FindFreeDirection(&out, 3, 0, &direction));
    EXPECT_EQ(direction, 1);
    EXPECT_EQ(world.moveTests[0].vehicleFlag, -1); // CanMoveTo
}

TEST_F(DweebleTest, RefusedEverywhereTheHeadingGoesWhereTheWorldLetsItFarthest) {
    SpyCharacterWorld world;
    world.freeAfter = -1;
    auto d = Make();
    d->SetCharacterWorld(&world);
    d->SetHeading(4);
    d->SteerAlongHeading(3, nullptr); // ResolveMove lets every probe through: the first wins
    EXPECT_EQ(d->GetHeading(), 4);
    world.correct = true;
    world.corrected = d->GetGroundPosition(); // nothing moves: the heading stays
    d->SetHeading(2);
    d->SteerAlongHeading(3, nullptr);
    EXPECT_EQ(d->GetHeading(), 2);
}

TEST_F(DweebleTest, ChooseHeadingTurnsBackIntoTheMap) {
    const struct {
        bool inside, nearEdge;
        int16_t sideX, sideY;
        float x, y;
        int32_t heading;
    } cases[] = {{false, false, 0, 0, 1270, 480, 4}, {false, false, 0, 0, 10, 480, 1},
                 {true, true, 1, 0, 1200, 480, 4},   {true, true, -1, 0, 50, 480, 1}};
    for (const auto& c : cases) {
        SpyCharacterWorld world;
        world.insideMap = c.inside;
        world.nearEdge = c.nearEdge;
        world.sideX = c.sideX;
        world.sideY = c.sideY;
        auto d = Make(c.x, c.y);
        d->SetCharacterWorld(&world);
        d->ChooseHeading(3);
        EXPECT_EQ(d->GetHeading(), c.heading) << c.x;
    }
}

TEST_F(DweebleTest, TargetVectorsAndPassing) {
    auto d = Make(100, 100);
    const CPointF g = d->GetGroundPosition();
    d->SetTargetPoint(CPointF(g.x + 6, g.y));
    EXPECT_TRUE(d->IsNearTarget());
    EXPECT_FALSE(d->HasPassedTarget()); // at rest
    d->SetVelocityXY(10, 0, 0);
    EXPECT_FALSE(d->HasPassedTarget());
    d->SetVelocityXY(0, 10, 0);
    EXPECT_TRUE(d->HasPassedTarget()); // a right angle counts as passed
    d->SetTargetPoint(CPointF(g.x + 30, g.y + 40));
    EXPECT_FALSE(d->IsNearTarget());
    EXPECT_DOUBLE_EQ(d->DistanceFromTarget(), 50.0);
    EXPECT_EQ(d->TargetOffset().x, 30);
    EXPECT_EQ(d->VectorFromTarget(), Vec3(-30, -40, 0));
    EXPECT_EQ(d->VectorFromLeader(), Vec3(g.x, g.y, 0));
}

TEST_F(DweebleTest, IsOnStageEdges) {
    auto d = Make();
    SpyCharacterWorld world;
    d->SetCharacterWorld(&world);
    const struct {
        int16_t scrollX, scrollY;
        float x, y;
        int16_t margin;
        bool onStage, inColumn;
    } cases[] = {{0, 0, 0, 0, 0, true, true},         {0, 0, 639, 479, 0, true, true},
                 {0, 0, 640, 100, 0, false, false},   {0, 0, 100, 480, 0, false, true},
                 {0, 0, -0.5f, 100, 0, false, false}, {0, 0, 10, 10, 10, true, true},
                 {0, 0, 9.5f, 10, 10, false, false},  {0, 0, 629.5f, 469.5f, 10, true, true},
                 {0, 0, 630, 100, 10, false, false},  {100, 50, 100, 50, 0, true, true},
                 {100, 50, 99, 50, 0, false, false},  {100, 50, 739, 529, 0, true, true}};
    for (const auto& c : cases) {
        world.scroll = CPoint16(c.scrollX, c.scrollY);
        d->SetPosition(CPointF(c.x, c.y), 0, 0);
        EXPECT_EQ(d->IsOnStage(false, c.margin), c.onStage) << c.x << "," << c.y << " m" << c.margin;
        EXPECT_EQ(d->IsOnStageColumn(false, c.margin), c.inColumn) << c.x;
    }
}

// ---- The world's round trip ---------------------------------------------------------------------

TEST_F(DweebleTest, ARestingCharacterWithRestAcceptNeverAsksTheWorld) {
    SpyCharacterWorld world;
    auto d = Make();
    d->SetCharacterWorld(&world);
    d->SetGroupRoutine(0, &DoNothing);
    d->SetBehaviourState(0);
    d->ShowFrame(0);
    d->SetRestAccept(1);
    for (int i = 0; i < 5; ++i) {
        d->SetPosition(CPointF(300.0f + float(i), 200.0f), 0, 0);
        Frame(d.get());
        EXPECT_EQ(d->GetLastPosition(), d->GetGroundPosition());
    }
    EXPECT_EQ(world.calls, 0);
    EXPECT_EQ(d->GetRestAccept(), 1);
    d->SetVelocityXY(50, 0, 0); // moving: the world is asked again and the flag goes
    Frame(d.get());
    EXPECT_GT(world.calls, 0);
    EXPECT_EQ(d->GetRestAccept(), 0);
}

TEST_F(DweebleTest, ACorrectedMoveSnapsAndRestartsTheSteering) {
    const struct {
        float cx, cy;
        uint8_t apply;
        bool accept;
        float gx, gy;
    } cases[] = {{310.9965f, 190.2f, 1, true, 311, 190}, {305.9955f, 195.0f, 1, false, 305, 195},
                 {280.0f, 150.0f, 0, true, -1, -1}};
    for (const auto& c : cases) {
        SpyCharacterWorld world;
        auto d = Make(300, 200);
        d->SetCharacterWorld(&world);
        d->SetGroupRoutine(0, &DoNothing);
        d->SetBehaviourState(1);
        Frame(d.get()); // takes the last position
        const CPointF start = d->GetGroundPosition();
        d->StartStepTimer(100);
        d->StartTurnTimer(750);
        d->SetVelocityXY(100, 0, 0);
        world.correct = true;
        world.corrected = CPointF(c.cx, c.cy);
        world.applyAnswer = c.apply;
        world.accept = c.accept;
        Frame(d.get(), 30);
        ASSERT_EQ(world.resolved.size(), 1u);
        EXPECT_TRUE(d->StepTimerDone());
        EXPECT_TRUE(d->TurnTimerDone());
        const CPointF g = d->GetGroundPosition();
        if (c.apply) {
            EXPECT_EQ(g, CPointF(c.gx, c.gy));
        } else {
            EXPECT_GT(g.x, start.x); // not snapped
        }
        ASSERT_EQ(world.accepted.size(), 1u);
        EXPECT_EQ(world.accepted[0], g);
        EXPECT_EQ(d->GetLastPosition(), c.accept ? g : start);
    }
}

/// A world whose wall starts at x = 320: a move into it ends just short of the wall.
class WallWorld : public SpyCharacterWorld {
public:
    CPointF ResolveMove(CPointF from, CPointF to, int32_t flag, uint8_t* apply) override {
        SpyCharacterWorld::ResolveMove(from, to, flag, apply);
        return to.x > 320.0f ? CPointF(319.998f, to.y) : to;
    }
};

TEST_F(DweebleTest, WalkingPositionsFollowTheFifteenMillisecondMotionAndTheWallSnaps) {
    const struct {
        bool wall;
        float limit;
    } cases[] = {{false, 1e9f}, {true, 320.0f}};
    for (const auto& c : cases) {
        WallWorld wallWorld;
        SpyCharacterWorld openWorld;
        CCharacterWorld* world = c.wall ? static_cast<CCharacterWorld*>(&wallWorld) : &openWorld;
        auto d = Make(300, 200);
        d->SetCharacterWorld(world);
        d->SetGroupRoutine(1, &DoNothing);
        d->SetBehaviourState(3);
        Frame(d.get()); // takes the last position, and the motion clock starts
        d->SetHeading(1);
        d->ApplyHeading(3);
        float x = d->GetGroundPosition().x;
        const float y = d->GetGroundPosition().y;
        for (int frame = 1; frame <= 40; ++frame) {
            Frame(d.get());
            x += 100.0f * (16.0f / 1000.0f); // one step of the motion clock covers the frame
            if (x > c.limit) x = c.limit;    // snapped to the rounded corrected point
            ASSERT_NEAR(d->GetGroundPosition().x, x, 1e-3) << "frame " << frame << (c.wall ? " (wall)" : "");
            ASSERT_EQ(d->GetGroundPosition().y, y);
            ASSERT_EQ(d->GetLastPosition(), d->GetGroundPosition());
        }
    }
}

TEST_F(DweebleTest, WithoutWorldChecksOrWhenHiddenTheWorldIsNotAsked) {
    for (int variant = 0; variant < 2; ++variant) {
        SpyCharacterWorld world;
        auto d = Make();
        d->SetCharacterWorld(&world);
        d->SetGroupRoutine(0, &DoNothing);
        d->SetBehaviourState(1);
        if (variant == 0) d->SetWorldChecks(0);
        else d->SetVisible(0, 0);
        d->SetVelocityXY(100, 0, 0);
        for (int i = 0; i < 5; ++i) Frame(d.get());
        EXPECT_EQ(world.calls, 0) << variant;
    }
}

TEST_F(DweebleTest, DrawOrderFollowsTheVerticalPositionAndBias) {
    auto d = Make(300, 200);
    d->SetZBias(4);
    d->UpdateZOrder();
    EXPECT_EQ(d->GetPriority(), 5 * (200 + 4));
}

TEST_F(DweebleTest, MatchSpeedTakesTheFasterOfTheObjectAndTheMinimum) {
    auto d = Make();
    auto other = Make();
    TLVComplex_Object mover;
    mover.SetVelocityXY(30, 40, 0);
    other->SetSpeed(120);
    const struct {
        OActivityProp* object;
        int32_t minimum, extra, speed;
    } cases[] = {{other.get(), 0, 5, 125}, {other.get(), 200, 0, 200}, {&mover, 0, 10, 60}, {nullptr, 500, 0, 60}};
    for (const auto& c : cases) {
        d->MatchSpeed(c.object, c.minimum, c.extra);
        EXPECT_EQ(d->GetSpeed(), c.speed);
    }
}

TEST_F(DweebleTest, TheFactoryMakesCharacters) {
    xCharacters_RegisterClasses();
    OView* made = xTLVFactory_MakeProp(Dweeble::kClassId);
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsA(Dweeble::kClassId));
    delete made;
}

} // namespace
} // namespace vqt::test
