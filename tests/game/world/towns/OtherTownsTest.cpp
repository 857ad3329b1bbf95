// The city's and the zoo's own play on the test map, told side by side: what each prop does
// when the vehicle, a canister or the beam takes it, the challenge areas and their re-arm, the
// siren keys, the vehicles' sounds, the arrival sound, the destructibles' stored states, the
// refills, the mission's single end, and the damaged worlds and records both towns play on.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/media/Snippet.h"
#include "engine/media/Sound.h"
#include "engine/media/TextDView.h"
#include "engine/media/MusicProcess.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/Destructible.h"
#include "game/shell/PBeam.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DCaptive.h"
#include "game/world/characters/DFollower.h"
#include "game/world/characters/DGuard.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/world/towns/OtherTownsFixture.h"
#include "tests/support/StoredProperties.h"

namespace vqt::test {
namespace {

class OtherTownsTest : public OtherTownsFixture {
protected:
    /// A prop on the town at (x, y), handed to AddProp as the activity data does.
    template <class Prop>
    Prop* Put(TownWorld* town, Prop* prop, uint32_t objectId) {
        return Add(town, prop, 300, 300, objectId);
    }
    bool Said(const std::vector<std::string>& captions, const std::string& line) {
        return std::find(captions.begin(), captions.end(), line) != captions.end();
    }
};

TEST_F(OtherTownsTest, EachPropTakenCountsAndSpeaksByTheTownsRules) {
    enum Kind { kBag, kAvoider, kGuard };
    struct Case {
        OtherTown town;
        Kind kind;
        uint32_t objectId;
        int32_t byVehicle;
        int quota;           // the quota counted: 1, 2 or 3
        int16_t leftBefore;  // -1: the quota's maximum
        int16_t leftAfter;   // -1: the maximum less one
        std::vector<int> lines; // one of these is said (empty: none)
        bool maySayNothing;
        int finishedTask;    // -1: none
    };
    const Case cases[] = {
        // The city's loot: the first pile ever, a pile at 8 left, at 7 left, the last.
        {kCity, kBag, 2, 1, 1, -1, -1, {6}, false, -1},
        {kCity, kBag, 2, 1, 1, 9, 8, {8, 9, 25}, false, -1},
        {kCity, kBag, 2, 1, 1, 8, 7, {}, true, -1},
        {kCity, kBag, 2, 1, 1, 1, 0, {}, true, 0},
        {kCity, kBag, 2, 0, 1, 9, 9, {}, true, -1},  // a canister takes no loot
        {kCity, kBag, 1, 1, 1, 9, 9, {}, true, -1},  // not loot
        // Criminals: picked up by the vehicle; quiet at 1 and 10 left; the last ends the task.
        {kCity, kAvoider, 1, 1, 2, 20, 19, {2, 3, 26, 27}, false, -1},
        {kCity, kAvoider, 1, 1, 2, 2, 1, {}, true, -1},
        {kCity, kAvoider, 1, 1, 2, 11, 10, {}, true, -1},
        {kCity, kAvoider, 1, 1, 2, 1, 0, {}, true, 1},
        {kCity, kAvoider, 1, 0, 2, 5, 5, {}, true, -1}, // a canister only stuns
        {kCity, kAvoider, 0, 0, 2, 5, 5, {15, 16}, true, -1},
        // The zoo's monkeys: the first ever, later ones, quiet at 7, the last.
        {kZoo, kAvoider, 1, 1, 1, -1, -1, {3, 5, 7}, false, -1},
        {kZoo, kAvoider, 1, 1, 1, 10, 9, {1, 2}, true, -1},
        {kZoo, kAvoider, 1, 1, 1, 8, 7, {}, true, -1},
        {kZoo, kAvoider, 1, 1, 1, 1, 0, {}, true, 0},
        {kZoo, kAvoider, 1, 0, 1, 5, 5, {}, true, -1}, // the beam does not count a monkey
        {kZoo, kAvoider, 0, 0, 1, 5, 5, {17, 18}, true, -1},
        // Guard monkeys count the mission down.
        {kZoo, kGuard, 3, 1, 3, 5, 4, {}, true, -1},
        {kZoo, kGuard, 4, 0, 3, 5, 5, {}, true, -1},
        {kZoo, kGuard, 9, 1, 3, 5, 5, {}, true, -1},
    };
    // The first-ever cases come before the cases that finish a task.
    for (const Case& c : cases) {
        for (uint32_t seed : {1u, 2u, 3u}) {
            TownWorld* town = ShowTown(c.town);
            ASSERT_NE(town, nullptr);
            const int w = c.town.world;
            const int16_t most = int16_t(c.quota == 1   ? Player()->GetQuota1Max(w)
                                         : c.quota == 2 ? Player()->GetQuota2Max(w)
                                                        : Player()->GetQuota3Max(w));
            const int16_t before = c.leftBefore < 0 ? most : c.leftBefore;
            const int16_t after = c.leftAfter < 0 ? int16_t(most - 1) : c.leftAfter;
            SetQuotasLeft(w, 9, 9, 9);
            if (c.quota == 1) Player()->SetQuota1Left(w, uint16_t(before));
            if (c.quota == 2) Player()->SetQuota2Left(w, uint16_t(before));
            if (c.quota == 3) Player()->SetQuota3Left(w, uint16_t(before));
            std::vector<std::string> allowed;
            for (int line : c.lines) allowed.push_back(CaptionOf(town, line));
            TLV_Object* prop = c.kind == kBag       ? static_cast<TLV_Object*>(Put(town, new Bag, c.objectId))
                               : c.kind == kAvoider ? static_cast<TLV_Object*>(Put(town, new DAvoider, c.objectId))
                                                    : static_cast<TLV_Object*>(Put(town, new DGuard, c.objectId));
            const uint16_t counts = Player()->GetActivityCount(w, 0) + Player()->GetActivityCount(w, 1);
            const uint16_t hero = Player()->GetHeroPoints(w);
            Messages()->FlushMessages();
            xSRand(seed);
            town->OnCollect(prop, c.byVehicle);
            const uint16_t left = c.quota == 1   ? Player()->GetQuota1Left(w)
                                  : c.quota == 2 ? Player()->GetQuota2Left(w)
                                                 : Player()->GetQuota3Left(w);
            const std::string what = std::string(c.town.name) + " quota " + std::to_string(c.quota) + " left " +
                                     std::to_string(before) + " seed " + std::to_string(seed);
            EXPECT_EQ(left, after) << what;
            const bool taken = after != before;
            EXPECT_EQ(!xProp_IsHidden(prop), !taken) << what;
            if (taken && c.kind == kAvoider) {
                EXPECT_EQ(prop->GetObjectId(), 0u) << what;
            }
            // The task's end speaks nothing of its own, the task's sound comes instead.
            const std::vector<std::string> said = Captions();
            const size_t spoken = std::count_if(said.begin(), said.end(), [&](const std::string& s) {
                return std::find(allowed.begin(), allowed.end(), s) != allowed.end();
            });
            if (c.maySayNothing) {
                EXPECT_LE(said.size(), 1u) << what;
            } else {
                EXPECT_EQ(spoken, 1u) << what << " said " << said.size() << (said.empty() ? "" : said[0]);
            }
            if (!allowed.empty() && !said.empty()) {
                EXPECT_EQ(spoken, said.size()) << what;
            }
            if (allowed.empty()) {
                EXPECT_TRUE(said.empty()) << what;
            }
            if (c.finishedTask >= 0) {
                EXPECT_EQ(Player()->GetActivityCount(w, c.finishedTask) + Player()->GetActivityCount(w, 1 - c.finishedTask),
                          counts + 1) << what;
                EXPECT_EQ(Player()->GetHeroPoints(w), hero + 1) << what;
            } else {
                EXPECT_EQ(Player()->GetHeroPoints(w), hero) << what;
            }
        }
    }
}

TEST_F(OtherTownsTest, AChallengeAreaAsksItsLineOnceUntilTheRearm) {
    struct Case {
        OtherTown town;
        int area, flag, counter;
        int firstLine, repeatLine;
        ChunkId activity;
    };
    const Case cases[] = {
        {kCity, 1, 3, 6, 29, 33, MakeChunkId(1, 19)}, {kCity, 2, 4, 5, 28, 32, MakeChunkId(1, 22)},
        {kCity, 3, 5, 7, 30, 34, MakeChunkId(1, 24)}, {kCity, 4, 6, 8, 31, 35, MakeChunkId(1, 25)},
        {kZoo, 1, 3, 10, 31, 35, MakeChunkId(1, 16)},  {kZoo, 2, 4, 9, 30, 34, MakeChunkId(1, 9)},
        {kZoo, 3, 5, 11, 32, 36, MakeChunkId(1, 10)},  {kZoo, 4, 6, 12, 33, 37, MakeChunkId(1, 23)},
    };
    for (const Case& c : cases) {
        for (bool repeat : {false, true}) {
            if (repeat) Player()->IncCounter(c.counter);
            TownWorld* town = ShowTown(c.town);
            ASSERT_NE(town, nullptr);
            const int w = c.town.world;
            const std::string line = CaptionOf(town, repeat ? c.repeatLine : c.firstLine);
            const std::string play = CaptionOf(town, c.town == kCity ? 14 : 16);
            for (int f = 3; f <= 6; ++f) Player()->SetActivityFlag(w, f, f == c.flag ? 1 : 0);
            const CPointF at = town->GetVehicle()->GetPosition();
            town->EnterArea(c.area, 0, 0, 0, 0);
            // The panel's own question comes first.
            const std::vector<std::string> said = Captions();
            ASSERT_GE(said.size(), 2u);
            EXPECT_EQ(std::vector<std::string>(said.end() - 2, said.end()), (std::vector<std::string>{line, play}))
                << c.town.name << " area " << c.area;
            EXPECT_EQ(Player()->GetActivityFlag(w, c.flag), 0);
            EXPECT_EQ(Player()->GetWorldPosition(w), CPoint16(int16_t(at.x), int16_t(at.y)));
            EXPECT_EQ(town->GetPendingActivity(), c.activity);
            Messages()->FlushMessages();
            town->OnButton(TownWorld::kConfirmPanel, 0);
            town->EnterArea(c.area, 0, 0, 0, 0);
            EXPECT_TRUE(Captions().empty()) << "asked again before the re-arm";
            clock().Advance(4990);
            town->DriveVehicle();
            EXPECT_EQ(Player()->GetActivityFlag(w, c.flag), 0);
            clock().Advance(11);
            town->DriveVehicle();
            for (int f = 3; f <= 6; ++f) EXPECT_EQ(Player()->GetActivityFlag(w, f), 1) << f;
        }
    }
}

TEST_F(OtherTownsTest, YesOnTheConfirmationCountsTheEntrySoTheNextVisitAsksTheRepeatQuestion) {
    struct Case {
        OtherTown town;
        int area, flag, counter;
        int firstLine, repeatLine;
    };
    const Case cases[] = {
        {kCity, 1, 3, 6, 29, 33}, {kCity, 2, 4, 5, 28, 32}, {kCity, 3, 5, 7, 30, 34}, {kCity, 4, 6, 8, 31, 35},
        {kZoo, 1, 3, 10, 31, 35}, {kZoo, 2, 4, 9, 30, 34}, {kZoo, 3, 5, 11, 32, 36}, {kZoo, 4, 6, 12, 33, 37},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.town.name) + " area " + std::to_string(c.area);
        const int w = c.town.world;
        // Another button leaves the entry uncounted; yes counts it once, and only its own.
        for (int16_t button : {int16_t(2), int16_t(1)}) {
            TownWorld* town = ShowTown(c.town);
            ASSERT_NE(town, nullptr) << what;
            std::vector<int32_t> before;
            for (int n = 1; n <= 12; ++n) before.push_back(Player()->GetCounter(n));
            for (int f = 3; f <= 6; ++f) Player()->SetActivityFlag(w, f, f == c.flag ? 1 : 0);
            town->EnterArea(c.area, 0, 0, 0, 0);
            town->OnButton(TownWorld::kConfirmPanel, button);
            for (int n = 1; n <= 12; ++n)
                EXPECT_EQ(Player()->GetCounter(n), before[size_t(n - 1)] + (button == 1 && n == c.counter ? 1 : 0))
                    << what << " button " << button << " counter " << n;
            if (button == 1) {
                EXPECT_EQ(before[size_t(c.counter - 1)], 0) << what << ": the first entry";
            }
        }
        // Back from the mini-game, the area asks its repeat question.
        TownWorld* town = ShowTown(c.town);
        ASSERT_NE(town, nullptr) << what;
        const std::string repeat = CaptionOf(town, c.repeatLine);
        for (int f = 3; f <= 6; ++f) Player()->SetActivityFlag(w, f, f == c.flag ? 1 : 0);
        town->EnterArea(c.area, 0, 0, 0, 0);
        const std::vector<std::string> said = Captions();
        EXPECT_NE(std::find(said.begin(), said.end(), repeat), said.end()) << what;
        EXPECT_EQ(std::find(said.begin(), said.end(), CaptionOf(town, c.firstLine)), said.end()) << what;
    }
}

TEST_F(OtherTownsTest, CtrlTogglesTheCitysSirenOnlyForTheVehiclesThatHaveOne) {
    // The light shows from the start with the siren off, so the siren is on after two presses.
    // Value 2 has a siren but drives no city vehicle.
    const struct {
        uint16_t vehicle;
        bool siren;
    } cases[] = {{0, false}, {1, false}, {2, false}, {3, false}, {4, true}, {5, true}};
    for (const auto& c : cases) {
        TownWorld* town = ShowTown({"city", kCity.entry, kCity.world, c.vehicle});
        ASSERT_NE(town, nullptr);
        for (int press = 0; press < 2; ++press) town->OnKey(TownWorld::kCtrlKey);
        EXPECT_EQ(town->GetSirenFlag() != 0, c.siren) << c.vehicle;
        VIsometric* vehicle = town->IsoVehicle();
        OActivityProp* light = vehicle ? vehicle->GetAttachedProp() : nullptr;
        EXPECT_EQ(light != nullptr, c.siren) << c.vehicle;
        if (c.siren) {
            EXPECT_FALSE(xProp_IsHidden(light));
            EXPECT_FLOAT_EQ(vehicle->GetTopSpeed(), c.vehicle == 4 ? 225.0f : 250.0f);
            town->OnKey(TownWorld::kCtrlKey);
            EXPECT_EQ(town->GetSirenFlag(), 0) << "the third press ends it";
            EXPECT_FLOAT_EQ(vehicle->GetTopSpeed(), c.vehicle == 4 ? 150.0f : 175.0f);
        }
    }
}

TEST_F(OtherTownsTest, TheCityFromTheMenuPlaysItsArrivalSoundBeforeTheMusic) {
    OMusicProcess* music = app->GetMusic();
    ASSERT_NE(music, nullptr);
    auto* fromGame = dynamic_cast<WMetropolis_Activity*>(ShowTown(kCity, kQuietScreen));
    ASSERT_NE(fromGame, nullptr);
    EXPECT_FALSE(fromGame->IsArrivalSoundPlaying());
    EXPECT_TRUE(music->IsPlaying()) << "the music at once";

    auto* fromMenu = dynamic_cast<WMetropolis_Activity*>(ShowTown(kCity, kMenuScreen));
    ASSERT_NE(fromMenu, nullptr);
    EXPECT_TRUE(fromMenu->IsArrivalSoundPlaying());
    EXPECT_FALSE(music->IsPlaying());
    int frames = 0;
    while (fromMenu->IsArrivalSoundPlaying() && frames < 600) {
        Frames(1, kFrameMs);
        ++frames;
    }
    EXPECT_FALSE(fromMenu->IsArrivalSoundPlaying());
    EXPECT_GT(frames, 1) << "the tone lasts";
    EXPECT_TRUE(music->IsPlaying());
}

TEST_F(OtherTownsTest, TheCitysDestructiblesComeBackInTheirStoredStates) {
    struct Case {
        uint16_t recordWord;
        uint16_t stored;
        int32_t state;
    };
    // A half-broken one, a whole one, and a damaged word beyond the part's states.
    const Case cases[] = {{4, 1, 1}, {5, 0, 0}, {6, 40, 2}};
    TownWorld* town = ShowTown(kCity);
    ASSERT_NE(town, nullptr);
    Player()->SetWorldWord34(kCity.world, 0);
    std::vector<Destructible*> props;
    for (const Case& c : cases) {
        Player()->SetExtraWord(c.recordWord, c.stored);
        auto* prop = Put(town, new Destructible, 3);
        prop->SetPartID(app->GetPartFile(), MakeChunkId(2, kThreeStatesPart), 1);
        LoadStoredProperties(*prop, PropertyBytes().Short(1510, 2, int16_t(c.recordWord)));
        props.push_back(prop);
    }
    town->SetCollectableQuotas();
    town->StartCurrentMission();
    for (size_t i = 0; i < props.size(); ++i) {
        EXPECT_EQ(props[i]->GetState(), cases[i].state) << cases[i].recordWord;
        EXPECT_FALSE(xProp_IsHidden(props[i]));
    }
}

TEST_F(OtherTownsTest, AllQuotasDoneRefillsWithTheTownsLine) {
    struct Case {
        OtherTown town;
        int line;
    };
    for (const Case& c : {Case{kCity, 24}, Case{kZoo, 26}}) {
        TownWorld* town = ShowTown(c.town);
        ASSERT_NE(town, nullptr);
        const int w = c.town.world;
        const std::string line = CaptionOf(town, c.line);
        for (int word = 0; word <= 10; ++word) Player()->SetExtraWord(word, 2);
        SetQuotasLeft(w, 0, 0, 0);
        town->SetCollectableQuotas();
        EXPECT_EQ(Captions(), std::vector<std::string>{line}) << c.town.name;
        EXPECT_EQ(Player()->GetQuota1Left(w), Player()->GetQuota1Max(w));
        EXPECT_EQ(Player()->GetQuota3Left(w), Player()->GetQuota3Max(w));
        for (int word = 0; word <= 10; ++word)
            EXPECT_EQ(Player()->GetExtraWord(word), c.town == kCity ? 0 : 2) << c.town.name << " word " << word;
        // A round still going refills nothing.
        Messages()->FlushMessages();
        SetQuotasLeft(w, 0, 0, 1);
        town->SetCollectableQuotas();
        EXPECT_TRUE(Captions().empty());
        EXPECT_EQ(Player()->GetQuota1Left(w), 0);
    }
}

TEST_F(OtherTownsTest, TheMissionEndsOnceAndWithoutACaptiveAtTheCertificate) {
    for (const OtherTown& t : kBothTowns) {
        TownWorld* town = ShowTown(t);
        ASSERT_NE(town, nullptr);
        const int w = t.world;
        SetQuotasLeft(w, 0, 0, 1);
        const uint16_t count = Player()->GetActivityCount(w, 2), hero = Player()->GetHeroPoints(w);
        for (int i = 0; i < 2; ++i) {
            if (t == kCity) {
                static_cast<WMetropolis_Activity*>(town)->OnMissionPropDestroyed();
            } else {
                town->OnCollect(Put(town, new DGuard, 3), 1);
            }
        }
        EXPECT_EQ(Player()->GetQuota3Left(w), 0);
        EXPECT_EQ(Player()->GetActivityCount(w, 2), count + 1) << t.name;
        EXPECT_EQ(Player()->GetHeroPoints(w), hero + 1) << t.name;
        EXPECT_EQ(manager->GetPendingId(), MakeChunkId(1, t == kCity ? 20 : 21)) << t.name;
    }
}

TEST_F(OtherTownsTest, WithACaptiveTheMissionEndsThroughItsRescue) {
    for (const OtherTown& t : kBothTowns) {
        TownWorld* town = ShowTown(t);
        ASSERT_NE(town, nullptr);
        const int w = t.world;
        Player()->SetWorldWord34(w, 0);
        SetQuotasLeft(w, 0, 0, 1);
        auto* captive = Put(town, new DCaptive, 6);
        town->StartCurrentMission();
        ASSERT_EQ(town->GetMissionCaptive(), captive) << t.name;
        if (t == kCity) static_cast<WMetropolis_Activity*>(town)->OnMissionPropDestroyed();
        else town->OnCollect(Put(town, new DGuard, 3), 1);
        EXPECT_EQ(town->GetDrivingMode(), TLVWorld_Activity::kMissionDoneMode) << t.name;
        EXPECT_EQ(captive->GetState(), 1);
        EXPECT_FALSE(manager->IsSwitchPending()) << t.name << ": the rescue asks for the end";
    }
}

TEST_F(OtherTownsTest, TheZooBeamIsMadeAtTheStartSwitchedOnByTheActionAndGoneAtTheStop) {
    auto* zoo = dynamic_cast<WZoo_Activity*>(ShowTown(kZoo));
    ASSERT_NE(zoo, nullptr);
    PBeam* beam = zoo->GetBeam().Get();
    ASSERT_NE(beam, nullptr);
    EXPECT_EQ(beam->GetParent(), zoo);
    zoo->DoVehicleAction();
    EXPECT_TRUE(zoo->ActionTimer().running);
    EXPECT_EQ(zoo->GetBeam().Get(), beam) << "switched on, not made again";
    zoo->FlushSoundQueues();
    EXPECT_EQ(zoo->GetBeam().Get(), nullptr);
}

TEST_F(OtherTownsTest, TheZooGuardsPatrolTheKeeper) {
    auto* zoo = dynamic_cast<WZoo_Activity*>(ShowTown(kZoo));
    ASSERT_NE(zoo, nullptr);
    Player()->SetWorldWord34(kZoo.world, 0);
    SetQuotasLeft(kZoo.world, 0, 0, 3);
    auto* keeper = Put(zoo, new DCaptive, 6);
    DGuard* guards[] = {Put(zoo, new DGuard, 3), Put(zoo, new DGuard, 3)};
    zoo->StartCurrentMission();
    for (DGuard* guard : guards) {
        EXPECT_EQ(guard->GetPen(), keeper);
        EXPECT_EQ(guard->GetMargin(), 100);
        EXPECT_FALSE(xProp_IsHidden(guard));
    }
    EXPECT_NE(traced().find("Monkey 1 is patrolling the Zoo keeper"), std::string::npos);
}

TEST_F(OtherTownsTest, TheFirstSightingsSpeakOncePerVisit) {
    enum Kind { kAvoider, kBag, kFollower };
    struct Case {
        OtherTown town;
        Kind kind;
        uint32_t objectId;
        std::vector<int> lines; // one of these, or nothing when maySayNothing
        bool maySayNothing;
    };
    const Case cases[] = {
        {kCity, kAvoider, 1, {0, 1}, true}, // rand() % 3: line 0, line 1 or nothing
        {kCity, kBag, 2, {7}, false},
        {kZoo, kAvoider, 1, {0}, false},
        {kZoo, kFollower, 2, {8}, false},
        {kCity, kAvoider, 0, {}, true},     // a bystander is no criminal
        {kZoo, kAvoider, 0, {}, true},
    };
    for (const Case& c : cases) {
        for (uint32_t seed : {1u, 2u, 3u}) {
            TownWorld* town = ShowTown(c.town);
            ASSERT_NE(town, nullptr);
            std::vector<std::string> allowed;
            for (int line : c.lines) allowed.push_back(CaptionOf(town, line));
            const CPointF at = town->GetVehicle()->GetPosition();
            TLV_Object* prop = c.kind == kAvoider ? static_cast<TLV_Object*>(new DAvoider)
                               : c.kind == kBag   ? static_cast<TLV_Object*>(new Bag)
                                                  : static_cast<TLV_Object*>(new DFollower);
            Add(town, prop, at.x, at.y, c.objectId);
            Messages()->FlushMessages();
            xSRand(seed);
            town->DriveVehicle();
            const std::vector<std::string> said = Captions();
            const std::string what = std::string(c.town.name) + " kind " + std::to_string(c.kind) + " seed " + std::to_string(seed);
            if (allowed.empty()) {
                EXPECT_TRUE(said.empty()) << what;
                continue;
            }
            if (c.maySayNothing) {
                EXPECT_LE(said.size(), 1u) << what;
            } else {
                ASSERT_EQ(said.size(), 1u) << what;
            }
            for (const std::string& line : said) EXPECT_TRUE(Said(allowed, line)) << what << ": " << line;
            // Seen once: the next drive says nothing more.
            Messages()->FlushMessages();
            town->DriveVehicle();
            EXPECT_TRUE(Captions().empty()) << what;
        }
    }
}

TEST_F(OtherTownsTest, TheCityRemembersTheLootStillInTheStreet) {
    TownWorld* town = ShowTown(kCity);
    ASSERT_NE(town, nullptr);
    Put(town, new Bag, 2);
    Bag* taken = Add(town, new Bag, 420, 310, 2);
    Add(town, new Bag, 500, 310, 1);
    taken->SetVisible(0, 0);
    town->FlushSoundQueues();
    EXPECT_EQ(Player()->PointCount(), 1);
    EXPECT_TRUE(Player()->HasPoint(CPoint16(300, 300)));
    EXPECT_FALSE(Player()->HasPoint(CPoint16(420, 310)));
    EXPECT_FALSE(Player()->HasPoint(CPoint16(500, 310)));
}

TEST_F(OtherTownsTest, TheCitysActionKeyThrowsABurstOfCanisters) {
    const struct {
        uint16_t vehicle;
        int32_t canisters;
        uint32_t intervalMs;
        int32_t cooldownMs;
    } cases[] = {{4, 3, 45, 600}, {5, 5, 20, 400}};
    for (const auto& c : cases) {
        auto* city = dynamic_cast<WMetropolis_Activity*>(ShowTown({"city", kCity.entry, kCity.world, c.vehicle}));
        ASSERT_NE(city, nullptr);
        EXPECT_EQ(city->GetActionCooldown(), c.cooldownMs);
        city->DoVehicleAction();
        const CCanisterThrower* thrower = city->GetThrower();
        ASSERT_NE(thrower, nullptr);
        EXPECT_EQ(thrower->GetPool().Count(), 1) << "the first throw at once";
        EXPECT_EQ(thrower->GetLeft(), c.canisters - 1);
        EXPECT_TRUE(city->ActionTimer().running);
        city->DoVehicleAction();
        EXPECT_EQ(thrower->GetLeft(), c.canisters - 1) << "a running burst goes on";
        clock().Advance(c.intervalMs - 1);
        city->OnIdle();
        EXPECT_EQ(thrower->GetPool().Count(), 1) << "not before the interval";
        for (int32_t i = 1; i < c.canisters; ++i) {
            clock().Advance(c.intervalMs + 1);
            city->OnIdle();
        }
        EXPECT_EQ(thrower->GetPool().Count(), c.canisters);
        EXPECT_FALSE(thrower->IsRunning());
    }
}

TEST_F(OtherTownsTest, APenguinReachedSpeaksByHowManyAreStillOut) {
    struct Case {
        uint16_t left;
        std::vector<int> lines; // nothing, or one of these
    };
    // No penguin is linked here: one left, or half the maximum out, says nothing.
    const Case cases[] = {{1, {}}, {5, {}}, {8, {10, 11}}, {3, {10, 11}}};
    for (const Case& c : cases) {
        for (uint32_t seed : {1u, 2u, 3u}) {
            TownWorld* town = ShowTown(kZoo);
            ASSERT_NE(town, nullptr);
            ASSERT_EQ(Player()->GetQuota2Max(kZoo.world), 10);
            std::vector<std::string> allowed;
            for (int line : c.lines) allowed.push_back(CaptionOf(town, line));
            Player()->SetQuota2Left(kZoo.world, c.left);
            auto* penguin = Put(town, new DFollower, 2);
            Messages()->FlushMessages();
            xSRand(seed);
            town->OnCollect(penguin, seed % 2);
            const std::vector<std::string> said = Captions();
            EXPECT_LE(said.size(), allowed.empty() ? 0u : 1u) << c.left << " seed " << seed;
            for (const std::string& line : said) EXPECT_TRUE(Said(allowed, line)) << c.left << ": " << line;
            EXPECT_EQ(Player()->GetQuota2Left(kZoo.world), c.left) << "reaching a penguin takes none";
        }
    }
}

TEST_F(OtherTownsTest, TheFirstTokenOfAVisitSpeaksTheBadgeLine) {
    struct Case {
        OtherTown town;
        int first;
        std::vector<int> later; // empty: later tokens say nothing
    };
    for (const Case& c : {Case{kCity, 20, {}}, Case{kZoo, 22, {23, 24, 25}}}) {
        for (uint32_t seed : {1u, 2u, 3u}) {
            xSRand(seed);
            TownWorld* town = ShowTown(c.town);
            ASSERT_NE(town, nullptr);
            const std::string first = CaptionOf(town, c.first);
            std::vector<std::string> later;
            for (int line : c.later) later.push_back(CaptionOf(town, line));
            auto* token = Put(town, new Token, 0);
            const uint16_t before = Player()->GetBadgeCount(c.town.world, 0);
            town->OnCollect(token, 0);
            EXPECT_TRUE(Captions().empty()) << "only the vehicle takes tokens";
            town->OnCollect(token, 1);
            EXPECT_EQ(Captions(), std::vector<std::string>{first}) << c.town.name;
            for (int i = 0; i < 3; ++i) {
                Messages()->FlushMessages();
                town->OnCollect(token, 1);
                const std::vector<std::string> said = Captions();
                ASSERT_EQ(said.size(), later.empty() ? 0u : 1u) << c.town.name;
                for (const std::string& line : said) EXPECT_TRUE(Said(later, line)) << line;
            }
            EXPECT_EQ(Player()->GetBadgeCount(c.town.world, 0), std::min(before + 4, 150)) << c.town.name;
        }
    }
}

TEST_F(OtherTownsTest, EachVehicleHaltsAndDrivesWithItsOwnSounds) {
    struct Case {
        OtherTown town;
        uint16_t vehicle;
        ChunkId halt, engine; // null: silent
    };
    const Case cases[] = {
        {kCity, 4, MakeChunkId(7, 54), MakeChunkId(7, 37)}, {kCity, 5, MakeChunkId(7, 40), MakeChunkId(7, 41)},
        {kZoo, 2, MakeChunkId(7, 49), MakeChunkId(7, 59)},  {kZoo, 3, MakeChunkId(7, 52), MakeChunkId(7, 50)},
        // Another town's vehicle drives nowhere here and sounds nothing.
        {kCity, 2, kNullChunkId, kNullChunkId},             {kZoo, 4, kNullChunkId, kNullChunkId},
    };
    // The sound pipe 3 holds, as the town loaded it (null: none of the two).
    const auto onPipe3 = [this](TownWorld* town, const Case& c) {
        const SoundChannel* pipe = Pipe(3);
        const xSnippet* held = pipe ? pipe->snippet : nullptr;
        if (!held) return kNullChunkId;
        for (const ChunkId id : {c.halt, c.engine})
            if (id != kNullChunkId && held == town->FindSound(id)) return id;
        return kNullChunkId;
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.town.name) + " vehicle " + std::to_string(c.vehicle);
        TownWorld* town = ShowTown({c.town.name, c.town.entry, c.town.world, c.vehicle});
        ASSERT_NE(town, nullptr) << what;
        EXPECT_EQ(town->GetVehicle() != nullptr, c.engine != kNullChunkId) << what;
        town->OnVehicleAtFullSpeed();
        EXPECT_EQ(onPipe3(town, c), c.engine) << what << ": driving";
        town->OnVehicleHalted();
        EXPECT_EQ(onPipe3(town, c), c.halt) << what << ": halted, the engine stopped";
    }
}

