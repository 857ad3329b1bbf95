// The three town puzzles played by the whole program on the generated data with a fixed seed,
// each started directly or entered from its town: there the town's bot drives onto way point 3
// and answers the question with yes, and after the puzzle the town must show the vehicle where
// it stood when it was asked. In the puzzle the puzzle driver closes the start panel, clicks the
// tiles until the loop joins, presses SPACE, keeps the loop joined and presses go again whenever
// the vehicle has stopped (a visiting character stops it) until everyone is picked up; the end
// panel's return button leads to the town with the win saved. At the zoo's second level the
// people walk and the driver waits for a character's visit first. The pictures, the spoken lines and the state of the
// play every 100 frames are kept as goldens. The city is also left unsolved.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/Snippet.h"
#include "game/minigames/puzzle/GPToonActivity.h"
#include "game/minigames/puzzle/GPZooActivity.h"
#include "game/minigames/puzzle/PuzzleCharacter.h"
#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/PBeam.h"
#include "game/shell/PParticle.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/towns/TownWorld.h"
#include "game/world/vehicles/VIsometric.h"
#include "platform/headless/VirtualClock.h"
#include "tests/game/minigames/puzzle/PuzzleBot.h"
#include "tests/game/minigames/puzzle/PuzzleScenarioFixture.h"
#include "tests/support/TownBot.h"
#include "tests/support/bots/MiniGameDriver.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr uint32_t kEsc = 27;
constexpr uint32_t kHashFrames = 100;

/// One play of a town's puzzle.
struct TownPlay {
    const char* name; // of its goldens
    const PuzzleTownValues* town;
    uint16_t vehicle;
    uint16_t level;
    /// Waits for a character's visit before going, and keeps a picture of the lifted tile.
    bool awaitVisit;
    /// Keeps its panels' pictures (the circus's are kept by the first circus play).
    bool panelPictures;
    uint32_t runMs;
    /// Starts in the town beside way point 3 and drives onto it, answering its question with yes.
    bool fromTown = false;
};

const TownPlay kPlays[] = {
    {"circus_level1", &puzzle_towns::kCircus, 0, 1, false, false, 120000},
    {"zoo_level1", &puzzle_towns::kZoo, 2, 1, false, true, 120000},
    {"zoo_level2", &puzzle_towns::kZoo, 3, 2, true, false, 240000},
    {"city_level1", &puzzle_towns::kCity, 4, 1, false, true, 120000},
};

const TownPlay kEntries[] = {
    {"circus_from_town", &puzzle_towns::kCircus, 1, 1, false, false, 150000, true},
    {"zoo_from_town", &puzzle_towns::kZoo, 2, 1, false, false, 150000, true},
    {"zoo_level2_from_town", &puzzle_towns::kZoo, 3, 2, true, false, 270000, true},
    {"city_from_town", &puzzle_towns::kCity, 5, 1, false, false, 150000, true},
};

/// Way point 3 of every generated town (the puzzle's), on the road across at row 14; the
/// vehicle waits further west on that road.
constexpr CPoint16 kWayPointThree(2560, 1856);
constexpr CPoint16 kWaitingPlace(2300, 1856);
/// The challenge flag of way point 3 in the record's flag words, and a visit counter.
constexpr int kWayPointThreeFlag = 5, kCircusVisits = 13;

/// The generator's roads (tiles of 128, the roads' middles), the same in every town.
TownRoads GeneratedRoads() {
    TownRoads roads;
    for (int col : {2, 9, 16, 23, 28}) roads.down.push_back(float(col * 128 + 64));
    for (int row : {2, 8, 14, 20}) roads.across.push_back(float(row * 128 + 64));
    return roads;
}

/// The town's bot goes for way point 3 and for nothing else.
TownBot::Task ToWayPointThree() {
    TownBot::Task task;
    task.open = [](OActivityProp*) { return false; };
    task.needsAction = [](OActivityProp*) { return false; };
    task.first = [](TLVWorld_Activity* world) { return world->GetWayPoint(3); };
    // The zoo's vehicle, held up on the road at the corner, comes at the way point slowly.
    task.patient = true;
    return task;
}

TownWorld* CurrentTown() {
    OActivityManager* manager = GetActivityManager();
    return manager ? dynamic_cast<TownWorld*>(manager->GetCurrentActivity()) : nullptr;
}

