// The circus town's own play on the test map: its spoken lines and their marks, the quotas on
// arrival, the challenge areas and their re-arm, the menu and question buttons, tokens, the
// fire task's lines, the thinning by remembered fires, the siren, the vehicle's start place and
// the tasks' and mission's tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Fire.h"
#include "game/shell/PParticle.h"
#include "game/shell/StillProps.h"
#include "game/world/characters/ConstraintObject.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DCaptive.h"
#include "game/world/characters/DFollower.h"
#include "tests/game/world/towns/TownFixture.h"

namespace vqt::test {
namespace {

constexpr int W = WToon_Activity::kWorld;

class CircusTownTest : public TownFixture {};

TEST_F(CircusTownTest, LinesAreDroppedByTheirMarks) {
    struct Case {
        int line;
        bool busy;     // another line waits in the queue
        bool onceSet;  // the once-only flag before
        bool said;
        bool onceAfter;
    };
    const Case cases[] = {
        {3, false, false, true, false},  // Q, quiet
        {3, true, false, false, false},  // Q, busy
        {11, true, false, true, false},  // no mark: queued behind
        {19, false, false, true, true},  // QO sets the flag
        {19, false, true, false, true},  // QO dropped while it is set
        {20, true, false, false, false}, // QO dropped while busy leaves the flag
        {14, false, true, true, true},   // no mark ignores the flag
        {13, false, false, false, false}, // not a line of the town
        {2, false, false, false, false},
        {38, false, false, false, false},
    };
    WToon_Activity* town = ShowTown();
    ASSERT_NE(town, nullptr);
    for (const Case& c : cases) {
        Messages()->FlushMessages();
        town->SetOnceOnlyFlag(c.onceSet);
        if (c.busy) town->SayLine(10);
        const int32_t before = Messages()->QueueLength();
        town->SayLine(c.line);
        EXPECT_EQ(Messages()->QueueLength() - before, c.said ? 1 : 0) << "line " << c.line;
        EXPECT_EQ(town->GetOnceOnlyFlag(), c.onceAfter) << "line " << c.line;
    }
}

TEST_F(CircusTownTest, CaptionsUseTheWindowsSingleQuotes) {
    WToon_Activity* town = ShowTown();
    ASSERT_NE(town, nullptr);
    const struct {
        int line;
        const char* part;
        size_t quotes;
    } cases[] = {
        {3, "there\x92" "s a fire!", 1},
        {7, "Lead \x91" "em back", 2},
        {24, "You\x92" "ve picked", 1},
        {34, "you\x92" "re on the job!", 2},
        {36, "You\x92" "re almost done!", 1},
        {14, "Do you want to play?", 0},
    };
    for (const auto& c : cases) {
        const std::string caption = CaptionOf(town, c.line);
        EXPECT_NE(caption.find(c.part), std::string::npos) << c.line << ": " << caption;
        const size_t quotes = size_t(std::count_if(caption.begin(), caption.end(),
                                                   [](char ch) { return ch == '\x91' || ch == '\x92'; }));
        EXPECT_EQ(quotes, c.quotes) << c.line;
    }
}

TEST_F(CircusTownTest, ArrivalQuotasFollowTheRecordAndRefillWhenAllAreDone) {
    struct Case {
        uint16_t fires, puppies, mission;
        int16_t word34;
        uint16_t quota1, quota2, missionQuota;
        bool refilled;
    };
    const Case cases[] = {
        {5, 3, 2, 1, 5, 3, 2, false},
        {0, 0, 4, 2, 0, 0, 4, false},
        {0, 0, 0, 0, 20, 10, 10, true},  // all done: a new round with line 34
        {7, 0, 0, 2, 7, 0, 0, false},
        {1, 1, 1, -1, 1, 1, 1, false},   // not chosen yet
        {1, 1, 1, 3, 1, 1, 1, false},    // a damaged record counts as not chosen
        {1, 1, 1, 700, 1, 1, 1, false},
    };
    WToon_Activity* town = ShowTown();
    ASSERT_NE(town, nullptr);
    const std::string refillLine = CaptionOf(town, 34);
    for (const Case& c : cases) {
        Messages()->FlushMessages();
        SetQuotasLeft(c.fires, c.puppies, c.mission);
        Player()->SetWorldWord34(W, c.word34);
        Player()->SetWorldWord31(W, 1);
        town->SetCollectableQuotas();
        const int m = town->GetCurrentMission();
        ASSERT_TRUE(m >= 0 && m <= 2) << c.word34;
        if (c.word34 >= 0 && c.word34 <= 2) {
            EXPECT_EQ(m, c.word34);
        }
        EXPECT_EQ(Player()->GetWorldWord34(W), m);
        EXPECT_EQ(town->GetQuota(1), c.quota1);
        EXPECT_EQ(town->GetQuota(2), c.quota2);
        for (int k = 3; k <= 8; ++k) {
            const uint16_t expected = k == 3 + m ? c.missionQuota : k == 6 + m ? 10 : 0;
            EXPECT_EQ(town->GetQuota(k), expected) << "quota " << k << " mission " << m;
        }
        EXPECT_EQ(Player()->GetWorldWord31(W), c.refilled ? 0 : 1);
        EXPECT_EQ(Captions(), c.refilled ? std::vector<std::string>{refillLine} : std::vector<std::string>{});
    }
}

TEST_F(CircusTownTest, AChallengeAreaAsksOnceUntilTheKeyTimerRearmsIt) {
    struct Case {
        int area, flag, counter;
        int32_t counterValue;
        int line;
        ChunkId activity;
    };
    const Case cases[] = {
        {1, 3, 2, 0, 27, MakeChunkId(1, 15)}, {1, 3, 2, 2, 31, MakeChunkId(1, 15)},
        {2, 4, 1, 0, 26, MakeChunkId(1, 11)}, {2, 4, 1, 1, 30, MakeChunkId(1, 11)},
        {3, 5, 3, 0, 28, MakeChunkId(1, 13)}, {3, 5, 3, 1, 32, MakeChunkId(1, 13)},
        {4, 6, 4, 0, 29, MakeChunkId(1, 18)}, {4, 6, 4, 3, 33, MakeChunkId(1, 18)},
    };
    for (const Case& c : cases) {
        while (Player()->GetCounter(c.counter) < c.counterValue) Player()->IncCounter(c.counter);
        WToon_Activity* town = ShowTown();
        ASSERT_NE(town, nullptr);
        const std::string expectedLines[] = {CaptionOf(town, c.line), CaptionOf(town, 14)};
        for (int f = 3; f <= 6; ++f) Player()->SetActivityFlag(W, f, f == c.flag ? 1 : 0);
        const CPointF at = town->GetVehicle()->GetPosition();
        town->EnterArea(c.area, 0, 0, 0, 0);
        EXPECT_EQ(town->GetAreaNumber(), c.area);
        EXPECT_NE(town->GetPanel(TownWorld::kConfirmPanel), nullptr) << c.area;
        EXPECT_EQ(Player()->GetActivityFlag(W, c.flag), 0);
        EXPECT_EQ(Player()->GetWorldPosition(W), CPoint16(int16_t(at.x), int16_t(at.y)));
        EXPECT_EQ(town->GetPendingActivity(), c.activity);
        const std::vector<std::string> said = Captions();
        ASSERT_GE(said.size(), 2u);
        EXPECT_EQ(said[said.size() - 2], expectedLines[0]) << c.area;
        EXPECT_EQ(said.back(), expectedLines[1]) << c.area;

        // A second touch without the re-arm asks nothing.
        Messages()->FlushMessages();
        town->OnButton(TownWorld::kConfirmPanel, 0);
        town->EnterArea(c.area, 0, 0, 0, 0);
        EXPECT_TRUE(Captions().empty()) << c.area;
        EXPECT_FALSE(manager->IsSwitchPending()) << "no is no request";
        // The key timer restarted by the button re-arms all four areas after 5000 ms.
        town->DriveVehicle();
        EXPECT_EQ(Player()->GetActivityFlag(W, c.flag), 0);
        clock().Advance(5001);
        town->DriveVehicle();
        for (int f = 3; f <= 6; ++f) EXPECT_EQ(Player()->GetActivityFlag(W, f), 1) << f;
        EXPECT_FALSE(town->KeyTimer().running);
    }
}

TEST_F(CircusTownTest, TheConfirmationsYesRequestsTheMiniGame) {
    WToon_Activity* town = ShowTown();
    ASSERT_NE(town, nullptr);
    Player()->SetActivityFlag(W, 3, 1);
    town->EnterArea(1, 0, 0, 0, 0);
    town->OnButton(TownWorld::kConfirmPanel, 1);
    EXPECT_EQ(manager->GetPendingId(), MakeChunkId(1, 15)) << traced();
}

TEST_F(CircusTownTest, TheMenusButtonsStoreTheTownsPlace) {
    const struct {
        int16_t button;
        CPoint16 stored;
    } cases[] = {{0, kTownPlace}, {2, CPoint16(3550, 800)}, {3, CPoint16(3550, 800)}};
    for (const auto& c : cases) {
        WToon_Activity* town = ShowTown();
        ASSERT_NE(town, nullptr);
        Player()->SetWorldPosition(kTownPlace, W);
        town->OnButton(TownWorld::kMenuPanel, c.button);
        EXPECT_EQ(Player()->GetWorldPosition(W), c.stored) << c.button;
        EXPECT_TRUE(town->KeyTimer().running);
    }
}

TEST_F(CircusTownTest, TheFirstTokenOfAVisitSpeaksTheBadgeLineAndLaterOnesTheOthers) {
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        xSRand(seed);
        WToon_Activity* town = ShowTown();
        ASSERT_NE(town, nullptr);
        const std::string first = CaptionOf(town, 22);
        const std::string later[] = {CaptionOf(town, 23), CaptionOf(town, 24), CaptionOf(town, 25)};
        Player()->SetQuota1Left(W, 5); // a badge count below the cap
        auto* token = Add(town, new Token, 300, 300, 0);
        const uint16_t before = Player()->GetBadgeCount(W, 0);
        town->OnCollect(token, 0);
        EXPECT_TRUE(Captions().empty()) << "only the vehicle takes tokens";
        town->OnCollect(token, 1);
        EXPECT_EQ(Captions(), std::vector<std::string>{first});
        EXPECT_TRUE(town->GetBadgeLineFlag());
        for (int i = 0; i < 3; ++i) {
            Messages()->FlushMessages();
            town->OnCollect(token, 1);
            ASSERT_EQ(Captions().size(), 1u);
            EXPECT_NE(std::find(std::begin(later), std::end(later), Captions()[0]), std::end(later));
        }
        EXPECT_EQ(Player()->GetBadgeCount(W, 0), before + 4);
    }
}

TEST_F(CircusTownTest, PuttingOutATaskFireSpeaksByHowManyAreOut) {
    struct Case {
        uint16_t leftBefore;
        uint16_t fireTasksDone;
        int line; // -1: nothing; 0: one of lines 4 and 9, or nothing
        bool finishes;
    };
    // The count of finished fire tasks only grows: the cases run in its order.
    const Case cases[] = {
        {20, 0, 5, false},  // the first fire out
        {2, 0, -1, false},  // one left
        {11, 0, -1, false}, // ten left
        {20, 1, -1, false}, // one out of a task finished before: no multiple of 3
        {18, 1, 0, false},  // three out
        {5, 1, 0, false},   // fifteen out
        {1, 1, -1, true},   // the last
    };
    for (const Case& c : cases) {
        WToon_Activity* town = ShowTown();
        ASSERT_NE(town, nullptr);
        const std::string lines[] = {CaptionOf(town, 4), CaptionOf(town, 5), CaptionOf(town, 9)};
        while (Player()->GetActivityCount(W, 0) < c.fireTasksDone) Player()->IncActivityCount(W, 0);
        SetQuotasLeft(c.leftBefore, 3, 10);
        auto* fire = Add(town, new Fire, 300, 300, WToon_Activity::kFireId);
        auto* pen = Add(town, new ConstraintObject, 320, 300, WToon_Activity::kFirstFirePenId);
        const uint16_t hero = Player()->GetHeroPoints(W);
        town->OnCollect(fire, 1);
        EXPECT_EQ(Player()->GetQuota1Left(W), c.leftBefore) << "the vehicle does not douse";
        town->OnCollect(fire, 0);
        EXPECT_FALSE(fire->IsBurning());
        EXPECT_EQ(Player()->GetQuota1Left(W), c.leftBefore - 1);
        EXPECT_EQ(pen->GetObjectId(), WToon_Activity::kDousedPenId);
        ASSERT_EQ(town->GetSmokes().Count(), 1);
        EXPECT_TRUE(town->GetSmokes().GetAt(0)->IsVisible());
        EXPECT_EQ(town->GetSmokes().GetAt(0)->GetPosition(), fire->GetPosition());
        const std::vector<std::string> said = Captions();
        if (c.line == -1) {
            EXPECT_TRUE(said.empty()) << c.leftBefore;
        }
        if (c.line == 5) {
            EXPECT_EQ(said, std::vector<std::string>{lines[1]});
        }
        if (c.line == 0) {
            EXPECT_TRUE(said.empty() || said[0] == lines[0] || said[0] == lines[2]);
        }
        EXPECT_EQ(Player()->GetActivityCount(W, 0), c.fireTasksDone + (c.finishes ? 1 : 0)) << c.leftBefore;
        EXPECT_EQ(Player()->GetHeroPoints(W), hero + (c.finishes ? 1 : 0));
        // A second particle on the doused fire changes nothing.
        town->OnCollect(fire, 0);
        EXPECT_EQ(Player()->GetQuota1Left(W), c.leftBefore - 1);
    }
}

TEST_F(CircusTownTest, AFireCharacterIsPutOutOnceAndThenShooed) {
    WToon_Activity* town = ShowTown();
    ASSERT_NE(town, nullptr);
    SetQuotasLeft(8, 3, 10);
    auto* character = Loaded(town, new DAvoider, 300, 300, WToon_Activity::kFireId);
    EXPECT_EQ(character->GetGuardFlag(), 1) << "a fire character is added burning";
    town->OnCollect(character, 1);
    EXPECT_EQ(character->GetGuardFlag(), 1) << "only the spray puts it out";
    town->OnCollect(character, 0);
    EXPECT_EQ(character->GetGuardFlag(), 0);
    EXPECT_EQ(character->GetObjectId(), 0u);
    EXPECT_EQ(Player()->GetQuota1Left(W), 7);
    EXPECT_EQ(character->FramesA().Count(), 1);
    EXPECT_EQ(character->FramesB().Count(), 3);
    EXPECT_EQ(character->FramesC().Count(), 3);
    for (int i = 0; i < 20; ++i) town->OnCollect(character, 0);
    EXPECT_EQ(Player()->GetQuota1Left(W), 7) << "a put-out character is only shooed";
}

TEST_F(CircusTownTest, RememberedFiresBurnAgainAndTheThinningEnds) {
    struct Case {
        uint16_t quota;
        int fires;
        int characters;
        std::vector<int> remembered; // indices of the fires
        int kept;                    // props of object id 1 left
    };
    const Case cases[] = {
        {2, 5, 3, {0, 2}, 2},
        {4, 5, 3, {0, 2}, 4},    // two characters stay beside the remembered fires
        {1, 3, 0, {0, 1, 2}, 3}, // only remembered fires: they stay, the loop ends
        {0, 2, 2, {1}, 1},
    };
    for (uint32_t seed : {7u, 8u}) {
        for (const Case& c : cases) {
            xSRand(seed);
            WToon_Activity* town = ShowTown();
            ASSERT_NE(town, nullptr);
            std::vector<Fire*> fires;
            for (int i = 0; i < c.fires; ++i)
                fires.push_back(Add(town, new Fire, float(100 + 80 * i), 200, WToon_Activity::kFireId));
            for (int i = 0; i < c.characters; ++i) Loaded(town, new DAvoider, float(100 + 80 * i), 600, WToon_Activity::kFireId);
            Player()->ClearPoints();
            for (int i : c.remembered)
                Player()->AddPoint(CPoint16(int16_t(fires[size_t(i)]->GetPosition().x), int16_t(fires[size_t(i)]->GetPosition().y)));
            for (int k = 1; k <= 10; ++k) town->SetQuota(k, 0);
            town->SetQuota(1, c.quota);
            town->ApplyCollectableQuotas();
            CDynArray<OActivityProp*> left;
            town->FindPropsById(WToon_Activity::kFireId, left);
            EXPECT_EQ(left.Count(), c.kept) << "quota " << c.quota;
            for (int i = 0; i < c.fires; ++i) {
                const bool remembered = std::find(c.remembered.begin(), c.remembered.end(), i) != c.remembered.end();
                bool kept = false;
                for (int32_t j = 0; j < left.Count(); ++j) kept = kept || left.GetAt(j) == fires[size_t(i)];
                EXPECT_EQ(kept, remembered) << "fire " << i << " quota " << c.quota;
            }
        }
    }
}

TEST_F(CircusTownTest, TheSirenTogglesTheLightOrTheVariant) {
    for (bool light : {true, false}) {
        WToon_Activity* town = ShowTown();
        ASSERT_NE(town, nullptr);
        VIsometric* vehicle = Vehicle(town);
        ASSERT_NE(vehicle, nullptr);
        if (!light) vehicle->DetachProp();
        // The light shows from the start with the siren off: its first toggle hides it.
        for (int press = 1; press <= 4; ++press) {
            town->OnKey(TownWorld::kCtrlKey);
            const bool on = (press % 2 == 1) != light;
            EXPECT_FLOAT_EQ(vehicle->GetTopSpeed(), on ? 225.0f : 150.0f) << light << press;
            EXPECT_EQ(town->GetSirenFlag(), on ? 1 : 0);
            if (light) {
                EXPECT_EQ(vehicle->GetAttachedProp()->IsVisible(), on);
            }
        }
        const float speed = vehicle->GetTopSpeed();
        town->OnKey('A');
        EXPECT_FLOAT_EQ(vehicle->GetTopSpeed(), speed) << "other keys leave the siren";
    }
}

TEST_F(CircusTownTest, TheVehicleStartsAtTheStoredPlaceOrTheTownsStart) {
    const struct {
        CPoint16 stored;
        CPoint16 expected;
    } cases[] = {
        {CPoint16(600, 400), CPoint16(600, 400)},
        {CPoint16(0, 0), WToon_Activity::kStartPosition},
        {CPoint16(5000, 300), WToon_Activity::kStartPosition}, // off the map
        {CPoint16(-20, 300), WToon_Activity::kStartPosition},
    };
    for (const auto& c : cases) {
        Player()->SetWorldPosition(c.stored, W);
        WToon_Activity* town = ShowTown();
        ASSERT_NE(town, nullptr);
        const CPointF at = town->GetVehicle()->GetPosition();
        EXPECT_EQ(CPoint16(int16_t(at.x), int16_t(at.y)), c.expected);
        EXPECT_EQ(town->GetStartPosition(), WToon_Activity::kStartPosition);
        EXPECT_EQ(town->GetStartHeading(), WToon_Activity::kStartHeading);
    }
}

TEST_F(CircusTownTest, TheTasksAndTheMissionAreDoneByTheRecord) {
    struct Case {
        uint16_t fires, puppies, mission, hero;
        bool tasks, missionDone, delay;
    };
    const Case cases[] = {
        {0, 0, 5, 4, true, false, true},
        {0, 0, 5, 3, false, false, false}, // too few hero points
        {1, 0, 5, 9, false, false, false},
        {0, 2, 5, 9, false, false, false},
        {0, 0, 0, 5, true, true, false},
        {3, 3, 0, 0, false, true, false},
    };
    for (const Case& c : cases) {
        WToon_Activity* town = ShowTown();
        ASSERT_NE(town, nullptr);
        SetQuotasLeft(c.fires, c.puppies, c.mission);
        Player()->AddHeroPoints(W, uint16_t(c.hero - Player()->GetHeroPoints(W)));
        EXPECT_EQ(town->MainTasksDone(), c.tasks);
        EXPECT_EQ(town->MissionDone(), c.missionDone);
        town->IntroTimer().Stop();
        town->OnTasksDone();
        EXPECT_EQ(bool(town->IntroTimer().running), c.delay);
        EXPECT_EQ(manager->IsSwitchPending(), c.tasks && c.missionDone);
        if (c.tasks && c.missionDone) {
            EXPECT_EQ(manager->GetPendingId(), MakeChunkId(1, 6));
        }
    }
}

TEST_F(CircusTownTest, TheMissionShowsItsFiresAndCaptiveOnceAndEndsWithTheRescue) {
    WToon_Activity* town = ShowTown();
    ASSERT_NE(town, nullptr);
    Player()->SetWorldWord34(W, 1);
    SetQuotasLeft(0, 0, 2);
    town->SetCollectableQuotas();
    auto* fireA = Add(town, new Fire, 300, 300, 4);
    auto* fireB = Add(town, new Fire, 500, 300, 4);
    auto* other = Add(town, new Fire, 700, 300, 3);
    auto* captive = Add(town, new DCaptive, 400, 500, 7);
    auto* pen = Add(town, new ConstraintObject, 400, 500, 7);
    town->HideMissionProps();
    for (OActivityProp* prop : std::initializer_list<OActivityProp*>{fireA, fireB, other, captive, pen})
        EXPECT_FALSE(prop->IsVisible());
    EXPECT_FALSE(fireA->IsBurning());
    town->StartMission(1);
    for (Fire* fire : {fireA, fireB}) {
        EXPECT_TRUE(fire->IsVisible());
        EXPECT_TRUE(fire->IsBurning());
        EXPECT_EQ(fire->GetMaximumLevel(), 3);
        EXPECT_EQ(fire->GetLevel(), 3);
        EXPECT_EQ(fire->GetFlameTimer().duration, 10000);
    }
    EXPECT_FALSE(other->IsVisible()) << "another mission's fire stays hidden";
    EXPECT_TRUE(captive->IsVisible());
    EXPECT_FALSE(pen->IsVisible()) << "the pen stays hidden";
    EXPECT_EQ(town->GetMissionCaptive(), captive);
    EXPECT_EQ(town->GetMissionPen(), pen);
    EXPECT_EQ(captive->GetPen(), pen);
    EXPECT_EQ(captive->GetRescueActivity(), MakeChunkId(1, 6));
    other->SetObjectId(4);
    town->StartMission(1);
    EXPECT_FALSE(other->IsVisible()) << "a mission starts once";

    // A mission fire burns down a level a hit and goes out below the lowest; the second fire's
    // going out ends the mission.
    for (int hit = 0; hit < 3; ++hit) town->OnCollect(fireA, 0);
    EXPECT_TRUE(fireA->IsBurning());
    EXPECT_EQ(Player()->GetQuota3Left(W), 2);
    town->OnCollect(fireA, 0);
    EXPECT_FALSE(fireA->IsBurning());
    EXPECT_EQ(Player()->GetQuota3Left(W), 1);
    for (int hit = 0; hit < 4; ++hit) town->OnCollect(fireB, 0);
    EXPECT_EQ(Player()->GetQuota3Left(W), 0);
    EXPECT_EQ(Player()->GetActivityCount(W, 2), 1);
    EXPECT_EQ(town->GetDrivingMode(), TLVWorld_Activity::kMissionDoneMode);
    EXPECT_EQ(captive->GetState(), 1);
    EXPECT_FALSE(manager->IsSwitchPending()) << "the captive's rescue asks for the end";
}

} // namespace
} // namespace vqt::test

