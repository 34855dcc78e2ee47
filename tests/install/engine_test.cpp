// The engine's phases and the whole pipeline against the loopback HTTPS test
// server, with stand-in packages and a recording stand-in for the window.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "harness/test_support.h"
#include "harness/tls/trust_ca.h"
#include "install/component_table.h"
#include "install/install_engine.h"
#include "install/install_test_support.h"
#include "harness/servers/test_server_client.h"
#include "net/http_client.h"
#include "standin_package.h"
#include "support/log.h"
#include "support/reg_key.h"
#include "support/text_convert.h"

using namespace installtest;
using Clock = std::chrono::steady_clock;

namespace {

std::string Url(const std::string& path) { return zeltest::ServerUrl("HTTPS", path); }
std::wstring WUrl(const std::string& path) { return zeltest::ServerUrlW("HTTPS", path); }

void Script(const nlohmann::json& routes) { ASSERT_TRUE(zeltest::ScriptServer(routes.dump())); }

void ServeManifest(const std::wstring& xml) {
    Script(nlohmann::json::array(
        {{{"path", kPrimaryManifestPath}, {"responses", {{{"body", WideToUtf8(xml)}, {"ctype", "text/xml"}}}}}}));
}

size_t RequestCount(const std::string& path) { return zeltest::RecordedRequests(path).size(); }

bool LogContains(const std::string& text) {
    for (int i = 0; i < 50; ++i) {
        if (zeltest::ReadFileBytes(zel_log::LogFilePath()).find(text) != std::string::npos) return true;
        ::Sleep(100);
    }
    return false;
}

class EngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(zeltest::TrustTestCa(&error)) << error;
    }

    void SetUp() override {
        ASSERT_NE(zeltest::ServerPort("HTTPS"), 0) << "run through the test server service";
        ASSERT_TRUE(zeltest::ResetServer());
        ClearSuiteRegistry();
        settings_ = TestSettings(work_ / L"dl", work_ / L"inst");
        settings_.manifestPrimary = Url(kPrimaryManifestPath);
        settings_.manifestFallback = Url(kFallbackManifestPath);
        ::GetCurrentDirectoryW(MAX_PATH, startDir_);
    }
    void TearDown() override {
        engine_.reset();
        ::SetCurrentDirectoryW(startDir_);
        ClearSuiteRegistry();
    }

    CInstallEngine& Engine() {
        if (!engine_) engine_.reset(new CInstallEngine(host_, [this] { return settings_; }));
        return *engine_;
    }
    void SwitchOn(int id) {
        for (const ComponentKind& kind : kComponentOrder) {
            if (kind.id == id) settings_.*kind.switchedOn = true;
        }
    }
    // Parses `items` from a local manifest and lists them for installation.
    void ListItems(const std::vector<ItemRow>& items) {
        std::wstring inner;
        for (const ItemRow& item : items) {
            inner += ItemXml(item);
            SwitchOn(item.id);
        }
        const std::wstring path = work_ / L"local.xml";
        ASSERT_TRUE(WriteUtf8File(path, ManifestXml(inner)));
        ASSERT_TRUE(Engine().ParseComponentXml(path));
        Engine().GetNeedInstallComponentItems();
    }
    std::wstring DownloadDir(const std::wstring& sub) const { return settings_.tempPath + sub + L"\\"; }
    std::wstring InstallDir(const std::wstring& sub) const { return settings_.installPath + sub; }

    // A package for `options.componentId` in folder `dir`; returns its digest.
    std::wstring Package(const std::wstring& dir, const std::wstring& name, const PackageOptions& options) {
        ::SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
        std::string error;
        EXPECT_TRUE(MakePackage(dir + L"\\" + name, options, zeltest::TestBinDir(), &error)) << error;
        return FileMd5(dir + L"\\" + name);
    }
    // A package placed where the download phase finds and reuses it.
    ItemRow PlacedPackage(const PackageOptions& options, const std::wstring& sub) {
        const std::wstring name = L"pkg" + std::to_wstring(options.componentId) + L".exe";
        const std::wstring hash = Package(DownloadDir(sub), name, options);
        return {options.componentId, name, hash, WUrl("/not-here"), sub};
    }
    // A package on the server's static folder.
    ItemRow ServedPackage(const PackageOptions& options, const std::wstring& sub) {
        const std::wstring www = zeltest::EnvVar(L"ZEL_INSTALL_WWW");
        const std::wstring name = L"served" + std::to_wstring(options.componentId) + L".exe";
        const std::wstring hash = Package(www, name, options);
        return {options.componentId, name, hash, WUrl("/" + WideToUtf8(name)), sub};
    }
    std::string SetupkitRuns(const std::wstring& sub) {
        return zeltest::ReadFileBytes(InstallDir(sub) + L"\\setupkit_runs.txt");
    }

    zeltest::TempDir work_;
    InstallSettings settings_;
    RecordingHost host_;
    EventRecorder events_;
    std::unique_ptr<CInstallEngine> engine_;
    wchar_t startDir_[MAX_PATH] = {};
};

