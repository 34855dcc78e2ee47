// The main window with a real layout, driven on its own thread. The window
// reads its configuration from the block at the end of its program, so each
// case runs a copy of this test program with a block appended (the "child");
// the parent checks that the child's case passed.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <functional>
#include <vector>

#include "config/global_config.h"
#include "config/inject_block.h"
#include "config/quillbox_key.h"
#include "harness/event_recorder.h"
#include "harness/test_support.h"
#include "support/reg_key.h"
#include "support/text_convert.h"
#include "toolkit/control.h"
#include "ui/main_wnd.h"
#include "ui/silent_wnd.h"
#include "ui/text_table.h"

using namespace zeltest;

namespace {

const wchar_t kChildVar[] = L"ZEL_MAINWND_CHILD";

bool IsChild() { return !EnvVar(kChildVar).empty(); }

// Runs one child case in a copy of this program that carries `config`.
void RunChild(const nlohmann::json& config, const std::string& testName) {
    TempDir temp;
    std::wstring self = TestBinPath(L"ui_main_wnd_test.exe");
    std::wstring child = temp / L"ui_main_wnd_child.exe";
    ASSERT_TRUE(::CopyFileW(self.c_str(), child.c_str(), FALSE));
    std::string bytes = ReadFileBytes(child) + MakeInjectBlock(config.dump());
    ASSERT_TRUE(WriteFileBytes(child, bytes));
    ::SetEnvironmentVariableW(kChildVar, L"1");
    ProcessResult r = RunProcess(Quote(child) + L" --gtest_filter=MainWndChild." + Utf8ToWide(testName), 180000);
    ::SetEnvironmentVariableW(kChildVar, nullptr);
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_NE(r.output.find("[  PASSED  ] 1 test"), std::string::npos) << r.output;
}

void SetUserLanguage(const wchar_t* language) {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kQuillboxKey), ERROR_SUCCESS);
    ASSERT_EQ(key.SetString(L"UserLanguage", language), ERROR_SUCCESS);
}

// Runs the window's messages until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) return true;
        ::Sleep(10);
    }
    return done();
}

bool PageVisible(CMainWnd& wnd, const wchar_t* page) {
    zelui::Control* c = wnd.FindControl(page);
    return c && c->IsVisible();
}

void CreateWindowFor(CMainWnd& wnd) {
    wnd.LoadSkinAndLocale();
    ASSERT_NE(wnd.Create(nullptr, L"ZELDownloader", WS_POPUP | WS_VISIBLE, 0), nullptr);
    wnd.CenterWindow();
    ::ShowWindow(wnd.GetHWND(), SW_SHOW);
    ::UpdateWindow(wnd.GetHWND());
}

std::wstring BackgroundOf(CMainWnd& wnd) { return wnd.FindControl(L"bkg_layout")->GetBkImage(); }

void SendTimer(CMainWnd& wnd, const wchar_t* control, UINT id) {
    zelui::TNotifyUI msg;
    msg.sType = zelui::kNotifyTimer;
    msg.pSender = wnd.FindControl(control);
    msg.wParam = id;
    wnd.Notify(msg);
}

InstallSettings UnreachableServers() {
    InstallSettings s = ReadInstallSettings();
    s.manifestPrimary = "https://localhost:1/downloads/xml/compoment.xml";
    s.manifestFallback = "https://localhost:2/open/vexa/xml/compoment.xml";
    return s;
}

}  // namespace

TEST(MainWndPureTest, PercentTextBackgroundAndDotCycles) {
    EXPECT_EQ(CMainWnd::FormatPercent(12.3456), L"12.3");
    EXPECT_EQ(CMainWnd::FormatPercent(5), L"5");
    EXPECT_EQ(CMainWnd::FormatPercent(99.96), L"100");
    EXPECT_EQ(CMainWnd::FormatPercent(0), L"0");
    // Three pictures: 2, 3, 1, 2 ...; none or one: always 1.
    std::vector<int> seen;
    for (int i = 0, index = 1; i < 4; ++i) seen.push_back(index = CMainWnd::NextBackgroundIndex(index, 3));
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 1, 2}));
    EXPECT_EQ(CMainWnd::NextBackgroundIndex(1, 0), 1);
    EXPECT_EQ(CMainWnd::NextBackgroundIndex(1, 1), 1);
    seen.clear();
    for (int i = 0, dots = 0; i < 6; ++i) seen.push_back(dots = CMainWnd::NextStatusDots(dots));
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 1, 2}));
}

TEST(MainWndTest, PagesBackgroundsProgressAndTitle) {
    SetUserLanguage(L"en");
    RunChild({{"bkgPngNumber", 3}, {"title", "wnd_install"}, {"installMarket", true}}, "PagesBackgroundsProgressAndTitle");
}

TEST(MainWndTest, FailedRunShowsTheErrorPageAndReports) {
    SetUserLanguage(L"en");
    RunChild({{"installMarket", true}}, "FailedRunShowsTheErrorPageAndReports");
}

