#pragma once
// The whole game played by the game bot on the generated data, a town (a leg) or more a run:
// the save file a run starts from, the bot's legs, and what the run shows - each screen with the
// time it became current, each town's tasks left at every change, the movies shown over the
// screens, the first certificate's ceremony and page, the record the garage holds after it,
// and whatever a test watches besides. A leg that follows another starts from the save file
// the earlier leg ended with.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/media/BinkInterstitial.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/CertificateActivity.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/shell/VehicleSelectActivity.h"
#include "platform/Platform.h"
#include "platform/headless/RecordingPrinter.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tests/support/Png.h"
#include "tests/support/bots/GameBot.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {

struct PlayThrough {
    ScenarioRun run;
    /// Each screen with the time it became current.
    std::string log;
    /// The tasks left (the record's first and second quotas) of the town being played, each
    /// change with its time.
    std::string tasks;
    /// Each movie as it starts over a screen: "<ms> ms: {18, 0, n} over {1, 0, m}".
    std::string movies;
    /// The first certificate's ceremony: the lines said before its queue first runs dry, each
    /// "<ms from the page's start> ms: caption"; the page then (before anything is clicked).
    std::string ceremony;
    RgbImage certificate;
    /// The record in memory when the garage shows after the first certificate (the garage
    /// sets the town's upgrade flag there, and no save follows at once).
    std::optional<PlayerRecord> garageAgain;

    /// The ceremony's captions in order.
    std::vector<std::string> CeremonyLines() const {
        std::vector<std::string> lines;
        for (size_t at = 0; at < ceremony.size();) {
            const size_t colon = ceremony.find(" ms: ", at), end = ceremony.find('\n', at);
            lines.push_back(ceremony.substr(colon + 5, end - colon - 5));
            at = end + 1;
        }
        return lines;
    }
};

/// "{i, s, e}" for a chunk id.
inline std::string Named(ChunkId id) {
    return "{" + std::to_string(ChunkIndexOf(id)) + ", " + std::to_string(ChunkSecondOf(id)) + ", " +
           std::to_string(ChunkEntryOf(id)) + "}";
}

