#include "support/worker_pool.h"

namespace minilib {

void TaskQueue::Push(Task task) {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
    ready_.notify_one();
}

bool TaskQueue::Pop(Task& task) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (stopped_) return false;
        if (!tasks_.empty()) {
            task = std::move(tasks_.front());
            tasks_.pop_front();
            return true;
        }
        ready_.wait(lock);
    }
}

void TaskQueue::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    ready_.notify_all();
}

void TaskQueue::Restart() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = false;
}

WorkerPool& WorkerPool::Instance() {
    static WorkerPool pool;
    static const bool started = (pool.Start(std::thread::hardware_concurrency()), true);
    (void)started;
    return pool;
}

WorkerPool::~WorkerPool() { Stop(); }

void WorkerPool::Start(unsigned count) {
    std::lock_guard<std::mutex> lock(control_);
    if (running_) return;
    running_ = true;
    queue_.Restart();
    for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this] { Run(); });
}

void WorkerPool::Stop() {
    std::lock_guard<std::mutex> lock(control_);
    if (!running_) return;
    running_ = false;
    queue_.Stop();
    for (auto& t : threads_) t.join();
    threads_.clear();
}

void WorkerPool::Post(Callback<void()> callback) { queue_.Push(std::move(callback)); }

void WorkerPool::Run() {
    for (;;) {
        TaskQueue::Task task;
        if (queue_.Pop(task)) task();
        if (!running_) return;
    }
}

}  // namespace minilib
