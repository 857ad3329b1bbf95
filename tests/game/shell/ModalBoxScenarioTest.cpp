// The game closed while a message box stops it: the box goes, and the game ends as it does when
// closed without a box, without showing the boxes asked for on its way out.
#include <gtest/gtest.h>

#include "engine/data/MessageBox.h"
#include "tests/game/shell/ShellScenarioTest.h"

namespace {

using vqt::test::Scenario;
using vqt::test::ScenarioRun;

using ModalBoxScenarioTest = vqt::test::ShellScenarioTest;

TEST_F(ModalBoxScenarioTest, ClosingTheGameWhileABoxIsOpenEndsTheGameAsWithoutABox) {
    constexpr uint32_t kBoxTick = 40;
    constexpr const char* kText = "VQT : Missing Snippet {0, 0, 0}";
    reports.AllowBox(kText);
    dialogs().OnShow([&](const plat::ScriptedDialogs::Box&) { dialogs().EndSessionDuringBox(); });
    Scenario s = Game();
    s.frames = 400;
    int answers[3] = {};
    s.watch = [&](uint32_t tick) {
        // One box after another, from inside the frame, as a thrown prop's sounds asked for them.
        if (tick == kBoxTick)
            for (int& answer : answers) answer = xMessageBox(kText, "Error", 0);
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_LE(run.framesRun, kBoxTick + 1) << "the game ended at the close";
    ASSERT_EQ(run.boxes.size(), 3u);
    EXPECT_TRUE(run.boxes[0].shown);
    EXPECT_FALSE(run.boxes[1].shown) << "no box holds the game up on its way out";
    EXPECT_FALSE(run.boxes[2].shown);
    for (const int answer : answers) EXPECT_EQ(answer, plat::mb::IdOk);
}

} // namespace
