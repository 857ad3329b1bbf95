// The garage on the generated garage data, in virtual time: locks, preselection, choosing and
// the leave sequence to the circus town {1, 0, 8} (a plain screen here).
#include <gtest/gtest.h>

#include <string>

#include "engine/media/MessageProcess.h"
#include "engine/media/Sound.h"
#include "game/shell/NavigationProp.h"
#include "game/shell/Player.h"
#include "game/shell/VehicleSelectActivity.h"
#include "game/shell/VehicleSelectButton.h"
#include "game/shell/VehicleSelectDrive.h"
#include "tests/game/shell/GameActivityFixture.h"
#include "tools/synthetic/Garage.h"

namespace vqt::test {
namespace {

constexpr uint16_t kGarage = 5;
constexpr uint16_t kNoDriveProps = 40;
constexpr uint16_t kOnePicture = 41;
constexpr uint16_t kTown = 8;
constexpr uint16_t kCertificate = 6;

class GarageTest : public GameActivityFixture {
protected:
    void AddTestData(GameData& data) override {
        AddGarageScreen(data, {.entry = kNoDriveProps, .driveProps = false});
        AddGarageScreen(data, {.entry = kOnePicture, .picturesPerWorld = 1});
        for (const uint16_t entry : {kTown, kCertificate})
            data.file.AddChunk(GameData::kActivities, ActivityData({.classId = 200}), {.entry = entry});
    }
    VehicleSelect_Activity* Garage(uint16_t entry = kGarage) {
        Show(entry);
        CTLVActivity* current = CurrentGameActivity();
        EXPECT_TRUE(current && current->IsA(VehicleSelect_Activity::kClassId));
        return static_cast<VehicleSelect_Activity*>(current);
    }
    static Vehicle_Select_Button* Button(VehicleSelect_Activity* garage, uint16_t value) {
        for (Vehicle_Select_Button* b : garage->GetButtons())
            if (b->GetValue() == value) return b;
        return nullptr;
    }
    /// The captions of the queued voice lines, one a line.
    std::string Queued() {
        std::string captions;
        OMessageProcess* messages = app->GetMessageProcess();
        for (int32_t i = 0; i < messages->QueueLength(); ++i)
            if (!messages->QueuedAt(i)->caption.empty()) captions += messages->QueuedAt(i)->caption + "\n";
        return captions;
    }
    void FlushLines() { app->GetMessageProcess()->FlushMessages(); }
    CPlayer& Player() { return *app->GetPlayer(); }
    /// Clicks go and answers the milliseconds until the town is current (at most `limitMs`).
    uint32_t DriveOut(VehicleSelect_Activity* garage, uint32_t limitMs = 9000) {
        garage->GetGoButton()->OnButtonUp();
        return MsUntilSwitch(limitMs);
    }
};

TEST_F(GarageTest, UpgradesShowOnlyAfterTheWorldsMission2AndStayUnlockedForGood) {
    struct Case {
        int mission2World; ///< -1: none finished
        uint16_t visitedWord; ///< word 33 of world 2 before the start
        bool shown[3];      ///< the upgrades 1, 3 and 5
    };
    const Case cases[] = {{-1, 0, {false, false, false}}, {1, 0, {false, true, false}}, {-1, 1, {false, false, true}}};
    for (const Case& c : cases) {
        Player().SetDefaults();
        if (c.mission2World >= 0) Player().IncActivityCount(c.mission2World, 2);
        if (c.visitedWord) Player().SetWorldVisited(2);
        VehicleSelect_Activity* garage = Garage();
        for (uint16_t w = 0; w < 3; ++w) {
            EXPECT_EQ(Button(garage, uint16_t(w * 2))->IsVisible(), 1) << "first vehicles are always there";
            EXPECT_EQ(Button(garage, uint16_t(w * 2 + 1))->IsVisible() != 0, c.shown[w]) << "world " << w;
            EXPECT_EQ(Player().GetWorldVisited(w) != 0, c.shown[w]) << "word 33 of world " << w;
        }
        Show(kTown);
    }
}

TEST_F(GarageTest, TheStoredVehicleIsPreselectedSilentlyAndChoosingSpeaksOnlyForANewChoice) {
    Player().SetDefaults();
    Player().IncActivityCount(1, 2);
    Player().SetSelectedVehicle(3);
    VehicleSelect_Activity* garage = Garage();
    EXPECT_EQ(garage->GetSelectedValue(), 3);
    EXPECT_EQ(Button(garage, 3)->GetState(), 1);
    EXPECT_EQ(Queued(), "");
    EXPECT_EQ(garage->GetGoButton()->GetTarget(), 14);
    EXPECT_EQ(garage->GetEngineSound(), MakeChunkId(7, 50));

    Button(garage, 3)->OnButtonUp();
    EXPECT_EQ(Queued(), "") << "the selected vehicle again";
    Button(garage, 4)->OnButtonUp();
    EXPECT_EQ(Queued(), "Tollivar Bulwarkan\n");
    EXPECT_EQ(Player().GetSelectedVehicle(), 4);
    EXPECT_EQ(garage->GetGoButton()->GetTarget(), 17);
    EXPECT_EQ(Button(garage, 3)->GetState(), 0);
    EXPECT_EQ(garage->GetEngineSound(), MakeChunkId(7, 37));
}

TEST_F(GarageTest, TheSelectedVehicleKeepsItsLookWhileThePointerComesClicksAndGoes) {
    Player().SetDefaults();
    VehicleSelect_Activity* garage = Garage();
    Vehicle_Select_Button* first = Button(garage, 0);
    Vehicle_Select_Button* second = Button(garage, 2);
    auto pointerPasses = [](Vehicle_Select_Button* b, bool click) {
        b->OnCursorEnter();
        if (click) {
            b->OnButtonDown();
            b->OnButtonUp();
        }
        const int32_t hovered = b->GetState();
        b->OnCursorLeave();
        return std::to_string(hovered) + "," + std::to_string(b->GetState());
    };
    EXPECT_EQ(pointerPasses(first, false), "1,1") << "the preselected vehicle";
    EXPECT_EQ(pointerPasses(second, false), "2,0") << "another vehicle only hovers";
    EXPECT_EQ(pointerPasses(second, true), "1,1") << "the chosen vehicle";
    EXPECT_EQ(first->GetState(), 0);
    EXPECT_EQ(garage->GetSelectedValue(), 2);
}

TEST_F(GarageTest, GoWithoutASelectedVehicleIsRefusedBeforeAnythingFades) {
    Player().SetDefaults();
    Player().SetSelectedVehicle(1); // a locked upgrade: nothing is selected
    VehicleSelect_Activity* garage = Garage();
    ASSERT_EQ(garage->GetSelectedValue(), -1);
    garage->GetGoButton()->OnButtonUp();
    Frames(60, kFrameMs);
    EXPECT_FALSE(manager->IsSwitchPending());
    EXPECT_FALSE(garage->GetButtonFade().running);
    EXPECT_EQ(garage->GetGoButton()->IsVisible(), 1);
    EXPECT_EQ(garage->GetGoButton()->GetCursorMode(), 1) << "still takes the pointer";
    EXPECT_EQ(garage->IsLeaving(), 0);
}

TEST_F(GarageTest, BackAndCertificateLeaveAtOnce) {
    for (const uint16_t objectId : {7, 8}) {
        Player().SetDefaults();
        VehicleSelect_Activity* garage = Garage();
        Navigation_Prop* button = nullptr;
        for (int32_t i = 0; i < garage->ChildCount(); ++i)
            if (auto* nav = dynamic_cast<Navigation_Prop*>(garage->ChildAt(i)); nav && nav->GetObjectId() == objectId) button = nav;
        ASSERT_NE(button, nullptr);
        button->OnButtonUp();
        EXPECT_EQ(manager->GetPendingId(), MakeChunkId(1, objectId == 7 ? 4 : 6));
        EXPECT_EQ(garage->IsLeaving(), 0);
        FlushLines();
        Show(kTown);
    }
}

TEST_F(GarageTest, EscOpensTheQuitQuestionAndClosesItAgain) {
    VehicleSelect_Activity* garage = Garage();
    Type(CTLVActivity::kKeyEsc);
    EXPECT_TRUE(garage->IsPanelShown(CTLVActivity::kPanelQuit));
    Type(CTLVActivity::kKeyEsc);
    Frames(60, kFrameMs);
    EXPECT_FALSE(garage->IsPanelShown(CTLVActivity::kPanelQuit));
}

TEST_F(GarageTest, TheLeaveSequenceFadesButtonsDrivesOutWithTheEngineAndFadesTheScreenBeforeTheTown) {
    Player().SetDefaults();
    VehicleSelect_Activity* garage = Garage();
    garage->SetPictureVariant(1);
    garage->GetGoButton()->OnButtonUp();
    EXPECT_FALSE(manager->IsSwitchPending()) << "the town waits for the sequence";
    EXPECT_EQ(manager->QueuedOverlays(), 1) << "the circus town's first-visit movie";
    EXPECT_EQ(Queued(), "Whoa!  Looks like Rozodudurid needs a hero. \n"
                        "Let\x92s go find some lost puppies and put out some fires!\n");
    EXPECT_EQ(garage->GetWorldPicture(0)->IsVisible(), 1);
    Frames(500 / kFrameMs + 1, kFrameMs);
    EXPECT_EQ(garage->GetGoButton()->IsVisible(), 0) << "hidden after 500 ms";

    Vehicle_Select_Drive* drive = garage->FindDriveProp(0);
    for (int i = 0; i < 100 && !drive->IsVisible(); ++i) Frames(1, kFrameMs);
    EXPECT_EQ(garage->GetWorldPicture(0)->IsVisible(), 0) << "the picture hid itself at its end";
    EXPECT_EQ(drive->IsVisible(), 1);
    EXPECT_EQ(Button(garage, 0)->IsVisible(), 0);
    SoundChannel* engine = Pipe(3);
    EXPECT_TRUE(xSound_IsPlaying(engine));
    EXPECT_EQ(xSound_GetPlaybackRate(engine), VehicleSelect_Activity::kEngineRate);
    EXPECT_EQ(engine->snippet, garage->FindSound(MakeChunkId(7, 44)));

    for (int i = 0; i < 100 && !garage->GetScreenFade().running; ++i) Frames(1, kFrameMs);
    ASSERT_TRUE(garage->GetScreenFade().running);
    // Five samples: the fade frame and the engine's volume follow (1500 - t) x 0.00066666666 x 255.
    for (int sample = 0; sample < 5; ++sample) {
        Frames(17, kFrameMs);
        const uint32_t t = garage->GetScreenFade().Now() - garage->GetScreenFade().start;
        const int32_t expected = t >= 1500 ? 0 : int32_t((1500.0 - t) * 0.00066666666 * 255.0);
        EXPECT_EQ(garage->GetFadeFrame(), expected) << t << " ms";
        EXPECT_EQ(garage->GetFadeProp()->GetCurrentFrame(), expected);
        EXPECT_EQ(engine->volume, expected);
    }
    EXPECT_LT(MsUntilSwitch(2000), 1500u);
    EXPECT_EQ(manager->GetCurrentId(), MakeChunkId(1, kTown));
}

TEST_F(GarageTest, TheFirstVisitMovieIsQueuedOnlyWhileTheWorldsCounterIs0) {
    Player().SetDefaults();
    Player().IncCounter(13);
    VehicleSelect_Activity* garage = Garage();
    FlushLines();
    garage->GetGoButton()->OnButtonUp();
    EXPECT_EQ(manager->QueuedOverlays(), 0);
}

TEST_F(GarageTest, DataWithoutDrivePropsOrWithOnePictureVariantStillReachesTheTown) {
    for (const uint16_t entry : {kNoDriveProps, kOnePicture}) {
        Player().SetDefaults();
        Player().IncCounter(13);
        VehicleSelect_Activity* garage = Garage(entry);
        garage->SetPictureVariant(1);
        FlushLines();
        EXPECT_NE(garage->GetWorldPicture(0), nullptr);
        EXPECT_LT(DriveOut(garage), VehicleSelect_Activity::kLeaveTimeoutMs + 1500 + 100) << entry;
        EXPECT_EQ(manager->GetCurrentId(), MakeChunkId(1, kTown)) << entry;
    }
}

} // namespace
} // namespace vqt::test
