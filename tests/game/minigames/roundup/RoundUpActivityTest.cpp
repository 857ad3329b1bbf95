// The round-ups on the generated data: the start by level and vehicle, catches driven round
// the animals, the end (once), the animals' move test, the hints' conditions, the panels'
// buttons and the factory's round-up classes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/base/Random.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/MusicProcess.h"
#include "game/minigames/roundup/GUMetropolisActivity.h"
#include "game/minigames/roundup/GUToonActivity.h"
#include "game/minigames/roundup/GUZooActivity.h"
#include "game/minigames/roundup/RoundUpClasses.h"
#include "game/minigames/roundup/RoundUpTowns.h"
#include "game/shell/PBeam.h"
#include "game/shell/PParticle.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Player.h"
#include "game/world/WorldClasses.h"
#include "game/world/characters/DRoundUp.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/minigames/roundup/RoundUpFixture.h"

namespace vqt::test {
namespace {

class RoundUpActivityTest : public RoundUpFixture {};

TEST_F(RoundUpActivityTest, EachLevelKeepsItsAnimalsAndBadgesAndTunesTheAnimals) {
    const struct {
        uint16_t level;
        uint16_t animals, badges;
        int32_t walkSpeed;
        bool traced;
    } cases[] = {{1, 4, 2, 11, false}, {2, 8, 3, 33, false}, {3, 10, 4, 100, false}, {0, 4, 2, 11, true}, {9, 10, 4, 100, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level);
        CRoundUpActivity* r = Start(kCircus, c.level);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->GetAnimalCount(), c.animals);
        EXPECT_EQ(r->GetAnimalsLeft(), c.animals);
        EXPECT_EQ(Animals(r).size(), size_t(c.animals));
        EXPECT_EQ(r->GetList(TLVWorld_Activity::kTokens).Count(), int32_t(c.badges));
        for (DRoundUp* a : Animals(r)) EXPECT_EQ(a->GetWalkSpeed(), c.walkSpeed);
        EXPECT_EQ(traced().find("round-up level") != std::string::npos, c.traced);
        EXPECT_TRUE(r->IsPanelShown(CRoundUpActivity::kStartPanel));
        Leave();
    }
}

TEST_F(RoundUpActivityTest, EachVehicleBringsItsPartMarksSpeedsAndStart) {
    const struct {
        Town town;
        int vehicle;
        float normal, siren;
    } cases[] = {{kCircus, 0, 150, 225}, {kCircus, 1, 175, 250}, {kZoo, 0, 150, 225},
                 {kZoo, 1, 175, 250},    {kCity, 0, 150, 225},   {kCity, 1, 175, 250}};
    for (const auto& c : cases) {
        const RoundUpTown::Vehicle& v = c.town.values->vehicles[c.vehicle];
        SCOPED_TRACE(testing::Message() << "vehicle " << v.number);
        CRoundUpActivity* r = Start(c.town, 1, c.vehicle);
        ASSERT_NE(r, nullptr);
        EXPECT_TRUE(r->IsA(c.town.classId));
        EXPECT_TRUE(r->IsA(CRoundUpActivity::kClassId));
        EXPECT_EQ(r->GetVehiclePartId(), v.part);
        EXPECT_EQ(r->GetTrack().GetMarkArt(), v.markArt);
        EXPECT_FLOAT_EQ(r->GetNormalSpeed(), c.normal);
        EXPECT_FLOAT_EQ(r->GetSirenSpeed(), c.siren);
        EXPECT_EQ(r->GetActionCooldown(), v.actionCooldownMs);
        EXPECT_EQ(r->GetBorderMargin(), 200);
        ASSERT_NE(r->GetVehicle(), nullptr);
        EXPECT_EQ(r->GetVehicle()->GetPosition(), CPointF(c.town.values->startPosition.x, c.town.values->startPosition.y));
        Leave();
    }
}

TEST_F(RoundUpActivityTest, ALoopRoundOneAnimalCatchesItSaysHintNineAndTheTrackHemsTheOthers) {
    CRoundUpActivity* r = Start(kCircus, 1);
    ASSERT_NE(r, nullptr);
    CloseStartPanel(r);
    std::vector<DRoundUp*> animals = Animals(r);
    ASSERT_EQ(animals.size(), 4u);
    for (size_t i = 0; i < animals.size(); ++i) HoldStill(animals[i], 300.0f + 250.0f * float(i), 500.0f);
    DriveCircle(r, CPointF(550, 500), 70);
    EXPECT_TRUE(animals[1]->IsCaught());
    EXPECT_FALSE(animals[0]->IsCaught());
    EXPECT_FALSE(animals[2]->IsCaught());
    EXPECT_EQ(r->GetAnimalsLeft(), 3);
    EXPECT_EQ(Count(Captions(), "You got \x91" "em!  Great work."), 1);
    // The track's segments stand between the other animals and the loop's inside.
    const CPoint16 inside(550, 500), outside(550, 650);
    EXPECT_FALSE(r->CanMoveTo(inside.x, inside.y, outside.x, outside.y, 1));
    EXPECT_TRUE(r->CanMoveTo(550, 650, 560, 700, 1));
}

TEST_F(RoundUpActivityTest, TheLastAnimalsCaughtTogetherEndTheRoundUpOnceAndRaiseTheLevel) {
    CRoundUpActivity* r = Start(kCircus, 1);
    ASSERT_NE(r, nullptr);
    CloseStartPanel(r);
    const uint16_t heroPoints = Player().GetHeroPoints(0), count = Player().GetActivityCount(0, CRoundUpActivity::kActivity);
    std::vector<DRoundUp*> animals = Animals(r);
    ASSERT_EQ(animals.size(), 4u);
    HoldStill(animals[0], 300, 500);
    HoldStill(animals[1], 560, 500);
    HoldStill(animals[2], 900, 500);
    HoldStill(animals[3], 900, 500);
    DriveCircle(r, CPointF(300, 500), 60);
    DriveCircle(r, CPointF(560, 500), 60);
    EXPECT_EQ(r->GetAnimalsLeft(), 2);
    Messages().FlushMessages();
    DriveCircle(r, CPointF(900, 500), 90);
    EXPECT_EQ(r->GetAnimalsLeft(), 0);
    EXPECT_EQ(Count(Captions(), "You got \x91" "em!  Great work."), 0) << "no hint on a multiple catch";
    EXPECT_EQ(Player().GetActivityLevel(0, CRoundUpActivity::kActivity), 2);
    FramesUntil([&] { return r->HasEnded(); }, 400);
    ASSERT_TRUE(r->HasEnded());
    const std::vector<std::string> said = Captions();
    Frames(60, kFrameMs);
    EXPECT_TRUE(r->IsPanelShown(CRoundUpActivity::kWinPanel));
    EXPECT_EQ(Player().GetHeroPoints(0), heroPoints + 1);
    EXPECT_EQ(Player().GetActivityCount(0, CRoundUpActivity::kActivity), count + 1);
    EXPECT_EQ(Count(said, "That\x92s the way to round \x91" "em up!  Great job."), 1);
    EXPECT_EQ(Count(said, "Do you want to play again or return to Rozodudurid?"), 1);
}

TEST_F(RoundUpActivityTest, AnAnimalOfAnotherIdCaughtAfterTheEndCountsNothing) {
    CRoundUpActivity* r = Start(kCircus, 1);
    ASSERT_NE(r, nullptr);
    CloseStartPanel(r);
    auto* stray = new DRoundUp;
    stray->SetObjectId(0);
    ChunkId animalPart = kNullChunkId;
    r->GetList(TLVWorld_Activity::kRoundUps).GetAt(0)->GetPartID(&animalPart);
    stray->SetPartID(app->GetPartFile(), animalPart, 1);
    r->AddChild(stray);
    r->AddProp(stray);
    std::vector<DRoundUp*> animals = Animals(r);
    ASSERT_EQ(animals.size(), 5u);
    for (size_t i = 0; i < animals.size(); ++i) HoldStill(animals[i], 250.0f + 200.0f * float(i), 500.0f);
    for (size_t i = 0; i < animals.size(); ++i) {
        if (animals[i] == stray) continue;
        DriveCircle(r, CPointF(250.0f + 200.0f * float(i), 500.0f), 60);
    }
    EXPECT_EQ(r->GetAnimalsLeft(), 0);
    const auto strayAt = stray->GetPosition();
    DriveCircle(r, CPointF(strayAt.x, 500.0f), 60);
    EXPECT_EQ(r->GetAnimalsLeft(), 0) << "no count below zero";
    EXPECT_EQ(Player().GetActivityLevel(0, CRoundUpActivity::kActivity), 2) << "raised once";
}

TEST_F(RoundUpActivityTest, ABadgeTakenRaisesTheCountAndMarksTheFirstBadge) {
    CRoundUpActivity* r = Start(kCircus, 1);
    ASSERT_NE(r, nullptr);
    CloseStartPanel(r);
    const auto& tokens = r->GetList(TLVWorld_Activity::kTokens);
    ASSERT_GT(tokens.Count(), 0);
    auto* badge = dynamic_cast<TLV_Object*>(tokens.GetAt(0));
    ASSERT_NE(badge, nullptr);
    TLV_Object* animal = Animals(r).at(0);
    const int world = kCircus.values->world;
    const uint16_t before = Player().GetBadgeCount(world, 0);
    struct Case {
        TLV_Object* prop;
        int32_t collected;
        int raised; ///< the count after, over the count before
        bool first;
    };
    // Only a badge really taken counts; the flag stays once set.
    const Case cases[] = {{badge, 0, 0, false}, {animal, 1, 0, false}, {nullptr, 1, 0, false},
                          {badge, 1, 1, true},  {badge, 1, 2, true}};
    for (const Case& c : cases) {
        r->OnCollect(c.prop, c.collected);
        EXPECT_EQ(Player().GetBadgeCount(world, 0), before + c.raised);
        EXPECT_EQ(r->HasFirstBadge(), c.first);
    }
}

TEST_F(RoundUpActivityTest, DismissingTheStartPanelPlaysTheTownsMusic) {
    for (const Town& town : {kCircus, kZoo, kCity}) {
        SCOPED_TRACE(town.entry);
        CRoundUpActivity* r = Start(town);
        ASSERT_NE(r, nullptr);
        r->OnPanelDismissed(CRoundUpActivity::kStartPanel);
        OMusicProcess* music = app->GetMusic();
        ASSERT_NE(music, nullptr);
        ASSERT_TRUE(music->GetSnippetData().has_value());
        EXPECT_EQ(music->GetSnippetData()->firstEntry, town.values->music);
        EXPECT_TRUE(music->IsPlaying());
        EXPECT_NE(music->GetSnippet(), nullptr) << "the generated data has the tune";
        Leave();
    }
}

TEST_F(RoundUpActivityTest, QuietAndIdleHintsWaitForSilence) {
    CRoundUpActivity* r = Start(kCity, 3);
    ASSERT_NE(r, nullptr);
    CloseStartPanel(r);
    const struct {
        int hint;
        bool queued;
        const char* caption;
        bool said;
    } cases[] = {
        {5, false, "Get around those criminals!", true},
        {5, true, "Get around those criminals!", false},
        {10, false, "Multiple pick-up! You\x92re good!", true},
        {10, true, "Multiple pick-up! You\x92re good!", false},
        {12, true, "Do you want to play again or return to Rododizeda?", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hint);
        Messages().FlushMessages();
        if (c.queued) r->ShowHint(0);
        r->ShowHint(c.hint);
        EXPECT_EQ(Count(Captions(), c.caption), c.said ? 1 : 0);
    }
}

TEST_F(RoundUpActivityTest, HintNineOfTheZooIsSaidEvenWhileALineIsQueued) {
    const struct {
        Town town;
        bool said;
    } cases[] = {{kZoo, true}, {kCircus, false}, {kCity, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.town.entry);
        CRoundUpActivity* r = Start(c.town, 1);
        ASSERT_NE(r, nullptr);
        CloseStartPanel(r);
        r->ShowHint(0);
        const int32_t before = Messages().QueueLength();
        r->ShowHint(9);
        EXPECT_EQ(Messages().QueueLength() - before, c.said ? 1 : 0);
        Leave();
    }
}

TEST_F(RoundUpActivityTest, TheEasierLevelTakenLowersTheLevelButNotBelowOne) {
    for (const uint16_t level : {3, 1}) {
        SCOPED_TRACE(level);
        CRoundUpActivity* r = Start(kZoo, level);
        ASSERT_NE(r, nullptr);
        r->CreateButtonPanel(TLVWorld_Activity::kPanelMenu);
        ASSERT_NE(r->GetPanel(TLVWorld_Activity::kPanelMenu), nullptr);
        r->OnButton(TLVWorld_Activity::kPanelMenu, 1);
        EXPECT_EQ(Player().GetActivityLevel(1, CRoundUpActivity::kActivity), level) << "the menu only asks";
        EXPECT_TRUE(r->GetPanel(TLVWorld_Activity::kPanelMenu)->IsClosing()) << "the menu closes after its line";
        r->OnButton(TLVWorld_Activity::kPanelLeave, 1);
        EXPECT_EQ(Player().GetActivityLevel(1, CRoundUpActivity::kActivity), level > 1 ? level - 1 : 1);
        Leave();
    }
}

TEST_F(RoundUpActivityTest, TheWinPanelsButtonsPlayAgainOrReturnToTheTown) {
    const struct {
        Town town;
        int16_t button;
        uint16_t next;
    } cases[] = {{kCircus, 1, 18}, {kCity, 0, 17}};
    for (const auto& c : cases) {
        CRoundUpActivity* r = Start(c.town, 1);
        ASSERT_NE(r, nullptr);
        r->OnButton(CRoundUpActivity::kWinPanel, c.button);
        EXPECT_EQ(manager->GetPendingId(), MakeChunkId(1, c.next));
        Frames(2, kFrameMs);
        Leave();
    }
}

TEST_F(RoundUpActivityTest, AWorldWithoutAnimalsNeverWinsButCanBeLeft) {
    Player().SetSelectedVehicle(0);
    SwitchTo(kEmptyRoundUp);
    auto* r = dynamic_cast<CRoundUpActivity*>(CurrentGameActivity());
    ASSERT_NE(r, nullptr);
    CloseStartPanel(r);
    EXPECT_EQ(r->GetAnimalCount(), 0);
    EXPECT_NE(traced().find("only 0 animals to round up of 4"), std::string::npos);
    r->CheckRoundUpEnd();
    EXPECT_FALSE(r->HasEnded());
    EXPECT_FALSE(r->IsPanelShown(CRoundUpActivity::kWinPanel));
    r->OnButton(TLVWorld_Activity::kPanelLeave, 1);
    EXPECT_EQ(manager->GetPendingId(), MakeChunkId(1, 8)) << "the leave panel's button returns to the town";
}

TEST_F(RoundUpActivityTest, AnAnimalInAStillLoopStaysInsideForTwoMinutes) {
    CRoundUpActivity* r = Start(kCircus, 3);
    ASSERT_NE(r, nullptr);
    CloseStartPanel(r);
    // Without a vehicle the track takes no steps of its own: the loop laid here stays.
    r->DestroyVehicle();
    std::vector<DRoundUp*> animals = Animals(r);
    ASSERT_FALSE(animals.empty());
    DRoundUp* penned = animals[0];
    const CPointF at = penned->GetGroundPosition();
    const int16_t x0 = int16_t(at.x - 80), y0 = int16_t(at.y - 60), x1 = int16_t(at.x + 80), y1 = int16_t(at.y + 60);
    for (const CPoint16 corner : {CPoint16(x0, y0), CPoint16(x1, y0), CPoint16(x1, y1), CPoint16(x0, y1), CPoint16(x0, y0)})
        r->Track().Step(corner, 0, nullptr);
    ASSERT_EQ(r->GetTrack().SegmentCount(), 4);
    float minX = at.x, maxX = at.x, minY = at.y, maxY = at.y;
    for (int frame = 0; frame < 120000 / int(kFrameMs); ++frame) {
        Frames(1, kFrameMs);
        const CPointF g = penned->GetGroundPosition();
        minX = std::min(minX, g.x), maxX = std::max(maxX, g.x), minY = std::min(minY, g.y), maxY = std::max(maxY, g.y);
        ASSERT_TRUE(g.x > x0 && g.x < x1 && g.y > y0 && g.y < y1) << "out at " << g.x << "," << g.y << " after " << frame;
    }
    EXPECT_GT(maxX - minX + maxY - minY, 20.0f) << "it did roam inside";
}

TEST_F(RoundUpActivityTest, CtrlTogglesTheSirenLightAndSpeedAndAPanelHoldsThePlay) {
    CRoundUpActivity* r = Start(kCircus, 1, 1);
    ASSERT_NE(r, nullptr);
    r->Resume();
    EXPECT_NE(r->ActionTimer().paused, 0) << "no play while the start panel shows";
    CloseStartPanel(r);
    auto* vehicle = dynamic_cast<VIsometric*>(r->GetVehicle());
    ASSERT_NE(vehicle, nullptr);
    OActivityProp* light = vehicle->GetAttachedProp();
    ASSERT_NE(light, nullptr);
    const struct {
        bool lightOn;
        float speed;
    } presses[] = {{true, 250.0f}, {false, 175.0f}, {true, 250.0f}};
    for (const auto& p : presses) {
        r->OnKey(CTLVActivity::kKeyCtrl);
        EXPECT_EQ(light->IsVisible() != 0, p.lightOn);
        EXPECT_EQ(r->GetSirenFlag() != 0, p.lightOn);
        EXPECT_FLOAT_EQ(vehicle->GetTopSpeed(), p.speed);
    }
    // A panel quiets the siren; closing it brings the siren back.
    r->CreateButtonPanel(CRoundUpActivity::kStartPanel);
    EXPECT_FALSE(light->IsVisible());
    EXPECT_FLOAT_EQ(vehicle->GetTopSpeed(), 175.0f);
    r->HidePanel(CRoundUpActivity::kStartPanel, 1);
    EXPECT_TRUE(light->IsVisible());
    EXPECT_FLOAT_EQ(vehicle->GetTopSpeed(), 250.0f);
}

// ---- The vehicles' actions -----------------------------------------------------------------------

TEST_F(RoundUpActivityTest, CityBurstsThrowFourOrSixParticlesAndAPressMeanwhileIsIgnored) {
    const struct {
        int vehicle;
        int32_t particles;
        uint32_t spanMs;
    } cases[] = {{0, 4, 3 * 45}, {1, 6, 5 * 20}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vehicle);
        auto* city = dynamic_cast<GUMetropolis_Activity*>(Start(kCity, 1, c.vehicle));
        ASSERT_NE(city, nullptr);
        CloseStartPanel(city);
        city->DoVehicleAction();
        EXPECT_EQ(city->GetThrower().GetThrown(), 1) << "one at once";
        city->DoVehicleAction();
        EXPECT_EQ(city->GetThrower().GetLeft(), c.particles - 1) << "a press during the burst is ignored";
        FramesUntil([&] { return !city->GetThrower().IsThrowing(); }, int(c.spanMs / kFrameMs) + 4);
        EXPECT_EQ(city->GetThrower().GetThrown(), c.particles);
        ASSERT_EQ(city->GetThrower().GetPool().size(), size_t(c.particles)) << "all in the air at once";
        for (PParticle* p : city->GetThrower().GetPool())
            EXPECT_EQ(p->GetPriority(), city->GetVehicle()->GetPriority() - 1);
        Leave();
    }
}

