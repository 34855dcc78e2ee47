// Logs what its arguments ask for, prints the log file path, and exits.
//   log_probe lines N [bytes-per-line]   N Info lines of the given size
//   log_probe threads T N                T threads, N lines each, "t<T>-<i>"
//   log_probe levels                     one statement each at levels 0, 2, 7
//   log_probe text                       wide and ANSI text
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/log.h"
#include "support/text_convert.h"

ZEL_LOG_SOURCE("C:\\src\\probe\\log_probe");

namespace {
// Destroyed after the log has stopped (it was built before the first statement),
// so its line must never reach the file.
struct LogsAtExit {
    ~LogsAtExit() { LOG_INFO("Probe") << L"after exit"; }
} g_logsAtExit;

void Member() {}
struct Widget {
    void Draw() { LOG_INFO("Probe") << L"drawn"; }
};
}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring mode = argc > 1 ? argv[1] : L"";
    std::printf("%s\n", WideToUtf8(zel_log::LogFilePath()).c_str());
    std::fflush(stdout);
    if (mode == L"lines") {
        int n = std::wcstol(argv[2], nullptr, 10);
        size_t size = argc > 3 ? std::wcstoul(argv[3], nullptr, 10) : 16;
        std::wstring pad(size, L'x');
        for (int i = 0; i < n; ++i) LOG_INFO("Probe") << i << L" " << pad;
    } else if (mode == L"threads") {
        int t = std::wcstol(argv[2], nullptr, 10);
        int n = std::wcstol(argv[3], nullptr, 10);
        std::vector<std::thread> threads;
        for (int k = 0; k < t; ++k)
            threads.emplace_back([k, n] {
                for (int i = 0; i < n; ++i) LOG_WARN("Probe") << L"t" << k << L"-" << i << L" " << std::wstring(40, L'y');
            });
        for (auto& th : threads) th.join();
    } else if (mode == L"levels") {
        ZEL_LOG(0, "Probe") << L"level zero";
        ZEL_LOG(2, "Probe") << L"level two";
        ZEL_LOG(7, "Probe") << L"level seven";
        ZEL_LOG(-1, "Probe") << L"level minus one";
        Widget().Draw();
        Member();
    } else if (mode == L"text") {
        LOG_INFO("Probe") << L"wide \u4e2d\u6587 \u00e9" << L" hex " << LogHex(0xBEEF) << L" neg " << -5 << L" u "
                          << 4000000000u;
        LOG_INFO("Probe") << "narrow \xe9";  // ANSI: Latin-1 e-acute on code page 1252
    }
    return 0;
}
