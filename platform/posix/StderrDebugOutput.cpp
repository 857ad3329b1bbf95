#include "platform/posix/StderrDebugOutput.h"

#include <cstdio>

namespace plat {

void StderrDebugOutput::Write(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
}

} // namespace plat
