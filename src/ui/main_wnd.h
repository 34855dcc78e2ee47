#pragma once
// The installer's window: five pages (start, install options, installing,
// error, complete) over a rotating background. It owns one install run
// (CInstallEngine on its worker thread) and is the engine's host: everything
// the worker asks of the controls arrives as a task queued with
// PostToUiThread and run on the window thread, one task per WM_UI_TASK.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "install/install_engine.h"
#include "install/install_host.h"
#include "toolkit/window_impl_base.h"

// Window message that runs one queued UI task (both parameters 0).
inline constexpr UINT WM_UI_TASK = WM_USER + 100;

class CMainWnd : public zelui::WindowImplBase, public IInstallHost {
public:
    // `settings` lets tests run the engine on chosen settings; by default the
    // engine reads the global configuration.
    explicit CMainWnd(CInstallEngine::SettingsSource settings = ReadInstallSettings);
    ~CMainWnd() override;

    // ---- Toolkit ---------------------------------------------------------
    LPCWSTR GetWindowClassName() const override { return L"WindowImplBase"; }
    UINT GetClassStyle() const override { return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS; }
    void OnFinalMessage(HWND) override {}
    std::wstring GetSkinFile() const override { return L"zeldownloader.xml"; }
    UINT GetResourceID() const override { return 133; }
    void Notify(zelui::TNotifyUI& msg) override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // The skin package and the texts of the configured language; before Create.
    void LoadSkinAndLocale();
    void OnPrepare() override;

    // ---- Install host ----------------------------------------------------
    void PostToUiThread(UiTask task) override;
    void UpdateProgress(double percent, uint32_t speedKbps) override;
    void SetProgressValue(int percent) override;
    void StartStatusTimer() override;
    void StopStatusTimer() override;
    void RecordDownloadAverageSpeed(uint32_t averageKbps) override;
    void OnInstallSuccess() override;
    void OnInstallFailure() override;

    // ---- Pages and actions (window thread) -------------------------------
    void HideAllPages();
    void ShowPage(const wchar_t* name);
    void RotateBackground();
    void TickInstallingStatus();
    void ShowErrorPage();
    void ConfirmExit();
    void OnInstallClicked();
    void StartInstall();
    void BrowseInstallPath();
    // Starts the market application, makes the desktop shortcut when the
    // option is selected, and closes the window. Window thread, or the worker
    // thread in the silent window.
    void FinishInstall();

    CInstallEngine& Engine() { return engine_; }
    bool AllComponentsInstalled() const { return engine_.AllComponentsInstalled(); }

    // Formats a download percentage for the status text: three significant
    // digits, no exponent ("12.3", "5", "100" for 99.96).
    static std::wstring FormatPercent(double percent);
    // Next background index (1..count) after `index`.
    static int NextBackgroundIndex(int index, int count);
    // Next number of dots (1..4) after `count`.
    static int NextStatusDots(int count);

protected:
    bool OnWindowThread() const { return ::GetCurrentThreadId() == uiThreadId_; }

private:
    void CleanUpUnfinishedRun();

    CInstallEngine engine_;
    DWORD uiThreadId_;
    zelui::Control* progressBar_ = nullptr;
    zelui::Control* statusLabel_ = nullptr;
    zelui::Control* bkgLayout_ = nullptr;
    bool useDefaultBackgrounds_ = false;
    std::mutex uiTaskLock_;
    std::deque<UiTask> uiTasks_;
};
