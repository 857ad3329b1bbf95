#include "platform/headless/ScriptedDialogs.h"

namespace plat {

int ScriptedDialogs::Show(std::string_view text, std::string_view title, uint32_t type, int unanswered) {
    Box box{std::string(text), std::string(title), type, unanswered};
    if (onShow_) onShow_(box);
    if (!answers_.empty()) {
        box.answer = answers_.front();
        answers_.pop_front();
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
}

} // namespace plat
