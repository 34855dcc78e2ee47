#pragma once
// Synchronous HTTP/HTTPS exchanges on WinHTTP: one call, one request, up to three
// attempts, the user's proxy as a fallback. Certificates are always verified.
//
//   HttpResult r = HttpGet("https://host/compoment.xml", L"");
//   if (IsGoodResult(r)) Parse(r.body);  // body is UTF-8
//
//   HttpCancel cancel;                     // Cancel() may come from any thread
//   HttpDownloadToFile(url, path, [](double pct) { return true; }, &cancel);
#include <cstdint>
#include <functional>
#include <string>

#include "net/http_cancel.h"

struct HttpResult {
    bool ok = false;       // exchange (and, for a download, the file write) succeeded
    int32_t status = 0;    // HTTP status; 0 when the exchange failed
    uint32_t error = 0;    // the request's last error code
    std::string body;      // response text as UTF-8; empty for downloads and when !ok
};

// Download progress in percent of the Content-Length, on the calling thread:
// at the start, after each piece stored (at most 256 KiB) and once at the end,
// never without a Content-Length. The result is ignored: use HttpCancel to stop.
using HttpProgress = std::function<bool(double)>;

// GET into memory. `charset` presets the body's character set (empty: from the
// response headers). A status text without digits throws std::invalid_argument,
// one out of range std::out_of_range.
HttpResult HttpGet(const std::string& url, const std::wstring& charset, HttpCancel* cancel = nullptr);

// POST `body` with "Content-Length" and "Content-Type: <contentType>" headers.
HttpResult HttpPost(const std::string& url, const std::string& body, const std::string& contentType,
                    HttpCancel* cancel = nullptr);

// GET streamed to `localPath` (created or truncated; every attempt starts it
// again). ok is false when the exchange fails, the body is empty or a write
// fails or writes short. A cancelled call returns promptly with ok false and
// error ERROR_OPERATION_ABORTED.
HttpResult HttpDownloadToFile(const std::wstring& url, const std::wstring& localPath,
                              HttpProgress progress = nullptr, HttpCancel* cancel = nullptr);

// ok, status below 400 and a non-empty body.
bool IsGoodResult(const HttpResult& result);