/// The play's state: the vehicle, the people, the character and the smoke or light.
uint64_t StateHash(CGPuzzle& puzzle) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](int64_t v) { h = (h ^ uint64_t(v)) * 1099511628211ull; };
    if (VIsometric* vehicle = puzzle.GetVehicle()) {
        mix(int64_t(vehicle->GetPosition().x * 100));
        mix(int64_t(vehicle->GetPosition().y * 100));
        mix(vehicle->GetState());
    }
    mix(puzzle.GetPeopleLeft());
    for (Puzzle_Dweeble* person : puzzle.People()) {
        mix(person->GetRow() * 7 + person->GetColumn());
        mix(int64_t(person->GetPosition().x * 100));
        mix(int64_t(person->GetPosition().y * 100));
        mix(person->IsVisible());
    }
    if (const Puzzle_Character* character = puzzle.GetCharacter()) {
        mix(character->IsVisiting());
        mix(character->GetTile() ? character->GetTile()->GetRow() * 7 + character->GetTile()->GetColumn() : -1);
    }
    return h;
}

/// A queued line as the log knows it: its record and what it says. A record freed and taken
/// again for another line within one frame (the end panel flushes the praise before the last
/// lines) is a new line.
struct QueuedLine {
    const OMessageRecord* record;
    std::string said;
    bool operator==(const QueuedLine&) const = default;
};

/// The lines newly queued, with their voice entries.
void NoteSpokenLines(std::vector<QueuedLine>& seen, std::string& log) {
    OMessageProcess* messages = OApplication::Get() ? OApplication::Get()->GetMessageProcess() : nullptr;
    if (!messages) return;
    std::vector<QueuedLine> now;
    for (int32_t i = 0; i < messages->QueueLength(); ++i) {
        const OMessageRecord* record = messages->QueuedAt(i);
        const uint16_t voice = record->voice ? ChunkEntryOf(record->voice->cacheId) : 0;
        const QueuedLine line{record, std::to_string(voice) + " " + record->caption};
        now.push_back(line);
        if (std::find(seen.begin(), seen.end(), line) != seen.end()) continue;
        log += line.said + "\n";
    }
    seen = now;
}

/// What a play saw.
struct PlaySeen {
    size_t stepsDone = 0;
    std::map<std::string, RgbImage> pictures;
    std::string spoken;
    std::string hashes;
    int32_t level = 0;
    uint16_t badgesBefore = 0, heroBefore = 0, countBefore = 0, levelBefore = 0;
    uint16_t badgesCollected = 0;
    uint16_t peopleSaved = 0;
    bool sawWalk = false;
    bool sawVisit = false;
    std::string trace;
    // Of a play entered from the town: the way point that asked, where the record put the
    // vehicle then, where the town shows it after the puzzle and whether it asks again.
    int32_t askedAt = -1;
    CPoint16 stored;
    CPointF back;
    bool askedAgain = false;
};

/// The end speaks the praise for everybody (not in the city) and then the town's question.
void ExpectEndingLines(const TownPlay& play, const std::string& spoken) {
    const bool city = play.town->classId == puzzle_towns::kCity.classId;
    const std::string farewell = std::to_string(ChunkEntryOf(play.town->farewellVoice)) + " " + play.town->farewellCaption + "\n";
    const std::string ending = (city ? "" : "700 You saved everybody.  Great job. \n") + farewell;
    ASSERT_GE(spoken.size(), ending.size());
    EXPECT_EQ(spoken.substr(spoken.size() - ending.size()), ending);
}

class PuzzleTownScenarioTest : public PuzzleScenarioFixture {
protected:
    PlaySeen Play(const TownPlay& play);
};

