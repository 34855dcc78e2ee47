// The report manager against a stand-in library that logs every call.
#include "report/report_manager.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "harness/test_support.h"
#include "report/report_client.h"
#include "zel_build_config.h"

using HxReportMgr::CReportManager;
using HxReportMgr::RecordWriter;
using HxReportMgr::ReportRecord;

namespace {

class ReportManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        log_ = dir_ / L"calls.txt";
        ::SetEnvironmentVariableW(L"ZEL_STANDIN_LOG", log_.c_str());
        for (const wchar_t* name : {L"ZEL_STANDIN_COMMIT", L"ZEL_STANDIN_NO_CLIENT", L"ZEL_STANDIN_GUID"})
            ::SetEnvironmentVariableW(name, nullptr);
        CReportManager::Instance().SetReportHost(ZEL_REPORT_HOST);
        CReportManager::Instance().SetGuidText("");
    }
    void TearDown() override {
        // Leave the process-wide manager unloaded for the next test.
        CReportManager& m = CReportManager::Instance();
        while (m.UsageCount() > 0) m.UnInit();
    }

    std::vector<std::string> Calls() {
        std::vector<std::string> lines;
        std::istringstream in(zeltest::ReadFileBytes(log_));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        ::DeleteFileW(log_.c_str());
        return lines;
    }

    static std::wstring StandIn() { return zeltest::TestBinPath(L"stand_in_dr.dll"); }

    static std::string AsciiHex(const std::string& text) {
        std::string s;
        char two[3];
        for (unsigned char c : text) {
            snprintf(two, sizeof(two), "%02x", c);
            s += two;
        }
        return s;
    }

    static std::string Hex(const RecordWriter& w) {
        std::string s;
        char two[3];
        for (size_t i = 0; i < w.Size(); ++i) {
            snprintf(two, sizeof(two), "%02x", w.Data()[i]);
            s += two;
        }
        return s;
    }

    zeltest::TempDir dir_;
    std::wstring log_;
};

}  // namespace

TEST_F(ReportManagerTest, SendHandsHeaderCommonDataAndRecordToOneClient) {
    CReportManager& m = CReportManager::Instance();
    ASSERT_TRUE(m.Init(StandIn()));
    m.SetReportHost("report.example");
    m.SetClientVersion(77);
    m.SetChannel(5);
    EXPECT_EQ(Calls(), std::vector<std::string>{"Init 1"});

    ReportRecord r;
    r.step = 100;
    r.ireserve[1] = 202;
    ASSERT_TRUE(m.Send(r));
    std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 8u);
    EXPECT_EQ(calls[0], "GetGuid") << "no GUID text yet: the library's";
    EXPECT_EQ(calls[1], "CreateIReportClient report.example 443 1");
    EXPECT_EQ(calls[2], "SetHeader 5cd8" "0000" "0100" "251b" "00000000" "00000000" "0000");
    std::string common = calls[3].substr(std::string("SetCommonData ").size());
    EXPECT_EQ(common.size(), 2u * 94);
    EXPECT_EQ(common.substr(0, 2 * 55), "0021" + AsciiHex("101112131415161718191a1b1c1d1e1f") + "00" +
                                            "000000000000004d" "00000005" "0000000000000000")
        << "GUID text from GetGuid, client version 77, channel 5, reserved 0";
    RecordWriter w;
    HxReportMgr::WriteRecord(w, r);
    EXPECT_EQ(calls[4], "AddData " + Hex(w));
    EXPECT_EQ(calls[5], "Commit");
    EXPECT_EQ(calls[6], "ReleaseIReportClient");
    EXPECT_EQ(calls[7], "~Client");

    // The common data are prepared once and reused.
    m.SetGuidText("ffffffffffffffffffffffffffffffff");
    ASSERT_TRUE(m.Send(r));
    calls = Calls();
    EXPECT_EQ(calls[0], "CreateIReportClient report.example 443 1");
    EXPECT_EQ(calls[2], "SetCommonData " + common) << "prepared once: GUID of the first send";

    EXPECT_TRUE(m.UnInit());
    EXPECT_EQ(Calls(), std::vector<std::string>{"UnInit 10000"});
    EXPECT_FALSE(m.IsInitialised());
}

