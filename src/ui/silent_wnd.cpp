#include "ui/silent_wnd.h"

#include "report/data_report.h"

void CSlientWnd::OnPrepare() {
    ::ShowWindow(GetHWND(), SW_HIDE);
    CMainWnd::OnPrepare();
    // Everything installed already: the preparation has finished the run.
    if (Engine().InstallState() != 10) StartInstall();
}

void CSlientWnd::OnInstallSuccess() { FinishInstall(); }

void CSlientWnd::OnInstallFailure() {
    DataReport::Instance().ReportEvent(1001, static_cast<uint64_t>(static_cast<int64_t>(Engine().ErrorCode())), 0, 0,
                                       0);
    Close(1);
}
