#pragma once
#include <cstdint>
#include <new>

#include "engine/core/Process.h"
#include "engine/core/Timer.h"
#include "engine/core/Window.h"
#include "engine/media/DiagnosticPanel.h"

class OTextCView;

/// The base of the statistics watchers: a process under the main window (registration name
/// "OProcess", class id 20) that owns one text panel over the stage, draggable and outlined, at
/// the top draw priority. The mouse and asset watchers refresh their text every 250 ms.
class CStatWatcher : public OProcess {
public:
    static constexpr int32_t kRefreshMs = 250;

    /// Deletes the panel.
    ~CStatWatcher() override;

    /// True when the panel exists or was built now; false when it cannot be made.
    virtual bool BuildView() = 0;
    /// The panel, or null until it is built.
    OTextCView* GetView() const;

protected:
    CStatWatcher();
    /// Builds the panel (when there is none) by the look, shown or hidden.
    bool BuildPanel(const CPanelLook& look, bool visible);
    /// Once more than 250 ms have passed on the refresh timer: when `keyOn`, the main window
    /// exists and the panel exists or can be built, Compose; then the timer starts again.
    void Refresh(bool keyOn);
    /// Writes the panel's text.
    virtual void Compose() {}

    CTimerRec refreshTimer_;

private:
    OView* view_ = nullptr;
};

/// Where a watcher reads and writes its boolean profile key: a failing read or write reports
/// the assertion text of `source` and `line`.
struct CWatcherKey {
    const char* name;
    const char* readAssertion;
    const char* writeAssertion;
    const char* source;
    int readLine;
    int writeLine;

    bool Get() const;
    void Set(bool on) const;
};

/// Makes a watcher of the kind into its slot and adds it to the main window: only when the main
/// window exists and the slot is empty; false when nothing was made.
template <class Watcher>
bool xWatcher_Create(Watcher*& slot) {
    OWindow* window = OWindow::Main();
    if (!window || slot) return false;
    Watcher* watcher = new (std::nothrow) Watcher;
    if (!watcher) return false;
    slot = watcher;
    window->AddChild(watcher);
    return true;
}
