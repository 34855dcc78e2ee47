#pragma once
// One process-wide pool of worker threads running posted callbacks in FIFO
// order. Once stopped it stays stopped: later posts are queued and never run.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "support/callback.h"

namespace minilib {

class TaskQueue {
public:
    using Task = std::function<void()>;

    ~TaskQueue() { Stop(); }

    void Push(Task task);
    // Waits for a task; false once the queue is stopped (queued tasks stay unrun).
    bool Pop(Task& task);
    void Stop();
    void Restart();

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Task> tasks_;
    bool stopped_ = false;
};

class WorkerPool {
public:
    // Created and started with one worker per logical processor on first use;
    // destroyed (and so stopped) at process exit.
    static WorkerPool& Instance();

    WorkerPool() = default;  // not started: Instance() starts its pool
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void Start(unsigned count);
    // Lets running tasks finish, joins every worker; queued tasks are dropped.
    void Stop();
    void Post(Callback<void()> callback);
    // True from Start until Stop begins.
    bool Running() const { return running_; }

private:
    void Run();

    std::vector<std::thread> threads_;
    TaskQueue queue_;
    std::mutex control_;
    std::atomic<bool> running_{false};
};

}  // namespace minilib
