#include "ui/main_wnd.h"

#include <shlobj.h>

#include <cstdio>

#include "config/global_config.h"
#include "config/quillbox_key.h"
#include "report/data_report.h"
#include "shell/startup_tables.h"
#include "support/log.h"
#include "support/process_utils.h"
#include "support/reg_key.h"
#include "support/text_convert.h"
#include "toolkit/control.h"
#include "toolkit/skin_archive.h"
#include "ui/desktop_shortcut.h"
#include "ui/install_location.h"
#include "ui/market_launch.h"
#include "ui/message_box.h"
#include "ui/registry_cleanup.h"
#include "ui/skin_loader.h"
#include "ui/text_table.h"

ZEL_LOG_SOURCE("MainWnd");

namespace {

constexpr UINT kBackgroundTimer = 0;
constexpr UINT kStatusTimer = 1;
constexpr UINT kBackgroundPeriodMs = 5000;
constexpr UINT kStatusPeriodMs = 1000;

// Process-wide, like the window's life: a second window continues the cycle.
int g_backgroundIndex = 1;
int g_statusDots = 0;

const wchar_t* const kPages[] = {L"start", L"custom_install", L"installing", L"complete", L"error"};

}  // namespace

CMainWnd::CMainWnd(CInstallEngine::SettingsSource settings)
    : engine_(*this, std::move(settings)), uiThreadId_(::GetCurrentThreadId()) {
    zelui::MakeProcessSystemDpiAware();
    engine_.GetNeedInstallComponentLocalInfo();
}

CMainWnd::~CMainWnd() {
    // Closing never waits for a download or an installer run: the engine
    // abandons them and the worker leaves at once.
    engine_.Cancel();
    engine_.Join();
    if (bkgLayout_ && IsControlInTree(bkgLayout_)) KillTimer(bkgLayout_, kBackgroundTimer);
    CleanUpUnfinishedRun();
    DataReport::Instance().ReportEvent(1003, static_cast<uint64_t>(static_cast<int64_t>(engine_.InstallState())), 0, 0,
                                       0);
}

void CMainWnd::CleanUpUnfinishedRun() {
    if (engine_.InstallState() == 10 || engine_.AllComponentsInstalled()) return;
    std::vector<std::wstring> unfinishedKeys;
    const ComponentInfoMap& components = engine_.ComponentMap();
    for (const auto& item : engine_.InstallList()) {
        auto it = components.find(item.id);
        if (it != components.end() && !it->second.installed) unfinishedKeys.push_back(item.writePathToRegKey);
    }
    for (const auto& key : KeysToRemoveAfterUnfinishedRun(ProductKeysAtStartup(), unfinishedKeys)) {
        RegKey::DeleteTree(key.first, key.second);
    }
    LOG_INFO("MainWnd") << L"install failed. clear all runtime register key.";
}

void CMainWnd::LoadSkinAndLocale() { ::LoadSkinAndLocale(GlobalConfig::Instance().GetLanguage()); }

void CMainWnd::OnPrepare() {
    DataReport::Instance().ReportEvent(1, 0, 0, 0, 0);
    const GlobalConfig& config = GlobalConfig::Instance();
    if (zelui::Control* title = FindControl(L"title_label")) title->SetText(config.GetTitle());
    bkgLayout_ = FindControl(L"bkg_layout");
    const std::wstring firstPicture = L"img/bkg/" + config.GetLanguage() + L"/bkg1.png";
    zelui::SkinArchive& skin = zelui::SkinArchive::Instance();
    if (!skin.IsOpen() || !skin.Contains(firstPicture)) useDefaultBackgrounds_ = true;
    RotateBackground();
    if (bkgLayout_ && IsControlInTree(bkgLayout_)) SetTimer(bkgLayout_, kBackgroundTimer, kBackgroundPeriodMs);

    if (AllComponentsInstalled()) {
        engine_.SetInstallState(10);
        LOG_INFO("MainWnd") << L"all needed component installed.";
        DataReport::Instance().ReportEvent(2, 0, 0, 0, 0);
        OnInstallSuccess();
        return;
    }
    progressBar_ = FindControl(L"installing_progress");
    statusLabel_ = FindControl(L"install_status_text");
    ShowPage(L"start");
}

