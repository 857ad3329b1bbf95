// Activity switches read from a part file: factories, the phases of both variants, overlays, and
// the refusals of bad activity data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/media/Application.h"
#include "engine/core/Activity.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/ClassFactory.h"
#include "engine/core/CurrentActivity.h"
#include "engine/core/Interstitial.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "tests/support/SoundFixture.h"
#include "tests/engine/core/StageFixture.h"

namespace vqt::test {
namespace {

std::vector<std::string> g_log;

/// A game activity (class 200) whose consent and acceptance the test sets.
class GameActivity : public OActivity {
public:
    GameActivity() : OActivity("game", 200) {}
    ~GameActivity() override { g_log.push_back("~game"); }
    bool IsA(uint32_t id) const override { return id == 200 || OActivity::IsA(id); }
    bool MayLeave() override {
        ++leaveAsks;
        return mayLeave;
    }
    bool AcceptObject(OView* object) override { return object->GetObjectId() != refusedId; }
    int32_t OnActivated() override {
        g_log.push_back("activated");
        return 1;
    }
    int32_t OnObjectDeleted(OObject* object) override {
        g_log.push_back("deleting " + std::to_string(object->GetObjectId()));
        return 1;
    }
    bool mayLeave = true;
    int leaveAsks = 0;
    uint32_t refusedId = 0xFFFFFFFF;
};

class GameProp : public OActivityProp {
public:
    GameProp() : OActivityProp("gameprop", 1200) {}
    ~GameProp() override { g_log.push_back("~gameprop " + std::to_string(GetObjectId())); }
};

/// The game's factory: activities of class 200, props of class 1200; null for the rest.
class GameFactory : public CFactory {
public:
    explicit GameFactory(const char* name) : name_(name) {}
    ~GameFactory() override { g_log.push_back(std::string("~factory ") + name_); }
    OActivity* CreateActivity(uint32_t id) override { return id == 200 ? new GameActivity : nullptr; }
    OView* CreateActivityProp(uint32_t id) override {
        asked.push_back(id);
        return id == 1200 ? new GameProp : nullptr;
    }
    int32_t Reset() override { return 0; }
    bool IsSupported(uint32_t id) override { return id == 200; }
    std::vector<uint32_t> asked;

private:
    const char* name_;
};

/// An overlay that is done when the test says so.
class HeldOverlay : public OInterstitial {
public:
    int32_t OnIdle() override { return 1; }
    int32_t MayFinish() override { return 1; }
    void Finish() { SetDone(true); }
};

constexpr uint32_t kTiledId = ChunkIdOf(1, 26);
constexpr uint32_t kSecondId = ChunkIdOf(1, 27);

ObjectPlan PropAt(uint32_t classId, uint32_t objectId, int16_t x, int16_t y) {
    ObjectPlan o{.classId = classId, .objectId = objectId};
    o.properties.Pair(50, 1, x, y).Pair(50, 2, 16, 16);
    return o;
}

class ActivityManagerTest : public StageTest {
protected:
    void SetUp() override {
        StageTest::SetUp();
        g_log.clear();
    }
    /// Index 1 "actv", 2 "fram", 3 "cpal": a tiled activity {1, 0, 26} of 10 x 8 tiles of 32 x
    /// 32 over a BMP tile sheet with a palette, holding a prop, a record of an unknown class
    /// with properties, and a second prop; a plain activity {1, 0, 27} of class `secondClass`.
    ChunkFileBuilder Parts(uint32_t secondClass = 53, std::vector<ObjectPlan> secondObjects = {}) {
        ChunkFileBuilder b;
        const uint8_t actv = b.AddIndex("actv", 8, 40);
        const uint8_t fram = b.AddIndex("fram", 8, 4);
        const uint8_t cpal = b.AddIndex("cpal", 8, 4);
        std::vector<uint32_t> colours{0};
        for (int t = 0; t < 80; ++t) colours.push_back(uint32_t(t * 3) | (uint32_t(255 - t * 3) << 8));
        const uint32_t sheet =
            b.AddChunk(fram, BmpFile(TileSheet(32, 32, 10, 8, colours)), {.entry = 1, .property = FrameProperty(1)});
        const uint32_t palette = b.AddChunk(cpal, PaletteData(colours), {.entry = 1});
        std::vector<uint16_t> tiles(80);
        for (uint16_t i = 0; i < 80; ++i) tiles[i] = uint16_t((i * 7) % 80);
        ObjectPlan unknown{.classId = 999, .objectId = 8};
        unknown.properties.Short(50, 3, 2);
        ActivityPlan tiled{.classId = 53,
                           .objectId = 31,
                           .backgroundId = sheet,
                           .paletteId = palette,
                           .properties = TiledActivityProps(10, 8, 32, 32, tiles),
                           .objects = {PropAt(54, 7, 40, 40), unknown, PropAt(54, 9, 100, 60)}};
        b.AddChunk(actv, ActivityData(tiled), {.entry = 26, .name = "Tiled Town"});
        ActivityPlan second{.classId = secondClass, .objectId = 32, .objects = std::move(secondObjects)};
        second.properties.Pair(50, 1, 320, 240).Pair(50, 2, 640, 480);
        b.AddChunk(actv, ActivityData(second), {.entry = 27, .name = "Second"});
        return b;
    }
    int Step(int frames = 1) {
        Frames(frames);
        return GetActivityManager()->GetPhase();
    }
    /// Runs frames until the switch is over (at most 20).
    void Finish() {
        for (int i = 0; i < 20 && GetActivityManager()->IsSwitchPending(); ++i) Frames(1);
        ASSERT_FALSE(GetActivityManager()->IsSwitchPending());
    }
    std::vector<uint32_t> ChildIds(OActivity* activity) {
        std::vector<uint32_t> ids;
        for (int32_t i = 0; i < activity->ChildCount(); ++i) ids.push_back(activity->ChildAt(i)->GetObjectId());
        return ids;
    }
};

TEST_F(ActivityManagerTest, UnloadFirstLoadsAttachesSwapsAndSetsThePaletteOverThreeFrames) {
    Open(Parts());
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    m.RequestActivity(kTiledId);
    EXPECT_EQ(m.GetPhase(), OActivityManager::kPhaseAskLeave);

    EXPECT_EQ(Step(), OActivityManager::kPhaseAttach);
    OActivity* pending = m.GetPendingActivity();
    ASSERT_NE(pending, nullptr);
    EXPECT_EQ(ChildIds(pending), (std::vector<uint32_t>{7, 9}));
    EXPECT_NE(traced().find("no factory makes objects of class 999"), std::string::npos);
    EXPECT_EQ(window->GetRootView(), nullptr);

    EXPECT_EQ(Step(), OActivityManager::kPhaseFinish);
    EXPECT_EQ(m.GetCurrentActivity(), pending);
    EXPECT_EQ(window->GetRootView(), pending);
    EXPECT_EQ(xActivity_GetCurrentView(), pending);
    EXPECT_EQ(m.GetCurrentId(), kTiledId);
    EXPECT_STREQ(pending->GetName(), "Tiled Town");
    ASSERT_NE(pending->GetBackgroundSurface(), nullptr);

    EXPECT_EQ(Step(), OActivityManager::kPhaseIdle);
    EXPECT_FALSE(m.IsSwitchPending());
    EXPECT_EQ(window->GetPalette().GetEntry(5), uint32_t(12) | (uint32_t(243) << 8));

    // The next switch reuses the background surface and records the previous id.
    CDrawSurface* surface = pending->GetBackgroundSurface();
    m.RequestActivity(kSecondId);
    Step(3);
    EXPECT_EQ(m.GetPreviousId(), kTiledId);
    EXPECT_EQ(m.GetCurrentId(), kSecondId);
    EXPECT_EQ(m.GetCurrentActivity()->GetBackgroundSurface(), surface);
    EXPECT_EQ(window->ChildCount(), 4); // the two diagnostic panels, the default overlay and the activity
}

TEST_F(ActivityManagerTest, UnderDirectDrawTheBackgroundIsAnOffscreenSurfaceOfTheDisplay) {
    Open(Parts());
    xProfiles_Values().directDraw = 1;
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    m.RequestActivity(kTiledId);
    Step();
    ASSERT_NE(m.GetPendingActivity(), nullptr);
    ASSERT_NE(m.GetPendingActivity()->GetBackgroundSurface(), nullptr);
    EXPECT_EQ(m.GetPendingActivity()->GetBackgroundSurface()->GetSurfaceKind(), kSurfaceDDrawOffscreen);
}

TEST_F(ActivityManagerTest, LoadFirstAttachesOneRecordPerFrameWhileTheOldActivityStays) {
    Open(Parts(53, {PropAt(54, 1, 10, 10), PropAt(54, 2, 20, 20), PropAt(54, 3, 30, 30)}));
    OActivityManager& m = Manager(OActivityManager::kLoadFirst);
    m.RequestActivity(kTiledId);
    Finish();
    OActivity* first = m.GetCurrentActivity();
    ASSERT_NE(first, nullptr);

    m.RequestActivity(kSecondId);
    EXPECT_EQ(Step(), OActivityManager::kPhaseLoad);
    EXPECT_EQ(Step(), OActivityManager::kPhaseAttach);
    OActivity* next = m.GetPendingActivity();
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->GetBackgroundSurface() != nullptr && first->GetBackgroundSurface() == nullptr);
    EXPECT_TRUE(!first->IsVisible() && first->IsSuspended() && first->GetParent() == window);
    for (uint32_t n = 1; n <= 3; ++n) {
        EXPECT_EQ(Step(), n < 3 ? OActivityManager::kPhaseAttach : OActivityManager::kPhaseSwapIn);
        EXPECT_EQ(next->ChildCount(), int32_t(n));
    }
    EXPECT_EQ(Step(), OActivityManager::kPhaseFinish);
    EXPECT_EQ(m.GetCurrentActivity(), next);
    EXPECT_EQ(Step(), OActivityManager::kPhaseIdle);
}

TEST_F(ActivityManagerTest, ARefusingActivityHoldsTheSwitchAndASecondRequestIsRefused) {
    Open(Parts(200));
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    auto* factory = new GameFactory("game");
    ASSERT_TRUE(m.AddFactory(factory));
    m.RequestActivity(kSecondId);
    Step(3);
    auto* game = static_cast<GameActivity*>(m.GetCurrentActivity());
    ASSERT_TRUE(game && game->IsA(200));
    game->mayLeave = false;

    m.RequestActivity(kTiledId);
    m.RequestActivity(kSecondId);
    EXPECT_NE(traced().find("Activity Manager error: attempt made to interrupt activity switch\n"), std::string::npos);
    EXPECT_EQ(m.GetPendingId(), kTiledId);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Step(), OActivityManager::kPhaseAskLeave);
    EXPECT_EQ(game->leaveAsks, 5);
    EXPECT_EQ(window->GetRootView(), game);