class PlayThroughTest : public ShellScenarioTest {
protected:
    static constexpr uint32_t kFrameMs = 16;
    static constexpr int16_t kAnn = 0; // badge 0

    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
        PutAnn(StoredRecord().bytes());
        Ini("STARTACTIVITY=4\n");
    }

    /// The save file with `ann` on badge 0 (a free record: a new player) and the other slots free.
    void PutAnn(const Bytes& ann) {
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        records[kAnn] = ann;
        PutSave(records);
    }

    /// Ann (new, or the player the save file holds on badge 0) plays `legs` for at most
    /// `seconds`; `watch` sees every frame after the bot.
    PlayThrough Play(std::vector<TownLeg> legs, uint32_t seconds, std::function<void(uint32_t nowMs)> watch = {}) {
        PlayThrough played;
        GameBot bot(HeadlessBotInput(), "Ann", std::move(legs));
        ChunkId shown = kNullChunkId;
        std::array<int, 3> left = {-1, -1, -1}; // the town's world and its two quotas left
        std::string lastCaption;
        const OInterstitial* overlay = nullptr;
        uint32_t certificateAt = 0;
        Scenario s = Game(kFrameMs);
        s.frames = seconds * 1000 / kFrameMs;
        s.watch = [&](uint32_t tick) {
            const uint32_t now = (tick - 1) * kFrameMs;
            if (tick == 1) {
                xSRand(1);
                std::srand(1); // the arcades draw from the C library's generator
                TLVWorld_Activity::escapeSide = 0; // the escape search's side lives on between runs
            }
            OActivityManager* manager = GetActivityManager();
            const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
            if (id != shown) {
                shown = id;
                played.log += std::to_string(now) + " ms: " + Named(id) + "\n";
                if (certificateAt && !played.garageAgain && manager && dynamic_cast<VehicleSelect_Activity*>(manager->GetCurrentActivity()))
                    played.garageAgain = CTLVApp::Get()->GetPlayer()->Record();
            }
            if (OInterstitial* playing = manager ? manager->GetCurrentOverlay() : nullptr; playing != overlay) {
                overlay = playing;
                if (auto* movie = dynamic_cast<OBinkInterstitial*>(playing))
                    played.movies += std::to_string(now) + " ms: " + Named(movie->GetChunkId()) + " over " + Named(id) + "\n";
            }
            if (auto* page = manager ? dynamic_cast<Certificate_Activity*>(manager->GetCurrentActivity()) : nullptr;
                page && played.certificate.rgb.empty()) {
                if (!certificateAt) certificateAt = now;
                OMessageProcess* messages = CTLVApp::Get()->GetMessageProcess();
                const OMessageRecord* head = messages->Head();
                const std::string caption = head ? head->caption : "";
                if (!caption.empty() && caption != lastCaption)
                    played.ceremony += std::to_string(now - certificateAt) + " ms: " + caption + "\n";
                lastCaption = caption;
                if (now >= certificateAt + 800 && messages->QueueLength() == 0 &&
                    !page->IsPanelShown(Certificate_Activity::kPanelPrint))
                    played.certificate = StagePicture();
            }
            CPlayer* player = CTLVApp::Get() ? CTLVApp::Get()->GetPlayer() : nullptr;
            if (auto* town = CurrentTown(); player && town) {
                const int W = town->Table().world;
                const std::array<int, 3> nowLeft = {W, player->GetQuota1Left(W), player->GetQuota2Left(W)};
                if (nowLeft != left) {
                    left = nowLeft;
                    played.tasks += std::to_string(now) + " ms: world " + std::to_string(W) + ": " + std::to_string(left[1]) +
                                    ", " + std::to_string(left[2]) + "\n";
                }
            }
            const std::string lines = bot.Step(now);
            if (!lines.empty()) Script(lines);
            if (watch) watch(now);
        };
        played.run = RunScenario(s);
        return played;
    }

    /// What a town's leg ends with: the certificate's ceremony (lines beginning as `ceremony`
    /// does, in order) and page against golden files named for the town; in the saved record
    /// the round done (each activity once, the games won, a hero point for each of the seven,
    /// the movie seen, the town visited five times: the drive out and back from each game);
    /// the upgrade opened by the garage after the certificate in memory, not yet on the disc;
    /// the one print the bot makes of the certificate.
    void ExpectRoundEnded(const PlayThrough& played, const std::string& town, int world, int visitCounter,
                          const std::vector<std::string>& ceremony) {
        const std::vector<std::string> lines = played.CeremonyLines();
        ASSERT_EQ(lines.size(), ceremony.size()) << played.ceremony;
        for (size_t i = 0; i < ceremony.size(); ++i) EXPECT_EQ(lines[i].rfind(ceremony[i], 0), 0u) << lines[i];
        ExpectMatchesGolden("game/playthrough/" + town + "_ceremony.log", played.ceremony);
        ASSERT_FALSE(played.certificate.rgb.empty()) << "the certificate shows";
        ExpectMatchesGoldenImage("game/playthrough/" + town + "_certificate.png", played.certificate);
        // The bot prints the certificate once: a whole job of one page with the page's picture.
        const auto& jobs = static_cast<plat::RecordingPrinter&>(plat::printer()).Jobs();
        ASSERT_EQ(jobs.size(), 1u) << "one print";
        EXPECT_TRUE(jobs[0].ended);
        ASSERT_EQ(jobs[0].pages.size(), 1u);
        EXPECT_FALSE(jobs[0].pages[0].draws.empty()) << "the page carries the certificate";

        const std::unique_ptr<CPlayer> saved = Saved();
        EXPECT_STREQ(saved->GetName(), "Ann");
        for (int i = 0; i < CPlayer::kActivities; ++i) EXPECT_EQ(saved->GetActivityCount(world, i), 1) << "activity " << i;
        for (int game = 3; game <= 6; ++game) EXPECT_EQ(saved->GetActivityLevel(world, game), 2) << "game " << game << " was won";
        EXPECT_EQ(saved->GetHeroPoints(world), 7) << "a hero point a win, a task and the mission";
        EXPECT_EQ(saved->GetWorldWord31(world), 1) << "the movie was seen";
        EXPECT_EQ(saved->GetCounter(visitCounter), 5) << "the drive out and back from each game";
        ASSERT_TRUE(played.garageAgain.has_value()) << "the garage after the certificate";
        EXPECT_EQ(played.garageAgain->world[world][CPlayer::kUpgrade], 1) << "the garage opened the upgrade";
        EXPECT_EQ(saved->GetWorldVisited(world), 0) << "the garage saves nothing";
    }

    /// Ann's record as the run left it in the save file.
    static std::unique_ptr<CPlayer> Saved() {
        auto saved = std::make_unique<CPlayer>();
        EXPECT_EQ(saved->Load(kAnn), SaveSlotState::Valid);
        return saved;
    }
};

} // namespace vqt::test
