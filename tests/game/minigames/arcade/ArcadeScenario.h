#pragma once
// What the arcades' whole-program bots share: scripted keys and clicks, the current game of a
// class, the lines queued since the last look and the stage as presented; and the scenarios of
// a steer-and-fire arcade, driven by a table of the game's entry, world, vehicle and the bot's
// aim: a bot that plays until it wins, the record it saves, two runs alike, and leaving early.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/Snippet.h"
#include "game/minigames/arcade/ArcadeClasses.h"
#include "game/minigames/arcade/ArcadeGame.h"
#include "game/minigames/arcade/ArcadeToken.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/WorldClasses.h"
#include "game/world/towns/TownWorld.h"
#include "game/world/vehicles/VFlat.h"
#include "platform/Platform.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/Golden.h"
#include "tests/support/Png.h"
#include "tests/support/StageScript.h"
#include "tests/support/bots/MiniGameDriver.h"
#include "tests/support/bots/ScriptLines.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test::arcade_bot {

constexpr int kEsc = 27;

/// The current activity when it is a `Game`, else null.
template <class Game>
Game* Current() {
    OActivityManager* manager = GetActivityManager();
    OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
    return current && current->IsA(Game::kClassId) ? static_cast<Game*>(current) : nullptr;
}

/// Notes the lines that were queued since the last look (the queue's records as they stand).
inline void NoteSpokenLines(std::vector<const OMessageRecord*>& seen, std::string& log) {
    CTLVApp* app = CTLVApp::Get();
    OMessageProcess* messages = app ? app->GetMessageProcess() : nullptr;
    if (!messages) return;
    std::vector<const OMessageRecord*> now;
    for (int32_t i = 0; i < messages->QueueLength(); ++i) {
        const OMessageRecord* record = messages->QueuedAt(i);
        now.push_back(record);
        if (std::find(seen.begin(), seen.end(), record) != seen.end()) continue;
        const uint16_t voice = record->voice ? ChunkEntryOf(record->voice->cacheId) : 0;
        log += std::to_string(voice) + " " + record->caption + "\n";
    }
    seen = now;
}

/// Folds a game's state into a hash, value by value to a thousandth.
class StateHash {
public:
    void Mix(double v) {
        h_ ^= uint64_t(int64_t(std::llround(v * 1000.0)));
        h_ *= 1099511628211ull;
    }
    /// The view's scroll and the vehicle's place and speed.
    void MixViewAndVehicle(Arcade_Activity& game) {
        Mix(game.GetScrollOffset().x);
        if (VFlat* vehicle = game.GetVehicle()) Mix(vehicle->GetPosition().x), Mix(vehicle->GetVelocity().x);
    }
    uint64_t Value() const { return h_; }

private:
    uint64_t h_ = 1469598103934665603ull;
};

/// What a bot's run saw.
struct BotRun {
    int step = 0;
    int vehicle = -1;
    /// The game's score (crooks stopped, items caught) at the last frame of play.
    uint16_t scored = 0;
    uint16_t tokensCaught = 0, badgesBefore = 0, heroBefore = 0, countBefore = 0;
    /// Tokens that went out of play on the stage, not below it: the ones taken.
    int tokensTaken = 0;
    std::string log;
    /// A hash of the game's state at every frame of play.
    std::vector<uint64_t> hashes;
    /// Entered from the town: the place the town stored when the way point was reached, and
    /// where the town put the vehicle back after the game.
    CPoint16 stored;
    CPointF backAt{-1.0f, -1.0f};
    /// When the last point was scored and when the results panel showed.
    uint32_t goalAt = 0, resultsAt = 0;
    /// The level of the game that "play again" started.
    int32_t levelAgain = 0;
    /// Every line queued while the game ran, in order: its voice entry and its caption bytes.
    std::string spoken;
    /// The stage with the start panel, a moment after the first score, and with the results.
    RgbImage startPanel, firstScore, results;
};

