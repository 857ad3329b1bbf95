// The engine's mutex on one thread: without a handle, taken again by its holder, given back no
// more often than taken.
#include <gtest/gtest.h>

#include <vector>

#include "engine/base/Mutex.h"

namespace {

TEST(MutexTest, ItsHolderTakesItAgainAndWithoutAHandleWaitsFailAndReleasesSucceed) {
    enum Op { kWait, kRelease };
    struct Step {
        Op op;
        bool result;
    };
    struct Case {
        CMutex::Handle handle;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {CMutex::Handle::None, {{kWait, false}, {kRelease, true}, {kRelease, true}}},
        {CMutex::Handle::Made, {{kRelease, false}, {kWait, true}, {kWait, true}, {kRelease, true}, {kRelease, true},
                                {kRelease, false}, {kWait, true}, {kRelease, true}}},
    };
    for (const Case& c : cases) {
        CMutex mutex(c.handle);
        EXPECT_EQ(mutex.HasHandle(), c.handle == CMutex::Handle::Made);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            const bool result = step.op == kWait ? xMutex_Wait(mutex, 0) : xMutex_Release(mutex);
            EXPECT_EQ(result, step.result) << "step " << i << " with a handle: " << mutex.HasHandle();
        }
    }
    CMutex none(CMutex::Handle::None);
    EXPECT_FALSE(xMutex_Wait(none, 100000)) << "without a handle nothing is waited for";
}

} // namespace