PlaySeen PuzzleTownScenarioTest::Play(const TownPlay& play) {
    // Every play starts at the same tick: the game reads the clock as well as the seed.
    static_cast<plat::VirtualClock&>(plat::clock()).Set(plat::VirtualClock::kStart);
    const PuzzleTownValues& town = *play.town;
    if (play.fromTown) {
        // Bo has been to a town before (no drive tutorial), the puzzle's challenge is open and
        // he left the town on the road west of its way point.
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        records[kBo] = StoredRecord("Bo")
                           .Counter(kCircusVisits, 1)
                           .WorldWord(town.world, CPlayer::kLevels + CGPuzzle::kPuzzleActivity, play.level)
                           .WorldWord(town.world, CPlayer::kFlags + kWayPointThreeFlag, 1)
                           .WorldWord(town.world, CPlayer::kPositionX, uint16_t(kWaitingPlace.x))
                           .WorldWord(town.world, CPlayer::kPositionY, uint16_t(kWaitingPlace.y))
                           .bytes();
        PutSave(records);
        Ini("STARTACTIVITY=" + std::to_string(town.worldEntry) + "\n");
        TLVWorld_Activity::escapeSide = 0; // the escape search's side lives on between runs
    } else {
        PrepareBo(town.world, play.level, town.ownEntry);
    }
    PlaySeen seen;
    TownBot driver(GeneratedRoads(), ToWayPointThree());
    bool entered = !play.fromTown;
    std::vector<QueuedLine> queued;
    uint32_t now = 0, since = 0;
    ChunkId shown = kNullChunkId;
    const std::unique_ptr<MiniGameDriver> solver = MakePuzzleDriver(HeadlessBotInput(), play.awaitVisit);
    // This frame's messages of the driver, which plays the puzzle.
    std::string driven;
    std::map<const Puzzle_Dweeble*, int> firstCell;
    auto settledOn = [&](uint16_t entry) {
        OActivityManager* manager = GetActivityManager();
        return manager && shown == MakeChunkId(1, entry) && !manager->IsSwitchPending() && now >= since + 1000;
    };
    auto playing = [&] { return Puzzle() && !Puzzle()->IsPanelShown(-1); };
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    const std::vector<Step> steps = {
        // The driver's click on the start panel's button.
        {[&] { return Puzzle() && Puzzle()->IsPanelShown(CGPuzzle::kPanelStart) && !driven.empty(); },
         [&] {
             seen.level = Puzzle()->GetLevel();
             if (play.fromTown) {
                 // The drive through the town may have taken a badge on the way.
                 const CPlayer* player = CTLVApp::Get()->GetPlayer();
                 seen.badgesBefore = player->GetBadgeCount(town.world, CGPuzzle::kPuzzleActivity);
                 seen.heroBefore = player->GetHeroPoints(town.world);
             }
             if (play.panelPictures) seen.pictures["start_panel"] = StagePicture();
         }},
        {[&] { return playing() && now >= since + 2000; }, [&] {}},
        // The driver's first go, the loop joined (the only key it presses while it clicks tiles).
        {[&] { return playing() && driven.find("WM_KEYDOWN") != std::string::npos; },
         [&] {
             if (play.awaitVisit) seen.pictures["lifted_tile"] = StagePicture();
         }},
        // The driver's click on the end panel's return button.
        {[&] { return Puzzle() && Puzzle()->IsPanelShown(CGPuzzle::kPanelEnd) && !driven.empty(); },
         [&] {
             if (play.panelPictures) seen.pictures["end_panel"] = StagePicture();
             seen.peopleSaved = uint16_t(Puzzle()->GetPeopleTotal() - Puzzle()->GetPeopleLeft());
             seen.badgesCollected = uint16_t(Puzzle()->GetBadgeTotal() - Puzzle()->Badges().size());
         }},
        {[&] { return settledOn(town.worldEntry); },
         [&] {
             if (TownWorld* back = CurrentTown(); back && back->GetVehicle()) {
                 seen.back = back->GetVehicle()->GetPosition();
                 seen.askedAgain = back->IsPanelShown(TownWorld::kConfirmPanel);
             }
         }},
    };
    Scenario s = Game(kFrameMs);
    s.frames = play.runMs / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            CPlayer* player = SignInBo(play.vehicle);
            seen.badgesBefore = player->GetBadgeCount(town.world, CGPuzzle::kPuzzleActivity);
            seen.heroBefore = player->GetHeroPoints(town.world);
            seen.countBefore = player->GetActivityCount(town.world, CGPuzzle::kPuzzleActivity);
            seen.levelBefore = player->GetActivityLevel(town.world, CGPuzzle::kPuzzleActivity);
            xSRand(2024);
        }
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            shown = id;
            since = now;
        }
        // In the town: drive onto way point 3 and answer its question with yes.
        if (TownWorld* inTown = entered ? nullptr : CurrentTown(); inTown && settledOn(town.worldEntry)) {
            if (inTown->IsPanelShown(TownWorld::kConfirmPanel) && now >= since + 1500) {
                seen.askedAt = inTown->GetAreaNumber();
                seen.stored = CTLVApp::Get()->GetPlayer()->GetWorldPosition(town.world);
                Script(ClickAt(buttons::kPanelButton1)); // yes
                entered = true;
                since = now;
            } else if (!inTown->IsPanelShown(-1)) {
                if (const std::string out = driver.Step(inTown, now); !out.empty()) Script(out);
            }
        }
        CGPuzzle* puzzle = Puzzle();
        if (puzzle) {
            NoteSpokenLines(queued, seen.spoken);
            if (tick % kHashFrames == 0) {
                char line[32];
                std::snprintf(line, sizeof line, "%016llx\n", static_cast<unsigned long long>(StateHash(*puzzle)));
                seen.hashes += line;
            }
            for (const Puzzle_Dweeble* person : puzzle->People()) {
                const int cell = person->GetRow() * 7 + person->GetColumn();
                if (!firstCell.count(person)) firstCell[person] = cell;
                seen.sawWalk = seen.sawWalk || (person->IsVisible() && firstCell[person] != cell);
            }
            seen.sawVisit = seen.sawVisit || (puzzle->GetCharacter() && puzzle->GetCharacter()->IsVisiting());
            // The effects, the first time they show.
            if (auto* circus = dynamic_cast<GPToon_Activity*>(puzzle); circus && !seen.pictures.count("spray"))
                for (const PParticle* particle : circus->Particles())
                    if (particle->IsVisible() && particle->GetElapsed() > 40) seen.pictures["spray"] = StagePicture();
            if (auto* zoo = dynamic_cast<GPZoo_Activity*>(puzzle); zoo && !seen.pictures.count("light") && play.level == 1)
                if (zoo->GetSpotLight() && zoo->GetSpotLight()->IsVisible()) seen.pictures["light"] = StagePicture();
        }
        driven = solver->Step(manager ? manager->GetCurrentActivity() : nullptr, now);
        if (!driven.empty()) Script(driven);
        if (entered && seen.stepsDone < steps.size() && steps[seen.stepsDone].ready()) {
            steps[seen.stepsDone].act();
            since = now;
            ++seen.stepsDone;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    if (seen.stepsDone != steps.size()) seen.trace = run.trace.substr(run.trace.size() > 3000 ? run.trace.size() - 3000 : 0);
    return seen;
}

