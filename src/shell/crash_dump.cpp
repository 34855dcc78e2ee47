#include "shell/crash_dump.h"

#include <dbghelp.h>
#include <shlobj.h>

#include <ctime>

#include "report/data_report.h"
#include "support/handle_guard.h"

std::wstring CrashDumpFileName(uint64_t unixSeconds) { return std::to_wstring(unixSeconds) + L".dmp"; }

LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exceptionPointers) {
    DataReport::Instance().ReportEvent(1002, 0, 0, 0, 0);
    // Best effort throughout: a failure here must not raise a second fault.
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return EXCEPTION_CONTINUE_SEARCH;
    std::wstring folder = std::wstring(appData) + L"\\downloader_dumps\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);

    std::wstring path = folder + CrashDumpFileName(static_cast<uint64_t>(std::time(nullptr)));
    HandleGuard file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return EXCEPTION_CONTINUE_SEARCH;

    MINIDUMP_EXCEPTION_INFORMATION info;
    info.ThreadId = ::GetCurrentThreadId();
    info.ExceptionPointers = exceptionPointers;
    info.ClientPointers = FALSE;
    ::MiniDumpWriteDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file.Get(), MiniDumpNormal, &info, nullptr,
                        nullptr);
    return EXCEPTION_CONTINUE_SEARCH;
}
