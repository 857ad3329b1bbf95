#pragma once
// A town's whole round played by the town bot on the generated game data, the whole program
// running: a prepared player near the end of the round signs in, picks the town's vehicle in
// the garage and drives out; in the town the bot does what is left of both tasks and, where the
// town's row names one, first answers no at a challenge area, does tasks until the areas are
// armed again and answers yes there (a stub game brings it back); then the mission's movie, the
// mission, the rescue, the certificate and the garage again. Each run gives the spoken lines,
// the activities shown, pictures at the round's moments, a state hash a town frame and the save
// file's slots before and after.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/WorldClasses.h"
#include "platform/headless/VirtualClock.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/StubTownGame.h"
#include "tests/game/world/towns/TownRounds.h"
#include "tests/game/world/towns/TownRunWatch.h"
#include "tests/game/world/towns/TownScenario.h"

namespace vqt::test {

struct PlayedRound {
    std::vector<uint64_t> hashes;
    std::string lines;
    /// The captions spoken while the certificate shows.
    std::vector<std::string> certificateLines;
    /// "arrival", "first task done", "panel 6", "movie", "mission", "rescue", "certificate", "garage".
    std::map<std::string, RgbImage> pictures;
    std::vector<ChunkId> visited;
    std::vector<plat::ScriptedDialogs::Box> boxes;
    std::unique_ptr<CPlayer> record = std::make_unique<CPlayer>();
    /// The town's badge count at its last frame, and the tokens taken on the way.
    uint16_t badges = 0;
    TokensTaken tokens;
    /// The trace's lines about chunks the part file lacks.
    std::string missingChunks;
    /// The trace's lines about a screen asked for again while the first request is under way.
    std::string switchInterrupts;
    /// Whether the garage shown after the certificate holds the town's upgrade open.
    bool upgradeOpen = false;
    /// Each save slot's stored chunk before and after the play.
    std::array<Bytes, 8> slotsBefore, slotsAfter;
    /// The areas whose question was answered, in order, with the answer.
    std::vector<std::pair<int, bool>> answers;
    /// The town's stored position when yes was answered, and the vehicle's on the way back.
    CPoint16 stored;
    std::optional<CPointF> back;
};

class TownRoundScenarioTest : public ShellScenarioTest {
protected:
    static constexpr uint32_t kFrameMs = 16;
    static constexpr int kCy = kTownRoundSlot;
    /// How long after the mission's end the rescue is pictured.
    static constexpr uint32_t kRescueMs = 80;
    /// How long a question panel shows before the bot answers it.
    static constexpr uint32_t kAnswerMs = 1500;

    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
    }

