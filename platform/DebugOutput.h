#pragma once
#include <string_view>

namespace plat {

/// Where debugger output goes (the stand-in for OutputDebugString).
class DebugOutput {
public:
    virtual ~DebugOutput() = default;
    virtual void Write(std::string_view text) = 0;
};

} // namespace plat
