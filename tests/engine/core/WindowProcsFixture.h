#pragma once
#include <map>
#include <string>
#include <vector>

#include "engine/core/AppWindowLink.h"
#include "engine/core/WindowProcs.h"
#include "platform/Platform.h"
#include "tests/engine/core/RunLoopFixture.h"

namespace vqt::test {

/// The application window's link over the headless desktop, writing down every action it is
/// asked for ("minimise;restore-mode;...") before acting; the display's part is only written
/// down.
class RecordingLink : public CAppWindowLink {
public:
    void Minimise() override { Note("minimise;", [&] { CAppWindowLink::Minimise(); }); }
    void MinimiseNoActivate() override { Note("minimise-noactivate;", [&] { CAppWindowLink::MinimiseNoActivate(); }); }
    void Restore() override { Note("restore;", [&] { CAppWindowLink::Restore(); }); }
    void Show() override { Note("show;", [&] { CAppWindowLink::Show(); }); }
    void Hide() override { Note("hide;", [&] { CAppWindowLink::Hide(); }); }
    void ClearForegroundAndActive() override {
        Note("clear-foreground;", [&] { CAppWindowLink::ClearForegroundAndActive(); });
    }
    void MakeTopmost() override { Note("topmost;", [&] { CAppWindowLink::MakeTopmost(); }); }
    void BringToForeground() override { Note("foreground;", [&] { CAppWindowLink::BringToForeground(); }); }
    void Focus() override { Note("focus;", [&] { CAppWindowLink::Focus(); }); }
    void InvalidateWindow() override { Note("invalidate;", [&] { CAppWindowLink::InvalidateWindow(); }); }
    int32_t RestoreDisplayMode() override {
        calls += "restore-mode;";
        return restoreResult;
    }
    void SetStageMode() override { calls += "stage-mode;"; }
    void PostFullRedraw(bool present) override { calls += present ? "redraw+present;" : "redraw;"; }
    bool IsDisplayReady() override {
        calls += "ready?;";
        return true;
    }
    uint32_t GetSystemColor(int32_t element) override { return colors[element]; }
    void SetSystemColors(int32_t count, const int32_t* elements, const uint32_t* values) override {
        calls += "colours;";
        for (int32_t i = 0; i < count; ++i) colors[elements[i]] = values[i];
    }
    void SetSystemPaletteStatic(bool keepStatic) override { calls += keepStatic ? "static;" : "nostatic;"; }

    std::string calls;
    int32_t restoreResult = 0;
    std::map<int32_t, uint32_t> colors;

private:
    template <typename F>
    void Note(const char* what, F&& act) {
        calls += what;
        act();
    }
};

/// The main window of these tests: keeps the events delivered to it.
class EventRoot : public OProcess {
public:
    EventRoot() : OProcess("root", kClassId) {}
    int32_t OnIdle() override { return 1; }
    int32_t HandleEvent(const xEvent& e) override {
        events.push_back(e.type);
        return OProcess::HandleEvent(e);
    }
    std::vector<uint32_t> events;
};

/// A run-loop test whose application window is a shown window of the headless desktop with
/// the recording link.
class WindowProcsTest : public RunLoopTest {
protected:
    void SetUp() override {
        RunLoopTest::SetUp();
        plat::WindowParams params;
        params.className = "VQTWindow";
        params.title = "Stage";
        params.style = plat::WS_POPUP;
        params.rect = plat::WinRect{0, 0, 640, 480};
        app = plat::desktop().CreateWindow(params);
        App().Show(plat::SW_SHOW);
        xPlatform_SetMainWindow(&root, app, &link);
        link.calls.clear();
    }
    void TearDown() override {
        xPlatform_SetMainWindow(nullptr, 0, nullptr);
        RunLoopTest::TearDown();
    }
    /// Another visible captioned window on the desktop, which covers the stage.
    plat::WindowId AddCoveringWindow() {
        plat::WindowParams params;
        params.className = "Other";
        params.title = "Other program";
        params.style = plat::WS_POPUP | plat::WS_BORDER;
        params.rect = plat::WinRect{10, 10, 210, 110};
        const plat::WindowId id = plat::desktop().CreateWindow(params);
        plat::desktop().Find(id)->Show(plat::SW_SHOWNA);
        return id;
    }
    plat::Window& App() { return *plat::desktop().Find(app); }
    /// The types waiting in the event ring, oldest first.
    std::vector<uint32_t> Queued() {
        std::vector<uint32_t> types;
        const CEventRing& ring = CEventRing::Get();
        for (int16_t i = 0; i < ring.Count(); ++i) types.push_back(ring.Waiting(i).type);
        return types;
    }

    plat::WindowId app = 0;
    RecordingLink link;
    EventRoot root;
};

} // namespace vqt::test
