#include "tests/support/ReportGuard.h"

#include <algorithm>
#include <cctype>

namespace vqt::test {
namespace {

/// The words of a trace line that tell of a fault, matched without regard to case.
constexpr std::string_view kFaultWords[] = {"missing", "non existent", "unable to open", "still cached"};
/// How a real window's message box is told in the output.
constexpr std::string_view kToldBox = "Message box \"";

std::string Lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

bool TellsOfAFault(std::string_view line) {
    const std::string lowered = Lowered(line);
    return std::any_of(std::begin(kFaultWords), std::end(kFaultWords),
                       [&](std::string_view word) { return lowered.find(word) != std::string::npos; });
}

/// The text of a told box: what follows its quoted title (which may hold a colon itself).
std::string_view ToldBoxText(std::string_view line) {
    const size_t end = line.find("\": ", kToldBox.size());
    return end == std::string_view::npos ? std::string_view() : line.substr(end + 3);
}

bool Covered(std::string_view text, const std::vector<std::string>& allowed) {
    return std::any_of(allowed.begin(), allowed.end(), [&](const std::string& a) { return text.find(a) != std::string_view::npos; });
}

} // namespace

std::vector<std::string> ReportGuard::Unexpected(std::string_view trace,
                                                 const std::vector<plat::ScriptedDialogs::Box>& boxes) const {
    std::vector<std::string> found;
    for (size_t at = 0; at < trace.size();) {
        const size_t end = std::min(trace.find('\n', at), trace.size());
        const std::string_view line = trace.substr(at, end - at);
        if (line.starts_with(kToldBox) ? !Covered(ToldBoxText(line), boxes_)
                                       : TellsOfAFault(line) && !Covered(line, traces_))
            found.emplace_back(line);
        at = end + 1;
    }
    for (const auto& box : boxes)
        if (!Covered(box.text, boxes_)) found.push_back("box \"" + box.title + "\": " + box.text);
    return found;
}

std::string JoinReports(const std::vector<std::string>& reports) {
    std::string out;
    for (const std::string& r : reports) out += r + "\n";
    return out;
}

} // namespace vqt::test