    game->mayLeave = true;
    EXPECT_EQ(Step(), OActivityManager::kPhaseAttach);
    EXPECT_EQ(g_log, (std::vector<std::string>{"activated", "~game"}));
}

TEST_F(ActivityManagerTest, AQueuedOverlayHoldsTheSwapUntilItIsDone) {
    Open(Parts());
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    auto* overlay = new HeldOverlay;
    EXPECT_EQ(m.AddOverlay(overlay), 1);
    EXPECT_TRUE(overlay->IsSuspended());
    m.RequestActivity(kTiledId);
    Step();
    EXPECT_EQ(m.GetCurrentOverlay(), overlay);
    // Unloading first, the overlay starts before anything is loaded: it draws on the stage.
    EXPECT_EQ(overlay->GetTarget(), window->GetDisplaySurface());
    EXPECT_EQ(Step(3), OActivityManager::kPhaseAttach);
    overlay->Finish();
    EXPECT_EQ(Step(), OActivityManager::kPhaseFinish);
    EXPECT_EQ(m.GetCurrentOverlay(), nullptr);
    EXPECT_EQ(m.GetCurrentActivity()->GetObjectId(), 31u);
}

TEST_F(ActivityManagerTest, AReplacedMainWindowTakesItsActivityAndOverlaysAlongAndTheManagerForgetsThem) {
    Open(Parts());
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    m.RequestActivity(kTiledId);
    Finish();
    struct CountedOverlay : HeldOverlay {
        ~CountedOverlay() override { ++*deleted; }
        int* deleted = nullptr;
    };
    int deleted = 0;
    auto* overlay = new CountedOverlay;
    overlay->deleted = &deleted;
    m.AddOverlay(overlay);
    ASSERT_EQ(m.GetCurrentActivity()->GetParent(), window);

    auto next = std::make_unique<OWindow>();
    next->SetDisplaySurface(new CDIBSurface);
    ASSERT_TRUE(next->Create(CRect16(0, 0, 640, 480), false, 0));
    window = next.get();
    OVQEngine::Instance()->SetMainWindow(std::move(next)); // the old window goes with its children
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(m.GetCurrentActivity(), nullptr);
    EXPECT_EQ(m.GetDefaultOverlay(), nullptr);
    EXPECT_EQ(m.QueuedOverlays(), 0);
    EXPECT_EQ(xActivity_GetCurrentView(), nullptr);
    EXPECT_TRUE(DestroyActivityManager());
    EXPECT_EQ(deleted, 1) << "deleted once, by the tree";
}

