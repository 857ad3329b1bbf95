#pragma once
// The game activity on a stage with the game object (eleven sound pipes), the activity manager
// and the game factory, over the generated game data and a few screens and parts of its own.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/GameShellState.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVFactory.h"
#include "tests/engine/core/StageFixture.h"
#include "tests/game/shell/GeneratedScreens.h"
#include "tools/synthetic/ScreenButtons.h"


namespace vqt::test {

constexpr uint32_t kFrameMs = 16;
constexpr uint16_t kTimedScreen = 3;  // object id 4: leads to the sign-in screen {1, 0, 4}
constexpr uint16_t kPlainScreen = 60; // object id 0
constexpr uint16_t kStayingScreen = 9; // object id 999
constexpr uint16_t kDataScreen = 10;  // object id 0, with props and family-200 properties
constexpr uint16_t kQuietScreen = 11; // object id 0, start panel mode 0: no host, no counters
/// The stage points of the pause menu's quit button and of the questions' yes button.
constexpr int16_t kMenuQuitX = 430, kMenuQuitY = 375;
constexpr int16_t kYesX = 430, kYesY = 340;

/// A button's part: up, down and hover states of two frames each (0.2 s), the down state with
/// the sound {7, 0, 189}, the hover state with {7, 0, 190}.
constexpr uint16_t kButtonPart = 3100;
inline PartPlan ButtonPart() {
    PartPlan part;
    for (const uint16_t sound : {0, 189, 190}) {
        const FramePlan frame{.picture = Picture(20, 20, 1), .hotX = 10, .hotY = 10};
        part.states.push_back(StatePlan{.frames = {frame, frame}, .soundId = sound ? MakeChunkId(7, sound) : 0});
    }
    return part;
}

/// The game activity, telling which watched keys were released, which steps ran and what its
/// buttons and panels reported; it lets navigation buttons go unless told not to.
class ProbeActivity : public CTLVActivity {
public:
    void OnKey(uint32_t key) override {
        keys.push_back(key);
        CTLVActivity::OnKey(key);
    }
    void OnStep(int32_t index) override { steps.push_back(index); }
    bool MayNavigate(uint16_t target) override {
        asked.push_back(target);
        return mayNavigate;
    }
    void OnButtonHover(uint32_t objectId) override { hovers.push_back(objectId); }
    void OnButtonPress(uint32_t objectId) override { presses.push_back(objectId); }
    void OnPanelDismissed(int16_t panel) override { dismissed.push_back(panel); }
    void StartGameMusic() override { ++musicStarts; }
    /// A start panel of its own in its slot, as a game builds one.
    void AdoptStartPanel() {
        AdoptPanel(kPanelStart, new ButtonPanel_Prop(MakeChunkId(2, kButtonPart), uint16_t(kPanelStart), 30500));
    }
    std::vector<uint32_t> keys;
    std::vector<int32_t> steps;
    std::vector<uint16_t> asked;
    bool mayNavigate = true;
    std::vector<uint32_t> hovers;
    std::vector<uint32_t> presses;
    std::vector<int16_t> dismissed;
    int musicStarts = 0;
};

/// A part whose sound value (its first part byte) is `value`.
inline PartPlan SoundValuePart(uint8_t value) {
    PartPlan part;
    part.bytes[0] = value;
    part.states = {StatePlan{.frames = {FramePlan{.picture = Picture(8, 8, 1)}}}};
    return part;
}

class GameActivityFixture : public StageTest {
protected:
    void SetUp() override {
        StageTest::SetUp();
        xProfiles_Set("NUMPIPES", sShort(11));
        ASSERT_EQ(xSound_Startup(11, 0, 0), 0); // before the pipes take their channels
        ASSERT_TRUE(xTLVFactory_Register({200, [] { return static_cast<OActivity*>(new ProbeActivity); }, nullptr}));

        GameData data = GeneratedScreens();
        auto screen = [&](uint16_t entry, uint32_t objectId, PropertyBytes properties = {}) {
            data.file.AddChunk(GameData::kActivities,
                               ActivityData({.classId = 200, .objectId = objectId, .properties = properties,
                                             .objects = {{.classId = 54, .objectId = 1}}}),
                               {.entry = entry});
        };
        screen(kStayingScreen, 999);
        screen(kQuietScreen, 0);
        data.file.AddChunk(GameData::kActivities,
                           ActivityData({.classId = 200,
                                         .properties = PropertyBytes()
                                                           .Raw(5, 200, 1, {7}, 1)
                                                           .Short(200, 2, 12)
                                                           .Short(200, 1, 2)
                                                           .Raw(5, 200, 1, {}, 0),
                                         .objects = {{.classId = 54, .objectId = 1},
                                                     {.classId = 76, .objectId = 1000},
                                                     {.classId = 76, .objectId = 0}}}),
                           {.entry = kDataScreen});
        for (uint16_t entry : {12, 13, 189, 190}) data.file.AddChunk(GameData::kSnippets, Tone(400), {.entry = entry});
        for (uint8_t value : {0, 1, 2}) data.parts.AddPart(SoundValuePart(value), uint16_t(3000 + value));
        data.parts.AddPart(ButtonPart(), kButtonPart);
        AddTestData(data);
        const std::string path = folder / "game.vqk";
        ASSERT_TRUE(data.file.WriteFile(path));

        ASSERT_TRUE(CTLVApp::Create());
        app = CTLVApp::Get();
        auto owned = std::make_unique<CPartFile>();
        CPartFile* partFile = owned.get();
        ASSERT_TRUE(partFile->Open(path.c_str(), 1));
        app->SetPartFile(std::move(owned));
        app->Init();
        ASSERT_TRUE(CreateActivityManager());
        manager = GetActivityManager();
        manager->Init(partFile);
        manager->SetVariant(OActivityManager::kUnloadFirst);
        factory = new CTLVFactory;
        manager->AddFactory(factory); // owned by the manager
    }
    void TearDown() override {
        DestroyActivityManager();
        CTLVApp::Destroy();
        StageTest::TearDown();
    }

