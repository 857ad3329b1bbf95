#include "platform/headless/RecordingDebugOutput.h"

#include <cstdio>
#include <cstdlib>

namespace plat {

RecordingDebugOutput::RecordingDebugOutput() : echo_(std::getenv("VQT_DEBUG_STDERR") != nullptr) {}

void RecordingDebugOutput::Write(std::string_view text) {
    text_.append(text);
    if (echo_) {
        std::fwrite(text.data(), 1, text.size(), stderr);
    }
}

} // namespace plat