namespace vqt::test {
namespace {

TEST_F(CircusTownTest, ASprayBurstLaunchesItsParticlesAtItsIntervalAlongTheHeading) {
    for (uint16_t value : {uint16_t(0), uint16_t(1)}) {
        Player()->SetSelectedVehicle(value);
        WToon_Activity* town = ShowTown();
        ASSERT_NE(town, nullptr);
        const WToon_Activity::SprayBurst* burst = WToon_Activity::FindSprayBurst(value);
        ASSERT_NE(burst, nullptr);
        VIsometric* vehicle = Vehicle(town);
        ASSERT_NE(vehicle, nullptr);
        CPointF anchor;
        vehicle->GetAnchorPoint(&anchor);
        Vec3 heading;
        vehicle->GetHeadingVector(&heading);
        const float length = std::sqrt(heading.x * heading.x + heading.y * heading.y);
        const CPoint16 target(int16_t(std::lround(anchor.x + heading.x / length * burst->distance)),
                              int16_t(std::lround(anchor.y + heading.y / length * burst->distance)));

        town->DoVehicleAction();
        EXPECT_EQ(town->GetSprayCount(), burst->particles);
        // The model: one step at once, then one for each particle of the burst, each time more
        // than the interval went by since the last one.
        const int steps = 1 + burst->particles;
        int launched = 1;
        uint32_t since = 0;
        for (int ms = 1; ms <= 300; ++ms) {
            Frames(1, 1);
            if (launched < steps && ++since > uint32_t(burst->intervalMs)) {
                ++launched;
                since = 0;
            }
            ASSERT_EQ(town->GetParticles().Count(), launched) << "vehicle " << value << " at " << ms << " ms";
        }
        EXPECT_EQ(town->GetSprayCount(), 0);
        EXPECT_FALSE(town->GetSprayTimer().running);
        for (int32_t i = 0; i < town->GetParticles().Count(); ++i) {
            const PParticle* particle = town->GetParticles().GetAt(i);
            EXPECT_EQ(particle->GetTarget(), target) << i;
            EXPECT_EQ(particle->GetFlightTimer().duration, int32_t(burst->flightMs)) << i;
        }
        // Every particle has landed and hidden once its flight is over: the next burst reuses them.
        Frames(60, 10);
        town->DoVehicleAction();
        EXPECT_EQ(town->GetParticles().Count(), steps);
    }
}

} // namespace
} // namespace vqt::test