TEST_F(PuzzleTownScenarioTest, EachTownsPuzzleIsSolvedByTheBotAndTheWinIsSaved) {
    for (const TownPlay& play : kPlays) {
        SCOPED_TRACE(play.name);
        const PlaySeen seen = Play(play);
        ASSERT_EQ(seen.stepsDone, 5u) << "the bot stopped early\n" << seen.trace;
        EXPECT_EQ(seen.level, play.level);
        EXPECT_EQ(seen.peopleSaved, 2 * play.level + 1);
        const std::string prefix = std::string("game/minigames/puzzle_") + play.name;
        for (const auto& [what, picture] : seen.pictures) ExpectMatchesGoldenImage(prefix + "_" + what + ".png", picture);
        ExpectMatchesGolden(prefix + "_spoken_lines.txt", seen.spoken);
        ExpectMatchesGolden(prefix + "_states.txt", seen.hashes);
        ExpectEndingLines(play, seen.spoken);
        const bool circus = play.town->classId == puzzle_towns::kCircus.classId;
        const bool zooAtOne = play.town->classId == puzzle_towns::kZoo.classId && play.level == 1;
        EXPECT_EQ(seen.pictures.count("spray"), circus ? 1u : 0u) << "the smoke seen at a reach";
        EXPECT_EQ(seen.pictures.count("light"), zooAtOne ? 1u : 0u) << "the light seen at a reach";
        if (play.level >= 2) {
            EXPECT_TRUE(seen.sawWalk) << "the people walk at the second level";
            EXPECT_TRUE(seen.sawVisit);
        }

        CPlayer stored;
        ASSERT_EQ(stored.Load(kBo), SaveSlotState::Valid);
        const uint16_t world = play.town->world;
        EXPECT_EQ(stored.GetActivityCount(world, CGPuzzle::kPuzzleActivity), seen.countBefore + 1);
        EXPECT_EQ(stored.GetActivityLevel(world, CGPuzzle::kPuzzleActivity), seen.levelBefore + 1);
        EXPECT_EQ(stored.GetHeroPoints(world), seen.heroBefore + 1);
        EXPECT_EQ(stored.GetBadgeCount(world, CGPuzzle::kPuzzleActivity), seen.badgesBefore + seen.badgesCollected);
        RenewGame();
    }
}

