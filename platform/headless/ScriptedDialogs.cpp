#include "platform/headless/ScriptedDialogs.h"

#include "platform/Platform.h"
#include "platform/Window.h"
#include "platform/headless/ScriptedMessages.h"

namespace plat {

namespace {

/// The close request of every top-level window, as the window system sends it.
void CloseTopLevelWindows() {
    auto* queue = dynamic_cast<ScriptedMessages*>(&messages());
    if (!queue || !services().desktop) return;
    for (const WindowId window : desktop().TopLevelWindows()) {
        WinMsg close;
        close.window = window;
        close.msg = WM_CLOSE;
        close.time = clock().TickCount();
        queue->Push(close);
    }
}

} // namespace

int ScriptedDialogs::Show(std::string_view text, std::string_view title, uint32_t type, int unanswered) {
    Box box{std::string(text), std::string(title), type, unanswered};
    if (SessionEnding()) {
        box.answer = mb::ClosedAnswer(type);
        box.shown = false;
    } else {
        if (onShow_) onShow_(box);
        if (endRequested_) {
            endRequested_ = false;
            EndSession();
            CloseTopLevelWindows();
            box.answer = mb::ClosedAnswer(type);
        } else if (!answers_.empty()) {
            box.answer = answers_.front();
            answers_.pop_front();
        }
    }
    boxes_.push_back(box);
    return box.answer;
}

int ScriptedDialogs::MessageBox(std::string_view text, std::string_view title, uint32_t type) {
    return Show(text, title, type, mb::DefaultAnswer(type));
}

int ScriptedDialogs::Ask(std::string_view text, std::string_view title, uint32_t type) {
    return Show(text, title, type, 0);
}

void ScriptedDialogs::Clear() {
    answers_.clear();
    boxes_.clear();
    onShow_ = nullptr;
    beeps_ = 0;
    endRequested_ = false;
    EndSession(false);
}

} // namespace plat
