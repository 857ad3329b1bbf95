// The game activity on a stage with the game object, the activity manager and the game factory,
// over the generated game data: timed screens, keys, the pause menu and its questions, pausing,
// leaving, the step hook, sounds and the end of an activity.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/media/Host.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/SysFont.h"
#include "engine/media/TextDView.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/TLVObject.h"
#include "tests/game/shell/GameActivityFixture.h"

namespace vqt::test {
namespace {

class GameActivityTest : public GameActivityFixture {};

TEST_F(GameActivityTest, ATimedScreenAdvancesAfterTenSecondsOrAtOnceOnEnterEscSpaceOrAClick) {
    Show(kTimedScreen);
    const uint32_t shownAt = clock().TickCount();
    while (manager->GetPendingId() == kNullChunkId && clock().TickCount() - shownAt < 11000) Frames(1, kFrameMs);
    EXPECT_GE(clock().TickCount() - shownAt, 10000u);
    EXPECT_LE(clock().TickCount() - shownAt, 10000u + kFrameMs);
    EXPECT_LE(MsUntilSwitch(1000), 3 * kFrameMs);
    EXPECT_EQ(manager->GetCurrentId(), MakeChunkId(1, 4));

    for (const uint32_t key : {CTLVActivity::kKeyEnter, CTLVActivity::kKeyEsc, CTLVActivity::kKeySpace, 0u}) {
        Show(kTimedScreen);
        Frames(2000 / kFrameMs, kFrameMs);
        if (key) Type(key);
        else Click(320, 240);
        EXPECT_LE(MsUntilSwitch(1000), 3 * kFrameMs) << key;
        EXPECT_EQ(manager->GetCurrentId(), MakeChunkId(1, 4)) << key;
    }

    Show(kStayingScreen);
    Frames(60000 / kFrameMs, kFrameMs);
    EXPECT_EQ(manager->GetCurrentId(), MakeChunkId(1, kStayingScreen));
}

TEST_F(GameActivityTest, EscTogglesTheMenuCtrlQTheQuitQuestionCTheCaptionsAndChordsWithEscOrTabAreIgnored) {
    ProbeActivity* screen = Show(kPlainScreen);
    Type(CTLVActivity::kKeyEsc);
    EXPECT_TRUE(screen->IsPanelShown(CTLVActivity::kPanelMenu));
    Type(CTLVActivity::kKeyEsc);
    EXPECT_FALSE(screen->IsPanelShown(-1));

    Type(CTLVActivity::kKeyQ, CTLVActivity::kKeyCtrl);
    EXPECT_TRUE(screen->IsPanelShown(CTLVActivity::kPanelQuit));
    Type(CTLVActivity::kKeyEsc);
    EXPECT_FALSE(screen->IsPanelShown(CTLVActivity::kPanelMenu)) << "ESC does nothing while the quit question shows";
    Type(CTLVActivity::kKeyQ, CTLVActivity::kKeyCtrl);
    EXPECT_FALSE(screen->IsPanelShown(-1));

    const bool captions = xProfiles_Flag("HMCAPTIONS");
    Type(CTLVActivity::kKeyC);
    EXPECT_NE(xProfiles_Flag("HMCAPTIONS"), captions);

    screen->keys.clear();
    Type(CTLVActivity::kKeyEsc, CTLVActivity::kKeyCtrl);
    Type(CTLVActivity::kKeyEsc, CTLVActivity::kKeyAlt);
    Type(CTLVActivity::kKeyTab, CTLVActivity::kKeyAlt);
    EXPECT_EQ(screen->keys, (std::vector<uint32_t>{CTLVActivity::kKeyAlt, CTLVActivity::kKeyAlt}));
    EXPECT_FALSE(screen->IsPanelShown(-1));
}

TEST_F(GameActivityTest, TheMenusQuitButtonClosesItOncePipe2IsSilentThenTheQuestionsLeadToCreditsAndGarage) {
    ProbeActivity* screen = Show(kPlainScreen);
    Type(CTLVActivity::kKeyEsc);
    PlayOnPipe2();
    Click(kMenuQuitX, kMenuQuitY);
    Frames(4, kFrameMs);
    EXPECT_TRUE(screen->IsPanelShown(CTLVActivity::kPanelMenu)) << "the menu waits for the button sound";
    EXPECT_FALSE(screen->MayLeave());
    SoundChannel* two = Pipe(2);
    StopSnippet(&two); // the button sound ends
    EXPECT_TRUE(screen->MayLeave());
    Frames(1, kFrameMs);
    EXPECT_FALSE(screen->IsPanelShown(CTLVActivity::kPanelMenu));
    EXPECT_TRUE(screen->IsPanelShown(CTLVActivity::kPanelQuit));

    Click(kYesX, kYesY);
    EXPECT_EQ(manager->GetPendingId(), MakeChunkId(1, 7));
    screen = Show(kPlainScreen);
    screen->CreateButtonPanel(CTLVActivity::kPanelNewCar);
    Click(kYesX, kYesY);
    EXPECT_EQ(manager->GetPendingId(), MakeChunkId(1, 5));
}

TEST_F(GameActivityTest, PanelTextsComeFromTheGamesTextsStyledAfterTheScreensTemplateWhenItHasOne) {
    struct Case {
        uint16_t screen;
        int16_t panel;
        std::vector<std::string> texts;
        int32_t alignment;
    };
    const Case cases[] = {{kPlainScreen, CTLVActivity::kPanelMenu, {"Pick a button", "Paused"}, kAlignCentre},
                          {kStayingScreen, CTLVActivity::kPanelQuit, {"Do you want to stop playing?"}, kAlignLeft}};
    for (const Case& c : cases) {
        ProbeActivity* screen = Show(c.screen);
        screen->CreateButtonPanel(c.panel);
        std::vector<std::string> texts;
        const ButtonPanel_Prop* panel = screen->GetPanel(c.panel);
        for (int32_t i = 0; i < panel->AttachedCount(); ++i) {
            if (!panel->AttachedAt(i)->IsA(OTextDView::kClassId)) continue;
            const auto* text = static_cast<const OTextDView*>(panel->AttachedAt(i));
            texts.push_back(text->GetTextPtr());
            EXPECT_EQ(text->GetAlignment(), c.alignment) << c.screen;
            EXPECT_EQ(text->GetPriority(), 32767);
        }
        EXPECT_EQ(texts, c.texts) << c.screen;
        screen->HidePanel(c.panel, 1);
    }
}

/// The stage rectangles of what a panel shows besides its buttons.
std::vector<CRect16> PanelPictureRects(const ButtonPanel_Prop* panel) {
    std::vector<CRect16> rects;
    for (int32_t i = 0; i < panel->AttachedCount(); ++i) {
        OView* view = panel->AttachedAt(i);
        if (view->GetParent() != panel) rects.push_back(view->GetScreenRect());
    }
    return rects;
}

TEST_F(GameActivityTest, APanelsPicturesAndTextsKeepTheirStagePlaceHoweverFarTheScreenHasScrolled) {
    struct Case {
        int16_t panel;
        CPointF builtAt; ///< the screen's scroll when the panel is made
        CPointF shownAt; ///< and when it shows again
    };
    const Case cases[] = {{CTLVActivity::kPanelQuit, {-400, -120}, {250, 60}},
                          {CTLVActivity::kPanelNewCar, {0, 0}, {-640, 0}},
                          {CTLVActivity::kPanelLeave, {900, 0}, {0, -300}}};
    for (const Case& c : cases) {
        ProbeActivity* screen = Show(kPlainScreen);
        screen->CreateButtonPanel(c.panel);
        const std::vector<CRect16> unscrolled = PanelPictureRects(screen->GetPanel(c.panel));
        ASSERT_GE(unscrolled.size(), 2u) << c.panel << ": a picture and a text";
        screen->HidePanel(c.panel, 1);

        screen = Show(kDataScreen);
        screen->SetScrollLimits(CPointF(-1000, -1000), CPointF(1000, 1000));
        screen->ScrollTo(c.builtAt, 0);
        ASSERT_EQ(screen->GetScrollOffset(), c.builtAt);
        screen->CreateButtonPanel(c.panel);
        EXPECT_EQ(PanelPictureRects(screen->GetPanel(c.panel)), unscrolled) << c.panel;
        screen->HidePanel(c.panel, 1);
        screen->ScrollTo(c.shownAt, 0);
        screen->CreateButtonPanel(c.panel);
        EXPECT_EQ(PanelPictureRects(screen->GetPanel(c.panel)), unscrolled) << c.panel;
        screen->HidePanel(c.panel, 1);
    }
}

TEST_F(GameActivityTest, APanelPausesTimersByExactlyItsSpanSilencesTheMusicAndSuspendsTheProps) {
    ProbeActivity* screen = Show(kPlainScreen);
    ASSERT_GT(screen->ChildCount(), 0);
    OProcess* prop = screen->ChildAt(0)->AsProcess();
    const CTimerRec advance = screen->GetAdvanceTimer();
    const CTimerRec step = screen->GetStepTimer();
    screen->steps.clear();
    screen->CreateButtonPanel(CTLVActivity::kPanelMenu);
    EXPECT_EQ(Pipe(0)->volume, 0);
    EXPECT_TRUE(prop->IsSuspended());
    Frames(1000 / kFrameMs, kFrameMs);
    screen->Resume();
    EXPECT_NE(screen->GetStepTimer().paused, 0u) << "Resume changes nothing while a panel shows";
    EXPECT_TRUE(prop->IsSuspended());
    EXPECT_TRUE(screen->steps.empty());

    const uint32_t span = clock().TickCount() - screen->GetStepTimer().paused;
    screen->HidePanel(CTLVActivity::kPanelMenu, 1);
    EXPECT_EQ(screen->GetAdvanceTimer().start, advance.start + span);
    EXPECT_EQ(screen->GetStepTimer().start, step.start + span);
    EXPECT_EQ(screen->GetHintTimer().start, clock().TickCount());
    EXPECT_EQ(Pipe(0)->volume, 128);
    EXPECT_FALSE(prop->IsSuspended());

    screen->OnAppSuspend();
    EXPECT_EQ(Pipe(0)->volume, 0);
    EXPECT_TRUE(prop->IsSuspended());
    screen->OnAppResume();
    EXPECT_EQ(Pipe(0)->volume, 128);
    EXPECT_NE(traced().find("CTLVActivity::OnSwitchOut()\nCTLVActivity::OnSwitchIn()\n"), std::string::npos);
}

TEST_F(GameActivityTest, WithoutASoundProcessTheScreenMayBeLeftAndPanelsCloseAtOnce) {
    CTLVApp::Destroy();
    ASSERT_TRUE(CTLVApp::Create());
    app = CTLVApp::Get();
    app->createSoundProcess = 0;
    auto owned = std::make_unique<CPartFile>();
    CPartFile* partFile = owned.get();
    ASSERT_TRUE(partFile->Open((folder / "game.vqk").c_str(), 1));
    app->SetPartFile(std::move(owned));
    app->Init();
    manager->Init(partFile);
    ProbeActivity* screen = Show(kPlainScreen);
    EXPECT_TRUE(screen->MayLeave());
    Type(CTLVActivity::kKeyEsc);
    Click(kMenuQuitX, kMenuQuitY);
    Frames(1, kFrameMs);
    EXPECT_TRUE(screen->IsPanelShown(CTLVActivity::kPanelQuit));
}

TEST_F(GameActivityTest, TheStepHookRunsEvery15msWithItsIndexCycling) {
    ProbeActivity* screen = Show(kPlainScreen);
    screen->steps.clear();
    Frames(4, kFrameMs);
    EXPECT_EQ(screen->steps, (std::vector<int32_t>{0, 0, 0, 0}));
    screen->SetStepCycle(3);
    screen->steps.clear();
    Frames(6, kFrameMs);
    EXPECT_EQ(screen->steps, (std::vector<int32_t>{1, 2, 0, 1, 2, 0}));
}

TEST_F(GameActivityTest, APropSoundFollowsThePartsSoundValueForBlockersAndTheDefaultOtherwise) {
    ProbeActivity* screen = Show(kPlainScreen);
    struct Case {
        uint32_t classId;
        uint8_t value;
        ChunkId sound;
        int32_t volume;
    };
    const Case cases[] = {{1530, 1, MakeChunkId(7, 189), 100},
                          {1530, 2, MakeChunkId(7, 190), 127},
                          {1530, 0, MakeChunkId(7, 13), 127},
                          {54, 1, MakeChunkId(7, 13), 127}};
    for (const Case& c : cases) {
        std::unique_ptr<OView> made(xTLVFactory_MakeProp(c.classId));
        auto* prop = static_cast<OActivityProp*>(made.get());
        prop->SetPartID(app->GetPartFile(), MakeChunkId(2, uint16_t(3000 + c.value)), 0);
        app->GetSoundProcess()->StopAllExcept(0);
        screen->PlayPropSound(prop);
        xSnippet* sound = screen->FindSound(c.sound);
        ASSERT_NE(sound, nullptr) << c.classId << " " << int(c.value);
        EXPECT_EQ(sound->volume, c.volume) << c.classId << " " << int(c.value);
        EXPECT_EQ(Pipe(4)->snippet, sound) << "on the first free pipe";
        EXPECT_TRUE(xSound_IsPlaying(Pipe(4)));
    }
}

TEST_F(GameActivityTest, StoppingWithAQueuedPanelLeavesNoPanelStopsPipes3And8AndFreesTheSnippets) {
    ProbeActivity* screen = Show(kPlainScreen);
    const int32_t windowChildren = window->ChildCount();
    const int32_t loaded = xSound_State().snippets;
    screen->PlayOnPipe3Ex(MakeChunkId(7, 189), 11025, 1);
    screen->PlayOnPipe8(MakeChunkId(7, 190));
    EXPECT_EQ(xSound_GetPlaybackRate(Pipe(3)), 11025);
    EXPECT_TRUE(xSound_IsPlaying(Pipe(8)));
    EXPECT_EQ(Pipe(8)->volume, 511) << "starting a snippet gives the channel the snippet's volume over the 115 set before";
    EXPECT_EQ(screen->SoundCount(), 2);
    screen->CreateButtonPanel(CTLVActivity::kPanelNewCar);
    PlayOnPipe2();
    screen->QueueAction(CTLVActivity::kPanelMenu); // in a slot that the teardown passes first

    screen->FlushSoundQueues();
    app->GetMessageProcess()->FlushMessages(); // the question's voice line is the message process's
    EXPECT_EQ(window->ChildCount(), windowChildren);
    EXPECT_EQ(screen->GetPanel(CTLVActivity::kPanelMenu), nullptr);
    for (uint32_t pipe : {2u, 3u, 8u}) EXPECT_FALSE(xSound_IsPlaying(Pipe(pipe))) << pipe;
    EXPECT_EQ(screen->SoundCount(), 0);
    EXPECT_EQ(xSound_State().snippets, loaded);
    EXPECT_EQ(screen->GetMarker(), nullptr);
}

/// A screen with both text templates: texts centred in yellow Arial, numbers right-aligned in
/// cyan Courier New.
class TextTemplateTest : public GameActivityFixture {
protected:
    static constexpr uint16_t kTemplateScreen = 240;
    static constexpr uint32_t kTextColour = 0x0000FFFF;
    static constexpr uint32_t kNumberColour = 0x00FFFF00;
    void AddTestData(GameData& data) override {
        const auto model = [](uint32_t objectId, const char* face, uint32_t alignment, uint32_t colour) {
            ObjectPlan view{.classId = 76, .objectId = objectId};
            view.properties.Text(70, 11, face).Short(70, 7, 12).Long(70, 4, alignment).Long(70, 9, colour);
            return view;
        };
        data.file.AddChunk(GameData::kActivities,
                           ActivityData({.classId = 200,
                                         .objects = {model(1000, "Arial", kAlignCentre, kTextColour),
                                                     model(1001, "Courier New", kAlignRight, kNumberColour)}}),
                           {.entry = kTemplateScreen});
    }
};

TEST_F(TextTemplateTest, NumbersTakeTheNumberTemplatesStyleAndTextsTheTextTemplates) {
    struct Case {
        uint16_t screen;
        int16_t value;
        const char* text;
        uint32_t model; ///< the template whose style the view takes; 0: none on the screen
        int32_t alignment;
        uint32_t colour;
    };
    const Case cases[] = {
        {kTemplateScreen, 42, "42", 1001, kAlignRight, kNumberColour},
        {kTemplateScreen, -7, "-7", 1001, kAlignRight, kNumberColour},
        {kTemplateScreen, 32767, "32767", 1001, kAlignRight, kNumberColour},
        {kDataScreen, 0, "0", 0, kAlignLeft, 0x00FFFFFF}, // its only template is for texts
    };
    for (const Case& c : cases) {
        ProbeActivity* screen = Show(c.screen);
        OTextDView* view = CreateTextDView(320, 150, 100, 50, screen);
        ASSERT_NE(view, nullptr);
        screen->SetViewNumber(view, c.value);
        EXPECT_STREQ(view->GetTextPtr(), c.text);
        EXPECT_EQ(view->GetAlignment(), c.alignment) << c.text;
        EXPECT_EQ(view->GetTextColor(), c.colour) << c.text;
        const auto* model = static_cast<const OTextView*>(c.model ? screen->FindPropById(c.model) : nullptr);
        EXPECT_EQ(view->GetFont(), model ? model->GetFont() : GetDefaultSysFont()) << c.text;
        EXPECT_EQ(view->GetWordWrap(), 1);
        EXPECT_EQ(view->CentresVertically(), 1);
        EXPECT_EQ(view->GetPriority(), 32767);
    }
    ProbeActivity* screen = Show(kTemplateScreen);
    OTextDView* text = CreateTextDView(320, 150, 100, 50, screen);
    screen->SetViewText(text, MakeChunkId(17, 50), app->GetPartFile());
    EXPECT_STREQ(text->GetTextPtr(), "Paused");
    EXPECT_EQ(text->GetAlignment(), kAlignCentre);
    EXPECT_EQ(text->GetTextColor(), kTextColour);
    EXPECT_EQ(text->GetFont(), static_cast<const OTextView*>(screen->FindPropById(1000))->GetFont());
    screen->SetViewNumber(nullptr, 1); // nothing to style
}

TEST_F(GameActivityTest, ActivityDataGivesFamily200AndTextViewsAndShortPayloadsAreRefused) {
    ProbeActivity* screen = Show(kDataScreen);
    EXPECT_EQ(factory->MadeProps().Count(), 3);
    EXPECT_EQ(screen->GetStartPanelMode(), 2);
    EXPECT_EQ(screen->GetMusicTrack(), 12);
    EXPECT_NE(traced().find("property 1 of family 200 has 1 bytes, fewer than 2\n"), std::string::npos);
    EXPECT_NE(traced().find("property 1 of family 200 has 0 bytes, fewer than 2\n"), std::string::npos);
    EXPECT_EQ(screen->TextViewCount(), 1) << "only a text view with an object id is kept";
    ASSERT_NE(screen->FindPropById(1000), nullptr);
    EXPECT_TRUE(screen->FindPropById(1000)->IsA(76));
    EXPECT_EQ(screen->FindPropById(1), nullptr);
    ASSERT_NE(screen->GetMarker(), nullptr);
    EXPECT_FALSE(screen->GetMarker()->IsVisible());
    EXPECT_EQ(screen->GetMarker()->GetState(), 3);

    auto* prop = static_cast<OActivityProp*>(screen->ChildAt(0));
    prop->SetPosition(CPointF(100, 120), 0, 1);
    screen->ShowClickFeedback(prop);
    EXPECT_TRUE(screen->GetMarker()->IsVisible());
    EXPECT_EQ(screen->GetMarker()->GetPosition(), prop->GetPosition());
    EXPECT_EQ(Pipe(7)->snippet, app->FindSnippet(MakeChunkId(7, 838)));
    EXPECT_TRUE(xSound_IsPlaying(Pipe(7)));

    // Missing art and snippets are left out, traced.
    const int32_t sounds = screen->SoundCount();
    screen->PlaySound(MakeChunkId(7, 4000), CTLVActivity::kAnyPipe, 127);
    EXPECT_EQ(screen->SoundCount(), sounds);
    screen->SetLeaveTexts(MakeChunkId(17, 48), MakeChunkId(2, 4000));
    screen->CreateButtonPanel(CTLVActivity::kPanelLeave);
    EXPECT_TRUE(screen->IsPanelShown(CTLVActivity::kPanelLeave));
    EXPECT_NE(traced().find("loadSnippet - non existent snippet (7,4000)\n"), std::string::npos);
    EXPECT_NE(traced().find("*** Missing art {2, 0, 4000} of OActivityProp: left out\n"), std::string::npos);
    screen->HidePanel(CTLVActivity::kPanelLeave, 1);

    Show(kStayingScreen);
    EXPECT_EQ(factory->MadeProps().Count(), 1) << "the props of the screen left are forgotten";
}

TEST_F(GameActivityTest, AScreenShowsTheHostPlaysItsMusicHoldsItsVoiceLinesAMomentAndParksTheHost) {
    Show(kDataScreen);
    OHost* host = app->GetHost();
    ASSERT_NE(host, nullptr);
    EXPECT_STREQ(host->GetRoleName(), "Dispatcher");
    EXPECT_EQ(host->GetPosition(), host->GetHotSpot()) << "start panel mode 2 shows it";
    EXPECT_TRUE(app->GetMusic()->IsPlaying());
    EXPECT_EQ(Pipe(0)->snippet, app->GetMusic()->GetSnippet());
    EXPECT_EQ(xSound_IsPlaying(Pipe(0)), 1);
    OMessageProcess* messages = app->GetMessageProcess();
    EXPECT_TRUE(messages->IsSuspended());
    const CTimerRec& timer = CurrentGameActivity()->GetMessageTimer();
    ASSERT_TRUE(timer.running);
    const uint32_t started = timer.start;
    for (int i = 0; i < 60 && messages->IsSuspended(); ++i) Frames(1, kFrameMs);
    const uint32_t held = clock().TickCount() - started;
    EXPECT_GT(held, 750u) << "released in the first frame after 750 ms";
    EXPECT_LE(held, 750u + kFrameMs);

    Show(kStayingScreen);
    EXPECT_EQ(host->GetPosition(), CPointF(-500, -500));
    EXPECT_TRUE(app->GetMusic()->IsPlaying()) << "a screen without music of its own leaves it on";
}

TEST_F(GameActivityTest, LabelsAreSpokenOnceAndAloneAnswersOnlyIntoSilenceOrOverTheOtherAnswer) {
    ProbeActivity* screen = Show(kPlainScreen);
    OMessageProcess* messages = app->GetMessageProcess();
    auto queued = [&] {
        std::vector<std::string> captions;
        for (int32_t i = 0; i < messages->QueueLength(); ++i) captions.push_back(messages->QueuedAt(i)->caption);
        return captions;
    };
    using Captions = std::vector<std::string>;
    screen->SpeakCaption(1);
    screen->SpeakCaption(1);
    EXPECT_EQ(queued(), Captions{"Continue"});
    EXPECT_TRUE(IsMessageQueued());
    screen->SpeakCaption(2);
    EXPECT_EQ(queued(), Captions{"Exit Area"}) << "a label speaks alone";
    screen->SpeakCaption(4);
    EXPECT_EQ(queued(), Captions{"Exit Area"}) << "an answer waits for silence";
    messages->FlushMessages();
    EXPECT_FALSE(IsMessageQueued());
    screen->SpeakCaption(5);
    screen->SpeakCaption(4);
    EXPECT_EQ(queued(), Captions{"Yes"}) << "an answer replaces the other one";
    screen->SpeakCaption(7);
    EXPECT_EQ(queued(), (Captions{"Yes", "Are you sure you want to leave this area?"}));
    EXPECT_NE(messages->Head()->voice, nullptr);
}

} // namespace
} // namespace vqt::test
