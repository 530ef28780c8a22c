#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "framework/critical_section.h"
#include "framework/worker_thread.h"

namespace {

TEST(CCriticalSection, ReentrantOnOneThreadExclusiveAcrossThreads) {
    fw::CCriticalSection section;
    std::atomic<bool> entered{false};
    fw::WorkerThread other;
    {
        fw::ScopedLock outer(section);
        fw::ScopedLock nested(section);  // the holder may take it again
        ASSERT_TRUE(other.Start([&] {
            fw::ScopedLock lock(section);
            entered = true;
        }));
        ::Sleep(50);
        EXPECT_FALSE(entered);  // the other thread waits while this one holds it
    }
    other.Join();
    EXPECT_TRUE(entered);
}

TEST(WorkerThread, JoinWaitsAndDestructionJoins) {
    std::atomic<int> steps{0};
    {
        fw::WorkerThread thread;
        ASSERT_TRUE(thread.Start([&] {
            ::Sleep(50);
            ++steps;
        }));
        EXPECT_FALSE(thread.Start([] {}));  // one thread at a time
    }
    EXPECT_EQ(steps, 1);

    fw::WorkerThread thread;
    ASSERT_TRUE(thread.Start([&] { ++steps; }));
    thread.Join();
    EXPECT_EQ(steps, 2);
    EXPECT_FALSE(thread.IsStarted());
    ASSERT_TRUE(thread.Start([&] { ++steps; }));  // reusable after a join
    thread.Join();
    EXPECT_EQ(steps, 3);
}

TEST(WorkerThread, JoinFromTheThreadItselfDoesNotWait) {
    fw::WorkerThread thread;
    std::atomic<bool> done{false};
    HANDLE started = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(thread.Start([&] {
        ::WaitForSingleObject(started, INFINITE);
        thread.Join();
        done = true;
    }));
    ::SetEvent(started);
    for (int i = 0; i < 500 && !done; ++i) ::Sleep(10);
    EXPECT_TRUE(done);
    ::CloseHandle(started);
}

}  // namespace
