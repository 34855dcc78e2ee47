// download_bench.exe client|raw URL OUT_FILE
// Fetches URL into OUT_FILE either with HttpDownloadToFile ("client") or with
// the plainest synchronous WinHTTP loop ("raw": read 64 KiB, write, repeat),
// then prints one line: "seconds=S bytes=N peak_working_set=B".
#include <windows.h>
#include <psapi.h>
#include <winhttp.h>

#include <cstdio>
#include <string>
#include <vector>

#include "net/http_client.h"

namespace {

long long RawDownload(const std::wstring& url, const std::wstring& out) {
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = DWORD(-1);
    if (!::WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return -1;
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength + parts.dwExtraInfoLength);
    HINTERNET session = ::WinHttpOpen(L"bench", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    HINTERNET connection = ::WinHttpConnect(session, host.c_str(), parts.nPort, 0);
    HINTERNET request = ::WinHttpOpenRequest(connection, L"GET", path.c_str(), nullptr, nullptr, nullptr,
                                             parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
    long long total = -1;
    if (request && ::WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0) &&
        ::WinHttpReceiveResponse(request, nullptr)) {
        HANDLE file = ::CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        std::vector<char> buffer(64 * 1024);
        DWORD got = 0;
        total = 0;
        while (::WinHttpReadData(request, buffer.data(), static_cast<DWORD>(buffer.size()), &got) && got > 0) {
            DWORD written = 0;
            ::WriteFile(file, buffer.data(), got, &written, nullptr);
            total += got;
        }
        ::CloseHandle(file);
    }
    ::WinHttpCloseHandle(request);
    ::WinHttpCloseHandle(connection);
    ::WinHttpCloseHandle(session);
    return total;
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: download_bench client|raw URL OUT_FILE\n");
        return 2;
    }
    std::wstring mode = argv[1], url = argv[2], out = argv[3];
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    long long bytes = -1;
    if (mode == L"raw") {
        bytes = RawDownload(url, out);
    } else {
        HttpResult r = HttpDownloadToFile(url, out);
        if (r.ok) bytes = FileSize(out);
    }
    ::QueryPerformanceCounter(&end);
    PROCESS_MEMORY_COUNTERS memory = {};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
    std::printf("seconds=%.3f bytes=%lld peak_working_set=%lu\n",
                double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart), bytes,
                static_cast<unsigned long>(memory.PeakWorkingSetSize));
    return bytes > 0 ? 0 : 1;
}
