#pragma once
// What a run of the program tells only when something went wrong: a trace line about missing
// data ("missing", "non existent", "Unable to open") or a chunk reference kept past its file
// ("still cached"), and every message box (recorded by the headless dialogs, or told in the
// output as `Message box "<title>": <text>` by a real window's). A test names the ones it
// expects; the rest are faults of the run.
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/ScriptedDialogs.h"

namespace vqt::test {

class ReportGuard {
public:
    /// Trace lines holding this text are expected.
    void AllowTrace(std::string fragment) { traces_.push_back(std::move(fragment)); }
    /// Message boxes whose text holds this are expected (recorded or told).
    void AllowBox(std::string fragment) { boxes_.push_back(std::move(fragment)); }

    /// The reports of the trace and the boxes that no allowance covers, in order: the trace's
    /// lines as they are, the boxes as "box \"title\": text".
    std::vector<std::string> Unexpected(std::string_view trace, const std::vector<plat::ScriptedDialogs::Box>& boxes) const;

private:
    std::vector<std::string> traces_;
    std::vector<std::string> boxes_;
};

/// The reports one a line, for a failure message.
std::string JoinReports(const std::vector<std::string>& reports);

} // namespace vqt::test
