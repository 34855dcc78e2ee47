#include "net/http_request.h"

#include <algorithm>
#include <new>
#include <vector>

#include "net/http_cancel.h"
#include "net/http_text.h"
#include "support/log.h"

ZEL_LOG_SOURCE("HttpRequest");

namespace {

constexpr int kAttempts = 3;
constexpr size_t kReadBuffer = 256 * 1024;  // the body never has to fit in memory
constexpr size_t kInitialBody = 10240;
constexpr DWORD kIgnoreCertificateErrors =
    SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID | SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
constexpr size_t kMaxHostName = 259;
constexpr size_t kMaxPath = 1299;
constexpr size_t kMaxProxyText = 259;

std::wstring QueryHeaderText(HINTERNET request, DWORD what) {
    DWORD size = 0;
    ::WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size, WINHTTP_NO_HEADER_INDEX);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return L"";
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (!::WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, &text[0], &size,
                               WINHTTP_NO_HEADER_INDEX))
        return L"";
    text.resize(size / sizeof(wchar_t));
    return text;
}

// Frees the strings WinHTTP hands out in proxy structures.
class GlobalStrings {
public:
    explicit GlobalStrings(std::initializer_list<wchar_t*> strings) : strings_(strings) {}
    ~GlobalStrings() {
        for (wchar_t* s : strings_)
            if (s) ::GlobalFree(s);
    }
    GlobalStrings(const GlobalStrings&) = delete;
    GlobalStrings& operator=(const GlobalStrings&) = delete;

private:
    std::vector<wchar_t*> strings_;
};

}  // namespace

// Shared with the completion callback; owned by the request handle and freed
// when WinHTTP reports the handle closed, so a read still pending after a stop
// request never writes into freed memory.
struct HttpRequest::Pending {
    // A completion on the calling thread happens inside the WinHTTP call that
    // started the operation; it is noted in `finishedInCall` instead of `done`,
    // which spares two kernel calls per piece read.
    const DWORD caller = ::GetCurrentThreadId();
    bool finishedInCall = false;
    HandleGuard done{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    DWORD status = 0;
    DWORD bytes = 0;
    DWORD error = 0;
    std::string buffer = std::string(kReadBuffer, '\0');
    std::string body;
};

namespace {

// WinHTTP runs asynchronously underneath so that a wait can end on a stop
// request: a blocked synchronous call cannot be interrupted under every
// WinHTTP (closing its handle from another thread does not wake it).
void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, void* info, DWORD infoLength) {
    auto* pending = reinterpret_cast<HttpRequest::Pending*>(context);
    if (!pending) return;
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        delete pending;
        return;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
    case WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE:
        pending->bytes = *static_cast<DWORD*>(info);
        break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        pending->bytes = infoLength;
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        pending->error = static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError;
        break;
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        break;
    default:
        return;
    }
    pending->status = status;
    if (::GetCurrentThreadId() == pending->caller) pending->finishedInCall = true;
    else ::SetEvent(pending->done.Get());
}

}  // namespace

HttpRequest::HttpRequest(const std::wstring& u) : url(u) {}

HttpRequest::~HttpRequest() {
    Close();
    proxySession_.Reset();
    if (rootHandle) ::WinHttpCloseHandle(rootHandle);
}

