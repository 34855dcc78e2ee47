#pragma once
// Streams a download into "<path>.part" and puts it in place only when the
// whole exchange has succeeded, so a failed download never leaves a partial
// file under the final name.
#include <string>

#include "net/http_request.h"
#include "support/handle_guard.h"

class HttpFileSink : public HttpBodySink {
public:
    explicit HttpFileSink(const std::wstring& path);
    ~HttpFileSink() override;  // removes the partial file unless committed

    bool Restart() override;
    bool Write(const char* data, size_t size) override;
    // Closes the file and moves it to the final path; false with the thread's
    // last error set when that fails.
    bool Commit();

private:
    std::wstring path_;
    std::wstring partPath_;
    HandleGuard file_;
};
