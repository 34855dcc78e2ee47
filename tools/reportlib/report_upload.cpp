#include "report_upload.h"

#include <windows.h>
#include <winhttp.h>

#include <cstdlib>

#include "support/text_convert.h"

namespace reportlib {
namespace {

struct InternetHandle {
    HINTERNET h;
    explicit InternetHandle(HINTERNET handle) : h(handle) {}
    ~InternetHandle() {
        if (h) ::WinHttpCloseHandle(h);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
};

// Reports run on the caller's thread, often the window's: keep waits short.
constexpr int kTimeoutMs = 5000;

}  // namespace

void AppendPart(std::string& body, char kind, const void* bytes, uint32_t size) {
    body.push_back(kind);
    for (int shift = 24; shift >= 0; shift -= 8) body.push_back(static_cast<char>((size >> shift) & 0xFF));
    body.append(static_cast<const char*>(bytes), size);
}

void SplitHostPort(const std::string& text, int defaultPort, std::string& host, int& port) {
    host = text;
    port = defaultPort;
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon + 1 == text.size()) return;
    char* end = nullptr;
    long value = std::strtol(text.c_str() + colon + 1, &end, 10);
    if (*end != '\0' || value <= 0 || value > 65535) return;
    host = text.substr(0, colon);
    port = static_cast<int>(value);
}

bool Upload(const std::string& host, int port, const std::string& body) {
    InternetHandle session(::WinHttpOpen(L"ZELDownloader-report", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                         WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session.h) return false;
    ::WinHttpSetTimeouts(session.h, kTimeoutMs, kTimeoutMs, kTimeoutMs, kTimeoutMs);
    InternetHandle connection(::WinHttpConnect(session.h, Utf8ToWide(host).c_str(), static_cast<INTERNET_PORT>(port), 0));
    if (!connection.h) return false;
    InternetHandle request(::WinHttpOpenRequest(connection.h, L"POST", kUploadPath, nullptr, WINHTTP_NO_REFERER,
                                                WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
    if (!request.h) return false;
    const wchar_t* headers = L"Content-Type: application/octet-stream\r\n";
    if (!::WinHttpSendRequest(request.h, headers, static_cast<DWORD>(-1L), const_cast<char*>(body.data()),
                              static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0) ||
        !::WinHttpReceiveResponse(request.h, nullptr))
        return false;
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::WinHttpQueryHeaders(request.h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
        return false;
    return status >= 200 && status < 300;
}

}  // namespace reportlib
