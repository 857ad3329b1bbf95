#pragma once
#include <string>
#include <vector>

#include "engine/core/DeferredDelete.h"
#include "engine/core/Event.h"
#include "engine/core/Process.h"
#include "engine/core/RunLoop.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DirtyRects.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {

/// A process that writes its OnIdle calls and the events it handles into a shared log.
class LogProcess : public OProcess {
public:
    LogProcess(const char* name, std::vector<std::string>* log) : OProcess(name, kClassId), log_(log) {}
    int32_t OnIdle() override {
        if (log_) log_->push_back(std::string("idle ") + GetName());
        return idleResult;
    }
    int32_t HandleEvent(const xEvent& event) override {
        if (log_) {
            log_->push_back(std::string("event ") + GetName() + " " + std::to_string(event.category) + "/" +
                            std::to_string(event.type));
        }
        OProcess::HandleEvent(event);
        return eventResult;
    }
    int32_t idleResult = 1;
    int32_t eventResult = 1;

private:
    std::vector<std::string>* log_;
};

/// The application window every run-loop test uses.
inline constexpr plat::WindowId kAppWindow = 1;

/// The application window's procedure as the window layer wires it: translate, then deliver
/// the event at once.
inline intptr_t MainTestProc(plat::WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    xEvent event = xPlatform_TemplateEvent();
    intptr_t result = 0;
    Win_TranslateMessage_Common(event, window, msg, wParam, lParam, &result);
    DispatchAppEvent(&event, 0);
    return result;
}

/// Headless services, a fresh profile store (windowed, so dirty rectangles are on), fresh
/// platform state, the timers started and the engine marked as existing.
class RunLoopTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        xProfiles_Set("FULLSCREEN", sLong(0));
        xPlatform_SetEngineExists(true);
        xPlatform_StartTimers();
        plat::messages().SetWindowProc(kAppWindow, MainTestProc);
    }
    /// Runs `n` frames, the clock moving `stepMs` before each.
    void Frames(int n, uint32_t stepMs = 10) {
        for (int i = 0; i < n; ++i) {
            clock().Advance(stepMs);
            FrameTick(0);
        }
    }
    /// How often `text` occurs in the trace.
    int TraceCount(const std::string& text) {
        int n = 0;
        for (size_t at = traced().find(text); at != std::string::npos; at = traced().find(text, at + 1)) ++n;
        return n;
    }
};

} // namespace vqt::test