TEST_F(PuzzleTownScenarioTest, EachTownsPuzzleEnteredAtWayPointThreeIsWonAndTheTownHoldsTheVehicleWhereItAsked) {
    for (const TownPlay& play : kEntries) {
        SCOPED_TRACE(play.name);
        const PlaySeen seen = Play(play);
        ASSERT_EQ(seen.stepsDone, 5u) << "the bot stopped early\n" << seen.trace;
        EXPECT_EQ(seen.askedAt, 3);
        EXPECT_LT(std::hypot(seen.stored.x - kWayPointThree.x, seen.stored.y - kWayPointThree.y), 120.0)
            << "stored where the vehicle met way point 3: " << seen.stored.x << ", " << seen.stored.y;
        EXPECT_EQ(CPoint16(int16_t(std::lround(seen.back.x)), int16_t(std::lround(seen.back.y))), seen.stored)
            << "the town puts the vehicle back where it asked";
        EXPECT_FALSE(seen.askedAgain);
        EXPECT_EQ(seen.level, play.level);
        EXPECT_EQ(seen.peopleSaved, 2 * play.level + 1);
        if (play.level >= 2) {
            EXPECT_TRUE(seen.sawWalk);
            EXPECT_TRUE(seen.sawVisit);
        }
        ExpectEndingLines(play, seen.spoken);
        const std::string prefix = std::string("game/minigames/puzzle_") + play.name;
        ExpectMatchesGolden(prefix + "_spoken_lines.txt", seen.spoken);
        ExpectMatchesGolden(prefix + "_states.txt", seen.hashes);

        CPlayer stored;
        ASSERT_EQ(stored.Load(kBo), SaveSlotState::Valid);
        const uint16_t world = play.town->world;
        EXPECT_EQ(stored.GetActivityCount(world, CGPuzzle::kPuzzleActivity), seen.countBefore + 1);
        EXPECT_EQ(stored.GetActivityLevel(world, CGPuzzle::kPuzzleActivity), seen.levelBefore + 1);
        EXPECT_EQ(stored.GetHeroPoints(world), seen.heroBefore + 1);
        EXPECT_EQ(stored.GetBadgeCount(world, CGPuzzle::kPuzzleActivity), seen.badgesBefore + seen.badgesCollected);
        RenewGame();
    }
}

TEST_F(PuzzleTownScenarioTest, TheSameSeedPlaysTheSameStates) {
    const TownPlay& play = kPlays[2];
    const PlaySeen first = Play(play);
    RenewGame();
    const PlaySeen second = Play(play);
    ASSERT_GT(first.hashes.size(), 0u);
    EXPECT_EQ(first.hashes, second.hashes);
    EXPECT_EQ(first.spoken, second.spoken);
}

TEST_F(PuzzleTownScenarioTest, LeavingTheCityPuzzleUnsolvedLowersItsLevelAndReturnsToTheCity) {
    const PuzzleTownValues& town = puzzle_towns::kCity;
    PrepareBo(town.world, 2, town.ownEntry);
    uint32_t now = 0, since = 0;
    ChunkId shown = kNullChunkId;
    std::string log;
    int step = 0;
    uint16_t countBefore = 0;
    Scenario s = Game(kFrameMs);
    s.frames = 30000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            CPlayer* player = SignInBo(4);
            countBefore = player->GetActivityCount(town.world, CGPuzzle::kPuzzleActivity);
        }
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            log += "{1, 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
            shown = id;
            since = now;
        }
        CGPuzzle* puzzle = Puzzle();
        const bool settled = puzzle && manager && !manager->IsSwitchPending() && now >= since + 1000;
        if (step == 0 && settled && puzzle->IsPanelShown(CGPuzzle::kPanelStart)) {
            Script(ClickAt(buttons::kPanelButton1));
            ++step;
        } else if (step == 1 && settled && !puzzle->IsPanelShown(-1) && now >= since + 2000) {
            Script(KeyPress(kEsc));
            ++step;
        } else if (step == 2 && puzzle && puzzle->IsPanelShown(CTLVActivity::kPanelMenu) && now >= since + 1500) {
            log += "menu\n";
            Script(ClickAt(buttons::kMenuLeave)); // button 1: leave
            ++step;
        } else if (step == 3 && puzzle && puzzle->IsPanelShown(CTLVActivity::kPanelLeave) && now >= since + 500) {
            log += "leave question\n";
            Script(ClickAt(buttons::kPanelButton1)); // yes
            ++step;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(log, "{1, 0, 24}\nmenu\nleave question\n{1, 0, 17}\n");
    CPlayer stored;
    ASSERT_EQ(stored.Load(kBo), SaveSlotState::Valid);
    EXPECT_EQ(stored.GetActivityLevel(town.world, CGPuzzle::kPuzzleActivity), 1);
    EXPECT_EQ(stored.GetActivityCount(town.world, CGPuzzle::kPuzzleActivity), countBefore);
}

} // namespace
} // namespace vqt::test
