// The HTTP channel: the signed POST as it reaches the loopback server.
#include <gtest/gtest.h>

#include <ctime>
#include <set>

#include "harness/test_support.h"
#include "report/data_report.h"
#include "report/report_sign.h"
#include "report_server.h"
#include "support/log.h"
#include "support/md5.h"

namespace {

const char kSalt[] = "Hy7%wandLoom*Qe2!xv9&Rk";

std::string Md5Text(const std::string& s) {
    Md5 m;
    m.Update(s.data(), s.size());
    return m.FinalHex();
}

struct SignedQuery {
    std::string sign;
    uint32_t nonce = 0;
    std::string data;
};

// "retflag=json&sign=S&nonce=N&data=D", D taken to the end as it stands.
SignedQuery SplitQuery(const std::string& wireQuery) {
    SignedQuery q;
    std::string query = reporttest::PercentDecode(wireQuery);
    const std::string head = "retflag=json&sign=";
    EXPECT_EQ(query.compare(0, head.size(), head), 0) << query;
    size_t nonceAt = query.find("&nonce=");
    size_t dataAt = query.find("&data=");
    if (nonceAt == std::string::npos || dataAt == std::string::npos) return q;
    q.sign = query.substr(head.size(), nonceAt - head.size());
    q.nonce = static_cast<uint32_t>(std::stoul(query.substr(nonceAt + 7, dataAt - nonceAt - 7)));
    q.data = query.substr(dataAt + 6);
    return q;
}

std::string Header(const nlohmann::json& request, const std::string& name) {
    for (const auto& h : request["headers"])
        if (_stricmp(h[0].get<std::string>().c_str(), name.c_str()) == 0) return h[1];
    return "<absent>";
}

class HttpChannelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(reporttest::TrustServer(&error)) << error;
        DataReport& r = DataReport::Instance();
        r.SetConfigValues("app-7", 1234, 56, L"zh_CN");
        r.SetReportEndpoint(reporttest::HttpsBase() + "/report/clientreport?retflag=json");
    }
    void SetUp() override { reporttest::Reset(); }
    static void Answer(const std::string& body) {
        reporttest::Script({{{"path", "/report/clientreport"}, {"responses", {{{"status", 200}, {"body", body}}}}}});
    }
};

}  // namespace

TEST(ReportSignTest, SignUrlAndNonce) {
    EXPECT_EQ(ReportSign(12345, "00ff"), Md5Text(std::string(kSalt) + "|12345|00ff"));
    EXPECT_EQ(ReportUrl("https://h/report/clientreport?retflag=json", "abc", 10000, "{\"a\":1}"),
              "https://h/report/clientreport?retflag=json&sign=abc&nonce=10000&data={\"a\":1}");
    std::set<uint32_t> seen;
    for (int i = 0; i < 2000; ++i) {
        uint32_t n = DrawReportNonce();
        ASSERT_GE(n, 10000u);
        ASSERT_LE(n, 99999u);
        seen.insert(n);
    }
    EXPECT_GT(seen.size(), 1900u) << "draws are independent";
}