TEST_F(ActivityManagerTest, LeavingEmptiesTheSoundQueuesAndHidesTheSystemCursorUntilTheSwap) {
    Open(Parts());
    struct SoundApp : OApplication {
        OSoundProcess* GetSoundProcess() override { return sound; }
        OSoundProcess* sound = nullptr;
    } app;
    auto* sound = new OSoundProcess;
    window->AddChild(sound);
    app.sound = sound;
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    m.RequestActivity(kTiledId);
    Finish();
    sound->Queue(nullptr, 5, 1);
    EXPECT_EQ(input().CursorCount(), 0);

    m.RequestActivity(kSecondId);
    Step();
    EXPECT_EQ(sound->GetQueueLength(5), 0);
    EXPECT_EQ(input().CursorCount(), -1);
    Step();
    EXPECT_EQ(input().CursorCount(), 0);

    // Without the flag (the game shows the system cursor) the cursor is left alone.
    app.systemCursorFlag = 0;
    m.RequestActivity(kTiledId);
    Step();
    EXPECT_EQ(input().CursorCount(), 0);
    Finish();

    // Destroying the manager stops every channel.
    ASSERT_EQ(xSound_Startup(4, 0, 0), 0);
    xSnippet* tone = NewRawSnippet(Bytes(200, 1), 16, 1, kSnippetLoop);
    xSound_PlaySnippet(tone, xSound_GetChannel(2));
    ASSERT_TRUE(xSound_IsPlaying(xSound_GetChannel(2)));
    DestroyActivityManager();
    EXPECT_FALSE(xSound_IsPlaying(xSound_GetChannel(2)));
    xSound_ReleaseSnippet(&tone);
}

