// Entry function: start-up and shutdown in their fixed order.
#include <windows.h>
#include <objbase.h>

#include "shell/crash_dump.h"
#include "shell/singleton.h"
#include "support/handle_guard.h"
#include "support/log.h"

ZEL_LOG_SOURCE("ZELDownloader");

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    LOG_INFO("Main") << L"ZELDownload Start.";
    (void)instance;

    ::SetUnhandledExceptionFilter(CrashDumpFilter);

    HandleGuard singleton;
    if (!CheckSingleton(singleton)) {
        LOG_INFO("Main") << L"ZELDownloader only run one instance";
        return 0;
    }

    LOG_INFO("Main") << L"ZELDownload End.";
    ::CoUninitialize();
    return 0;
}
