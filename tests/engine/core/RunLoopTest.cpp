#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/ActivityHooks.h"
#include "tests/engine/core/RunLoopFixture.h"
#include "tests/support/Golden.h"

namespace {

using vqt::test::kAppWindow;
using vqt::test::LogProcess;

/// The main window of these tests: logs every event it is handed with the frame it came in.
class RecordingRoot : public OProcess {
public:
    RecordingRoot() : OProcess("root", kClassId) {}
    int32_t OnIdle() override {
        ++idles;
        return 1;
    }
    int32_t HandleEvent(const xEvent& e) override {
        char line[160];
        std::snprintf(line, sizeof line, "frame %3d: %u/%u p1=%lu cursor=(%d,%d) time=%u\n", frame,
                      unsigned(e.category), unsigned(e.type), static_cast<unsigned long>(e.param1),
                      int(e.cursor.x), int(e.cursor.y), unsigned(e.time));
        log += line;
        events.push_back(e);
        return OProcess::HandleEvent(e);
    }
    int frame = 0;
    int idles = 0;
    std::string log;
    std::vector<xEvent> events;
};

/// Queues a burst of events from its OnIdle in one chosen frame, as a game activity that
/// makes synthetic input does.
class BurstProcess : public OProcess {
public:
    explicit BurstProcess(const RecordingRoot& root) : OProcess("burst", kClassId), root_(root) {}
    int32_t OnIdle() override {
        if (root_.frame != 70) return 1;
        xEvent move;
        move.category = kEventMouse;
        move.type = kEvMouseMove;
        move.cursor = CPoint16(1, 1);
        CreateEvent(move);
        move.cursor = CPoint16(2, 2); // waits behind the first one: dropped
        CreateEvent(move);
        for (uint32_t i = 1; i <= 32; ++i) { // the 32nd overflows the ring
            xEvent key;
            key.category = kEventKeyboard;
            key.type = kEvKeyDown;
            key.param1 = i;
            CreateEvent(key);
        }
        return 1;
    }

private:
    const RecordingRoot& root_;
};

class RunLoopTest : public vqt::test::RunLoopTest {
protected:
    void SetUp() override {
        vqt::test::RunLoopTest::SetUp();
        xPlatform_SetMainWindow(&root, kAppWindow, nullptr);
    }
    void TearDown() override {
        xPlatform_SetMainWindow(nullptr, 0, nullptr);
        vqt::test::RunLoopTest::TearDown();
    }
    void Load(const char* script) { ASSERT_TRUE(messages().LoadScript(script, kAppWindow)); }
    /// Runs frames as Frames() does, numbering them for the root's log.
    void Run(int n) {
        for (int i = 0; i < n; ++i) {
            ++root.frame;
            clock().Advance(10);
            FrameTick(0);
        }
    }
    RecordingRoot root;
};

TEST_F(RunLoopTest, ScriptedInputGivesTheGoldenEventLog) {
    auto* burst = new BurstProcess(root);
    burst->SetEventMask(kEventApplication);
    root.AddChild(burst);
    Load("# time msg wParam lParam x y\n"
         "5   WM_MOUSEMOVE   0 0 100 100\n"   // first move of the run: silent
         "15  WM_MOUSEMOVE   0 0 110 105\n"
         "25  WM_MOUSEMOVE   0 0 110 105\n"   // unmoved: silent
         "35  WM_LBUTTONDOWN 1 0 110 105\n"
         "185 WM_LBUTTONUP   0 0 110 105\n"   // 150 ms later: click now, button up next frame
         "300 WM_LBUTTONDOWN 1 0 120 105\n"
         "550 WM_LBUTTONUP   0 0 120 105\n"   // 250 ms later: button up only
         "600 WM_KEYDOWN     0x41 0x1E0001 0 0\n"
         "600 WM_CHAR        0x61 0x1E0001 0 0\n"
         "600 WM_CHAR        13 0x1C0001 0 0\n" // below 32: no character event
         "600 WM_KEYUP       0x41 0xC01E0001 0 0\n"
         "710 WM_MOUSEMOVE   0 0 120 110\n"); // waits until the burst has drained
    std::string log;
    for (int i = 0; i < 105; ++i) {
        const size_t tracedBefore = traced().size();
        Run(1);
        log += root.log;
        root.log.clear();
        if (traced().size() > tracedBefore)
            log += "frame " + std::to_string(root.frame) + " trace: " + traced().substr(tracedBefore);
    }
    vqt::test::ExpectMatchesGolden("engine/core/run_loop_events.txt", log);
    EXPECT_EQ(TraceCount("Exceeded event queue maximum\n"), 1);
    EXPECT_EQ(messages().Pending(), 0u);
    EXPECT_EQ(root.idles, 105);
}

TEST_F(RunLoopTest, ClicksAndScriptedMessagesKeepTheirTimesAcrossTheClockWrap) {
    // The same input from a clock that wraps to 0 in its middle gives the same events in the
    // same frames: a quick press and release is a click, a slow one only a button up.
    auto run = [this](uint32_t start) {
        clock().Set(start);
        xPlatform_StartTimers();
        root.frame = 0;
        root.events.clear();
        Load("35 WM_LBUTTONDOWN 1 0 110 105\n185 WM_LBUTTONUP 0 0 110 105\n"
             "200 WM_LBUTTONDOWN 1 0 110 105\n220 WM_LBUTTONUP 0 0 110 105\n"
             "300 WM_LBUTTONDOWN 1 0 120 105\n550 WM_LBUTTONUP 0 0 120 105\n");
        std::string frames;
        for (int i = 0; i < 60; ++i) {
            Run(1);
            for (const xEvent& e : root.events) frames += std::to_string(root.frame) + ":" + std::to_string(e.type) + " ";
            root.events.clear();
        }
        return frames;
    };
    const std::string unwrapped = run(1000);
    const std::string click = ":" + std::to_string(kEvClick) + " ";
    size_t clicks = 0;
    for (size_t at = unwrapped.find(click); at != std::string::npos; at = unwrapped.find(click, at + 1)) ++clicks;
    EXPECT_EQ(clicks, 2u) << unwrapped;
    // The second click's time runs across the wrap, and the third press waits across it.
    EXPECT_EQ(run(0u - 250u), unwrapped);
}

/// Queues a synthetic mouse move on every eleventh OnIdle, at the pointer's client position,
/// as the track-turning puzzles do.
class SyntheticMoves : public OProcess {
public:
    SyntheticMoves() : OProcess("moves", kClassId) {}
    int32_t OnIdle() override {
        if (calls_++ >= 10) {
            calls_ = 0;
            xEvent move;
            move.category = kEventMouse;
            move.type = kEvMouseMove;
            const plat::WinPoint p = plat::input().ScreenToClient(kAppWindow, plat::input().CursorPos());
            move.cursor = CPoint16(int16_t(p.x), int16_t(p.y));
            CreateEvent(move);
        }
        return 1;
    }

private:
    int16_t calls_ = 0;
};

TEST_F(RunLoopTest, MoveQueuedFromAnIdleArrivesInTheNextFrame) {
    root.AddChild(new SyntheticMoves);
    input().SetCursorPos({300, 200});
    input().SetClientOrigin(kAppWindow, {100, 100});
    std::vector<int> frames;
    for (int i = 0; i < 25; ++i) {
        Run(1);
        if (!root.events.empty()) frames.push_back(root.frame);
        for (const xEvent& e : root.events) {
            EXPECT_EQ(e.type, kEvMouseMove);
            EXPECT_EQ(e.cursor, CPoint16(200, 100));
        }
        root.events.clear();
    }
    EXPECT_EQ(frames, (std::vector<int>{12, 23}));
}

TEST_F(RunLoopTest, AFrameTakesOneQueuedEventOrElseOneMessageAndOtherWindowsMessagesAreNotTranslated) {
    Load("0 WM_KEYDOWN 0x41 0 0 0\n0 WM_KEYDOWN 0x42 0 0 0\n");
    xEvent queued;
    queued.category = kEventKeyboard;
    queued.type = kEvKeyUp;
    CreateEvent(queued);
    Run(1);
    ASSERT_EQ(root.events.size(), 1u);
    EXPECT_EQ(root.events[0].type, kEvKeyUp);
    EXPECT_EQ(messages().Consumed().size(), 0u) << "a frame with a queued event pumps nothing";
    Run(1);
    EXPECT_EQ(messages().Consumed().size(), 1u);
    ASSERT_EQ(root.events.size(), 2u);
    EXPECT_EQ(root.events[1].param1, 0x41u);
    Run(1);
    EXPECT_EQ(messages().Consumed().size(), 2u);
    // Messages of other windows are pumped but not translated.
    plat::messages().SetWindowProc(2, vqt::test::MainTestProc);
    messages().Push({2, plat::WM_KEYDOWN, 0x41, 0, 1000, {}});
    Run(1);
    EXPECT_EQ(root.events.size(), 3u) << "the two keys of the script and the queued key";
    EXPECT_EQ(messages().Consumed().size(), 3u);
}

TEST_F(RunLoopTest, RightButtonNeedsItsSetting) {
    xProfiles_Set("ALLOWRIGHTCLICK", boolean(0));
    Load("0 WM_RBUTTONDOWN 2 0 5 5\n0 WM_RBUTTONUP 0 0 5 5\n0 WM_RBUTTONDBLCLK 0 0 5 5\n"
         "0 WM_MBUTTONDBLCLK 0 0 5 5\n");
    Run(5);
    ASSERT_EQ(root.events.size(), 1u);
    EXPECT_EQ(root.events[0].type, kEvDoubleClick) << "only the middle double click";
    xProfiles_Set("ALLOWRIGHTCLICK", boolean(1));
    Load("0 WM_RBUTTONDOWN 2 0 5 5\n0 WM_RBUTTONUP 0 0 5 5\n");
    Run(3);
    ASSERT_EQ(root.events.size(), 4u);
    EXPECT_EQ(root.events[1].type, kEvButtonDown);
    EXPECT_EQ(root.events[2].type, kEvClick);
    EXPECT_EQ(root.events[3].type, kEvButtonUp);
}

TEST_F(RunLoopTest, TemplateRecordTakesTheMessageTimeAndClientPoint) {
    input().SetClientOrigin(kAppWindow, {100, 50});
    Load("1000 WM_MOUSEMOVE 0 0 150 80\n1010 WM_MOUSEMOVE 0 0 160 90\n");
    Run(102);
    ASSERT_EQ(root.events.size(), 1u);
    EXPECT_EQ(root.events[0].cursor, CPoint16(60, 40));
    EXPECT_EQ(root.events[0].time, 2010u * 60u / 1000u);
    EXPECT_EQ(xPlatform_TemplateEvent().type, kEvNone);
}

TEST_F(RunLoopTest, KeyMessagesKeepTheKeyFlagsAndWindowsKeysMakeNoEvent) {
    Load("0 WM_KEYDOWN 17 0x1D0001 0 0\n"
         "0 WM_SYSKEYDOWN 18 0x380001 0 0\n"
         "0 WM_KEYDOWN 91 0x5B0001 0 0\n"
         "0 WM_KEYUP 91 0x5B0001 0 0\n"
         "0 WM_SYSKEYUP 18 0x380001 0 0\n"
         "0 WM_KEYUP 17 0x1D0001 0 0\n");
    Run(1);
    EXPECT_EQ(GetCtrlKeyDown(), 1u);
    ASSERT_EQ(root.events.size(), 1u) << "Ctrl still makes its key-down event";
    Run(3);
    EXPECT_EQ(GetAltKeyDown() + GetWinKeyDown(), 2u);
    EXPECT_EQ(root.events.size(), 1u) << "system keys and Windows keys make no event";
    Run(2);
    EXPECT_EQ(GetAltKeyDown() + GetCtrlKeyDown(), 0u);
    ASSERT_EQ(root.events.size(), 2u);
    EXPECT_EQ(root.events[1].type, kEvKeyUp);
}

/// A window link that answers as a full-screen window would and records what it is asked.
class FakeLink : public CMainWindowLink {
public:
    bool IsDisplayUnavailable() override { return unavailable; }
    bool IsMinimised() override { return minimised; }
    bool IsRestoreInProgress() override { return restoring; }
    void Minimise() override {
        calls += "minimise;";
        minimised = true;
    }
    int32_t RestoreDisplayMode() override {
        calls += "restore-mode;";
        return 0;
    }
    void ServiceWaitToRestoreDesktop() override { calls += "pre-pump;"; }
    void ServiceRestoreDeactivate() override { calls += "post-pump;"; }
    bool TakeUpdateRect(CRect16& rect) override {
        rect = update;
        return true;
    }
    void ValidateUpdateRect() override { calls += "validate;"; }
    bool unavailable = false;
    bool minimised = false;
    bool restoring = false;
    CRect16 update;
    std::string calls;
};

TEST_F(RunLoopTest, PaintMessageAddsTheUpdateRectangleAndMakesAPaintEvent) {
    FakeLink link;
    xPlatform_SetMainWindow(&root, kAppWindow, &link);
    link.update = CRect16(5, 5, 6, 6);
    Load("0 WM_PAINT 0 0 0 0\n");
    Run(1);
    ASSERT_EQ(root.events.size(), 1u);
    EXPECT_EQ(root.events[0].type, kEvPaint);
    ASSERT_EQ(CDirtyRects::Get().Count(), 1);
    EXPECT_EQ(CDirtyRects::Get().At(0), CRect16(4, 5, 8, 6));
    EXPECT_EQ(link.calls, "pre-pump;validate;post-pump;");
    // An empty update rectangle makes no event.
    link.update = CRect16();
    link.calls.clear();
    Load("0 WM_PAINT 0 0 0 0\n");
    Run(1);
    EXPECT_EQ(root.events.size(), 1u);
    EXPECT_EQ(link.calls, "pre-pump;post-pump;");
}

TEST_F(RunLoopTest, CtrlAltDeleteOnFullScreenRestoresTheDisplayMode) {
    FakeLink link;
    xPlatform_SetMainWindow(&root, kAppWindow, &link);
    xProfiles_Set("FULLSCREEN", sLong(1));
    xProfiles_Set("DIRECTDRAW", sLong(0));
    xProfiles_Set("CTRLALTDELENABLED", sLong(1));
    input().SetKeyDown(plat::VK_CONTROL, true);
    SetAltKeyDown(1);
    Load("0 WM_KEYUP 46 0x530001 0 0\n");
    Run(1);
    EXPECT_EQ(link.calls, "pre-pump;minimise;restore-mode;post-pump;");
    link.calls.clear();
    system().SetVersion({2, 5, 0, 2195}); // not XP: nothing happens
    Load("0 WM_KEYUP 46 0x530001 0 0\n");
    Run(1);
    EXPECT_EQ(link.calls, "pre-pump;post-pump;");
}

TEST_F(RunLoopTest, SystemCommandsAreBlockedOnlyInFullScreen) {
    FakeLink link;
    xPlatform_SetMainWindow(&root, kAppWindow, &link);
    auto handled = [](uintptr_t command) {
        xEvent e;
        intptr_t result = 0;
        return Win_TranslateMessage_Common(e, kAppWindow, plat::WM_SYSCOMMAND, command, 0, &result);
    };
    EXPECT_EQ(handled(plat::SC_KEYMENU), 0);
    EXPECT_EQ(handled(plat::SC_SCREENSAVE), 0);
    xProfiles_Set("FULLSCREEN", sLong(1));
    EXPECT_EQ(handled(plat::SC_KEYMENU | 5), 1);
    EXPECT_EQ(handled(plat::SC_SCREENSAVE), 1);
    EXPECT_EQ(TraceCount("Screen saver activation blocked\n"), 1);
    EXPECT_EQ(handled(plat::SC_MONITORPOWER), 0);
    EXPECT_EQ(TraceCount("Power management - monitor power down request detected\n"), 1);
    link.minimised = true;
    EXPECT_EQ(handled(plat::SC_MOUSEMENU), 0);
    EXPECT_EQ(handled(plat::SC_SCREENSAVE), 0);
    EXPECT_EQ(handled(plat::SC_KEYMENU), 1);
}

TEST_F(RunLoopTest, FramesPerSecondCountsTheTicksOfTheLastSecond) {
    Run(100); // 1000 ms at 10 ms a frame
    EXPECT_EQ(GetFramesPerSecond(), 0) << "not more than 1000 ms yet";
    Run(1);
    EXPECT_EQ(GetFramesPerSecond(), 100);
}

TEST_F(RunLoopTest, SleepsOfIdleSystemsAndSwitchedOutWindows) {
    const uint32_t start = clock().TickCount();
    FrameTick(0);
    EXPECT_EQ(clock().TickCount(), start) << "no message, nothing switched out: no sleep";
    xProfiles_Set("SYSTEMIDLE", sLong(1));
    FrameTick(0);
    EXPECT_EQ(clock().TickCount(), start + 1);
    xEvent suspend;
    suspend.category = kEventApplication;
    suspend.type = kEvAppSuspend;
    DispatchAppEvent(&suspend, 0);
    ASSERT_TRUE(root.IsAppSuspended());
    FrameTick(0);
    EXPECT_EQ(clock().TickCount(), start + 1 + 1 + 10 + 100) << "tick and pump sleeps";
}

class FakeActivities : public CActivityHooks {
public:
    bool IsSwitchPending() override { return pending; }
    void StepSwitch() override { ++steps; }
    void OnObjectDeleted(OObject*) override {}
    bool pending = false;
    int steps = 0;
};

TEST_F(RunLoopTest, SwitchStepRunsOnlyWhilePendingAndTheWindowIsEnabled) {
    FakeActivities activities;
    xPlatform_SetActivityHooks(&activities);
    Run(1);
    EXPECT_EQ(activities.steps, 0);
    activities.pending = true;
    Run(2);
    EXPECT_EQ(activities.steps, 2);
    root.SetEnabled(false);
    Run(1);
    EXPECT_EQ(activities.steps, 2);
    EXPECT_EQ(root.idles, 3) << "a disabled window is not walked either";
    root.SetEnabled(true);
    RequestQuit();
    Run(1);
    EXPECT_EQ(activities.steps, 2) << "a quit skips the switch step and the walk";
    EXPECT_EQ(root.idles, 3);
    xPlatform_SetActivityHooks(nullptr);
}

TEST_F(RunLoopTest, WithoutTheEngineATickOnlyCountsDeletions) {
    xPlatform_SetEngineExists(false);
    Load("0 WM_KEYDOWN 0x41 0 0 0\n");
    Run(3);
    EXPECT_EQ(root.idles, 0);
    EXPECT_EQ(messages().Consumed().size(), 0u);
    EXPECT_EQ(CFrameState::Get().deferredFlushCounter, 3);
}

/// Runs a nested tick from its OnIdle, as a modal box or a video loop does.
class NestingProcess : public OProcess {
public:
    NestingProcess() : OProcess("nesting", kClassId) {}
    int32_t OnIdle() override {
        ++calls;
        if (calls == 1) {
            FrameTick(0); // refused: a tick runs already
            FrameTick(1); // forced
            FrameTick(0); // still refused after the forced one ended
        }
        return 1;
    }
    int calls = 0;
};

TEST_F(RunLoopTest, ReentryGuardRefusesNestedTicksUnlessForced) {
    auto* nesting = new NestingProcess;
    root.AddChild(nesting);
    Run(1);
    EXPECT_EQ(nesting->calls, 2);
    EXPECT_EQ(root.idles, 2);
    EXPECT_FALSE(CFrameState::Get().inTick);
}

/// Polls one key at every idle, as the several readers of a key in a frame do, and writes what
/// it read, '1' down or '0' up, a character a frame.
class KeyReader : public OProcess {
public:
    explicit KeyReader(int32_t key) : OProcess("reader", kClassId), key_(key) {}
    int32_t OnIdle() override {
        reads += plat::input().AsyncKeyState(key_) < 0 ? '1' : '0';
        return 1;
    }
    std::string reads;

private:
    int32_t key_;
};

struct KeyTapCase {
    const char* name;
    /// The keyboard's messages, the keys moving at the messages' times.
    const char* script;
    int32_t key;
    /// What each reader reads, frame by frame.
    const char* reads;
};

constexpr KeyTapCase kKeyTaps[] = {
    {"an ESC let go at once is read down in the frame of its key-down only",
     "5 WM_KEYDOWN 27 0 0 0\n5 WM_KEYUP 27 0 0 0\n", 0x1B, "100"},
    {"a Space tap with its character between the key-down and the key-up",
     "5 WM_KEYDOWN 32 0 0 0\n5 WM_CHAR 32 0 0 0\n5 WM_KEYUP 32 0 0 0\n", 0x20, "1000"},
    {"a Ctrl tap is over before a later ESC comes",
     "5 WM_KEYDOWN 17 0 0 0\n5 WM_MOUSEMOVE 0 0 10 10\n5 WM_KEYUP 17 0 0 0\n"
     "35 WM_KEYDOWN 27 0 0 0\n35 WM_KEYUP 27 0 0 0\n", 0x11, "10000"},
    {"a key held over frames reads down until it is let go", "5 WM_KEYDOWN 27 0 0 0\n25 WM_KEYUP 27 0 0 0\n", 0x1B,
     "110"},
};

TEST_F(RunLoopTest, AKeyTapIsReadByEveryReaderOfTheKeyInTheFrameItArrivesAndByNoneAfter) {
    messages().SetKeysMoveAtTheirTime(true);
    for (const KeyTapCase& c : kKeyTaps) {
        SCOPED_TRACE(c.name);
        KeyReader first(c.key), second(c.key);
        root.AddChild(&first);
        root.AddChild(&second);
        Load(c.script);
        Run(int(std::strlen(c.reads)));
        EXPECT_EQ(first.reads, c.reads);
        EXPECT_EQ(second.reads, c.reads);
        root.RemoveChild(&second);
        root.RemoveChild(&first);
    }
}

TEST_F(RunLoopTest, AKeyTapTakenByAWaitInsideAFrameIsOverByTheWaitsNextPump) {
    // A wait inside a frame (a movie playing) pumps the input itself: each pump is a frame to
    // the readers of the keys.
    messages().SetKeysMoveAtTheirTime(true);
    for (const KeyTapCase& c : kKeyTaps) {
        SCOPED_TRACE(c.name);
        Load(c.script);
        std::string reads;
        for (size_t i = 0; i < std::strlen(c.reads); ++i) {
            clock().Advance(10);
            PumpEventsOnce();
            reads += plat::input().AsyncKeyState(c.key) < 0 ? '1' : '0';
        }
        EXPECT_EQ(reads, c.reads);
    }
}

/// Requests the quit after a number of frames.
class QuitAfter : public OProcess {
public:
    explicit QuitAfter(int frames) : OProcess("quit", kClassId), left_(frames) {}
    int32_t OnIdle() override {
        if (--left_ == 0) RequestQuit();
        return 1;
    }

private:
    int left_;
};

TEST_F(RunLoopTest, FullScreenRunSuspendsAtOnceWhenTheDisplayIsGone) {
    FakeLink link;
    xPlatform_SetMainWindow(&root, kAppWindow, &link);
    xProfiles_Set("FULLSCREEN", sLong(1));
    link.unavailable = true;
    root.AddChild(new QuitAfter(3));
    VQXRun();
    EXPECT_EQ(TraceCount("Suspend from VQXRun\n"), 1) << "once minimised it is not repeated";
    ASSERT_FALSE(root.events.empty());
    EXPECT_EQ(root.events[0].type, kEvAppSuspend);
    EXPECT_EQ(root.events[0].category, uint32_t(kEventApplication));
    EXPECT_TRUE(root.IsAppSuspended());
    EXPECT_EQ(CEventRing::Get().Count(), 0) << "delivered, not queued";
}

TEST_F(RunLoopTest, TheFirstFaultThatEndsARunIsTheOneTold) {
    // No window shows here: the last picture cannot be written.
    const std::string picture = "no such folder/last.png";
    const std::string damaged = "The game's data is damaged: activity {1, 0, 28} cannot be loaded. The game ends.";
    const std::string unwritten = "the last picture could not be written to VQT_SCREENSHOT=\"" + picture + "\"";
    struct Fault {
        std::string why;
        bool box;
    };
    struct Case {
        const char* name;
        std::vector<Fault> during; ///< told while the run goes on, in this order
        bool withPicture;          ///< the run ends by writing its last picture
        std::string told;
        bool boxed;
    };
    const Case cases[] = {
        {"damaged data, then the last picture not written", {{damaged, true}}, true, damaged, true},
        {"two faults in the run", {{"first", false}, {"second", true}}, false, "first", false},
        {"the last picture alone", {}, true, unwritten, false},
        {"no fault", {}, false, "", false},
    };
    setenv("VQT_EXIT_AFTER_FRAMES", "1", 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFrameState& s = CFrameState::Get();
        s.quit = false;
        s.fault.clear();
        s.faultBox = false;
        if (c.withPicture) setenv("VQT_SCREENSHOT", picture.c_str(), 1);
        else unsetenv("VQT_SCREENSHOT");
        for (const Fault& f : c.during) RequestQuitForFault(f.why, f.box);
        VQXRun();
        EXPECT_EQ(GetRunFault(), c.told);
        EXPECT_EQ(IsRunFaultBoxed(), c.boxed);
    }
    unsetenv("VQT_EXIT_AFTER_FRAMES");
    unsetenv("VQT_SCREENSHOT");
}

} // namespace