TEST_F(ActivityManagerTest, TheGameFactoryIsAskedFirstAndTheEngineFactoryMakesWhatItRefuses) {
    Open(Parts(200, {PropAt(1200, 1, 10, 10), PropAt(54, 2, 20, 20), PropAt(74, 3, 30, 30)}));
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    auto* first = new GameFactory("first");
    auto* second = new GameFactory("second");
    EXPECT_FALSE(m.AddFactory(nullptr));
    EXPECT_TRUE(m.AddFactory(first));
    EXPECT_FALSE(m.AddFactory(first));
    EXPECT_TRUE(m.AddFactory(second));
    EXPECT_EQ(m.FindFactory(999), nullptr);

    m.RequestActivity(kSecondId);
    Step(3);
    OActivity* game = m.GetCurrentActivity();
    ASSERT_TRUE(game && game->IsA(200));
    EXPECT_EQ(m.GetCurrentFactory(), first);
    EXPECT_EQ(first->asked, (std::vector<uint32_t>{1200, 54, 74}));
    EXPECT_TRUE(second->asked.empty());
    ASSERT_EQ(game->ChildCount(), 3);
    EXPECT_EQ(game->ChildAt(0)->GetClassId(), 1200u);
    EXPECT_EQ(game->ChildAt(1)->GetClassId(), 54u); // the engine's plain prop
    EXPECT_EQ(game->ChildAt(2)->GetClassId(), 74u); // and its caption view

    g_log.clear();
    DestroyActivityManager();
    EXPECT_EQ(g_log, (std::vector<std::string>{"~game", "~gameprop 1", "~factory second", "~factory first"}));
}

