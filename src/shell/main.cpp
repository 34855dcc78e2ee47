// Entry function: start-up and shutdown in their fixed order.
#include <windows.h>
#include <objbase.h>

#include <memory>

#include "config/global_config.h"
#include "report/report_manager.h"
#include "shell/crash_dump.h"
#include "shell/init_data_report.h"
#include "shell/singleton.h"
#include "support/handle_guard.h"
#include "support/log.h"
#include "support/worker_pool.h"
#include "toolkit/skin_archive.h"
#include "ui/main_wnd.h"
#include "ui/registry_cleanup.h"
#include "ui/silent_wnd.h"

ZEL_LOG_SOURCE("ZELDownloader");

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    LOG_INFO("Main") << L"ZELDownload Start.";
    zelui::SetInstance(instance);
    InitDataReport();

    ::SetUnhandledExceptionFilter(CrashDumpFilter);

    // What the product keys held before this run decides what an unfinished
    // run may remove; the configuration writes its first values next.
    RememberProductKeysAtStartup();
    GlobalConfig::Instance();

    HandleGuard singleton;
    if (!CheckSingleton(singleton)) {
        LOG_INFO("Main") << L"ZELDownloader only run one instance";
        return 0;
    }

    const int silentMode = GlobalConfig::Instance().GetSilentMode();
    std::unique_ptr<CMainWnd> window;
    if (silentMode == 1) {
        window = std::make_unique<CSlientWnd>();
    } else {
        if (silentMode != 0)
            LOG_WARN("Main") << L"unknown silent mode " << silentMode << L", showing the installer window";
        window = std::make_unique<CMainWnd>();
    }
    window->LoadSkinAndLocale();
    window->Create(nullptr, L"ZELDownloader",
                   WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_WINDOWEDGE);
    window->CenterWindow();
    window->ShowModal();
    window.reset();

    LOG_INFO("Main") << L"ZELDownload End.";
    minilib::WorkerPool::Instance().Stop();
    HxReportMgr::CReportManager::Instance().UnInit();
    ::CoUninitialize();
    return 0;
}
