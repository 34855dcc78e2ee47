// Start-up of reporting: the library released from the program's resource,
// checked, loaded, and events reaching the server through either channel.
#include "shell/init_data_report.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include "harness/test_support.h"
#include "report/data_report.h"
#include "report/report_manager.h"
#include "report/report_record.h"
#include "report_server.h"
#include "support/file_md5.h"
#include "support/log.h"

ZEL_LOG_SOURCE("init_data_report_test");

using HxReportMgr::CReportManager;

namespace {

std::wstring LibraryFolder() {
    wchar_t appData[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::wstring(appData) + L"\\Velmora\\Lumenhall\\ZELDownloader";
}
std::wstring LibraryPath() { return LibraryFolder() + L"/dr.dll"; }

// The log is written behind the caller's back: a marker line shows that
// everything before it has reached the file.
std::string FlushedLog() {
    static int marker = 0;
    std::string text = "flush marker " + std::to_string(++marker);
    LOG_INFO("Main") << text.c_str();
    std::string log;
    for (int i = 0; i < 200 && log.find(text) == std::string::npos; ++i) {
        ::Sleep(25);
        log = zeltest::ReadFileBytes(zel_log::LogFilePath());
    }
    return log;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::string ReleaseLine() {
    std::string path;
    for (wchar_t c : LibraryPath()) path.push_back(static_cast<char>(c));  // ASCII here
    return "dr.dll md5 is not equal or existed. release dr.dll to: " + path;
}

class InitDataReportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(reporttest::TrustServer(&error)) << error;
    }
    void SetUp() override { reporttest::Reset(); }
    void TearDown() override {
        CReportManager& m = CReportManager::Instance();
        while (m.UsageCount() > 0) m.UnInit();
    }
};

}  // namespace

TEST_F(InitDataReportTest, ReleasedWhenMissingAndLeftAloneWhenItMatches) {
    ::DeleteFileW(LibraryPath().c_str());
    ::RemoveDirectoryW(LibraryFolder().c_str());
    ::RemoveDirectoryW((LibraryFolder() + L"\\..").c_str());
    size_t before = Count(FlushedLog(), ReleaseLine());

    EXPECT_TRUE(InitDataReport()) << "folder and parents created, library written and loaded";
    EXPECT_TRUE(CReportManager::Instance().IsInitialised());
    EXPECT_EQ(GetFileHexMd5(LibraryPath()), ReportLibraryMd5);
    EXPECT_EQ(Count(FlushedLog(), ReleaseLine()), before + 1);
    CReportManager::Instance().UnInit();

    WIN32_FILE_ATTRIBUTE_DATA first = {}, second = {};
    ASSERT_TRUE(::GetFileAttributesExW(LibraryPath().c_str(), GetFileExInfoStandard, &first));
    ::Sleep(20);
    EXPECT_TRUE(InitDataReport());
    ASSERT_TRUE(::GetFileAttributesExW(LibraryPath().c_str(), GetFileExInfoStandard, &second));
    EXPECT_EQ(CompareFileTime(&first.ftLastWriteTime, &second.ftLastWriteTime), 0) << "not written again";
    EXPECT_EQ(Count(FlushedLog(), ReleaseLine()), before + 1) << "and no log line";
}

TEST_F(InitDataReportTest, RewrittenWhenOfAnotherDigestOrLowerVersion) {
    std::string ours = zeltest::ReadFileBytes(zeltest::TestBinPath(L"..\\..\\reportlib\\dr.dll"));
    ASSERT_FALSE(ours.empty());
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"same version, another digest", ours + std::string(1, '\0')},
        {"no version resource", zeltest::ReadFileBytes(zeltest::TestBinPath(L"stand_in_dr.dll"))},
        {"not a library at all", "MZ nonsense"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(zeltest::WriteFileBytes(LibraryPath(), c.bytes)) << c.name;
        size_t before = Count(FlushedLog(), ReleaseLine());
        EXPECT_TRUE(InitDataReport()) << c.name;
        EXPECT_EQ(GetFileHexMd5(LibraryPath()), ReportLibraryMd5) << c.name;
        EXPECT_EQ(Count(FlushedLog(), ReleaseLine()), before + 1) << c.name;
        CReportManager::Instance().UnInit();
    }
}