    /// Screens and parts of a test of its own, added to the game data before it is written.
    virtual void AddTestData(GameData& /*data*/) {}
    /// Switches to {1, 0, entry} and answers it once it is current (a screen is left once its
    /// voice lines have been spoken); null when the screen is not a probe (a real game screen).
    ProbeActivity* Show(uint16_t entry) {
        SwitchTo(entry);
        return dynamic_cast<ProbeActivity*>(CurrentGameActivity());
    }
    /// Switches to {1, 0, entry}, a switch still pending finished first.
    void SwitchTo(uint16_t entry) {
        for (int i = 0; i < 10 && manager->IsSwitchPending(); ++i) Frames(1, kFrameMs);
        manager->RequestActivity(MakeChunkId(1, entry));
        for (int i = 0; i < 400 && manager->IsSwitchPending(); ++i) Frames(1, kFrameMs);
        EXPECT_EQ(manager->GetCurrentId(), MakeChunkId(1, entry));
    }
    /// Presses and releases a key (with a modifier held around it), a frame each.
    void Type(uint32_t key, uint32_t modifier = 0) {
        if (modifier) input().SetKeyDown(int32_t(modifier), true);
        input().SetKeyDown(int32_t(key), true);
        Frames(1, kFrameMs);
        input().SetKeyDown(int32_t(key), false);
        Frames(1, kFrameMs);
        if (modifier) input().SetKeyDown(int32_t(modifier), false);
        Frames(1, kFrameMs);
    }
    /// A click on a point of the stage, such as a generated screen's button.
    void Click(StagePoint at) { Click(int16_t(at.x), int16_t(at.y)); }
    /// A press and release of the left button at a stage point.
    void Click(int16_t x, int16_t y) {
        for (uint32_t type : {kEvButtonDown, kEvButtonUp}) {
            xEvent event;
            event.category = kEventMouse;
            event.type = type;
            event.cursor = CPoint16(x, y);
            DispatchAppEvent(&event, 0);
        }
    }
    /// Frames until the current activity changes (at most `limitMs`); the time it took.
    uint32_t MsUntilSwitch(uint32_t limitMs) {
        const ChunkId shown = manager->GetCurrentId();
        const uint32_t start = clock().TickCount();
        while (manager->GetCurrentId() == shown && clock().TickCount() - start < limitMs) Frames(1, kFrameMs);
        return clock().TickCount() - start;
    }
    SoundChannel* Pipe(uint32_t pipe) { return app->GetSoundProcess()->GetChannel(pipe); }
    void PlayOnPipe2() { app->GetSoundProcess()->Play(app->FindSnippet(CTLVApp::kGameSnippets[1]), 2, 1, 0); }

    CTLVApp* app = nullptr;
    OActivityManager* manager = nullptr;
    CTLVFactory* factory = nullptr;
};

} // namespace vqt::test
