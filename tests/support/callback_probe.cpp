// Helper for worker_pool_test: uses the process-wide pool the way the event
// reporter does (the callback is built before the pool is first reached) and
// exits; the leak report, if any, is its only output.
//   clean   every callback is gone at exit (one still queued after Stop dies
//           with the pool)
//   leak    one callback is never destroyed
#include <future>
#include <string>

#include "support/worker_pool.h"

using minilib::Callback;
using minilib::WorkerPool;

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";

    std::promise<void> ran;
    Callback<void()> task([&ran] { ran.set_value(); });
    WorkerPool::Instance().Post(task);
    ran.get_future().wait();

    if (mode == L"leak") new Callback<void()>(task);  // never deleted

    WorkerPool::Instance().Stop();
    WorkerPool::Instance().Post(Callback<void()>([] {}));
    return 0;
}