    /// Cy near the end of the town's round, signed in and driven by the bot for `seconds` of play; on the
    /// certificate page the back button is clicked.
    PlayedRound Play(const TownRound& round, uint32_t seconds, uint32_t seed) {
        RenewContext();
        // Input an earlier play left queued would come at its old times in this one.
        static_cast<plat::ScriptedMessages&>(plat::messages()).Clear();
        // Every play starts at the same tick: the town reads the clock as well as the seed.
        clock().Set(plat::VirtualClock::kStart);
        xWorld_RegisterClasses();
        if (round.challenge) {
            EXPECT_TRUE(StubTownGame::Register(round.challenge->gameClass));
        }
        const int W = round.world;
        PutSave(TownRoundRecords(round));
        PlayedRound played;
        played.slotsBefore = SlotChunks(work / "TLVSave.vqk");
        Ini("STARTACTIVITY=4\n");

        // The challenge: to the area, away from it until it is armed again, back to it.
        enum class Visit { ToArea, Away, Back, Done };
        Visit visit = round.challenge ? Visit::ToArea : Visit::Done;
        TownBot::Task tasks = round.tasks;
        tasks.first = [&, rowFirst = round.tasks.first](TLVWorld_Activity* world) -> OActivityProp* {
            if (visit == Visit::ToArea || visit == Visit::Back) return world->GetWayPoint(round.challenge->area);
            return rowFirst ? rowFirst(world) : nullptr;
        };
        std::optional<TownBot> bot;
        size_t botVisit = 0; // the activity shown that the bot was made for
        uint32_t now = 0, panelSince = 0, declinedAt = 0;
        bool panelShown = false, answered = false;
        ChunkId shown = kNullChunkId;
        std::string lastCaption;
        uint32_t certificateAt = 0, garageAgainAt = 0, rescueAt = 0;
        std::unique_ptr<MovieCamera> movie;
        Scenario s = Game(kFrameMs);
        s.frames = seconds * 1000 / kFrameMs;
        s.watch = [&](uint32_t tick) {
            now = (tick - 1) * kFrameMs;
            if (tick == 1) {
                movie = std::make_unique<MovieCamera>(30);
                movie->Install();
                xSRand(seed);
                TLVWorld_Activity::escapeSide = 0; // the escape search's side lives on between runs
            }
            if (tick == s.frames) {
                if (!movie->picture.rgb.empty()) played.pictures["movie"] = movie->picture;
                movie->Remove();
            }
            OActivityManager* manager = GetActivityManager();
            const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
            if (id != shown) {
                shown = id;
                played.visited.push_back(id);
                if (id == MakeChunkId(1, 4) && played.visited.size() == 1) Script(SignInInput(kCy));
                if (id == MakeChunkId(1, 5) && played.visited.size() == 2) Script(GarageInput(round.vehicle));
                if (id == round.certificate) {
                    certificateAt = now;
                    Script(kCertificateBackInput);
                }
                if (id == MakeChunkId(1, 5) && played.visited.size() > 2) garageAgainAt = now;
            }
            if (OMessageProcess* messages = CTLVApp::Get()->GetMessageProcess()) {
                const OMessageRecord* head = messages->Head();
                const std::string caption = head ? head->caption : "";
                if (!caption.empty() && caption != lastCaption) {
                    char line[32];
                    std::snprintf(line, sizeof line, "%u: ", tick);
                    played.lines += line + caption + "\n";
                    if (id == round.certificate) played.certificateLines.push_back(caption);
                }
                lastCaption = caption;
            }
            if (certificateAt && now == certificateAt + 2000) played.pictures["certificate"] = StagePicture();
            if (garageAgainAt && now == garageAgainAt + 2000) {
                played.pictures["garage"] = StagePicture();
                played.upgradeOpen = CTLVApp::Get()->GetPlayer()->GetWorldVisited(W) != 0;
            }
            TownWorld* town = CurrentTown();
            if (!town || manager->IsSwitchPending()) return;
            CPlayer* player = CTLVApp::Get()->GetPlayer();
            if (played.visited.size() != botVisit) {
                // A new visit: a fresh bot; back from the challenge, where the vehicle stands.
                botVisit = played.visited.size();
                bot.emplace(round.roads, tasks);
                if (visit == Visit::Done && !played.answers.empty() && town->GetVehicle())
                    played.back = town->GetVehicle()->GetPosition();
            }
            played.hashes.push_back(StateHash(town));
            played.badges = player->GetBadgeCount(W, 0);
            played.tokens.Watch(town);
            if (played.pictures.count("arrival") == 0 && now > 2000) played.pictures["arrival"] = StagePicture();
            // A question (an area's, or the way out's new car) is answered after a while: yes
            // only at the challenge's area on the way back.
            if (town->IsPanelShown(TownWorld::kConfirmPanel) || town->IsPanelShown(CTLVActivity::kPanelNewCar)) {
                if (!panelShown) {
                    panelShown = true;
                    panelSince = now;
                    answered = false;
                }
                if (!answered && now >= panelSince + kAnswerMs) {
                    answered = true;
                    const bool yes = visit == Visit::Back && town->IsPanelShown(TownWorld::kConfirmPanel) &&
                                     town->GetAreaNumber() == round.challenge->area;
                    if (played.pictures.count("panel 6") == 0 && town->IsPanelShown(TownWorld::kConfirmPanel))
                        played.pictures["panel 6"] = StagePicture();
                    played.answers.emplace_back(town->GetAreaNumber(), yes);
                    if (yes) {
                        played.stored = player->GetWorldPosition(W);
                        visit = Visit::Done;
                    } else if (visit == Visit::ToArea && town->IsPanelShown(TownWorld::kConfirmPanel) &&
                               town->GetAreaNumber() == round.challenge->area) {
                        visit = Visit::Away;
                        declinedAt = now;
                    }
                    Script(ClickAt(yes ? buttons::kQuestionYes : buttons::kQuestionNo));
                }
                return;
            }
            panelShown = false;
            if (visit == Visit::Away && now > declinedAt + uint32_t(TownWorld::kRearmMs) &&
                player->GetActivityFlag(W, round.challenge->flag) != 0)
                visit = Visit::Back;
            const std::string out = bot->Step(town, now);
            if (!out.empty()) Script(out);
            if (player->GetQuota1Left(W) == 0 && played.pictures.count("first task done") == 0)
                played.pictures["first task done"] = StagePicture();
            if (town->GetMissionStarted() && played.pictures.count("mission") == 0) played.pictures["mission"] = StagePicture();
            if (town->MissionDone() && !rescueAt) rescueAt = now;
            // The rescue's animation is short: the town ends soon after.
            if (rescueAt && now >= rescueAt + kRescueMs && played.pictures.count("rescue") == 0)
                played.pictures["rescue"] = StagePicture();
        };
        const ScenarioRun run = RunScenario(s);
        EXPECT_EQ(run.exitCode, 0);
        played.boxes = run.boxes;
        played.missingChunks = MissingChunkTraces(run.trace);
        played.switchInterrupts = SwitchInterruptTraces(run.trace);
        played.record->Load(kCy);
        played.slotsAfter = SlotChunks(work / "TLVSave.vqk");
        return played;
    }

    /// Only the player's save slot differs after the play.
    static void ExpectOnlySlotChanged(const PlayedRound& played, int player) {
        for (int slot = 0; slot < 8; ++slot) {
            ASSERT_FALSE(played.slotsBefore[size_t(slot)].empty()) << "slot " << slot;
            EXPECT_EQ(played.slotsAfter[size_t(slot)] == played.slotsBefore[size_t(slot)], slot != player)
                << "only the player's slot changes: slot " << slot;
        }
    }

    /// Two plays of one seed pass through the same state at every town frame and say the same.
    void ExpectSamePlays(const TownRound& round, uint32_t seconds, uint32_t seed) {
        const PlayedRound first = Play(round, seconds, seed);
        const PlayedRound second = Play(round, seconds, seed);
        ASSERT_GT(first.hashes.size(), 1000u);
        ASSERT_EQ(first.hashes.size(), second.hashes.size());
        for (size_t frame = 0; frame < first.hashes.size(); ++frame)
            ASSERT_EQ(first.hashes[frame], second.hashes[frame]) << "the plays part at frame " << frame;
        EXPECT_EQ(first.lines, second.lines);
    }
};

} // namespace vqt::test
