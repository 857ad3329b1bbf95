// The credits: the generated 25-entry script against a model of its scroll, frame by frame;
// scripts of their own for the edge cases and bad data; the ends by input and by themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/ActivityProp.h"
#include "engine/data/MessageTexts.h"
#include "engine/media/SysFont.h"
#include "engine/media/TextDView.h"
#include "game/shell/CreditsActivity.h"
#include "game/shell/GameStart.h"
#include "tests/game/shell/GameActivityFixture.h"
#include "tests/support/Golden.h"
#include "tests/game/shell/ShellScenarioTest.h"

namespace {

using namespace vqt::test;

/// The scroll as the credits promise it: entries of a style (5 for a gap) and a text length.
struct CreditsModel {
    struct Entry {
        int16_t style;
        size_t bytes;
    };
    std::vector<Entry> script;
    size_t position = 0;
    float gap = 0;
    int free = 20;
    std::vector<float> ys;

    bool Feed() {
        if (free == 0 || position >= script.size()) return false;
        const Entry e = script[position++];
        if (e.style == 5) return gap += 20, true;
        if (e.bytes == 0) return false;
        float y = (ys.empty() ? 460 : *std::max_element(ys.begin(), ys.end())) + gap + 30;
        gap = 0;
        if (e.bytes > 64) {
            const float extra = e.style == 1000 ? 20 : 15;
            y += extra;
            gap += extra;
        }
        ys.push_back(y);
        --free;
        return true;
    }
    void Fill() {
        while (Feed()) {
        }
    }
    void Step() {
        for (size_t i = ys.size(); i-- > 0;) {
            if (std::round(ys[i] - 2) >= -30) ys[i] -= 2;
            else ys.erase(ys.begin() + std::ptrdiff_t(i)), ++free;
        }
        Feed();
    }
    bool Finished() const { return position >= script.size() && ys.empty(); }
};

/// The generated script: a title, a gap, the crews, a gap, ..., one long title line.
CreditsModel GeneratedScript() {
    CreditsModel m;
    const int16_t styles[] = {1000, 5, 2, 3, 3, 3, 3, 5, 2, 3, 3, 3, 1000, 2, 3, 3, 3, 2, 3, 3, 4, 4, 4, 4, 4};
    for (const int16_t s : styles) m.script.push_back({s, s == 5 ? 0u : 10u});
    m.script[12].bytes = 80;
    return m;
}

std::vector<float> Ys(const Credits_Activity& credits) {
    std::vector<float> ys;
    for (const OTextDView* line : credits.ShownLines()) ys.push_back(line->GetPosition().y);
    return ys;
}

/// A font that counts every measure and draw of a text.
class CountingFont : public OSysFont {
public:
    int32_t GetTextHeight(const char* text, CDrawSurface* surface) override {
        ++uses;
        return OSysFont::GetTextHeight(text, surface);
    }
    CPoint16 MeasureText(const char* text, CDrawSurface* surface, CPoint16* out, const CTextStyle* style) override {
        ++uses;
        return OSysFont::MeasureText(text, surface, out, style);
    }
    void DrawTextInRect(const char* text, CDrawSurface* surface, const CClipRect& destination, const CClipRect& clip,
                        const CTextStyle* style) override {
        ++uses;
        OSysFont::DrawTextInRect(text, surface, destination, clip, style);
    }
    int uses = 0;
};

class CreditsTest : public GameActivityFixture {
protected:
    Credits_Activity* ShowCredits() {
        Show(7);
        auto* credits = static_cast<Credits_Activity*>(manager->GetCurrentActivity());
        EXPECT_TRUE(credits && credits->IsA(Credits_Activity::kClassId));
        return credits;
    }
};

TEST_F(CreditsTest, TheGeneratedScriptRisesAsTheModelSaysAndEndsWhenItsLastLineHasGone) {
    Credits_Activity* credits = ShowCredits();
    ASSERT_TRUE(credits);
    ASSERT_EQ(credits->ScriptCount(), 25);
    CreditsModel model = GeneratedScript();
    model.Fill();
    // Both timers start with the credits; the frames since then step the model too.
    uint32_t lastStep = credits->GetPictureTimer().start;
    uint32_t modelTime = lastStep;
    int steps = 0;
    auto catchUp = [&] {
        for (; modelTime + kFrameMs <= clock().TickCount();) {
            modelTime += kFrameMs;
            if (modelTime - lastStep > uint32_t(Credits_Activity::kStepMs)) {
                lastStep = modelTime;
                model.Step();
                ++steps;
            }
        }
    };
    catchUp();
    ASSERT_EQ(Ys(*credits), model.ys);
    while (!model.Finished()) {
        Frames(1, kFrameMs);
        catchUp();
        ASSERT_EQ(Ys(*credits), model.ys) << "step " << steps;
        ASSERT_LE(credits->ShownLines().size(), 20u);
        ASSERT_FALSE(credits->HasEnded());
    }
    // The next step finds the script done and the stage empty; the null activity follows.
    for (int i = 0; i < 3 && !credits->HasEnded(); ++i) Frames(1, kFrameMs);
    EXPECT_TRUE(credits->HasEnded());
    EXPECT_GT(steps, 600);
}

TEST_F(CreditsTest, AScrollStepMovesLinesWithoutMeasuringOrDrawingTheirTexts) {
    Credits_Activity* credits = ShowCredits();
    ASSERT_TRUE(credits);
    CountingFont font;
    font.CreateFontByName("Arial");
    for (OTextDView* line : credits->ShownLines()) line->UseFont(&font, false);
    const std::vector<float> before = Ys(*credits);
    credits->ScrollStep();
    EXPECT_EQ(font.uses, 0);
    EXPECT_EQ(Ys(*credits).front(), before.front() - 2);
    Frames(1, kFrameMs);
    EXPECT_GT(font.uses, 0) << "the text is drawn as the frame is";
    for (OTextDView* line : credits->ShownLines()) line->UseFont(GetDefaultSysFont(), false);
}

TEST_F(CreditsTest, ThePicturesAppearEveryFifteenSecondsInTheOrderOfTheirIds) {
    Credits_Activity* credits = ShowCredits();
    ASSERT_TRUE(credits);
    auto shown = [&] {
        int n = 0;
        while (n < 6 && credits->GetPicture(n) && credits->GetPicture(n)->IsVisible()) ++n;
        return n;
    };
    EXPECT_EQ(shown(), 0);
    Frames(14950 / kFrameMs, kFrameMs);
    EXPECT_EQ(shown(), 0);
    Frames(5, kFrameMs);
    EXPECT_EQ(shown(), 1);
    Frames(15000 / kFrameMs + 2, kFrameMs);
    EXPECT_EQ(shown(), 2);
}

/// The ways a player ends the credits: 0 a click, 1 ESC, 2 SPACE held.
class CreditsInputTest : public CreditsTest, public ::testing::WithParamInterface<int> {};

TEST_P(CreditsInputTest, ThePlayerEndsTheCreditsAndTheNullActivityFollows) {
    Credits_Activity* credits = ShowCredits();
    ASSERT_TRUE(credits);
    Frames(5, kFrameMs);
    if (GetParam() == 0) Click(320, 240);
    if (GetParam() == 1) Type(CTLVActivity::kKeyEsc);
    if (GetParam() == 2) { // held down: the credits end before the key goes up
        input().SetKeyDown(CTLVActivity::kKeySpace, true);
        Frames(1, kFrameMs);
    }
    // A key typed takes frames enough for the switch to end the credits and delete them.
    if (manager->GetCurrentActivity() == credits) {
        EXPECT_TRUE(credits->HasEnded());
    }
    for (int f = 0; f < 100 && manager->IsSwitchPending(); ++f) Frames(1, kFrameMs);
    EXPECT_EQ(manager->GetCurrentActivity(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Ways, CreditsInputTest, ::testing::Values(0, 1, 2));

// ---- Scripts of their own -------------------------------------------------------------------

/// The credits over a part file holding only a script and its texts, started outside the
/// activity manager and stepped by hand.
class CreditsScriptTest : public StageTest {
protected:
    void SetUp() override {
        StageTest::SetUp();
        CGameShellState::Get().gameMessagesLoaded = true;
        ASSERT_TRUE(CTLVApp::Create());
    }
    void TearDown() override {
        credits.reset();
        CTLVApp::Destroy();
        StageTest::TearDown();
    }
    /// A fresh part file and credits for the next case.
    void Restart() {
        credits.reset();
        data = std::make_unique<GameData>();
        nextText = 100;
    }
    /// A text chunk's id: records of (language, text).
    uint32_t Text(std::vector<TextRecord> records) {
        return data->file.AddChunk(GameData::kMessages, TextRecords(records), {.entry = nextText++});
    }
    Credits_Activity& Start(const std::vector<uint32_t>& script, std::optional<int16_t> count = {}) {
        data->file.AddChunk(GameData::kChunkLists, ChunkListData(script, count), {.entry = 31});
        const std::string path = folder / "credits.vqk";
        EXPECT_TRUE(data->file.WriteFile(path));
        auto owned = std::make_unique<CPartFile>();
        EXPECT_TRUE(owned->Open(path.c_str(), 1));
        CTLVApp::Get()->SetPartFile(std::move(owned));
        credits = std::make_unique<Credits_Activity>();
        for (uint32_t id : pictureIds) {
            auto* prop = new OActivityProp("OActivityProp", OActivityProp::kClassId);
            prop->SetObjectId(id);
            prop->SetVisible(1, 0);
            credits->AcceptObject(prop);
            credits->AddChild(prop);
        }
        credits->OnActivated();
        return *credits;
    }
    /// Steps of the scroll until the credits end (at most `limit`); the steps taken.
    int StepsToEnd(int limit) {
        int steps = 0;
        while (!credits->HasEnded() && steps < limit) {
            clock().Advance(Credits_Activity::kStepMs + 1);
            credits->OnIdle();
            ++steps;
        }
        return steps;
    }

    std::unique_ptr<GameData> data = std::make_unique<GameData>();
    uint16_t nextText = 100;
    std::vector<uint32_t> pictureIds;
    std::unique_ptr<Credits_Activity> credits;
};

constexpr uint32_t kGap = Credits_Activity::kGapMarker;
constexpr uint32_t kTitles = Credits_Activity::kStyle1000Marker;

TEST_F(CreditsScriptTest, LinesAreSpacedByGapsAndTallLinesAndStyledByDefaultWithoutStyleViews) {
    const std::u16string tall(65, u'x'), shortest(64, u's');
    struct Case {
        const char* name;
        std::vector<int> script; ///< 0 a short text, 1 a tall one, -1 a gap, -2 the titles marker
        std::vector<float> ys;
        std::vector<int16_t> heights;
    };
    const Case cases[] = {
        {"two gaps in a row", {0, -1, -1, 0}, {490, 560}, {35, 35}},
        {"a tall line", {0, 1, 0}, {490, 535, 580}, {35, 60, 35}},
        {"a tall title", {-2, 1, 0}, {510, 560}, {70, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint32_t> ids;
        for (int kind : c.script)
            ids.push_back(kind == -1 ? kGap : kind == -2 ? kTitles : Text({{10, kind ? tall : shortest}}));
        Credits_Activity& shown = Start(ids);
        EXPECT_EQ(Ys(shown), c.ys);
        for (size_t i = 0; i < shown.ShownLines().size(); ++i) {
            const OTextDView* line = shown.ShownLines()[i];
            EXPECT_EQ(line->GetHeight(), c.heights[i]);
            EXPECT_EQ(line->GetWidth(), 620);
            EXPECT_EQ(line->GetFont(), GetDefaultSysFont());
            EXPECT_EQ(line->GetTextColor(), 0x00FFFFFFu);
        }
        Restart();
    }
}

TEST_F(CreditsScriptTest, TextsFallBackToLanguageTenAndBadTextsAreReplacedCutOrSkipped) {
    xLanguage_Context() = {.initialised = true, .language = 24};
    Credits_Activity& shown = Start({
        Text({{10, u"only english"}}),
        Text({{10, u"english"}, {24, u"\u65e5\u672c"}}),
        MakeChunkId(17, 999), // no such text
        Text({{10, u"Stra\u00dfe \u4e00"}}),
        Text({{10, std::u16string(400, u'a')}}),
    });
    ASSERT_EQ(shown.ScriptCount(), 4);
    std::vector<std::string> texts;
    for (const OTextDView* line : shown.ShownLines()) texts.push_back(line->GetTextPtr());
    EXPECT_EQ(texts, (std::vector<std::string>{"only english", "??", "Stra\xdf" "e ?", std::string(300, 'a')}));
}

TEST_F(CreditsScriptTest, ScriptsWithoutLinesEndByThemselves) {
    struct Case {
        const char* name;
        int texts;
        std::optional<int16_t> count;
        int steps; ///< a step for each entry, the last finding the script done
    };
    const Case cases[] = {
        {"an empty script", 0, {}, 1},
        {"a count past the chunk", 3, 40, 1},
        {"25 entries without text", 25, {}, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint32_t> ids;
        for (int i = 0; i < c.texts; ++i) ids.push_back(Text({{10, u""}, {24, u""}}));
        Start(ids, c.count);
        EXPECT_EQ(StepsToEnd(100), c.steps);
        EXPECT_EQ(credits->FreeLineCount(), 20);
        Restart();
    }
}

TEST_F(CreditsScriptTest, MissingPicturesAreSkippedAndThePictureTimerStopsAfterTheLast) {
    pictureIds = {5, 2, 7};
    Credits_Activity& shown = Start({Text({{10, u"line"}})});
    auto visible = [&] { return std::vector<bool>{shown.GetPicture(1)->IsVisible() != 0, shown.GetPicture(4)->IsVisible() != 0}; };
    EXPECT_EQ(shown.GetPicture(0), nullptr);
    EXPECT_EQ(visible(), (std::vector<bool>{false, false}));
    for (const auto& expected : {std::vector<bool>{true, false}, std::vector<bool>{true, true}}) {
        clock().Advance(Credits_Activity::kPictureMs + 1);
        shown.OnIdle();
        EXPECT_EQ(visible(), expected);
    }
    EXPECT_FALSE(shown.GetPictureTimer().running);
}

TEST_F(CreditsScriptTest, ARecycledLineIsHiddenAndLeavesTheStage) {
    Credits_Activity& shown = Start({Text({{10, u"one"}})});
    OTextDView* line = shown.ShownLines().at(0);
    StepsToEnd(1000);
    EXPECT_TRUE(shown.HasEnded());
    EXPECT_FALSE(line->IsVisible());
    EXPECT_EQ(line->GetParent(), nullptr);
    EXPECT_EQ(shown.FreeLineCount(), 20);
}

} // namespace

// ---- The whole program ----------------------------------------------------------------------

namespace {

using vqt::test::ExpectMatchesGoldenImage;
using vqt::test::Scenario;
using vqt::test::ScenarioRun;

class CreditsScenarioTest : public vqt::test::ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        Ini("STARTACTIVITY=7\n");
    }
};

TEST_F(CreditsScenarioTest, StartedAtTheCreditsTheGameShowsThemAndEndsWhenTheModelSays) {
    constexpr uint32_t kMs = 16;
    auto tickAt = [](uint32_t ms) { return ms / kMs; };
    Scenario s = Game(kMs);
    s.frames = tickAt(60000);
    s.shots = {tickAt(5000), tickAt(15000), tickAt(30000)};
    uint32_t startTick = 0, startTime = 0;
    s.watch = [&](uint32_t tick) {
        auto* credits = dynamic_cast<Credits_Activity*>(CurrentGameActivity());
        if (credits && startTick == 0) {
            startTick = tick;
            startTime = credits->GetPictureTimer().start;
        }
    };
    const ScenarioRun run = RunScenario(s);
    ASSERT_NE(startTick, 0u);
    // The model's steps: one at the first frame more than 33 ms after the last, the one after
    // the last line has gone ending the credits.
    CreditsModel model = GeneratedScript();
    model.Fill();
    uint32_t tick = startTick, time = startTime, lastStep = startTime;
    for (bool ended = false; !ended;) {
        ++tick;
        time += kMs;
        if (time - lastStep <= uint32_t(Credits_Activity::kStepMs)) continue;
        lastStep = time;
        if (model.Finished()) ended = true;
        else model.Step();
    }
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_GE(run.framesRun, tick);
    EXPECT_LE(run.framesRun, tick + 2);
    ExpectMatchesGoldenImage("game/shell/credits_5s.png", run.shots.at(tickAt(5000)));
    ExpectMatchesGoldenImage("game/shell/credits_15s.png", run.shots.at(tickAt(15000)));
    ExpectMatchesGoldenImage("game/shell/credits_30s.png", run.shots.at(tickAt(30000)));
}

} // namespace
