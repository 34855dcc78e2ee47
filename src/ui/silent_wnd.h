#pragma once
// The silent build's window: hides itself at its first paint, installs at
// once, and finishes (market application, shortcut) or closes on failure
// without asking or showing anything.
#include "ui/main_wnd.h"

class CSlientWnd : public CMainWnd {
public:
    using CMainWnd::CMainWnd;
    ~CSlientWnd() override = default;

    void OnPrepare() override;
    void OnInstallSuccess() override;
    void OnInstallFailure() override;
};