// ---- manifest download ----

TEST_F(EngineTest, ManifestFallsBackAndIsStoredWithLineEnds) {
    Script(nlohmann::json::array(
        {{{"path", kPrimaryManifestPath}, {"responses", {{{"status", 404}, {"body", "gone"}}}}},
         {{"path", kFallbackManifestPath}, {"responses", {{{"body", "<a>\n<b/>\n</a>"}}}}}}));
    const std::wstring path = Engine().DownloadComponentXml();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(zeltest::ReadFileBytes(path), "<a>\r\n<b/>\r\n</a>");
    EXPECT_NE(path.find(L"\\ZELDownload\\"), std::wstring::npos);
    EXPECT_EQ(RequestCount(kPrimaryManifestPath), 1u);

    // An empty body is not good either; both failing gives code 2.
    Script(nlohmann::json::array({{{"path", kPrimaryManifestPath}, {"responses", {{{"body", ""}}}}}}));
    EXPECT_EQ(Engine().DownloadComponentXml(), L"");
    EXPECT_EQ(Engine().ErrorCode(), kInstallErrorManifestDownload);
}

// ---- download phase ----

TEST_F(EngineTest, ReusesAPresentPackageWhoseDigestMatchesInAnyCase) {
    const std::wstring dir = DownloadDir(L"Market");
    ::SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
    ASSERT_TRUE(zeltest::WriteFileBytes(dir + L"m.exe", "package bytes"));
    std::wstring upper = FileMd5(dir + L"m.exe");
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    ListItems({{7, L"m.exe", upper, WUrl("/never"), L"Market"}});

    EXPECT_TRUE(Engine().DownloadComponent());
    EXPECT_TRUE(events_.Events().empty());
    EXPECT_EQ(RequestCount("/never"), 0u);
    EXPECT_EQ(Engine().InstallList().front().localFile, dir + L"m.exe");
    EXPECT_EQ(host_.UiCalls(), std::vector<std::string>{"value:100"});
}

TEST_F(EngineTest, ReplacesAWrongPresentFile) {
    const std::wstring dir = DownloadDir(L"UI");
    ::SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
    ASSERT_TRUE(zeltest::WriteFileBytes(dir + L"ui.exe", "stale"));
    ListItems({{1, L"ui.exe", Utf8ToWide(zeltest::GeneratedMd5(70000, "u")), WUrl("/__respond?size=70000&seed=u"),
                L"UI"}});

    EXPECT_TRUE(Engine().DownloadComponent());
    EXPECT_EQ(events_.Events(), (std::vector<Event>{{201, 0, 1, 0, 0}, {203, 0, 1, 0, 0}}));
    EXPECT_EQ(zeltest::ReadFileBytes(dir + L"ui.exe").size(), 70000u);
    ASSERT_FALSE(host_.Progress().empty());
    EXPECT_EQ(host_.Progress().front(), std::make_pair(0.0, 0u));
    EXPECT_EQ(host_.Progress().back().first, 100.0);
}

