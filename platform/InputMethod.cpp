#include "platform/InputMethod.h"

namespace plat {

namespace {

WinMsg Message(WindowId window, uint32_t msg, intptr_t lParam) {
    WinMsg m;
    m.window = window;
    m.msg = msg;
    m.lParam = lParam;
    return m;
}

} // namespace

std::vector<WinMsg> InputMethod::Compose(WindowId window, std::string text) {
    std::vector<WinMsg> posted;
    if (!composing_) posted.push_back(Message(window, WM_IME_STARTCOMPOSITION, 0));
    composing_ = true;
    current_ = std::move(text);
    posted.push_back(Message(window, WM_IME_COMPOSITION, GCS_COMPSTR));
    return posted;
}

std::vector<WinMsg> InputMethod::Commit(WindowId window, std::string text) {
    std::vector<WinMsg> posted;
    if (!composing_) posted.push_back(Message(window, WM_IME_STARTCOMPOSITION, 0));
    kept_ = std::move(text);
    current_.clear();
    composing_ = false;
    posted.push_back(Message(window, WM_IME_COMPOSITION, GCS_RESULTSTR | GCS_RESULTCLAUSE));
    posted.push_back(Message(window, WM_IME_ENDCOMPOSITION, 0));
    return posted;
}

std::string InputMethod::ReadComposition() {
    kept_ = current_;
    return kept_;
}

} // namespace plat
