#pragma once
// One HTTP exchange on WinHTTP (see http_client.h for the entry functions).
#include <windows.h>
#include <winhttp.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "support/handle_guard.h"

class HttpCancel;

// Receives the body of each attempt instead of HttpRequest::responseBody.
class HttpBodySink {
public:
    virtual ~HttpBodySink() = default;
    // A new attempt starts: forget what an earlier attempt wrote.
    virtual bool Restart() = 0;
    // false (with the thread's last error set) when the bytes were not all stored.
    virtual bool Write(const char* data, size_t size) = 0;
};

class HttpRequest {
public:
    explicit HttpRequest(const std::wstring& url);
    ~HttpRequest();
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    // Runs the exchange ("GET" or "POST", any case) with up to three attempts.
    bool Execute(const std::wstring& method);

    HINTERNET rootHandle = nullptr;
    // Only a test of the client itself turns this off (then certificate
    // authority, date and name errors are ignored).
    bool verifyCertificates = true;
    std::wstring url;
    std::wstring hostName;
    std::wstring responseHeaders;
    std::wstring responseText;  // filled only when the body stays in memory
    std::wstring charset;
    std::string responseBody;  // in memory unless `sink` is set
    uint32_t responseLength = 0;
    std::function<bool(double)> progress;
    int32_t contentLength = 0;
    std::optional<std::string> requestBody;
    uint32_t requestBodyLength = 0;
    std::wstring extraHeaders;
    uint32_t lastError = 0;
    std::wstring statusText;
    std::wstring userAgent = L"ZELDownloader";
    bool charsetFixed = false;
    DWORD resolveTimeout = 0;
    DWORD connectTimeout = 60000;
    DWORD sendTimeout = 30000;
    DWORD receiveTimeout = 30000;

    HttpBodySink* sink = nullptr;      // stream the body here instead of keeping it
    HttpCancel* cancel = nullptr;      // optional stop request from another thread

    struct Pending;  // the state WinHTTP's completion callback shares with us

private:
    enum class Step { kDone, kFailed };
    struct Target {
        const wchar_t* method = nullptr;
        std::wstring path;  // with the query
        INTERNET_PORT port = 0;
        bool secure = false;
    };
    bool Open(HINTERNET session);
    void Close();
    bool SendWithProxyFallback();
    bool ProxyFallback();
    bool UseProxy(const wchar_t* proxy, const wchar_t* bypass);
    Step ReadResponse(bool isGet, bool* bodyFailed);
    bool Complete(BOOL started);

    Target target_;
    HandleGuard proxySession_;  // opened naming the user's proxy once the fallback chose it
    HandleGuard connection_;
    HandleGuard request_;
    Pending* pending_ = nullptr;  // owned by request_
    bool aborted_ = false;        // a stop request ended the exchange
};
