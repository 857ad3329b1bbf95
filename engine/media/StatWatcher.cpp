#include "engine/media/StatWatcher.h"

#include "engine/base/Trace.h"
#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/media/TextCView.h"

CStatWatcher::CStatWatcher() : OProcess("OProcess", kClassId) { refreshTimer_.Start(kRefreshMs); }

CStatWatcher::~CStatWatcher() { delete view_; }

OTextCView* CStatWatcher::GetView() const { return static_cast<OTextCView*>(view_); }

bool CStatWatcher::BuildPanel(const CPanelLook& look, bool visible) {
    if (view_) return true;
    OView* panel = xPanel_Make(&view_, look, OWindow::Main());
    if (!panel) return false;
    panel->SetCursorMode(OView::kHitChildrenThenSelf);
    panel->SetDraggable(1);
    panel->SetOutline(1);
    panel->SetVisible(visible ? 1 : 0, 0);
    return true;
}

void CStatWatcher::Refresh(bool keyOn) {
    if (!refreshTimer_.HasElapsed()) return;
    if (keyOn && OWindow::Main() && BuildView()) Compose();
    refreshTimer_.Restart();
}

bool CWatcherKey::Get() const {
    boolean state = 0;
    if (!xProfiles_GetBoolean(name, &state)) xAssertFailed(readAssertion, source, readLine);
    return state != 0;
}

void CWatcherKey::Set(bool on) const {
    if (!xProfiles_Set(name, boolean(on ? 1 : 0))) xAssertFailed(writeAssertion, source, writeLine);
}