TEST_F(ReportManagerTest, UsageCountLoadsOnceAndUnloadsOnLastUse) {
    CReportManager& m = CReportManager::Instance();
    ASSERT_TRUE(m.Init(StandIn()));
    ASSERT_TRUE(m.Init(StandIn()));
    EXPECT_EQ(m.UsageCount(), 2);
    EXPECT_EQ(Calls(), std::vector<std::string>{"Init 1"}) << "loaded once";
    EXPECT_FALSE(m.UnInit());
    EXPECT_TRUE(m.IsInitialised());
    EXPECT_TRUE(m.UnInit());
    EXPECT_EQ(Calls(), std::vector<std::string>{"UnInit 10000"});
    EXPECT_FALSE(m.UnInit()) << "one more than Init";
    EXPECT_EQ(m.UsageCount(), -1);
    EXPECT_TRUE(Calls().empty());
    EXPECT_FALSE(m.Init(L"")) << "an empty path counts nothing";
    EXPECT_EQ(m.UsageCount(), -1);
    EXPECT_FALSE(m.Init(dir_ / L"absent.dll"));
    EXPECT_EQ(m.UsageCount(), 0);
}

TEST_F(ReportManagerTest, FailuresMakeSendFalse) {
    CReportManager& m = CReportManager::Instance();
    ReportRecord r;
    EXPECT_FALSE(m.Send(r)) << "not initialised";

    ASSERT_TRUE(m.Init(StandIn()));
    Calls();
    ::SetEnvironmentVariableW(L"ZEL_STANDIN_GUID", L"0");
    ::SetEnvironmentVariableW(L"ZEL_STANDIN_COMMIT", L"0");
    EXPECT_FALSE(m.Send(r));
    std::vector<std::string> calls = Calls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[3].substr(0, 14 + 4 + 64), "SetCommonData 0021" + AsciiHex(std::string(32, '0')))
        << "GetGuid failed: 32 zero digits";

    ::SetEnvironmentVariableW(L"ZEL_STANDIN_NO_CLIENT", L"1");
    EXPECT_FALSE(m.Send(r));
    EXPECT_EQ(Calls(), std::vector<std::string>{"CreateIReportClient " ZEL_REPORT_HOST " 443 1"});
}

namespace {
int g_nestedResult = -1;
void SendFromInsideCommit() { g_nestedResult = CReportManager::Instance().Send(ReportRecord()) ? 1 : 0; }
}  // namespace

TEST_F(ReportManagerTest, ReportRaisedInsideCommitOnTheSameThreadIsDroppedNotDeadlocked) {
    CReportManager& m = CReportManager::Instance();
    ASSERT_TRUE(m.Init(StandIn()));
    char address[32];
    snprintf(address, sizeof(address), "%llx",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(&SendFromInsideCommit)));
    ::SetEnvironmentVariableA("ZEL_STANDIN_IN_COMMIT", address);
    EXPECT_TRUE(m.Send(ReportRecord()));
    ::SetEnvironmentVariableA("ZEL_STANDIN_IN_COMMIT", nullptr);
    EXPECT_EQ(g_nestedResult, 0);
    EXPECT_TRUE(m.Send(ReportRecord())) << "the manager still works afterwards";
}

TEST_F(ReportManagerTest, LibraryWithoutAnExportOrNotALibraryIsRefused) {
    CReportManager& m = CReportManager::Instance();
    EXPECT_FALSE(m.Init(zeltest::TestBinPath(L"stand_in_no_getguid.dll")));
    EXPECT_FALSE(m.IsInitialised());
    EXPECT_TRUE(Calls().empty()) << "Init is not called on a refused library";
    m.UnInit();

    std::wstring junk = dir_ / L"dr.dll";
    ASSERT_TRUE(zeltest::WriteFileBytes(junk, "not a library"));
    EXPECT_FALSE(m.Init(junk));
    m.UnInit();
}
