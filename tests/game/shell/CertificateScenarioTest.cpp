// The whole round of a player who has finished every town's mission 2, on the generated game
// data: signing in, the garage, the zoo's map (on the plain game activity while the zoo's world
// is not built, so that the round does not hang on a driving world; the map's button in the
// stage's top right corner leads on), its certificate's ceremony and a print, the
// closing movie on the way back to the garage (once), a second visit, and quitting through the
// credits. Each step waits for the state it needs rather than for a fixed time.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/shell/CertificateActivity.h"
#include "game/shell/GameStart.h"
#include "game/shell/Player.h"
#include "game/shell/SignInActivity.h"
#include "game/shell/TLVApp.h"
#include "game/shell/VehicleSelectActivity.h"
#include "game/shell/NavigationProp.h"
#include "platform/headless/RecordingPrinter.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StageScript.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kBo = 3;

/// What Bo's slot holds on disc: counter 16 and the three upgrade flags.
std::string StoredMarks() {
    CPlayer stored;
    if (stored.Load(kBo) != SaveSlotState::Valid) return "unreadable";
    return "counter 16 = " + std::to_string(stored.GetCounter(Certificate_Activity::kMovieCounter)) + ", upgrades " +
           std::to_string(stored.GetWorldVisited(0)) + std::to_string(stored.GetWorldVisited(1)) +
           std::to_string(stored.GetWorldVisited(2));
}

class CertificateScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        Ini("STARTACTIVITY=4\n");
        // Bo has driven in every town before and finished mission 2 in each; the others are new players.
        ASSERT_TRUE(WritePlayers(work / "TLVSave.vqk", [](uint16_t slot, CPlayer& player) {
            if (slot != kBo) return;
            player.SetName("Bo");
            for (int visits : {13, 14, 15}) player.IncCounter(visits); // no town's first-visit movie
            for (int w = 0; w < 3; ++w) player.IncActivityCount(w, 2);
        }));
    }
};

TEST_F(CertificateScenarioTest, BoEarnsTheClosingMovieOncePrintsAndQuitsThroughTheCredits) {
    const auto before = SlotChunks("TLVSave.vqk");
    std::string log;
    uint32_t now = 0, arrived = 0;
    ChunkId shown = kNullChunkId;
    bool movie = false;
    auto settledOn = [&](uint16_t entry) {
        OActivityManager* manager = GetActivityManager();
        return manager && shown == MakeChunkId(1, entry) && !manager->IsSwitchPending() && !manager->IsOverlayActive() &&
               now >= arrived + 800;
    };
    auto quiet = [] { return CTLVApp::Get()->GetMessageProcess()->QueueLength() == 0; };
    auto certificate = [] { return dynamic_cast<Certificate_Activity*>(CurrentGameActivity()); };
    auto garage = [] { return dynamic_cast<VehicleSelect_Activity*>(CurrentGameActivity()); };
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    const std::vector<Step> steps = {
        {[&] { return settledOn(4); }, [] { Click(SignInBadge(kBo)); }},                    // Bo's badge
        {[&] { return CurrentSignIn() && CurrentSignIn()->GetSelectedBadge() == kBo; }, [] { Click(buttons::kSignInContinue); }},
        {[&] { return settledOn(5); }, [] { Click(buttons::GarageVehicle(2)); }},         // the zoo's first vehicle
        {[&] { return garage() && garage()->GetSelectedValue() == 2 && garage()->GetGoButton()->IsVisible(); },
         [] { Click(buttons::kGarageGo); }},                                               // go
        {[&] { return settledOn(14); }, [] { Click(buttons::kTownCertificate); }},              // the certificate
        {[&] { return settledOn(21) && quiet(); }, [] { Click(buttons::kCertificatePrint); }},  // print
        {[&] { return certificate() && certificate()->IsPanelShown(Certificate_Activity::kPanelPrint); },
         [&] { log += "panel 7 opens\n"; }},
        {[&] { return settledOn(21) && certificate() && !certificate()->IsPanelShown(Certificate_Activity::kPanelPrint); },
         [&] { log += "panel 7 closes\n"; Click(buttons::kCertificateBack); }},          // back to the garage
        {[&] { return settledOn(5); }, [] { Click(buttons::kGarageCertificate); }},            // the certificate again
        {[&] { return settledOn(21); }, [] { Click(buttons::kCertificateBack); }},              // back
        {[&] { return settledOn(5); }, [] { Click(buttons::kGarageBack); }},                   // back to the sign-in
        {[&] { return settledOn(4); }, [] { Click(buttons::kSignInQuit); }},                   // quit
        {[&] { return CurrentSignIn() && CurrentSignIn()->IsPanelShown(CTLVActivity::kPanelQuit); },
         [] { Click(buttons::kQuestionYes); }},                                            // yes
        {[&] { return settledOn(7); }, [] { Click({320, 240}); }},                          // the credits end
    };
    size_t next = 0;
    std::string speaking;
    Scenario s = Game(kFrameMs);
    s.frames = 120000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            log += "{1, 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
            shown = id;
            arrived = now;
        }
        const bool movieNow = manager && manager->IsOverlayActive();
        if (movieNow && !movie) log += "movie starts; on disc: " + StoredMarks() + "\n";
        movie = movieNow;
        const OMessageRecord* head = CTLVApp::Get() ? CTLVApp::Get()->GetMessageProcess()->Head() : nullptr;
        const std::string caption = head && certificate() ? head->caption : "";
        if (caption != speaking && !caption.empty()) log += "  \"" + caption + "\"\n";
        speaking = caption;
        if (next < steps.size() && steps[next].ready()) steps[next++].act();
    };
    const ScenarioRun run = RunScenario(s);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_LT(run.framesRun, s.frames) << "the run ends by the program's quit";
    EXPECT_EQ(next, steps.size());
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    EXPECT_EQ(log, "{1, 0, 4}\n{1, 0, 5}\n{1, 0, 14}\n{1, 0, 21}\n"
                   "  \"Wow!  That was great.  You really are a hero! \"\n"
                   "  \"The Ranger General would like to honor you.  Here he is.\"\n"
                   "  \"You are an inspiration to all police rangers.  \"\n"
                   "  \"Hats off to you Fennmark hero!\"\n"
                   "  \"Print certificate.\"\n"
                   "panel 7 opens\npanel 7 closes\n"
                   "  \"Return to the Garage.\"\n"
                   "movie starts; on disc: counter 16 = 1, upgrades 111\n"
                   "{1, 0, 5}\n{1, 0, 21}\n"
                   "  \"Return to the Garage.\"\n"
                   "{1, 0, 5}\n{1, 0, 4}\n{1, 0, 7}\n");
    const auto& jobs = static_cast<plat::RecordingPrinter&>(plat::printer()).Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_TRUE(jobs[0].landscape && jobs[0].ended);
    EXPECT_EQ(jobs[0].pages.size(), 1u);

    const auto after = SlotChunks("TLVSave.vqk");
    for (size_t slot = 0; slot < 8; ++slot) {
        if (slot != kBo) {
            EXPECT_TRUE(after[slot] == before[slot]) << "slot " << slot;
        }
    }
    EXPECT_EQ(StoredMarks(), "counter 16 = 1, upgrades 111");
}

} // namespace
} // namespace vqt::test
