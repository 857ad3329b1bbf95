#include "engine/media/MouseWatcher.h"

#include <cstdio>

#include "engine/blit/ColorPalette.h"
#include "engine/media/DiagnosticsState.h"
#include "engine/media/TextCView.h"
#include "platform/Platform.h"

namespace {

constexpr CPanelLook kLook{"Mouse Watcher", 0, 440, 300, 30, ColorWord(255, 128, 0), 1};
constexpr CWatcherKey kKey{"MOUSESTATSVISIBLE",
                           "xProfiles_GetBoolean(MOUSESTATSVISIBLE,&bState)",
                           "xProfiles_Set(MOUSESTATSVISIBLE,bState)",
                           "CMouseWatcher",
                           83,
                           95};

} // namespace

bool CMouseWatcher::Create() { return xWatcher_Create(xDiagnostics_State().mouse); }

void CMouseWatcher::Destroy() { delete Get(); }

CMouseWatcher* CMouseWatcher::Get() { return xDiagnostics_State().mouse; }

bool CMouseWatcher::IsVisible() { return kKey.Get(); }

void CMouseWatcher::SetVisible(bool visible) {
    kKey.Set(visible);
    if (CMouseWatcher* watcher = Get())
        if (OTextCView* view = watcher->GetView()) view->SetVisible(IsVisible() ? 1 : 0, 0);
}

CMouseWatcher::~CMouseWatcher() {
    if (Get() == this) xDiagnostics_State().mouse = nullptr;
}

bool CMouseWatcher::BuildView() {
    if (!BuildPanel(kLook, IsVisible())) return false;
    refreshTimer_.Restart();
    return true;
}

int32_t CMouseWatcher::OnIdle() {
    Refresh(IsVisible());
    return 1;
}

void CMouseWatcher::Compose() {
    OWindow* window = OWindow::Main();
    const plat::WinPoint cursor = plat::input().ScreenToClient(window->GetWindowId(), plat::input().CursorPos());
    const CPoint16 last = window->GetPressPosition();
    char text[128];
    std::snprintf(text, sizeof text, "Global (x,y) : %ld,%ld\rLast mouse down : %ld,%ld\r", long(cursor.x),
                  long(cursor.y), long(last.x), long(last.y));
    GetView()->SetText(text);
}
