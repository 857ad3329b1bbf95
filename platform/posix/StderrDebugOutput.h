#pragma once
#include "platform/DebugOutput.h"

namespace plat {

/// Debugger output of a real run: standard error.
class StderrDebugOutput final : public DebugOutput {
public:
    void Write(std::string_view text) override;
};

} // namespace plat