void CMainWnd::Notify(zelui::TNotifyUI& msg) {
    if (msg.sType == zelui::kNotifyClick && msg.pSender) {
        const std::wstring name = msg.pSender->GetName();
        DataReport& report = DataReport::Instance();
        if (name == L"close_btn") {
            report.ReportClick(6);
            ConfirmExit();
        } else if (name == L"minimum_btn") {
            report.ReportClick(5);
            ::SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        } else if (name == L"install_btn") {
            report.ReportClick(0);
            OnInstallClicked();
        } else if (name == L"custom_install_btn") {
            report.ReportClick(1);
            if (zelui::Control* edit = FindControl(L"install_path_edit"))
                edit->SetText(GlobalConfig::Instance().GetInstallPath());
            ShowPage(L"custom_install");
        } else if (name == L"browser_btn") {
            report.ReportClick(2);
            BrowseInstallPath();
        } else if (name == L"complete_btn") {
            report.ReportClick(4);
            FinishInstall();
        }
    } else if (msg.sType == zelui::kNotifyTimer) {
        if (msg.wParam == kBackgroundTimer) RotateBackground();
        else if (msg.wParam == kStatusTimer) TickInstallingStatus();
    }
    WindowImplBase::Notify(msg);
}

void CMainWnd::HideAllPages() {
    for (const wchar_t* page : kPages)
        if (zelui::Control* c = FindControl(page)) c->SetVisible(false);
}

void CMainWnd::ShowPage(const wchar_t* name) {
    HideAllPages();
    if (zelui::Control* c = FindControl(name)) c->SetVisible(true);
}

int CMainWnd::NextBackgroundIndex(int index, int count) { return index + 1 <= count ? index + 1 : 1; }

int CMainWnd::NextStatusDots(int count) { return count + 1 < 5 ? count + 1 : 1; }

void CMainWnd::RotateBackground() {
    g_backgroundIndex = NextBackgroundIndex(g_backgroundIndex, GlobalConfig::Instance().GetBkgPngNumber());
    const std::wstring set = useDefaultBackgrounds_ ? L"default" : GlobalConfig::Instance().GetLanguage();
    if (bkgLayout_) bkgLayout_->SetBkImage(L"img/bkg/" + set + L"/bkg" + std::to_wstring(g_backgroundIndex) + L".png");
}

std::wstring CMainWnd::FormatPercent(double percent) {
    wchar_t text[32];
    swprintf(text, 32, L"%.3g", percent);
    return text;
}

void CMainWnd::UpdateProgress(double percent, uint32_t speedKbps) {
    (void)speedKbps;  // the engine keeps the samples it averages
    if (auto* bar = dynamic_cast<zelui::Progress*>(progressBar_)) bar->SetValue(static_cast<int>(percent));
    if (statusLabel_) statusLabel_->SetText(LookupText(L"wnd_downloading_status") + FormatPercent(percent) + L"%");
}

void CMainWnd::SetProgressValue(int percent) {
    if (auto* bar = dynamic_cast<zelui::Progress*>(progressBar_)) bar->SetValue(percent);
}

void CMainWnd::StartStatusTimer() {
    if (statusLabel_ && IsControlInTree(statusLabel_)) SetTimer(statusLabel_, kStatusTimer, kStatusPeriodMs);
}

void CMainWnd::StopStatusTimer() {
    if (statusLabel_ && IsControlInTree(statusLabel_)) KillTimer(statusLabel_, kStatusTimer);
}

void CMainWnd::TickInstallingStatus() {
    g_statusDots = NextStatusDots(g_statusDots);
    if (statusLabel_)
        statusLabel_->SetText(LookupText(L"wnd_installing_status") + std::wstring(static_cast<size_t>(g_statusDots), L'.'));
}

void CMainWnd::ShowErrorPage() {
    HideAllPages();
    const int code = engine_.ErrorCode();
    auto it = InstallErrorTextIds.find(code);
    const std::wstring textId = it != InstallErrorTextIds.end() ? it->second : L"error_common";
    const std::wstring message = LookupText(textId) + L" " + LookupText(L"error_code") + std::to_wstring(code);
    if (zelui::Control* text = FindControl(L"error_text")) text->SetText(message);
    if (zelui::Control* page = FindControl(L"error")) page->SetVisible(true);
    DataReport::Instance().ReportEvent(1001, static_cast<uint64_t>(static_cast<int64_t>(code)), 0, 0, 0);
}

void CMainWnd::ConfirmExit() {
    UINT answer = ShowMessageBox(GetHWND(), LookupText(L"sure_to_exit_install"), LookupText(L"wnd_exit_title"),
                                 LookupText(L"text_yes"), LookupText(L"text_no"));
    if (answer != 1) return;
    const int state = engine_.InstallState();
    if (state == 1) DataReport::Instance().ReportEvent(205, 0, 0, 0, 0);
    else if (state == 2) DataReport::Instance().ReportEvent(305, 0, 0, 0, 0);
    Close(1);
}