TEST_F(RoundUpActivityTest, TheCircusVehicleDropsEightFortyFiveMillisecondsApart) {
    auto* circus = dynamic_cast<GUToon_Activity*>(Start(kCircus, 1));
    ASSERT_NE(circus, nullptr);
    CloseStartPanel(circus);
    const uint32_t start = clock().TickCount();
    circus->DoVehicleAction();
    FramesUntil([&] { return !circus->GetThrower().IsThrowing(); }, 100);
    const uint32_t took = clock().TickCount() - start;
    EXPECT_EQ(circus->GetThrower().GetThrown(), 8);
    EXPECT_GE(took, 7u * 45u);
    EXPECT_LT(took, 8u * 45u + 2 * kFrameMs);
    for (PParticle* p : circus->GetThrower().GetPool()) {
        EXPECT_EQ(p->GetPriority(), 32767);
        EXPECT_EQ(p->GetLaunchSound(), MakeChunkId(7, 65));
        EXPECT_EQ(p->GetLandingSound(), Projectile::kNoSound) << "the drops land quietly";
    }
    // Every drop lands (300 ms of flight) without asking for a sound that is not there.
    FramesUntil([&] { return false; }, int(400 / kFrameMs));
    EXPECT_TRUE(dialogs().Boxes().empty()) << dialogs().Boxes().front().text;
    Leave();
}

TEST_F(RoundUpActivityTest, TheZooBeamRidesOnTheVehicleAndFiresOnlyWhenDark) {
    const struct {
        int vehicle;
        ChunkId part;
        float offset;
    } cases[] = {{0, MakeChunkId(2, 478), -7.0f}, {1, MakeChunkId(2, 674), 0.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vehicle);
        auto* zoo = dynamic_cast<GUZoo_Activity*>(Start(kZoo, 1, c.vehicle));
        ASSERT_NE(zoo, nullptr);
        PBeam* beam = zoo->GetBeam();
        ASSERT_NE(beam, nullptr);
        ChunkId part = kNullChunkId;
        beam->GetPartID(&part);
        EXPECT_EQ(part, c.part);
        EXPECT_EQ(beam->GetOwner(), zoo->GetVehicle());
        CloseStartPanel(zoo);
        EXPECT_FALSE(beam->IsVisible());
        zoo->DoVehicleAction();
        EXPECT_TRUE(beam->IsVisible());
        Leave();
    }
}

} // namespace
} // namespace vqt::test
