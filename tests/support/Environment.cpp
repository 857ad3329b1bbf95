#include "tests/support/Environment.h"

#include <cstdlib>

namespace vqt::test {

namespace {

void Put(const std::string& name, const char* value) {
    if (value != nullptr) {
        ::setenv(name.c_str(), value, 1);
    } else {
        ::unsetenv(name.c_str());
    }
}

} // namespace

ScopedVariable::ScopedVariable(std::string name, const char* value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    Put(name_, value);
}

ScopedVariable::~ScopedVariable() { Put(name_, old_ ? old_->c_str() : nullptr); }

} // namespace vqt::test
