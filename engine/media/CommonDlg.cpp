#include "engine/media/CommonDlg.h"

#include "engine/base/Trace.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "engine/core/WindowProcs.h"
#include "engine/data/Driver.h"
#include "engine/data/FileSearch.h"
#include "engine/data/MessageBox.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/Profiles.h"
#include "engine/media/MediaState.h"
#include "platform/Platform.h"

namespace {

constexpr int32_t kVkEscape = 0x1B;

/// Brings the window back when a deactivation was blocked while the box was up.
void ServiceActivation() {
    CMainWindowLink& link = xPlatform_Link();
    link.ServiceWaitToRestoreDesktop();
    if (!GetRestoreDeactivate()) return;
    xTrace("Restore deactivate\n");
    if (xProfiles_Values().fullScreen) {
        link.MakeTopmost();
        link.BringToForeground();
    }
    SetRestoreDeactivate(0);
    UpdateKeyFlags();
    link.Restore();
}

/// Hands one waiting window message to its procedure.
void PumpOneMessage() {
    plat::WinMsg msg;
    if (!plat::messages().Peek(msg, true)) return;
    plat::messages().Translate(msg);
    plat::messages().Dispatch(msg);
}

/// The box's title: the application window's.
std::string TitleOf(plat::WindowId window) {
    const plat::Window* w = plat::WindowById(window);
    return w ? w->Title() : std::string();
}

/// The disc prompt's test: throws when the user gave up or the program quits; false (the box
/// ends) once the driver's file opens again.
bool DiscStillMissing(void* argument) {
    if (IsQuitRequested() || xCommonDlg_EscapeHeld()) throw kDriverException;
    auto* driver = static_cast<ODriver*>(argument);
    const char* name = driver ? driver->GetName() : nullptr;
    return !(name && *name && xFile_Exists(name, 1));
}

} // namespace

CCommonDlgState& CCommonDlgState::Get() { return xMedia_State().commonDlg; }

std::string xCommonDlg_PaintBox(const char* text, uint8_t okLine, uint8_t cancelLine) {
    std::string shown = text ? text : "";
    if (okLine) shown += "\n\nPress ENTER for OK";
    if (cancelLine) shown += "\nOr hit ESC for Cancel";
    return shown;
}

bool xCommonDlg_EscapeHeld() {
    return CCommonDlgState::Get().escape || plat::input().AsyncKeyState(kVkEscape) < 0;
}

int32_t xCommonDlg(OWindow* window, const char* text, uint8_t allowEsc, xCommonDlgTest test, void* testArg) {
    CCommonDlgState& s = CCommonDlgState::Get();
    s.text = text ? text : "";
    s.escape = false;
    const plat::WindowId id = window ? window->GetWindowId() : 0;
    const plat::WindowProc saved = id ? plat::messages().GetWindowProc(id) : nullptr;
    if (id) plat::messages().SetWindowProc(id, xPlatform_ChooseDialogProc());
    const auto restore = [&] {
        if (id) plat::messages().SetWindowProc(id, saved);
        SetDialogRunning(0);
    };
    const std::string shown = xCommonDlg_PaintBox(s.text.c_str(), 0, 0);
    const std::string title = TitleOf(id);
    const uint32_t buttons = test ? plat::mb::RetryCancel : allowEsc ? plat::mb::OkCancel : plat::mb::Ok;
    CMainWindowLink& link = xPlatform_Link();
    link.BringToForeground();

    int32_t result = 0;
    try {
        for (;;) {
            ServiceActivation();
            const int answer = xMessageBox_Ask(shown.c_str(), title.c_str(), plat::mb::SystemModal | buttons);
            s.escape = answer != plat::mb::IdOk && answer != plat::mb::IdRetry;
            if (!test) {
                result = s.escape && allowEsc ? 2 : 1;
                break;
            }
            if (!test(testArg)) {
                result = 0;
                break;
            }
            if (s.escape) {
                result = 2;
                break;
            }
            PumpOneMessage();
        }
    } catch (const char*) {
        xTrace("**** xCommonDlg - caught exception, restored window proc, re-throwing\n");
        restore();
        throw;
    } catch (...) {
        xTrace("**** xCommonDlg - unhandled exception\n");
        restore();
        return result;
    }
    if (id) plat::messages().SetWindowProc(id, saved);
    link.InvalidateWindow();
    link.Focus();
    link.BringToForeground();
    SetDialogRunning(0);
    return result;
}

int32_t xDriver_OnAccessFailure(ODriver* driver) {
    const std::string text = xMessages_GetString("MSG_INSERTCD") + "\n" + xMessages_GetString("MSG_HITESC");
    xCommonDlg(OWindow::Main(), text.c_str(), 0, DiscStillMissing, driver);
    return 0;
}
