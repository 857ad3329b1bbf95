#include "platform/headless/IniRegistry.h"

#include <cctype>

#include "platform/Platform.h"

namespace plat {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string Unquote(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

/// "dword:" and 1 to 8 hex digits.
std::optional<uint32_t> ParseDword(const std::string& text) {
    if (text.size() < 7 || text.size() > 14 || Lower(text.substr(0, 6)) != "dword:") {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (size_t i = 6; i < text.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

std::string Slot(const std::string& keyPath, const std::string& name) {
    return Lower(keyPath) + "\n" + Lower(name);
}

} // namespace

std::optional<RegistryValue> IniRegistry::QueryMachineValue(const std::string& keyPath,
                                                            const std::string& name) {
    if (!loaded_) {
        std::string text;
        if (auto file = files().Open(files().WindowsFolder() + "/" + kFileName, OpenMode::Read)) {
            char buffer[4096];
            for (int64_t got; (got = file->Read(buffer, sizeof buffer)) > 0 && text.size() < (1u << 20);) {
                text.append(buffer, static_cast<size_t>(got));
            }
        }
        SetContents(text);
    }
    const auto found = values_.find(Slot(keyPath, name));
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void IniRegistry::SetContents(const std::string& text) {
    values_.clear();
    loaded_ = true;
    std::string section;
    bool inSection = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            const size_t close = line.find(']');
            section = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = true;
            continue;
        }
        const size_t equals = line.find('=');
        if (!inSection || equals == std::string::npos) {
            continue;
        }
        const std::string name = Unquote(Trim(line.substr(0, equals)));
        const std::string raw = Trim(line.substr(equals + 1));
        RegistryValue value;
        if (const auto dword = ParseDword(raw)) {
            value.type = RegistryValue::Type::Dword;
            value.dword = *dword;
        } else {
            value.text = Unquote(raw);
        }
        values_.emplace(Slot(section, name), value); // the first entry of a name counts
    }
}

} // namespace plat