TEST_F(OtherTownsTest, TheCityFromAMiniGamePlaysItsMusicAtOnce) {
    OMusicProcess* music = app->GetMusic();
    ASSERT_NE(music, nullptr);
    auto* city = dynamic_cast<WMetropolis_Activity*>(ShowTown(kCity, 22));
    ASSERT_NE(city, nullptr);
    EXPECT_FALSE(city->IsArrivalSoundPlaying());
    EXPECT_TRUE(music->IsPlaying());
}

TEST_F(OtherTownsTest, DamagedWorldsAndRecordsArePlayedOnAndTraced) {
    struct Case {
        const char* what;
        OtherTown town;
        /// Spoils the town (or the record) once it is shown; answers the trace expected.
        std::function<std::string(TownWorld*)> spoil;
    };
    const Case cases[] = {
        {"a destructible naming a record word beyond the record", kCity,
         [this](TownWorld* town) {
             auto* prop = Put(town, new Destructible, 3);
             prop->SetPartID(app->GetPartFile(), MakeChunkId(2, kThreeStatesPart), 1);
             LoadStoredProperties(*prop, PropertyBytes().Short(1510, 2, 40));
             town->StartCurrentMission();
             EXPECT_EQ(prop->GetState(), 0) << "nothing read from beyond the record";
             return std::string("record word 40 refused");
         }},
        {"a mission without guards or keeper", kZoo,
         [this](TownWorld* town) {
             SetQuotasLeft(kZoo.world, 0, 0, 3);
             town->StartCurrentMission();
             EXPECT_EQ(town->GetMissionCaptive(), nullptr);
             EXPECT_EQ(Player()->GetQuota3Left(kZoo.world), 3) << "nothing counted";
             EXPECT_FALSE(manager->IsSwitchPending()) << "the mission does not end by itself";
             return std::string();
         }},
        {"a guard outside the mission's ids", kZoo,
         [this](TownWorld* town) {
             SetQuotasLeft(kZoo.world, 0, 0, 2);
             town->OnCollect(Put(town, new DGuard, 12), 1);
             EXPECT_EQ(Player()->GetQuota3Left(kZoo.world), 2) << "not a mission prop";
             return std::string();
         }},
        {"quotas left beyond their maxima", kCity,
         [this](TownWorld* town) {
             SetQuotasLeft(kCity.world, 60000, 60000, 60000);
             town->OnCollect(Put(town, new Bag, 2), 1);
             town->OnCollect(Put(town, new DAvoider, 1), 1);
             EXPECT_EQ(Player()->GetQuota1Left(kCity.world), 59999);
             EXPECT_EQ(Player()->GetQuota2Left(kCity.world), 59999);
             EXPECT_EQ(Player()->GetQuota3Left(kCity.world), 60000);
             return std::string();
         }},
        {"every penguin linked and no penguin house", kZoo,
         [this](TownWorld* town) {
             SetQuotasLeft(kZoo.world, 0, 1, 3);
             auto* penguin = Put(town, new DFollower, 2);
             town->OnCollect(penguin, 1);
             for (int i = 0; i < 10; ++i) Frames(1, kFrameMs);
             EXPECT_EQ(Player()->GetQuota2Left(kZoo.world), 1) << "none delivered";
             return std::string();
         }},
    };
    for (const Case& c : cases) {
        for (const OtherTown& other : kBothTowns) Player()->SetWorldPosition(kOtherTownPlace, other.world);
        TownWorld* town = ShowTown(c.town);
        ASSERT_NE(town, nullptr) << c.what;
        Player()->SetWorldWord34(c.town.world, 0);
        const PlayerRecord before = Player()->Record();
        debug().Clear();
        const std::string trace = c.spoil(town);
        for (int i = 0; i < 30; ++i) Frames(1, kFrameMs);
        EXPECT_EQ(dynamic_cast<TownWorld*>(CurrentGameActivity()), town) << c.what << ": played on";
        if (!trace.empty()) {
            EXPECT_NE(traced().find(trace), std::string::npos) << c.what << traced();
        }
        // Only the town's own world words may have changed; the other towns' and the counters not.
        const PlayerRecord& after = Player()->Record();
        for (int w = 0; w < PlayerRecord::kWorlds; ++w) {
            if (w == c.town.world) continue;
            for (int k = 0; k < PlayerRecord::kWorldWords; ++k) {
                EXPECT_EQ(after.world[w][k], before.world[w][k]) << c.what << " world " << w << " word " << k;
            }
        }
        for (int k = 0; k < PlayerRecord::kCounters; ++k) {
            EXPECT_EQ(after.counters[k], before.counters[k]) << c.what << " counter " << k;
        }
    }
}