TEST_F(ActivityManagerTest, RefusedObjectsAreDeletedAtOnceAndReleasedOnesAnnounced) {
    Open(Parts(200, {PropAt(1200, 1, 10, 10), PropAt(1200, 2, 20, 20)}));
    OActivityManager& m = Manager(OActivityManager::kLoadFirst);
    m.AddFactory(new GameFactory("game"));
    m.RequestActivity(kSecondId);
    Step(2);
    auto* loading = static_cast<GameActivity*>(m.GetPendingActivity());
    ASSERT_NE(loading, nullptr);
    loading->refusedId = 1;
    g_log.clear();
    Step();
    EXPECT_EQ(g_log, (std::vector<std::string>{"~gameprop 1"}));
    EXPECT_EQ(loading->ChildCount(), 0);
    Step();
    EXPECT_EQ(ChildIds(loading), (std::vector<uint32_t>{2}));

    // Once current, the activity hears of each released object before the flush deletes it.
    Finish();
    g_log.clear();
    static_cast<OObject*>(loading->ChildAt(0))->Release();
    Frames(32);
    EXPECT_EQ(g_log, (std::vector<std::string>{"deleting 2", "~gameprop 2"}));
    EXPECT_EQ(loading->ChildCount(), 0);
}

TEST_F(ActivityManagerTest, AMissingChunkIsShownAndTheRequestDropped) {
    Open(Parts());
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    m.RequestActivity(ChunkIdOf(1, 99));
    ASSERT_EQ(dialogs().Boxes().size(), 1u);
    EXPECT_EQ(dialogs().Boxes()[0].text, "VQT : Missing Activity {1, 0, 99}");
    EXPECT_FALSE(m.IsSwitchPending());

    // The check asks the manager's own part file: without one every id is missing.
    OActivityManager noFile;
    noFile.RequestActivity(kTiledId);
    EXPECT_EQ(dialogs().Boxes().size(), 2u);
}

TEST_F(ActivityManagerTest, AnActivityNoFactoryMakesAndTheNullIdEndTheRunAtTheSwap) {
    Open(Parts(777));
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    m.RequestActivity(kTiledId);
    Step(3);
    ASSERT_NE(m.GetCurrentActivity(), nullptr);
    CDrawSurface* old = m.GetCurrentActivity()->GetBackgroundSurface();
    ASSERT_NE(old, nullptr);

    m.RequestActivity(kSecondId);
    Step();
    EXPECT_NE(traced().find("Failed to retrieve a factory for the specified activity\n"), std::string::npos);
    EXPECT_EQ(m.GetCurrentActivity(), nullptr);
    EXPECT_FALSE(IsQuitRequested());
    Step();
    EXPECT_TRUE(IsQuitRequested());

    // The null id skips the check for a chunk and ends the run the same way.
    CFrameState::Get().quit = false;
    m.RequestActivity(kTiledId);
    Finish();
    m.RequestActivity(kNullChunkId);
    EXPECT_TRUE(dialogs().Boxes().empty());
    Step();
    EXPECT_EQ(m.GetCurrentActivity(), nullptr);
    EXPECT_FALSE(IsQuitRequested());
    Step();
    EXPECT_TRUE(IsQuitRequested());
}

TEST_F(ActivityManagerTest, AFailedLoadGivesTheBackgroundBackInsteadOfDeletingItTwice) {
    // Unload first: the old surface handed to the failed activity is deleted once (ASan checks).
    ActivityPlan broken{.classId = 53, .storedPropertyBytes = 5000};
    ChunkFileBuilder b = Parts();
    b.AddChunk(1, ActivityData(broken), {.entry = 28, .name = "Broken"});
    Open(b);
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    m.RequestActivity(kTiledId);
    Step(3);
    m.RequestActivity(ChunkIdOf(1, 28));
    Step();
    EXPECT_NE(traced().find("Failed to load Activity data\n"), std::string::npos);
    EXPECT_EQ(m.GetPendingActivity(), nullptr);
    Frames(40); // the deferred deletion of the failed activity runs

    // Load first: the current activity gets its surface back.
    CFrameState::Get().quit = false;
    DestroyActivityManager();
    OActivityManager& lf = Manager(OActivityManager::kLoadFirst);
    lf.RequestActivity(kTiledId);
    Finish();
    OActivity* current = lf.GetCurrentActivity();
    ASSERT_NE(current, nullptr);
    CDrawSurface* surface = current->GetBackgroundSurface();
    lf.RequestActivity(ChunkIdOf(1, 28));
    Step(2);
    EXPECT_EQ(current->GetBackgroundSurface(), surface);
    Frames(40);
}

