#pragma once
#include <string>

#include "platform/DebugOutput.h"

namespace plat {

/// Keeps everything written to the debugger output; echoes it to stderr when VQT_DEBUG_STDERR
/// is set in the environment.
class RecordingDebugOutput final : public DebugOutput {
public:
    RecordingDebugOutput();
    void Write(std::string_view text) override;
    const std::string& Text() const { return text_; }
    void Clear() { text_.clear(); }

private:
    std::string text_;
    bool echo_ = false;
};

} // namespace plat