TEST(MainWndTest, EverythingInstalledCompletesAtOnceAndKeepsTheRegistry) {
    SetUserLanguage(L"en");
    RunChild({{"installMarket", false}}, "EverythingInstalledCompletesAtOnceAndKeepsTheRegistry");
}

TEST(MainWndChild, PagesBackgroundsProgressAndTitle) {
    if (!IsChild()) GTEST_SKIP();
    zeltest::EventRecorder reports;
    CMainWnd wnd;
    CreateWindowFor(wnd);
    ASSERT_TRUE(PumpUntil([&] { return PageVisible(wnd, L"start"); }));
    EXPECT_EQ(reports.Events().front().code, 1);

    // "en" has no background set of its own: the default set, starting at 2.
    EXPECT_EQ(BackgroundOf(wnd), L"img/bkg/default/bkg2.png");
    for (const wchar_t* next : {L"img/bkg/default/bkg3.png", L"img/bkg/default/bkg1.png", L"img/bkg/default/bkg2.png"}) {
        SendTimer(wnd, L"bkg_layout", 0);
        EXPECT_EQ(BackgroundOf(wnd), next);
    }

    // A title that is a text identifier shows that identifier's text.
    EXPECT_EQ(wnd.FindControl(L"title_label")->GetDisplayText(), LookupText(L"wnd_install"));
    EXPECT_EQ(LookupText(L"wnd_install"), L"Install");

    auto* bar = dynamic_cast<zelui::Progress*>(wnd.FindControl(L"installing_progress"));
    zelui::Control* status = wnd.FindControl(L"install_status_text");
    ASSERT_TRUE(bar && status);
    wnd.UpdateProgress(99.96, 10);
    EXPECT_EQ(bar->GetValue(), 99);
    EXPECT_EQ(status->GetText(), LookupText(L"wnd_downloading_status") + L"100%");

    // Timer 1 from any control animates the installing text.
    const std::wstring installing = LookupText(L"wnd_installing_status");
    for (const wchar_t* dots : {L".", L"..", L"...", L"....", L"."}) {
        SendTimer(wnd, L"title_label", 1);
        EXPECT_EQ(status->GetText(), installing + dots);
    }

    // The install options page shows the configured install path.
    zelui::TNotifyUI click;
    click.sType = zelui::kNotifyClick;
    click.pSender = wnd.FindControl(L"custom_install_btn");
    wnd.Notify(click);
    EXPECT_TRUE(PageVisible(wnd, L"custom_install"));
    EXPECT_FALSE(PageVisible(wnd, L"start"));
    EXPECT_EQ(wnd.FindControl(L"install_path_edit")->GetText(), GlobalConfig::Instance().GetInstallPath());
    ::DestroyWindow(wnd.GetHWND());
}

TEST(MainWndChild, FailedRunShowsTheErrorPageAndReports) {
    if (!IsChild()) GTEST_SKIP();
    zeltest::EventRecorder reports;
    {
        CMainWnd wnd(UnreachableServers);
        CreateWindowFor(wnd);
        ASSERT_TRUE(PumpUntil([&] { return PageVisible(wnd, L"start"); }));
        wnd.StartInstall();
        EXPECT_TRUE(PageVisible(wnd, L"installing"));
        ASSERT_TRUE(PumpUntil([&] { return PageVisible(wnd, L"error"); }, 120000));
        EXPECT_EQ(wnd.FindControl(L"error_text")->GetText(),
                  L"HTTP download error. Please check your network connection. Error code: 2");
        EXPECT_TRUE(reports.Has(1001, 2));
        EXPECT_EQ(wnd.Engine().InstallState(), 11);
        ::DestroyWindow(wnd.GetHWND());
    }
    EXPECT_TRUE(reports.Has(1003, 11));
}

TEST(MainWndChild, EverythingInstalledCompletesAtOnceAndKeepsTheRegistry) {
    if (!IsChild()) GTEST_SKIP();
    {
        RegKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, std::wstring(kQuillboxKey) + L"\\Storefront"), ERROR_SUCCESS);
        key.SetString(L"InstallPath", L"C:\\Earlier");
    }
    zeltest::EventRecorder reports;
    {
        CMainWnd wnd;
        CreateWindowFor(wnd);
        ASSERT_TRUE(PumpUntil([&] { return PageVisible(wnd, L"complete"); }));
        EXPECT_EQ(wnd.Engine().InstallState(), 10);
        EXPECT_TRUE(reports.Has(2, 0));
        ::DestroyWindow(wnd.GetHWND());
    }
    EXPECT_TRUE(reports.Has(1003, 10));
    EXPECT_TRUE(RegKey::Exists(HKEY_LOCAL_MACHINE, std::wstring(kQuillboxKey) + L"\\Storefront"));
    EXPECT_TRUE(RegKey::Exists(HKEY_CURRENT_USER, kQuillboxKey));
}
