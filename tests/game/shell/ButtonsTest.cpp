// The game's buttons and button panels on a game activity: looks that follow the pointer,
// state sounds on pipe 2, navigation, the panel's time-out and the start panel's music.
#include <gtest/gtest.h>

#include <string>

#include "engine/media/MusicProcess.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/NavigationProp.h"
#include "tests/game/shell/GameActivityFixture.h"
#include "tests/support/StoredProperties.h"

namespace vqt::test {
namespace {

class ButtonsTest : public GameActivityFixture {
protected:
    /// A button of the button part on the screen, taking the pointer.
    template <class Button = Base_Button_Prop>
    Button* Place(CTLVActivity* screen, uint32_t objectId) {
        auto* button = new Button;
        button->SetObjectId(objectId);
        screen->AddChild(button);
        EXPECT_EQ(button->SetPartID(app->GetPartFile(), MakeChunkId(2, kButtonPart), 1), 1);
        button->SetCursorMode(OView::kHitChildrenThenSelf);
        return button;
    }
    /// The snippet pipe 2 plays; null while it is silent.
    const xSnippet* OnPipe2() { return xSound_IsPlaying(Pipe(2)) ? Pipe(2)->snippet : nullptr; }
};

TEST_F(ButtonsTest, TheLookFollowsThePointerAndADisabledButtonKeepsItsLookUntilEnabled) {
    ProbeActivity* screen = Show(kPlainScreen);
    Base_Button_Prop* button = Place(screen, 42);
    button->OnCursorEnter();
    EXPECT_EQ(button->GetState(), 2);
    button->OnButtonDown();
    EXPECT_EQ(button->GetState(), 1);
    button->OnClick();
    EXPECT_EQ(button->GetState(), 2) << "released over it";
    button->OnCursorLeave();
    EXPECT_EQ(button->GetState(), 0);
    EXPECT_EQ(screen->hovers, std::vector<uint32_t>{42});
    EXPECT_EQ(screen->presses, std::vector<uint32_t>{42});

    button->Disable();
    button->OnCursorEnter();
    button->OnButtonDown();
    EXPECT_TRUE(button->IsHovered());
    EXPECT_EQ(button->GetState(), 1);
    EXPECT_EQ(screen->presses.size(), 1u) << "presses are ignored";
    button->Enable();
    EXPECT_EQ(button->GetState(), 2) << "the enable state";
    button->SetState(0); // the enable state runs out into the queued one
    button->OnAnimationEnd();
    EXPECT_EQ(button->GetState(), 2) << "hovered: the hover state";

    button->Disable();
    button->SetCursorMode(OView::kHitNever);
    button->Enable();
    button->OnAnimationEnd();
    EXPECT_FALSE(button->IsHovered()) << "no leave comes without a hover cursor mode";
    EXPECT_EQ(button->GetState(), 0);
}

TEST_F(ButtonsTest, AHoverSoundWaitsForPipe2WhileAPressSoundStopsIt) {
    ProbeActivity* screen = Show(kPlainScreen);
    Base_Button_Prop* button = Place(screen, 7);
    PlayOnPipe2();
    const xSnippet* before = OnPipe2();
    button->OnCursorEnter();
    EXPECT_EQ(OnPipe2(), before) << "the hover sound waits for pipe 2";
    button->OnButtonDown();
    EXPECT_EQ(OnPipe2(), screen->FindSound(MakeChunkId(7, 189)));
    app->GetSoundProcess()->Stop(2);
    button->OnCursorLeave();
    button->OnCursorEnter();
    EXPECT_EQ(OnPipe2(), screen->FindSound(MakeChunkId(7, 190)));
}

TEST_F(ButtonsTest, ANavigationButtonAsksTheScreenThenRequestsItsTargetOrTheNullIdForTarget0) {
    ProbeActivity* screen = Show(kPlainScreen);
    auto* button = Place<Navigation_Prop>(screen, 1);
    EXPECT_FALSE(button->IsA(Base_Button_Prop::kClassId));
    EXPECT_TRUE(button->IsA(Navigation_Prop::kClassId));
    LoadStoredProperties(*button, PropertyBytes().Short(1001, 1, 5).Raw(5, 1001, 1, {7}, 1));
    EXPECT_EQ(button->GetTarget(), 5);
    EXPECT_NE(traced().find("property 1 of family 1001 has 1 bytes, fewer than 2\n"), std::string::npos);

    screen->mayNavigate = false;
    button->OnClick();
    button->Disable();
    button->OnClick();
    EXPECT_EQ(screen->asked, std::vector<uint16_t>{5}) << "a disabled button never goes";
    EXPECT_FALSE(manager->IsSwitchPending());
    button->Reset();
    screen->mayNavigate = true;
    button->OnCursorEnter();
    button->OnClick();
    EXPECT_EQ(manager->GetPendingId(), MakeChunkId(1, 5));
    EXPECT_EQ(button->GetCursorMode(), OView::kHitNever);
    button->OnCursorLeave();
    EXPECT_EQ(button->GetState(), 2) << "the look stays while the switch is pending";

    app->GetSoundProcess()->Stop(2); // the hover sound, which the switch waits for
    screen = Show(kPlainScreen);
    button = Place<Navigation_Prop>(screen, 1);
    button->Navigate();
    EXPECT_TRUE(manager->IsSwitchPending());
    EXPECT_EQ(manager->GetPendingId(), kNullChunkId);
}

TEST_F(ButtonsTest, APanelTimesOutOnceAfter30sOfShowingNotCountingPausesAndAgainOnlyWhenShownAgain) {
    ProbeActivity* screen = Show(kPlainScreen);
    screen->CreateButtonPanel(CTLVActivity::kPanelMenu);
    ButtonPanel_Prop* panel = screen->GetPanel(CTLVActivity::kPanelMenu);
    ASSERT_NE(panel->GetButton(0), nullptr);
    EXPECT_GT(panel->GetButton(0)->GetPriority(), panel->GetPriority()) << "its buttons are drawn above it";
    panel->SetTimeOutOn(1);
    panel->Show(true, 1);
    const uint32_t shown = clock().TickCount();
    Frames(5000 / kFrameMs, kFrameMs);
    panel->OnAppSuspend();
    Frames(10000 / kFrameMs, kFrameMs);
    panel->OnAppResume();
    while (screen->dismissed.empty() && clock().TickCount() - shown < 60000) Frames(1, kFrameMs);
    const uint32_t showing = clock().TickCount() - shown - 10000 / kFrameMs * kFrameMs;
    EXPECT_GT(showing, uint32_t(ButtonPanel_Prop::kTimeOutMs));
    EXPECT_LE(showing, uint32_t(ButtonPanel_Prop::kTimeOutMs) + kFrameMs);
    Frames(40000 / kFrameMs, kFrameMs);
    EXPECT_EQ(screen->dismissed.size(), 1u);

    panel->Show(false, 1);
    panel->Show(true, 1);
    Frames(30100 / kFrameMs, kFrameMs);
    EXPECT_EQ(screen->dismissed.size(), 2u);
    panel->OnClick(); // on the panel itself, not a button
    EXPECT_EQ(screen->dismissed, (std::vector<int16_t>{0, 0, 0}));

    const std::string hint = std::string("Then click on the ") + '"' + "blue arrow badge" + '"' +
                             " down there and let" + char(0x92) + "s get started!";
    EXPECT_EQ(std::string(kStartHintCaption), hint);
}

TEST_F(ButtonsTest, AHiddenPanelDoesNotTimeOutAndAClosingOneAnswersNoClick) {
    ProbeActivity* screen = Show(kPlainScreen);
    screen->CreateButtonPanel(CTLVActivity::kPanelMenu);
    ButtonPanel_Prop* panel = screen->GetPanel(CTLVActivity::kPanelMenu);
    panel->SetTimeOutOn(1);
    // Hidden under another panel, with a blink's time-out started while hidden.
    screen->HidePanel(CTLVActivity::kPanelMenu, 1);
    panel->RestartTimeOut();
    Frames((ButtonPanel_Prop::kTimeOutMs + 1000) / kFrameMs, kFrameMs);
    EXPECT_TRUE(screen->dismissed.empty()) << "a hidden panel does not time out";

    screen->CreateButtonPanel(CTLVActivity::kPanelMenu);
    screen->ClosePanelAfterSpeech(CTLVActivity::kPanelMenu, 1);
    ASSERT_TRUE(panel->IsClosing());
    panel->OnClick();
    EXPECT_TRUE(screen->dismissed.empty()) << "its button has answered already";
}

TEST_F(ButtonsTest, TheStartPanelGoneStartsTheGamesMusicOnceNoPanelIsLeftButNotAsTheScreenEnds) {
    ProbeActivity* screen = Show(kPlainScreen);
    app->GetMusic()->Stop(); // the music starts only when none plays
    screen->AdoptStartPanel();
    screen->CreateButtonPanel(CTLVActivity::kPanelStart);
    screen->CreateButtonPanel(CTLVActivity::kPanelQuit);
    screen->HidePanel(CTLVActivity::kPanelStart, 1);
    EXPECT_EQ(screen->musicStarts, 0) << "the question still shows";
    screen->HidePanel(CTLVActivity::kPanelQuit, 1);
    EXPECT_EQ(screen->musicStarts, 1);
    screen->HidePanel(CTLVActivity::kPanelStart, 1);
    EXPECT_EQ(screen->musicStarts, 1) << "a hidden panel hidden again starts nothing";

    screen->CreateButtonPanel(CTLVActivity::kPanelStart);
    screen->FlushSoundQueues(); // the screen ends with the start panel up
    EXPECT_EQ(screen->musicStarts, 1);
}

} // namespace
} // namespace vqt::test