namespace vqt::test {
namespace {

class PuppyTest : public CircusTownTest {
protected:
    /// Puppies placed on the map and linked behind the vehicle, the first nearest to it.
    std::vector<DFollower*> LinkPuppies(WToon_Activity* town, int count) {
        std::vector<DFollower*> puppies;
        TLV_Object* last = town->GetVehicle();
        for (int i = 0; i < count; ++i) {
            DFollower* puppy = Add(town, new DFollower, float(500 - 40 * i), 450, WToon_Activity::kPuppyId);
            puppy->LinkAfter(last);
            last = puppy;
            puppies.push_back(puppy);
        }
        return puppies;
    }
};

TEST_F(PuppyTest, TheDogHouseTakesTheLinkedPuppiesHomeAndEndsTheTaskWithTheLast) {
    struct Case {
        int linked;
        uint16_t leftBefore;
        uint16_t leftAfter;
        bool finishes;
    };
    const Case cases[] = {{2, 2, 0, true}, {2, 5, 3, false}, {0, 3, 3, false}, {1, 1, 0, true}};
    for (const Case& c : cases) {
        WToon_Activity* town = ShowTown();
        ASSERT_NE(town, nullptr);
        SetQuotasLeft(0, c.leftBefore, 10);
        const std::vector<DFollower*> puppies = LinkPuppies(town, c.linked);
        const uint16_t count = Player()->GetActivityCount(W, 1), hero = Player()->GetHeroPoints(W);
        town->EnterArea(5, 1664, 1856, 0, -200);
        EXPECT_EQ(town->GetAreaNumber(), 5);
        EXPECT_EQ(Player()->GetQuota2Left(W), c.leftAfter) << c.linked << " of " << c.leftBefore;
        EXPECT_EQ(town->CountFollowers(), 0);
        for (DFollower* puppy : puppies) {
            EXPECT_EQ(puppy->GetBehaviourState(), 12);
            EXPECT_EQ(puppy->GetGoalPoint(), CPointF(1664, 1656));
        }
        EXPECT_EQ(Player()->GetActivityCount(W, 1), count + (c.finishes ? 1 : 0));
        EXPECT_EQ(Player()->GetHeroPoints(W), hero + (c.finishes ? 1 : 0));
    }
}

TEST_F(PuppyTest, APickedUpPuppySpeaksTheHalfwayLineOnlyWhereHalfAreLeft) {
    struct Case {
        uint16_t left;  // puppies not yet home (of 10)
        int linked;     // behind the vehicle, the new one included
        bool finishedBefore;
        bool said;
        bool firstFlagAfter;
    };
    const Case cases[] = {
        {10, 1, false, false, false}, // the first pick-up of a round: silent, once
        {10, 5, false, true, true},   // half of them left once these are home
        {8, 3, false, true, true},
        {8, 2, false, false, true},
        {10, 5, true, false, true},   // a task finished before says nothing
    };
    for (const Case& c : cases) {
        WToon_Activity* town = ShowTown();
        ASSERT_NE(town, nullptr);
        const std::string halfway = CaptionOf(town, 8);
        SetQuotasLeft(0, c.left, 10);
        if (c.finishedBefore && Player()->GetActivityCount(W, 1) == 0) Player()->IncActivityCount(W, 1);
        if (!c.finishedBefore) {
            ASSERT_EQ(Player()->GetActivityCount(W, 1), 0) << "cases of a finished task come last";
        }
        const std::vector<DFollower*> puppies = LinkPuppies(town, c.linked);
        town->OnFollowerAttached(puppies.back());
        const std::vector<std::string> said = Captions();
        EXPECT_EQ(!said.empty() && said.back() == halfway, c.said) << c.left << " " << c.linked;
        EXPECT_EQ(town->GetFirstPickUpPending(), c.firstFlagAfter) << c.left << " " << c.linked;
    }
}

} // namespace
} // namespace vqt::test