TEST_F(EngineTest, DownloadFailuresReportTheirCodes) {
    struct Case {
        std::string url;
        int code;
        Event last;  // value8 of a failed download is checked to be non-zero
    } cases[] = {
        {"/__respond?status=404&body=missing", kInstallErrorDigest, {202, 20, 3, 404, 0}},
        {"/__respond?size=5000&cut=100", kInstallErrorDownload, {202, 21, 3, 0, -1}},
    };
    for (const Case& c : cases) {
        engine_.reset();
        TearDown();
        SetUp();
        EventRecorder events;
        ListItems({{3, L"vdi.exe", L"0123456789abcdef0123456789abcdef", WUrl(c.url), L"VDI"}});
        EXPECT_FALSE(Engine().DownloadComponent()) << c.url;
        EXPECT_EQ(Engine().ErrorCode(), c.code);
        const std::vector<Event> got = events.Events();
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got.front(), (Event{201, 0, 3, 0, 0}));
        Event last = got.back();
        if (c.code == kInstallErrorDownload) {
            EXPECT_EQ(got.size(), 2u);
            EXPECT_NE(last.v8, 0) << "the request's error code";
            last.v8 = -1;
            // The status of a cut transfer is whatever the client saw; only the code and id count.
            last.v7 = 0;
        } else {
            EXPECT_EQ(got[1], (Event{203, 0, 3, 0, 0}));
            EXPECT_EQ(zeltest::ReadFileBytes(DownloadDir(L"VDI") + L"vdi.exe"), "missing");
        }
        EXPECT_EQ(last, c.last) << c.url;
    }
}

TEST_F(EngineTest, DownloadSpeedIsMeasured) {
    // About 980 KB/s for a second.
    ListItems({{10, L"rootfs.img", Utf8ToWide(zeltest::GeneratedMd5(1000000, "s")),
                WUrl("/__respond?size=1000000&seed=s&chunk=100000&pause=100"), L"Rootfs", L"", 1000000}});
    ASSERT_TRUE(Engine().DownloadComponent());
    const std::vector<uint32_t> samples = Engine().SpeedSamples();
    ASSERT_GE(samples.size(), 2u);
    for (uint32_t s : samples) EXPECT_LT(s, 100000u);
    ASSERT_EQ(host_.Averages().size(), 1u);
    EXPECT_GT(host_.Averages()[0], 100u);
    EXPECT_LT(host_.Averages()[0], 5000u);
}

TEST_F(EngineTest, EmptyListCompletesTheBar) {
    EXPECT_TRUE(Engine().DownloadComponent());
    EXPECT_EQ(host_.UiCalls(), std::vector<std::string>{"value:100"});
    EXPECT_TRUE(events_.Events().empty());
}

// ---- install phase ----

TEST_F(EngineTest, MarketInstallerParameters) {
    struct Case {
        int id;
        std::string pkgName;
        int silentMode;
        bool createMarketIcon;
        std::string expected;
    } cases[] = {
        {7, "", 0, false, "[-nodesktopIcon]\n"}, {7, "com.game", 0, false, "[]\n"},
        {7, "", 1, false, "[]\n"},               {7, "", 0, true, "[]\n"},
        {1, "", 0, false, "[]\n"},
    };
    int n = 0;
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        settings_.pkgName = c.pkgName;
        settings_.silentMode = c.silentMode;
        settings_.createMarketIcon = c.createMarketIcon;
        PackageOptions options;
        options.componentId = c.id;
        const std::wstring sub = L"C" + std::to_wstring(++n);
        ListItems({PlacedPackage(options, sub)});
        ASSERT_TRUE(Engine().DownloadComponent());
        EXPECT_TRUE(Engine().InstallComponent()) << Engine().ErrorCode();
        EXPECT_EQ(SetupkitRuns(sub), c.expected) << c.id << " " << c.pkgName;
        engine_.reset();
    }
}

