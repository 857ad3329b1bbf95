#pragma once
// The stage of the debug keyword and watcher tests: an application with its standard processes
// over a part file of two named activities whose class records the debug hooks, each holding a
// prop over a part of two states; keys are typed through scripted window messages.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Activity.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/ClassFactory.h"
#include "engine/data/MessageTexts.h"
#include "tests/engine/media/PointerFixture.h"
#include "tools/builders/PartBuilder.h"

namespace vqt::test {

/// An activity (class 200) that records the debug codes and resets it gets.
class DebugActivity : public OActivity {
public:
    DebugActivity() : OActivity("debug", 200) {}
    bool IsA(uint32_t id) const override { return id == 200 || OActivity::IsA(id); }
    void OnDebugReset() override { ++resets; }
    void OnDebugCode(uint32_t code) override { codes.push_back(code); }
    int resets = 0;
    std::vector<uint32_t> codes;
};

class DebugFactory : public CFactory {
public:
    OActivity* CreateActivity(uint32_t id) override { return id == 200 ? new DebugActivity : nullptr; }
    OView* CreateActivityProp(uint32_t) override { return nullptr; }
    int32_t Reset() override { return 0; }
    bool IsSupported(uint32_t id) override { return id == 200; }
};

/// Script lines that type `text`, a character every `gap` ms from `start` ms.
inline std::string Typing(const std::string& text, uint32_t start, uint32_t gap = 100) {
    std::string script;
    for (size_t i = 0; i < text.size(); ++i)
        script += std::to_string(start + i * gap) + " WM_CHAR " + std::to_string(uint8_t(text[i])) + " 0 0 0\n";
    return script;
}

/// Script lines of Ctrl+Shift+F1 at `at` ms.
inline std::string CtrlShiftF1(uint32_t at) {
    std::string script;
    for (const char* line : {"WM_KEYDOWN 17", "WM_KEYDOWN 16", "WM_KEYDOWN 112", "WM_KEYUP 112", "WM_KEYUP 16",
                             "WM_KEYUP 17"})
        script += std::to_string(at) + " " + line + " 0 0 0\n";
    return script;
}

class WatcherTest : public PointerTest {
protected:
    static constexpr uint32_t kHarbour = ChunkIdOf(1, 26);
    static constexpr uint32_t kStation = ChunkIdOf(1, 27);

    void SetUp() override {
        PointerTest::SetUp();
        xLanguage_Context().language = kLanguageEnglishUs;
    }
    /// Activities "Harbour Front" {1, 0, 26} and "Fire Station" {1, 0, 27}, each with a prop
    /// (object id 5) centred at (300, 200) over a part of two 24 x 16 states; the manager (unload
    /// first, with the recording factory) and the application over the file.
    void OpenStages() {
        ChunkFileBuilder b;
        const uint8_t actv = b.AddIndex("actv", 8, 30);
        PartBuilder parts(b);
        PartPlan part;
        part.states = {StatePlan{.frames = {FramePlan{.picture = Picture(24, 16, 9)}}},
                       StatePlan{.frames = {FramePlan{.picture = Picture(24, 16, 3)}}}};
        propPart = parts.AddPart(part).part;
        for (const auto& [id, name] : {std::pair{kHarbour, "Harbour Front"}, std::pair{kStation, "Fire Station"}}) {
            ObjectPlan prop{.classId = 54, .objectId = 5, .partId = propPart};
            prop.properties.Pair(50, 1, 300, 200);
            ActivityPlan desc{.classId = 200, .objects = {prop}};
            desc.properties.Pair(50, 1, 320, 240).Pair(50, 2, 640, 480);
            b.AddChunk(actv, ActivityData(desc), {.entry = ChunkEntryOf(id), .name = name});
        }
        Open(b);
        GiveApp(b);
        Manager(OActivityManager::kUnloadFirst).AddFactory(new DebugFactory);
    }
    /// Requests the activity and runs frames until the switch is over.
    void SwitchTo(uint32_t id) {
        GetActivityManager()->RequestActivity(id);
        for (int i = 0; i < 10 && GetActivityManager()->IsSwitchPending(); ++i) Frames(1);
        ASSERT_FALSE(GetActivityManager()->IsSwitchPending());
    }
    DebugActivity* Current() { return static_cast<DebugActivity*>(GetActivityManager()->GetCurrentActivity()); }
    /// Runs the script for the stage window to its end and a little beyond, 10 ms a frame.
    void Play(const std::string& script, uint32_t lengthMs) {
        messages().SetWindowProc(window->GetWindowId(), MainTestProc);
        ASSERT_TRUE(messages().LoadScript(script, window->GetWindowId()));
        Frames(int(lengthMs / 10) + 5);
    }

    uint32_t propPart = 0;
};

} // namespace vqt::test