void CMainWnd::OnInstallClicked() {
    zelui::Control* edit = FindControl(L"install_path_edit");
    const std::wstring path = edit ? edit->GetText() : std::wstring();
    if (path.empty()) {
        StartInstall();
    } else if (ValidateInstallPath(path)) {
        GlobalConfig::Instance().SetInstallPath(path);
        StartInstall();
    }
}

void CMainWnd::StartInstall() {
    if (AllComponentsInstalled()) {
        OnInstallSuccess();
        return;
    }
    ShowPage(L"installing");
    engine_.Start();
}

void CMainWnd::BrowseInstallPath() {
    for (;;) {
        const std::wstring title = LookupText(L"browser_wnd_title");
        wchar_t displayName[MAX_PATH] = {};
        BROWSEINFOW info = {};
        info.hwndOwner = GetHWND();
        info.pszDisplayName = displayName;
        info.lpszTitle = title.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE;
        PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&info);
        if (!item) return;
        wchar_t picked[MAX_PATH] = {};
        BOOL havePath = ::SHGetPathFromIDListW(item, picked);
        ::CoTaskMemFree(item);
        if (!havePath) return;
        if (!ValidateInstallPath(picked)) continue;
        const std::wstring path = InstallPathForPickedFolder(picked);
        if (path.empty()) {
            // The product folder would not fit a Windows path: ask again.
            ShowInstallPathError(L"error_invalid_path");
            continue;
        }
        GlobalConfig::Instance().SetInstallPath(path);
        if (zelui::Control* edit = FindControl(L"install_path_edit")) edit->SetText(path);
        return;
    }
}

void CMainWnd::FinishInstall() {
    const GlobalConfig& config = GlobalConfig::Instance();
    const std::wstring commandLine = BuildMarketCommandLine(MarketLaunchInfoFromConfig());
    const ComponentInfoMap& components = engine_.ComponentMap();
    auto market = components.find(7);
    const std::wstring marketDir = market != components.end() ? market->second.installDir : std::wstring();
    ExecuteProgram(marketDir + L"\\Storefront.exe", commandLine, false, nullptr);
    LOG_INFO("Window") << L"start storefront in command line: " << commandLine;

    auto* option = dynamic_cast<zelui::Option*>(FindControl(L"create_icon_opt"));
    if (option && option->IsSelected()) {
        if (!config.GetPkgName().empty()) {
            const std::wstring package = Utf8ToWide(config.GetPkgName());
            const std::wstring icon = PrepareGameIcon(marketDir, package);
            int32_t status = CreateGameShortcut(package, config.GetGameName(),
                                                Utf8ToWide(config.GetMarketExternParams()), icon);
            LOG_INFO("Res") << L"create game: " << package << L" desktop icon result:[" << status << L"]";
        } else {
            int32_t status = CreateMarketShortcut(marketDir + L"\\Storefront.exe", config.GetInternational() == 1);
            LOG_INFO("Res") << L"create market desktop icon result:[" << status << L"]";
        }
    }
    Close(1);
}

void CMainWnd::RecordDownloadAverageSpeed(uint32_t averageKbps) {
    RegKey key;
    if (key.Create(HKEY_CURRENT_USER, std::wstring(kQuillboxKey) + L"\\GameDownload") != ERROR_SUCCESS) {
        LOG_ERROR("Download") << L"record average speed failed: can't open user reg path";
        return;
    }
    key.SetDword(L"DownloadSpeed", averageKbps);
    LOG_INFO("Download") << L"record download average speed [" << averageKbps << L" kb/s] success";
}

void CMainWnd::OnInstallSuccess() {
    if (OnWindowThread()) {
        ShowPage(L"complete");
    } else {
        PostToUiThread([this] { ShowPage(L"complete"); });
    }
}

void CMainWnd::OnInstallFailure() {
    PostToUiThread([this] { ShowErrorPage(); });
}

void CMainWnd::PostToUiThread(UiTask task) {
    {
        std::lock_guard<std::mutex> lock(uiTaskLock_);
        uiTasks_.push_back(std::move(task));
    }
    HWND hwnd = GetHWND();
    if (hwnd && ::IsWindow(hwnd)) ::PostMessageW(hwnd, WM_UI_TASK, 0, 0);
}

LRESULT CMainWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (msg != WM_UI_TASK) return WindowImplBase::HandleCustomMessage(msg, wParam, lParam, handled);
    UiTask task;
    {
        std::lock_guard<std::mutex> lock(uiTaskLock_);
        if (uiTasks_.empty()) return 0;
        task = std::move(uiTasks_.front());
        uiTasks_.pop_front();
    }
    if (task) task();
    handled = true;
    return 0;
}