TEST_F(EngineTest, ExitCodesOfPackageAndTool) {
    struct Case {
        uint32_t packageExit;
        bool leavesSetupkit;
        uint32_t toolExit;
        int code;
    } cases[] = {
        {1000, true, 0, kInstallSuccess},
        {5, true, 0, kInstallErrorPackageExit},
        {0, false, 0, kInstallErrorNoSetupkit},
        {0, true, 1000, kInstallErrorSetupkitExit},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        EventRecorder events;
        PackageOptions options;
        options.componentId = 1;
        options.exitCode = c.packageExit;
        options.leavesSetupkit = c.leavesSetupkit;
        options.setupkitExitCode = c.toolExit;
        ListItems({PlacedPackage(options, L"UI")});
        ASSERT_TRUE(Engine().DownloadComponent());
        EXPECT_EQ(Engine().InstallComponent(), c.code == kInstallSuccess);
        EXPECT_EQ(Engine().ErrorCode(), c.code);
        std::vector<Event> expected = {{301, 0, 1, 0, 0}};
        expected.push_back(c.code == kInstallSuccess ? Event{303, 0, 1, 0, 0} : Event{302, c.code, 1, 0, 0});
        EXPECT_EQ(events.Events(), expected) << c.packageExit << "/" << c.toolExit;
        EXPECT_EQ(Engine().ComponentMap().at(1).installed, c.code == kInstallSuccess);
        // The target folder and its registry record exist whatever the tool did.
        EXPECT_TRUE(zeltest::FileExists(InstallDir(L"UI")));
        RegKey key;
        std::wstring recorded;
        ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, L"Software\\Velmora\\Quillbox\\UI", KEY_READ), ERROR_SUCCESS);
        EXPECT_EQ(key.QueryString(L"InstallPath", recorded), ERROR_SUCCESS);
        EXPECT_EQ(recorded, InstallDir(L"UI"));
        engine_.reset();
    }
}

TEST_F(EngineTest, OldExtractionIsRemovedAndDirectoryRestored) {
    PackageOptions options;
    options.componentId = 3;
    const ItemRow item = PlacedPackage(options, L"VDI");
    const std::wstring old = DownloadDir(L"VDI") + L"Setup\\deep";
    ::SHCreateDirectoryExW(nullptr, old.c_str(), nullptr);
    ASSERT_TRUE(zeltest::WriteFileBytes(old + L"\\left-over.txt", "x"));
    ListItems({item});
    ASSERT_TRUE(Engine().DownloadComponent());
    const std::wstring before = startDir_;

    ASSERT_TRUE(Engine().InstallComponent());
    EXPECT_FALSE(zeltest::FileExists(old));
    EXPECT_TRUE(zeltest::FileExists(DownloadDir(L"VDI") + L"Setup\\Setupkit.exe"));
    for (const wchar_t* marker : {L"disk_data.img", L"disk_card.img", L"disk_system.img"}) {
        EXPECT_TRUE(zeltest::FileExists(InstallDir(L"VDI") + L"\\" + marker)) << WideToUtf8(marker);
    }
    wchar_t now[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, now);
    EXPECT_EQ(std::wstring(now), before);
}

TEST_F(EngineTest, ProductKeyFailureStillInstallsEveryComponent) {
    // A volatile vendor key refuses the (non-volatile) product key below it.
    HKEY vendor = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Velmora", 0, nullptr, REG_OPTION_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &vendor, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(vendor);
    PackageOptions market, ui;
    market.componentId = 7;
    ui.componentId = 1;
    ListItems({PlacedPackage(market, L"Market"), PlacedPackage(ui, L"UI")});
    ASSERT_TRUE(Engine().DownloadComponent());

    EXPECT_FALSE(Engine().InstallComponent());
    EXPECT_EQ(Engine().ErrorCode(), kInstallErrorRegistry);
    EXPECT_EQ(events_.Events(), (std::vector<Event>{{301, 0, 7, 0, 0},
                                                    {303, 0, 7, 0, 0},
                                                    {301, 0, 1, 0, 0},
                                                    {303, 0, 1, 0, 0},
                                                    {302, 17, 1, 0, 0}}));
    EXPECT_TRUE(Engine().ComponentMap().at(7).installed);
    EXPECT_TRUE(Engine().ComponentMap().at(1).installed);
    EXPECT_TRUE(zeltest::FileExists(InstallDir(L"UI") + L"\\EngineFront.exe"));
}