/// What the scenarios need of one arcade that the arcade driver plays.
template <class Arcade>
struct ArcadeBot {
    uint16_t entry;
    int world;
    /// The vehicle chosen before the start; -1 keeps the record's.
    int vehicle;
    /// How long after the first score the picture of it is taken.
    uint32_t firstScoreShotMs;
    uint16_t (*score)(Arcade& game);
    uint64_t (*hash)(Arcade& game);
};

/// The whole program on the generated data, started in the arcade with Bo's record.
template <class Arcade>
class ArcadeScenarioTest : public ShellScenarioTest {
protected:
    static constexpr int16_t kBo = 3;
    static constexpr uint32_t kFrameMs = 20;
    static constexpr int kArcade = 3;

    explicit ArcadeScenarioTest(const ArcadeBot<Arcade>& bot) : bot_(bot) {}
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
        xArcade_RegisterClasses();
    }
    static constexpr uint16_t kBadgesBeforeTown = 149;
    /// How far down the road from the challenge's way point the vehicle is set down.
    static constexpr float kApproach = 160.0f;

    /// Bo's record with the arcade at the level, in every slot's place an empty one; started in
    /// the arcade, or in its town with the arcade's challenge open, every town visited before
    /// and one badge short of the top.
    void PutBo(uint16_t level, bool fromTown = false) {
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        StoredRecord bo = StoredRecord("Bo").Counter(13, 1).WorldWord(bot_.world, CPlayer::kLevels + kArcade, level);
        if (fromTown) {
            bo.Counter(14, 1).Counter(15, 1).WorldWord(bot_.world, CPlayer::kFlags + kArcade, 1);
            bo.WorldWord(bot_.world, CPlayer::kBadges, kBadgesBeforeTown);
        }
        records[kBo] = bo.bytes();
        PutSave(records);
        Ini("STARTACTIVITY=" + std::to_string(fromTown ? ChunkEntryOf(Arcade::kTown) : bot_.entry) + "\n");
    }
    /// The town, when it is the current activity.
    static TownWorld* CurrentTown() {
        OActivityManager* manager = GetActivityManager();
        return manager ? dynamic_cast<TownWorld*>(manager->GetCurrentActivity()) : nullptr;
    }
    /// Bo at level 1 in the bot's vehicle, started in the arcade, or in its town: there the
    /// vehicle drives onto way point 1 and the question is answered "yes". The arcade driver
    /// closes the start panel, plays until the results panel shows and goes back by its button 0;
    /// the town's place for the vehicle is then noted. With `again` the run answers the results
    /// panel by button 1, play again, and notes the level the new game starts at.
    /// A run may be given the driver of an earlier one.
    BotRun PlayBot(uint32_t runMs = 300000, bool fromTown = false, bool again = false, MiniGameDriver* playedBefore = nullptr) {
        std::srand(1); // the fixed seed of every run
        PutBo(1, fromTown);
        BotRun r;
        r.step = fromTown ? -2 : 0;
        uint32_t now = 0, arrived = 0, wonAt = 0, scoredAt = 0;
        ChunkId shown = kNullChunkId;
        const std::unique_ptr<MiniGameDriver> fresh = playedBefore ? nullptr : MakeArcadeDriver();
        MiniGameDriver* driver = playedBefore ? playedBefore : fresh.get();
        std::vector<const OMessageRecord*> queued;
        std::map<const void*, float> tokensInPlay;
        Scenario s = Game(kFrameMs);
        s.frames = runMs / kFrameMs;
        s.watch = [&](uint32_t tick) {
            now = (tick - 1) * kFrameMs;
            CPlayer* player = CTLVApp::Get()->GetPlayer();
            if (tick == 1) {
                player->Load(kBo);
                if (bot_.vehicle >= 0) player->SetSelectedVehicle(uint16_t(bot_.vehicle));
                CTLVApp::Get()->SetSaveSlot(kBo);
                r.badgesBefore = player->GetBadgeCount(bot_.world, kArcade);
                r.heroBefore = player->GetHeroPoints(bot_.world);
                r.countBefore = player->GetActivityCount(bot_.world, kArcade);
            }
            OActivityManager* manager = GetActivityManager();
            const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
            if (id != shown) {
                r.log += "{1, 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
                shown = id;
                arrived = now;
            }
            Arcade* game = Current<Arcade>();
            if (game) NoteSpokenLines(queued, r.spoken);
            // The driver plays; the last frames of a run let go of its keys (nothing stays held
            // for the next run), and the run itself answers the results panel to play again.
            std::string played;
            if (r.step == 2 && tick + 5 >= s.frames) played = driver->Release();
            else if (!(again && r.step >= 3)) played = driver->Step(manager ? manager->GetCurrentActivity() : nullptr, now);
            if (!played.empty()) Script(played);
            const bool settled = game && manager && !manager->IsSwitchPending() && now >= arrived + 800;
            TownWorld* town = CurrentTown();
            const bool townSettled = town && id == Arcade::kTown && !manager->IsSwitchPending() && now >= arrived + 1500;
            if (r.step == -2 && townSettled && !town->IsPanelShown(-1)) {
                // Set down on the road below the challenge's way point, the bot points at it and
                // drives there with '1', as a player does.
                OActivityProp* point = town->GetWayPoint(1);
                TLV_Object* vehicle = town->GetVehicle();
                if (!point || !vehicle) return;
                vehicle->SetPosition(CPointF(point->GetPosition().x, point->GetPosition().y + kApproach), 0, 1);
                CenterWorldViewOn(vehicle);
                const CPointF at(point->GetPosition().x - town->GetScrollOffset().x, point->GetPosition().y - town->GetScrollOffset().y);
                const std::string pointer = " 0 0 " + std::to_string(int(at.x)) + " " + std::to_string(int(at.y)) + "\n";
                Script("0 WM_MOUSEMOVE" + pointer + KeyLine(50, "WM_KEYDOWN", '1') + KeyLine(100, "WM_KEYUP", '1') + "150 WM_MOUSEMOVE" + pointer);
                ++r.step;
            } else if (r.step == -1 && town && town->IsPanelShown(TownWorld::kConfirmPanel) && now >= arrived + 2500) {
                r.stored = player->GetWorldPosition(bot_.world);
                Click(buttons::kQuestionYes); // yes
                ++r.step;
            } else if (r.step == 0 && game && game->IsPanelShown(Arcade_Activity::kStartPanel) && !played.empty()) {
                // The driver's click on the instructions.
                r.vehicle = game->GetVehicleIndex();
                r.startPanel = StagePicture();
                ++r.step;
            } else if (r.step == 1 && settled && !game->IsPanelShown(-1) && now >= arrived + 2000) {
                ++r.step;
            } else if (r.step == 2 && game) {
                const uint16_t score = bot_.score(*game);
                if (r.scored == 0 && score > 0) scoredAt = now;
                if (score > r.scored) r.goalAt = now;
                if (scoredAt && r.firstScore.rgb.empty() && now >= scoredAt + bot_.firstScoreShotMs) r.firstScore = StagePicture();
                r.scored = score;
                r.hashes.push_back(bot_.hash(*game));
                // A token seen in play that is hidden now was taken, unless it went out at the
                // stage's bottom.
                const float bottom = float(game->GetStageHeight()) - 20.0f;
                for (int32_t i = 0; i < game->LiveTokens().Count(); ++i) {
                    const Arcade_Token* token = game->LiveTokens().GetAt(i);
                    if (!token) continue;
                    const auto seen = tokensInPlay.find(token);
                    if (token->IsVisible()) {
                        tokensInPlay[token] = token->GetPosition().y;
                    } else if (seen != tokensInPlay.end()) {
                        if (seen->second < bottom) ++r.tokensTaken;
                        tokensInPlay.erase(seen);
                    }
                }
                if (game->IsPanelShown(Arcade_Game::kResultsPanel)) {
                    wonAt = r.resultsAt = now;
                    r.tokensCaught = uint16_t(player->GetBadgeCount(bot_.world, kArcade) - r.badgesBefore);
                    ++r.step;
                }
            } else if (r.step == 3 && (again ? now >= wonAt + 1500 : !played.empty())) {
                // The driver's click on button 0, or here button 1: play again.
                r.results = StagePicture();
                if (again) Click(buttons::kPanelButton1);
                ++r.step;
            } else if (r.step == 4 && again && settled && now >= wonAt + 3000 && game->IsPanelShown(Arcade_Activity::kStartPanel) &&
                       bot_.score(*game) == 0) {
                // The same activity loaded afresh: its start panel, nothing scored.
                r.levelAgain = game->Level();
                ++r.step;
            } else if (r.step == 4 && !again && id == Arcade::kTown && now >= arrived + 1500) {
                if (town && town->GetVehicle()) r.backAt = town->GetVehicle()->GetPosition();
                ++r.step;
            }
        };
        const ScenarioRun run = RunScenario(s);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
        return r;
    }
    /// A won run: the goal scored in the bot's vehicle, back in the town, and the record saved
    /// as the win raises it; its lines and pictures match the goldens named after `name`.
    void ExpectWonAndSaved(const BotRun& r, uint16_t goal, const std::string& name, const std::string& firstScoreShot) {
        ASSERT_GE(r.step, 3) << "scored: " << r.scored << "\n" << r.log;
        if (bot_.vehicle >= 0) {
            EXPECT_EQ(r.vehicle, bot_.vehicle);
        }
        EXPECT_EQ(r.scored, goal);
        EXPECT_GE(r.step, 5) << r.log;
        CPlayer saved;
        ASSERT_EQ(saved.Load(kBo), SaveSlotState::Valid);
        EXPECT_EQ(saved.GetActivityCount(bot_.world, kArcade), r.countBefore + 1);
        EXPECT_EQ(saved.GetActivityLevel(bot_.world, kArcade), 2);
        EXPECT_EQ(saved.GetHeroPoints(bot_.world), r.heroBefore + 1);
        EXPECT_EQ(saved.GetBadgeCount(bot_.world, kArcade), r.badgesBefore + r.tokensCaught);
        ExpectMatchesGolden("game/minigames/" + name + "_lines.txt", r.spoken);
        ExpectMatchesGoldenImage("game/minigames/" + name + "_start.png", r.startPanel);
        ExpectMatchesGoldenImage("game/minigames/" + name + "_" + firstScoreShot + ".png", r.firstScore);
        ExpectMatchesGoldenImage("game/minigames/" + name + "_results.png", r.results);
    }
    /// A run entered from the town and won: the results panel `resultsDelayMs` after the last
    /// point, the vehicle back at the place the town stored at the way point, and the badges
    /// raised by the tokens caught but never beyond the top of 150.
    void ExpectWonFromTown(const BotRun& r, uint16_t goal, uint32_t resultsDelayMs) {
        ASSERT_GE(r.step, 5) << "scored: " << r.scored << "\n" << r.log;
        EXPECT_EQ(r.log, "{1, 0, " + std::to_string(ChunkEntryOf(Arcade::kTown)) + "}\n{1, 0, " + std::to_string(bot_.entry) +
                             "}\n{1, 0, " + std::to_string(ChunkEntryOf(Arcade::kTown)) + "}\n");
        EXPECT_EQ(r.vehicle, bot_.vehicle);
        EXPECT_EQ(r.scored, goal);
        EXPECT_GE(r.resultsAt, r.goalAt + resultsDelayMs);
        EXPECT_LT(r.resultsAt, r.goalAt + resultsDelayMs + 2 * kFrameMs) << "within a frame of its time";
        EXPECT_NE(r.stored.x, 0);
        EXPECT_EQ(r.backAt, CPointF(float(r.stored.x), float(r.stored.y))) << "the town holds the vehicle where it stored it";
        CPlayer saved;
        ASSERT_EQ(saved.Load(kBo), SaveSlotState::Valid);
        EXPECT_EQ(saved.GetActivityCount(bot_.world, kArcade), r.countBefore + 1);
        EXPECT_EQ(saved.GetActivityLevel(bot_.world, kArcade), 2);
        EXPECT_EQ(saved.GetHeroPoints(bot_.world), r.heroBefore + 1);
        EXPECT_EQ(saved.GetActivityFlag(bot_.world, kArcade), 0) << "the challenge is taken";
        EXPECT_EQ(r.badgesBefore, kBadgesBeforeTown);
        EXPECT_EQ(saved.GetBadgeCount(bot_.world, kArcade),
                  std::min<int>(CPlayer::kMaxBadges, r.badgesBefore + r.tokensTaken)) << r.tokensTaken << " tokens taken";
    }
    /// A won run whose results panel answered "play again": the game itself comes back, fresh
    /// at its start panel, at level 2, and no other activity came between.
    void ExpectPlayedAgain(const BotRun& r) {
        ASSERT_GE(r.step, 5) << "scored: " << r.scored << "\n" << r.log;
        EXPECT_EQ(r.log, "{1, 0, " + std::to_string(bot_.entry) + "}\n");
        EXPECT_EQ(r.levelAgain, 2);
    }
    /// The first 20 seconds of two runs hash alike at every frame; with `sameDriver` the second
    /// run is played by the driver of the first, which starts the new run's game afresh.
    void ExpectTwoRunsAlike(bool sameDriver = false) {
        const std::unique_ptr<MiniGameDriver> driver = MakeArcadeDriver();
        const BotRun first = PlayBot(20000, false, false, driver.get());
        RenewContext();
        xWorld_RegisterClasses();
        xArcade_RegisterClasses();
        const BotRun second = PlayBot(20000, false, false, sameDriver ? driver.get() : nullptr);
        ASSERT_GT(first.hashes.size(), 100u);
        EXPECT_EQ(first.hashes, second.hashes);
    }
    /// At level 2, ESC, the menu's button 1 and yes: level 1, the count unchanged, and the
    /// town requested (the switches logged as `expectedLog` has them).
    void ExpectLeavingEarlyLowersTheLevel(const std::string& expectedLog) {
        PutBo(2);
        uint32_t now = 0, arrived = 0;
        ChunkId shown = kNullChunkId;
        uint16_t countBefore = 0;
        std::string log;
        int step = 0;
        Scenario s = Game(kFrameMs);
        s.frames = 20000 / kFrameMs;
        s.watch = [&](uint32_t tick) {
            now = (tick - 1) * kFrameMs;
            if (tick == 1) {
                CTLVApp::Get()->GetPlayer()->Load(kBo);
                if (bot_.vehicle >= 0) CTLVApp::Get()->GetPlayer()->SetSelectedVehicle(uint16_t(bot_.vehicle));
                CTLVApp::Get()->SetSaveSlot(kBo);
                countBefore = CTLVApp::Get()->GetPlayer()->GetActivityCount(bot_.world, kArcade);
            }
            OActivityManager* manager = GetActivityManager();
            const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
            if (id != shown) {
                log += "{1, 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
                shown = id;
                arrived = now;
            }
            Arcade* game = Current<Arcade>();
            const bool settled = game && manager && !manager->IsSwitchPending() && now >= arrived + 800;
            if (step == 0 && settled && game->IsPanelShown(Arcade_Activity::kStartPanel)) {
                Script(KeyLine(0, "WM_KEYDOWN", kEsc) + KeyLine(60, "WM_KEYUP", kEsc));
                ++step;
            } else if (step == 1 && game && game->IsPanelShown(CTLVActivity::kPanelMenu) && now >= arrived + 1500) {
                log += "menu\n";
                Click(buttons::kMenuLeave); // button 1: leave
                ++step;
            } else if (step == 2 && game && game->IsPanelShown(CTLVActivity::kPanelLeave)) {
                log += "leave question\n";
                Click(buttons::kQuestionYes); // yes
                ++step;
            }
        };
        const ScenarioRun run = RunScenario(s);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
        EXPECT_EQ(log, expectedLog);
        CPlayer saved;
        ASSERT_EQ(saved.Load(kBo), SaveSlotState::Valid);
        EXPECT_EQ(saved.GetActivityLevel(bot_.world, kArcade), 1);
        EXPECT_EQ(saved.GetActivityCount(bot_.world, kArcade), countBefore);
    }

    const ArcadeBot<Arcade>& bot_;
};

} // namespace vqt::test::arcade_bot
