#pragma once
// A stop request for HTTP calls in progress. The calling thread hands the token
// to HttpGet/HttpPost/HttpDownloadToFile; any other thread may call Cancel(),
// which makes the call stop waiting on the network at once and return with ok
// false and error ERROR_OPERATION_ABORTED. A cancelled token stays cancelled:
// later calls with it fail at once.
#include <windows.h>

#include <atomic>

#include "support/handle_guard.h"

class HttpCancel {
public:
    HttpCancel() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    HttpCancel(const HttpCancel&) = delete;
    HttpCancel& operator=(const HttpCancel&) = delete;

    void Cancel() {
        cancelled_ = true;
        ::SetEvent(event_.Get());
    }
    // A plain flag, cheap enough to ask after every piece read.
    bool IsCancelled() const { return cancelled_; }
    // Manual-reset event, signalled by Cancel(); the client waits on it.
    HANDLE Event() const { return event_.Get(); }

private:
    std::atomic<bool> cancelled_{false};
    HandleGuard event_;
};
