#include "platform/headless/ScriptedMessages.h"

#include <charconv>
#include <sstream>

#include "platform/Platform.h"
#include "platform/headless/HeadlessInput.h"

namespace plat {

namespace {

struct NamedMessage {
    const char* name;
    uint32_t number;
};

constexpr NamedMessage kNames[] = {
    {"WM_PAINT", WM_PAINT},           {"WM_ERASEBKGND", WM_ERASEBKGND},
    {"WM_KEYDOWN", WM_KEYDOWN},       {"WM_KEYUP", WM_KEYUP},
    {"WM_CHAR", WM_CHAR},             {"WM_SYSKEYDOWN", WM_SYSKEYDOWN},
    {"WM_SYSKEYUP", WM_SYSKEYUP},     {"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {"WM_MOUSEMOVE", WM_MOUSEMOVE},   {"WM_LBUTTONDOWN", WM_LBUTTONDOWN},
    {"WM_LBUTTONUP", WM_LBUTTONUP},   {"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK},
    {"WM_RBUTTONDOWN", WM_RBUTTONDOWN}, {"WM_RBUTTONUP", WM_RBUTTONUP},
    {"WM_RBUTTONDBLCLK", WM_RBUTTONDBLCLK}, {"WM_MBUTTONDOWN", WM_MBUTTONDOWN},
    {"WM_MBUTTONUP", WM_MBUTTONUP},   {"WM_MBUTTONDBLCLK", WM_MBUTTONDBLCLK},
};

bool ParseNumber(std::string_view text, int64_t& value) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return false;
    if (magnitude > uint64_t(INT64_MAX)) return false;
    value = negative ? -int64_t(magnitude) : int64_t(magnitude);
    return true;
}

bool IsKeyDown(uint32_t msg) { return msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN; }
bool IsKeyUp(uint32_t msg) { return msg == WM_KEYUP || msg == WM_SYSKEYUP; }

} // namespace

uint32_t MessageNumberFromName(std::string_view name) {
    for (const NamedMessage& entry : kNames)
        if (name == entry.name) return entry.number;
    return 0;
}

bool ScriptedMessages::Peek(WinMsg& out, bool remove) {
    const uint32_t now = clock().TickCount();
    if (queue_.empty() || int32_t(now - queue_.front().time) < 0) return false;
    out = queue_.front();
    if (!remove) return true;
    queue_.pop_front();
    consumed_.push_back(out);
    if (auto* keys = dynamic_cast<HeadlessInput*>(&input())) {
        if (IsMouseMessage(out.msg)) keys->SetCursorPos(out.pt);
        else if (!keysAtTheirTime_ && (IsKeyDown(out.msg) || IsKeyUp(out.msg)))
            keys->SetKeyDown(int32_t(out.wParam), IsKeyDown(out.msg));
    }
    input().NoteTaken(out);
    return true;
}

void ScriptedMessages::RemoveInput(WindowId window) {
    const uint32_t now = clock().TickCount();
    std::erase_if(queue_, [&](const WinMsg& m) {
        return m.window == window && IsInputMessage(m.msg) && int32_t(now - m.time) >= 0;
    });
}

void ScriptedMessages::Translate(const WinMsg& /*msg*/) {}

intptr_t ScriptedMessages::Dispatch(const WinMsg& msg) {
    const WindowProc proc = GetWindowProc(msg.window);
    return proc ? proc(msg.window, msg.msg, msg.wParam, msg.lParam) : 0;
}

void ScriptedMessages::Push(const WinMsg& msg) {
    auto* keys = dynamic_cast<HeadlessInput*>(&input());
    if (keysAtTheirTime_ && keys && (IsKeyDown(msg.msg) || IsKeyUp(msg.msg)))
        keys->MoveKeyAt(msg.time, int32_t(msg.wParam), IsKeyDown(msg.msg));
    auto it = queue_.end();
    while (it != queue_.begin() && int32_t(std::prev(it)->time - msg.time) > 0) --it;
    queue_.insert(it, msg);
}

bool ParseMessageScript(std::string_view script, WindowId window, uint32_t start, std::vector<WinMsg>& out,
                        std::string* error) {
    std::vector<WinMsg> parsed;
    std::istringstream lines{std::string(script)};
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;) words.push_back(word);
        if (words.empty() || words[0][0] == '#') continue;
        int64_t values[6] = {};
        bool ok = words.size() == 6;
        for (size_t i = 0; ok && i < 6; ++i) {
            if (const uint32_t named = i == 1 ? MessageNumberFromName(words[1]) : 0) {
                values[1] = named;
                continue;
            }
            ok = ParseNumber(words[i], values[i]);
        }
        if (ok) ok = values[0] >= 0 && values[1] >= 0 && values[1] <= 0xFFFF;
        if (!ok) {
            if (error) *error = "line " + std::to_string(lineNumber) + ": " + line;
            return false;
        }
        WinMsg msg;
        msg.window = window;
        msg.time = start + uint32_t(values[0]);
        msg.msg = uint32_t(values[1]);
        msg.wParam = uintptr_t(values[2]);
        msg.lParam = intptr_t(values[3]);
        msg.pt = WinPoint{int32_t(values[4]), int32_t(values[5])};
        parsed.push_back(msg);
    }
    out.insert(out.end(), parsed.begin(), parsed.end());
    return true;
}

bool ScriptedMessages::LoadScript(std::string_view script, WindowId window, std::string* error) {
    std::vector<WinMsg> parsed;
    if (!ParseMessageScript(script, window, clock().TickCount(), parsed, error)) return false;
    for (const WinMsg& msg : parsed) Push(msg);
    return true;
}

void ScriptedMessages::Clear() {
    queue_.clear();
    consumed_.clear();
}

} // namespace plat
