// The engine's mutex between threads: a wait times out while another thread holds it, a waiter
// gets it once it is given back, and holders take turns (checked under ThreadSanitizer too).
#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

#include "engine/base/Mutex.h"

namespace {

constexpr uint32_t kLong = 60000; ///< a wait that never runs out in a passing test

TEST(MutexThreadsTest, AWaitTimesOutWhileAnotherThreadHoldsItAndSucceedsOnceItIsGivenBack) {
    CMutex mutex;
    std::promise<void> taken;
    std::promise<void> giveBack;
    std::promise<bool> released;
    std::thread holder([&] {
        const bool got = xMutex_Wait(mutex, 0);
        taken.set_value();
        giveBack.get_future().wait();
        released.set_value(got && xMutex_Release(mutex));
    });
    taken.get_future().wait();
    EXPECT_FALSE(xMutex_Wait(mutex, 0));
    EXPECT_FALSE(xMutex_Wait(mutex, 20));
    EXPECT_FALSE(xMutex_Release(mutex)) << "only the holder gives it back";
    giveBack.set_value();
    EXPECT_TRUE(released.get_future().get());
    EXPECT_TRUE(xMutex_Wait(mutex, kLong));
    EXPECT_TRUE(xMutex_Release(mutex));
    holder.join();
}

TEST(MutexThreadsTest, AWaiterGetsItWhenItsHolderGivesItBack) {
    CMutex mutex;
    ASSERT_TRUE(xMutex_Wait(mutex, 0));
    std::future<bool> waiter = std::async(std::launch::async, [&] {
        const bool got = xMutex_Wait(mutex, kLong);
        return got && xMutex_Release(mutex);
    });
    EXPECT_TRUE(xMutex_Release(mutex));
    EXPECT_TRUE(waiter.get());
}

TEST(MutexThreadsTest, HoldersTakeTurns) {
    CMutex mutex;
    int counted = 0; // guarded by the mutex alone
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                ASSERT_TRUE(xMutex_Wait(mutex, kLong));
                ++counted;
                ASSERT_TRUE(xMutex_Release(mutex));
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(counted, 2000);
}

} // namespace