TEST_F(EngineTest, VolatileProductKeyIsRepaired) {
    RegKey vendor;
    ASSERT_EQ(vendor.Create(HKEY_LOCAL_MACHINE, L"Software\\Velmora"), ERROR_SUCCESS);
    HKEY product = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Velmora\\Quillbox", 0, nullptr,
                                REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &product, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(product);
    RegKey probe;
    ASSERT_EQ(probe.Create(HKEY_LOCAL_MACHINE, L"Software\\Velmora\\Quillbox\\Storefront"),
              ERROR_CHILD_MUST_BE_VOLATILE);

    PackageOptions options;
    options.componentId = 7;
    ListItems({PlacedPackage(options, L"Market")});
    ASSERT_TRUE(Engine().DownloadComponent());
    EXPECT_TRUE(Engine().InstallComponent());
    EXPECT_EQ(Engine().ErrorCode(), kInstallSuccess);
    EXPECT_TRUE(zeltest::FileExists(InstallDir(L"Market") + L"\\Storefront.exe"));
    // The product key is an ordinary key again.
    EXPECT_EQ(probe.Create(HKEY_LOCAL_MACHINE, L"Software\\Velmora\\Quillbox\\Other"), ERROR_SUCCESS);
}

// ---- the whole run ----

TEST_F(EngineTest, SuccessfulRun) {
    PackageOptions market, kiln;
    market.componentId = 7;
    kiln.componentId = 2;
    const ItemRow first = ServedPackage(market, L"Market");
    const ItemRow second = ServedPackage(kiln, L"Kiln");
    SwitchOn(7);
    SwitchOn(2);
    ServeManifest(ManifestXml(ItemXml(second) + ItemXml(first)));

    Engine().DoInstallComponent();
    EXPECT_EQ(events_.Codes(), (std::vector<int64_t>{100, 102, 200, 201, 203, 201, 203, 204, 300, 301, 303, 301,
                                                      303, 304}));
    EXPECT_EQ(Engine().InstallState(), kInstallStateFinished);
    EXPECT_EQ(host_.Successes(), 1);
    EXPECT_EQ(host_.Failures(), 0);
    EXPECT_EQ(host_.UiCalls(), (std::vector<std::string>{"value:100", "start", "stop"}));
    EXPECT_TRUE(zeltest::FileExists(InstallDir(L"Kiln") + L"\\VmService.exe"));
    EXPECT_TRUE(Engine().ComponentMap().at(2).installed);
}

TEST_F(EngineTest, RunsThatFail) {
    PackageOptions good, badTool;
    good.componentId = 7;
    badTool.componentId = 7;
    badTool.setupkitExitCode = 3;
    const std::wstring served = WUrl("/__respond?size=3000&seed=x");
    const std::wstring servedHash = Utf8ToWide(zeltest::GeneratedMd5(3000, "x"));
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::vector<int64_t> codes;
        Event last;
        int state;
        int code;
    };
    const std::vector<Case> cases = {
        {"no manifest server",
         [&] { settings_.manifestFallback = Url("/none/compoment.xml"); },
         {100, 101},
         {101, 2, 0, 0, 0},
         kInstallStateFailed,
         kInstallErrorManifestDownload},
        {"manifest not XML",
         [&] { ServeManifest(L"this is < not xml"); },
         {100, 102, 101},
         {101, 3, 0, 0, 0},
         kInstallStateFailed,
         kInstallErrorManifestParse},
        {"number without digits",
         [&] { ServeManifest(ManifestXml(L"<Item id=\"7\" name=\"m.exe\" filesize=\"1\"/>")); },
         {100, 102},
         {102, 0, 0, 0, 0},
         kInstallStateFailed,
         kInstallErrorManifestParse},
        {"digest mismatch on the second",
         [&] {
             SwitchOn(7);
             SwitchOn(1);
             ServeManifest(ManifestXml(ItemXml({7, L"m.exe", servedHash, served, L"Market"}) +
                                       ItemXml({1, L"u.exe", L"0123456789abcdef0123456789abcdef", served, L"UI"})));
         },
         {100, 102, 200, 201, 203, 201, 203, 202},
         {202, 20, 1, 200, 0},
         kInstallStateFailed,
         kInstallErrorDigest},
        {"tool fails",
         [&] {
             SwitchOn(7);
             ServeManifest(ManifestXml(ItemXml(ServedPackage(badTool, L"Market"))));
         },
         {100, 102, 200, 201, 203, 204, 300, 301, 302},
         {302, 16, 7, 0, 0},
         kInstallStateFailed,
         kInstallErrorSetupkitExit},
        {"download folder cannot be created",
         [&] {
             ASSERT_TRUE(zeltest::WriteFileBytes(work_ / L"file", "x"));
             settings_.tempPath = work_ / L"file\\dl\\";
             SwitchOn(7);
             ServeManifest(ManifestXml(ItemXml(ServedPackage(good, L"Market"))));
         },
         {100, 102, 200},
         {200, 0, 0, 0, 0},
         kInstallStateDownloading,
         kInstallErrorCommon},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        RecordingHost host;
        EventRecorder events;
        c.prepare();
        CInstallEngine engine(host, [this] { return settings_; });
        engine.DoInstallComponent();
        EXPECT_EQ(events.Codes(), c.codes) << c.name;
        if (!events.Events().empty()) {
            EXPECT_EQ(events.Events().back(), c.last) << c.name;
        }
        EXPECT_EQ(engine.InstallState(), c.state) << c.name;
        EXPECT_EQ(engine.ErrorCode(), c.code) << c.name;
        EXPECT_EQ(host.Successes(), 0) << c.name;
        EXPECT_EQ(host.Failures(), 1) << c.name;
        if (c.code == kInstallErrorSetupkitExit) {
            EXPECT_EQ(host.UiCalls(), (std::vector<std::string>{"value:100", "start", "stop"}));
        }
        if (c.code == kInstallErrorDigest) {
            EXPECT_TRUE(zeltest::FileExists(DownloadDir(L"Market") + L"m.exe"));
            EXPECT_TRUE(engine.ComponentMap().empty()) << "nothing installed";
        }
    }
    EXPECT_TRUE(LogContains("invalid stoull argument"));
    EXPECT_TRUE(LogContains("unknown exception occurred at installing progress."));
}

