// Linked into every test program: in CI (the variable CI set, as tools/test sets it for .ci/run) a case that
// skips itself says so on a line of its own, which its ctest entry fails on (vqt_test). A case
// skips where something it needs is missing; CI installs everything the tests need, so there a
// skip hides a case that never ran.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class SkipInCi : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { reason_.clear(); }
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (result.skipped() && reason_.empty()) reason_ = result.message();
    }
    void OnTestEnd(const ::testing::TestInfo& test) override {
        if (!test.result()->Skipped() || !InCi()) return;
        for (char& c : reason_)
            if (c == '\n') c = ' ';
        std::printf("A skip in CI fails the test: %s.%s (%s)\n", test.test_suite_name(), test.name(), reason_.c_str());
        std::fflush(stdout);
    }
    static bool InCi() {
        const char* ci = std::getenv("CI");
        return ci && *ci && std::strcmp(ci, "false") != 0 && std::strcmp(ci, "0") != 0;
    }
    std::string reason_;
};

[[maybe_unused]] const bool kListening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new SkipInCi);
    return true;
}();

} // namespace
