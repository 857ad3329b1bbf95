#include "tests/support/botview/WindowInput.h"

#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/Window.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedMessages.h"
#include "platform/sdl2/Sdl2Messages.h"

namespace vqt::test {

bool InjectScript(std::string_view lines, std::string* error) {
    const plat::WindowId window = OVQEngine::Instance()->GetMainWindow()->GetWindowId();
    std::vector<plat::WinMsg> parsed;
    if (!plat::ParseMessageScript(lines, window, plat::clock().TickCount(), parsed, error)) return false;
    auto& messages = dynamic_cast<plat::Sdl2Messages&>(plat::messages());
    const plat::Window* shown = plat::WindowById(window);
    for (plat::WinMsg& msg : parsed) {
        if (plat::IsMouseMessage(msg.msg)) {
            // The window does not stand at the desktop's corner as the headless one does.
            if (msg.lParam == 0) msg.lParam = intptr_t(int32_t((uint32_t(uint16_t(msg.pt.y)) << 16) | uint16_t(msg.pt.x)));
            if (shown) msg.pt = shown->ClientToScreen(msg.pt);
        }
        messages.Inject(msg);
    }
    return true;
}

size_t MessagesWaitingInWindow() { return dynamic_cast<plat::Sdl2Messages&>(plat::messages()).InjectedWaiting(); }

void HoldKeyInWindow(int32_t virtualKey, bool down) { dynamic_cast<plat::Sdl2Input&>(plat::input()).HoldKey(virtualKey, down); }

} // namespace vqt::test