TEST_F(InitDataReportTest, HeldLibraryCannotBeSwappedButStillLoads) {
    ASSERT_TRUE(InitDataReport());
    CReportManager::Instance().UnInit();
    std::wstring path = LibraryPath();
    HandleGuard held = HoldReportLibraryFile(path);
    ASSERT_TRUE(held);
    HandleGuard writer(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer) << "no writer while held";
    EXPECT_FALSE(::MoveFileExW(path.c_str(), (path + L".old").c_str(), MOVEFILE_REPLACE_EXISTING)) << "no rename";
    EXPECT_FALSE(::DeleteFileW(path.c_str())) << "no delete";
    HMODULE module = ::LoadLibraryW(path.c_str());
    EXPECT_TRUE(module) << "the loader still opens it";
    if (module) ::FreeLibrary(module);
}

TEST_F(InitDataReportTest, EventsTakeTheLibraryChannelWhenItLoads) {
    reporttest::Script({{{"path", "/report/client"}, {"responses", {{{"status", 200}, {"body", "ok"}}}}}});
    ASSERT_TRUE(InitDataReport());
    CReportManager::Instance().SetReportHost("localhost:" + std::to_string(reporttest::HttpsPort()));
    DataReport& reporter = DataReport::Instance();
    reporter.SetConfigValues("app-9", 321, 77, L"en_US");

    reporter.ReportEvent(202, 21, 7, 404, 5);
    reporter.ReportClick(4);
    auto requests = reporttest::Requests("/report/client");
    ASSERT_EQ(requests.size(), 2u);

    HxReportMgr::ReportRecord event;
    event.type = 2;
    event.step = 100;
    event.ireserve[1] = 202;
    event.ireserve[5] = 21;
    event.ireserve[6] = 7;
    event.ireserve[7] = 404;
    event.ireserve[8] = static_cast<int64_t>(reporter.ExeTime());  // replaces the request error code
    event.ireserve[9] = 321;
    event.strreserve[0] = "app-9";
    HxReportMgr::ReportRecord click;
    click.type = 2;
    click.step = 101;
    click.ireserve[0] = 4;
    click.ireserve[8] = event.ireserve[8];
    click.ireserve[9] = 321;
    click.strreserve[0] = "app-9";
    const HxReportMgr::ReportRecord* expected[] = {&event, &click};
    for (size_t i = 0; i < 2; ++i) {
        std::vector<reporttest::LibraryPart> parts = reporttest::SplitLibraryBody(reporttest::BodyBytes(requests[i]));
        ASSERT_EQ(parts.size(), 3u);
        HxReportMgr::RecordWriter w;
        HxReportMgr::WriteRecord(w, *expected[i]);
        EXPECT_EQ(parts[2].bytes, std::string(reinterpret_cast<const char*>(w.Data()), w.Size())) << i;
        EXPECT_EQ(parts[1].bytes.substr(2, 32), reporter.Guid()) << "common data carry the reporter's GUID";
    }
}

TEST_F(InitDataReportTest, EventsGoOverHttpWhenTheLibraryCannotBeLoaded) {
    // A folder where the library should be: it can be neither written nor loaded.
    ::DeleteFileW(LibraryPath().c_str());
    ASSERT_TRUE(::CreateDirectoryW(LibraryPath().c_str(), nullptr));
    reporttest::Script({{{"path", "/report/clientreport"}, {"responses", {{{"status", 200}, {"body", "ok"}}}}}});
    DataReport& reporter = DataReport::Instance();
    reporter.SetReportEndpoint(reporttest::HttpsBase() + "/report/clientreport?retflag=json");

    size_t before = Count(FlushedLog(), ReleaseLine());
    EXPECT_FALSE(InitDataReport());
    EXPECT_EQ(Count(FlushedLog(), ReleaseLine()), before + 1) << "a write was tried";
    reporter.ReportEvent(201, 0, 7, 0, 0);
    auto requests = reporttest::WaitForRequests("/report/clientreport", 1, 20000);
    ASSERT_EQ(requests.size(), 1u);
    std::string query = reporttest::PercentDecode(requests[0]["query"]);
    EXPECT_EQ(query.rfind("retflag=json&sign=", 0), 0u) << query;
    nlohmann::json sent = nlohmann::json::parse(query.substr(query.find("&data=") + 6));
    EXPECT_EQ(sent["ireserve1"], 201u);
    EXPECT_EQ(sent["ireserve6"], 7u);
    EXPECT_EQ(sent["type"], 2);
    ::RemoveDirectoryW(LibraryPath().c_str());
}
