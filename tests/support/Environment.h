#pragma once
#include <optional>
#include <string>

namespace vqt::test {

/// Sets an environment variable (or, with null, removes it) for its lifetime; the value it had
/// before, or its absence, comes back at the end.
class ScopedVariable {
public:
    ScopedVariable(std::string name, const char* value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

} // namespace vqt::test
