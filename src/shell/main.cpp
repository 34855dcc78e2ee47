// Entry function: start-up and shutdown in their fixed order.
#include <windows.h>
#include <objbase.h>

#include "config/global_config.h"
#include "report/report_manager.h"
#include "shell/crash_dump.h"
#include "shell/init_data_report.h"
#include "shell/singleton.h"
#include "support/handle_guard.h"
#include "support/log.h"
#include "support/worker_pool.h"

ZEL_LOG_SOURCE("ZELDownloader");

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    LOG_INFO("Main") << L"ZELDownload Start.";
    (void)instance;
    InitDataReport();

    ::SetUnhandledExceptionFilter(CrashDumpFilter);

    GlobalConfig::Instance();

    HandleGuard singleton;
    if (!CheckSingleton(singleton)) {
        LOG_INFO("Main") << L"ZELDownloader only run one instance";
        return 0;
    }

    LOG_INFO("Main") << L"ZELDownload End.";
    minilib::WorkerPool::Instance().Stop();
    HxReportMgr::CReportManager::Instance().UnInit();
    ::CoUninitialize();
    return 0;
}