// Waits for the asynchronous operation a call has `started`; false with
// lastError when it could not start, failed or a stop request came first.
bool HttpRequest::Complete(BOOL started) {
    Pending* pending = pending_;
    if (!started) {
        lastError = ::GetLastError();
        // Some WinHTTP report such a failure to the callback too: forget it, so
        // that the next operation waits for its own completion.
        pending->finishedInCall = false;
        ::ResetEvent(pending->done.Get());
        return false;
    }
    // An operation may complete inside the call (WinHTTP then reads on this
    // thread) as often as on WinHTTP's own thread; either way a stop request
    // that has come meanwhile wins over the completion.
    bool stopped = false;
    if (pending->finishedInCall) {
        pending->finishedInCall = false;
        stopped = cancel && cancel->IsCancelled();
    } else {
        HANDLE waits[2] = {};
        DWORD count = 0;
        if (cancel) waits[count++] = cancel->Event();  // first: it wins when both are set
        waits[count++] = pending->done.Get();
        stopped = ::WaitForMultipleObjects(count, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + count - 1;
    }
    if (stopped) {
        aborted_ = true;
        lastError = ERROR_OPERATION_ABORTED;
        return false;
    }
    if (pending->status == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR) {
        lastError = pending->error;
        return false;
    }
    return true;
}

bool HttpRequest::Execute(const std::wstring& methodIn) {
    if (url.empty()) {
        lastError = ERROR_PATH_NOT_FOUND;
        return false;
    }
    const wchar_t* method = nullptr;
    if (_wcsicmp(methodIn.c_str(), L"GET") == 0) method = L"GET";
    else if (_wcsicmp(methodIn.c_str(), L"POST") == 0) method = L"POST";
    if (!method) {
        lastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    if (cancel && cancel->IsCancelled()) {
        lastError = ERROR_OPERATION_ABORTED;
        return false;
    }
    if (!rootHandle) {
        rootHandle = ::WinHttpOpen(userAgent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                   WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
        if (!rootHandle) {
            lastError = ::GetLastError();
            LOG_ERROR("Download") << L"WinHttpOpen failed. error code: " << lastError;
            return false;
        }
    }
    ::WinHttpSetTimeouts(rootHandle, resolveTimeout, connectTimeout, sendTimeout, receiveTimeout);

    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = DWORD(-1);
    if (!::WinHttpCrackUrl(url.c_str(), 0, 0, &parts) || parts.dwHostNameLength > kMaxHostName ||
        parts.dwUrlPathLength + parts.dwExtraInfoLength > kMaxPath) {
        LOG_ERROR("Download") << L"cannot split url " << url << L" error code: " << ::GetLastError();
        return false;
    }
    hostName.assign(parts.lpszHostName, parts.dwHostNameLength);
    target_.method = method;
    target_.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    target_.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    target_.port = parts.nPort;
    target_.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    if (!Open(rootHandle)) return false;

    bool isGet = method[0] == L'G';
    bool completed = false;
    bool bodyFailed = false;
    for (int attempt = 0; attempt < kAttempts && !completed && !bodyFailed && !aborted_; ++attempt) {
        if (!SendWithProxyFallback()) continue;
        if (requestBody &&
            !Complete(::WinHttpWriteData(request_.Get(), pending_->body.data(), requestBodyLength, nullptr)) &&
            aborted_)
            break;
        if (!Complete(::WinHttpReceiveResponse(request_.Get(), nullptr))) {
            LOG_WARN("Download") << L"no response from " << hostName << L" error code: " << lastError;
            continue;
        }
        completed = ReadResponse(isGet, &bodyFailed) == Step::kDone;
    }
    if (aborted_) LOG_WARN("Download") << L"stopped: " << url;
    Close();
    return completed && !bodyFailed;
}

bool HttpRequest::Open(HINTERNET session) {
    Close();
    connection_.Reset(::WinHttpConnect(session, hostName.c_str(), target_.port, 0), ::WinHttpCloseHandle);
    if (!connection_) {
        LOG_ERROR("Download") << L"WinHttpConnect " << hostName << L" failed. error code: " << ::GetLastError();
        return false;
    }
    request_.Reset(::WinHttpOpenRequest(connection_.Get(), target_.method, target_.path.c_str(), nullptr,
                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                        target_.secure ? WINHTTP_FLAG_SECURE : 0),
                   ::WinHttpCloseHandle);
    if (!request_) {
        LOG_ERROR("Download") << L"WinHttpOpenRequest failed. error code: " << ::GetLastError();
        return false;
    }
    auto* pending = new (std::nothrow) Pending;
    if (!pending) return false;
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(pending);
    if (::WinHttpSetStatusCallback(request_.Get(), OnStatus,
                                   WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES,
                                   0) == WINHTTP_INVALID_STATUS_CALLBACK ||
        !::WinHttpSetOption(request_.Get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof(context))) {
        lastError = ::GetLastError();
        ::WinHttpSetStatusCallback(request_.Get(), nullptr, 0, 0);
        delete pending;
        return false;
    }
    pending_ = pending;  // from here the request handle owns it

    if (target_.secure && !verifyCertificates) {
        DWORD flags = kIgnoreCertificateErrors;
        if (!::WinHttpSetOption(request_.Get(), WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof(flags)))
            lastError = ::GetLastError();
    }
    // Added once per request handle: adding them again for a retry would merge
    // each value with itself ("Content-Length: 5; 5").
    if (!extraHeaders.empty() &&
        !::WinHttpAddRequestHeaders(request_.Get(), extraHeaders.c_str(), DWORD(-1),
                                    WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON))
        lastError = ::GetLastError();
    if (requestBody) pending_->body = *requestBody;
    return true;
}

void HttpRequest::Close() {
    pending_ = nullptr;  // freed when WinHTTP reports the request handle closed
    request_.Reset();
    connection_.Reset();
}

bool HttpRequest::SendWithProxyFallback() {
    if (Complete(::WinHttpSendRequest(request_.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                                      0, reinterpret_cast<DWORD_PTR>(pending_))))
        return true;
    if (aborted_) return false;
    LOG_WARN("Download") << L"send to " << hostName << L" failed. error code: " << lastError;
    return ProxyFallback();
}

// The user's own proxy settings, for networks that allow no direct connection.
// The chosen proxy takes effect through a session opened with it: not every
// WinHTTP honours a proxy set on a request that already exists.
bool HttpRequest::ProxyFallback() {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user = {};
    if (!::WinHttpGetIEProxyConfigForCurrentUser(&user)) {
        lastError = ::GetLastError();
        return false;
    }
    GlobalStrings userStrings({user.lpszAutoConfigUrl, user.lpszProxy, user.lpszProxyBypass});
    if (user.lpszAutoConfigUrl) {
        WINHTTP_AUTOPROXY_OPTIONS options = {};
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT | WINHTTP_AUTOPROXY_CONFIG_URL;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP;
        options.lpszAutoConfigUrl = user.lpszAutoConfigUrl;
        options.fAutoLogonIfChallenged = TRUE;
        WINHTTP_PROXY_INFO found = {};
        BOOL asked = ::WinHttpGetProxyForUrl(rootHandle, url.c_str(), &options, &found);
        if (!asked && ::GetLastError() == ERROR_INVALID_PARAMETER) {
            // Some WinHTTP versions refuse detection combined with an address.
            options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
            options.dwAutoDetectFlags = 0;
            asked = ::WinHttpGetProxyForUrl(rootHandle, url.c_str(), &options, &found);
        }
        if (!asked) {
            lastError = ::GetLastError();
            LOG_WARN("Download") << L"no proxy from " << user.lpszAutoConfigUrl << L" error code: " << lastError;
            return false;
        }
        GlobalStrings foundStrings({found.lpszProxy, found.lpszProxyBypass});
        if (!UseProxy(found.lpszProxy, found.lpszProxyBypass)) return false;
        return Complete(::WinHttpSendRequest(request_.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                             WINHTTP_NO_REQUEST_DATA, 0, requestBodyLength,
                                             reinterpret_cast<DWORD_PTR>(pending_)));
    }
    // Used from the next attempt on.
    if (user.lpszProxy) UseProxy(user.lpszProxy, user.lpszProxyBypass);
    return false;
}

bool HttpRequest::UseProxy(const wchar_t* proxy, const wchar_t* bypass) {
    if (!proxy) {  // the script said DIRECT
        lastError = ERROR_WINHTTP_AUTO_PROXY_SERVICE_ERROR;
        return false;
    }
    std::wstring name = std::wstring(proxy).substr(0, kMaxProxyText);
    std::wstring skip = bypass ? std::wstring(bypass).substr(0, kMaxProxyText) : L"";
    proxySession_.Reset(::WinHttpOpen(userAgent.c_str(), WINHTTP_ACCESS_TYPE_NAMED_PROXY, name.c_str(),
                                      bypass ? skip.c_str() : WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC),
                        ::WinHttpCloseHandle);
    if (!proxySession_) {
        lastError = ::GetLastError();
        return false;
    }
    ::WinHttpSetTimeouts(proxySession_.Get(), resolveTimeout, connectTimeout, sendTimeout, receiveTimeout);
    LOG_INFO("Download") << L"through proxy " << name << L" to " << hostName;
    return Open(proxySession_.Get());
}

HttpRequest::Step HttpRequest::ReadResponse(bool isGet, bool* bodyFailed) {
    HINTERNET request = request_.Get();
    Pending* pending = pending_;
    std::wstring headers = QueryHeaderText(request, WINHTTP_QUERY_RAW_HEADERS_CRLF);
    if (!headers.empty()) responseHeaders = headers;
    if (!charsetFixed) {
        std::wstring found = FindCharset(responseHeaders);
        if (!found.empty()) charset = found;
    }
    int32_t announced = 0;
    bool lengthGiven = FindContentLength(headers, &announced);
    if (lengthGiven) contentLength = announced;
    std::wstring status = QueryHeaderText(request, WINHTTP_QUERY_STATUS_CODE);
    if (!status.empty()) statusText = status;

    auto report = [this](uint32_t received) {
        if (progress && contentLength != 0) progress(ProgressPercent(received, contentLength));
    };
    auto store = [&](const char* data, size_t size) -> bool {
        if (sink) {
            if (sink->Write(data, size)) return true;
            lastError = ::GetLastError();
            return false;
        }
        try {
            responseBody.append(data, size);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    };

    if (sink) {
        if (!sink->Restart()) {
            lastError = ::GetLastError();
            *bodyFailed = true;
            return Step::kFailed;
        }
    } else {
        responseBody.clear();
        responseBody.reserve(kInitialBody);
    }
    HtmlCutCheck html;
    uint32_t received = 0;
    bool readFailed = false;
    // Waiting for the network happens only in WinHttpQueryDataAvailable, on
    // WinHTTP's own thread where a stop request can end the wait. A read asks
    // for no more than is already there: a larger read may run inside the call
    // and block this thread until it is filled. Pieces gather in the buffer,
    // which is stored when full (while the next query runs) and at the end;
    // progress comes with each store and once more at the end.
    std::string& buffer = pending->buffer;
    size_t filled = 0;
    auto flush = [&]() {
        html.Feed(buffer.data(), filled);
        report(received);
        const bool stored = store(buffer.data(), filled);
        filled = 0;
        return stored;
    };
    auto startQuery = [request] {
        return ::WinHttpQueryDataAvailable(request, nullptr) ? ERROR_SUCCESS : ::GetLastError();
    };
    report(received);
    DWORD startError = startQuery();
    for (;;) {
        ::SetLastError(startError);
        if (!Complete(startError == ERROR_SUCCESS)) {
            readFailed = true;
            break;
        }
        const size_t want = std::min<size_t>(pending->bytes, buffer.size() - filled);
        if (want == 0) break;
        if (!Complete(::WinHttpReadData(request, &buffer[filled], static_cast<DWORD>(want), nullptr))) {
            readFailed = true;
            break;
        }
        const DWORD got = pending->bytes;
        if (got == 0) break;
        filled += got;
        received += got;
        startError = startQuery();
        if (filled == buffer.size() && !flush()) {
            *bodyFailed = true;
            return Step::kFailed;
        }
    }
    if (aborted_) return Step::kFailed;
    if (!readFailed && filled > 0 && !flush()) {
        *bodyFailed = true;
        return Step::kFailed;
    }
    report(received);
    responseLength = received;
    if (!readFailed && lengthGiven && received < static_cast<uint32_t>(announced)) {
        readFailed = true;  // the connection ended early without an error
        lastError = ERROR_WINHTTP_CONNECTION_ERROR;
    }
    if (readFailed) {
        // The body was broken off: what arrived is not the response.
        LOG_WARN("Download") << L"body from " << hostName << L" broken off after " << received
                             << L" bytes. error code: " << lastError;
        return Step::kFailed;
    }
    if (!sink) responseText = DecodeBody(responseBody, charset);
    if (isGet && html.IsCut()) {
        lastError = ERROR_INVALID_DATA;
        return Step::kFailed;
    }
    return Step::kDone;
}