TEST_F(ActivityManagerTest, AFailedLoadTellsItsOwnCauseNotAnEarlierReadsDamage) {
    // {1, 0, 28} is whole but its properties run past its data; {1, 0, 29} lies outside the file.
    ChunkFileBuilder b = Parts();
    b.AddChunk(1, ActivityData(ActivityPlan{.classId = 53, .storedPropertyBytes = 5000}), {.entry = 28});
    b.AddChunk(1, ActivityData(ActivityPlan{.classId = 53}), {.entry = 29, .storedOffset = 0x7FFFFF00});
    CPartFile* parts = Open(b);
    const std::string from = " from \"" + parts->GetName() + "\"";
    const std::string outside = " (chunk ID(1,29) lies outside its file)";
    struct Case {
        const char* name;
        uint16_t readBefore; ///< the entry read before the load (0: none)
        uint16_t loaded;
        std::string told;
    };
    const Case cases[] = {
        {"an earlier read's damage, then a load that meets none", 29, 28,
         "The game's data is damaged: activity {1, 0, 28} cannot be loaded" + from + ". The game ends."},
        {"a chunk missing from the file", 29, 99,
         "The game's data is incomplete: activity {1, 0, 99} is missing" + from + ". The game ends."},
        {"a chunk lying outside the file", 0, 29,
         "The game's data is damaged: activity {1, 0, 29} cannot be loaded" + from + outside + ". The game ends."},
        {"the same damage met again by the load", 29, 29,
         "The game's data is damaged: activity {1, 0, 29} cannot be loaded" + from + outside + ". The game ends."},
    };
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.readBefore) {
            EXPECT_EQ(parts->GetChunk(ChunkIdOf(1, c.readBefore)), nullptr);
        }
        const ChunkId id = ChunkIdOf(1, c.loaded);
        EXPECT_FALSE(m.LoadActivity(parts, &id));
        EXPECT_EQ(m.GetLoadFailure(), c.told);
    }
}

TEST_F(ActivityManagerTest, RecordsThatRunPastTheDataStopTheAttachingAndSkippedRecordsConsumeTheirProperties) {
    ObjectPlan skipped{.classId = 0, .objectId = 1};
    skipped.properties.Pair(50, 1, 5, 5).Pair(50, 2, 4, 4); // 40 bytes a reader must step over
    ObjectPlan unknown = PropAt(555, 2, 1, 1);
    ObjectPlan tooLong = PropAt(54, 4, 1, 1); // the last record: claims 4 bytes past the chunk's end
    tooLong.storedPropertyBytes = int64_t(tooLong.properties.size()) + 4;
    Open(Parts(53, {skipped, unknown, PropAt(54, 3, 50, 50), PropAt(54, 5, 1, 1), tooLong}));
    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    m.RequestActivity(kSecondId);
    Step();
    OActivity* pending = m.GetPendingActivity();
    ASSERT_NE(pending, nullptr);
    EXPECT_EQ(ChildIds(pending), (std::vector<uint32_t>{3, 5}));
    EXPECT_EQ(static_cast<OView*>(pending->ChildAt(0))->GetPosition(), CPointF(50, 50));
    EXPECT_NE(traced().find("44 bytes of properties of the object record at"), std::string::npos);
    Step(2);
    EXPECT_EQ(m.GetCurrentActivity(), pending);

    // A chunk whose last record is cut short.
    ChunkFileBuilder b;
    const uint8_t actv = b.AddIndex("actv", 8, 2);
    Bytes data = ActivityData({.objects = {PropAt(54, 1, 1, 1)}});
    data.resize(data.size() + 20, 0);
    b.AddChunk(actv, data, {.entry = 1});
    DestroyActivityManager();
    Open(b);
    Manager(OActivityManager::kUnloadFirst).RequestActivity(ChunkIdOf(1, 1));
    Step();
    EXPECT_NE(traced().find("runs past the activity data"), std::string::npos);
    EXPECT_EQ(GetActivityManager()->GetPendingActivity()->ChildCount(), 1);
}

} // namespace
} // namespace vqt::test
