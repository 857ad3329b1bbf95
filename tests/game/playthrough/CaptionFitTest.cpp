// Every caption the game can speak, as the generated game shows it: written in the caption view
// that the message process makes (its font, the generated caption box and its margin), each
// line keeps inside the margin. The captions are those the game's tables of voice lines list as
// the program starts (game/shell/Captions.h), so a line added to any screen's table is judged too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/media/MessageProcess.h"
#include "engine/media/TextFXView.h"
#include "game/shell/Captions.h"
#include "game/shell/TLVApp.h"
#include "tests/game/shell/ShellScenarioTest.h"

namespace vqt::test {
namespace {

/// Captions the tables must list, one of each kind of screen that speaks: a kind whose tables
/// list nothing is missed.
const char* const kMustFind[] = {
    "Seems the penguins are loose and the monkeys are out of control.", // the garage
    "Pick an empty badge and type in your name.",                       // the sign-in
    "Are you sure you want to leave this area?",                        // the panels' questions
    "Great, you picked him up!",                                        // a town
    "Job well done.",                                                   // a certificate
    "Click on any of the tracks to turn them. ",                        // a puzzle
    "Now go get \221em!",                                               // an arcade (\221: 0x91)
    "The monkeys are on the loose and they are causing lots of trouble.  ", // a road race
    "The circus animals are lost and hungry! ",                         // a round-up
};

std::string Text(const CClipRect& r) {
    return "x " + std::to_string(r.left) + "-" + std::to_string(r.right) + " y " + std::to_string(r.top) + "-" +
           std::to_string(r.bottom);
}

class CaptionFitTest : public ShellScenarioTest {};

TEST_F(CaptionFitTest, EveryCaptionOfTheGamesTablesKeepsItsLinesInsideTheCaptionBoxsMargin) {
    const std::vector<const char*>& captions = captions::All();
    ASSERT_FALSE(captions.empty()) << "the game's tables list no caption";
    for (const char* piece : kMustFind) {
        bool found = false;
        for (const char* caption : captions) found = found || std::string(caption).find(piece) != std::string::npos;
        if (!found) ADD_FAILURE() << "no table lists the caption \"" << piece << "\"";
    }

    constexpr int16_t kMargin = OMessageProcess::kCaptionMargin;
    std::vector<std::string> faults;
    size_t judged = 0;
    Scenario s = Game(16);
    s.frames = 3;
    s.watch = [&](uint32_t tick) {
        CTLVApp* app = CTLVApp::Get();
        OMessageProcess* messages = app ? app->GetMessageProcess() : nullptr;
        if (tick != 2 || !messages) return;
        for (const char* caption : captions) {
            messages->SetCaptionText(caption);
            messages->ShowCaption(1);
            OTextFXView* view = messages->GetCaptionView();
            if (!view) return faults.push_back("no caption view");
            view->OnIdle();
            const CRect16 box = view->GetScreenRect();
            const CClipRect inside(int16_t(box.left + kMargin), int16_t(box.top + kMargin), int16_t(box.right - kMargin),
                                   int16_t(box.bottom - kMargin));
            const std::vector<CTextLine> lines = view->LaidOutLines();
            if (lines.empty()) faults.push_back(std::string("no lines laid out: \"") + caption + "\"");
            ++judged;
            for (size_t i = 0; i < lines.size(); ++i) {
                const CClipRect& ink = lines[i].ink;
                if (ink.left < inside.left || ink.top < inside.top || ink.right > inside.right || ink.bottom > inside.bottom)
                    faults.push_back("line " + std::to_string(i + 1) + " of " + std::to_string(lines.size()) + " at " +
                                     Text(ink) + " leaves " + Text(inside) + ": \"" + caption + "\"");
            }
        }
        messages->ShowCaption(0);
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(judged, captions.size()) << "captions judged";
    std::string report;
    for (const std::string& fault : faults) report += fault + "\n";
    EXPECT_TRUE(faults.empty()) << report;
}

} // namespace
} // namespace vqt::test