TEST_F(OtherTownsTest, TheCounterBarShowsTheTasksQuotasThenTheMissionsWithTheBadges) {
    struct Case {
        OtherTown town;
        uint16_t first, second, mission;
        std::vector<std::string> shown; // counters 0 to 3
    };
    const Case cases[] = {
        {kCity, 7, 5, 3, {"5", "7", "2", ""}}, // criminals, loot, badges
        {kZoo, 7, 5, 3, {"5", "7", "2", ""}},  // penguins, monkeys, badges
        // Both tasks done, the mission started.
        {kCity, 0, 0, 3, {"3", "2", "", ""}},  // the mission's destructibles, badges
        {kZoo, 0, 0, 3, {"3", "2", "", ""}},   // the mission's guard monkeys, badges
    };
    for (const Case& c : cases) {
        SetQuotasLeft(c.town.world, c.first, c.second, c.mission);
        *Player()->BadgeCountPtr(c.town.world, 0) = 2;
        // The test's towns name no start panel mode: the bar is switched on beforehand.
        CCounterPanel* panel = app->GetCounterPanel();
        ASSERT_NE(panel, nullptr);
        panel->SetMode(1);
        TownWorld* town = ShowTown(c.town);
        ASSERT_NE(town, nullptr);
        if (c.first == 0 && c.second == 0) {
            Player()->SetWorldWord34(c.town.world, 0);
            town->StartCurrentMission();
        }
        std::vector<std::string> shown;
        for (int i = 0; i < CCounterPanel::kCounters; ++i) {
            const OTextDView* number = panel->GetNumber(i);
            shown.push_back(number && number->IsVisible() ? number->GetTextPtr() : "");
        }
        EXPECT_EQ(shown, c.shown) << c.town.name << " quotas " << c.first << ", " << c.second << ", " << c.mission;
    }
}

