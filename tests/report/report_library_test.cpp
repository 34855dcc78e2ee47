// The report library "dr.dll" against the loopback server: what the manager
// hands it arrives as one POST.
#include <gtest/gtest.h>

#include "harness/test_support.h"
#include "report/report_client.h"
#include "report/report_manager.h"
#include "report_server.h"
#include "support/text_convert.h"
#include "support/version_utils.h"

using HxReportMgr::CReportManager;
using HxReportMgr::RecordWriter;
using HxReportMgr::ReportRecord;

namespace {

std::wstring Library() { return zeltest::TestBinPath(L"..\\..\\reportlib\\dr.dll"); }

std::vector<reporttest::LibraryPart> SplitParts(const std::string& body) {
    bool complete = false;
    auto parts = reporttest::SplitLibraryBody(body, &complete);
    EXPECT_TRUE(complete) << "no trailing bytes";
    return parts;
}

std::string Bytes(const RecordWriter& w) { return std::string(reinterpret_cast<const char*>(w.Data()), w.Size()); }

class ReportLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(reporttest::TrustServer(&error)) << error;
    }
    void SetUp() override {
        reporttest::Reset();
        CReportManager& m = CReportManager::Instance();
        ASSERT_TRUE(m.Init(Library()));
        m.SetReportHost("localhost:" + std::to_string(reporttest::HttpsPort()));
        m.SetGuidText("0123456789abcdef0123456789abcdef");
    }
    void TearDown() override { CReportManager::Instance().UnInit(); }
};

}  // namespace

TEST_F(ReportLibraryTest, CommitPostsHeaderCommonDataAndRecord) {
    reporttest::Script({{{"path", "/report/client"}, {"responses", {{{"status", 200}, {"body", "ok"}}}}}});
    ReportRecord r;
    r.type = 2;
    r.step = 100;
    r.ireserve[1] = 203;
    r.ireserve[6] = 7;
    r.strreserve[0] = "app-\xe4\xb8\xad";
    EXPECT_TRUE(CReportManager::Instance().Send(r));

    auto requests = reporttest::Requests("/report/client");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"], "POST");
    EXPECT_EQ(requests[0]["port_name"], "https");
    std::vector<reporttest::LibraryPart> parts = SplitParts(reporttest::BodyBytes(requests[0]));
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0].kind, 'H');
    EXPECT_EQ(parts[0].bytes, std::string("\x5c\xd8\x00\x00\x01\x00\x25\x1b", 8) + std::string(10, '\0'));
    EXPECT_EQ(parts[1].kind, 'C');
    EXPECT_EQ(parts[1].bytes.substr(0, 35), std::string("\x00\x21", 2) + "0123456789abcdef0123456789abcdef" +
                                                std::string(1, '\0'));
    EXPECT_EQ(parts[2].kind, 'D');
    RecordWriter w;
    HxReportMgr::WriteRecord(w, r);
    EXPECT_EQ(parts[2].bytes, Bytes(w));
}

TEST_F(ReportLibraryTest, CommitIsFalseWhenTheServerRefuses) {
    reporttest::Script({{{"path", "/report/client"}, {"responses", {{{"status", 500}, {"body", "no"}}}}}});
    EXPECT_FALSE(CReportManager::Instance().Send(ReportRecord()));
    EXPECT_EQ(reporttest::Requests("/report/client").size(), 1u);
}

TEST_F(ReportLibraryTest, UntrustedCertificateIsRefused) {
    reporttest::Script({{{"path", "/report/client"}, {"responses", {{{"status", 200}, {"body", "ok"}}}}}});
    std::string port = WideToUtf8(zeltest::EnvVar(L"ZEL_TEST_SELFSIGNED_PORT"));
    ASSERT_FALSE(port.empty());
    CReportManager::Instance().SetReportHost("localhost:" + port);
    EXPECT_FALSE(CReportManager::Instance().Send(ReportRecord()));
    EXPECT_TRUE(reporttest::Requests("/report/client").empty());
}

TEST(ReportLibraryExportsTest, VersionResourceAndGuid) {
    EXPECT_EQ(GetFileVersionNumber(Library()), (6ull << 48) | (4ull << 32) | (1782ull << 16) | 202);
    HMODULE lib = ::LoadLibraryW(Library().c_str());
    ASSERT_TRUE(lib);
    auto getGuid = reinterpret_cast<ClientDataReport::GetGuidFn>(
        reinterpret_cast<void*>(::GetProcAddress(lib, "GetGuid")));
    ASSERT_TRUE(getGuid);
    uint8_t a[16] = {}, b[16] = {};
    if (getGuid(a)) {
        EXPECT_TRUE(getGuid(b));
        EXPECT_EQ(0, memcmp(a, b, 16)) << "stable";
    }
    auto create = reinterpret_cast<ClientDataReport::CreateIReportClientFn>(
        reinterpret_cast<void*>(::GetProcAddress(lib, "CreateIReportClient")));
    ASSERT_TRUE(create);
    EXPECT_EQ(create("", 443, 1), nullptr) << "no host, no client";
    ::FreeLibrary(lib);
}
