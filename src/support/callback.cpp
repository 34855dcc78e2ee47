#include "support/callback.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace minilib {

namespace {

// Plain atomics: constant-initialised and never destroyed, so objects that die
// late in the exit sequence can still count themselves out.
std::atomic<long> g_cbCheckers{0};
std::atomic<long> g_binders{0};

void ReportLeaks(long count, const char* className) {
    if (count <= 0) return;
    std::printf("*** Leaked objects detected: %ld instance(s) of class %s\n", count, className);
    std::fflush(stdout);
}

void ReportCBCheckers() { ReportLeaks(g_cbCheckers.load(), "CBChecker"); }
void ReportBinders() { ReportLeaks(g_binders.load(), "BinderBase"); }

// The report step is registered when the count is first used, so it runs after
// everything created later (the worker pool and its queued tasks) is gone.
std::atomic<long>& CBCheckerCount() {
    static const bool registered = std::atexit(ReportCBCheckers) == 0;
    (void)registered;
    return g_cbCheckers;
}

std::atomic<long>& BinderCount() {
    static const bool registered = std::atexit(ReportBinders) == 0;
    (void)registered;
    return g_binders;
}

}  // namespace

CBChecker::CBChecker() { ++CBCheckerCount(); }
CBChecker::CBChecker(const CBChecker&) { ++CBCheckerCount(); }
CBChecker::~CBChecker() { --g_cbCheckers; }
long CBChecker::LiveCount() { return g_cbCheckers.load(); }

BinderBase::BinderBase() { ++BinderCount(); }
BinderBase::~BinderBase() { --g_binders; }
long BinderBase::LiveCount() { return g_binders.load(); }

}  // namespace minilib
