// Every caption the game can speak, as the generated game shows it: written in the caption view
// that the message process makes (its font, the generated caption box and its margin), each
// line keeps inside the margin. The captions are read out of the game's tables, so a line added
// to any screen's table is judged too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/media/MessageProcess.h"
#include "engine/media/TextFXView.h"
#include "game/shell/TLVApp.h"
#include "tests/game/playthrough/GameCaptions.h"
#include "tests/game/shell/ShellScenarioTest.h"

namespace vqt::test {
namespace {

/// Captions the tables must yield, one of each kind of screen that speaks: if the walk misses
/// them it reads no tables.
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

/// A source and the texts the caption table takes from it.
struct ReadCase {
    const char* what;
    const char* source;
    std::vector<std::string> texts;
};

TEST(GameCaptionsTest, TheTablesAndConstantsTextsAreReadAndTheFunctionsTextsAreNot) {
    const ReadCase kCases[] = {
        {"a table's rows, joined and unescaped", "constexpr Line kLines[] = {\n  {637, \"We\\x92ve got\" \" it\", Rule::Always},\n"
                                                 "  Say(768, \"Tab\\there \\\"go\\\"\"),\n};\n",
         {"We\x92ve got it", "Tab\there \"go\""}},
        {"a named constant and a designated member", "inline constexpr char kHint[] = \"Hint\";\n"
                                                     "constexpr Town kTown{.name = \"Zoo\", .lines = {{1, \"One\"}}};\n",
         {"Hint", "Zoo", "One"}},
        {"functions' texts, comments, directives and characters",
         "#include \"a.h\"\n// \"comment\"\nvoid F() { Trace(\"no\"); const char* x = \"no\"; }\n"
         "struct S : Base {\n  bool IsA() const override { return Say(\"no\"); }\n  char c = '\"';\n};\n"
         "namespace a::b {\nconstexpr const char* kName = \"yes\"; /* \"no\" */\n}\n",
         {"yes"}},
        {"a raw literal", "constexpr char kRaw[] = R\"x(a \"b\")x\";\n", {"a \"b\""}},
    };
    for (const ReadCase& c : kCases) {
        std::vector<std::string> texts;
        for (const SourceText& text : TableTexts(c.source, "f.cpp")) texts.push_back(text.text);
        EXPECT_EQ(texts, c.texts) << c.what;
    }
    EXPECT_EQ(TableTexts("\n\nconstexpr char k[] =\n  \"x\";", "f.cpp").at(0).place, "f.cpp:4");
}

class CaptionFitTest : public ShellScenarioTest {};

TEST_F(CaptionFitTest, EveryCaptionOfTheGamesTablesKeepsItsLinesInsideTheCaptionBoxsMargin) {
    const std::vector<SourceText> captions = GameTableTexts(VQT_GAME_SOURCES);
    std::vector<std::string> missing;
    for (const char* piece : kMustFind) {
        bool found = false;
        for (const SourceText& caption : captions) found = found || caption.text.find(piece) != std::string::npos;
        if (!found) missing.push_back(piece);
    }
    for (const std::string& piece : missing) ADD_FAILURE() << "no caption \"" << piece << "\" read from the tables";

    constexpr int16_t kMargin = OMessageProcess::kCaptionMargin;
    std::vector<std::string> faults;
    size_t judged = 0;
    Scenario s = Game(16);
    s.frames = 3;
    s.watch = [&](uint32_t tick) {
        CTLVApp* app = CTLVApp::Get();
        OMessageProcess* messages = app ? app->GetMessageProcess() : nullptr;
        if (tick != 2 || !messages) return;
        for (const SourceText& caption : captions) {
            // Texts with line breaks are the help's pages, which the help view shows.
            if (caption.text.empty() || caption.text.find_first_of("\r\n") != std::string::npos) continue;
            messages->SetCaptionText(caption.text.c_str());
            messages->ShowCaption(1);
            OTextFXView* view = messages->GetCaptionView();
            if (!view) return faults.push_back("no caption view");
            view->OnIdle();
            const CRect16 box = view->GetScreenRect();
            const CClipRect inside(int16_t(box.left + kMargin), int16_t(box.top + kMargin), int16_t(box.right - kMargin),
                                   int16_t(box.bottom - kMargin));
            const std::vector<CTextLine> lines = view->LaidOutLines();
            if (lines.empty()) faults.push_back(caption.place + ": no lines laid out");
            ++judged;
            for (size_t i = 0; i < lines.size(); ++i) {
                const CClipRect& ink = lines[i].ink;
                if (ink.left < inside.left || ink.top < inside.top || ink.right > inside.right || ink.bottom > inside.bottom)
                    faults.push_back(caption.place + ": line " + std::to_string(i + 1) + " of " +
                                     std::to_string(lines.size()) + " at " + Text(ink) + " leaves " + Text(inside) +
                                     ": \"" + caption.text + "\"");
            }
        }
        messages->ShowCaption(0);
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_GE(judged, std::size(kMustFind)) << "captions judged";
    std::string report;
    for (const std::string& fault : faults) report += fault + "\n";
    EXPECT_TRUE(faults.empty()) << report;
}

} // namespace
} // namespace vqt::test
