// The driving world's screen help: the guide arrow and its marker, the information overlay, the
// drive tutorial's panel with its spoken lines, and the leaving question's buttons.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/Snippet.h"
#include "engine/media/TextView.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Player.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {
namespace {

constexpr uint16_t kArrowEntry = 543, kMarkerEntry = 1197, kTutorialEntry = 1051;
/// The tutorial picture's states after the first, with the tones of their sounds.
constexpr uint16_t kStateSounds[] = {7, 8, 6};
constexpr double kStateTones[] = {880.0, 659.25, 783.99, 440.0};

PartPlan StatesPart(int states, int size, std::vector<uint32_t> sounds = {}) {
    PartPlan part;
    for (int s = 0; s < states; ++s) {
        StatePlan state{.frames = {FramePlan{.picture = Picture(size, size, uint8_t(s + 1)),
                                             .hotX = int16_t(size / 2), .hotY = int16_t(size / 2)}}};
        if (size_t(s) < sounds.size()) state.soundId = sounds[size_t(s)];
        part.states.push_back(state);
    }
    return part;
}

/// The tone of a voice: rising zero crossings of its 8-bit samples over its length.
double ToneOf(const xSnippet* voice) {
    if (!voice || voice->size < 2) return 0.0;
    int crossings = 0;
    for (uint32_t i = 1; i < voice->size; ++i)
        if (int8_t(voice->data[i - 1]) < 0 && int8_t(voice->data[i]) >= 0) ++crossings;
    return crossings * double(voice->rate) / voice->size;
}

/// The arrow state a direction model gives: the smallest angle to the eight directions, the
/// lower index on a tie.
int32_t ModelArrowState(double x, double y) {
    const double d[8][2] = {{0, -1}, {0.8, -0.6}, {1, 0}, {0.8, 0.6}, {0, 1}, {-0.8, 0.6}, {-1, 0}, {-0.8, -0.6}};
    int best = 0;
    double bestAngle = 10.0;
    for (int i = 0; i < 8; ++i) {
        const double a = std::acos(std::clamp((d[i][0] * x + d[i][1] * y) / std::hypot(x, y), -1.0, 1.0));
        if (a < bestAngle - 1e-9) bestAngle = a, best = i;
    }
    return best + 1;
}

class WorldGuidesTest : public WorldFixture {
protected:
    void AddWorldData(GameData& data) override {
        data.parts.AddPart(StatesPart(9, 16), kArrowEntry);
        data.parts.AddPart(StatesPart(1, 16), kMarkerEntry);
        std::vector<uint32_t> sounds{0};
        for (uint16_t s : kStateSounds) sounds.push_back(MakeChunkId(7, s));
        data.parts.AddPart(StatesPart(4, 40, sounds), kTutorialEntry);
    }
    /// A world on a later visit (no tutorial), with a 10 x 10 target prop.
    SpyWorld* Running() {
        app->GetPlayer()->IncCounter(14);
        return ShowWorld(kEmptyWorld);
    }
    OMessageProcess* Messages() { return OApplication::Get()->GetMessageProcess(); }
};

TEST_F(WorldGuidesTest, TheArrowPointsTheNearestOfEightWays) {
    SpyWorld* world = Running();
    ASSERT_NE(world, nullptr);
    auto* target = Add(world, new TLVSimple_Object, 320, 900);
    world->ShowGuideArrow(target);
    OActivityProp* arrow = world->GetGuideArrow();
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->GetParent(), OWindow::Main()) << "it does not scroll with the world";
    EXPECT_EQ(arrow->GetPriority(), 30400);
    EXPECT_EQ(arrow->GetPosition(), CPointF(320, 240));
    EXPECT_EQ(arrow->GetState(), 5) << "straight below";
    target->SetPosition(CPointF(1100, 240), 0, 0);
    world->UpdateGuideArrow();
    EXPECT_EQ(arrow->GetState(), 3) << "straight right";
    for (int degrees = 0; degrees < 360; ++degrees) {
        const double r = degrees * M_PI / 180.0;
        const float x = float(std::round(320 + 600 * std::sin(r))), y = float(std::round(240 - 600 * std::cos(r)));
        target->SetPosition(CPointF(x, y), 0, 0);
        world->UpdateGuideArrow();
        ASSERT_EQ(arrow->GetState(), ModelArrowState(x - 320.0, y - 240.0)) << degrees << " degrees";
        ASSERT_TRUE(arrow->IsVisible());
    }
}