namespace vqt::test {
namespace {

TEST_F(CircusTownTest, ClosingAPanelBringsBackASirenThatWasOn) {
    // The light shows from the start with the siren off; two presses turn it on.
    for (int presses : {0, 1, 2}) {
        WToon_Activity* town = ShowTown();
        ASSERT_NE(town, nullptr);
        VIsometric* vehicle = Vehicle(town);
        ASSERT_NE(vehicle, nullptr);
        for (int i = 0; i < presses; ++i) town->OnKey(TownWorld::kCtrlKey);
        const bool sirenOn = town->GetSirenFlag() != 0;
        town->CreateButtonPanel(CTLVActivity::kPanelQuit);
        EXPECT_FALSE(vehicle->GetAttachedProp()->IsVisible()) << "a panel hides the light";
        EXPECT_FLOAT_EQ(vehicle->GetTopSpeed(), 150.0f);
        town->HidePanel(CTLVActivity::kPanelQuit, 1);
        EXPECT_EQ(vehicle->GetAttachedProp()->IsVisible() != 0, sirenOn) << presses;
        EXPECT_FLOAT_EQ(vehicle->GetTopSpeed(), sirenOn ? 225.0f : 150.0f) << presses;
        EXPECT_EQ(town->GetSirenFlag() != 0, sirenOn);
    }
}

} // namespace
} // namespace vqt::test