TEST_F(OtherTownsTest, TheMenusButtonsStoreEachTownsPlace) {
    struct Case {
        OtherTown town;
        int16_t button;
        CPoint16 stored;
    };
    const Case cases[] = {
        {kCity, 0, kOtherTownPlace}, {kCity, 2, CPoint16(200, 1500)}, {kCity, 3, CPoint16(200, 1500)},
        {kZoo, 0, kOtherTownPlace},  {kZoo, 2, CPoint16(2100, 150)},  {kZoo, 3, CPoint16(2100, 150)},
    };
    for (const Case& c : cases) {
        TownWorld* town = ShowTown(c.town);
        ASSERT_NE(town, nullptr);
        Player()->SetWorldPosition(kOtherTownPlace, c.town.world);
        town->OnButton(TownWorld::kMenuPanel, c.button);
        EXPECT_EQ(Player()->GetWorldPosition(c.town.world), c.stored) << c.town.name << " button " << c.button;
        EXPECT_TRUE(town->KeyTimer().running);
    }
}

TEST_F(OtherTownsTest, ThePenguinHouseTakesTheLinkedPenguinsHomeAndEndsTheTaskWithTheLast) {
    struct Case {
        int linked;
        uint16_t leftBefore, leftAfter;
        bool finishes;
    };
    const Case cases[] = {{2, 2, 0, true}, {2, 5, 3, false}, {0, 3, 3, false}, {1, 1, 0, true}};
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.linked) + " of " + std::to_string(c.leftBefore);
        TownWorld* town = ShowTown(kZoo);
        ASSERT_NE(town, nullptr);
        SetQuotasLeft(kZoo.world, 5, c.leftBefore, 9);
        std::vector<DFollower*> penguins;
        TLV_Object* last = town->GetVehicle();
        for (int i = 0; i < c.linked; ++i) {
            DFollower* penguin = Add(town, new DFollower, float(500 - 40 * i), 450, towns::zoo::kPenguins);
            penguin->LinkAfter(last);
            last = penguin;
            penguins.push_back(penguin);
        }
        const uint16_t count = Player()->GetActivityCount(kZoo.world, 1), hero = Player()->GetHeroPoints(kZoo.world);
        town->EnterArea(towns::zoo::kPenguinHouse, 1664, 1856, 0, -200);
        EXPECT_EQ(Player()->GetQuota2Left(kZoo.world), c.leftAfter) << what;
        EXPECT_EQ(Player()->GetQuota1Left(kZoo.world), 5) << what << ": the monkeys stay";
        EXPECT_EQ(town->CountFollowers(), 0) << what;
        for (DFollower* penguin : penguins) {
            EXPECT_EQ(penguin->GetBehaviourState(), 12) << what;
            EXPECT_EQ(penguin->GetGoalPoint(), CPointF(1664, 1656)) << what;
        }
        EXPECT_EQ(Player()->GetActivityCount(kZoo.world, 1), count + (c.finishes ? 1 : 0)) << what;
        EXPECT_EQ(Player()->GetHeroPoints(kZoo.world), hero + (c.finishes ? 1 : 0)) << what;
    }
    // The city has no delivery place: its area 5 takes nobody.
    TownWorld* city = ShowTown(kCity);
    ASSERT_NE(city, nullptr);
    SetQuotasLeft(kCity.world, 5, 5, 9);
    DFollower* follower = Add(city, new DFollower, 500, 450, 2);
    follower->LinkAfter(city->GetVehicle());
    city->EnterArea(5, 1664, 1856, 0, -200);
    EXPECT_EQ(Player()->GetQuota2Left(kCity.world), 5);
    EXPECT_NE(follower->GetBehaviourState(), 12);
}

} // namespace
} // namespace vqt::test
