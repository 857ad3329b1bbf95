#include "platform/headless/ScriptedDialogs.h"

namespace plat {

int ScriptedDialogs::MessageBox(std::string_view text, std::string_view title, uint32_t type) {
    int answer = mb::DefaultAnswer(type);
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    boxes_.push_back(Box{std::string(text), std::string(title), type, answer});
    return answer;
}

void ScriptedDialogs::Clear() {
    answers_.clear();
    boxes_.clear();
    beeps_ = 0;
}

} // namespace plat
