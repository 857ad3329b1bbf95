#include "tests/game/playthrough/GameCaptions.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vqt::test {
namespace {

/// What a brace opens: a namespace, class or enum; a function body; an initializer.
enum class Brace : uint8_t { kScope, kBody, kInit };

bool IsWord(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

/// The kind of a brace that follows `before` (the token before it), in a declaration that named
/// a namespace, class or enum when `declaresScope`.
Brace Opening(const std::vector<Brace>& open, const std::string& before, bool declaresScope) {
    if (std::find(open.begin(), open.end(), Brace::kBody) != open.end()) return Brace::kBody;
    for (const char* body : {")", "]", "const", "else", "do", "try", "override", "noexcept", "mutable"})
        if (before == body) return Brace::kBody;
    if (!open.empty() && open.back() == Brace::kInit) return Brace::kInit;
    if (declaresScope || before == "\"") return Brace::kScope; // extern "C"
    // `= {`, `kTable{`, `({`: an initializer.
    return Brace::kInit;
}

class Reader {
public:
    Reader(const std::string& source, const std::string& file) : s_(source), file_(file) {}

    std::vector<SourceText> Read() {
        while (i_ < s_.size()) Step();
        Flush();
        return texts_;
    }

private:
    void Step() {
        const char c = s_[i_];
        if (c == '\n') {
            ++line_, ++i_;
            lineStart_ = true;
            return;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i_;
            return;
        }
        if (lineStart_ && c == '#') return SkipDirective();
        lineStart_ = false;
        if (s_.compare(i_, 2, "//") == 0) return SkipTo("\n", false);
        if (s_.compare(i_, 2, "/*") == 0) return SkipTo("*/", true);
        if (c == '"') return Literal(false);
        if (c == '\'') return CharLiteral();
        if (IsWord(c)) return Word();
        Flush();
        ++i_;
        if (c == '{') {
            open_.push_back(Opening(open_, before_, declaresScope_));
        } else if (c == '}') {
            if (!open_.empty()) open_.pop_back();
        }
        if (c == '{' || c == '}' || c == ';') declaresScope_ = false;
        Token(std::string(1, c));
    }

    void Token(std::string token) {
        for (const char* keyword : {"namespace", "struct", "class", "enum", "union"})
            if (token == keyword) declaresScope_ = true;
        before_ = std::move(token);
    }

    void SkipDirective() {
        while (i_ < s_.size() && s_[i_] != '\n') {
            if (s_[i_] == '\\' && i_ + 1 < s_.size() && s_[i_ + 1] == '\n') ++line_, ++i_;
            ++i_;
        }
    }

    void SkipTo(const char* end, bool countLines) {
        const size_t at = s_.find(end, i_);
        const size_t stop = at == std::string::npos ? s_.size() : at + (countLines ? std::string(end).size() : 0);
        line_ += int(std::count(s_.begin() + std::ptrdiff_t(i_), s_.begin() + std::ptrdiff_t(stop), '\n'));
        i_ = stop;
    }

    void CharLiteral() {
        Flush();
        ++i_;
        while (i_ < s_.size() && s_[i_] != '\'') i_ += s_[i_] == '\\' ? 2 : 1;
        ++i_;
        Token("'");
    }

    void Word() {
        const size_t from = i_;
        // A number keeps its digit separators.
        const bool number = std::isdigit(static_cast<unsigned char>(s_[i_])) != 0;
        while (i_ < s_.size() && (IsWord(s_[i_]) || (number && (s_[i_] == '\'' || s_[i_] == '.')))) ++i_;
        const std::string word = s_.substr(from, i_ - from);
        if (i_ < s_.size() && s_[i_] == '"' && (word == "u8" || word == "u" || word == "U" || word == "L"))
            return Literal(false);
        if (i_ < s_.size() && s_[i_] == '"' && !word.empty() && word.back() == 'R') return Literal(true);
        Flush();
        Token(word);
    }

    /// A string literal at the opening quote; joined to the one before it when nothing stood
    /// between them.
    void Literal(bool raw) {
        const int at = line_;
        std::string text;
        ++i_;
        if (raw) {
            const size_t paren = s_.find('(', i_);
            const std::string close = ")" + s_.substr(i_, paren - i_) + "\"";
            const size_t end = s_.find(close, paren);
            text = s_.substr(paren + 1, end - paren - 1);
            line_ += int(std::count(text.begin(), text.end(), '\n'));
            i_ = end + close.size();
        } else {
            while (i_ < s_.size() && s_[i_] != '"') text += Character();
            ++i_;
        }
        if (!pending_) {
            pending_ = true;
            kept_ = Kept();
            pendingText_.clear();
            pendingLine_ = at;
        }
        pendingText_ += text;
    }

    /// One character of a literal, its escape resolved.
    char Character() {
        const char c = s_[i_++];
        if (c != '\\' || i_ >= s_.size()) return c;
        const char e = s_[i_++];
        switch (e) {
        case 'n': return '\n';
        case 't': return '\t';
        case 'r': return '\r';
        case 'a': return '\a';
        case 'b': return '\b';
        case 'f': return '\f';
        case 'v': return '\v';
        case 'x': {
            unsigned value = 0;
            while (i_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[i_])))
                value = value * 16 + unsigned(std::stoi(std::string(1, s_[i_++]), nullptr, 16));
            return char(value & 0xFF);
        }
        default:
            if (e >= '0' && e <= '7') {
                unsigned value = unsigned(e - '0');
                for (int n = 0; n < 2 && i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '7'; ++n)
                    value = value * 8 + unsigned(s_[i_++] - '0');
                return char(value & 0xFF);
            }
            return e; // \\ \" \' \?
        }
    }

    /// Whether a literal starting here is a table's or a constant's.
    bool Kept() const {
        if (std::find(open_.begin(), open_.end(), Brace::kBody) != open_.end()) return false;
        return (!open_.empty() && open_.back() == Brace::kInit) || before_ == "=";
    }

    void Flush() {
        if (!pending_) return;
        pending_ = false;
        if (kept_) texts_.push_back({pendingText_, file_ + ":" + std::to_string(pendingLine_)});
        Token("\"");
    }

    const std::string& s_;
    const std::string file_;
    size_t i_ = 0;
    int line_ = 1;
    bool lineStart_ = true;
    std::vector<Brace> open_;
    std::string before_;
    bool declaresScope_ = false;
    bool pending_ = false, kept_ = false;
    std::string pendingText_;
    int pendingLine_ = 0;
    std::vector<SourceText> texts_;
};

} // namespace

std::vector<SourceText> TableTexts(const std::string& source, const std::string& file) {
    return Reader(source, file).Read();
}

std::vector<SourceText> GameTableTexts(const std::string& root) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && (entry.path().extension() == ".cpp" || entry.path().extension() == ".h"))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<SourceText> texts;
    for (const fs::path& path : files) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream source;
        source << in.rdbuf();
        const std::string name = path.lexically_relative(fs::path(root).parent_path()).generic_string();
        for (SourceText& text : TableTexts(source.str(), name)) texts.push_back(std::move(text));
    }
    return texts;
}

} // namespace vqt::test