TEST_F(HttpChannelTest, SignedPostCarriesTheDocumentAndTheAddedKeys) {
    Answer("{\"code\":0}");
    DataReport& r = DataReport::Instance();
    nlohmann::json doc = DataReport::BuildEventDocument(201, 0, 7, 0, 0);
    doc["type"] = 9;
    doc["guid"] = "somebody else";
    int64_t before = std::time(nullptr);
    r.ReportDataByHttp(doc);
    int64_t after = std::time(nullptr);

    auto requests = reporttest::Requests("/report/clientreport");
    ASSERT_EQ(requests.size(), 1u);
    const nlohmann::json& req = requests[0];
    EXPECT_EQ(req["method"], "POST");
    EXPECT_EQ(req["port_name"], "https");
    EXPECT_EQ(req["body_length"], 0);
    EXPECT_EQ(Header(req, "Content-Length"), "0");
    EXPECT_EQ(Header(req, "Content-Type"), "");

    SignedQuery q = SplitQuery(req["query"]);
    EXPECT_EQ(q.sign, Md5Text(std::string(kSalt) + "|" + std::to_string(q.nonce) + "|" + r.Guid()));
    nlohmann::json sent = nlohmann::json::parse(q.data);
    EXPECT_EQ(q.data, DataReport::Serialize(sent)) << "compact, keys ascending, nothing escaped";

    std::vector<std::string> keys;
    for (auto it = sent.begin(); it != sent.end(); ++it) keys.push_back(it.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"client_version", "guid", "icommon0", "icommon1", "ireserve1",
                                              "ireserve5", "ireserve6", "ireserve7", "ireserve8", "language", "step",
                                              "strcommon0", "supplyid", "sys_build", "sys_major", "sys_minor",
                                              "time_t", "type"}));
    EXPECT_EQ(sent["guid"], r.Guid());
    EXPECT_EQ(r.Guid().size(), 32u);
    EXPECT_EQ(sent["type"], 2);
    EXPECT_EQ(sent["client_version"], 1234u);
    EXPECT_EQ(sent["icommon0"], 1234u);
    EXPECT_EQ(sent["icommon1"], r.ExeTime());
    EXPECT_GT(r.ExeTime(), 1500000000u);
    EXPECT_EQ(sent["supplyid"], 56u);
    EXPECT_EQ(sent["language"], "zh_CN");
    EXPECT_EQ(sent["strcommon0"], "app-7");
    EXPECT_EQ(sent["sys_major"], r.SysMajor());
    EXPECT_EQ(sent["sys_build"], r.SysBuild());
    EXPECT_GT(r.SysMajor(), 0u) << "RtlGetNtVersionNumbers exists here";
    EXPECT_LE(r.SysBuild(), 0xFFFFu);
    EXPECT_GE(sent["time_t"].get<int64_t>(), before);
    EXPECT_LE(sent["time_t"].get<int64_t>(), after);
    EXPECT_EQ(sent["ireserve6"], 7u);
    EXPECT_EQ(sent["step"], 100);
}

TEST_F(HttpChannelTest, BackToBackReportsHaveIndependentNonces) {
    Answer("ok");
    DataReport& r = DataReport::Instance();
    r.ReportDataByHttp(DataReport::BuildEventDocument(1002, 0, 0, 0, 0));
    r.ReportDataByHttp(DataReport::BuildEventDocument(1002, 0, 0, 0, 0));
    auto requests = reporttest::Requests("/report/clientreport");
    ASSERT_EQ(requests.size(), 2u);
    SignedQuery a = SplitQuery(requests[0]["query"]), b = SplitQuery(requests[1]["query"]);
    EXPECT_NE(a.nonce, b.nonce);
    EXPECT_NE(a.sign, b.sign);
    nlohmann::json crash = nlohmann::json::parse(a.data);
    EXPECT_EQ(crash["ireserve1"], 1002u);
    EXPECT_EQ(crash["step"], 100);
    for (const char* k : {"ireserve5", "ireserve6", "ireserve7", "ireserve8"}) EXPECT_EQ(crash[k], 0u) << k;
}

TEST_F(HttpChannelTest, EmptyAnswerIsLoggedAsReportDataError) {
    Answer("");
    DataReport::Instance().ReportDataByHttp(DataReport::BuildClickDocument(4));
    ASSERT_EQ(reporttest::Requests("/report/clientreport").size(), 1u);
    const std::string line = "[Error][Report][DataReport][DataReport::ReportDataByHttp@212] report data error";
    std::string log;
    for (int i = 0; i < 100 && log.find(line) == std::string::npos; ++i) {
        ::Sleep(50);
        log = zeltest::ReadFileBytes(zel_log::LogFilePath());
    }
    EXPECT_NE(log.find(line), std::string::npos) << log;
}