namespace vqt::test {
namespace {

TEST_F(CircusTownTest, ADousedMissionFirePassesItsMarkToTheNearestShownFireOrKeepsIt) {
    struct Case {
        bool neighbours; // other mission fires show
        bool markMoves;
    };
    for (const Case& c : {Case{true, true}, Case{false, false}}) {
        WToon_Activity* town = ShowTown();
        ASSERT_NE(town, nullptr);
        Player()->SetWorldWord34(W, 0);
        SetQuotasLeft(0, 0, 5);
        town->SetCollectableQuotas();
        auto* marked = Add(town, new Fire, 300, 300, 3);
        auto* near = Add(town, new Fire, 360, 300, 3);
        auto* far = Add(town, new Fire, 900, 300, 3);
        town->StartMission(0);
        if (!c.neighbours) {
            near->SetVisible(0, 0);
            far->SetVisible(0, 0);
        }
        marked->SetPassOnMark(true);
        for (int hit = 0; hit < 4; ++hit) town->OnCollect(marked, 0);
        ASSERT_FALSE(marked->IsBurning());
        EXPECT_EQ(Player()->GetQuota3Left(W), 4);
        EXPECT_EQ(marked->HasPassOnMark(), !c.markMoves);
        EXPECT_EQ(near->HasPassOnMark(), c.markMoves);
        EXPECT_FALSE(far->HasPassOnMark());
    }
}

TEST_F(CircusTownTest, TheDriveTutorialClosesByItsButtonOneAndTheTownDrivesOn) {
    // Without a button of its own the tutorial panel, which pauses the town, stayed open for good.
    WToon_Activity* town = ShowTown();
    ASSERT_NE(town, nullptr);
    town->CreateButtonPanel(TLVWorld_Activity::kTutorialPanel);
    ASSERT_TRUE(town->IsPanelShown(TLVWorld_Activity::kTutorialPanel));
    ASSERT_NE(town->GetTutorialPicture(), nullptr);
    ButtonPanel_Prop* panel = town->GetPanel(TLVWorld_Activity::kTutorialPanel);
    ASSERT_NE(panel, nullptr);
    ButtonPanel_Button* button = panel->GetButton(1);
    ASSERT_NE(button, nullptr) << "the player has a button to close the tutorial with";
    panel->OnClick(); // a click beside the button only asks again
    Frames(10, 10);
    EXPECT_TRUE(town->IsPanelShown(TLVWorld_Activity::kTutorialPanel));
    button->OnButtonUp();
    for (int frame = 0; frame < 300 && town->IsPanelShown(-1); ++frame) Frames(1, 10);
    EXPECT_FALSE(town->IsPanelShown(-1)) << "the panel closes once its speech ends";
    EXPECT_EQ(town->GetTutorialPicture(), nullptr);
}

} // namespace
} // namespace vqt::test