TEST_F(WorldGuidesTest, OnScreenTheMarkerShowsAndTheArrowHides) {
    SpyWorld* world = Running();
    ASSERT_NE(world, nullptr);
    auto* target = Add(world, new TLVSimple_Object, 645, 240); // its box touches the view's edge
    world->ShowGuideArrow(target);
    OActivityProp* arrow = world->GetGuideArrow();
    ASSERT_NE(arrow, nullptr);
    EXPECT_TRUE(arrow->IsVisible()) << "touching is not overlapping";
    EXPECT_EQ(world->GetGuideMarker(), nullptr);
    target->SetPosition(CPointF(644, 240), 0, 0);
    world->UpdateGuideArrow();
    EXPECT_FALSE(arrow->IsVisible());
    OActivityProp* marker = world->GetGuideMarker();
    ASSERT_NE(marker, nullptr);
    EXPECT_TRUE(marker->IsVisible());
    EXPECT_EQ(marker->GetParent(), world);
    EXPECT_EQ(marker->GetPosition(), target->GetPosition());
    world->HideGuideArrow();
    EXPECT_FALSE(world->HasGuideTarget());
    world->UpdateGuideArrow();
    EXPECT_FALSE(marker->IsVisible()) << "no target: only the marker hides";
    world->ShowGuideArrow(target);
    world->RetireProp(target);
    EXPECT_FALSE(world->HasGuideTarget()) << "a prop that leaves the world is no target";
}

TEST_F(WorldGuidesTest, NoMarkerDuringAnIntro) {
    SpyWorld::setup.hasIntro = true;
    SpyWorld* world = Running();
    ASSERT_NE(world, nullptr);
    auto* target = Add(world, new TLVSimple_Object, 300, 200);
    world->ShowGuideArrow(target);
    EXPECT_EQ(world->GetGuideMarker(), nullptr);
    EXPECT_FALSE(world->GetGuideArrow()->IsVisible());
    world->introDone = true;
    world->UpdateGuideArrow();
    ASSERT_NE(world->GetGuideMarker(), nullptr);
    EXPECT_TRUE(world->GetGuideMarker()->IsVisible());
}

TEST_F(WorldGuidesTest, TheFirstVisitOpensTheTutorialAndItsLinesStepThePicture) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    ASSERT_TRUE(world->IsPanelShown(TLVWorld_Activity::kTutorialPanel)) << traced();
    OActivityProp* picture = world->GetTutorialPicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->IsA(1140));
    EXPECT_EQ(picture->GetPosition(), CPointF(322, 195));
    EXPECT_EQ(picture->GetState(), 0);
    EXPECT_NE(world->GetStepTimer().paused, 0u) << "the world is paused";
    OMessageProcess* messages = Messages();
    ASSERT_EQ(messages->QueueLength(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(ToneOf(messages->QueuedAt(i)->voice), kStateTones[i], 15.0) << "line " << i;
        EXPECT_EQ(messages->QueuedAt(i)->endCallback, &AdvanceWorldPropState);
    }
    for (int step = 1; step <= 4; ++step) {
        AdvanceWorldPropState(1, 0);
        EXPECT_EQ(picture->GetState(), std::min(step, 3)) << "the last state stays";
    }
    world->HidePanel(TLVWorld_Activity::kTutorialPanel, 1);
    EXPECT_EQ(world->GetTutorialPicture(), nullptr);
    EXPECT_TRUE(world->GetHintTimer().running);
    EXPECT_TRUE(world->IdleTimer().running);
    EXPECT_EQ(world->IdleTimer().duration, TLVWorld_Activity::kIdleMs);
    AdvanceWorldPropState(1, 0); // a line ending after the panel closed touches nothing
}

TEST_F(WorldGuidesTest, TheTutorialsLinesPlayOverThePausedWorldAndStepThePictureToItsLastState) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    OActivityProp* picture = world->GetTutorialPicture();
    ASSERT_NE(picture, nullptr);
    // Four lines of a quarter of a second after the queue's start delay.
    Frames(250, kFrameMs);
    EXPECT_TRUE(world->IsPanelShown(TLVWorld_Activity::kTutorialPanel));
    EXPECT_NE(world->GetStepTimer().paused, 0u) << "the world stays paused under the panel";
    EXPECT_EQ(Messages()->QueueLength(), 0) << "every line was spoken";
    EXPECT_EQ(picture->GetState(), 3) << "each line's end stepped the picture";
}

TEST_F(WorldGuidesTest, EveryStartOpensTheTutorialWhileTheVisitCountersAreZero) {
    for (int visit = 0; visit < 2; ++visit) {
        SpyWorld* world = ShowWorld(visit == 0 ? kEmptyWorld : kRoundUpWorld);
        ASSERT_NE(world, nullptr);
        EXPECT_TRUE(world->IsPanelShown(TLVWorld_Activity::kTutorialPanel)) << "visit " << visit;
        FlushMessageQueue(); // a world with lines still to speak is not left
    }
}

