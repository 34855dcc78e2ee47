#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "harness/test_support.h"
#include "support/worker_pool.h"

using minilib::BinderBase;
using minilib::Callback;
using minilib::CBChecker;
using minilib::WorkerPool;
using namespace zeltest;

namespace {

// A one-shot gate a task can wait on.
class Gate {
public:
    void Open() { promise_.set_value(); }
    void Wait() { future_.wait(); }

private:
    std::promise<void> promise_;
    std::shared_future<void> future_ = promise_.get_future().share();
};

}  // namespace

TEST(WorkerPoolTest, OneWorkerRunsTasksInPostOrder) {
    WorkerPool pool;
    pool.Start(1);
    std::vector<int> order;  // touched only by the single worker until `done`
    Gate done;
    for (int i = 1; i <= 3; ++i) pool.Post(Callback<void()>([&order, i] { order.push_back(i); }));
    pool.Post(Callback<void()>([&done] { done.Open(); }));
    done.Wait();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    pool.Stop();
}

TEST(WorkerPoolTest, StopWaitsForTheRunningTaskAndDropsQueuedOnes) {
    const long bindersBefore = BinderBase::LiveCount();
    bool queuedRan = false;
    bool runningFinished = false;
    bool finishedWhenStopReturned = false;
    {
        WorkerPool pool;
        pool.Start(1);
        Gate started, release;
        pool.Post(Callback<void()>([&] {
            started.Open();
            release.Wait();
            runningFinished = true;
        }));
        pool.Post(Callback<void()>([&] { queuedRan = true; }));
        started.Wait();
        std::thread stopper([&] {
            pool.Stop();
            finishedWhenStopReturned = runningFinished;
        });
        // Once Stop has begun, the worker ends after its task instead of
        // taking the next one.
        while (pool.Running()) std::this_thread::yield();
        release.Open();
        stopper.join();

        pool.Stop();  // a second Stop does nothing
        pool.Post(Callback<void()>([&] { queuedRan = true; }));  // never runs: nothing restarts the pool
        EXPECT_EQ(BinderBase::LiveCount(), bindersBefore + 2);  // both unrun tasks still queued
    }
    EXPECT_TRUE(finishedWhenStopReturned);
    EXPECT_FALSE(queuedRan);
    EXPECT_EQ(BinderBase::LiveCount(), bindersBefore);  // destroyed with the pool
}

TEST(WorkerPoolTest, ZeroWorkersQueueButNeverRun) {
    bool ran = false;
    WorkerPool pool;
    pool.Start(0);
    pool.Post(Callback<void()>([&ran] { ran = true; }));
    pool.Stop();
    EXPECT_FALSE(ran);
}

TEST(CallbackTest, CopiesShareOneBinderAndMovesEmptyTheSource) {
    const long checkersBefore = CBChecker::LiveCount();
    const long bindersBefore = BinderBase::LiveCount();
    auto token = std::make_shared<int>(0);  // held by the stored callable
    int calls = 0;
    {
        Callback<void()> first([token, &calls] { ++calls; });
        {
            Callback<void()> copy = first;
            EXPECT_EQ(CBChecker::LiveCount(), checkersBefore + 2);
            EXPECT_EQ(BinderBase::LiveCount(), bindersBefore + 1);
            first();
            copy();
            EXPECT_EQ(calls, 2);
        }
        EXPECT_EQ(token.use_count(), 2) << "the binder must outlive one of two copies";

        Callback<void()> moved = std::move(first);
        EXPECT_FALSE(first);
        EXPECT_THROW(first(), std::bad_function_call);
        moved();
        EXPECT_EQ(calls, 3);
    }
    EXPECT_EQ(token.use_count(), 1) << "the last copy destroys the binder and its callable";
    EXPECT_EQ(CBChecker::LiveCount(), checkersBefore);
    EXPECT_EQ(BinderBase::LiveCount(), bindersBefore);
}

// The leak report at exit, read from a helper's standard output.
TEST(CallbackTest, LeakLinesAtExit) {
    const struct {
        const wchar_t* mode;
        const char* output;
    } cases[] = {
        {L"clean", ""},
        {L"leak",
         "*** Leaked objects detected: 1 instance(s) of class BinderBase\n"
         "*** Leaked objects detected: 1 instance(s) of class CBChecker\n"},
    };
    for (const auto& c : cases) {
        ProcessResult r = RunProcess(Quote(TestBinPath(L"callback_probe.exe")) + L" " + c.mode);
        ASSERT_TRUE(r.started);
        EXPECT_EQ(r.exitCode, 0u) << c.mode;
        std::string output;
        for (char ch : r.output)
            if (ch != '\r') output.push_back(ch);
        EXPECT_EQ(output, c.output) << c.mode;
    }
}