// ---- cancel ----

bool ThreadEnded(DWORD id) {
    HANDLE thread = ::OpenThread(SYNCHRONIZE, FALSE, id);
    if (!thread) return true;
    const bool ended = ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    ::CloseHandle(thread);
    return ended;
}

template <typename Pred>
bool WaitFor(Pred pred, int timeoutMs = 20000) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (pred()) return true;
        ::Sleep(20);
    }
    return false;
}

TEST_F(EngineTest, CancelStopsASlowDownloadAtOnce) {
    SwitchOn(7);
    ServeManifest(ManifestXml(ItemXml({7, L"slow.exe", L"0123456789abcdef0123456789abcdef",
                                       WUrl("/__respond?size=50000000&chunk=2000&pause=200"), L"Market"})));
    ASSERT_TRUE(Engine().Start());
    ASSERT_TRUE(WaitFor([&] { return !events_.Codes().empty() && events_.Codes().back() == 201; }));
    ::Sleep(500);  // the transfer is under way
    const DWORD worker = host_.LastTaskThread();
    const auto start = Clock::now();
    Engine().Cancel();
    Engine().Join();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_LT(elapsed, 1000);
    EXPECT_TRUE(ThreadEnded(worker));
    EXPECT_EQ(host_.Successes() + host_.Failures(), 0);
    EXPECT_EQ(Engine().InstallState(), kInstallStateDownloading);
    EXPECT_EQ(Engine().ErrorCode(), kInstallSuccess);
    EXPECT_EQ(events_.Codes(), (std::vector<int64_t>{100, 102, 200, 201}));
    EXPECT_FALSE(Engine().Start()) << "one run per engine";
}

TEST_F(EngineTest, CancelStopsWaitingForAPackage) {
    PackageOptions options;
    options.componentId = 7;
    options.packageWaitMs = 30000;
    SwitchOn(7);
    ServeManifest(ManifestXml(ItemXml(ServedPackage(options, L"Market"))));
    ASSERT_TRUE(Engine().Start());
    ASSERT_TRUE(WaitFor([&] { return !events_.Codes().empty() && events_.Codes().back() == 301; }));
    ::Sleep(200);  // the package is running now
    const auto start = Clock::now();
    engine_.reset();  // destroying the engine cancels and joins
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_LT(elapsed, 1000);
    EXPECT_EQ(host_.Successes() + host_.Failures(), 0);
    EXPECT_EQ(events_.Codes().back(), 301);
    EXPECT_EQ(host_.UiCalls(), (std::vector<std::string>{"value:100", "start", "stop"}));
}

}  // namespace
