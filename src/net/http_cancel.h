#pragma once
// A stop request for HTTP calls in progress. The calling thread hands the token
// to HttpGet/HttpPost/HttpDownloadToFile; any other thread may call Cancel(),
// which makes the call stop waiting on the network at once and return with ok
// false and error ERROR_OPERATION_ABORTED. A cancelled token stays cancelled:
// later calls with it fail at once.
#include <windows.h>

#include "support/handle_guard.h"

class HttpCancel {
public:
    HttpCancel() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    HttpCancel(const HttpCancel&) = delete;
    HttpCancel& operator=(const HttpCancel&) = delete;

    void Cancel() { ::SetEvent(event_.Get()); }
    bool IsCancelled() const { return ::WaitForSingleObject(event_.Get(), 0) == WAIT_OBJECT_0; }
    // Manual-reset event, signalled by Cancel(); the client waits on it.
    HANDLE Event() const { return event_.Get(); }

private:
    HandleGuard event_;
};