TEST_F(WorldGuidesTest, AnyPanelDeletesTheLeavingPanelAndSetsTheNormalSpeed) {
    SpyWorld* world = Running();
    ASSERT_NE(world, nullptr);
    world->CreateButtonPanel(CTLVActivity::kPanelLeave);
    ASSERT_NE(world->GetPanel(CTLVActivity::kPanelLeave), nullptr);
    world->CreateButtonPanel(CTLVActivity::kPanelMenu);
    EXPECT_EQ(world->GetPanel(CTLVActivity::kPanelLeave), nullptr);
    EXPECT_TRUE(world->IsPanelShown(CTLVActivity::kPanelMenu));
}

TEST_F(WorldGuidesTest, TheLeavingQuestionsButtons) {
    const struct {
        int32_t wayPoint;
        int16_t button;
        int32_t mode;
        bool leaves;
    } cases[] = {{0, 1, TLVWorld_Activity::kNoDriving, false}, {3, 1, 7, true}, {3, 0, 7, false}, {0, 2, 7, false}};
    for (const auto& c : cases) {
        SpyWorld* world = Running();
        ASSERT_NE(world, nullptr);
        world->CreateButtonPanel(CTLVActivity::kPanelNewCar);
        world->SetCurrentWayPoint(c.wayPoint);
        world->OnButton(CTLVActivity::kPanelNewCar, c.button);
        EXPECT_EQ(world->GetCurrentWayPoint(), TLVWorld_Activity::kNoWayPoint);
        EXPECT_EQ(world->GetDrivingMode(), c.mode) << c.wayPoint << "/" << c.button;
        EXPECT_EQ(manager->IsSwitchPending() && manager->GetPendingId() == MakeChunkId(1, 5), c.leaves)
            << c.wayPoint << "/" << c.button;
        Frames(40, kFrameMs);
        if (manager->IsSwitchPending() || CurrentGameActivity() != world) SwitchTo(kEmptyWorld);
    }
}

TEST_F(WorldGuidesTest, TheOverlayIsMadeOnceAndCyclesItsColourWhileShown) {
    SpyWorld* world = Running();
    ASSERT_NE(world, nullptr);
    world->TLVWorld_Activity::CreateInfoView();
    auto* view = dynamic_cast<OTextView*>(world->GetInfoView());
    ASSERT_NE(view, nullptr);
    world->TLVWorld_Activity::CreateInfoView();
    EXPECT_EQ(world->GetInfoView(), view) << "made once";
    EXPECT_EQ(view->GetParent(), OWindow::Main());
    EXPECT_FALSE(view->IsVisible());
    EXPECT_EQ(view->GetWidth(), 400);
    const uint32_t start = view->GetTextColor();
    world->CycleInfoColour();
    EXPECT_EQ(view->GetTextColor(), start) << "hidden: no change";
    view->SetVisible(1, 1);
    std::vector<uint32_t> seen{start};
    for (int i = 0; i < 8; ++i) {
        world->CycleInfoColour();
        seen.push_back(view->GetTextColor());
    }
    EXPECT_EQ(seen.back(), start) << "eight steps come round";
    EXPECT_NE(seen[1], start);
    view->SetTextColor(0x00123456u);
    world->CycleInfoColour();
    // The overlay starts on the fourth colour, so the first comes five steps after it.
    EXPECT_EQ(view->GetTextColor(), seen[5]) << "a colour outside the cycle goes to its first";
}

TEST_F(WorldGuidesTest, TheOverlaysLinesKeepAFewPixelsInsideItsBacking) {
    // The help's longest lines wrap at the backing's sides; none may touch an edge.
    constexpr int kMargin = 3;
    SpyWorld* world = Running();
    ASSERT_NE(world, nullptr);
    world->TLVWorld_Activity::CreateInfoView();
    auto* view = dynamic_cast<OTextView*>(world->GetInfoView());
    ASSERT_NE(view, nullptr);
    view->SetVisible(1, 1);
    world->UpdateInfoText();
    const CRect16 box = view->GetScreenRect();
    const std::vector<CTextLine> lines = view->LaidOutLines();
    ASSERT_GE(lines.size(), 8u) << "the help's lines";
    for (size_t i = 0; i < lines.size(); ++i) {
        const CClipRect& ink = lines[i].ink;
        if (ink.Width() <= 0) continue; // a line of blanks
        SCOPED_TRACE("line " + std::to_string(i));
        EXPECT_GE(ink.left - box.left, kMargin);
        EXPECT_GE(box.right - ink.right, kMargin);
        EXPECT_GE(ink.top - box.top, kMargin);
        EXPECT_GE(box.bottom - ink.bottom, kMargin);
    }
}

} // namespace
} // namespace vqt::test
